#pragma once

// Times are day counts (days since 1899-12-30, the fraction the time of
// day), and durations differences of them. These are the units a duration
// is turned into or out of days with.
inline constexpr double HoursPerDay = 24.0;
inline constexpr double MinutesPerDay = 1440.0;
inline constexpr double SecondsPerDay = 86400.0;
inline constexpr double MsPerDay = 86400000.0;
inline constexpr long long WholeMsPerDay = 86400000LL;
inline constexpr double NsPerDay = 86400.0e9;

// One second, in days.
inline constexpr double OneSecondInDays = 1.0 / SecondsPerDay;

constexpr double DaysFromSeconds(double seconds)
{
    return seconds / SecondsPerDay;
}
constexpr double DaysFromMs(double ms)
{
    return ms / MsPerDay;
}
constexpr double DaysFromMinutes(double minutes)
{
    return minutes / MinutesPerDay;
}
constexpr double SecondsFromDays(double days)
{
    return days * SecondsPerDay;
}
constexpr double MsFromDays(double days)
{
    return days * MsPerDay;
}
constexpr double MinutesFromDays(double days)
{
    return days * MinutesPerDay;
}
