// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserFolders.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <process.h>
#define VORLANT_GETPID _getpid
#else
#include <unistd.h>
#define VORLANT_GETPID getpid
#endif

namespace fs = std::filesystem;

bool FolderWritable(const std::string &folder)
{
    static std::atomic<unsigned> serial{0};
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(fs::path(folder), ec))
        return false;
    const fs::path probe = fs::path(folder) / (".vorlant-probe-" + std::to_string(VORLANT_GETPID()) + "-"
                                                 + std::to_string(serial.fetch_add(1)));
    bool created = false;
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        created = out.is_open() && (out << 'x') && out.flush();
    }
    fs::remove(probe, ec);
    return created;
}

std::string UserCacheFolder()
{
    fs::path base;
#ifdef _WIN32
    if (const char *local = std::getenv("LOCALAPPDATA"); local && *local)
        base = fs::path(local) / "Vorlant";
    else
        base = fs::temp_directory_path() / "Vorlant";
#else
    if (const char *xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        base = fs::path(xdg);
    else if (const char *home = std::getenv("HOME"); home && *home)
        base = fs::path(home) / ".cache";
    else
        base = fs::temp_directory_path();
    base /= "vorlant";
#endif
    std::error_code ec;
    fs::create_directories(base, ec); // a failure shows when the file is written
    return base.string();
}
