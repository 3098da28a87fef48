#include "tweak/tweak_rules.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantrel;
using namespace std::string_view_literals;
using Texts = std::vector<std::wstring>;

namespace {

// Text as the registry stores it: UTF-16 little-endian bytes.
std::string Stored(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

Texts Addresses(uint32_t type, const std::string& bytes) {
  return InterfaceAddresses(type, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(InterfaceId, FormatsGuidFieldsInUpperCase) {
  const uint8_t tail[8] = {0xB1, 0xD0, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0e};
  EXPECT_EQ(FormatInterfaceId(0xba126ad1, 0x2166, 0x11d1, tail), L"{BA126AD1-2166-11D1-B1D0-00805FC1270E}");
  const uint8_t zeros[8] = {};
  EXPECT_EQ(FormatInterfaceId(0x1, 0x2, 0xa, zeros), L"{00000001-0002-000A-0000-000000000000}");
  const uint8_t ones[8] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
  EXPECT_EQ(FormatInterfaceId(0xffffffff, 0xffff, 0xffff, ones), L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}");
}

TEST(InterfaceAddresses, EveryStoredShape) {
  const uint32_t kBinary = 3, kDword = 4;
  struct Case {
    const char* what;
    uint32_t type;
    std::string bytes;
    Texts addresses;
  } cases[] = {
      {"text", kValueText, Stored(u"10.0.0.5"sv) + std::string(2, '\0'), {L"10.0.0.5"}},
      {"text without terminator", kValueText, Stored(u"10.0.0.5"sv), {L"10.0.0.5"}},
      {"text with an odd byte", kValueText, Stored(u"10.0.0.5"sv) + "x", {L"10.0.0.5"}},
      {"text cut at its zero", kValueExpandText, Stored(u"10.0.0.5\0junk"sv), {L"10.0.0.5"}},
      {"empty text", kValueText, Stored(u"\0"sv), {}},
      {"no bytes", kValueText, "", {}},
      {"one odd byte", kValueMultiText, "1", {}},
      {"fixed list", kValueMultiText, Stored(u"192.168.1.20\0" u"10.1.1.1\0\0"sv), {L"192.168.1.20", L"10.1.1.1"}},
      {"list without terminator", kValueMultiText, Stored(u"192.168.1.20\0" u"10.1.1.1"sv), {L"192.168.1.20", L"10.1.1.1"}},
      {"list ends at an empty text", kValueMultiText, Stored(u"1.1.1.1\0\0" u"2.2.2.2\0\0"sv), {L"1.1.1.1"}},
      {"raw ASCII bytes", kBinary, std::string("10.0.0.5\0\0", 10), {L"10.0.0.5"}},
      {"raw, 20 bytes, no zero", kBinary, std::string("123.123.123.123xxxxx"), {L"123.123.123.123xxxxx"}},
      {"raw, longer than 20 bytes", kBinary, std::string("123.123.123.123\0\0\0\0\0\0", 21), {}},
      {"raw zero first", kBinary, std::string("\0" "1.2.3.4", 8), {}},
      {"a number", kDword, std::string("\x7f\0\0\x01", 4), {L"\x7f"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Addresses(c.type, c.bytes), c.addresses) << c.what;
  EXPECT_TRUE(InterfaceAddresses(kValueText, nullptr, 8).empty());
}
