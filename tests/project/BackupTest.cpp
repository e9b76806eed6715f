// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/DiskSpace.h"
#include "platform/FileEnum.h"
#include "project/VProject.h"
#include "TempDir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

class TTree : public TTempDir
{
public:
    TTree()
        : TTempDir("backup")
    {
    }
    using TTempDir::Path;
    void Write(const std::string &relative, const std::string &text) const
    {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary | std::ios::trunc) << text;
    }
    std::string Read(const std::string &relative) const { return ReadText(Path(relative)); }
    /// Every file below `relative`, as relative paths.
    std::set<std::string> Files(const std::string &relative) const
    {
        std::set<std::string> files;
        for (auto &e : fs::recursive_directory_iterator(Path(relative)))
            if (e.is_regular_file())
                files.insert(fs::relative(e.path(), Path(relative)).generic_string());
        return files;
    }
};

/// A project tree: sources, a sub-folder, a dot folder and a hidden file.
void FillProject(const TTree &tree)
{
    tree.Write("work/tool/notes.txt", "notes");
    tree.Write("work/tool/setup.ini", "[a]");
    tree.Write("work/tool/main.cpp", "int main() {}");
    tree.Write("work/tool/sub/data.ini", "[b]");
    tree.Write("work/tool/.git/config.txt", "git");
    tree.Write("work/tool/.hidden.txt", "hidden");
}

TBackup MakeBackup(const TTree &tree, const std::string &masks, int smart)
{
    TBackup backup;
    TBackup::ForceFolder(tree.Path("backup/tool/Ver1"));
    backup.SetTargetPath(tree.Path("backup/tool/Ver1"));
    backup.SetSourcePath(tree.Path("work/tool/"));
    backup.SetMasks(masks);
    backup.Smart = smart;
    backup.ManifestFile = tree.Path("backup/tool/.archive-state");
    return backup;
}

TEST(TBackup, MasksSubfoldersAndDotFolders)
{
    struct TCase {
        const char *Masks;
        std::set<std::string> Copied;
    } cases[] = {
        {"*.txt; *.ini", {"notes.txt", "setup.ini", "sub/data.ini", ".hidden.txt"}},
        {"", {"notes.txt", "setup.ini", "main.cpp", "sub/data.ini", ".hidden.txt"}},
        {"*.CPP", {"main.cpp"}},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Masks);
        TTree tree;
        FillProject(tree);
        TBackup backup = MakeBackup(tree, c.Masks, 0);
        backup.Execute();
        EXPECT_EQ(tree.Files("backup/tool/Ver1"), c.Copied);
        EXPECT_EQ(tree.Read("backup/tool/Ver1/sub/data.ini"), c.Copied.count("sub/data.ini") ? "[b]" : "");
    }
}

/// Whether a smart backup can tell changed files here: always on Linux (the manifest); on Windows
/// when the file system keeps a cleared archive attribute (Wine's reports it for every file).
bool ArchiveStateKept(const TTree &tree)
{
    if (!ArchiveAttributeKept)
        return true;
    tree.Write("probe", "x");
    std::uint32_t attr = 0;
    const bool kept = WriteFileAttributes(tree.Path("probe"), 0) && ReadFileAttributes(tree.Path("probe"), attr) && !(attr & faArchive);
    fs::remove(tree.Path("probe"));
    return kept;
}

TEST(TBackup, SmartBackupCopiesExactlyWhatChangedSinceTheLastOne)
{
    TTree tree;
    if (!ArchiveStateKept(tree))
        GTEST_SKIP() << "this file system does not keep a cleared archive attribute";
    FillProject(tree);
    // Without smart backup a file matching two masks is copied once per mask.
    TBackup all = MakeBackup(tree, "*.txt;notes.*", 0);
    all.Execute();
    EXPECT_EQ(all.FilesCopied(), 3);

    // That backup cleared the archive state of what it copied; a smart one copies nothing more.
    TBackup again = MakeBackup(tree, "*.txt;notes.*", 1);
    again.Execute();
    EXPECT_EQ(again.FilesCopied(), 0);

    // A changed file, and one never backed up, are copied once, whichever masks match them.
    tree.Write("work/tool/notes.txt", "notes, longer now");
    TBackup smart = MakeBackup(tree, "*.txt;notes.*;*.ini", 1);
    smart.Execute();
    EXPECT_EQ(smart.FilesCopied(), 3); // notes.txt, setup.ini, sub/data.ini
    EXPECT_EQ(tree.Read("backup/tool/Ver1/notes.txt"), "notes, longer now");

    TBackup twice = MakeBackup(tree, "*.*", 1);
    twice.Execute();
    EXPECT_EQ(twice.FilesCopied(), 1); // main.cpp, never copied before
    TBackup nothing = MakeBackup(tree, "*.*", 1);
    nothing.Execute();
    EXPECT_EQ(nothing.FilesCopied(), 0);
}

