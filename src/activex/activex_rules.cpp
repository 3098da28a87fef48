#include "activex/activex_rules.h"

#include "core/text_rules.h"

namespace vantrel::activex {
namespace {

// The civil date of a day counted from 1970-01-01 (proleptic Gregorian).
void CivilFromDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kDaysFrom1601To1970 = 134774;

// a, b and c zero-padded to their widths and joined by `separator`.
std::wstring Digits(int a, int aWidth, wchar_t separator, int b, int c) {
  return DecimalText(a, aWidth) + separator + DecimalText(b, 2) + separator + DecimalText(c, 2);
}

}  // namespace

std::optional<CreatedStamp> StampFromLocalTicks(uint64_t ticks) {
  const uint64_t days = ticks / kTicksPerDay;
  const uint64_t rest = ticks % kTicksPerDay;
  CreatedStamp stamp;
  CivilFromDays(static_cast<int64_t>(days) - kDaysFrom1601To1970, &stamp.when.year, &stamp.when.month,
                &stamp.when.day);
  if (stamp.when.year > 9999) return std::nullopt;
  const uint64_t ms = rest / 10000;
  stamp.when.hour = static_cast<int>(ms / 3600000);
  stamp.when.minute = static_cast<int>(ms / 60000 % 60);
  stamp.when.second = static_cast<int>(ms / 1000 % 60);
  stamp.when.millisecond = static_cast<int>(ms % 1000);
  stamp.midnight = rest == 0;
  stamp.dateValue = static_cast<double>(static_cast<int64_t>(days) - kDaysFrom1601To1899) +
                    static_cast<double>(rest) / static_cast<double>(kTicksPerDay);
  return stamp;
}

std::wstring JoinDateAndTime(const std::wstring& date, const std::wstring& time, bool midnight) {
  if (midnight || time.empty()) return date;
  return date + L" " + time;
}

std::wstring IsoDateText(const CivilDateTime& when) {
  return Digits(when.year, 4, L'-', when.month, when.day);
}

std::wstring IsoTimeText(const CivilDateTime& when) {
  return Digits(when.hour, 2, L':', when.minute, when.second);
}

bool IsPlainKeyName(std::wstring_view name) {
  return !name.empty() && name.find(L'\\') == std::wstring_view::npos;
}

std::wstring UnregisterCommandLine(std::wstring_view systemFolder, std::wstring_view server) {
  if (systemFolder.empty() || server.find(L'"') != std::wstring_view::npos ||
      systemFolder.find(L'"') != std::wstring_view::npos)
    return {};
  std::wstring folder(systemFolder);
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.empty()) return {};
  return L"\"" + folder + L"\\regsvr32.exe\" /u /s \"" + std::wstring(server) + L"\"";
}

}  // namespace vantrel::activex
