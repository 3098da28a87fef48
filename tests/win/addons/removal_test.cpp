// The add-on window in-process: ticks and exclusion marks, manual and
// automatic removal checked in the registry, "Recovery.ini" and the dat
// folder, the toolbar uninstallers, sorting, and saving the exclusions.
#include <gtest/gtest.h>

#include <algorithm>

#include "addon_fixture.h"
#include "addons/bho_form.h"
#include "core/app_state.h"
#include "core/settings_file.h"
#include "support/scripted_dialogs.h"

namespace vantrel::test {
namespace {

using namespace vantrel::addons;

const std::wstring kA = L"{AAAAAAAA-0000-0000-0000-000000000001}";
const std::wstring kB = L"{BBBBBBBB-0000-0000-0000-000000000002}";
const std::wstring kC = L"{CCCCCCCC-0000-0000-0000-000000000003}";
const std::wstring kD = L"{DDDDDDDD-0000-0000-0000-000000000004}";
const std::wstring kE = L"{EEEEEEEE-0000-0000-0000-000000000005}";

int FindRow(const ui::ListView& list, int column, const std::wstring& text) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.ItemText(i, column) == text) return i;
  return -1;
}

void Click(TBHOForm& form, ui::ListView& list, int row, int column) {
  ASSERT_GE(row, 0);
  ui::ListHit hit;
  hit.item = row;
  hit.subItem = column;
  form.lvMouseDown(list, hit);
}

size_t CountOf(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), text));
}

class RemovalTest : public AddonFixture {
 protected:
  std::unique_ptr<TBHOForm> MakeForm() {
    auto form = std::make_unique<TBHOForm>(nullptr, L"Setup", L"Cancel", env_);
    EXPECT_TRUE(form->Create());
    return form;
  }
  std::wstring BhoKey(const std::wstring& clsid) const { return std::wstring(kBhoKey) + L"\\" + clsid; }
  std::wstring ExtensionKey(const std::wstring& clsid) const { return std::wstring(kExtensionsKey) + L"\\" + clsid; }
  bool HasToolbarValue(const std::wstring& clsid) const {
    platform::RegKey key;
    return key.Open(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_READ | recovery::ViewFlag(kOwnView)) == ERROR_SUCCESS &&
           key.HasValue(clsid);
  }
  std::vector<std::string> ServerCalls() const { return ReadAnsiLines(TestServerPath() + L".log"); }
  // regsvr32 is waited for 5 s only; on a loaded machine it may note its
  // call a little later.
  size_t UnregisterCalls(size_t expected) const {
    for (int i = 0; i < 100 && CountOf(ServerCalls(), "unregister") < expected; ++i) ::Sleep(200);
    return CountOf(ServerCalls(), "unregister");
  }
  std::vector<std::wstring> UninstallerRuns() const { return ReadWideLines(RecordArgsPath() + L".args"); }
};

