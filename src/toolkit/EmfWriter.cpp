// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmfWriter.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QTextItem>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "toolkit/EmfFormat.h"
#include "toolkit/QtText.h"

using namespace Emf;

namespace {

/// Little-endian record builder.
class TRecord
{
public:
    explicit TRecord(std::uint32_t type)
    {
        U32(type);
        U32(0); // size, set by Finish
    }
    void U8(std::uint8_t v) { FData.append(static_cast<char>(v)); }
    void U16(std::uint16_t v)
    {
        U8(static_cast<std::uint8_t>(v & 0xFF));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v)
    {
        U16(static_cast<std::uint16_t>(v & 0xFFFF));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    void Rect(const QRect &r)
    {
        I32(r.left());
        I32(r.top());
        I32(r.right());
        I32(r.bottom());
    }
    void Point(const QPoint &p)
    {
        I32(p.x());
        I32(p.y());
    }
    void Bytes(const QByteArray &b) { FData.append(b); }
    void Pad()
    {
        while (FData.size() % 4)
            U8(0);
    }
    qsizetype Size() const { return FData.size(); }
    /// Patches a 32-bit value at `offset`.
    void Put(qsizetype offset, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            FData[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    QByteArray Finish()
    {
        Pad();
        Put(4, static_cast<std::uint32_t>(FData.size()));
        return FData;
    }

private:
    QByteArray FData;
};

/// COLORREF (0x00BBGGRR) of `c` after blending its alpha (times `opacity`) over white.
std::uint32_t ColorRef(const QColor &c, qreal opacity)
{
    const qreal a = std::clamp(c.alphaF() * opacity, 0.0, 1.0);
    auto blend = [a](int v) { return static_cast<std::uint32_t>(std::lround(v * a + 255 * (1 - a))); };
    return blend(c.red()) | (blend(c.green()) << 8) | (blend(c.blue()) << 16);
}

QRect BoundsOf(const QRectF &r)
{
    return QRect(QPoint(static_cast<int>(std::floor(r.left())), static_cast<int>(std::floor(r.top()))),
                 QPoint(static_cast<int>(std::ceil(r.right())), static_cast<int>(std::ceil(r.bottom()))));
}

QColor GradientColorAt(const QGradientStops &stops, qreal t)
{
    if (stops.isEmpty())
        return Qt::black;
    if (t <= stops.first().first)
        return stops.first().second;
    for (int i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first) {
            const qreal span = stops[i].first - stops[i - 1].first;
            const qreal f = span > 0 ? (t - stops[i - 1].first) / span : 1;
            const QColor &a = stops[i - 1].second;
            const QColor &b = stops[i].second;
            return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * f, a.greenF() + (b.greenF() - a.greenF()) * f,
                                    a.blueF() + (b.blueF() - a.blueF()) * f,
                                    a.alphaF() + (b.alphaF() - a.alphaF()) * f);
        }
    }
    return stops.last().second;
}

/// The colour that stands for a brush we cannot write as such (patterns, textures, conical).
QColor RepresentativeColor(const QBrush &brush)
{
    if (const QGradient *g = brush.gradient())
        return GradientColorAt(g->stops(), 0.5);
    if (brush.style() == Qt::TexturePattern) {
        const QImage img = brush.textureImage().isNull() ? brush.texture().toImage() : brush.textureImage();
        if (!img.isNull())
            return img.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
    }
    return brush.color();
}

/// The end-of-file record: no palette entries, the (absent) palette at offset 16, and the size of
/// this record repeated at its end.
QByteArray EofRecord()
{
    TRecord eof(EMR_EOF);
    eof.U32(0);
    eof.U32(16);
    eof.U32(20);
    return eof.Finish();
}

} // namespace

/// The engine behind TEmfDevice. Every primitive arrives in the painter's coordinates and is mapped
/// here to device pixels (PrimitiveTransform), then written in logical units of 1/16 pixel.
class TEmfPaintEngine : public QPaintEngine
{
public:
    explicit TEmfPaintEngine(QSize size)
        : QPaintEngine(PrimitiveTransform | PatternTransform | PixmapTransform | PatternBrush | LinearGradientFill
                       | RadialGradientFill | AlphaBlend | PainterPaths | Antialiasing | BrushStroke
                       | ConstantOpacity | MaskedBrush | RasterOpModes)
        , FSize(size)
    {
    }

