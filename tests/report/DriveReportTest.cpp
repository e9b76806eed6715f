// SPDX-License-Identifier: GPL-3.0-or-later
// The drive report's template and filling steps on the real writers: the template's layout, the
// picture file next to the program, and what happens when it cannot be written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include "platform/Application.h"
#include "report/DriveReport.h"
#include "scan/filefunction.h"
#include "toolkit/EmfFormat.h"
#include "toolkit/EmfPicture.h"
#include "toolkit/ReportEngine.h"

namespace {

/// A chart stand-in: a bar of the given width, so pictures can be told apart by their records.
TChartPaint Bars(int count)
{
    return [count](QPainter &p, const QRect &r) {
        p.fillRect(r, Qt::white);
        for (int i = 0; i < count; ++i)
            p.fillRect(QRect(r.left() + 10 + 20 * i, r.top() + 10, 15, r.height() - 20), Qt::red);
    };
}

int Polygons(const TEmfPicture &pic)
{
    int n = 0;
    for (const auto &r : pic.Records())
        n += r.Type == Emf::EMR_POLYPOLYGON;
    return n;
}

struct TFolderScope {
    explicit TFolderScope(const QString &folder) { SetReportFolder(folder.toStdString()); }
    ~TFolderScope() { SetReportFolder(std::string()); }
};

} // namespace

TEST(DriveReport, TemplateHasItsPageObjectsAndVariable)
{
    TReport report;
    BuildDriveReport(report);
    const TReportPage &page = report.Page();
    EXPECT_EQ(page.Name(), QStringLiteral("Page1"));
    EXPECT_EQ(page.Paper, QPageSize::A4);
    EXPECT_EQ(page.Orientation, QPageLayout::Landscape);
    EXPECT_EQ(page.Margins, QMarginsF(10, 10, 10, 10));
    auto *memo = dynamic_cast<TReportMemo *>(report.FindObject(QStringLiteral("MEMO1")));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Bounds(), QRectF(0, 1, 277, 30));
    EXPECT_EQ(memo->Text, QStringLiteral("Disk Report for Drive [drive]"));
    EXPECT_EQ(memo->Font.family(), QStringLiteral("Arial"));
    EXPECT_EQ(memo->Font.pointSize(), 16);
    EXPECT_TRUE(memo->Font.bold() && memo->Font.italic());
    EXPECT_EQ(memo->Alignment & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    auto *picture = dynamic_cast<TReportPicture *>(report.FindObject(QStringLiteral("Picture1")));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Bounds(), QRectF(0, 15, 277, 167));
    EXPECT_TRUE(picture->IsEmpty());
    // The footer stays inside the printable area, below the picture.
    const QRectF footer = report.FindObject(QStringLiteral("Memo2"))->Bounds();
    EXPECT_GE(footer.top(), 182);
    EXPECT_LE(footer.bottom(), 190);
    EXPECT_TRUE(DriveReportFooter().contains(QStringLiteral("Vorlant")));
    EXPECT_TRUE(DriveReportFooter().contains(QStringLiteral("Copyright")));
    EXPECT_EQ(report.VariableNames(), (QStringList{QStringLiteral(" New Category1"), QStringLiteral("drive")}));
    EXPECT_FALSE(report.Variable(QStringLiteral("drive")).isValid());
}

TEST(DriveReport, PictureFileLiesNextToTheProgram)
{
    EXPECT_EQ(ReportFolder(), ExtractPath(Application().ExeName()));
    EXPECT_EQ(TmpEmfPath(), NormalizePath(ExtractPath(Application().ExeName()) + "tmp.emf"));
    EXPECT_EQ(TmpEmfPath().find(std::string(2, PathDelim)), std::string::npos);
    TFolderScope scope(QStringLiteral("/some/where/"));
    EXPECT_EQ(TmpEmfPath(), NormalizePath(std::string("/some/where/tmp.emf")));
}

TEST(DriveReport, PreparingTwiceLeavesOneFileWithTheLastChart)
{
    QTemporaryDir dir;
    TFolderScope scope(dir.path() + QLatin1Char('/'));
    TReport report;
    BuildDriveReport(report);
    int bars = 3;
    report.SetOnBeforePrint([&](TReportObject *) { DriveReportBeforePrint(report, "C:", Bars(bars), QSize(400, 250)); });
    report.SetOnGetValue([](const QString &name, QVariant &value) { DriveReportGetValue(name, value, "C:"); });
    ASSERT_TRUE(report.PrepareReport());
    bars = 7;
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("tmp.emf")});
    const TEmfPicture file = TEmfPicture::FromFile(TmpEmfPath());
    EXPECT_EQ(file.Bounds(), QRect(QPoint(0, 0), QPoint(399, 249))); // the chart's size
    EXPECT_EQ(Polygons(file), 1 + 7);
    const TPreparedPage *page = report.Prepared();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Items[0].Text, QStringLiteral("Disk Report for Drive C:"));
    EXPECT_EQ(page->Items[1].Emf.Data(), file.Data()); // the picture is the file's content
    EXPECT_EQ(report.Variable(QStringLiteral("drive")).toString(), QStringLiteral("C:"));
}

TEST(DriveReport, UnwritableFolderGivesTheErrorReportOnce)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // Below a regular file no folder can exist, whoever runs the test.
    TFolderScope scope(dir.filePath(QStringLiteral("plain")) + QLatin1Char('/'));
    TReport report;
    BuildDriveReport(report);
    QStringList shown;
    report.SetOnShowErrors([&](const QStringList &errors) { shown = errors; });
    report.SetOnBeforePrint([&](TReportObject *) { DriveReportBeforePrint(report, "C:", Bars(2), QSize(300, 200)); });
    EXPECT_FALSE(report.PrepareReport());
    EXPECT_EQ(report.Prepared(), nullptr);
    EXPECT_EQ(shown, QStringList{QStringLiteral("Datei %1 kann nicht erstellt werden")
                                     .arg(QString::fromStdString(TmpEmfPath()))});
    EXPECT_EQ(ErrorReportText(shown), QStringLiteral("The following error(s) have occured:\n") + shown.first());
}
