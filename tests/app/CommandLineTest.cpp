// SPDX-License-Identifier: GPL-3.0-or-later
// The vorlant binary end to end: its listings against an independent one (GNU find), its errors
// and exit codes, and Ctrl+C.
#include <gtest/gtest.h>

#include "../scan/TempTree.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

constexpr std::int64_t GiB = 1LL << 30;
constexpr std::int64_t Year = 365LL * 86400;

struct TResult {
    int Code = -1;
    std::string Out, Err;
};

std::string Quote(const std::string &s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

TResult RunVorlant(const std::string &arguments)
{
    TTempTree scratch;
    const std::string out = scratch.Path("out"), err = scratch.Path("err");
    const int status = std::system((std::string(VORLANT_EXE) + " " + arguments + " >" + out + " 2>" + err).c_str());
    return TResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
}

// RFC 4180 records (fields may hold quoted commas, quotes and line breaks).
std::vector<std::vector<std::string>> ParseCsv(const std::string &text)
{
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                rows.back().back() += text[++i];
            else if (c == '"')
                quoted = false;
            else
                rows.back().back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].empty())
        rows.pop_back();
    return rows;
}

struct TFileRow {
    std::int64_t Size, MTime;
    std::string Path;
    bool operator==(const TFileRow &) const = default;
};

std::ostream &operator<<(std::ostream &os, const TFileRow &r)
{
    return os << r.Size << " " << r.MTime << " " << r.Path;
}

// Every non-folder entry below `root` on its file system, as GNU find lists it (no link followed).
std::vector<TFileRow> FindListing(const std::string &root)
{
    TTempTree scratch;
    const std::string out = scratch.Path("find");
    std::system(("find " + Quote(root) + " -xdev ! -type d -printf '%s\\t%T@\\t%p\\0' >" + out).c_str());
    const std::string text = ReadText(out);
    std::vector<TFileRow> rows;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\0', start);
        const std::string record = text.substr(start, end - start);
        const size_t tab1 = record.find('\t'), tab2 = record.find('\t', tab1 + 1);
        const double stamp = std::stod(record.substr(tab1 + 1, tab2 - tab1 - 1));
        rows.push_back(TFileRow{std::stoll(record.substr(0, tab1)), static_cast<std::int64_t>(std::floor(stamp)),
                                record.substr(tab2 + 1)});
        start = end + 1;
    }
    return rows;
}

// A tree with the awkward cases: sizes beyond 4 GiB, times before 1970 and after 2107, names with
// newlines, braces, backslashes, commas, quotes and invalid UTF-8, a link to a folder, a path longer
// than PATH_MAX. Sizes and times are all distinct, so every ranking has one right answer.
class TCommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::vector<std::string> names = {"plain.txt", "new\nline", "br{ace}s", "back\\slash",
                                                "bad\xff\xfe-utf8", "comma,and\"quote", "sp ace", ".hidden"};
        std::int64_t n = 0;
        for (const auto &name : names) {
            ++n;
            Tree.File("dir/" + name, n * 1000 + 1, n * Year + 17);
        }
        Tree.File("huge.img", 5 * GiB, -20 * Year);        // 1950
        Tree.File("dir/sub/four.bin", 4 * GiB + 7, 200 * Year); // 2170
        Tree.File("target/inside", 12, 55 * Year);
        Tree.FolderLink("target", "dir/link");
        Tree.DeepFile(std::string(250, 'd'), 20, "deep", 3, 60 * Year);
    }

    std::vector<TFileRow> Expected(const std::string &show, size_t count)
    {
        auto rows = FindListing(Tree.Root());
        std::sort(rows.begin(), rows.end(), [&](const TFileRow &a, const TFileRow &b) {
            return show == "greatest" ? a.Size > b.Size : show == "newest" ? a.MTime > b.MTime : a.MTime < b.MTime;
        });
        rows.resize(std::min(rows.size(), count));
        return rows;
    }

    TTempTree Tree;
};

} // namespace

TEST_F(TCommandLine, CsvEqualsIndependentListing)
{
    for (const std::string show : {"greatest", "oldest", "newest"})
        for (int count : {0, 4, 100}) {
            const TResult r = RunVorlant("--list --format csv --count " + std::to_string(count) + " --show " + show + " " +
                                  Quote(Tree.Root()));
            ASSERT_EQ(r.Code, 0) << r.Err;
            const auto csv = ParseCsv(r.Out);
            ASSERT_FALSE(csv.empty());
            EXPECT_EQ(csv[0], (std::vector<std::string>{"rank", "size", "mtime", "path"}));
            std::vector<TFileRow> rows;
            for (size_t i = 1; i < csv.size(); ++i) {
                ASSERT_EQ(csv[i].size(), 4u);
                EXPECT_EQ(csv[i][0], std::to_string(i));
                rows.push_back(TFileRow{std::stoll(csv[i][1]), std::stoll(csv[i][2]), csv[i][3]});
            }
            const auto expected = Expected(show, static_cast<size_t>(count) + 1);
            ASSERT_EQ(expected.size(), std::min<size_t>(count + 1, 13));
            EXPECT_EQ(rows, expected) << show << " " << count;
        }
}

