// show_recovery_window LANG_DIR PAGE
// Shows the system recovery window for the screenshot script on page PAGE
// (0-4), with the language table that the user-interface language chooses
// (LANG_DIR holds the encoded Korean.dat and English.dat). Its rows come from
// a sample recovery store in the temp folder; some rows are ticked. Stays
// until it is closed.
#include <windows.h>

#include <string>

#include "app/start_sequence.h"
#include "core/app_state.h"
#include "core/language_table.h"
#include "core/os_version.h"
#include "platform/text_conv.h"
#include "recovery/recovery_store.h"
#include "recovery/sys_recovery_form.h"
#include "ui/window.h"

namespace {

class ShotHost final : public vantrel::ui::ToolHost {
 public:
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return vantrel::kFamilyWin7; }
  bool TopMost() const override { return false; }
  std::wstring ToggleCaption() const override { return L"Vantrel Off"; }
  std::wstring ExceptSetText() const override { return {}; }
  std::wstring ExceptCancelText() const override { return {}; }
};

void PutSampleRecords(const vantrel::recovery::RecoveryStore& store) {
  using vantrel::recovery::RewriteRecoverySection;
  const std::wstring run = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  RewriteRecoverySection(store, L"START_PROGRAM",
                         {{L"AudioManager", L"Audio Devices Inc.", L"\"C:\\Program Files\\Audio\\audiomgr.exe\" /tray",
                           L"HKEY_LOCAL_MACHINE" + run + L" (64-bit)"},
                          {L"UpdateHelper", L"Helper Software", L"\"C:\\Program Files (x86)\\Helper\\update.exe\" -silent",
                           L"HKEY_LOCAL_MACHINE" + run},
                          {L"Messenger", L"Messenger Corp.", L"C:\\Users\\Public\\Messenger\\messenger.exe -min",
                           L"HKEY_CURRENT_USER" + run},
                          {L"Notes.lnk", L"", L"C:\\users\\Public\\Start Menu\\Programs\\Startup", L"STARTUP"}});
  RewriteRecoverySection(store, L"SCHEDULERE",
                         {{L"GoogleUpdateTaskMachineCore", L"Google LLC",
                           L"\"C:\\Program Files (x86)\\Google\\Update\\GoogleUpdate.exe\"", L"/c"},
                          {L"Adobe Acrobat Update Task", L"Adobe Inc.",
                           L"C:\\Program Files (x86)\\Common Files\\Adobe\\ARM\\AdobeARM.exe", L""}});
  RewriteRecoverySection(store, L"BHO",
                         {{L"Search Helper", L"Search Tools Ltd.", L"searchhelper.dll",
                           L"C:\\Program Files\\Search Tools\\searchhelper.dll", L"{1F2E3D4C-0000-4000-8000-000000000001}"},
                          {L"Shopping Assistant", L"", L"shopassist64.dll", L"C:\\Program Files\\Shop\\shopassist64.dll",
                           L"{1F2E3D4C-0000-4000-8000-000000000002} (64-bit)"}});
  RewriteRecoverySection(store, L"TOOLBAR",
                         {{L"Search Toolbar", L"Search Tools Ltd.", L"C:\\Program Files\\Search Tools\\uninstall.exe",
                           L"C:\\Program Files\\Search Tools\\toolbar.dll", L"1{2A3B4C5D-0000-4000-8000-000000000003}"},
                          {L"Weather Bar", L"", L"", L"C:\\Program Files\\Weather\\weatherbar.dll",
                           L"{2A3B4C5D-0000-4000-8000-000000000004}"}});
  RewriteRecoverySection(store, L"ICON",
                         {{L"Translate", L"http://translate.example/", L"{3B4C5D6E-0000-4000-8000-000000000005}"},
                          {L"Notes", L"C:\\Program Files\\Notes\\notes.exe", L"{3B4C5D6E-0000-4000-8000-000000000006}"}});
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const int page = _wtoi(argv[2]);
  vantrel::DetermineUiLanguage();
  const std::wstring table = std::wstring(argv[1]) + (vantrel::KoreanUi ? L"\\Korean.dat" : L"\\English.dat");
  vantrel::SetCurrentLanguageTable(vantrel::LanguageTable::Open(
      table, vantrel::KoreanUi ? vantrel::platform::kCodePageKorean : vantrel::platform::kCodePageAnsi));
  vantrel::ui::InitializeUi();

  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  vantrel::SysRecoveryEnvironment env;
  env.store.indexPath = std::wstring(temp) + L"VantrelShotsRecovery.ini";
  env.store.datFolder = std::wstring(temp) + L"VantrelShotsDat";
  ::CreateDirectoryW(env.store.datFolder.c_str(), nullptr);
  env.addTask = vantrel::SysRecoveryEnvironment::AddTask();
  PutSampleRecords(env.store);

  const ShotHost host;
  vantrel::TSysRecoveryForm form(host, env);
  if (!form.Create()) return 1;
  form.rzpgcntrl->SetActiveIndex(page);
  form.List(page).SetChecked(0, true);
  form.ShowModal();
  vantrel::SetCurrentLanguageTable(nullptr);
  return 0;
}
