// SPDX-License-Identifier: GPL-3.0-or-later
// TempTree: a real folder tree in a fresh temporary folder, removed again at the end of a test.
// Relative paths are written with "/"; Path() gives them with the platform's own separator.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winioctl.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "TempDir.h"

class TTempTree : public TTempDir
{
public:
#ifdef _WIN32
    static constexpr char Separator = '\\';
#else
    static constexpr char Separator = '/';
#endif

    const std::string &Root() const { return TTempDir::Path(); }
    /// `relative`, written with "/", with the platform's own separator.
    std::string Path(const std::string &relative) const
    {
        std::string path = Root() + Separator + relative;
        for (char &c : path)
            if (c == '/')
                c = Separator;
        return path;
    }

    /// Creates the folder `relative` (and its parents).
    void Folder(const std::string &relative) const { std::filesystem::create_directories(Path(relative)); }

    /// Creates the file `relative` (parents included) of `size` bytes (sparse: no disk space used)
    /// with the last-write time `mtime` (seconds since 1970 UTC).
    void File(const std::string &relative, std::int64_t size, std::int64_t mtime) const
    {
        const size_t slash = relative.rfind('/');
        if (slash != std::string::npos)
            Folder(relative.substr(0, slash));
#ifdef _WIN32
        const std::string path = Path(relative);
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot create " + path);
        DWORD returned = 0;
        if (size > (1 << 20)) // sparse where the volume can, so big files take no space
            DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = size;
        const std::int64_t ticks = (mtime + 11644473600LL) * 10000000;
        FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32)};
        const bool done = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h) && SetFileTime(h, nullptr, nullptr, &time);
        CloseHandle(h);
        if (!done)
            throw std::runtime_error("cannot size or date " + path);
#else
        MakeFile(AT_FDCWD, Path(relative), size, mtime);
#endif
    }

#ifndef _WIN32
    /// Creates a file (sparse, `size` bytes, last-write time `mtime`) named `name` in folder `dirFd`.
    static void MakeFile(int dirFd, const std::string &name, std::int64_t size, std::int64_t mtime)
    {
        int fd = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot create " + name);
        if (size > 0 && ftruncate(fd, static_cast<off_t>(size)) != 0) {
            close(fd);
            throw std::runtime_error("cannot size " + name);
        }
        struct timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
        futimens(fd, times);
        close(fd);
    }

    /// Makes `link` a symbolic link to the folder `target` (both relative, written with "/").
    void FolderLink(const std::string &target, const std::string &link) const
    {
        symlink((Root() + "/" + target).c_str(), (Root() + "/" + link).c_str());
    }

    /// Creates `levels` folders named `segment`, each inside the one before, below the root (opened
    /// one inside the other, so the path may be far longer than PATH_MAX), and in the deepest the
    /// file `name` as MakeFile makes it. Returns the file's full path.
    std::string DeepFile(const std::string &segment, int levels, const std::string &name, std::int64_t size,
                         std::int64_t mtime) const
    {
        int fd = open(Root().c_str(), O_RDONLY | O_DIRECTORY);
        std::string path = Root();
        for (int level = 0; level < levels; ++level) {
            mkdirat(fd, segment.c_str(), 0755);
            const int next = openat(fd, segment.c_str(), O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = next;
            path += "/" + segment;
        }
        MakeFile(fd, name, size, mtime);
        close(fd);
        return path + "/" + name;
    }
#endif
};
