// The start-up program window in-process: Run keys of the registry override
// (both machine views), scratch Startup folders, a scratch recovery store and
// settings file, and a task bridge double in place of Schedlet.dll.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/app_state.h"
#include "core/os_version.h"
#include "platform/reg_key.h"
#include "recovery/recovery_store.h"
#include "startup/start_program_form.h"
#include "startup/startup_auto_reset.h"
#include "support/registry_override.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "ui/scale.h"
#include "ui/window.h"

namespace vantrel {
namespace {

using platform::RegKey;
using recovery::RecoveryRecord;
using test::ScopedRegistryOverride;
using test::ScratchFolder;
using test::ScriptedDialogs;

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kSetText = L"Setup";
const std::wstring kCancelText = L"Cancel";
const std::wstring kMachine = std::wstring(kMachineRunLocation);
const std::wstring kMachine64 = std::wstring(kMachineRun64Location);
const std::wstring kUser = std::wstring(kUserRunLocation);
const std::wstring kFolder = std::wstring(kStartupLocation);

class FakeHost final : public ui::ToolHost {
 public:
  unsigned family = kFamilyWin7;
  bool topMost = false;
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return family; }
  bool TopMost() const override { return topMost; }
  std::wstring ToggleCaption() const override { return L"Vantrel ON"; }
  std::wstring ExceptSetText() const override { return kSetText; }
  std::wstring ExceptCancelText() const override { return kCancelText; }
};

// The scheduled tasks of a pretend root folder, with the bridge's outcomes:
// a deleted task's definition goes to its backup path first; a task named in
// `kept` survives and is reported with the bridge's -8.
struct FakeTasks {
  struct Task {
    std::wstring command, arguments;
  };
  std::map<std::wstring, Task> tasks;
  std::vector<std::wstring> kept;
  std::vector<std::wstring> deleteCalls;
  std::vector<size_t> recordsAtDelete;  // SCHEDULERE records in the store at each call
  const recovery::RecoveryStore* store = nullptr;

  TaskBridge Bridge() {
    TaskBridge bridge;
    bridge.listText = [this]() -> std::optional<std::wstring> {
      std::wstring text;
      for (const auto& [name, task] : tasks) {
        if (!text.empty()) text += L";;";
        text += name + L"||" + task.command + L"||" + (task.arguments.empty() ? L"NONE" : task.arguments);
      }
      return text;
    };
    bridge.deleteTask = [this](const std::wstring& name, const std::wstring& backup) -> std::optional<int> {
      deleteCalls.push_back(name);
      if (store) recordsAtDelete.push_back(recovery::ReadRecoverySection(*store, L"SCHEDULERE").size());
      if (std::find(kept.begin(), kept.end(), name) != kept.end()) return -8;
      if (!tasks.count(name)) return 0;
      HANDLE h = ::CreateFileW(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
      if (h == INVALID_HANDLE_VALUE) return -8;
      ::CloseHandle(h);
      tasks.erase(name);
      return 0;
    };
    return bridge;
  }
};

std::wstring SelfPath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

void Touch(const std::wstring& path, const char* text = "x") {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(h, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  ::CloseHandle(h);
}

std::string ReadAll(const std::wstring& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[256];
  DWORD got = 0;
  ::ReadFile(h, buffer, sizeof buffer, &got, nullptr);
  ::CloseHandle(h);
  return std::string(buffer, got);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class StartProgramFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.active());
    ASSERT_TRUE(IsWindows64());  // the tests run in the 64-bit build
    ASSERT_EQ(machine64.Create(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS | KEY_WOW64_64KEY), ERROR_SUCCESS);
    ASSERT_EQ(machine32.Create(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS | KEY_WOW64_32KEY), ERROR_SUCCESS);
    ASSERT_EQ(user.Create(HKEY_CURRENT_USER, kRun, KEY_ALL_ACCESS), ERROR_SUCCESS);
    store.indexPath = data.File(L"Recovery.ini");
    store.datFolder = data.File(L"dat");
    ASSERT_TRUE(::CreateDirectoryW(store.datFolder.c_str(), nullptr));
    fakeTasks.store = &store;
    StartupAutoReset = false;
  }
  void TearDown() override {
    form.reset();
    machine64.Close();
    machine32.Close();
    user.Close();
    StartupAutoReset = false;
  }

