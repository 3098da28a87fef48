#pragma once
// A looping picture for windows that wait on work: a strip of frames shown
// one after another, stretched to the control. The built-in strip is drawn
// once with GDI; a window may hand in a strip of its own. Start() runs the
// animation on the control's own timer, from the first frame; Stop() holds
// the frame that is shown.
#include <windows.h>

#include "platform/unique_handle.h"
#include "ui/window.h"

namespace vantrel::ui {

class StripAnimation : public Control {
 public:
  static constexpr int kFrameCount = 14;
  static constexpr int kFrameWidth = 146;
  static constexpr int kFrameHeight = 17;
  static constexpr UINT kFrameIntervalMs = 70;

  StripAnimation(Container& parent, const Rect& designed);

  // Another strip: `frames` frames of `frameWidth` x `frameHeight` pixels
  // side by side in `strip`, which the control then owns. False (the old
  // strip kept, `strip` deleted) when the bitmap is missing or too small.
  bool SetStrip(HBITMAP strip, int frames, int frameWidth, int frameHeight);
  int FrameCount() const { return frames_; }

  int Frame() const { return frame_; }
  // Shows the next frame, after the last one the first again.
  void NextFrame();

  // Runs the animation from the first frame, one frame every `intervalMs`.
  bool Start(UINT intervalMs = kFrameIntervalMs);
  void Stop();
  bool Running() const { return running_; }

  // Window procedure plumbing of the form kit.
  void BindWindow(HWND) {}
  void UnbindWindow() { running_ = false; }
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  void Paint(HDC dc, const RECT& client) const;
  platform::UniqueGdiObject strip_;  // frames_ frames side by side
  int frames_ = kFrameCount;
  int frameWidth_ = kFrameWidth;
  int frameHeight_ = kFrameHeight;
  int frame_ = 0;
  bool running_ = false;
};

}  // namespace vantrel::ui
