// SPDX-License-Identifier: GPL-3.0-or-later
// Vorlant: shows what fills each drive. With options it works headless; without, it opens the window.
#include "CommandLine.h"
#ifdef VORLANT_HAS_GUI
#include "WindowMain.h"
#include "report/ReportCommand.h"
#endif

int main(int argc, char **argv)
{
#ifdef VORLANT_HAS_GUI
    if (IsReportCommand(argc, argv))
        return RunReportCommand(argc, argv);
    if (!IsCommandLine(argc, argv))
        return RunWindow(argc, argv);
#endif
    return RunCommandLine(argc, argv);
}
