#pragma once
// What leaves a window for the user or the shell: message boxes, questions,
// the file-open dialog and ShellExecute "open". Everything goes through the
// current Dialogs, so tests can replace it with a scripted responder.
#include <windows.h>

#include <string>

namespace vantrel::platform {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // MessageBox; returns the button pressed (IDOK, IDYES, IDNO, ...).
  virtual int Message(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;
  // The file-open dialog; false when cancelled. `filter` uses '|' between parts.
  virtual bool OpenFileName(HWND owner, const std::wstring& filter, std::wstring* path) = 0;
  // ShellExecute(owner, "open", target, params, no folder, show); the result is not used.
  virtual void ShellOpen(HWND owner, const std::wstring& target, const std::wstring& params, int show) = 0;
};

// The real implementation, or the one installed by SetDialogs.
Dialogs& CurrentDialogs();
// Installs a replacement (null restores the real one). Not thread-safe: the
// user-interface thread owns it.
void SetDialogs(Dialogs* dialogs);

// Conveniences over CurrentDialogs().
void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption);  // MB_OK
bool AskYesNo(HWND owner, const std::wstring& text, const std::wstring& caption);     // MB_YESNO -> IDYES
void ShellOpen(const std::wstring& target, int show = SW_SHOWNORMAL);                 // no owner, no params

}  // namespace vantrel::platform
