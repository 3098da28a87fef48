#include "startup/start_program_form.h"

#include "startup/startup_auto_reset.h"

#include <utility>

#include "core/app_state.h"
#include "core/helpers.h"
#include "core/os_version.h"
#include "core/settings_file.h"
#include "platform/dialogs.h"
#include "platform/reg_key.h"
#include "ui/captions.h"
#include "ui/list_sort.h"
#include "ui/scale.h"
#include "ui/sort_rules.h"

namespace vantrel {
namespace {

using platform::RegKey;
using recovery::RecoveryRecord;

constexpr const wchar_t* kComponent = L"StartProgramForm";
constexpr const wchar_t kExeFilter[] = L"ExeFile(*.exe)|*.exe|";

// Designed sizes.
constexpr int kClientWidth = 852, kClientHeight = 465;
constexpr int kMinClientWidth = 600, kMinClientHeight = 300;
constexpr int kBottomHeight = 41;
constexpr int kList1Height = 264;
constexpr int kSplitterHeight = 10;
constexpr int kMinListHeight = 60;
constexpr int kButtonTop = 8, kButtonHeight = 25, kMargin = 8, kGap = 6;
constexpr int kRightButtonWidth = 140;

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool EntryExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The window's host in automatic mode: no main window values are shown.
class AutoResetHost final : public ui::ToolHost {
 public:
  explicit AutoResetHost(HWND owner) : owner_(owner) {
    const ui::CaptionReader main(L"VantrelMainForm");
    set_ = main.Text(L"Msg_ExceptSet", L"설정");
    cancel_ = main.Text(L"Msg_ExceptCancel", L"해제");
  }
  HWND Owner() const override { return owner_; }
  unsigned OsFamily() const override { return OsFamilyOf(GetOsVersionCode()); }
  bool TopMost() const override { return false; }
  std::wstring ToggleCaption() const override { return {}; }
  std::wstring ExceptSetText() const override { return set_; }
  std::wstring ExceptCancelText() const override { return cancel_; }

