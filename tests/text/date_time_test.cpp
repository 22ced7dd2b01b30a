#include "text/date_time.h"

#include <gtest/gtest.h>

#include <array>

namespace zelvor {
namespace {

// 2017-05-05 19:20:37 as an automation date.
constexpr double kEvening = 42860.0 + (19 * 3600 + 20 * 60 + 37) / 86400.0;

struct GroupCase {
    DateTimeGroup group;
    std::array<const char*, 4> twentyFourHour;
    std::array<const char*, 4> twelveHour;
};

TEST(FormatDateTimeTest, EveryGroupAndStyle) {
    const GroupCase cases[] = {
        {DateTimeGroup::YearMonthDay,
         {"2017年05月05日 ", "2017-05-05 ", "2017/05/05 ", "20170505"},
         {"2017年05月05日 ", "2017-05-05 ", "2017/05/05 ", "20170505"}},
        {DateTimeGroup::HourMinuteSecond,
         {"19时20分37秒", "19:20:37", "19/20/37", "192037"},
         {"07时20分37秒", "07:20:37", "07/20/37", "072037"}},
        {DateTimeGroup::MonthDay,
         {"05月05日", "05-05", "05/05", "0505"},
         {"05月05日", "05-05", "05/05", "0505"}},
        {DateTimeGroup::HourMinute,
         {"19时20分", "19:20", "19/20", "1920"},
         {"07时20分", "07:20", "07/20", "0720"}},
        {DateTimeGroup::MinuteSecond,
         {"20分37秒", "20:37", "20/37", "2037"},
         {"20分37秒", "20:37", "20/37", "2037"}},
    };
    for (const GroupCase& c : cases) {
        for (int style = 1; style <= 4; ++style) {
            auto i = static_cast<size_t>(style - 1);
            EXPECT_EQ(FormatDateTime(kEvening, c.group, style, true), c.twentyFourHour[i]);
            EXPECT_EQ(FormatDateTime(kEvening, c.group, style, false), c.twelveHour[i]);
        }
    }
}

TEST(FormatDateTimeTest, EdgesOfTheDayAndTheRange) {
    auto hms = [](double v, bool h24) {
        return FormatDateTime(v, DateTimeGroup::HourMinuteSecond, 2, h24);
    };
    auto ymd = [](double v) { return FormatDateTime(v, DateTimeGroup::YearMonthDay, 2, true); };
    EXPECT_EQ(hms(42860.0, false), "12:00:00");
    EXPECT_EQ(hms(42860.5, false), "12:00:00");
    EXPECT_EQ(hms(42860.5, true), "12:00:00");
    EXPECT_EQ(hms(42860.0, true), "00:00:00");
    // A fraction that rounds to the next midnight moves the date on.
    EXPECT_EQ(ymd(42860.999999999), "2017-05-06 ");
    EXPECT_EQ(hms(42860.999999999, true), "00:00:00");
    // Before day 0 the fraction still counts forward from midnight.
    EXPECT_EQ(ymd(-1.25), "1899-12-29 ");
    EXPECT_EQ(hms(-1.25, true), "06:00:00");
    EXPECT_EQ(ymd(0.0), "1899-12-30 ");
    EXPECT_EQ(ymd(2958465.0), "9999-12-31 ");
    EXPECT_EQ(ymd(2958466.0), "");
    EXPECT_EQ(ymd(-657435.0), "");
    EXPECT_EQ(FormatDateTime(kEvening, DateTimeGroup::YearMonthDay, 0, true), "");
    EXPECT_EQ(FormatDateTime(kEvening, DateTimeGroup::YearMonthDay, 5, true), "");
}

TEST(FormatDateTimeTest, LocalTimeBecomesTheSameWallClock) {
    std::tm local{};
    local.tm_year = 2017 - 1900;
    local.tm_mon = 4;
    local.tm_mday = 5;
    local.tm_hour = 19;
    local.tm_min = 20;
    local.tm_sec = 37;
    local.tm_isdst = -1;
    auto t = std::chrono::system_clock::from_time_t(std::mktime(&local));
    double oa = OaDateFromLocalTime(t);
    EXPECT_EQ(FormatDateTime(oa, DateTimeGroup::YearMonthDay, 1, true) +
                  FormatDateTime(oa, DateTimeGroup::HourMinuteSecond, 1, true),
              "2017年05月05日 19时20分37秒");
}

}  // namespace
}  // namespace zelvor
