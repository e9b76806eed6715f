// SPDX-License-Identifier: GPL-3.0-or-later
// WindowMain: the program entry of the window: application object, main window, message loop.
#pragma once

/// Runs the window; folders given as arguments are offered in the selection instead of the drives.
int RunWindow(int argc, char **argv);
