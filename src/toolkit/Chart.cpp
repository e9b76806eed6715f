// SPDX-License-Identifier: GPL-3.0-or-later
#include "Chart.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QImage>
#include <QLinearGradient>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QSvgGenerator>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include "toolkit/QtApplication.h"

struct TChart::TLayout {
    QRect Target;
    double Scale = 1;
    QFont Font;
    QFont TitleFont;
    QRectF TitleRect;
    QRectF Plot; // front plane of the plot, without the depth
    double Depth = 0;
    double AxisLo = 0;
    double AxisHi = 1;
    std::vector<double> Ticks;
    double TickStep = 1;
    std::vector<QRectF> Bars; // front faces; empty rect for a point outside the range
    QRectF LegendRect;
    std::vector<QRectF> LegendItems; // one per point; empty when the line did not fit
    std::vector<QString> LegendShown; // elided texts
};

namespace {

// A palette of clearly distinct colours, chosen to stay apart on screen and in print.
const QColor Palette[] = {
    QColor(0xd6, 0x27, 0x28), QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0xbf, 0x00), QColor(0x2c, 0xa0, 0x2c),
    QColor(0x94, 0x67, 0xbd), QColor(0xff, 0x7f, 0x0e), QColor(0x17, 0xbe, 0xcf), QColor(0x8c, 0x56, 0x4b),
    QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22), QColor(0x00, 0x33, 0x99),
    QColor(0x99, 0x00, 0x33), QColor(0x33, 0x99, 0x66), QColor(0xff, 0x99, 0x66), QColor(0x66, 0x33, 0x00),
};
constexpr int PaletteSize = static_cast<int>(sizeof(Palette) / sizeof(Palette[0]));

// A round step near `raw`: 1, 2, 2.5 or 5 times a power of ten.
double NiceStep(double raw)
{
    if (!(raw > 0) || !std::isfinite(raw))
        return 1;
    double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * mag >= raw)
            return m * mag;
    return 10 * mag;
}

struct TSizeUnit {
    double Factor;
    const char *Name;
};

TSizeUnit SizeUnitFor(double span)
{
    static const TSizeUnit units[] = {{1099511627776.0, "TB"}, {1073741824.0, "GB"}, {1048576.0, "MB"}, {1024.0, "KB"}};
    for (const auto &u : units)
        if (span >= u.Factor)
            return u;
    return {1, "Bytes"};
}

const QDate DayZero(1899, 12, 30);

} // namespace

QDateTime DateTimeFromDays(double days)
{
    double whole = std::floor(days);
    qint64 ms = std::llround((days - whole) * 86400000.0);
    QDateTime dt(DayZero.addDays(static_cast<qint64>(whole)), QTime(0, 0));
    return dt.addMSecs(ms);
}

double DaysFromDateTime(const QDateTime &dateTime)
{
    return static_cast<double>(DayZero.daysTo(dateTime.date())) + dateTime.time().msecsSinceStartOfDay() / 86400000.0;
}

TChart::TChart(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_AlwaysShowToolTips); // hovering a bar informs even when the window is not active
    setAttribute(Qt::WA_OpaquePaintEvent);
    FSeries.SetOnChange([this] { SeriesChanged(); });
}

TChart::~TChart()
{
    FSeries.SetOnChange(nullptr);
}

void TChart::SetTitle(const std::string &title)
{
    FTitle = title;
    SeriesChanged();
}

void TChart::SetView3D(bool value)
{
    FView3D = value;
    SeriesChanged();
}

void TChart::SetDateTimeFormat(const QString &format)
{
    FDateTimeFormat = format;
    SeriesChanged();
}

void TChart::SetStatusText(const QString &text)
{
    if (text == FStatusText)
        return;
    FStatusText = text;
    update();
}

void TChart::SeriesChanged()
{
    FScreenLayout.reset();
    update();
}

std::string TChart::DefaultLegendText(int index) const
{
    const auto &p = FSeries.Point(index);
    QLocale locale;
    double rounded = std::round(p.Y);
    QString value = std::fabs(rounded) < 9.2e18 ? locale.toString(static_cast<qlonglong>(rounded))
                                                 : locale.toString(rounded, 'f', 0);
    std::string label = p.Label;
    std::replace(label.begin(), label.end(), '\r', ' ');
    return FromQString(value) + " " + label;
}