    bool begin(QPaintDevice *device) override;
    bool end() override;
    void updateState(const QPaintEngineState &state) override;
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode) override;
    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override;
    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
                   Qt::ImageConversionFlags flags = Qt::AutoColor) override;
    void drawTextItem(const QPointF &p, const QTextItem &textItem) override;
    Type type() const override { return static_cast<Type>(User + 42); }

    QByteArray Data() const;

private:
    void Emit(TRecord &record) { FRecords.append(record.Finish()); }
    void EmitSimple(std::uint32_t type, std::initializer_list<std::int32_t> values)
    {
        TRecord r(type);
        for (std::int32_t v : values)
            r.I32(v);
        Emit(r);
    }
    QPoint Logical(const QPointF &devicePoint) const
    {
        return QPoint(static_cast<int>(std::lround(devicePoint.x() * TEmfDevice::Scale)),
                      static_cast<int>(std::lround(devicePoint.y() * TEmfDevice::Scale)));
    }

    /// Polygons in device pixels as one POLYPOLYGON (closed) or POLYPOLYLINE record.
    void EmitPolys(const QList<QPolygonF> &polys, bool closed);
    void FillDevicePath(const QPainterPath &devicePath, const QBrush &brush);
    void FillGradient(const QPainterPath &devicePath, const QBrush &brush);
    void StrokeDevicePath(const QPainterPath &devicePath);
    void SelectSolidBrush(std::uint32_t colorRef);
    void SelectNullBrush();
    void SelectPen(std::uint32_t style, std::int32_t width, std::uint32_t colorRef);
    void SelectNullPen();
    void SelectFont(const QFont &font, qreal pixelSize);
    void SetFillMode(Qt::FillRule rule);
    void SetTextColor(std::uint32_t colorRef);
    void SyncClip();
    /// Selects stock object or handle `handle`, then deletes `previous` when it was a handle of ours.
    void Select(std::uint32_t handle, std::uint32_t previous);

    QSize FSize;
    QList<QByteArray> FRecords;
    // Handles: pens use 1/2, brushes 3/4, fonts 5/6, alternating so the old one can be deleted after
    // the new one is selected.
    std::uint32_t FPen = BLACK_PEN, FBrush = WHITE_BRUSH, FFont = 0;
    QByteArray FPenKey, FBrushKey, FFontKey;
    std::uint32_t FFillMode = 0, FTextColor = 0xFFFFFFFF;
    bool FClipDirty = true;
    bool FClipActive = false;
};

bool TEmfPaintEngine::begin(QPaintDevice *)
{
    FRecords.clear();
    FRecords.append(QByteArray()); // the header, written by Data()
    EmitSimple(EMR_SETMAPMODE, {static_cast<std::int32_t>(MM_ANISOTROPIC)});
    EmitSimple(EMR_SETWINDOWORGEX, {0, 0});
    EmitSimple(EMR_SETWINDOWEXTEX, {FSize.width() * TEmfDevice::Scale, FSize.height() * TEmfDevice::Scale});
    EmitSimple(EMR_SETVIEWPORTORGEX, {0, 0});
    EmitSimple(EMR_SETVIEWPORTEXTEX, {FSize.width(), FSize.height()});
    EmitSimple(EMR_SETBKMODE, {static_cast<std::int32_t>(TRANSPARENT)});
    EmitSimple(EMR_SETTEXTALIGN, {static_cast<std::int32_t>(TA_BASELINE)});
    EmitSimple(EMR_SETSTRETCHBLTMODE, {static_cast<std::int32_t>(COLORONCOLOR)});
    FPen = BLACK_PEN; // the state every device context starts in
    FBrush = WHITE_BRUSH;
    FFont = 0;
    FPenKey.clear();
    FBrushKey.clear();
    FFontKey.clear();
    FFillMode = 0;
    FTextColor = 0xFFFFFFFF;
    FClipDirty = true;
    FClipActive = false;
    setActive(true);
    return true;
}

