// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include <windows.h>

std::string WindowsDirectory()
{
    char buffer[256] = {};
    UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    std::string dir(buffer, n < sizeof buffer ? n : 0);
    while (dir.size() > 3 && dir.back() == '\\')
        dir.pop_back();
    return dir;
}
