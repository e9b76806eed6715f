// SPDX-License-Identifier: GPL-3.0-or-later
// VProject: the source backup (TBackup).
#include "VProject.h"

#include "platform/AtomicFile.h"
#include "platform/DiskSpace.h"
#include "platform/FileEnum.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

bool MatchesMask(const std::string &name, const std::string &mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    if (mask == "*.")
        return name.find('.') == std::string::npos;
    // Iterative wildcard matching with one back-tracking point.
    size_t n = 0, m = 0, starM = std::string::npos, starN = 0;
    auto same = [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); };
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && same(mask[m], name[n])))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

// ---- the archive state ----------------------------------------------------------------------

/// The archive attribute where the file system keeps none: what the last backup copied, per
/// source file (relative path → size and modification time). Lines: "<size> <mtime> <length>
/// <path>\n", the length making any byte of a Linux file name safe.
struct TBackup::TManifest {
    struct TStamp {
        std::int64_t Size = 0;
        std::int64_t Time = 0;
        bool operator==(const TStamp &) const = default;
    };
    std::map<std::string, TStamp> Files;
    std::string Path;
    bool Dirty = false;

    void Load()
    {
        std::ifstream in(Path, std::ios::binary);
        TStamp stamp;
        size_t length = 0;
        while (in >> stamp.Size >> stamp.Time >> length && in.get() == ' ') {
            std::string name(length, '\0');
            if (!in.read(name.data(), static_cast<std::streamsize>(length)) || in.get() != '\n')
                break;
            Files[name] = stamp;
        }
    }

    void Save()
    {
        if (Path.empty() || !Dirty)
            return;
        std::ostringstream text;
        for (const auto &[name, stamp] : Files)
            text << stamp.Size << ' ' << stamp.Time << ' ' << name.size() << ' ' << name << '\n';
        try {
            // Replaced as a whole, so a crash never leaves half a manifest behind. One that cannot
            // be written only makes the next smart backup copy more.
            UpdateFile(Path, [&](std::string &content) {
                content = text.str();
                return true;
            });
        } catch (const EFileWriteError &) {
        }
    }

    static TStamp StampOf(const fs::path &file)
    {
        std::error_code ec;
        TStamp stamp;
        stamp.Size = static_cast<std::int64_t>(fs::file_size(file, ec));
        stamp.Time = static_cast<std::int64_t>(fs::last_write_time(file, ec).time_since_epoch().count());
        return stamp;
    }
};

// ---- TBackup --------------------------------------------------------------------------------

std::string TBackup::NormalizeFolder(const std::string &path)
{
    std::error_code ec;
    fs::path full = fs::absolute(fs::path(path.empty() ? "." : path), ec).lexically_normal();
    return IncludeTrailingSeparator(full.string());
}

void TBackup::SetSourcePath(const std::string &path)
{
    std::error_code ec;
    if (!fs::is_directory(path, ec))
        throw EProjectError("Source path does not exist");
    FSourcePath = NormalizeFolder(path);
}

void TBackup::SetTargetPath(const std::string &path)
{
    std::error_code ec;
    if (!fs::is_directory(path, ec))
        throw EProjectError("Target path does not exist");
    FTargetPath = NormalizeFolder(path);
}

void TBackup::SetMasks(const std::string &masks)
{
    FMasks = masks.empty() ? "*.*;" : masks;
    if (FMasks.back() != ';')
        FMasks += ';';
}

void TBackup::ForceFolder(const std::string &path)
{
    std::error_code ec;
    if (path.empty() || fs::is_directory(path, ec))
        return;
    fs::create_directories(path, ec);
    if (ec)
        throw EProjectError("Cannot create folder " + path + ": " + ec.message());
}

void TBackup::Execute()
{
    TManifest manifest;
    manifest.Path = ManifestFile;
    if (!manifest.Path.empty())
        manifest.Load();
    FFilesCopied = 0;
    try {
        WalkFolder(FSourcePath, manifest);
    } catch (...) {
        manifest.Save(); // the copies made so far have lost their archive state
        throw;
    }
    manifest.Save();
}

void TBackup::WalkFolder(const std::string &folder, TManifest &manifest)
{
    BackupFolder(folder, manifest);
    std::vector<std::string> subfolders;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        // Folders starting with "." and hidden or system folders are not entered; links and
        // junctions are never followed.
        std::uint32_t attr = 0;
        if (name.empty() || name[0] == '.' || it->is_symlink(ec) || !it->is_directory(ec)
            || !ReadFileAttributes(folder + name, attr) || (attr & (faHidden | faSysFile | faReparsePoint)))
            continue;
        subfolders.push_back(name);
    }
    std::sort(subfolders.begin(), subfolders.end());
    for (const std::string &name : subfolders) {
        std::string sub = folder + name;
        // The backup being written (and the folder of all backups) never becomes its own source.
        if (SameFileObject(sub, FTargetPath) || (!ExcludeFolder.empty() && SameFileObject(sub, ExcludeFolder)))
            continue;
        WalkFolder(IncludeTrailingSeparator(sub), manifest);
    }
}

