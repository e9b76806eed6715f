// SPDX-License-Identifier: GPL-3.0-or-later
// Drives: the rules that need no system call.
#include "Drives.h"

#include <algorithm>
#include <iterator>
#include <string_view>

std::uint32_t DriveTypeFromFileSystem(const std::string &fsType, bool removableDevice, bool opticalDevice)
{
    static constexpr std::string_view remote[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs",
                                                           "9p", "ceph", "glusterfs", "fuse.sshfs", "fuse.rclone",
                                                           "davfs", "fuse.davfs2"};
    if (std::find(std::begin(remote), std::end(remote), fsType) != std::end(remote))
        return DRIVE_REMOTE;
    if (fsType == "iso9660" || fsType == "udf" || opticalDevice)
        return DRIVE_CDROM;
    if (fsType == "tmpfs" || fsType == "ramfs")
        return DRIVE_RAMDISK;
    if (removableDevice)
        return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}
