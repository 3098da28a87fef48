#include "recovery/sys_recovery_form.h"

#include <shlobj.h>

#include <algorithm>
#include <utility>

#include "core/app_state.h"
#include "core/helpers.h"
#include "core/os_version.h"
#include "core/registry_paths.h"
#include "core/text_rules.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/reg_key.h"
#include "platform/shell_folders.h"
#include "platform/unique_handle.h"
#include "platform/windows_bitness.h"
#include "ui/captions.h"

namespace vantrel {
namespace {

using platform::RegKey;
using recovery::RecoveryRecord;
using recovery::RegistryView;

constexpr const wchar_t* kComponent = L"SysRecoveryForm";

// Designed sizes.
constexpr int kClientWidth = 771, kClientHeight = 560;
constexpr int kBottomHeight = 41;
constexpr int kTopHeight = 30;
constexpr int kButtonsHeight = 41;
constexpr int kButtonTop = 8, kButtonHeight = 25, kMargin = 8, kGap = 6;
constexpr int kLeftButtonWidth = 100, kRightButtonWidth = 150;

constexpr DWORD kRegsvr32WaitMs = 5000;
constexpr DWORD kRunWaitMs = 5000;
// A task definition larger than this is not one.
constexpr LONGLONG kTaskFileLimit = 4 * 1024 * 1024;

// The parent key of the extension buttons, the only key an ICON export may
// write below.
constexpr wchar_t kExtensionsKey[] = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";
constexpr wchar_t kStartupLocation[] = L"STARTUP";
constexpr wchar_t kMachineRoot[] = L"HKEY_LOCAL_MACHINE";
constexpr wchar_t kUserRoot[] = L"HKEY_CURRENT_USER";
constexpr std::wstring_view k64BitLocationSuffix = L" (64-bit)";

// The fixed question after start-up programs came back.
const wchar_t kRunNowKorean[] = L"복원한 \"시작 프로그램\"을 지금 실행시키겠습니까?";
const wchar_t kRunNowEnglish[] = L"Restoring the \"Start Program\" Would you like to run now?";

struct PageSpec {
  const wchar_t* section;
  const wchar_t* list;  // list name, for the column keys
  int shownFields;      // fields shown as columns, from the first
  const wchar_t* columns[4];
  int widths[4];
};
const PageSpec kPages[TSysRecoveryForm::kPageCount] = {
    {recovery::kStartProgramSection, L"lv1", 4, {L"시작프로그램", L"제작사", L"실행 경로", L"위치"}, {150, 150, 220, 220}},
    {recovery::kSchedulerSection, L"lv2", 4, {L"스케줄러 프로그램", L"제작사", L"실행 경로", L"실행 파라미터"},
     {150, 150, 220, 220}},
    {recovery::kBhoSection, L"lv3", 4, {L"BHO 이름", L"제작사", L"파일명", L"전체 경로"}, {150, 150, 220, 220}},
    {recovery::kToolbarSection, L"lv4", 4, {L"툴바 이름", L"제작사", L"삭제 프로그램", L"전체 경로"},
     {150, 150, 220, 220}},
    {recovery::kIconSection, L"lv5", 3, {L"확장 아이콘 이름", L"홈페이지 주소", L"CLSID", nullptr}, {150, 370, 220, 0}},
};
const wchar_t* const kSheetCaptions[TSysRecoveryForm::kPageCount] = {
    L"시작 프로그램 복원", L"스케줄러 복원", L"BHO 복원", L"툴바 복원", L"확장 아이콘 복원"};
const wchar_t kTopText[] = L"복원 기능을 이용하여 원클릭으로 사라진 시스템 환경을 복원하실수 있습니다.";

// The name of a control of a page: "btnDel" on the first page, "btnDel2"
// ... on the others.
std::wstring PagedName(const wchar_t* base, int page) {
  return page == 0 ? std::wstring(base) : std::wstring(base) + DecimalText(page + 1);
}

const std::wstring& Field(const RecoveryRecord& record, size_t index) {
  static const std::wstring empty;
  return index < record.size() ? record[index] : empty;
}

// Where a START_PROGRAM record came from.
enum class Place { kMachine, kMachine64, kUser, kStartupFolder, kUnknown };
Place PlaceOfLocation(const std::wstring& location) {
  if (location == kStartupLocation) return Place::kStartupFolder;
  if (location.find(kMachineRoot) != std::wstring::npos) {
    const bool view64 = location.size() >= k64BitLocationSuffix.size() &&
                        location.compare(location.size() - k64BitLocationSuffix.size(), std::wstring::npos,
                                         k64BitLocationSuffix) == 0;
    return view64 ? Place::kMachine64 : Place::kMachine;
  }
  if (location.find(kUserRoot) != std::wstring::npos) return Place::kUser;
  return Place::kUnknown;
}

// The dat-folder name of an ICON record's export (IconPayloadPath: its
// fourth field when set, else the key name); empty for a bad name.
std::wstring IconPayloadName(const recovery::RecoveryStore& store, const RecoveryRecord& record) {
  const std::wstring path = recovery::IconPayloadPath(store, record);
  return path.empty() ? path : path.substr(path.find_last_of(L'\\') + 1);
}

// The dat-folder name a record's payload has; empty for records without one.
std::wstring PayloadNameOf(const recovery::RecoveryStore& store, const wchar_t* section, const RecoveryRecord& record) {
  const std::wstring_view kind = section;
  if (kind == recovery::kStartProgramSection) {
    if (Field(record, 3) != kStartupLocation) return {};
    return Field(record, 4).empty() ? Field(record, 0) : Field(record, 4);
  }
  if (kind == recovery::kSchedulerSection) return Field(record, 0).empty() ? L"" : Field(record, 0) + L".scd";
  if (kind == recovery::kIconSection) return IconPayloadName(store, record);
  return {};
}

// Deletes those of `names` that no record of the store names any more. Two
// records can name one file (the same task removed twice, records of older
// versions, the same key's export): the file stays while one of them is
// left, also when the section could not be rewritten.
void DeletePayloadsNoLongerNamed(const recovery::RecoveryStore& store, const std::vector<std::wstring>& names) {
  if (names.empty()) return;
  std::vector<std::wstring> named;
  for (const wchar_t* section : {recovery::kStartProgramSection, recovery::kSchedulerSection, recovery::kIconSection})
    for (const RecoveryRecord& record : recovery::ReadRecoverySection(store, section)) {
      std::wstring name = PayloadNameOf(store, section, record);
      if (!name.empty()) named.push_back(std::move(name));
    }
  for (const std::wstring& name : names) {
    const bool stillNamed = std::any_of(named.begin(), named.end(), [&](const std::wstring& other) {
      return ::lstrcmpiW(other.c_str(), name.c_str()) == 0;
    });
    if (!stillNamed) recovery::DeletePayloadFile(store, name);
  }
}

std::wstring WithoutTrailingSlash(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && ::lstrcmpiW(WithoutTrailingSlash(a).c_str(), WithoutTrailingSlash(b).c_str()) == 0;
}

// A task definition as the bridge takes it: the file's lines, each ended by
// CR LF. None when the file cannot be read.
std::optional<std::string> ReadTaskDefinition(const std::wstring& path) {
  platform::UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kTaskFileLimit) return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
    return std::nullopt;
  std::string text;
  text.reserve(bytes.size() + 64);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    text.append(bytes, start, end - start);
    text += "\r\n";
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return text;
}

}  // namespace

