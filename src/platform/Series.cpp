// SPDX-License-Identifier: GPL-3.0-or-later
#include "Series.h"

void TChartAxis::SetMinimum(double value)
{
    if (value > FMaximum)
        throw EChartException("Axis minimum value must be <= maximum");
    FMinimum = value;
    FOwner.Changed();
}

void TChartAxis::SetMaximum(double value)
{
    if (value < FMinimum)
        throw EChartException("Axis maximum value must be >= minimum");
    FMaximum = value;
    FOwner.Changed();
}

void TChartAxis::SetMinMax(double a, double b)
{
    double lo = a < b ? a : b;
    double hi = a < b ? b : a;
    if (hi - lo < 1e-10)
        hi = lo + 1e-10;
    FMinimum = lo;
    FMaximum = hi;
    FAutomatic = false;
    FOwner.Changed();
}

void TChartAxis::SetAutomatic(bool value)
{
    FAutomatic = value;
    FOwner.Changed();
}

void TBarSeries::Clear()
{
    FPoints.clear();
    Changed();
}

int TBarSeries::Add(double value, const std::string &label, std::uint32_t color)
{
    TChartPoint p;
    p.X = static_cast<double>(FPoints.size());
    p.Y = value;
    p.Label = label;
    p.Color = color;
    FPoints.push_back(std::move(p));
    Changed();
    return Count() - 1;
}

void TBarSeries::SetDateTime(bool value)
{
    FDateTime = value;
    Changed();
}
