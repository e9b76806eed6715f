// SPDX-License-Identifier: GPL-3.0-or-later
// Facts only Windows has: the kernel's event objects, the system's tick, drive letters and their
// types, the file system's own attribute bits and time stamps, the real registry. Skipped elsewhere.
#include <gtest/gtest.h>

#ifdef _WIN32

#include "TempDir.h"
#include "platform/Application.h"
#include "platform/Drives.h"
#include "platform/FileEnum.h"
#include "platform/Registry.h"
#include "platform/SyncObjects.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <windows.h>

namespace {

// A fresh temporary folder whose paths use the system's own separator.
class TWinTempDir : public TTempDir
{
public:
    using TTempDir::Path;
    std::string Path(const std::string &name) const { return Path() + "\\" + name; }

    /// Creates the file `name` of `size` bytes with the last-write time `time` and the attributes `attr`.
    void File(const std::string &name, std::int64_t size, const FILETIME &time, DWORD attr = FILE_ATTRIBUTE_ARCHIVE) const
    {
        HANDLE h = CreateFileA(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << name;
        LARGE_INTEGER end;
        end.QuadPart = size;
        EXPECT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h)) << name;
        EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &time)) << name;
        CloseHandle(h);
        EXPECT_TRUE(SetFileAttributesA(Path(name).c_str(), attr)) << name;
    }
};

FILETIME FileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

// The folder's entries by name (Name itself cleared: it does not outlive the reader).
std::map<std::string, TDirEntry> ReadAll(const std::string &path, std::uint32_t mask)
{
    std::map<std::string, TDirEntry> out;
    TFolderReader reader(path, mask);
    EXPECT_TRUE(reader.Valid()) << path;
    TDirEntry entry;
    while (reader.Next(entry)) {
        std::string name(entry.Name);
        entry.Name = {};
        out[name] = entry;
    }
    return out;
}

} // namespace

TEST(Windows, DriveLettersAndTypes)
{
    std::vector<std::string> drives = DriveTexts();
    ASSERT_EQ(drives.size(), 26u);
    EXPECT_EQ(drives.front(), "A:");
    EXPECT_EQ(drives.back(), "Z:");
    char windows[MAX_PATH + 1] = {};
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 2u);
    const std::string system(windows, 2); // the drive Windows lives on is fixed and holds files
    EXPECT_EQ(DriveTypeOf(system), DRIVE_FIXED);
    EXPECT_TRUE(FolderHasEntries(system));
    // A letter with nothing behind it.
    const DWORD used = GetLogicalDrives();
    for (const std::string &drive : drives)
        if (!(used & (1u << (drive[0] - 'A')))) {
            EXPECT_EQ(DriveTypeOf(drive), DRIVE_NO_ROOT_DIR) << drive;
            EXPECT_FALSE(FolderHasEntries(drive)) << drive;
            break;
        }
}

