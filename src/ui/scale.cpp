#include "ui/scale.h"

#include <commctrl.h>
#include <ole2.h>

#include "platform/gdi_holders.h"

namespace vantrel::ui {

bool InitializeUi() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                           ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  // S_FALSE: already initialised on this thread; that is fine. Each success
  // is balanced by the thread's end, not by us: forms may live until exit.
  thread_local bool oleReady = false;
  if (!oleReady) oleReady = SUCCEEDED(::OleInitialize(nullptr));
  return oleReady;
}

int SystemDpi() {
  static const int dpi = [] {
    platform::WindowDc screen(nullptr);
    const int value = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return value > 0 ? value : 96;
  }();
  return dpi;
}

int Scale(int designed) { return ::MulDiv(designed, SystemDpi(), 96); }

RECT ScaleRect(const Rect& r) {
  int left = Scale(r.left), top = Scale(r.top);
  return RECT{left, top, left + Scale(r.width), top + Scale(r.height)};
}

Font Font::Create(const std::wstring& face, int designedHeight, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = -Scale(designedHeight);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  Font f;
  f.font_.reset(::CreateFontIndirectW(&lf));
  return f;
}

Font Font::FromPoints(const std::wstring& face, int points, bool bold) {
  // Points to pixels at 96 DPI; Create scales to the system DPI.
  return Create(face, ::MulDiv(points, 96, 72), bold);
}

HFONT DefaultFont() {
  static const Font font = Font::FromPoints(L"Tahoma", 8, false);
  return font ? font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

HFONT DefaultBoldFont() {
  static const Font font = Font::FromPoints(L"Tahoma", 8, true);
  return font ? font.get() : DefaultFont();
}

}  // namespace vantrel::ui
