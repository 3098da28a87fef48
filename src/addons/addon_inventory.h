#pragma once
// The browser add-on inventory: Browser Helper Objects, toolbars (values of
// the Toolbar key and subkeys of Explorer Bars, one list) and extension
// buttons (current user, then machine), each turned into the row the add-on
// window shows. Read-only: every key is opened for reading.
//
// 64-bit Windows: the machine keys exist in two registry views, the 64-bit
// browser's and the 32-bit browser's, and both sets of add-ons are real.
// Each machine key is read in every view of AddonSources::machineViews
// (64-bit first), a class id is resolved in the view its add-on was found
// in, and the row remembers that view for its removal.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/windows_bitness.h"
#include "recovery/registry_view.h"

namespace vantrel::addons {

using recovery::RegistryView;

inline constexpr wchar_t kBhoKey[] = L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
inline constexpr wchar_t kToolbarKey[] = L"\\SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
inline constexpr wchar_t kExplorerBarsKey[] = L"\\SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars";
inline constexpr wchar_t kExtensionsKey[] = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";
inline constexpr wchar_t kUninstallKey[] = L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t kClassesClsidKey[] = L"\\SOFTWARE\\Classes\\CLSID\\";

struct ClsidDetails {
  std::wstring Name;      // default value of the class key (empty when missing or not text)
  std::wstring FullPath;  // default value of "InprocServer32", after ExpandSystemRoot
  std::wstring FileName;  // FullPath after its last "\" or ":"
  std::wstring Company;   // "CompanyName" of the file's version information
};

struct BhoRow {
  std::wstring Name;
  bool Excluded = false;
  std::wstring Company, FileName, FullPath;
  std::wstring Clsid;  // hidden: the subkey name as enumerated
  RegistryView View = RegistryView::Default;
};

struct ToolbarRow {
  std::wstring Name;
  bool Excluded = false;
  std::wstring Company, UninstallCommand, FullPath;
  std::wstring ToolbarId;  // hidden: "1" + value name, or the Explorer Bars subkey name
  RegistryView View = RegistryView::Default;
};

struct ExtensionRow {
  std::wstring ButtonText;
  bool Excluded = false;
  std::wstring Exec, KeyName;
};

// True on 64-bit Windows, whichever build of the program asks.
using platform::IsWindows64;
// The views the machine keys are read in: 64-bit then 32-bit on 64-bit
// Windows, the one default view elsewhere.
std::vector<RegistryView> SystemMachineViews();

struct AddonSources {
  std::vector<RegistryView> machineViews = SystemMachineViews();
};

// The Windows folder (CSIDL_WINDOWS) without a trailing backslash in place of
// a leading "%SystemRoot%" (any letter case); other text unchanged.
std::wstring ExpandSystemRoot(const std::wstring& text);

// HKLM "\SOFTWARE\Classes\CLSID\" + clsid and its "InprocServer32" key, in
// `view`. False when either key does not open.
bool ResolveClsid(const std::wstring& clsid, ClsidDetails* out, RegistryView view = RegistryView::Default);

// The "UninstallString" (after ExpandSystemRoot) of the first uninstall entry
// of `view` named clsid, clsid + "_is1", name or name + "_is1"; empty when
// none matches or it has none. False only when the uninstall list cannot
// be read.
bool FindUninstallCommand(const std::wstring& clsid, const std::wstring& name, std::wstring* out,
                          RegistryView view = RegistryView::Default);

// "ButtonText" and "Exec" of an extension key (missing or non-text: empty).
// False when the key does not open.
bool ReadExtensionButton(HKEY root, const std::wstring& keyPath, std::wstring* buttonText, std::wstring* exec,
                         RegistryView view = RegistryView::Default);

std::vector<BhoRow> ListBrowserHelperObjects(const std::vector<std::wstring>& exclusions,
                                             const AddonSources& sources = {});
std::vector<ToolbarRow> ListToolbars(const std::vector<std::wstring>& exclusions, const AddonSources& sources = {});
std::vector<ExtensionRow> ListExtensionButtons(const std::vector<std::wstring>& exclusions,
                                               const AddonSources& sources = {});

}  // namespace vantrel::addons
