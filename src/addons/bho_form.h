#pragma once
// The add-on removal window: Browser Helper Objects, toolbars and extension
// buttons in three lists; per row a removal tick (the first column's
// picture) and an exclusion mark (picture and text of the second column)
// that protects the add-on from the automatic reset. Every removal is
// backed up in the recovery store first.
//
// Opened by the user (manual mode) or, invisible, by the tweak toggle with
// AddonAutoReset set (automatic mode: a timer removes every add-on that is
// not excluded, without questions, and closes the window).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "addons/addon_inventory.h"
#include "recovery/recovery_store.h"
#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/tool_host.h"
#include "ui/window.h"

namespace vantrel {

class TBHOForm : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"TBHOForm";
  // Pictures of the image list.
  static constexpr int kBoxEmpty = ui::ListView::kTickBoxEmpty;
  static constexpr int kBoxTicked = ui::ListView::kTickBoxTicked;

  // What the window works with; the defaults are the system's.
  struct Environment {
    std::wstring settingsPath;                 // "Vantrel.ini" of the program folder
    recovery::RecoveryStore store;             // the recovery store of the data folder
    addons::AddonSources sources;              // the registry views read
    DWORD uninstallerWaitMs = 30 * 60 * 1000;  // longest wait for one toolbar uninstaller
    static Environment System();
  };

  // `exceptSet` / `exceptCancel`: the exclusion column's texts as the main
  // window read them.
  TBHOForm(HWND owner, std::wstring exceptSet, std::wstring exceptCancel, Environment env = Environment::System());
  ~TBHOForm() override;

  // Builds the window and its controls and runs FormCreate (reads
  // AddonAutoReset); false when the window could not be created.
  bool Create();
  bool AutomaticMode() const { return automatic_; }

  // ---- event handlers
  void FormCreate();
  void tmr1Timer();
  void btnAllCheckClick();
  void btnAllUncheckClick();
  void btnDelClick();
  void btnCancelClick();
  void lv1ColumnClick(int column) { lvColumnClick(*lv1, column); }
  void lv2ColumnClick(int column) { lvColumnClick(*lv2, column); }
  void lv3ColumnClick(int column) { lvColumnClick(*lv3, column); }
  void lv1MouseDown(const ui::ListHit& hit) { lvMouseDown(*lv1, hit); }
  void lv2MouseDown(const ui::ListHit& hit) { lvMouseDown(*lv2, hit); }
  void lv3MouseDown(const ui::ListHit& hit) { lvMouseDown(*lv3, hit); }
  // What the three lists share: sorting by the clicked column, and the tick
  // cells (column 0 flips the removal tick, column 1 the exclusion mark).
  void lvColumnClick(ui::ListView& list, int column);
  void lvMouseDown(ui::ListView& list, const ui::ListHit& hit);
  void FormClose();

  void LoadResetExclusions();
  bool SaveResetExclusions();
  void DeleteAddons(bool automatic);

  // The hidden ids kept in step with the rows of lv1 and lv2.
  // Beside the id, the texts the removal works with, kept whole (a list
  // view cell gives back only so much).
  struct HiddenId {
    std::wstring id;
    addons::RegistryView view = addons::RegistryView::Default;
    std::wstring fullPath;
    std::wstring uninstallCommand;  // toolbars only
  };
  const std::vector<HiddenId>& Clsids() const { return clsids_; }
  const std::vector<HiddenId>& ToolbarIds() const { return toolbarIds_; }
  bool RowTicked(const ui::ListView& list, int row) const { return list.ItemImage(row, 0) == kBoxTicked; }
  bool RowExcluded(const ui::ListView& list, int row) const { return list.ItemImage(row, 1) == kBoxTicked; }

  // ---- controls, named as designed
  ui::Panel* pnl1 = nullptr;
  ui::Panel* pnlTop = nullptr;
  ui::Panel* spl1 = nullptr;
  ui::Panel* pnlCenter = nullptr;
  ui::Panel* spl2 = nullptr;
  ui::Panel* pnlBottom = nullptr;
  ui::ListView* lv1 = nullptr;
  ui::ListView* lv2 = nullptr;
  ui::ListView* lv3 = nullptr;
  ui::Panel* pnl2 = nullptr;
  ui::Button* btnAllCheck = nullptr;
  ui::Button* btnAllUncheck = nullptr;
  ui::Panel* pnlLowRight = nullptr;
  ui::Button* btnDel = nullptr;
  ui::Button* btnCancel = nullptr;
  std::unique_ptr<ui::Timer> tmr1;

 protected:
  bool OnCloseQuery() override;
  void OnDestroy() override;

 private:
  class MinSizeHook;
  class SplitterDrag;
  void Fill();
  void SetExclusionMark(ui::ListView& list, int row, bool excluded);
  void ForEachList(void (*fn)(ui::ListView&, int));
  bool RemoveBho(int row);
  bool RemoveToolbar(int row, bool automatic, bool& asked, bool& runUninstallers);
  bool RemoveExtension(int row);
  void RunUninstaller(const std::wstring& command);

  HWND owner_;
  std::wstring exceptSet_, exceptCancel_;
  Environment env_;
  bool automatic_ = false;
  std::vector<HiddenId> clsids_, toolbarIds_;
  std::vector<std::wstring> bhoExclusions_, toolbarExclusions_, iconExclusions_;
  std::wstring msgDelBho1_, msgDelBho2_, msgDelBho3_;
  std::unique_ptr<MinSizeHook> minSize_;
  std::vector<std::unique_ptr<SplitterDrag>> splitters_;
};

// Opens the window modally in manual mode, owned by the main window; the
// exclusion texts come from `host`.
void ShowBhoForm(ui::ToolHost& host, const std::wstring& settingsPath);

}  // namespace vantrel
