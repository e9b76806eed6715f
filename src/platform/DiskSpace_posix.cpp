// SPDX-License-Identifier: GPL-3.0-or-later
#include "DiskSpace.h"

#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>

bool FreeDiskSpace(const std::string &path, std::int64_t &bytes)
{
    struct statvfs vfs{};
    if (path.empty() || statvfs(path.c_str(), &vfs) != 0)
        return false;
    bytes = static_cast<std::int64_t>(vfs.f_bavail) * static_cast<std::int64_t>(vfs.f_frsize);
    return true;
}

std::string VolumeName(const std::string &path)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec).lexically_normal();
    struct stat st{};
    while (::stat(p.c_str(), &st) != 0 && p.has_relative_path())
        p = p.parent_path();
    // The mount point is the last ancestor on the same device.
    while (p.has_relative_path()) {
        std::filesystem::path parent = p.parent_path();
        struct stat up{};
        if (::stat(parent.c_str(), &up) != 0 || up.st_dev != st.st_dev)
            break;
        p = parent;
    }
    std::string text = p.string();
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool SameFileObject(const std::string &a, const std::string &b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}
