// SPDX-License-Identifier: GPL-3.0-or-later
// DateTimeText: the current local date-time as the system counts it (days since 1899-12-30, the
// time of day as the fraction) and its text in the user's short date and long time format.
#pragma once

#include <string>

/// The current local date and time as a date-time number.
double NowDateTime();

/// `dateTime` as the user's short date, a blank and the user's long time (the locale the
/// environment names; with a German one "23.08.2005 16:01:26").
std::string FormatShortDateLongTime(double dateTime);
