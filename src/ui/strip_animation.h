#pragma once
// A looping picture for windows that wait on work: a strip of frames drawn
// once with GDI and shown one after another, stretched to the control.
#include <windows.h>

#include "platform/unique_handle.h"
#include "ui/window.h"

namespace vantrel {

class StripAnimation : public ui::Control {
 public:
  static constexpr int kFrameCount = 14;
  static constexpr int kFrameWidth = 146;
  static constexpr int kFrameHeight = 17;
  static constexpr UINT kFrameIntervalMs = 70;

  StripAnimation(ui::Container& parent, const ui::Rect& designed);

  int Frame() const { return frame_; }
  // Shows the next frame, after the last one the first again.
  void NextFrame();

  // Window procedure plumbing of the form kit.
  void BindWindow(HWND) {}
  void UnbindWindow() {}
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  void Paint(HDC dc, const RECT& client) const;
  platform::UniqueGdiObject strip_;  // kFrameCount frames side by side
  int frame_ = 0;
};

}  // namespace vantrel
