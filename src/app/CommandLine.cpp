// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "platform/Application.h"
#include "platform/Drives.h"
#include "platform/FileEnum.h"
#include "scan/diskthreadun.h"
#include "scan/filefunction.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define VORLANT_ISATTY _isatty
#else
#include <unistd.h>
#define VORLANT_ISATTY isatty
#endif

#ifndef VORLANT_VERSION
#define VORLANT_VERSION "0"
#endif

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int ExitInterrupted = 130;

const char *const Usage =
    "Usage: vorlant                 open the window\n"
    "       vorlant PATH...         open the window, offering these folders instead of the drives\n"
    "       vorlant --drives        print the drives the window offers, one per line\n"
    "       vorlant --list [--count N] [--show greatest|oldest|newest] [--format text|csv|json] PATH...\n"
    "                               scan each PATH (a drive or any folder; the walk stays on its file\n"
    "                               system) and print the N + 1 files the chart shows, in chart order\n"
    "       vorlant --report FILE.pdf|FILE.rtf [--count N] [--show greatest|oldest|newest] PATH\n"
    "                               scan PATH and write the one-page drive report to FILE\n"
    "       vorlant --help | --version\n"
    "\n"
    "  --count N       N, the files count (default 20): N + 1 files are shown\n"
    "  --show MODE     greatest (largest first, the default), oldest or newest\n"
    "  --format FMT    text (rank, size or date, path), csv (rank,size,mtime,path; RFC 4180; size in\n"
    "                  bytes, mtime in Unix seconds) or json (an array of objects with those keys);\n"
    "                  with several PATHs csv and json carry the drive as well\n"
    "\n"
    "Progress goes to standard error when it is a terminal; Ctrl+C stops the scan.\n"
    "Exit codes: 0 success, 1 failure, 2 bad usage, 130 interrupted.\n";

enum class TFormat { Text, Csv, Json };

struct TOptions {
    bool Drives = false, List = false, Help = false, Version = false;
    int Count = 20;
    int Mode = rmGreatest;
    TFormat Format = TFormat::Text;
    bool CountGiven = false, ShowGiven = false, FormatGiven = false;
    std::vector<std::string> Paths;
};

class EUsage : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int)
{
    gInterrupted = 1; // the main loop turns this into Stop()
}

int ParseCount(const std::string &text)
{
    int count = 0;
    switch (ParseCountText(text, count)) {
    case TCountCheck::NotANumber:
        throw EUsage("--count needs a whole number of 0 or more, not '" + text + "'");
    case TCountCheck::TooLarge:
        throw EUsage("--count " + text + " is too large (at most 1000000000)");
    case TCountCheck::Ok:
        break;
    }
    return count;
}

TOptions ParseOptions(int argc, char **argv)
{
    TOptions o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        const bool hasValue = SplitOptionValue(arg, value);
        auto takeValue = [&]() -> std::string {
            if (hasValue)
                return value;
            if (i + 1 >= argc)
                throw EUsage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--drives")
            o.Drives = true;
        else if (arg == "--list")
            o.List = true;
        else if (arg == "--help" || arg == "-h")
            o.Help = true;
        else if (arg == "--version")
            o.Version = true;
        else if (arg == "--count") {
            o.Count = ParseCount(takeValue());
            o.CountGiven = true;
        } else if (arg == "--show") {
            const std::string mode = takeValue();
            const std::optional<int> known = ShowModeByName(mode);
            if (!known)
                throw EUsage("--show takes greatest, oldest or newest, not '" + mode + "'");
            o.Mode = *known;
            o.ShowGiven = true;
        } else if (arg == "--format") {
            const std::string format = takeValue();
            if (format == "text")
                o.Format = TFormat::Text;
            else if (format == "csv")
                o.Format = TFormat::Csv;
            else if (format == "json")
                o.Format = TFormat::Json;
            else
                throw EUsage("--format takes text, csv or json, not '" + format + "'");
            o.FormatGiven = true;
        } else if (arg == "--") {
            for (++i; i < argc; ++i)
                o.Paths.push_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw EUsage("unknown option '" + arg + "'");
        } else if (hasValue) {
            throw EUsage("unknown option '" + arg + "'");
        } else {
            o.Paths.push_back(arg);
        }
    }
    if (o.Help || o.Version)
        return o;
    if (o.Drives + o.List != 1)
        throw EUsage(o.Drives ? "--drives and --list cannot be combined" : "say what to do: --list or --drives");
    if (o.Drives && (o.CountGiven || o.ShowGiven || o.FormatGiven || !o.Paths.empty()))
        throw EUsage("--drives takes no further options or paths");
    if (o.List && o.Paths.empty())
        throw EUsage("--list needs at least one PATH");
    return o;
}

// --- Output ------------------------------------------------------------------------------------

