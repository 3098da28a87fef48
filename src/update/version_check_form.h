#pragma once
// The version check that the start sequence runs before any window is
// visible, and the hand-off to the updater.

namespace vantrel {

// The invisible window in which the version check runs at start.
class TVersionCheckForm {
 public:
  // Shows the window modally; the check runs inside it and the window closes
  // when it is done.
  void ShowModal();
  // True when the check announced another version.
  bool UpdateAvailable = false;
};

// Writes the updater beside the program and starts it; true when it started.
bool RunUpdater();

}  // namespace vantrel