// ------------------------------------------------------------ environment

SysRecoveryEnvironment SysRecoveryEnvironment::System() {
  SysRecoveryEnvironment env;
  env.store = recovery::RecoveryStore::System();
  env.windows64 = platform::IsWindows64();
  for (int csidl : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP}) {
    std::wstring folder = platform::ShellFolderPath(csidl);
    if (!folder.empty()) env.startupFolders.push_back(std::move(folder));
  }
  return env;
}

std::wstring Regsvr32ForView(RegistryView view) {
  return platform::SystemProgramPath(L"regsvr32.exe", recovery::ProgramBitsOf(view));
}

// ------------------------------------------------------------------ window

TSysRecoveryForm::TSysRecoveryForm(const ui::ToolHost& host, SysRecoveryEnvironment environment)
    : host_(host), env_(std::move(environment)) {}

TSysRecoveryForm::~TSysRecoveryForm() { FormClose(); }

bool TSysRecoveryForm::Create() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = L"프로세스 시스템 복원";
  layout.clientWidth = kClientWidth;
  layout.clientHeight = kClientHeight;
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  layout.exStyle = WS_EX_CONTROLPARENT;
  layout.owner = host_.Owner();
  if (!Form::Create(layout)) return false;

  pnlBottom = &Add<ui::Panel>(ui::Rect{0, kClientHeight - kBottomHeight, kClientWidth, kBottomHeight},
                              ui::Align::Bottom);
  btnClose = &pnlBottom->Add<ui::Button>(
      L"닫기", ui::Rect{kClientWidth - kMargin - kLeftButtonWidth, kButtonTop, kLeftButtonWidth, kButtonHeight});
  btnClose->onClick = [this] { btnCloseClick(); };
  rzpgcntrl = &Add<ui::PageControl>(ui::Rect{0, 0, kClientWidth, kClientHeight - kBottomHeight}, ui::Align::Client);

  ui::ListViewOptions options;
  options.gridLines = true;
  options.fullRowSelect = true;
  options.checkBoxes = true;
  options.images = false;
  for (int page = 0; page < kPageCount; ++page) {
    ui::Panel& sheet = rzpgcntrl->AddSheet(kSheetCaptions[page]);
    tabSheet[page] = &sheet;
    pnlTop[page] = &sheet.Add<ui::Panel>(ui::Rect{0, 0, kClientWidth, kTopHeight}, ui::Align::Top);
    lblTop[page] = &pnlTop[page]->Add<ui::Label>(kTopText, ui::Rect{kMargin, 8, kClientWidth - 2 * kMargin, 16});
    ui::Panel& buttons = sheet.Add<ui::Panel>(ui::Rect{0, 0, kClientWidth, kButtonsHeight}, ui::Align::Bottom);
    btnAllCheck[page] = &buttons.Add<ui::Button>(L"모두 선택", ui::Rect{kMargin, kButtonTop, kLeftButtonWidth, kButtonHeight});
    btnAllUncheck[page] = &buttons.Add<ui::Button>(
        L"선택 해제", ui::Rect{kMargin + kLeftButtonWidth + kGap, kButtonTop, kLeftButtonWidth, kButtonHeight});
    constexpr int rightWidth = 2 * kRightButtonWidth + kGap + 2 * kMargin;
    ui::Panel& right = buttons.Add<ui::Panel>(ui::Rect{0, 0, rightWidth, kButtonsHeight}, ui::Align::Right);
    btnDel[page] = &right.Add<ui::Button>(L"선택 항목 완전 삭제",
                                          ui::Rect{kMargin, kButtonTop, kRightButtonWidth, kButtonHeight});
    btnRecover[page] = &right.Add<ui::Button>(
        L"설정 복원 후 저장", ui::Rect{kMargin + kRightButtonWidth + kGap, kButtonTop, kRightButtonWidth, kButtonHeight});
    ui::ListView& list = sheet.Add<ui::ListView>(ui::Rect{0, kTopHeight, kClientWidth, 300}, options);
    list.SetAlign(ui::Align::Client);
    const PageSpec& pageLayout = kPages[page];
    for (int c = 0; c < 4 && pageLayout.columns[c]; ++c) list.AddColumn(pageLayout.columns[c], pageLayout.widths[c]);
    lists_[page] = &list;

    btnAllCheck[page]->onClick = [this, page] { btnAllCheckClick(page); };
    btnAllUncheck[page]->onClick = [this, page] { btnAllUncheckClick(page); };
    btnDel[page]->onClick = [this, page] { btnDelClick(page); };
    btnRecover[page]->onClick = [this, page] { btnRecoverClick(page); };
  }
  lv1 = lists_[0];
  lv2 = lists_[1];
  lv3 = lists_[2];
  lv4 = lists_[3];
  lv5 = lists_[4];
  rzpgcntrl->onChanging = [this](int page) { return rzpgcntrlChanging(page); };
  // Keyboard order follows the window order: each page's list first (it
  // has the focus when the window opens), then its buttons, the tabs, and
  // Close last.
  constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  for (int page = 0; page < kPageCount; ++page)
    ::SetWindowPos(lists_[page]->hwnd(), pnlTop[page]->hwnd(), 0, 0, 0, 0, kOrderOnly);
  ::SetWindowPos(pnlBottom->hwnd(), HWND_BOTTOM, 0, 0, 0, 0, kOrderOnly);

  FormCreate();
  rzpgcntrl->onChange = [this](int page) { rzpgcntrlChange(page); };
  return true;
}

