// SPDX-License-Identifier: GPL-3.0-or-later
// ReportPreview: the preview window of a prepared report, with print, export (PDF, RTF), zoom and
// page setup, and nothing else.
#pragma once

#include <QDialog>

class QComboBox;
class QScrollArea;
class TReport;
class TPageView;

/// Shows the prepared page of `report` (which must outlive the window). Opens zoomed to the page
/// width; the zoom list offers the page width, the whole page and fixed factors. Printing asks for
/// a printer (the system's printers) and prints; exporting asks for a file name and writes PDF or
/// RTF; page setup changes the prepared page's paper, orientation and margins. Errors of an output
/// are shown in a message box and change nothing.
class TReportPreview : public QDialog
{
    Q_OBJECT
public:
    explicit TReportPreview(TReport &report, QWidget *parent = nullptr);
    ~TReportPreview() override;

    /// Zoom factor: 1 = 96 pixels per inch of paper. 0 = page width, -1 = whole page.
    void SetZoom(double factor);
    double Zoom() const { return FZoom; }
    /// The pixels per millimetre the page is drawn with now.
    double PixelsPerMm() const;

    void PrintClick();
    void ExportPdfClick();
    void ExportRtfClick();
    void PageSetupClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ExportTo(const QString &filter, const QString &suffix, bool pdf);
    void UpdatePageView();

    TReport &FReport;
    double FZoom = 0;
    QComboBox *FZoomBox = nullptr;
    QScrollArea *FScroll = nullptr;
    TPageView *FPage = nullptr;
};
