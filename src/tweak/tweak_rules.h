#pragma once
// Text rules of the tweak engine: how a connection's GUID becomes the name of
// its interface key, and which addresses an interface's stored address
// value holds. Pure: no Windows headers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, from the GUID's
// 32-bit field, its two 16-bit fields and its eight bytes.
std::wstring FormatInterfaceId(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t (&data4)[8]);

// Registry value types, as the registry numbers them.
inline constexpr uint32_t kValueText = 1;          // REG_SZ
inline constexpr uint32_t kValueExpandText = 2;    // REG_EXPAND_SZ
inline constexpr uint32_t kValueMultiText = 7;     // REG_MULTI_SZ

// At most this many bytes of an address value that is not stored as text
// are read; a longer one holds no address.
inline constexpr size_t kRawAddressBytes = 20;

// The addresses that a "DhcpIPAddress" or "IPAddress" value holds, from its
// type and stored bytes (UTF-16 for the text types):
// - a text: the text up to its first zero character;
// - a list of texts: every text of the list, up to the empty text that
//   ends it (a fixed configuration may carry several addresses);
// - any other type: the bytes before the first zero byte, each taken as one
//   character, when the value holds at most 20 bytes; none otherwise.
// An odd trailing byte of a text is ignored, a missing terminator tolerated.
// Empty texts are dropped: an empty address never matches.
std::vector<std::wstring> InterfaceAddresses(uint32_t type, const uint8_t* data, size_t size);

}  // namespace vantrel