std::string TChart::LegendText(int index) const
{
    std::string text = DefaultLegendText(index);
    if (FOnGetLegendText)
        FOnGetLegendText(const_cast<TChart *>(this), index, text);
    return text;
}

QColor TChart::PaletteColor(int index)
{
    return Palette[((index % PaletteSize) + PaletteSize) % PaletteSize];
}

QColor TChart::PointColor(int index) const
{
    std::uint32_t c = FSeries.Point(index).Color;
    if (c == clTeeColor)
        return PaletteColor(index);
    // Colours are stored as 0x00BBGGRR.
    return QColor(static_cast<int>(c & 0xff), static_cast<int>((c >> 8) & 0xff), static_cast<int>((c >> 16) & 0xff));
}

void TChart::AxisRange(double &lo, double &hi) const
{
    const auto &axis = FSeries.LeftAxis();
    if (!axis.Automatic()) {
        lo = axis.Minimum();
        hi = axis.Maximum();
    } else if (FSeries.Count() == 0) {
        lo = 0;
        hi = 1;
    } else {
        lo = hi = FSeries.Point(0).Y;
        for (const auto &p : FSeries.Points()) {
            lo = std::min(lo, p.Y);
            hi = std::max(hi, p.Y);
        }
        if (FSeries.DateTime()) {
            lo -= 1;
            hi += 1;
        } else {
            lo = std::min(lo, 0.0);
        }
    }
    if (!(hi > lo))
        hi = lo + 1e-10;
}

QString TChart::AxisLabel(double value, double step) const
{
    QLocale locale;
    if (FSeries.DateTime())
        return locale.toString(DateTimeFromDays(value), FDateTimeFormat);
    TSizeUnit unit = SizeUnitFor(std::max(std::fabs(value), step));
    double scaled = value / unit.Factor;
    double scaledStep = step / unit.Factor;
    int decimals = 0; // as many as the step needs: 0.25 GB steps show two
    while (decimals < 3 && std::fabs(scaledStep * std::pow(10, decimals) - std::round(scaledStep * std::pow(10, decimals))) > 1e-6)
        ++decimals;
    if (value == 0)
        return QStringLiteral("0");
    return locale.toString(scaled, 'f', decimals) + QLatin1Char(' ') + QLatin1String(unit.Name);
}

