// SPDX-License-Identifier: GPL-3.0-or-later
// UserFolders: where a program whose own folder is read-only (an installed copy) keeps its files.
#pragma once

#include <string>

/// True when a file can be created (and removed again) in `folder` right now. Tests by doing it,
/// since permission bits say nothing about read-only mounts, and nothing to root.
bool FolderWritable(const std::string &folder);

/// The user's cache folder for this program, created if missing: $XDG_CACHE_HOME/vorlant or
/// ~/.cache/vorlant on Linux, %LOCALAPPDATA%\Vorlant on Windows. No trailing separator.
std::string UserCacheFolder();
