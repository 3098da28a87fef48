// The language table file: kept open for the run, read afresh for every
// window, decoded with the table's own code page.
#include "core/language_table.h"

#include <windows.h>

#include <string>

#include "core/app_state.h"

namespace vantrel {
namespace {

// A language table is some ten kilobytes; anything past this is not one.
constexpr DWORD kMaxTableBytes = 4u << 20;

std::string ReadWholeFile(HANDLE file) {
  std::string bytes;
  char chunk[16384];
  OVERLAPPED at{};  // positioned reads: the handle's own file pointer is never used
  while (bytes.size() < kMaxTableBytes) {
    at.Offset = static_cast<DWORD>(bytes.size());
    DWORD want = static_cast<DWORD>(sizeof chunk);
    if (kMaxTableBytes - bytes.size() < want) want = static_cast<DWORD>(kMaxTableBytes - bytes.size());
    DWORD got = 0;
    if (!::ReadFile(file, chunk, want, &got, &at) || got == 0) break;
    bytes.append(chunk, got);
  }
  return bytes;
}

// Decodes one line. Bytes the code page cannot read make the whole line a
// single U+FFFD, which the parser skips as damaged: a broken line must not
// turn into a plausible but wrong text.
void AppendDecodedLine(std::wstring& out, const char* bytes, int size, unsigned codePage) {
  if (size == 0) return;
  DWORD flags = MB_ERR_INVALID_CHARS;
  int n = ::MultiByteToWideChar(codePage, flags, bytes, size, nullptr, 0);
  if (n == 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;  // code pages that take no flags
    n = ::MultiByteToWideChar(codePage, flags, bytes, size, nullptr, 0);
  }
  if (n <= 0) {
    out.push_back(L'\xFFFD');
    return;
  }
  size_t start = out.size();
  out.resize(start + static_cast<size_t>(n));
  ::MultiByteToWideChar(codePage, flags, bytes, size, &out[start], n);
}

// CR and LF never occur inside a double-byte character of code page 949 (or
// of any ANSI code page), so the bytes can be split into lines first.
std::wstring DecodeTable(const std::string& bytes, unsigned codePage) {
  std::wstring text;
  text.reserve(bytes.size());
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    AppendDecodedLine(text, bytes.data() + pos, static_cast<int>(end - pos), codePage);
    if (end == bytes.size()) break;
    text.push_back(L'\n');
    pos = end + 1;
    if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return text;
}

std::unique_ptr<LanguageTable>& CurrentTableSlot() {
  static std::unique_ptr<LanguageTable> table;
  return table;
}

}  // namespace

LanguageTable::LanguageTable(std::wstring path, unsigned codePage, void* handle)
    : path_(std::move(path)), codePage_(codePage), handle_(handle) {}

LanguageTable::~LanguageTable() { ::CloseHandle(static_cast<HANDLE>(handle_)); }

std::unique_ptr<LanguageTable> LanguageTable::Open(const std::wstring& path, unsigned codePage) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::unique_ptr<LanguageTable>(new LanguageTable(path, codePage, file));
}

LanguageSection LanguageTable::Section(std::wstring_view name) const {
  std::wstring text = DecodeTable(ReadWholeFile(static_cast<HANDLE>(handle_)), codePage_);
  return LanguageSectionFromText(text, name);
}

LanguageSection ReadLanguageSection(std::wstring_view name) {
  const LanguageTable* table = CurrentLanguageTable();
  return table != nullptr ? table->Section(name) : LanguageSection();
}

LanguageTable* CurrentLanguageTable() { return CurrentTableSlot().get(); }

void SetCurrentLanguageTable(std::unique_ptr<LanguageTable> table) { CurrentTableSlot() = std::move(table); }

}  // namespace vantrel
