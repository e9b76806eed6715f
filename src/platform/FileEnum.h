// SPDX-License-Identifier: GPL-3.0-or-later
// FileEnum: reading one folder's entries with their size, last-write time and attribute bits. A
// sub-folder is opened relative to its parent's open folder, so neither depth nor path length
// limits a walk, and links are never followed.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

/// Attribute bits as the system defines them; on Linux they are mapped as closely as possible
/// (read-only: no write permission; hidden: name starts with "."; system: devices, pipes and
/// sockets; reparse point: a symbolic link, which is reported as an entry and never followed).
constexpr std::uint32_t faReadOnly = 0x01;
constexpr std::uint32_t faHidden = 0x02;
constexpr std::uint32_t faSysFile = 0x04;
constexpr std::uint32_t faVolumeID = 0x08;
constexpr std::uint32_t faDirectory = 0x10;
constexpr std::uint32_t faArchive = 0x20;
constexpr std::uint32_t faAnyFile = 0x3F;
constexpr std::uint32_t faReparsePoint = 0x400;

/// One folder entry, as Next() reports it.
struct TDirEntry {
    /// The entry's name, bytes as stored on disk; valid until the next call of Next().
    std::string_view Name;
    std::uint32_t Attr = 0;
    /// Size in bytes (64-bit); 0 for folders.
    std::int64_t Size = 0;
    /// Last-write time in seconds since 1970-01-01 UTC (full range); 0 for folders.
    std::int64_t ModTime = 0;
    /// True for a folder that a walk can enter (never for a link to one).
    bool Folder = false;
};

/// An open folder being enumerated. Not copyable; one thread at a time.
class TFolderReader
{
public:
    /// Opens the folder at `path` (a link given here is followed: it is what was asked for). `attrMask` works like the system's enumeration mask: entries
    /// carrying hidden, system, volume or directory bits that the mask lacks are left out
    /// (faAnyFile leaves nothing out). Valid() tells whether the folder could be opened.
    explicit TFolderReader(const std::string &path, std::uint32_t attrMask = faAnyFile);
    /// Opens the sub-folder `name` of `parent` (which must stay open meanwhile). Not valid when it
    /// cannot be opened, is not a folder, or lies on another file system than the folder the walk
    /// started from (a mount point).
    TFolderReader(const TFolderReader &parent, std::string_view name);
    ~TFolderReader();
    TFolderReader(const TFolderReader &) = delete;
    TFolderReader &operator=(const TFolderReader &) = delete;

    bool Valid() const;
    /// The next entry other than "." and ".."; false at the end or when reading fails. Entries
    /// that vanish between listing and inspection are skipped.
    bool Next(TDirEntry &entry);

    /// The system's side of an open folder (defined by each platform's implementation).
    struct TImpl;

private:
    std::unique_ptr<TImpl> FImpl;
};

/// True when the folder at `path` can be enumerated with `attrMask` and holds at least one entry.
bool FolderHasEntries(const std::string &path, std::uint32_t attrMask = faAnyFile);

/// Whether the file system keeps an archive attribute that every change of a file sets (Windows).
/// Where it does not, faArchive is reported for every regular file and writing it has no effect.
#ifdef _WIN32
constexpr bool ArchiveAttributeKept = true;
#else
constexpr bool ArchiveAttributeKept = false;
#endif

/// Reads the attribute bits of the file or folder at `path` (a link itself, not its target), mapped
/// as TFolderReader reports them. False when it cannot be found or read.
bool ReadFileAttributes(const std::string &path, std::uint32_t &attributes);

/// Gives the file at `path` the read-only, hidden, system and archive bits of `attributes`. Linux
/// keeps only read-only: set, every write permission goes; clear, the owner may write again. False
/// when the system refuses.
bool WriteFileAttributes(const std::string &path, std::uint32_t attributes);

/// The calendar fields of a last-write time (seconds since 1970-01-01 UTC) in local time, as the
/// system converts the times its enumeration reports. Windows: FileTimeToLocalFileTime, which
/// applies the zone's present bias to every instant; elsewhere the C library's local time. False
/// when the system cannot express the instant.
bool LocalFileTime(std::int64_t seconds, std::tm &out);
