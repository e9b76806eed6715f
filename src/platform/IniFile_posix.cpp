// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

std::string WindowsDirectory()
{
    std::string dir;
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        dir = xdg;
    else {
        const char *home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd *pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "/tmp";
        }
        dir = std::string(home) + "/.config";
    }
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec); // a failure shows later as a read-only store
    return dir;
}
