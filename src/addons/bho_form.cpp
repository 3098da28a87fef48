#include "addons/bho_form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <utility>

#include "addons/addon_rules.h"
#include "core/app_state.h"
#include "core/helpers.h"
#include "core/settings_file.h"
#include "platform/dialogs.h"
#include "platform/reg_key.h"
#include "tweak/tweak_toggle.h"
#include "ui/captions.h"
#include "ui/list_sort.h"
#include "ui/scale.h"

namespace vantrel {
namespace {

using addons::RegistryView;
using platform::RegKey;

constexpr const wchar_t* kComponent = L"BHOForm";
constexpr DWORD kRegsvr32WaitMs = 5000;
constexpr UINT kTimerIntervalMs = 10;

const wchar_t kDefaultDelBho1[] = L"삭제할 항목을 선택하세요.";
const wchar_t kDefaultDelBho2[] =
    L"선택 항목을 삭제하려면 현재 실행중인 모든 익스플로러가 종료됩니다.#13#10#13#10선택 항목을 모두 삭제하시겠습니까?";
const wchar_t kDefaultDelBho3[] =
    L"툴바 제거 프로그램이 존재합니다.#13#10선택 항목의 툴바 파일을 모두 삭제하려면 \"예(&Y)\" 버튼을,#13#10"
    L"선택 항목의 툴바 관련 파일들을 남겨두고 삭제하려면 \"아니요(&N)\" 버튼을 클릭하십시오.#13#10#13#10"
    L"툴바 제거 프로그램을 실행하시겠습니까?";

// The regsvr32 of the system folder whose bitness matches the view (a
// 64-bit server is unregistered by the 64-bit program and the other way
// round). Always a full path.
std::wstring Regsvr32For(RegistryView view) {
  return platform::SystemProgramPath(L"regsvr32.exe", recovery::ProgramBitsOf(view));
}

// regsvr32 loads the server it is given and runs its code, with this
// program's rights: only a full path is handed over, never one that would be
// looked for in the current folder (a relative path, or one still holding a
// "%...%" reference), nor one with arguments of its own.
void Unregister(const std::wstring& fullPath, RegistryView view) {
  const std::wstring serverPath = addons::ServerPathToUnregister(fullPath);
  if (serverPath.empty()) return;
  const std::wstring regsvr32 = Regsvr32For(view);
  if (regsvr32.empty()) return;
  RunCommand(addons::UnregisterCommand(regsvr32, serverPath), SW_HIDE, true, kRegsvr32WaitMs);
}

// Whether the uninstaller names an existing program file by its full path.
bool IsProgramFile(const std::wstring& programPart) {
  const std::wstring file = addons::UninstallerProgramFile(programPart);
  if (file.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Opens a machine key for reading and writing in a view; never creates it.
bool OpenWrite(RegKey& key, HKEY root, const std::wstring& path, RegistryView view) {
  return key.Open(root, path, platform::kKeyReadWrite | recovery::ViewFlag(view)) == ERROR_SUCCESS;
}

bool HasSubkey(HKEY root, const std::wstring& base, const std::wstring& name, RegistryView view) {
  RegKey key;
  return key.Open(root, base + L"\\" + name, KEY_READ | recovery::ViewFlag(view)) == ERROR_SUCCESS;
}

}  // namespace

// Keeps the outer size at 600 x 400 pixels or more.
class TBHOForm::MinSizeHook : public ui::MessageHook {
 public:
  bool HookMessage(UINT msg, WPARAM, LPARAM lp, LRESULT* result) override {
    if (msg != WM_GETMINMAXINFO) return false;
    auto* info = reinterpret_cast<MINMAXINFO*>(lp);
    info->ptMinTrackSize.x = ui::Scale(600);
    info->ptMinTrackSize.y = ui::Scale(400);
    *result = 0;
    return true;
  }
};

// Dragging a splitter bar moves the border of the panel beside it (above it
// for spl1, below it for spl2), redrawing while it moves.
class TBHOForm::SplitterDrag {
 public:
  SplitterDrag(ui::Panel& bar, ui::Panel& target, ui::Panel& container, bool targetAbove)
      : bar_(bar), target_(target), container_(container), above_(targetAbove) {
    ::SetWindowSubclass(bar_.hwnd(), Proc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~SplitterDrag() {
    if (::IsWindow(bar_.hwnd())) ::RemoveWindowSubclass(bar_.hwnd(), Proc, 1);
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* s = reinterpret_cast<SplitterDrag*>(self);
    switch (msg) {
      case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
        return TRUE;
      case WM_LBUTTONDOWN: {
        POINT p{};
        ::GetCursorPos(&p);
        s->startY_ = p.y;
        s->startHeight_ = s->target_.HeightPx();
        s->dragging_ = true;
        ::SetCapture(hwnd);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (s->dragging_) {
          POINT p{};
          ::GetCursorPos(&p);
          const int delta = p.y - s->startY_;
          int height = s->startHeight_ + (s->above_ ? delta : -delta);
          RECT client{};
          ::GetClientRect(s->container_.hwnd(), &client);
          const int limit = client.bottom - ui::Scale(60);
          if (height > limit) height = limit;
          if (height < 0) height = 0;
          s->target_.SetHeightPx(height);
          s->container_.Realign();
          ::UpdateWindow(s->container_.hwnd());
        }
        return 0;
      case WM_LBUTTONUP:
      case WM_CAPTURECHANGED:
        if (s->dragging_) {
          s->dragging_ = false;
          if (msg == WM_LBUTTONUP) ::ReleaseCapture();
        }
        return 0;
      default:
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
  }

  ui::Panel& bar_;
  ui::Panel& target_;
  ui::Panel& container_;
  bool above_;
  bool dragging_ = false;
  int startY_ = 0, startHeight_ = 0;
};

TBHOForm::Environment TBHOForm::Environment::System() {
  Environment env;
  env.settingsPath = SettingsFilePath();
  env.store = recovery::RecoveryStore::System();
  return env;
}

TBHOForm::TBHOForm(HWND owner, std::wstring exceptSet, std::wstring exceptCancel, Environment env)
    : owner_(owner), exceptSet_(std::move(exceptSet)), exceptCancel_(std::move(exceptCancel)), env_(std::move(env)) {}

TBHOForm::~TBHOForm() {
  splitters_.clear();
  if (minSize_) RemoveHook(minSize_.get());
}

bool TBHOForm::Create() {
  ui::InitializeUi();
  automatic_ = AddonAutoReset;
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = L"익스플로러 초기화";
  layout.clientWidth = 853;
  layout.clientHeight = 535;
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
  layout.owner = owner_;
  if (!Form::Create(layout)) return false;
  if (automatic_) SetShowModalHidden(true);
  minSize_ = std::make_unique<MinSizeHook>();
  AddHook(minSize_.get());

  pnl2 = &Add<ui::Panel>(ui::Rect{0, 495, 853, 40}, ui::Align::Bottom);
  pnl1 = &Add<ui::Panel>(ui::Rect{0, 0, 853, 495}, ui::Align::Client);
  pnlTop = &pnl1->Add<ui::Panel>(ui::Rect{0, 0, 853, 150}, ui::Align::Top);
  spl1 = &pnl1->Add<ui::Panel>(ui::Rect{0, 150, 853, 10}, ui::Align::Top);
  spl2 = &pnl1->Add<ui::Panel>(ui::Rect{0, 335, 853, 10}, ui::Align::Bottom);
  pnlBottom = &pnl1->Add<ui::Panel>(ui::Rect{0, 345, 853, 150}, ui::Align::Bottom);
  pnlCenter = &pnl1->Add<ui::Panel>(ui::Rect{0, 160, 853, 175}, ui::Align::Client);

  ui::ListViewOptions options;
  options.gridLines = true;
  options.fullRowSelect = true;
  options.images = true;
  options.subItemImages = true;
  auto makeList = [&](ui::Panel& panel) {
    ui::ListView& list = panel.Add<ui::ListView>(ui::Rect{0, 0, 853, 150}, options);
    list.SetAlign(ui::Align::Client);
    list.AddTickBoxImages();
    list.onColumnClick = [this, &list](int column) { lvColumnClick(list, column); };
    list.onMouseDown = [this, &list](const ui::ListHit& hit, UINT) { lvMouseDown(list, hit); };
    return &list;
  };
  lv1 = makeList(*pnlTop);
  lv1->AddColumn(L"BHO 이름", 170);
  lv1->AddColumn(L"초기화제외", 80);
  lv1->AddColumn(L"제작사", 150);
  lv1->AddColumn(L"파일명", 150);
  lv1->AddColumn(L"전체경로", 270);
  lv1->onRowsSwapped = [this](int a, int b) { std::swap(clsids_.at(a), clsids_.at(b)); };
  lv2 = makeList(*pnlCenter);
  lv2->AddColumn(L"툴바 이름", 170);
  lv2->AddColumn(L"초기화제외", 80);
  lv2->AddColumn(L"제작사", 150);
  lv2->AddColumn(L"삭제프로그램", 150);
  lv2->AddColumn(L"전체경로", 270);
  lv2->onRowsSwapped = [this](int a, int b) { std::swap(toolbarIds_.at(a), toolbarIds_.at(b)); };
  lv3 = makeList(*pnlBottom);
  lv3->AddColumn(L"확장 아이콘 이름", 170);
  lv3->AddColumn(L"초기화제외", 80);
  lv3->AddColumn(L"홈페이지 주소", 420);
  lv3->AddColumn(L"CLSID", 150);
  splitters_.push_back(std::make_unique<SplitterDrag>(*spl1, *pnlTop, *pnl1, true));
  splitters_.push_back(std::make_unique<SplitterDrag>(*spl2, *pnlBottom, *pnl1, false));

  btnAllCheck = &pnl2->Add<ui::Button>(L"모두 선택", ui::Rect{8, 8, 100, 25});
  btnAllUncheck = &pnl2->Add<ui::Button>(L"선택 해제", ui::Rect{114, 8, 100, 25});
  pnlLowRight = &pnl2->Add<ui::Panel>(ui::Rect{573, 0, 280, 40}, ui::Align::Right);
  btnDel = &pnlLowRight->Add<ui::Button>(L"선택 항목 삭제", ui::Rect{8, 8, 130, 25});
  btnCancel = &pnlLowRight->Add<ui::Button>(L"설정 저장 후 닫기", ui::Rect{144, 8, 130, 25});
  btnAllCheck->onClick = [this] { btnAllCheckClick(); };
  btnAllUncheck->onClick = [this] { btnAllUncheckClick(); };
  btnDel->onClick = [this] { btnDelClick(); };
  btnCancel->onClick = [this] { btnCancelClick(); };

  tmr1 = std::make_unique<ui::Timer>(*this, kTimerIntervalMs);
  tmr1->onTimer = [this] { tmr1Timer(); };

  FormCreate();
  tmr1->Start();
  return true;
}

void TBHOForm::FormCreate() {
  const ui::CaptionReader captions(kComponent);
  captions.Window(*this);
  captions.Caption(*btnAllCheck, L"btnAllCheck");
  captions.Caption(*btnAllUncheck, L"btnAllUncheck");
  captions.Caption(*btnDel, L"btnDel");
  captions.Caption(*btnCancel, L"btnCancel");
  captions.Columns(*lv1, L"lv1");
  captions.Columns(*lv2, L"lv2");
  captions.Columns(*lv3, L"lv3");
  msgDelBho1_ = captions.Message(L"Msg_DelBho1", kDefaultDelBho1);
  msgDelBho2_ = captions.Message(L"Msg_DelBho2", kDefaultDelBho2);
  msgDelBho3_ = captions.Message(L"Msg_DelBho3", kDefaultDelBho3);

  if (automatic_) {
    ::SetWindowPos(hwnd(), nullptr, 20000, 20000, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
    MoveTo(at.x, at.y);
  }
  LoadResetExclusions();
  Fill();
}

void TBHOForm::Fill() {
  lv1->Clear();
  lv2->Clear();
  lv3->Clear();
  clsids_.clear();
  toolbarIds_.clear();
  for (const auto& row : addons::ListBrowserHelperObjects(bhoExclusions_, env_.sources)) {
    const int i = lv1->AddItem({row.Name, L"", row.Company, row.FileName, row.FullPath}, kBoxEmpty);
    SetExclusionMark(*lv1, i, row.Excluded);
    clsids_.push_back({row.Clsid, row.View, row.FullPath, L""});
  }
  for (const auto& row : addons::ListToolbars(toolbarExclusions_, env_.sources)) {
    const int i = lv2->AddItem({row.Name, L"", row.Company, row.UninstallCommand, row.FullPath}, kBoxEmpty);
    SetExclusionMark(*lv2, i, row.Excluded);
    toolbarIds_.push_back({row.ToolbarId, row.View, row.FullPath, row.UninstallCommand});
  }
  for (const auto& row : addons::ListExtensionButtons(iconExclusions_, env_.sources)) {
    const int i = lv3->AddItem({row.ButtonText, L"", row.Exec, row.KeyName}, kBoxEmpty);
    SetExclusionMark(*lv3, i, row.Excluded);
  }
}

void TBHOForm::SetExclusionMark(ui::ListView& list, int row, bool excluded) {
  list.SetItemText(row, 1, excluded ? exceptSet_ : exceptCancel_);
  list.SetItemImage(row, 1, excluded ? kBoxTicked : kBoxEmpty);
}

void TBHOForm::tmr1Timer() {
  tmr1->Stop();
  if (!AddonAutoReset) return;
  DeleteAddons(true);
  Close();
}

void TBHOForm::ForEachList(void (*fn)(ui::ListView&, int)) {
  for (ui::ListView* list : {lv1, lv2, lv3})
    for (int i = 0; i < list->Count(); ++i) fn(*list, i);
}

void TBHOForm::btnAllCheckClick() {
  ForEachList([](ui::ListView& list, int i) { list.SetItemImage(i, 0, kBoxTicked); });
}

void TBHOForm::btnAllUncheckClick() {
  ForEachList([](ui::ListView& list, int i) { list.SetItemImage(i, 0, kBoxEmpty); });
}

void TBHOForm::btnDelClick() { DeleteAddons(false); }

void TBHOForm::btnCancelClick() {
  SaveResetExclusions();
  Close();
}

void TBHOForm::lvColumnClick(ui::ListView& list, int column) { ui::SortListByColumn(list, column); }

void TBHOForm::lvMouseDown(ui::ListView& list, const ui::ListHit& hit) {
  if (hit.item < 0 || hit.item >= list.Count()) return;
  if (hit.subItem == 0) {
    list.SetItemImage(hit.item, 0, list.ItemImage(hit.item, 0) == kBoxEmpty ? kBoxTicked : kBoxEmpty);
  } else if (hit.subItem == 1) {
    SetExclusionMark(list, hit.item, !RowExcluded(list, hit.item));
  }
}

bool TBHOForm::OnCloseQuery() {
  FormClose();
  return true;
}

void TBHOForm::OnDestroy() { AddonAutoReset = false; }

void TBHOForm::FormClose() {
  AddonAutoReset = false;
  if (tmr1) tmr1->Stop();
}

void TBHOForm::LoadResetExclusions() {
  bhoExclusions_.clear();
  toolbarExclusions_.clear();
  iconExclusions_.clear();
  const SettingsFile file(env_.settingsPath, hwnd());
  if (!file.Exists()) return;
  bhoExclusions_ = file.ReadNames(settings::kInitExcept, settings::kBho);
  toolbarExclusions_ = file.ReadNames(settings::kInitExcept, settings::kToolbar);
  iconExclusions_ = file.ReadNames(settings::kInitExcept, settings::kIcon);
}

bool TBHOForm::SaveResetExclusions() {
  std::vector<std::wstring> bho, toolbar, icon;
  for (int i = 0; i < lv1->Count(); ++i)
    if (RowExcluded(*lv1, i)) bho.push_back(addons::FileNameOfPath(clsids_.at(i).fullPath));
  for (int i = 0; i < lv2->Count(); ++i)
    if (RowExcluded(*lv2, i)) toolbar.push_back(addons::FileNameOfPath(toolbarIds_.at(i).fullPath));
  for (int i = 0; i < lv3->Count(); ++i)
    if (RowExcluded(*lv3, i)) icon.push_back(lv3->ItemText(i, 0));
  // Each list is written on its own: one that cannot be stored (it says
  // so) does not cost the others their changes.
  const SettingsFile file(env_.settingsPath, hwnd());
  const bool bhoSaved = file.WriteNames(settings::kInitExcept, settings::kBho, bho);
  const bool toolbarSaved = file.WriteNames(settings::kInitExcept, settings::kToolbar, toolbar);
  const bool iconSaved = file.WriteNames(settings::kInitExcept, settings::kIcon, icon);
  return bhoSaved && toolbarSaved && iconSaved;
}

void TBHOForm::DeleteAddons(bool automatic) {
  if (!automatic) {
    bool any = false;
    for (ui::ListView* list : {lv1, lv2, lv3})
      for (int i = 0; i < list->Count() && !any; ++i) any = RowTicked(*list, i);
    if (!any) {
      platform::ShowMessage(hwnd(), msgDelBho1_, kProgramTitle);
      return;
    }
    if (!Ask(msgDelBho2_)) return;
  }

  CloseInternetExplorer();
  ::Sleep(100);

  auto taken = [automatic, this](ui::ListView& list, int row) {
    return automatic ? !RowExcluded(list, row) : RowTicked(list, row);
  };
  for (int i = lv1->Count() - 1; i >= 0; --i) {
    if (!taken(*lv1, i)) continue;
    if (RemoveBho(i)) {
      lv1->DeleteItem(i);
      clsids_.erase(clsids_.begin() + i);
    }
  }
  bool asked = false, runUninstallers = false;
  for (int i = lv2->Count() - 1; i >= 0; --i) {
    if (!taken(*lv2, i)) continue;
    if (RemoveToolbar(i, automatic, asked, runUninstallers)) {
      lv2->DeleteItem(i);
      toolbarIds_.erase(toolbarIds_.begin() + i);
    }
  }
  for (int i = lv3->Count() - 1; i >= 0; --i) {
    if (!taken(*lv3, i)) continue;
    if (RemoveExtension(i)) lv3->DeleteItem(i);
  }
}

// Each Remove... returns whether the row leaves its list: false only when
// its backup could not be written, in which case nothing was changed.
bool TBHOForm::RemoveBho(int row) {
  const HiddenId& id = clsids_.at(row);
  const std::wstring& fullPath = id.fullPath;
  const recovery::RecoveryRecord record{lv1->ItemText(row, 0), lv1->ItemText(row, 2), addons::FileNameOfPath(fullPath), fullPath,
                                        recovery::RecordIdWithView(id.id, id.view)};
  if (!recovery::AppendRecoveryRecord(env_.store, recovery::kBhoSection, record)) return false;
  Unregister(fullPath, id.view);
  RegKey key;
  if (!id.id.empty() && OpenWrite(key, HKEY_LOCAL_MACHINE, addons::kBhoKey, id.view)) key.DeleteTree(id.id);
  return true;
}

bool TBHOForm::RemoveToolbar(int row, bool automatic, bool& asked, bool& runUninstallers) {
  const HiddenId& id = toolbarIds_.at(row);
  const std::wstring& uninstall = id.uninstallCommand;
  if (!uninstall.empty()) {
    if (automatic) {
      asked = runUninstallers = true;
    } else if (!asked) {
      asked = true;
      runUninstallers = Ask(msgDelBho3_);
    }
  }
  // The user chose the toolbar's own uninstaller: it removes the toolbar
  // with its files; nothing is backed up or changed here.
  if (!automatic && runUninstallers && !uninstall.empty()) {
    RunUninstaller(uninstall);
    return true;
  }

  const std::wstring& fullPath = id.fullPath;
  const recovery::RecoveryRecord record{lv2->ItemText(row, 0), lv2->ItemText(row, 2), uninstall, fullPath,
                                        recovery::RecordIdWithView(id.id, id.view)};
  if (!recovery::AppendRecoveryRecord(env_.store, recovery::kToolbarSection, record)) return false;
  Unregister(fullPath, id.view);
  const addons::ToolbarPlace place = addons::ToolbarPlaceOf(id.id);
  if (place.name.empty()) return true;
  RegKey key;
  if (place.isToolbarValue) {
    if (OpenWrite(key, HKEY_LOCAL_MACHINE, addons::kToolbarKey, id.view) && key.HasValue(place.name))
      key.DeleteValue(place.name);
  } else if (OpenWrite(key, HKEY_LOCAL_MACHINE, addons::kExplorerBarsKey, id.view)) {
    key.DeleteTree(place.name);
  }
  return true;
}

bool TBHOForm::RemoveExtension(int row) {
  const std::wstring buttonText = lv3->ItemText(row, 0);
  const std::wstring exec = lv3->ItemText(row, 2);
  const std::wstring keyName = lv3->ItemText(row, 3);
  const std::wstring base = addons::kExtensionsKey;
  // The key that goes: the current user's first; the machine's (64-bit
  // view first) only when the user's is gone. None when the user's
  // extension key cannot be read.
  struct Place {
    HKEY root;
    RegistryView view;
  };
  std::optional<Place> found;
  RegKey user;
  if (!keyName.empty() && user.Open(HKEY_CURRENT_USER, base, KEY_READ) == ERROR_SUCCESS) {
    user.Close();
    std::vector<Place> places{{HKEY_CURRENT_USER, RegistryView::Default}};
    for (RegistryView view : env_.sources.machineViews) places.push_back({HKEY_LOCAL_MACHINE, view});
    for (const Place& place : places) {
      if (HasSubkey(place.root, base, keyName, place.view)) {
        found = place;
        break;
      }
    }
  }
  // The export goes under a free name, so that an older backup of an
  // equally named key (the user's beside the machine's, or an earlier
  // removal) is never replaced; the record names that file in its fourth
  // field when it is not the key name.
  std::wstring payload;
  if (found) {
    payload = recovery::FreeRegistryExportName(env_.store, keyName);
    if (payload.empty()) return false;
  }
  const std::wstring payloadField = payload == keyName ? L"" : payload;
  if (!recovery::AppendRecoveryRecord(env_.store, recovery::kIconSection, {buttonText, exec, keyName, payloadField, L""}))
    return false;
  if (!found) return true;
  // The key is deleted only after its export.
  if (!recovery::ExportRegistryKeyAs(env_.store, payload, found->root, base, keyName, nullptr, found->view))
    return false;
  RegKey key;
  if (OpenWrite(key, found->root, base, found->view)) key.DeleteTree(keyName);
  return true;
}

void TBHOForm::RunUninstaller(const std::wstring& command) {
  const addons::UninstallLaunch launch = addons::SplitUninstallCommand(command);
  // Nothing but the named program starts: not a name searched for, not a
  // document or folder opened by whatever program the shell picks.
  if (launch.program.empty() || !IsProgramFile(launch.program)) return;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = nullptr;
  info.lpVerb = nullptr;
  info.lpFile = launch.program.c_str();
  info.lpParameters = launch.parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info) || !info.hProcess) return;
  // One uninstaller after the other, but never longer than the limit: the
  // window keeps painting meanwhile and takes no input (it is disabled).
  const bool wasEnabled = !::EnableWindow(hwnd(), FALSE);
  const DWORD start = ::GetTickCount();
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= env_.uninstallerWaitMs) break;
    const DWORD rc = ::MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, env_.uninstallerWaitMs - elapsed,
                                                 QS_PAINT | QS_SENDMESSAGE);
    if (rc != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageW(&msg);
    // Sent messages are delivered by the peek itself.
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
  if (wasEnabled) ::EnableWindow(hwnd(), TRUE);
  ::CloseHandle(info.hProcess);
}

void ShowBhoForm(ui::ToolHost& host, const std::wstring& settingsPath) {
  AddonAutoReset = false;  // an opening from the main window is always manual
  TBHOForm::Environment env = TBHOForm::Environment::System();
  env.settingsPath = settingsPath;
  TBHOForm form(host.Owner(), host.ExceptSetText(), host.ExceptCancelText(), std::move(env));
  if (form.Create()) form.ShowModal();
}

}  // namespace vantrel
