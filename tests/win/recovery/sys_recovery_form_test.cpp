// The system recovery window in-process: a scratch recovery store, the Run
// keys of the registry override (both machine views), scratch Startup
// folders, a task bridge double and a recorder in place of started
// programs. Removals go through the real start-up window where it is cheap.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#include "core/app_state.h"
#include "core/language_table.h"
#include "core/os_version.h"
#include "platform/reg_key.h"
#include "recovery/recovery_store.h"
#include "recovery/sys_recovery_form.h"
#include "startup/start_program_form.h"
#include "startup/startup_inventory.h"
#include "support/registry_override.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "ui/captions.h"
#include "ui/page_control.h"
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
const std::wstring kMachine = L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kMachine64 = kMachine + L" (64-bit)";
const std::wstring kUser = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kCaption = L"프로세스 시스템 복원";
const std::wstring kSelRcv = L"복원할 항목을 선택해 주세요";
const std::wstring kSelDel = L"삭제할 항목을 선택해 주세요";
const std::wstring kRcvFail = L"복원하지 못한 항목이 있습니다. 그 항목과 백업은 목록에 그대로 남아 있습니다.";
const std::wstring kRunNow = L"Restoring the \"Start Program\" Would you like to run now?";
// A task definition as the bridge saves it (LF line ends here, to see the
// restore hand on CR LF lines).
const std::string kTaskXml = "<?xml version=\"1.0\"?>\n<Task>\n<Exec>x.exe</Exec>\n</Task>";
const std::string kTaskXmlCrLf = "<?xml version=\"1.0\"?>\r\n<Task>\r\n<Exec>x.exe</Exec>\r\n</Task>\r\n";

class FakeHost final : public ui::ToolHost {
 public:
  unsigned family = kFamilyWin7;
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return family; }
  bool TopMost() const override { return false; }
  std::wstring ToggleCaption() const override { return L"Vantrel ON"; }
  std::wstring ExceptSetText() const override { return L"Setup"; }
  std::wstring ExceptCancelText() const override { return L"Cancel"; }
};

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}
// A click on a tab of the page control, as the user makes it.
void ClickTab(const ui::PageControl& pages, int index) {
  HWND strip = ::FindWindowExW(pages.hwnd(), nullptr, WC_TABCONTROLW, nullptr);
  RECT r{};
  ASSERT_TRUE(TabCtrl_GetItemRect(strip, index, &r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ::SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(strip, WM_LBUTTONUP, 0, at);
  ui::PumpPendingMessages();
}
bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::wstring Profile(const std::wstring& path, const wchar_t* section, const std::wstring& key) {
  wchar_t buffer[4096] = {};
  ::GetPrivateProfileStringW(section, key.c_str(), L"<none>", buffer, 4096, path.c_str());
  return buffer;
}

// The scheduled tasks of a pretend root folder: the start-up window's bridge
// (listing, deleting with a backup) and the recovery window's registration.
struct FakeTasks {
  std::map<std::wstring, std::string> tasks;  // name -> definition
  std::vector<std::pair<std::wstring, std::string>> added;
  bool bound = true;

  TaskBridge Bridge() {
    TaskBridge bridge;
    bridge.listText = [this]() -> std::optional<std::wstring> {
      std::wstring text;
      for (const auto& entry : tasks) {
        if (!text.empty()) text += L";;";
        text += entry.first + L"||x.exe||NONE";
      }
      return text;
    };
    bridge.deleteTask = [this](const std::wstring& name, const std::wstring& backup) -> std::optional<int> {
      auto it = tasks.find(name);
      if (it == tasks.end()) return 0;
      if (!Exists(backup)) WriteBytes(backup, it->second);  // never replaced, as the bridge does
      tasks.erase(it);
      return 0;
    };
    return bridge;
  }
  // Refuses what is not a task definition, as the service does.
  std::optional<int> Add(const std::wstring& name, const std::string& definition) {
    added.emplace_back(name, definition);
    if (definition.find("<Task>") == std::string::npos) return 1;
    tasks[name] = definition;
    return 0;
  }
};

class SysRecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.active());
    ASSERT_EQ(machine64.Create(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS | KEY_WOW64_64KEY), ERROR_SUCCESS);
    ASSERT_EQ(machine32.Create(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS | KEY_WOW64_32KEY), ERROR_SUCCESS);
    ASSERT_EQ(user.Create(HKEY_CURRENT_USER, kRun, KEY_ALL_ACCESS), ERROR_SUCCESS);
    store.indexPath = data.File(L"Recovery.ini");
    store.datFolder = data.File(L"dat");
    ASSERT_TRUE(::CreateDirectoryW(store.datFolder.c_str(), nullptr));
    StartupAutoReset = false;
    KoreanUi = false;
  }
  void TearDown() override {
    form.reset();
    SetCurrentLanguageTable(nullptr);
    machine64.Close();
    machine32.Close();
    user.Close();
  }

  SysRecoveryEnvironment Environment() {
    SysRecoveryEnvironment env;
    env.store = store;
    env.windows64 = true;
    env.startupFolders = {userFolder.path(), commonFolder.path()};
    if (fakeTasks.bound) {
      env.addTask = [this](const std::wstring& name, const std::string& definition) {
        return fakeTasks.Add(name, definition);
      };
    } else {
      env.addTask = SysRecoveryEnvironment::AddTask();  // a library that could not be bound
    }
    env.run = [this](const std::wstring& command, int show, bool wait, DWORD timeout) {
      runs.push_back(command);
      runShows.push_back(show);
      EXPECT_EQ(timeout, 5000u);
      (void)wait;
      return true;
    };
    return env;
  }
  TSysRecoveryForm& Open() {
    form = std::make_unique<TSysRecoveryForm>(host, Environment());
    EXPECT_TRUE(form->Create());
    return *form;
  }
  // Shows a page the way a click on its tab does.
  void Visit(int page) {
    ASSERT_TRUE(form->rzpgcntrlChanging(page));
    form->rzpgcntrl->SetActiveIndex(page);
  }
  // The real start-up window removes every entry it lists.
  void RemoveAllWithStartupWindow() {
    StartProgramEnvironment env;
    env.startup.machineRunKeys = MachineRunKeyPlaces(true);
    env.startup.userFolder = userFolder.path();
    env.startup.commonFolder = commonFolder.path();
    env.store = store;
    env.settingsPath = data.File(L"Vantrel.ini");
    env.windows64 = true;
    env.tasks = fakeTasks.Bridge();
    TStartProgramForm startup(host, env);
    ASSERT_TRUE(startup.Create());
    startup.btnAllCheckClick();
    dialogs.Answer(IDYES);
    startup.btnDelClick();
    ASSERT_EQ(startup.lv1->Count(), 0);
    ASSERT_EQ(startup.lv2->Count(), 0);
    dialogs.messages.clear();
  }
  std::vector<std::wstring> Joined(const wchar_t* section) const {
    std::vector<std::wstring> out;
    for (const RecoveryRecord& r : recovery::ReadRecoverySection(store, section)) out.push_back(recovery::JoinRecord(r));
    return out;
  }
  void Append(const wchar_t* section, const RecoveryRecord& record) {
    ASSERT_TRUE(recovery::AppendRecoveryRecord(store, section, record));
  }
  int Row(int page, const std::wstring& name) const {
    const ui::ListView& list = form->List(page);
    for (int row = 0; row < list.Count(); ++row)
      if (list.ItemText(row, 0) == name) return row;
    return -1;
  }
  void Tick(int page, const std::wstring& name) {
    const int row = Row(page, name);
    ASSERT_GE(row, 0) << testing::PrintToString(name);
    form->List(page).SetChecked(row, true);
  }
  std::wstring Value(RegKey& key, const std::wstring& name, DWORD* type = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer, got = 0;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &got, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
      return L"<none>";
    if (type) *type = got;
    return buffer;
  }

  ScopedRegistryOverride registry;
  RegKey machine64, machine32, user;
  ScratchFolder userFolder, commonFolder, data;
  recovery::RecoveryStore store;
  FakeTasks fakeTasks;
  FakeHost host;
  ScriptedDialogs dialogs;
  std::vector<std::wstring> runs;
  std::vector<int> runShows;
  std::unique_ptr<TSysRecoveryForm> form;
};

