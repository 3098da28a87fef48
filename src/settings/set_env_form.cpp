#include "settings/set_env_form.h"

#include <utility>

#include "core/app_state.h"
#include "core/helpers.h"
#include "core/settings_file.h"
#include "core/text_rules.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/reg_key.h"
#include "ui/captions.h"

namespace vantrel {
namespace {

using ui::Rect;

constexpr wchar_t kComponent[] = L"SetEnvForm";
constexpr int kClientWidth = 424, kClientHeight = 466;
constexpr wchar_t kExeFilter[] = L"Exe File(*.exe)|*.exe";

// Built-in Korean texts, used when the language table lacks a key.
const wchar_t* const kProgramMessageDefaults[9] = {
    L"등록된 프로그램 런처가 없습니다.#13#10#13#10프로그램 런처를 사용하지 않으려면 \"프로그램 런처 사용\" 체크를 "
    L"제거해 주시기 바랍니다.",
    L"\"프로그램_1\"에 프로그램 이름을 입력하셔야 합니다.",
    L"\"프로그램_1\"에 등록된 실행 프로그램이 존재하지 않습니다.",
    L"\"프로그램_2\"에 프로그램 이름을 입력하셔야 합니다.",
    L"\"프로그램_2\"에 등록된 실행 프로그램이 존재하지 않습니다.",
    L"\"프로그램_3\"에 프로그램 이름을 입력하셔야 합니다.",
    L"\"프로그램_3\"에 등록된 실행 프로그램이 존재하지 않습니다.",
    L"\"프로그램_4\"에 프로그램 이름을 입력하셔야 합니다.",
    L"\"프로그램_4\"에 등록된 실행 프로그램이 존재하지 않습니다.",
};
const wchar_t* const kSiteMessageDefaults[9] = {
    L"등록된 사이트 런처가 없습니다.#13#10#13#10사이트 런처를 사용하지 않으려면 \"사이트 런처 사용\" 체크를 제거해 "
    L"주시기 바랍니다.",
    L"\"사이트_1\"에 사이트 이름을 입력하셔야 합니다.",
    L"\"사이트_1\"에 사이트 등록 주소를 입력하셔야 합니다.",
    L"\"사이트_2\"에 사이트 이름을 입력하셔야 합니다.",
    L"\"사이트_2\"에 사이트 등록 주소를 입력하셔야 합니다.",
    L"\"사이트_3\"에 사이트 이름을 입력하셔야 합니다.",
    L"\"사이트_3\"에 사이트 등록 주소를 입력하셔야 합니다.",
    L"\"사이트_4\"에 사이트 이름을 입력하셔야 합니다.",
    L"\"사이트_4\"에 사이트 등록 주소를 입력하셔야 합니다.",
};
constexpr wchar_t kSaveMessageDefault[] = L"저장되었습니다.";

// Slot k (0-3) of a launcher kind: its section, and the caption keys whose
// first slot is named without a number.
std::wstring Numbered(const wchar_t* base, int k) { return k == 0 ? std::wstring(base) : base + DecimalText(k + 1); }
std::wstring OneBased(const wchar_t* base, int k) { return base + DecimalText(k + 1); }

bool RunValueExists(const platform::RegKey& key) {
  for (const std::wstring& name : key.ValueNames())
    if (name == kRunValueName) return true;  // exactly, case and all
  return false;
}

}  // namespace

// ------------------------------------------------------------ Run value

std::wstring RunValueData() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD got = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return {};
    if (got < path.size()) {
      path.resize(got);
      break;
    }
    path.resize(path.size() * 2);
  }
  return L"\"" + path + L"\"";
}

bool IsRunRegistered() {
  platform::RegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, platform::kKeyReadWrite) != ERROR_SUCCESS) return false;
  return RunValueExists(key);
}

