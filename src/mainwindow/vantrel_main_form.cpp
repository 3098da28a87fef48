#include "mainwindow/vantrel_main_form.h"

#include <algorithm>

#include "addons/bho_form.h"
#include "core/app_state.h"
#include "core/build_config.h"
#include "core/helpers.h"
#include "core/os_version.h"
#include "core/settings_file.h"
#include "core/text_rules.h"
#include "diskclean/hdd_form.h"
#include "platform/dialogs.h"
#include "recovery/sys_recovery_form.h"
#include "mainwindow/main_form_toggle.h"
#include "activex/init_activex_form.h"
#include "startup/start_program_form.h"
#include "tweak/tweak_toggle.h"
#include "tweak/network.h"
#include "tweak/ping_status_form.h"
#include "ui/captions.h"
#include "update/version_check.h"
#include "update/version_check_form.h"

namespace vantrel {

namespace {

using ui::Align;
using ui::Rect;

constexpr wchar_t kComponent[] = L"VantrelMainForm";
constexpr int kClientWidth = 231, kClientHeight = 669;
constexpr int kLabelHeight = 13;

void PinZOrder(HWND window, HWND where) {
  ::SetWindowPos(window, where, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The monitor's work area, or the screen without the taskbar when the
// system gives no monitor information; false when neither can be had.
bool FindWorkArea(HWND window, WorkArea* area) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
      monitor && ::GetMonitorInfoW(monitor, &info)) {
    *area = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    return true;
  }
  int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0) return false;
  *area = {0, 0, width, height};
  RECT bar;
  if (HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr); tray && ::GetWindowRect(tray, &bar)) {
    // Cut the taskbar off the side it sits on.
    if (bar.top > height / 2) area->bottom = std::min(area->bottom, static_cast<int>(bar.top));
    else if (bar.bottom < height / 2) area->top = std::max(area->top, static_cast<int>(bar.bottom));
    else if (bar.left > width / 2) area->right = std::min(area->right, static_cast<int>(bar.left));
    else if (bar.right < width / 2) area->left = std::max(area->left, static_cast<int>(bar.right));
  }
  return true;
}

std::wstring LauncherSection(const wchar_t* base, int index) {
  return index == 0 ? std::wstring(base) : base + DecimalText(index + 1);
}

}  // namespace

TVantrelMainForm::TVantrelMainForm(std::wstring settingsPath) : settingsPath_(std::move(settingsPath)) {}
TVantrelMainForm::TVantrelMainForm() : TVantrelMainForm(SettingsFilePath()) {}

TVantrelMainForm::~TVantrelMainForm() {
  // The tray icon goes before the window it talks to.
  trayIcon_.reset();
}

bool TVantrelMainForm::Create() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = L"Vantrel";
  layout.clientWidth = kClientWidth;
  layout.clientHeight = kClientHeight;
  // Fixed single border, system menu and minimize box; its own taskbar button.
  layout.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  layout.exStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
  if (!Form::Create(layout)) return false;
  BuildControls();
  FormCreate();
  ::ShowWindow(hwnd(), SW_SHOW);
  // The first paint now, then the rest of the start from the message loop.
  ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::PostMessageW(hwnd(), kAfterShownMessage, 0, 0);
  return true;
}

void TVantrelMainForm::AfterShown() {
  trayIcon_->Show();
  wbLow->StartBrowser();
  wbLow->Navigate(L"http://" + WebHost() + L"/ads/ad.html");
}

