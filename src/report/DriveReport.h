// SPDX-License-Identifier: GPL-3.0-or-later
// DriveReport: the one-page report of a drive's chart: its template (frxReport1's page) and the
// steps that fill it, shared by the main window's handlers and the command line.
#pragma once

#include <QSize>
#include <QString>
#include <QVariant>

#include <functional>
#include <string>

class QPainter;
class QRect;
class TReport;

/// Paints a chart into a target rectangle (the chart view's one paint routine).
using TChartPaint = std::function<void(QPainter &painter, const QRect &target)>;

/// Builds the template on `report` (which must have no objects yet): page "Page1", A4 landscape,
/// margins of 10 mm; "Memo1" at 0, 1 mm, 277 x 30 mm with "Disk Report for Drive [drive]" in
/// Arial 16 pt bold italic black, centred; "Picture1" at 0, 15 mm, 277 x 167 mm, empty; the footer
/// "Memo2" along the bottom of the printable area (program, version, copyright), 8 pt grey,
/// centred; the variable category " New Category1" with the variable "drive", no value.
void BuildDriveReport(TReport &report);

/// The footer text: program name, version and copyright line.
QString DriveReportFooter();

/// The folder that receives tmp.emf (with its trailing separator): the one set by SetReportFolder,
/// else the executable's folder, or the user's cache folder when the executable's folder cannot be
/// written (an installed program).
std::string ReportFolder();
/// Tests point the picture file elsewhere (for example below a regular file, where nobody can
/// write); an empty text returns to the executable's folder.
void SetReportFolder(const std::string &folder);
/// ReportFolder() + separator + "tmp.emf", passed through NormalizePath (which folds the doubled
/// separator).
std::string TmpEmfPath();

/// Writes the chart painted by `paint` at `size` pixels (its size on screen) as an enhanced
/// metafile to `fileName`, creating or overwriting it. Raises std::runtime_error
/// "Datei <fileName> kann nicht erstellt werden" when it cannot be written.
void SaveChartToEmf(const TChartPaint &paint, QSize size, const std::string &fileName);

/// The before-print steps, whatever object is being printed: find "Picture1" (none, or not a
/// picture: nothing happens), write the chart to TmpEmfPath(), load that file into Picture1 and set
/// the variable "drive" to `driveText`. Raises what writing or loading raises.
void DriveReportBeforePrint(TReport &report, const std::string &driveText, const TChartPaint &paint, QSize size);

/// The get-value step: for the name "drive" (exact, case-sensitive) `value` becomes `driveText`;
/// any other name leaves `value` untouched.
void DriveReportGetValue(const QString &varName, QVariant &value, const std::string &driveText);
