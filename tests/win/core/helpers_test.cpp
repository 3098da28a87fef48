#include <winsock2.h>  // before <windows.h>

#include "core/helpers.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/os_version.h"
#include "platform/reg_key.h"
#include "support/child_role.h"
#include "support/process_driver.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"

namespace vantrel {
namespace {

using test::ChildProcess;
using test::ScratchFolder;
using test::ScriptedDialogs;

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool IsFolder(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

void WriteFile(const std::wstring& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot create test file";
  DWORD written = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(h);
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring PersonalFolderNow() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, path))) return {};
  std::wstring p = path;
  while (!p.empty() && p.back() == L'\\') p.pop_back();
  return p;
}

// Moves an existing folder aside for a test and puts it back afterwards.
class FolderAside {
 public:
  explicit FolderAside(std::wstring path) : path_(std::move(path)), aside_(path_ + L".aside") {
    if (Exists(path_)) moved_ = ::MoveFileW(path_.c_str(), aside_.c_str()) != 0;
  }
  ~FolderAside() {
    test::RemoveTree(path_);
    if (moved_) ::MoveFileW(aside_.c_str(), path_.c_str());
  }

 private:
  std::wstring path_, aside_;
  bool moved_ = false;
};

// --- Paths -------------------------------------------------------------------

TEST(DataFolder, IsCreatedHiddenBelowTheDocumentsFolderAndKeptWhenPresent) {
  const std::wstring personal = PersonalFolderNow();
  ASSERT_FALSE(personal.empty());
  const std::wstring expected = personal + L"\\Vantrel";
  FolderAside aside(expected);
  ASSERT_FALSE(Exists(expected));

  EXPECT_EQ(GetDataFolder(), expected);  // one backslash, none at the end
  ASSERT_TRUE(IsFolder(expected));
  EXPECT_TRUE(Attributes(expected) & FILE_ATTRIBUTE_HIDDEN);

  // An existing folder is not changed.
  ::SetFileAttributesW(expected.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetDataFolder(), expected);
  EXPECT_FALSE(Attributes(expected) & FILE_ATTRIBUTE_HIDDEN);

  EXPECT_EQ(GetRecoveryIniPath(), expected + L"\\Recovery.ini");
  EXPECT_FALSE(Exists(expected + L"\\Recovery.ini"));
  EXPECT_EQ(GetDatFolder(), expected + L"\\dat");
  EXPECT_TRUE(IsFolder(expected + L"\\dat"));
  EXPECT_TRUE(Attributes(expected + L"\\dat") & FILE_ATTRIBUTE_HIDDEN);
}

// Points the documents folder of this user somewhere else while alive.
class PersonalFolderRedirect {
 public:
  explicit PersonalFolderRedirect(const std::wstring& target) {
    had_ = key_.Create(HKEY_CURRENT_USER, kKey) == ERROR_SUCCESS && key_.ReadRaw(L"Personal", &old_, &type_);
    key_.WriteString(L"Personal", target);
  }
  ~PersonalFolderRedirect() {
    if (had_)
      key_.WriteRaw(L"Personal", type_, old_.data(), static_cast<DWORD>(old_.size()));
    else
      key_.DeleteValue(L"Personal");
  }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  platform::RegKey key_;
  std::vector<BYTE> old_;
  DWORD type_ = REG_SZ;
  bool had_ = false;
};

TEST(DataFolder, IsEmptyWhenTheDocumentsFolderCannotBeResolved) {
  ScratchFolder scratch;
  const std::wstring missing = scratch.File(L"gone\\Documents");
  PersonalFolderRedirect redirect(missing);
  const std::wstring data = GetDataFolder();
  if (!data.empty()) {
    // Where the system still names the missing folder, it is made with its parents.
    EXPECT_EQ(data, missing + L"\\Vantrel");
    EXPECT_TRUE(IsFolder(data) && (Attributes(data) & FILE_ATTRIBUTE_HIDDEN));
    return;
  }
  EXPECT_EQ(GetRecoveryIniPath(), L"");
  EXPECT_EQ(GetDatFolder(), L"");
  EXPECT_FALSE(Exists(scratch.File(L"gone")));  // nothing created
}

TEST(DataFolder, ProgramFolderEndsWithABackslash) {
  const std::wstring folder = GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_TRUE(Exists(folder + L"win_core_tests.exe"));
}

// --- Resource extraction -----------------------------------------------------

const std::string kPayload = "Vantrel test payload\r\nsecond line";

