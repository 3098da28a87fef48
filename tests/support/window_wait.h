#pragma once
// Waiting for a top-level window of a class (and caption) of this or another
// process, and acting on it: pressing one of its buttons, answering a
// message box. A window of this process may be shown by a modal loop that
// the test thread itself runs (ShowModal, MessageBox); its answer is then
// given from a helper thread (WhenShown...), which the test thread's loop
// serves.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace vantrel::test {

struct WindowQuery {
  std::wstring className;  // empty: any class
  std::wstring caption;    // empty: any caption
  DWORD processId = 0;     // 0: any process
  bool mustBeVisible = true;
};

// A matching top-level window now; null when none.
HWND FindWindowMatching(const WindowQuery& query);
// Polls until a matching window exists; null after the time. Messages of
// the calling thread are handled meanwhile, so that a window the thread
// itself is about to show can appear.
HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs);
inline HWND WaitForWindow(const std::wstring& className, const std::wstring& caption, DWORD processId,
                          DWORD timeoutMs) {
  return WaitForWindow(WindowQuery{className, caption, processId, true}, timeoutMs);
}

// Presses the button with this caption (as written, with its "&") in a window.
bool PressButton(HWND window, const std::wstring& caption);

// Runs `action` on a helper thread; the thread is joined when this goes.
class BackgroundAction {
 public:
  explicit BackgroundAction(std::function<bool()> action);
  ~BackgroundAction();
  BackgroundAction(const BackgroundAction&) = delete;
  BackgroundAction& operator=(const BackgroundAction&) = delete;
  // Waits for the action's end (handling this thread's messages); its result.
  bool Wait(DWORD timeoutMs = 10000);
  bool Done() const { return done_; }

 private:
  std::atomic<bool> done_{false};
  std::atomic<bool> result_{false};
  std::thread thread_;
};

// Waits (on a helper thread) for a message box of the process (a "#32770"
// window; with this caption unless empty) and presses `buttonId` (IDOK,
// IDYES, IDNO, IDCANCEL). `text` receives the box's text.
BackgroundAction WhenMessageBoxShown(DWORD processId, int buttonId, DWORD timeoutMs = 10000,
                                     std::wstring* text = nullptr, const std::wstring& caption = L"");
// The same for any window: presses the button with `buttonCaption` in the
// first window that matches.
BackgroundAction WhenWindowShown(const WindowQuery& query, const std::wstring& buttonCaption,
                                 DWORD timeoutMs = 10000);

}  // namespace vantrel::test