TEST_F(RemovalTest, ManualRemovalBacksUpEachTickedAddonThenRemovesIt) {
  const std::wstring server = TestServerPath();
  RegisterClass(kA, L"Helper A", server);
  AddBho(kA);
  RegisterClass(kB, L"Helper B", L"C:\\keep\\b.dll");
  AddBho(kB);
  RegisterClass(kC, L"Bar C", server);
  AddToolbarValue(kC);
  RegisterClass(kD, L"Bar D", L"C:\\D\\d32.dll", RegistryView::Bits32);
  Machine(kToolbarKey, RegistryView::Bits32);
  AddExplorerBar(kD, RegistryView::Bits32);
  AddUninstall(L"Other", L"");
  AddUninstall(L"Other", L"", RegistryView::Bits32);
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"http://go.example/");
  AddExtension(HKEY_LOCAL_MACHINE, kE, L"Go", L"http://go.example/");
  // Helper A is excluded, but a tick removes it all the same in manual mode.
  SettingsFile(env_.settingsPath).WriteText(L"INIT_EXCEPT", L"BHO", L"test_addon_server.dll");

  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);
  auto form = MakeForm();
  ASSERT_EQ(form->lv1->Count(), 2);
  ASSERT_EQ(form->lv2->Count(), 2);
  ASSERT_EQ(form->lv3->Count(), 2);
  const int a = FindRow(*form->lv1, 0, L"Helper A");
  EXPECT_TRUE(form->RowExcluded(*form->lv1, a));
  EXPECT_EQ(form->lv1->ItemText(a, 1), L"Setup");
  Click(*form, *form->lv1, a, 0);
  Click(*form, *form->lv2, FindRow(*form->lv2, 0, L"Bar C"), 0);
  Click(*form, *form->lv2, FindRow(*form->lv2, 0, L"Bar D"), 0);
  Click(*form, *form->lv3, 0, 0);
  Click(*form, *form->lv3, 1, 0);
  form->btnDelClick();

  ASSERT_EQ(dialogs.messages.size(), 1u);  // only the confirmation
  EXPECT_EQ(dialogs.messages[0].caption, L"익스플로러 초기화");
  EXPECT_EQ(form->lv1->Count(), 1);
  EXPECT_EQ(form->lv2->Count(), 0);
  EXPECT_EQ(form->lv3->Count(), 0);
  ASSERT_EQ(form->Clsids().size(), 1u);
  EXPECT_EQ(form->Clsids()[0].id, kB);

  EXPECT_FALSE(MachineKeyExists(BhoKey(kA)));
  EXPECT_TRUE(MachineKeyExists(BhoKey(kB)));
  EXPECT_FALSE(HasToolbarValue(kC));
  EXPECT_TRUE(MachineKeyExists(kToolbarKey));
  EXPECT_FALSE(MachineKeyExists(std::wstring(kExplorerBarsKey) + L"\\" + kD, RegistryView::Bits32));
  EXPECT_FALSE(UserKeyExists(ExtensionKey(kE)));
  EXPECT_FALSE(MachineKeyExists(ExtensionKey(kE)));
  // Class registrations and server files stay; regsvr32 /u ran for each server.
  EXPECT_TRUE(MachineKeyExists(std::wstring(kClassesClsidKey) + kA));
  EXPECT_EQ(UnregisterCalls(2), 2u);

  const auto bho = Records(L"BHO");
  ASSERT_EQ(bho.size(), 1u);
  EXPECT_EQ(bho[0], (recovery::RecoveryRecord{L"Helper A", L"", L"test_addon_server.dll", server, recovery::RecordIdWithView(kA, kOwnView)}));
  const auto toolbars = Records(L"TOOLBAR");
  ASSERT_EQ(toolbars.size(), 2u);
  std::vector<std::wstring> ids{toolbars[0][4], toolbars[1][4]};
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<std::wstring>{recovery::RecordIdWithView(L"1" + kC, kOwnView), kD}));
  // One record and one export per key: the current user's key went first,
  // the machine's export took the next free name.
  const auto icons = Records(L"ICON");
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons[0], (recovery::RecoveryRecord{L"Go", L"http://go.example/", kE, L""}));
  EXPECT_EQ(icons[1], (recovery::RecoveryRecord{L"Go", L"http://go.example/", kE, kE + L".2"}));
  const auto userExport = ReadAnsiLines(env_.store.datFolder + L"\\" + kE);
  ASSERT_GE(userExport.size(), 4u);
  EXPECT_EQ(userExport[0], "ROOT_KEY = HKEY_CURRENT_USER");
  const auto machineExport = ReadAnsiLines(env_.store.datFolder + L"\\" + kE + L".2");
  ASSERT_GE(machineExport.size(), 4u);
  EXPECT_EQ(machineExport[0], "ROOT_KEY = HKEY_LOCAL_MACHINE");
  EXPECT_EQ(machineExport[3], kOwnView == RegistryView::Bits64 ? "REGISTRY_VIEW = 64-bit" : "REGISTRY_VIEW = 32-bit");
  EXPECT_EQ(CountOf(machineExport, "ButtonText = str::Go"), 1u);
  // Removing changes no exclusion.
  EXPECT_EQ(SettingsFile(env_.settingsPath).ReadText(L"INIT_EXCEPT", L"BHO"), L"test_addon_server.dll");
}

TEST_F(RemovalTest, NothingTickedOrNoAnswerRemovesNothing) {
  RegisterClass(kA, L"Helper A", TestServerPath());
  AddBho(kA);
  ScriptedDialogs dialogs;
  dialogs.Answer(IDNO);
  auto form = MakeForm();
  form->btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, L"삭제할 항목을 선택하세요.");
  EXPECT_EQ(dialogs.messages[0].caption, kProgramTitle);
  EXPECT_EQ(dialogs.messages[0].type & 0xF, static_cast<UINT>(MB_OK));

  form->btnAllCheckClick();
  form->btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].type & 0xF, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(MachineKeyExists(BhoKey(kA)));
  EXPECT_EQ(form->lv1->Count(), 1);
  EXPECT_TRUE(Records(L"BHO").empty());
  EXPECT_TRUE(ServerCalls().empty());
  form->btnAllUncheckClick();
  EXPECT_FALSE(form->RowTicked(*form->lv1, 0));
}

