// The ActiveX window against Distribution Units and class keys of the
// registry override, with copies of a small test server (bin/activex_control)
// in scratch folders. Wine sorts key enumeration, Windows does not: listings
// are compared as sets. HKEY_CLASSES_ROOT is not redirected by the override:
// the class keys there are made below the real one with names of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "activex/activex_inventory.h"
#include "activex/init_activex_form.h"
#include "core/app_state.h"
#include "core/language_table.h"
#include "mainwindow/vantrel_main_form.h"
#include "platform/file_system.h"
#include "platform/reg_key.h"
#include "support/registry_override.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"

namespace vantrel {
namespace {

using activex::ActiveXRow;
using platform::RegKey;
using test::ScopedRegistryOverride;
using test::ScratchFolder;
using test::ScriptedDialogs;

constexpr wchar_t kMaker[] = L"Vantrel ActiveX Makers";
const std::wstring kUnits = L"SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\";
const std::wstring kClsid = L"SOFTWARE\\Classes\\CLSID\\";
const std::wstring kExtSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\";
const std::wstring kExtStats = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\";

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring ControlDll() { return ExeFolder() + L"\\activex_control\\activex_control.dll"; }

// A class id of its own for each call, so that keys of the real
// HKEY_CLASSES_ROOT never meet those of another run.
std::wstring NewId() {
  GUID guid{};
  ::CoCreateGuid(&guid);
  wchar_t text[64] = {};
  ::StringFromGUID2(guid, text, 64);
  return text;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  RegKey key;
  return key.Open(root, path) == ERROR_SUCCESS;
}

class ActiveX : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(registry.active()); }
  void TearDown() override {
    for (const auto& id : classesRootIds) RegKey::DeleteKeyTree(HKEY_CLASSES_ROOT, L"CLSID\\" + id);
  }

  // A copy of the test server in the scratch folder.
  std::wstring CopyControl(const std::wstring& name) {
    const std::wstring path = folder.File(name);
    EXPECT_TRUE(::CopyFileW(ControlDll().c_str(), path.c_str(), FALSE)) << "missing " << ControlDll().size();
    return path;
  }

  // A downloaded control as Internet Explorer records it.
  std::wstring Register(const std::wstring& name, const std::wstring& server, const std::wstring& codebase,
                        std::wstring id = {}) {
    if (id.empty()) id = NewId();
    if (!codebase.empty())
      EXPECT_EQ(registry.Create(HKEY_LOCAL_MACHINE, kUnits + id + L"\\DownloadInformation")
                    .WriteString(L"CODEBASE", codebase),
                ERROR_SUCCESS);
    else
      registry.Create(HKEY_LOCAL_MACHINE, kUnits + id + L"\\Contains");
    EXPECT_EQ(registry.Create(HKEY_LOCAL_MACHINE, kClsid + id).WriteString(L"", name), ERROR_SUCCESS);
    EXPECT_EQ(registry.Create(HKEY_LOCAL_MACHINE, kClsid + id + L"\\InprocServer32").WriteString(L"", server),
              ERROR_SUCCESS);
    return id;
  }

  // The user's and the merged class keys of a control, with something below each.
  void AddUserAndClassKeys(const std::wstring& id) {
    registry.Create(HKEY_LOCAL_MACHINE, kClsid + id + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}");
    registry.Create(HKEY_CURRENT_USER, kExtSettings + id).WriteDword(L"Flags", 1);
    registry.Create(HKEY_CURRENT_USER, kExtStats + id + L"\\iexplore").WriteDword(L"Count", 3);
    RegKey classes;
    ASSERT_EQ(classes.Create(HKEY_CLASSES_ROOT, L"CLSID\\" + id + L"\\InprocServer32"), ERROR_SUCCESS);
    classesRootIds.push_back(id);
  }