TChart::TLayout TChart::ComputeLayout(const QRect &target, const QFont &font, double scale,
                                      const QPaintDevice *device) const
{
    TLayout l;
    l.Target = target;
    l.Scale = scale;
    l.Font = font;
    l.TitleFont = font;
    l.TitleFont.setBold(true);
    if (l.TitleFont.pointSizeF() > 0)
        l.TitleFont.setPointSizeF(l.TitleFont.pointSizeF() * 1.25);
    QFontMetricsF fm(font, const_cast<QPaintDevice *>(device));
    QFontMetricsF tfm(l.TitleFont, const_cast<QPaintDevice *>(device));
    const double pad = 6 * scale;
    const int n = FSeries.Count();

    QRectF area = QRectF(target).adjusted(pad, pad, -pad, -pad);
    l.TitleRect = QRectF(area.left(), area.top(), area.width(), FTitle.empty() ? 0 : tfm.height() + pad);

    // Legend: one line per point, in as few columns as keep the lines readable and the legend
    // within half of the height.
    l.LegendItems.assign(static_cast<size_t>(n), QRectF());
    l.LegendShown.assign(static_cast<size_t>(n), QString());
    double legendHeight = 0;
    if (n > 0) {
        const double lineH = fm.height() + 3 * scale;
        const double swatch = fm.height() * 0.8;
        const double minColumn = 380 * scale;
        const double maxLegend = area.height() * 0.5;
        int maxCols = std::clamp(static_cast<int>(area.width() / minColumn), 1, 3);
        int cols = 1;
        while (cols < maxCols && std::ceil(static_cast<double>(n) / cols) * lineH > maxLegend)
            ++cols;
        if (n > 8 && cols < maxCols && cols < 2)
            cols = 2;
        int rows = (n + cols - 1) / cols;
        int rowsShown = std::max(1, std::min(rows, static_cast<int>(maxLegend / lineH)));
        legendHeight = rowsShown * lineH + pad;
        l.LegendRect = QRectF(area.left(), area.bottom() - legendHeight, area.width(), legendHeight);
        const double colW = area.width() / cols;
        for (int i = 0; i < n; ++i) {
            int col = i / rows;
            int row = i % rows;
            if (row >= rowsShown)
                continue;
            QRectF item(l.LegendRect.left() + col * colW, l.LegendRect.top() + pad + row * lineH, colW, lineH);
            l.LegendItems[static_cast<size_t>(i)] = item;
            double textW = colW - swatch - 4 * pad;
            l.LegendShown[static_cast<size_t>(i)] = fm.elidedText(ToQString(LegendText(i)), Qt::ElideMiddle, textW);
        }
    }

    // Plot: between the title and the legend, right of the axis labels.
    AxisRange(l.AxisLo, l.AxisHi);
    double top = l.TitleRect.bottom() + pad;
    double bottom = area.bottom() - legendHeight - pad;
    double plotH = std::max(bottom - top, 10.0);
    int tickCount = std::clamp(static_cast<int>(plotH / (fm.height() * 2.5)), 2, 10);
    double span = l.AxisHi - l.AxisLo;
    if (FSeries.DateTime()) {
        static const double steps[] = {1.0 / 24, 1.0 / 4, 1, 2, 7, 14, 30.436875, 91.310625, 182.62125, 365.2425,
                                       730.485, 1826.2125, 3652.425, 7304.85, 18262.125};
        l.TickStep = steps[std::size(steps) - 1];
        for (double s : steps)
            if (s >= span / tickCount) {
                l.TickStep = s;
                break;
            }
    } else {
        TSizeUnit unit = SizeUnitFor(std::max(std::fabs(l.AxisHi), std::fabs(l.AxisLo)));
        l.TickStep = NiceStep(span / unit.Factor / tickCount) * unit.Factor;
    }
    double labelW = 0;
    if (span > 1e-9) {
        for (double t = std::ceil(l.AxisLo / l.TickStep) * l.TickStep; t <= l.AxisHi + l.TickStep * 1e-9 && l.Ticks.size() < 64;
             t += l.TickStep) {
            l.Ticks.push_back(t);
            labelW = std::max(labelW, fm.horizontalAdvance(AxisLabel(t, l.TickStep)));
        }
    }
    l.Depth = FView3D ? std::min(12 * scale, area.width() / std::max(n, 1) * 0.25) : 0;
    double left = area.left() + labelW + 2 * pad;
    double right = area.right() - l.Depth;
    l.Plot = QRectF(left, top + l.Depth, std::max(right - left, 10.0), std::max(bottom - top - l.Depth, 10.0));

    // Bars: one slot per point, from the value origin (0 or the axis bottom) to the value.
    l.Bars.assign(static_cast<size_t>(n), QRectF());
    if (n > 0) {
        const double slot = l.Plot.width() / n;
        const double barW = slot * 0.7;
        auto yOf = [&](double v) {
            double f = (v - l.AxisLo) / (l.AxisHi - l.AxisLo);
            return l.Plot.bottom() - std::clamp(f, 0.0, 1.0) * l.Plot.height();
        };
        double origin = yOf(std::clamp(0.0, l.AxisLo, l.AxisHi));
        for (int i = 0; i < n; ++i) {
            double y = yOf(FSeries.Point(i).Y);
            double x = l.Plot.left() + i * slot + (slot - barW) / 2;
            l.Bars[static_cast<size_t>(i)] = QRectF(x, std::min(y, origin), barW, std::fabs(origin - y));
        }
    }
    return l;
}