// Length of the valid UTF-8 sequence at s[i], or 0 when the bytes there are not one.
size_t Utf8Length(const std::string &s, size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and values beyond U+10FFFF are not valid either.
    const auto c1 = static_cast<unsigned char>(s[i + (n > 1 ? 1 : 0)]);
    if ((n == 2 && c < 0xC2) || (n == 3 && c == 0xE0 && c1 < 0xA0) || (n == 3 && c == 0xED && c1 >= 0xA0) ||
        (n == 4 && c == 0xF0 && c1 < 0x90) || (n == 4 && (c > 0xF4 || (c == 0xF4 && c1 >= 0x90))))
        return 0;
    return n;
}

// For a terminal: control characters and bytes that are not UTF-8 shown as escapes.
std::string Readable(const std::string &s)
{
    std::string out;
    char hex[8];
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = Utf8Length(s, i);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (n == 0 || c < 0x20 || c == 0x7F) {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out.append(s, i, n);
            i += n;
            continue;
        }
        ++i;
    }
    return out;
}

// RFC 4180: a field with a comma, quote or line break is quoted, quotes doubled. Bytes as they are.
std::string CsvField(const std::string &s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

// A JSON string. Bytes that are not UTF-8 become the escapes \udc80 .. \udcff (one per byte), so
// the file name's bytes can be told back exactly.
std::string JsonString(const std::string &s)
{
    std::string out = "\"";
    char hex[8];
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = Utf8Length(s, i);
        if (n == 0) {
            std::snprintf(hex, sizeof hex, "\\udc%02x", c);
            out += hex;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            std::snprintf(hex, sizeof hex, "\\u%04x", c);
            out += hex;
        } else {
            out.append(s, i, n);
            i += n;
            continue;
        }
        ++i;
    }
    return out + "\"";
}

// The legend's date: the local date, and the time unless it is exactly midnight.
std::string DateText(std::int64_t seconds)
{
    std::tm tm{};
    if (!LocalFileTime(seconds, tm)) // the local time the packed record time uses
        return std::to_string(seconds);
    // Formatted by hand: some C libraries refuse years before 1900 in strftime.
    char buffer[64];
    const long long year = 1900LL + tm.tm_year;
    if (tm.tm_hour || tm.tm_min || tm.tm_sec)
        std::snprintf(buffer, sizeof buffer, "%lld-%02d-%02d %02d:%02d:%02d", year, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                      tm.tm_min, tm.tm_sec);
    else
        std::snprintf(buffer, sizeof buffer, "%lld-%02d-%02d", year, tm.tm_mon + 1, tm.tm_mday);
    return buffer;
}

struct TRow {
    int Rank;
    std::int64_t Size;
    std::int64_t MTime;
    std::string Path;
};

struct TBlock {
    std::string Drive;
    std::vector<TRow> Rows;
};

std::string Render(const std::vector<TBlock> &blocks, TFormat format, int mode)
{
    const bool several = blocks.size() > 1;
    std::string out;
    switch (format) {
    case TFormat::Text:
        for (const auto &block : blocks) {
            if (several)
                out += (out.empty() ? "" : "\n") + Readable(block.Drive) + "\n";
            for (const auto &row : block.Rows) {
                const std::string head = mode == rmGreatest ? FormatFileSize(row.Size) : DateText(row.MTime);
                out += std::to_string(row.Rank) + "\t" + head + "\t" + Readable(row.Path) + "\n";
            }
        }
        break;
    case TFormat::Csv:
        out += several ? "drive,rank,size,mtime,path\r\n" : "rank,size,mtime,path\r\n";
        for (const auto &block : blocks)
            for (const auto &row : block.Rows) {
                if (several)
                    out += CsvField(block.Drive) + ",";
                out += std::to_string(row.Rank) + "," + std::to_string(row.Size) + "," + std::to_string(row.MTime) +
                       "," + CsvField(row.Path) + "\r\n";
            }
        break;
    case TFormat::Json: {
        out += "[";
        bool first = true;
        for (const auto &block : blocks)
            for (const auto &row : block.Rows) {
                out += first ? "\n  {" : ",\n  {";
                first = false;
                if (several)
                    out += "\"drive\": " + JsonString(block.Drive) + ", ";
                out += "\"rank\": " + std::to_string(row.Rank) + ", \"size\": " + std::to_string(row.Size) +
                       ", \"mtime\": " + std::to_string(row.MTime) + ", \"path\": " + JsonString(row.Path) + "}";
            }
        out += first ? "]\n" : "\n]\n";
        break;
    }
    }
    return out;
}

// --- Scanning ----------------------------------------------------------------------------------