  // Every key that the removal of `id` deletes, and which of them are there.
  std::vector<bool> KeysOf(const std::wstring& id) {
    return {KeyExists(HKEY_LOCAL_MACHINE, kUnits + id), KeyExists(HKEY_LOCAL_MACHINE, kClsid + id),
            KeyExists(HKEY_CURRENT_USER, kExtSettings + id), KeyExists(HKEY_CURRENT_USER, kExtStats + id),
            KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + id)};
  }

  static std::map<std::wstring, ActiveXRow> ById(const std::vector<ActiveXRow>& rows) {
    std::map<std::wstring, ActiveXRow> map;
    for (const auto& row : rows) map[row.UnitId] = row;
    return map;
  }

  ScopedRegistryOverride registry;
  ScratchFolder folder;
  ScriptedDialogs dialogs;
  std::vector<std::wstring> classesRootIds;
};

// ---- the list

TEST_F(ActiveX, ListsOnlyRegisteredClassesWhoseServerFileExists) {
  const std::wstring control = CopyControl(L"viewer.ocx");
  const std::wstring plain = folder.File(L"plain.dll");
  std::ofstream(plain.c_str()) << "no version information";

  const std::wstring listed = Register(L"Viewer Control", control, L"http://example.test/viewer.cab");
  const std::wstring noVersion = Register(L"Plain", plain, L"");
  // A unit whose class is not registered at all.
  registry.Create(HKEY_LOCAL_MACHINE, kUnits + NewId() + L"\\DownloadInformation").WriteString(L"CODEBASE", L"x");
  // A class without an in-process server.
  const std::wstring noServer = NewId();
  registry.Create(HKEY_LOCAL_MACHINE, kUnits + noServer);
  registry.Create(HKEY_LOCAL_MACHINE, kClsid + noServer).WriteString(L"", L"No server");
  // Servers that name no file: gone, a folder, a relative name, unexpanded
  // references, a value of another type, an empty value.
  Register(L"Gone", folder.File(L"gone.ocx"), L"");
  Register(L"Folder", folder.path(), L"");
  Register(L"Relative", L"viewer.ocx", L"");
  Register(L"Unexpanded", L"%TEMP%\\viewer.ocx", L"");
  const std::wstring dwordServer = Register(L"Dword", L"", L"");
  registry.Create(HKEY_LOCAL_MACHINE, kClsid + dwordServer + L"\\InprocServer32").WriteDword(L"", 7);
  // Values of other types where texts belong: listed, with empty texts.
  const std::wstring oddTypes = Register(L"", CopyControl(L"odd.ocx"), L"");
  registry.Create(HKEY_LOCAL_MACHINE, kClsid + oddTypes).WriteDword(L"", 1);
  registry.Create(HKEY_LOCAL_MACHINE, kUnits + oddTypes + L"\\DownloadInformation").WriteDword(L"CODEBASE", 2);

  const auto rows = ById(activex::ListActiveXControls());
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_TRUE(rows.count(listed));
  const ActiveXRow& row = rows.at(listed);
  EXPECT_EQ(row.Name, L"Viewer Control");
  EXPECT_EQ(row.Company, kMaker);
  EXPECT_EQ(row.InstallPlace, L"http://example.test/viewer.cab");
  EXPECT_EQ(row.FullPath, control);
  EXPECT_FALSE(row.CreatedDate.empty());
  ASSERT_TRUE(rows.count(noVersion));
  EXPECT_EQ(rows.at(noVersion).Company, L"");
  EXPECT_EQ(rows.at(noVersion).InstallPlace, L"");
  ASSERT_TRUE(rows.count(oddTypes));
  EXPECT_EQ(rows.at(oddTypes).Name, L"");
  EXPECT_EQ(rows.at(oddTypes).InstallPlace, L"");
  EXPECT_EQ(rows.at(oddTypes).Company, kMaker);
}