void TChart::Draw(QPainter &p, const TLayout &l) const
{
    const double s = l.Scale;
    p.fillRect(l.Target, Qt::white);
    p.setRenderHint(QPainter::Antialiasing, true);

    if (!FTitle.empty()) {
        p.setFont(l.TitleFont);
        p.setPen(QColor(0x00, 0x00, 0x80));
        p.drawText(l.TitleRect, Qt::AlignHCenter | Qt::AlignTop, ToQString(FTitle));
    }
    p.setFont(l.Font);

    // Back wall (white, no pen) with the grid, offset by the depth.
    const QPointF off(l.Depth, -l.Depth);
    QRectF wall = l.Plot.translated(off);
    p.fillRect(wall, Qt::white);
    const double span = l.AxisHi - l.AxisLo;
    QPen gridPen(QColor(0xd0, 0xd0, 0xd0), std::max(1.0, s * 0.75));
    QPen axisPen(QColor(0x60, 0x60, 0x60), std::max(1.0, s));
    for (double t : l.Ticks) {
        double y = l.Plot.bottom() - (t - l.AxisLo) / span * l.Plot.height();
        p.setPen(gridPen);
        if (l.Depth > 0)
            p.drawLine(QPointF(l.Plot.left(), y), QPointF(l.Plot.left(), y) + off);
        p.drawLine(QPointF(wall.left(), y - l.Depth), QPointF(wall.right(), y - l.Depth));
        p.setPen(axisPen);
        p.drawLine(QPointF(l.Plot.left() - 4 * s, y), QPointF(l.Plot.left(), y));
        QRectF label(l.Target.left(), y - 20 * s, l.Plot.left() - 6 * s - l.Target.left(), 40 * s);
        p.setPen(Qt::black);
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, AxisLabel(t, l.TickStep));
    }
    // Left wall edge and floor edge.
    p.setPen(axisPen);
    p.drawLine(l.Plot.bottomLeft(), l.Plot.topLeft());
    if (l.Depth > 0) {
        p.setPen(gridPen);
        p.drawLine(l.Plot.bottomLeft(), l.Plot.bottomLeft() + off);
        p.drawLine(l.Plot.bottomLeft() + off, l.Plot.bottomRight() + off);
        p.drawLine(l.Plot.topLeft() + off, l.Plot.bottomLeft() + off);
    }

    // Bars: a vertical gradient on the front face; top and side faces for depth.
    const double d = l.Depth * 0.8;
    for (size_t i = 0; i < l.Bars.size(); ++i) {
        const QRectF &b = l.Bars[i];
        if (b.width() <= 0)
            continue;
        QColor c = PointColor(static_cast<int>(i));
        if (d > 0 && b.height() >= 0) {
            QPolygonF side({b.topRight(), b.topRight() + QPointF(d, -d), b.bottomRight() + QPointF(d, -d), b.bottomRight()});
            QPolygonF topFace({b.topLeft(), b.topLeft() + QPointF(d, -d), b.topRight() + QPointF(d, -d), b.topRight()});
            p.setPen(Qt::NoPen);
            p.setBrush(c.darker(150));
            p.drawPolygon(side);
            p.setBrush(c.lighter(130));
            p.drawPolygon(topFace);
        }
        QLinearGradient g(b.topLeft(), b.bottomLeft());
        g.setColorAt(0, c.lighter(160));
        g.setColorAt(1, c);
        p.setPen(QPen(c.darker(130), std::max(1.0, 0.5 * s)));
        p.setBrush(g);
        p.drawRect(b);
    }
    p.setBrush(Qt::NoBrush);

    if (!FStatusText.isEmpty()) {
        QFontMetricsF fm(l.Font, p.device());
        QRectF box = fm.boundingRect(l.Plot, Qt::AlignCenter | Qt::TextWordWrap, FStatusText).adjusted(-10 * s, -6 * s, 10 * s, 6 * s);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.setBrush(QColor(255, 255, 255, 230));
        p.drawRoundedRect(box, 4 * s, 4 * s);
        p.setPen(Qt::black);
        p.drawText(l.Plot, Qt::AlignCenter | Qt::TextWordWrap, FStatusText);
        p.setBrush(Qt::NoBrush);
    }

    // Legend.
    if (!l.LegendRect.isEmpty()) {
        QFontMetricsF fm(l.Font, p.device());
        const double swatch = fm.height() * 0.8;
        p.setPen(QColor(0xa0, 0xa0, 0xa0));
        p.drawRect(l.LegendRect.adjusted(0, 2 * s, 0, 0));
        for (size_t i = 0; i < l.LegendItems.size(); ++i) {
            const QRectF &r = l.LegendItems[i];
            if (r.isEmpty())
                continue;
            QRectF sw(r.left() + 6 * s, r.center().y() - swatch / 2, swatch, swatch);
            p.setPen(Qt::black);
            p.setBrush(PointColor(static_cast<int>(i)));
            p.drawRect(sw);
            p.setBrush(Qt::NoBrush);
            QRectF text(sw.right() + 6 * s, r.top(), r.right() - sw.right() - 10 * s, r.height());
            p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, l.LegendShown[i]);
        }
    }
}

