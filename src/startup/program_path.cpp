#include "startup/program_path.h"

namespace vantrel {

std::wstring ExtractProgramPath(std::wstring_view command) {
  if (!command.empty() && command.front() == L'"') {
    const std::wstring_view rest = command.substr(1);
    const size_t quote = rest.find(L'"');
    if (quote != std::wstring_view::npos && quote != 0) return std::wstring(rest.substr(0, quote));
  }
  std::wstring work;
  work.reserve(command.size());
  for (wchar_t c : command)
    if (c != L'"') work.push_back(c);
  const size_t backslash = work.rfind(L'\\');
  if (backslash == std::wstring::npos) return std::wstring(command);
  const size_t dot = work.find(L'.', backslash + 1);
  if (dot == std::wstring::npos) return std::wstring(command);
  const size_t blank = work.find(L' ', dot + 1);
  if (blank == std::wstring::npos) return std::wstring(command);
  return work.substr(0, blank);
}

}  // namespace vantrel