TEST_F(ActiveX, WithoutTheRecordTheWindowListsNothing) {
  EXPECT_TRUE(activex::ListActiveXControls().empty());
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  EXPECT_EQ(form.lv1->Count(), 0);
  form.btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(ActiveX, TheWindowShowsTheRowsWithTheirHiddenFields) {
  const std::wstring a = Register(L"Alpha", CopyControl(L"a.ocx"), L"http://a.test/a.cab");
  const std::wstring b = Register(L"Beta", CopyControl(L"b.ocx"), L"");
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  ASSERT_EQ(form.lv1->Count(), 2);
  ASSERT_EQ(form.UnitIds().size(), 2u);
  ASSERT_EQ(form.FullPaths().size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const bool isA = form.UnitIds()[static_cast<size_t>(i)] == a;
    EXPECT_EQ(form.lv1->ItemText(i, 0), isA ? L"Alpha" : L"Beta");
    EXPECT_EQ(form.lv1->ItemText(i, 1), kMaker);
    EXPECT_EQ(form.lv1->ItemText(i, 2), isA ? L"http://a.test/a.cab" : L"");
    EXPECT_FALSE(form.lv1->ItemText(i, 3).empty());
    EXPECT_EQ(form.FullPaths()[static_cast<size_t>(i)], folder.File(isA ? L"a.ocx" : L"b.ocx"));
    EXPECT_FALSE(form.lv1->Checked(i)) << "a new row is not ticked";
  }
  EXPECT_EQ(form.lv1->ColumnCount(), 4);
  (void)b;
}

// ---- the date column

// A local date and time as the file system keeps a creation time (UTC).
FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms = 0) {
  SYSTEMTIME local{};
  local.wYear = year, local.wMonth = month, local.wDay = day;
  local.wHour = hour, local.wMinute = minute, local.wSecond = second, local.wMilliseconds = ms;
  FILETIME localTime{}, utc{};
  EXPECT_TRUE(::SystemTimeToFileTime(&local, &localTime) && ::LocalFileTimeToFileTime(&localTime, &utc));
  return utc;
}

std::wstring ShortDate(WORD year, WORD month, WORD day) {
  SYSTEMTIME at{};
  at.wYear = year, at.wMonth = month, at.wDay = day;
  wchar_t text[128] = {};
  ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &at, nullptr, text, 128);
  return text;
}

std::wstring LongTime(WORD hour, WORD minute, WORD second) {
  SYSTEMTIME at{};
  at.wYear = 2020, at.wMonth = 1, at.wDay = 1;
  at.wHour = hour, at.wMinute = minute, at.wSecond = second;
  wchar_t text[128] = {};
  ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &at, nullptr, text, 128);
  return text;
}

TEST(ActiveXDate, TheTimeIsLeftOutAtExactlyLocalMidnight) {
  ASSERT_FALSE(ShortDate(2024, 2, 29).empty());
  struct Case {
    WORD hour, minute, second, ms;
    std::wstring expected;
  };
  const Case cases[] = {
      {0, 0, 0, 0, ShortDate(2024, 2, 29)},
      {13, 5, 9, 0, ShortDate(2024, 2, 29) + L" " + LongTime(13, 5, 9)},
      {0, 0, 0, 1, ShortDate(2024, 2, 29) + L" " + LongTime(0, 0, 0)},
      {23, 59, 59, 999, ShortDate(2024, 2, 29) + L" " + LongTime(23, 59, 59)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(activex::DateColumnText(Utc(2024, 2, 29, c.hour, c.minute, c.second, c.ms)), c.expected);
  }
  // One tick after local midnight is not midnight.
  FILETIME tick = Utc(2024, 2, 29, 0, 0, 0);
  tick.dwLowDateTime += 1;
  if (tick.dwLowDateTime == 0) tick.dwHighDateTime += 1;
  EXPECT_EQ(activex::DateColumnText(tick), ShortDate(2024, 2, 29) + L" " + LongTime(0, 0, 0));
}

TEST(ActiveXDate, ATimeNoFormatCanShowGivesNoText) {
  for (DWORD high : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x24C85A5Fu /* after 9999-12-31 */}) {
    FILETIME distant{};
    distant.dwHighDateTime = high;
    distant.dwLowDateTime = 0xFFFFFFFF;
    EXPECT_EQ(activex::DateColumnText(distant), L"") << high;
  }
  EXPECT_FALSE(activex::DateColumnText(Utc(9999, 12, 30, 12, 0, 0)).empty());
}

