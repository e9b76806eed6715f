// SPDX-License-Identifier: GPL-3.0-or-later
// Series: the model of a bar chart's one series and its left axis, which a scan worker fills
// (through synchronous calls on the GUI thread) and the chart widget draws.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

/// The chart's default colour: a point added with it takes its colour from the chart's palette.
constexpr std::uint32_t clTeeColor = 0x80000000u;

/// Raised when an axis bound would cross the other one.
class EChartException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct TChartPoint {
    double X = 0; ///< the bar's position: the number of points before it
    double Y = 0; ///< the value: bytes, or a date-time (days since 30 December 1899, local time)
    std::string Label; ///< the file's full path (bytes as found on disk)
    std::uint32_t Color = clTeeColor;
};

class TBarSeries;

/// The left (value) axis. Automatic scaling is on until a range is set in one step (SetMinMax).
class TChartAxis
{
public:
    explicit TChartAxis(TBarSeries &owner)
        : FOwner(owner)
    {
    }
    double Minimum() const { return FMinimum; }
    double Maximum() const { return FMaximum; }
    bool Automatic() const { return FAutomatic; }
    /// Raises EChartException when `value` is above Maximum().
    void SetMinimum(double value);
    /// Raises EChartException when `value` is below Minimum().
    void SetMaximum(double value);
    /// Sets both bounds at once (the smaller one as minimum), widens a range narrower than 1e-10 to
    /// exactly that width, and switches automatic scaling off.
    void SetMinMax(double a, double b);
    void SetAutomatic(bool value);

private:
    TBarSeries &FOwner;
    double FMinimum = 0;
    double FMaximum = 0;
    bool FAutomatic = true;
};

/// One bar series: points in the order they were added, the date-time flag of the values, and the
/// chart's left axis. Lives on the GUI thread; OnChange fires after every change so a view can
/// repaint.
class TBarSeries
{
public:
    TBarSeries()
        : FLeftAxis(*this)
    {
    }
    TBarSeries(const TBarSeries &) = delete;
    TBarSeries &operator=(const TBarSeries &) = delete;

    void Clear();
    /// Appends a point; its X is the number of points already held. Returns its index.
    int Add(double value, const std::string &label, std::uint32_t color = clTeeColor);
    int Count() const { return static_cast<int>(FPoints.size()); }
    const TChartPoint &Point(int index) const { return FPoints.at(static_cast<size_t>(index)); }
    const std::vector<TChartPoint> &Points() const { return FPoints; }

    /// Whether the values are date-times (legend and axis labels format them as dates).
    bool DateTime() const { return FDateTime; }
    void SetDateTime(bool value);

    TChartAxis &LeftAxis() { return FLeftAxis; }
    const TChartAxis &LeftAxis() const { return FLeftAxis; }

    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }
    void Changed()
    {
        if (FOnChange)
            FOnChange();
    }

private:
    std::vector<TChartPoint> FPoints;
    bool FDateTime = false;
    TChartAxis FLeftAxis;
    std::function<void()> FOnChange;
};
