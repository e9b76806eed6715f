// SPDX-License-Identifier: GPL-3.0-or-later
// EmfWriter: a paint device whose QPainter output becomes an enhanced metafile (EMF), the vector
// picture format word processors and office suites read. One paint routine serves the screen and
// this device, so the metafile shows exactly what the screen shows.
#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

#include <memory>
#include <string>

class TEmfPaintEngine;

/// A paint device of `size` pixels at 96 dots per inch. Paint into it with one QPainter (begin once,
/// end once), then take Data() or SaveToFile(). Lines, curves, fills (solid colours and gradients;
/// gradients become bands of solid colour), text (kept as text, with its font and character
/// advances) and images are written as EMF records; colours with transparency are blended over
/// white because the format has no transparency for vector records.
///
/// Coordinates are written at 1/16 pixel (a mapping-mode record says so), so positions and pen
/// widths stay exact when the picture is printed large. The header's bounds are the device's pixel
/// rectangle (0, 0, width - 1, height - 1) and its frame the same rectangle in 0.01 mm.
/// GUI thread only (fonts are measured through Qt).
class TEmfDevice : public QPaintDevice
{
public:
    explicit TEmfDevice(QSize size);
    ~TEmfDevice() override;
    TEmfDevice(const TEmfDevice &) = delete;
    TEmfDevice &operator=(const TEmfDevice &) = delete;

    QSize Size() const { return FSize; }
    QPaintEngine *paintEngine() const override;

    /// The complete metafile: header, records, end-of-file record. Valid once the painter has
    /// ended; a device never painted gives a metafile with no drawing records.
    QByteArray Data() const;
    /// Creates or overwrites `fileName` with Data(). Raises std::runtime_error with the message
    /// "Datei <fileName> kann nicht erstellt werden" when the file cannot be created or written.
    void SaveToFile(const std::string &fileName) const;

    /// Logical units per pixel in the written records.
    static constexpr int Scale = 16;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize FSize;
    std::unique_ptr<TEmfPaintEngine> FEngine;
};

/// Writes `data` to `fileName` (created or truncated). Raises std::runtime_error
/// "Datei <fileName> kann nicht erstellt werden" on failure; an existing file then stays as it was
/// (the data goes to a temporary file in the same folder that replaces the old one at the end).
void WriteFileOrRaise(const std::string &fileName, const QByteArray &data);
