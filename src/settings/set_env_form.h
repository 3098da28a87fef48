#pragma once
// The settings window: start with Windows, the two resets of the tweak
// toggle, and four program and four site launchers. It reads the settings
// file and the machine's Run key when it opens, checks the launchers when
// the user saves, writes both, and hands the new values to the main window.
// Closing it without saving changes nothing.
#include <windows.h>

#include <array>
#include <string>

#include "settings/set_env_rules.h"
#include "ui/controls.h"
#include "ui/edit.h"
#include "ui/page_control.h"
#include "ui/tool_host.h"
#include "ui/window.h"

namespace vantrel {

// What the settings window hands back to the window that opened it, in this
// order after a save: the two reset options, then the program launchers,
// then the site launchers (each kind laid out at once).
class SetEnvHost {
 public:
  virtual ~SetEnvHost() = default;
  // The settings file the main window reads ("Vantrel.ini" in the program folder).
  virtual std::wstring SettingsPath() const = 0;
  virtual void SetResetStartupOnToggle(bool reset) = 0;
  virtual void SetResetIeOnToggle(bool reset) = 0;
  virtual void ApplyProgramLaunchers(bool use, const LauncherTexts& names, const LauncherTexts& paths) = 0;
  virtual void ApplySiteLaunchers(bool use, const LauncherTexts& names, const LauncherTexts& addresses) = 0;
};

// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run and its value "Vantrel".
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Vantrel";
// The running program's full path in double quotes: the data of the Run value.
std::wstring RunValueData();
// A value named exactly "Vantrel" (case counts) is in the Run key; false
// when the key cannot be opened.
bool IsRunRegistered();
// Writes "Vantrel" = RunValueData() unless a value of that name is there
// (an existing one is kept, whatever path it holds). Nothing when the key
// cannot be opened; the key is never created.
void RegisterRun();
// Deletes the value "Vantrel"; a missing value or key is no error.
void UnregisterRun();

class TSetEnvForm : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"TSetEnvForm";
  static constexpr int kNameByteLimit = 16;
  static constexpr COLORREF kSilver = RGB(192, 192, 192);

  TSetEnvForm(const ui::ToolHost& host, SetEnvHost& settings);

  // Builds the window and its controls and runs FormCreate; false when the
  // window could not be created.
  bool Create();

  // ---- event handlers
  void FormCreate();
  void btnRegStartClick();
  void btnCloseClick();
  void chkProgramLauncherClick();
  void chkSiteLauncherClick();
  void btnProgramSearchClick(int index);  // 0..3: btnProgramSearch .. btnProgramSearch4
  void btnInitPGClick(int index);         // 0..3: btnInitPG1 .. btnInitPG4
  void btnInitSiteClick(int index);       // 0..3: btnInitSite1 .. btnInitSite4
  void tabProgramLauncherChange(int index);
  void tabSiteLauncherChange(int index);

  // The file-open dialog for program slot `index`: the chosen path, and the
  // file name as the slot's name when it has none and the name fits.
  void BrowseProgram(int index);

  // ---- controls, named as designed (arrays hold slot 1 to 4)
  ui::Label* lblSetEnv = nullptr;
  ui::CheckBox* chkStartProgramReg = nullptr;
  ui::CheckBox* chkStartPGInit = nullptr;
  ui::CheckBox* chkIEInit = nullptr;
  ui::Label* lblLauncher = nullptr;
  ui::CheckBox* chkProgramLauncher = nullptr;
  ui::PageControl* tabProgramLauncher = nullptr;
  std::array<ui::Panel*, 4> tabSheet{};
  std::array<ui::Label*, 4> lblProgramLauncherName{};  // lblProgramLauncherName, lblProgramLauncher2..4
  std::array<ui::Edit*, 4> edtProgramLauncherName{};
  std::array<ui::Label*, 4> lblProgramReg{};
  std::array<ui::Edit*, 4> edtProgramReg{};
  std::array<ui::Button*, 4> btnProgramSearch{};
  std::array<ui::Button*, 4> btnInitPG{};
  ui::CheckBox* chkSiteLauncher = nullptr;
  ui::PageControl* tabSiteLauncher = nullptr;
  std::array<ui::Panel*, 4> tabSheetSite{};
  std::array<ui::Label*, 4> lblSiteLauncherName{};
  std::array<ui::Edit*, 4> edtSiteLauncherName{};
  std::array<ui::Label*, 4> lblSiteLauncherReg{};
  std::array<ui::Edit*, 4> edtSiteLauncherReg{};
  std::array<ui::Button*, 4> btnInitSite{};
  ui::Button* btnRegStart = nullptr;
  ui::Button* btnClose = nullptr;

  // "Msg_ChkPGTab1".."9" (n = 1..9), "Msg_ChkSiteTab1".."9", "Msg_Save", unescaped.
  const std::wstring& ProgramMessage(int n) const { return programMessages_.at(static_cast<size_t>(n - 1)); }
  const std::wstring& SiteMessage(int n) const { return siteMessages_.at(static_cast<size_t>(n - 1)); }
  const std::wstring& SaveMessage() const { return saveMessage_; }

 private:
  void BuildControls();
  void ReadCaptions();
  void ReadSettings();
  void ApplyProgramState();
  void ApplySiteState();
  LauncherTexts Texts(const std::array<ui::Edit*, 4>& edits) const;
  bool WriteSettings();
  void Tell(const std::wstring& text);

  const ui::ToolHost& host_;
  SetEnvHost& settings_;
  std::array<std::wstring, 9> programMessages_, siteMessages_;
  std::wstring saveMessage_;
};

// Opens the settings window modally, owned by the host's window.
void ShowSetEnvForm(const ui::ToolHost& host, SetEnvHost& settings);

}  // namespace vantrel
