// show_tweak_window progress|status-on|status-off LANG_DIR
// Shows one window of the tweak toggle for the screenshot scripts, with the
// language table that the user-interface language chooses (LANG_DIR holds
// the encoded Korean.dat and English.dat). The status view stays until it is
// closed; the progress window runs a stand-in worker that ends after 5 s.
#include <windows.h>

#include <cwchar>
#include <string>

#include "core/app_state.h"
#include "core/language_table.h"
#include "app/start_sequence.h"
#include "platform/text_conv.h"
#include "tweak/init_proc_run_form.h"
#include "tweak/ping_status_form.h"
#include "ui/scale.h"

namespace {

DWORD WINAPI FiveSecondWorker(LPVOID param) {
  ::Sleep(5000);
  ::PostMessageW(static_cast<HWND>(param), WM_CLOSE, 0, 0);
  return 0;
}

HANDLE StartFiveSecondWorker(HWND window) { return ::CreateThread(nullptr, 0, FiveSecondWorker, window, 0, nullptr); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring kind = argv[1];
  vantrel::DetermineUiLanguage();
  const std::wstring table = std::wstring(argv[2]) + (vantrel::KoreanUi ? L"\\Korean.dat" : L"\\English.dat");
  vantrel::SetCurrentLanguageTable(vantrel::LanguageTable::Open(
      table, vantrel::KoreanUi ? vantrel::platform::kCodePageKorean : vantrel::platform::kCodePageAnsi));
  vantrel::ui::InitializeUi();
  if (kind == L"progress") {
    vantrel::TInitProcRunForm form(nullptr, StartFiveSecondWorker);
    if (!form.Create()) return 1;
    form.ShowModal();
  } else if (kind == L"status-on" || kind == L"status-off") {
    vantrel::ShowTweakStatus(nullptr, kind == L"status-on" ? L"Vantrel ON" : L"Vantrel Off");
  } else {
    return 2;
  }
  vantrel::SetCurrentLanguageTable(nullptr);
  return 0;
}