  StartProgramEnvironment Environment() {
    StartProgramEnvironment env;
    env.startup.machineRunKeys = MachineRunKeyPlaces(true);
    env.startup.userFolder = userFolder.path();
    env.startup.commonFolder = commonFolder.path();
    env.store = store;
    env.settingsPath = data.File(L"Vantrel.ini");
    env.windows64 = true;
    env.tasks = fakeTasks.Bridge();
    return env;
  }
  TStartProgramForm& Open() {
    form = std::make_unique<TStartProgramForm>(host, Environment());
    EXPECT_TRUE(form->Create());
    return *form;
  }
  void WriteSettings(const std::wstring& startup, const std::wstring& tasks) {
    ::WritePrivateProfileStringW(L"INIT_EXCEPT", L"START_PROGRAM", startup.c_str(), Environment().settingsPath.c_str());
    ::WritePrivateProfileStringW(L"INIT_EXCEPT", L"TASK_SCHEDULER", tasks.c_str(), Environment().settingsPath.c_str());
  }
  std::wstring Setting(const wchar_t* key) {
    wchar_t buffer[2048] = {};
    ::GetPrivateProfileStringW(L"INIT_EXCEPT", key, L"<none>", buffer, 2048, Environment().settingsPath.c_str());
    return buffer;
  }
  // Row of `name` (at `location` for lv1); -1 when not listed.
  static int Row(const ui::ListView& list, const std::wstring& name, const std::wstring& location = {}) {
    for (int row = 0; row < list.Count(); ++row)
      if (list.ItemText(row, 0) == name && (location.empty() || list.ItemText(row, 4) == location)) return row;
    return -1;
  }
  void Select(ui::ListView& list, int row) {
    ASSERT_GE(row, 0);
    if (!TStartProgramForm::RowSelected(list, row)) (&list == form->lv1 ? form->lv1MouseDown({row, 0}) : form->lv2MouseDown({row, 0}));
  }
  std::vector<std::wstring> Records(const wchar_t* section) {
    std::vector<std::wstring> out;
    for (const RecoveryRecord& r : recovery::ReadRecoverySection(store, section)) out.push_back(recovery::JoinRecord(r));
    std::sort(out.begin(), out.end());
    return out;
  }
  // Two entries in each place, so that one can go and one stay.
  void FillEverywhere() {
    machine64.WriteString(L"m64a", L"\"" + SelfPath() + L"\" /min");
    machine64.WriteString(L"m64b", L"b64.exe");
    machine32.WriteString(L"m32a", L"a32.exe");
    machine32.WriteString(L"m32b", L"b32.exe");
    user.WriteString(L"ua", L"ua.exe");
    user.WriteString(L"ub", L"ub.exe");
    Touch(userFolder.File(L"fa.lnk"), "fa");
    Touch(commonFolder.File(L"fb.lnk"), "fb");
    fakeTasks.tasks[L"ta"] = {L"\"C:\\ta.exe\"", L"-x"};
    fakeTasks.tasks[L"tb"] = {L"tb.exe", L""};
  }