TEST_F(RemovalTest, WithoutABackupNothingIsRemoved) {
  RegisterClass(kA, L"Helper A", TestServerPath());
  AddBho(kA);
  RegisterClass(kC, L"Bar C", TestServerPath());
  AddToolbarValue(kC);
  AddUninstall(kC, L"\"" + RecordArgsPath() + L"\" /S");
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"x");
  env_.store.indexPath = folder_.File(L"missing\\Recovery.ini");  // cannot be written
  for (const bool automatic : {false, true}) {
    SCOPED_TRACE(automatic ? "automatic" : "manual");
    ScriptedDialogs dialogs;
    dialogs.Answer(IDYES);
    dialogs.Answer(IDNO);  // the toolbar through the registry
    AddonAutoReset = automatic;
    auto form = MakeForm();
    if (automatic) {
      form->ShowModal();
    } else {
      form->btnAllCheckClick();
      form->btnDelClick();
      EXPECT_EQ(form->lv1->Count(), 1);  // still installed, still listed
      EXPECT_EQ(form->lv2->Count(), 1);
      EXPECT_EQ(form->lv3->Count(), 1);
    }
    EXPECT_TRUE(MachineKeyExists(BhoKey(kA)));
    EXPECT_TRUE(HasToolbarValue(kC));
    EXPECT_TRUE(UserKeyExists(ExtensionKey(kE)));
    EXPECT_TRUE(ServerCalls().empty());
    EXPECT_TRUE(UninstallerRuns().empty());
  }
}

TEST_F(RemovalTest, AnExportThatFailsKeepsTheExtensionKey) {
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"x");
  // No dat folder: the export cannot be written.
  env_.store.datFolder = folder_.File(L"no dat");
  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);
  auto form = MakeForm();
  form->btnAllCheckClick();
  form->btnDelClick();
  EXPECT_TRUE(UserKeyExists(ExtensionKey(kE)));
  EXPECT_EQ(Records(L"ICON").size(), 1u);
}

// The user's and the machine's key of one extension, removed one after the
// other and again after a restore while the older backups are still kept:
// every removal leaves its own export, and each one restores its own key.
TEST_F(RemovalTest, EqualExtensionKeysOfUserAndMachineEachKeepTheirOwnBackup) {
  const std::wstring key = ExtensionKey(kE);
  auto exec = [&](HKEY root) {
    platform::RegKey k;
    std::wstring text;
    if (k.Open(root, key, KEY_READ | (root == HKEY_LOCAL_MACHINE ? recovery::ViewFlag(kOwnView) : 0)) != ERROR_SUCCESS ||
        !k.ReadString(L"Exec", &text))
      return std::wstring(L"<none>");
    return text;
  };
  auto removeAll = [&] {
    ScriptedDialogs dialogs;
    dialogs.Answer(IDYES);
    auto form = MakeForm();
    ASSERT_EQ(form->lv3->Count(), 2);
    form->btnAllCheckClick();
    form->btnDelClick();
    EXPECT_EQ(form->lv3->Count(), 0);
    EXPECT_EQ(exec(HKEY_CURRENT_USER), L"<none>");
    EXPECT_EQ(exec(HKEY_LOCAL_MACHINE), L"<none>");
  };
  auto payloads = [&] {
    std::vector<std::wstring> paths;
    for (const auto& record : Records(L"ICON")) paths.push_back(recovery::IconPayloadPath(env_.store, record));
    return paths;
  };
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"http://user.example/");
  AddExtension(HKEY_LOCAL_MACHINE, kE, L"Go", L"http://machine.example/");
  removeAll();
  const auto first = payloads();
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0], env_.store.datFolder + L"\\" + kE);
  EXPECT_EQ(first[1], env_.store.datFolder + L"\\" + kE + L".2");
  for (const auto& file : first) EXPECT_TRUE(recovery::ImportRegistryExport(file, std::wstring(kExtensionsKey))) << file;
  EXPECT_EQ(exec(HKEY_CURRENT_USER), L"http://user.example/");
  EXPECT_EQ(exec(HKEY_LOCAL_MACHINE), L"http://machine.example/");

  // Restored but the backups kept: the next removal takes new names.
  const auto userBackup = ReadAnsiLines(first[0]), machineBackup = ReadAnsiLines(first[1]);
  removeAll();
  const auto all = payloads();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[2], env_.store.datFolder + L"\\" + kE + L".3");
  EXPECT_EQ(all[3], env_.store.datFolder + L"\\" + kE + L".4");
  EXPECT_EQ(ReadAnsiLines(first[0]), userBackup);
  EXPECT_EQ(ReadAnsiLines(first[1]), machineBackup);
  for (size_t i = 2; i < 4; ++i) EXPECT_TRUE(recovery::ImportRegistryExport(all[i], std::wstring(kExtensionsKey)));
  EXPECT_EQ(exec(HKEY_CURRENT_USER), L"http://user.example/");
  EXPECT_EQ(exec(HKEY_LOCAL_MACHINE), L"http://machine.example/");
}

