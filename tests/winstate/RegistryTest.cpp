// SPDX-License-Identifier: GPL-3.0-or-later
#include "WinstateTestSupport.h"

#include "platform/RegHive.h"
#include "platform/Registry.h"

#include <random>
#include <thread>

namespace {

TRegistryPlaces Places(const TTempDir &dir)
{
    return {dir / "user", dir / "machine", dir / "autostart"};
}

} // namespace

TEST(TRegistryStore, ValuesRoundTripThroughTheHiveText)
{
    TTempDir dir;
    TRegistryStore reg(Places(dir));
    reg.CreateKey(HKeyCurrentUser, "Software\\Quenby Software\\Demo");
    const std::vector<std::string> texts = {"plain", "", "with \"quotes\" and \\backslash\\", "two\nlines\r\n",
        "\xc3\xa4\xe2\x82\xac", "bad utf8 \xff\xfe", std::string("nul\0inside", 10)};
    for (size_t i = 0; i < texts.size(); ++i)
        reg.WriteString(HKeyCurrentUser, "software\\QUENBY software\\demo", "s" + std::to_string(i), texts[i]);
    reg.WriteDWord(HKeyCurrentUser, "Software\\Quenby Software\\Demo", "Width", 0xFFFFFFFFu);
    reg.WriteDWord(HKeyCurrentUser, "Software\\Quenby Software\\Demo", "width", 31); // same value, any case

    TRegistryStore again(Places(dir)); // a second instance reads the file afresh
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(again.ReadString(HKeyCurrentUser, "Software\\Quenby Software\\Demo", "S" + std::to_string(i)), texts[i]) << i;
    EXPECT_EQ(again.ReadDWord(HKeyCurrentUser, "Software\\Quenby Software\\Demo", "WIDTH"), 31u);
    EXPECT_EQ(again.ValueNames(HKeyCurrentUser, "Software\\Quenby Software\\Demo").size(), texts.size() + 1);

    std::string hive = ReadText(dir / "user/HKEY_CURRENT_USER.reg");
    EXPECT_EQ(hive.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
    EXPECT_NE(hive.find("[HKEY_CURRENT_USER\\Software\\Quenby Software\\Demo]\n"), std::string::npos);
    EXPECT_NE(hive.find("\"Width\"=dword:0000001f\n"), std::string::npos);
    EXPECT_NE(hive.find("\"s2\"=\"with \\\"quotes\\\" and \\\\backslash\\\\\"\n"), std::string::npos);
    EXPECT_NE(hive.find("\"s3\"=hex(1):74,00,77,00"), std::string::npos); // line breaks go as UTF-16 hex
    EXPECT_FALSE(std::filesystem::exists(dir / "machine")); // other roots untouched
}

TEST(TRegistryStore, TypeMismatchAndMissingValuesRaise)
{
    TTempDir dir;
    TRegistryStore reg(Places(dir));
    reg.CreateKey(HKeyLocalMachine, "K");
    reg.WriteString(HKeyLocalMachine, "K", "text", "5");
    reg.WriteDWord(HKeyLocalMachine, "K", "number", 5);
    EXPECT_THROW(reg.ReadDWord(HKeyLocalMachine, "K", "text"), ERegistryException);
    try {
        reg.ReadString(HKeyLocalMachine, "K", "number");
        FAIL();
    } catch (const ERegistryException &e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'number'");
    }
    EXPECT_THROW(reg.ReadString(HKeyLocalMachine, "K", "none"), ERegistryException);
    EXPECT_THROW(reg.WriteString(HKeyLocalMachine, "Missing", "v", "x"), ERegistryException);
    EXPECT_THROW(reg.CreateKey(HKeyPerformanceData, "K"), ERegistryException);
    EXPECT_EQ(reg.ValueType(HKeyLocalMachine, "K", "number"), TRegDataType::rdInteger);
    EXPECT_FALSE(reg.ValueType(HKeyLocalMachine, "K", "none"));
}

TEST(TRegistryStore, KeysNestAndDeleteWithSubkeys)
{
    TTempDir dir;
    TRegistryStore reg(Places(dir));
    reg.CreateKey(HKeyCurrentUser, "A\\B\\C");
    reg.CreateKey(HKeyCurrentUser, "A\\\\D\\"); // empty segments are ignored
    EXPECT_TRUE(reg.KeyExists(HKeyCurrentUser, "a\\b"));
    EXPECT_EQ(reg.SubKeyNames(HKeyCurrentUser, "A"), (std::vector<std::string>{"B", "D"}));
    EXPECT_EQ(reg.SubKeyNames(HKeyCurrentUser, ""), (std::vector<std::string>{"A"}));
    EXPECT_TRUE(reg.DeleteKey(HKeyCurrentUser, "a\\B"));
    EXPECT_FALSE(reg.KeyExists(HKeyCurrentUser, "A\\B\\C"));
    EXPECT_TRUE(reg.KeyExists(HKeyCurrentUser, "A\\D"));
    EXPECT_FALSE(reg.DeleteKey(HKeyCurrentUser, "A\\B"));
    EXPECT_THROW(reg.DeleteKey(HKeyCurrentUser, ""), ERegistryException);
}

TEST(TRegistryStore, UnwritableRootRefusesWritesButReads)
{
    TTempDir dir;
    TRegistryPlaces places = Places(dir);
    places.MachineHives = UnwritableFolder(dir);
    TRegistryStore reg(places);
    EXPECT_THROW(reg.CreateKey(HKeyLocalMachine, "Software"), ERegistryException);
    EXPECT_FALSE(reg.KeyExists(HKeyLocalMachine, "Software"));
    EXPECT_FALSE(reg.KeyWritable(HKeyLocalMachine, ""));
    reg.CreateKey(HKeyCurrentUser, "Software");
    EXPECT_TRUE(reg.KeyWritable(HKeyCurrentUser, "Software"));

    // A hive in a folder the user may read but not write: readable, and writes are refused.
    TRegistryStore seeded(Places(dir));
    seeded.CreateKey(HKeyLocalMachine, "K");
    seeded.WriteString(HKeyLocalMachine, "K", "v", "kept");
    ::chmod((dir / "machine").c_str(), 0555);
    const std::string before = ReadText(dir / "machine/HKEY_LOCAL_MACHINE.reg");
    EXPECT_UNPRIVILEGED(([&] {
        TRegistryStore user(Places(dir));
        bool refused = false;
        try {
            user.WriteString(HKeyLocalMachine, "K", "v", "changed");
        } catch (const ERegistryException &) {
            refused = true;
        }
        return refused && user.ReadString(HKeyLocalMachine, "K", "v") == "kept" && !user.KeyWritable(HKeyLocalMachine, "K");
    }));
    EXPECT_EQ(ReadText(dir / "machine/HKEY_LOCAL_MACHINE.reg"), before);
}

TEST(TRegistryStore, DamagedHiveKeepsWhatItCannotRead)
{
    TTempDir dir;
    WriteText(dir / "user/HKEY_CURRENT_USER.reg",
        "garbage before the signature\n"
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\X]\n"
        "\"good\"=\"1\"\n"
        "\"broken\"=dword:zz\n"
        "\"multi\"=hex(7):61,00,00,00,\\\n  00,00\n"
        "[HKEY_LOCAL_MACHINE\\Foreign]\n"
        "\"f\"=\"g\"\n"
        "[HKEY_CURRENT_USER\\Software\\Truncated]\n"
        "\"half\"=\"no end");
    TRegistryStore reg(Places(dir));
    EXPECT_EQ(reg.ReadString(HKeyCurrentUser, "Software\\X", "good"), "1");
    EXPECT_FALSE(reg.ValueType(HKeyCurrentUser, "Software\\X", "broken"));
    EXPECT_EQ(reg.ValueType(HKeyCurrentUser, "Software\\X", "multi"), static_cast<TRegDataType>(7));
    reg.WriteString(HKeyCurrentUser, "Software\\X", "new", "v");
    std::string hive = ReadText(dir / "user/HKEY_CURRENT_USER.reg");
    for (const char *kept : {"garbage before the signature", "\"broken\"=dword:zz", "\"multi\"=hex(7):61,00,00,00,00,00",
             "[HKEY_LOCAL_MACHINE\\Foreign]", "\"f\"=\"g\"", "\"half\"=\"no end", "\"new\"=\"v\""})
        EXPECT_NE(hive.find(kept), std::string::npos) << kept;
    EXPECT_EQ(reg.ReadString(HKeyCurrentUser, "Software\\X", "good"), "1");
}

