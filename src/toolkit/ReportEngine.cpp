// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportEngine.h"

#include <QDate>
#include <QFile>
#include <QImageReader>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "toolkit/EmfWriter.h"
#include "toolkit/QtText.h"
#include "toolkit/ReportPreview.h"
#include "toolkit/RtfWriter.h"

namespace {

/// `size` fitted into `frame` keeping its aspect ratio, centred.
QRectF FitCentred(const QSizeF &size, const QRectF &frame)
{
    if (size.isEmpty())
        return frame;
    const QSizeF fitted = size.scaled(frame.size(), Qt::KeepAspectRatio);
    return QRectF(frame.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
}

/// The paper of `page` without margins: the page draws its own.
QPageLayout FullPageLayout(const TPreparedPage &page)
{
    return QPageLayout(QPageSize(page.Paper), page.Orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace

void TReportPicture::LoadFromFile(const std::string &fileName)
{
    QFile file(ToQString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Datei " + fileName + " kann nicht geöffnet werden");
    const QByteArray data = file.readAll();
    if (data.size() >= 44 && data.mid(40, 4) == QByteArray(" EMF")) {
        TEmfPicture emf = [&] {
            try {
                return TEmfPicture(data);
            } catch (const std::runtime_error &e) {
                throw std::runtime_error(fileName + ": " + e.what());
            }
        }();
        FEmf = std::move(emf);
        FImage = QImage();
        return;
    }
    QImage image = QImage::fromData(data);
    if (image.isNull())
        throw std::runtime_error(fileName + ": no picture this program can read");
    FImage = std::move(image);
    FEmf = TEmfPicture();
}

QSize TPreparedItem::PixelSize() const
{
    return Emf.IsEmpty() ? Image.size() : Emf.PixelSize();
}

QRectF TPreparedItem::PictureRect() const
{
    return FitCentred(QSizeF(PixelSize()), Bounds);
}

void TPreparedItem::DrawPicture(QPainter &painter, const QRectF &target) const
{
    if (!Emf.IsEmpty())
        Emf.Play(painter, target);
    else if (!Image.isNull())
        painter.drawImage(target, Image);
}

QSizeF TPreparedPage::PaperSize() const
{
    const QSizeF portrait = QPageSize(Paper).size(QPageSize::Millimeter);
    return Orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

QPageLayout TPreparedPage::Layout() const
{
    return QPageLayout(QPageSize(Paper), Orientation, Margins, QPageLayout::Millimeter);
}

void TPreparedPage::Render(QPainter &painter, const QRectF &paperRect) const
{
    const QSizeF paper = PaperSize();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Work in units of 0.01 mm from the printable area's corner, so font sizes stay whole numbers.
    // One scale for both directions: a paper of another shape than the page gets the page whole.
    const qreal scale = std::min(paperRect.width() / paper.width(), paperRect.height() / paper.height());
    painter.translate(paperRect.topLeft());
    painter.scale(scale / 100, scale / 100);
    painter.translate(Margins.left() * 100, Margins.top() * 100);
    auto hundredths = [](const QRectF &r) { return QRectF(r.x() * 100, r.y() * 100, r.width() * 100, r.height() * 100); };
    for (const TPreparedItem &item : Items) {
        if (item.IsPicture) {
            item.DrawPicture(painter, hundredths(item.PictureRect()));
            continue;
        }
        QFont font = item.Font;
        const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96;
        font.setPixelSize(static_cast<int>(std::lround(points * 2540 / 72)));
        font.setStyleStrategy(QFont::PreferNoShaping); // no ligatures: texts extract as written
        painter.setFont(font);
        painter.setPen(item.Color);
        // Long texts wrap inside their frame rather than run off the page.
        painter.drawText(hundredths(item.Bounds), static_cast<int>(item.Alignment) | Qt::TextWordWrap, item.Text);
    }
    painter.restore();
}

TReport::TReport() = default;
TReport::~TReport() = default;

void TReport::AddCategory(const QString &category)
{
    FVariables.emplace_back(category.startsWith(QLatin1Char(' ')) ? category : QLatin1Char(' ') + category,
                            QVariant());
}

void TReport::SetVariable(const QString &name, const QVariant &value)
{
    for (auto &[n, v] : FVariables)
        if (n == name) {
            v = value;
            return;
        }
    FVariables.emplace_back(name, value);
}

bool TReport::HasVariable(const QString &name) const
{
    for (const auto &entry : FVariables)
        if (entry.first == name)
            return true;
    return false;
}

QVariant TReport::Variable(const QString &name) const
{
    for (const auto &[n, v] : FVariables)
        if (n == name)
            return v;
    return {};
}

QStringList TReport::VariableNames() const
{
    QStringList names;
    for (const auto &entry : FVariables)
        names << entry.first;
    return names;
}

TReportObject *TReport::FindObject(const QString &name) const
{
    for (const auto &object : FPage.Objects())
        if (object->Name().compare(name, Qt::CaseInsensitive) == 0)
            return object.get();
    return nullptr;
}

QString TReport::Evaluate(const QString &text, QStringList &errors) const
{
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), i);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char(']'), open + 1);
        if (open < 0 || close < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, open - i);
        const QString name = text.mid(open + 1, close - open - 1).trimmed();
        i = close + 1;
        // The engine's own names first, then the get-value event, then the variables. A value is
        // inserted as it is: brackets in it are not evaluated again.
        if (name == QLatin1String("Date")) {
            out += QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
            continue;
        }
        if (name == QLatin1String("Time")) {
            out += QLocale().toString(QTime::currentTime(), QLocale::ShortFormat);
            continue;
        }
        if (name == QLatin1String("Page#") || name == QLatin1String("TotalPages#")) {
            out += QLatin1Char('1');
            continue;
        }
        QVariant value;
        if (FOnGetValue)
            FOnGetValue(name, value);
        if (!value.isValid()) {
            if (!HasVariable(name) || name.startsWith(QLatin1Char(' '))) {
                errors << QStringLiteral("%1: unknown variable or expression [%2]").arg(FPage.Name(), name);
                continue;
            }
            value = Variable(name);
        }
        out += value.toString();
    }
    return out;
}

bool TReport::PrepareReport(bool clearLastReport)
{
    if (clearLastReport)
        FPrepared.reset();
    FErrors.clear();
    TPreparedPage page;
    page.Paper = FPage.Paper;
    page.Orientation = FPage.Orientation;
    page.Margins = FPage.Margins;
    for (const auto &object : FPage.Objects()) {
        try {
            if (FOnBeforePrint)
                FOnBeforePrint(object.get());
            TPreparedItem item;
            item.Bounds = object->Bounds();
            if (const auto *memo = dynamic_cast<const TReportMemo *>(object.get())) {
                QStringList errors;
                item.Text = Evaluate(memo->Text, errors);
                FErrors << errors;
                item.Font = memo->Font;
                item.Color = memo->Color;
                item.Alignment = memo->Alignment;
            } else if (const auto *picture = dynamic_cast<const TReportPicture *>(object.get())) {
                item.IsPicture = true;
                item.Emf = picture->Emf();
                item.Image = picture->Image();
            }
            page.Items.push_back(std::move(item));
        } catch (const std::exception &e) {
            // The same failure for every object (one file, written before each) is reported once.
            const QString message = QString::fromUtf8(e.what());
            if (!FErrors.contains(message))
                FErrors << message;
        }
    }
    if (!FErrors.isEmpty()) {
        ShowErrors();
        return false;
    }
    FPrepared = std::move(page);
    return true;
}

QString ErrorReportText(const QStringList &errors)
{
    return QStringLiteral("The following error(s) have occured:\n") + errors.join(QLatin1Char('\n'));
}

void TReport::ShowErrors() const
{
    if (FOnShowErrors) {
        FOnShowErrors(FErrors);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), ErrorReportText(FErrors), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ReportErrors"));
    box.exec();
}

void TReport::ShowPreparedReport(QWidget *parent)
{
    if (!FPrepared)
        return;
    TReportPreview preview(*this, parent);
    preview.setWindowState(Qt::WindowMaximized);
    preview.exec();
}

void TReport::ExportPdf(const std::string &fileName) const
{
    if (!FPrepared)
        throw std::runtime_error("Nothing prepared to export");
    const QString name = ToQString(fileName);
    {
        QFile probe(name); // QPdfWriter opens the file only when painting starts and says nothing why
        if (!probe.open(QIODevice::WriteOnly))
            throw std::runtime_error("Datei " + fileName + " kann nicht erstellt werden");
    }
    QPdfWriter writer(name);
    writer.setCreator(QStringLiteral("Vorlant"));
    writer.setTitle(FPrepared->Items.empty() ? QString() : FPrepared->Items.front().Text);
    writer.setResolution(1200);
    writer.setPageLayout(FullPageLayout(*FPrepared));
    QPainter painter;
    if (!painter.begin(&writer))
        throw std::runtime_error("Datei " + fileName + " kann nicht erstellt werden");
    FPrepared->Render(painter, QRectF(QPointF(0, 0), QSizeF(writer.width(), writer.height())));
    if (!painter.end())
        throw std::runtime_error("Datei " + fileName + " kann nicht erstellt werden");
}

void TReport::ExportRtf(const std::string &fileName) const
{
    if (!FPrepared)
        throw std::runtime_error("Nothing prepared to export");
    WriteFileOrRaise(fileName, RtfDocument(*FPrepared));
}

void TReport::ConfigurePrinter(QPrinter &printer) const
{
    if (!FPrepared)
        return;
    printer.setPageLayout(FullPageLayout(*FPrepared));
    printer.setFullPage(true);
}

bool TReport::Print(QPrinter &printer) const
{
    if (!FPrepared)
        return false;
    printer.setFullPage(true); // the page draws its own margins
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    FPrepared->Render(painter, printer.paperRect(QPrinter::DevicePixel));
    return painter.end();
}