bool TEmfPaintEngine::end()
{
    // Leave no object of ours selected, then delete them, so every handle is released.
    const std::uint32_t pen = FPen, brush = FBrush, font = FFont;
    if (pen < 0x80000000u)
        Select(NULL_PEN, pen);
    if (brush < 0x80000000u)
        Select(NULL_BRUSH, brush);
    if (font != 0)
        Select(SYSTEM_FONT, font);
    FPen = NULL_PEN;
    FBrush = NULL_BRUSH;
    FFont = 0;
    FRecords.append(EofRecord());
    setActive(false);
    return true;
}

QByteArray TEmfPaintEngine::Data() const
{
    const int w = FSize.width(), h = FSize.height();
    const QString description = QStringLiteral("Vorlant") + QChar(0) + QStringLiteral("Chart") + QChar(0) + QChar(0);
    TRecord header(EMR_HEADER);
    header.Rect(QRect(0, 0, w, h)); // bounds, inclusive: (0, 0, w - 1, h - 1)
    // frame in 0.01 mm, inclusive, at 96 dots per inch
    header.Rect(QRect(QPoint(0, 0), QPoint(static_cast<int>(std::lround(w * 2540.0 / 96)) - 1,
                                           static_cast<int>(std::lround(h * 2540.0 / 96)) - 1)));
    header.U32(ENHMETA_SIGNATURE);
    header.U32(0x10000); // version
    const qsizetype bytesAt = header.Size();
    header.U32(0); // file size, patched below
    header.U32(FRecords.isEmpty() ? 2 : static_cast<std::uint32_t>(FRecords.size()));
    header.U16(7); // handles: 0 is reserved, ours are 1..6
    header.U16(0);
    header.U32(static_cast<std::uint32_t>(description.size()));
    header.U32(HeaderSize);
    header.U32(0); // palette entries
    // reference device: 3840 x 2400 pixels = 1016 x 635 mm, exactly 96 dots per inch
    header.I32(3840);
    header.I32(2400);
    header.I32(1016);
    header.I32(635);
    header.U32(0); // pixel format size
    header.U32(0); // pixel format offset
    header.U32(0); // no OpenGL
    header.I32(1016000); // reference device in micrometres
    header.I32(635000);
    for (QChar c : description)
        header.U16(c.unicode());
    QByteArray out = header.Finish();
    if (FRecords.isEmpty()) { // never painted: header and end-of-file only
        out += EofRecord();
    } else {
        for (qsizetype i = 1; i < FRecords.size(); ++i)
            out += FRecords[i];
    }
    const auto total = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[bytesAt + i] = static_cast<char>((total >> (8 * i)) & 0xFF);
    return out;
}

void TEmfPaintEngine::updateState(const QPaintEngineState &state)
{
    if (state.state() & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled | DirtyTransform))
        FClipDirty = true;
}

void TEmfPaintEngine::Select(std::uint32_t handle, std::uint32_t previous)
{
    EmitSimple(EMR_SELECTOBJECT, {static_cast<std::int32_t>(handle)});
    if (previous != 0 && previous < 0x80000000u)
        EmitSimple(EMR_DELETEOBJECT, {static_cast<std::int32_t>(previous)});
}

void TEmfPaintEngine::SelectSolidBrush(std::uint32_t colorRef)
{
    const QByteArray key = QByteArray::number(colorRef);
    if (key == FBrushKey && FBrush < 0x80000000u)
        return;
    const std::uint32_t handle = FBrush == 3 ? 4 : 3;
    TRecord r(EMR_CREATEBRUSHINDIRECT);
    r.U32(handle);
    r.U32(BS_SOLID);
    r.U32(colorRef);
    r.U32(0); // hatch
    Emit(r);
    Select(handle, FBrush);
    FBrush = handle;
    FBrushKey = key;
}

