#pragma once
// The tweak status view: what the tweak sets and whether it is applied, plus
// the computer's IP address. It reads nothing from the registry: the state
// shown is the one the main window's toggle button names.
#include <windows.h>

#include <string>

#include "tweak/status_rows.h"
#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/window.h"

namespace vantrel {

class TPingStatusForm : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"TPingStatusForm";

  // `toggleCaption`: the caption of the main window's toggle button.
  // `localIp`: where the address comes from (the system's by default).
  TPingStatusForm(HWND owner, std::wstring toggleCaption, std::wstring (*localIp)() = nullptr);

  // Builds the window and its controls and runs FormCreate; false when the
  // window could not be created.
  bool Create();

  void FormCreate();
  void btnCloseClick();

  ui::Panel* pnl1 = nullptr;
  ui::ListView* lv1 = nullptr;
  ui::Panel* pnlBottom = nullptr;
  ui::Button* btnClose = nullptr;

 private:
  HWND owner_;
  std::wstring toggleCaption_;
  std::wstring (*localIp_)();
};

// Shows the status view modally, owned by `owner`; the state shown is the one
// the toggle button's caption names.
void ShowTweakStatus(HWND owner, const std::wstring& toggleCaption);

}  // namespace vantrel