// Panels in their designed order from the top; controls in the tab order.
void TVantrelMainForm::BuildControls() {
  const int w = kClientWidth;
  pnlInitProcess = &Add<ui::Panel>(Rect{0, 0, w, 50}, Align::Top);
  toggleFont_ = ui::Font::Create(L"Gulim", 16, false);
  toggleBoldFont_ = ui::Font::Create(L"Gulim", 16, true);
  btnVantrel = &pnlInitProcess->Add<ui::Button>(kToggleOffCaption, Rect{10, 9, 210, 35});
  btnVantrel->SetFont(toggleFont_.get());
  btnVantrel->onClick = [this] { btnVantrelClick(); };

  const Rect places[4] = {{10, 0, 100, 25}, {120, 0, 100, 25}, {10, 31, 100, 25}, {120, 31, 100, 25}};
  pnlProgramLauncher = &Add<ui::Panel>(Rect{0, 0, w, 62}, Align::Top);
  for (int k = 0; k < 4; ++k) {
    btnPGLauncher[k] = &pnlProgramLauncher->Add<ui::Button>(L"프로그램" + DecimalText(k + 1), places[k]);
    btnPGLauncher[k]->onClick = [this, k] { btnPGLauncherClick(k); };
  }
  pnlSiteLauncher = &Add<ui::Panel>(Rect{0, 0, w, 60}, Align::Client);
  for (int k = 0; k < 4; ++k) {
    btnSiteLauncher[k] = &pnlSiteLauncher->Add<ui::Button>(L"사이트" + DecimalText(k + 1), places[k]);
    btnSiteLauncher[k]->onClick = [this, k] { btnSiteLauncherClick(k); };
  }

  pnlLabel = &Add<ui::Panel>(Rect{0, 0, w, 91}, Align::Bottom);
  using ui::TextAlign;
  lbl1 = &pnlLabel->Add<ui::Label>(L"Vantrel 적용시 네트워크 접속이", Rect{10, 6, 210, kLabelHeight}, TextAlign::Center);
  lbl2 = &pnlLabel->Add<ui::Label>(L"해제 된 이후 재접속 되며", Rect{10, 28, 210, kLabelHeight}, TextAlign::Center);
  lbl3 = &pnlLabel->Add<ui::Label>(L"인터넷 익스플로러가 종료됩니다.", Rect{10, 50, 210, kLabelHeight},
                                   TextAlign::Center);
  lbl4 = &pnlLabel->Add<ui::Label>(L"적용 :         / 미적용 : Off", Rect{0, 73, w, kLabelHeight}, TextAlign::Center);
  lbl5 = &pnlLabel->Add<ui::Label>(L"On", Rect{0, 73, 20, kLabelHeight}, TextAlign::Center);
  lbl5->SetFont(ui::DefaultBoldFont());

  pnlMenuHide = &Add<ui::Panel>(Rect{0, 0, w, 21}, Align::Bottom);
  chkMenuHide = &pnlMenuHide->Add<ui::CheckBox>(L"메뉴 숨기기", Rect{w - 97, 0, 97, 21});
  chkMenuHide->SetAlign(Align::Right);
  chkMenuHide->onClick = [this] { chkMenuHideClick(); };

  pnlBtn = &Add<ui::Panel>(Rect{0, 0, w, 251}, Align::Bottom);
  auto tool = [this](const wchar_t* caption, Rect r, void (TVantrelMainForm::*handler)()) {
    ui::Button* b = &pnlBtn->Add<ui::Button>(caption, r);
    b->onClick = [this, handler] { (this->*handler)(); };
    return b;
  };
  btnInitNetReg = tool(L"Vantrel 설정 보기", {10, 6, 210, 25}, &TVantrelMainForm::btnInitNetRegClick);
  btnHDD = tool(L"하드디스크 최적화", {10, 37, 210, 25}, &TVantrelMainForm::btnHDDClick);
  btnStartProgram = tool(L"시작 프로그램 관리 및 초기화", {10, 68, 210, 25}, &TVantrelMainForm::btnStartProgramClick);
  btnInitIE = tool(L"익스플로러 초기화", {10, 99, 210, 25}, &TVantrelMainForm::btnInitIEClick);
  btnInitActX = tool(L"액티브엑스 최적화", {10, 130, 210, 25}, &TVantrelMainForm::btnInitActXClick);
  btnSetEnv = tool(L"환경 설정", {10, 161, 100, 25}, &TVantrelMainForm::btnSetEnvClick);
  btnUpdate = tool(L"업데이트", {120, 161, 100, 25}, &TVantrelMainForm::btnUpdateClick);
  btnProcGuide = tool(L"Vantrel 최적화 가이드", {10, 192, 210, 25}, &TVantrelMainForm::btnProcGuideClick);
  btnRecovery = tool(L"프로세스 시스템 복원", {10, 223, 210, 25}, &TVantrelMainForm::btnRecoveryClick);

  pnlAd = &Add<ui::Panel>(Rect{0, 0, w, 109}, Align::Bottom);
  wbLow = &pnlAd->Add<ui::WebPanel>(Rect{10, 6, 210, 100}, false);  // started once shown

  pnlLow = &Add<ui::Panel>(Rect{0, 0, w, 25}, Align::Bottom);
  chkTopMost = &pnlLow->Add<ui::CheckBox>(L"Vantrel 화면을 항상 위로", Rect{10, 6, 210, 17}, true);
  chkTopMost->onClick = [this] { chkTopMostClick(); };

  trayPopup_ = std::make_unique<ui::PopupMenu>();
  trayPopup_->AddItem(L"열기(&O)", [this] { TrayPopupOpenClick(); });
  trayPopup_->AddItem(L"홈페이지(&H)", [this] { TrayPopupHomePageClick(); });
  trayPopup_->AddItem(L"종료(&X)", [this] { TrayPopupCloseClick(); });
  HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  trayIcon_ = std::make_unique<ui::TrayIcon>(*this, icon, Caption());
  trayIcon_->popupMenu = trayPopup_.get();
  trayIcon_->onDoubleClick = [this] { CoolTrayIconDblClick(); };
}

