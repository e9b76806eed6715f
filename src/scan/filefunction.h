// SPDX-License-Identifier: GPL-3.0-or-later
// filefunction: free helpers for paths, drives, sizes and waiting, used across the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// The native folder separator: "\" on Windows, "/" elsewhere.
#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

/// Every "/" replaced by "\".
std::string SlashToBackslash(const std::string &s);

/// Path clean-up with the Windows rules, on every platform: a text with neither "\" nor ":", or
/// shorter than 3 characters, stays as it is; otherwise, after the first two characters, every run
/// of separators ("\" or "/", mixed) becomes its last character, one trailing "\" is dropped, and
/// every "/" becomes "\". So "C:\" becomes "C:" and "C:/Windows//system32" "C:\Windows\system32".
std::string NormalizePathWindows(std::string_view s);

/// Path clean-up with the POSIX rules: every run of "/" becomes one, and one trailing "/" is
/// dropped unless the result is the root "/" itself. "\" is an ordinary character there.
std::string NormalizePathPosix(std::string_view s);

/// The clean-up for this platform's paths (NormalizePathWindows or NormalizePathPosix). Applied to
/// every folder the scan walks and every chart label. Thread-safe.
std::string NormalizePath(std::string_view s);

/// The part of `fileName` up to and including its last separator (Windows: "\" or ":"); empty
/// when it has none.
std::string ExtractPath(const std::string &fileName);

/// Appends to `list` (not cleared first) every drive text whose type equals `driveType` (the
/// numbers of platform/Drives.h: 2 removable, 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk), in drive
/// order; with `nonEmptyOnly` only drives whose root lists at least one entry. Raises
/// std::runtime_error("No drivelist in filefunction.GetDrivesIfType") when `list` is nullptr.
void GetDrivesIfType(std::vector<std::string> *list, std::uint16_t driveType, bool nonEmptyOnly);

/// A byte count with its unit: below 1024 "<n> Bytes"; then "KB", "MB", "GB", "TB", "PB", "EB"
/// with thousands separators and exactly two decimals (1536 gives "1.50 KB", 1048575 gives
/// "1,024.00 KB").
std::string FormatFileSize(std::int64_t n);

/// GUI thread: waits `ms` milliseconds while the application keeps processing messages (workers'
/// synchronous calls included); returns early when the application terminates. Delay(0) returns
/// at once without processing anything.
void Delay(std::uint32_t ms);