class TProgress
{
public:
    TProgress()
        : FEnabled(VORLANT_ISATTY(2) != 0)
    {
    }
    void Show(const TDiskThread &worker)
    {
        if (!FEnabled || TickCount() - FLast < 100)
            return;
        FLast = TickCount();
        std::string folder = Readable(worker.CurrentFolder());
        if (folder.size() > 50)
            folder = "..." + folder.substr(folder.size() - 47);
        std::fprintf(stderr, "\r\033[K%llu files, %s", static_cast<unsigned long long>(worker.FilesSoFar()),
                     folder.c_str());
        std::fflush(stderr);
        FShown = true;
    }
    void Clear()
    {
        if (FShown)
            std::fprintf(stderr, "\r\033[K");
        FShown = false;
    }

private:
    bool FEnabled;
    bool FShown = false;
    std::uint32_t FLast = 0;
};

// The folder as the walk and the labels show it: absolute, cleaned.
std::string DriveTextOf(const std::string &path)
{
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        absolute = path;
    return NormalizePath(absolute.lexically_normal().string());
}

// Checks every path before anything is scanned; an empty result means all are usable folders.
std::string CheckPath(const std::string &path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return path + ": " + (ec ? ec.message() : std::string("No such file or directory"));
    if (!std::filesystem::is_directory(status))
        return path + ": not a folder";
    std::filesystem::directory_iterator probe(path, ec);
    if (ec)
        return path + ": " + ec.message();
    return {};
}

int RunList(const TOptions &o)
{
    std::signal(SIGINT, OnInterrupt);
    for (const auto &path : o.Paths)
        if (std::string problem = CheckPath(path); !problem.empty()) {
            std::fprintf(stderr, "vorlant: %s\n", problem.c_str());
            return ExitFailure;
        }
    auto &app = Application();
    std::vector<TBlock> blocks;
    TProgress progress;
    for (const auto &path : o.Paths) {
        TBlock block{DriveTextOf(path), {}};
        TBarSeries series;
        bool done = false;
        TDiskThread worker(block.Drive, &series, o.Count, o.Mode, [&](TObject *) { done = true; });
        worker.Resume();
        bool stopped = false;
        while (!done) {
            app.WaitForMessages(50);
            if (gInterrupted && !stopped) {
                worker.Stop();
                stopped = true;
            }
            progress.Show(worker);
        }
        progress.Clear();
        if (gInterrupted) {
            std::fprintf(stderr, "vorlant: interrupted\n");
            return ExitInterrupted;
        }
        if (!worker.ErrorMessage().empty()) {
            std::fprintf(stderr, "vorlant: %s: %s\n", path.c_str(), worker.ErrorMessage().c_str());
            return ExitFailure;
        }
        for (int i = 0; i < series.Count(); ++i) {
            const TFileObject *record = worker.ShownRecord(i);
            block.Rows.push_back(TRow{i + 1, record->Size(), record->TimeStamp(), series.Point(i).Label});
        }
        blocks.push_back(std::move(block));
    }
    const std::string out = Render(blocks, o.Format, o.Mode);
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "vorlant: cannot write the list: %s\n", std::strerror(errno));
        return ExitFailure;
    }
    return ExitOk;
}

int RunDrives()
{
    std::vector<std::string> drives;
    GetDrivesIfType(&drives, DRIVE_FIXED, true);
    for (const auto &drive : drives)
        std::printf("%s\n", drive.c_str());
    return std::fflush(stdout) == 0 ? ExitOk : ExitFailure;
}

} // namespace

bool SplitOptionValue(std::string &option, std::string &value)
{
    const size_t equals = option.find('=');
    if (option.rfind("--", 0) != 0 || equals == std::string::npos)
        return false;
    value = option.substr(equals + 1);
    option.resize(equals);
    return true;
}

TCountCheck ParseCountText(const std::string &text, int &count)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return TCountCheck::NotANumber;
    const long long value = std::stoll(text);
    if (value > 1000000000)
        return TCountCheck::TooLarge;
    count = static_cast<int>(value);
    return TCountCheck::Ok;
}

std::optional<int> ShowModeByName(const std::string &name)
{
    if (name == "greatest")
        return rmGreatest;
    if (name == "oldest")
        return rmOldest;
    if (name == "newest")
        return rmNewest;
    return std::nullopt;
}

bool IsCommandLine(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--", 2) == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    return false;
}

int RunCommandLine(int argc, char **argv)
{
#ifdef _WIN32
    // The listing is written byte for byte as on every other system: csv lines end in CRLF once.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    TOptions options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const EUsage &e) {
        std::fprintf(stderr, "vorlant: %s\nTry 'vorlant --help'.\n", e.what());
        return ExitUsage;
    }
    if (options.Help) {
        std::fputs(Usage, stdout);
        return ExitOk;
    }
    if (options.Version) {
        std::printf("vorlant %s\n", VORLANT_VERSION);
        return ExitOk;
    }
    try {
        return options.Drives ? RunDrives() : RunList(options);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "vorlant: %s\n", e.what());
        return ExitFailure;
    }
}
