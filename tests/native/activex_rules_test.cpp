#include "activex/activex_rules.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vantrel::activex;

namespace {

constexpr uint64_t kTicksPerSecond = 10000000ULL;
constexpr uint64_t Day(uint64_t daysFrom1601) { return daysFrom1601 * kTicksPerDay; }
constexpr uint64_t Clock(int h, int m, int s) { return ((h * 60ULL + m) * 60ULL + s) * kTicksPerSecond; }

}  // namespace

TEST(ActiveXDate, StampsFromLocalTicks) {
  struct Case {
    uint64_t ticks;
    int year, month, day, hour, minute, second, ms;
    bool midnight;
  };
  const Case cases[] = {
      {0, 1601, 1, 1, 0, 0, 0, 0, true},
      {Day(155572), 2026, 12, 11, 0, 0, 0, 0, true},
      // one tick after midnight is not midnight, though every shown field is 0
      {Day(155572) + 1, 2026, 12, 11, 0, 0, 0, 0, false},
      {Day(155572) + Clock(0, 0, 1), 2026, 12, 11, 0, 0, 1, 0, false},
      // the last tick of a day stays on that day
      {Day(155573) - 1, 2026, 12, 11, 23, 59, 59, 999, false},
      {Day(154556) + Clock(13, 5, 9) + 1230000, 2024, 2, 29, 13, 5, 9, 123, false},
      {Day(109205), 1899, 12, 30, 0, 0, 0, 0, true},
      {Day(3067670) + Clock(23, 59, 59), 9999, 12, 31, 23, 59, 59, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ticks);
    const auto stamp = StampFromLocalTicks(c.ticks);
    ASSERT_TRUE(stamp.has_value());
    EXPECT_EQ(stamp->when.year, c.year);
    EXPECT_EQ(stamp->when.month, c.month);
    EXPECT_EQ(stamp->when.day, c.day);
    EXPECT_EQ(stamp->when.hour, c.hour);
    EXPECT_EQ(stamp->when.minute, c.minute);
    EXPECT_EQ(stamp->when.second, c.second);
    EXPECT_EQ(stamp->when.millisecond, c.ms);
    EXPECT_EQ(stamp->midnight, c.midnight);
  }
}

TEST(ActiveXDate, DateValueCountsDaysFrom30December1899) {
  EXPECT_DOUBLE_EQ(StampFromLocalTicks(Day(109205))->dateValue, 0.0);
  EXPECT_DOUBLE_EQ(StampFromLocalTicks(Day(109207) + Clock(12, 0, 0))->dateValue, 2.5);
  EXPECT_DOUBLE_EQ(StampFromLocalTicks(0)->dateValue, -109205.0);
  EXPECT_DOUBLE_EQ(StampFromLocalTicks(Day(155572))->dateValue, 46367.0);
}

TEST(ActiveXDate, DatesBeyondTheYear9999CannotBeShown) {
  EXPECT_FALSE(StampFromLocalTicks(Day(3067671)).has_value());  // 10000-01-01
  EXPECT_FALSE(StampFromLocalTicks(std::numeric_limits<uint64_t>::max()).has_value());
  EXPECT_FALSE(StampFromLocalTicks(0x8000000000000000ULL).has_value());
}

TEST(ActiveXDate, TheTimeIsLeftOutOnlyAtMidnight) {
  EXPECT_EQ(JoinDateAndTime(L"2026-12-11", L"00:00:00", true), L"2026-12-11");
  EXPECT_EQ(JoinDateAndTime(L"2026-12-11", L"00:00:00", false), L"2026-12-11 00:00:00");
  EXPECT_EQ(JoinDateAndTime(L"2026-12-11", L"", false), L"2026-12-11");
  CivilDateTime when{2024, 2, 9, 7, 5, 3, 999};
  EXPECT_EQ(IsoDateText(when), L"2024-02-09");
  EXPECT_EQ(IsoTimeText(when), L"07:05:03");
}

TEST(ActiveXNames, OnlyOnePlainKeyNameIsDeletable) {
  EXPECT_TRUE(IsPlainKeyName(L"{8AD9C840-044E-11D1-B3E9-00805F499D93}"));
  EXPECT_TRUE(IsPlainKeyName(L"not a clsid"));
  EXPECT_FALSE(IsPlainKeyName(L""));
  EXPECT_FALSE(IsPlainKeyName(L"\\"));
  EXPECT_FALSE(IsPlainKeyName(L"{id}\\InprocServer32"));
  EXPECT_FALSE(IsPlainKeyName(L"\\{id}"));
}

TEST(ActiveXNames, UnregisterCommandLine) {
  EXPECT_EQ(UnregisterCommandLine(L"C:\\Windows\\system32", L"C:\\Windows\\Downloaded Program Files\\x.ocx"),
            L"\"C:\\Windows\\system32\\regsvr32.exe\" /u /s \"C:\\Windows\\Downloaded Program Files\\x.ocx\"");
  EXPECT_EQ(UnregisterCommandLine(L"C:\\Windows\\system32\\", L"C:\\a.dll"),
            L"\"C:\\Windows\\system32\\regsvr32.exe\" /u /s \"C:\\a.dll\"");
  EXPECT_EQ(UnregisterCommandLine(L"", L"C:\\a.dll"), L"");
  EXPECT_EQ(UnregisterCommandLine(L"C:\\Windows\\system32", L"C:\\a\" /i \"b.dll"), L"");
}
