// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmfPicture.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <map>
#include <stdexcept>
#include <variant>

#include "toolkit/EmfFormat.h"
#include "toolkit/QtText.h"

using namespace Emf;

namespace {

QColor FromColorRef(std::uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

struct TPenObject {
    QPen Pen;
};
struct TBrushObject {
    QBrush Brush;
};
struct TFontObject {
    QFont Font;
};
using TObject = std::variant<TPenObject, TBrushObject, TFontObject>;

/// The device context state that SAVEDC keeps and RESTOREDC brings back.
struct TDcState {
    std::uint32_t MapMode = MM_TEXT;
    QPoint WindowOrg, WindowExt{1, 1}, ViewportOrg, ViewportExt{1, 1};
    QPen Pen{Qt::black, 0};
    QBrush Brush{Qt::white};
    QFont Font;
    QColor TextColor{Qt::black};
    std::uint32_t TextAlign = 0;
    Qt::FillRule FillRule = Qt::OddEvenFill;
    bool Clipped = false;
    QPainterPath Clip; ///< in device pixels
};

} // namespace

TEmfPicture::TEmfPicture(const QByteArray &data)
    : FData(data)
{
    const auto size = static_cast<std::uint32_t>(FData.size());
    if (size < 88 || U32(0) != EMR_HEADER || U32(40) != ENHMETA_SIGNATURE)
        throw std::runtime_error("not an enhanced metafile (no EMF header)");
    FBounds = QRect(QPoint(I32(8), I32(12)), QPoint(I32(16), I32(20)));
    std::uint32_t offset = 0;
    while (offset < size) {
        if (size - offset < 8)
            throw std::runtime_error("EMF record cut off at byte " + std::to_string(offset));
        const std::uint32_t type = U32(offset), recordSize = U32(offset + 4);
        if (recordSize < 8 || recordSize % 4 != 0 || recordSize > size - offset)
            throw std::runtime_error("EMF record of bad size at byte " + std::to_string(offset));
        FRecords.push_back({type, offset, recordSize});
        offset += recordSize;
        if (type == EMR_EOF)
            break;
    }
    if (FRecords.empty() || FRecords.back().Type != EMR_EOF)
        throw std::runtime_error("EMF has no end-of-file record");
    if (U32(48) != offset || U32(52) != FRecords.size())
        throw std::runtime_error("EMF header counts do not match its records");
}

TEmfPicture TEmfPicture::FromFile(const std::string &fileName)
{
    QFile file(ToQString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + fileName);
    try {
        return TEmfPicture(file.readAll());
    } catch (const std::runtime_error &e) {
        throw std::runtime_error(fileName + ": " + e.what());
    }
}

std::uint32_t TEmfPicture::U32(std::uint32_t offset) const
{
    if (static_cast<qsizetype>(offset) + 4 > FData.size())
        return 0;
    const auto *b = reinterpret_cast<const unsigned char *>(FData.constData()) + offset;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

void TEmfPicture::Play(QPainter &painter, const QRectF &target) const
{
    if (FRecords.empty() || FBounds.width() <= 0 || FBounds.height() <= 0)
        return;
    painter.save();
    const QTransform base = painter.worldTransform();
    // device pixels of the picture -> painter coordinates
    const QTransform deviceToTarget = QTransform::fromTranslate(-FBounds.left(), -FBounds.top())
        * QTransform::fromScale(target.width() / FBounds.width(), target.height() / FBounds.height())
        * QTransform::fromTranslate(target.left(), target.top());
    const QPainterPath targetClip = [&] {
        QPainterPath p;
        p.addRect(target);
        return p;
    }();

    TDcState dc;
    std::vector<TDcState> saved;
    std::map<std::uint32_t, TObject> objects;
    bool inPath = false;
    QPainterPath path; // logical units

    auto logicalToDevice = [&]() {
        if (dc.MapMode == MM_TEXT || dc.WindowExt.x() == 0 || dc.WindowExt.y() == 0)
            return QTransform::fromTranslate(-dc.WindowOrg.x(), -dc.WindowOrg.y())
                * QTransform::fromTranslate(dc.ViewportOrg.x(), dc.ViewportOrg.y());
        return QTransform::fromTranslate(-dc.WindowOrg.x(), -dc.WindowOrg.y())
            * QTransform::fromScale(qreal(dc.ViewportExt.x()) / dc.WindowExt.x(),
                                    qreal(dc.ViewportExt.y()) / dc.WindowExt.y())
            * QTransform::fromTranslate(dc.ViewportOrg.x(), dc.ViewportOrg.y());
    };
    auto applyClip = [&]() {
        painter.setWorldTransform(base);
        painter.setClipPath(dc.Clipped ? deviceToTarget.map(dc.Clip).intersected(targetClip) : targetClip);
    };
    auto useLogical = [&]() { painter.setWorldTransform(logicalToDevice() * deviceToTarget * base); };
    auto pointsAt = [&](std::uint32_t offset, std::uint32_t count, std::uint32_t end) {
        QPolygonF poly;
        for (std::uint32_t i = 0; i < count && offset + 8 * i + 8 <= end; ++i)
            poly << QPointF(I32(offset + 8 * i), I32(offset + 8 * i + 4));
        return poly;
    };
    auto drawPolys = [&](const QList<QPolygonF> &polys, bool closed) {
        if (inPath) {
            for (const QPolygonF &poly : polys) {
                if (poly.isEmpty())
                    continue;
                path.moveTo(poly.first());
                for (int i = 1; i < poly.size(); ++i)
                    path.lineTo(poly[i]);
                if (closed)
                    path.closeSubpath();
            }
            return;
        }
        useLogical();
        if (closed) {
            QPainterPath p;
            p.setFillRule(dc.FillRule);
            for (const QPolygonF &poly : polys)
                p.addPolygon(poly), p.closeSubpath();
            painter.setPen(dc.Pen);
            painter.setBrush(dc.Brush);
            painter.drawPath(p);
        } else {
            painter.setPen(dc.Pen);
            for (const QPolygonF &poly : polys)
                painter.drawPolyline(poly);
        }
    };

    applyClip();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const TRecordInfo &rec : FRecords) {
        const std::uint32_t o = rec.Offset + 8, end = rec.Offset + rec.Size;
        switch (rec.Type) {
        case EMR_SETMAPMODE: dc.MapMode = U32(o); break;
        case EMR_SETWINDOWORGEX: dc.WindowOrg = QPoint(I32(o), I32(o + 4)); break;
        case EMR_SETWINDOWEXTEX: dc.WindowExt = QPoint(I32(o), I32(o + 4)); break;
        case EMR_SETVIEWPORTORGEX: dc.ViewportOrg = QPoint(I32(o), I32(o + 4)); break;
        case EMR_SETVIEWPORTEXTEX: dc.ViewportExt = QPoint(I32(o), I32(o + 4)); break;
        case EMR_SETPOLYFILLMODE: dc.FillRule = U32(o) == WINDING ? Qt::WindingFill : Qt::OddEvenFill; break;
        case EMR_SETTEXTALIGN: dc.TextAlign = U32(o); break;
        case EMR_SETTEXTCOLOR: dc.TextColor = FromColorRef(U32(o)); break;
        case EMR_SAVEDC: saved.push_back(dc); break;
        case EMR_RESTOREDC: {
            const std::int32_t n = I32(o);
            const auto back = static_cast<size_t>(n < 0 ? -n : 0);
            if (back > 0 && back <= saved.size()) {
                dc = saved[saved.size() - back];
                saved.resize(saved.size() - back);
                applyClip();
            }
            break;
        }
        case EMR_CREATEPEN: {
            const std::uint32_t style = U32(o + 4);
            QPen pen(FromColorRef(U32(o + 16)), I32(o + 8));
            pen.setStyle((style & PS_STYLE_MASK) == PS_NULL ? Qt::NoPen : Qt::SolidLine);
            objects[U32(o)] = TPenObject{pen};
            break;
        }
        case EMR_EXTCREATEPEN: {
            const std::uint32_t style = U32(o + 20);
            QPen pen(FromColorRef(U32(o + 32)), static_cast<qreal>(U32(o + 24)));
            static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                                  Qt::DashDotDotLine, Qt::NoPen};
            const std::uint32_t s = style & PS_STYLE_MASK;
            pen.setStyle(s < 6 ? styles[s] : Qt::SolidLine);
            if (!(style & PS_GEOMETRIC))
                pen.setCosmetic(true), pen.setWidth(0);
            const std::uint32_t cap = style & PS_ENDCAP_MASK, join = style & PS_JOIN_MASK;
            pen.setCapStyle(cap == PS_ENDCAP_FLAT ? Qt::FlatCap : cap == PS_ENDCAP_SQUARE ? Qt::SquareCap : Qt::RoundCap);
            pen.setJoinStyle(join == PS_JOIN_MITER ? Qt::MiterJoin : join == PS_JOIN_BEVEL ? Qt::BevelJoin : Qt::RoundJoin);
            objects[U32(o)] = TPenObject{pen};
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            const std::uint32_t style = U32(o + 4);
            objects[U32(o)] = TBrushObject{style == BS_NULL ? QBrush(Qt::NoBrush) : QBrush(FromColorRef(U32(o + 8)))};
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            QString face;
            for (std::uint32_t i = 0; i < 32; ++i) {
                const auto c = static_cast<char16_t>(U32(o + 32 + 2 * i) & 0xFFFF);
                if (c == 0)
                    break;
                face += QChar(c);
            }
            QFont font(face);
            // One glyph per character, as the record's advances assume: no ligatures, so a copied
            // or extracted "file" stays "file".
            font.setStyleStrategy(QFont::PreferNoShaping);
            const std::int32_t height = I32(o + 4);
            // negative: the character height; positive: the cell height, of which about 80 % is the em
            font.setPixelSize(std::max(1, height < 0 ? -height : height * 4 / 5));
            font.setWeight(static_cast<QFont::Weight>(std::clamp(I32(o + 20), 1, 1000)));
            font.setItalic((U32(o + 24) & 0xFF) != 0);
            font.setUnderline(((U32(o + 24) >> 8) & 0xFF) != 0);
            font.setStrikeOut(((U32(o + 24) >> 16) & 0xFF) != 0);
            objects[U32(o)] = TFontObject{font};
            break;
        }
        case EMR_SELECTOBJECT: {
            const std::uint32_t h = U32(o);
            switch (h) {
            case WHITE_BRUSH: dc.Brush = QBrush(Qt::white); break;
            case BLACK_BRUSH: dc.Brush = QBrush(Qt::black); break;
            case NULL_BRUSH: dc.Brush = QBrush(Qt::NoBrush); break;
            case WHITE_PEN: dc.Pen = QPen(Qt::white, 0); break;
            case BLACK_PEN: dc.Pen = QPen(Qt::black, 0); break;
            case NULL_PEN: dc.Pen = QPen(Qt::NoPen); break;
            default: {
                const auto it = objects.find(h);
                if (it == objects.end())
                    break;
                if (const auto *pen = std::get_if<TPenObject>(&it->second))
                    dc.Pen = pen->Pen;
                else if (const auto *brush = std::get_if<TBrushObject>(&it->second))
                    dc.Brush = brush->Brush;
                else if (const auto *font = std::get_if<TFontObject>(&it->second))
                    dc.Font = font->Font;
            }
            }
            break;
        }
        case EMR_DELETEOBJECT: objects.erase(U32(o)); break;
        case EMR_POLYGON:
        case EMR_POLYLINE:
            drawPolys({pointsAt(o + 20, U32(o + 16), end)}, rec.Type == EMR_POLYGON);
            break;
        case EMR_POLYPOLYGON:
        case EMR_POLYPOLYLINE: {
            const std::uint32_t n = U32(o + 16);
            if (n > rec.Size / 4)
                break;
            QList<QPolygonF> polys;
            std::uint32_t pointsOffset = o + 24 + 4 * n;
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint32_t count = U32(o + 24 + 4 * i);
                polys.append(pointsAt(pointsOffset, count, end));
                pointsOffset += 8 * count;
            }
            drawPolys(polys, rec.Type == EMR_POLYPOLYGON);
            break;
        }
        case EMR_RECTANGLE: {
            const QRectF r(QPointF(I32(o), I32(o + 4)), QPointF(I32(o + 8), I32(o + 12)));
            drawPolys({QPolygonF(r)}, true);
            break;
        }
        case EMR_BEGINPATH:
            inPath = true;
            path = QPainterPath();
            break;
        case EMR_ENDPATH: inPath = false; break;
        case EMR_SELECTCLIPPATH: {
            QPainterPath device = logicalToDevice().map(path);
            device.setFillRule(dc.FillRule);
            if (U32(o) == RGN_AND && dc.Clipped)
                dc.Clip = dc.Clip.intersected(device);
            else
                dc.Clip = device;
            dc.Clipped = true;
            path = QPainterPath();
            applyClip();
            break;
        }
        case EMR_EXTSELECTCLIPRGN:
            if (U32(o) == 0 && U32(o + 4) == RGN_COPY) {
                dc.Clipped = false;
                applyClip();
            }
            break;
        case EMR_EXTTEXTOUTW: {
            const QPointF ref(I32(o + 28), I32(o + 32));
            const std::uint32_t chars = U32(o + 36), offString = U32(o + 40);
            if (static_cast<std::uint64_t>(offString) + 2ull * chars > rec.Size)
                break;
            QString text;
            for (std::uint32_t i = 0; i < chars; ++i)
                text += QChar(static_cast<char16_t>(U32(rec.Offset + offString + 2 * i) & 0xFFFF));
            useLogical();
            painter.setFont(dc.Font);
            painter.setPen(dc.TextColor);
            const QFontMetricsF m(dc.Font);
            QPointF at = ref;
            const std::uint32_t vertical = dc.TextAlign & TA_BASELINE;
            if (vertical == 0)
                at.ry() += m.ascent(); // TA_TOP
            else if (vertical == TA_BOTTOM)
                at.ry() -= m.descent();
            const std::uint32_t horizontal = dc.TextAlign & TA_CENTER;
            if (horizontal == TA_CENTER)
                at.rx() -= m.horizontalAdvance(text) / 2;
            else if (horizontal == TA_RIGHT)
                at.rx() -= m.horizontalAdvance(text);
            painter.drawText(at, text);
            break;
        }
        case EMR_STRETCHDIBITS: {
            const QRectF dest(I32(o + 16), I32(o + 20), I32(o + 64), I32(o + 68));
            const std::uint32_t offBmi = U32(o + 40), offBits = U32(o + 48), cbBits = U32(o + 52);
            const std::uint32_t info = rec.Offset + offBmi;
            const std::int32_t w = I32(info + 4), h = I32(info + 8);
            const std::uint32_t bpp = U32(info + 12) >> 16, compression = U32(info + 16);
            if (w <= 0 || h == 0 || w > 1 << 15 || std::abs(h) > 1 << 15 || compression != 0
                || (bpp != 24 && bpp != 32))
                break;
            const std::uint32_t stride = (static_cast<std::uint32_t>(w) * (bpp / 8) + 3) & ~3u;
            const std::uint32_t rows = static_cast<std::uint32_t>(std::abs(h));
            if (static_cast<std::uint64_t>(stride) * rows > cbBits || offBits + cbBits > rec.Size)
                break;
            QImage img(w, static_cast<int>(rows), QImage::Format_RGB32);
            const auto *bits = reinterpret_cast<const unsigned char *>(FData.constData()) + rec.Offset + offBits;
            for (std::uint32_t y = 0; y < rows; ++y) {
                const unsigned char *line = bits + static_cast<size_t>(h > 0 ? rows - 1 - y : y) * stride;
                auto *out = reinterpret_cast<QRgb *>(img.scanLine(static_cast<int>(y)));
                for (std::int32_t x = 0; x < w; ++x) {
                    const unsigned char *px = line + x * (bpp / 8);
                    out[x] = qRgb(px[2], px[1], px[0]);
                }
            }
            useLogical();
            painter.drawImage(dest, img);
            break;
        }
        case EMR_EOF: break;
        default: break; // records we do not draw
        }
    }
    painter.restore();
}
