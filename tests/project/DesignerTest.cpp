// SPDX-License-Identifier: GPL-3.0-or-later
// The design-mode sequences, through the real vorlant-designer on real files with a temporary
// registry hive, and the master-project rule in process.
#include <gtest/gtest.h>

#include "platform/FormDescription.h"
#include "platform/Forms.h"
#include "platform/Registry.h"
#include "project/VProject.h"
#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string &text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct TRun {
    int Exit = -1;
    std::string Out, Err;
};

/// A temporary work folder with its own user registry hive (XDG_CONFIG_HOME) and a form file.
class TDesignSession : public TTempDir
{
public:
    TDesignSession()
        : TTempDir("designer")
        , FRoot(TTempDir::Path())
    {
        fs::create_directories(FRoot + "/work/tool/sub");
        std::ofstream(FRoot + "/work/tool/notes.txt") << "notes";
        std::ofstream(FRoot + "/work/tool/sub/data.ini") << "[data]";
        std::ofstream(FRoot + "/work/tool/main.cpp") << "int main() {}";
        WriteForm("object Form1: TForm1\nend\n");
    }
    using TTempDir::Path;
    std::string Form() const { return ReadText(Path("Form1.vfd")); }
    void WriteForm(const std::string &text) const { std::ofstream(Path("Form1.vfd"), std::ios::binary) << text; }

    /// Runs the designer in the work folder on Form1.vfd (unless the arguments name another
    /// file first) with `input` on its standard input.
    TRun Run(const std::vector<std::string> &args, const std::string &input = "") const
    {
        std::ofstream(Path("stdin.txt")) << input;
        std::string command = "cd " + Quote(FRoot) + " && XDG_CONFIG_HOME=" + Quote(Path("config")) + " " + Quote(DESIGNER_EXE);
        if (args.empty() || args[0].rfind("--", 0) == 0)
            command += " Form1.vfd";
        for (const std::string &a : args)
            command += " " + Quote(a);
        command += " <stdin.txt >stdout.txt 2>stderr.txt";
        TRun run;
        int status = std::system(command.c_str());
        run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.Out = ReadText(Path("stdout.txt"));
        run.Err = ReadText(Path("stderr.txt"));
        return run;
    }

    /// A value of the stored defaults, read from the session's hive ("" when missing).
    std::string Default(const std::string &name) const
    {
        TRegistryPlaces places;
        places.UserHives = Path("config/vorlant/registry");
        places.MachineHives = Path("machine");
        places.Autostart = Path("autostart");
        TRegistryStore store(places);
        try {
            return store.ReadString(HKeyCurrentUser, TUserReg::DefaultsKey(), name);
        } catch (const std::exception &) {
            return "";
        }
    }

    /// The stored project: a new component with the project paths of this session, saved once.
    void CreateProject() const
    {
        TRun run = Run({"--add", "Project1:TProject", "--set", "Project1.ProjectPath=" + Path("work/tool"), "--set",
                        "Project1.BackupPath=" + Path("backup"), "--set", "Project1.BackupFiles=*.TXT; *.ini", "--save"});
        ASSERT_EQ(run.Exit, 0) << run.Err;
    }

private:
    const std::string FRoot;
};

/// The value of "Component.Property = value" in --print output.
std::string Printed(const std::string &out, const std::string &property)
{
    std::string key = "\n" + property + " = ";
    size_t at = ("\n" + out).find(key);
    if (at == std::string::npos)
        return "(not printed)";
    size_t start = at + key.size() - 1;
    return out.substr(start, out.find('\n', start) - start);
}

/// The log lines of --print output, without their date and time.
std::vector<std::string> LogOf(const std::string &out)
{
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    bool inLog = false;
    while (std::getline(in, line)) {
        if (line.rfind("Project1.Log = ", 0) == 0) {
            inLog = true;
            continue;
        }
        if (inLog && line.rfind("  ", 0) != 0)
            break;
        // "  dd.mm.yyyy hh:mm:ss: text" in whatever format the locale gives: keep from ": ".
        if (inLog)
            lines.push_back(line.substr(line.find(": ")));
    }
    return lines;
}

