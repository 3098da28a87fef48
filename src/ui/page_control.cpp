#include "ui/page_control.h"

#include <commctrl.h>

namespace vantrel::ui {

// The tab strip itself; tells its page control when the user picks a tab.
class PageControl::Strip : public Control {
 public:
  Strip(Container& parent, PageControl& owner) : Control(parent), owner_(owner) {
    CreateChild(WC_TABCONTROLW, L"", WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, Rect{});
  }
  // The strip has already moved when it tells; a refused move is undone
  // before anything is shown (the strip draws the change after this).
  LRESULT OnNotify(NMHDR& header) override {
    if (header.code == TCN_KEYDOWN) owner_.KeyPressed(reinterpret_cast<NMTCKEYDOWN&>(header).wVKey);
    if (header.code == TCN_SELCHANGE) owner_.UserSelected(TabCtrl_GetCurSel(hwnd()));
    return 0;
  }

 private:
  PageControl& owner_;
};

PageControl::PageControl(Container& parent, const Rect& designed, Align align) : Panel(parent, designed, align) {
  strip_ = &Add<Strip>(*this);
  strip_->SetAlign(Align::Client);
}

Panel& PageControl::AddSheet(const std::wstring& caption) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(caption.c_str());
  int index = SheetCount();
  ::SendMessageW(strip_->hwnd(), TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  Panel& sheet = Add<Panel>(Rect{});
  // Sheets lie above the strip so that they get the clicks on their area.
  ::SetWindowPos(sheet.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  sheets_.push_back(&sheet);
  enabled_.push_back(true);
  if (active_ < 0) active_ = 0;
  AfterRealign();
  ShowActive();
  return sheet;
}

std::wstring PageControl::SheetCaption(int index) const {
  wchar_t buffer[256] = L"";
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer;
  item.cchTextMax = 256;
  ::SendMessageW(strip_->hwnd(), TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

void PageControl::SetSheetCaption(int index, const std::wstring& caption) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(caption.c_str());
  ::SendMessageW(strip_->hwnd(), TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void PageControl::SetActiveIndex(int index) {
  if (index < 0 || index >= SheetCount()) return;
  active_ = index;
  SelectTab(index);
  ShowActive();
  if (onChange) onChange(index);
}

void PageControl::SelectTab(int index) {
  HWND strip = strip_->hwnd();
  TabCtrl_SetCurSel(strip, index);
  // Only the selected tab is pressed. Some tab controls do not clear the
  // mark when a key moves the selection, and then take the next click on
  // another tab for a click beside the pressed one and ignore it.
  for (int i = 0; i < SheetCount(); ++i) {
    if (i == index) continue;
    TCITEMW item{};
    item.mask = TCIF_STATE;
    item.dwStateMask = TCIS_BUTTONPRESSED;
    ::SendMessageW(strip, TCM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

bool PageControl::UserSelected(int index) {
  if (index == active_) return true;
  const bool allowed = index >= 0 && index < SheetCount() && SheetEnabled(index) && (!onChanging || onChanging(index));
  if (!allowed) {
    // onChanging may have destroyed the window (closing the form).
    if (strip_ && ::IsWindow(strip_->hwnd())) SelectTab(active_);
    return false;
  }
  SetActiveIndex(index);
  return true;
}

void PageControl::KeyPressed(WORD key) {
  const int step = key == VK_LEFT ? -1 : key == VK_RIGHT ? 1 : 0;
  const int next = active_ + step;
  if (step == 0 || next < 0 || next >= SheetCount() || SheetEnabled(next)) return;
  // The strip moves one tab in the key's direction after this; a disabled
  // tab in the way is stepped over by putting the strip just before the
  // next enabled one (quietly: the sheet shown does not change here).
  for (int target = next + step; target >= 0 && target < SheetCount(); target += step) {
    if (SheetEnabled(target)) {
      TabCtrl_SetCurSel(strip_->hwnd(), target - step);
      return;
    }
  }
}

void PageControl::SetSheetEnabled(int index, bool enabled) {
  if (index < 0 || index >= SheetCount()) return;
  enabled_[static_cast<size_t>(index)] = enabled;
}

bool PageControl::SheetEnabled(int index) const {
  return index >= 0 && index < SheetCount() && enabled_[static_cast<size_t>(index)];
}

void PageControl::ShowActive() {
  for (int i = 0; i < SheetCount(); ++i) sheets_[static_cast<size_t>(i)]->SetVisible(i == active_);
}

void PageControl::AfterRealign() {
  if (!strip_ || !strip_->hwnd()) return;
  RECT page;
  ::GetClientRect(strip_->hwnd(), &page);
  TabCtrl_AdjustRect(strip_->hwnd(), FALSE, &page);
  for (Panel* sheet : sheets_)
    sheet->SetBoundsPx(page.left, page.top, page.right - page.left, page.bottom - page.top);
}

}  // namespace vantrel::ui