TEST_F(TCommandLine, SeveralPathsAndOtherFormats)
{
    const TResult csv = RunVorlant("--list --format=csv --count 0 " + Quote(Tree.Path("dir")) + " " + Quote(Tree.Path("target")));
    ASSERT_EQ(csv.Code, 0) << csv.Err;
    const auto rows = ParseCsv(csv.Out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "drive");
    EXPECT_EQ(rows[1][0], Tree.Path("dir"));
    EXPECT_EQ(rows[1][4], Tree.Path("dir/sub/four.bin"));
    EXPECT_EQ(rows[2][0], Tree.Path("target"));

    const TResult json = RunVorlant("--list --format json --count 100 " + Quote(Tree.Path("dir") + "/"));
    ASSERT_EQ(json.Code, 0) << json.Err;
    EXPECT_NE(json.Out.find("\"path\": \"" + Tree.Path("dir/bad") + "\\udcff\\udcfe-utf8\""), std::string::npos);
    EXPECT_NE(json.Out.find("new\\nline"), std::string::npos);
    EXPECT_NE(json.Out.find("comma,and\\\"quote"), std::string::npos);
    EXPECT_NE(json.Out.find("back\\\\slash"), std::string::npos);

    const TResult text = RunVorlant("--list --count 1 " + Quote(Tree.Root()));
    ASSERT_EQ(text.Code, 0) << text.Err;
    EXPECT_EQ(text.Out, "1\t5.00 GB\t" + Tree.Path("huge.img") + "\n2\t4.00 GB\t" + Tree.Path("dir/sub/four.bin") + "\n");
}

TEST(CommandLine, ErrorsAndExitCodes)
{
    struct TCase {
        std::string Arguments;
        int Code;
        std::string Message; // part of standard error
    };
    const TCase table[] = {
        {"--list --count abc /tmp", 2, "--count needs a whole number of 0 or more, not 'abc'"},
        {"--list --count -3 /tmp", 2, "not '-3'"},
        {"--list --count", 2, "--count needs a value"},
        {"--list --show largest /tmp", 2, "--show takes greatest, oldest or newest"},
        {"--list --format xml /tmp", 2, "--format takes text, csv or json"},
        {"--list", 2, "--list needs at least one PATH"},
        {"--frobnicate", 2, "unknown option '--frobnicate'"},
        {"--drives --list /tmp", 2, "cannot be combined"},
        {"--list /no/such/folder", 1, "/no/such/folder: No such file or directory"},
        {"--list /etc/hostname", 1, "/etc/hostname: not a folder"},
        {"--list /tmp /no/such/folder", 1, "/no/such/folder"},
    };
    for (const auto &c : table) {
        const TResult r = RunVorlant(c.Arguments);
        EXPECT_EQ(r.Code, c.Code) << c.Arguments;
        EXPECT_NE(r.Err.find(c.Message), std::string::npos) << c.Arguments << ": " << r.Err;
        EXPECT_TRUE(r.Out.empty()) << c.Arguments; // nothing half-done
    }
    const TResult help = RunVorlant("--help");
    EXPECT_EQ(help.Code, 0);
    EXPECT_NE(help.Out.find("--list [--count N]"), std::string::npos);
    const TResult version = RunVorlant("--version");
    EXPECT_EQ(version.Code, 0);
    EXPECT_EQ(version.Out.rfind("vorlant ", 0), 0u);
    const TResult drives = RunVorlant("--drives");
    EXPECT_EQ(drives.Code, 0);
    EXPECT_NE(drives.Out.find("/\n"), std::string::npos);
}

TEST(CommandLine, InterruptStopsPromptly)
{
    TTempTree tree;
    for (int d = 0; d < 200; ++d) {
        tree.Folder("d" + std::to_string(d));
        const int fd = open(tree.Path("d" + std::to_string(d)).c_str(), O_RDONLY | O_DIRECTORY);
        for (int f = 0; f < 200; ++f)
            TTempTree::MakeFile(fd, "f" + std::to_string(f), f, 0);
        close(fd);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(VORLANT_EXE, VORLANT_EXE, "--list", tree.Root().c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    // Interrupt once the walk is under way: the program then holds a sub-folder of the tree open.
    auto walking = [&] {
        const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
        for (int fd = 3; fd < 64; ++fd) {
            char target[4096];
            const ssize_t n = readlink((fds + "/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
            if (n > 0 && std::string(target, static_cast<size_t>(n)).rfind(tree.Root() + "/d", 0) == 0)
                return true;
        }
        return false;
    };
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!walking() && std::chrono::steady_clock::now() < limit) {
    }
    kill(pid, SIGINT);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
}
