// SPDX-License-Identifier: GPL-3.0-or-later
// vorlant-designer: the command-line form designer (see project/Designer.h).
#include "project/Designer.h"
#include "winstate/WinRstor.h"

int main(int argc, char **argv)
{
    return RunDesigner(argc, argv, [] { RegisterWinRestorer(); });
}