TEST_F(RemovalTest, AutomaticModeIsInvisibleAsksNothingAndSparesTheExcluded) {
  const std::wstring server = TestServerPath();
  RegisterClass(kA, L"Helper A", server);
  AddBho(kA);
  RegisterClass(kB, L"Helper B", L"C:\\keep\\keep.dll");
  AddBho(kB);
  RegisterClass(kC, L"Bar C", server);
  AddToolbarValue(kC);
  AddUninstall(kC, L"\"" + RecordArgsPath() + L"\" /S");
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"x");
  AddExtension(HKEY_CURRENT_USER, kD, L"Keep", L"y");
  SettingsFile settings(env_.settingsPath);
  settings.WriteText(L"INIT_EXCEPT", L"BHO", L"keep.dll");
  settings.WriteText(L"INIT_EXCEPT", L"ICON", L"Keep");

  ScriptedDialogs dialogs;
  AddonAutoReset = true;
  auto form = MakeForm();
  EXPECT_TRUE(form->AutomaticMode());
  form->ShowModal();  // the timer removes and closes
  EXPECT_FALSE(form->IsVisible());
  EXPECT_FALSE(AddonAutoReset);
  EXPECT_TRUE(dialogs.messages.empty());

  EXPECT_FALSE(MachineKeyExists(BhoKey(kA)));
  EXPECT_TRUE(MachineKeyExists(BhoKey(kB)));
  // A toolbar with an uninstaller goes through the registry with its backup.
  EXPECT_FALSE(HasToolbarValue(kC));
  EXPECT_TRUE(UninstallerRuns().empty());
  ASSERT_EQ(Records(L"TOOLBAR").size(), 1u);
  EXPECT_EQ(Records(L"TOOLBAR")[0][2], L"\"" + RecordArgsPath() + L"\" /S");
  EXPECT_FALSE(UserKeyExists(ExtensionKey(kE)));
  EXPECT_TRUE(UserKeyExists(ExtensionKey(kD)));
  ASSERT_EQ(Records(L"BHO").size(), 1u);
  EXPECT_EQ(Records(L"ICON").size(), 1u);
  const auto exported = ReadAnsiLines(env_.store.datFolder + L"\\" + kE);
  ASSERT_FALSE(exported.empty());
  EXPECT_EQ(exported[0], "ROOT_KEY = HKEY_CURRENT_USER");

  // The next window is manual again.
  auto next = MakeForm();
  EXPECT_FALSE(next->AutomaticMode());
}

class UninstallerTest : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    for (const auto* id : {&kA, &kB, &kC}) {
      RegisterClass(*id, L"Bar " + id->substr(1, 1), TestServerPath());
      AddToolbarValue(*id);
    }
    AddUninstall(kA, L"\"" + RecordArgsPath() + L"\" /S");
    AddUninstall(kB + L"_is1", L"\"" + RecordArgsPath() + L"\" /T");
  }
};

TEST_F(UninstallerTest, YesRunsEveryUninstallerOnceAskedAndBacksUpNone) {
  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);  // remove?
  dialogs.Answer(IDYES);  // run the uninstallers?
  auto form = MakeForm();
  form->btnAllCheckClick();
  form->btnDelClick();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_NE(dialogs.messages[1].text.find(L"툴바 제거 프로그램"), std::wstring::npos);
  EXPECT_EQ(form->lv2->Count(), 0);

  const auto runs = UninstallerRuns();
  ASSERT_EQ(runs.size(), 2u);
  std::vector<std::wstring> switches;
  for (const auto& line : runs) {
    EXPECT_NE(line.find(RecordArgsPath()), std::wstring::npos) << line;
    switches.push_back(line.substr(line.find_last_of(L' ') + 1));
  }
  std::sort(switches.begin(), switches.end());
  EXPECT_EQ(switches, (std::vector<std::wstring>{L"/S", L"/T"}));
  // The uninstallers' toolbars are left to them; the one without goes through the registry.
  EXPECT_TRUE(HasToolbarValue(kA));
  EXPECT_TRUE(HasToolbarValue(kB));
  EXPECT_FALSE(HasToolbarValue(kC));
  const auto records = Records(L"TOOLBAR");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0][4], recovery::RecordIdWithView(L"1" + kC, kOwnView));
}