TEST(TBackup, ReadOnlyCopyIsOverwrittenAndTheSourceLosesReadOnly)
{
    TTree tree;
    FillProject(tree);
    TBackup first = MakeBackup(tree, "notes.txt", 0);
    first.Execute();
    fs::permissions(tree.Path("backup/tool/Ver1/notes.txt"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    tree.Write("work/tool/notes.txt", "second");
    fs::permissions(tree.Path("work/tool/notes.txt"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    TBackup second = MakeBackup(tree, "notes.txt", 0);
    second.Execute();
    EXPECT_EQ(tree.Read("backup/tool/Ver1/notes.txt"), "second");
    EXPECT_NE(fs::status(tree.Path("backup/tool/Ver1/notes.txt")).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_NE(fs::status(tree.Path("work/tool/notes.txt")).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST(TBackup, HiddenSystemAndReadOnlyAttributes)
{
    if (!ArchiveAttributeKept)
        GTEST_SKIP() << "Linux keeps no hidden or system attribute; dot names stand for hidden";
    TTree tree;
    const char *files[] = {"read-only.txt", "hidden.txt", "system.txt", "plain/in.txt", "hid/in.txt", "sys/in.txt"};
    for (const char *file : files)
        tree.Write(std::string("work/tool/") + file, file);
    const std::pair<const char *, std::uint32_t> attributes[] = {{"read-only.txt", faReadOnly | faArchive},
        {"hidden.txt", faHidden | faArchive}, {"system.txt", faSysFile | faArchive}, {"hid", faHidden}, {"sys", faSysFile}};
    for (auto [name, attr] : attributes)
        ASSERT_TRUE(WriteFileAttributes(tree.Path("work/tool/") + name, attr)) << name;

    // A filter without hidden and system: such files are left out, and such folders are never entered.
    TBackup plain = MakeBackup(tree, "*.txt", 0);
    plain.Attributes = faReadOnly | faArchive;
    plain.Execute();
    EXPECT_EQ(tree.Files("backup/tool/Ver1"), (std::set<std::string>{"read-only.txt", "plain/in.txt"}));
    std::uint32_t attr = 0;
    ASSERT_TRUE(ReadFileAttributes(tree.Path("work/tool/read-only.txt"), attr));
    EXPECT_EQ(attr & faReadOnly, 0u);

    // The default filter copies hidden and system files too (folders of that kind stay out); the
    // second mask overwrites the first copy of the hidden file, as a copy is never left hidden.
    TBackup all = MakeBackup(tree, "hidden.txt;*.txt", 0);
    all.Execute();
    EXPECT_EQ(all.FilesCopied(), 5);
    EXPECT_EQ(tree.Files("backup/tool/Ver1"), (std::set<std::string>{"read-only.txt", "hidden.txt", "system.txt", "plain/in.txt"}));
    ASSERT_TRUE(ReadFileAttributes(tree.Path("work/tool/hidden.txt"), attr));
    EXPECT_EQ(attr & (faHidden | faArchive | faReadOnly), ArchiveStateKept(tree) ? faHidden : faHidden | faArchive);
}

TEST(TBackup, BackupInsideTheProjectIsNotWalkedInto)
{
    TTree tree;
    tree.Write("proj/a.txt", "a");
    tree.Write("proj/sub/b.txt", "b");
    tree.Write("proj/proj/Ver0/old.txt", "an earlier backup");
    TBackup backup;
    TBackup::ForceFolder(tree.Path("proj/proj/Ver1"));
    backup.SetTargetPath(tree.Path("proj/proj/Ver1"));
    backup.SetSourcePath(tree.Path("proj"));
    backup.SetMasks("*.txt");
    backup.ExcludeFolder = tree.Path("proj/proj");
    backup.Execute();
    EXPECT_EQ(tree.Files("proj/proj/Ver1"), (std::set<std::string>{"a.txt", "sub/b.txt"}));

    // Even without the exclusion the target itself is never a source.
    TBackup plain;
    TBackup::ForceFolder(tree.Path("proj/Ver2"));
    plain.SetTargetPath(tree.Path("proj/Ver2"));
    plain.SetSourcePath(tree.Path("proj"));
    plain.SetMasks("a.txt");
    plain.Execute();
    EXPECT_EQ(tree.Files("proj/Ver2"), (std::set<std::string>{"a.txt", "proj/Ver1/a.txt"}));
}

std::string MessageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const std::exception &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(TBackup, FailuresAndTheirMessages)
{
    TTree tree;
    FillProject(tree);
    TBackup backup;
    EXPECT_EQ(MessageOf([&] { backup.SetSourcePath(tree.Path("nowhere")); }), "Source path does not exist");
    EXPECT_EQ(MessageOf([&] { backup.SetTargetPath(tree.Path("nowhere")); }), "Target path does not exist");
    tree.Write("blocker", "a file where a folder should go");
    EXPECT_NE(MessageOf([&] { TBackup::ForceFolder(tree.Path("blocker/sub")); }).find("Cannot create folder " + tree.Path("blocker/sub")),
              std::string::npos);

    // A target that cannot be written: the copy error names the file in lower case.
    tree.Write("work/tool/Upper.TXT", "x");
    TBackup blocked = MakeBackup(tree, "upper.txt", 0);
    fs::create_directories(tree.Path("backup/tool/Ver1/Upper.TXT"));
    EXPECT_EQ(MessageOf([&] { blocked.Execute(); }), "Error occured during backup of \"upper.txt\".\rBackup may not be complete");

    // A file larger than the free space of the target's file system.
    std::int64_t free = 0;
    ASSERT_TRUE(FreeDiskSpace(tree.Path("backup"), free));
    {
        // One byte far beyond the start leaves a hole: the file takes no space.
        std::ofstream big(tree.Path("work/tool/big.txt"), std::ios::binary);
        big.seekp(static_cast<std::streamoff>(free + (std::int64_t(1) << 30)));
        big.put('x');
        if (!big.flush())
            GTEST_SKIP() << "cannot make a sparse file larger than the free space";
    }
    TBackup full = MakeBackup(tree, "big.txt", 0);
    std::string mountPoint = VolumeName(tree.Path("backup"));
    EXPECT_EQ(MessageOf([&] { full.Execute(); }), "Drive " + mountPoint + ": is full, cannot copy big.txt");
    EXPECT_FALSE(fs::exists(tree.Path("backup/tool/Ver1/big.txt")));
}

TEST(TBackup, VolumeNameIsTheMountPoint)
{
#ifdef _WIN32
    EXPECT_EQ(VolumeName("c:\\work\\no\\such\\file"), "C");
    EXPECT_EQ(VolumeName("D:"), "D");
#else
    EXPECT_EQ(VolumeName("/"), "/");
    // /proc is a file system of its own on every Linux system.
    EXPECT_EQ(VolumeName("/proc/self"), "/proc");
    EXPECT_EQ(VolumeName("/proc/no/such/file"), "/proc");
#endif
}

TEST(TBackup, Masks)
{
    struct TCase {
        const char *Name, *Mask;
        bool Match;
    } cases[] = {
        {"a.txt", "*.txt", true}, {"A.TXT", "*.txt", true}, {"a.txt.bak", "*.txt", false}, {"noext", "*.*", true},
        {"noext", "*.", true},    {"a.b", "*.", false},      {"ab.c", "?b.*", true},       {"b.c", "?b.*", false},
        {"x", "", false},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Match) << c.Name << " " << c.Mask;
}

} // namespace