void RegisterRun() {
  platform::RegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, platform::kKeyReadWrite) != ERROR_SUCCESS) return;
  if (RunValueExists(key)) return;  // kept, whatever it holds
  const std::wstring data = RunValueData();
  if (!data.empty()) key.WriteString(kRunValueName, data);
}

void UnregisterRun() {
  platform::RegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, platform::kKeyReadWrite) != ERROR_SUCCESS) return;
  key.DeleteValue(kRunValueName);
}

// --------------------------------------------------------------- window

TSetEnvForm::TSetEnvForm(const ui::ToolHost& host, SetEnvHost& settings) : host_(host), settings_(settings) {}

bool TSetEnvForm::Create() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = L"환경설정";
  layout.clientWidth = kClientWidth;
  layout.clientHeight = kClientHeight;
  // A dialog border: not resizable, no minimise or maximise box.
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
  layout.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  layout.owner = host_.Owner();
  if (!Form::Create(layout)) return false;
  BuildControls();
  FormCreate();
  return true;
}

// Controls in the designed tab order: the options, the program launchers,
// the site launchers, then Save and Close.
void TSetEnvForm::BuildControls() {
  lblSetEnv = &Add<ui::Label>(L"환경 설정", Rect{12, 10, 400, 14});
  lblSetEnv->SetFont(ui::DefaultBoldFont());
  chkStartProgramReg = &Add<ui::CheckBox>(L"시작 프로그램 등록 후 컴퓨터 부팅시 실행", Rect{24, 28, 388, 17});
  chkStartPGInit = &Add<ui::CheckBox>(L"핑 적용 시 시작 프로그램 초기화", Rect{24, 46, 388, 17});
  chkIEInit = &Add<ui::CheckBox>(L"핑 적용 시 익스플로러 초기화 ", Rect{24, 64, 388, 17});

  lblLauncher = &Add<ui::Label>(L"실행 런처", Rect{12, 90, 400, 14});
  lblLauncher->SetFont(ui::DefaultBoldFont());
  chkProgramLauncher = &Add<ui::CheckBox>(L"프로그램 런처 사용", Rect{24, 108, 388, 17});
  chkProgramLauncher->onClick = [this] { chkProgramLauncherClick(); };
  tabProgramLauncher = &Add<ui::PageControl>(Rect{12, 128, 400, 130});
  for (int k = 0; k < 4; ++k) {
    ui::Panel& sheet = tabProgramLauncher->AddSheet(L"프로그램_" + DecimalText(k + 1));
    tabSheet[k] = &sheet;
    lblProgramLauncherName[k] = &sheet.Add<ui::Label>(L"프로그램 런처 이름 :", Rect{10, 14, 156, 13});
    edtProgramLauncherName[k] = &sheet.Add<ui::Edit>(Rect{168, 10, 208, 21});
    edtProgramLauncherName[k]->SetByteLimit(kNameByteLimit);
    lblProgramReg[k] = &sheet.Add<ui::Label>(L"실행 프로그램 등록 :", Rect{10, 45, 156, 13});
    edtProgramReg[k] = &sheet.Add<ui::Edit>(Rect{168, 41, 208, 21});
    edtProgramReg[k]->SetReadOnly(true);
    btnProgramSearch[k] = &sheet.Add<ui::Button>(L"찾아보기", Rect{172, 72, 88, 25});
    btnProgramSearch[k]->onClick = [this, k] { btnProgramSearchClick(k); };
    btnInitPG[k] = &sheet.Add<ui::Button>(L"런처 초기화", Rect{266, 72, 110, 25});
    btnInitPG[k]->onClick = [this, k] { btnInitPGClick(k); };
  }
  tabProgramLauncher->onChange = [this](int index) { tabProgramLauncherChange(index); };

  chkSiteLauncher = &Add<ui::CheckBox>(L"사이트 런처 사용", Rect{24, 266, 388, 17});
  chkSiteLauncher->onClick = [this] { chkSiteLauncherClick(); };
  tabSiteLauncher = &Add<ui::PageControl>(Rect{12, 286, 400, 130});
  for (int k = 0; k < 4; ++k) {
    ui::Panel& sheet = tabSiteLauncher->AddSheet(L"사이트_" + DecimalText(k + 1));
    tabSheetSite[k] = &sheet;
    lblSiteLauncherName[k] = &sheet.Add<ui::Label>(L"사이트 이름 :", Rect{10, 14, 156, 13});
    edtSiteLauncherName[k] = &sheet.Add<ui::Edit>(Rect{168, 10, 208, 21});
    edtSiteLauncherName[k]->SetByteLimit(kNameByteLimit);
    lblSiteLauncherReg[k] = &sheet.Add<ui::Label>(L"사이트 등록 주소 :", Rect{10, 45, 156, 13});
    edtSiteLauncherReg[k] = &sheet.Add<ui::Edit>(Rect{168, 41, 208, 21});
    btnInitSite[k] = &sheet.Add<ui::Button>(L"런처 초기화", Rect{266, 72, 110, 25});
    btnInitSite[k]->onClick = [this, k] { btnInitSiteClick(k); };
  }
  tabSiteLauncher->onChange = [this](int index) { tabSiteLauncherChange(index); };

  btnRegStart = &Add<ui::Button>(L"저장", Rect{12, 430, 90, 25});
  btnRegStart->onClick = [this] { btnRegStartClick(); };
  btnClose = &Add<ui::Button>(L"닫기", Rect{322, 430, 90, 25});
  btnClose->onClick = [this] { btnCloseClick(); };
}