TEST_F(SysRecoveryTest, StartupEntriesRemovedByTheStartupWindowComeBackWhereTheyWere) {
  machine32.WriteString(L"m32", L"\"C:\\m32.exe\" /min");
  machine64.WriteString(L"m64", L"C:\\m64.exe");
  user.WriteString(L"usr", L"usr.exe -x");
  WriteBytes(userFolder.File(L"mine.lnk"), "user link");
  WriteBytes(commonFolder.File(L"all.lnk"), "common link");
  RemoveAllWithStartupWindow();
  ASSERT_EQ(Value(machine64, L"m64"), L"<none>");
  ASSERT_FALSE(Exists(userFolder.File(L"mine.lnk")));
  ASSERT_EQ(Joined(L"START_PROGRAM").size(), 5u);

  TSysRecoveryForm& f = Open();
  ASSERT_EQ(f.lv1->Count(), 5);
  const int m64 = Row(0, L"m64");
  EXPECT_EQ(f.lv1->ItemText(m64, 2), L"C:\\m64.exe");
  EXPECT_EQ(f.lv1->ItemText(m64, 3), kMachine64);
  EXPECT_EQ(f.lv1->ItemText(Row(0, L"mine.lnk"), 2), userFolder.path());
  EXPECT_FALSE(f.lv1->Checked(m64));
  f.btnAllCheckClick(0);
  dialogs.Answer(IDYES);  // restore
  dialogs.Answer(IDYES);  // run them now
  f.btnRecoverClick(0);

  // Every value in the view it came from, as REG_SZ with its old text.
  DWORD type = 0;
  EXPECT_EQ(Value(machine32, L"m32", &type), L"\"C:\\m32.exe\" /min");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(Value(machine64, L"m64"), L"C:\\m64.exe");
  EXPECT_EQ(Value(machine32, L"m64"), L"<none>");
  EXPECT_EQ(Value(machine64, L"m32"), L"<none>");
  EXPECT_EQ(Value(user, L"usr"), L"usr.exe -x");
  // Files back in their folders, visible, and gone from the dat folder.
  EXPECT_EQ(ReadBytes(userFolder.File(L"mine.lnk")), "user link");
  EXPECT_EQ(ReadBytes(commonFolder.File(L"all.lnk")), "common link");
  EXPECT_FALSE(::GetFileAttributesW(userFolder.File(L"mine.lnk").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(Exists(store.datFolder + L"\\mine.lnk"));
  EXPECT_EQ(f.lv1->Count(), 0);
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"COUNT"), L"0");
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"ITEM0"), L"<none>");

  // The two questions, titled with the window's caption; then every entry
  // started, from the last restored to the first.
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, kRunNow);
  EXPECT_EQ(dialogs.messages[1].caption, kCaption);
  ASSERT_EQ(runs.size(), 5u);
  // Files by their whole path in quotes: a path with blanks must not start
  // the program its first words name.
  const std::wstring mine = L"\"" + userFolder.File(L"mine.lnk") + L"\"";
  const std::wstring all = L"\"" + commonFolder.File(L"all.lnk") + L"\"";
  std::vector<std::wstring> expected{L"\"C:\\m32.exe\" /min", L"C:\\m64.exe", L"usr.exe -x", mine, all};
  std::vector<std::wstring> sortedRuns = runs;
  std::sort(sortedRuns.begin(), sortedRuns.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(sortedRuns, expected);
  // Registry entries go into the run list first, files last: run in reverse.
  EXPECT_TRUE(runs[0] == mine || runs[0] == all);
  EXPECT_TRUE(std::all_of(runShows.begin(), runShows.end(), [](int s) { return s == SW_SHOWNORMAL; }));
}

TEST_F(SysRecoveryTest, TheRunQuestionIsKoreanForAKoreanUiAndNoStartsNothing) {
  Append(L"START_PROGRAM", {L"usr", L"", L"usr.exe", kUser});
  KoreanUi = true;
  TSysRecoveryForm& f = Open();
  f.btnAllCheckClick(0);
  dialogs.Answer(IDYES);
  dialogs.Answer(IDNO);
  f.btnRecoverClick(0);
  KoreanUi = false;
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, L"복원한 \"시작 프로그램\"을 지금 실행시키겠습니까?");
  EXPECT_TRUE(runs.empty());
  EXPECT_EQ(Value(user, L"usr"), L"usr.exe");
}