TEST_F(UninstallerTest, NoRemovesEveryToolbarThroughTheRegistry) {
  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);
  dialogs.Answer(IDNO);
  auto form = MakeForm();
  form->btnAllCheckClick();
  form->btnDelClick();
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(UninstallerRuns().empty());
  for (const auto* id : {&kA, &kB, &kC}) EXPECT_FALSE(HasToolbarValue(*id));
  EXPECT_EQ(Records(L"TOOLBAR").size(), 3u);
}

TEST_F(UninstallerTest, AnUninstallerThatDoesNotEndIsWaitedForABoundedTime) {
  platform::RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + L"\\" + kB + L"_is1");
  AddUninstall(kA, L"\"" + RecordArgsPath() + L"\" /hang");
  AddUninstall(kC, L"\"C:\\no\\such\\uninstaller.exe\" /S");
  env_.uninstallerWaitMs = 1500;
  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);
  dialogs.Answer(IDYES);
  auto form = MakeForm();
  form->btnAllCheckClick();
  form->btnDelClick();  // returns: neither the hanging nor the missing program holds it
  EXPECT_EQ(UninstallerRuns().size(), 1u);
  EXPECT_EQ(form->lv2->Count(), 0);
  EXPECT_TRUE(::IsWindowEnabled(form->hwnd()));
}

// Runs with another current folder, the program folder the user can write
// to, for as long as it lives.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::wstring& path) {
    wchar_t old[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, old);
    old_ = old;
    EXPECT_TRUE(::SetCurrentDirectoryW(path.c_str()));
  }
  ~CurrentFolder() { ::SetCurrentDirectoryW(old_.c_str()); }

 private:
  std::wstring old_;
};

// An uninstall string that names its program by a bare or relative name:
// a copy planted in the current folder under that name never starts.
TEST_F(UninstallerTest, OnlyAProgramNamedByItsFullPathStarts) {
  ScratchFolder planted;
  ASSERT_TRUE(::CreateDirectoryW(planted.File(L"sub").c_str(), nullptr));
  ASSERT_TRUE(::CopyFileW(RecordArgsPath().c_str(), planted.File(L"uninst.exe").c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW(RecordArgsPath().c_str(), planted.File(L"sub\\uninst.exe").c_str(), FALSE));
  CurrentFolder here(planted.path());
  AddUninstall(kA, L"\"uninst.exe\" /S");
  AddUninstall(kB + L"_is1", L"\"sub\\uninst.exe\" /S");
  AddUninstall(kC, L"\"" + RecordArgsPath() + L"\" /C");
  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);
  dialogs.Answer(IDYES);
  auto form = MakeForm();
  form->btnAllCheckClick();
  form->btnDelClick();
  EXPECT_EQ(::GetFileAttributesW(planted.File(L"uninst.exe.args").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(::GetFileAttributesW(planted.File(L"sub\\uninst.exe.args").c_str()), INVALID_FILE_ATTRIBUTES);
  const auto runs = UninstallerRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].find(L"/C"), std::wstring::npos) << runs[0];
}

