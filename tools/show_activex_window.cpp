// show_activex_window LANG_DIR
// Shows the ActiveX window with a few sample controls for the screenshot
// script, with the language table that the user-interface language chooses
// (LANG_DIR holds the encoded Korean.dat and English.dat). The machine's
// registry is redirected into a scratch key of this process (removed at the
// end), the sample files are copies of this program in a scratch folder (its
// version information names their maker); two rows are ticked. The window
// stays until it is closed.
#include <windows.h>

#include <string>

#include "activex/init_activex_form.h"
#include "app/start_sequence.h"
#include "core/app_state.h"
#include "core/language_table.h"
#include "platform/reg_key.h"
#include "platform/text_conv.h"
#include "ui/scale.h"

namespace {

using vantrel::platform::RegKey;

constexpr const wchar_t* kScratchKey = L"Software\\VantrelShots\\ActiveX";

struct Sample {
  const wchar_t* id;
  const wchar_t* name;
  const wchar_t* file;
  const wchar_t* codebase;
};

constexpr Sample kSamples[] = {
    {L"{5A7D6B21-0C3E-4F1A-9E51-1B2C3D4E5F60}", L"Vantrel Sample Viewer Control", L"viewer.ocx",
     L"http://download.example.test/viewer/viewer.cab"},
    {L"{5A7D6B22-0C3E-4F1A-9E51-1B2C3D4E5F60}", L"Online Banking Security Module", L"banksec.dll",
     L"https://bank.example.test/activex/banksec.cab"},
    {L"{5A7D6B23-0C3E-4F1A-9E51-1B2C3D4E5F60}", L"Media Upload Helper", L"upload.ocx", L""},
    {L"{5A7D6B24-0C3E-4F1A-9E51-1B2C3D4E5F60}", L"Print Preview Control", L"preview.ocx",
     L"http://print.example.test/cab/preview.cab"},
};

std::wstring SelfPath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  vantrel::DetermineUiLanguage();
  const std::wstring table = std::wstring(argv[1]) + (vantrel::KoreanUi ? L"\\Korean.dat" : L"\\English.dat");
  vantrel::SetCurrentLanguageTable(vantrel::LanguageTable::Open(
      table, vantrel::KoreanUi ? vantrel::platform::kCodePageKorean : vantrel::platform::kCodePageAnsi));
  vantrel::ui::InitializeUi();

  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"VantrelShotsActiveX";
  ::CreateDirectoryW(folder.c_str(), nullptr);

  RegKey::DeleteKeyTree(HKEY_CURRENT_USER, kScratchKey);
  RegKey scratch;
  if (scratch.Create(HKEY_CURRENT_USER, kScratchKey) != ERROR_SUCCESS) return 1;
  if (::RegOverridePredefKey(HKEY_LOCAL_MACHINE, scratch.get()) != ERROR_SUCCESS) return 1;
  for (const Sample& s : kSamples) {
    const std::wstring file = folder + L"\\" + s.file;
    ::CopyFileW(SelfPath().c_str(), file.c_str(), FALSE);
    const std::wstring unit = std::wstring(L"SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\") + s.id;
    const std::wstring clsid = std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + s.id;
    RegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, unit + L"\\DownloadInformation") == ERROR_SUCCESS && *s.codebase)
      key.WriteString(L"CODEBASE", s.codebase);
    if (key.Create(HKEY_LOCAL_MACHINE, clsid) == ERROR_SUCCESS) key.WriteString(L"", s.name);
    if (key.Create(HKEY_LOCAL_MACHINE, clsid + L"\\InprocServer32") == ERROR_SUCCESS) key.WriteString(L"", file);
  }

  {
    vantrel::TInitActiveXForm form(nullptr);
    if (form.Create()) {
      for (int i = 0; i < form.lv1->Count(); ++i)
        form.lv1->SetChecked(i, form.lv1->ItemText(i, 0) == L"Media Upload Helper" ||
                                    form.lv1->ItemText(i, 0) == L"Print Preview Control");
      form.lv1ColumnClick(0);
      form.ShowModal();
    }
  }

  ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  scratch.Close();
  RegKey::DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\VantrelShots");
  for (const Sample& s : kSamples) ::DeleteFileW((folder + L"\\" + s.file).c_str());
  ::RemoveDirectoryW(folder.c_str());
  vantrel::SetCurrentLanguageTable(nullptr);
  return 0;
}