TEST_F(ActiveX, AFileThatCannotBeOpenedOrDatedIsListedWithoutADate) {
  const std::wstring held = CopyControl(L"held.ocx");
  const std::wstring id = Register(L"Held", held, L"");
  {
    HANDLE lock = ::CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const auto rows = ById(activex::ListActiveXControls());
    ::CloseHandle(lock);
    ASSERT_TRUE(rows.count(id));
    EXPECT_EQ(rows.at(id).CreatedDate, L"");
  }
  EXPECT_FALSE(activex::CreatedDateText(held).empty());

}

// ---- sorting

TEST_F(ActiveX, SortingMovesTheTicksAndTheHiddenFieldsWithTheRows) {
  std::map<std::wstring, std::wstring> idOf;
  for (const wchar_t* name : {L"beta", L"Alpha", L"gamma", L"Delta"})
    idOf[name] = Register(name, CopyControl(std::wstring(name) + L".ocx"), L"");
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  ASSERT_EQ(form.lv1->Count(), 4);
  for (int i = 0; i < 4; ++i) form.lv1->SetChecked(i, form.lv1->ItemText(i, 0) == L"gamma");

  auto check = [&](const std::vector<std::wstring>& names) {
    ASSERT_EQ(form.lv1->Count(), static_cast<int>(names.size()));
    for (int i = 0; i < form.lv1->Count(); ++i) {
      const std::wstring& name = names[static_cast<size_t>(i)];
      EXPECT_EQ(form.lv1->ItemText(i, 0), name);
      EXPECT_EQ(form.UnitIds()[static_cast<size_t>(i)], idOf[name]);
      EXPECT_EQ(form.FullPaths()[static_cast<size_t>(i)], folder.File(name + L".ocx"));
      EXPECT_EQ(form.lv1->Checked(i), name == L"gamma");
    }
  };
  form.lv1ColumnClick(0);
  check({L"Alpha", L"beta", L"Delta", L"gamma"});
  EXPECT_EQ(form.lv1->ColumnCaption(0), L"ActiveX 이름 \u25B2");
  form.lv1ColumnClick(0);
  check({L"gamma", L"Delta", L"beta", L"Alpha"});
  EXPECT_EQ(form.lv1->ColumnCaption(0), L"ActiveX 이름 \u25BC");
}

TEST_F(ActiveX, TheDateColumnSortsByItsText) {
  // The order is the order of the texts in the user's format, not of the
  // dates: 9 January 2021 and 10 February 2020 change places in formats that
  // start with the month or the day.
  const FILETIME dates[] = {Utc(2021, 1, 9, 0, 0, 0), Utc(2020, 2, 10, 0, 0, 0), Utc(2022, 11, 3, 8, 0, 0)};
  for (int i = 0; i < 3; ++i) Register(L"c" + std::to_wstring(i), CopyControl(std::to_wstring(i) + L".ocx"), L"");
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  ASSERT_EQ(form.lv1->Count(), 3);
  std::vector<std::wstring> texts;
  for (int i = 0; i < 3; ++i) {
    texts.push_back(activex::DateColumnText(dates[i]));
    form.lv1->SetItemText(i, 3, texts.back());
  }
  form.lv1ColumnClick(3);
  std::sort(texts.begin(), texts.end());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(form.lv1->ItemText(i, 3), texts[static_cast<size_t>(i)]);
}

// ---- removal

TEST_F(ActiveX, NothingTickedAsksToSelectAndChangesNothing) {
  const std::wstring control = CopyControl(L"kept.ocx");
  const std::wstring id = Register(L"Kept", control, L"");
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  form.btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, form.MsgDel1());
  EXPECT_EQ(dialogs.messages[0].caption, kProgramTitle);
  EXPECT_EQ(dialogs.messages[0].type & 0xF, static_cast<UINT>(MB_OK));
  EXPECT_EQ(form.lv1->Count(), 1);
  EXPECT_TRUE(platform::FileExists(control));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUnits + id));
}

