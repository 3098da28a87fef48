#include "ui/edit.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>

namespace vantrel::ui {
namespace {

constexpr UINT_PTR kEditSubclassId = 1;

bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

// The clipboard's Unicode text, empty when there is none.
std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = chars;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

DWORD SelectionStart(HWND edit) {
  DWORD start = 0, end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return start;
}

}  // namespace

Edit::Edit(Container& parent, const Rect& designed, const std::wstring& text) : Control(parent) {
  CreateChild(L"EDIT", text, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE, designed);
  if (!hwnd()) return;
  // No limit of the control's own: the byte limit is ours.
  ::SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0);
  ::SetWindowSubclass(hwnd(), &Edit::EditProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
  parentWindow_ = ::GetParent(hwnd());
  // The parent is asked for the background; each edit answers for itself.
  if (parentWindow_)
    ::SetWindowSubclass(parentWindow_, &Edit::ParentProc, reinterpret_cast<UINT_PTR>(this),
                        reinterpret_cast<DWORD_PTR>(this));
}

Edit::~Edit() {
  if (parentWindow_ && ::IsWindow(parentWindow_))
    ::RemoveWindowSubclass(parentWindow_, &Edit::ParentProc, reinterpret_cast<UINT_PTR>(this));
  if (hwnd() && ::IsWindow(hwnd())) ::RemoveWindowSubclass(hwnd(), &Edit::EditProc, kEditSubclassId);
  if (brush_) ::DeleteObject(brush_);
}

int Edit::ByteLength(std::wstring_view text, unsigned codePage) {
  if (text.empty()) return 0;
  return ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                               nullptr);
}

void Edit::SetByteLimit(int bytes, unsigned codePage) {
  byteLimit_ = bytes > 0 ? bytes : 0;
  codePage_ = codePage;
}

bool Edit::ReadOnly() const { return hwnd() && (::GetWindowLongPtrW(hwnd(), GWL_STYLE) & ES_READONLY) != 0; }
void Edit::SetReadOnly(bool readOnly) {
  if (hwnd()) ::SendMessageW(hwnd(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void Edit::SetFocus() {
  if (hwnd()) ::SetFocus(hwnd());
}
bool Edit::Focused() const { return hwnd() && ::GetFocus() == hwnd(); }

void Edit::SetColor(COLORREF color) {
  if (color == color_) return;
  color_ = color;
  if (brush_) ::DeleteObject(brush_);
  brush_ = nullptr;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

HBRUSH Edit::Brush() {
  if (color_ == kWindowColor) return ::GetSysColorBrush(COLOR_WINDOW);
  if (!brush_) brush_ = ::CreateSolidBrush(color_);
  return brush_;
}

void Edit::OnCommand(WORD code) {
  if (code == EN_CHANGE && onChange) onChange();
}

int Edit::RoomForInsertion() const {
  const std::wstring text = Text();
  DWORD start = 0, end = 0;
  ::SendMessageW(hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
  end = std::min<DWORD>(std::max(start, end), static_cast<DWORD>(text.size()));
  const std::wstring kept = text.substr(0, start) + text.substr(end);
  return byteLimit_ - ByteLength(kept, codePage_);
}

std::wstring Edit::FitInsertion(std::wstring_view text, int room) const {
  size_t taken = 0;
  int used = 0;
  while (taken < text.size()) {
    // A surrogate pair is one character.
    size_t step = IS_HIGH_SURROGATE(text[taken]) && taken + 1 < text.size() && IS_LOW_SURROGATE(text[taken + 1]) ? 2 : 1;
    int bytes = ByteLength(text.substr(taken, step), codePage_);
    if (used + bytes > room) break;
    used += bytes;
    taken += step;
  }
  return std::wstring(text.substr(0, taken));
}

void Edit::TrimToLimit() {
  std::wstring text = Text();
  if (ByteLength(text, codePage_) <= byteLimit_) return;
  size_t caret = std::min<size_t>(SelectionStart(hwnd()), text.size());
  DWORD end = 0;
  ::SendMessageW(hwnd(), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
  caret = std::max<size_t>(caret, std::min<size_t>(end, text.size()));
  while (caret > 0 && ByteLength(text, codePage_) > byteLimit_) {
    size_t step = caret >= 2 && IS_LOW_SURROGATE(text[caret - 1]) && IS_HIGH_SURROGATE(text[caret - 2]) ? 2 : 1;
    text.erase(caret - step, step);
    caret -= step;
  }
  while (!text.empty() && ByteLength(text, codePage_) > byteLimit_) text.pop_back();
  ::DefSubclassProc(hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  ::SendMessageW(hwnd(), EM_SETSEL, caret, caret);
}

LRESULT CALLBACK Edit::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<Edit*>(data);
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &Edit::EditProc, kEditSubclassId);
  if (!self || self->byteLimit_ <= 0 || (::GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY))
    return ::DefSubclassProc(hwnd, msg, wp, lp);
  try {
    switch (msg) {
      case WM_CHAR:
      case WM_IME_CHAR: {
        const auto c = static_cast<wchar_t>(wp);
        // Control characters (backspace, Ctrl+A/C/V/X/Z) insert nothing.
        if (c < L' ' || c == 0x7F) break;
        // A low surrogate completes the pair its high half was let in for.
        if (IS_LOW_SURROGATE(c)) break;
        const wchar_t one[1] = {c};
        if (self->ByteLength(std::wstring_view(one, 1), self->codePage_) > self->RoomForInsertion()) return 0;
        break;
      }
      case WM_PASTE: {
        std::wstring text = ClipboardText(hwnd);
        // A single-line edit pastes the first line only.
        for (size_t i = 0; i < text.size(); ++i)
          if (IsLineBreak(text[i])) {
            text.resize(i);
            break;
          }
        const std::wstring fitted = self->FitInsertion(text, self->RoomForInsertion());
        if (!fitted.empty())
          ::DefSubclassProc(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fitted.c_str()));
        return 0;
      }
      case EM_REPLACESEL: {
        const auto* text = reinterpret_cast<const wchar_t*>(lp);
        if (!text) break;
        const std::wstring fitted = self->FitInsertion(text, self->RoomForInsertion());
        return ::DefSubclassProc(hwnd, EM_REPLACESEL, wp, reinterpret_cast<LPARAM>(fitted.c_str()));
      }
      case WM_IME_COMPOSITION:
      case WM_IME_ENDCOMPOSITION:
      case WM_UNDO:
      case EM_UNDO: {
        LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
        if (msg != WM_IME_COMPOSITION || (lp & GCS_RESULTSTR)) self->TrimToLimit();
        return result;
      }
    }
  } catch (...) {
    // Nothing of the limit is worth losing a key press over.
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Edit::ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
  auto* self = reinterpret_cast<Edit*>(data);
  if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(hwnd, &Edit::ParentProc, id);
    if (self) self->parentWindow_ = nullptr;
  } else if ((msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) && self && self->hwnd() &&
             reinterpret_cast<HWND>(lp) == self->hwnd()) {
    HDC dc = reinterpret_cast<HDC>(wp);
    ::SetBkColor(dc, self->color_ == kWindowColor ? ::GetSysColor(COLOR_WINDOW) : self->color_);
    if (::IsWindowEnabled(self->hwnd())) ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(self->Brush());
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace vantrel::ui