// regsvr32 runs the server's code: a server path that is not a full one
// (relative, or holding an environment reference the inventory does not
// expand) would load a copy planted in the current folder. Such a helper is
// still backed up and removed from the registry, only not unregistered; a
// full path in quotes is unregistered without them.
TEST_F(RemovalTest, OnlyAFullServerPathIsHandedToRegsvr32) {
  ScratchFolder planted;
  const std::wstring reference = L"%VantrelPlanted%";
  ASSERT_TRUE(::CreateDirectoryW(planted.File(reference).c_str(), nullptr));
  const std::wstring copies[] = {planted.File(L"test_addon_server.dll"),
                                 planted.File(reference + L"\\test_addon_server.dll")};
  for (const auto& copy : copies) ASSERT_TRUE(::CopyFileW(TestServerPath().c_str(), copy.c_str(), FALSE));
  CurrentFolder here(planted.path());
  RegisterClass(kA, L"Relative", L"test_addon_server.dll");
  AddBho(kA);
  RegisterClass(kB, L"Reference", L"");
  const std::wstring expandable = reference + L"\\test_addon_server.dll";
  ASSERT_EQ(Machine(std::wstring(kClassesClsidKey) + kB + L"\\InprocServer32")
                .WriteRaw(L"", REG_EXPAND_SZ, expandable.c_str(),
                          static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  AddBho(kB);
  RegisterClass(kC, L"Quoted", L"\"" + TestServerPath() + L"\"");
  AddBho(kC);

  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);
  auto form = MakeForm();
  ASSERT_EQ(form->lv1->Count(), 3);
  form->btnAllCheckClick();
  form->btnDelClick();
  EXPECT_EQ(UnregisterCalls(1), 1u);
  for (const auto& copy : copies)
    EXPECT_EQ(::GetFileAttributesW((copy + L".log").c_str()), INVALID_FILE_ATTRIBUTES) << copy;
  for (const auto* id : {&kA, &kB, &kC}) EXPECT_FALSE(MachineKeyExists(BhoKey(*id))) << *id;
  EXPECT_EQ(Records(L"BHO").size(), 3u);
}

// A toolbar whose uninstall string is too long for a record: the automatic
// reset cannot back it up and leaves it installed and listed; handed to its
// uninstaller instead, the window does not hang on the huge parameter text.
TEST_F(RemovalTest, AHugeUninstallStringNeverCostsTheToolbarWithoutItsBackup) {
  RegisterClass(kA, L"Bar A", TestServerPath());
  AddToolbarValue(kA);
  AddUninstall(kA, L"\"" + RecordArgsPath() + L"\" /S " + std::wstring(40000, L'x'));
  {
    ScriptedDialogs dialogs;
    AddonAutoReset = true;
    auto form = MakeForm();
    form->ShowModal();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(HasToolbarValue(kA));
    EXPECT_TRUE(Records(L"TOOLBAR").empty());
    EXPECT_EQ(form->lv2->Count(), 1);
  }
  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);
  dialogs.Answer(IDYES);
  auto form = MakeForm();
  form->btnAllCheckClick();
  form->btnDelClick();
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(::IsWindowEnabled(form->hwnd()));
  EXPECT_TRUE(Records(L"TOOLBAR").empty());  // the uninstaller's path keeps no backup
}

TEST_F(RemovalTest, SortingMovesTheHiddenIdsWithTheirRows) {
  RegisterClass(kA, L"b", L"C:\\b.dll");
  RegisterClass(kB, L"a", L"C:\\a.dll");
  RegisterClass(kC, L"c", L"C:\\c.dll");
  for (const auto* id : {&kA, &kB, &kC}) AddBho(*id);
  auto form = MakeForm();
  const std::wstring caption = form->lv1->ColumnCaption(0);
  form->lvColumnClick(*form->lv1, 0);
  EXPECT_EQ(form->lv1->ColumnCaption(0), caption + L" ▲");
  form->lvColumnClick(*form->lv1, 0);
  EXPECT_EQ(form->lv1->ColumnCaption(0), caption + L" ▼");
  ASSERT_EQ(form->lv1->Count(), 3);
  EXPECT_EQ(form->lv1->ItemText(0, 0), L"c");
  for (int i = 0; i < 3; ++i) {
    const std::wstring name = form->lv1->ItemText(i, 0);
    EXPECT_EQ(form->Clsids()[i].id, name == L"a" ? kB : name == L"b" ? kA : kC) << i;
  }
  ScriptedDialogs dialogs;
  dialogs.Answer(IDYES);
  Click(*form, *form->lv1, 0, 0);
  form->btnDelClick();
  EXPECT_FALSE(MachineKeyExists(BhoKey(kC)));
  EXPECT_TRUE(MachineKeyExists(BhoKey(kA)));
  EXPECT_TRUE(MachineKeyExists(BhoKey(kB)));
}