void TEmfPaintEngine::SelectNullBrush()
{
    if (FBrush == NULL_BRUSH)
        return;
    Select(NULL_BRUSH, FBrush);
    FBrush = NULL_BRUSH;
    FBrushKey.clear();
}

void TEmfPaintEngine::SelectPen(std::uint32_t style, std::int32_t width, std::uint32_t colorRef)
{
    const QByteArray key = QByteArray::number(style) + ',' + QByteArray::number(width) + ','
        + QByteArray::number(colorRef);
    if (key == FPenKey && FPen < 0x80000000u)
        return;
    const std::uint32_t handle = FPen == 1 ? 2 : 1;
    TRecord r(EMR_EXTCREATEPEN);
    r.U32(handle);
    r.U32(0); // offBmi
    r.U32(0); // cbBmi
    r.U32(0); // offBits
    r.U32(0); // cbBits
    r.U32(style);
    r.U32(static_cast<std::uint32_t>(width));
    r.U32(BS_SOLID);
    r.U32(colorRef);
    r.U32(0); // hatch
    r.U32(0); // style entries
    Emit(r);
    Select(handle, FPen);
    FPen = handle;
    FPenKey = key;
}

void TEmfPaintEngine::SelectNullPen()
{
    if (FPen == NULL_PEN)
        return;
    Select(NULL_PEN, FPen);
    FPen = NULL_PEN;
    FPenKey.clear();
}

void TEmfPaintEngine::SetFillMode(Qt::FillRule rule)
{
    const std::uint32_t mode = rule == Qt::WindingFill ? WINDING : ALTERNATE;
    if (mode != FFillMode) {
        EmitSimple(EMR_SETPOLYFILLMODE, {static_cast<std::int32_t>(mode)});
        FFillMode = mode;
    }
}

void TEmfPaintEngine::SetTextColor(std::uint32_t colorRef)
{
    if (colorRef != FTextColor) {
        EmitSimple(EMR_SETTEXTCOLOR, {static_cast<std::int32_t>(colorRef)});
        FTextColor = colorRef;
    }
}

void TEmfPaintEngine::SyncClip()
{
    if (!FClipDirty)
        return;
    FClipDirty = false;
    QPainter *p = painter();
    if (!p || !p->hasClipping()) {
        if (FClipActive) {
            TRecord r(EMR_EXTSELECTCLIPRGN);
            r.U32(0); // no region data: the clip is removed
            r.U32(RGN_COPY);
            Emit(r);
            FClipActive = false;
        }
        return;
    }
    const QPainterPath clip = p->combinedTransform().map(p->clipPath());
    EmitSimple(EMR_BEGINPATH, {});
    EmitPolys(clip.toFillPolygons(), true);
    EmitSimple(EMR_ENDPATH, {});
    EmitSimple(EMR_SELECTCLIPPATH, {static_cast<std::int32_t>(RGN_COPY)});
    FClipActive = true;
}

void TEmfPaintEngine::EmitPolys(const QList<QPolygonF> &polys, bool closed)
{
    std::vector<std::vector<QPoint>> lists;
    QRectF bounds;
    for (const QPolygonF &poly : polys) {
        std::vector<QPoint> pts;
        for (const QPointF &pt : poly) {
            const QPoint l = Logical(pt);
            if (pts.empty() || pts.back() != l)
                pts.push_back(l);
        }
        if (closed && pts.size() > 1 && pts.front() == pts.back())
            pts.pop_back();
        if (pts.size() < 2)
            continue;
        bounds = bounds.isNull() ? poly.boundingRect() : bounds.united(poly.boundingRect());
        lists.push_back(std::move(pts));
    }
    if (lists.empty())
        return;
    TRecord r(closed ? EMR_POLYPOLYGON : EMR_POLYPOLYLINE);
    r.Rect(BoundsOf(bounds));
    r.U32(static_cast<std::uint32_t>(lists.size()));
    std::uint32_t total = 0;
    for (const auto &l : lists)
        total += static_cast<std::uint32_t>(l.size());
    r.U32(total);
    for (const auto &l : lists)
        r.U32(static_cast<std::uint32_t>(l.size()));
    for (const auto &l : lists)
        for (const QPoint &pt : l)
            r.Point(pt);
    Emit(r);
}