  ScopedRegistryOverride registry;
  RegKey machine64, machine32, user;
  ScratchFolder userFolder, commonFolder, data;
  recovery::RecoveryStore store;
  FakeTasks fakeTasks;
  FakeHost host;
  ScriptedDialogs dialogs;
  std::unique_ptr<TStartProgramForm> form;
};

TEST_F(StartProgramFormTest, BothListsShowEveryEntryWithItsMarksFromTheExclusionLists) {
  FillEverywhere();
  Touch(userFolder.File(L"Desktop.INI"));
  WriteSettings(L"m32a||fb.lnk", L"tb");
  TStartProgramForm& f = Open();

  ASSERT_TRUE(f.TasksSupported());
  EXPECT_EQ(f.lv1->Count(), 8);
  EXPECT_EQ(f.lv2->Count(), 2);
  EXPECT_TRUE(f.lv2->Visible());
  struct Case {
    std::wstring name, location, maker, command;
    bool excluded;
  } cases[] = {
      {L"m64a", kMachine64, L"Vantrel Inventory Makers", L"\"" + SelfPath() + L"\" /min", false},
      {L"m32a", kMachine, L"", L"a32.exe", true},
      {L"ua", kUser, L"", L"ua.exe", false},
      {L"fa.lnk", kFolder, L"", userFolder.path(), false},
      {L"fb.lnk", kFolder, L"", commonFolder.path(), true},
  };
  for (const Case& c : cases) {
    const int row = Row(*f.lv1, c.name, c.location);
    ASSERT_GE(row, 0) << c.name;
    EXPECT_EQ(f.lv1->ItemText(row, 2), c.maker) << c.name;
    EXPECT_EQ(f.lv1->ItemText(row, 3), c.command) << c.name;
    EXPECT_FALSE(TStartProgramForm::RowSelected(*f.lv1, row)) << c.name;
    EXPECT_EQ(f.lv1->ItemImage(row, 0), TStartProgramForm::kImageClear);
    EXPECT_EQ(TStartProgramForm::RowExcluded(*f.lv1, row), c.excluded) << c.name;
    EXPECT_EQ(f.lv1->ItemText(row, 1), c.excluded ? kSetText : kCancelText) << c.name;
  }
  const int ta = Row(*f.lv2, L"ta"), tb = Row(*f.lv2, L"tb");
  EXPECT_EQ(f.lv2->ItemText(ta, 3), L"\"C:\\ta.exe\"");
  EXPECT_EQ(f.lv2->ItemText(ta, 4), L"-x");
  EXPECT_EQ(f.lv2->ItemText(tb, 4), L"");  // "NONE"
  EXPECT_TRUE(TStartProgramForm::RowExcluded(*f.lv2, tb));
  EXPECT_EQ(f.lv1->ColumnCaption(0), L"시작프로그램");  // no table open: the built-in captions
  EXPECT_EQ(f.lv2->ColumnCaption(4), L"실행 파라미터");
}

TEST_F(StartProgramFormTest, MouseAndCheckAllChangeOnlyTheirOwnMark) {
  FillEverywhere();
  TStartProgramForm& f = Open();
  const int row = Row(*f.lv1, L"ua");
  // Column 0: the selection mark, back and forth; the exclusion stays.
  f.lv1MouseDown({row, 0});
  EXPECT_TRUE(TStartProgramForm::RowSelected(*f.lv1, row));
  f.lv1MouseDown({row, 0});
  EXPECT_FALSE(TStartProgramForm::RowSelected(*f.lv1, row));
  EXPECT_FALSE(TStartProgramForm::RowExcluded(*f.lv1, row));
  // Column 1: the exclusion mark and the in-memory list.
  f.lv1MouseDown({row, 1});
  EXPECT_TRUE(TStartProgramForm::RowExcluded(*f.lv1, row));
  EXPECT_EQ(f.lv1->ItemText(row, 1), kSetText);
  EXPECT_TRUE(f.StartupExclusions().Contains(L"ua"));
  f.lv2MouseDown({Row(*f.lv2, L"ta"), 1});
  EXPECT_TRUE(f.TaskExclusions().Contains(L"ta"));
  f.lv1MouseDown({row, 1});
  EXPECT_FALSE(TStartProgramForm::RowExcluded(*f.lv1, row));
  EXPECT_EQ(f.lv1->ItemText(row, 1), kCancelText);
  EXPECT_FALSE(f.StartupExclusions().Contains(L"ua"));
  // Other columns and no row: nothing.
  f.lv1MouseDown({row, 3});
  f.lv1MouseDown({-1, 0});
  EXPECT_FALSE(TStartProgramForm::RowSelected(*f.lv1, row));

  f.btnAllCheckClick();
  for (ui::ListView* list : {f.lv1, f.lv2})
    for (int r = 0; r < list->Count(); ++r) EXPECT_TRUE(TStartProgramForm::RowSelected(*list, r));
  EXPECT_TRUE(TStartProgramForm::RowExcluded(*f.lv2, Row(*f.lv2, L"ta")));
  f.btnAllUncheckClick();
  for (ui::ListView* list : {f.lv1, f.lv2})
    for (int r = 0; r < list->Count(); ++r) EXPECT_FALSE(TStartProgramForm::RowSelected(*list, r));
  EXPECT_TRUE(TStartProgramForm::RowExcluded(*f.lv2, Row(*f.lv2, L"ta")));
  // Nothing reached the settings file.
  EXPECT_EQ(Setting(L"START_PROGRAM"), L"<none>");
}

TEST_F(StartProgramFormTest, ManualDeleteWithoutSelectionOrWithNoChangesNothing) {
  FillEverywhere();
  TStartProgramForm& f = Open();
  f.btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, L"삭제할 시작 프로그램을 선택하세요.");
  EXPECT_EQ(dialogs.messages[0].type & 0xF, static_cast<UINT>(MB_OK));