TEST_F(RemovalTest, OnlySaveAndCloseWritesTheExclusionMarks) {
  RegisterClass(kA, L"Helper A", L"C:\\A\\a.dll");
  AddBho(kA);
  RegisterClass(kB, L"Bar B", L"C:\\B\\b.dll");
  AddToolbarValue(kB);
  AddUninstall(L"Other", L"");
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"x");
  AddExtension(HKEY_CURRENT_USER, kD, L"Stay", L"y");
  SettingsFile settings(env_.settingsPath);
  settings.WriteText(L"INIT_EXCEPT", L"ICON", L"Stay||Gone.dll");
  {
    auto form = MakeForm();
    Click(*form, *form->lv1, 0, 1);
    EXPECT_EQ(form->lv1->ItemText(0, 1), L"Setup");
    EXPECT_EQ(form->lv1->ItemImage(0, 1), TBHOForm::kBoxTicked);
    Click(*form, *form->lv1, 0, 2);  // other columns do nothing
    EXPECT_FALSE(form->RowTicked(*form->lv1, 0));
    form->Close();  // the title bar's close
  }
  EXPECT_EQ(settings.ReadText(L"INIT_EXCEPT", L"BHO", L"none"), L"none");
  {
    auto form = MakeForm();
    Click(*form, *form->lv1, 0, 1);
    Click(*form, *form->lv2, 0, 1);
    Click(*form, *form->lv2, 0, 0);  // a tick is no exclusion
    const int stay = FindRow(*form->lv3, 0, L"Stay");
    EXPECT_TRUE(form->RowExcluded(*form->lv3, stay));
    Click(*form, *form->lv3, stay, 1);
    EXPECT_EQ(form->lv3->ItemText(stay, 1), L"Cancel");
    Click(*form, *form->lv3, FindRow(*form->lv3, 0, L"Go"), 1);
    form->btnCancelClick();
  }
  EXPECT_EQ(settings.ReadText(L"INIT_EXCEPT", L"BHO"), L"a.dll");
  EXPECT_EQ(settings.ReadText(L"INIT_EXCEPT", L"TOOLBAR"), L"b.dll");
  EXPECT_EQ(settings.ReadText(L"INIT_EXCEPT", L"ICON"), L"Go");  // the uninstalled "Gone.dll" drops out
}

// A file name the settings file cannot hold (it ends in a blank) is
// refused with its message; the other lists are saved all the same.
TEST_F(RemovalTest, AnExclusionThatCannotBeStoredCostsTheOtherListsNothing) {
  RegisterClass(kA, L"Helper A", L"C:\\A\\odd.dll ");
  AddBho(kA);
  RegisterClass(kB, L"Bar B", L"C:\\B\\b.dll");
  AddToolbarValue(kB);
  AddUninstall(L"Other", L"");
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"x");
  SettingsFile settings(env_.settingsPath);
  settings.WriteText(L"INIT_EXCEPT", L"BHO", L"old.dll");
  ScriptedDialogs dialogs;
  {
    auto form = MakeForm();
    Click(*form, *form->lv1, 0, 1);
    Click(*form, *form->lv2, 0, 1);
    Click(*form, *form->lv3, 0, 1);
    EXPECT_FALSE(form->SaveResetExclusions());
  }
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(settings.ReadText(L"INIT_EXCEPT", L"BHO"), L"old.dll");
  EXPECT_EQ(settings.ReadText(L"INIT_EXCEPT", L"TOOLBAR"), L"b.dll");
  EXPECT_EQ(settings.ReadText(L"INIT_EXCEPT", L"ICON"), L"Go");
}

TEST_F(RemovalTest, ExportAndImportKeepTheRegistryView) {
  const std::wstring base = kExtensionsKey;
  Machine(base + L"\\" + kE, RegistryView::Bits32).WriteString(L"ButtonText", L"Thirty-two");
  ASSERT_TRUE(recovery::ExportRegistryKey(env_.store, HKEY_LOCAL_MACHINE, base, kE, nullptr, RegistryView::Bits32));
  {
    platform::RegKey extensions;
    ASSERT_EQ(extensions.Open(HKEY_LOCAL_MACHINE, base, platform::kKeyReadWrite | KEY_WOW64_32KEY), ERROR_SUCCESS);
    extensions.DeleteTree(kE);
  }
  ASSERT_FALSE(MachineKeyExists(base + L"\\" + kE, RegistryView::Bits32));
  const std::wstring file = recovery::RegistryExportPath(env_.store, kE);
  EXPECT_EQ(ReadAnsiLines(file)[3], "REGISTRY_VIEW = 32-bit");
  ASSERT_TRUE(recovery::ImportRegistryExport(file));
  EXPECT_TRUE(MachineKeyExists(base + L"\\" + kE, RegistryView::Bits32));
  EXPECT_FALSE(MachineKeyExists(base + L"\\" + kE, RegistryView::Bits64));
  // The caller may name the view; an export without a view line imports as before.
  ASSERT_TRUE(recovery::ImportRegistryExport(file, std::nullopt, RegistryView::Bits64));
  EXPECT_TRUE(MachineKeyExists(base + L"\\" + kE, RegistryView::Bits64));
}

}  // namespace
}  // namespace vantrel::test

