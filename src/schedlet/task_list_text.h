#pragma once
// The task list text of Schedlet.dll: one record per task, records joined by
// ";;", a record being name "||" command "||" arguments. Pure text rules, no
// Windows or COM headers; the conversion to the system ANSI code page is
// handed in by the caller.
//
// Size rules (all sizes in bytes of ANSI text, without the terminating NUL):
// - The task's XML definition is searched whole. A fixed work area would cut
//   long definitions (many triggers, a long description) before their
//   actions, which come last, and then report a wrong "NONE" or drop the task.
// - Command and arguments are each at most kFieldLimit (1,023) bytes. A longer
//   field is cut to the longest run of whole characters that fits, so the
//   task stays visible and can still be deleted; the cut text is only shown,
//   the backup is always the full definition.
// - A record longer than kRecordLimit (10,239) bytes is left out.
// - The whole text with its NUL never exceeds the caller's buffer: records
//   are added whole, and the list stops before the first record that would
//   not fit (TaskListWriter).
//
// Separator rules: the main program splits the text at the first ";;" and
// each record at the first "||", so a field must neither contain "||" or
// ";;" nor end in a way that runs into the separator after it ("x|" + "||",
// or arguments "&quot;" + ";;"). Command and arguments are shown only, so a
// space is put between two separator characters that would otherwise meet:
// "a||b" is written "a| |b", ";;" becomes "; ;", a command ending in "|"
// gets a space after it, and arguments ending in ";" (as every entity does)
// get a trailing space. No character is lost. The name is different: the
// main program passes it back to DeleteSchedlet, so a changed name would
// delete nothing; a task whose name cannot be written unchanged is left out.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::schedlet {

inline constexpr std::size_t kFieldLimit = 1023;
inline constexpr std::size_t kRecordLimit = 10239;
inline constexpr std::string_view kRecordSeparator = ";;";
inline constexpr std::string_view kFieldSeparator = "||";
inline constexpr std::string_view kNoArguments = "NONE";

// Converts UTF-16 text to the system ANSI code page, one output character
// per input character (characters the code page lacks become its default
// character, never a look-alike such as "|" for a full-width bar).
using AnsiEncoder = std::function<std::string(std::wstring_view)>;

// The text between the first `open` and the first `close` after it; none
// when either is missing.
std::optional<std::wstring_view> TextBetween(std::wstring_view text, std::wstring_view open,
                                             std::wstring_view close);

struct ExecFields {
  std::wstring_view command;
  std::optional<std::wstring_view> arguments;  // none: the definition has no pair
};
// The first "<Command>"..."</Command>" of a definition and the arguments of
// that same exec action (searched up to its "</Exec>", so a second action's
// arguments are never paired with the first command). None without a command.
std::optional<ExecFields> FindFirstExec(std::wstring_view xml);

enum class FieldPlace { kBeforeFieldSeparator, kLast };
// Inserts spaces so that the field contains no "||" or ";;" and does not end
// in a character that would join the separator written after it.
std::wstring MakeSeparatorSafe(std::wstring_view field, FieldPlace place);

// True when the name can be written as it is: no "||", no ";;", not ending
// in "|", not empty.
bool IsWritableName(std::wstring_view name);

// Converts a field and cuts it to at most `limit` bytes at a character
// boundary, keeping it separator-safe.
std::string EncodeField(std::wstring_view field, FieldPlace place, std::size_t limit,
                        const AnsiEncoder& toAnsi);

// The record of one task (name, its definition), or none when the task is
// left out: no command, a name that cannot be written, a record too long.
std::optional<std::string> FormatTaskRecord(std::wstring_view name, std::wstring_view xml,
                                            const AnsiEncoder& toAnsi);

// Builds the list text directly in a caller's buffer of `capacity` bytes.
// The buffer always holds a NUL-terminated text; nothing is ever written at
// or beyond buffer + capacity. A zero capacity or a null buffer writes nothing.
class TaskListWriter {
 public:
  TaskListWriter(char* buffer, std::size_t capacity);
  // Adds ";;" (unless first) and the record, whole or not at all. False when
  // it does not fit; the text is then unchanged.
  bool Append(std::string_view record);
  // Replaces the text by `message`, cut to what fits.
  void SetMessage(std::string_view message);
  void Clear();
  std::size_t length() const { return length_; }

 private:
  char* buffer_;
  std::size_t capacity_;
  std::size_t length_ = 0;
};

// The diagnostic texts of the statuses: prefix + ": " + the HRESULT in
// lower-case hexadecimal without leading zeros ("...: 80070005").
std::string StatusMessage(std::string_view prefix, std::uint32_t hresult);
inline constexpr std::string_view kMsgCreateFailed = "Failed to CoCreate an instance of the TaskService class";
inline constexpr std::string_view kMsgConnectFailed = "ITaskService::Connect failed";
inline constexpr std::string_view kMsgRootFolderFailed = "Cannot get Root Folder pointer";
inline constexpr std::string_view kMsgTasksFailed = "Cannot get the registered tasks.";
inline constexpr std::string_view kMsgNoTasks = "\nNo Tasks are currently running";

}  // namespace vantrel::schedlet
