// SPDX-License-Identifier: GPL-3.0-or-later
// ui_bench: the window's responsiveness and re-rank speed on a drive of a million files.
// Builds (once, then reuses) a tree of N files, scans it with the real main window under the
// offscreen platform, and prints:
//   - the scan's wall time and the longest time the GUI thread went without serving its event loop
//     (a 1 ms timer measures the gaps; target: no gap above 50 ms),
//   - the time of each re-rank to another mode including the chart's redraw (target: <= 300 ms).
// Usage: vorlant-ui-bench [--files N] [--tree DIR]   (defaults: 1000000, /tmp/vorlant-bench-<N>)
// bench/run.sh runs it on its own tree.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "scan/diskthreadun.h"
#include "toolkit/QtApplication.h"
#include "ui/Chartformun.h"
#include "ui/infoun.h"
#include "ui/listauswahlun.h"
#include "ui/mainun.h"

namespace {

// CPU time of the calling thread in milliseconds: on a shared, loaded machine the wall-clock gaps
// include time the thread waited for a core; its own CPU time shows the work it did.
double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// N files in folders of 1000 (two levels), sizes and times spread pseudo-randomly; sparse files,
// so the tree costs inodes, not space. A marker file makes later runs reuse it.
bool MakeTree(const std::string &root, long files)
{
    const std::string marker = root + "/.complete";
    // bench/run.sh marks its generated tree beside it.
    if (access(marker.c_str(), F_OK) == 0 || access((root + ".complete").c_str(), F_OK) == 0)
        return true;
    std::fprintf(stderr, "building %ld files under %s ...\n", files, root.c_str());
    mkdir(root.c_str(), 0755);
    unsigned long long seed = 88172645463325252ull;
    auto next = [&] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    for (long i = 0; i < files; ++i) {
        std::string dir = root + "/d" + std::to_string(i / 100000) + "/e" + std::to_string(i / 1000);
        if (i % 1000 == 0) {
            mkdir((root + "/d" + std::to_string(i / 100000)).c_str(), 0755);
            mkdir(dir.c_str(), 0755);
        }
        std::string file = dir + "/f" + std::to_string(i);
        int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        if (ftruncate(fd, static_cast<off_t>(next() % 4000000000ull)) != 0) {
            close(fd);
            return false;
        }
        timespec times[2];
        times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(315532800 + next() % 1400000000ull);
        times[0].tv_nsec = times[1].tv_nsec = 0;
        futimens(fd, times);
        close(fd);
    }
    int fd = open(marker.c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0)
        close(fd);
    return true;
}

void WaitUntil(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    long files = 1000000;
    std::string tree;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string opt = argv[i];
        if (opt == "--files")
            files = std::atol(argv[i + 1]);
        else if (opt == "--tree")
            tree = argv[i + 1];
    }
    if (tree.empty())
        tree = "/tmp/vorlant-bench-" + std::to_string(files);
    if (!MakeTree(tree, files)) {
        std::perror(tree.c_str());
        return 1;
    }

    TApplication app(argc, argv);
    TQtApplicationScope services;
    auto form = std::make_unique<TVorlantMainform>(std::vector<std::string>{tree});
    form->show();

    // The user: tick the one line, press "Ok".
    QTimer player;
    QObject::connect(&player, &QTimer::timeout, [&] {
        for (auto *w : QApplication::topLevelWidgets())
            if (auto *dlg = dynamic_cast<TListauswahldlg *>(w); dlg && dlg->isVisible()) {
                player.stop();
                dlg->CheckListBox1->item(0)->setCheckState(Qt::Checked);
                dlg->ToolbarButton972->click();
            }
    });
    player.start(5);

    // The GUI thread's gaps: a 1 ms timer notes the longest time between two of its ticks.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, maxGap = 0;
    double lastCpu = 0, maxCpu = 0;
    std::vector<qint64> gaps;
    bool measuring = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        qint64 now = clock.elapsed();
        double cpu = ThreadCpuMs();
        if (measuring) {
            gaps.push_back(now - last);
            maxGap = std::max(maxGap, now - last);
            maxCpu = std::max(maxCpu, cpu - lastCpu);
        }
        last = now;
        lastCpu = cpu;
    });
    ticker.start(1);

    form->FormActivate();
    WaitUntil([&] { return form->Timer1->isActive(); });
    measuring = true;
    QElapsedTimer scan;
    scan.start();
    WaitUntil([&] { return form->PickedCount() == 1 && form->DoneCount() == 1; });
    const qint64 scanMs = scan.elapsed();
    measuring = false;
    std::sort(gaps.begin(), gaps.end());
    const qint64 p99 = gaps.empty() ? 0 : gaps[gaps.size() * 99 / 100];
    TDiskThread *worker = form->Worker(0);
    std::printf("scan of %llu files: %lld ms wall\n", static_cast<unsigned long long>(worker->FilesSoFar()),
                static_cast<long long>(scanMs));
    std::printf("GUI thread between two event-loop turns: wall max %lld ms, 99th percentile %lld ms; "
                "own CPU work max %.1f ms (target: <= 50 ms)\n",
                static_cast<long long>(maxGap), static_cast<long long>(p99), maxCpu);

    // Re-rank to each other mode and redraw, as the "Show: " list does.
    TChartform *view = form->ActiveChartform();
    qint64 worst = 0;
    for (int mode : {1, 2, 0, 2, 1, 0}) {
        form->dxBarCombo1->SetItemIndex(mode);
        QElapsedTimer t;
        t.start();
        const double cpu0 = ThreadCpuMs();
        form->resortTimerTimer();
        const qint64 rerank = t.elapsed();
        view->Chart1->repaint();
        const qint64 total = t.elapsed();
        const double cpu = ThreadCpuMs() - cpu0;
        worst = std::max(worst, total);
        std::printf("re-rank to mode %d: %lld ms wall, %.0f ms CPU (sort and refill %lld ms, redraw %lld ms)\n", mode,
                    static_cast<long long>(total), cpu, static_cast<long long>(rerank),
                    static_cast<long long>(total - rerank));
    }
    std::printf("re-rank worst: %lld ms (target: <= 300 ms)\n", static_cast<long long>(worst));
    double load[1] = {0};
    if (getloadavg(load, 1) == 1)
        std::printf("machine load average during the run: %.1f\n", load[0]);
    form.reset();
    return 0;
}
