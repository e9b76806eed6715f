// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportCommand.h"

#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

#include "app/CommandLine.h"
#include "platform/Application.h"
#include "report/DriveReport.h"
#include "scan/diskthreadun.h"
#include "scan/filefunction.h"
#include "toolkit/QtApplication.h"
#include "toolkit/ReportEngine.h"
#include "ui/Chartformun.h"

namespace {

/// The chart's size for a report made without a window: the picture frame's proportions.
constexpr int ChartWidth = 1108;
constexpr int ChartHeight = 668;

int Usage(const std::string &message)
{
    std::fprintf(stderr, "vorlant: %s\nusage: vorlant --report FILE.pdf|FILE.rtf [--count N] "
                         "[--show greatest|oldest|newest] PATH\n",
                 message.c_str());
    return 2;
}

} // namespace

bool IsReportCommand(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--report") == 0)
            return true;
    return false;
}

int RunReportCommand(int argc, char **argv)
{
    std::string output, path;
    int count = 20, mode = rmGreatest;
    bool havePath = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        // Options take their value as the next argument or after "=" ("--count=5").
        std::optional<std::string> inlineValue;
        if (std::string text; SplitOptionValue(arg, text))
            inlineValue = std::move(text);
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < argc)
                return std::string(argv[++i]);
            return std::nullopt;
        };
        if (arg == "--report") {
            const auto v = value();
            if (!v || v->empty())
                return Usage("--report needs a file name");
            output = *v;
        } else if (arg == "--count") {
            const auto v = value();
            if (!v || ParseCountText(*v, count) != TCountCheck::Ok)
                return Usage("--count needs a whole number from 0 to 1000000000, not '" + v.value_or("") + "'");
        } else if (arg == "--show") {
            const std::string m = value().value_or("");
            const std::optional<int> known = ShowModeByName(m);
            if (!known)
                return Usage("--show takes greatest, oldest or newest, not '" + m + "'");
            mode = *known;
        } else if (arg.rfind("--", 0) == 0) {
            return Usage("unknown option '" + arg + "'");
        } else if (havePath) {
            return Usage("--report takes one PATH");
        } else {
            path = arg;
            havePath = true;
        }
    }
    if (output.empty())
        return Usage("--report needs a file name");
    if (!havePath)
        return Usage("--report needs a PATH to scan");
    const QString suffix = QFileInfo(ToQString(output)).suffix().toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("rtf"))
        return Usage("the report file must end in .pdf or .rtf: " + output);
    if (!QFileInfo(ToQString(path)).isDir()) {
        std::fprintf(stderr, "vorlant: %s: no such folder\n", path.c_str());
        return 1;
    }

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TQtApplicationScope services;
    QTemporaryDir pictureFolder;
    if (!pictureFolder.isValid()) {
        std::fprintf(stderr, "vorlant: cannot create a temporary folder: %s\n",
                     pictureFolder.errorString().toLocal8Bit().constData());
        return 1;
    }
    SetReportFolder(FromQString(pictureFolder.path()) + PathDelim);

    const std::string drive = NormalizePath(path);
    TChartform view;
    view.resize(ChartWidth, ChartHeight);
    view.Chart1->SetTitle("Drive " + drive);
    bool done = false;
    const bool progress = isatty(STDERR_FILENO) != 0;
    {
        TDiskThread worker(drive, view.Series1, count, mode, [&](TObject *) { done = true; });
        worker.Resume();
        std::uint32_t last = TickCount();
        while (!done) {
            Application().WaitForMessages(100);
            if (progress && TickCount() - last >= 250) {
                last = TickCount();
                std::fprintf(stderr, "\r\033[K%llu files, %s",
                             static_cast<unsigned long long>(worker.FilesSoFar()), worker.CurrentFolder().c_str());
            }
        }
        if (progress)
            std::fprintf(stderr, "\r\033[K");
    }

    TReport frxReport1;
    BuildDriveReport(frxReport1);
    const TChartPaint paint = [&view](QPainter &painter, const QRect &target) { view.Chart1->PaintTo(painter, target); };
    frxReport1.SetOnBeforePrint(
        [&](TReportObject *) { DriveReportBeforePrint(frxReport1, drive, paint, QSize(ChartWidth, ChartHeight)); });
    frxReport1.SetOnGetValue([&](const QString &name, QVariant &value) { DriveReportGetValue(name, value, drive); });
    frxReport1.SetOnShowErrors([](const QStringList &errors) {
        for (const QString &e : errors)
            std::fprintf(stderr, "vorlant: %s\n", e.toLocal8Bit().constData());
    });
    if (!frxReport1.PrepareReport())
        return 1;
    try {
        if (suffix == QLatin1String("pdf"))
            frxReport1.ExportPdf(output);
        else
            frxReport1.ExportRtf(output);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "vorlant: %s\n", e.what());
        return 1;
    }
    return 0;
}
