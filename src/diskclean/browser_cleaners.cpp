#include "diskclean/browser_cleaners.h"

#include <shlobj.h>

#include "diskclean/trace_files.h"
#include "diskclean/trace_rules.h"
#include "platform/file_system.h"
#include "platform/shell_folders.h"
#include "platform/unique_handle.h"

namespace vantrel {
namespace {

using platform::UniqueHandle;

// The located folder without its trailing backslash, opened as a real folder.
UniqueHandle OpenLocated(const std::wstring& located) {
  if (located.empty()) return UniqueHandle();
  std::wstring path = located;
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return OpenTraceFolder(path);
}

// The contents of sub-folder `name` of a located folder; the sub-folder stays.
void EmptySubfolder(HANDLE located, const wchar_t* name) {
  UniqueHandle sub = OpenTraceSubfolder(located, name);
  if (sub) EmptyTraceFolder(sub.get());
}

// Runs `work` on each non-empty located folder, first the one below the first
// base folder.
template <class Work>
void InEachLocated(BrowserUnit& unit, Work work) {
  if (!unit.LocateBrowserData()) return;
  for (int i = 0; i < 2; ++i) {
    UniqueHandle folder = OpenLocated(unit.Located(i));
    if (folder) work(folder.get());
  }
}

std::wstring Joined(const std::wstring& base, const wchar_t* relative) {
  std::wstring path = base;
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path + relative;
}

}  // namespace

BrowserBaseFolders UserBrowserBaseFolders() {
  return {platform::ShellFolderPath(CSIDL_APPDATA), platform::ShellFolderPath(CSIDL_LOCAL_APPDATA)};
}

// ---- Firefox

bool TFireFox::LocateBrowserData() {
  if (state_ == LookupState::Found) return true;
  if (!BasesSet()) return false;
  for (int i = 0; i < 2; ++i) {
    located_[i].clear();
    const std::wstring profiles = Joined(Base(i), L"\\Mozilla\\Firefox\\Profiles\\");
    UniqueHandle folder = OpenLocated(profiles);
    if (!folder) continue;  // missing, a file, or a link
    std::vector<TraceEntry> entries = ListTraceFolder(folder.get());
    std::vector<TraceName> names;
    for (const TraceEntry& e : entries) names.push_back({e.name, e.attributes});
    const int first = FirstProfileIndex(names);
    if (first >= 0) located_[i] = profiles + entries[first].name + L"\\";
  }
  if (located_[0].empty() && located_[1].empty()) return false;
  state_ = LookupState::Found;
  return true;
}

void TFireFox::ClearCookies() {
  InEachLocated(*this, [](HANDLE f) { DeleteTraceFile(f, L"cookies.sqlite"); });
}

void TFireFox::ClearHistory() {
  InEachLocated(*this, [](HANDLE f) { DeleteTraceFile(f, L"places.sqlite"); });
}

void TFireFox::ClearTempFiles() {
  InEachLocated(*this, [](HANDLE f) {
    EmptySubfolder(f, L"Cache");
    DeleteTraceFile(f, L"downloads.sqlite");
  });
}

// ---- Chrome and Safari: one folder below each base, looked up once

namespace {

bool LocateOnce(LookupState& state, bool basesSet, std::wstring (&located)[2], const std::wstring (&candidates)[2]) {
  if (state == LookupState::Found) return true;
  if (state == LookupState::Absent) return false;
  if (!basesSet) {
    state = LookupState::Absent;
    return false;
  }
  for (int i = 0; i < 2; ++i) located[i] = OpenLocated(candidates[i]) ? candidates[i] : std::wstring();
  state = located[0].empty() && located[1].empty() ? LookupState::Absent : LookupState::Found;
  return state == LookupState::Found;
}

}  // namespace

bool TChrome::LocateBrowserData() {
  const std::wstring candidates[2] = {Joined(Base(0), L"\\Google\\Chrome\\User Data\\Default\\"),
                                      Joined(Base(1), L"\\Google\\Chrome\\User Data\\Default\\")};
  return LocateOnce(state_, BasesSet(), located_, candidates);
}

void TChrome::ClearCookies() {
  InEachLocated(*this, [](HANDLE f) { DeleteTraceFile(f, L"Cookies"); });
}

void TChrome::ClearHistory() {
  InEachLocated(*this, [](HANDLE f) {
    for (const TraceEntry& e : ListTraceFolder(f))
      if (IsChromeHistoryName(e.name)) DeleteTraceFile(f, e.name);
  });
}

void TChrome::ClearTempFiles() {
  InEachLocated(*this, [](HANDLE f) {
    EmptySubfolder(f, L"Cache");
    EmptySubfolder(f, L"Media Cache");
  });
}

bool TSafari::LocateBrowserData() {
  const std::wstring candidates[2] = {Joined(Base(0), L"\\Apple Computer\\Safari\\"),
                                      Joined(Base(1), L"\\Apple Computer\\Safari\\")};
  return LocateOnce(state_, BasesSet(), located_, candidates);
}

void TSafari::ClearCookies() {
  InEachLocated(*this, [](HANDLE f) { EmptySubfolder(f, L"Cookies"); });
}

void TSafari::ClearHistory() {
  InEachLocated(*this, [](HANDLE f) {
    EmptySubfolder(f, L"History");
    DeleteTraceFile(f, L"History.plist");
  });
}

void TSafari::ClearTempFiles() {
  InEachLocated(*this, [](HANDLE f) {
    EmptySubfolder(f, L"Webpage Previews");
    DeleteTraceFile(f, L"Downloads.plist");
  });
}

// ---- the three together

BrowserUnits& ProgramBrowserUnits() {
  // Never destroyed: a worker left behind by a closed window may still be at
  // work while the program ends.
  static BrowserUnits* units = new BrowserUnits(UserBrowserBaseFolders());
  return *units;
}

void ClearBrowserCookies(BrowserUnits& units) {
  units.fireFox.ClearCookies();
  units.chrome.ClearCookies();
  units.safari.ClearCookies();
}

void ClearBrowserHistory(BrowserUnits& units) {
  units.fireFox.ClearHistory();
  units.chrome.ClearHistory();
  units.safari.ClearHistory();
}

void ClearBrowserTempFiles(BrowserUnits& units) {
  units.fireFox.ClearTempFiles();
  units.chrome.ClearTempFiles();
  units.safari.ClearTempFiles();
}

}  // namespace vantrel
