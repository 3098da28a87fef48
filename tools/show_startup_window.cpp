// show_startup_window LANG_DIR
// Shows the start-up program window for the screenshot script, with the
// language table that the user-interface language chooses (LANG_DIR holds
// the encoded Korean.dat and English.dat). It first puts sample entries into
// this prefix's Run keys and Startup folder; the scheduled tasks come from a
// stand-in list (Wine's Task Scheduler lists none). Stays until it is closed.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/start_sequence.h"
#include "core/app_state.h"
#include "core/language_table.h"
#include "core/os_version.h"
#include "platform/reg_key.h"
#include "platform/shell_folders.h"
#include "platform/text_conv.h"
#include "startup/start_program_form.h"
#include "ui/captions.h"
#include "ui/scale.h"

namespace {

class ShotHost final : public vantrel::ui::ToolHost {
 public:
  ShotHost() {
    const vantrel::ui::CaptionReader main(L"VantrelMainForm");
    set_ = main.Text(L"Msg_ExceptSet", L"설정");
    cancel_ = main.Text(L"Msg_ExceptCancel", L"해제");
  }
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return vantrel::kFamilyWin7; }
  bool TopMost() const override { return false; }
  std::wstring ToggleCaption() const override { return L"Vantrel Off"; }
  std::wstring ExceptSetText() const override { return set_; }
  std::wstring ExceptCancelText() const override { return cancel_; }

 private:
  std::wstring set_, cancel_;
};

void PutSampleEntries() {
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  vantrel::platform::RegKey key;
  if (key.Create(HKEY_LOCAL_MACHINE, run, KEY_ALL_ACCESS | KEY_WOW64_64KEY) == ERROR_SUCCESS) {
    key.WriteString(L"SecurityHealth", L"C:\\Windows\\system32\\SecurityHealthSystray.exe");
    key.WriteString(L"AudioManager", L"\"C:\\Program Files\\Audio\\audiomgr.exe\" /tray");
  }
  if (key.Create(HKEY_LOCAL_MACHINE, run, KEY_ALL_ACCESS | KEY_WOW64_32KEY) == ERROR_SUCCESS)
    key.WriteString(L"UpdateHelper", L"\"C:\\Program Files (x86)\\Helper\\update.exe\" -silent");
  if (key.Create(HKEY_CURRENT_USER, run, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
    key.WriteString(L"Messenger", L"C:\\Users\\Public\\Messenger\\messenger.exe -min");
    key.WriteString(L"CloudSync", L"\"C:\\Program Files\\Cloud\\sync.exe\"");
  }
  const std::wstring folder = vantrel::platform::ShellFolderPath(CSIDL_STARTUP);
  if (!folder.empty()) {
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    HANDLE h = ::CreateFileW((folder + L"\\Notes.lnk").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  vantrel::DetermineUiLanguage();
  const std::wstring table = std::wstring(argv[1]) + (vantrel::KoreanUi ? L"\\Korean.dat" : L"\\English.dat");
  vantrel::SetCurrentLanguageTable(vantrel::LanguageTable::Open(
      table, vantrel::KoreanUi ? vantrel::platform::kCodePageKorean : vantrel::platform::kCodePageAnsi));
  vantrel::ui::InitializeUi();
  PutSampleEntries();

  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  vantrel::StartProgramEnvironment env = vantrel::StartProgramEnvironment::System();
  env.settingsPath = std::wstring(temp) + L"VantrelShots.ini";
  ::WritePrivateProfileStringW(L"INIT_EXCEPT", L"START_PROGRAM", L"SecurityHealth||CloudSync", env.settingsPath.c_str());
  ::WritePrivateProfileStringW(L"INIT_EXCEPT", L"TASK_SCHEDULER", L"GoogleUpdateTaskMachineCore",
                               env.settingsPath.c_str());
  vantrel::TaskBridge tasks;
  tasks.listText = []() -> std::optional<std::wstring> {
    return L"GoogleUpdateTaskMachineCore||\"C:\\Program Files (x86)\\Google\\Update\\GoogleUpdate.exe\"||/c;;"
           L"OneDrive Standalone Update Task||C:\\Users\\Public\\OneDrive\\OneDriveStandaloneUpdater.exe||NONE;;"
           L"Adobe Acrobat Update Task||C:\\Program Files (x86)\\Common Files\\Adobe\\ARM\\AdobeARM.exe||NONE";
  };
  tasks.deleteTask = [](const std::wstring&, const std::wstring&) -> std::optional<int> { return -8; };
  env.tasks = tasks;

  const ShotHost host;
  vantrel::TStartProgramForm form(host, env);
  if (!form.Create()) return 1;
  form.lv1MouseDown({1, 0});
  form.lv1MouseDown({3, 0});
  form.lv2MouseDown({1, 0});
  form.ShowModal();
  vantrel::SetCurrentLanguageTable(nullptr);
  return 0;
}