void TBackup::BackupFolder(const std::string &folder, TManifest &manifest)
{
    std::string masks;
    for (char c : FMasks)
        if (c != ' ')
            masks += c;
    size_t start = 0;
    for (size_t semi = masks.find(';'); semi != std::string::npos; semi = masks.find(';', start)) {
        std::string piece = masks.substr(start, semi - start);
        start = semi + 1;
        if (Smart == 0 || Smart == 1) // other values copy nothing
            CopyMatching(folder, piece, Smart == 1, manifest);
    }
}

void TBackup::CopyMatching(const std::string &folder, const std::string &mask, bool changedOnly, TManifest &manifest)
{
    struct TListed {
        std::string Name;
        std::uint32_t Attr;
    };
    std::vector<TListed> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        // Regular files only: folders and volume labels are outside the filter; links, devices
        // and pipes are never read by a backup.
        if (it->is_symlink(ec) || !it->is_regular_file(ec))
            continue;
        std::string name = it->path().filename().string();
        std::uint32_t attr = 0;
        // Hidden and system files are listed only when the filter asks for them.
        if (!MatchesMask(name, mask) || !ReadFileAttributes(folder + name, attr) || (attr & (faHidden | faSysFile) & ~Attributes))
            continue;
        if (!ManifestFile.empty() && SameFileObject(folder + name, ManifestFile))
            continue;
        files.push_back({name, attr});
    }
    std::sort(files.begin(), files.end(), [](const TListed &a, const TListed &b) { return a.Name < b.Name; });
    std::string relativeFolder = folder.substr(FSourcePath.size());
    for (const TListed &file : files) {
        std::string source = folder + file.Name;
        std::string relative = relativeFolder + file.Name;
        TManifest::TStamp stamp = TManifest::StampOf(source);
        bool archive = (file.Attr & faArchive) != 0;
        if (!ArchiveAttributeKept) {
            auto known = manifest.Files.find(relative);
            archive = known == manifest.Files.end() || !(known->second == stamp);
        }
        if (changedOnly && !archive)
            continue;
        CopyOneFile(source, TargetFolderFor(folder) + file.Name, stamp.Size);
        ++FFilesCopied;
        if (!ArchiveAttributeKept) {
            manifest.Files[relative] = TManifest::StampOf(source);
            manifest.Dirty = true;
        }
    }
}

std::string TBackup::TargetFolderFor(const std::string &folder)
{
    std::string relative = folder.substr(std::min(folder.size(), FSourcePath.size()));
    ForceFolder(FTargetPath + relative);
    return NormalizeFolder(FTargetPath + relative);
}

void TBackup::CopyOneFile(const std::string &source, const std::string &target, std::int64_t size)
{
    std::string name = fs::path(source).filename().string();
    std::int64_t free = 0;
    std::string targetFolder = fs::path(target).parent_path().string();
    if (!FreeDiskSpace(targetFolder, free) || size > free)
        throw EProjectError("Drive " + VolumeName(targetFolder) + ": is full, " + "cannot copy " + name);

    // The source's attributes without read-only and archive. A copy left by an earlier backup
    // gets them first, and loses hidden and system too: the system refuses to overwrite a hidden
    // or system file.
    std::error_code ec;
    std::uint32_t attributes = 0;
    const bool haveAttributes = ReadFileAttributes(source, attributes);
    attributes &= ~(faReadOnly | faArchive);
    if (haveAttributes && fs::exists(target, ec))
        WriteFileAttributes(target, attributes & ~(faHidden | faSysFile));
    const fs::perms sourcePerms = fs::status(source, ec).permissions();
    const bool havePerms = !ec;

    bool ok = false;
    {
        std::ifstream in(source, std::ios::binary);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (in && out) {
            // The whole file, also when it has grown since it was listed.
            std::vector<char> buffer(65520);
            ok = true;
            while (ok && in) {
                in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
                std::streamsize got = in.gcount();
                if (got > 0 && !out.write(buffer.data(), got))
                    ok = false;
            }
            ok = ok && in.eof() && !in.bad();
            out.close();
            ok = ok && !out.fail();
        }
    }
    if (!ok)
        throw EProjectError("Error occured during backup of \"" + LowerCase(name) + "\".\rBackup may not be complete");
    // The copy keeps the source's permissions, writable; the source loses read-only and archive.
    if (havePerms)
        fs::permissions(target, sourcePerms | fs::perms::owner_write, ec);
    if (haveAttributes)
        WriteFileAttributes(source, attributes);
}
