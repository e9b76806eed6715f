// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowMain.h"

#include "toolkit/QtApplication.h"

int RunWindow(int argc, char **argv)
{
    TApplication app(argc, argv);
    TQtApplicationScope services;
    return 0;
}