namespace vantrel::test {
namespace {

class FakeHost : public ui::ToolHost {
 public:
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return 0; }
  bool TopMost() const override { return false; }
  std::wstring ToggleCaption() const override { return L"Vantrel Off"; }
  std::wstring ExceptSetText() const override { return L"Host set"; }
  std::wstring ExceptCancelText() const override { return L"Host cancel"; }
};

struct Seen {
  bool visible = false;
};
Seen seen;

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR id, DWORD) {
  HWND window = ::FindWindowW(TBHOForm::kClassName, nullptr);
  if (!window) return;
  ::KillTimer(nullptr, id);
  seen.visible = ::IsWindowVisible(window);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
}

TEST_F(RemovalTest, TheMainWindowsOpeningIsManualEvenAfterAStaleFlag) {
  const std::wstring clsid = L"{AAAAAAAA-0000-0000-0000-000000000001}";
  RegisterClass(clsid, L"Helper A", TestServerPath());
  AddBho(clsid);
  AddonAutoReset = true;  // left set by mistake: the main window's button still opens the manual window
  seen = {};
  FakeHost host;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, LookAndClose);
  ShowBhoForm(host, env_.settingsPath);
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(seen.visible);
  EXPECT_FALSE(AddonAutoReset);
  EXPECT_TRUE(MachineKeyExists(std::wstring(kBhoKey) + L"\\" + clsid));
}

}  // namespace
}  // namespace vantrel::test

namespace vantrel::test {
namespace {

int ClientHeight(const ui::ListView& list) {
  RECT r{};
  ::GetClientRect(list.hwnd(), &r);
  return r.bottom;
}

void Pump(DWORD ms) {
  const DWORD end = ::GetTickCount() + ms;
  MSG msg;
  while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  }
}

void Mouse(int x, int y, DWORD button) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
  ::SendInput(1, &input, sizeof input);
  Pump(100);
}

// Drags a splitter bar by `dy` pixels with the mouse (real input).
void Drag(ui::Panel& bar, int dy) {
  RECT r{};
  ::GetWindowRect(bar.hwnd(), &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  Mouse(x, y, 0);
  Mouse(x, y, MOUSEEVENTF_LEFTDOWN);
  Mouse(x, y + dy / 2, 0);
  Mouse(x, y + dy, 0);
  Mouse(x, y + dy, MOUSEEVENTF_LEFTUP);
}

// The upper bar moves the border below the first list, the lower one the
// border above the last; the middle list takes what is left, and the first
// list never pushes the others out of the window.
TEST_F(RemovalTest, TheSplittersResizeTheListsBesideThem) {
  auto form = std::make_unique<TBHOForm>(nullptr, L"Setup", L"Cancel", env_);
  ASSERT_TRUE(form->Create());
  form->Show();
  ::SetForegroundWindow(form->hwnd());
  Pump(200);
  const int top = ClientHeight(*form->lv1), middle = ClientHeight(*form->lv2), bottom = ClientHeight(*form->lv3);

  Drag(*form->spl1, 50);
  EXPECT_EQ(ClientHeight(*form->lv1), top + 50);
  EXPECT_EQ(ClientHeight(*form->lv2), middle - 50);
  EXPECT_EQ(ClientHeight(*form->lv3), bottom);

  Drag(*form->spl2, -30);
  EXPECT_EQ(ClientHeight(*form->lv1), top + 50);
  EXPECT_EQ(ClientHeight(*form->lv2), middle - 80);
  EXPECT_EQ(ClientHeight(*form->lv3), bottom + 30);

  Drag(*form->spl1, 2000);
  RECT client{};
  ::GetClientRect(form->pnl1->hwnd(), &client);
  EXPECT_LE(form->pnlTop->HeightPx(), client.bottom - ui::Scale(60));
  RECT bar{}, window{};
  ::GetWindowRect(form->spl2->hwnd(), &bar);
  ::GetWindowRect(form->pnl1->hwnd(), &window);
  EXPECT_LE(bar.bottom, window.bottom);
  form->Close();
}

}  // namespace
}  // namespace vantrel::test
