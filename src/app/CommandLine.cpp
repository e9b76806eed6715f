// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <cstdio>
#include <cstring>

bool IsCommandLine(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--", 2) == 0)
            return true;
    return false;
}

int RunCommandLine(int, char **)
{
    std::fprintf(stderr, "vorlant: not built yet\n");
    return 1;
}
