#pragma once
// Drives other processes from a test: starts programs, waits for their
// windows, presses their buttons, answers their message boxes, reads their
// list views and ends them (with everything they started) at the end.
#include <windows.h>

#include <string>
#include <vector>

namespace vantrel::test {

// A started program. Ends its process tree when it goes, unless it has ended.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(ChildProcess&& o) noexcept;
  ChildProcess& operator=(ChildProcess&& o) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // CreateProcess of `exe` with `arguments` (the command line becomes
  // "<exe>" arguments), in `folder` (empty: the exe's folder). An invalid
  // result when the program cannot be started.
  static ChildProcess Start(const std::wstring& exe, const std::wstring& arguments = L"",
                            const std::wstring& folder = L"");

  bool valid() const { return process_ != nullptr; }
  DWORD id() const { return id_; }
  HANDLE handle() const { return process_; }
  bool Running() const;
  // True when the process ended within the time; its exit code goes to `exitCode`.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
  // Ends the process and every process it started (children first found, then ended).
  void EndTree();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Ends a process and its descendants. Only processes created after their
// parent count as its children, so a reused process id is never hit; the
// desktop's process is never ended, whoever started it.
void EndProcessTree(DWORD processId);

// Sets an environment variable of this process for the programs it starts
// afterwards, and puts the old value back when it goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::wstring name, const std::wstring& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  std::wstring old_;
  bool had_ = false;
};
std::wstring EnvironmentValue(const std::wstring& name);

// Top-level windows of a class (empty: any class) that belong to a process
// (0: any process).
std::vector<HWND> TopLevelWindows(const std::wstring& className, DWORD processId);
// Polls until such a window exists (and is visible when asked); null after the time.
HWND WaitForTopLevelWindow(const std::wstring& className, DWORD processId, DWORD timeoutMs,
                           bool mustBeVisible = false);
// Polls until `condition` holds; false after the time.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs, DWORD stepMs = 20) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (::GetTickCount64() >= end) return false;
    ::Sleep(stepMs);
  }
}

std::wstring WindowText(HWND window);  // works across processes (WM_GETTEXT)
std::wstring WindowClass(HWND window);
// A child window (any depth) with this text or this control id; null when none.
HWND FindChildByText(HWND parent, const std::wstring& text, const std::wstring& className = L"");
HWND FindChildById(HWND parent, int id);
// The same, polling until the child exists; null after the time.
HWND WaitForChildByText(HWND parent, const std::wstring& text, DWORD timeoutMs, const std::wstring& className = L"");
HWND WaitForChildById(HWND parent, int id, DWORD timeoutMs);
// Presses a button of another process (PostMessage BM_CLICK).
bool ClickButton(HWND button);

// A message box of another process: class "#32770", owned by that process.
struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;  // the Static with id 0xFFFF
};
// Waits for a message box of the process; false after the time.
bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo* box);
// Presses the button with this id (IDOK, IDYES, IDNO, IDCANCEL) of a message box.
bool AnswerMessageBox(HWND box, int buttonId);

// List views of another process (same bitness as this one).
int ListViewItemCount(HWND list);
std::wstring ListViewItemText(HWND list, int item, int subItem);
// Every row with `columns` columns.
std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns);

// A row's state image index (0: none; with check boxes 1 is unticked and 2
// ticked), -1 when the list does not answer.
int ListViewStateImage(HWND list, int item);
// True when the row's check box is ticked.
bool ListViewChecked(HWND list, int item);
// The image index of a row (subItem 0) or of a sub-item's cell; -1 when
// the list does not answer or has no such cell.
int ListViewItemImage(HWND list, int item, int subItem);
// The rectangle of a cell in the list's client area (column 0: the label
// part of the row); empty when there is no such cell.
RECT ListViewCellRect(HWND list, int item, int subItem);

enum class MouseButton { Left, Right };
// Clicks the middle of a cell (row `item`, column `subItem`) with a mouse
// button, as the user would: the list selects the row and tells its parent
// (NM_CLICK or NM_RCLICK, then WM_CONTEXTMENU for the right button). The
// click is posted: wait for its effect. False when there is no such cell.
bool ClickListCell(HWND list, int item, int subItem, MouseButton button = MouseButton::Left);

// Tab controls of another process: the tab count, the selected tab, and a
// click on a tab (the control tells its parent as for a user's click, so
// the program may refuse). True when the tab is selected within a second.
int TabCount(HWND tabs);
int SelectedTab(HWND tabs);
bool SelectTab(HWND tabs, int index);

}  // namespace vantrel::test
