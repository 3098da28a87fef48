#include "ui/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/gdi_holders.h"

namespace vantrel::ui {

// ---------------------------------------------------------------- Button

Button::Button(Container& parent, const std::wstring& caption, const Rect& designed, bool tabStop)
    : Control(parent) {
  CreateChild(L"BUTTON", caption, WS_VISIBLE | BS_PUSHBUTTON | (tabStop ? WS_TABSTOP : 0), 0, designed);
}

void Button::OnCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

// -------------------------------------------------------------- CheckBox

CheckBox::CheckBox(Container& parent, const std::wstring& caption, const Rect& designed, bool checked)
    : Control(parent) {
  CreateChild(L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, designed);
  SetChecked(checked);
}

bool CheckBox::Checked() const { return hwnd() && ::SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  if (hwnd()) ::SendMessageW(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::Click() {
  SetChecked(!Checked());
  if (onClick) onClick();
}

void CheckBox::OnCommand(WORD code) {
  // BS_AUTOCHECKBOX has already changed the state.
  if (code == BN_CLICKED && onClick) onClick();
}

// ----------------------------------------------------------------- Label

Label::Label(Container& parent, const std::wstring& caption, const Rect& designed, TextAlign align)
    : Control(parent) {
  DWORD style = WS_VISIBLE | SS_NOPREFIX | WS_CLIPSIBLINGS;
  style |= align == TextAlign::Center ? SS_CENTER : align == TextAlign::Right ? SS_RIGHT : SS_LEFT;
  CreateChild(L"STATIC", caption, style, 0, designed);
}

int Label::TextWidthPx(const std::wstring& text) const {
  platform::WindowDc dc(hwnd());
  if (!dc) return 0;
  platform::SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// ----------------------------------------------------------------- Panel

Panel::Panel(Container& parent, const Rect& designed, Align align) : Control(parent) {
  detail::RegisterKitClass(L"VantrelPanel", &detail::BoundProc<Panel>, 0,
                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  CreateChild(L"VantrelPanel", L"", WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, designed,
              this);
  if (align != Align::None) SetAlign(align);
}

Panel::~Panel() { DestroyChildren(); }

LRESULT Panel::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      Realign();
      return 0;
    case WM_ERASEBKGND:
      if (detail::EraseWithInheritedColor(form(), hwnd, reinterpret_cast<HDC>(wp))) return 1;
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
      // Children talk to the form, wherever they sit.
      if (HWND up = ::GetParent(hwnd)) return ::SendMessageW(up, msg, wp, lp);
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// ----------------------------------------------------------- ProgressBar

ProgressBar::ProgressBar(Container& parent, const Rect& designed, ProgressStyle style)
    : Control(parent), style_(style == ProgressStyle::Marquee ? ProgressStyle::Blocks : style) {
  CreateChild(PROGRESS_CLASSW, L"", WS_VISIBLE | (style_ == ProgressStyle::Smooth ? PBS_SMOOTH : 0), 0, designed);
  if (style == ProgressStyle::Marquee) SetMarquee(true);
}

void ProgressBar::SetStyleBits(DWORD add, DWORD remove) {
  if (!hwnd()) return;
  const DWORD old = static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_STYLE));
  ::SetWindowLongW(hwnd(), GWL_STYLE, static_cast<LONG>((old & ~remove) | add));
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void ProgressBar::SetRange(int minimum, int maximum) {
  if (minimum > maximum) std::swap(minimum, maximum);
  if (hwnd()) ::SendMessageW(hwnd(), PBM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
}

int ProgressBar::Minimum() const {
  return hwnd() ? static_cast<int>(::SendMessageW(hwnd(), PBM_GETRANGE, TRUE, 0)) : 0;
}
int ProgressBar::Maximum() const {
  return hwnd() ? static_cast<int>(::SendMessageW(hwnd(), PBM_GETRANGE, FALSE, 0)) : 0;
}

void ProgressBar::SetPosition(int position) {
  if (!hwnd()) return;
  position = std::clamp(position, Minimum(), Maximum());
  ::SendMessageW(hwnd(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}
int ProgressBar::Position() const {
  return hwnd() ? static_cast<int>(::SendMessageW(hwnd(), PBM_GETPOS, 0, 0)) : 0;
}

void ProgressBar::Advance(int delta) {
  const long long target = static_cast<long long>(Position()) + delta;
  SetPosition(static_cast<int>(std::clamp<long long>(target, Minimum(), Maximum())));
}

void ProgressBar::SetSmooth(bool smooth) {
  if (MarqueeRunning()) SetMarquee(false);
  style_ = smooth ? ProgressStyle::Smooth : ProgressStyle::Blocks;
  SetStyleBits(smooth ? PBS_SMOOTH : 0, smooth ? 0 : PBS_SMOOTH);
}

bool ProgressBar::SetMarquee(bool running, UINT intervalMs) {
  if (!hwnd()) return false;
  if (running) {
    if (MarqueeRunning()) {
      ::SendMessageW(hwnd(), PBM_SETMARQUEE, TRUE, static_cast<LPARAM>(intervalMs));
      return true;
    }
    const DWORD old = static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_STYLE));
    SetStyleBits(PBS_MARQUEE, 0);
    // Version 6 answers TRUE; older controls do not know the message.
    if (!::SendMessageW(hwnd(), PBM_SETMARQUEE, TRUE, static_cast<LPARAM>(intervalMs))) {
      ::SetWindowLongW(hwnd(), GWL_STYLE, static_cast<LONG>(old));
      return false;
    }
    before_ = style_;
    style_ = ProgressStyle::Marquee;
    return true;
  }
  if (!MarqueeRunning()) return true;
  ::SendMessageW(hwnd(), PBM_SETMARQUEE, FALSE, 0);
  style_ = before_;
  SetStyleBits(style_ == ProgressStyle::Smooth ? PBS_SMOOTH : 0, PBS_MARQUEE);
  return true;
}

// ----------------------------------------------------------------- Timer

Timer::Timer(Form& form, UINT intervalMs) : form_(form), id_(form.NewTimerId()), interval_(intervalMs) {
  form_.AddHook(this);
}

Timer::~Timer() {
  Stop();
  form_.RemoveHook(this);
}

void Timer::Start() {
  if (form_.hwnd() && ::SetTimer(form_.hwnd(), id_, interval_, nullptr)) running_ = true;
}

void Timer::Stop() {
  if (running_ && form_.hwnd()) ::KillTimer(form_.hwnd(), id_);
  running_ = false;
}

void Timer::SetInterval(UINT intervalMs) {
  interval_ = intervalMs;
  if (running_) Start();  // SetTimer with the same id replaces it
}

bool Timer::HookMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
  if (msg != WM_TIMER || wp != id_) return false;
  if (onTimer) onTimer();
  *result = 0;
  return true;
}

}  // namespace vantrel::ui
