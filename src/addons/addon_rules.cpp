#include "addons/addon_rules.h"

#include <algorithm>

namespace vantrel::addons {
namespace {

constexpr std::wstring_view kSystemRoot = L"%systemroot%";
constexpr std::wstring_view kIs1 = L"_is1";

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualsWithSuffix(std::wstring_view s, std::wstring_view stem, std::wstring_view suffix) {
  return s.size() == stem.size() + suffix.size() && s.substr(0, stem.size()) == stem &&
         s.substr(stem.size()) == suffix;
}

}  // namespace

std::wstring ExpandSystemRootWith(std::wstring_view text, std::wstring_view windowsFolder) {
  if (text.size() < kSystemRoot.size()) return std::wstring(text);
  for (size_t i = 0; i < kSystemRoot.size(); ++i)
    if (LowerAscii(text[i]) != kSystemRoot[i]) return std::wstring(text);
  std::wstring out(windowsFolder);
  out += text.substr(kSystemRoot.size());
  return out;
}

std::wstring FileNameOfPath(std::wstring_view path) {
  const size_t at = path.find_last_of(L"\\:");
  return std::wstring(at == std::wstring_view::npos ? path : path.substr(at + 1));
}

bool LooksLikeClassId(std::wstring_view name) { return !name.empty() && name.front() == L'{'; }

std::wstring ToolbarIdOfValue(std::wstring_view valueName) { return L"1" + std::wstring(valueName); }

ToolbarPlace ToolbarPlaceOf(std::wstring_view toolbarId) {
  ToolbarPlace place;
  if (!toolbarId.empty() && toolbarId.front() == L'1') {
    place.isToolbarValue = true;
    place.name = toolbarId.substr(1);
  } else {
    place.name = toolbarId;
  }
  return place;
}

bool UninstallEntryMatches(std::wstring_view subkey, std::wstring_view clsid, std::wstring_view name) {
  if (!clsid.empty() && (subkey == clsid || EqualsWithSuffix(subkey, clsid, kIs1))) return true;
  if (!name.empty() && (subkey == name || EqualsWithSuffix(subkey, name, kIs1))) return true;
  return false;
}

UninstallLaunch SplitUninstallCommand(std::wstring_view command) {
  UninstallLaunch launch;
  const size_t first = command.find(L'"');
  if (first == std::wstring_view::npos) return launch;
  const size_t second = command.find(L'"', first + 1);
  if (second == std::wstring_view::npos) return launch;
  launch.program = command.substr(first, second - first + 1);
  const size_t third = command.find(L'"', second + 1);
  launch.parameters = command.substr(second + 1, third == std::wstring_view::npos ? std::wstring_view::npos
                                                                                   : third - second - 1);
  return launch;
}

namespace {

bool HasDriveRoot(std::wstring_view path) {
  if (path.size() < 4) return false;
  const wchar_t letter = LowerAscii(path[0]);
  return letter >= L'a' && letter <= L'z' && path[1] == L':' && path[2] == L'\\';
}

bool IsUncPath(std::wstring_view path) {
  // "\\server\..." but not the device forms "\\?\" and "\\.\".
  return path.size() > 4 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.' &&
         path[2] != L'\\';
}

std::wstring_view WithoutEnclosingQuotes(std::wstring_view text) {
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') return text.substr(1, text.size() - 2);
  return text;
}

bool EndsWithExe(std::wstring_view path) {
  constexpr std::wstring_view kExe = L".exe";
  if (path.size() <= kExe.size()) return false;
  for (size_t i = 0; i < kExe.size(); ++i)
    if (LowerAscii(path[path.size() - kExe.size() + i]) != kExe[i]) return false;
  return true;
}

}  // namespace

std::wstring UninstallerProgramFile(std::wstring_view programPart) {
  const std::wstring_view path = WithoutEnclosingQuotes(programPart);
  if (path.find(L'"') != std::wstring_view::npos || !HasDriveRoot(path) || !EndsWithExe(path)) return {};
  return std::wstring(path);
}

std::wstring ServerPathToUnregister(std::wstring_view fullPath) {
  const std::wstring_view path = WithoutEnclosingQuotes(fullPath);
  if (path.find(L'"') != std::wstring_view::npos) return {};
  if (!HasDriveRoot(path) && !IsUncPath(path)) return {};
  return std::wstring(path);
}

bool InExclusionList(const std::vector<std::wstring>& list, std::wstring_view entry) {
  return std::find(list.begin(), list.end(), entry) != list.end();
}

std::wstring UnregisterCommand(std::wstring_view regsvr32, std::wstring_view serverPath) {
  std::wstring command = L"\"" + std::wstring(regsvr32) + L"\" /u /s \"";
  command += serverPath;
  command += L"\"";
  return command;
}

}  // namespace vantrel::addons
