#include "support/window_wait.h"

#include <utility>

#include "support/process_driver.h"
#include "ui/window.h"

namespace vantrel::test {
namespace {

bool Matches(HWND window, const WindowQuery& query) {
  if (query.mustBeVisible && !::IsWindowVisible(window)) return false;
  return query.caption.empty() || WindowText(window) == query.caption;
}

}  // namespace

HWND FindWindowMatching(const WindowQuery& query) {
  for (HWND window : TopLevelWindows(query.className, query.processId))
    if (Matches(window, query)) return window;
  return nullptr;
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        ui::PumpPendingMessages();
        return (found = FindWindowMatching(query)) != nullptr;
      },
      timeoutMs, 10);
  return found;
}

bool PressButton(HWND window, const std::wstring& caption) {
  return ClickButton(FindChildByText(window, caption, L"Button"));
}

BackgroundAction::BackgroundAction(std::function<bool()> action)
    : thread_([this, action = std::move(action)] {
        result_ = action();
        done_ = true;
      }) {}

BackgroundAction::~BackgroundAction() {
  if (thread_.joinable()) thread_.join();
}

bool BackgroundAction::Wait(DWORD timeoutMs) {
  WaitUntil(
      [&] {
        ui::PumpPendingMessages();
        return done_.load();
      },
      timeoutMs, 10);
  return done_ && result_;
}

BackgroundAction WhenMessageBoxShown(DWORD processId, int buttonId, DWORD timeoutMs, std::wstring* text,
                                     const std::wstring& caption) {
  return BackgroundAction([=] {
    // Only the helper thread polls; the test thread runs the box's loop.
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindWindowMatching(WindowQuery{L"#32770", caption, processId, true})) != nullptr; },
              timeoutMs);
    if (!box) return false;
    if (text) {
      HWND label = WaitForChildById(box, 0xFFFF, 2000);
      *text = label ? WindowText(label) : std::wstring();
    }
    return AnswerMessageBox(box, buttonId);
  });
}

BackgroundAction WhenWindowShown(const WindowQuery& query, const std::wstring& buttonCaption, DWORD timeoutMs) {
  return BackgroundAction([=] {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowMatching(query)) != nullptr; }, timeoutMs);
    if (!window) return false;
    HWND button = WaitForChildByText(window, buttonCaption, 2000, L"Button");
    return ClickButton(button);
  });
}

}  // namespace vantrel::test
