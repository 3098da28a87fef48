#include "tweak/tweak_rules.h"

#include "core/text_rules.h"

namespace vantrel {
namespace {

// The stored bytes as UTF-16 characters; an odd last byte is dropped.
std::wstring Utf16(const uint8_t* data, size_t size) {
  std::wstring text(size / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
  return text;
}

}  // namespace

std::wstring FormatInterfaceId(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t (&data4)[8]) {
  std::wstring text = L"{" + HexText(data1, 8) + L"-" + HexText(data2, 4) + L"-" + HexText(data3, 4) + L"-";
  for (int i = 0; i < 8; ++i) {
    if (i == 2) text += L'-';
    text += HexText(data4[i], 2);
  }
  return text + L"}";
}

std::vector<std::wstring> InterfaceAddresses(uint32_t type, const uint8_t* data, size_t size) {
  std::vector<std::wstring> addresses;
  if (data == nullptr) size = 0;
  if (type == kValueText || type == kValueExpandText || type == kValueMultiText) {
    std::wstring text = Utf16(data, size);
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find(L'\0', pos);
      if (end == std::wstring::npos) end = text.size();
      if (end == pos) break;  // an empty text ends a list
      addresses.push_back(text.substr(pos, end - pos));
      if (type != kValueMultiText) break;
      pos = end + 1;
    }
    return addresses;
  }
  if (size > kRawAddressBytes) return addresses;
  std::wstring text;
  for (size_t i = 0; i < size && data[i] != 0; ++i) text.push_back(static_cast<wchar_t>(data[i]));
  if (!text.empty()) addresses.push_back(text);
  return addresses;
}

}  // namespace vantrel
