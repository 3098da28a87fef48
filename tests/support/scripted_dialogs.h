#pragma once
// A Dialogs replacement for in-process tests: records every message and
// shell launch and answers from a script. Installs itself while alive.
#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace vantrel::test {

class ScriptedDialogs final : public platform::Dialogs {
 public:
  struct Shown {
    HWND owner;
    std::wstring text, caption;
    UINT type;
  };
  ScriptedDialogs() { platform::SetDialogs(this); }
  ~ScriptedDialogs() override { platform::SetDialogs(nullptr); }

  // Answers for the coming questions, in order; when the script runs out a
  // question gets `fallback` (IDOK for plain boxes).
  void Answer(int id) { answers_.push_back(id); }
  void AnswerFile(std::wstring path) { files_.push_back(std::move(path)); }  // empty = cancel
  int fallback = IDNO;

  std::vector<Shown> messages;
  std::vector<std::wstring> opened;  // ShellOpen targets (params appended after a space)

  int Message(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    messages.push_back({owner, text, caption, type});
    if ((type & 0xF) == MB_OK) return IDOK;
    if (answers_.empty()) return fallback;
    int id = answers_.front();
    answers_.pop_front();
    return id;
  }
  bool OpenFileName(HWND, const std::wstring&, std::wstring* path) override {
    if (files_.empty() || files_.front().empty()) {
      if (!files_.empty()) files_.pop_front();
      return false;
    }
    if (path) *path = files_.front();
    files_.pop_front();
    return true;
  }
  void ShellOpen(HWND, const std::wstring& target, const std::wstring& params, int) override {
    opened.push_back(params.empty() ? target : target + L" " + params);
  }

 private:
  std::deque<int> answers_;
  std::deque<std::wstring> files_;
};

}  // namespace vantrel::test
