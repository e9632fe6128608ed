// SPDX-License-Identifier: MIT
// The clock's local time: the fields of a moment in a zone, and a change of
// zone taking effect when the next minute starts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <time.h>

#include "desktop/LocalClock.h"

namespace orbelle::formqt::testing {
namespace {

// Sets TZ for the test's length and puts back what was there.
class ZoneScope {
public:
    ZoneScope()
    {
        if (const char *was = std::getenv("TZ"))
            was_ = was;
    }
    ~ZoneScope()
    {
        if (was_)
            setenv("TZ", was_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    void set(const char *zone) { setenv("TZ", zone, 1); }

private:
    std::optional<std::string> was_;
};

TEST(LocalClockTest, MomentReadsAsTheZonesDateAndTime)
{
    const struct {
        const char *zone;
        std::time_t at;
        form::LocalTime want;
    } rows[] = {
        {"UTC0", 1700000000, {2023, 11, 14, 22, 13, 20}},
        {"JST-9", 1700000000, {2023, 11, 15, 7, 13, 20}},
        // Standard time in November, summer time in July.
        {"EST5EDT,M3.2.0,M11.1.0", 1700000000, {2023, 11, 14, 17, 13, 20}},
        {"EST5EDT,M3.2.0,M11.1.0", 1690000000, {2023, 7, 22, 0, 26, 40}},
        {"JST-9", 946652399, {1999, 12, 31, 23, 59, 59}},
        {"JST-9", 946652400, {2000, 1, 1, 0, 0, 0}},
    };
    ZoneScope scope;
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.zone) + " " + std::to_string(row.at));
        scope.set(row.zone);
        LocalClock clock;
        const form::LocalTime t = clock.at(row.at);
        EXPECT_EQ(t.year, row.want.year);
        EXPECT_EQ(t.month, row.want.month);
        EXPECT_EQ(t.day, row.want.day);
        EXPECT_EQ(t.hour, row.want.hour);
        EXPECT_EQ(t.minute, row.want.minute);
        EXPECT_EQ(t.second, row.want.second);
    }
}

TEST(LocalClockTest, ChangeOfZoneShowsFromTheNextMinute)
{
    ZoneScope scope;
    scope.set("UTC0");
    LocalClock clock;
    const std::time_t t = 1700000000; // 22:13:20 UTC
    EXPECT_EQ(clock.at(t).hour, 22);
    scope.set("JST-9");
    // Within the same minute the zone read at its start still holds.
    EXPECT_EQ(clock.at(t + 39).hour, 22);
    EXPECT_EQ(clock.at(t + 39).second, 59);
    // 22:14:00 UTC is 07:14 in Japan.
    const form::LocalTime next = clock.at(t + 40);
    EXPECT_EQ(next.hour, 7);
    EXPECT_EQ(next.minute, 14);
    EXPECT_EQ(next.day, 15);
}

} // namespace
} // namespace orbelle::formqt::testing
