#pragma once
// The notification-area icon of a form with its pop-up menu. The icon comes
// back by itself when Explorer restarts ("TaskbarCreated").
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/window.h"

namespace vantrel::ui {

class PopupMenu {
 public:
  PopupMenu();
  ~PopupMenu();
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  // An item at the end ("&" marks the accelerator); its index.
  int AddItem(const std::wstring& caption, std::function<void()> onClick);
  int Count() const { return static_cast<int>(items_.size()); }
  std::wstring Caption(int index) const;
  void SetCaption(int index, const std::wstring& caption);
  // Runs an item's handler, as choosing it does.
  void Click(int index);
  // Shows the menu at a screen point for `owner` and runs the chosen item.
  // The owner is brought to the foreground first, so that the menu closes
  // when the user clicks elsewhere.
  void Popup(HWND owner, POINT screen);
  HMENU handle() const { return menu_; }

 private:
  struct Item {
    std::wstring caption;
    std::function<void()> onClick;
  };
  HMENU menu_;
  std::vector<Item> items_;
};

class TrayIcon : private MessageHook {
 public:
  // Not shown until Show().
  TrayIcon(Form& form, HICON icon, const std::wstring& hint);
  ~TrayIcon() override;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  bool Show();
  void Hide();
  bool Shown() const { return shown_; }
  const std::wstring& Hint() const { return hint_; }
  void SetHint(const std::wstring& hint);

  PopupMenu* popupMenu = nullptr;       // shown on a right click
  std::function<void()> onDoubleClick;  // left double click

  // The message the icon sends to its form, and the message that tells of a
  // new taskbar.
  static constexpr UINT kCallbackMessage = WM_APP + 0x3A1;
  static UINT TaskbarCreatedMessage();

 private:
  bool HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  bool Notify(DWORD action);
  Form& form_;
  HICON icon_;
  std::wstring hint_;
  bool shown_ = false;
};

}  // namespace vantrel::ui
