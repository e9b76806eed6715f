// SPDX-License-Identifier: GPL-3.0-or-later
// Drives: the drives a user can pick and their types. On Windows a drive is a letter and a colon
// ("C:"); on Linux every mounted file system (pseudo file systems left out) is a drive, its text is
// the mount point ("/", "/home") and its type comes from the file-system type and block device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// Drive types with the system's numbers.
constexpr std::uint32_t DRIVE_UNKNOWN = 0;
constexpr std::uint32_t DRIVE_NO_ROOT_DIR = 1;
constexpr std::uint32_t DRIVE_REMOVABLE = 2;
constexpr std::uint32_t DRIVE_FIXED = 3;
constexpr std::uint32_t DRIVE_REMOTE = 4;
constexpr std::uint32_t DRIVE_CDROM = 5;
constexpr std::uint32_t DRIVE_RAMDISK = 6;

/// Every drive text the system could offer, in order (Windows: "A:" to "Z:"; Linux: the mount
/// points of the mounted file systems in mount order, each once, pseudo file systems left out).
std::vector<std::string> DriveTexts();

/// The type of the drive `drive` (a text from DriveTexts()); DRIVE_NO_ROOT_DIR when there is no
/// such drive.
std::uint32_t DriveTypeOf(const std::string &drive);

/// Linux rule, exposed for tests: the type of a file system from its type name (as /proc lists
/// it), whether its block device is removable, and whether it is an optical drive.
std::uint32_t DriveTypeFromFileSystem(const std::string &fsType, bool removableDevice, bool opticalDevice);
