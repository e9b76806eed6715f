// SPDX-License-Identifier: GPL-3.0-or-later
// TempTree: a real folder tree in a fresh temporary folder, removed again at the end of a test.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

class TTempTree
{
public:
    TTempTree()
    {
        char pattern[] = "/tmp/vorlant-test-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("mkdtemp failed");
        FRoot = pattern;
    }
    ~TTempTree()
    {
        // rm copes with trees deeper than PATH_MAX and with folders left without permissions.
        std::string command = "chmod -R u+rwx '" + FRoot + "' 2>/dev/null; rm -rf '" + FRoot + "'";
        if (std::system(command.c_str()) != 0) {
        }
    }
    TTempTree(const TTempTree &) = delete;
    TTempTree &operator=(const TTempTree &) = delete;

    const std::string &Root() const { return FRoot; }
    std::string Path(const std::string &relative) const { return FRoot + "/" + relative; }

    /// Creates the folder `relative` (and its parents).
    void Folder(const std::string &relative) const
    {
        std::string path = FRoot;
        size_t start = 0;
        while (start <= relative.size()) {
            size_t end = relative.find('/', start);
            if (end == std::string::npos)
                end = relative.size();
            path += "/" + relative.substr(start, end - start);
            mkdir(path.c_str(), 0755);
            start = end + 1;
        }
    }
    /// Creates the file `relative` (parents included) of `size` bytes (sparse: no disk space used)
    /// with the last-write time `mtime` (seconds since 1970 UTC).
    void File(const std::string &relative, std::int64_t size, std::int64_t mtime) const
    {
        const size_t slash = relative.rfind('/');
        if (slash != std::string::npos)
            Folder(relative.substr(0, slash));
        MakeFile(AT_FDCWD, Path(relative), size, mtime);
    }

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

private:
    std::string FRoot;
};
