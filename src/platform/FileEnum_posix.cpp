// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileEnum.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Entries are read with getdents64 into a buffer of our own: a DIR stream would cost two more
// system calls per folder (fdopendir checks the descriptor) and an allocation.
struct TFolderReader::TImpl {
    int Fd = -1;
    dev_t Device = 0;
    std::uint32_t Mask = faAnyFile;
    std::unique_ptr<char[]> Buffer; // only while entries remain to be read
    long Length = 0;
    long Position = 0;
};

namespace {
constexpr long BufferSize = 32 * 1024;
}

namespace {

// O_NOATIME keeps the walk read-only in effect; the kernel refuses it for folders we do not own,
// so opening is retried without it.
int OpenFolderAt(int parentFd, const char *name, bool followLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int fd = openat(parentFd, name, flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = openat(parentFd, name, flags);
    return fd;
}

std::uint32_t AttrOf(const struct stat &st, std::string_view name)
{
    std::uint32_t attr = 0;
    if (S_ISDIR(st.st_mode))
        attr |= faDirectory;
    else if (S_ISLNK(st.st_mode))
        attr |= faReparsePoint;
    else if (S_ISREG(st.st_mode))
        attr |= faArchive;
    else
        attr |= faSysFile;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attr |= faReadOnly;
    if (!name.empty() && name[0] == '.')
        attr |= faHidden;
    return attr;
}

bool Excluded(std::uint32_t attr, std::uint32_t mask)
{
    return (attr & (faHidden | faSysFile | faVolumeID | faDirectory) & ~mask) != 0;
}

} // namespace

TFolderReader::TFolderReader(const std::string &path, std::uint32_t attrMask)
    : FImpl(std::make_unique<TImpl>())
{
    FImpl->Mask = attrMask;
    int fd = OpenFolderAt(AT_FDCWD, path.c_str(), true); // the folder asked for may be a link
    if (fd < 0)
        return;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return;
    }
    FImpl->Fd = fd;
    FImpl->Device = st.st_dev;
}

TFolderReader::TFolderReader(const TFolderReader &parent, std::string_view name)
    : FImpl(std::make_unique<TImpl>())
{
    FImpl->Mask = parent.FImpl->Mask;
    FImpl->Device = parent.FImpl->Device;
    if (parent.FImpl->Fd < 0)
        return;
    int fd = OpenFolderAt(parent.FImpl->Fd, std::string(name).c_str(), false);
    if (fd < 0)
        return;
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_dev != FImpl->Device) {
        close(fd);
        return;
    }
    FImpl->Fd = fd;
}

TFolderReader::~TFolderReader()
{
    if (FImpl->Fd >= 0)
        close(FImpl->Fd);
}

bool TFolderReader::Valid() const
{
    return FImpl->Fd >= 0;
}

bool TFolderReader::Next(TDirEntry &entry)
{
    TImpl &impl = *FImpl;
    if (impl.Fd < 0)
        return false;
    const int fd = impl.Fd;
    for (;;) {
        if (impl.Position >= impl.Length) {
            if (impl.Length < 0)
                return false; // the end was reached (or reading failed) before
            if (!impl.Buffer)
                impl.Buffer = std::make_unique<char[]>(BufferSize);
            const ssize_t n = getdents64(fd, impl.Buffer.get(), BufferSize);
            if (n <= 0) {
                impl.Buffer.reset();
                impl.Length = -1;
                return false;
            }
            impl.Length = n;
            impl.Position = 0;
        }
        const auto *d = reinterpret_cast<const dirent64 *>(impl.Buffer.get() + impl.Position);
        impl.Position += d->d_reclen;
        const char *name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entry.Name = name;
        if (d->d_type == DT_DIR) {
            // A folder needs no inspection here: it is opened (and checked) when the walk enters it.
            entry.Folder = true;
            entry.Attr = faDirectory | (name[0] == '.' ? faHidden : 0);
            entry.Size = 0;
            entry.ModTime = 0;
        } else {
            struct stat st {};
            if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // vanished since it was listed, or not accessible
            entry.Folder = S_ISDIR(st.st_mode);
            entry.Attr = AttrOf(st, entry.Name);
            entry.Size = entry.Folder ? 0 : static_cast<std::int64_t>(st.st_size);
            entry.ModTime = entry.Folder ? 0 : static_cast<std::int64_t>(st.st_mtim.tv_sec);
        }
        if (Excluded(entry.Attr, FImpl->Mask))
            continue;
        return true;
    }
}

bool ReadFileAttributes(const std::string &path, std::uint32_t &attributes)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return false;
    attributes = AttrOf(st, std::string_view(path).substr(path.find_last_of('/') + 1));
    return true;
}

bool WriteFileAttributes(const std::string &path, std::uint32_t attributes)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return false;
    const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
    mode_t mode = st.st_mode & 07777;
    if (attributes & faReadOnly)
        mode &= ~writable;
    else if (!(mode & writable))
        mode |= S_IWUSR;
    return mode == (st.st_mode & 07777) || chmod(path.c_str(), mode) == 0;
}

bool LocalFileTime(std::int64_t seconds, std::tm &out)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    return localtime_r(&t, &out) != nullptr;
}
