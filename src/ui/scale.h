#pragma once
// Designed pixel sizes scaled to the system DPI, and the fonts of the forms.
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace vantrel::ui {

// Sets up what every window of the thread needs: the common controls with
// visual styles (the manifest asks for version 6) and OLE for the embedded
// browser. Safe to call more than once; false only when OLE refused.
bool InitializeUi();

// Horizontal pixels per logical inch of the screen (96 at 100 %), read once.
int SystemDpi();
// A designed pixel size (made for 96 DPI) at the system DPI.
int Scale(int designed);
// A designed rectangle: left, top, width, height in pixels at 96 DPI.
struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};
RECT ScaleRect(const Rect& designed);  // as left, top, right, bottom at the system DPI

// A font owned by the caller.
class Font {
 public:
  Font() = default;
  // `designedHeight` in pixels at 96 DPI (character height, as a negative LOGFONT height).
  static Font Create(const std::wstring& face, int designedHeight, bool bold);
  // A point size, the way a designer names a font ("Tahoma 8 pt").
  static Font FromPoints(const std::wstring& face, int points, bool bold);
  HFONT get() const { return static_cast<HFONT>(font_.get()); }
  explicit operator bool() const { return font_.valid(); }

 private:
  platform::UniqueGdiObject font_;
};

// Tahoma 8 pt, the font of every form and control unless a control names
// its own. Lives for the whole process.
HFONT DefaultFont();
HFONT DefaultBoldFont();

}  // namespace vantrel::ui
