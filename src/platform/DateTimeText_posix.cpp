// SPDX-License-Identifier: GPL-3.0-or-later
#include "DateTimeText.h"

#include <cmath>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

// Date-time numbers count days from 1899-12-30; the Unix epoch is day 25569.
static constexpr double UnixEpochDays = 25569.0;

double NowDateTime()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    // The local wall-clock time, counted as if it were UTC, gives the local date-time number.
    double seconds = static_cast<double>(timegm(&local)) + now.tv_nsec / 1e9;
    return UnixEpochDays + seconds / 86400.0;
}

std::string FormatShortDateLongTime(double dateTime)
{
    double seconds = std::floor((dateTime - UnixEpochDays) * 86400.0 + 0.5);
    time_t t = static_cast<time_t>(seconds);
    tm local{};
    gmtime_r(&t, &local);
    // The user's formats come from the environment's LC_TIME, whatever the process locale is.
    locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (!user)
        user = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    std::string format = std::string(nl_langinfo_l(D_FMT, user)) + " " + nl_langinfo_l(T_FMT, user);
    char buffer[128];
    size_t n = strftime_l(buffer, sizeof buffer, format.c_str(), &local, user);
    freelocale(user);
    return std::string(buffer, n);
}
