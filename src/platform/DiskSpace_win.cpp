// SPDX-License-Identifier: GPL-3.0-or-later
#include "DiskSpace.h"

#include <windows.h>

#include <cctype>

bool FreeDiskSpace(const std::string &path, std::int64_t &bytes)
{
    // Only a path that begins with a drive letter names a drive; network paths do not.
    if (path.size() < 2 || path[1] != ':')
        return false;
    std::string root = path.substr(0, 2) + "\\";
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr))
        return false;
    bytes = static_cast<std::int64_t>(available.QuadPart);
    return true;
}

std::string VolumeName(const std::string &path)
{
    if (path.empty())
        return {};
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
}
