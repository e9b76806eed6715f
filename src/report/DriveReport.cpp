// SPDX-License-Identifier: GPL-3.0-or-later
#include "DriveReport.h"

#include <QCoreApplication>
#include <QPainter>

#include "platform/Application.h"
#include "platform/UserFolders.h"
#include "scan/filefunction.h"
#include "toolkit/EmfWriter.h"
#include "toolkit/QtApplication.h"
#include "toolkit/ReportEngine.h"

#ifndef VORLANT_VERSION
#define VORLANT_VERSION "0"
#endif

namespace {
std::string &FolderOverride()
{
    static std::string folder;
    return folder;
}
} // namespace

QString DriveReportFooter()
{
    return QStringLiteral("Vorlant %1 \u2014 shows what fills each drive \u2014 Copyright \u00A9 2026 The Vorlant "
                          "developers, GPL-3.0-or-later")
        .arg(QStringLiteral(VORLANT_VERSION));
}

void BuildDriveReport(TReport &report)
{
    TReportPage &page = report.Page();
    page.Paper = QPageSize::A4;
    page.Orientation = QPageLayout::Landscape;
    page.Margins = QMarginsF(10, 10, 10, 10);

    TReportMemo *memo1 = page.Add<TReportMemo>(QStringLiteral("Memo1"), QRectF(0, 1, 277, 30));
    memo1->Text = QStringLiteral("Disk Report for Drive [drive]");
    memo1->Font = QFont(QStringLiteral("Arial"));
    memo1->Font.setPointSize(16);
    memo1->Font.setBold(true);
    memo1->Font.setItalic(true);
    memo1->Color = Qt::black;
    memo1->Alignment = Qt::AlignHCenter | Qt::AlignTop;

    page.Add<TReportPicture>(QStringLiteral("Picture1"), QRectF(0, 15, 277, 167));

    TReportMemo *footer = page.Add<TReportMemo>(QStringLiteral("Memo2"), QRectF(0, 184, 277, 6));
    footer->Text = DriveReportFooter();
    footer->Font = QFont(QStringLiteral("Arial"));
    footer->Font.setPointSize(8);
    footer->Color = QColor(96, 96, 96);
    footer->Alignment = Qt::AlignHCenter | Qt::AlignBottom;

    report.AddCategory(QStringLiteral(" New Category1"));
    report.SetVariable(QStringLiteral("drive"), QVariant());
}

std::string ReportFolder()
{
    if (!FolderOverride().empty())
        return FolderOverride();
    std::string folder = ExtractPath(Application().ExeName());
    if (folder.empty()) // the system could not tell: Qt's idea of it
        folder = FromQString(QCoreApplication::applicationDirPath()) + PathDelim;
    // An installed program's folder is not the user's to write: the picture goes to the user's
    // cache folder instead, or every report would fail.
    if (!FolderWritable(folder))
        folder = UserCacheFolder() + PathDelim;
    return folder;
}

void SetReportFolder(const std::string &folder)
{
    FolderOverride() = folder;
}

std::string TmpEmfPath()
{
    return NormalizePath(ReportFolder() + PathDelim + "tmp.emf");
}

void SaveChartToEmf(const TChartPaint &paint, QSize size, const std::string &fileName)
{
    TEmfDevice emf(size);
    QPainter painter(&emf);
    paint(painter, QRect(QPoint(0, 0), emf.Size()));
    painter.end();
    emf.SaveToFile(fileName);
}

void DriveReportBeforePrint(TReport &report, const std::string &driveText, const TChartPaint &paint, QSize size)
{
    auto *picture = dynamic_cast<TReportPicture *>(report.FindObject(QStringLiteral("Picture1")));
    if (!picture)
        return;
    const std::string file = TmpEmfPath();
    SaveChartToEmf(paint, size, file);
    picture->LoadFromFile(file);
    report.SetVariable(QStringLiteral("drive"), ToQString(driveText));
}

void DriveReportGetValue(const QString &varName, QVariant &value, const std::string &driveText)
{
    if (varName == QLatin1String("drive"))
        value = ToQString(driveText);
}
