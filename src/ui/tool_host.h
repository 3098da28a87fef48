#pragma once
// What a tool window takes from the main window that opens it. Each tool
// window is opened through one function beside it that takes a ToolHost, so
// no tool window knows the main window itself.
#include <windows.h>

#include <string>

namespace vantrel::ui {

class ToolHost {
 public:
  virtual ~ToolHost() = default;
  // The owner of the modal tool window and of its message boxes.
  virtual HWND Owner() const = 0;
  // The Windows version family (OsFamilyOf() in core/os_version.h).
  virtual unsigned OsFamily() const = 0;
  // True while the main window stays on top ("always on top" ticked): a tool
  // window that opens a system dialog leaves the top-most band first.
  virtual bool TopMost() const = 0;
  // The caption of the tweak toggle ("Vantrel ON" / "Vantrel Off").
  virtual std::wstring ToggleCaption() const = 0;
  // "Msg_ExceptSet" / "Msg_ExceptCancel" as the main window read them (as
  // stored, not unescaped): the texts of an exclusion column.
  virtual std::wstring ExceptSetText() const = 0;
  virtual std::wstring ExceptCancelText() const = 0;
};

}  // namespace vantrel::ui
