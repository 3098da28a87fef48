// show_bho_window LANG_DIR
// Shows the add-on window for the screenshot scripts with rows in all three
// lists: it registers a few made-up add-ons in the registry of the prefix it
// runs in (a prefix of the script's own), opens the window with the
// language table that the user-interface language chooses, ticks and
// excludes a few rows, and removes the add-ons again when the window closes.
#include <windows.h>

#include <string>
#include <vector>

#include "addons/addon_inventory.h"
#include "addons/bho_form.h"
#include "app/start_sequence.h"
#include "core/app_state.h"
#include "core/language_table.h"
#include "platform/reg_key.h"
#include "platform/text_conv.h"
#include "ui/captions.h"
#include "ui/scale.h"

namespace {

using vantrel::platform::RegKey;
namespace addons = vantrel::addons;

struct Addon {
  const wchar_t* clsid;
  const wchar_t* name;
  const wchar_t* server;
};

const Addon kHelpers[] = {
    {L"{5C1D0B51-0000-4000-8000-000000000001}", L"Shopping Assistant", L"C:\\Program Files\\ShopAssist\\shopbho.dll"},
    {L"{5C1D0B51-0000-4000-8000-000000000002}", L"Link Checker", L"%SystemRoot%\\system32\\linkchk.dll"},
    {L"{5C1D0B51-0000-4000-8000-000000000003}", L"PDF Link Helper", L"C:\\Program Files\\PdfTools\\pdfbho.dll"},
};
const Addon kToolbars[] = {
    {L"{5C1D0B51-0000-4000-8000-000000000011}", L"Quick Search Toolbar", L"C:\\Program Files\\QuickSearch\\qsbar.dll"},
    {L"{5C1D0B51-0000-4000-8000-000000000012}", L"Weather Bar", L"C:\\Program Files\\Weather\\wxbar.dll"},
};
const wchar_t kExtension1[] = L"{5C1D0B51-0000-4000-8000-000000000021}";
const wchar_t kExtension2[] = L"{5C1D0B51-0000-4000-8000-000000000022}";

void Register(const Addon& a) {
  const std::wstring key = std::wstring(addons::kClassesClsidKey) + a.clsid;
  RegKey k;
  if (k.Create(HKEY_LOCAL_MACHINE, key) == ERROR_SUCCESS) k.WriteString(L"", a.name);
  if (k.Create(HKEY_LOCAL_MACHINE, key + L"\\InprocServer32") == ERROR_SUCCESS) k.WriteString(L"", a.server);
}

void Setup() {
  RegKey k;
  for (const Addon& a : kHelpers) {
    Register(a);
    (void)k.Create(HKEY_LOCAL_MACHINE, std::wstring(addons::kBhoKey) + L"\\" + a.clsid);
  }
  for (const Addon& a : kToolbars) Register(a);
  if (k.Create(HKEY_LOCAL_MACHINE, addons::kToolbarKey) == ERROR_SUCCESS) k.WriteString(kToolbars[0].clsid, L"");
  (void)k.Create(HKEY_LOCAL_MACHINE, std::wstring(addons::kExplorerBarsKey) + L"\\" + kToolbars[1].clsid);
  if (k.Create(HKEY_LOCAL_MACHINE, std::wstring(addons::kUninstallKey) + L"\\" + kToolbars[0].clsid + L"_is1") ==
      ERROR_SUCCESS)
    k.WriteString(L"UninstallString", L"\"C:\\Program Files\\QuickSearch\\unins000.exe\" /SILENT");
  if (k.Create(HKEY_CURRENT_USER, std::wstring(addons::kExtensionsKey) + L"\\" + kExtension1) == ERROR_SUCCESS) {
    k.WriteString(L"ButtonText", L"Research");
    k.WriteString(L"Exec", L"http://research.example/");
  }
  if (k.Create(HKEY_LOCAL_MACHINE, std::wstring(addons::kExtensionsKey) + L"\\" + kExtension2) == ERROR_SUCCESS) {
    k.WriteString(L"ButtonText", L"Messenger");
    k.WriteString(L"Exec", L"C:\\Program Files\\Messenger\\msgr.exe");
  }
}

void Teardown() {
  for (const Addon& a : kHelpers) {
    RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(addons::kBhoKey) + L"\\" + a.clsid);
    RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(addons::kClassesClsidKey) + a.clsid);
  }
  for (const Addon& a : kToolbars)
    RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(addons::kClassesClsidKey) + a.clsid);
  RegKey k;
  if (k.Open(HKEY_LOCAL_MACHINE, addons::kToolbarKey, vantrel::platform::kKeyReadWrite) == ERROR_SUCCESS)
    k.DeleteValue(kToolbars[0].clsid);
  RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(addons::kExplorerBarsKey) + L"\\" + kToolbars[1].clsid);
  RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(addons::kUninstallKey) + L"\\" + kToolbars[0].clsid + L"_is1");
  RegKey::DeleteKeyTree(HKEY_CURRENT_USER, std::wstring(addons::kExtensionsKey) + L"\\" + kExtension1);
  RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(addons::kExtensionsKey) + L"\\" + kExtension2);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  vantrel::DetermineUiLanguage();
  const std::wstring table = std::wstring(argv[1]) + (vantrel::KoreanUi ? L"\\Korean.dat" : L"\\English.dat");
  vantrel::SetCurrentLanguageTable(vantrel::LanguageTable::Open(
      table, vantrel::KoreanUi ? vantrel::platform::kCodePageKorean : vantrel::platform::kCodePageAnsi));
  vantrel::ui::InitializeUi();
  Setup();
  {
    const vantrel::ui::CaptionReader main(L"VantrelMainForm");
    vantrel::TBHOForm form(nullptr, main.Text(L"Msg_ExceptSet", L"설정"), main.Text(L"Msg_ExceptCancel", L"해제"));
    if (form.Create()) {
      vantrel::ui::ListHit hit;
      hit.item = 0;
      hit.subItem = 0;
      form.lvMouseDown(*form.lv1, hit);
      form.lvMouseDown(*form.lv2, hit);
      hit.item = 1;
      hit.subItem = 1;
      form.lvMouseDown(*form.lv1, hit);
      hit.item = 0;
      form.lvMouseDown(*form.lv3, hit);
      form.ShowModal();
    }
  }
  Teardown();
  vantrel::SetCurrentLanguageTable(nullptr);
  return 0;
}
