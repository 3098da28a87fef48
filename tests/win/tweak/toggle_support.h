#pragma once
// Helpers of the toggle tests: a stand-in main window that offers what the
// toggle uses, a worker that runs the real tweak on test connections, and a
// watcher that sees the toggle's modal windows and closes the status view.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tweak/tweak_toggle.h"
#include "ui/controls.h"
#include "ui/window.h"

namespace vantrel::test {

// A window with the toggle button, the two reset options and the four
// questions ("question 1" .. "question 4").
class ToggleHostForm : public ui::Form, public ToggleHost {
 public:
  ToggleHostForm();
  HWND Window() const override { return hwnd(); }
  std::wstring Caption() const override { return Form::Caption(); }
  std::wstring ToggleCaption() const override { return button->Text(); }
  void SetToggleCaption(const std::wstring& caption, bool bold) override;
  bool ResetStartupOnToggle() const override { return resetStartup; }
  bool ResetIeOnToggle() const override { return resetIe; }
  std::wstring KillProcText(int n) const override { return L"question " + std::to_wstring(n); }

  ui::Button* button = nullptr;
  bool bold = false;
  bool resetStartup = false, resetIe = false;
};

// The connections and the address that the test worker's tweak run sees.
void SetTestNetwork(std::vector<std::wstring> connections, std::wstring ip);
// Starts a thread that runs the real tweak for `window` on the test network,
// without renewing the network (Wine's ipconfig cannot) and with a fifth of
// the worker's waits.
HANDLE StartTestWorker(HWND window);
// The benchmark's worker: the real "ipconfig /renew" and the real waits.
void UseRealRenewalAndPauses(bool real);

// Polls (on the thread's own timer, so also inside modal loops) for the
// toggle's progress window and status view. Each status view is read and
// closed with its button.
class ModalWatcher {
 public:
  ModalWatcher();
  ~ModalWatcher();
  ModalWatcher(const ModalWatcher&) = delete;
  ModalWatcher& operator=(const ModalWatcher&) = delete;

  std::function<void()> onProgressShown;  // the first time each progress window is visible
  int progressShown = 0;
  std::vector<std::vector<std::vector<std::wstring>>> statusViews;  // rows of each status view
  std::vector<HWND> statusOwners;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Look();
  UINT_PTR timer_ = 0;
  HWND lastProgress_ = nullptr, lastStatus_ = nullptr;
};

}  // namespace vantrel::test