TEST(Designer, NewComponentSavedAtOnceAndTheOneTimeNotice)
{
    TDesignSession s;
    TRun run = s.Run({"--add", "Project1:TProject", "--save", "--print"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Printed(run.Out, "Project1.Build"), "1");
    EXPECT_EQ(LogOf(run.Out), (std::vector<std::string>{": Project started.", ": Versionresource written - build 1."}));
    EXPECT_NE(run.Err.find("[Warning] Please note: The backup-feature has been changed.\nBackups will now include subfolders"),
              std::string::npos)
        << run.Err;
    EXPECT_EQ(s.Default("Warning"), "1");
    EXPECT_EQ(s.Default("Company"), "Tessaloon");
    EXPECT_EQ(s.Default("Language"), "6");
    EXPECT_EQ(s.Default("CharSet"), "7");
    EXPECT_TRUE(fs::exists(s.Path("Version.res"))) << "the project folder of a new component is the current folder";
    EXPECT_NE(s.Form().find("object Project1: TProject\n    Build = 1\n"), std::string::npos) << s.Form();

    // Opening again counts a build but writes nothing without --save; the notice stays away.
    std::string saved = s.Form();
    run = s.Run({"--print"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Printed(run.Out, "Project1.Build"), "2");
    EXPECT_EQ(run.Err.find("[Warning]"), std::string::npos) << run.Err;
    EXPECT_EQ(s.Form(), saved);
}

TEST(Designer, VersionChangeAnsweredYesNoAndCancel)
{
    struct TCase {
        const char *Answer;
        std::string Version, Build;
        std::vector<std::string> LogTail;
        bool BackedUp;
    } cases[] = {
        {"no", "1", "1", {": Version 1", ": Versionresource written - build 1."}, false},
        {"yes", "1", "1", {": Backup successfull", ": Version 1", ": Versionresource written - build 1."}, true},
        {"cancel", "0.01", "3", {": Version 0.01", ": Versionresource written - build 3."}, false},
        {"auto", "1", "1", {": Backup successfull", ": Version 1", ": Versionresource written - build 1."}, true},
        {"smart", "1", "1", {": Changed files backed up successfully", ": Version 1", ": Versionresource written - build 1."}, true},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Answer);
        TDesignSession s;
        s.CreateProject();
        bool automatic = std::string(c.Answer) == "auto";
        TRun run = automatic ? s.Run({"--set", "Project1.AutoBackup=True", "--set", "Project1.FileVersion=V 1", "--save", "--print"})
                 : std::string(c.Answer) == "smart"
                     ? s.Run({"--set", "Project1.SmartBackup=True", "--set", "Project1.FileVersion=V 1", "--answer", "yes", "--save", "--print"})
                     : s.Run({"--set", "Project1.FileVersion=V 1", "--answer", c.Answer, "--save", "--print"});
        ASSERT_EQ(run.Exit, 0) << run.Err;
        if (automatic)
            EXPECT_EQ(run.Err.find("Create backup"), std::string::npos) << run.Err;
        else
            EXPECT_NE(run.Err.find("[Version number changed] Create backup of version 0.01? "),
                      std::string::npos)
                << run.Err;
        EXPECT_EQ(Printed(run.Out, "Project1.FileVersion"), c.Version);
        EXPECT_EQ(Printed(run.Out, "Project1.Build"), c.Build);
        std::vector<std::string> log = LogOf(run.Out);
        ASSERT_GE(log.size(), c.LogTail.size());
        EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(c.LogTail.size()), log.end()), c.LogTail);
        EXPECT_EQ(fs::exists(s.Path("backup/tool/Ver0.01/notes.txt")), c.BackedUp);
        EXPECT_EQ(fs::exists(s.Path("backup/tool/Ver0.01/sub/data.ini")), c.BackedUp);
        EXPECT_FALSE(fs::exists(s.Path("backup/tool/Ver0.01/main.cpp")));
        EXPECT_TRUE(fs::exists(s.Path("work/tool/Version.res")));
    }
}

