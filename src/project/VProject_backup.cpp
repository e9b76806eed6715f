// SPDX-License-Identifier: GPL-3.0-or-later
// VProject: the source backup (TBackup).
#include "VProject.h"

#include "platform/DiskSpace.h"

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

/// The archive attribute on a platform without one: what the last backup copied, per source file
/// (relative path → size and modification time). Lines: "<size> <mtime> <length> <path>\n", the
/// length making any byte of a Linux file name safe.
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
        // Replace the whole file at once, so a crash never leaves half a manifest behind.
        std::string temp = Path + ".new";
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.close();
        std::error_code ec;
        if (out)
            fs::rename(temp, Path, ec);
        if (!out || ec)
            fs::remove(temp, ec);
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
        manifest.Save(); // the copies made so far have lost their archive attribute
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
        // Folders starting with "." are hidden; links are never followed.
        if (name.empty() || name[0] == '.' || it->is_symlink(ec) || !it->is_directory(ec))
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
        if (Smart == 0)
            CopyMatching(folder, piece, false, manifest);
        else if (Smart == 1)
            CopyMatching(folder, piece, true, manifest);
    }
}

void TBackup::CopyMatching(const std::string &folder, const std::string &mask, bool changedOnly, TManifest &manifest)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        // Regular files only: folders and volume labels are outside the filter; links, devices
        // and pipes are never read by a backup.
        if (it->is_symlink(ec) || !it->is_regular_file(ec))
            continue;
        std::string name = it->path().filename().string();
        bool hidden = name[0] == '.';
        if ((hidden && !(Attributes & faBackupHidden)) || !MatchesMask(name, mask))
            continue;
        if (!ManifestFile.empty() && SameFileObject(folder + name, ManifestFile))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::string relativeFolder = folder.substr(FSourcePath.size());
    for (const std::string &name : names) {
        std::string source = folder + name;
        std::string relative = relativeFolder + name;
        TManifest::TStamp stamp = TManifest::StampOf(source);
        auto known = manifest.Files.find(relative);
        bool archive = known == manifest.Files.end() || !(known->second == stamp);
        if (changedOnly && !archive)
            continue;
        CopyOneFile(source, TargetFolderFor(folder) + name, stamp.Size);
        ++FFilesCopied;
        manifest.Files[relative] = TManifest::StampOf(source);
        manifest.Dirty = true;
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

    // The copy is never read-only, so that a copy left by an earlier backup can be overwritten.
    std::error_code ec;
    fs::perms sourcePerms = fs::status(source, ec).permissions();
    bool havePerms = !ec;
    if (havePerms && fs::exists(target, ec))
        fs::permissions(target, sourcePerms | fs::perms::owner_write, ec);

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
    if (havePerms) {
        fs::permissions(target, sourcePerms | fs::perms::owner_write, ec);
        // The source loses its read-only attribute, as a backup always did (its archive
        // attribute is cleared through the manifest).
        fs::permissions(source, fs::perms::owner_write, fs::perm_options::add, ec);
    }
}
