// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "toolkit/Chart.h"
#include "toolkit/FormPanel.h"

namespace {

// Fills a chart with `n` bars of sizes n, n-1, ... 1 MiB and long paths, as a scan worker does.
void Fill(TChart &chart, int n)
{
    auto &s = chart.Series();
    s.Clear();
    s.SetDateTime(false);
    for (int i = 0; i < n; ++i)
        s.Add((n - i) * 1048576.0,
              "/srv/archive/projects/customer-" + std::to_string(i) + "/deliverables/2026/very/long/folder/name/file.bin");
    s.LeftAxis().SetMinMax(0, n * 1048576.0 + 30);
}

int CountColour(const QImage &image, QColor colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

} // namespace

TEST(TChart, DefaultLegendTextIsRoundedValueThenLabelWithoutCarriageReturns)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TChart chart;
    chart.Series().Add(1234567.4, "C:\\data\\big file.iso");
    chart.Series().Add(0, "a\rb");
    EXPECT_EQ(chart.DefaultLegendText(0), "1.234.567 C:\\data\\big file.iso");
    EXPECT_EQ(chart.DefaultLegendText(1), "0 a b");
    chart.SetOnGetLegendText([](TChart *, int index, std::string &text) { text = "#" + std::to_string(index) + " " + text; });
    EXPECT_EQ(chart.LegendText(1), "#1 0 a b");
    QLocale::setDefault(QLocale::c());
}

TEST(TChart, DaysSince1899RoundTrip)
{
    QDateTime dt(QDate(2026, 12, 11), QTime(13, 45, 30));
    EXPECT_DOUBLE_EQ(DaysFromDateTime(QDateTime(QDate(1899, 12, 31), QTime(12, 0))), 1.5);
    EXPECT_EQ(DateTimeFromDays(DaysFromDateTime(dt)), dt);
}

TEST(TChart, EveryBarGetsItsOwnPaletteColourAndIsPainted)
{
    TChart chart;
    Fill(chart, 3);
    chart.SetView3D(false);
    QImage image = chart.RenderImage({800, 600});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(chart.PointColor(i), TChart::PaletteColor(i));
        EXPECT_GT(CountColour(image, TChart::PaletteColor(i)), 50) << i; // bar bottom and swatch
    }
    EXPECT_NE(TChart::PaletteColor(0), TChart::PaletteColor(1));
}

TEST(TChart, LegendOfManyLongPathsIsElidedAndHitTestsMatchTheLayout)
{
    TChart chart;
    chart.resize(914, 600);
    Fill(chart, 21);
    int shown = 0;
    for (int i = 0; i < 21; ++i) {
        QRect r = chart.LegendItemRect(i);
        if (r.isEmpty())
            continue;
        ++shown;
        EXPECT_TRUE(chart.rect().contains(r)) << i;
        EXPECT_EQ(chart.LegendItemAt(r.center()), i);
        QRect bar = chart.BarRect(i);
        EXPECT_EQ(chart.BarAt(bar.center()), i);
    }
    EXPECT_EQ(shown, 21); // two columns hold all lines in a window of this size
    // Double-clicking a bar reports its point.
    int clicked = -1;
    chart.SetOnDblClickItem([&](int index) { clicked = index; });
    chart.show();
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, chart.BarRect(4).center());
    EXPECT_EQ(clicked, 4);
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, chart.LegendItemRect(7).center());
    EXPECT_EQ(clicked, 7);
}

TEST(TChart, SavesPngAndSvgOfTheGivenSize)
{
    QTemporaryDir dir;
    TChart chart;
    chart.SetTitle("Drive /data");
    Fill(chart, 5);
    chart.Series().SetDateTime(true);
    chart.Series().LeftAxis().SetMinMax(45000, 46000);
    ASSERT_TRUE(chart.SavePng(dir.filePath("c.png"), {640, 400}));
    EXPECT_EQ(QImage(dir.filePath("c.png")).size(), QSize(640, 400));
    ASSERT_TRUE(chart.SaveSvg(dir.filePath("c.svg"), {640, 400}));
    QFile svg(dir.filePath("c.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("width=\"") && text.contains("640")) << text.left(300).constData();
    EXPECT_TRUE(text.contains("Drive /data"));
    EXPECT_FALSE(chart.SavePng("/nonexistent-dir/x.png", {10, 10}));
}

TEST(TChart, EmptySeriesAndTinyTargetsPaintWithoutFault)
{
    TChart chart;
    chart.SetStatusText("Scanning: 12 files");
    for (QSize size : {QSize(1, 1), QSize(50, 20), QSize(640, 480)})
        EXPECT_EQ(chart.RenderImage(size).size(), size);
    EXPECT_EQ(CountColour(chart.RenderImage({640, 480}), TChart::PaletteColor(0)), 0); // no bar, no swatch
    Fill(chart, 21);
    chart.Series().LeftAxis().SetMinMax(0, 0); // an empty drive's re-rank widens to 1e-10
    const QImage filled = chart.RenderImage({320, 200});
    EXPECT_EQ(filled.size(), QSize(320, 200));
    EXPECT_GT(CountColour(filled, TChart::PaletteColor(0)), 0);
}

TEST(TFormPanel, HostsAFormFillingItAndReleasesIt)
{
    TFormPanel panel;
    panel.resize(300, 200);
    panel.show();
    auto form = std::make_unique<QWidget>();
    panel.SetForm(form.get());
    EXPECT_EQ(form->parentWidget(), &panel);
    EXPECT_EQ(form->geometry(), panel.rect());
    panel.resize(400, 250);
    EXPECT_EQ(form->size(), QSize(400, 250));
    panel.SetForm(nullptr);
    EXPECT_EQ(form->parentWidget(), nullptr);
    panel.SetForm(form.get());
    form.reset(); // freed by its creator while hosted
    EXPECT_EQ(panel.Form(), nullptr);
}