TEST_F(ActiveX, AnsweringNoChangesNothing) {
  const std::wstring control = CopyControl(L"kept.ocx");
  const std::wstring id = Register(L"Kept", control, L"");
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  form.btnAllCheckClick();
  dialogs.Answer(IDNO);
  form.btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, form.MsgDel2());
  EXPECT_EQ(dialogs.messages[0].caption, form.Caption());
  EXPECT_EQ(dialogs.messages[0].owner, form.hwnd());
  EXPECT_EQ(form.lv1->Count(), 1);
  EXPECT_TRUE(form.lv1->Checked(0));
  EXPECT_TRUE(platform::FileExists(control));
  EXPECT_FALSE(platform::FileExists(control + L".unregistered"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kClsid + id));
}

TEST_F(ActiveX, TickedControlsAreUnregisteredDeletedAndTheirKeysRemoved) {
  const std::wstring first = CopyControl(L"first.ocx"), second = CopyControl(L"second.ocx"),
                     kept = CopyControl(L"kept.ocx");
  const std::wstring a = Register(L"First", first, L"http://a.test/"), b = Register(L"Second", second, L""),
                     k = Register(L"Kept", kept, L"");
  for (const auto& id : {a, b, k}) AddUserAndClassKeys(id);
  ASSERT_EQ(KeysOf(a), std::vector<bool>(5, true));

  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  form.btnAllCheckClick();
  for (int i = 0; i < form.lv1->Count(); ++i)
    if (form.UnitIds()[static_cast<size_t>(i)] == k) form.lv1->SetChecked(i, false);
  dialogs.Answer(IDYES);
  form.btnDelClick();

  for (const auto& [id, file] : {std::pair{a, first}, std::pair{b, second}}) {
    EXPECT_TRUE(platform::FileExists(file + L".unregistered")) << "regsvr32 /u ran on " << file.size();
    EXPECT_FALSE(platform::FileExists(file));
    EXPECT_EQ(KeysOf(id), std::vector<bool>(5, false));
  }
  EXPECT_TRUE(platform::FileExists(kept));
  EXPECT_FALSE(platform::FileExists(kept + L".unregistered"));
  EXPECT_EQ(KeysOf(k), std::vector<bool>(5, true));
  ASSERT_EQ(form.lv1->Count(), 1);
  EXPECT_EQ(form.lv1->ItemText(0, 0), L"Kept");
  EXPECT_EQ(form.UnitIds(), std::vector<std::wstring>{k});
  EXPECT_EQ(form.FullPaths(), std::vector<std::wstring>{kept});
  EXPECT_TRUE(dialogs.opened.empty()) << "regsvr32 was started directly";
  // The bases the keys were deleted from stay.
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kExtSettings));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUnits));
}

TEST_F(ActiveX, ARowWhoseKeysAreGoneStillLosesItsFileAndLeavesTheList) {
  const std::wstring control = CopyControl(L"orphan.ocx");
  const std::wstring id = Register(L"Orphan", control, L"");
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  ASSERT_EQ(form.lv1->Count(), 1);
  RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUnits + id);
  RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, kClsid + id);
  form.lv1->SetChecked(0, true);
  dialogs.Answer(IDYES);
  form.btnDelClick();
  EXPECT_FALSE(platform::FileExists(control));
  EXPECT_EQ(form.lv1->Count(), 0);
  EXPECT_TRUE(form.UnitIds().empty());
  EXPECT_TRUE(form.FullPaths().empty());
}

