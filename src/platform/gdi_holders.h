#pragma once
// Owners for device contexts and for objects selected into them.
#include <windows.h>

#include <utility>

#include "platform/unique_handle.h"

namespace vantrel::platform {

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteDC(h); }
};
using MemoryDc = ScopedHandle<MemoryDcTraits>;

// A window's device context from GetDC, given back with ReleaseDC to the
// same window (null: the screen).
class WindowDc {
 public:
  WindowDc() = default;
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() { reset(); }
  WindowDc(WindowDc&& o) noexcept : window_(std::exchange(o.window_, nullptr)), dc_(std::exchange(o.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&& o) noexcept {
    if (this != &o) {
      reset();
      window_ = std::exchange(o.window_, nullptr);
      dc_ = std::exchange(o.dc_, nullptr);
    }
    return *this;
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }
  HWND window() const { return window_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset() {
    if (dc_) ::ReleaseDC(window_, dc_);
    dc_ = nullptr;
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// Selects an object (font, bitmap, brush, pen) into a device context and
// selects the one it replaced back when it goes, so that the object can be
// deleted afterwards and the context is left as it was found. Declare it
// after the owners of the context and of the object: it must go first.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc) {
    if (dc_ && object) old_ = ::SelectObject(dc_, object);
    if (old_ == HGDI_ERROR) old_ = nullptr;
  }
  ~SelectedObject() {
    if (dc_ && old_) ::SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

  // False when nothing was selected (no context, no object, or refused).
  bool selected() const { return old_ != nullptr; }
  HGDIOBJ previous() const { return old_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace vantrel::platform