void TSetEnvForm::FormCreate() {
  ReadCaptions();
  const POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
  MoveTo(at.x, at.y);
  chkStartProgramReg->SetChecked(IsRunRegistered());
  ReadSettings();
  ApplyProgramState();
  ApplySiteState();
}

void TSetEnvForm::ReadCaptions() {
  const ui::CaptionReader captions(kComponent);
  captions.Window(*this);
  captions.Caption(*lblSetEnv, L"lblSetEnv");
  captions.Caption(*lblLauncher, L"lblLauncher");
  captions.Caption(*chkStartProgramReg, L"chkStartProgramReg");
  captions.Caption(*chkStartPGInit, L"chkStartPGInit");
  captions.Caption(*chkIEInit, L"chkIEInit");
  captions.Caption(*chkProgramLauncher, L"chkProgramLauncher");
  captions.Caption(*chkSiteLauncher, L"chkSiteLauncher");
  for (int k = 0; k < 4; ++k) {
    captions.Sheet(*tabProgramLauncher, k, OneBased(L"tabSheet", k));
    captions.Caption(*lblProgramLauncherName[k], k == 0 ? L"lblProgramLauncherName" : OneBased(L"lblProgramLauncher", k));
    captions.Caption(*lblProgramReg[k], Numbered(L"lblProgramReg", k));
    captions.Caption(*btnProgramSearch[k], Numbered(L"btnProgramSearch", k));
    captions.Caption(*btnInitPG[k], OneBased(L"btnInitPG", k));
    captions.Sheet(*tabSiteLauncher, k, OneBased(L"tabSheetSite", k));
    captions.Caption(*lblSiteLauncherName[k], Numbered(L"lblSiteLauncherName", k));
    captions.Caption(*lblSiteLauncherReg[k], Numbered(L"lblSiteLauncherReg", k));
    captions.Caption(*btnInitSite[k], OneBased(L"btnInitSite", k));
  }
  captions.Caption(*btnRegStart, L"btnRegStart");
  captions.Caption(*btnClose, L"btnClose");
  for (int n = 0; n < 9; ++n) {
    programMessages_[n] = captions.Message(OneBased(L"Msg_ChkPGTab", n), kProgramMessageDefaults[n]);
    siteMessages_[n] = captions.Message(OneBased(L"Msg_ChkSiteTab", n), kSiteMessageDefaults[n]);
  }
  saveMessage_ = captions.Message(L"Msg_Save", kSaveMessageDefault);
}

