// SPDX-License-Identifier: GPL-3.0-or-later
// CommandLine: vorlant's headless side (--drives, --list, --help, --version), on the core alone.
#pragma once

/// True when the arguments ask for the headless program rather than the window.
bool IsCommandLine(int argc, char **argv);
/// Runs the headless program; returns the exit code (0 success, 1 failure, 2 bad usage, 130 when
/// interrupted with Ctrl+C).
int RunCommandLine(int argc, char **argv);
