#include "tweak/tweak_toggle.h"

#include <memory>

#include "core/app_state.h"
#include "core/helpers.h"
#include "platform/dialogs.h"
#include "tweak/network.h"
#include "tweak/ping_status_form.h"

namespace vantrel {
namespace {

// Runs one step of the toggle; an exception ends the step, not the toggle.
template <typename Step>
void Guarded(Step step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

void CloseOne(HWND window) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  if (processId == ::GetCurrentProcessId()) {
    // Ending the process would end this program.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 100, &result);
    return;
  }
  CloseWindowOrKill(window);
}

}  // namespace

int KillProcQuestion(bool resetStartup, bool resetIe) {
  if (resetStartup && resetIe) return 1;
  if (resetStartup) return 2;
  if (resetIe) return 3;
  return 4;
}

int CloseInternetExplorer() {
  // The search goes on after a window that survived its closing, so that one
  // stubborn window is not tried again and again.
  HWND after = nullptr;
  int tried = 0;
  while (tried < kMaxInternetExplorerWindows) {
    HWND window = ::FindWindowExW(nullptr, after, kInternetExplorerClass, nullptr);
    if (!window) break;
    ++tried;
    CloseOne(window);
    if (::IsWindow(window)) after = window;
  }
  return tried;
}

void RunTweakToggle(ToggleHost& host, const ToggleSteps& steps) {
  const HWND owner = host.Window();
  const std::wstring question =
      host.KillProcText(KillProcQuestion(host.ResetStartupOnToggle(), host.ResetIeOnToggle()));
  if (!platform::AskYesNo(owner, question, host.Caption())) return;

  std::unique_ptr<TInitProcRunForm> progress;
  Guarded([&] {
    CloseInternetExplorer();
    ClearTweak = host.ToggleCaption() != kToggleOffCaption;

    progress = std::make_unique<TInitProcRunForm>(owner, steps.startWorker);
    if (progress->Create()) progress->ShowModal();

    if (host.ToggleCaption() == kToggleOffCaption)
      host.SetToggleCaption(kToggleOnCaption, true);
    else
      host.SetToggleCaption(kToggleOffCaption, false);

    if (host.ResetIeOnToggle() && steps.addonReset) {
      AddonAutoReset = true;
      steps.addonReset(owner);
      AddonAutoReset = false;
    }
    if (host.ResetStartupOnToggle() && steps.startupReset) {
      StartupAutoReset = true;
      steps.startupReset(owner);
      StartupAutoReset = false;
    }
  });

  // Also after a failed step: the progress window goes, the status view
  // shows what the caption now names, and the pop-up page opens.
  Guarded([&] { progress.reset(); });
  Guarded([&] { ShowTweakStatus(owner, host.ToggleCaption()); });
  Guarded([&] {
    // No page announced: nothing to open (the shell would only fail).
    if (!PopupUrl.empty()) platform::ShellOpen(PopupUrl, SW_SHOWNORMAL);
  });
}

}  // namespace vantrel