void TChart::PaintTo(QPainter &painter, const QRect &target) const
{
    painter.save();
    double scale = painter.device() ? painter.device()->logicalDpiY() / 96.0 : 1.0;
    TLayout layout = ComputeLayout(target, font(), scale, painter.device());
    Draw(painter, layout);
    painter.restore();
}

QImage TChart::RenderImage(const QSize &size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintTo(p, QRect(QPoint(0, 0), size));
    return image;
}

bool TChart::SavePng(const QString &fileName, const QSize &size) const
{
    return RenderImage(size).save(fileName, "PNG");
}

bool TChart::SaveSvg(const QString &fileName, const QSize &size) const
{
    QSvgGenerator svg;
    svg.setFileName(fileName);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(96);
    svg.setTitle(ToQString(FTitle));
    QPainter p;
    if (!p.begin(&svg))
        return false;
    PaintTo(p, QRect(QPoint(0, 0), size));
    return p.end();
}

const TChart::TLayout &TChart::ScreenLayout() const
{
    if (!FScreenLayout || FScreenLayout->Target != rect())
        FScreenLayout = std::make_unique<TLayout>(ComputeLayout(rect(), font(), logicalDpiY() / 96.0, this));
    return *FScreenLayout;
}

void TChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    Draw(p, ScreenLayout());
}

int TChart::BarAt(const QPoint &pos) const
{
    const auto &l = ScreenLayout();
    for (size_t i = 0; i < l.Bars.size(); ++i) {
        // The whole column above a bar counts, so that short bars are easy to point at.
        QRectF column(l.Bars[i].left(), l.Plot.top() - l.Depth, l.Bars[i].width() + l.Depth, l.Plot.height() + l.Depth);
        if (l.Bars[i].width() > 0 && column.contains(pos))
            return static_cast<int>(i);
    }
    return -1;
}

int TChart::LegendItemAt(const QPoint &pos) const
{
    const auto &l = ScreenLayout();
    for (size_t i = 0; i < l.LegendItems.size(); ++i)
        if (l.LegendItems[i].contains(pos))
            return static_cast<int>(i);
    return -1;
}

QRect TChart::BarRect(int index) const
{
    const auto &l = ScreenLayout();
    return index >= 0 && index < static_cast<int>(l.Bars.size()) ? l.Bars[static_cast<size_t>(index)].toAlignedRect() : QRect();
}

QRect TChart::LegendItemRect(int index) const
{
    const auto &l = ScreenLayout();
    return index >= 0 && index < static_cast<int>(l.LegendItems.size())
        ? l.LegendItems[static_cast<size_t>(index)].toAlignedRect()
        : QRect();
}

bool TChart::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        int index = BarAt(help->pos());
        if (index < 0)
            index = LegendItemAt(help->pos());
        if (index < 0) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        std::string hint = FOnGetHint ? FOnGetHint(index) : std::string();
        if (hint.empty())
            hint = LegendText(index);
        QToolTip::showText(help->globalPos(), ToQString(hint), this);
        return true;
    }
    return QWidget::event(event);
}

void TChart::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPoint pos = event->position().toPoint();
    int index = BarAt(pos);
    if (index < 0)
        index = LegendItemAt(pos);
    if (index >= 0 && FOnDblClickItem)
        FOnDblClickItem(index);
    else
        QWidget::mouseDoubleClickEvent(event);
}