TEST_F(ActiveX, AReadOnlyOrMissingFileDoesNotStopTheRemoval) {
  const std::wstring readOnly = CopyControl(L"readonly.ocx"), gone = CopyControl(L"gone.ocx");
  const std::wstring r = Register(L"ReadOnly", readOnly, L""), g = Register(L"Gone", gone, L"");
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  ASSERT_EQ(form.lv1->Count(), 2);
  ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(::DeleteFileW(gone.c_str()));
  form.btnAllCheckClick();
  dialogs.Answer(IDYES);
  form.btnDelClick();
  EXPECT_EQ(form.lv1->Count(), 0);
  EXPECT_EQ(KeysOf(r), std::vector<bool>(5, false));
  EXPECT_EQ(KeysOf(g), std::vector<bool>(5, false));
  ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// An Internet Explorer frame of this process that closes when asked.
struct TestFrame {
  TestFrame() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"IEFrame";
    ::RegisterClassW(&wc);
    hwnd = ::CreateWindowExW(0, L"IEFrame", L"browser", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
  }
  ~TestFrame() {
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    ::UnregisterClassW(L"IEFrame", ::GetModuleHandleW(nullptr));
  }
  HWND hwnd;
};

TEST_F(ActiveX, InternetExplorerIsClosedOnlyWhenTheRemovalIsConfirmed) {
  Register(L"Control", CopyControl(L"c.ocx"), L"");
  TestFrame frame;
  ASSERT_TRUE(frame.hwnd);
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  form.btnAllCheckClick();
  dialogs.Answer(IDNO);
  form.btnDelClick();
  EXPECT_TRUE(::IsWindow(frame.hwnd));
  dialogs.Answer(IDYES);
  form.btnDelClick();
  EXPECT_FALSE(::IsWindow(frame.hwnd));
  EXPECT_EQ(form.lv1->Count(), 0);
}

// The main window's ActiveX button shows the window modally, owned by it.
HWND g_mainWindow = nullptr;
bool g_foundOwned = false, g_mainDisabled = false;
void CALLBACK CloseActiveXWindow(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND tool = ::FindWindowW(TInitActiveXForm::kClassName, nullptr);
  if (!tool || !::IsWindowVisible(tool)) return;
  ::KillTimer(nullptr, timer);
  g_foundOwned = ::GetWindow(tool, GW_OWNER) == g_mainWindow;
  g_mainDisabled = !::IsWindowEnabled(g_mainWindow);
  ::PostMessageW(tool, WM_CLOSE, 0, 0);
}

TEST_F(ActiveX, TheMainWindowsButtonOpensTheWindowModally) {
  const std::wstring id = Register(L"Control", CopyControl(L"c.ocx"), L"");
  {
    TVantrelMainForm main(folder.File(L"Vantrel.ini"));
    ASSERT_TRUE(main.Create());
    g_mainWindow = main.hwnd();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseActiveXWindow);
    main.btnInitActXClick();
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(g_foundOwned);
    EXPECT_TRUE(g_mainDisabled);
    EXPECT_TRUE(::IsWindowEnabled(main.hwnd()));
    EXPECT_FALSE(::FindWindowW(TInitActiveXForm::kClassName, nullptr)) << "the window is destroyed when it closes";
  }
  ui::PumpPendingMessages();
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUnits + id)) << "closing removes nothing";
}

// ---- what a removal must never reach

TEST(ActiveXKeys, OnlyAPlainKeyNameIsDeleted) {
  ScopedRegistryOverride registry;
  ASSERT_TRUE(registry.active());
  registry.Create(HKEY_CURRENT_USER, kExtSettings + L"{keep}\\sub");
  for (const wchar_t* name : {L"", L"{keep}\\sub", L"\\"}) activex::DelRegistryKey(HKEY_CURRENT_USER, L"\\" + kExtSettings, name);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kExtSettings + L"{keep}\\sub"));
  activex::DelRegistryKey(HKEY_CURRENT_USER, L"\\" + kExtSettings.substr(0, kExtSettings.size() - 1), L"{keep}");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kExtSettings + L"{keep}"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kExtSettings));
}

// The kernel's name of a key ("\REGISTRY\USER\..."), as a link stores it.
std::wstring KernelKeyName(HKEY key) {
  using NtQueryKeyFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<NtQueryKeyFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
  if (!query) return {};
  std::vector<BYTE> buffer(4096);
  ULONG got = 0;
  if (query(key, 3 /* KeyNameInformation */, buffer.data(), static_cast<ULONG>(buffer.size()), &got) < 0) return {};
  const ULONG length = *reinterpret_cast<ULONG*>(buffer.data());
  return std::wstring(reinterpret_cast<wchar_t*>(buffer.data() + sizeof(ULONG)), length / sizeof(wchar_t));
}

