#pragma once
// The updater window's drawn parts: flat boxes of one colour (the black
// frame, the caption line) and a flat progress bar of ten segments without
// a percentage text.
#include <windows.h>

#include <string>

#include "ui/window.h"

namespace vantrel {

// A flat rectangle of one colour, optionally with a line of centred text.
class FlatBox : public ui::Control {
 public:
  FlatBox(ui::Container& parent, const ui::Rect& designed, COLORREF color, const std::wstring& text = L"");
  COLORREF Color() const { return color_; }

  void BindWindow(HWND) {}
  void UnbindWindow() {}
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  COLORREF color_;
};

// A flat bar of ten segments on white, the bar 190 x 15 (designed) centred
// in the control; a segment is lit once the position reaches its share.
class SegmentBar : public ui::Control {
 public:
  static constexpr int kSegments = 10;
  static constexpr int kBarWidth = 190, kBarHeight = 15;

  SegmentBar(ui::Container& parent, const ui::Rect& designed);
  // 0 to 100.
  void SetPosition(int percent);
  int Position() const { return position_; }
  int LitSegments() const { return position_ * kSegments / 100; }

  void BindWindow(HWND) {}
  void UnbindWindow() {}
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  int position_ = 0;
};

}  // namespace vantrel