TEST_F(SysRecoveryTest, APartialRestoreKeepsTheRestNumberedFromZeroWithTheirPayloadNames) {
  // "b.lnk" was saved under another name, since an older backup held its own.
  Append(L"START_PROGRAM", {L"a", L"", L"a.exe", kUser});
  Append(L"START_PROGRAM", {L"b.lnk", L"Maker", userFolder.path(), L"STARTUP", L"b.lnk.2"});
  Append(L"START_PROGRAM", {L"c", L"", L"c.exe", kUser});
  Append(L"START_PROGRAM", {L"d.lnk", L"", commonFolder.path(), L"STARTUP", L"d.lnk.2"});
  Append(L"START_PROGRAM", {L"e", L"", L"e.exe", kMachine});
  WriteBytes(store.datFolder + L"\\b.lnk", "older b");
  WriteBytes(store.datFolder + L"\\b.lnk.2", "newer b");
  WriteBytes(store.datFolder + L"\\d.lnk.2", "d");

  TSysRecoveryForm& f = Open();
  Tick(0, L"a");
  Tick(0, L"b.lnk");
  Tick(0, L"e");
  dialogs.Answer(IDYES);
  f.btnRecoverClick(0);

  EXPECT_EQ(ReadBytes(userFolder.File(L"b.lnk")), "newer b");
  EXPECT_EQ(ReadBytes(store.datFolder + L"\\b.lnk"), "older b");
  EXPECT_EQ(Value(machine32, L"e"), L"e.exe");
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"COUNT"), L"2");
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"ITEM0"), L"c||||c.exe||" + kUser);
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"ITEM1"),
            L"d.lnk||||" + commonFolder.path() + L"||STARTUP||d.lnk.2");
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"ITEM2"), L"<none>");
  // The kept payload name still leads to its file.
  ASSERT_EQ(f.lv1->Count(), 2);
  Tick(0, L"d.lnk");
  dialogs.Answer(IDYES);
  dialogs.Answer(IDNO);
  f.btnRecoverClick(0);
  EXPECT_EQ(ReadBytes(commonFolder.File(L"d.lnk")), "d");
}

TEST_F(SysRecoveryTest, AStartupRestoreNeverReplacesAFileAndNeverLeavesTheStartupFolders) {
  Append(L"START_PROGRAM", {L"taken.lnk", L"", userFolder.path(), L"STARTUP"});
  Append(L"START_PROGRAM", {L"elsewhere.dll", L"", data.path(), L"STARTUP"});
  Append(L"START_PROGRAM", {L"..\\up.lnk", L"", userFolder.path(), L"STARTUP"});
  Append(L"START_PROGRAM", {L"odd", L"", L"odd.exe", L"SOMEWHERE"});
  WriteBytes(store.datFolder + L"\\taken.lnk", "backup");
  WriteBytes(userFolder.File(L"taken.lnk"), "new one");
  WriteBytes(store.datFolder + L"\\elsewhere.dll", "planted");

  TSysRecoveryForm& f = Open();
  f.btnAllCheckClick(0);
  dialogs.Answer(IDYES);
  f.btnRecoverClick(0);

  EXPECT_EQ(ReadBytes(userFolder.File(L"taken.lnk")), "new one");
  EXPECT_EQ(ReadBytes(store.datFolder + L"\\taken.lnk"), "backup");
  EXPECT_FALSE(Exists(data.File(L"elsewhere.dll")));
  EXPECT_EQ(ReadBytes(store.datFolder + L"\\elsewhere.dll"), "planted");
  EXPECT_EQ(f.lv1->Count(), 4);
  EXPECT_EQ(Joined(L"START_PROGRAM").size(), 4u);
  // One message for the action, naming both reasons; nothing to run.
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].type & 0xF, static_cast<UINT>(MB_OK));
  EXPECT_NE(dialogs.messages[1].text.find(kRcvFail), std::wstring::npos);
  EXPECT_NE(dialogs.messages[1].text.find(L"같은 이름의 파일"), std::wstring::npos);
  EXPECT_TRUE(runs.empty());
}

TEST_F(SysRecoveryTest, WithoutTheMachinesRunKeyNothingIsRestoredAndTheUserIsTold) {
  machine32.Close();
  ASSERT_EQ(::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kRun.c_str(), KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
  Append(L"START_PROGRAM", {L"usr", L"", L"usr.exe", kUser});
  Append(L"START_PROGRAM", {L"m", L"", L"m.exe", kMachine});
  TSysRecoveryForm& f = Open();
  f.btnAllCheckClick(0);
  dialogs.Answer(IDYES);
  f.btnRecoverClick(0);
  EXPECT_EQ(Value(user, L"usr"), L"<none>");
  EXPECT_EQ(f.lv1->Count(), 2);
  EXPECT_EQ(Joined(L"START_PROGRAM").size(), 2u);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, kRcvFail);
}

TEST_F(SysRecoveryTest, TasksRemovedByTheStartupWindowAreRegisteredAgainFromTheirDefinitions) {
  fakeTasks.tasks[L"Nightly"] = kTaskXml;
  fakeTasks.tasks[L"Weekly"] = kTaskXml;
  RemoveAllWithStartupWindow();
  ASSERT_TRUE(fakeTasks.tasks.empty());
  ASSERT_TRUE(Exists(recovery::TaskBackupPath(store, L"Nightly")));

  TSysRecoveryForm& f = Open();
  Visit(1);
  ASSERT_EQ(f.lv2->Count(), 2);
  EXPECT_EQ(f.lv2->ItemText(Row(1, L"Weekly"), 2), L"x.exe");
  f.btnAllCheckClick(1);
  dialogs.Answer(IDYES);
  f.btnRecoverClick(1);

  ASSERT_EQ(fakeTasks.tasks.size(), 2u);
  EXPECT_EQ(fakeTasks.tasks[L"Nightly"], kTaskXmlCrLf);
  EXPECT_FALSE(Exists(recovery::TaskBackupPath(store, L"Nightly")));
  EXPECT_FALSE(Exists(recovery::TaskBackupPath(store, L"Weekly")));
  EXPECT_TRUE(Joined(L"SCHEDULERE").empty());
  EXPECT_EQ(f.lv2->Count(), 0);
  EXPECT_EQ(dialogs.messages.size(), 1u);  // the question only
}

