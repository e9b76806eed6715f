// SPDX-License-Identifier: GPL-3.0-or-later
// The EMF writer and player: structure of the written file, records for each kind of drawing, and
// a round trip that must look like the same drawing painted straight to an image.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <set>

#include "EmfTestTexts.h"
#include "toolkit/EmfFormat.h"
#include "toolkit/EmfPicture.h"
#include "toolkit/EmfWriter.h"

namespace {

const QString Hostile = QStringLiteral("C:\\dir {a}\\Größe ☃ 😀.txt");

/// A small chart-like drawing: background, gradient bars, outlines, a dashed line, text, an image.
void PaintSample(QPainter &p, const QRect &r)
{
    p.fillRect(r, Qt::white);
    for (int i = 0; i < 4; ++i) {
        const QRectF bar(20 + i * 60, 60 + i * 20, 40, 200 - i * 20);
        QLinearGradient g(bar.topLeft(), bar.topRight());
        g.setColorAt(0, QColor(200, 0, 0));
        g.setColorAt(1, QColor(0, 0, 200));
        p.setBrush(g);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(bar);
    }
    p.setPen(QPen(Qt::darkGreen, 3, Qt::DashLine));
    p.drawLine(QPointF(10, 280), QPointF(390, 280));
    p.setPen(Qt::black);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(12);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QPointF(20, 30), Hostile);
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(QColor(0, 160, 0));
    p.drawImage(QRectF(300, 20, 64, 64), img);
    p.fillRect(QRectF(300, 100, 80, 40), QColor(255, 200, 0));
}

QByteArray WriteSample(QSize size)
{
    TEmfDevice device(size);
    QPainter p(&device);
    PaintSample(p, QRect(QPoint(0, 0), size));
    p.end();
    return device.Data();
}

} // namespace

TEST(TEmfDevice, WritesValidHeaderAndEndRecord)
{
    const QByteArray data = WriteSample(QSize(400, 300));
    const TEmfPicture pic(data); // throws on any structural defect
    EXPECT_EQ(pic.U32(0), Emf::EMR_HEADER);
    EXPECT_EQ(pic.U32(40), Emf::ENHMETA_SIGNATURE);
    EXPECT_EQ(pic.U32(44), 0x10000u);
    EXPECT_EQ(pic.Bounds(), QRect(QPoint(0, 0), QPoint(399, 299)));
    EXPECT_EQ(pic.PixelSize(), QSize(400, 300));
    // frame in 0.01 mm at 96 dpi: 400 px = 105.83 mm
    EXPECT_EQ(pic.I32(32), 10583 - 1);
    EXPECT_EQ(pic.U32(48), static_cast<std::uint32_t>(data.size()));
    EXPECT_EQ(pic.U32(52), pic.Records().size());
    // description offset and length lie inside the header record
    EXPECT_EQ(pic.U32(64), Emf::HeaderSize);
    EXPECT_LE(Emf::HeaderSize + 2 * pic.U32(60), pic.U32(4));
    const auto &last = pic.Records().back();
    EXPECT_EQ(last.Type, Emf::EMR_EOF);
    EXPECT_EQ(last.Size, 20u);
    EXPECT_EQ(pic.U32(last.Offset + last.Size - 4), 20u); // nSizeLast
    EXPECT_EQ(last.Offset + last.Size, static_cast<std::uint32_t>(data.size()));
}

TEST(TEmfDevice, WritesRecordsForEveryKindOfDrawing)
{
    const TEmfPicture pic(WriteSample(QSize(400, 300)));
    std::multiset<std::uint32_t> types;
    std::set<std::uint32_t> brushColors;
    std::uint32_t handles = 0;
    for (const auto &r : pic.Records()) {
        types.insert(r.Type);
        if (r.Type == Emf::EMR_CREATEBRUSHINDIRECT)
            brushColors.insert(pic.U32(r.Offset + 16));
        if (r.Type == Emf::EMR_CREATEBRUSHINDIRECT || r.Type == Emf::EMR_EXTCREATEPEN
            || r.Type == Emf::EMR_EXTCREATEFONTINDIRECTW) {
            handles = std::max(handles, pic.U32(r.Offset + 8));
            if (r.Type == Emf::EMR_EXTCREATEFONTINDIRECTW) {
                EXPECT_EQ(r.Size, 12 + Emf::LogFontPanoseSize);
                EXPECT_EQ(pic.I32(r.Offset + 28), 700); // bold
            }
        }
        if (r.Type == Emf::EMR_EXTTEXTOUTW) {
            const std::uint32_t n = pic.U32(r.Offset + 44), off = pic.U32(r.Offset + 48);
            const std::uint32_t offDx = pic.U32(r.Offset + 72);
            ASSERT_LE(off + 2 * n, r.Size);
            ASSERT_LE(offDx + 4 * n, r.Size);
            std::int64_t advance = 0;
            for (std::uint32_t i = 0; i < n; ++i)
                advance += pic.I32(r.Offset + offDx + 4 * i);
            EXPECT_GT(advance, 100 * TEmfDevice::Scale); // a long line of 12 pt text
        }
    }
    EXPECT_EQ(EmfTexts(pic), QStringList{Hostile}); // kept as text, every character intact
    EXPECT_GE(types.count(Emf::EMR_POLYPOLYGON), 4u);
    EXPECT_EQ(types.count(Emf::EMR_EXTTEXTOUTW), 1u);
    EXPECT_EQ(types.count(Emf::EMR_STRETCHDIBITS), 1u);
    EXPECT_GE(types.count(Emf::EMR_EXTCREATEPEN), 2u);
    EXPECT_GT(brushColors.size(), 10u); // the gradient became bands of many colours
    EXPECT_LT(pic.U32(56), 0x10000u);
    EXPECT_LT(handles, pic.U32(56) & 0xFFFF); // every handle is below the header's count
}

