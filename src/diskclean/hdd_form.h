#pragma once
// The hard disk optimisation window: six options (remembered in
// "Vantrel.ini", section "HDD"), the browsers closed before a run, and a
// worker thread that deletes the chosen traces and reports its progress.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "diskclean/browser_cleaners.h"
#include "diskclean/hdd_animation.h"
#include "platform/unique_handle.h"
#include "ui/controls.h"
#include "ui/tool_host.h"
#include "ui/window.h"

namespace vantrel {

// The worker's reports: the progress bar's new position (0-120) in wParam,
// and the end of the run.
inline constexpr UINT WM_HDD_PROGRESS = 1690;
inline constexpr UINT WM_HDD_DONE = 2023;

// The steps of a run that the platform does for the program. The URL history
// and Internet Explorer's clearing command are handed in, since a system
// without them (or a test) needs another way.
struct HddRunActions {
  BrowserUnits* units = nullptr;                 // ProgramBrowserUnits() when null
  std::function<HRESULT()> clearUrlHistory;      // ClearUrlHistory when empty
  std::function<bool(int flags)> runClearTracks;  // RunClearTracksCommand when empty
};

// What one run reads; shared by the window and its worker, so that a window
// closed during a run leaves the worker nothing dangling.
struct HddRun {
  HWND window = nullptr;
  bool ieTemp = false, cookie = false, addrBar = false, autoPass = false, myTemp = false, doc = false;
  bool modernIe = false;
  HddRunActions actions;
  std::atomic<bool> stopped{false};  // the window closed: no further step, no further report
};

// The worker: runs the ticked steps in their order and posts the progress to
// run->window. The parameter is a heap-allocated std::shared_ptr<HddRun>,
// which the worker frees. Runs one at a time in the process.
DWORD WINAPI HddCleanWorker(LPVOID parameter);

// Internet Explorer 7 or later: the FileVersion of "<Program Files>\Internet
// Explorer\iexplore.exe".
bool DetectModernIe();

// Closes the windows of Internet Explorer, Chrome, Firefox and Safari, then
// ends the remaining chrome.exe, firefox.exe and safari.exe processes.
void CloseBrowsers();

class THddForm : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"THddForm";

  struct Setup {
    std::wstring settingsPath;            // SettingsFilePath() when empty
    std::optional<bool> modernIe;         // DetectModernIe() when unset
    std::function<void()> closeBrowsers;  // CloseBrowsers when empty
    HddRunActions actions;
  };

  explicit THddForm(HWND owner, Setup setup = {});
  ~THddForm() override;

  // Builds the window and its controls and runs FormCreate; false when the
  // window could not be created.
  bool Create();

  void FormCreate();
  void btnAllChkClick();
  void btnDelChkClick();
  void btnStartClick();
  void btnCloseClick();
  void FormClose();

  void LoadHddOptions();
  void SaveHddOptions();
  // True when the window may close: no run is active, or the user agreed to stop it.
  bool ConfirmStopCleanup();
  void SetControlsEnabled(bool on);

  bool ModernIE() const { return modernIe_; }
  bool RunActive() const { return static_cast<bool>(worker_); }
  HANDLE WorkerThread() const { return worker_.get(); }

  ui::Label *lbl1 = nullptr, *lbl2 = nullptr, *lbl3 = nullptr, *lbl4 = nullptr;
  ui::Button *btnAllChk = nullptr, *btnDelChk = nullptr, *btnStart = nullptr, *btnClose = nullptr;
  ui::CheckBox *chkIETempFile = nullptr, *chkCookie = nullptr, *chkAddrBar = nullptr, *chkAutoPass = nullptr;
  ui::CheckBox *chkMyTempFile = nullptr, *chkDoc = nullptr;
  ui::ProgressBar* pb1 = nullptr;
  HddAnimation* jvgfnmtr1 = nullptr;

 protected:
  bool OnCloseQuery() override;
  bool OnSysCommand(WPARAM command) override;
  bool OnUserMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  void RunEnded();
  void tmrAnimationTimer();

  HWND owner_;
  Setup setup_;
  bool modernIe_ = false;
  std::wstring msgIsClose1_;
  platform::UniqueHandle worker_;
  std::shared_ptr<HddRun> run_;
  std::unique_ptr<ui::Timer> tmrAnimation_;
  bool closeAgreed_ = false;
  bool closed_ = false;
};

// Opens the window modally for the main window.
void ShowHddForm(const ui::ToolHost& host);

}  // namespace vantrel
