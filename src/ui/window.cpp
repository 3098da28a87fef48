#include "ui/window.h"

#include <algorithm>
#include <atomic>
#include <set>

#include "platform/dialogs.h"

namespace vantrel::ui {
namespace {

std::atomic<int> escapedExceptions{0};
constexpr const wchar_t* kFormProperty = L"Vantrel.Form";

void DispatchOne(MSG& msg) {
  HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && ::GetPropW(root, kFormProperty) && ::IsDialogMessageW(root, &msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
  if (!hwnd) return {};
  int length = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

int EscapedExceptionCount() { return escapedExceptions.load(); }

bool Background::Set(COLORREF color) {
  HBRUSH brush = ::CreateSolidBrush(color);
  if (!brush) return false;
  brush_.reset(brush);
  color_ = color;
  return true;
}

namespace detail {
namespace {

bool IsEditClass(HWND window) {
  wchar_t name[16] = L"";
  ::GetClassNameW(window, name, 16);
  return lstrcmpiW(name, L"Edit") == 0;
}

// The colour `window` shows: its own, else the one of the nearest kit
// container around it (panels, then the form); null when none has one.
const Background* InheritedBackground(Form& form, HWND window) {
  for (HWND w = window; w; w = ::GetParent(w)) {
    if (w == form.hwnd()) return form.background().IsSet() ? &form.background() : nullptr;
    if (!(::GetWindowLongW(w, GWL_STYLE) & WS_CHILD)) break;
    Control* c = form.FindControl(::GetDlgCtrlID(w));
    if (c && c->hwnd() == w && c->background().IsSet()) return &c->background();
  }
  return nullptr;
}

void FillWith(HWND window, HDC dc, HBRUSH brush) {
  RECT client;
  ::GetClientRect(window, &client);
  ::FillRect(dc, &client, brush);
}

}  // namespace

HBRUSH ControlColorBrush(Form& form, HWND child, HDC dc, bool inherit) {
  const Background* background = nullptr;
  if (inherit) {
    background = InheritedBackground(form, child);
  } else if (Control* c = form.FindControl(::GetDlgCtrlID(child)); c && c->hwnd() == child && c->background().IsSet()) {
    background = &c->background();
  }
  if (!background) return nullptr;
  ::SetBkColor(dc, background->Color());
  return background->Brush();
}

HBRUSH ControlColorBrush(Form& form, HWND child, HDC dc) {
  return ControlColorBrush(form, child, dc, !IsEditClass(child));
}

bool EraseWithInheritedColor(Form& form, HWND window, HDC dc) {
  const Background* background = InheritedBackground(form, window);
  if (!background) return false;
  FillWith(window, dc, background->Brush());
  return true;
}

void NoteEscapedException(UINT msg) noexcept {
  ++escapedExceptions;
  wchar_t text[96];
  wsprintfW(text, L"Vantrel: an exception was stopped at a window procedure (message 0x%04X)\n", msg);
  ::OutputDebugStringW(text);
}

bool RegisterKitClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background, HICON icon) {
  static std::set<std::wstring> registered;
  if (registered.count(name)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  registered.insert(name);
  return true;
}

}  // namespace detail

// ---------------------------------------------------------------- Control

Control::Control(Container& parent) : parent_(parent), form_(&parent.OwnerForm()) {}

Control::~Control() {
  if (id_) form_->UnregisterControl(id_);
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

Form& Control::form() const { return *form_; }

bool Control::CreateChild(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle,
                          const Rect& designed, LPVOID param) {
  id_ = form_->RegisterControl(this);
  RECT r = ScaleRect(designed);
  visible_ = (style & WS_VISIBLE) != 0;
  hwnd_ = ::CreateWindowExW(exStyle, windowClass, text.c_str(), style | WS_CHILD, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, parent_.ContainerWindow(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), ::GetModuleHandleW(nullptr), param);
  if (hwnd_) ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  return hwnd_ != nullptr;
}

std::wstring Control::Text() const { return WindowText(hwnd_); }

void Control::SetText(const std::wstring& text) {
  if (hwnd_) ::SetWindowTextW(hwnd_, text.c_str());
}

void Control::SetFont(HFONT font) {
  if (hwnd_) ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool Control::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
void Control::SetEnabled(bool enabled) {
  if (hwnd_) ::EnableWindow(hwnd_, enabled);
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (align_ != Align::None) parent_.Realign();
}

void Control::SetBounds(const Rect& designed) {
  RECT r = ScaleRect(designed);
  SetBoundsPx(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void Control::SetBoundsPx(int left, int top, int width, int height) {
  if (hwnd_)
    ::SetWindowPos(hwnd_, nullptr, left, top, std::max(0, width), std::max(0, height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Control::BoundsPx() const {
  RECT r{};
  if (!hwnd_) return r;
  ::GetWindowRect(hwnd_, &r);
  ::MapWindowPoints(nullptr, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int Control::WidthPx() const {
  RECT r = BoundsPx();
  return r.right - r.left;
}
int Control::HeightPx() const {
  RECT r = BoundsPx();
  return r.bottom - r.top;
}

void Control::SetHeightPx(int height) {
  RECT r = BoundsPx();
  SetBoundsPx(r.left, r.top, r.right - r.left, height);
  if (align_ != Align::None) parent_.Realign();
}

bool Control::SetBackgroundColor(COLORREF color) {
  if (!background_.Set(color)) return false;
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
  return true;
}

void Control::ClearBackgroundColor() {
  background_.Clear();
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetAlign(Align align) {
  align_ = align;
  parent_.Realign();
}

// -------------------------------------------------------------- Container

Container::~Container() = default;

void Container::Realign() {
  HWND window = ContainerWindow();
  if (!window) return;
  RECT rc;
  ::GetClientRect(window, &rc);
  int left = rc.left, top = rc.top, right = rc.right, bottom = rc.bottom;
  auto shown = [](const std::unique_ptr<Control>& c, Align a) { return c->align() == a && c->Visible(); };
  for (auto& c : children_)
    if (shown(c, Align::Top)) {
      int h = c->HeightPx();
      c->SetBoundsPx(left, top, right - left, h);
      top += h;
    }
  for (auto it = children_.rbegin(); it != children_.rend(); ++it)
    if (shown(*it, Align::Bottom)) {
      int h = (*it)->HeightPx();
      bottom -= h;
      (*it)->SetBoundsPx(left, bottom, right - left, h);
    }
  for (auto& c : children_)
    if (shown(c, Align::Left)) {
      int w = c->WidthPx();
      c->SetBoundsPx(left, top, w, bottom - top);
      left += w;
    }
  for (auto it = children_.rbegin(); it != children_.rend(); ++it)
    if (shown(*it, Align::Right)) {
      int w = (*it)->WidthPx();
      right -= w;
      (*it)->SetBoundsPx(right, top, w, bottom - top);
    }
  for (auto& c : children_)
    if (shown(c, Align::Client)) c->SetBoundsPx(left, top, right - left, bottom - top);
  AfterRealign();
}

// ------------------------------------------------------------------- Form

Form::Form() = default;

Form::~Form() {
  if (hwnd_) ::DestroyWindow(hwnd_);
  DestroyChildren();
}

bool Form::Create(const FormSpec& layout) {
  HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (!detail::RegisterKitClass(layout.className, &detail::BoundProc<Form>, CS_DBLCLKS,
                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon))
    return false;
  RECT r{0, 0, Scale(layout.clientWidth), Scale(layout.clientHeight)};
  ::AdjustWindowRectEx(&r, layout.style, FALSE, layout.exStyle);
  ::CreateWindowExW(layout.exStyle, layout.className, layout.caption.c_str(), layout.style, CW_USEDEFAULT, CW_USEDEFAULT,
                    r.right - r.left, r.bottom - r.top, layout.owner, nullptr, ::GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  ::SetPropW(hwnd_, kFormProperty, reinterpret_cast<HANDLE>(1));
  ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  return true;
}

void Form::UnbindWindow() {
  ::RemovePropW(hwnd_, kFormProperty);
  hwnd_ = nullptr;
  if (modal_) modalDone_ = true;
}

std::wstring Form::Caption() const { return WindowText(hwnd_); }

void Form::SetCaption(const std::wstring& caption) {
  if (hwnd_) ::SetWindowTextW(hwnd_, caption.c_str());
}

void Form::Show() {
  if (hwnd_) ::ShowWindow(hwnd_, SW_SHOW);
}
void Form::Hide() {
  if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}
void Form::Close() {
  if (hwnd_) ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}
void Form::Destroy() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

RECT Form::WindowRectPx() const {
  RECT r{};
  if (hwnd_) ::GetWindowRect(hwnd_, &r);
  return r;
}
int Form::WindowWidthPx() const {
  RECT r = WindowRectPx();
  return r.right - r.left;
}
int Form::WindowHeightPx() const {
  RECT r = WindowRectPx();
  return r.bottom - r.top;
}
void Form::SetWindowHeightPx(int height) {
  if (hwnd_)
    ::SetWindowPos(hwnd_, nullptr, 0, 0, WindowWidthPx(), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Form::MoveTo(int left, int top) {
  if (hwnd_) ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::CenterInWorkArea() {
  if (!hwnd_) return;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &info) &&
      !::SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0))
    return;
  const RECT& work = info.rcWork;
  const int width = WindowWidthPx(), height = WindowHeightPx();
  const int left = work.left + static_cast<int>(std::max<LONG>(0, (work.right - work.left - width) / 2));
  const int top = work.top + std::max<LONG>(0, (work.bottom - work.top - height) / 2);
  MoveTo(left, top);
}

void Form::SetMinimumSize(int designedWidth, int designedHeight) {
  minSize_ = SIZE{designedWidth > 0 ? Scale(designedWidth) : 0, designedHeight > 0 ? Scale(designedHeight) : 0};
  // A window already smaller grows to the new minimum.
  if (hwnd_ && (WindowWidthPx() < minSize_.cx || WindowHeightPx() < minSize_.cy))
    ::SetWindowPos(hwnd_, nullptr, 0, 0, std::max<int>(WindowWidthPx(), minSize_.cx),
                   std::max<int>(WindowHeightPx(), minSize_.cy), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::SetBackgroundColor(COLORREF color) {
  if (!background_.Set(color)) return false;
  if (hwnd_) ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
  return true;
}

void Form::ClearBackgroundColor() {
  background_.Clear();
  if (hwnd_) ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

int Form::ShowModal() {
  if (!hwnd_) return IDCANCEL;
  HWND self = hwnd_;
  HWND ownerWindow = owner();
  bool reenable = ownerWindow && ::IsWindowEnabled(ownerWindow);
  if (ownerWindow) ::EnableWindow(ownerWindow, FALSE);
  modal_ = true;
  modalDone_ = false;
  modalResult_ = IDCANCEL;
  if (!showModalHidden_) ::ShowWindow(self, SW_SHOW);
  PumpMessagesUntil([&] { return modalDone_ || !::IsWindow(self); });
  // The owner first, so that it is the one activated when this form goes.
  if (reenable) ::EnableWindow(ownerWindow, TRUE);
  if (::IsWindow(self)) ::ShowWindow(self, SW_HIDE);
  modal_ = false;
  return modalResult_;
}

void Form::EndModal(int result) {
  modalResult_ = result;
  modalDone_ = true;
  if (hwnd_) ::PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the loop
}

bool Form::Ask(const std::wstring& text) { return platform::AskYesNo(hwnd_, text, Caption()); }

int Form::RegisterControl(Control* control) {
  int id = nextId_++;
  controls_[id] = control;
  return id;
}
void Form::UnregisterControl(int id) { controls_.erase(id); }
Control* Form::FindControl(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}
void Form::RemoveHook(MessageHook* hook) { hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end()); }

LRESULT Form::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  for (MessageHook* hook : std::vector<MessageHook*>(hooks_)) {
    LRESULT result = 0;
    if (hook->HookMessage(msg, wp, lp, &result)) return result;
  }
  switch (msg) {
    case WM_COMMAND:
      if (lp) {
        if (Control* c = FindControl(LOWORD(wp))) {
          c->OnCommand(HIWORD(wp));
          return 0;
        }
      } else if (OnMenuCommand(LOWORD(wp))) {
        return 0;
      } else if (LOWORD(wp) == IDCANCEL && modal_) {  // Esc in a modal form
        ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (Control* c = FindControl(static_cast<int>(header->idFrom))) return c->OnNotify(*header);
      break;
    }
    case WM_CLOSE:
      if (!OnCloseQuery()) return 0;
      if (modal_)
        EndModal(IDCANCEL);
      else
        ::DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_SYSCOMMAND:
      if (OnSysCommand(wp)) return 0;
      break;
    case WM_WINDOWPOSCHANGING:
      OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lp));
      break;
    case WM_GETMINMAXINFO:
      if (minSize_.cx > 0 || minSize_.cy > 0) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, minSize_.cx);
        info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, minSize_.cy);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      if (background_.IsSet()) {
        RECT client;
        ::GetClientRect(hwnd, &client);
        ::FillRect(reinterpret_cast<HDC>(wp), &client, background_.Brush());
        return 1;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (HBRUSH brush = detail::ControlColorBrush(*this, reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_SIZE:
      Realign();
      OnSize();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd, focus)) focus_ = focus;
      } else if (!HIWORD(wp)) {  // not while minimised
        if (!(focus_ && ::IsWindow(focus_) && ::IsChild(hwnd, focus_) && ::IsWindowVisible(focus_)))
          focus_ = ::GetNextDlgTabItem(hwnd, nullptr, FALSE);
        if (focus_) ::SetFocus(focus_);
        return 0;
      }
      break;
    default:
      if (msg >= WM_USER) {
        LRESULT result = 0;
        if (OnUserMessage(msg, wp, lp, &result)) return result;
      }
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// ------------------------------------------------------------------ loops

bool PumpMessagesUntil(const std::function<bool()>& done) {
  MSG msg;
  while (!done()) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (got == -1) return false;
    DispatchOne(msg);
  }
  return true;
}

int RunMessageLoop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchOne(msg);
  return static_cast<int>(msg.wParam);
}

void PumpPendingMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchOne(msg);
  }
}

}  // namespace vantrel::ui