  Select(*f.lv1, Row(*f.lv1, L"ua"));
  Select(*f.lv2, Row(*f.lv2, L"ta"));
  dialogs.Answer(IDNO);
  f.btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, L"선택된 시작 프로그램과 스케줄러 프로그램을 모두 삭제하시겠습니까?");
  EXPECT_EQ(dialogs.messages[1].caption, f.Caption());
  EXPECT_EQ(dialogs.messages[1].type & 0xF, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(f.lv1->Count(), 8);
  EXPECT_TRUE(user.HasValue(L"ua"));
  EXPECT_TRUE(fakeTasks.deleteCalls.empty());
  EXPECT_FALSE(Exists(store.indexPath));
}

TEST_F(StartProgramFormTest, ManualDeleteBacksUpAndRemovesTheSelectedRowsOfEveryPlace) {
  FillEverywhere();
  // The same name in both machine views and in HKCU: three records, three values gone.
  machine32.WriteString(L"same", L"one.exe");
  machine64.WriteString(L"same", L"two.exe");
  user.WriteString(L"same", L"three.exe");
  WriteSettings(L"m32a||same", L"");
  TStartProgramForm& f = Open();
  for (const auto& [name, location] : std::vector<std::pair<std::wstring, std::wstring>>{
           {L"m64a", kMachine64}, {L"m32a", kMachine}, {L"ua", kUser}, {L"fa.lnk", kFolder},
           {L"same", kMachine}, {L"same", kMachine64}, {L"same", kUser}})
    Select(*f.lv1, Row(*f.lv1, name, location));
  Select(*f.lv2, Row(*f.lv2, L"ta"));
  dialogs.Answer(IDYES);
  f.btnDelClick();

  // Each value left the view it was listed from; the others stay.
  EXPECT_FALSE(machine64.HasValue(L"m64a"));
  EXPECT_TRUE(machine64.HasValue(L"m64b"));
  EXPECT_FALSE(machine32.HasValue(L"m32a"));
  EXPECT_TRUE(machine32.HasValue(L"m32b"));
  EXPECT_FALSE(user.HasValue(L"ua"));
  EXPECT_TRUE(user.HasValue(L"ub"));
  for (RegKey* key : {&machine32, &machine64, &user}) EXPECT_FALSE(key->HasValue(L"same"));
  // The Startup file is in the dat folder, hidden.
  EXPECT_FALSE(Exists(userFolder.File(L"fa.lnk")));
  EXPECT_EQ(ReadAll(store.datFolder + L"\\fa.lnk"), "fa");
  EXPECT_TRUE(::GetFileAttributesW((store.datFolder + L"\\fa.lnk").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(Exists(commonFolder.File(L"fb.lnk")));
  EXPECT_TRUE(fakeTasks.deleteCalls == std::vector<std::wstring>{L"ta"});
  EXPECT_FALSE(fakeTasks.tasks.count(L"ta"));
  EXPECT_TRUE(Exists(store.datFolder + L"\\ta.scd"));

  const std::wstring self = L"\"" + SelfPath() + L"\" /min";
  std::vector<std::wstring> expected = {
      L"m64a||Vantrel Inventory Makers||" + self + L"||" + kMachine64 + L"||",
      L"m32a||||a32.exe||" + kMachine + L"||",
      L"ua||||ua.exe||" + kUser + L"||",
      L"fa.lnk||||" + userFolder.path() + L"||STARTUP||",
      L"same||||one.exe||" + kMachine + L"||",
      L"same||||two.exe||" + kMachine64 + L"||",
      L"same||||three.exe||" + kUser + L"||",
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Records(L"START_PROGRAM"), expected);
  EXPECT_EQ(Records(L"SCHEDULERE"), std::vector<std::wstring>{L"ta||||\"C:\\ta.exe\"||-x"});
  // The task's record was there before the bridge was asked.
  EXPECT_EQ(fakeTasks.recordsAtDelete, std::vector<size_t>{1});

  EXPECT_EQ(f.lv1->Count(), 4);
  EXPECT_EQ(f.lv2->Count(), 1);
  // Selected and excluded: deleted, and gone from the list in memory only.
  EXPECT_FALSE(f.StartupExclusions().Contains(L"m32a"));
  EXPECT_FALSE(f.StartupExclusions().Contains(L"same"));
  EXPECT_EQ(Setting(L"START_PROGRAM"), L"m32a||same");
}

TEST_F(StartProgramFormTest, AnItemWhoseBackupCannotBeKeptStaysWithItsRowAndWithoutARecord) {
  // A name outside the ANSI code page and one holding "||" cannot be
  // recorded; a task the bridge keeps; a Startup file whose dat name is taken.
  user.WriteString(L"\uD55C\uAE00", L"k.exe");
  user.WriteString(L"a||b", L"ab.exe");
  user.WriteString(L"plain", L"p.exe");
  fakeTasks.tasks[L"held"] = {L"h.exe", L""};
  fakeTasks.tasks[L"free"] = {L"f.exe", L""};
  fakeTasks.kept = {L"held"};
  Touch(userFolder.File(L"app.lnk"), "new");
  Touch(store.datFolder + L"\\app.lnk", "old");
  TStartProgramForm& f = Open();
  f.btnAllCheckClick();
  dialogs.Answer(IDYES);
  f.btnDelClick();

  EXPECT_TRUE(user.HasValue(L"\uD55C\uAE00"));
  EXPECT_TRUE(user.HasValue(L"a||b"));
  EXPECT_FALSE(user.HasValue(L"plain"));
  EXPECT_GE(Row(*f.lv1, L"\uD55C\uAE00"), 0);
  EXPECT_GE(Row(*f.lv1, L"a||b"), 0);
  EXPECT_EQ(Row(*f.lv1, L"plain"), -1);
  // The task that survived keeps its row and gets no record.
  EXPECT_GE(Row(*f.lv2, L"held"), 0);
  EXPECT_EQ(Row(*f.lv2, L"free"), -1);
  EXPECT_EQ(Records(L"SCHEDULERE"), std::vector<std::wstring>{L"free||||f.exe||"});
  // Neither file is lost: the new one is saved under a free name that its record names.
  EXPECT_EQ(ReadAll(store.datFolder + L"\\app.lnk"), "old");
  EXPECT_EQ(ReadAll(store.datFolder + L"\\app.lnk.2"), "new");
  EXPECT_EQ(Records(L"START_PROGRAM"),
            (std::vector<std::wstring>{L"app.lnk||||" + userFolder.path() + L"||STARTUP||app.lnk.2",
                                       L"plain||||p.exe||" + kUser + L"||"}));
}

TEST_F(StartProgramFormTest, AReadOnlyDatFolderKeepsTheStartupFileAndRecordsNothingForIt) {
  Touch(userFolder.File(L"keep.lnk"), "keep");
  // A dat folder that is a plain file: nothing can be moved into it.
  StartProgramEnvironment env = Environment();
  env.store.datFolder = data.File(L"notafolder");
  Touch(env.store.datFolder);
  host.family = kFamilyLegacy;
  form = std::make_unique<TStartProgramForm>(host, env);
  ASSERT_TRUE(form->Create());
  form->btnAllCheckClick();
  dialogs.Answer(IDYES);
  form->btnDelClick();
  EXPECT_EQ(ReadAll(userFolder.File(L"keep.lnk")), "keep");
  EXPECT_GE(Row(*form->lv1, L"keep.lnk"), 0);
  EXPECT_TRUE(recovery::ReadRecoverySection(env.store, L"START_PROGRAM").empty());
}

TEST_F(StartProgramFormTest, AutomaticResetRemovesEverythingNotExcludedInvisiblyAndSavesNoSettings) {
  FillEverywhere();
  WriteSettings(L"m64b||ub||fb.lnk", L"tb");
  StartupAutoReset = true;
  RunStartupAutoReset(nullptr, Environment());

  EXPECT_FALSE(StartupAutoReset);
  EXPECT_TRUE(dialogs.messages.empty());  // no question, no message
  EXPECT_FALSE(machine64.HasValue(L"m64a"));
  EXPECT_TRUE(machine64.HasValue(L"m64b"));
  EXPECT_FALSE(machine32.HasValue(L"m32a"));
  EXPECT_FALSE(machine32.HasValue(L"m32b"));
  EXPECT_FALSE(user.HasValue(L"ua"));
  EXPECT_TRUE(user.HasValue(L"ub"));
  EXPECT_FALSE(Exists(userFolder.File(L"fa.lnk")));
  EXPECT_TRUE(Exists(commonFolder.File(L"fb.lnk")));
  EXPECT_FALSE(fakeTasks.tasks.count(L"ta"));
  EXPECT_TRUE(fakeTasks.tasks.count(L"tb"));
  EXPECT_EQ(Records(L"START_PROGRAM").size(), 5u);
  EXPECT_EQ(Records(L"SCHEDULERE").size(), 1u);
  EXPECT_EQ(Setting(L"START_PROGRAM"), L"m64b||ub||fb.lnk");
}

TEST_F(StartProgramFormTest, TheAutomaticModeNeverShowsItsWindow) {
  StartupAutoReset = true;
  TStartProgramForm& f = Open();
  RECT r = f.WindowRectPx();
  EXPECT_GE(r.left, 20000);
  f.tmr1Timer();  // deletes and closes; the flag goes
  EXPECT_FALSE(f.IsVisible());
  EXPECT_FALSE(StartupAutoReset);
}

TEST_F(StartProgramFormTest, RegisteringWritesAQuotedValueOnceAndMarksTheRowExcluded) {
  machine32.WriteString(L"taken.exe", L"old data");
  machine64.WriteString(L"wide.exe", L"64-bit data");
  TStartProgramForm& f = Open();
  f.lv1ColumnClick(0);
  ASSERT_NE(f.lv1->ColumnCaption(0), L"시작프로그램");

  // Cancelled: nothing written. With the main window on top the window has
  // left the top-most band first, so that the dialog is not hidden.
  ::SetWindowPos(f.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  host.topMost = true;
  dialogs.AnswerFile(L"");
  f.btnStartPGRegClick();
  EXPECT_EQ(machine32.ValueNames().size(), 1u);
  EXPECT_FALSE(::GetWindowLongPtrW(f.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);

  dialogs.AnswerFile(L"C:\\Program Files\\New App\\new.exe");
  f.btnStartPGRegClick();
  std::wstring data;
  ASSERT_TRUE(machine32.ReadString(L"new.exe", &data));
  EXPECT_EQ(data, L"\"C:\\Program Files\\New App\\new.exe\"");
  EXPECT_EQ(f.lv1->ColumnCaption(0), L"시작프로그램");  // the marker is gone
  int row = Row(*f.lv1, L"new.exe");
  ASSERT_GE(row, 0);
  EXPECT_TRUE(TStartProgramForm::RowExcluded(*f.lv1, row));
  EXPECT_TRUE(f.StartupExclusions().Contains(L"new.exe"));

  // A name already there (in either view) is left as it is, but protected.
  f.RegisterStartupProgram(L"D:\\other\\taken.exe");
  f.RegisterStartupProgram(L"D:\\other\\wide.exe");
  ASSERT_TRUE(machine32.ReadString(L"taken.exe", &data));
  EXPECT_EQ(data, L"old data");
  EXPECT_FALSE(machine32.HasValue(L"wide.exe"));
  EXPECT_TRUE(TStartProgramForm::RowExcluded(*f.lv1, Row(*f.lv1, L"taken.exe")));
  EXPECT_TRUE(f.StartupExclusions().Contains(L"taken.exe"));
  EXPECT_TRUE(f.StartupExclusions().Contains(L"wide.exe"));
  // The newly listed rows keep the marks of the in-memory list.
  EXPECT_TRUE(TStartProgramForm::RowExcluded(*f.lv1, Row(*f.lv1, L"new.exe")));
}

TEST_F(StartProgramFormTest, SaveAndCloseWritesBothListsAndOtherClosesDiscard) {
  FillEverywhere();
  WriteSettings(L"m32a", L"");
  {
    TStartProgramForm& f = Open();
    f.lv1MouseDown({Row(*f.lv1, L"ua"), 1});
    ::SendMessageW(f.hwnd(), WM_CLOSE, 0, 0);  // the title-bar button
    EXPECT_EQ(Setting(L"START_PROGRAM"), L"m32a");
    EXPECT_EQ(Setting(L"TASK_SCHEDULER"), L"");
  }
  TStartProgramForm& f = Open();
  EXPECT_FALSE(TStartProgramForm::RowExcluded(*f.lv1, Row(*f.lv1, L"ua")));
  f.lv1MouseDown({Row(*f.lv1, L"ua"), 1});
  f.lv1MouseDown({Row(*f.lv1, L"m32a"), 1});
  f.lv2MouseDown({Row(*f.lv2, L"tb"), 1});
  f.lv1MouseDown({Row(*f.lv1, L"fb.lnk"), 1});
  f.btnCancelClick();
  EXPECT_EQ(Setting(L"TASK_SCHEDULER"), L"tb");
  // Top to bottom: HKCU before the Startup folders.
  EXPECT_EQ(Setting(L"START_PROGRAM"), L"ua||fb.lnk");
}

TEST_F(StartProgramFormTest, SortingTwiceReversesAndCarriesTheMarks) {
  user.WriteString(L"b", L"2.exe");
  user.WriteString(L"A", L"3.exe");
  user.WriteString(L"c", L"1.exe");
  TStartProgramForm& f = Open();
  f.lv1MouseDown({Row(*f.lv1, L"c"), 0});
  f.lv1MouseDown({Row(*f.lv1, L"b"), 1});
  auto names = [&] {
    std::wstring out;
    for (int r = 0; r < f.lv1->Count(); ++r) out += f.lv1->ItemText(r, 0);
    return out;
  };
  f.lv1ColumnClick(0);
  EXPECT_EQ(names(), L"Abc");
  EXPECT_EQ(f.lv1->ColumnCaption(0), L"시작프로그램 \u25B2");
  f.lv1ColumnClick(0);
  EXPECT_EQ(names(), L"cbA");
  EXPECT_EQ(f.lv1->ColumnCaption(0), L"시작프로그램 \u25BC");
  f.lv1ColumnClick(3);
  EXPECT_EQ(names(), L"cbA");  // 1.exe, 2.exe, 3.exe
  EXPECT_EQ(f.lv1->ColumnCaption(0), L"시작프로그램");
  EXPECT_EQ(f.lv1->ColumnCaption(3), L"실행경로 \u25B2");
  EXPECT_TRUE(TStartProgramForm::RowSelected(*f.lv1, Row(*f.lv1, L"c")));
  EXPECT_TRUE(TStartProgramForm::RowExcluded(*f.lv1, Row(*f.lv1, L"b")));
  EXPECT_EQ(f.lv1->ItemText(Row(*f.lv1, L"b"), 1), kSetText);
  EXPECT_EQ(f.lv1->ItemText(Row(*f.lv1, L"A"), 3), L"3.exe");
}

TEST_F(StartProgramFormTest, BeforeVistaOnlyTheFirstListIsShownAndTheShortQuestionAsked) {
  FillEverywhere();
  host.family = kFamilyLegacy;
  TStartProgramForm& f = Open();
  EXPECT_FALSE(f.TasksSupported());
  EXPECT_FALSE(f.lv2->Visible());
  EXPECT_FALSE(f.spl1->Visible());
  EXPECT_EQ(f.lv2->Count(), 0);
  RECT client{};
  ::GetClientRect(f.pnlLists->hwnd(), &client);
  EXPECT_EQ(f.lv1->HeightPx(), client.bottom);
  Select(*f.lv1, Row(*f.lv1, L"ua"));
  dialogs.Answer(IDNO);
  f.btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, L"선택된 시작 프로그램을 모두 삭제하시겠습니까?");
  f.btnCancelClick();
  EXPECT_EQ(Setting(L"TASK_SCHEDULER"), L"");
  EXPECT_TRUE(fakeTasks.deleteCalls.empty());
}

TEST_F(StartProgramFormTest, TheSplitterMovesTheBorderWithinTheSmallestHeightsAndTheWindowHasAMinimumSize) {
  TStartProgramForm& f = Open();
  const int before = f.lv1->HeightPx();
  HWND bar = f.spl1->hwnd();
  ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 45));
  EXPECT_EQ(f.lv1->HeightPx(), before + 40);
  EXPECT_EQ(f.spl1->TopPx(), f.lv1->HeightPx());
  ::SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5000));
  EXPECT_EQ(f.lv2->HeightPx(), ui::Scale(60));
  ::SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, static_cast<LPARAM>(MAKELPARAM(5, static_cast<WORD>(-5000))));
  EXPECT_EQ(f.lv1->HeightPx(), ui::Scale(60));
  ::SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

  ::SetWindowPos(f.hwnd(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  ::GetClientRect(f.hwnd(), &client);
  EXPECT_GE(client.right, ui::Scale(600));
  EXPECT_GE(client.bottom, ui::Scale(300));
  // The right-hand buttons follow the right edge.
  EXPECT_EQ(f.btnCancel->LeftPx() + f.btnCancel->WidthPx(), client.right - ui::Scale(8));
}

}  // namespace
}  // namespace vantrel