 private:
  HWND owner_;
  std::wstring set_, cancel_;
};

}  // namespace

// ------------------------------------------------------------ environment

StartProgramEnvironment StartProgramEnvironment::System() {
  StartProgramEnvironment env;
  env.startup = SystemStartupSources();
  env.store = recovery::RecoveryStore::System();
  env.settingsPath = SettingsFilePath();
  env.windows64 = IsWindows64();
  return env;
}

// ---------------------------------------------------------------- splitter

SplitterBar::SplitterBar(ui::Container& parent, const ui::Rect& designed) : Control(parent) {
  ui::detail::RegisterKitClass(L"VantrelSplitter", &ui::detail::BoundProc<SplitterBar>, 0,
                               reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  CreateChild(L"VantrelSplitter", L"", WS_VISIBLE, 0, designed, this);
}

LRESULT SplitterBar::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
      return TRUE;
    case WM_LBUTTONDOWN: {
      POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      ::ClientToScreen(hwnd, &at);
      pressY_ = at.y;
      dragging_ = true;
      ::SetCapture(hwnd);
      if (onPress) onPress();
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        ::ClientToScreen(hwnd, &at);
        if (onDrag) onDrag(at.y - pressY_);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (dragging_) {
        dragging_ = false;
        if (msg == WM_LBUTTONUP) ::ReleaseCapture();
      }
      return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// ------------------------------------------------------------------ window

TStartProgramForm::TStartProgramForm(const ui::ToolHost& host, StartProgramEnvironment environment)
    : host_(host), env_(std::move(environment)) {}

TStartProgramForm::~TStartProgramForm() {
  tmr1.reset();
  FormClose();
}

bool TStartProgramForm::Create() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = L"시작프로그램 관리 및 초기화";
  layout.clientWidth = kClientWidth;
  layout.clientHeight = kClientHeight;
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
  layout.exStyle = WS_EX_CONTROLPARENT;
  layout.owner = host_.Owner();
  if (!Form::Create(layout)) return false;

  pnlBottom = &Add<ui::Panel>(ui::Rect{0, kClientHeight - kBottomHeight, kClientWidth, kBottomHeight},
                              ui::Align::Bottom);
  pnlLists = &Add<ui::Panel>(ui::Rect{0, 0, kClientWidth, kClientHeight - kBottomHeight}, ui::Align::Client);

  ui::ListViewOptions options;
  options.gridLines = true;
  options.fullRowSelect = true;
  options.images = true;
  options.subItemImages = true;
  lv1 = &pnlLists->Add<ui::ListView>(ui::Rect{0, 0, kClientWidth, kList1Height}, options);
  lv1->SetAlign(ui::Align::Top);
  spl1 = &pnlLists->Add<SplitterBar>(ui::Rect{0, kList1Height, kClientWidth, kSplitterHeight});
  spl1->SetAlign(ui::Align::Top);
  lv2 = &pnlLists->Add<ui::ListView>(
      ui::Rect{0, kList1Height + kSplitterHeight, kClientWidth,
               kClientHeight - kBottomHeight - kList1Height - kSplitterHeight},
      options);
  lv2->SetAlign(ui::Align::Client);
  for (ui::ListView* list : {lv1, lv2}) {
    list->AddTickBoxImages();
    list->AddColumn(L"", 150);
    list->AddColumn(L"초기화제외", 80);
    list->AddColumn(L"제작사", 150);
    list->AddColumn(L"실행경로", 220);
    list->AddColumn(L"", 220);
  }
  lv1->SetColumnCaption(0, L"시작프로그램");
  lv1->SetColumnCaption(4, L"위치");
  lv2->SetColumnCaption(0, L"스케줄러 프로그램");
  lv2->SetColumnCaption(4, L"실행 파라미터");
  lv1HeightPx_ = lv1->HeightPx();
  spl1->onPress = [this] { pressHeightPx_ = lv1->HeightPx(); };
  spl1->onDrag = [this](int delta) { SetListHeight(pressHeightPx_ + delta); };

  btnAllCheck = &pnlBottom->Add<ui::Button>(L"모두 선택", ui::Rect{kMargin, kButtonTop, 100, kButtonHeight});
  btnAllUncheck = &pnlBottom->Add<ui::Button>(L"선택 해제", ui::Rect{114, kButtonTop, 100, kButtonHeight});
  btnStartPGReg = &pnlBottom->Add<ui::Button>(L"시작프로그램 등록", ui::Rect{220, kButtonTop, 150, kButtonHeight});
  btnDel = &pnlBottom->Add<ui::Button>(
      L"선택 항목 삭제",
      ui::Rect{kClientWidth - kMargin - 2 * kRightButtonWidth - kGap, kButtonTop, kRightButtonWidth, kButtonHeight});
  btnCancel = &pnlBottom->Add<ui::Button>(
      L"설정 저장 후 닫기",
      ui::Rect{kClientWidth - kMargin - kRightButtonWidth, kButtonTop, kRightButtonWidth, kButtonHeight});

  btnAllCheck->onClick = [this] { btnAllCheckClick(); };
  btnAllUncheck->onClick = [this] { btnAllUncheckClick(); };
  btnStartPGReg->onClick = [this] { btnStartPGRegClick(); };
  btnDel->onClick = [this] { btnDelClick(); };
  btnCancel->onClick = [this] { btnCancelClick(); };
  lv1->onMouseDown = [this](const ui::ListHit& hit, UINT) { lv1MouseDown(hit); };
  lv2->onMouseDown = [this](const ui::ListHit& hit, UINT) { lv2MouseDown(hit); };
  lv1->onColumnClick = [this](int column) { lv1ColumnClick(column); };
  lv2->onColumnClick = [this](int column) { lv2ColumnClick(column); };

  tmr1 = std::make_unique<ui::Timer>(*this, 10);
  tmr1->onTimer = [this] { tmr1Timer(); };

  FormCreate();
  tmr1->Start();
  return true;
}

void TStartProgramForm::FormCreate() {
  const ui::CaptionReader captions(kComponent);
  captions.Window(*this);
  captions.Caption(*btnAllCheck, L"btnAllCheck");
  captions.Caption(*btnAllUncheck, L"btnAllUncheck");
  captions.Caption(*btnStartPGReg, L"btnStartPGReg");
  captions.Caption(*btnDel, L"btnDel");
  captions.Caption(*btnCancel, L"btnCancel");
  captions.Columns(*lv1, L"lv1");
  captions.Columns(*lv2, L"lv2");
  texts_.del1 = captions.Message(L"Msg_Del1", texts_.del1);
  texts_.del2 = captions.Message(L"Msg_Del2", texts_.del2);
  texts_.del3 = captions.Message(L"Msg_Del3", texts_.del3);
  exceptSet_ = host_.ExceptSetText();
  exceptCancel_ = host_.ExceptCancelText();

  if (StartupAutoReset) {
    // Off every screen, and never shown.
    SetShowModalHidden(true);
    ::SetWindowPos(hwnd(), nullptr, 20000, 20000, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
    MoveTo(at.x, at.y);
  }

  const SettingsFile settings(env_.settingsPath, hwnd());
  startupExclusions_ = LoadExclusionList(settings, kStartupExclusionKey);
  FillStartupList();

  tasksSupported_ = IsNt6Family(host_.OsFamily());
  if (tasksSupported_) {
    taskExclusions_ = LoadExclusionList(settings, kTaskExclusionKey);
    if (env_.tasks) {
      bridge_ = env_.tasks;
    } else {
      library_ = SchedletLibrary::Bind(true, SchedletNeeds::kListAndDelete);
      if (library_.canList()) {
        TaskBridge bridge;
        bridge.listText = [this] { return library_.TaskListText(); };
        bridge.deleteTask = [this](const std::wstring& name, const std::wstring& backup) {
          return library_.DeleteTask(name, backup);
        };
        bridge_ = std::move(bridge);
      }
    }
    if (bridge_ && bridge_->listText) FillTaskList(ListTaskEntries(taskExclusions_, bridge_->listText));
  } else {
    lv2->SetVisible(false);
    spl1->SetVisible(false);
    lv1->SetAlign(ui::Align::Client);
    pnlLists->Realign();
  }
}

void TStartProgramForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  StartupAutoReset = false;
  startupExclusions_ = TExclusionList();
  taskExclusions_ = TExclusionList();
  bridge_.reset();
  library_ = SchedletLibrary();
}

bool TStartProgramForm::OnCloseQuery() {
  if (tmr1) tmr1->Stop();
  FormClose();
  return true;
}

namespace {
// No repaint per row while a list fills.
class ListFill {
 public:
  explicit ListFill(ui::ListView& list, size_t rows) : list_(list) {
    ::SendMessageW(list_.hwnd(), WM_SETREDRAW, FALSE, 0);
    list_.Clear();
    ::SendMessageW(list_.hwnd(), LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
  }
  ~ListFill() {
    ::SendMessageW(list_.hwnd(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_.hwnd(), nullptr, TRUE);
  }
  ListFill(const ListFill&) = delete;
  ListFill& operator=(const ListFill&) = delete;

 private:
  ui::ListView& list_;
};
}  // namespace

void TStartProgramForm::FillStartupList() {
  const std::vector<TStartupEntry> entries = ListStartupEntries(startupExclusions_, env_.startup);
  const ListFill fill(*lv1, entries.size());
  for (const TStartupEntry& e : entries) {
    const int row = lv1->AddItem({e.name, e.excluded ? exceptSet_ : exceptCancel_, e.maker, e.command, e.location},
                                 kImageClear);
    lv1->SetItemImage(row, 1, e.excluded ? kImageSet : kImageClear);
  }
}

void TStartProgramForm::FillTaskList(const std::vector<TTaskEntry>& tasks) {
  const ListFill fill(*lv2, tasks.size());
  for (const TTaskEntry& t : tasks) {
    const int row = lv2->AddItem({t.name, t.excluded ? exceptSet_ : exceptCancel_, t.maker, t.command, t.arguments},
                                 kImageClear);
    lv2->SetItemImage(row, 1, t.excluded ? kImageSet : kImageClear);
  }
}

bool TStartProgramForm::RowSelected(const ui::ListView& list, int row) { return list.ItemImage(row, 0) == kImageSet; }
bool TStartProgramForm::RowExcluded(const ui::ListView& list, int row) { return list.ItemImage(row, 1) == kImageSet; }

void TStartProgramForm::SetExcludedMark(ui::ListView& list, int row, bool excluded) {
  list.SetItemImage(row, 1, excluded ? kImageSet : kImageClear);
  list.SetItemText(row, 1, excluded ? exceptSet_ : exceptCancel_);
}

std::vector<std::wstring> TStartProgramForm::ExcludedNames(const ui::ListView& list) const {
  std::vector<std::wstring> names;
  for (int row = 0; row < list.Count(); ++row)
    if (RowExcluded(list, row)) names.push_back(list.ItemText(row, 0));
  return names;
}

// ------------------------------------------------------------------- marks

void TStartProgramForm::SetAllSelected(bool selected) {
  for (ui::ListView* list : {lv1, lv2})
    for (int row = 0; row < list->Count(); ++row) list->SetItemImage(row, 0, selected ? kImageSet : kImageClear);
}

void TStartProgramForm::btnAllCheckClick() { SetAllSelected(true); }
void TStartProgramForm::btnAllUncheckClick() { SetAllSelected(false); }

void TStartProgramForm::ListMouseDown(ui::ListView& list, TExclusionList& exclusions, const ui::ListHit& hit) {
  if (hit.item < 0 || hit.item >= list.Count()) return;
  const int row = hit.item;
  if (hit.subItem == 0) {
    list.SetItemImage(row, 0, list.ItemImage(row, 0) == kImageClear ? kImageSet : kImageClear);
  } else if (hit.subItem == 1) {
    const std::wstring name = list.ItemText(row, 0);
    if (RowExcluded(list, row)) {
      SetExcludedMark(list, row, false);
      exclusions.Remove(name);
    } else {
      SetExcludedMark(list, row, true);
      exclusions.Add(name);
    }
  }
}

void TStartProgramForm::lv1MouseDown(const ui::ListHit& hit) { ListMouseDown(*lv1, startupExclusions_, hit); }
void TStartProgramForm::lv2MouseDown(const ui::ListHit& hit) { ListMouseDown(*lv2, taskExclusions_, hit); }
void TStartProgramForm::lv1ColumnClick(int column) { ui::SortListByColumn(*lv1, column); }
void TStartProgramForm::lv2ColumnClick(int column) { ui::SortListByColumn(*lv2, column); }

// ------------------------------------------------------------ save, close

void TStartProgramForm::btnCancelClick() {
  const SettingsFile settings(env_.settingsPath, hwnd());
  SaveExclusionList(settings, kStartupExclusionKey, ExcludedNames(*lv1));
  SaveExclusionList(settings, kTaskExclusionKey, ExcludedNames(*lv2));
  Close();
}

void TStartProgramForm::tmr1Timer() {
  tmr1->Stop();
  if (!StartupAutoReset) return;
  DeleteStartupEntries(true);
  Close();
}

// ---------------------------------------------------------------- deletion

std::wstring TStartProgramForm::RecordKey(const std::wstring& section, const RecoveryRecord& record) const {
  RecoveryRecord fields = record;
  const size_t count = recovery::ReaderFieldCount(section);
  if (count) fields.resize(count);
  return section + L"\n" + recovery::JoinRecord(fields);
}

void TStartProgramForm::LoadKnownRecords() {
  knownRecords_.clear();
  for (const wchar_t* section : {recovery::kStartProgramSection, recovery::kSchedulerSection})
    for (const RecoveryRecord& r : recovery::ReadRecoverySection(env_.store, section))
      knownRecords_.insert(RecordKey(section, r));
}

bool TStartProgramForm::BackUp(const std::wstring& section, const RecoveryRecord& record, bool* added) {
  const std::wstring key = RecordKey(section, record);
  const bool present = knownRecords_.count(key) != 0;
  *added = false;
  if (!recovery::AppendRecoveryRecord(env_.store, section, record)) return false;
  *added = !present;
  knownRecords_.insert(key);
  return true;
}

// Removes the record written for an item that stayed where it was: the store
// holds no record of a deletion that did not happen.
void TStartProgramForm::TakeBack(const std::wstring& section, const RecoveryRecord& record) {
  const std::wstring key = RecordKey(section, record);
  std::vector<RecoveryRecord> records = recovery::ReadRecoverySection(env_.store, section);
  for (size_t i = records.size(); i-- > 0;) {
    if (RecordKey(section, records[i]) != key) continue;
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(i));
    if (recovery::RewriteRecoverySection(env_.store, section, records)) knownRecords_.erase(key);
    return;
  }
}

void TStartProgramForm::btnDelClick() { DeleteStartupEntries(false); }

void TStartProgramForm::DeleteStartupEntries(bool automatic) {
  auto chosen = [automatic](const ui::ListView& list, int row) {
    return automatic ? !RowExcluded(list, row) : RowSelected(list, row);
  };
  if (!automatic) {
    bool any = false;
    for (ui::ListView* list : {lv1, lv2})
      for (int row = 0; row < list->Count() && !any; ++row) any = RowSelected(*list, row);
    if (!any) {
      platform::ShowMessage(hwnd(), texts_.del1, Caption());
      return;
    }
    if (!Ask(tasksSupported_ ? texts_.del2 : texts_.del3)) return;
  }
  LoadKnownRecords();

  // One Run key row: backed up, then its value deleted. A row whose backup
  // could not be stored, or whose value could not be deleted, stays.
  auto deleteRunRows = [&](RegKey& key, StartupPlace place) {
    for (int row = lv1->Count() - 1; row >= 0; --row) {
      if (!chosen(*lv1, row)) continue;
      const std::wstring location = lv1->ItemText(row, 4);
      if (PlaceOfLocation(location) != place) continue;
      const std::wstring name = lv1->ItemText(row, 0);
      const RecoveryRecord record{name, lv1->ItemText(row, 2), lv1->ItemText(row, 3), location};
      bool added = false;
      if (!BackUp(recovery::kStartProgramSection, record, &added)) continue;
      const LONG result = key.DeleteValue(name);
      if (result != ERROR_SUCCESS) {
        if (added) TakeBack(recovery::kStartProgramSection, record);
        if (result != ERROR_FILE_NOT_FOUND) continue;  // still there
      }
      startupExclusions_.Remove(name);
      lv1->DeleteItem(row);
    }
  };

  // The machine-wide key (on 64-bit Windows its 32-bit view); without it
  // nothing is deleted.
  const auto machinePlace = RunKeyPlaceOf(kMachineRunLocation, env_.windows64);
  RegKey machine;
  if (!machinePlace ||
      machine.Open(machinePlace->root, kRunKeyPath, KEY_ALL_ACCESS | machinePlace->view) != ERROR_SUCCESS)
    return;
  deleteRunRows(machine, StartupPlace::kMachineRun);
  machine.Close();
  // The 64-bit view on 64-bit Windows; a missing one is skipped.
  if (env_.windows64) {
    const auto place64 = RunKeyPlaceOf(kMachineRun64Location, true);
    RegKey machine64;
    if (place64 && machine64.Open(place64->root, kRunKeyPath, KEY_ALL_ACCESS | place64->view) == ERROR_SUCCESS)
      deleteRunRows(machine64, StartupPlace::kMachineRun64);
  }

  RegKey user;
  if (user.Open(HKEY_CURRENT_USER, kRunKeyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
  deleteRunRows(user, StartupPlace::kUserRun);
  user.Close();

  // Startup-folder entries: moved into the dat folder under a free name and
  // hidden there; an entry that could not be moved stays with its row.
  for (int row = lv1->Count() - 1; row >= 0; --row) {
    if (!chosen(*lv1, row) || lv1->ItemText(row, 4) != kStartupLocation) continue;
    const std::wstring name = lv1->ItemText(row, 0);
    const std::wstring maker = lv1->ItemText(row, 2);
    const std::wstring folder = lv1->ItemText(row, 3);
    const std::wstring source = folder + L"\\" + name;
    RecoveryRecord record{name, maker, folder, std::wstring(kStartupLocation)};
    const std::wstring payload = recovery::FreeStartupPayloadName(env_.store, name);
    if (!payload.empty() && payload != name) record.push_back(payload);
    const bool present = knownRecords_.count(RecordKey(recovery::kStartProgramSection, record)) != 0;
    if (recovery::MoveStartupEntryToStore(env_.store, folder, name, maker)) {
      knownRecords_.insert(RecordKey(recovery::kStartProgramSection, record));
    } else {
      if (!present) TakeBack(recovery::kStartProgramSection, record);
      if (EntryExists(source)) continue;
    }
    startupExclusions_.Remove(name);
    lv1->DeleteItem(row);
  }

  // Scheduled tasks: a task that the bridge reports still there keeps its
  // row and loses the record written for it.
  if (!tasksSupported_ || !bridge_ || !bridge_->deleteTask) return;
  for (int row = lv2->Count() - 1; row >= 0; --row) {
    if (!chosen(*lv2, row)) continue;
    const std::wstring name = lv2->ItemText(row, 0);
    const RecoveryRecord record{name, lv2->ItemText(row, 2), lv2->ItemText(row, 3), lv2->ItemText(row, 4)};
    const std::wstring backup = recovery::TaskBackupPath(env_.store, name);
    if (backup.empty()) continue;
    // A backup of an earlier task of this name is still kept: the bridge
    // never replaces it, so this task's definition could not be saved. The
    // task stays until that backup is restored or purged.
    if (EntryExists(backup)) continue;
    bool added = false;
    if (!BackUp(recovery::kSchedulerSection, record, &added)) continue;
    const std::optional<int> status = bridge_->deleteTask(name, backup);
    const bool gone = status && *status == 0;
    if (!gone || !EntryExists(backup)) {
      // Kept, or there was no such task: nothing was deleted that the record could restore.
      if (added) TakeBack(recovery::kSchedulerSection, record);
      if (!gone) continue;
    }
    taskExclusions_.Remove(name);
    lv2->DeleteItem(row);
  }
}

// ------------------------------------------------------------ registration

void TStartProgramForm::btnStartPGRegClick() {
  // The dialog would sit behind a window of the top-most band.
  if (host_.TopMost()) ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  std::wstring path;
  if (!platform::CurrentDialogs().OpenFileName(hwnd(), kExeFilter, &path) || path.empty()) return;
  RegisterStartupProgram(path);
}

void TStartProgramForm::RegisterStartupProgram(const std::wstring& path) {
  const std::wstring name = FileNameOf(path);
  if (name.empty()) return;
  // Written into the machine key this program has always used (the 32-bit
  // view on 64-bit Windows), unless a value of that name is in either view:
  // the program would then start twice.
  const auto place = RunKeyPlaceOf(kMachineRunLocation, env_.windows64);
  RegKey key;
  if (place && key.Open(place->root, kRunKeyPath, KEY_ALL_ACCESS | place->view) == ERROR_SUCCESS) {
    std::vector<platform::RegValue> values;
    bool present = key.Values(&values) != ERROR_SUCCESS;  // not asked: nothing written
    for (const auto& v : values) present = present || v.name == name;
    if (!present && env_.windows64) {
      const auto place64 = RunKeyPlaceOf(kMachineRun64Location, true);
      RegKey key64;
      if (place64 && key64.Open(place64->root, kRunKeyPath, KEY_READ | place64->view) == ERROR_SUCCESS)
        present = key64.HasValue(name);
    }
    if (!present) (void)key.WriteString(name, L"\"" + path + L"\"");
  }
  key.Close();

  for (int c = 0; c < lv1->ColumnCount(); ++c) {
    const std::wstring caption = lv1->ColumnCaption(c);
    const std::wstring plain = ui::StripSortMarker(caption);
    if (plain != caption) lv1->SetColumnCaption(c, plain);
  }
  FillStartupList();
  for (int row = 0; row < lv1->Count(); ++row) {
    if (lv1->ItemText(row, 0) != name) continue;
    ::SetFocus(lv1->hwnd());
    SetExcludedMark(*lv1, row, true);
    lv1->FocusItem(row);
    lv1->EnsureVisible(row);
    break;
  }
  startupExclusions_.Add(name);
}

// ------------------------------------------------------------------ layout

void TStartProgramForm::SetListHeight(int heightPx) {
  if (!lv2->Visible()) return;
  const int area = pnlLists->HeightPx();
  const int low = ui::Scale(kMinListHeight);
  const int high = area - spl1->HeightPx() - low;
  if (heightPx > high) heightPx = high;
  if (heightPx < low) heightPx = low;
  lv1HeightPx_ = heightPx;
  if (lv1->HeightPx() != heightPx) {
    lv1->SetHeightPx(heightPx);
    pnlLists->Realign();
  }
}

void TStartProgramForm::PlaceButtons() {
  if (!btnCancel || !btnDel) return;
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  const int width = ui::Scale(kRightButtonWidth);
  const int cancelLeft = client.right - ui::Scale(kMargin) - width;
  btnCancel->SetBoundsPx(cancelLeft, ui::Scale(kButtonTop), width, ui::Scale(kButtonHeight));
  btnDel->SetBoundsPx(cancelLeft - ui::Scale(kGap) - width, ui::Scale(kButtonTop), width, ui::Scale(kButtonHeight));
}

void TStartProgramForm::OnSize() {
  PlaceButtons();
  if (lv1 && lv2 && lv2->Visible()) SetListHeight(lv1HeightPx_);
}

void TStartProgramForm::OnWindowPosChanging(WINDOWPOS& pos) {
  if ((pos.flags & SWP_NOSIZE) || StartupAutoReset || !hwnd()) return;
  RECT frame{0, 0, ui::Scale(kMinClientWidth), ui::Scale(kMinClientHeight)};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  if (pos.cx < frame.right - frame.left) pos.cx = frame.right - frame.left;
  if (pos.cy < frame.bottom - frame.top) pos.cy = frame.bottom - frame.top;
}

// --------------------------------------------------------------- opening

void RunStartupAutoReset(HWND owner, StartProgramEnvironment environment) {
  const AutoResetHost host(owner);
  TStartProgramForm form(host, std::move(environment));
  if (form.Create()) form.ShowModal();
}

void ShowStartProgramForm(const ui::ToolHost& host) {
  TStartProgramForm form(host, StartProgramEnvironment::System());
  if (form.Create()) form.ShowModal();
}

}  // namespace vantrel
