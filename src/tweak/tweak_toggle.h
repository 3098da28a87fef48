#pragma once
// The tweak toggle behind the main window's big button: asks, closes
// Internet Explorer, runs the tweak behind its progress window, flips the
// button's caption, runs the optional resets, shows the status view and opens
// the pop-up page.
#include <windows.h>

#include <string>

#include "tweak/init_proc_run_form.h"

namespace vantrel {

inline constexpr const wchar_t* kToggleOnCaption = L"Vantrel ON";
inline constexpr const wchar_t* kToggleOffCaption = L"Vantrel Off";
// The class of Internet Explorer's frame windows.
inline constexpr const wchar_t* kInternetExplorerClass = L"IEFrame";
inline constexpr int kMaxInternetExplorerWindows = 1000;

// What the toggle uses of the main window.
class ToggleHost {
 public:
  virtual ~ToggleHost() = default;
  virtual HWND Window() const = 0;           // owner of the question and the windows
  virtual std::wstring Caption() const = 0;  // title of the question
  virtual std::wstring ToggleCaption() const = 0;
  virtual void SetToggleCaption(const std::wstring& caption, bool bold) = 0;
  virtual bool ResetStartupOnToggle() const = 0;
  virtual bool ResetIeOnToggle() const = 0;
  // "Msg_KillProc1" to "Msg_KillProc4" as read (unescaped); n = 1..4.
  virtual std::wstring KillProcText(int n) const = 0;
};

// The steps of a toggle that reach out of it. The main window hands in the
// add-on and start-up windows' automatic modes (the tweak knows neither);
// tests replace the worker (Wine has no connection manager) and watch the
// resets. Each reset runs with its flag (AddonAutoReset, StartupAutoReset)
// set, and the flag is clear again afterwards.
struct ToggleSteps {
  WorkerStart startWorker;  // empty: StartTweakWorker
  void (*addonReset)(HWND owner) = nullptr;    // null: no add-on reset
  void (*startupReset)(HWND owner) = nullptr;  // null: no start-up reset
};

// Which question (1..4) the two reset options ask: 1 both, 2 start-up only,
// 3 add-ons only, 4 neither.
int KillProcQuestion(bool resetStartup, bool resetIe);

// Closes every Internet Explorer frame window ("IEFrame"), at most
// kMaxInternetExplorerWindows of them, with CloseWindowOrKill; each window is
// tried once. Windows of this process are asked to close but never ended
// with the process. Returns the number of windows tried.
int CloseInternetExplorer();

void RunTweakToggle(ToggleHost& host, const ToggleSteps& steps = {});

}  // namespace vantrel
