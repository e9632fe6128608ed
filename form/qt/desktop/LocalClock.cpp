// SPDX-License-Identifier: MIT
#include "desktop/LocalClock.h"

#include <QDateTime>
#include <time.h>

namespace orbelle::formqt {

form::LocalTime LocalClock::now()
{
    return at(std::time(nullptr));
}

form::LocalTime LocalClock::at(std::time_t seconds)
{
    form::LocalTime lt;
#if defined(Q_OS_UNIX)
    const std::time_t minute = seconds / 60 - (seconds % 60 < 0);
    if (minute != zoneMinute_) {
        zoneMinute_ = minute;
        ::tzset();
    }
    // localtime_r, unlike localtime, takes the zone as tzset last read it.
    std::tm t{};
    if (::localtime_r(&seconds, &t)) {
        lt.year = t.tm_year + 1900;
        lt.month = t.tm_mon + 1;
        lt.day = t.tm_mday;
        lt.hour = t.tm_hour;
        lt.minute = t.tm_min;
        // A leap second reads as the second before it.
        lt.second = t.tm_sec > 59 ? 59 : t.tm_sec;
        return lt;
    }
#endif
    const QDateTime d = QDateTime::fromSecsSinceEpoch(qint64(seconds));
    lt.year = d.date().year();
    lt.month = d.date().month();
    lt.day = d.date().day();
    lt.hour = d.time().hour();
    lt.minute = d.time().minute();
    lt.second = d.time().second();
    return lt;
}

} // namespace orbelle::formqt