void TEmfPaintEngine::drawPath(const QPainterPath &path)
{
    SyncClip();
    const QPainterPath device = state->transform().map(path);
    const QBrush brush = state->brush();
    if (brush.style() != Qt::NoBrush)
        FillDevicePath(device, brush);
    if (state->pen().style() != Qt::NoPen)
        StrokeDevicePath(device);
}

void TEmfPaintEngine::drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode)
{
    QPainterPath path;
    if (pointCount <= 0)
        return;
    path.moveTo(points[0]);
    for (int i = 1; i < pointCount; ++i)
        path.lineTo(points[i]);
    if (mode == PolylineMode) {
        SyncClip();
        if (state->pen().style() != Qt::NoPen)
            StrokeDevicePath(state->transform().map(path));
        return;
    }
    path.closeSubpath();
    path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    drawPath(path);
}

void TEmfPaintEngine::FillDevicePath(const QPainterPath &devicePath, const QBrush &brush)
{
    if (brush.gradient() && brush.gradient()->type() != QGradient::ConicalGradient) {
        FillGradient(devicePath, brush);
        return;
    }
    const QColor color = RepresentativeColor(brush);
    if (color.alphaF() * state->opacity() <= 0)
        return;
    SelectNullPen();
    SelectSolidBrush(ColorRef(color, state->opacity()));
    SetFillMode(devicePath.fillRule());
    EmitPolys(devicePath.toSubpathPolygons(), true);
}

void TEmfPaintEngine::FillGradient(const QPainterPath &devicePath, const QBrush &brush)
{
    // The format's own gradient record is not drawn by every reader, so a gradient becomes bands of
    // solid colour, each band cut to the shape; each band overlaps the next slightly so no seam shows.
    const QGradient *g = brush.gradient();
    const QRectF box = devicePath.boundingRect();
    QTransform toDevice = brush.transform() * state->transform();
    if (g->coordinateMode() == QGradient::ObjectBoundingMode || g->coordinateMode() == QGradient::ObjectMode) {
        const QRectF objectBox = state->transform().inverted().mapRect(box);
        toDevice = QTransform(objectBox.width(), 0, 0, objectBox.height(), objectBox.x(), objectBox.y()) * toDevice;
    }
    SelectNullPen();
    SetFillMode(devicePath.fillRule());
    auto band = [&](const QPainterPath &region, const QColor &c) {
        const QPainterPath piece = devicePath.intersected(region);
        if (piece.isEmpty() || c.alphaF() * state->opacity() <= 0)
            return;
        SelectSolidBrush(ColorRef(c, state->opacity()));
        EmitPolys(piece.toFillPolygons(), true);
    };
    if (g->type() == QGradient::LinearGradient) {
        const auto *lg = static_cast<const QLinearGradient *>(g);
        const QPointF a = toDevice.map(lg->start()), b = toDevice.map(lg->finalStop());
        const QLineF axis(a, b);
        if (axis.length() < 0.5) {
            band(devicePath, GradientColorAt(g->stops(), 1));
            return;
        }
        const QPointF dir = (b - a) / axis.length();
        const QPointF normal(-dir.y(), dir.x());
        const qreal reach = std::hypot(box.width(), box.height()) + axis.length() + 1;
        // Parameter range covered by the shape, in units of the axis length.
        qreal tMin = 1e9, tMax = -1e9;
        for (const QPointF &corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
            const QPointF d = corner - a;
            const qreal t = (d.x() * dir.x() + d.y() * dir.y()) / axis.length();
            tMin = std::min(tMin, t);
            tMax = std::max(tMax, t);
        }
        const int steps = std::clamp(static_cast<int>(axis.length() / 2), 2, 64);
        auto strip = [&](qreal t0, qreal t1) {
            const QPointF p0 = a + (b - a) * t0, p1 = a + (b - a) * t1;
            QPainterPath r;
            r.moveTo(p0 - normal * reach);
            r.lineTo(p0 + normal * reach);
            r.lineTo(p1 + normal * reach);
            r.lineTo(p1 - normal * reach);
            r.closeSubpath();
            return r;
        };
        const qreal overlap = 0.75 / axis.length();
        if (tMin < 0)
            band(strip(tMin, 0 + overlap), GradientColorAt(g->stops(), 0));
        for (int i = 0; i < steps; ++i) {
            const qreal t0 = qreal(i) / steps, t1 = qreal(i + 1) / steps;
            if (t1 < tMin || t0 > tMax)
                continue;
            band(strip(t0, i + 1 == steps ? t1 : t1 + overlap), GradientColorAt(g->stops(), (t0 + t1) / 2));
        }
        if (tMax > 1)
            band(strip(1, tMax), GradientColorAt(g->stops(), 1));
        return;
    }
    // Radial: rings from the outside in, each painted over the previous one.
    const auto *rg = static_cast<const QRadialGradient *>(g);
    const QPointF c = rg->center();
    const qreal radius = rg->radius();
    band(devicePath, GradientColorAt(g->stops(), 1));
    const int steps = 32;
    for (int i = steps - 1; i >= 0; --i) {
        const qreal t = qreal(i + 1) / steps;
        QPainterPath disc;
        disc.addEllipse(c, radius * t, radius * t);
        band(toDevice.map(disc), GradientColorAt(g->stops(), (qreal(i) + 0.5) / steps));
    }
}

