// SPDX-License-Identifier: GPL-3.0-or-later
// DiskSpace: the free space of the volume holding a path, and how to name that volume to the
// user (a drive letter on Windows, the mount point on Linux).
#pragma once

#include <cstdint>
#include <string>

/// Sets `bytes` to the space available to the caller on the volume holding `path` (an existing
/// file or folder). False when the system cannot tell (for example a path without a drive).
bool FreeDiskSpace(const std::string &path, std::int64_t &bytes);

/// The volume holding `path` as the user knows it: "E" for e:\work on Windows (the first
/// character, upper-cased), the mount point ("/", "/home") on Linux. The path need not exist in
/// full: its nearest existing ancestor counts.
std::string VolumeName(const std::string &path);

/// Whether two existing paths name the same file or folder (one object of the file system, however
/// each path spells it). False when either cannot be found.
bool SameFileObject(const std::string &a, const std::string &b);