TEST_F(SysRecoveryTest, ATaskOfANameWhoseBackupIsStillKeptIsNotRemovedAgain) {
  fakeTasks.tasks[L"T"] = kTaskXml;
  RemoveAllWithStartupWindow();
  // A new task of the same name: its definition could not be saved.
  const std::string newer = "<Task>\n<Exec>newer.exe</Exec>\n</Task>";
  fakeTasks.tasks[L"T"] = newer;
  StartProgramEnvironment env;
  env.startup.machineRunKeys = MachineRunKeyPlaces(true);
  env.startup.userFolder = userFolder.path();
  env.startup.commonFolder = commonFolder.path();
  env.store = store;
  env.settingsPath = data.File(L"Vantrel.ini");
  env.windows64 = true;
  env.tasks = fakeTasks.Bridge();
  TStartProgramForm startup(host, env);
  ASSERT_TRUE(startup.Create());
  startup.btnAllCheckClick();
  dialogs.Answer(IDYES);
  startup.btnDelClick();
  EXPECT_EQ(startup.lv2->Count(), 1);
  EXPECT_EQ(fakeTasks.tasks[L"T"], newer);
  EXPECT_EQ(ReadBytes(recovery::TaskBackupPath(store, L"T")), kTaskXml);
  EXPECT_EQ(Joined(L"SCHEDULERE").size(), 1u);
}

TEST_F(SysRecoveryTest, ARefusedOrUnreachableTaskRegistrationKeepsRowRecordAndDefinition) {
  Append(L"SCHEDULERE", {L"Garbage", L"", L"g.exe", L""});
  Append(L"SCHEDULERE", {L"Good", L"", L"x.exe", L""});
  Append(L"SCHEDULERE", {L"Gone", L"", L"x.exe", L""});
  WriteBytes(recovery::TaskBackupPath(store, L"Garbage"), std::string("\x01\xff garbage\0\n", 13));
  WriteBytes(recovery::TaskBackupPath(store, L"Good"), kTaskXml);

  // First without a bridge: nothing is tried, nothing changes.
  fakeTasks.bound = false;
  Open();
  Visit(1);
  form->btnAllCheckClick(1);
  dialogs.Answer(IDYES);
  form->btnRecoverClick(1);
  EXPECT_EQ(form->lv2->Count(), 3);
  EXPECT_EQ(Joined(L"SCHEDULERE").size(), 3u);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, kRcvFail);

  // With the bridge: the garbage is refused and kept, the good one comes
  // back, the one without a definition file only loses its record.
  fakeTasks.bound = true;
  TSysRecoveryForm& f = Open();
  Visit(1);
  f.btnAllCheckClick(1);
  dialogs.messages.clear();
  dialogs.Answer(IDYES);
  f.btnRecoverClick(1);
  EXPECT_EQ(fakeTasks.tasks.count(L"Good"), 1u);
  EXPECT_EQ(fakeTasks.tasks.count(L"Garbage"), 0u);
  ASSERT_EQ(f.lv2->Count(), 1);
  EXPECT_EQ(f.lv2->ItemText(0, 0), L"Garbage");
  EXPECT_EQ(Joined(L"SCHEDULERE"), (std::vector<std::wstring>{L"Garbage||||g.exe||"}));
  EXPECT_TRUE(Exists(recovery::TaskBackupPath(store, L"Garbage")));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, kRcvFail);
}

TEST_F(SysRecoveryTest, NothingTickedOrNoChangesNothingOnAnyPage) {
  Append(L"START_PROGRAM", {L"usr", L"", L"usr.exe", kUser});
  Append(L"SCHEDULERE", {L"Task", L"", L"x.exe", L""});
  Append(L"BHO", {L"Helper", L"", L"h.dll", L"C:\\h.dll", L"{A}"});
  Append(L"TOOLBAR", {L"Bar", L"", L"", L"C:\\b.dll", L"1{B}"});
  Append(L"ICON", {L"Button", L"http://x.example/", L"{C}", L"", L""});
  WriteBytes(recovery::TaskBackupPath(store, L"Task"), kTaskXml);
  WriteBytes(recovery::RegistryExportPath(store, L"{C}"), "x");
  const std::string before = ReadBytes(store.indexPath);

  TSysRecoveryForm& f = Open();
  for (int page = 0; page < TSysRecoveryForm::kPageCount; ++page) {
    SCOPED_TRACE(page);
    Visit(page);
    ASSERT_EQ(f.List(page).Count(), 1);
    dialogs.messages.clear();
    f.btnDelClick(page);
    f.btnRecoverClick(page);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, kSelDel);
    EXPECT_EQ(dialogs.messages[1].text, kSelRcv);
    EXPECT_EQ(dialogs.messages[1].caption, kCaption);
    // Ticked, but the question answered No.
    f.btnAllCheckClick(page);
    f.btnAllUncheckClick(page);
    EXPECT_FALSE(f.List(page).Checked(0));
    f.btnAllCheckClick(page);
    dialogs.Answer(IDNO);
    dialogs.Answer(IDNO);
    f.btnDelClick(page);
    f.btnRecoverClick(page);
    EXPECT_EQ(f.List(page).Count(), 1);
  }
  EXPECT_EQ(ReadBytes(store.indexPath), before);
  EXPECT_TRUE(Exists(recovery::TaskBackupPath(store, L"Task")));
  EXPECT_TRUE(Exists(recovery::RegistryExportPath(store, L"{C}")));
  EXPECT_EQ(Value(user, L"usr"), L"<none>");
  EXPECT_TRUE(fakeTasks.added.empty());
  EXPECT_TRUE(runs.empty());
}