void TEmfPaintEngine::StrokeDevicePath(const QPainterPath &devicePath)
{
    const QPen pen = state->pen();
    const QColor color = RepresentativeColor(pen.brush());
    if (color.alphaF() * state->opacity() <= 0)
        return;
    // Width in device pixels: cosmetic pens (and width 0) are as wide on every device.
    qreal width = pen.widthF();
    if (width <= 0)
        width = 1;
    else if (!pen.isCosmetic())
        width *= std::sqrt(std::abs(state->transform().determinant()));
    std::uint32_t style = PS_GEOMETRIC;
    switch (pen.style()) {
    case Qt::DashLine: style |= 1; break;
    case Qt::DotLine: style |= 2; break;
    case Qt::DashDotLine: style |= 3; break;
    case Qt::DashDotDotLine: style |= 4; break;
    default: break;
    }
    switch (pen.capStyle()) {
    case Qt::FlatCap: style |= PS_ENDCAP_FLAT; break;
    case Qt::SquareCap: style |= PS_ENDCAP_SQUARE; break;
    default: break;
    }
    switch (pen.joinStyle()) {
    case Qt::BevelJoin: style |= PS_JOIN_BEVEL; break;
    case Qt::RoundJoin: break;
    default: style |= PS_JOIN_MITER; break;
    }
    SelectPen(style, std::max(1, static_cast<int>(std::lround(width * TEmfDevice::Scale))),
              ColorRef(color, state->opacity()));
    SelectNullBrush();
    QList<QPolygonF> closed, open;
    for (const QPolygonF &poly : devicePath.toSubpathPolygons())
        (poly.size() > 2 && poly.isClosed() ? closed : open).append(poly);
    if (!closed.isEmpty())
        EmitPolys(closed, true);
    if (!open.isEmpty())
        EmitPolys(open, false);
}

void TEmfPaintEngine::drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr)
{
    drawImage(r, pm.toImage(), sr);
}

