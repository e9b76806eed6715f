// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileEnum.h"

#include <windows.h>

struct TFolderReader::TImpl {
    std::string Path; // the folder's path as given, without a trailing separator
    HANDLE Find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA Data{};
    bool Pending = false; // Data holds an entry not yet reported
    std::uint32_t Mask = faAnyFile;
};

namespace {

// 100-nanosecond intervals since 1601-01-01 UTC, to seconds since 1970.
std::int64_t UnixSeconds(const FILETIME &ft)
{
    const std::int64_t ticks = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return ticks / 10000000 - 11644473600LL;
}

// Drive texts ("C:") and long paths need the "\\?\" form for more than MAX_PATH characters.
std::string Pattern(const std::string &path)
{
    std::string pattern = path;
    if (pattern.empty() || (pattern.back() != '\\' && pattern.back() != '/'))
        pattern += '\\';
    pattern += '*';
    if (pattern.size() >= MAX_PATH && pattern.size() > 2 && pattern[1] == ':')
        pattern = "\\\\?\\" + pattern;
    return pattern;
}

void Open(TFolderReader::TImpl &impl)
{
    impl.Find = FindFirstFileA(Pattern(impl.Path).c_str(), &impl.Data);
    impl.Pending = impl.Find != INVALID_HANDLE_VALUE;
}

} // namespace

TFolderReader::TFolderReader(const std::string &path, std::uint32_t attrMask)
    : FImpl(std::make_unique<TImpl>())
{
    FImpl->Path = path;
    while (FImpl->Path.size() > 2 && (FImpl->Path.back() == '\\' || FImpl->Path.back() == '/'))
        FImpl->Path.pop_back();
    FImpl->Mask = attrMask;
    Open(*FImpl);
}

TFolderReader::TFolderReader(const TFolderReader &parent, std::string_view name)
    : FImpl(std::make_unique<TImpl>())
{
    FImpl->Path = parent.FImpl->Path + "\\" + std::string(name);
    FImpl->Mask = parent.FImpl->Mask;
    // Junctions, folder links and mounted volumes are reparse points: the walk does not enter them.
    const DWORD attr = GetFileAttributesA(FImpl->Path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY) || (attr & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    Open(*FImpl);
}

TFolderReader::~TFolderReader()
{
    if (FImpl->Find != INVALID_HANDLE_VALUE)
        FindClose(FImpl->Find);
}

bool TFolderReader::Valid() const
{
    return FImpl->Find != INVALID_HANDLE_VALUE;
}

bool TFolderReader::Next(TDirEntry &entry)
{
    while (FImpl->Find != INVALID_HANDLE_VALUE) {
        if (!FImpl->Pending && !FindNextFileA(FImpl->Find, &FImpl->Data))
            return false;
        FImpl->Pending = false;
        const WIN32_FIND_DATAA &d = FImpl->Data;
        const std::string_view name = d.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::uint32_t attr = d.dwFileAttributes;
        if ((attr & (faHidden | faSysFile | faVolumeID | faDirectory) & ~FImpl->Mask) != 0)
            continue;
        entry.Name = name;
        entry.Attr = attr;
        entry.Folder = (attr & FILE_ATTRIBUTE_DIRECTORY) && !(attr & FILE_ATTRIBUTE_REPARSE_POINT);
        const bool directory = (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.Size = directory ? 0 : static_cast<std::int64_t>((static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow);
        entry.ModTime = directory ? 0 : UnixSeconds(d.ftLastWriteTime);
        if (directory && !entry.Folder)
            continue; // a link to a folder is neither walked nor a file
        return true;
    }
    return false;
}

bool ReadFileAttributes(const std::string &path, std::uint32_t &attributes)
{
    const DWORD attr = GetFileAttributesA(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES)
        return false;
    attributes = attr;
    return true;
}

bool WriteFileAttributes(const std::string &path, std::uint32_t attributes)
{
    const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
        | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attr = attributes & settable;
    return SetFileAttributesA(path.c_str(), attr ? attr : FILE_ATTRIBUTE_NORMAL);
}

bool LocalFileTime(std::int64_t seconds, std::tm &out)
{
    // 100-ns steps since 1601-01-01 UTC, as far as FILETIME and SYSTEMTIME reach.
    constexpr std::int64_t Since1601 = 11644473600LL;
    if (seconds < -Since1601 || seconds > 0x7FFFFFFFFFFFFFFFLL / 10000000 - Since1601)
        return false;
    const std::uint64_t ticks = static_cast<std::uint64_t>(seconds + Since1601) * 10000000u;
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st))
        return false;
    out = std::tm{};
    out.tm_year = st.wYear - 1900;
    out.tm_mon = st.wMonth - 1;
    out.tm_mday = st.wDay;
    out.tm_hour = st.wHour;
    out.tm_min = st.wMinute;
    out.tm_sec = st.wSecond;
    out.tm_wday = st.wDayOfWeek;
    return true;
}
