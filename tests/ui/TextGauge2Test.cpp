// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEvent>
#include <QTest>

#include <map>

#include "ui/TextGauge2.h"

namespace {

struct TPaintCounter : QObject {
    int Count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        Count += e->type() == QEvent::Paint;
        return false;
    }
};

// A shown gauge of the given size, without border or text unless asked.
std::unique_ptr<TTextGauge> MakeGauge(int w, int h, TTextGaugeKind kind = gkHorizontalBar)
{
    auto g = std::make_unique<TTextGauge>();
    g->resize(w, h);
    g->SetBorderStyle(bsNone);
    g->SetShowText(false);
    g->SetKind(kind);
    g->SetForeColor(Qt::blue);
    return g;
}

int CountIn(const QImage &img, QColor c, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += img.pixelColor(x, y) == c;
    return n;
}

} // namespace

TEST(TTextGauge, ShareOfLosesOneExactlyWhereExtendedArithmeticDoes)
{
    const std::set<int> lower = {5, 10, 15, 20, 23, 27, 30, 40, 43, 46, 49, 53, 54, 59, 60, 67, 73, 80, 86, 92, 98, 99};
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(TTextGauge::ShareOf(p, 100), lower.count(p) ? p - 1 : p) << p;
    // Not a multiple of 100: always the integer quotient.
    for (int size : {19, 20, 101, 293, 1000003})
        for (int p = 0; p <= 100; ++p)
            if ((static_cast<long long>(size) * p) % 100 != 0) {
                EXPECT_EQ(TTextGauge::ShareOf(p, size), static_cast<long long>(size) * p / 100) << size << " " << p;
            }
}

TEST(TTextGauge, PercentFollowsTheRange)
{
    TTextGauge g;
    EXPECT_EQ(TTextGauge::PercentOf(5, 0), 0);
    EXPECT_EQ(TTextGauge::PercentOf(-7, 10), -70);
    g.SetMaxValue(3);
    g.SetProgress(1);
    EXPECT_EQ(g.CurrentPercent(), 33);
    g.SetProgress(2);
    EXPECT_EQ(g.CurrentPercent(), 66);
    g.SetMinValue(2);
    g.SetMaxValue(2); // Min = Max: nothing to show
    EXPECT_EQ(g.Progress(), 2);
    EXPECT_EQ(g.CurrentPercent(), 0);
}

TEST(TTextGauge, SettersRaiseEventsAndRepaintOnlyWhenThePercentMoves)
{
    auto g = MakeGauge(100, 19);
    g->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(g.get()));
    TPaintCounter paints;
    g->installEventFilter(&paints);
    std::vector<std::pair<std::string, int>> events;
    g->SetOnSetValue([&](TObject *, int v) { events.emplace_back("value", v); });
    g->SetOnSetMax([&](TObject *, int v) { events.emplace_back("max", v); });

    g->SetMaxValue(1000);
    g->SetProgress(500);
    events.clear();
    paints.Count = 0;
    g->SetProgress(505); // still 50 %
    EXPECT_EQ(g->Progress(), 505);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(paints.Count, 0);
    g->SetProgress(510);
    EXPECT_EQ(events, (decltype(events){{"value", 510}}));
    EXPECT_EQ(paints.Count, 1); // painted before the setter returned

    g->SetMaxValue(100); // lowers Progress to 100 without OnSetValue
    EXPECT_EQ(g->Progress(), 100);
    EXPECT_EQ(events.back(), std::make_pair(std::string("max"), 100));
    g->SetProgress(33);
    events.clear();
    g->SetProgress(150);
    EXPECT_EQ(g->Progress(), 100);
    EXPECT_EQ(events, (decltype(events){{"value", 100}}));

    // The owner in design mode: no events.
    TComponent form(nullptr);
    TTextGauge designed(nullptr, &form);
    form.SetDesigning(true);
    designed.SetOnSetValue([&](TObject *, int v) { events.emplace_back("designed", v); });
    designed.SetProgress(50);
    EXPECT_NE(events.back().first, "designed");
}