TEST_F(SysRecoveryTest, APurgeRemovesOnlyTheTickedRecordsAndTheirPayloads) {
  const struct {
    int page;
    const wchar_t* section;
    RecoveryRecord gone, kept;
    std::wstring gonePayload, keptPayload;  // dat-folder names; empty: none
  } cases[] = {
      {0, L"START_PROGRAM", {L"x.lnk", L"", userFolder.path(), L"STARTUP", L"x.lnk.2"}, {L"y.lnk", L"", userFolder.path(), L"STARTUP", L""}, L"x.lnk.2", L"y.lnk"},
      {0, L"START_PROGRAM", {L"reg", L"", L"x.lnk", kUser, L""}, {L"z", L"", L"z.exe", kUser, L""}, L"", L"x.lnk"},
      {1, L"SCHEDULERE", {L"T1", L"", L"x.exe", L""}, {L"T2", L"", L"x.exe", L""}, L"T1.scd", L"T2.scd"},
      {2, L"BHO", {L"H1", L"", L"h.dll", L"C:\\h1.dll", L"{H1} (64-bit)"}, {L"H2", L"", L"h.dll", L"C:\\h2.dll", L"{H2}"}, L"", L""},
      {3, L"TOOLBAR", {L"B1", L"", L"", L"C:\\b1.dll", L"1{B1}"}, {L"B2", L"", L"u.exe", L"C:\\b2.dll", L"{B2}"}, L"", L""},
      {4, L"ICON", {L"I1", L"http://1.example/", L"{I1}"}, {L"I2", L"http://2.example/", L"{I2}"}, L"{I1}", L"{I2}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    ASSERT_TRUE(recovery::RewriteRecoverySection(store, c.section, {c.gone, c.kept}));
    for (const std::wstring& payload : {c.gonePayload, c.keptPayload})
      if (!payload.empty()) WriteBytes(store.datFolder + L"\\" + payload, "payload");
    Open();
    Visit(c.page);
    Tick(c.page, c.gone[0]);
    dialogs.Answer(IDYES);
    form->btnDelClick(c.page);
    const auto left = recovery::ReadRecoverySection(store, c.section);
    ASSERT_EQ(left.size(), 1u);
    RecoveryRecord kept = c.kept;
    kept.resize(left[0].size());
    EXPECT_EQ(left[0], kept);
    EXPECT_EQ(form->List(c.page).Count(), 1);
    if (!c.gonePayload.empty()) {
      EXPECT_FALSE(Exists(store.datFolder + L"\\" + c.gonePayload));
    }
    if (!c.keptPayload.empty()) {
      EXPECT_TRUE(Exists(store.datFolder + L"\\" + c.keptPayload));
    }
    form.reset();
  }
  EXPECT_TRUE(runs.empty());  // a purged add-on is not registered again
  EXPECT_TRUE(fakeTasks.added.empty());
}

TEST_F(SysRecoveryTest, APayloadTwoRecordsNameStaysUntilTheLastOfThemGoes) {
  // Records of older versions of one Startup name from both folders, the
  // same task removed twice, two buttons of one key: one file for two.
  const std::string exportText =
      "ROOT_KEY = HKEY_CURRENT_USER\r\nBASE_KEY = \\Software\\Microsoft\\Internet Explorer\\Extensions\r\n"
      "CLSID_REGKEY = {K}\r\nButtonText = str::Two\r\n";
  const struct {
    int page;
    const wchar_t* section;
    RecoveryRecord first, second;
    std::wstring payload;
    std::string bytes;
  } cases[] = {
      {0, L"START_PROGRAM", {L"a.lnk", L"", userFolder.path(), L"STARTUP"}, {L"a.lnk", L"", commonFolder.path(), L"STARTUP"}, L"a.lnk", "lnk"},
      {1, L"SCHEDULERE", {L"T", L"", L"old.exe", L""}, {L"T", L"", L"new.exe", L""}, L"T.scd", kTaskXml},
      {4, L"ICON", {L"One", L"http://1.example/", L"{K}", L"", L""}, {L"Two", L"http://2.example/", L"{K}", L"", L""}, L"{K}", exportText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    Append(c.section, c.first);
    Append(c.section, c.second);
    const std::wstring payload = store.datFolder + L"\\" + c.payload;
    WriteBytes(payload, c.bytes);
    TSysRecoveryForm& f = Open();
    Visit(c.page);
    ASSERT_EQ(f.List(c.page).Count(), 2);
    f.List(c.page).SetChecked(0, true);
    dialogs.Answer(IDYES);
    f.btnDelClick(c.page);
    EXPECT_TRUE(Exists(payload));  // the second record still needs it
    ASSERT_EQ(f.List(c.page).Count(), 1);

    f.List(c.page).SetChecked(0, true);
    dialogs.Answer(IDYES);
    if (c.page == 0) dialogs.Answer(IDNO);  // the question to run it now
    f.btnRecoverClick(c.page);
    EXPECT_EQ(f.List(c.page).Count(), 0);
    EXPECT_TRUE(recovery::ReadRecoverySection(store, c.section).empty());
    EXPECT_FALSE(Exists(payload));  // restored: moved back, or used and deleted
    form.reset();
  }
  EXPECT_TRUE(Exists(commonFolder.path() + L"\\a.lnk"));
  EXPECT_EQ(fakeTasks.tasks.count(L"T"), 1u);
  RegKey button;
  EXPECT_EQ(button.Open(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Extensions\\{K}", KEY_READ),
            ERROR_SUCCESS);
}

TEST_F(SysRecoveryTest, APurgeTheIndexRefusesKeepsThePayloadOfTheRecordThatStays) {
  Append(L"SCHEDULERE", {L"Kept", L"", L"x.exe", L""});
  WriteBytes(recovery::TaskBackupPath(store, L"Kept"), kTaskXml);
  TSysRecoveryForm& f = Open();
  Visit(1);
  f.btnAllCheckClick(1);
  // Another program holds the index: it can be read, not written.
  HANDLE held = ::CreateFileW(store.indexPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  dialogs.Answer(IDYES);
  f.btnDelClick(1);
  ::CloseHandle(held);
  EXPECT_EQ(Joined(L"SCHEDULERE"), (std::vector<std::wstring>{L"Kept||||x.exe||"}));
  EXPECT_EQ(f.lv2->Count(), 1);
  EXPECT_TRUE(Exists(recovery::TaskBackupPath(store, L"Kept")));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, kRcvFail);
}

TEST_F(SysRecoveryTest, AddOnsAreRegisteredWithTheRegsvr32OfTheirView) {
  Append(L"BHO", {L"H64", L"", L"h.dll", L"C:\\A B\\h64.dll", L"{H64} (64-bit)"});
  Append(L"TOOLBAR", {L"B", L"", L"", L"C:\\b.dll", L"1{B}"});
  Append(L"TOOLBAR", {L"NoPath", L"", L"", L"", L"{N}"});
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring regsvr32 = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s ";

  TSysRecoveryForm& f = Open();
  Visit(2);
  f.btnAllCheckClick(2);
  dialogs.Answer(IDYES);
  f.btnRecoverClick(2);
  Visit(3);
  ASSERT_EQ(f.Records(3).size(), 2u);
  EXPECT_EQ(f.Records(3)[0][4], L"1{B}");  // the hidden id beside its row
  f.btnAllCheckClick(3);
  dialogs.Answer(IDYES);
  f.btnRecoverClick(3);

  // Run hidden and waited for; the 64-bit build's own system folder serves both views.
  EXPECT_EQ(runs, (std::vector<std::wstring>{regsvr32 + L"\"C:\\A B\\h64.dll\"", regsvr32 + L"\"C:\\b.dll\""}));
  EXPECT_TRUE(std::all_of(runShows.begin(), runShows.end(), [](int s) { return s == SW_HIDE; }));
  EXPECT_TRUE(Joined(L"BHO").empty());
  // A record without a server path cannot be registered: it stays, with its id.
  EXPECT_EQ(Joined(L"TOOLBAR"), (std::vector<std::wstring>{L"NoPath||||||||{N}"}));
  EXPECT_EQ(dialogs.messages.back().text, kRcvFail);
  // The regsvr32 of each view, as a full path of the system folders.
#ifdef _WIN64
  wchar_t wow[MAX_PATH] = {};
  ::GetSystemWow64DirectoryW(wow, MAX_PATH);
  EXPECT_EQ(Regsvr32ForView(recovery::RegistryView::Bits32), std::wstring(wow) + L"\\regsvr32.exe");
  EXPECT_EQ(Regsvr32ForView(recovery::RegistryView::Bits64), std::wstring(system) + L"\\regsvr32.exe");
#else
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(Regsvr32ForView(recovery::RegistryView::Bits64), std::wstring(windows) + L"\\Sysnative\\regsvr32.exe");
#endif
}

TEST_F(SysRecoveryTest, AnExportWhoseKeyLeavesTheExtensionKeyIsRefusedAndKept) {
  const struct {
    const wchar_t* key;
    std::string file;
  } cases[] = {
      {L"{R1}", "ROOT_KEY = HKEY_CURRENT_USER\r\nBASE_KEY = \\Software\\Microsoft\\Windows\\CurrentVersion\r\n"
                "CLSID_REGKEY = Run\r\nevil = str::C:\\evil.exe\r\n"},
      {L"{R2}", "ROOT_KEY = HKEY_CURRENT_USER\r\nBASE_KEY = \\Software\\Microsoft\\Internet Explorer\\Extensions\r\n"
                "CLSID_REGKEY = ..\\..\\Windows\\CurrentVersion\\Run\r\nevil = str::C:\\evil.exe\r\n"},
      {L"{R3}", "garbage without a header\r\n"},
  };
  for (const auto& c : cases) {
    Append(L"ICON", {c.key, L"http://x.example/", c.key, L"", L""});
    WriteBytes(recovery::RegistryExportPath(store, c.key), c.file);
  }
  TSysRecoveryForm& f = Open();
  Visit(4);
  f.btnAllCheckClick(4);
  dialogs.Answer(IDYES);
  f.btnRecoverClick(4);
  EXPECT_EQ(Value(user, L"evil"), L"<none>");
  EXPECT_EQ(f.lv5->Count(), 3);
  EXPECT_EQ(Joined(L"ICON").size(), 3u);
  for (const auto& c : cases) EXPECT_TRUE(Exists(recovery::RegistryExportPath(store, c.key)));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, kRcvFail);
}

TEST_F(SysRecoveryTest, AnIconRecordRestoresAndPurgesTheExportItsFourthFieldNames) {
  // A user key and a machine key of the same name: the second export was
  // saved under another name.
  const std::wstring ext = L"Software\\Microsoft\\Internet Explorer\\Extensions";
  const std::string header = "BASE_KEY = \\Software\\Microsoft\\Internet Explorer\\Extensions\r\nCLSID_REGKEY = {K}\r\n";
  Append(L"ICON", {L"User", L"http://u.example/", L"{K}", L"", L""});
  Append(L"ICON", {L"Machine", L"http://m.example/", L"{K}", L"{K}.2", L""});
  Append(L"ICON", {L"Other", L"http://o.example/", L"{O}", L"", L""});
  WriteBytes(store.datFolder + L"\\{K}", "ROOT_KEY = HKEY_CURRENT_USER\r\n" + header + "ButtonText = str::User\r\n");
  WriteBytes(store.datFolder + L"\\{K}.2",
             "ROOT_KEY = HKEY_LOCAL_MACHINE\r\n" + header + "REGISTRY_VIEW = 64-bit\r\nButtonText = str::Machine\r\n");

  TSysRecoveryForm& f = Open();
  Visit(4);
  ASSERT_EQ(f.lv5->Count(), 3);
  EXPECT_EQ(f.lv5->ItemText(Row(4, L"Machine"), 2), L"{K}");
  Tick(4, L"Machine");
  dialogs.Answer(IDYES);
  f.btnRecoverClick(4);
  RegKey machine;
  ASSERT_EQ(machine.Open(HKEY_LOCAL_MACHINE, ext + L"\\{K}", KEY_READ | KEY_WOW64_64KEY), ERROR_SUCCESS);
  EXPECT_EQ(Value(machine, L"ButtonText"), L"Machine");
  RegKey userKey;
  EXPECT_NE(userKey.Open(HKEY_CURRENT_USER, ext + L"\\{K}", KEY_READ), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(store.datFolder + L"\\{K}.2"));
  EXPECT_TRUE(Exists(store.datFolder + L"\\{K}"));

  // The rewrite keeps the others' fourth fields; purging the user's record
  // deletes its own export only.
  ::WritePrivateProfileStringW(L"ICON", L"ITEM1", L"Other||http://o.example/||{O}||{O}.7||||", store.indexPath.c_str());
  WriteBytes(store.datFolder + L"\\{O}", "keep");
  WriteBytes(store.datFolder + L"\\{O}.7", "other's");
  Visit(0);
  Visit(4);
  Tick(4, L"User");
  dialogs.Answer(IDYES);
  f.btnDelClick(4);
  EXPECT_FALSE(Exists(store.datFolder + L"\\{K}"));
  EXPECT_EQ(Profile(store.indexPath, L"ICON", L"COUNT"), L"1");
  EXPECT_EQ(Profile(store.indexPath, L"ICON", L"ITEM0"), L"Other||http://o.example/||{O}||{O}.7||||");
  Tick(4, L"Other");
  dialogs.Answer(IDYES);
  f.btnDelClick(4);
  EXPECT_FALSE(Exists(store.datFolder + L"\\{O}.7"));
  EXPECT_TRUE(Exists(store.datFolder + L"\\{O}"));
}

TEST_F(SysRecoveryTest, DamagedSectionsAreShownAndRewrittenWithoutLosingARecord) {
  ::WritePrivateProfileStringW(L"START_PROGRAM", L"COUNT", L"5", store.indexPath.c_str());
  ::WritePrivateProfileStringW(L"START_PROGRAM", L"ITEM0", L"short", store.indexPath.c_str());
  ::WritePrivateProfileStringW(L"START_PROGRAM", L"ITEM1", (L"long||m||long.exe||" + kUser + L"||||x||y||z").c_str(),
                               store.indexPath.c_str());
  ::WritePrivateProfileStringW(L"START_PROGRAM", L"ITEM3", (L"third||||t.exe||" + kUser).c_str(), store.indexPath.c_str());
  ::WritePrivateProfileStringW(L"BHO", L"COUNT", L"two", store.indexPath.c_str());
  ::WritePrivateProfileStringW(L"BHO", L"ITEM0", L"lonely", store.indexPath.c_str());
  ::WritePrivateProfileStringW(L"ICON", L"COUNT", L"1", store.indexPath.c_str());
  ::WritePrivateProfileStringW(L"ICON", L"ITEM0", L"Button||http://x.example/||{K}||extra||more||and||more",
                               store.indexPath.c_str());

  TSysRecoveryForm& f = Open();
  ASSERT_EQ(f.lv1->Count(), 3);
  EXPECT_EQ(f.lv1->ItemText(0, 0), L"short");
  EXPECT_EQ(f.lv1->ItemText(0, 3), L"");
  EXPECT_EQ(f.lv1->ItemText(1, 3), kUser);
  Visit(2);
  EXPECT_EQ(f.lv3->Count(), 0);  // "COUNT" is not a number
  Visit(4);
  ASSERT_EQ(f.lv5->Count(), 1);
  EXPECT_EQ(f.lv5->ItemText(0, 2), L"{K}");

  // The short one has no place: it stays. The long one comes back.
  Visit(0);
  Tick(0, L"short");
  Tick(0, L"long");
  dialogs.Answer(IDYES);
  dialogs.Answer(IDNO);
  f.btnRecoverClick(0);
  EXPECT_EQ(Value(user, L"long"), L"long.exe");
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"ITEM0"), L"short||||||");
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"ITEM1"), L"third||||t.exe||" + kUser);
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"COUNT"), L"2");
  EXPECT_EQ(Profile(store.indexPath, L"START_PROGRAM", L"ITEM3"), L"<none>");
}

