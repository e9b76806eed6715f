// SPDX-License-Identifier: GPL-3.0-or-later
// AtomicFile: whole-file reads and locked, atomic read-modify-write of small settings files (the INI
// file, the registry hives), safe against a second running instance and against a crash mid-write.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

/// Raised when a settings file cannot be read for an update or cannot be written. The message names
/// the file and the system's reason.
class EFileWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Outcome of ReadFileBytes.
enum class TFileRead {
    frOk, ///< `data` holds the whole file
    frMissing, ///< the file does not exist; `data` is empty
    frError, ///< the file exists but cannot be read; `data` is empty
};

/// Reads the whole file `path` into `data`. Never throws.
TFileRead ReadFileBytes(const std::string &path, std::string &data);

/// Read-modify-write of `path` under an exclusive lock that every UpdateFile of the same folder
/// takes, in this process and in others: the current contents are read afresh (empty when the file
/// does not exist), `update` changes them and returns true, and the result is written to a
/// temporary file in the same folder, flushed and renamed over `path`, so readers see either the
/// old or the new file, never a half-written one. `update` returning false leaves the file
/// untouched. A file that exists but cannot be read is never overwritten. A symbolic link at `path`
/// is followed, so the file it names is replaced and the link stays. The file keeps its permission
/// bits; a new file gets 0644 (less the process umask).
/// Throws EFileWriteError (nothing written) when the folder or file cannot be read, locked or
/// written; exceptions from `update` pass through, also leaving the file untouched.
void UpdateFile(const std::string &path, const std::function<bool(std::string &content)> &update);
