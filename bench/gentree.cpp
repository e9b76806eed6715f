// SPDX-License-Identifier: GPL-3.0-or-later
// gentree: writes a synthetic folder tree for the benchmarks. Files are sparse (their sizes use no
// disk space); sizes, times, name lengths and folder shapes are spread like a real disk's.
// Usage: gentree ROOT [FILES [FOLDERS [DEPTH]]]   (defaults 1000000 files, FILES/20 folders, 12 levels)
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct TFolder {
    std::string Path;
    int Depth;
};

std::string RandomName(std::mt19937_64 &random, bool file)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";
    static const char *const extensions[] = {".txt", ".c", ".h", ".png", ".jpg", ".so", ".py", ".json", ".html",
                                             ".o", ".gz", ".log", ".mp3", ".pdf", ""};
    // Lengths of 3 to 16 characters before the extension, most of them short.
    std::geometric_distribution<int> extra(0.18);
    const int length = 3 + std::min(extra(random), 13);
    std::string name;
    for (int i = 0; i < length; ++i)
        name += letters[random() % (sizeof letters - 1)];
    if (file)
        name += extensions[random() % (sizeof extensions / sizeof *extensions)];
    return name;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gentree ROOT [FILES [FOLDERS [DEPTH]]]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 1000000;
    const long folders = argc > 3 ? std::atol(argv[3]) : std::max(1L, files / 20);
    const int depth = argc > 4 ? std::atoi(argv[4]) : 12;
    if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(root.c_str());
        return 1;
    }
    std::mt19937_64 random(42);
    std::vector<TFolder> tree{{root, 0}};
    // Each new folder hangs below a random earlier one that is not yet at the depth limit, which
    // gives a few wide, deep branches and many small ones.
    while (static_cast<long>(tree.size()) < folders) {
        const TFolder &parent = tree[random() % tree.size()];
        if (parent.Depth >= depth)
            continue;
        TFolder folder{parent.Path + "/" + RandomName(random, false), parent.Depth + 1};
        if (mkdir(folder.Path.c_str(), 0755) == 0)
            tree.push_back(folder);
    }
    // Sizes: log-normal around a few KiB, with a long tail up to many GiB. Times: 1975 to 2030,
    // most of them recent.
    std::lognormal_distribution<double> size(8.5, 2.6);
    std::exponential_distribution<double> age(1.0 / (3.0 * 365 * 86400));
    const double now = 1.8e9;
    long made = 0;
    while (made < files) {
        const TFolder &folder = tree[random() % tree.size()];
        const std::string path = folder.Path + "/" + RandomName(random, true);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            continue; // the name was taken
        const double bytes = std::min(size(random), 64.0 * (1LL << 30));
        if (bytes >= 1 && ftruncate(fd, static_cast<off_t>(bytes)) != 0)
            std::perror(path.c_str());
        const double stamp = std::max(1.6e8, now - age(random));
        const struct timespec times[2] = {{static_cast<time_t>(stamp), 0}, {static_cast<time_t>(stamp), 0}};
        futimens(fd, times);
        close(fd);
        if (++made % 100000 == 0)
            std::fprintf(stderr, "\r%ld files", made);
    }
    std::fprintf(stderr, "\r%ld files in %zu folders\n", made, tree.size());
    return 0;
}
