// The task list text of Schedlet.dll from any task name and definition: the
// record keeps its separators and sizes, and the writer never leaves the
// caller's buffer (a heap block of exactly its size, watched by ASan).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "schedlet/task_list_text.h"

using namespace vantrel::schedlet;

namespace {

// One byte for ASCII, two for anything else, as a double-byte code page
// gives (lead byte 0x81-0xFE, trail byte 0xA1-0xFE: never a separator byte).
std::string ToDoubleByteAnsi(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0x81 + (c >> 8) % 0x7E));
      out.push_back(static_cast<char>(0xA1 + (c & 0xFF) % 0x5E));
    }
  }
  return out;
}

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != text.npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  // Bytes 0-1: the buffer's capacity; 2-3: where the name ends and the
  // definition begins; the rest: UTF-16 text.
  const size_t capacity = data[0] | (data[1] << 8);
  // No U+0000: XML cannot hold it and a task name is a file name.
  std::wstring text = vantrel::fuzz::Utf16Units(data + 4, size - 4);
  std::replace(text.begin(), text.end(), L'\0', L' ');
  const size_t split = std::min<size_t>(data[2] | (data[3] << 8), text.size());
  const std::wstring_view name = std::wstring_view(text).substr(0, split);
  const std::wstring_view xml = std::wstring_view(text).substr(split);

  for (FieldPlace place : {FieldPlace::kBeforeFieldSeparator, FieldPlace::kLast}) {
    const std::wstring safe = MakeSeparatorSafe(xml, place);
    FUZZ_CHECK(!Contains(safe, L"||") && !Contains(safe, L";;"));
    FUZZ_CHECK(safe.size() >= xml.size());
    if (!safe.empty()) FUZZ_CHECK(safe.back() != (place == FieldPlace::kLast ? L';' : L'|'));
    const std::string field = EncodeField(xml, place, kFieldLimit, ToDoubleByteAnsi);
    FUZZ_CHECK(field.size() <= kFieldLimit);
  }

  if (auto exec = FindFirstExec(xml)) {
    FUZZ_CHECK(exec->command.data() >= xml.data() && exec->command.data() + exec->command.size() <= xml.data() + xml.size());
  }

  const std::optional<std::string> record = FormatTaskRecord(name, xml, ToDoubleByteAnsi);
  if (record) {
    FUZZ_CHECK(IsWritableName(name));
    FUZZ_CHECK(record->size() <= kRecordLimit);
    FUZZ_CHECK(record->find(kRecordSeparator) == std::string::npos);
    // The main program takes the name up to the first "||" and hands it back.
    const std::string encodedName = ToDoubleByteAnsi(name);
    FUZZ_CHECK(record->compare(0, encodedName.size() + 2, encodedName + "||") == 0);
  }

  auto buffer = std::make_unique<char[]>(capacity);
  TaskListWriter writer(capacity ? buffer.get() : nullptr, capacity);
  for (int i = 0; i < 3; ++i) {
    const size_t before = writer.length();
    const bool added = writer.Append(record ? *record : ToDoubleByteAnsi(name));
    if (capacity) {
      FUZZ_CHECK(writer.length() < capacity && std::strlen(buffer.get()) == writer.length());
      if (!added) FUZZ_CHECK(writer.length() == before);
    }
  }
  writer.SetMessage(StatusMessage(kMsgTasksFailed, static_cast<uint32_t>(size * 2654435761u)));
  if (capacity) FUZZ_CHECK(writer.length() < capacity && std::strlen(buffer.get()) == writer.length());
  return 0;
}
