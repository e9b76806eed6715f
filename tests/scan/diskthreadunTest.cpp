// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "TempTree.h"
#include "platform/Application.h"
#include "platform/FileEnum.h"
#include "scan/diskthreadun.h"
#include "scan/diskthreadun_walk.h"
#include "scan/filefunction.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

constexpr std::int64_t GiB = 1LL << 30;
constexpr std::int64_t Year = 365LL * 86400;

// One worker on a real tree, with the plain services of the test thread as its GUI thread.
struct TRun {
    TBarSeries Series;
    int Done = 0;
    std::unique_ptr<TDiskThread> Worker;

    TRun(const std::string &path, int n, int mode)
    {
        Worker = std::make_unique<TDiskThread>(path, &Series, n, mode, [this](TObject *sender) {
            EXPECT_EQ(sender, Worker.get());
            EXPECT_FALSE(Worker->Running());
            ++Done;
        });
    }
    void Finish()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (Done == 0 && std::chrono::steady_clock::now() < deadline)
            Application().WaitForMessages(10);
        ASSERT_EQ(Done, 1);
    }
    void Run()
    {
        Worker->Resume();
        Finish();
    }
    std::vector<std::string> Labels() const
    {
        std::vector<std::string> labels;
        for (const auto &p : Series.Points())
            labels.push_back(p.Label);
        return labels;
    }
};

// Five files with sizes beyond 32 bits and times before 1980 and after 2107.
class TDiskThreadTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Tree.File("big", 5 * GiB, 35 * Year);                 // 2005
        Tree.File("a.txt", 100, 20 * Year);                   // 1990
        Tree.File("sub/c.dat", 3 * GiB + 1, 40 * Year);       // 2010
        Tree.File("sub/deeper/d", 2000, 5 * Year);            // 1975
        Tree.File("sub/e", 0, 180 * Year);                    // 2150
    }
    std::string L(const std::string &relative) const { return Tree.Path(relative); }
    TTempTree Tree;
};

} // namespace

TEST_F(TDiskThreadTree, GreatestFilesFillTheSeries)
{
    TRun run(Tree.Root(), 2, rmGreatest);
    run.Run();
    EXPECT_EQ(run.Labels(), (std::vector<std::string>{L("big"), L("sub/c.dat"), L("sub/deeper/d")}));
    EXPECT_EQ(run.Series.Point(0).Y, static_cast<double>(5 * GiB));
    EXPECT_EQ(run.Series.Point(1).X, 1.0);
    EXPECT_EQ(run.Series.Point(1).Color, clTeeColor);
    EXPECT_FALSE(run.Series.DateTime());
    EXPECT_EQ(run.Series.LeftAxis().Minimum(), 0.0);
    EXPECT_EQ(run.Series.LeftAxis().Maximum(), static_cast<double>(5 * GiB));
    EXPECT_EQ(run.Worker->FilesSoFar(), 5u);
    ASSERT_NE(run.Worker->ShownRecord(1), nullptr);
    EXPECT_EQ(run.Worker->ShownRecord(1)->Size(), 3 * GiB + 1);
    EXPECT_EQ(run.Worker->ShownRecord(1)->Path(), L("sub"));
    EXPECT_EQ(run.Worker->ShownRecord(3), nullptr);
    EXPECT_TRUE(run.Worker->ErrorMessage().empty());
    EXPECT_FALSE(run.Worker->Aborted());
}

TEST_F(TDiskThreadTree, OldestAndNewestFiles)
{
    TRun oldest(Tree.Root(), 1, rmOldest);
    oldest.Run();
    EXPECT_EQ(oldest.Labels(), (std::vector<std::string>{L("sub/deeper/d"), L("a.txt")}));
    EXPECT_TRUE(oldest.Series.DateTime());
    EXPECT_DOUBLE_EQ(oldest.Series.Point(0).Y, UnixToDateTime(5 * Year));

    TRun newest(Tree.Root(), 1, rmNewest);
    newest.Run();
    EXPECT_EQ(newest.Labels(), (std::vector<std::string>{L("sub/e"), L("sub/c.dat")}));
    EXPECT_DOUBLE_EQ(newest.Series.Point(0).Y, UnixToDateTime(180 * Year));
}

TEST_F(TDiskThreadTree, CountEdges)
{
    TRun one(Tree.Root(), 0, rmOldest);
    one.Run();
    EXPECT_EQ(one.Labels(), (std::vector<std::string>{L("sub/deeper/d")}));

    TRun all(Tree.Root(), 20, rmGreatest);
    all.Run();
    EXPECT_EQ(all.Series.Count(), 5);

    Tree.Folder("empty");
    TRun empty(Tree.Path("empty"), 20, rmGreatest);
    empty.Run();
    EXPECT_EQ(empty.Series.Count(), 0);
    empty.Worker->Rerank(20, rmNewest);
    EXPECT_EQ(empty.Series.Count(), 0);
    EXPECT_EQ(empty.Series.LeftAxis().Minimum(), 0.0);
    EXPECT_DOUBLE_EQ(empty.Series.LeftAxis().Maximum(), 1e-10);
    EXPECT_FALSE(empty.Series.LeftAxis().Automatic());

    TRun missing(Tree.Path("no-such-folder"), 20, rmGreatest);
    missing.Run();
    EXPECT_EQ(missing.Series.Count(), 0);
}

