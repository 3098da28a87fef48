// VantrelUpdate.exe: downloads the files its command line names, replaces
// them and starts Vantrel.exe again. Without its arguments it ends at once.
#include <windows.h>
#include <shellapi.h>

#include "platform/library_search.h"
#include "platform/ui_language.h"
#include "updater/command_line.h"
#include "updater/update_dialog.h"

namespace {

std::wstring OwnFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace vantrel;
  // Before anything loads a library: none is taken from the program folder
  // (the download folder of the update) or the current folder.
  platform::RestrictLibrarySearch();
  updater::UpdateEnvironment environment;
  environment.folder = OwnFolder();
  if (environment.folder.empty()) return 0;
  environment.uiLanguage = platform::QueryUiLanguage();
  environment.restart = [](const std::wstring& file, const std::wstring& parameters, const std::wstring& folder) {
    // The result is not used: the update itself is done.
    ::ShellExecuteW(nullptr, L"open", file.c_str(), parameters.c_str(), folder.c_str(), SW_SHOW);
  };
  return updater::RunUpdate(SplitCommandLine(::GetCommandLineW()), environment);
}
