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
  // Selects a tab and shows its sheet; runs onChange.
  void SetActiveIndex(int index);
  std::function<void(int index)> onChange;

 protected:
  void AfterRealign() override;

 private:
  class Strip;
  void ShowActive();
  Strip* strip_ = nullptr;
  std::vector<Panel*> sheets_;
  int active_ = -1;
};

}  // namespace vantrel::ui
