#pragma once
// The version check that the start sequence runs before any window is
// visible, and the hand-off to the updater.
#include <functional>
#include <memory>
#include <string>

#include "ui/controls.h"
#include "ui/window.h"

namespace vantrel {

// The invisible modal window in which the version check runs at start: no
// border, no caption bar, at (0, 0) with no size, never shown. Its timer
// fires once after 10 ms, runs the check and closes the window.
class TVersionCheckForm : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"TVersionCheckForm";

  TVersionCheckForm();
  ~TVersionCheckForm() override;

  // Builds the window (once) and runs the check inside its modal run; when
  // no window can be made the check runs without one.
  int ShowModal();

  void FormCreate();
  void tmr1Timer();

  // True when the check announced another version.
  bool UpdateAvailable = false;
  std::unique_ptr<ui::Timer> tmr1;

 private:
  bool Create();
};

// Starts the updater file with its command line; true when it started.
using UpdaterLauncher = std::function<bool(const std::wstring& file, const std::wstring& parameters)>;

// Writes the updater (resource "100"/101) beside the program as
// "VantrelUpdate.exe" and starts it with the update command line; true when
// it was written and started. Tests give another folder (with a trailing
// backslash) and replace ShellExecute "open".
bool RunUpdater(const std::wstring& programFolder, const UpdaterLauncher& launch);
bool RunUpdater();

}  // namespace vantrel
