// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "platform/FormDescription.h"
#include "platform/Forms.h"
#include "project/MainformDescription.h"
#include "project/VProject.h"
#include "TempDir.h"
#include "winstate/WinRstor.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class TMainform : public TForm
{
public:
    TMainform()
        : TForm(nullptr)
    {
        RegisterWinRestorer();
        RegisterProjectComponents();
    }
    std::string ClassName() const override { return "TVorlantMainform"; }
};

/// Stands for the office-style caption bar that draws the window's title itself.
class TOfficeCaption : public TComponent
{
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TMSOfficeCaption"; }
};

std::string Replaced(std::string text, const std::string &from, const std::string &to)
{
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TProject &ProjectOf(TForm &form)
{
    return *dynamic_cast<TProject *>(form.FindComponent("Project1"));
}

// ---- caption and title ------------------------------------------------------------------------

TEST(TProject, CaptionAndTitleFromTheStoredDescription)
{
    RegisterComponentClass("TMSOfficeCaption", "TComponent", [](TComponent *o) { return new TOfficeCaption(o); });
    const std::string stored = MainformDescription();
    const std::string company = "Morvath Computer & Service --- ";
    struct TCase {
        const char *Name;
        std::string Description;
        std::string Title, Caption, WindowText;
    } cases[] = {
        {"stored values", stored, "Vorlant", company + "Vorlant  [Version 1.0 (Build 70)]", ""},
        {"beta", Replaced(stored, "FileVersion = '1'", "FileVersion = '0.9'"), "Vorlant",
         company + "Vorlant  [Version 1.0 - beta - (Build 70)]", ""},
        {"two-part version", Replaced(stored, "FileVersion = '1'", "FileVersion = '2.5'"), "Vorlant",
         company + "Vorlant  [Version 1.0 (Build 70)]", ""},
        {"no number", Replaced(stored, "FileVersion = '1'", "FileVersion = '1.2.3'"), "Vorlant",
         company + "Vorlant  [Version 1.0 (Build 70)]", ""},
        {"no build caption", Replaced(stored, "UseBuildinCaption = True", "UseBuildinCaption = False"), "Vorlant",
         "Vorlant  [Version 1.0]", ""},
        {"underscores", Replaced(stored, "Productname = 'Vorlant'", "Productname = 'My_Tool_X'"), "My Tool X",
         company + "My Tool X  [Version 1.0 (Build 70)]", ""},
        {"AutoNaming off", Replaced(stored, "Build = 70", "AutoNaming = False\n    Build = 70"), "before", "", ""},
        {"office caption",
         Replaced(stored, "  object Project1: TProject", "  object MSOfficeCaption1: TMSOfficeCaption\n  end\n  object Project1: TProject"),
         "Vorlant", "", company + "Vorlant  [Version 1.0 (Build 70)]"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        Application().SetTitle("before");
        TMainform form;
        ReadFormDescription(form, c.Description);
        EXPECT_EQ(Application().Title(), c.Title);
        EXPECT_EQ(form.Caption(), c.Caption);
        EXPECT_EQ(form.WindowText(), c.WindowText.empty() ? c.Caption : c.WindowText);
    }
}

TEST(TProject, RunTimeKeepsTheDesignOnlyValuesOutAndNamesTheExecutable)
{
    TMainform form;
    ReadFormDescription(form, MainformDescription());
    TProject &p = ProjectOf(form);
    EXPECT_EQ(p.Build(), 70) << "no build is counted at run time";
    EXPECT_EQ(p.BackupPath(), "");
    EXPECT_EQ(p.ProjectPath(), "");
    EXPECT_EQ(p.BackupFiles(), "");
    EXPECT_EQ(p.OriginalName(), fs::path(ExecutablePath()).filename().string());
    EXPECT_EQ(p.Log().size(), 65u) << "the stored lines and the version line";
    EXPECT_NE(p.Log().back().find(": Version 1"), std::string::npos);
    EXPECT_EQ(p.Language(), lanGerman);
    EXPECT_FALSE(p.Beta());

    // AutoNaming off keeps the stored original name.
    TMainform off;
    ReadFormDescription(off, Replaced(MainformDescription(), "Build = 70", "AutoNaming = False\n    Build = 70"));
    EXPECT_EQ(ProjectOf(off).OriginalName(), "vorlant-designer");
}

TEST(TProject, VersionTextsAndResourceFileNames)
{
    TProject p(nullptr);
    struct TCase {
        const char *Assigned, *Stored;
        int Beta; // 1 true, 0 false, -1 raises
    } versions[] = {
        {"V 1.0 beta", "1.0", 0}, {"abc", "0.01", 1}, {"", "0.01", 1}, {"0.9", "0.9", 1},
        {"2.5", "2.5", 0},        {"1", "1", 0},      {"1.2.3", "1.2.3", -1}, {"1.", "1.", 0},
    };
    for (const TCase &c : versions) {
        SCOPED_TRACE(c.Assigned);
        p.SetFileVersion(c.Assigned);
        EXPECT_EQ(p.FileVersion(), c.Stored);
        if (c.Beta < 0)
            EXPECT_THROW(p.Beta(), EConvertError);
        else
            EXPECT_EQ(p.Beta(), c.Beta == 1);
    }
    EXPECT_EQ(CleanVersion("x"), "0.01");

    const std::pair<const char *, bool> filled[] = {
        {"Vorlant", true}, {"  x\t", true}, {" <x>", true}, {"<Private information>", false}, {" \t\r\n", false}, {"", false},
    };
    for (const auto &[text, expected] : filled)
        EXPECT_EQ(TProject::IsFilled(text), expected) << '"' << text << '"';

    const std::pair<const char *, const char *> files[] = {
        {"Version.txt", "Version.res"}, {"Version", "Version.res"}, {"my.dir/Version", "my.dir/Version.res"},
        {"a.b.rc", "a.b.res"},
    };
    for (const auto &[assigned, stored] : files) {
        p.SetResourceFile(assigned);
        EXPECT_EQ(p.ResourceFile(), stored);
    }
}

// ---- version resource -------------------------------------------------------------------------

struct TBytes {
    std::string Data;
    TBytes &U16(unsigned v)
    {
        Data += static_cast<char>(v & 0xFF);
        Data += static_cast<char>((v >> 8) & 0xFF);
        return *this;
    }
    TBytes &U32(unsigned v) { return U16(v & 0xFFFF).U16(v >> 16); }
    TBytes &Wide(const std::string &ascii)
    {
        for (char c : ascii)
            U16(static_cast<unsigned char>(c));
        return U16(0);
    }
    /// A string entry with the lengths and paddings worked out by hand.
    TBytes &Entry(const std::string &key, const std::string &value, unsigned length, bool keyPad, int trailer)
    {
        U16(length).U16(static_cast<unsigned>(value.size() + 1)).U16(1).Wide(key);
        if (keyPad)
            U16(0);
        Wide(value);
        for (int i = 0; i < trailer; ++i)
            U16(0);
        return *this;
    }
};

const char *const CopyrightText = "Copyright (c) Morvath Computer & Service, 2005";

TVersionInfo WorkedExample()
{
    TVersionInfo info;
    info.Language = lanGerman;
    info.Charset = csMultilingual;
    info.SetValue(1, "Morvath Computer & Service");
    info.SetValue(5, CopyrightText);
    info.SetValue(8, "Vorlant");
    info.SetValue(7, "vorlant-designer");
    info.SetValue(4, "Vorlant");
    info.SetValue(3, "1.70");
    info.SetValue(11, "1.0.70");
    return info;
}

TEST(TVersionInfo, WorkedExampleByteForByte)
{
    TBytes strings;
    strings.Entry("CompanyName", "Morvath Computer & Service", 88, true, 1)
        .Entry("FileVersion", "1.70", 44, true, 1)
        .Entry("InternalName", "Vorlant", 48, false, 0)
        .Entry("LegalCopyright", CopyrightText, 132, false, 1)
        .Entry("OriginalFilename", "vorlant-designer", 76, false, 1)
        .Entry("ProductName", "Vorlant", 48, true, 0)
        .Entry("ProductVersion", "1.0.70", 52, false, 1);
    ASSERT_EQ(strings.Data.size(), 488u);

    TBytes block;
    block.U16(708).U16(52).U16(0).Wide("VS_VERSION_INFO").U16(0);
    block.U32(0xFEEF04BD).U32(0x00010000).U32(0x00010046).U32(0).U32(0x00010000).U32(0x00460000);
    block.U32(0).U32(0).U32(0x00040004).U32(1).U32(0).U32(0).U32(0);
    block.U16(548).U16(0).U16(0).Wide("StringFileInfo");
    block.U16(512).U16(0).U16(0).Wide("040704E4");
    block.Data += strings.Data;
    block.U16(68).U16(0).U16(0).Wide("VarFileInfo").U16(0);
    block.U16(36).U16(4).U16(0).Wide("Translation").U16(0).U16(0x0407).U16(1252);
    ASSERT_EQ(block.Data.size(), 708u);

    TBytes file;
    file.U32(0).U32(32).U16(0xFFFF).U16(0).U16(0xFFFF).U16(0).U32(0).U16(0).U16(0).U32(0).U32(0);
    file.U32(708).U32(32).U16(0xFFFF).U16(16).U16(0xFFFF).U16(1).U32(0).U16(0x30).U16(0).U32(0).U32(0);
    file.Data += block.Data;

    EXPECT_EQ(WorkedExample().ResourceBytes(), file.Data);

    // A one-character value ends on a 4-byte boundary already, so nothing follows it.
    TVersionInfo small;
    small.SetValue(0, "x");
    small.SetValue(11, "1.0.70");
    std::string bytes = small.ResourceBytes();
    TBytes comments;
    comments.Entry("Comments", "x", 28, false, 0);
    EXPECT_EQ(bytes.substr(64 + 152, 28), comments.Data);
    EXPECT_EQ(static_cast<unsigned char>(bytes[64 + 152 + 28]), 52u);
}

TEST(TVersionInfo, ParseVersion)
{
    struct TCase {
        const char *Text;
        std::uint32_t Ms, Ls;
    } cases[] = {
        {"1.70", 0x00010046, 0},
        {"1.0.70", 0x00010000, 0x00460000},
        {"2..5", 0x00020000, 0},
        {"1.70000", 0x00011170, 0},
        {"1.2.3.4.5", 0x00010002, 0x00030004},
        {"v1.x2", 0x00010002, 0} /* only digits and points count: "1.2" */,
        {"99999999999.1", 0, 0},
        {"", 0, 0},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Text);
        std::uint32_t ms = 1, ls = 1;
        TVersionInfo::ParseVersion(c.Text, ms, ls);
        EXPECT_EQ(ms, c.Ms);
        EXPECT_EQ(ls, c.Ls);
    }
}

TEST(TVersionInfo, TablesAndLimits)
{
    EXPECT_EQ(TVersionInfo::LanguageId(lanIgnorre), 0);
    EXPECT_EQ(TVersionInfo::LanguageId(lanItalian), 0x0410);
    EXPECT_EQ(TVersionInfo::LanguageId(lanJapanese), 0x0411);
    EXPECT_EQ(TVersionInfo::LanguageId(lanUrdu), 0x0420);
    EXPECT_EQ(TVersionInfo::LanguageId(lanSwiss_French), 0x100C);
    EXPECT_EQ(TVersionInfo::CodePage(csArabic), 1256);
    EXPECT_EQ(LanguageNames().size(), 46u);
    EXPECT_EQ(CharsetNames().size(), 12u);

    TVersionInfo info;
    info.Language = lanIgnorre;
    info.Charset = cs7bit_ASCII;
    std::string bytes = info.ResourceBytes();
    EXPECT_EQ(bytes.substr(64 + 134, 16), TBytes().Wide("00000000").Data.substr(0, 16));

    EXPECT_NO_THROW(info.SetValue(0, std::string(254, 'a')));
    try {
        info.SetValue(2, std::string(255, 'a'));
        ADD_FAILURE() << "a 255-character value was taken";
    } catch (const EProjectError &e) {
        EXPECT_STREQ(e.what(), "The version text for FileDescription is longer than 254 characters");
    }
    EXPECT_THROW(info.SetValue(12, "x"), EProjectError);
}

// ---- the resource of a component, read back by a third-party tool ----------------------------

TEST(TProject, VersionResourceOfTheComponentFlagsAndLogLine)
{
    TTempDir dir;
    TMainform form;
    ReadFormDescription(form, MainformDescription());
    TProject &p = ProjectOf(form);
    p.SetOriginalName("vorlant-designer");
    // The run-time setters drop paths; a folder name that does not exist falls back to the
    // executable's folder, so the test writes next to itself and cleans up.
    std::string resFile = TProject::ResolveFolder("") + "Version.res";
    EXPECT_EQ(TProject::ResolveFolder(dir.Path() + "/missing"), TProject::ResolveFolder(""));
    EXPECT_EQ(TProject::ResolveFolder(dir.Path()), dir.Path() + static_cast<char>(fs::path::preferred_separator));
    p.WriteVersionResource();
    EXPECT_NE(p.Log().back().find(": Versionresource written - build 70."), std::string::npos);
    std::string bytes = ReadText(resFile);
    std::remove(resFile.c_str());
    EXPECT_EQ(bytes, WorkedExample().ResourceBytes()) << "the worked example is the component's own resource";

    struct TCase {
        const char *Name;
        std::function<void(TProject &)> Change;
        unsigned Flags;
    } cases[] = {
        {"beta", [](TProject &q) { q.SetFileVersion("0.9"); }, 0x02},
        {"no number", [](TProject &q) { q.SetFileVersion("1.2.3"); }, 0x02},
        {"special and private", [](TProject &q) { q.SetSpecialBuild("nightly"), q.SetPrivateBuild("mine"); }, 0x28},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TMainform f;
        ReadFormDescription(f, MainformDescription());
        c.Change(ProjectOf(f));
        ProjectOf(f).WriteVersionResource();
        std::string res = ReadText(resFile);
        std::remove(resFile.c_str());
        ASSERT_GT(res.size(), 64u + 72u);
        EXPECT_EQ(static_cast<unsigned char>(res[64 + 64]), c.Flags);
        EXPECT_EQ(static_cast<unsigned char>(res[64 + 68]), c.Flags);
    }

    // A value beyond the slot size is refused: the log says so and nothing is written.
    p.SetComment(std::string(300, 'c'));
    p.WriteVersionResource();
    EXPECT_NE(p.Log().back().find(": Error occured writing versionresource - build 70."), std::string::npos);
    EXPECT_EQ(p.LastResourceError(), "The version text for Comments is longer than 254 characters");
    EXPECT_FALSE(fs::exists(resFile));
}

TEST(TVersionInfo, ThirdPartyReaderAcceptsTheFile)
{
    const char *tool = "x86_64-w64-mingw32-windres";
    if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << tool << " is not installed (Debian package binutils-mingw-w64-x86-64)";
    TTempDir dir;
    TVersionInfo info = WorkedExample();
    info.SetValue(0, "x"); // an odd-length value, to exercise the extra trailer unit
    info.SetValue(10, "special");
    info.Flags = 0x20;
    info.WriteResFile(dir.Path() + "/Version.txt");
    ASSERT_TRUE(fs::exists(dir.Path() + "/Version.res"));
    std::string command = std::string(tool) + " -i '" + dir.Path() + "/Version.res' -o '" + dir.Path() + "/out.rc' 2>'"
                        + dir.Path() + "/err.txt'";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(dir.Path() + "/err.txt");
    std::string rc = ReadText(dir.Path() + "/out.rc");
    for (const char *expected : {"FILEVERSION 1, 70, 0, 0", "PRODUCTVERSION 1, 0, 70, 0", "BLOCK \"040704E4\"", "\"Comments\", \"x\"",
                                 "\"CompanyName\", \"Morvath Computer & Service\"", "\"FileVersion\", \"1.70\"",
                                 "\"InternalName\", \"Vorlant\"", "\"LegalCopyright\", \"Copyright (c) Morvath Computer & Service, 2005\"",
                                 "\"OriginalFilename\", \"vorlant-designer\"", "\"ProductName\", \"Vorlant\"",
                                 "\"ProductVersion\", \"1.0.70\"", "\"SpecialBuild\", \"special\"", "0x407, 1252", "FILEFLAGS 0x20"})
        EXPECT_NE(rc.find(expected), std::string::npos) << expected << "\n" << rc;
}

} // namespace