void TEmfPaintEngine::drawImage(const QRectF &r, const QImage &image, const QRectF &sr, Qt::ImageConversionFlags)
{
    SyncClip();
    // The format's bitmaps carry no transparency: compose over white first.
    QImage src = image.copy(sr.toAlignedRect()).convertToFormat(QImage::Format_ARGB32);
    QImage rgb(src.size(), QImage::Format_RGB32);
    rgb.fill(Qt::white);
    {
        QPainter p(&rgb);
        p.setOpacity(state->opacity());
        p.drawImage(0, 0, src);
    }
    const QRectF dest = state->transform().mapRect(r); // rotations keep their bounding box
    const int w = rgb.width(), h = rgb.height();
    const int stride = (w * 3 + 3) & ~3;
    QByteArray bits(static_cast<qsizetype>(stride) * h, 0);
    for (int y = 0; y < h; ++y) { // bottom-up rows of blue, green, red
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(h - 1 - y));
        char *out = bits.data() + static_cast<qsizetype>(y) * stride;
        for (int x = 0; x < w; ++x) {
            out[3 * x] = static_cast<char>(qBlue(line[x]));
            out[3 * x + 1] = static_cast<char>(qGreen(line[x]));
            out[3 * x + 2] = static_cast<char>(qRed(line[x]));
        }
    }
    const QPoint topLeft = Logical(dest.topLeft());
    const QPoint bottomRight = Logical(dest.bottomRight());
    TRecord rec(EMR_STRETCHDIBITS);
    rec.Rect(BoundsOf(dest));
    rec.I32(topLeft.x());
    rec.I32(topLeft.y());
    rec.I32(0); // xSrc
    rec.I32(0); // ySrc
    rec.I32(w);
    rec.I32(h);
    const std::uint32_t fixed = 80, infoSize = 40;
    rec.U32(fixed); // offBmiSrc
    rec.U32(infoSize);
    rec.U32(fixed + infoSize); // offBitsSrc
    rec.U32(static_cast<std::uint32_t>(bits.size()));
    rec.U32(0); // DIB_RGB_COLORS
    rec.U32(SRCCOPY);
    rec.I32(bottomRight.x() - topLeft.x());
    rec.I32(bottomRight.y() - topLeft.y());
    // BITMAPINFOHEADER
    rec.U32(infoSize);
    rec.I32(w);
    rec.I32(h);
    rec.U16(1); // planes
    rec.U16(24); // bits per pixel
    rec.U32(0); // BI_RGB
    rec.U32(static_cast<std::uint32_t>(bits.size()));
    rec.I32(3780); // 96 dpi in pixels per metre
    rec.I32(3780);
    rec.U32(0);
    rec.U32(0);
    rec.Bytes(bits);
    Emit(rec);
}

void TEmfPaintEngine::SelectFont(const QFont &font, qreal pixelSize)
{
    const QString family = QFontInfo(font).family();
    const int height = -std::max(1, static_cast<int>(std::lround(pixelSize * TEmfDevice::Scale)));
    const int weight = std::clamp(static_cast<int>(font.weight()), 100, 900);
    const QByteArray key = family.toUtf8() + ',' + QByteArray::number(height) + ',' + QByteArray::number(weight)
        + (font.italic() ? "i" : "") + (font.underline() ? "u" : "") + (font.strikeOut() ? "s" : "");
    if (key == FFontKey && FFont != 0)
        return;
    const std::uint32_t handle = FFont == 5 ? 6 : 5;
    TRecord r(EMR_EXTCREATEFONTINDIRECTW);
    r.U32(handle);
    // LogFont
    r.I32(height);
    r.I32(0); // width
    r.I32(0); // escapement
    r.I32(0); // orientation
    r.I32(weight);
    r.U8(font.italic() ? 1 : 0);
    r.U8(font.underline() ? 1 : 0);
    r.U8(font.strikeOut() ? 1 : 0);
    r.U8(1); // DEFAULT_CHARSET
    r.U8(0); // out precision
    r.U8(0); // clip precision
    r.U8(4); // antialiased quality
    r.U8(0); // pitch and family
    for (int i = 0; i < 32; ++i)
        r.U16(i < 31 && i < family.size() ? family.at(i).unicode() : 0);
    // The rest of a LogFontPanose: full name, style, version, style size, match, reserved,
    // vendor id, culture, panose, padding; all zero.
    r.Bytes(QByteArray(static_cast<qsizetype>(LogFontPanoseSize - 92), 0));
    Emit(r);
    Select(handle, FFont);
    FFont = handle;
    FFontKey = key;
}

