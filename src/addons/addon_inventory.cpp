#include "addons/addon_inventory.h"

#include <shlobj.h>

#include "addons/addon_rules.h"
#include "core/helpers.h"
#include "platform/reg_key.h"
#include "platform/shell_folders.h"
#include "recovery/recovery_store.h"

namespace vantrel::addons {
namespace {

using platform::RegKey;

// Opens a key for reading in a view; false when it does not open.
bool OpenRead(RegKey& key, HKEY root, const std::wstring& path, RegistryView view) {
  return key.Open(root, path, KEY_READ | recovery::ViewFlag(view)) == ERROR_SUCCESS;
}

// Whether the key's subkey and value counts can be read (the inventory
// enumerates only keys it can ask).
bool CanCount(const RegKey& key) {
  DWORD subkeys = 0, values = 0;
  return ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// A text value; missing or of another type: empty (never the bytes of a
// number or binary read as text).
std::wstring TextOrEmpty(const RegKey& key, const std::wstring& name) {
  std::wstring text;
  if (!key.ReadString(name, &text)) return {};
  return text;
}

// Appends one toolbar for a class id found in `view`, when its class and
// the uninstall list can be read.
void AddToolbar(const std::wstring& clsid, std::wstring toolbarId, RegistryView view,
                const std::vector<std::wstring>& exclusions, std::vector<ToolbarRow>& rows) {
  ClsidDetails details;
  if (!ResolveClsid(clsid, &details, view)) return;
  std::wstring uninstall;
  if (!FindUninstallCommand(clsid, details.Name, &uninstall, view)) return;
  ToolbarRow row;
  row.Name = details.Name;
  row.Excluded = InExclusionList(exclusions, FileNameOfPath(details.FullPath));
  row.Company = details.Company;
  row.UninstallCommand = std::move(uninstall);
  row.FullPath = details.FullPath;
  row.ToolbarId = std::move(toolbarId);
  row.View = view;
  rows.push_back(std::move(row));
}

// The extension buttons below one root's Extensions key; false when the key
// does not open or cannot be asked.
bool AddExtensions(HKEY root, RegistryView view, const std::vector<std::wstring>& exclusions,
                   std::vector<ExtensionRow>& rows) {
  RegKey key;
  if (!OpenRead(key, root, kExtensionsKey, view) || !CanCount(key)) return false;
  const auto names = key.SubkeyNames();
  key.Close();
  for (const auto& name : names) {
    if (!LooksLikeClassId(name)) continue;
    ExtensionRow row;
    if (!ReadExtensionButton(root, std::wstring(kExtensionsKey) + L"\\" + name, &row.ButtonText, &row.Exec, view))
      continue;
    if (row.ButtonText.empty()) continue;
    row.Excluded = InExclusionList(exclusions, row.ButtonText);
    row.KeyName = name;
    rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace

std::vector<RegistryView> SystemMachineViews() {
  if (IsWindows64()) return {RegistryView::Bits64, RegistryView::Bits32};
  return {RegistryView::Default};
}

std::wstring ExpandSystemRoot(const std::wstring& text) {
  std::wstring windows = platform::ShellFolderPath(CSIDL_WINDOWS);
  if (!windows.empty() && windows.back() == L'\\') windows.pop_back();
  return ExpandSystemRootWith(text, windows);
}

bool ResolveClsid(const std::wstring& clsid, ClsidDetails* out, RegistryView view) {
  if (clsid.empty()) return false;
  const std::wstring classKey = std::wstring(kClassesClsidKey) + clsid;
  ClsidDetails details;
  {
    RegKey key;
    if (!OpenRead(key, HKEY_LOCAL_MACHINE, classKey, view)) return false;
    details.Name = TextOrEmpty(key, L"");
  }
  {
    RegKey key;
    if (!OpenRead(key, HKEY_LOCAL_MACHINE, classKey + L"\\InprocServer32", view)) return false;
    details.FullPath = ExpandSystemRoot(TextOrEmpty(key, L""));
  }
  details.FileName = FileNameOfPath(details.FullPath);
  if (!details.FullPath.empty()) details.Company = GetFileVersionText(details.FullPath, L"CompanyName");
  *out = std::move(details);
  return true;
}

bool FindUninstallCommand(const std::wstring& clsid, const std::wstring& name, std::wstring* out,
                          RegistryView view) {
  std::wstring match;
  {
    RegKey key;
    if (!OpenRead(key, HKEY_LOCAL_MACHINE, kUninstallKey, view) || !CanCount(key)) return false;
    for (const auto& subkey : key.SubkeyNames()) {
      if (UninstallEntryMatches(subkey, clsid, name)) {
        match = subkey;
        break;
      }
    }
  }
  out->clear();
  if (match.empty()) return true;
  RegKey entry;
  if (OpenRead(entry, HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + L"\\" + match, view)) {
    std::wstring command;
    if (entry.ReadString(L"UninstallString", &command)) *out = ExpandSystemRoot(command);
  }
  return true;
}

bool ReadExtensionButton(HKEY root, const std::wstring& keyPath, std::wstring* buttonText, std::wstring* exec,
                         RegistryView view) {
  RegKey key;
  if (!OpenRead(key, root, keyPath, view)) return false;
  *buttonText = TextOrEmpty(key, L"ButtonText");
  *exec = TextOrEmpty(key, L"Exec");
  return true;
}

std::vector<BhoRow> ListBrowserHelperObjects(const std::vector<std::wstring>& exclusions,
                                             const AddonSources& sources) {
  std::vector<BhoRow> rows;
  for (RegistryView view : sources.machineViews) {
    std::vector<std::wstring> names;
    {
      RegKey key;
      if (!OpenRead(key, HKEY_LOCAL_MACHINE, kBhoKey, view) || !CanCount(key)) continue;
      names = key.SubkeyNames();
    }
    for (const auto& clsid : names) {
      ClsidDetails details;
      if (!ResolveClsid(clsid, &details, view)) continue;
      BhoRow row;
      row.Name = details.Name;
      row.Excluded = InExclusionList(exclusions, details.FileName);
      row.Company = details.Company;
      row.FileName = details.FileName;
      row.FullPath = details.FullPath;
      row.Clsid = clsid;
      row.View = view;
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

std::vector<ToolbarRow> ListToolbars(const std::vector<std::wstring>& exclusions, const AddonSources& sources) {
  std::vector<ToolbarRow> rows;
  for (RegistryView view : sources.machineViews) {
    std::vector<std::wstring> values;
    {
      RegKey key;
      // Without a Toolbar key the explorer bars of this view are not looked at either.
      if (!OpenRead(key, HKEY_LOCAL_MACHINE, kToolbarKey, view) || !CanCount(key)) continue;
      values = key.ValueNames();
    }
    for (const auto& name : values)
      if (LooksLikeClassId(name)) AddToolbar(name, ToolbarIdOfValue(name), view, exclusions, rows);

    std::vector<std::wstring> bars;
    {
      RegKey key;
      if (!OpenRead(key, HKEY_LOCAL_MACHINE, kExplorerBarsKey, view) || !CanCount(key)) continue;
      bars = key.SubkeyNames();
    }
    for (const auto& name : bars)
      if (LooksLikeClassId(name)) AddToolbar(name, name, view, exclusions, rows);
  }
  return rows;
}

std::vector<ExtensionRow> ListExtensionButtons(const std::vector<std::wstring>& exclusions,
                                               const AddonSources& sources) {
  std::vector<ExtensionRow> rows;
  // Without the current user's Extensions key the machine's are not listed either.
  if (!AddExtensions(HKEY_CURRENT_USER, RegistryView::Default, exclusions, rows)) return rows;
  for (RegistryView view : sources.machineViews) AddExtensions(HKEY_LOCAL_MACHINE, view, exclusions, rows);
  return rows;
}

}  // namespace vantrel::addons
