#pragma once
// A tab control with one sheet (a panel) per tab; the sheet of the selected
// tab is shown, the others hidden.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace vantrel::ui {

class PageControl : public Panel {
 public:
  PageControl(Container& parent, const Rect& designed, Align align = Align::None);

  // A new sheet at the end; its panel fills the tab's page area.
  Panel& AddSheet(const std::wstring& caption);
  int SheetCount() const { return static_cast<int>(sheets_.size()); }
  Panel& Sheet(int index) const { return *sheets_.at(static_cast<size_t>(index)); }
  std::wstring SheetCaption(int index) const;
  void SetSheetCaption(int index, const std::wstring& caption);

  int ActiveIndex() const { return active_; }
  // Selects a tab and shows its sheet; runs onChange. The program's own
  // choice: neither onChanging nor a disabled sheet stops it.
  void SetActiveIndex(int index);
  std::function<void(int index)> onChange;
  // Asked before the user's click or key moves to another tab (the index it
  // would go to); false keeps the current sheet and tab.
  std::function<bool(int index)> onChanging;

  // A disabled sheet's tab cannot be picked by click or keyboard (the arrow
  // keys step over it to the next enabled tab). A sheet that is shown when
  // it is disabled stays shown.
  void SetSheetEnabled(int index, bool enabled);
  bool SheetEnabled(int index) const;

 protected:
  void AfterRealign() override;

 private:
  class Strip;
  void ShowActive();
  void SelectTab(int index);
  // The strip moved to `index` by the user's click or key; false when the
  // move was refused (the strip is then put back).
  bool UserSelected(int index);
  // An arrow key is about to move the strip.
  void KeyPressed(WORD key);
  Strip* strip_ = nullptr;
  std::vector<Panel*> sheets_;
  std::vector<bool> enabled_;
  int active_ = -1;
};

}  // namespace vantrel::ui
