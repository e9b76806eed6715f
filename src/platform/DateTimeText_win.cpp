// SPDX-License-Identifier: GPL-3.0-or-later
#include "DateTimeText.h"

#include <windows.h>

#include <cmath>

double NowDateTime()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    // FILETIME counts 100 ns from 1601-01-01, which is day -109205 of the date-time count.
    return static_cast<double>(u.QuadPart) / 864000000000.0 - 109205.0;
}

std::string FormatShortDateLongTime(double dateTime)
{
    double ticks = std::floor((dateTime + 109205.0) * 86400.0 + 0.5) * 10000000.0;
    ULARGE_INTEGER u;
    u.QuadPart = static_cast<unsigned long long>(ticks);
    FILETIME ft{u.LowPart, u.HighPart};
    SYSTEMTIME st;
    FileTimeToSystemTime(&ft, &st);
    char date[80] = {}, time[80] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}
