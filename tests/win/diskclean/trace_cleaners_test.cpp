// The trace cleaners under Wine against real files and a scratch registry:
// folder work through open handles (links removed, never followed; locked,
// read-only and deeply named files), the Firefox, Chrome and Safari units
// below a scratch profile's two base folders, and Internet Explorer's
// shell-folder files, URL cache entries and typed addresses.
#include <windows.h>
#include <wininet.h>
#include <gtest/gtest.h>

#include <string>

#include "diskclean/browser_cleaners.h"
#include "diskclean/ie_cleaners.h"
#include "diskclean/trace_files.h"
#include "support/registry_override.h"
#include "support/scratch.h"
#include "trace_test_support.h"

using namespace vantrel;
using test::Exists;
using test::MakeFile;
using test::MakeFolders;

namespace {

// ---- folder work through handles

TEST(TraceFolder, EmptiesFilesAndSubFoldersButKeepsTheFolderAndWhatIsReadOnlyOrLocked) {
  test::ScratchFolder scratch;
  const std::wstring cache = scratch.File(L"Cache");
  ASSERT_TRUE(MakeFile(cache + L"\\a.bin"));
  ASSERT_TRUE(MakeFile(cache + L"\\hidden.bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(MakeFile(cache + L"\\0\\1\\2\\deep.bin"));
  ASSERT_TRUE(MakeFile(cache + L"\\ro\\readonly.bin", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(MakeFile(cache + L"\\locked.bin"));
  HANDLE locked = ::CreateFileW((cache + L"\\locked.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);

  EXPECT_TRUE(EmptyTraceFolder(cache));
  ::CloseHandle(locked);

  EXPECT_TRUE(Exists(cache));
  EXPECT_FALSE(Exists(cache + L"\\a.bin"));
  EXPECT_FALSE(Exists(cache + L"\\hidden.bin"));
  EXPECT_FALSE(Exists(cache + L"\\0"));
  EXPECT_TRUE(Exists(cache + L"\\locked.bin"));          // in use: stays, the run went on
  EXPECT_TRUE(Exists(cache + L"\\ro\\readonly.bin"));    // read-only: stays, and so does its folder
  ::SetFileAttributesW((cache + L"\\ro\\readonly.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(TraceFolder, NoFolderNoWork) {
  test::ScratchFolder scratch;
  ASSERT_TRUE(MakeFile(scratch.File(L"plain")));
  EXPECT_FALSE(EmptyTraceFolder(scratch.File(L"missing")));
  EXPECT_FALSE(EmptyTraceFolder(scratch.File(L"plain")));  // a file, not a folder
  EXPECT_TRUE(Exists(scratch.File(L"plain")));
  EXPECT_FALSE(EmptyTraceFolder(L""));
  EXPECT_FALSE(EmptyTraceFolder(L"relative\\Cache"));
  EXPECT_FALSE(OpenTraceSubfolder(nullptr, L"x"));
}

TEST(TraceFolder, NamesAtThePathLengthLimitAndManyFilesGo) {
  test::ScratchFolder scratch;
  const std::wstring cache = scratch.File(L"Cache");
  ASSERT_TRUE(MakeFolders(cache));
  // A name that fills the path up to MAX_PATH, and one folder so deep that
  // its files lie beyond it (made through the "\\?\" form).
  const std::wstring longName(MAX_PATH - 2 - cache.size() - 1, L'n');
  ASSERT_TRUE(MakeFile(cache + L"\\" + longName));
  std::wstring deep = L"\\\\?\\" + cache;
  for (int i = 0; i < 6; ++i) {
    deep += L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + i));
    ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr));
  }
  ASSERT_TRUE(MakeFile(deep + L"\\beyond.bin"));
  // More entries than one listing call returns (long names fill its buffer).
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(MakeFile(cache + L"\\" + std::wstring(120, L'f') + std::to_wstring(i)));

  EXPECT_TRUE(EmptyTraceFolder(cache));
  platform::UniqueHandle folder = OpenTraceFolder(cache);
  ASSERT_TRUE(folder);
  EXPECT_TRUE(ListTraceFolder(folder.get()).empty());
}

class TraceLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    outside = scratch.File(L"outside");
    ASSERT_TRUE(MakeFile(outside + L"\\precious.txt"));
    ASSERT_TRUE(MakeFolders(scratch.File(L"probe")));
    if (!test::MakeFolderLink(scratch.File(L"probe\\link"), outside)) {
      GTEST_SKIP() << "this system makes no folder links (neither a symbolic link nor a junction; Wine has reparse points only from 10.19)";
    }
    ::RemoveDirectoryW(scratch.File(L"probe\\link").c_str());
  }
  test::ScratchFolder scratch;
  std::wstring outside;
};

TEST_F(TraceLinks, ALinkInsideIsRemovedItselfAndNothingOutsideIsTouched) {
  const std::wstring cache = scratch.File(L"Cache");
  ASSERT_TRUE(MakeFile(cache + L"\\a.bin"));
  ASSERT_TRUE(MakeFolders(cache + L"\\sub"));
  ASSERT_TRUE(test::MakeFolderLink(cache + L"\\sub\\escape", outside));

  EXPECT_TRUE(EmptyTraceFolder(cache));

  EXPECT_TRUE(Exists(outside + L"\\precious.txt"));
  EXPECT_FALSE(Exists(cache + L"\\sub"));
  EXPECT_FALSE(Exists(cache + L"\\a.bin"));
}

TEST_F(TraceLinks, AFolderThatIsALinkIsNeverOpenedForWork) {
  ASSERT_TRUE(test::MakeFolderLink(scratch.File(L"Cache"), outside));
  EXPECT_FALSE(EmptyTraceFolder(scratch.File(L"Cache")));
  platform::UniqueHandle root = OpenTraceFolder(scratch.path());
  ASSERT_TRUE(root);
  EXPECT_FALSE(OpenTraceSubfolder(root.get(), L"Cache"));
  // A link named like a file goes itself.
  EXPECT_TRUE(DeleteTraceFile(root.get(), L"Cache"));
  EXPECT_FALSE(Exists(scratch.File(L"Cache")));
  EXPECT_TRUE(Exists(outside + L"\\precious.txt"));
}

TEST(TraceFolder, WorkHappensInTheFolderThatWasOpenedNotAtItsPath) {
  test::ScratchFolder scratch;
  const std::wstring cache = scratch.File(L"Cache");
  ASSERT_TRUE(MakeFile(cache + L"\\a.bin"));
  platform::UniqueHandle held = OpenTraceFolder(cache);
  ASSERT_TRUE(held);
  // Moving the held folder away to put another one in its place fails on
  // Windows (it is held without delete sharing). Where a system lets the
  // move through, the work still stays in the folder that was opened.
  const bool moved = ::MoveFileW(cache.c_str(), scratch.File(L"moved").c_str());
  if (moved) {
    ASSERT_TRUE(MakeFile(cache + L"\\precious.txt"));
  }
  EmptyTraceFolder(held.get());
  EXPECT_FALSE(Exists((moved ? scratch.File(L"moved") : cache) + L"\\a.bin"));
  if (moved) {
    EXPECT_TRUE(Exists(cache + L"\\precious.txt"));
  }
}

// ---- the browser units below a scratch profile

class BrowserTraces : public ::testing::Test {
 protected:
  void SetUp() override {
    bases.first = scratch.File(L"Roaming");
    bases.second = scratch.File(L"Local");
    ASSERT_TRUE(MakeFolders(bases.first));
    ASSERT_TRUE(MakeFolders(bases.second));
  }
  std::wstring Roaming(const std::wstring& rest) const { return bases.first + L"\\" + rest; }
  std::wstring Local(const std::wstring& rest) const { return bases.second + L"\\" + rest; }

  test::ScratchFolder scratch;
  BrowserBaseFolders bases;
};

TEST_F(BrowserTraces, FirefoxCleansOnlyTheFirstPlainProfile) {
  const std::wstring profiles = Roaming(L"Mozilla\\Firefox\\Profiles\\");
  ASSERT_TRUE(MakeFolders(profiles + L".hidden"));
  ::SetFileAttributesW((profiles + L".hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(MakeFile(profiles + L".hidden\\cookies.sqlite"));
  ASSERT_TRUE(MakeFolders(profiles + L"aaaa.default"));
  ASSERT_TRUE(MakeFolders(profiles + L"zzzz.second"));
  platform::UniqueHandle listing = OpenTraceFolder(profiles.substr(0, profiles.size() - 1));
  std::wstring first;
  for (const TraceEntry& e : ListTraceFolder(listing.get()))
    if (first.empty() && !(e.attributes & FILE_ATTRIBUTE_HIDDEN)) first = e.name;
  listing.reset();
  const std::wstring other = first == L"aaaa.default" ? L"zzzz.second" : L"aaaa.default";
  for (const std::wstring& p : {first, other, std::wstring(L".hidden")})
    for (const wchar_t* f : {L"cookies.sqlite", L"places.sqlite", L"downloads.sqlite", L"Cache\\x\\y.bin", L"keep.js"})
      ASSERT_TRUE(MakeFile(profiles + p + L"\\" + f));

  BrowserUnits units(bases);
  ClearBrowserCookies(units);
  ClearBrowserHistory(units);
  ClearBrowserTempFiles(units);

  EXPECT_EQ(units.fireFox.State(), LookupState::Found);
  EXPECT_EQ(units.fireFox.Located(0), profiles + first + L"\\");
  EXPECT_EQ(units.fireFox.Located(1), L"");
  const std::wstring cleaned = profiles + first + L"\\";
  EXPECT_FALSE(Exists(cleaned + L"cookies.sqlite"));
  EXPECT_FALSE(Exists(cleaned + L"places.sqlite"));
  EXPECT_FALSE(Exists(cleaned + L"downloads.sqlite"));
  EXPECT_FALSE(Exists(cleaned + L"Cache\\x"));
  EXPECT_TRUE(Exists(cleaned + L"Cache"));
  EXPECT_TRUE(Exists(cleaned + L"keep.js"));
  for (const std::wstring& p : {other, std::wstring(L".hidden")}) {
    EXPECT_TRUE(Exists(profiles + p + L"\\cookies.sqlite")) << p;
    EXPECT_TRUE(Exists(profiles + p + L"\\Cache\\x\\y.bin")) << p;
  }
}

TEST_F(BrowserTraces, FirefoxIsLookedUpAgainUntilFoundAndAProfilesFileIsNoFolder) {
  BrowserUnits units(bases);
  ASSERT_TRUE(MakeFile(Roaming(L"Mozilla\\Firefox\\Profiles")));  // a file where the folder belongs
  EXPECT_FALSE(units.fireFox.LocateBrowserData());
  EXPECT_EQ(units.fireFox.State(), LookupState::NotLookedUp);
  ASSERT_TRUE(MakeFile(Local(L"Mozilla\\Firefox\\Profiles\\p1\\cookies.sqlite")));
  units.fireFox.ClearCookies();
  EXPECT_EQ(units.fireFox.State(), LookupState::Found);
  EXPECT_FALSE(Exists(Local(L"Mozilla\\Firefox\\Profiles\\p1\\cookies.sqlite")));
  EXPECT_TRUE(Exists(Roaming(L"Mozilla\\Firefox\\Profiles")));
}

TEST_F(BrowserTraces, ChromeDeletesEveryHistoryFileAndBothCaches) {
  const std::wstring chrome = Local(L"Google\\Chrome\\User Data\\Default\\");
  for (const wchar_t* f : {L"History", L"History-journal", L"History Index 2013-01", L"history provider cache",
                           L"Cookies", L"Cache\\data_0", L"Media Cache\\f_000001", L"Preferences",
                           L"Visited Links", L"HistoryFolder\\inside"})
    ASSERT_TRUE(MakeFile(chrome + f));

  BrowserUnits units(bases);
  ClearBrowserHistory(units);
  ClearBrowserCookies(units);
  ClearBrowserTempFiles(units);

  for (const wchar_t* gone : {L"History", L"History-journal", L"History Index 2013-01", L"history provider cache",
                              L"Cookies", L"Cache\\data_0", L"Media Cache\\f_000001"})
    EXPECT_FALSE(Exists(chrome + gone)) << gone;
  for (const wchar_t* kept : {L"Preferences", L"Visited Links", L"HistoryFolder\\inside", L"Cache", L"Media Cache"})
    EXPECT_TRUE(Exists(chrome + kept)) << kept;
  EXPECT_EQ(units.chrome.Located(0), L"");
  EXPECT_EQ(units.chrome.Located(1), chrome);
}

TEST_F(BrowserTraces, ChromeMissingAtTheFirstLookStaysAbsentForTheRun) {
  BrowserUnits units(bases);
  units.chrome.ClearCookies();
  EXPECT_EQ(units.chrome.State(), LookupState::Absent);
  const std::wstring cookies = Roaming(L"Google\\Chrome\\User Data\\Default\\Cookies");
  ASSERT_TRUE(MakeFile(cookies));  // installed while the program runs
  units.chrome.ClearCookies();
  EXPECT_FALSE(units.chrome.LocateBrowserData());
  EXPECT_TRUE(Exists(cookies));
}

TEST_F(BrowserTraces, WithoutBothBaseFoldersNothingIsCleaned) {
  ASSERT_TRUE(MakeFile(Roaming(L"Apple Computer\\Safari\\History.plist")));
  ASSERT_TRUE(MakeFile(Roaming(L"Mozilla\\Firefox\\Profiles\\p\\places.sqlite")));
  BrowserUnits units(BrowserBaseFolders{bases.first, L""});
  ClearBrowserHistory(units);
  EXPECT_TRUE(Exists(Roaming(L"Apple Computer\\Safari\\History.plist")));
  EXPECT_TRUE(Exists(Roaming(L"Mozilla\\Firefox\\Profiles\\p\\places.sqlite")));
  EXPECT_EQ(units.safari.State(), LookupState::Absent);
  EXPECT_EQ(units.fireFox.State(), LookupState::NotLookedUp);
}

TEST_F(BrowserTraces, SafariEmptiesItsFoldersAndKeepsThem) {
  for (const std::wstring& base : {bases.first, bases.second}) {
    const std::wstring safari = base + L"\\Apple Computer\\Safari\\";
    for (const wchar_t* f : {L"Cookies\\Cookies.plist", L"History\\h.db", L"History.plist", L"Downloads.plist",
                             L"Webpage Previews\\p.jpg", L"Bookmarks.plist"})
      ASSERT_TRUE(MakeFile(safari + f));
  }
  BrowserUnits units(bases);
  ClearBrowserCookies(units);
  ClearBrowserHistory(units);
  ClearBrowserTempFiles(units);
  for (const std::wstring& base : {bases.first, bases.second}) {
    const std::wstring safari = base + L"\\Apple Computer\\Safari\\";
    for (const wchar_t* gone : {L"Cookies\\Cookies.plist", L"History\\h.db", L"History.plist", L"Downloads.plist",
                                L"Webpage Previews\\p.jpg"})
      EXPECT_FALSE(Exists(safari + gone)) << gone;
    for (const wchar_t* kept : {L"Cookies", L"History", L"Webpage Previews", L"Bookmarks.plist"})
      EXPECT_TRUE(Exists(safari + kept)) << kept;
  }
}

TEST_F(BrowserTraces, ALinkedProfileOrCacheLeadsNowhere) {
  const std::wstring outside = scratch.File(L"outside");
  ASSERT_TRUE(MakeFile(outside + L"\\cookies.sqlite"));
  ASSERT_TRUE(MakeFile(outside + L"\\data_0"));
  ASSERT_TRUE(MakeFolders(Roaming(L"Mozilla\\Firefox\\Profiles")));
  if (!test::MakeFolderLink(Roaming(L"Mozilla\\Firefox\\Profiles\\linked"), outside)) {
    GTEST_SKIP() << "this system makes no folder links (neither a symbolic link nor a junction; Wine has reparse points only from 10.19)";
  }
  const std::wstring chrome = Local(L"Google\\Chrome\\User Data\\Default");
  ASSERT_TRUE(MakeFolders(chrome));
  ASSERT_TRUE(test::MakeFolderLink(chrome + L"\\Cache", outside));

  BrowserUnits units(bases);
  ClearBrowserCookies(units);
  ClearBrowserTempFiles(units);

  EXPECT_TRUE(Exists(outside + L"\\cookies.sqlite"));
  EXPECT_TRUE(Exists(outside + L"\\data_0"));
  ::RemoveDirectoryW(Roaming(L"Mozilla\\Firefox\\Profiles\\linked").c_str());
  ::RemoveDirectoryW((chrome + L"\\Cache").c_str());
}

// ---- Internet Explorer

TEST(IeTraces, ShellFolderFilesGoExceptDesktopIniWhileSubFoldersStay) {
  // The file system ignores letter case, so each spelling gets a folder of its own.
  struct Case {
    const wchar_t* name;
    bool kept;
  };
  for (const Case& c : {Case{L"desktop.ini", true}, Case{L"Desktop.ini", false}, Case{L"DESKTOP.INI", false},
                        Case{L"desktop.ini.bak", false}}) {
    SCOPED_TRACE(c.name);
    test::ScratchFolder scratch;
    const std::wstring cache = scratch.File(L"Temporary Internet Files");
    for (const std::wstring& f : {std::wstring(c.name), std::wstring(L"page.htm"), std::wstring(L"Content.IE5\\index.dat"),
                                 std::wstring(L"Content.IE5\\ABCD1234\\cached.gif"),
                                 std::wstring(L"Content.IE5\\other.dat"), std::wstring(L"Sub\\inner.txt")})
      ASSERT_TRUE(MakeFile(cache + L"\\" + f));

    EmptyFolderFiles(cache, L"\\Content.IE5\\index.dat");

    EXPECT_EQ(Exists(cache + L"\\" + c.name), c.kept);
    EXPECT_FALSE(Exists(cache + L"\\page.htm"));
    EXPECT_FALSE(Exists(cache + L"\\Content.IE5\\index.dat"));
    for (const wchar_t* kept : {L"Content.IE5\\ABCD1234\\cached.gif", L"Content.IE5\\other.dat", L"Sub\\inner.txt"})
      EXPECT_TRUE(Exists(cache + L"\\" + kept)) << kept;
  }
}

TEST(IeTraces, ShellFolderValuesAndTypedAddresses) {
  test::ScopedRegistryOverride registry;
  ASSERT_TRUE(registry.active());
  EXPECT_EQ(ReadShellFolder(L"Cache"), L"");  // no key
  {
    platform::RegKey folders =
        registry.Create(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    ASSERT_EQ(folders.WriteString(L"Cache", L"C:\\x\\Cache"), ERROR_SUCCESS);
    const DWORD number = 7;
    ASSERT_EQ(::RegSetValueExW(folders.get(), L"Cookies", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                               sizeof number),
              ERROR_SUCCESS);
  }
  EXPECT_EQ(ReadShellFolder(L"Cache"), L"C:\\x\\Cache");
  EXPECT_EQ(ReadShellFolder(L"Cookies"), L"");  // not text
  EXPECT_EQ(ReadShellFolder(L"History"), L"");  // missing

  ClearTypedUrls();  // no key: nothing to do
  {
    platform::RegKey typed = registry.Create(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs");
    for (const wchar_t* name : {L"url1", L"url2", L"url4", L"other"}) ASSERT_EQ(typed.WriteString(name, L"http://x/"), ERROR_SUCCESS);
  }
  ClearTypedUrls();
  platform::RegKey typed;
  ASSERT_EQ(typed.Open(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs"), ERROR_SUCCESS);
  EXPECT_FALSE(typed.HasValue(L"url1"));
  EXPECT_FALSE(typed.HasValue(L"url2"));
  EXPECT_TRUE(typed.HasValue(L"url4"));
  EXPECT_TRUE(typed.HasValue(L"other"));
}

TEST(IeTraces, UrlCacheEntriesAreDeleted) {
  const wchar_t* url = L"http://vantrel-test.example/trace.gif";
  wchar_t file[MAX_PATH] = {};
  ASSERT_TRUE(::CreateUrlCacheEntryW(url, 5, L"gif", file, 0));
  HANDLE h = ::CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(h, "GIF89", 5, &written, nullptr);
  ::CloseHandle(h);
  FILETIME none{};
  ASSERT_TRUE(::CommitUrlCacheEntryW(url, file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
  DWORD size = 0;
  ::GetUrlCacheEntryInfoW(url, nullptr, &size);
  ASSERT_GT(size, 0u) << "the entry is in the cache";

  DeleteUrlCacheEntries(nullptr);

  size = 0;
  EXPECT_FALSE(::GetUrlCacheEntryInfoW(url, nullptr, &size) || ::GetLastError() == ERROR_INSUFFICIENT_BUFFER);
  DeleteUrlCacheEntries(L"cookie:");  // an empty walk ends
}

TEST(IeTraces, TheRealClearingCommandComesBackEvenWhereItFails) {
  // Under Wine the command crashes; either way the caller goes on.
  EXPECT_TRUE(RunClearTracksCommand(kClearFormData, 5000));
}

TEST(IeTraces, TheClearingCommandIsStartedFromTheSystemFolder) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring s = system;
  EXPECT_EQ(ClearTracksCommandLine(kClearPasswords),
            L"\"" + s + L"\\rundll32.exe\" " + s + L"\\InetCpl.cpl,ClearMyTracksByProcess 32");
  EXPECT_EQ(ClearTracksCommandLine(kClearTempFiles).substr(ClearTracksCommandLine(kClearTempFiles).size() - 5),
            L" 4351");
}

}  // namespace