// Makes `path` below HKCU a registry link to `target`; false where links cannot be made.
bool MakeKeyLink(const std::wstring& path, HKEY target) {
  const std::wstring name = KernelKeyName(target);
  if (name.empty()) return false;
  HKEY link = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = ::RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(name.data()),
                                   static_cast<DWORD>(name.size() * sizeof(wchar_t)));
  ::RegCloseKey(link);
  return rc == ERROR_SUCCESS;
}

TEST(ActiveXKeys, ALinkBelowAUserKeyIsRemovedAsALinkAndItsTargetKept) {
  ScopedRegistryOverride registry;
  ASSERT_TRUE(registry.active());
  const std::wstring id = NewId();
  RegKey target = registry.Create(HKEY_CURRENT_USER, L"Software\\Elsewhere\\Precious");
  ASSERT_TRUE(target.valid());
  target.WriteDword(L"Value", 5);
  registry.Create(HKEY_CURRENT_USER, L"Software\\Elsewhere\\Precious\\Child");
  // The control's Settings entry is a link; its Stats entry holds one.
  registry.Create(HKEY_CURRENT_USER, kExtStats + id + L"\\iexplore");
  const bool linked = MakeKeyLink(kExtSettings + id, target.get()) && MakeKeyLink(kExtStats + id + L"\\deep", target.get());
  RegKey through;
  DWORD value = 0;
  if (!linked || through.Open(HKEY_CURRENT_USER, kExtSettings + id) != ERROR_SUCCESS ||
      !through.ReadDword(L"Value", &value) || value != 5)
    GTEST_SKIP() << "this registry makes no links";
  through.Close();

  activex::DelActiveXRegistry(id);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kExtStats + id));
  RegKey precious;
  ASSERT_EQ(precious.Open(HKEY_CURRENT_USER, L"Software\\Elsewhere\\Precious"), ERROR_SUCCESS);
  EXPECT_TRUE(precious.ReadDword(L"Value", &value));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Elsewhere\\Precious\\Child"));
  precious.Close();
  target.Close();
  // The link itself is gone (or, where links cannot be deleted, still a link).
  HKEY left = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, (kExtSettings + id).c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &left) ==
      ERROR_SUCCESS) {
    ::RegDeleteValueW(left, L"SymbolicLinkValue");
    ::RegCloseKey(left);
    ADD_FAILURE() << "the link was left";
  }
}

TEST(ActiveXFiles, AFileIsDeletedOnlyByAFullyQualifiedPathThroughRealFolders) {
  ScratchFolder folder, elsewhere;
  const std::wstring inside = folder.File(L"x.ocx");
  std::ofstream(inside.c_str()) << "x";
  for (const std::wstring& path : {std::wstring(L"x.ocx"), folder.path() + L"\\..\\" + L"x.ocx",
                                   folder.path() + L"\\.\\x.ocx", std::wstring(L"\\x.ocx")})
    EXPECT_FALSE(activex::DeleteServerFile(path)) << path.size();
  EXPECT_TRUE(platform::FileExists(inside));
  EXPECT_TRUE(activex::DeleteServerFile(inside));
  EXPECT_FALSE(platform::FileExists(inside));
  EXPECT_FALSE(activex::DeleteServerFile(inside));
}

