// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "platform/Drives.h"
#include "platform/Threads.h"
#include "scan/filefunction.h"

#include <algorithm>
#include <atomic>

TEST(filefunction, NormalizePathWindowsRules)
{
    const std::pair<const char *, const char *> table[] = {
        {"C:\\", "C:"},
        {"C:\\\\", "C:"},
        {"C:", "C:"},
        {"C:x", "C:x"},
        {"C:\\Windows\\", "C:\\Windows"},
        {"C:\\\\boot.ini", "C:\\boot.ini"},
        {"C:\\Windows\\\\notepad.exe", "C:\\Windows\\notepad.exe"},
        {"C:/Windows//system32", "C:\\Windows\\system32"},
        {"C:\\a/\\b\\/c", "C:\\a\\b\\c"},
        {"abc", "abc"},
        {"a/b", "a/b"},
        {"\\\\server\\share\\", "\\\\server\\share"},
        {"dir\\sub\\\\file", "dir\\sub\\file"},
        {"", ""},
    };
    for (const auto &[input, expected] : table)
        EXPECT_EQ(NormalizePathWindows(input), expected) << "input: " << input;
}

TEST(filefunction, NormalizePathPosixRules)
{
    const std::pair<const char *, const char *> table[] = {
        {"/", "/"},
        {"//", "/"},
        {"///", "/"},
        {"/home/", "/home"},
        {"/home//user///x", "/home/user/x"},
        {"//usr/lib", "/usr/lib"},
        {"a\\\\b/", "a\\\\b"}, // a backslash is an ordinary character
        {"rel//dir/", "rel/dir"},
        {"abc", "abc"},
        {"", ""},
    };
    for (const auto &[input, expected] : table)
        EXPECT_EQ(NormalizePathPosix(input), expected) << "input: " << input;
    EXPECT_EQ(NormalizePath("/tmp//x/"), PathDelim == '/' ? "/tmp/x" : "/tmp//x/");
}

TEST(filefunction, SlashToBackslashAndExtractPath)
{
    EXPECT_EQ(SlashToBackslash("a/b//c\\d"), "a\\b\\\\c\\d");
    if (PathDelim == '/') {
        EXPECT_EQ(ExtractPath("/home/user/file.txt"), "/home/user/");
        EXPECT_EQ(ExtractPath("/file"), "/");
        EXPECT_EQ(ExtractPath("file"), "");
    }
}

TEST(filefunction, FormatFileSize)
{
    const std::pair<std::int64_t, const char *> table[] = {
        {0, "0 Bytes"},
        {1023, "1023 Bytes"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {1048575, "1,024.00 KB"},
        {1048576, "1.00 MB"},
        {5000000, "4.77 MB"},
        {1073741824, "1.00 GB"},
        {1099511627775, "1,024.00 GB"},
        // The legend shows tebibytes and more instead of an empty text.
        {1099511627776, "1.00 TB"},
        {5 * 1099511627776LL + 1099511627776LL / 2, "5.50 TB"},
        {1125899906842624LL, "1.00 PB"},
        {INT64_MAX, "8.00 EB"},
    };
    for (const auto &[n, expected] : table)
        EXPECT_EQ(FormatFileSize(n), expected) << "n = " << n;
}

TEST(filefunction, GetDrivesIfType)
{
    try {
        GetDrivesIfType(nullptr, DRIVE_FIXED, true);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "No drivelist in filefunction.GetDrivesIfType");
    }
    // The root file system of this machine is a fixed, non-empty drive; the list is not cleared.
    std::vector<std::string> all{"keep"}, nonEmpty;
    GetDrivesIfType(&all, DRIVE_FIXED, false);
    GetDrivesIfType(&nonEmpty, DRIVE_FIXED, true);
    EXPECT_EQ(all.front(), "keep");
    if (PathDelim == '/') {
        EXPECT_NE(std::find(nonEmpty.begin(), nonEmpty.end(), "/"), nonEmpty.end());
    }
    for (const auto &drive : nonEmpty)
        EXPECT_NE(std::find(all.begin(), all.end(), drive), all.end()) << drive;
    if (PathDelim == '/') { // every Linux drive is a mounted file system, so none lacks its root
        std::vector<std::string> none;
        GetDrivesIfType(&none, DRIVE_NO_ROOT_DIR, false);
        EXPECT_TRUE(none.empty());
    }
}

TEST(filefunction, DriveTypesFromFileSystems)
{
    struct TCase {
        const char *FsType;
        bool Removable, Optical;
        std::uint32_t Expected;
    };
    const TCase table[] = {
        {"ext4", false, false, DRIVE_FIXED},   {"btrfs", false, false, DRIVE_FIXED},
        {"vfat", true, false, DRIVE_REMOVABLE}, {"nfs4", false, false, DRIVE_REMOTE},
        {"cifs", false, false, DRIVE_REMOTE},  {"fuse.sshfs", false, false, DRIVE_REMOTE},
        {"iso9660", false, false, DRIVE_CDROM}, {"udf", true, true, DRIVE_CDROM},
        {"tmpfs", false, false, DRIVE_RAMDISK},
    };
    for (const auto &c : table)
        EXPECT_EQ(DriveTypeFromFileSystem(c.FsType, c.Removable, c.Optical), c.Expected) << c.FsType;
    EXPECT_EQ(DriveTypeOf("/no/such/mount/point"), DRIVE_NO_ROOT_DIR);
}

namespace {

class TOneCall : public TThread
{
public:
    ~TOneCall() override { TerminateAndWait(); }
    std::atomic<bool> Served{false};

protected:
    void Execute() override
    {
        Synchronize([this] { Served = true; });
    }
};

} // namespace

TEST(filefunction, DelayWaitsAndServesCalls)
{
    Delay(0);
    TOneCall worker;
    worker.Resume();
    const std::uint32_t start = TickCount();
    Delay(60);
    EXPECT_GE(TickCount() - start, 60u);
    EXPECT_TRUE(worker.Served); // served inside the wait
}

TEST(filefunction, DelayZeroProcessesNothingAndTerminationEndsWait)
{
    TPlainApplication app;
    SetApplication(&app);
    {
        TOneCall worker;
        worker.Resume();
        Delay(0);
        EXPECT_FALSE(worker.Served);
        app.Terminate();
        const std::uint32_t start = TickCount();
        Delay(5000);
        EXPECT_LT(TickCount() - start, 1000u);
    } // the worker's end is waited for while its call is served
    SetApplication(nullptr);
}
