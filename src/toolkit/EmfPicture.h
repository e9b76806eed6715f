// SPDX-License-Identifier: GPL-3.0-or-later
// EmfPicture: reads an enhanced metafile (EMF), checks its structure and plays it back through a
// QPainter, so the report shows, prints and exports a chart picture as vectors.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QRectF>

#include <cstdint>
#include <string>
#include <vector>

class QPainter;

/// An EMF picture held in memory. Load() accepts a file only when its structure is sound: a header
/// record with the format's signature first, every record of a size that is a multiple of four and
/// inside the file, the header's byte and record counts matching, and an end-of-file record last.
///
/// Play() draws the records our EMF writer emits (mapping modes, pens, brushes, fonts, polygons and
/// polylines, paths used for clipping, text, bitmaps, saved states) and skips any other record, so
/// a picture from another program shows what it can. Cheap to copy.
class TEmfPicture
{
public:
    struct TRecordInfo {
        std::uint32_t Type = 0;
        std::uint32_t Offset = 0; ///< from the start of the file
        std::uint32_t Size = 0;
    };

    TEmfPicture() = default;
    /// Parses `data`. Raises std::runtime_error naming the defect when the data is no valid EMF.
    explicit TEmfPicture(const QByteArray &data);

    /// Reads `fileName`. Raises std::runtime_error when the file cannot be read or is no valid EMF.
    static TEmfPicture FromFile(const std::string &fileName);

    bool IsEmpty() const { return FData.isEmpty(); }
    const QByteArray &Data() const { return FData; }
    const std::vector<TRecordInfo> &Records() const { return FRecords; }
    /// The header's bounds (inclusive device pixels, as stored).
    QRect Bounds() const { return FBounds; }
    /// Width and height of the picture in device pixels (bounds right - left + 1, ...).
    QSize PixelSize() const { return QSize(FBounds.width(), FBounds.height()); }
    /// Reads a little-endian 32-bit value at `offset` (0 when outside the data).
    std::uint32_t U32(std::uint32_t offset) const;
    std::int32_t I32(std::uint32_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

    /// Draws the picture so that its bounds fill `target` (painter coordinates). The painter's
    /// state is restored afterwards.
    void Play(QPainter &painter, const QRectF &target) const;

private:
    QByteArray FData;
    std::vector<TRecordInfo> FRecords;
    QRect FBounds;
};