void TVantrelMainForm::FormCreate() {
  ReadCaptions();
  trayIcon_->SetHint(Caption());  // shown with the page, once the window is
  const bool on = IsTweakOn();
  SetToggleCaption(on ? kToggleOnCaption : kToggleOffCaption, on);
  MeasureLayout();
  osVersionCode_ = GetOsVersionCode();
  osFamily_ = OsFamilyOf(osVersionCode_);

  bool programUse = false, siteUse = false;
  LauncherSet programs, sites;
  ReadSettings(&programUse, &programs, &siteUse, &sites);
  if (TopMostChecked()) SetTopMost(true);
  ApplyProgramLaunchers(programUse, programs);
  ApplySiteLaunchers(siteUse, sites);
  // The box was read from the file: hide without writing it back.
  if (MenuHideChecked()) ApplyMenuHiding();
  POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
  MoveTo(at.x, at.y);
}

void TVantrelMainForm::ReadCaptions() {
  ui::CaptionReader reader(kComponent);
  reader.Window(*this);
  const std::pair<ui::Control*, const wchar_t*> controls[] = {
      {btnInitNetReg, L"btnInitNetReg"}, {btnStartProgram, L"btnStartProgram"}, {btnSetEnv, L"btnSetEnv"},
      {btnUpdate, L"btnUpdate"},         {btnProcGuide, L"btnProcGuide"},       {btnInitIE, L"btnInitIE"},
      {btnInitActX, L"btnInitActX"},     {btnHDD, L"btnHDD"},                   {btnRecovery, L"btnRecovery"},
      {lbl1, L"lbl1"},                   {lbl2, L"lbl2"},                       {lbl3, L"lbl3"},
      {lbl4, L"lbl4"},                   {chkTopMost, L"chkTopMost"},           {chkMenuHide, L"chkMenuHide"},
  };
  for (const auto& [control, key] : controls) reader.Caption(*control, key);
  reader.MenuItem(*trayPopup_, 1, L"TrayPopupHomePage");
  reader.MenuItem(*trayPopup_, 2, L"TrayPopupClose");
  reader.MenuItem(*trayPopup_, 0, L"TrayPopupOpen");
  PlaceOnLabel();

  const BuiltInTexts& builtIn = BuiltIns();
  const std::wstring* killDefaults[4] = {&builtIn.killProc1, &builtIn.killProc2, &builtIn.killProc3,
                                         &builtIn.killProc4};
  for (int k = 0; k < 4; ++k)
    killProc_[k] = reader.Message(L"Msg_KillProc" + DecimalText(k + 1), *killDefaults[k]);
  const std::wstring* updateDefaults[3] = {&builtIn.update1, &builtIn.update2, &builtIn.update3};
  for (int k = 0; k < 3; ++k) update_[k] = reader.Message(L"Msg_Update" + DecimalText(k + 1), *updateDefaults[k]);
  exceptSet_ = reader.Text(L"Msg_ExceptSet", exceptSet_);
  exceptCancel_ = reader.Text(L"Msg_ExceptCancel", exceptCancel_);
}

