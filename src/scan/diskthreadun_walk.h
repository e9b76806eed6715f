// SPDX-License-Identifier: GPL-3.0-or-later
// diskthreadun_walk: the drive walk of TDiskThread. Helper threads read folders ahead of the walk
// (the system calls are most of its cost), while the walking thread takes their results in
// depth-first order, so that records enter the list exactly as a single-threaded walk adds them.
#pragma once

#include "Fllist.h"

#include <atomic>
#include <functional>
#include <string>

struct TWalkControl {
    /// Checked for every entry, on every thread: true ends the walk.
    std::function<bool()> Stopped;
    /// Called on the walking thread before each folder is entered: true ends the walk.
    std::function<bool()> PollStop;
    /// Progress, written by the walking thread.
    std::atomic<std::uint64_t> *FilesSoFar = nullptr;
    std::atomic<const char *> *CurrentFolder = nullptr;
    /// Threads that read folders ahead of the walk (0: the walking thread reads every folder).
    int Helpers = 0;
};

/// Walks the folder `root` depth-first: every entry that is not a folder is appended to `list`
/// (Append; the caller ranks), with the folder text it was found in; sub-folders are entered in the
/// order the folder lists them, before the next entry. Links are not followed, other file systems
/// not entered, folders that cannot be read skipped. Returns when done or stopped; every helper
/// thread has ended by then.
void WalkFolders(const std::string &root, TFilesList &list, TWalkControl &control);

/// The path of sub-folder `name` of `dir`, cleaned like every path the walk builds.
std::string SubFolderPath(const std::string &dir, std::string_view name);