void TSetEnvForm::ReadSettings() {
  SettingsFile file(settings_.SettingsPath(), hwnd());
  if (!file.Exists()) return;  // everything stays cleared and empty
  using namespace settings;
  chkStartPGInit->SetChecked(file.ReadBool(kWindow, kInitStartProgram, false));
  chkIEInit->SetChecked(file.ReadBool(kWindow, kInitIe, false));
  chkProgramLauncher->SetChecked(file.ReadBool(kProgramLauncher, kUse, false));
  chkSiteLauncher->SetChecked(file.ReadBool(kSiteLauncher, kUse, false));
  for (int k = 0; k < 4; ++k) {
    const std::wstring program = Numbered(kProgramLauncher, k), site = Numbered(kSiteLauncher, k);
    edtProgramLauncherName[k]->SetText(file.ReadText(program, kName));
    edtProgramReg[k]->SetText(file.ReadText(program, kPath));
    edtSiteLauncherName[k]->SetText(file.ReadText(site, kName));
    edtSiteLauncherReg[k]->SetText(file.ReadText(site, kPath));
  }
}

// ------------------------------------------------------- enabled states

// The path edit is never enabled: only the browse and reset buttons change it.
void TSetEnvForm::ApplyProgramState() {
  const bool used = chkProgramLauncher->Checked();
  const COLORREF color = used ? ui::Edit::kWindowColor : kSilver;
  for (int k = 0; k < 4; ++k) {
    edtProgramLauncherName[k]->SetEnabled(used);
    btnProgramSearch[k]->SetEnabled(used);
    btnInitPG[k]->SetEnabled(used);
    edtProgramReg[k]->SetEnabled(false);
    edtProgramLauncherName[k]->SetColor(color);
    edtProgramReg[k]->SetColor(color);
  }
}

void TSetEnvForm::ApplySiteState() {
  const bool used = chkSiteLauncher->Checked();
  const COLORREF color = used ? ui::Edit::kWindowColor : kSilver;
  for (int k = 0; k < 4; ++k) {
    edtSiteLauncherName[k]->SetEnabled(used);
    edtSiteLauncherReg[k]->SetEnabled(used);
    btnInitSite[k]->SetEnabled(used);
    edtSiteLauncherName[k]->SetColor(color);
    edtSiteLauncherReg[k]->SetColor(color);
  }
}

void TSetEnvForm::chkProgramLauncherClick() { ApplyProgramState(); }
void TSetEnvForm::chkSiteLauncherClick() { ApplySiteState(); }

// ------------------------------------------------------------- buttons

void TSetEnvForm::btnProgramSearchClick(int index) { BrowseProgram(index); }

void TSetEnvForm::BrowseProgram(int index) {
  const size_t k = static_cast<size_t>(index);
  // The dialog would open behind a window that stays on top.
  if (host_.TopMost())
    ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  std::wstring path;
  if (!platform::CurrentDialogs().OpenFileName(hwnd(), kExeFilter, &path) || path.empty()) return;
  edtProgramReg[k]->SetText(path);
  const std::wstring name(FileNameOf(path));
  if (edtProgramLauncherName[k]->Text().empty() && ui::Edit::ByteLength(name) <= kNameByteLimit)
    edtProgramLauncherName[k]->SetText(name);
}

void TSetEnvForm::btnInitPGClick(int index) {
  edtProgramLauncherName[static_cast<size_t>(index)]->SetText(L"");
  edtProgramReg[static_cast<size_t>(index)]->SetText(L"");
}

void TSetEnvForm::btnInitSiteClick(int index) {
  edtSiteLauncherName[static_cast<size_t>(index)]->SetText(L"");
  edtSiteLauncherReg[static_cast<size_t>(index)]->SetText(L"");
}