// "On" sits in the blank run of lbl4's centred line ("Apply :         / ...").
void TVantrelMainForm::PlaceOnLabel() {
  const std::wstring text = lbl4->Text();
  size_t bestStart = std::wstring::npos, bestLength = 0;
  for (size_t i = 0; i < text.size();) {
    if (text[i] != L' ') {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < text.size() && text[j] == L' ') ++j;
    if (j - i > bestLength) bestStart = i, bestLength = j - i;
    i = j;
  }
  if (bestStart == std::wstring::npos || bestLength < 3) {
    lbl5->SetVisible(false);
    return;
  }
  const int lineWidth = lbl4->TextWidthPx(text);
  const int lineLeft = (lbl4->WidthPx() - lineWidth) / 2;
  const int blankLeft = lineLeft + lbl4->TextWidthPx(text.substr(0, bestStart));
  const int blankWidth = lbl4->TextWidthPx(text.substr(bestStart, bestLength));
  const int width = lbl5->TextWidthPx(lbl5->Text()) + ui::Scale(2);
  lbl5->SetBoundsPx(lbl4->LeftPx() + blankLeft + (blankWidth - width) / 2, lbl4->TopPx(), width, lbl4->HeightPx());
  lbl5->SetVisible(true);
  PinZOrder(lbl5->hwnd(), HWND_TOP);
}

void TVantrelMainForm::MeasureLayout() {
  program_.panel = pnlProgramLauncher;
  program_.buttons = btnPGLauncher;
  program_.rowHeight = pnlProgramLauncher->HeightPx() / 2;
  site_.panel = pnlSiteLauncher;
  site_.buttons = btnSiteLauncher;
  site_.rowHeight = pnlSiteLauncher->HeightPx() / 2;
  heights_.base = WindowHeightPx() - pnlProgramLauncher->HeightPx() - pnlSiteLauncher->HeightPx();
  heights_.programRow = program_.rowHeight;
  heights_.siteRow = site_.rowHeight;
  heights_.labelPanel = pnlLabel->HeightPx();
  heights_.buttonPanel = pnlBtn->HeightPx();
  metrics_.fullLeft = btnProcGuide->LeftPx();
  metrics_.fullWidth = btnProcGuide->WidthPx();
  metrics_.halfLeft = btnSetEnv->LeftPx();
  metrics_.halfWidth = btnSetEnv->WidthPx();
  metrics_.halfRight = btnUpdate->LeftPx();
}

void TVantrelMainForm::ReadSettings(bool* programUse, LauncherSet* programs, bool* siteUse, LauncherSet* sites) {
  SettingsFile file(settingsPath_, hwnd());
  if (!file.Exists()) {
    chkTopMost->SetChecked(true);
    chkMenuHide->SetChecked(false);
    return;  // no resets, no launchers
  }
  using namespace settings;
  chkTopMost->SetChecked(file.ReadBool(kWindow, kTopMost, true));
  chkMenuHide->SetChecked(file.ReadBool(kWindow, kMenuHide, false));
  resetStartupOnToggle_ = file.ReadBool(kWindow, kInitStartProgram, false);
  resetIeOnToggle_ = file.ReadBool(kWindow, kInitIe, false);
  auto readKind = [&](const wchar_t* base, bool* use, LauncherSet* set) {
    *use = file.ReadBool(base, kUse, false);
    for (int k = 0; k < 4; ++k) {
      const std::wstring section = LauncherSection(base, k);
      (*set)[k] = {file.ReadText(section, kName), file.ReadText(section, kPath)};
    }
  };
  readKind(kProgramLauncher, programUse, programs);
  readKind(kSiteLauncher, siteUse, sites);
}

void TVantrelMainForm::SetToggleCaption(const std::wstring& caption, bool bold) {
  toggleBold_ = bold;
  btnVantrel->SetText(caption);
  btnVantrel->SetFont(bold ? toggleBoldFont_.get() : toggleFont_.get());
}

const std::wstring& TVantrelMainForm::KillProcText(int n) const { return killProc_.at(static_cast<size_t>(n - 1)); }
const std::wstring& TVantrelMainForm::UpdateText(int n) const { return update_.at(static_cast<size_t>(n - 1)); }

// ------------------------------------------------------------ launchers

