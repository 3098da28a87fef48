// show_hdd_window idle|running LANG_DIR
// Shows the disk cleanup window for the screenshot scripts, with the language
// table that the user-interface language chooses (LANG_DIR holds the encoded
// Korean.dat and English.dat). "running" starts a run at once (the question
// answered Yes) whose first clearing command stands still, so the window
// shows the bar, the animation and its disabled options; nothing is deleted.
// Questions are answered Yes, so a close ends the window.
#include <windows.h>

#include <string>

#include "app/start_sequence.h"
#include "core/app_state.h"
#include "core/language_table.h"
#include "diskclean/hdd_form.h"
#include "platform/dialogs.h"
#include "platform/text_conv.h"
#include "ui/scale.h"

namespace {

class YesDialogs final : public vantrel::platform::Dialogs {
 public:
  int Message(HWND, const std::wstring&, const std::wstring&, UINT type) override {
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
  }
  bool OpenFileName(HWND, const std::wstring&, std::wstring*) override { return false; }
  void ShellOpen(HWND, const std::wstring&, const std::wstring&, int) override {}
};

std::wstring ScratchSettings() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"vantrel-hdd-shot.ini";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring kind = argv[1];
  if (kind != L"idle" && kind != L"running") return 2;
  vantrel::DetermineUiLanguage();
  const std::wstring table = std::wstring(argv[2]) + (vantrel::KoreanUi ? L"\\Korean.dat" : L"\\English.dat");
  vantrel::SetCurrentLanguageTable(vantrel::LanguageTable::Open(
      table, vantrel::KoreanUi ? vantrel::platform::kCodePageKorean : vantrel::platform::kCodePageAnsi));
  vantrel::ui::InitializeUi();
  YesDialogs dialogs;
  vantrel::platform::SetDialogs(&dialogs);
  ::DeleteFileW(ScratchSettings().c_str());

  static vantrel::BrowserUnits nowhere(vantrel::BrowserBaseFolders{});  // no base folders: nothing to clean
  vantrel::THddForm::Setup setup;
  setup.settingsPath = ScratchSettings();
  setup.modernIe = true;
  setup.closeBrowsers = [] {};
  setup.actions.units = &nowhere;
  setup.actions.clearUrlHistory = [] { return S_OK; };
  setup.actions.runClearTracks = [](int) {
    ::Sleep(120000);
    return true;
  };
  {
    vantrel::THddForm form(nullptr, setup);
    if (!form.Create()) return 1;
    if (kind == L"running") {
      form.chkIETempFile->SetChecked(false);
      form.chkCookie->SetChecked(false);
      form.chkAddrBar->SetChecked(false);
      form.btnStartClick();
    }
    form.ShowModal();
  }
  vantrel::platform::SetDialogs(nullptr);
  vantrel::SetCurrentLanguageTable(nullptr);
  ::DeleteFileW(ScratchSettings().c_str());
  // A held worker must not keep the process.
  ::ExitProcess(0);
}
