#include "DosTime.h"

#include <algorithm>

namespace zipcore {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// FILETIME ticks between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;
constexpr uint64_t kTicksPerSecond = 10000000ULL;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y += m <= 2;
}

}  // namespace

bool operator==(const DateTime& a, const DateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

DateTime DosToDateTime(uint16_t dosDate, uint16_t dosTime) {
    DateTime dt;
    dt.year = 1980 + (dosDate >> 9);
    dt.month = std::clamp((dosDate >> 5) & 0x0F, 1, 12);
    dt.day = std::max(dosDate & 0x1F, 1);
    dt.hour = std::min(dosTime >> 11, 23);
    dt.minute = std::min((dosTime >> 5) & 0x3F, 59);
    dt.second = std::min((dosTime & 0x1F) * 2, 58);
    return dt;
}

bool DateTimeToDos(const DateTime& dt, uint16_t& dosDate, uint16_t& dosTime) {
    if (dt.year < 1980) {
        dosDate = (1 << 5) | 1;
        dosTime = 0;
        return false;
    }
    if (dt.year > 2107) {
        dosDate = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
        dosTime = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
        return false;
    }
    dosDate = static_cast<uint16_t>(((dt.year - 1980) << 9) | (dt.month << 5) | dt.day);
    dosTime = static_cast<uint16_t>((dt.hour << 11) | (dt.minute << 5) | (dt.second / 2));
    return true;
}

DateTime UnixTimeToDateTime(int64_t unixSeconds) {
    int64_t days = unixSeconds / kSecondsPerDay;
    int64_t rest = unixSeconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    DateTime dt;
    int64_t year = 0;
    CivilFromDays(days, year, dt.month, dt.day);
    dt.year = static_cast<int>(year);
    dt.hour = static_cast<int>(rest / 3600);
    dt.minute = static_cast<int>((rest / 60) % 60);
    dt.second = static_cast<int>(rest % 60);
    return dt;
}

int64_t DateTimeToUnixTime(const DateTime& dt) {
    return DaysFromCivil(dt.year, dt.month, dt.day) * kSecondsPerDay + dt.hour * 3600 + dt.minute * 60 + dt.second;
}

int64_t FileTimeToUnixTime(uint64_t fileTime) {
    return (static_cast<int64_t>(fileTime / kTicksPerSecond)) -
           static_cast<int64_t>(kFileTimeUnixEpoch / kTicksPerSecond);
}

uint64_t UnixTimeToFileTime(int64_t unixSeconds) {
    return static_cast<uint64_t>(unixSeconds) * kTicksPerSecond + kFileTimeUnixEpoch;
}

}  // namespace zipcore
