// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's report handlers: "Print" prepares the report of the active tab and shows it in
// the preview; the before-print and get-value events fill it with that tab's chart and drive text.
#include "ui/mainun.h"

#include <QMessageBox>
#include <QPainter>

#include "report/DriveReport.h"
#include "toolkit/Chart.h"
#include "ui/Chartformun.h"

namespace {

/// The chart's size on screen; a chart never laid out (no real size yet) is taken at its preferred
/// size so the picture is never degenerate.
QSize ChartSize(const TChart &chart)
{
    const QSize size = chart.size();
    return size.width() < 50 || size.height() < 50 ? chart.sizeHint() : size;
}

} // namespace

void TVorlantMainform::btnprintClick()
{
    // Before the first scan and after a cancelled selection there is no tab, so no chart to print.
    if (!ActiveChartform()) {
        QMessageBox::information(this, QStringLiteral("Print"),
                                 QStringLiteral("There is no drive chart to print yet. Scan a drive first."));
        return;
    }
    if (frxReport1.Page().Objects().empty()) {
        BuildDriveReport(frxReport1);
        frxReport1.SetOnBeforePrint([this](TReportObject *sender) { frxReport1BeforePrint(sender); });
        frxReport1.SetOnGetValue([this](const QString &varName, QVariant &value) { frxReport1GetValue(varName, value); });
    }
    if (frxReport1.PrepareReport(true))
        frxReport1.ShowPreparedReport(this);
}

void TVorlantMainform::frxReport1BeforePrint(TReportObject *)
{
    TChartform *view = ActiveChartform();
    if (!view)
        throw std::runtime_error("There is no drive chart to print.");
    const TChart *chart = view->Chart1;
    DriveReportBeforePrint(
        frxReport1, ActiveDrive(), [chart](QPainter &painter, const QRect &target) { chart->PaintTo(painter, target); },
        ChartSize(*chart));
}

void TVorlantMainform::frxReport1GetValue(const QString &varName, QVariant &value)
{
    DriveReportGetValue(varName, value, ActiveDrive());
}
