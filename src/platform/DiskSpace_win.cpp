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

namespace {

// The volume and file index of an existing file or folder (folders open only with backup semantics).
bool Identity(const std::string &path, BY_HANDLE_FILE_INFORMATION &info)
{
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return ok;
}

} // namespace

bool SameFileObject(const std::string &a, const std::string &b)
{
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return Identity(a, x) && Identity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber
        && x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}
