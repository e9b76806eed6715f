// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drives.h"

#include <windows.h>

std::vector<std::string> DriveTexts()
{
    std::vector<std::string> texts;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        texts.push_back(std::string(1, letter) + ":");
    return texts;
}

std::uint32_t DriveTypeOf(const std::string &drive)
{
    // The root folder needs its backslash: "C:" alone names the current folder of drive C.
    const std::string root = drive.size() == 2 && drive[1] == ':' ? drive + "\\" : drive;
    return GetDriveTypeA(root.c_str());
}
