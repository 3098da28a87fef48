#pragma once
// A single-line edit. Its typing limit counts bytes of a code page (the
// system's ANSI one unless told), so that a name stored in an ANSI file
// keeps the same length whatever script it is typed in: eight Korean
// characters fill a 16-byte edit in code page 949, sixteen Latin letters do
// too. The edit paints its own background (the window colour unless set),
// also while it is disabled or read-only.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "ui/window.h"

namespace vantrel::ui {

class Edit : public Control {
 public:
  // The system's window colour (COLOR_WINDOW), whatever it is at paint time.
  static constexpr COLORREF kWindowColor = CLR_INVALID;

  Edit(Container& parent, const Rect& designed, const std::wstring& text = {});
  ~Edit() override;

  // What the user may type, paste or insert with EM_REPLACESEL, in bytes of
  // `codePage` (0: no limit beyond the system's). An insertion that does not
  // fit whole is cut at the last character that fits; a typed character that
  // does not fit is refused. Text set by SetText is taken whole.
  void SetByteLimit(int bytes, unsigned codePage = CP_ACP);
  int ByteLimit() const { return byteLimit_; }
  // The length of `text` in bytes of `codePage` (unmappable characters count
  // as the system's replacement character).
  static int ByteLength(std::wstring_view text, unsigned codePage = CP_ACP);

  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);
  void SetFocus();
  bool Focused() const;

  COLORREF Color() const { return color_; }
  // kWindowColor or an RGB value; repaints.
  void SetColor(COLORREF color);

  // The text changed (EN_CHANGE), by the user or by the program.
  std::function<void()> onChange;
  void OnCommand(WORD code) override;

 private:
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
  // Bytes left for an insertion that replaces the current selection.
  int RoomForInsertion() const;
  // The longest head of `text` that takes at most `room` bytes.
  std::wstring FitInsertion(std::wstring_view text, int room) const;
  // After an insertion the edit could not be asked about first (an input
  // method's result, an undo): drops characters before the caret until the
  // text fits again.
  void TrimToLimit();
  HBRUSH Brush();

  HWND parentWindow_ = nullptr;
  int byteLimit_ = 0;
  unsigned codePage_ = CP_ACP;
  COLORREF color_ = kWindowColor;
  HBRUSH brush_ = nullptr;  // owned, for a colour other than the window colour
};

}  // namespace vantrel::ui
