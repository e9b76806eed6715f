// SPDX-License-Identifier: GPL-3.0-or-later
// Chartformun: the view of one scanned drive, a bar chart of its largest, oldest or newest files
// with a legend of readable sizes (or dates) and full paths.
#pragma once

#include <QWidget>

#include "platform/Series.h"
#include "toolkit/Chart.h"
#include "toolkit/QtForm.h"

#include <cstdint>
#include <functional>
#include <string>

class TFileObject;

/// The chart view. The main window creates one per picked drive (without owner; it frees it),
/// hosts it in the drive's tab and sets its title; the drive's worker fills Series1 and sets the
/// left axis range on the GUI thread; the report renders Chart1 (TChart::PaintTo).
class TChartform : public TQtForm<QWidget>
{
public:
    TChartform();
    ~TChartform() override;

    /// The chart, filling the whole form: title "TChart" until the main window sets "Drive ...",
    /// hidden bottom axis, left axis in a manual range with "dd.mm.yyyy" date labels, legend below.
    TChart *Chart1;
    /// Its one bar series: one point per ranked file, every point in its own palette colour.
    TBarSeries *Series1;

    /// The legend rule: `legendText` arrives as the chart's default text (the value with thousands
    /// separators, a blank, the path) and leaves as the size text of FormatFileSize (or, when the
    /// values are date-times, the point's date and time), a blank, and the path. Only the first
    /// blank separates value and path; the size is read back from the digits of the default text.
    void Chart1GetLegendText(TChart *sender, int legendStyle, int index, std::string &legendText);

    /// Where hover texts find the file behind a point (size, date, path); nullptr for none.
    void SetRecordSource(std::function<const TFileObject *(int pointIndex)> source) { FRecordOf = std::move(source); }
    /// The hover text of point `index`: size (readable and in bytes), last change, full path.
    std::string HintText(int index) const;

    /// Opens a folder for the user; by default the desktop's file manager. Double-clicking a bar or
    /// a legend line opens the folder that holds the point's file.
    void SetOnOpenFolder(std::function<void(const std::string &folder)> handler) { FOnOpenFolder = std::move(handler); }
    /// The folder part of point `index`'s path ("/" for a file in the root).
    std::string FolderOf(int index) const;

    /// Shows the progress of a running scan in the middle of the chart; an empty text removes it.
    void SetScanStatus(const std::string &text);

    std::string ClassName() const override { return "TChartform"; }

private:
    void FormCreate(TObject *sender);

    std::function<const TFileObject *(int)> FRecordOf;
    std::function<void(const std::string &)> FOnOpenFolder;
};

/// A date-time (days since 30 December 1899, local) as the runtime's "c" format shows it: the
/// locale's short date, a blank and its long time (without zone); the time is left out when the
/// value is exactly midnight.
std::string FormatDateTimeC(double dateTime);