TEST_F(SysRecoveryTest, EveryVisitReadsThePageAgain) {
  TSysRecoveryForm& f = Open();
  EXPECT_EQ(f.lv1->Count(), 0);
  Append(L"START_PROGRAM", {L"later", L"", L"l.exe", kUser});
  Append(L"BHO", {L"H", L"", L"h.dll", L"C:\\h.dll", L"{H}"});
  f.Show();
  ClickTab(*f.rzpgcntrl, 2);
  EXPECT_EQ(f.rzpgcntrl->ActiveIndex(), 2);
  EXPECT_EQ(f.lv3->Count(), 1);
  ClickTab(*f.rzpgcntrl, 0);
  EXPECT_EQ(f.lv1->Count(), 1);
  EXPECT_EQ(f.lv1->ItemText(0, 0), L"later");
}

TEST_F(SysRecoveryTest, BeforeVistaTheSchedulerPageIsDisabledAndRefusedWithAMessage) {
  Append(L"SCHEDULERE", {L"Task", L"", L"x.exe", L""});
  host.family = kFamilyLegacy;  // what Windows XP gives
  TSysRecoveryForm& f = Open();
  EXPECT_FALSE(f.TasksSupported());
  EXPECT_FALSE(f.tabSheet[1]->Enabled());
  EXPECT_FALSE(f.rzpgcntrlChanging(1));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, L"\"스케줄러 복원\"은 비스타 이상에서만 사용할 수 있습니다.");
  EXPECT_EQ(dialogs.messages[0].type & 0xF, static_cast<UINT>(MB_OK));
  // A click on the tab is refused too; the other pages open.
  f.Show();
  ClickTab(*f.rzpgcntrl, 1);
  EXPECT_EQ(f.rzpgcntrl->ActiveIndex(), 0);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(f.lv2->Count(), 0);
  ClickTab(*f.rzpgcntrl, 2);
  EXPECT_EQ(f.rzpgcntrl->ActiveIndex(), 2);
}

