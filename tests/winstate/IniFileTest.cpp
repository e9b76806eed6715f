// SPDX-License-Identifier: GPL-3.0-or-later
#include "WinstateTestSupport.h"

#include "platform/Component.h"
#include "platform/IniFile.h"

#include <random>
#include <thread>

TEST(TIniFile, ValuesRoundTripExactly)
{
    TTempDir dir;
    TIniFile ini(dir / "App.INI");
    const std::vector<std::string> texts = {"plain", "", "  leading and trailing  ", "\"quoted\"", "'single'",
        "a=b=c", "; not a comment", "[not a section]", "tab\tinside", "\"half", std::string(3000, 'x')};
    for (size_t i = 0; i < texts.size(); ++i)
        ini.WriteString("Options", "v" + std::to_string(i), texts[i]);
    for (size_t i = 0; i < texts.size(); ++i) {
        std::string expected = texts[i].substr(0, IniMaxRead); // reads are cut at 2047 characters
        EXPECT_EQ(ini.ReadString("options", "V" + std::to_string(i), "?"), expected) << i;
    }
    ini.WriteInteger("Options", "Count", -42);
    ini.WriteBool("Options", "On", true);
    ini.WriteBool("Options", "Off", false);
    EXPECT_EQ(ini.ReadInteger("OPTIONS", "count", 0), -42);
    EXPECT_TRUE(ini.ReadBool("Options", "On", false));
    EXPECT_FALSE(ini.ReadBool("Options", "Off", true));
    EXPECT_NE(ReadText(ini.FileName()).find("On=1"), std::string::npos);
    EXPECT_NE(ReadText(ini.FileName()).find("Off=0"), std::string::npos);
    EXPECT_EQ(ini.ReadString("Options", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("Nowhere", "v0", "def"), "def");
}

TEST(TIniFile, IntegerConversion)
{
    struct Case {
        const char *text;
        int expected;
    } cases[] = {{"0x1F", 31}, {"0X1f", 31}, {"$10", 16}, {"0xFFFFFFFF", -1}, {"0x100000000", 7}, {"abc", 7},
        {"", 7}, {"12abc", 7}, {" 35 ", 35}, {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX},
        {"2147483648", 7}, {"+5", 5}, {"-", 7}, {"0x", 7}};
    for (const Case &c : cases)
        EXPECT_EQ(IniStrToIntDef(c.text, 7), c.expected) << c.text;

    TTempDir dir;
    WriteText(dir / "a.ini", "[S]\nhex=0x1F\nbad=abc\nflag=0x0\n");
    TIniFile ini(dir / "a.ini");
    EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "bad", 9), 9);
    EXPECT_FALSE(ini.ReadBool("S", "flag", true));
    EXPECT_TRUE(ini.ReadBool("S", "bad", true)); // not a number: the default
}

TEST(TIniFile, WritesKeepEveryOtherLine)
{
    TTempDir dir;
    const std::string original = "; written by hand\r\n[Other]\r\nkeep = this \r\n\r\n[Options]\r\nFilecount=20\r\n"
                                 "; comment in the section\r\n\r\n[TForm1_Controls\\lbFiles]\r\nlbFiles_Count=2\r\n"
                                 "garbage line without equals\r\n";
    WriteText(dir / "App.INI", original);
    TIniFile ini(dir / "App.INI");
    ini.WriteString("options", "FILECOUNT", "35");
    ini.WriteString("Options", "New", "x");
    std::string text = ReadText(dir / "App.INI");
    EXPECT_EQ(text, "; written by hand\r\n[Other]\r\nkeep = this \r\n\r\n[Options]\r\nFilecount=35\r\nNew=x\r\n"
                    "; comment in the section\r\n\r\n[TForm1_Controls\\lbFiles]\r\nlbFiles_Count=2\r\n"
                    "garbage line without equals\r\n");
    EXPECT_EQ(ini.ReadString("Other", "keep", ""), "this");
    EXPECT_EQ(ini.ReadInteger("TForm1_Controls\\LBFILES", "lbFiles_Count", 0), 2);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Other", "Options", "TForm1_Controls\\lbFiles"}));
    EXPECT_EQ(ini.ReadSectionValues("Options"), (std::vector<std::string>{"Filecount=35", "New=x"}));

    ini.EraseSection("OPTIONS");
    EXPECT_FALSE(ini.SectionExists("Options"));
    EXPECT_EQ(ini.ReadString("Other", "keep", ""), "this");
    EXPECT_TRUE(ini.ValueExists("TForm1_Controls\\lbFiles", "lbfiles_count"));
}

