// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include <windows.h>

#include <string>

namespace {

std::string Reason()
{
    return "error " + std::to_string(GetLastError());
}

class THandle
{
public:
    explicit THandle(HANDLE h)
        : FH(h)
    {
    }
    ~THandle()
    {
        if (FH != INVALID_HANDLE_VALUE && FH != nullptr)
            CloseHandle(FH);
    }
    THandle(const THandle &) = delete;
    THandle &operator=(const THandle &) = delete;
    HANDLE Get() const { return FH; }
    bool Valid() const { return FH != INVALID_HANDLE_VALUE && FH != nullptr; }

private:
    HANDLE FH;
};

std::string FolderOf(const std::string &path)
{
    auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

} // namespace

TFileRead ReadFileBytes(const std::string &path, std::string &data)
{
    data.clear();
    THandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) {
        DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? TFileRead::frMissing : TFileRead::frError;
    }
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h.Get(), buffer, sizeof buffer, &n, nullptr)) {
            data.clear();
            return TFileRead::frError;
        }
        if (n == 0)
            return TFileRead::frOk;
        data.append(buffer, n);
    }
}

void UpdateFile(const std::string &path, const std::function<bool(std::string &content)> &update)
{
    auto fail = [&](const std::string &what) {
        throw EFileWriteError("Cannot write \"" + path + "\": " + what + " (" + Reason() + ")");
    };
    // A lock file beside the settings file serialises writers of every process.
    std::string lockName = path + ".lock";
    HANDLE taken = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 200 && taken == INVALID_HANDLE_VALUE; ++i) {
        taken = CreateFileA(lockName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (taken == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_SHARING_VIOLATION)
                fail("cannot create its lock file");
            Sleep(10);
        }
    }
    THandle lock(taken);
    if (!lock.Valid())
        fail("its lock file stays taken");

    std::string content;
    if (ReadFileBytes(path, content) == TFileRead::frError)
        fail("the file exists but cannot be read");
    if (!update(content))
        return;
    std::string tmp = FolderOf(path) + "\\~" + std::to_string(GetCurrentProcessId()) + ".tmp";
    {
        THandle out(CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.Valid())
            fail("cannot create a temporary file in its folder");
        DWORD written = 0;
        if (!WriteFile(out.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr)
            || written != content.size() || !FlushFileBuffers(out.Get())) {
            DeleteFileA(tmp.c_str());
            fail("cannot write the temporary file");
        }
    }
    if (!MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(tmp.c_str());
        fail("cannot replace the file");
    }
}
