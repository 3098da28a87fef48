#include "update/updater_command_line.h"
#include "core/text_rules.h"

namespace vantrel {
namespace {

std::wstring Quoted(const std::wstring& value) {
  std::wstring out = L"\"";
  for (wchar_t c : value)
    if (c != L'"') out += c;
  return out + L"\"";
}

}  // namespace

std::wstring BuildUpdaterCommandLine(uint32_t popupInterval, const std::wstring& launchSite,
                                     const std::wstring& updateUrl, const std::wstring& secondUrl,
                                     const std::wstring& fileName) {
  return DecimalText(popupInterval) + L" " + Quoted(launchSite) + L" " + Quoted(updateUrl) + L" " +
         Quoted(secondUrl) + L" " + Quoted(fileName);
}

}  // namespace vantrel