void TEmfPaintEngine::drawTextItem(const QPointF &p, const QTextItem &textItem)
{
    const QString text = textItem.text();
    if (text.isEmpty())
        return;
    const QTransform &t = state->transform();
    const QFont font = textItem.font();
    if (t.type() > QTransform::TxScale || t.m11() <= 0 || t.m22() <= 0
        || std::abs(t.m11() - t.m22()) > 1e-6 * std::abs(t.m11())) {
        // Turned or mirrored text: written as outlines, which every reader draws the same way.
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        path.addText(p, font, text);
        SyncClip();
        FillDevicePath(t.map(path), state->pen().brush());
        return;
    }
    SyncClip();
    const QColor color = RepresentativeColor(state->pen().brush());
    if (color.alphaF() * state->opacity() <= 0)
        return;
    const QFontMetricsF metrics(font, static_cast<QPaintDevice *>(painter()->device()));
    const qreal scale = t.m11();
    const qreal pixelSize = (font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96 / 72) * scale;
    SelectFont(font, pixelSize);
    SetTextColor(ColorRef(color, state->opacity()));
    const QPointF origin = t.map(p);
    // Character advances in logical units, rounded cumulatively so no error adds up along the text.
    std::vector<std::int32_t> dx(static_cast<size_t>(text.size()), 0);
    qint64 placed = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype next = i + 1;
        if (text.at(i).isHighSurrogate() && next < text.size())
            ++next; // the pair's advance goes to its first unit, the second gets 0
        const qint64 end = std::llround(metrics.horizontalAdvance(text.left(next)) * scale * TEmfDevice::Scale);
        dx[static_cast<size_t>(i)] = static_cast<std::int32_t>(end - placed);
        placed = end;
        i = next - 1;
    }
    const QRectF box(origin.x(), origin.y() - metrics.ascent() * scale, static_cast<qreal>(placed) / TEmfDevice::Scale,
                     metrics.height() * scale);
    const QPoint ref = Logical(origin);
    TRecord r(EMR_EXTTEXTOUTW);
    r.Rect(BoundsOf(box));
    r.U32(1); // GM_COMPATIBLE
    const float toHundredthsMm = 2540.0f / 96 / TEmfDevice::Scale; // logical units -> 0.01 mm
    r.F32(toHundredthsMm);
    r.F32(toHundredthsMm);
    r.Point(ref);
    const auto chars = static_cast<std::uint32_t>(text.size());
    const std::uint32_t fixed = 76;
    const std::uint32_t stringBytes = (chars * 2 + 3) & ~3u;
    r.U32(chars);
    r.U32(fixed); // offString
    r.U32(0); // options
    r.Rect(QRect(QPoint(0, 0), QPoint(-1, -1)));
    r.U32(fixed + stringBytes); // offDx
    for (QChar c : text)
        r.U16(c.unicode());
    r.Pad();
    for (std::int32_t d : dx)
        r.I32(d);
    Emit(r);
}

TEmfDevice::TEmfDevice(QSize size)
    : FSize(size.expandedTo(QSize(1, 1)))
    , FEngine(std::make_unique<TEmfPaintEngine>(FSize))
{
}

TEmfDevice::~TEmfDevice() = default;

QPaintEngine *TEmfDevice::paintEngine() const
{
    return FEngine.get();
}

QByteArray TEmfDevice::Data() const
{
    return FEngine->Data();
}

void TEmfDevice::SaveToFile(const std::string &fileName) const
{
    WriteFileOrRaise(fileName, Data());
}

int TEmfDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return FSize.width();
    case PdmHeight: return FSize.height();
    case PdmWidthMM: return static_cast<int>(std::lround(FSize.width() * 25.4 / 96));
    case PdmHeightMM: return static_cast<int>(std::lround(FSize.height() * 25.4 / 96));
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return 96;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
    }
}

void WriteFileOrRaise(const std::string &fileName, const QByteArray &data)
{
    QSaveFile file(ToQString(fileName));
    // The folder may not allow the temporary file beside the target; write in place then.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw std::runtime_error("Datei " + fileName + " kann nicht erstellt werden");
}
