// MS-DOS date and time as stored in Zip headers, and the conversions the
// archive reader and writer need: DOS <-> broken-down time, and Unix or
// NTFS (Windows FILETIME) times <-> broken-down UTC time. Portable.
#pragma once

#include <cstdint>

namespace zipcore {

// A calendar date and time without time zone. Fields use their natural
// ranges: year 1980 and up for DOS values, month 1-12, day 1-31,
// hour 0-23, minute 0-59, second 0-59.
struct DateTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool operator==(const DateTime& a, const DateTime& b);

// Splits DOS date and time words (local time, 2-second resolution). Out of
// range fields (month 0, day 0, hour 31) are clamped into their ranges so a
// damaged header still gives a usable date.
DateTime DosToDateTime(uint16_t dosDate, uint16_t dosTime);

// Packs a date into DOS words. Years before 1980 give 1980-01-01 00:00:00,
// years after 2107 give 2107-12-31 23:59:58; seconds are rounded down to
// even. Returns false when the date had to be clamped.
bool DateTimeToDos(const DateTime& dt, uint16_t& dosDate, uint16_t& dosTime);

// Seconds since 1970-01-01 00:00:00 UTC <-> broken-down UTC time.
DateTime UnixTimeToDateTime(int64_t unixSeconds);
int64_t DateTimeToUnixTime(const DateTime& dt);

// Windows FILETIME ticks (100 ns since 1601-01-01 UTC) <-> Unix seconds.
int64_t FileTimeToUnixTime(uint64_t fileTime);
uint64_t UnixTimeToFileTime(int64_t unixSeconds);

}  // namespace zipcore