void TVantrelMainForm::ApplyProgramLaunchers(bool use, const LauncherSet& launchers) {
  ApplyLaunchers(program_, use, launchers);
}
void TVantrelMainForm::ApplySiteLaunchers(bool use, const LauncherSet& launchers) {
  ApplyLaunchers(site_, use, launchers);
}

void TVantrelMainForm::ApplyProgramLaunchers(bool use, const LauncherTexts& names, const LauncherTexts& paths) {
  LauncherSet launchers;
  for (size_t k = 0; k < 4; ++k) launchers[k] = {names[k], paths[k]};
  ApplyProgramLaunchers(use, launchers);
}
void TVantrelMainForm::ApplySiteLaunchers(bool use, const LauncherTexts& names, const LauncherTexts& addresses) {
  LauncherSet launchers;
  for (size_t k = 0; k < 4; ++k) launchers[k] = {names[k], addresses[k]};
  ApplySiteLaunchers(use, launchers);
}

void TVantrelMainForm::ApplyLaunchers(LauncherKind& kind, bool use, const LauncherSet& launchers) {
  kind.launchers = launchers;
  for (size_t k = 0; k < 4; ++k) kind.buttons[k]->SetText(launchers[k].name);
  LauncherMetrics metrics = metrics_;
  metrics.rowHeight = kind.rowHeight;
  const LauncherLayout layout = LayoutLaunchers(use, launchers, metrics);
  kind.used = layout.used;
  kind.rowCount = layout.rowCount;
  if (layout.used) {
    const int buttonHeight = ui::Scale(25);
    for (size_t k = 0; k < 4; ++k) {
      const LauncherButtonPlace& place = layout.buttons[k];
      if (place.shown) kind.buttons[k]->SetBoundsPx(place.left, place.top, place.width, buttonHeight);
      kind.buttons[k]->SetVisible(place.shown);
    }
    kind.panel->SetHeightPx(layout.panelHeight);
  }
  kind.panel->SetVisible(layout.used);
  UpdateWindowHeight();
}

void TVantrelMainForm::UpdateWindowHeight() {
  SetWindowHeightPx(MainWindowHeight(heights_, program_.rowCount, site_.rowCount, MenuHideChecked()));
}

// --------------------------------------------------------- menu hiding

void TVantrelMainForm::ApplyMenuHiding() {
  UpdateWindowHeight();
  const bool hide = MenuHideChecked();
  // The panels keep their places in the layout order, so showing them again
  // restores pnlLabel, pnlMenuHide, pnlBtn, pnlAd, pnlLow from the top.
  pnlLabel->SetVisible(!hide);
  pnlBtn->SetVisible(!hide);
}

void TVantrelMainForm::chkMenuHideClick() {
  ApplyMenuHiding();
  SettingsFile(settingsPath_, hwnd()).WriteBool(settings::kWindow, settings::kMenuHide, MenuHideChecked());
}

// ------------------------------------------------------------ top-most

void TVantrelMainForm::SetTopMost(bool topMost) { PinZOrder(hwnd(), topMost ? HWND_TOPMOST : HWND_NOTOPMOST); }

void TVantrelMainForm::chkTopMostClick() {
  SetTopMost(TopMostChecked());
  SettingsFile(settingsPath_, hwnd()).WriteBool(settings::kWindow, settings::kTopMost, TopMostChecked());
}

void TVantrelMainForm::ReassertTopMost() {
  if (TopMostChecked()) SetTopMost(true);
}

// Up to the top; kept there only when the box says so.
void TVantrelMainForm::BringToFront() {
  SetTopMost(true);
  if (!TopMostChecked()) SetTopMost(false);
}

// ------------------------------------------------------------- buttons

std::wstring TVantrelMainForm::WebHost() const { return KoreanUi ? VANTREL_WEB_KR_HOST : VANTREL_WEB_INTL_HOST; }

void TVantrelMainForm::btnVantrelClick() { RunTweakToggle(*this); }
void TVantrelMainForm::btnInitNetRegClick() { ShowTweakStatus(hwnd(), ToggleCaption()); }
void TVantrelMainForm::btnHDDClick() { OpenHddForm(); }