TEST(TIniFile, DuplicatesFirstCountsAndEraseRemovesAll)
{
    TTempDir dir;
    WriteText(dir / "d.ini", "[A]\nx=1\nx=2\n[B]\ny=1\n[a]\nx=3\n");
    TIniFile ini(dir / "d.ini");
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "B"}));
    ini.EraseSection("a");
    EXPECT_EQ(ReadText(dir / "d.ini"), "[B]\ny=1\n");
}

TEST(TIniFile, RefusedWritesChangeNothingAndSay)
{
    TTempDir dir;
    WriteText(dir / "App.INI", "[S]\nv=1\n");
    TIniFile ini(dir / "App.INI");
    EXPECT_THROW(ini.WriteString("S", "v", "two\nlines"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", "a=b", "x"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S]", "v", "x"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", " ", "x"), EIniFileException);
    EXPECT_EQ(ReadText(dir / "App.INI"), "[S]\nv=1\n");

    TIniFile nowhere(UnwritableFolder(dir) + "/App.INI");
    try {
        nowhere.WriteString("S", "v", "x");
        FAIL() << "a write below a regular file succeeded";
    } catch (const EIniFileException &e) {
        EXPECT_NE(std::string(e.what()).find("App.INI"), std::string::npos) << e.what();
    }
    EXPECT_EQ(nowhere.ReadString("S", "v", "def"), "def");
}

TEST(TIniFile, ConcurrentWritersLoseNothing)
{
    TTempDir dir;
    constexpr int PerThread = 40;
    auto writer = [&](const std::string &prefix) {
        TIniFile ini(dir / "App.INI"); // one object per writer, as two running programs would have
        for (int i = 0; i < PerThread; ++i)
            ini.WriteInteger("S", prefix + std::to_string(i), i);
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    TIniFile ini(dir / "App.INI");
    EXPECT_EQ(ini.ReadSection("S").size(), 2u * PerThread);
}

TEST(TIniFile, FuzzedFilesNeverCrashAndKeepTheirOtherValues)
{
    // Random files made of INI-ish fragments and raw bytes: reading never fails, and a write
    // changes the value written and nothing that could be read before.
    std::mt19937 rng(20261211);
    const std::vector<std::string> pieces = {"[", "]", "=", "\n", "\r\n", "\r", ";", " ", "\t", "\"", "'", "S",
        "s", "v", "x", "\\", "[S]", "v=1", "\xEF\xBB\xBF", std::string(1, '\0'), "\xff", "0x1F"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i)
            text += rng() % 5 ? pieces[rng() % pieces.size()] : std::string(1, static_cast<char>(rng() % 256));
        std::vector<std::pair<std::string, std::string>> before;
        for (const std::string &section : IniText::Sections(text))
            for (const std::string &name : IniText::Names(text, section)) {
                std::string value;
                if (IniText::Get(text, section, name, value))
                    before.emplace_back(section + "\n" + name, value);
            }
        std::string changed = text;
        IniText::Set(changed, "Fuzz", "key", "value " + std::to_string(round));
        std::string got;
        ASSERT_TRUE(IniText::Get(changed, "fuzz", "KEY", got)) << round;
        EXPECT_EQ(got, "value " + std::to_string(round));
        for (const auto &[where, value] : before) {
            size_t nl = where.find('\n');
            if (SameText(where.substr(0, nl), "Fuzz"))
                continue;
            std::string after;
            ASSERT_TRUE(IniText::Get(changed, where.substr(0, nl), where.substr(nl + 1), after)) << round;
            EXPECT_EQ(after, value) << round;
        }
        IniText::EraseSection(changed, "fuzz");
        EXPECT_FALSE(IniText::Get(changed, "Fuzz", "key", got)) << round;
    }
}
