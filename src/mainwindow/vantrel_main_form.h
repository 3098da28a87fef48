#pragma once
// The main window: the tweak toggle, up to four program and four site
// launchers, the notice, the tool buttons, the advertising panel and the
// "always on top" box, plus the tray icon that keeps the program reachable
// while the window is hidden. Its close box only hides it; the tray menu's
// Close ends the program.
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "core/program_names.h"
#include "mainwindow/main_form.h"
#include "mainwindow/main_layout.h"
#include "settings/set_env_form.h"
#include "ui/controls.h"
#include "ui/scale.h"
#include "ui/tool_host.h"
#include "ui/tray_icon.h"
#include "ui/web_panel.h"
#include "ui/window.h"

namespace vantrel {

class TVantrelMainForm : public ui::Form, public ui::ToolHost, public SetEnvHost {
 public:
  static constexpr const wchar_t* kClassName = kMainWindowClass;  // "TVantrelMainForm"
  // Sent by a second start of the program: show the window on top (1123).
  static constexpr UINT kRestoreMessage = vantrel::kRestoreMessage;
  // The tray menu's close command, also when another process posts it.
  static constexpr WORD kCloseCommand = kTrayPopupCloseCommand;
  // Posted to itself once the window has been shown and painted: starts what
  // the first paint does not need (the tray icon, the web panel's page).
  static constexpr UINT kAfterShownMessage = WM_USER + 100;

  // `settingsPath`: the settings file (the program folder's "Vantrel.ini").
  explicit TVantrelMainForm(std::wstring settingsPath);
  TVantrelMainForm();
  ~TVantrelMainForm() override;

  // Builds the window and its controls, runs FormCreate and shows it. False
  // when the window could not be created.
  bool Create();
  // When set, destroying the window ends the thread's message loop.
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  // ---- what the tool windows take (ui::ToolHost)
  HWND Owner() const override { return hwnd(); }
  unsigned OsFamily() const override { return osFamily_; }
  bool TopMost() const override { return TopMostChecked(); }
  std::wstring ToggleCaption() const override { return btnVantrel->Text(); }
  std::wstring ExceptSetText() const override { return exceptSet_; }
  std::wstring ExceptCancelText() const override { return exceptCancel_; }

  // ---- values other windows read and change
  int OsVersionCode() const { return osVersionCode_; }
  bool TopMostChecked() const { return chkTopMost->Checked(); }
  bool MenuHideChecked() const { return chkMenuHide->Checked(); }
  // The toggle's caption in bold (tweak on) or regular type.
  void SetToggleCaption(const std::wstring& caption, bool bold);
  bool ToggleCaptionBold() const { return toggleBold_; }
  bool ResetStartupOnToggle() const { return resetStartupOnToggle_; }
  bool ResetIeOnToggle() const { return resetIeOnToggle_; }
  void SetResetStartupOnToggle(bool reset) override { resetStartupOnToggle_ = reset; }
  void SetResetIeOnToggle(bool reset) override { resetIeOnToggle_ = reset; }
  // The toggle's four questions ("Msg_KillProc1" to "Msg_KillProc4", unescaped); n = 1..4.
  const std::wstring& KillProcText(int n) const;
  // "Msg_Update1" to "Msg_Update3", unescaped; n = 1..3.
  const std::wstring& UpdateText(int n) const;

  // Stores the launchers of one kind and lays them out at once (the settings
  // window calls these after saving).
  void ApplyProgramLaunchers(bool use, const LauncherSet& launchers);
  void ApplySiteLaunchers(bool use, const LauncherSet& launchers);
  // ---- what the settings window hands back (SetEnvHost)
  std::wstring SettingsPath() const override { return settingsPath_; }
  void ApplyProgramLaunchers(bool use, const LauncherTexts& names, const LauncherTexts& paths) override;
  void ApplySiteLaunchers(bool use, const LauncherTexts& names, const LauncherTexts& addresses) override;
  bool ProgramLaunchersUsed() const { return program_.used; }
  bool SiteLaunchersUsed() const { return site_.used; }
  const LauncherSet& ProgramLaunchers() const { return program_.launchers; }
  const LauncherSet& SiteLaunchers() const { return site_.launchers; }
  int ProgramRowCount() const { return program_.rowCount; }
  int SiteRowCount() const { return site_.rowCount; }

  ui::TrayIcon& CoolTrayIcon() { return *trayIcon_; }
  ui::PopupMenu& pmTrayPopup() { return *trayPopup_; }

