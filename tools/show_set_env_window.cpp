// show_set_env_window empty|filled LANG_DIR INI_PATH
// Shows the settings window for the screenshot scripts, with the language
// table that the user-interface language chooses (LANG_DIR holds the encoded
// Korean.dat and English.dat) and the settings file INI_PATH. "filled"
// first writes three program and two site launchers and both reset options
// into that file, registers the Run value and opens the second program
// page; "empty" removes the file and the Run value. Stays until closed.
#include <windows.h>

#include <string>

#include "app/start_sequence.h"
#include "core/app_state.h"
#include "core/language_table.h"
#include "core/settings_file.h"
#include "platform/text_conv.h"
#include "settings/set_env_form.h"
#include "ui/scale.h"

namespace {

class ScreenshotHost : public vantrel::ui::ToolHost, public vantrel::SetEnvHost {
 public:
  explicit ScreenshotHost(std::wstring ini) : ini_(std::move(ini)) {}
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return 0; }
  bool TopMost() const override { return false; }
  std::wstring ToggleCaption() const override { return L"Vantrel Off"; }
  std::wstring ExceptSetText() const override { return {}; }
  std::wstring ExceptCancelText() const override { return {}; }
  std::wstring SettingsPath() const override { return ini_; }
  void SetResetStartupOnToggle(bool) override {}
  void SetResetIeOnToggle(bool) override {}
  void ApplyProgramLaunchers(bool, const vantrel::LauncherTexts&, const vantrel::LauncherTexts&) override {}
  void ApplySiteLaunchers(bool, const vantrel::LauncherTexts&, const vantrel::LauncherTexts&) override {}

 private:
  std::wstring ini_;
};

void WriteFilled(const vantrel::SettingsFile& file) {
  using namespace vantrel::settings;
  file.WriteBool(kWindow, kInitStartProgram, true);
  file.WriteBool(kWindow, kInitIe, true);
  file.WriteBool(kProgramLauncher, kUse, true);
  const wchar_t* programs[4][2] = {{L"Notepad", L"C:\\windows\\notepad.exe"},
                                   {L"regedit.exe", L"C:\\windows\\regedit.exe"},
                                   {L"", L""},
                                   {L"Explorer", L"C:\\windows\\explorer.exe"}};
  const wchar_t* sites[4][2] = {{L"Example", L"http://www.example.com/"}, {L"", L""}, {L"News", L"http://news.example.org/"}, {L"", L""}};
  for (int k = 0; k < 4; ++k) {
    const std::wstring suffix = k ? std::to_wstring(k + 1) : L"";
    file.WriteText(kProgramLauncher + suffix, kName, programs[k][0]);
    file.WriteText(kProgramLauncher + suffix, kPath, programs[k][1]);
    file.WriteText(kSiteLauncher + suffix, kName, sites[k][0]);
    file.WriteText(kSiteLauncher + suffix, kPath, sites[k][1]);
  }
  file.WriteBool(kSiteLauncher, kUse, true);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  const std::wstring kind = argv[1], ini = argv[3];
  vantrel::DetermineUiLanguage();
  const std::wstring table = std::wstring(argv[2]) + (vantrel::KoreanUi ? L"\\Korean.dat" : L"\\English.dat");
  vantrel::SetCurrentLanguageTable(vantrel::LanguageTable::Open(
      table, vantrel::KoreanUi ? vantrel::platform::kCodePageKorean : vantrel::platform::kCodePageAnsi));
  vantrel::ui::InitializeUi();
  ::DeleteFileW(ini.c_str());
  if (HKEY run; ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, vantrel::kRunKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &run, nullptr) == ERROR_SUCCESS)
    ::RegCloseKey(run);
  if (kind == L"filled") {
    WriteFilled(vantrel::SettingsFile(ini));
    vantrel::RegisterRun();
  } else if (kind == L"empty") {
    vantrel::UnregisterRun();
  } else {
    return 2;
  }
  ScreenshotHost host(ini);
  vantrel::TSetEnvForm form(host, host);
  if (!form.Create()) return 1;
  if (kind == L"filled") form.tabProgramLauncher->SetActiveIndex(1);
  form.ShowModal();
  vantrel::SetCurrentLanguageTable(nullptr);
  return 0;
}
