// SPDX-License-Identifier: GPL-3.0-or-later
// NewTempDir: a fresh, empty folder below the system's temporary folder, for tests on both builds.
#pragma once

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <cstdlib>
#endif

/// Creates a new folder named `prefix` plus a unique part below the temporary folder and returns
/// its path (no trailing separator).
inline std::string NewTempDir(const std::string &prefix)
{
#ifdef _WIN32
    static std::atomic<unsigned> count{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path path = base / (prefix + std::to_string(_getpid()) + "-" + std::to_string(++count));
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec) && !ec)
            return path.string();
    }
    throw std::runtime_error("cannot create a temporary folder");
#else
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
#endif
}