TEST(TTextGauge, RangeThatWouldCrossIsRefusedWithTheRangeMessage)
{
    TTextGauge g;
    g.SetProgress(40);
    try {
        g.SetMinValue(101);
        FAIL();
    } catch (const EInvalidOperation &e) {
        EXPECT_STREQ(e.what(), "Wert muß zwischen -2147483647 und 99 liegen");
    }
    g.SetMinValue(10);
    try {
        g.SetMaxValue(5);
        FAIL();
    } catch (const EInvalidOperation &e) {
        EXPECT_STREQ(e.what(), "Wert muß zwischen 11 und 2147483647 liegen");
    }
    EXPECT_EQ(g.MinValue(), 10);
    EXPECT_EQ(g.MaxValue(), 100);
    EXPECT_EQ(g.Progress(), 40);
}

TEST(TTextGauge, BarsFillExactlyTheirShare)
{
    const QColor fore(Qt::blue), back(Qt::white);
    struct TCase {
        TTextGaugeKind Kind;
        int W, H, Percent;
        QRect Fore; // the filled pixels; the rest of the gauge is BackColor
    };
    const TCase cases[] = {
        {gkHorizontalBar, 100, 19, 50, QRect(0, 0, 50, 19)},
        {gkHorizontalBar, 100, 19, 100, QRect(0, 0, 100, 19)}, // F = 101 = W: the whole width
        {gkHorizontalBar, 100, 19, 5, QRect(0, 0, 5, 19)},     // ShareOf(5, 101) = 5
        {gkHorizontalBar, 100, 19, 0, QRect()},
        {gkVerticalBar, 100, 19, 100, QRect(0, 1, 100, 18)}, // F capped at H - 1: row 0 stays back
        {gkVerticalBar, 100, 19, 50, QRect(0, 10, 100, 9)},
    };
    for (const auto &c : cases) {
        auto g = MakeGauge(c.W, c.H, c.Kind);
        g->SetProgress(c.Percent);
        QImage img = g->PaintImage();
        EXPECT_EQ(CountIn(img, fore, c.Fore), c.Fore.width() * c.Fore.height()) << c.Kind << " " << c.Percent;
        EXPECT_EQ(CountIn(img, back, img.rect()), c.W * c.H - c.Fore.width() * c.Fore.height()) << c.Kind << " " << c.Percent;
    }
}

TEST(TTextGauge, BorderRingAndPlainAreaAndInvertedText)
{
    auto g = MakeGauge(60, 20, gkText);
    g->SetBorderStyle(bsSingle);
    QImage plain = g->PaintImage();
    EXPECT_EQ(CountIn(plain, Qt::white, QRect(1, 1, 58, 18)), 58 * 18);
    EXPECT_EQ(CountIn(plain, Qt::black, plain.rect()), 60 * 20 - 58 * 18); // the black ring

    // Text is exclusive-ored: over the blue bar it turns yellow, over white it turns black.
    g = MakeGauge(120, 30, gkHorizontalBar);
    g->SetShowText(true);
    g->SetProgress(50);
    QImage text = g->PaintImage();
    EXPECT_GT(CountIn(text, QColor(Qt::yellow), text.rect()), 0);
    EXPECT_GT(CountIn(text, QColor(Qt::black), text.rect()), 0);
    g->SetCaption("Copying");
    EXPECT_NE(g->PaintImage(), text);
    // Pies and needles paint without fault at every edge percent; the share shows in ForeColor.
    g->SetShowText(false);
    for (auto kind : {gkPie, gkNeedle}) {
        std::map<int, int> fore;
        for (int p : {0, 1, 50, 99, 100}) {
            g->SetKind(kind);
            g->SetProgress(p);
            const QImage image = g->PaintImage();
            EXPECT_EQ(image.size(), QSize(120, 30));
            fore[p] = CountIn(image, Qt::blue, image.rect());
        }
        EXPECT_GT(fore[50], fore[0]) << kind;
        if (kind == gkPie) {
            EXPECT_GT(fore[100], fore[50]);
        }
    }
}
