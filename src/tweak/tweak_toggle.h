#pragma once
// The tweak toggle behind the main window's big button: asks, closes
// Internet Explorer, runs the tweak behind its progress window, flips the
// button's caption, runs the optional resets, shows the status view and opens
// the pop-up page.
#include <windows.h>

#include <string>

#include "tweak/uInitProcRunForm.h"

namespace vantrel {

class TVantrelMainForm;

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

// The steps of a toggle that reach out of it. The defaults are the real ones;
// tests replace the worker (Wine has no connection manager) and watch the resets.
struct ToggleSteps {
  WorkerStart startWorker;  // empty: StartTweakWorker
  void (*addonReset)(HWND owner) = nullptr;    // null: RunAddonAutoReset
  void (*startupReset)(HWND owner) = nullptr;  // null: RunStartupAutoReset
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
// The toggle of the main window (its btnVantrelClick).
void RunTweakToggle(TVantrelMainForm& form);

}  // namespace vantrel
