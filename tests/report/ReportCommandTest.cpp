// SPDX-License-Identifier: GPL-3.0-or-later
// `vorlant --report`: the real program scans a generated tree and writes the one-page report.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "RtfTestReader.h"
#include "EmfTestTexts.h"
#include "TestTools.h"
#include "toolkit/EmfPicture.h"

namespace {

using TResult = TProgramResult;

TResult Vorlant(const QStringList &args)
{
    return RunProgram(QStringLiteral(VORLANT_EXE), args);
}

} // namespace

TEST(ReportCommand, WritesOnePdfPageForTheScannedFolder)
{
    QTemporaryDir dir;
    const QString tree = dir.filePath(QStringLiteral("tree"));
    for (int i = 0; i < 6; ++i)
        MakeFile(tree + QStringLiteral("/sub%1/file%1.bin").arg(i), 1000 * (i + 1));
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const TResult r = Vorlant({QStringLiteral("--report"), pdf, QStringLiteral("--count"), QStringLiteral("3"), tree});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    const TResult info = RunProgram(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.Out.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.Out.toStdString();
    EXPECT_TRUE(info.Out.contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595 pts"))));
    const QString text = RunProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).Out;
    EXPECT_TRUE(text.contains(QStringLiteral("Disk Report for Drive ") + tree)) << text.toStdString();
    // N + 1 = 4 files in the legend, the largest first; the smaller ones are not there.
    EXPECT_TRUE(text.contains(QStringLiteral("file5.bin")));
    EXPECT_TRUE(text.contains(QStringLiteral("file2.bin")));
    EXPECT_FALSE(text.contains(QStringLiteral("file1.bin")));
    EXPECT_TRUE(text.contains(QStringLiteral("Vorlant"))); // the footer
}

TEST(ReportCommand, RtfKeepsHostileNamesAsTheyAre)
{
    QTemporaryDir dir;
    const QString tree = dir.filePath(QStringLiteral("we{ird}\\dir Größe"));
    const QString hostile = QStringLiteral("a}{b\\par c ☃.txt");
    MakeFile(tree + QLatin1Char('/') + hostile, 5000);
    MakeFile(tree + QStringLiteral("/small.txt"), 10);
    const QString rtf = dir.filePath(QStringLiteral("out.rtf"));
    const TResult r = Vorlant({QStringLiteral("--report"), rtf, tree});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    QFile f(rtf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const TRtfContent content = ReadRtf(f.readAll());
    EXPECT_TRUE(content.Balanced);
    EXPECT_TRUE(content.Text.contains(QStringLiteral("Disk Report for Drive ") + tree)) << content.Text.toStdString();
    EXPECT_EQ(content.Pictures, 1);
    // The embedded picture is the chart: its legend names the hostile file in full.
    const TEmfPicture chart(content.FirstPictureData);
    const QString legend = EmfTexts(chart).join(QLatin1Char('\n'));
    EXPECT_TRUE(legend.contains(hostile)) << legend.toStdString();
}

TEST(ReportCommand, RefusesBadUsageAndReportsFailures)
{
    QTemporaryDir dir;
    const QString tree = dir.filePath(QStringLiteral("t"));
    MakeFile(tree + QStringLiteral("/x"), 1);
    MakeFile(dir.filePath(QStringLiteral("plain")), 1);
    const QString pdf = dir.filePath(QStringLiteral("o.pdf"));
    struct Case {
        QStringList args;
        int code;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("--report"), pdf}, 2, QStringLiteral("PATH")},
        {{QStringLiteral("--report"), dir.filePath(QStringLiteral("o.txt")), tree}, 2, QStringLiteral(".pdf or .rtf")},
        {{QStringLiteral("--report"), pdf, QStringLiteral("--count"), QStringLiteral("x1"), tree}, 2,
         QStringLiteral("'x1'")},
        {{QStringLiteral("--report"), pdf, QStringLiteral("--show"), QStringLiteral("biggest"), tree}, 2,
         QStringLiteral("greatest")},
        {{QStringLiteral("--report"), pdf, tree, tree}, 2, QStringLiteral("one PATH")},
        {{QStringLiteral("--report"), pdf, dir.filePath(QStringLiteral("none"))}, 1, QStringLiteral("no such folder")},
        {{QStringLiteral("--report"), dir.filePath(QStringLiteral("plain/o.pdf")), tree}, 1,
         QStringLiteral("kann nicht erstellt werden")},
    };
    for (const Case &c : cases) {
        const TResult r = Vorlant(c.args);
        EXPECT_EQ(r.Code, c.code) << c.args.join(QLatin1Char(' ')).toStdString() << "\n" << r.Err.toStdString();
        EXPECT_TRUE(r.Err.contains(c.message)) << r.Err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(pdf));
}
