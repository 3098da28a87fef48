#include <windows.h>
#include <shellapi.h>

#include "core/helpers.h"
#include "core/program_names.h"
#include "platform/file_system.h"
#include "update/updater_command_line.h"
#include "update/version_check.h"
#include "update/version_check_form.h"

namespace vantrel {

TVersionCheckForm::TVersionCheckForm() = default;

TVersionCheckForm::~TVersionCheckForm() {
  tmr1.reset();  // before the window goes
}

bool TVersionCheckForm::Create() {
  if (hwnd()) return true;
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.style = WS_POPUP;                 // no border, no caption bar
  layout.exStyle = WS_EX_TOOLWINDOW;       // and no taskbar button
  if (!Form::Create(layout)) return false;
  tmr1 = std::make_unique<ui::Timer>(*this, 10);
  tmr1->onTimer = [this] { tmr1Timer(); };
  FormCreate();
  return true;
}

void TVersionCheckForm::FormCreate() {
  ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateAvailable = false;
  tmr1->Start();
}

void TVersionCheckForm::tmr1Timer() {
  tmr1->Stop();
  std::wstring ownVersion;  // not used at start
  UpdateAvailable = CheckVersion(ownVersion);
  Close();
}

int TVersionCheckForm::ShowModal() {
  if (!Create()) {
    std::wstring ownVersion;
    UpdateAvailable = CheckVersion(ownVersion);
    return IDCANCEL;
  }
  SetShowModalHidden(true);
  return Form::ShowModal();
}

bool RunUpdater(const std::wstring& programFolder, const UpdaterLauncher& launch) {
  const std::wstring path = programFolder + kUpdaterFileName;
  if (!ExtractResourceToFile(kUpdaterResourceId, kCarriedResourceType, path)) {
    ::DeleteFileW(path.c_str());  // a partly written file is no program
    return false;
  }
  if (!platform::FileExists(path)) return false;

  std::wstring self(MAX_PATH, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  self.resize(length < self.size() ? length : 0);
  const std::wstring fileName = self.substr(self.find_last_of(L"\\/") + 1);

  const std::wstring parameters = BuildUpdaterCommandLine(PopupInterval, LaunchSiteText, CurrentUpdateUrl(),
                                                          VendorUrl(L"/update/Vantrel.exe"), fileName);
  return launch(path, parameters);
}

bool RunUpdater() {
  return RunUpdater(GetProgramFolder(), [](const std::wstring& file, const std::wstring& parameters) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
    return result > 32;
  });
}

}  // namespace vantrel
