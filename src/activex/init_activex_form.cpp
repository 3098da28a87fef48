#include "activex/init_activex_form.h"

#include <algorithm>
#include <utility>

#include "core/app_state.h"
#include "core/helpers.h"
#include "platform/dialogs.h"
#include "tweak/tweak_toggle.h"
#include "ui/captions.h"
#include "ui/list_sort.h"

namespace vantrel {
namespace {

constexpr const wchar_t* kComponent = L"InitActiveXForm";
constexpr const wchar_t* kMsgDel1Korean = L"삭제할 ActiveX를 선택하세요.";
constexpr const wchar_t* kMsgDel2Korean =
    L"ActiveX를 삭제하시면 현재 실행중인 모든 익스플로러가 종료됩니다.#13#10#13#10선택된 ActiveX를 모두 "
    L"삭제하시겠습니까?";
// The smallest outer size the window can be given.
constexpr int kMinWidth = 600;
constexpr int kMinHeight = 300;

}  // namespace

TInitActiveXForm::TInitActiveXForm(HWND owner) : owner_(owner) {}

TInitActiveXForm::~TInitActiveXForm() { RemoveHook(this); }

bool TInitActiveXForm::Create() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = L"엑티브엑스 최적화";
  layout.clientWidth = 854;
  layout.clientHeight = 399;
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                 WS_CLIPCHILDREN;
  layout.owner = owner_;
  AddHook(this);
  if (!Form::Create(layout)) return false;

  // The list first: it takes the focus when the window opens, the buttons follow in tab order.
  pnl1 = &Add<ui::Panel>(ui::Rect{0, 0, 854, 359}, ui::Align::Client);
  pnl2 = &Add<ui::Panel>(ui::Rect{0, 359, 854, 40}, ui::Align::Bottom);
  ui::ListViewOptions options;
  options.checkBoxes = true;
  options.gridLines = true;
  options.fullRowSelect = true;
  options.images = false;
  lv1 = &pnl1->Add<ui::ListView>(ui::Rect{0, 0, 854, 359}, options);
  lv1->SetAlign(ui::Align::Client);
  lv1->AddColumn(L"ActiveX 이름", 200);
  lv1->AddColumn(L"제작사", 200);
  lv1->AddColumn(L"설치 장소", 270);
  lv1->AddColumn(L"만든 날짜", 150);
  lv1->onColumnClick = [this](int column) { lv1ColumnClick(column); };
  lv1->onRowsSwapped = [this](int a, int b) {
    std::swap(unitIds_[static_cast<size_t>(a)], unitIds_[static_cast<size_t>(b)]);
    std::swap(fullPaths_[static_cast<size_t>(a)], fullPaths_[static_cast<size_t>(b)]);
  };

  btnAllCheck = &pnl2->Add<ui::Button>(L"모두 선택", ui::Rect{8, 8, 97, 25});
  btnAllUncheck = &pnl2->Add<ui::Button>(L"선택 해제", ui::Rect{111, 8, 97, 25});
  pnlLowRight = &pnl2->Add<ui::Panel>(ui::Rect{614, 0, 240, 40}, ui::Align::Right);
  btnDel = &pnlLowRight->Add<ui::Button>(L"선택 항목 삭제", ui::Rect{8, 8, 130, 25});
  btnCancel = &pnlLowRight->Add<ui::Button>(L"닫기", ui::Rect{144, 8, 88, 25});
  btnAllCheck->onClick = [this] { btnAllCheckClick(); };
  btnAllUncheck->onClick = [this] { btnAllUncheckClick(); };
  btnDel->onClick = [this] { btnDelClick(); };
  btnCancel->onClick = [this] { btnCancelClick(); };

  FormCreate();
  return true;
}

void TInitActiveXForm::FormCreate() {
  const ui::CaptionReader captions(kComponent);
  captions.Window(*this);
  captions.Caption(*btnAllUncheck, L"btnAllUncheck");
  captions.Caption(*btnAllCheck, L"btnAllCheck");
  captions.Caption(*btnDel, L"btnDel");
  captions.Caption(*btnCancel, L"btnCancel");
  captions.Columns(*lv1, L"lv1");
  msgDel1_ = captions.Message(L"Msg_Del1", kMsgDel1Korean);
  msgDel2_ = captions.Message(L"Msg_Del2", kMsgDel2Korean);

  const POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
  MoveTo(at.x, at.y);

  lv1->Clear();
  unitIds_.clear();
  fullPaths_.clear();
  for (const activex::ActiveXRow& row : activex::ListActiveXControls()) AddRow(row);
}

void TInitActiveXForm::AddRow(const activex::ActiveXRow& row) {
  lv1->AddItem({row.Name, row.Company, row.InstallPlace, row.CreatedDate});
  unitIds_.push_back(row.UnitId);
  fullPaths_.push_back(row.FullPath);
}

void TInitActiveXForm::RemoveRow(int index) {
  lv1->DeleteItem(index);
  unitIds_.erase(unitIds_.begin() + index);
  fullPaths_.erase(fullPaths_.begin() + index);
}

void TInitActiveXForm::btnAllCheckClick() {
  for (int i = 0; i < lv1->Count(); ++i) lv1->SetChecked(i, true);
}

void TInitActiveXForm::btnAllUncheckClick() {
  for (int i = 0; i < lv1->Count(); ++i) lv1->SetChecked(i, false);
}

void TInitActiveXForm::btnDelClick() {
  bool any = false;
  for (int i = 0; i < lv1->Count() && !any; ++i) any = lv1->Checked(i);
  if (!any) {
    platform::ShowMessage(hwnd(), msgDel1_, kProgramTitle);
    return;
  }
  if (!Ask(msgDel2_)) return;

  CloseInternetExplorer();
  ::Sleep(100);

  const int count = std::min<int>(lv1->Count(), static_cast<int>(unitIds_.size()));
  for (int i = count - 1; i >= 0; --i) {
    if (!lv1->Checked(i)) continue;
    const std::wstring unitId = unitIds_[static_cast<size_t>(i)];
    const std::wstring path = fullPaths_[static_cast<size_t>(i)];
    activex::UnregisterServer(path);
    activex::DeleteServerFile(path);
    activex::DelActiveXRegistry(unitId);
    RemoveRow(i);
  }
}

void TInitActiveXForm::btnCancelClick() { Close(); }

void TInitActiveXForm::lv1ColumnClick(int column) { ui::SortListByColumn(*lv1, column); }

void TInitActiveXForm::FormClose() {
  unitIds_.clear();
  unitIds_.shrink_to_fit();
  fullPaths_.clear();
  fullPaths_.shrink_to_fit();
}

void TInitActiveXForm::OnDestroy() { FormClose(); }

bool TInitActiveXForm::HookMessage(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
  if (msg != WM_GETMINMAXINFO) return false;
  auto* info = reinterpret_cast<MINMAXINFO*>(lp);
  info->ptMinTrackSize.x = ui::Scale(kMinWidth);
  info->ptMinTrackSize.y = ui::Scale(kMinHeight);
  *result = 0;
  return true;
}

void ShowInitActiveXForm(const ui::ToolHost& host) {
  TInitActiveXForm form(host.Owner());
  if (form.Create()) form.ShowModal();
}

}  // namespace vantrel
