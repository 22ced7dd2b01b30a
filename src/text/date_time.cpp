#include "date_time.h"

#include <array>
#include <cmath>
#include <ctime>
#include <string_view>

namespace zelvor {

namespace {

constexpr std::array<std::array<std::string_view, 4>, 5> kPictures{{
    {"yyyy年MM月dd日 ", "yyyy-MM-dd ", "yyyy/MM/dd ", "yyyyMMdd"},
    {"hh时mm分ss秒", "hh:mm:ss", "hh/mm/ss", "hhmmss"},
    {"MM月dd日", "MM-dd", "MM/dd", "MMdd"},
    {"hh时mm分", "hh:mm", "hh/mm", "hhmm"},
    {"mm分ss秒", "mm:ss", "mm/ss", "mmss"},
}};

// Day 0 of the automation date, as days since 1970-01-01.
constexpr long long kOaEpochInUnixDays = -25569;
constexpr double kMinOaDate = -657434.0;  // 0100-01-01
constexpr double kMaxOaDate = 2958466.0;  // 10000-01-01, exclusive

struct Fields {
    long long year;
    int month, day, hour, minute, second;
};

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(long long z, Fields& f) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    f.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    f.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    f.year = yoe + era * 400 + (f.month <= 2 ? 1 : 0);
}

long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Fields FieldsFromOaDate(double value) {
    double whole = std::trunc(value);
    long long day = static_cast<long long>(whole);
    auto seconds = static_cast<long long>(std::llround(std::fabs(value - whole) * 86400.0));
    if (seconds >= 86400) {
        // Rounding reached the next midnight, which lies further from day 0 on either side.
        seconds -= 86400;
        day += value < 0 ? -1 : 1;
    }
    Fields f{};
    CivilFromDays(day + kOaEpochInUnixDays, f);
    f.hour = static_cast<int>(seconds / 3600);
    f.minute = static_cast<int>(seconds / 60 % 60);
    f.second = static_cast<int>(seconds % 60);
    return f;
}

void AppendTwoDigits(std::string& out, int n) {
    out += static_cast<char>('0' + n / 10 % 10);
    out += static_cast<char>('0' + n % 10);
}

}  // namespace

double OaDateFromLocalTime(std::chrono::system_clock::time_point t) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    localtime_r(&seconds, &local);
    long long days =
        DaysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday) - kOaEpochInUnixDays;
    double fraction = (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) / 86400.0;
    return static_cast<double>(days) + (days < 0 ? -fraction : fraction);
}

std::string FormatDateTime(double oaDate, DateTimeGroup group, int style, bool hour24) {
    if (style < 1 || style > 4 || !(oaDate > kMinOaDate - 1 && oaDate < kMaxOaDate)) {
        return {};
    }
    Fields f = FieldsFromOaDate(oaDate);
    if (f.year < 100 || f.year > 9999) {
        return {};
    }
    std::string_view picture =
        kPictures[static_cast<size_t>(group)][static_cast<size_t>(style - 1)];
    std::string out;
    for (size_t i = 0; i < picture.size();) {
        std::string_view rest = picture.substr(i);
        if (rest.starts_with("yyyy")) {
            AppendTwoDigits(out, static_cast<int>(f.year / 100));
            AppendTwoDigits(out, static_cast<int>(f.year % 100));
            i += 4;
        } else if (rest.starts_with("MM")) {
            AppendTwoDigits(out, f.month);
            i += 2;
        } else if (rest.starts_with("dd")) {
            AppendTwoDigits(out, f.day);
            i += 2;
        } else if (rest.starts_with("hh")) {
            int twelve = f.hour % 12 == 0 ? 12 : f.hour % 12;
            AppendTwoDigits(out, hour24 ? f.hour : twelve);
            i += 2;
        } else if (rest.starts_with("mm")) {
            AppendTwoDigits(out, f.minute);
            i += 2;
        } else if (rest.starts_with("ss")) {
            AppendTwoDigits(out, f.second);
            i += 2;
        } else {
            out += picture[i];
            ++i;
        }
    }
    return out;
}

}  // namespace zelvor
