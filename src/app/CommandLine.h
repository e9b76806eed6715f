// SPDX-License-Identifier: GPL-3.0-or-later
// CommandLine: vorlant's headless side (--drives, --list, --help, --version), on the core alone,
// and the option reading that --report shares with it.
#pragma once

#include <optional>
#include <string>

/// True when the arguments ask for the headless program rather than the window.
bool IsCommandLine(int argc, char **argv);
/// Runs the headless program; returns the exit code (0 success, 1 failure, 2 bad usage, 130 when
/// interrupted with Ctrl+C).
int RunCommandLine(int argc, char **argv);

/// Splits "--name=value" into `option` "--name" and `value`; false (both untouched) for anything
/// else.
bool SplitOptionValue(std::string &option, std::string &value);

/// How a files count (--count) reads: digits only, at most 1000000000.
enum class TCountCheck { Ok, NotANumber, TooLarge };
/// Checks `text` as a files count; sets `count` only when it is Ok.
TCountCheck ParseCountText(const std::string &text, int &count);

/// The ranking mode (rmGreatest, rmOldest, rmNewest) named "greatest", "oldest" or "newest";
/// nothing for any other name.
std::optional<int> ShowModeByName(const std::string &name);