TEST(Designer, TerminalQuestionAndUnchangedVersion)
{
    TDesignSession s;
    s.CreateProject();
    // Asked on the terminal: the answer comes from standard input.
    TRun run = s.Run({"--set", "Project1.FileVersion=2", "--save", "--print"}, "maybe\nn\n");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_NE(run.Err.find("Create backup of version 0.01? [y]es/[n]o/[c]ancel: Please answer y, n or c: "), std::string::npos)
        << run.Err;
    EXPECT_EQ(Printed(run.Out, "Project1.FileVersion"), "2");
    EXPECT_EQ(Printed(run.Out, "Project1.Build"), "1");

    // The same version again: no question, the build goes on, one more log line.
    run = s.Run({"--set", "Project1.FileVersion=2", "--print"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Err.find("Create backup"), std::string::npos) << run.Err;
    EXPECT_EQ(Printed(run.Out, "Project1.Build"), "2");
    EXPECT_EQ(LogOf(run.Out).back(), ": Version 2");
}

TEST(Designer, BadArgumentsChangeNothing)
{
    TDesignSession s;
    s.CreateProject();
    std::string saved = s.Form();
    std::string warning = s.Default("Warning");
    struct TCase {
        std::vector<std::string> Args;
        int Exit;
        const char *Message;
    } cases[] = {
        {{"--set", "Nope.Build=1", "--save"}, 1, "--set Nope.Build=1: there is no component named Nope"},
        {{"--set", "Project1.Size=1", "--save"}, 1, "--set Project1.Size=1: TProject has no property Size"},
        {{"--set", "Project1.Build=abc", "--save"}, 1, "--set Project1.Build=abc: Build: 'abc' is not an integer"},
        {{"--set", "Project1.Language=lanKlingon", "--save"}, 1, "Language: 'lanKlingon' is not one of lanArabic,"},
        {{"--set", "Project1.MasterProject=Ghost", "--save"}, 1, "there is no component named 'Ghost'"},
        {{"--set", "Project1.Company=" + std::string(300, 'c'), "--save"}, 1,
         "Cannot store the defaults: a text is longer than 299 characters"},
        {{"--answer", "perhaps"}, 2, "--answer takes yes, no or cancel, not 'perhaps'"},
        {{"--set", "Build=1"}, 2, "--set takes Component.Property=Value"},
        {{"Missing.vfd"}, 1, "Missing.vfd: cannot open the form description"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Args[0] + " " + (c.Args.size() > 1 ? c.Args[1].substr(0, 40) : ""));
        TRun run = s.Run(c.Args);
        EXPECT_EQ(run.Exit, c.Exit);
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
        EXPECT_EQ(s.Form(), saved);
    }
    s.WriteForm("object Form1: TForm1\n  object Project1: TProject\n    Build = 'x'\n  end\nend\n");
    TRun run = s.Run({"--print"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(run.Err.find("Form1.vfd: line 3, column 13: Build expects an integer"), std::string::npos) << run.Err;
    EXPECT_EQ(s.Default("Warning"), warning);
}

TEST(Designer, TheMainWindowsDescription)
{
    TDesignSession s;
    fs::copy_file(VFD_FILE, s.Path("Form1.vfd"), fs::copy_options::overwrite_existing);
    TRun run = s.Run({"--print"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Printed(run.Out, "Title"), "Vorlant");
    EXPECT_EQ(Printed(run.Out, "VorlantMainform.Caption"), "Morvath Computer & Service --- Vorlant  [Version 1.0 (Build 71)]");
    EXPECT_EQ(Printed(run.Out, "Project1.OriginalName"), "vorlant-designer");

    run = s.Run({"--set", "Project1.ProjectPath=" + s.Path("work/tool"), "--save"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    std::string form = s.Form();
    EXPECT_NE(form.find("    Build = 72\n"), std::string::npos);
    EXPECT_NE(form.find("'Morvath Computer & Service --- Vorlant  [Version 1.0 (Build 71)]'"), std::string::npos);
    EXPECT_NE(form.find(": Versionresource written - build 72.')"), std::string::npos);
    std::string res = ReadText(s.Path("work/tool/Version.res"));
    ASSERT_GT(res.size(), 64u + 56u);
    EXPECT_EQ(static_cast<unsigned char>(res[64 + 48]), 72u) << "file version 1.72.0.0";
}

// ---- master project, in process ---------------------------------------------------------------

class TDesignedForm : public TForm
{
public:
    TDesignedForm()
        : TForm(nullptr)
    {
        SetDesigning(true);
    }
    std::string ClassName() const override { return "TForm1"; }
};

/// Points the registry store at a temporary hive for the test's lifetime.
class TTempRegistry
{
public:
    TTempRegistry()
    {
        TRegistryPlaces places{FHives.Path("user"), FHives.Path("machine"), FHives.Path("autostart")};
        TRegistryStore::SetDefault(std::make_shared<TRegistryStore>(places));
    }
    ~TTempRegistry() { TRegistryStore::SetDefault(nullptr); }

private:
    TTempDir FHives{"hive"};
};

TEST(TProjectDesign, MasterProjectSharesTheGreaterBuild)
{
    TTempRegistry registry;
    TDesignedForm masterForm, form;
    auto *master = new TProject(&masterForm);
    master->SetBuild(40);
    auto *p = new TProject(&form);
    p->SetMasterProject(master); // copies the master's settings
    p->SetBuild(12);
    p->Loaded();
    EXPECT_EQ(p->Build(), 40);
    EXPECT_EQ(master->Build(), 40);
    EXPECT_EQ(master->LastBuild(), p->LastBuild());

    // Saving counts no build of its own and writes no resource; the greater number wins again.
    size_t logLines = p->Log().size();
    master->SetBuild(44);
    p->WriteState();
    EXPECT_EQ(p->Build(), 44);
    EXPECT_EQ(p->Log().size(), logLines);

    // The master goes: the reference is cleared.
    delete master;
    EXPECT_EQ(p->MasterProject(), nullptr);
    p->SetMasterProject(p);
    EXPECT_EQ(p->MasterProject(), nullptr);
}

TEST(TProjectDesign, FailingBackupKeepsTheVersionAndResetsTheBuild)
{
    TTempRegistry registry;
    TTempDir dir("blocked");
    const std::string root = dir.Path();
    fs::create_directories(root + "/tool/");
    std::ofstream(root + "/blocker") << "a file where the backup folder should go";
    TDesignedForm form;
    auto *p = new TProject(&form);
    p->SetFileVersion("1"); // the initial value: no question
    p->SetProjectPath(root + "/tool/");
    EXPECT_EQ(p->VersionFolderName("1"), "tool/Ver1/") << "a trailing separator does not hide the folder name";
    p->SetBackupPath(root + "/blocker");
    p->SetAutoBackup(true);
    p->SetBuild(17);
    try {
        p->SetFileVersion("2");
        ADD_FAILURE() << "the backup did not fail";
    } catch (const EProjectError &e) {
        EXPECT_NE(std::string(e.what()).find("Cannot create folder " + root + "/blocker/tool/Ver1/"), std::string::npos) << e.what();
    }
    EXPECT_EQ(p->FileVersion(), "1");
    EXPECT_EQ(p->Build(), 0);
}

TEST(TUserReg, ValuesLimitsAndFailures)
{
    TTempRegistry registry;
    TUserReg reg;
    EXPECT_FALSE(reg.IsOpen());
    reg.OpenKey("\\SOFTWARE\\Test");
    EXPECT_TRUE(reg.IsOpen());
    reg.WriteInteger("Count", -21);
    reg.WriteString("Text", "hello");
    EXPECT_EQ(reg.ReadInteger("count", 5), -21) << "value names match without regard to case";
    EXPECT_EQ(reg.ReadString("Text", "x"), "hello");
    EXPECT_EQ(reg.ReadString("Missing", "fallback"), "fallback");
    EXPECT_THROW(reg.ReadInteger("Text", 0), EConvertError);

    auto message = [](const std::function<void()> &action) {
        try {
            action();
        } catch (const std::exception &e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    EXPECT_EQ(message([&] { reg.WriteString("Long", std::string(300, 'x')); }).rfind("The registry text is longer than 299 characters", 0), 0u);
    EXPECT_EQ(message([&] { reg.WriteInteger(std::string(300, 'n'), 1); }).rfind("The registry value name is longer than 299", 0), 0u);
    // Data longer than the buffer, written by someone else, reads as the default.
    TRegistryStore::Default()->WriteString(HKeyCurrentUser, "SOFTWARE\\Test", "Long", std::string(300, 'x'));
    EXPECT_EQ(reg.ReadString("Long", "kept"), "kept");
    EXPECT_EQ(message([&] { reg.OpenKey(std::string(100, 'k')); }).rfind("The registry key path is longer than 99", 0), 0u);
    reg.CloseKey();
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_EQ(message([&] { reg.WriteString("Text", "x"); }), "Error writing string to Registry");
}

TEST(TProjectDesign, AssignCopiesInItsOrderAndRefusesOtherClasses)
{
    TTempRegistry registry;
    TDesignedForm form;
    auto *source = new TProject(&form);
    source->SetBuild(9);
    source->SetProductname("Other_Tool");
    source->SetLanguage(lanFrench);
    auto *p = new TProject(&form);
    p->SetAutoBackup(true);
    p->Assign(*source);
    EXPECT_EQ(p->Build(), 9);
    EXPECT_EQ(p->Productname(), "Other_Tool");
    EXPECT_EQ(p->Language(), lanFrench);
    EXPECT_FALSE(p->AutoBackup());
    EXPECT_EQ(p->BackupFiles(), "*.*");
    EXPECT_EQ(p->ProjectPath(), "");
    EXPECT_TRUE(p->Log().empty()) << "the log is emptied and the initial version is no change";
    TComponent plain(nullptr);
    EXPECT_THROW(p->Assign(plain), EConvertError);
}

} // namespace
