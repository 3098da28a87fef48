#include "app/start_sequence.h"

#include "core/app_state.h"
#include "core/helpers.h"
#include "core/language_table.h"
#include "mainwindow/main_form.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/text_conv.h"
#include "ui/scale.h"
#include "update/popup_url.h"
#include "update/version_check_form.h"

namespace vantrel {
namespace {

// Deletes a file even when it is hidden or read-only.
void DeleteLeftOver(const std::wstring& path) {
  if (!platform::FileExists(path)) return;
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(path.c_str());
}

}  // namespace

void DetermineUiLanguage() { KoreanUi = GetUiLanguage() == kKoreanLanguage; }

bool ClaimSingleInstance() {
  // Held for the whole process; the system releases it when the process ends.
  ::SetLastError(0);
  HANDLE mutex = ::CreateMutexW(nullptr, TRUE, kInstanceMutexName);
  return mutex != nullptr && ::GetLastError() == 0;
}

std::wstring CannotStartText() {
  return KoreanUi ? L"프로그램을 정상적으로 실행할 수 없습니다." : L"Program could not start properly.";
}

void HandOverToRunningInstance() {
  if (HWND window = ::FindWindowW(kMainWindowClass, nullptr)) {
    ::SendMessageW(window, kRestoreMessage, 0, 0);
    return;
  }
  platform::ShowMessage(nullptr, CannotStartText(), kProgramTitle);
}

std::wstring PrepareLanguageTable(const std::wstring& dataFolder, bool korean) {
  // Without a data folder the path would start at the root of the current
  // drive; the program then runs on its built-in texts.
  if (dataFolder.empty()) return {};
  const std::wstring path = dataFolder + L"\\" + kLanguageFileName;
  DeleteLeftOver(path);
  if (!ExtractResourceToFile(korean ? kKoreanTableId : kEnglishTableId, kCarriedResourceType, path)) {
    ::DeleteFileW(path.c_str());  // a partly written file
    return {};
  }
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetCurrentLanguageTable(
      LanguageTable::Open(path, korean ? platform::kCodePageKorean : platform::kCodePageAnsi));
  if (const LanguageTable* table = CurrentLanguageTable())
    UpdateFailText() = table->Section(L"Vantrel").Message(L"Msg_UpdateFail", UpdateFailText());
  return path;
}

void ReleaseLanguageTable(const std::wstring& path) {
  SetCurrentLanguageTable(nullptr);
  if (path.empty()) return;
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(path.c_str());
}

int RunVantrel() {
  BuiltIns();
  UpdateFailText();
  DetermineUiLanguage();
  PopupUrl = InitialPopupUrl(KoreanUi);
  if (!ClaimSingleInstance()) {
    HandOverToRunningInstance();
    return 0;
  }
  const std::wstring languageFile = PrepareLanguageTable(GetDataFolder(), KoreanUi);

  ui::InitializeUi();
  const std::wstring updaterPath = GetProgramFolder() + kUpdaterFileName;
  bool update = false;
  {
    TVersionCheckForm check;
    check.ShowModal();
    update = check.UpdateAvailable;
  }
  if (update) {
    if (!RunUpdater()) platform::ShowMessage(nullptr, UpdateFailText(), kProgramTitle);
  } else {
    if (platform::FileExists(updaterPath)) ::DeleteFileW(updaterPath.c_str());
    RunMainForm();
  }

  ReleaseLanguageTable(languageFile);
  return 0;
}

}  // namespace vantrel
