// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Reason()
{
    return std::strerror(errno);
}

/// Closes a descriptor when it goes out of scope.
class TFd
{
public:
    explicit TFd(int fd)
        : FFd(fd)
    {
    }
    ~TFd()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

bool ReadAll(int fd, std::string &data)
{
    data.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        data.append(buffer, static_cast<size_t>(n));
    }
}

bool WriteAll(int fd, const std::string &data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string &path)
{
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

/// The file a symbolic link at `path` names (links followed), or `path` itself.
std::string ResolveLink(const std::string &path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    std::vector<char> buffer(PATH_MAX + 1);
    if (::realpath(path.c_str(), buffer.data()))
        return buffer.data();
    return path; // a dangling link: the rename replaces the link itself
}

} // namespace

TFileRead ReadFileBytes(const std::string &path, std::string &data)
{
    data.clear();
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? TFileRead::frMissing : TFileRead::frError;
    if (!ReadAll(fd.Get(), data)) {
        data.clear();
        return TFileRead::frError;
    }
    return TFileRead::frOk;
}

void UpdateFile(const std::string &givenPath, const std::function<bool(std::string &content)> &update)
{
    const std::string path = ResolveLink(givenPath);
    const std::string folder = FolderOf(path);
    auto fail = [&](const std::string &what) {
        throw EFileWriteError("Cannot write \"" + givenPath + "\": " + what + " (" + Reason() + ")");
    };

    // The lock lives on the folder, so it survives the rename that replaces the file itself.
    TFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0)
        fail("cannot open its folder");
    while (::flock(dir.Get(), LOCK_EX) != 0)
        if (errno != EINTR)
            fail("cannot lock its folder");

    std::string content;
    struct stat old {};
    bool exists = false;
    switch (ReadFileBytes(path, content)) {
    case TFileRead::frOk:
        exists = ::stat(path.c_str(), &old) == 0;
        break;
    case TFileRead::frMissing:
        break;
    case TFileRead::frError:
        fail("the file exists but cannot be read");
    }
    if (!update(content))
        return;

    std::string tmpName = folder + "/." + path.substr(path.find_last_of('/') + 1) + ".XXXXXX";
    std::vector<char> tmp(tmpName.begin(), tmpName.end());
    tmp.push_back('\0');
    TFd out(::mkstemp(tmp.data()));
    if (out.Get() < 0)
        fail("cannot create a temporary file in its folder");
    auto discard = [&](const std::string &what) {
        int saved = errno;
        ::unlink(tmp.data());
        errno = saved;
        fail(what);
    };
    mode_t mode = 0644;
    if (exists)
        mode = old.st_mode & 07777;
    else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(out.Get(), mode) != 0)
        discard("cannot set the permissions of the temporary file");
    if (!WriteAll(out.Get(), content) || ::fsync(out.Get()) != 0)
        discard("cannot write the temporary file");
    if (::rename(tmp.data(), path.c_str()) != 0)
        discard("cannot replace the file");
    ::fsync(dir.Get());
}
