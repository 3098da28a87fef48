#include "schedlet/task_list_text.h"

#include <algorithm>
#include <cstring>

namespace vantrel::schedlet {
namespace {

bool IsSeparatorChar(wchar_t c) { return c == L'|' || c == L';'; }
bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

std::wstring_view UpToNul(std::wstring_view text) { return text.substr(0, text.find(L'\0')); }

}  // namespace

std::optional<std::wstring_view> TextBetween(std::wstring_view text, std::wstring_view open,
                                             std::wstring_view close) {
  const size_t start = text.find(open);
  if (start == std::wstring_view::npos) return std::nullopt;
  const size_t from = start + open.size();
  const size_t end = text.find(close, from);
  if (end == std::wstring_view::npos) return std::nullopt;
  return text.substr(from, end - from);
}

std::optional<ExecFields> FindFirstExec(std::wstring_view xml) {
  constexpr std::wstring_view kCommandOpen = L"<Command>";
  constexpr std::wstring_view kCommandClose = L"</Command>";
  const auto command = TextBetween(xml, kCommandOpen, kCommandClose);
  if (!command) return std::nullopt;
  // The rest of the same exec action: from the end of the command to "</Exec>".
  const size_t after = static_cast<size_t>(command->data() - xml.data()) + command->size() +
                       kCommandClose.size();
  std::wstring_view action = xml.substr(after);
  action = action.substr(0, action.find(L"</Exec>"));
  return ExecFields{*command, TextBetween(action, L"<Arguments>", L"</Arguments>")};
}

std::wstring MakeSeparatorSafe(std::wstring_view field, FieldPlace place) {
  std::wstring out;
  out.reserve(field.size() + 2);
  for (size_t i = 0; i < field.size(); ++i) {
    out.push_back(field[i]);
    if (i + 1 < field.size() && IsSeparatorChar(field[i]) && field[i + 1] == field[i]) out.push_back(L' ');
  }
  if (!out.empty()) {
    const wchar_t last = out.back();
    if ((place == FieldPlace::kBeforeFieldSeparator && last == L'|') ||
        (place == FieldPlace::kLast && last == L';'))
      out.push_back(L' ');
  }
  return out;
}

bool IsWritableName(std::wstring_view name) {
  return !name.empty() && name.find(L"||") == std::wstring_view::npos &&
         name.find(L";;") == std::wstring_view::npos && name.back() != L'|';
}

std::string EncodeField(std::wstring_view field, FieldPlace place, std::size_t limit,
                        const AnsiEncoder& toAnsi) {
  const std::wstring safe = MakeSeparatorSafe(field, place);
  std::string bytes = toAnsi(safe);
  if (bytes.size() <= limit) return bytes;
  // Too long: take fewer whole characters until the bytes fit. Every
  // character gives at least one byte except a surrogate pair (one "?"), so
  // starting at `limit` characters and stepping down by half the excess
  // reaches a fit in a few rounds.
  size_t keep = std::min(safe.size(), limit);
  for (;;) {
    if (keep > 0 && IsHighSurrogate(safe[keep - 1])) --keep;  // never split a pair
    bytes = toAnsi(MakeSeparatorSafe(std::wstring_view(safe).substr(0, keep), place));
    if (bytes.size() <= limit || keep == 0) return bytes;
    keep -= std::min(keep, std::max<size_t>(1, (bytes.size() - limit) / 2));
  }
}

std::optional<std::string> FormatTaskRecord(std::wstring_view name, std::wstring_view xml,
                                            const AnsiEncoder& toAnsi) {
  name = UpToNul(name);
  xml = UpToNul(xml);
  if (!IsWritableName(name)) return std::nullopt;
  const auto exec = FindFirstExec(xml);
  if (!exec) return std::nullopt;

  std::string record = toAnsi(name);
  record += kFieldSeparator;
  record += EncodeField(exec->command, FieldPlace::kBeforeFieldSeparator, kFieldLimit, toAnsi);
  record += kFieldSeparator;
  if (exec->arguments)
    record += EncodeField(*exec->arguments, FieldPlace::kLast, kFieldLimit, toAnsi);
  else
    record += kNoArguments;
  // A NUL would end the caller's text early; an encoder never gives one for
  // the NUL-free input, but the text is checked as it is written.
  if (record.size() > kRecordLimit || record.find('\0') != std::string::npos) return std::nullopt;
  return record;
}

TaskListWriter::TaskListWriter(char* buffer, std::size_t capacity)
    : buffer_(buffer), capacity_(buffer ? capacity : 0) {
  Clear();
}

bool TaskListWriter::Append(std::string_view record) {
  const size_t separator = length_ ? kRecordSeparator.size() : 0;
  const size_t needed = length_ + separator + record.size() + 1;  // with the NUL
  if (capacity_ == 0 || needed > capacity_) return false;
  char* at = buffer_ + length_;
  if (separator) std::memcpy(at, kRecordSeparator.data(), separator);
  std::memcpy(at + separator, record.data(), record.size());
  length_ = needed - 1;
  buffer_[length_] = '\0';
  return true;
}

void TaskListWriter::SetMessage(std::string_view message) {
  Clear();
  if (capacity_ == 0) return;
  length_ = std::min(message.size(), capacity_ - 1);
  std::memcpy(buffer_, message.data(), length_);
  buffer_[length_] = '\0';
}

void TaskListWriter::Clear() {
  length_ = 0;
  if (capacity_ > 0) buffer_[0] = '\0';
}

std::string StatusMessage(std::string_view prefix, std::uint32_t hresult) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  do {
    hex.insert(hex.begin(), kDigits[hresult & 0xF]);
    hresult >>= 4;
  } while (hresult != 0);
  std::string out(prefix);
  out += ": ";
  out += hex;
  return out;
}

}  // namespace vantrel::schedlet