TEST(Windows, EnumerationReportsTheFileSystemsAttributesSizesAndTimes)
{
    TWinTempDir dir;
    const FILETIME t2001 = FileTimeOf(2001, 2, 3, 4, 5, 6), t1960 = FileTimeOf(1960, 7, 8, 9, 10, 11);
    dir.File("plain.txt", 10, t2001);
    dir.File("big.bin", 5'000'000'000LL, t2001); // beyond 32 bits: the high part counts
    dir.File("old.txt", 1, t1960);
    dir.File("hidden.txt", 2, t2001, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    dir.File("system.txt", 3, t2001, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    dir.File("readonly.txt", 4, t2001, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    std::filesystem::create_directory(dir.Path("sub"));

    auto all = ReadAll(dir.Path(), faAnyFile);
    ASSERT_EQ(all.size(), 7u); // no "." or ".."
    EXPECT_EQ(all["plain.txt"].Size, 10);
    EXPECT_EQ(all["plain.txt"].ModTime, 981173106); // 2001-02-03 04:05:06 UTC
    EXPECT_EQ(all["plain.txt"].Attr & faAnyFile, faArchive);
    EXPECT_FALSE(all["plain.txt"].Folder);
    EXPECT_EQ(all["big.bin"].Size, 5'000'000'000LL);
    EXPECT_EQ(all["old.txt"].ModTime, -299256589); // 1960-07-08 09:10:11 UTC
    EXPECT_EQ(all["hidden.txt"].Attr & faAnyFile, faHidden | faArchive);
    EXPECT_EQ(all["system.txt"].Attr & faAnyFile, faSysFile | faArchive);
    EXPECT_EQ(all["readonly.txt"].Attr & faAnyFile, faReadOnly | faArchive);
    EXPECT_TRUE(all["sub"].Folder);
    EXPECT_EQ(all["sub"].Attr & faDirectory, faDirectory);
    EXPECT_EQ(all["sub"].Size, 0);

    // The mask leaves out entries with hidden, system or directory bits it lacks.
    auto plain = ReadAll(dir.Path(), faReadOnly | faArchive);
    std::vector<std::string> kept;
    for (auto &[name, entry] : plain)
        kept.push_back(name);
    EXPECT_EQ(kept, (std::vector<std::string>{"big.bin", "old.txt", "plain.txt", "readonly.txt"}));

    // A sub-folder opens relative to its parent; a file or a missing name does not.
    TFolderReader parent(dir.Path());
    EXPECT_TRUE(TFolderReader(parent, "sub").Valid());
    EXPECT_FALSE(TFolderReader(parent, "plain.txt").Valid());
    EXPECT_FALSE(TFolderReader(parent, "missing").Valid());
    EXPECT_FALSE(FolderHasEntries(dir.Path("sub")));
    EXPECT_TRUE(FolderHasEntries(dir.Path()));
}


TEST(Windows, EventsAreKernelObjects)
{
    THandle event = CreateEventObject(true, false);
    ASSERT_NE(event, 0u);
    HANDLE native = reinterpret_cast<HANDLE>(event);
    EXPECT_EQ(WaitForSingleObject(native, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(SetEventObject(event));
    EXPECT_EQ(WaitForSingleObject(native, 0), WAIT_OBJECT_0);
    ASSERT_TRUE(ResetEvent(native)); // and the other way round
    THandle list[] = {event};
    EXPECT_EQ(WaitForHandles(1, list, false, 0), WaitTimeout);
    ASSERT_TRUE(CloseHandleObject(event));
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(native, &flags)); // really closed
}

TEST(Windows, TickCountIsTheSystemsTick)
{
    const DWORD before = GetTickCount();
    const std::uint32_t tick = TickCount();
    const DWORD after = GetTickCount();
    EXPECT_LE(tick - before, after - before);
}

// The store works on the real registry: what it writes the registry's own calls read, and the
// other way round. One key of this process's own, removed at the end.
TEST(Windows, RegistryStoreIsTheRealRegistry)
{
    TRegistryStore reg;
    const std::string key = "Software\\Vorlant-test-" + std::to_string(GetCurrentProcessId());
    reg.CreateKey(HKeyCurrentUser, key + "\\Demo\\\\Deeper\\"); // empty segments are ignored
    EXPECT_TRUE(reg.KeyExists(HKeyCurrentUser, key + "\\DEMO\\deeper"));
    EXPECT_TRUE(reg.KeyWritable(HKeyCurrentUser, key));
    const std::string demo = key + "\\Demo";
    const std::vector<std::string> texts = {"plain", "", "two\nlines\r\n", "bad utf8 \xff\xfe", std::string("nul\0inside", 10)};
    for (size_t i = 0; i < texts.size(); ++i)
        reg.WriteString(HKeyCurrentUser, demo, "s" + std::to_string(i), texts[i]);
    reg.WriteDWord(HKeyCurrentUser, demo, "Width", 0xFFFFFFFFu);
    reg.WriteDWord(HKeyCurrentUser, demo, "width", 31); // the same value, any case
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(reg.ReadString(HKeyCurrentUser, demo, "S" + std::to_string(i)), texts[i]) << i;
    EXPECT_EQ(reg.ReadDWord(HKeyCurrentUser, demo, "WIDTH"), 31u);
    EXPECT_EQ(reg.ValueNames(HKeyCurrentUser, demo).size(), texts.size() + 1);
    EXPECT_EQ(reg.SubKeyNames(HKeyCurrentUser, key), (std::vector<std::string>{"Demo"}));

    HKEY native = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, demo.c_str(), 0, KEY_READ | KEY_WRITE, &native), ERROR_SUCCESS);
    DWORD type = 0, number = 0, size = sizeof number;
    EXPECT_EQ(RegQueryValueExA(native, "Width", nullptr, &type, reinterpret_cast<BYTE *>(&number), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 31u);
    const char path[] = "C:\\Program Files\\Vorlant";
    RegSetValueExA(native, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(path), sizeof path);
    RegSetValueExA(native, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>("a\0b\0"), 5);
    RegCloseKey(native);
    EXPECT_EQ(reg.ReadString(HKeyCurrentUser, demo, "path"), path);
    EXPECT_EQ(reg.ValueType(HKeyCurrentUser, demo, "Multi"), static_cast<TRegDataType>(REG_MULTI_SZ));

    // Errors: another type, a missing value or key, the root itself.
    EXPECT_THROW(reg.ReadDWord(HKeyCurrentUser, demo, "s0"), ERegistryException);
    try {
        reg.ReadString(HKeyCurrentUser, demo, "Width");
        ADD_FAILURE() << "no error";
    } catch (const ERegistryException &e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Width'");
    }
    EXPECT_THROW(reg.ReadString(HKeyCurrentUser, demo, "none"), ERegistryException);
    EXPECT_THROW(reg.WriteString(HKeyCurrentUser, key + "\\Missing", "v", "x"), ERegistryException);
    EXPECT_FALSE(reg.ValueType(HKeyCurrentUser, demo, "none"));
    EXPECT_TRUE(reg.DeleteValue(HKeyCurrentUser, demo, "S1"));
    EXPECT_FALSE(reg.DeleteValue(HKeyCurrentUser, demo, "s1"));
    EXPECT_THROW(reg.DeleteKey(HKeyCurrentUser, ""), ERegistryException);

    // A key goes with everything below it.
    EXPECT_TRUE(reg.DeleteKey(HKeyCurrentUser, key));
    EXPECT_FALSE(reg.KeyExists(HKeyCurrentUser, demo));
    EXPECT_FALSE(reg.KeyExists(HKeyCurrentUser, key));
    EXPECT_FALSE(reg.DeleteKey(HKeyCurrentUser, key));
}

#else

TEST(Windows, OnlyOnWindows)
{
    GTEST_SKIP() << "facts of Windows itself";
}

#endif