TEST_F(TDiskThreadTree, RerankEveryModeWithoutRescan)
{
    TRun run(Tree.Root(), 2, rmGreatest);
    run.Run();
    const auto first = run.Labels();
    for (const auto &entry : std::filesystem::directory_iterator(Tree.Root())) // re-ranking must not look at the disk
        std::filesystem::remove_all(entry.path());

    run.Worker->Rerank(2, rmGreatest);
    EXPECT_EQ(run.Labels(), first);
    EXPECT_EQ(run.Series.LeftAxis().Minimum(), 0.0);
    EXPECT_EQ(run.Series.LeftAxis().Maximum(), 5.0 * GiB + 30);

    run.Worker->Rerank(1, rmNewest);
    EXPECT_EQ(run.Labels(), (std::vector<std::string>{L("sub/e"), L("sub/c.dat")}));
    EXPECT_TRUE(run.Series.DateTime());
    EXPECT_DOUBLE_EQ(run.Series.LeftAxis().Minimum(), UnixToDateTime(40 * Year) - 3);
    EXPECT_DOUBLE_EQ(run.Series.LeftAxis().Maximum(), UnixToDateTime(180 * Year) + 3);

    run.Worker->Rerank(2, rmOldest);
    EXPECT_EQ(run.Labels(), (std::vector<std::string>{L("sub/deeper/d"), L("a.txt"), L("big")}));
    EXPECT_DOUBLE_EQ(run.Series.LeftAxis().Minimum(), UnixToDateTime(5 * Year) - 30);
    EXPECT_DOUBLE_EQ(run.Series.LeftAxis().Maximum(), UnixToDateTime(35 * Year) + 30);
    EXPECT_EQ(run.Worker->ShownRecord(2)->Name(), "big");
    EXPECT_EQ(run.Worker->Mode(), rmOldest);
    EXPECT_EQ(run.Done, 1);
}

#ifndef _WIN32 // names, links, depth and permissions as only POSIX file systems have them

TEST(TDiskThread, AwkwardTreesAndLinks)
{
    TTempTree tree;
    const std::vector<std::string> names = {"new\nline", "br{ace}", "back\\slash", "bad\xff\xfe-utf8", ".hidden",
                                            "sp ace,comma\"quote"};
    for (size_t i = 0; i < names.size(); ++i)
        tree.File("dir/" + names[i], static_cast<std::int64_t>(100 + i), 0);
    tree.File("target/inside", 7, 0);
    tree.FolderLink("target", "dir/link-to-folder");
    // A chain of folders whose path is far longer than PATH_MAX.
    const std::string deepFile = tree.DeepFile(std::string(200, 'x'), 40, "deep-file", 1, 0);

    TRun run(tree.Root(), 100, rmGreatest);
    run.Run();
    const auto shown = run.Labels();
    std::multiset<std::string> labels(shown.begin(), shown.end());
    std::multiset<std::string> expected;
    for (const auto &name : names)
        expected.insert(tree.Path("dir/" + name));
    expected.insert(tree.Path("target/inside")); // once: the link to its folder is not followed
    expected.insert(tree.Path("dir/link-to-folder"));
    expected.insert(deepFile);
    EXPECT_EQ(labels, expected);
    const TFileObject *link = nullptr;
    for (int i = 0; i < run.Series.Count(); ++i)
        if (run.Series.Point(i).Label == tree.Path("dir/link-to-folder"))
            link = run.Worker->ShownRecord(i);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Attr() & faReparsePoint, faReparsePoint);
}

// Helper threads read folders ahead, yet records must enter the list in the order of the
// single-threaded walk: with many equal keys, the full ranking shows any difference.
TEST(TDiskThread, HelpersKeepTheOrderOfTheWalk)
{
    TTempTree tree;
    int made = 0;
    for (int a = 0; a < 6; ++a)
        for (int b = 0; b < 6; ++b)
            for (int f = 0; f < 15; ++f, ++made) {
                const std::string folder = "a" + std::to_string(a) + (b % 2 ? "/b" + std::to_string(b) : "") +
                                           (b > 3 ? "/deep/er" : "");
                tree.File(folder + "/f" + std::to_string(made), made % 3, (made % 4) * Year);
            }
    auto ranking = [&](int helpers, int mode) {
        TRun run(tree.Root(), 1000, rmGreatest);
        run.Worker->SetHelperThreads(helpers);
        run.Run();
        if (mode != rmGreatest)
            run.Worker->Rerank(1000, mode);
        std::vector<std::string> order;
        for (int i = 0; i < run.Worker->List().Count(); ++i)
            order.push_back(run.Worker->List().Items(i)->Path() + "/" + run.Worker->List().Items(i)->Name());
        return order;
    };
    for (int mode : {rmGreatest, rmOldest}) {
        const auto single = ranking(0, mode);
        ASSERT_EQ(single.size(), static_cast<size_t>(made));
        for (int helpers : {1, 3})
            EXPECT_EQ(ranking(helpers, mode), single) << helpers << " helpers, mode " << mode;
    }
}