TEST(ExtractResourceToFile, WritesTheResourceAndReplacesAnOlderFile) {
  ScriptedDialogs dialogs;
  ScratchFolder scratch;
  const std::wstring target = scratch.File(L"payload.bin");
  WriteFile(target, std::string(500, 'x'));  // longer than the resource: must be truncated
  EXPECT_TRUE(ExtractResourceToFile(201, L"100", target));
  EXPECT_EQ(ReadFile(target), kPayload);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(ExtractResourceToFile, ReportsEachFailureInAMessageBox) {
  ScratchFolder scratch;
  struct Case {
    const char* name;
    int id;
    const wchar_t* type;
    std::wstring target;
    const wchar_t* prefix;
  };
  const Case cases[] = {
      {"missing id", 999, L"100", scratch.File(L"a.bin"), L"FindResource Fail : "},
      {"numeric type 100 is another type", 201, MAKEINTRESOURCEW(100), scratch.File(L"b.bin"),
       L"FindResource Fail : "},
      {"empty resource", 202, L"100", scratch.File(L"c.bin"), L"SizeofResource Fail : "},
      {"folder does not exist", 201, L"100", scratch.File(L"no such folder\\d.bin"), L"File create fail : "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(ExtractResourceToFile(c.id, c.type, c.target));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const auto& shown = dialogs.messages[0];
    EXPECT_EQ(shown.text.rfind(c.prefix, 0), 0u) << std::string(shown.text.begin(), shown.text.end());
    EXPECT_GT(shown.text.size(), wcslen(c.prefix));  // followed by the reason
    EXPECT_EQ(shown.caption, kProgramTitle);
    EXPECT_EQ(shown.type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_FALSE(Exists(c.target));
  }
}

TEST(ExtractResourceToFile, NamesTheTargetWhenItCannotBeCreated) {
  ScriptedDialogs dialogs;
  ScratchFolder scratch;
  const std::wstring target = scratch.File(L"missing\\x.dat");
  EXPECT_FALSE(ExtractResourceToFile(201, L"100", target));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find(target), std::wstring::npos);
}

// --- Commands and windows ----------------------------------------------------

TEST(RunCommand, StartsAndWaitsForTheProgram) {
  ScriptedDialogs dialogs;
  ScratchFolder scratch;
  const std::wstring marker = scratch.File(L"ran.txt");
  EXPECT_TRUE(RunCommand(L"cmd.exe /c echo ran> \"" + marker + L"\"", SW_HIDE, true, 20000));
  EXPECT_TRUE(Exists(marker));  // written before RunCommand returned
  EXPECT_TRUE(dialogs.opened.empty());
}

TEST(RunCommand, AConsoleProgramWithoutAConsoleStillRuns) {
  ScriptedDialogs dialogs;
  ScratchFolder scratch;
  const std::wstring marker = scratch.File(L"ran.txt");
  EXPECT_TRUE(RunCommand(L"cmd.exe /c echo ran> \"" + marker + L"\"", SW_HIDE, true, 20000, CREATE_NO_WINDOW));
  EXPECT_TRUE(Exists(marker));
  EXPECT_TRUE(dialogs.opened.empty());
}

TEST(RunCommand, HandsAnUnstartableCommandToTheShell) {
  ScriptedDialogs dialogs;
  const std::wstring command = L"C:\\no such folder\\nothing.exe /x";
  EXPECT_FALSE(RunCommand(command, SW_SHOWNORMAL, true, 1000));
  ASSERT_EQ(dialogs.opened.size(), 1u);
  EXPECT_EQ(dialogs.opened[0], command);  // the whole command, no parameters
  // One quoted path (a shortcut): the shell gets the path itself.
  EXPECT_FALSE(RunCommand(L"\"C:\\no such folder\\a b.lnk\"", SW_SHOWNORMAL, false, 1000));
  ASSERT_EQ(dialogs.opened.size(), 2u);
  EXPECT_EQ(dialogs.opened[1], L"C:\\no such folder\\a b.lnk");
}

ChildProcess StartRole(const std::wstring& role) {
  return ChildProcess::Start(test::OwnExePath(), std::wstring(test::kChildRoleSwitch) + role);
}

TEST(CloseWindowOrKill, LeavesTheProcessOfAWindowThatClosesAlone) {
  ChildProcess child = StartRole(L"closing-window");
  ASSERT_TRUE(child.valid());
  HWND window = test::WaitForTopLevelWindow(L"VantrelTestClosing", child.id(), 20000);
  ASSERT_NE(window, nullptr);
  CloseWindowOrKill(window);
  DWORD code = 0;
  ASSERT_TRUE(child.WaitForExit(20000, &code));
  EXPECT_EQ(code, 7u);  // ended by itself after its window closed
}

TEST(CloseWindowOrKill, EndsTheProcessOfAHungWindow) {
  ChildProcess child = StartRole(L"hung-window");
  ASSERT_TRUE(child.valid());
  HWND window = test::WaitForTopLevelWindow(L"VantrelTestHung", child.id(), 20000);
  ASSERT_NE(window, nullptr);
  const ULONGLONG start = ::GetTickCount64();
  CloseWindowOrKill(window);
  DWORD code = 99;
  ASSERT_TRUE(child.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);  // TerminateProcess with exit code 0
  EXPECT_LT(::GetTickCount64() - start, 10000u);
}

// --- Version information, screen, network ------------------------------------

TEST(GetFileVersionText, ReadsValuesOfTheFirstTranslation) {
  const std::wstring own = test::OwnExePath();
  EXPECT_EQ(GetFileVersionText(own, L"CompanyName"), L"Vantrel Test Makers");
  EXPECT_EQ(GetFileVersionText(own, L"FileVersion"), L"2.3.4.5");
  EXPECT_EQ(GetFileVersionText(own, L"NoSuchValue"), L"");

  ScratchFolder scratch;
  WriteFile(scratch.File(L"plain.txt"), "no version here");
  EXPECT_EQ(GetFileVersionText(scratch.File(L"plain.txt"), L"CompanyName"), L"");
  EXPECT_EQ(GetFileVersionText(scratch.File(L"missing.exe"), L"CompanyName"), L"");
}

TEST(CenterOnScreen, CentresOnTheWholePrimaryScreen) {
  HDC dc = ::GetDC(::GetDesktopWindow());
  const int width = ::GetDeviceCaps(dc, HORZRES), height = ::GetDeviceCaps(dc, VERTRES);
  ::ReleaseDC(::GetDesktopWindow(), dc);
  const POINT centred = CenterOnScreen(width - 100, height - 51);
  EXPECT_EQ(centred.x, 50);
  EXPECT_EQ(centred.y, 25);
  // Wider and higher than the screen: negative, truncated toward zero.
  const POINT over = CenterOnScreen(width + 101, height + 3);
  EXPECT_EQ(over.x, -50);
  EXPECT_EQ(over.y, -1);
}

TEST(GetLocalIpAddress, GivesADottedAddress) {
  const std::wstring ip = GetLocalIpAddress();
  ASSERT_FALSE(ip.empty());
  const std::string narrow(ip.begin(), ip.end());
  EXPECT_NE(::inet_addr(narrow.c_str()), INADDR_NONE) << narrow;
  EXPECT_EQ(std::count(narrow.begin(), narrow.end(), '.'), 3);
  EXPECT_EQ(GetLocalIpAddress(), ip);  // Winsock stays initialised
}

// --- Emptying folders --------------------------------------------------------

TEST(EmptyFolder, RemovesEverythingInsideButAReadOnlyFile) {
  ScratchFolder scratch;
  const std::wstring folder = scratch.File(L"cache");
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  WriteFile(folder + L"\\plain.txt", "a");
  WriteFile(folder + L"\\hidden.txt", "b");
  ::SetFileAttributesW((folder + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  WriteFile(folder + L"\\locked.txt", "c");
  ::SetFileAttributesW((folder + L"\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(::CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW((folder + L"\\sub\\deeper").c_str(), nullptr));
  WriteFile(folder + L"\\sub\\deeper\\x.txt", "d");
  ::SetFileAttributesW((folder + L"\\sub").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);

  EXPECT_TRUE(EmptyFolder(folder));
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_FALSE(Exists(folder + L"\\plain.txt"));
  EXPECT_FALSE(Exists(folder + L"\\hidden.txt"));
  EXPECT_FALSE(Exists(folder + L"\\sub"));
  EXPECT_TRUE(Exists(folder + L"\\locked.txt"));  // cannot be deleted: stays, and the result is still true
  ::SetFileAttributesW((folder + L"\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(EmptyFolder, EmptyFolderAndTrailingBackslashAreFine) {
  ScratchFolder scratch;
  EXPECT_TRUE(EmptyFolder(scratch.path()));
  WriteFile(scratch.File(L"a.txt"), "a");
  EXPECT_TRUE(EmptyFolder(scratch.path() + L"\\"));
  EXPECT_FALSE(Exists(scratch.File(L"a.txt")));
}

TEST(EmptyFolder, RefusesMissingEmptyRelativeAndRootPaths) {
  // A marker at the root of the current drive and in the current folder must survive.
  ScratchFolder scratch;
  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, current);
  ASSERT_TRUE(::SetCurrentDirectoryW(scratch.path().c_str()));
  const std::wstring drive = scratch.path().substr(0, 3);  // "C:\"
  const std::wstring rootMarker = drive + L"vt_root_marker_" + std::to_wstring(::GetCurrentProcessId()) + L".txt";
  WriteFile(rootMarker, "keep");
  ASSERT_TRUE(::CreateDirectoryW(scratch.File(L"sub").c_str(), nullptr));
  WriteFile(scratch.File(L"sub\\keep.txt"), "keep");
  WriteFile(scratch.File(L"keep.txt"), "keep");
  const std::wstring rootRelative = scratch.path().substr(2);  // "\users\...\vt..."

  for (const std::wstring& path : {std::wstring(L""), std::wstring(L"\\"), std::wstring(L"."),
                                   std::wstring(L"sub"), rootRelative, drive, drive.substr(0, 2),
                                   scratch.File(L"does not exist")}) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    EXPECT_FALSE(EmptyFolder(path));
  }
  EXPECT_TRUE(Exists(rootMarker));
  EXPECT_TRUE(Exists(scratch.File(L"sub\\keep.txt")));
  EXPECT_TRUE(Exists(scratch.File(L"keep.txt")));
  ::SetCurrentDirectoryW(current);
  ::DeleteFileW(rootMarker.c_str());
}

TEST(EmptyFolder, RemovesALinkedFolderWithoutEmptyingItsTarget) {
  ScratchFolder outside, scratch;
  WriteFile(outside.File(L"precious.txt"), "keep");
  const std::wstring link = scratch.File(L"link");
  if (!::CreateSymbolicLinkW(link.c_str(), outside.path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
    GTEST_SKIP() << "folder links cannot be made here (" << ::GetLastError() << ")";
  if (!(Attributes(link) & FILE_ATTRIBUTE_REPARSE_POINT)) GTEST_SKIP() << "the link is not a reparse point here";
  EXPECT_TRUE(EmptyFolder(scratch.path()));
  EXPECT_TRUE(Exists(outside.File(L"precious.txt")));
  EXPECT_FALSE(Exists(link));
}

// --- Version and language of the running system -------------------------------

TEST(GetOsVersionCode, MatchesTheSystemThisTestRunsOn) {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)));
  const int code = GetOsVersionCode();
  EXPECT_EQ(code, ClassifyOsVersion({info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                                     info.dwBuildNumber, info.szCSDVersion, info.wProductType}));
}

// Wine reads a per-program Windows version from its AppDefaults key; a copy
// of this program under its own name reports the code it sees as exit code.
class PerProgramWindowsVersion {
 public:
  PerProgramWindowsVersion(const ScratchFolder& folder, const std::wstring& version)
      : exe_(folder.File(L"vtosprobe" + std::to_wstring(::GetCurrentProcessId()) + L".exe")) {
    ::CopyFileW(test::OwnExePath().c_str(), exe_.c_str(), FALSE);
    key_ = L"Software\\Wine\\AppDefaults\\" + exe_.substr(exe_.find_last_of(L'\\') + 1);
    platform::RegKey k;
    if (!version.empty() && k.Create(HKEY_CURRENT_USER, key_) == ERROR_SUCCESS) k.WriteString(L"Version", version);
  }
  ~PerProgramWindowsVersion() { ::RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str()); }
  const std::wstring& exe() const { return exe_; }

 private:
  std::wstring exe_, key_;
};

DWORD RunProbe(const std::wstring& exe, const std::wstring& role) {
  ChildProcess child = ChildProcess::Start(exe, std::wstring(test::kChildRoleSwitch) + role);
  DWORD code = 999;
  if (!child.valid() || !child.WaitForExit(30000, &code)) return 998;
  return code;
}

TEST(GetOsVersionCode, ClassifiesWhatWineReportsForEachWindowsVersion) {
  ScratchFolder scratch;
  // This Wine reports a server product type for its per-program "win7" and a
  // workstation for "win2008r2" (the two are swapped), so 6.1 is checked
  // through the prefix's own setting (Windows 7) instead.
  const struct {
    const wchar_t* version;  // empty: no per-program setting
    int code;
  } cases[] = {
      {L"win2k", kOsWin2000}, {L"winxp", kOsWinXp},        {L"win2003", kOsServer2003},
      {L"vista", kOsVista},   {L"win2008", kOsServer2008}, {L"win10", kOsWin7},  // reported as 6.2
      {L"", kOsWin7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.version, c.version + wcslen(c.version)));
    PerProgramWindowsVersion probe(scratch, c.version);
    EXPECT_EQ(RunProbe(probe.exe(), L"os-version"), static_cast<DWORD>(c.code));
  }
}

}  // namespace
}  // namespace vantrel
