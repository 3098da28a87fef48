#pragma once
// Text rules of the add-on inventory and removal: the %SystemRoot% prefix,
// the file name of a server path, the toolbar ids, the uninstall entry
// names and the split of an uninstall command. Pure: no Windows headers.
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::addons {

// When `text`, compared in lower case, begins with "%systemroot%": the
// Windows folder (no trailing backslash; may be empty) followed by the rest.
// Any other text comes back unchanged; no other reference is expanded.
std::wstring ExpandSystemRootWith(std::wstring_view text, std::wstring_view windowsFolder);

// The part of a path after its last "\" or ":" (all of it when it has neither).
std::wstring FileNameOfPath(std::wstring_view path);

// Names the inventory looks at under the Toolbar, Explorer Bars and
// Extensions keys: those that begin with "{".
bool LooksLikeClassId(std::wstring_view name);

// The hidden id of a toolbar: "1" + value name for a value of the Toolbar
// key, the bare subkey name for an explorer bar.
std::wstring ToolbarIdOfValue(std::wstring_view valueName);
struct ToolbarPlace {
  bool isToolbarValue = false;  // a value of the Toolbar key; else a subkey of Explorer Bars
  std::wstring name;            // the value or subkey name
};
ToolbarPlace ToolbarPlaceOf(std::wstring_view toolbarId);

// Whether an uninstall entry named `subkey` belongs to the class: equal to
// clsid, clsid + "_is1", name or name + "_is1" (exact, case-sensitive). An
// empty name matches nothing by itself (a bare "_is1" entry is no match).
bool UninstallEntryMatches(std::wstring_view subkey, std::wstring_view clsid, std::wstring_view name);

// An uninstall command split at its double quotes: the program part runs
// from the first quote to the second, both included; the parameters are
// what follows up to a third quote (not included). Text before the first
// quote and from the third one on is dropped. Without two quotes the
// program part is empty (nothing can be started).
struct UninstallLaunch {
  std::wstring program;
  std::wstring parameters;
};
UninstallLaunch SplitUninstallCommand(std::wstring_view command);

// The file an uninstaller's program part (as SplitUninstallCommand gives
// it, quotes included) names, when it can be started safely: a full path
// with a drive ("X:\...") that ends in ".exe" (any case) and holds no other
// quote. Empty otherwise: a bare or relative name would be looked for in
// the current folder and the search path, and a document or address would
// start whatever program opens it.
std::wstring UninstallerProgramFile(std::wstring_view programPart);

// The server path that regsvr32 may be given: `fullPath` without one pair
// of enclosing double quotes, when it then is a full path with a drive
// ("X:\...") or a UNC path ("\\server\share\...") and holds no quote.
// Empty otherwise (a relative path, one left with "%...%" references, or
// one with arguments), so that nothing is loaded from the current folder.
std::wstring ServerPathToUnregister(std::wstring_view fullPath);

// Exact, case-sensitive membership; an empty list excludes nothing.
bool InExclusionList(const std::vector<std::wstring>& list, std::wstring_view entry);

// The command that unregisters an in-process server quietly:
// `regsvr32` (a full path) in double quotes + " /u /s " + the server path
// in double quotes.
std::wstring UnregisterCommand(std::wstring_view regsvr32, std::wstring_view serverPath);

}  // namespace vantrel::addons