  // ---- event handlers
  void FormCreate();
  void AfterShown();
  void btnVantrelClick();
  void btnInitNetRegClick();
  void btnHDDClick();
  void btnStartProgramClick();
  void btnInitIEClick();
  void btnInitActXClick();
  void btnSetEnvClick();
  void btnUpdateClick();
  void btnProcGuideClick();
  void btnRecoveryClick();
  void btnPGLauncherClick(int index);    // 0..3: btnPGLauncher .. btnPGLauncher4
  void btnSiteLauncherClick(int index);  // 0..3: btnSiteLauncher .. btnSiteLauncher4
  void chkTopMostClick();
  void chkMenuHideClick();
  void CoolTrayIconDblClick() { TrayPopupOpenClick(); }
  void TrayPopupOpenClick();
  void TrayPopupHomePageClick();
  void TrayPopupCloseClick();

  // ---- controls, named as designed
  ui::Panel* pnlInitProcess = nullptr;
  ui::Button* btnVantrel = nullptr;
  ui::Panel* pnlProgramLauncher = nullptr;
  std::array<ui::Button*, 4> btnPGLauncher{};
  ui::Panel* pnlSiteLauncher = nullptr;
  std::array<ui::Button*, 4> btnSiteLauncher{};
  ui::Panel* pnlLabel = nullptr;
  ui::Label *lbl1 = nullptr, *lbl2 = nullptr, *lbl3 = nullptr, *lbl4 = nullptr, *lbl5 = nullptr;
  ui::Panel* pnlMenuHide = nullptr;
  ui::CheckBox* chkMenuHide = nullptr;
  ui::Panel* pnlBtn = nullptr;
  ui::Button *btnInitNetReg = nullptr, *btnHDD = nullptr, *btnStartProgram = nullptr, *btnInitIE = nullptr,
             *btnInitActX = nullptr, *btnSetEnv = nullptr, *btnUpdate = nullptr, *btnProcGuide = nullptr,
             *btnRecovery = nullptr;
  ui::Panel* pnlAd = nullptr;
  ui::WebPanel* wbLow = nullptr;
  ui::Panel* pnlLow = nullptr;
  ui::CheckBox* chkTopMost = nullptr;

 protected:
  bool OnSysCommand(WPARAM command) override;
  void OnWindowPosChanging(WINDOWPOS& pos) override;
  bool OnUserMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  bool OnMenuCommand(WORD id) override;
  void OnDestroy() override;

 private:
  struct LauncherKind {
    ui::Panel* panel = nullptr;
    std::array<ui::Button*, 4> buttons{};
    int rowHeight = 0;
    bool used = false;
    int rowCount = 0;
    LauncherSet launchers;
  };

  void BuildControls();
  void ReadCaptions();
  void MeasureLayout();
  void ReadSettings(bool* use, LauncherSet* programs, bool* siteUse, LauncherSet* sites);
  void ApplyLaunchers(LauncherKind& kind, bool use, const LauncherSet& launchers);
  void UpdateWindowHeight();
  void ApplyMenuHiding();
  void PlaceOnLabel();
  void SetTopMost(bool topMost);
  void BringToFront();
  void ReassertTopMost();
  std::wstring WebHost() const;
  // Each opens its tool window through the function beside that window,
  // handing it this window as its ui::ToolHost.
  void OpenHddForm();
  void OpenStartProgramForm();
  void OpenBhoForm();
  void OpenActiveXForm();
  void OpenSetEnvForm();
  void OpenSysRecoveryForm();

  std::wstring settingsPath_;
  bool quitOnDestroy_ = false;
  int osVersionCode_ = 0;
  unsigned osFamily_ = 0;
  bool resetStartupOnToggle_ = false;
  bool resetIeOnToggle_ = false;
  bool toggleBold_ = false;
  std::array<std::wstring, 4> killProc_;
  std::array<std::wstring, 3> update_;
  std::wstring exceptSet_ = L"설정";
  std::wstring exceptCancel_ = L"해제";
  LauncherKind program_, site_;
  LauncherMetrics metrics_;
  MainWindowHeights heights_;
  ui::Font toggleFont_, toggleBoldFont_;
  std::unique_ptr<ui::PopupMenu> trayPopup_;
  std::unique_ptr<ui::TrayIcon> trayIcon_;
};

}  // namespace vantrel
