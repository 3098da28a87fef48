#pragma once
// The ActiveX cleaner's window: the controls Internet Explorer downloaded,
// listed once when the window is created, and the removal of the ticked ones
// (Internet Explorer closed first; unregistered, file and keys deleted). It
// keeps no backup.
#include <windows.h>

#include <string>
#include <vector>

#include "activex/activex_inventory.h"
#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/tool_host.h"
#include "ui/window.h"

namespace vantrel {

class TInitActiveXForm : public ui::Form, private ui::MessageHook {
 public:
  static constexpr const wchar_t* kClassName = L"TInitActiveXForm";

  explicit TInitActiveXForm(HWND owner);
  ~TInitActiveXForm() override;

  // Builds the window and its controls and runs FormCreate; false when the
  // window could not be created.
  bool Create();

  void FormCreate();
  void btnAllCheckClick();
  void btnAllUncheckClick();
  void btnDelClick();
  void btnCancelClick();
  void lv1ColumnClick(int column);
  void FormClose();

  // The hidden fields of the rows, index for index with lv1.
  const std::vector<std::wstring>& UnitIds() const { return unitIds_; }
  const std::vector<std::wstring>& FullPaths() const { return fullPaths_; }
  const std::wstring& MsgDel1() const { return msgDel1_; }
  const std::wstring& MsgDel2() const { return msgDel2_; }

  ui::Panel* pnl1 = nullptr;
  ui::ListView* lv1 = nullptr;
  ui::Panel* pnl2 = nullptr;
  ui::Button* btnAllCheck = nullptr;
  ui::Button* btnAllUncheck = nullptr;
  ui::Panel* pnlLowRight = nullptr;
  ui::Button* btnDel = nullptr;
  ui::Button* btnCancel = nullptr;

 protected:
  void OnDestroy() override;

 private:
  bool HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  void AddRow(const activex::ActiveXRow& row);
  void RemoveRow(int index);

  HWND owner_;
  std::vector<std::wstring> unitIds_;
  std::vector<std::wstring> fullPaths_;
  std::wstring msgDel1_, msgDel2_;
};

// Shows the ActiveX window modally, owned by the main window.
void ShowInitActiveXForm(const ui::ToolHost& host);

}  // namespace vantrel