TEST_F(SysRecoveryTest, TheWindowHasItsDesignedLayout) {
  TSysRecoveryForm& f = Open();
  RECT client{};
  ::GetClientRect(f.hwnd(), &client);
  EXPECT_EQ(client.right, ui::Scale(771));
  EXPECT_EQ(client.bottom, ui::Scale(560));
  EXPECT_EQ(f.Caption(), kCaption);
  ASSERT_EQ(f.rzpgcntrl->SheetCount(), 5);
  EXPECT_EQ(f.rzpgcntrl->SheetCaption(4), L"확장 아이콘 복원");
  EXPECT_EQ(f.rzpgcntrl->ActiveIndex(), 0);
  for (int page = 0; page < 5; ++page) {
    EXPECT_EQ(f.pnlTop[page]->HeightPx(), ui::Scale(30));
    EXPECT_EQ(f.List(page).ColumnCount(), page == 4 ? 3 : 4);
  }
  EXPECT_EQ(f.lv5->ColumnCaption(1), L"홈페이지 주소");
  EXPECT_EQ(f.btnRecover[4]->Text(), L"설정 복원 후 저장");
  EXPECT_EQ(f.btnClose->Text(), L"닫기");
  // Close sits at the right of the bottom panel, below the pages.
  EXPECT_EQ(f.btnClose->BoundsPx().right, f.pnlBottom->WidthPx() - ui::Scale(8));
  EXPECT_GE(f.pnlBottom->TopPx(), f.rzpgcntrl->BoundsPx().bottom);
  f.btnCloseClick();
}

