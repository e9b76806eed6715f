// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary folders and whole-file reads for the tests of both builds.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <cstdlib>
#include <sys/stat.h>
#endif

/// Creates a new folder named `prefix` plus a unique part below the temporary folder and returns
/// its path (no trailing separator).
inline std::string NewTempDir(const std::string &prefix)
{
#ifdef _WIN32
    static std::atomic<unsigned> count{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path path = base / (prefix + std::to_string(_getpid()) + "-" + std::to_string(++count));
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec) && !ec)
            return path.string();
    }
    throw std::runtime_error("cannot create a temporary folder");
#else
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
#endif
}

/// A fresh folder from NewTempDir, removed with everything in it when the object goes: read-only
/// entries, folders left without permissions and trees deeper than the path limit included.
class TTempDir
{
public:
    explicit TTempDir(const std::string &prefix = "vorlant-test")
        : FPath(NewTempDir(prefix + "-"))
    {
#ifndef _WIN32
        ::chmod(FPath.c_str(), 0755); // readable for checks that run as another user
#endif
    }
    ~TTempDir()
    {
#ifdef _WIN32
        namespace fs = std::filesystem;
        std::error_code ec;
        for (auto &entry : fs::recursive_directory_iterator(FPath, ec))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(FPath, ec);
#else
        // rm copes with trees deeper than PATH_MAX and with folders left without permissions.
        const std::string command = "chmod -R u+rwx '" + FPath + "' 2>/dev/null; rm -rf '" + FPath + "'";
        if (std::system(command.c_str()) != 0) {
        }
#endif
    }
    TTempDir(const TTempDir &) = delete;
    TTempDir &operator=(const TTempDir &) = delete;

    const std::string &Path() const { return FPath; }
    /// `relative` below the folder, joined with "/" (which both systems accept).
    std::string Path(const std::string &relative) const { return FPath + "/" + relative; }
    std::string operator/(const std::string &relative) const { return Path(relative); }

private:
    std::string FPath;
};

/// The whole file, bytes as stored; empty when it cannot be read.
inline std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