TEST(TEmfPicture, PlaybackLooksLikeTheDirectPainting)
{
    const QSize size(400, 300);
    QImage direct(size, QImage::Format_RGB32);
    {
        QPainter p(&direct);
        PaintSample(p, direct.rect());
    }
    // Played back at twice the size, then compared at the original size.
    QImage played(size * 2, QImage::Format_RGB32);
    played.fill(Qt::magenta);
    {
        QPainter p(&played);
        TEmfPicture(WriteSample(size)).Play(p, QRectF(QPointF(0, 0), size * 2));
    }
    const QImage back = played.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (qEnvironmentVariableIsSet("VORLANT_DUMP")) {
        direct.save(QStringLiteral("/tmp/emf-direct.png"));
        played.save(QStringLiteral("/tmp/emf-played.png"));
    }
    auto close = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40
            && std::abs(qBlue(a) - qBlue(b)) < 40;
    };
    // Points inside solid areas, gradient bars, the image and the background.
    const QPoint probes[] = {{25, 150}, {55, 150}, {150, 200}, {330, 50}, {340, 120}, {390, 10}, {200, 290}};
    for (QPoint pt : probes)
        EXPECT_TRUE(close(direct.pixel(pt), back.pixel(pt)))
            << pt.x() << "," << pt.y() << ": " << std::hex << direct.pixel(pt) << " vs " << back.pixel(pt);
    // The text was drawn: dark pixels in the title line.
    int dark = 0;
    for (int x = 20; x < 300; ++x)
        for (int y = 15; y < 35; ++y)
            dark += qGray(back.pixel(x, y)) < 100;
    EXPECT_GT(dark, 100);
}

TEST(TEmfPicture, RejectsBrokenFiles)
{
    const QByteArray good = WriteSample(QSize(50, 40));
    struct Case {
        const char *what;
        QByteArray data;
    };
    QByteArray badSignature = good;
    badSignature[40] = 'X';
    QByteArray badSize = good;
    badSize[TEmfPicture(good).Records().at(1).Offset + 4] = 3; // second record's size not a multiple of four
    const Case cases[] = {
        {"empty", QByteArray()},
        {"cut", good.left(good.size() - 20)},
        {"signature", badSignature},
        {"record size", badSize},
        {"not emf", QByteArray(200, 'a')},
    };
    for (const Case &c : cases)
        EXPECT_THROW(TEmfPicture{c.data}, std::runtime_error) << c.what;
}

TEST(TEmfDevice, SaveToFileOverwritesAndReportsFailure)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("tmp.emf")).toStdString();
    TEmfDevice small(QSize(10, 10));
    { QPainter p(&small); p.fillRect(0, 0, 10, 10, Qt::red); }
    small.SaveToFile(file);
    TEmfDevice big(QSize(30, 20));
    { QPainter p(&big); p.fillRect(0, 0, 30, 20, Qt::blue); }
    big.SaveToFile(file);
    EXPECT_EQ(TEmfPicture::FromFile(file).PixelSize(), QSize(30, 20));

    // A folder below a regular file cannot exist, whoever runs the test.
    QFile blocker(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const std::string impossible = dir.filePath(QStringLiteral("plain/tmp.emf")).toStdString();
    try {
        big.SaveToFile(impossible);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Datei " + impossible + " kann nicht erstellt werden");
    }
}

TEST(TEmfDevice, AnotherProgramReadsTheFile)
{
    // emf2svg (libemf2svg) is an independent EMF reader; it must find our shapes and our text.
    QTemporaryDir dir;
    const QString emf = dir.filePath(QStringLiteral("tmp.emf")), svg = dir.filePath(QStringLiteral("out.svg"));
    {
        QFile f(emf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(WriteSample(QSize(400, 300)));
    }
    QProcess conv;
    conv.start(QStringLiteral("emf2svg-conv"), {QStringLiteral("-i"), emf, QStringLiteral("-o"), svg});
    ASSERT_TRUE(conv.waitForFinished(60000)) << "emf2svg-conv missing (scripts/deps.sh test installs it)";
    ASSERT_EQ(conv.exitCode(), 0) << conv.readAllStandardError().toStdString();
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString out = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(out.contains(QStringLiteral("Größe"))) << out.left(2000).toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("{a}")));
    EXPECT_GE(out.count(QStringLiteral("<path")) + out.count(QStringLiteral("<polygon")), 20);
    EXPECT_TRUE(out.contains(QStringLiteral("<image"))) << "bitmap missing";
}