TEST(ActiveXFiles, AFolderLinkOnTheWayIsNotFollowed) {
  ScratchFolder folder, elsewhere;
  const std::wstring victim = elsewhere.File(L"x.ocx");
  std::ofstream(victim.c_str()) << "precious";
  const std::wstring link = folder.File(L"link");
  if (!::CreateSymbolicLinkW(link.c_str(), elsewhere.path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      !platform::IsReparsePoint(link))
    GTEST_SKIP() << "this system makes no folder links";
  EXPECT_FALSE(activex::DeleteServerFile(link + L"\\x.ocx"));
  EXPECT_TRUE(platform::FileExists(victim));
  ::RemoveDirectoryW(link.c_str());
}

// ---- texts

TEST(ActiveXTexts, CaptionsAndMessagesComeFromTheTableWithKoreanDefaults) {
  ScratchFolder folder;
  const std::wstring path = folder.File(L"Vantrel.dat");
  {
    std::ofstream file(path.c_str(), std::ios::binary);
    file << "[InitActiveXForm]\r\nInitActiveXForm=Initialize ActiveX\r\nbtnAllUncheck=Uncheck All\r\n"
            "btnAllCheck=Check All\r\nbtnDel=Delete selected items\r\nbtnCancel=Close\r\n"
            "lv1.Columns.Items[0]=ActiveX Name\r\nlv1.Columns.Items[3]=produced date\r\n"
            "Msg_Del2=Line one#13#10#13#10Line two\r\n";
  }
  SetCurrentLanguageTable(LanguageTable::Open(path, 1252));
  ASSERT_TRUE(CurrentLanguageTable());
  test::ScopedRegistryOverride registry;
  std::wstring caption, check, uncheck, del, cancel, msg1, msg2;
  std::vector<std::wstring> columns;
  {
    TInitActiveXForm form(nullptr);
    ASSERT_TRUE(form.Create());
    caption = form.Caption();
    check = form.btnAllCheck->Text(), uncheck = form.btnAllUncheck->Text();
    del = form.btnDel->Text(), cancel = form.btnCancel->Text();
    for (int c = 0; c < 4; ++c) columns.push_back(form.lv1->ColumnCaption(c));
    msg1 = form.MsgDel1(), msg2 = form.MsgDel2();
  }
  SetCurrentLanguageTable(nullptr);
  EXPECT_EQ(caption, L"Initialize ActiveX");
  EXPECT_EQ(check, L"Check All");
  EXPECT_EQ(uncheck, L"Uncheck All");
  EXPECT_EQ(del, L"Delete selected items");
  EXPECT_EQ(cancel, L"Close");
  EXPECT_EQ(columns, (std::vector<std::wstring>{L"ActiveX Name", L"제작사", L"설치 장소", L"produced date"}));
  EXPECT_EQ(msg1, L"삭제할 ActiveX를 선택하세요.");
  EXPECT_EQ(msg2, L"Line one\r\n\r\nLine two");
}

TEST(ActiveXWindow, IsResizableDownToItsSmallestSize) {
  test::ScopedRegistryOverride registry;
  TInitActiveXForm form(nullptr);
  ASSERT_TRUE(form.Create());
  RECT client{};
  ::GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, ui::Scale(854));
  EXPECT_EQ(client.bottom, ui::Scale(399));
  EXPECT_TRUE(::GetWindowLongW(form.hwnd(), GWL_STYLE) & WS_THICKFRAME);
  ::SetWindowPos(form.hwnd(), nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOMOVE);
  const RECT outer = form.WindowRectPx();
  EXPECT_EQ(outer.right - outer.left, ui::Scale(600));
  EXPECT_EQ(outer.bottom - outer.top, ui::Scale(300));
  // The bar keeps its height and the list fills the rest.
  EXPECT_EQ(form.pnl2->HeightPx(), ui::Scale(40));
  ::GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(form.lv1->HeightPx(), client.bottom - ui::Scale(40));
  EXPECT_EQ(form.pnlLowRight->BoundsPx().right, client.right);
  // Tab order: the list, then the buttons from the left.
  std::vector<HWND> order;
  HWND at = nullptr;
  for (int i = 0; i < 5; ++i) order.push_back(at = ::GetNextDlgTabItem(form.hwnd(), at, FALSE));
  EXPECT_EQ(order, (std::vector<HWND>{form.lv1->hwnd(), form.btnAllCheck->hwnd(), form.btnAllUncheck->hwnd(),
                                      form.btnDel->hwnd(), form.btnCancel->hwnd()}));
}

}  // namespace
}  // namespace vantrel
