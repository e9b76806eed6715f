// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPreview.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "toolkit/ReportEngine.h"

namespace {

/// The paper of the prepared page in millimetres; A4 upright while nothing is prepared.
QSizeF PaperOf(const TReport &report)
{
    const TPreparedPage *page = report.Prepared();
    return page ? page->PaperSize() : QSizeF(210, 297);
}

} // namespace

/// The page on grey: white paper with a thin frame, drawn by the prepared page itself.
class TPageView : public QWidget
{
public:
    TPageView(const TReport &report, QWidget *parent)
        : QWidget(parent)
        , FReport(report)
    {
        setAutoFillBackground(false);
    }
    void SetPixelsPerMm(double ppm)
    {
        const QSizeF paper = PaperOf(FReport);
        setFixedSize(QSize(static_cast<int>(std::lround(paper.width() * ppm)) + 2 * Border,
                           static_cast<int>(std::lround(paper.height() * ppm)) + 2 * Border));
        update();
    }
    static constexpr int Border = 12;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        const QRectF paper = QRectF(rect()).adjusted(Border, Border, -Border, -Border);
        p.fillRect(paper, Qt::white);
        p.setPen(Qt::black);
        p.drawRect(paper.adjusted(-0.5, -0.5, 0.5, 0.5));
        if (const TPreparedPage *page = FReport.Prepared())
            page->Render(p, paper);
    }

private:
    const TReport &FReport;
};

TReportPreview::TReportPreview(TReport &report, QWidget *parent)
    : QDialog(parent)
    , FReport(report)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Preview"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new QToolBar(this);
    layout->addWidget(bar);

    QAction *print = bar->addAction(QStringLiteral("Print"), this, &TReportPreview::PrintClick);
    print->setObjectName(QStringLiteral("actPrint"));
    print->setShortcut(QKeySequence::Print);
    auto *exportButton = new QToolButton(bar);
    exportButton->setText(QStringLiteral("Export"));
    exportButton->setPopupMode(QToolButton::InstantPopup);
    exportButton->setObjectName(QStringLiteral("btnExport"));
    QAction *pdf = exportButton->addAction(QStringLiteral("PDF file..."));
    pdf->setObjectName(QStringLiteral("actExportPdf"));
    connect(pdf, &QAction::triggered, this, &TReportPreview::ExportPdfClick);
    QAction *rtf = exportButton->addAction(QStringLiteral("RTF file..."));
    rtf->setObjectName(QStringLiteral("actExportRtf"));
    connect(rtf, &QAction::triggered, this, &TReportPreview::ExportRtfClick);
    bar->addWidget(exportButton);

    FZoomBox = new QComboBox(bar);
    FZoomBox->setObjectName(QStringLiteral("cbZoom"));
    FZoomBox->addItem(QStringLiteral("Page width"), 0.0);
    FZoomBox->addItem(QStringLiteral("Whole page"), -1.0);
    for (int percent : {50, 75, 100, 150, 200, 300})
        FZoomBox->addItem(QStringLiteral("%1 %").arg(percent), percent / 100.0);
    bar->addWidget(FZoomBox);
    connect(FZoomBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { SetZoom(FZoomBox->itemData(index).toDouble()); });

    QAction *setup = bar->addAction(QStringLiteral("Page setup"), this, &TReportPreview::PageSetupClick);
    setup->setObjectName(QStringLiteral("actPageSetup"));

    FScroll = new QScrollArea(this);
    FScroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    FScroll->setBackgroundRole(QPalette::Dark);
    FPage = new TPageView(FReport, FScroll);
    FScroll->setWidget(FPage);
    layout->addWidget(FScroll, 1);
    FScroll->viewport()->installEventFilter(this);
    resize(1000, 700);
    UpdatePageView();
}

TReportPreview::~TReportPreview() = default;

void TReportPreview::SetZoom(double factor)
{
    FZoom = factor;
    const int index = FZoomBox->findData(factor);
    if (index >= 0 && index != FZoomBox->currentIndex()) {
        const QSignalBlocker block(FZoomBox);
        FZoomBox->setCurrentIndex(index);
    }
    UpdatePageView();
}

double TReportPreview::PixelsPerMm() const
{
    const QSizeF paper = PaperOf(FReport);
    const QSize room = FScroll->viewport()->size() - QSize(2 * TPageView::Border, 2 * TPageView::Border);
    // The vertical scroll bar appears at page width; leave it its room so no horizontal one follows.
    const int scrollBar = FScroll->verticalScrollBar()->sizeHint().width();
    if (FZoom == 0)
        return std::max(0.2, (room.width() - (FScroll->verticalScrollBar()->isVisible() ? 0 : scrollBar)) / paper.width());
    if (FZoom < 0)
        return std::max(0.2, std::min(room.width() / paper.width(), room.height() / paper.height()));
    return FZoom * 96 / 25.4;
}

void TReportPreview::UpdatePageView()
{
    FPage->SetPixelsPerMm(PixelsPerMm());
}

bool TReportPreview::eventFilter(QObject *watched, QEvent *event)
{
    // The fitting zooms follow the room the page has, which the layout settles after the window's
    // own resize.
    if (watched == FScroll->viewport() && event->type() == QEvent::Resize && FZoom <= 0)
        UpdatePageView();
    return QDialog::eventFilter(watched, event);
}

void TReportPreview::PrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    FReport.ConfigurePrinter(printer);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!FReport.Print(printer))
        QMessageBox::critical(this, QStringLiteral("Print"), QStringLiteral("The report could not be printed."));
}

void TReportPreview::ExportTo(const QString &filter, const QString &suffix, bool pdf)
{
    QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Export"), QString(), filter);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += suffix;
    try {
        if (pdf)
            FReport.ExportPdf(file.toStdString());
        else
            FReport.ExportRtf(file.toStdString());
    } catch (const std::exception &e) {
        QMessageBox::critical(this, QStringLiteral("Export"), QString::fromUtf8(e.what()));
    }
}

void TReportPreview::ExportPdfClick()
{
    ExportTo(QStringLiteral("PDF file (*.pdf)"), QStringLiteral(".pdf"), true);
}

void TReportPreview::ExportRtfClick()
{
    ExportTo(QStringLiteral("Rich Text file (*.rtf)"), QStringLiteral(".rtf"), false);
}

void TReportPreview::PageSetupClick()
{
    TPreparedPage *page = FReport.MutablePrepared();
    if (!page)
        return;
    QPrinter printer;
    printer.setPageLayout(page->Layout());
    QPageSetupDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QPageLayout layout = printer.pageLayout();
    page->Paper = layout.pageSize().id() == QPageSize::Custom ? page->Paper : layout.pageSize().id();
    page->Orientation = layout.orientation();
    page->Margins = layout.margins(QPageLayout::Millimeter);
    UpdatePageView();
}