void TSysRecoveryForm::FormCreate() {
  const ui::CaptionReader captions(kComponent);
  captions.Window(*this);
  captions.Caption(*btnClose, L"btnClose");
  for (int page = 0; page < kPageCount; ++page) {
    captions.Sheet(*rzpgcntrl, page, L"tabSheet" + DecimalText(page + 1));
    captions.Caption(*lblTop[page], L"pnlTop" + DecimalText(page + 1));
    captions.Columns(*lists_[page], kPages[page].list);
    captions.Caption(*btnAllCheck[page], PagedName(L"btnAllCheck", page));
    captions.Caption(*btnAllUncheck[page], PagedName(L"btnAllUncheck", page));
    captions.Caption(*btnDel[page], PagedName(L"btnDel", page));
    captions.Caption(*btnRecover[page], PagedName(L"btnRecover", page));
  }
  texts_.selDelOk = captions.Message(L"Msg_SelDelOk", texts_.selDelOk);
  texts_.selDel = captions.Message(L"Msg_SelDel", texts_.selDel);
  texts_.selRcvOk = captions.Message(L"Msg_SelRcvOk", texts_.selRcvOk);
  texts_.selRcv = captions.Message(L"Msg_SelRcv", texts_.selRcv);
  texts_.scheduler = captions.Message(L"Msg_Scheduler", texts_.scheduler);
  texts_.rcvFail = captions.Message(L"Msg_RcvFail", texts_.rcvFail);
  texts_.rcvExists = captions.Message(L"Msg_RcvExists", texts_.rcvExists);

  const POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
  MoveTo(at.x, at.y);

  tasksSupported_ = IsNt6Family(host_.OsFamily());
  if (tasksSupported_) {
    if (env_.addTask) {
      addTask_ = *env_.addTask;
    } else {
      library_ = SchedletLibrary::Bind(true, SchedletNeeds::kAdd);
      if (library_.canAdd())
        addTask_ = [this](const std::wstring& name, const std::string& definition) {
          return library_.AddTask(name, definition);
        };
    }
  } else {
    // The page stays in the strip; its content is disabled and a visit is
    // refused with a message (rzpgcntrlChanging).
    tabSheet[kSchedulerPage]->SetEnabled(false);
  }
  FillPage(kStartupPage);
}

void TSysRecoveryForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  for (auto& records : records_) records.clear();
  addTask_ = nullptr;
  library_ = SchedletLibrary();
}

bool TSysRecoveryForm::OnCloseQuery() {
  FormClose();
  return true;
}

void TSysRecoveryForm::btnCloseClick() { Close(); }

// ------------------------------------------------------------------ pages

const wchar_t* TSysRecoveryForm::SectionOf(int page) const { return kPages[page].section; }

void TSysRecoveryForm::FillPage(int page) {
  if (page < 0 || page >= kPageCount) return;
  if (page == kSchedulerPage && !tasksSupported_) return;
  ui::ListView& list = *lists_[page];
  ::SendMessageW(list.hwnd(), WM_SETREDRAW, FALSE, 0);
  list.Clear();
  records_[page] = recovery::ReadRecoverySection(env_.store, SectionOf(page));
  const int shown = kPages[page].shownFields;
  for (const RecoveryRecord& record : records_[page]) {
    std::vector<std::wstring> texts;
    for (int c = 0; c < shown; ++c) texts.push_back(Field(record, static_cast<size_t>(c)));
    list.AddItem(texts);
  }
  ::SendMessageW(list.hwnd(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list.hwnd(), nullptr, TRUE);
}

bool TSysRecoveryForm::rzpgcntrlChanging(int newPage) {
  if (newPage == kSchedulerPage && !tasksSupported_) {
    platform::ShowMessage(hwnd(), texts_.scheduler, Caption());
    return false;
  }
  return true;
}

void TSysRecoveryForm::rzpgcntrlChange(int page) { FillPage(page); }

void TSysRecoveryForm::btnAllCheckClick(int page) {
  ui::ListView& list = *lists_.at(page);
  for (int row = 0; row < list.Count(); ++row) list.SetChecked(row, true);
}

void TSysRecoveryForm::btnAllUncheckClick(int page) {
  ui::ListView& list = *lists_.at(page);
  for (int row = 0; row < list.Count(); ++row) list.SetChecked(row, false);
}

bool TSysRecoveryForm::AnyTicked(int page) const {
  const ui::ListView& list = *lists_[page];
  for (int row = 0; row < list.Count(); ++row)
    if (list.Checked(row)) return true;
  return false;
}

void TSysRecoveryForm::RemoveRow(int page, int row) {
  lists_[page]->DeleteItem(row);
  auto& records = records_[page];
  if (row >= 0 && static_cast<size_t>(row) < records.size()) records.erase(records.begin() + row);
}

void TSysRecoveryForm::RewritePage(int page) {
  if (!recovery::RewriteRecoverySection(env_.store, SectionOf(page), records_[page])) {
    // The index file refused the write: show what it holds now. Its records
    // still name their payloads, so none of them is deleted.
    spentPayloads_.clear();
    platform::ShowMessage(hwnd(), texts_.rcvFail, Caption());
    FillPage(page);
  }
}

void TSysRecoveryForm::TellFailures(int failed, int exists) {
  std::wstring text;
  if (failed > 0) text = texts_.rcvFail;
  if (exists > 0) text += (text.empty() ? L"" : L"\r\n\r\n") + texts_.rcvExists;
  if (!text.empty()) platform::ShowMessage(hwnd(), text, Caption());
}

bool TSysRecoveryForm::Run(const std::wstring& commandLine, int show, bool wait, DWORD timeoutMs) const {
  return env_.run ? env_.run(commandLine, show, wait, timeoutMs) : RunCommand(commandLine, show, wait, timeoutMs);
}

// ------------------------------------------------------------------ purge

void TSysRecoveryForm::btnDelClick(int page) {
  if (!AnyTicked(page)) {
    platform::ShowMessage(hwnd(), texts_.selDel, Caption());
    return;
  }
  // A window that was closed while it asked does nothing more: its rows
  // and records are gone (or going) with it.
  if (!Ask(texts_.selDelOk) || closed_) return;
  ui::ListView& list = *lists_[page];
  for (int row = list.Count() - 1; row >= 0; --row) {
    if (!list.Checked(row)) continue;
    Purge(page, records_[page].at(static_cast<size_t>(row)));
    RemoveRow(page, row);
  }
  RewritePage(page);
  DropSpentPayloads();
}

void TSysRecoveryForm::DropSpentPayloads() {
  DeletePayloadsNoLongerNamed(env_.store, spentPayloads_);
  spentPayloads_.clear();
}

// BHO and toolbar records have no payload; the others' files go once the
// section no longer names them (DropSpentPayloads).
void TSysRecoveryForm::Purge(int page, const RecoveryRecord& record) {
  std::wstring payload = PayloadNameOf(env_.store, SectionOf(page), record);
  if (!payload.empty()) spentPayloads_.push_back(std::move(payload));
}

// ---------------------------------------------------------------- restore

void TSysRecoveryForm::btnRecoverClick(int page) {
  if (!AnyTicked(page)) {
    platform::ShowMessage(hwnd(), texts_.selRcv, Caption());
    return;
  }
  if (!Ask(texts_.selRcvOk) || closed_) return;
  if (page == kStartupPage) {
    RestoreStartup();
    return;
  }
  if (page == kSchedulerPage && (!tasksSupported_ || !addTask_)) {
    // Without the bridge no task can come back: rows and files stay.
    TellFailures(1, 0);
    return;
  }
  ui::ListView& list = *lists_[page];
  int failed = 0;
  for (int row = list.Count() - 1; row >= 0; --row) {
    if (!list.Checked(row)) continue;
    const RecoveryRecord& record = records_[page].at(static_cast<size_t>(row));
    Outcome outcome = Outcome::kFailed;
    switch (page) {
      case kSchedulerPage: outcome = RestoreTask(record); break;
      case kBhoPage:
      case kToolbarPage: outcome = RegisterServer(record); break;
      case kIconPage: outcome = RestoreIcon(record); break;
      default: break;
    }
    if (outcome == Outcome::kRestored) {
      RemoveRow(page, row);
    } else {
      ++failed;
    }
  }
  RewritePage(page);
  DropSpentPayloads();
  TellFailures(failed, 0);
}

TSysRecoveryForm::Outcome TSysRecoveryForm::RestoreTask(const RecoveryRecord& record) {
  const std::wstring& name = Field(record, 0);
  const std::wstring path = recovery::TaskBackupPath(env_.store, name);
  if (path.empty()) return Outcome::kFailed;
  // A definition that is gone cannot come back: the record goes.
  if (!platform::EntryExists(path)) return Outcome::kRestored;
  const std::optional<std::string> definition = ReadTaskDefinition(path);
  if (!definition) return Outcome::kFailed;
  const std::optional<int> status = addTask_(name, *definition);
  if (!status || *status != 0) return Outcome::kFailed;
  spentPayloads_.push_back(name + L".scd");
  return Outcome::kRestored;
}

TSysRecoveryForm::Outcome TSysRecoveryForm::RegisterServer(const RecoveryRecord& record) {
  const std::wstring& serverPath = Field(record, 3);
  if (serverPath.empty()) return Outcome::kFailed;
  const std::wstring regsvr32 = Regsvr32ForView(recovery::SplitRecordIdView(Field(record, 4)).view);
  if (regsvr32.empty()) return Outcome::kFailed;
  const std::wstring command = L"\"" + regsvr32 + L"\" /s \"" + serverPath + L"\"";
  return Run(command, SW_HIDE, true, kRegsvr32WaitMs) ? Outcome::kRestored : Outcome::kFailed;
}

TSysRecoveryForm::Outcome TSysRecoveryForm::RestoreIcon(const RecoveryRecord& record) {
  const std::wstring payload = IconPayloadName(env_.store, record);
  const std::wstring path = recovery::IconPayloadPath(env_.store, record);
  if (path.empty() || payload.empty()) return Outcome::kFailed;
  if (!platform::EntryExists(path)) return Outcome::kRestored;  // nothing left to bring back
  // The view comes from the file; the key must lie below the extension key.
  if (!recovery::ImportRegistryExport(path, std::wstring(kExtensionsKey))) return Outcome::kFailed;
  spentPayloads_.push_back(payload);
  return Outcome::kRestored;
}

TSysRecoveryForm::Outcome TSysRecoveryForm::RestoreStartupFile(const RecoveryRecord& record, std::wstring* started) {
  const std::wstring& name = Field(record, 0);
  const std::wstring& folder = Field(record, 2);
  // Only into a Startup folder, and only under a plain name: a record is
  // never a way to put a file anywhere else.
  const bool knownFolder = std::any_of(env_.startupFolders.begin(), env_.startupFolders.end(),
                                       [&](const std::wstring& f) { return SameFolder(f, folder); });
  if (!knownFolder || !platform::IsPlainFileName(name)) return Outcome::kFailed;
  const std::wstring source = recovery::StartupPayloadPath(env_.store, record);
  if (source.empty()) return Outcome::kFailed;
  if (!platform::EntryExists(source)) return Outcome::kRestored;  // nothing left to bring back
  const std::wstring target = WithoutTrailingSlash(folder) + L"\\" + name;
  if (platform::EntryExists(target)) return Outcome::kExists;
  if (!recovery::MoveStartupEntryFromStore(env_.store, record, target)) return Outcome::kFailed;
  *started = target;
  return Outcome::kRestored;
}

void TSysRecoveryForm::RestoreStartup() {
  ui::ListView& list = *lv1;
  auto& records = records_[kStartupPage];
  std::vector<std::wstring> runList;
  int exists = 0;
  // Ticked rows of one place, from the last to the first.
  auto forTicked = [&](Place place, const std::function<Outcome(const RecoveryRecord&)>& restore) {
    for (int row = list.Count() - 1; row >= 0; --row) {
      if (!list.Checked(row)) continue;
      const RecoveryRecord& record = records.at(static_cast<size_t>(row));
      if (PlaceOfLocation(Field(record, 3)) != place) continue;
      const Outcome outcome = restore(record);
      if (outcome == Outcome::kRestored) {
        RemoveRow(kStartupPage, row);
      } else if (outcome == Outcome::kExists) {
        ++exists;
      }
    }
  };
  auto restoreRunValues = [&](Place place, RegKey& key) {
    forTicked(place, [&](const RecoveryRecord& record) {
      const std::wstring& name = Field(record, 0);
      const std::wstring& command = Field(record, 2);
      if (key.WriteString(name, command) != ERROR_SUCCESS) return Outcome::kFailed;
      runList.push_back(command);
      return Outcome::kRestored;
    });
  };
  auto countTicked = [&] {
    int n = 0;
    for (int row = 0; row < list.Count(); ++row) n += list.Checked(row) ? 1 : 0;
    return n;
  };

  // The machine's key (the 32-bit view on 64-bit Windows, where this
  // program has always written); without it nothing is restored.
  {
    RegKey machine;
    if (machine.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, KEY_ALL_ACCESS | (env_.windows64 ? KEY_WOW64_32KEY : 0)) !=
        ERROR_SUCCESS) {
      TellFailures(countTicked(), 0);
      return;
    }
    restoreRunValues(Place::kMachine, machine);
  }
  // Values of the 64-bit view go back into the 64-bit view.
  {
    RegKey machine64;
    if (machine64.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, KEY_ALL_ACCESS | KEY_WOW64_64KEY) == ERROR_SUCCESS)
      restoreRunValues(Place::kMachine64, machine64);
  }
  {
    RegKey user;
    if (user.Open(HKEY_CURRENT_USER, kRunKeyPath, KEY_ALL_ACCESS) == ERROR_SUCCESS)
      restoreRunValues(Place::kUser, user);
  }
  forTicked(Place::kStartupFolder, [&](const RecoveryRecord& record) {
    std::wstring started;
    const Outcome outcome = RestoreStartupFile(record, &started);
    // Quoted: unquoted, a path with blanks ("...\Start Menu\...") would
    // start "...\Start.exe" of a folder the user can write to, elevated.
    if (!started.empty()) runList.push_back(L"\"" + started + L"\"");
    return outcome;
  });
  // Ticked rows still listed were not restored: a file of that name was
  // there, or a platform call failed (a key that did not open, a value that
  // could not be written, a move refused, a place this window does not know).
  const int failed = countTicked() - exists;
  RewritePage(kStartupPage);
  TellFailures(failed, exists);

  if (runList.empty()) return;
  if (!Ask(KoreanUi ? kRunNowKorean : kRunNowEnglish)) return;
  for (auto it = runList.rbegin(); it != runList.rend(); ++it) Run(*it, SW_SHOWNORMAL, false, kRunWaitMs);
}

// --------------------------------------------------------------- opening

void ShowSysRecoveryForm(const ui::ToolHost& host) {
  TSysRecoveryForm form(host, SysRecoveryEnvironment::System());
  if (form.Create()) form.ShowModal();
}

}  // namespace vantrel
