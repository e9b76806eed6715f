// SPDX-License-Identifier: GPL-3.0-or-later
// ProjectTestSupport: temporary folders and whole-file reads for the version component's tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "TempDir.h"

/// A fresh folder below the system's temporary folder, removed with everything in it (read-only
/// entries included) when the object goes.
class TTempDir
{
public:
    explicit TTempDir(const std::string &prefix = "vproject")
    {
        FPath = NewTempDir(prefix + "-");
    }
    ~TTempDir()
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (auto &e : fs::recursive_directory_iterator(FPath, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(FPath, ec);
    }
    TTempDir(const TTempDir &) = delete;
    TTempDir &operator=(const TTempDir &) = delete;

    const std::string &Path() const { return FPath; }
    std::string Path(const std::string &relative) const { return FPath + "/" + relative; }

private:
    std::string FPath;
};

/// The whole file; empty when it cannot be read.
inline std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