TEST(TRegistryStore, TwoInstancesLoseNothing)
{
    TTempDir dir;
    constexpr int PerThread = 30;
    TRegistryStore(Places(dir)).CreateKey(HKeyCurrentUser, "K");
    auto writer = [&](const std::string &prefix) {
        TRegistryStore reg(Places(dir));
        for (int i = 0; i < PerThread; ++i)
            reg.WriteDWord(HKeyCurrentUser, "K", prefix + std::to_string(i), static_cast<std::uint32_t>(i));
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    EXPECT_EQ(TRegistryStore(Places(dir)).ValueNames(HKeyCurrentUser, "K").size(), 2u * PerThread);
}

TEST(TRegistryStore, LoginStartEntry)
{
    TTempDir dir;
    TRegistryStore reg(Places(dir));
    reg.SetLoginStart("Disk tool", "/opt/my tools/vorlant", "--min %x", true);
    std::string entry = ReadText(dir / "autostart/Disk-tool.desktop");
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"/opt/my tools/vorlant\" --min %%x\n"), std::string::npos) << entry;
    EXPECT_TRUE(reg.LoginStartExists("Disk tool"));
    reg.SetLoginStart("Disk tool", "/opt/my tools/vorlant", "", false);
    EXPECT_FALSE(reg.LoginStartExists("Disk tool"));
}

TEST(TRegHive, FuzzedHivesParseStablyAndKeepTheirValues)
{
    // Any bytes parse; writing the result and parsing it again gives the same text and values.
    std::mt19937 rng(42);
    const std::vector<std::string> pieces = {"[", "]", "HKEY_CURRENT_USER", "\\", "\"", "=", "@", "dword:", "hex:",
        "hex(1):", "hex(7):", "41,00", "00", ",", "\n", "\r\n", " ", "-", "a", "B", "1f", "Windows Registry Editor Version 5.00",
        std::string(1, '\0'), "\xff"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        int n = static_cast<int>(rng() % 50);
        for (int i = 0; i < n; ++i)
            text += rng() % 6 ? pieces[rng() % pieces.size()] : std::string(1, static_cast<char>(rng() % 256));
        TRegHive first("HKEY_CURRENT_USER");
        first.Parse(text);
        std::string once = first.Text();
        TRegHive second("HKEY_CURRENT_USER");
        second.Parse(once);
        ASSERT_EQ(second.Text(), once) << "round " << round;
        TRegHiveKey &k = second.Create("Fuzz\\Key");
        k.Values.push_back(TRegValue{"v", RegTypeString, "x\n\"y\"", 0, ""});
        TRegHive third("HKEY_CURRENT_USER");
        third.Parse(second.Text());
        const TRegHiveKey *found = third.Find("fuzz\\KEY");
        ASSERT_NE(found, nullptr);
        const TRegValue *v = TRegHive::FindValue(*found, "V");
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->Text, "x\n\"y\"");
    }
}
