#pragma once
// The trace cleaners of Firefox, Chrome and Safari. Each unit looks for its
// data below two base folders of the current user (the roaming and the local
// application-data folders), remembers what it found for the rest of the
// run and deletes cookies, history and temporary files there. Nothing is
// reported: what cannot be deleted stays.
#include <string>

namespace vantrel {

// The two folders below which the browsers keep their data. Both must be set
// for any of the three browsers to be cleaned.
struct BrowserBaseFolders {
  std::wstring first;   // CSIDL_APPDATA (roaming)
  std::wstring second;  // CSIDL_LOCAL_APPDATA
};
// The current user's two folders, from the shell.
BrowserBaseFolders UserBrowserBaseFolders();

enum class LookupState { NotLookedUp, Found, Absent };

// What the three units share: the base folders, the two located folders
// (with a trailing backslash; empty: not found) and the lookup state.
class BrowserUnit {
 public:
  explicit BrowserUnit(BrowserBaseFolders bases) : bases_(std::move(bases)) {}
  virtual ~BrowserUnit() = default;

  // Finds the two located folders; true when at least one was found.
  virtual bool LocateBrowserData() = 0;
  virtual void ClearCookies() = 0;
  virtual void ClearHistory() = 0;
  virtual void ClearTempFiles() = 0;

  LookupState State() const { return state_; }
  const std::wstring& Located(int index) const { return located_[index]; }

 protected:
  bool BasesSet() const { return !bases_.first.empty() && !bases_.second.empty(); }
  const std::wstring& Base(int index) const { return index == 0 ? bases_.first : bases_.second; }

  BrowserBaseFolders bases_;
  std::wstring located_[2];
  LookupState state_ = LookupState::NotLookedUp;
};

// "\Mozilla\Firefox\Profiles\" + its first profile. Looked up again at every
// call until a profile has been found.
class TFireFox : public BrowserUnit {
 public:
  using BrowserUnit::BrowserUnit;
  bool LocateBrowserData() override;
  void ClearCookies() override;    // "cookies.sqlite"
  void ClearHistory() override;    // "places.sqlite"
  void ClearTempFiles() override;  // the contents of "Cache", "downloads.sqlite"
};

// "\Google\Chrome\User Data\Default\". Absent for the rest of the run when
// neither base folder holds it.
class TChrome : public BrowserUnit {
 public:
  using BrowserUnit::BrowserUnit;
  bool LocateBrowserData() override;
  void ClearCookies() override;    // "Cookies"
  void ClearHistory() override;    // every file whose name begins with "History"
  void ClearTempFiles() override;  // the contents of "Cache" and "Media Cache"
};

// "\Apple Computer\Safari\", looked up like Chrome's.
class TSafari : public BrowserUnit {
 public:
  using BrowserUnit::BrowserUnit;
  bool LocateBrowserData() override;
  void ClearCookies() override;    // the contents of "Cookies" (the folder stays)
  void ClearHistory() override;    // the contents of "History", "History.plist"
  void ClearTempFiles() override;  // the contents of "Webpage Previews", "Downloads.plist"
};

// The three units in the order they are cleaned.
struct BrowserUnits {
  explicit BrowserUnits(const BrowserBaseFolders& bases) : fireFox(bases), chrome(bases), safari(bases) {}
  TFireFox fireFox;
  TChrome chrome;
  TSafari safari;
};
// The program's units, made at the first call with the user's base folders
// and kept until the program ends. Only the disk cleanup worker uses them.
BrowserUnits& ProgramBrowserUnits();

// Firefox, Chrome, Safari in turn.
void ClearBrowserCookies(BrowserUnits& units);
void ClearBrowserHistory(BrowserUnits& units);
void ClearBrowserTempFiles(BrowserUnits& units);

}  // namespace vantrel
