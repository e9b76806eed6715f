// SPDX-License-Identifier: GPL-3.0-or-later
// vorlant-designer: the command-line form designer (see project/Designer.h).
#include "project/Designer.h"
#include "winstate/WinRstor.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vorlant-designer %s\n", VORLANT_VERSION);
        return 0;
    }
    return RunDesigner(argc, argv, [] { RegisterWinRestorer(); });
}