void TVantrelMainForm::OpenHddForm() { ShowHddForm(*this); }
void TVantrelMainForm::OpenStartProgramForm() { ShowStartProgramForm(*this); }
void TVantrelMainForm::btnStartProgramClick() {
  OpenStartProgramForm();
  ReassertTopMost();
}
void TVantrelMainForm::btnInitIEClick() { OpenBhoForm(); }

void TVantrelMainForm::OpenBhoForm() { ShowBhoForm(*this, settingsPath_); }
void TVantrelMainForm::btnInitActXClick() { OpenActiveXForm(); }

void TVantrelMainForm::OpenActiveXForm() { ShowInitActiveXForm(*this); }
void TVantrelMainForm::btnSetEnvClick() {
  OpenSetEnvForm();
  ReassertTopMost();
}
void TVantrelMainForm::btnRecoveryClick() { OpenSysRecoveryForm(); }

void TVantrelMainForm::OpenSysRecoveryForm() { ShowSysRecoveryForm(*this); }
void TVantrelMainForm::OpenSetEnvForm() { ShowSetEnvForm(*this, *this); }

void TVantrelMainForm::btnUpdateClick() {
  std::wstring ownVersion;
  if (!CheckVersion(ownVersion)) {
    // Also after a failed check: the version text is then empty.
    platform::ShowMessage(hwnd(), UpdateText(3) + L" (Version : " + ownVersion + L")", kProgramTitle);
    return;
  }
  if (!platform::AskYesNo(hwnd(), UpdateText(1), btnUpdate->Text())) return;
  if (RunUpdater()) {
    // The updater replaces this program's file: end at once.
    TrayPopupCloseClick();
    return;
  }
  platform::ShowMessage(hwnd(), UpdateText(2), kProgramTitle);
}

void TVantrelMainForm::btnProcGuideClick() { platform::ShellOpen(L"http://" + WebHost() + L"/mclick.html"); }

void TVantrelMainForm::btnPGLauncherClick(int index) {
  platform::ShellOpen(program_.launchers.at(static_cast<size_t>(index)).path);
}
void TVantrelMainForm::btnSiteLauncherClick(int index) {
  platform::ShellOpen(site_.launchers.at(static_cast<size_t>(index)).path);
}

// ---------------------------------------------------------------- tray

void TVantrelMainForm::TrayPopupOpenClick() {
  ::ShowWindow(hwnd(), ::IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  BringToFront();
  // While a tool window is open it is the one to bring forward.
  ::SetForegroundWindow(::GetLastActivePopup(hwnd()));
}

void TVantrelMainForm::TrayPopupHomePageClick() {
  platform::ShellOpen(KoreanUi ? VANTREL_HOME_KR_URL : VANTREL_HOME_INTL_URL);
}

void TVantrelMainForm::TrayPopupCloseClick() { Close(); }

// ------------------------------------------------------------ messages

bool TVantrelMainForm::OnSysCommand(WPARAM command) {
  if (command != SC_CLOSE) return false;
  Hide();  // the tray icon stays
  return true;
}

void TVantrelMainForm::OnWindowPosChanging(WINDOWPOS& pos) {
  if (pos.flags & SWP_NOMOVE) return;
  WorkArea area;
  if (!FindWorkArea(hwnd(), &area)) return;
  int cx = pos.cx, cy = pos.cy;
  if (pos.flags & SWP_NOSIZE) {  // the size fields are not set then
    cx = WindowWidthPx();
    cy = WindowHeightPx();
  }
  SnapResult snapped = SnapToWorkArea(pos.x, pos.y, cx, cy, area);
  pos.x = snapped.x;
  pos.y = snapped.y;
}

bool TVantrelMainForm::OnUserMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) {
  if (msg == kAfterShownMessage) {
    AfterShown();
    *result = 0;
    return true;
  }
  if (msg != kRestoreMessage) return false;
  Hide();
  ::ShowWindow(hwnd(), ::IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  BringToFront();
  *result = 0;
  return true;
}

bool TVantrelMainForm::OnMenuCommand(WORD id) {
  if (id != kCloseCommand) return false;
  TrayPopupCloseClick();
  return true;
}

void TVantrelMainForm::OnDestroy() {
  if (trayIcon_) trayIcon_->Hide();
  if (quitOnDestroy_) ::PostQuitMessage(0);
}

}  // namespace vantrel