void TSetEnvForm::tabProgramLauncherChange(int index) {
  if (chkProgramLauncher->Checked() && index >= 0 && index < 4)
    edtProgramLauncherName[static_cast<size_t>(index)]->SetFocus();
}

void TSetEnvForm::tabSiteLauncherChange(int index) {
  if (chkSiteLauncher->Checked() && index >= 0 && index < 4) edtSiteLauncherName[static_cast<size_t>(index)]->SetFocus();
}

void TSetEnvForm::btnCloseClick() { Close(); }

// --------------------------------------------------------------- saving

LauncherTexts TSetEnvForm::Texts(const std::array<ui::Edit*, 4>& edits) const {
  LauncherTexts texts;
  for (size_t k = 0; k < 4; ++k) texts[k] = edits[k]->Text();
  return texts;
}

void TSetEnvForm::Tell(const std::wstring& text) { platform::ShowMessage(hwnd(), text, kProgramTitle); }

void TSetEnvForm::btnRegStartClick() {
  const LauncherTexts programNames = Texts(edtProgramLauncherName), programPaths = Texts(edtProgramReg);
  const LauncherTexts siteNames = Texts(edtSiteLauncherName), siteAddresses = Texts(edtSiteLauncherReg);
  const bool programsUsed = chkProgramLauncher->Checked(), sitesUsed = chkSiteLauncher->Checked();
  if (programsUsed) {
    const int fault = FirstProgramLauncherFault(programNames, programPaths,
                                                [](const std::wstring& path) { return platform::FileExists(path); });
    if (fault) return Tell(ProgramMessage(fault));
  }
  if (sitesUsed) {
    if (const int fault = FirstSiteLauncherFault(siteNames, siteAddresses)) return Tell(SiteMessage(fault));
  }
  // The file first: when it cannot be written the user is told (by the
  // settings file) and nothing else changes, neither the Run value nor the
  // main window, and the window stays open with every entry.
  if (!WriteSettings()) return;
  if (chkStartProgramReg->Checked())
    RegisterRun();
  else
    UnregisterRun();
  settings_.SetResetStartupOnToggle(chkStartPGInit->Checked());
  settings_.SetResetIeOnToggle(chkIEInit->Checked());
  settings_.ApplyProgramLaunchers(programsUsed, programNames, programPaths);
  settings_.ApplySiteLaunchers(sitesUsed, siteNames, siteAddresses);
  Tell(saveMessage_);
  Close();
}

// Every key on every save, in the file's order; the launcher texts also
// when their kind is not in use. Stops at the first refused write.
bool TSetEnvForm::WriteSettings() {
  using namespace settings;
  const SettingsFile file(settings_.SettingsPath(), hwnd());
  if (!file.WriteInt(kWindow, kInitProcess, 0) || !file.WriteBool(kWindow, kInitStartProgram, chkStartPGInit->Checked()) ||
      !file.WriteBool(kWindow, kInitIe, chkIEInit->Checked()))
    return false;
  auto writeKind = [&](const wchar_t* base, bool used, const std::array<ui::Edit*, 4>& names,
                       const std::array<ui::Edit*, 4>& paths) {
    if (!file.WriteBool(base, kUse, used)) return false;
    for (int k = 0; k < 4; ++k) {
      const std::wstring section = Numbered(base, k);
      if (!file.WriteText(section, kName, names[k]->Text()) || !file.WriteText(section, kPath, paths[k]->Text()))
        return false;
    }
    return true;
  };
  return writeKind(kProgramLauncher, chkProgramLauncher->Checked(), edtProgramLauncherName, edtProgramReg) &&
         writeKind(kSiteLauncher, chkSiteLauncher->Checked(), edtSiteLauncherName, edtSiteLauncherReg);
}

void ShowSetEnvForm(const ui::ToolHost& host, SetEnvHost& settings) {
  TSetEnvForm form(host, settings);
  if (form.Create()) form.ShowModal();
}

}  // namespace vantrel
