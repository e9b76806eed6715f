// SPDX-License-Identifier: GPL-3.0-or-later
// The chart drawn through the EMF writer and played back must look like the chart on screen.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "toolkit/Chart.h"
#include "toolkit/EmfPicture.h"
#include "toolkit/EmfWriter.h"

TEST(TEmfDevice, ChartPlaysBackLikeTheScreen)
{
    TChart chart;
    chart.SetTitle("Drive /data");
    for (int i = 0; i < 12; ++i)
        chart.Series().Add(1e6 * (12 - i), "/data/folder/file " + std::to_string(i) + ".iso");
    chart.Series().LeftAxis().SetMinMax(0, 1.3e7);
    const QSize size(900, 560);
    const QImage screen = chart.RenderImage(size).convertToFormat(QImage::Format_RGB32);

    TEmfDevice emf(size);
    {
        QPainter p(&emf);
        chart.PaintTo(p, QRect(QPoint(0, 0), size));
    }
    const TEmfPicture picture(emf.Data());
    EXPECT_EQ(picture.PixelSize(), size);
    QImage played(size, QImage::Format_RGB32);
    played.fill(Qt::white);
    {
        QPainter p(&played);
        picture.Play(p, QRectF(QPointF(0, 0), size));
    }
    if (qEnvironmentVariableIsSet("VORLANT_DUMP")) {
        screen.save(QStringLiteral("/tmp/chart-screen.png"));
        played.save(QStringLiteral("/tmp/chart-played.png"));
    }
    // Compared in blocks of 8 x 8 pixels, so antialiasing and glyph rendering may differ a little.
    const QImage a = screen.scaled(size / 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage b = played.scaled(size / 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            off += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 60;
        }
    EXPECT_LT(off, a.width() * a.height() / 50) << off << " of " << a.width() * a.height() << " blocks differ";
}
