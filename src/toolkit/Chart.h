// SPDX-License-Identifier: GPL-3.0-or-later
// Chart: a bar-chart widget that draws one TBarSeries (platform/Series.h) with a title, a left value
// axis and a legend below, in a three-dimensional look with gradient bars.
#pragma once

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include "platform/Series.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;

/// The chart of one drive. It owns its one bar series (Series()); whoever fills the series does so
/// on the GUI thread, and every change schedules a repaint.
///
/// One paint routine, PaintTo(), draws the chart into any QPainter and target rectangle: the
/// screen, a PNG or SVG file (SavePng, SaveSvg), and whatever device a caller brings (a printer,
/// a PDF writer, a metafile engine). Pixel measures (margins, swatches, bar depth) scale with the
/// device's logical resolution, with 96 dots per inch as the unit, so the picture keeps its
/// proportions on a 1200 dpi PDF as on the screen.
///
/// The legend holds one line per point: a colour swatch and the legend text (LegendText()). Lines
/// are set in up to three columns, each line elided in the middle when it is too wide for its
/// column; the tooltip of a line gives its full text. Lines that do not fit the space the legend
/// may take (at most half the height) are left out of the legend, not squeezed.
class TChart : public QWidget
{
    Q_OBJECT
public:
    /// Called for every legend line before it is drawn: `legendText` arrives holding the default
    /// text (DefaultLegendText) and leaves holding the text shown.
    using TGetLegendTextEvent = std::function<void(TChart *sender, int index, std::string &legendText)>;
    /// The hover text of point `index` (empty: the legend text is used).
    using TGetHintEvent = std::function<std::string(int index)>;
    /// A point was double-clicked (its bar or its legend line).
    using TIndexEvent = std::function<void(int index)>;

    explicit TChart(QWidget *parent = nullptr);
    ~TChart() override;

    TBarSeries &Series() { return FSeries; }
    const TBarSeries &Series() const { return FSeries; }

    /// The one-line title above the plot.
    const std::string &Title() const { return FTitle; }
    void SetTitle(const std::string &title);
    /// The three-dimensional look (bars with a top and a side face, a back wall offset). On by default.
    bool View3D() const { return FView3D; }
    void SetView3D(bool value);
    /// The Qt date format of the left axis labels when the values are date-times ("dd.MM.yyyy").
    const QString &DateTimeFormat() const { return FDateTimeFormat; }
    void SetDateTimeFormat(const QString &format);
    /// A line shown in the middle of the plot (for example the progress of a running scan); empty
    /// shows nothing.
    const QString &StatusText() const { return FStatusText; }
    void SetStatusText(const QString &text);

    void SetOnGetLegendText(TGetLegendTextEvent handler) { FOnGetLegendText = std::move(handler); }
    void SetOnGetHint(TGetHintEvent handler) { FOnGetHint = std::move(handler); }
    void SetOnDblClickItem(TIndexEvent handler) { FOnDblClickItem = std::move(handler); }

    /// The legend text the chart offers for point `index`: the value rounded to a whole number with
    /// thousands separators (the locale's), one blank, then the label with every carriage return
    /// turned into a blank.
    std::string DefaultLegendText(int index) const;
    /// The legend text shown: the default text passed through the legend-text event.
    std::string LegendText(int index) const;
    /// The colour of point `index`: its own when it has one, else the palette colour of its index.
    QColor PointColor(int index) const;
    /// The palette colour for the `index`-th point (repeats after the palette's length).
    static QColor PaletteColor(int index);

    /// Draws the whole chart (background, title, axis, bars, legend) into `target` on `painter`.
    /// The painter's state is saved and restored.
    void PaintTo(QPainter &painter, const QRect &target) const;
    /// The chart drawn on a white image of `size` pixels.
    QImage RenderImage(const QSize &size) const;
    /// Writes the chart as a PNG of `size` pixels; false when the file cannot be written.
    bool SavePng(const QString &fileName, const QSize &size) const;
    /// Writes the chart as an SVG of `size` pixels; false when the file cannot be written.
    bool SaveSvg(const QString &fileName, const QSize &size) const;

    /// The point whose bar is under `pos` (widget coordinates, as last painted), or -1.
    int BarAt(const QPoint &pos) const;
    /// The point whose legend line is under `pos`, or -1.
    int LegendItemAt(const QPoint &pos) const;
    /// Where the bar and legend line of point `index` were painted on screen (empty when hidden).
    QRect BarRect(int index) const;
    QRect LegendItemRect(int index) const;

    QSize sizeHint() const override { return {640, 480}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    struct TLayout;
    TLayout ComputeLayout(const QRect &target, const QFont &font, double scale, const QPaintDevice *device) const;
    void Draw(QPainter &painter, const TLayout &layout) const;
    void SeriesChanged();
    const TLayout &ScreenLayout() const;
    QString AxisLabel(double value, double step) const;
    void AxisRange(double &lo, double &hi) const;

    TBarSeries FSeries;
    std::string FTitle;
    bool FView3D = true;
    QString FDateTimeFormat = QStringLiteral("dd.MM.yyyy");
    QString FStatusText;
    TGetLegendTextEvent FOnGetLegendText;
    TGetHintEvent FOnGetHint;
    TIndexEvent FOnDblClickItem;
    mutable std::unique_ptr<TLayout> FScreenLayout; // hit-test geometry of the last screen paint
};

/// Date-time values as the series holds them (days since 30 December 1899, the time of day as the
/// fraction) to and from Qt's local date-times.
QDateTime DateTimeFromDays(double days);
double DaysFromDateTime(const QDateTime &dateTime);
