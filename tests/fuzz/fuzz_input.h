#pragma once
// Turns fuzzer bytes into the texts the parsers see on Windows: UTF-16 code
// units (two bytes each, little-endian), so lone surrogates, U+FFFD and any
// control character come up as they can in a decoded file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantrel::fuzz {

inline std::wstring Utf16Units(const uint8_t* data, size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  return text;
}

// A broken property is a finding like a crash: report it and stop.
#define FUZZ_CHECK(condition)                                                   \
  do {                                                                          \
    if (!(condition)) {                                                         \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                                 \
      std::abort();                                                             \
    }                                                                           \
  } while (0)

}  // namespace vantrel::fuzz
