#include "addons/addon_auto_reset.h"

#include "addons/bho_form.h"
#include "ui/captions.h"

namespace vantrel {

void RunAddonAutoReset(HWND owner) {
  if (AddonAutoReset) {
    // The exclusion column's texts, as the main window reads them.
    const ui::CaptionReader main(L"VantrelMainForm");
    TBHOForm form(owner, main.Text(L"Msg_ExceptSet", L"설정"), main.Text(L"Msg_ExceptCancel", L"해제"));
    if (form.Create()) form.ShowModal();
  }
  // Cleared also when the window could not be created: the next opening
  // from the main window is manual.
  AddonAutoReset = false;
}

}  // namespace vantrel
