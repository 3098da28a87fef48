#pragma once
// Rules of the ActiveX cleaner that need no Windows: the created-date value
// of a control file (from its local file time), the midnight rule of the
// date column, the text used when the user's formats cannot be had, the
// names a removal may delete and the unregistering command line.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::activex {

// 100-nanosecond ticks in one day, and the days from 1 January 1601 (where
// file times start) to 30 December 1899 (where date-time values start).
inline constexpr uint64_t kTicksPerDay = 864000000000ULL;
inline constexpr int64_t kDaysFrom1601To1899 = 109205;

// A calendar date and a time of day.
struct CivilDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct CreatedStamp {
  CivilDateTime when;
  // The time of day is exactly 0:00:00.0000000: the column shows the date only.
  bool midnight = false;
  // Days counted from 30 December 1899, the fraction being the time of day.
  double dateValue = 0;
};

// A local file time (ticks from 1601-01-01 00:00) as a date and time. The
// day and the time of day come from whole ticks, so that only a time of
// exactly midnight counts as midnight. Nothing for a date after the year 9999,
// which no date format can show.
std::optional<CreatedStamp> StampFromLocalTicks(uint64_t ticks);

// The column text: the date, then a space and the time unless it is midnight.
std::wstring JoinDateAndTime(const std::wstring& date, const std::wstring& time, bool midnight);

// The stand-ins when the user's formats give nothing: "2026-12-11", "14:05:09".
std::wstring IsoDateText(const CivilDateTime& when);
std::wstring IsoTimeText(const CivilDateTime& when);

// A registry key name that names one key directly below another: not empty
// and without a backslash. Anything else would reach beyond the key of that
// name (an empty name is the parent key itself).
bool IsPlainKeyName(std::wstring_view name);

// The command line that unregisters an in-process server quietly:
// "<systemFolder>\regsvr32.exe" /u /s "<server>". Empty when the system
// folder is not known or the server path cannot be quoted (it holds a
// double quote).
std::wstring UnregisterCommandLine(std::wstring_view systemFolder, std::wstring_view server);

}  // namespace vantrel::activex