// The window is told to close while its question is up (the taskbar's
// Close, or another program ending Vantrel's windows), then the user
// answers Yes.
class ClosingWhileAsked final : public platform::Dialogs {
 public:
  explicit ClosingWhileAsked(HWND form) : form_(form) { platform::SetDialogs(this); }
  ~ClosingWhileAsked() override { platform::SetDialogs(nullptr); }
  int Message(HWND, const std::wstring&, const std::wstring&, UINT) override {
    ::SendMessageW(form_, WM_CLOSE, 0, 0);
    return IDYES;
  }
  bool OpenFileName(HWND, const std::wstring&, std::wstring*) override { return false; }
  void ShellOpen(HWND, const std::wstring&, const std::wstring&, int) override {}

 private:
  HWND form_;
};

TEST_F(SysRecoveryTest, AWindowClosedDuringItsQuestionChangesNothing) {
  Append(L"START_PROGRAM", {L"usr", L"", L"usr.exe", kUser});
  Append(L"BHO", {L"Helper", L"", L"h.dll", L"C:\\h.dll", L"{A}"});
  Append(L"ICON", {L"Button", L"http://x.example/", L"{C}", L"", L""});
  WriteBytes(recovery::RegistryExportPath(store, L"{C}"), "x");
  const std::string before = ReadBytes(store.indexPath);
  for (int page : {0, 2, 4}) {
    for (bool purge : {false, true}) {
      SCOPED_TRACE(page * 2 + purge);
      TSysRecoveryForm& f = Open();
      Visit(page);
      f.btnAllCheckClick(page);
      ClosingWhileAsked closing(f.hwnd());
      if (purge) {
        f.btnDelClick(page);
      } else {
        f.btnRecoverClick(page);
      }
      EXPECT_EQ(ReadBytes(store.indexPath), before);
      EXPECT_TRUE(Exists(recovery::RegistryExportPath(store, L"{C}")));
      form.reset();
    }
  }
  EXPECT_EQ(Value(user, L"usr"), L"<none>");
  EXPECT_TRUE(runs.empty());
}

TEST_F(SysRecoveryTest, TheKeyboardStartsInTheListAndTabsThroughThePageThenTabsThenClose) {
  Append(L"START_PROGRAM", {L"usr", L"", L"usr.exe", kUser});
  TSysRecoveryForm& f = Open();
  ::ShowWindow(f.hwnd(), SW_SHOWNA);
  HWND strip = ::FindWindowExW(f.rzpgcntrl->hwnd(), nullptr, WC_TABCONTROLW, nullptr);
  for (int page : {0, 2}) {
    SCOPED_TRACE(page);
    Visit(page);
    const std::vector<HWND> expected{f.List(page).hwnd(),      f.btnAllCheck[page]->hwnd(), f.btnAllUncheck[page]->hwnd(),
                                     f.btnDel[page]->hwnd(),   f.btnRecover[page]->hwnd(),  strip,
                                     f.btnClose->hwnd()};
    std::vector<HWND> order{::GetNextDlgTabItem(f.hwnd(), nullptr, FALSE)};
    while (order.size() < expected.size() + 1) order.push_back(::GetNextDlgTabItem(f.hwnd(), order.back(), FALSE));
    EXPECT_EQ(order.back(), expected.front());  // round again
    order.pop_back();
    EXPECT_EQ(order, expected);
  }
}

TEST_F(SysRecoveryTest, EveryCaptionAndMessageComesFromTheLanguageTable) {
  wchar_t exe[MAX_PATH] = {};
  std::wstring table(exe, ::GetModuleFileNameW(nullptr, exe, MAX_PATH));
  table.erase(table.find_last_of(L'\\'));  // bin
  table.erase(table.find_last_of(L'\\'));  // the build folder
  SetCurrentLanguageTable(LanguageTable::Open(table + L"\\resources\\lang\\English.dat", CP_ACP));
  ASSERT_NE(CurrentLanguageTable(), nullptr) << "build the language_tables target first";
  const ui::CaptionReader english(L"SysRecoveryForm");
  auto text = [&](const std::wstring& key) { return english.Text(key, L"<missing " + key + L">"); };

  TSysRecoveryForm& f = Open();
  EXPECT_EQ(f.Caption(), L"Recover process system");
  EXPECT_EQ(f.btnClose->Text(), text(L"btnClose"));
  for (int page = 0; page < TSysRecoveryForm::kPageCount; ++page) {
    SCOPED_TRACE(page);
    const std::wstring n = std::to_wstring(page + 1);
    const std::wstring suffix = page == 0 ? L"" : n;
    EXPECT_EQ(f.rzpgcntrl->SheetCaption(page), text(L"tabSheet" + n));
    EXPECT_EQ(f.lblTop[page]->Text(), text(L"pnlTop" + n));
    EXPECT_EQ(f.btnAllCheck[page]->Text(), text(L"btnAllCheck" + suffix));
    EXPECT_EQ(f.btnAllUncheck[page]->Text(), text(L"btnAllUncheck" + suffix));
    EXPECT_EQ(f.btnDel[page]->Text(), text(L"btnDel" + suffix));
    EXPECT_EQ(f.btnRecover[page]->Text(), text(L"btnRecover" + suffix));
    for (int c = 0; c < f.List(page).ColumnCount(); ++c)
      EXPECT_EQ(f.List(page).ColumnCaption(c), text(ui::CaptionReader::ColumnKey(L"lv" + n, c)));
  }
  EXPECT_EQ(f.lv5->ColumnCaption(1), L"Homepage address");
  f.btnDelClick(0);
  f.btnRecoverClick(0);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text, L"Please select items to delete.");
  EXPECT_EQ(dialogs.messages[1].text, L"Please selected items to recover.");
  EXPECT_EQ(dialogs.messages[1].caption, L"Recover process system");
  form.reset();
  SetCurrentLanguageTable(nullptr);
}

}  // namespace
}  // namespace vantrel
