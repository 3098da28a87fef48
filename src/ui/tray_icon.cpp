#include "ui/tray_icon.h"

#include <shellapi.h>

namespace vantrel::ui {
namespace {
constexpr UINT kFirstMenuId = 100;
constexpr UINT kTrayIconId = 1;
}  // namespace

// ------------------------------------------------------------- PopupMenu

PopupMenu::PopupMenu() : menu_(::CreatePopupMenu()) {}
PopupMenu::~PopupMenu() {
  if (menu_) ::DestroyMenu(menu_);
}

int PopupMenu::AddItem(const std::wstring& caption, std::function<void()> onClick) {
  int index = Count();
  items_.push_back({caption, std::move(onClick)});
  if (menu_) ::AppendMenuW(menu_, MF_STRING, kFirstMenuId + static_cast<UINT>(index), caption.c_str());
  return index;
}

std::wstring PopupMenu::Caption(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].caption : std::wstring();
}

void PopupMenu::SetCaption(int index, const std::wstring& caption) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<size_t>(index)].caption = caption;
  if (menu_)
    ::ModifyMenuW(menu_, kFirstMenuId + static_cast<UINT>(index), MF_BYCOMMAND | MF_STRING,
                  kFirstMenuId + static_cast<UINT>(index), caption.c_str());
}

void PopupMenu::Click(int index) {
  if (index >= 0 && index < Count() && items_[static_cast<size_t>(index)].onClick)
    items_[static_cast<size_t>(index)].onClick();
}

void PopupMenu::Popup(HWND owner, POINT screen) {
  if (!menu_) return;
  ::SetForegroundWindow(owner);
  UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                                                   screen.y, 0, owner, nullptr));
  ::PostMessageW(owner, WM_NULL, 0, 0);  // lets the menu close properly
  if (chosen >= kFirstMenuId) Click(static_cast<int>(chosen - kFirstMenuId));
}

// -------------------------------------------------------------- TrayIcon

UINT TrayIcon::TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

TrayIcon::TrayIcon(Form& form, HICON icon, const std::wstring& hint) : form_(form), icon_(icon), hint_(hint) {
  TaskbarCreatedMessage();
  form_.AddHook(this);
}

TrayIcon::~TrayIcon() {
  Hide();
  form_.RemoveHook(this);
}

bool TrayIcon::Notify(DWORD action) {
  if (!form_.hwnd()) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;  // understood from Windows 2000 on
  data.hWnd = form_.hwnd();
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_ ? icon_ : ::LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpynW(data.szTip, hint_.c_str(), ARRAYSIZE(data.szTip));
  return ::Shell_NotifyIconW(action, &data) != FALSE;
}

bool TrayIcon::Show() {
  if (shown_) return Notify(NIM_MODIFY);
  // An icon that survived (the taskbar did not really go) is taken over.
  shown_ = Notify(NIM_ADD) || Notify(NIM_MODIFY);
  return shown_;
}

void TrayIcon::Hide() {
  if (!shown_) return;
  Notify(NIM_DELETE);
  shown_ = false;
}

void TrayIcon::SetHint(const std::wstring& hint) {
  hint_ = hint;
  if (shown_) Notify(NIM_MODIFY);
}

bool TrayIcon::HookMessage(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
  if (msg == TaskbarCreatedMessage()) {
    // A new Explorer knows no icons: add ours again (and let others see it).
    if (shown_) {
      shown_ = false;
      Show();
    }
    return false;
  }
  if (msg != kCallbackMessage) return false;
  *result = 0;
  switch (static_cast<UINT>(lp)) {
    case WM_LBUTTONDBLCLK:
      if (onDoubleClick) onDoubleClick();
      break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      if (popupMenu) {
        POINT at;
        ::GetCursorPos(&at);
        popupMenu->Popup(form_.hwnd(), at);
      }
      break;
  }
  return true;
}

}  // namespace vantrel::ui
