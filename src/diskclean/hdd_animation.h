#pragma once
// The small turning picture of the disk cleanup window: eight dots on a
// circle, one lit, the lit one moving on at every frame.
#include <windows.h>

#include "ui/window.h"

namespace vantrel {

class HddAnimation : public ui::Control {
 public:
  static constexpr int kFrameCount = 8;
  static constexpr UINT kFrameIntervalMs = 90;

  HddAnimation(ui::Container& parent, const ui::Rect& designed);

  int Frame() const { return frame_; }
  void NextFrame();

  // Window procedure plumbing of the form kit.
  void BindWindow(HWND) {}
  void UnbindWindow() {}
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  int frame_ = 0;
};

}  // namespace vantrel
