// SPDX-License-Identifier: GPL-3.0-or-later
#include "filefunction.h"

#include "platform/Application.h"
#include "platform/Drives.h"
#include "platform/FileEnum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

bool IsWinSep(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

std::string SlashToBackslash(const std::string &s)
{
    std::string out = s;
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::string NormalizePathWindows(std::string_view s)
{
    if (s.size() < 3 || s.find_first_of("\\:") == std::string_view::npos)
        return std::string(s);
    std::string out(s.substr(0, 2));
    out.reserve(s.size());
    for (size_t i = 2; i < s.size(); ++i) {
        // A run of separators keeps only its last character.
        if (IsWinSep(s[i]) && i + 1 < s.size() && IsWinSep(s[i + 1]))
            continue;
        out += s[i];
    }
    if (!out.empty() && out.back() == '\\')
        out.pop_back();
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::string NormalizePathPosix(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '/' && !out.empty() && out.back() == '/')
            continue;
        out += s[i];
    }
    if (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

std::string NormalizePath(std::string_view s)
{
#ifdef _WIN32
    return NormalizePathWindows(s);
#else
    return NormalizePathPosix(s);
#endif
}

std::string ExtractPath(const std::string &fileName)
{
#ifdef _WIN32
    const size_t pos = fileName.find_last_of("\\:");
#else
    const size_t pos = fileName.find_last_of('/');
#endif
    return pos == std::string::npos ? std::string() : fileName.substr(0, pos + 1);
}

void GetDrivesIfType(std::vector<std::string> *list, std::uint16_t driveType, bool nonEmptyOnly)
{
    if (!list)
        throw std::runtime_error("No drivelist in filefunction.GetDrivesIfType");
    for (const std::string &drive : DriveTexts()) {
        if ((DriveTypeOf(drive) & 0xFFFF) != driveType)
            continue;
        if (nonEmptyOnly && !FolderHasEntries(drive, faAnyFile))
            continue;
        list->push_back(drive);
    }
}

namespace {

// "1234567.89" -> "1,234,567.89"
std::string WithThousands(const std::string &fixed)
{
    const size_t dot = fixed.find('.');
    const size_t intEnd = dot == std::string::npos ? fixed.size() : dot;
    const size_t intStart = (!fixed.empty() && fixed[0] == '-') ? 1 : 0;
    std::string out = fixed.substr(0, intStart);
    for (size_t i = intStart; i < intEnd; ++i) {
        if (i > intStart && (intEnd - i) % 3 == 0)
            out += ',';
        out += fixed[i];
    }
    return out + fixed.substr(intEnd);
}

} // namespace

std::string FormatFileSize(std::int64_t n)
{
    if (n < 1024)
        return std::to_string(n) + " Bytes";
    static const char *const units[] = {" KB", " MB", " GB", " TB", " PB", " EB"};
    double value = static_cast<double>(n);
    int unit = 0;
    value /= 1024.0;
    while (value >= 1024.0 && unit < 5) {
        value /= 1024.0;
        ++unit;
    }
    // Rounded to 7 significant digits first, as the legend always showed it.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.7g", value);
    value = std::strtod(buffer, nullptr);
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return WithThousands(buffer) + units[unit];
}

void Delay(std::uint32_t ms)
{
    if (ms == 0)
        return;
    auto &app = Application();
    const std::uint32_t start = TickCount();
    for (;;) {
        const std::uint32_t elapsed = TickCount() - start;
        if (elapsed >= ms || app.Terminated())
            return;
        // Waits for messages with a short bound rather than spinning; messages are handled at once.
        app.WaitForMessages(static_cast<int>(std::min<std::uint32_t>(ms - elapsed, 10)));
    }
}
