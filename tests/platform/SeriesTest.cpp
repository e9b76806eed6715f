// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Series.h"

TEST(TBarSeries, PointsKeepTheirOrderAndPositions)
{
    TBarSeries s;
    int changes = 0;
    s.SetOnChange([&] { ++changes; });
    EXPECT_EQ(s.Add(5, "a"), 0);
    EXPECT_EQ(s.Add(9, "b", 0x123456), 1);
    EXPECT_EQ(s.Point(1).X, 1.0);
    EXPECT_EQ(s.Point(1).Color, 0x123456u);
    EXPECT_EQ(s.Point(0).Color, clTeeColor);
    s.Clear();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(changes, 3);
}

TEST(TChartAxis, BoundsMayNotCrossAndOneStepRangeWidens)
{
    TBarSeries s;
    auto &axis = s.LeftAxis();
    EXPECT_THROW(axis.SetMinimum(1), EChartException); // maximum is still 0
    axis.SetMaximum(238);
    axis.SetMinimum(0);
    EXPECT_THROW(axis.SetMaximum(-1), EChartException);
    EXPECT_TRUE(axis.Automatic());
    axis.SetMinMax(5, 2); // smaller value becomes the minimum
    EXPECT_EQ(axis.Minimum(), 2);
    EXPECT_EQ(axis.Maximum(), 5);
    EXPECT_FALSE(axis.Automatic());
    axis.SetMinMax(0, 0);
    EXPECT_EQ(axis.Minimum(), 0);
    EXPECT_DOUBLE_EQ(axis.Maximum(), 1e-10);
}
