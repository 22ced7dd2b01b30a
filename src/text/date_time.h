#pragma once

#include <chrono>
#include <string>

namespace zelvor {

// The five groups of picture patterns, each offered in four styles (1 to 4): Chinese date and
// time characters, "-" or ":", "/", and no separator.
enum class DateTimeGroup { YearMonthDay, HourMinuteSecond, MonthDay, HourMinute, MinuteSecond };

// An automation date: days since 1899-12-30 with the time as a fraction of a day (the fraction
// counts forward from midnight even before 1899-12-30, where the day part is negative).
double OaDateFromLocalTime(std::chrono::system_clock::time_point t);

// Formats with the group's picture in the given style; a 24-hour clock shows "HH" where the
// picture has "hh". Returns "" for a style outside 1..4 or a date outside years 100..9999.
std::string FormatDateTime(double oaDate, DateTimeGroup group, int style, bool hour24);

}  // namespace zelvor
