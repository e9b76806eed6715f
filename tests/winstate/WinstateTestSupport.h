// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the window state store's tests: writing whole files, places no one may write (not
// even root), and running a check as an unprivileged user.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "TempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

inline void WriteText(const std::string &path, const std::string &text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

/// A folder path that no one can create or write, root included: it lies below a regular file.
inline std::string UnwritableFolder(const TTempDir &dir)
{
    WriteText(dir / "plain-file", "x");
    return dir / "plain-file/sub";
}

#ifndef _WIN32 // users and permissions as POSIX has them

/// Outcome of RunUnprivileged.
enum class TUnprivileged { upPassed, upFailed, upUnavailable };

/// Runs `check` in a child process as the unprivileged user nobody (when we are root) or as
/// ourselves, and says whether it returned true. Use it for read-only folders, which do not stop
/// root. Nothing the child does reaches this process's memory. upUnavailable: root could not drop
/// its privileges here (the caller skips).
inline TUnprivileged RunUnprivileged(const std::function<bool()> &check)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(77);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        return TUnprivileged::upFailed;
    int code = WEXITSTATUS(status);
    return code == 0 ? TUnprivileged::upPassed : code == 77 ? TUnprivileged::upUnavailable : TUnprivileged::upFailed;
}

/// Runs `check` unprivileged as a test step: skips the test when privileges cannot be dropped.
#define EXPECT_UNPRIVILEGED(check)                                                                                    \
    do {                                                                                                               \
        TUnprivileged outcome_ = RunUnprivileged(check);                                                               \
        if (outcome_ == TUnprivileged::upUnavailable)                                                                  \
            GTEST_SKIP() << "cannot run as an unprivileged user here";                                                 \
        EXPECT_EQ(outcome_, TUnprivileged::upPassed);                                                                  \
    } while (false)

#endif