// Runs the walk as an unprivileged user in a child process, so that permissions count even when the
// tests run as root.
TEST(TDiskThread, UnreadableFolderIsSkipped)
{
    TTempTree tree;
    chmod(tree.Root().c_str(), 0755);
    tree.File("open/a", 1, 0);
    tree.File("closed/b", 2, 0);
    tree.File("closed/inner/c", 3, 0);
    tree.File("z", 4, 0);
    chmod(tree.Path("closed").c_str(), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        TFilesList list;
        list.SetSortMode(smSize);
        std::atomic<std::uint64_t> files{0};
        std::atomic<const char *> folder{nullptr};
        TWalkControl control;
        control.Stopped = [] { return false; };
        control.PollStop = [] { return false; };
        control.FilesSoFar = &files;
        control.CurrentFolder = &folder;
        control.Helpers = 1;
        WalkFolders(tree.Root(), list, control);
        list.Sort();
        const bool right = list.Count() == 2 && list.Items(0)->Name() == "z" && list.Items(1)->Name() == "a";
        _exit(right ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

#endif

// One tree for the whole suite: its tests only read it.
class TDiskThreadStop : public ::testing::Test
{
protected:
    /// One tree for the suite, built when first needed (again after a test changed it).
    static const TTempTree &SharedTree()
    {
        if (!Shared) {
            Shared = std::make_unique<TTempTree>();
            // Enough files that the walk is still going when the test stops it. Empty ones under
            // Windows: Wine takes milliseconds to delete a file that holds data.
            for (int d = 0; d < 100; ++d)
                for (int f = 0; f < 100; ++f)
                    Shared->File("d" + std::to_string(d) + "/f" + std::to_string(f), TTempTree::Separator == '/' ? d * 100 + f : 0, 0);
        }
        return *Shared;
    }
    static void TearDownTestSuite() { Shared.reset(); }
    static inline std::unique_ptr<TTempTree> Shared;
    const TTempTree &Tree = SharedTree();
};

TEST_F(TDiskThreadStop, BeforeTheWalk)
{
    TRun run(Tree.Root(), 5, rmGreatest);
    run.Worker->Stop();
    run.Run();
    EXPECT_EQ(run.Series.Count(), 0);
    EXPECT_TRUE(run.Worker->Aborted());
    EXPECT_EQ(run.Worker->FilesSoFar(), 0u);
}

TEST_F(TDiskThreadStop, MidWalk)
{
    TRun run(Tree.Root(), 5, rmGreatest);
    run.Worker->Resume();
    while (run.Worker->FilesSoFar() == 0)
        Application().ProcessMessages();
    run.Worker->Stop();
    run.Finish();
    EXPECT_EQ(run.Series.Count(), 0);
    EXPECT_LT(run.Worker->FilesSoFar(), 10000u);
}

TEST_F(TDiskThreadStop, MidFillAndAfterDone)
{
    TRun run(Tree.Root(), 50, rmGreatest);
    run.Series.SetOnChange([&] {
        if (run.Series.Count() == 3)
            run.Worker->Stop();
    });
    run.Run();
    EXPECT_EQ(run.Series.Count(), 3);
    run.Worker->Stop();
    for (int i = 0; i < 5; ++i)
        Application().WaitForMessages(2);
    EXPECT_EQ(run.Done, 1);
    run.Series.SetOnChange(nullptr);
    run.Worker->Rerank(2, rmGreatest); // a stopped worker still ranks what it holds
    EXPECT_EQ(run.Series.Count(), 3);
}

TEST_F(TDiskThreadStop, FilesVanishingDuringTheWalkDoNoHarm)
{
    TRun run(Tree.Root(), 5, rmGreatest);
    run.Worker->Resume();
    std::thread remover([&] {
        for (int d = 99; d >= 0; d -= 2) {
            std::error_code ec; // a file the walk holds open may refuse to go under Windows
            std::filesystem::remove_all(Tree.Path("d" + std::to_string(d)), ec);
        }
    });
    run.Finish();
    remover.join();
    EXPECT_LE(run.Worker->FilesSoFar(), 10000u);
    EXPECT_GE(run.Worker->FilesSoFar(), 5000u); // the even folders stay
    EXPECT_TRUE(run.Worker->ErrorMessage().empty());
    EXPECT_EQ(run.Series.Count(), 6);
    Shared.reset(); // the next test gets a whole tree again
}

TEST_F(TDiskThreadStop, DestroyWhileBlockedInSynchronousCall)
{
    for (int waitMs : {0, 30}) {
        int done = 0;
        TBarSeries series;
        {
            TDiskThread worker(Tree.Root(), &series, 5, rmGreatest, nullptr); // never started
            (void)worker;
        }
        auto worker = std::make_unique<TDiskThread>(Tree.Root(), &series, 5, rmGreatest, [&](TObject *) { ++done; });
        worker->Resume();
        // Without processing messages the worker blocks in its first synchronous call.
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        worker.reset();
        EXPECT_EQ(done, 1) << waitMs;
    }
}
