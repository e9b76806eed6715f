// SPDX-License-Identifier: GPL-3.0-or-later
// ReportCommand: `vorlant --report FILE.pdf|FILE.rtf [--count N] [--show greatest|oldest|newest]
// PATH`: scans PATH and writes the drive report to FILE, without a window.
#pragma once

/// True when the arguments hold "--report".
bool IsReportCommand(int argc, char **argv);

/// Runs the command: parses the arguments (bad usage: message and exit code 2), scans PATH with the
/// same worker, chart view and legend as the window (progress on standard error when it is a
/// terminal), prepares the same report and exports it by FILE's extension. The picture file of the
/// preparation goes to a temporary folder, since the program's folder may not be writable for a
/// command-line user. Returns 0 on success, 1 on failure (message on standard error naming the path
/// and the reason). Creates its own application object (offscreen unless QT_QPA_PLATFORM is set).
int RunReportCommand(int argc, char **argv);
