// The start-up inventory against Run keys of the registry override and
// Startup folders the tests make. Wine sorts values, Windows does not: the
// tests compare each group of the list as a set, and the groups in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/reg_key.h"
#include "schedlet/schedlet_library.h"
#include "startup/startup_inventory.h"
#include "support/registry_override.h"
#include "support/scratch.h"

namespace vantrel {
namespace {

using platform::RegKey;
using test::ScopedRegistryOverride;
using test::ScratchFolder;

constexpr wchar_t kMaker[] = L"Vantrel Inventory Makers";
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring SelfPath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

void Touch(const std::wstring& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ::CloseHandle(h);
}

// "location: name" of every entry, and the locations in list order without repeats.
std::vector<std::wstring> Keys(const std::vector<TStartupEntry>& entries) {
  std::vector<std::wstring> keys;
  for (const auto& e : entries) keys.push_back(e.location + L": " + e.name);
  std::sort(keys.begin(), keys.end());
  return keys;
}
std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
  std::sort(v.begin(), v.end());
  return v;
}
std::vector<std::wstring> LocationOrder(const std::vector<TStartupEntry>& entries) {
  std::vector<std::wstring> order;
  for (const auto& e : entries)
    if (order.empty() || order.back() != e.location) order.push_back(e.location);
  return order;
}
const TStartupEntry* Find(const std::vector<TStartupEntry>& entries, std::wstring_view location,
                          const std::wstring& name) {
  for (const auto& e : entries)
    if (e.location == location && e.name == name) return &e;
  return nullptr;
}

// HKLM (both views on 64-bit Windows), HKCU and two Startup folders.
class Inventory : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.active());
    ASSERT_TRUE(IsWindows64());  // the tests run in the 64-bit build
    machine64 = Open(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    machine32 = Open(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
    user = Open(HKEY_CURRENT_USER, 0);
    sources.machineRunKeys = MachineRunKeyPlaces(true);
    sources.userFolder = userFolder.path();
    sources.commonFolder = commonFolder.path();
  }
  RegKey Open(HKEY root, REGSAM view) {
    RegKey key;
    EXPECT_EQ(key.Create(root, kRun, KEY_ALL_ACCESS | view), ERROR_SUCCESS);
    return key;
  }

  ScopedRegistryOverride registry;
  RegKey machine64, machine32, user;
  ScratchFolder userFolder, commonFolder;
  StartupSources sources;
};

TEST_F(Inventory, ListsBothMachineViewsThenTheUserThenBothFolders) {
  const std::wstring self = SelfPath();
  ASSERT_EQ(machine64.WriteString(L"Native", L"\"" + self + L"\" /min"), ERROR_SUCCESS);
  ASSERT_EQ(machine32.WriteString(L"Wow", L"C:\\nowhere\\wow.exe -x"), ERROR_SUCCESS);
  ASSERT_EQ(machine32.WriteString(L"Shared", L"app.exe"), ERROR_SUCCESS);
  const std::wstring expand = L"%SystemRoot%\\e.exe";
  ASSERT_EQ(user.WriteRaw(L"Expand", REG_EXPAND_SZ, expand.c_str(), DWORD((expand.size() + 1) * 2)), ERROR_SUCCESS);
  ASSERT_EQ(user.WriteString(L"Shared", L"C:\\u.exe"), ERROR_SUCCESS);
  ASSERT_EQ(user.WriteString(L"Pipes||In||Name", L"C:\\p.exe"), ERROR_SUCCESS);
  ASSERT_EQ(user.WriteDword(L"Number", 1), ERROR_SUCCESS);
  const BYTE bytes[] = {1, 2};
  ASSERT_EQ(user.WriteRaw(L"Binary", REG_BINARY, bytes, 2), ERROR_SUCCESS);
  ASSERT_TRUE(::CopyFileW(self.c_str(), userFolder.File(L"tool.exe").c_str(), FALSE));
  Touch(userFolder.File(L"note.lnk"));
  Touch(userFolder.File(L"Desktop.INI"));
  ASSERT_TRUE(::CreateDirectoryW(userFolder.File(L"Sub").c_str(), nullptr));
  Touch(commonFolder.File(L"common.lnk"));
  Touch(commonFolder.File(L"desktop.ini"));
  ::SetFileAttributesW(commonFolder.File(L"desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  const auto entries = ListStartupEntries(TExclusionList({L"Shared", L"note.lnk"}), sources);

  const std::wstring m64(kMachineRun64Location), m(kMachineRunLocation), u(kUserRunLocation), s(kStartupLocation);
  EXPECT_EQ(LocationOrder(entries), (std::vector<std::wstring>{m64, m, u, s}));
  EXPECT_EQ(Keys(entries), Sorted({
                               m + L": Shared", m + L": Wow", m64 + L": Native", s + L": Sub", s + L": common.lnk",
                               s + L": note.lnk", s + L": tool.exe", u + L": Expand", u + L": Pipes||In||Name",
                               u + L": Shared"}));
  // The user's folder comes before the common one.
  auto at = [&](const std::wstring& name) {
    return std::find_if(entries.begin(), entries.end(), [&](auto& e) { return e.name == name; }) - entries.begin();
  };
  EXPECT_LT(at(L"note.lnk"), at(L"common.lnk"));

  const TStartupEntry* native = Find(entries, m64, L"Native");
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(native->command, L"\"" + self + L"\" /min");  // as stored, quotes and all
  EXPECT_EQ(native->maker, kMaker);                        // from the quoted path
  EXPECT_FALSE(native->excluded);
  EXPECT_EQ(Find(entries, u, L"Expand")->command, expand);  // not expanded
  EXPECT_EQ(Find(entries, m, L"Wow")->maker, L"");
  // One name, two keys, one exclusion state.
  EXPECT_TRUE(Find(entries, m, L"Shared")->excluded);
  EXPECT_TRUE(Find(entries, u, L"Shared")->excluded);
  const TStartupEntry* tool = Find(entries, s, L"tool.exe");
  EXPECT_EQ(tool->command, userFolder.path());
  EXPECT_EQ(tool->maker, kMaker);
  EXPECT_TRUE(Find(entries, s, L"note.lnk")->excluded);
  EXPECT_EQ(Find(entries, s, L"Sub")->maker, L"");
  EXPECT_EQ(Find(entries, s, L"common.lnk")->command, commonFolder.path());
}

TEST_F(Inventory, EachMachineEntryLeadsBackToTheViewItCameFrom) {
  ASSERT_EQ(machine64.WriteString(L"Only64", L"a"), ERROR_SUCCESS);
  ASSERT_EQ(machine32.WriteString(L"Only32", L"b"), ERROR_SUCCESS);
  ASSERT_EQ(user.WriteString(L"OnlyUser", L"c"), ERROR_SUCCESS);
  const auto entries = ListStartupEntries({}, sources);
  ASSERT_EQ(entries.size(), 3u);
  for (const auto& e : entries) {
    const auto place = RunKeyPlaceOf(e.location, true);
    ASSERT_TRUE(place) << testing::PrintToString(e.location);
    RegKey key;
    ASSERT_EQ(key.Open(place->root, kRun, KEY_ALL_ACCESS | place->view), ERROR_SUCCESS);
    EXPECT_TRUE(key.HasValue(e.name)) << testing::PrintToString(e.name);
    EXPECT_EQ(key.DeleteValue(e.name), ERROR_SUCCESS);
  }
  EXPECT_TRUE(ListStartupEntries({}, sources).empty());
  EXPECT_TRUE(machine64.ValueNames().empty());
  EXPECT_TRUE(machine32.ValueNames().empty());
  EXPECT_FALSE(RunKeyPlaceOf(kStartupLocation, true));
  // 32-bit Windows: one machine key, opened without a view flag.
  EXPECT_EQ(RunKeyPlaceOf(kMachineRunLocation, false)->view, REGSAM(0));
  EXPECT_EQ(RunKeyPlaceOf(kMachineRun64Location, false)->view, REGSAM(0));
  ASSERT_EQ(MachineRunKeyPlaces(false).size(), 1u);
  EXPECT_EQ(MachineRunKeyPlaces(false)[0].location, kMachineRunLocation);
}

TEST_F(Inventory, MissingKeysEndTheListingWhereTheyStand) {
  ASSERT_EQ(machine32.WriteString(L"M", L"m"), ERROR_SUCCESS);
  ASSERT_EQ(machine64.WriteString(L"N", L"n"), ERROR_SUCCESS);
  Touch(userFolder.File(L"f.lnk"));

  // An empty HKCU Run key still lets the folders be listed.
  EXPECT_EQ(ListStartupEntries({}, sources).size(), 3u);

  // A missing one ends the listing: no folder entries.
  user.Close();
  ASSERT_EQ(RegKey::DeleteKeyTree(HKEY_CURRENT_USER, kRun), ERROR_SUCCESS);
  EXPECT_EQ(Keys(ListStartupEntries({}, sources)),
            Sorted({std::wstring(kMachineRunLocation) + L": M", std::wstring(kMachineRun64Location) + L": N"}));

  // A missing 64-bit view is skipped; a missing plain machine key empties the list.
  user = Open(HKEY_CURRENT_USER, 0);
  machine64.Close();
  {
    // The 64-bit view by name: a 32-bit test program would reach the 32-bit one.
    RegKey parent;
    ASSERT_EQ(parent.Open(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion",
                          KEY_ALL_ACCESS | KEY_WOW64_64KEY),
              ERROR_SUCCESS);
    ASSERT_EQ(parent.DeleteTree(L"Run"), ERROR_SUCCESS);
  }
  EXPECT_EQ(ListStartupEntries({}, sources).size(), 2u);  // M and f.lnk
  machine32.Close();
  ASSERT_EQ(RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Microsoft"), ERROR_SUCCESS);
  EXPECT_TRUE(ListStartupEntries({}, sources).empty());
}

TEST_F(Inventory, FoldersAreListedOnceAndNeverGuessed) {
  Touch(userFolder.File(L"f.lnk"));
  StartupSources same = sources;
  same.commonFolder = userFolder.path();
  EXPECT_EQ(ListStartupEntries({}, same).size(), 1u);
  CharUpperW(same.commonFolder.data());  // the same folder written otherwise
  EXPECT_EQ(ListStartupEntries({}, same).size(), 1u);

  // Unknown folder paths: nothing listed, in particular not the drive's root.
  StartupSources none = sources;
  none.userFolder.clear();
  none.commonFolder.clear();
  EXPECT_TRUE(ListStartupEntries({}, none).empty());
  none.commonFolder = userFolder.path();
  EXPECT_EQ(ListStartupEntries({}, none).size(), 1u);
}

TEST_F(Inventory, TheSystemSourcesAreTheShellsStartupFolders) {
  const StartupSources system = SystemStartupSources();
  EXPECT_EQ(system.machineRunKeys.size(), 2u);
  std::wstring upper = system.userFolder;
  CharUpperW(upper.data());
  EXPECT_NE(upper.find(L"STARTUP"), std::wstring::npos) << testing::PrintToString(system.userFolder);
  EXPECT_FALSE(system.commonFolder.empty());
}

TEST(TaskInventory, RecordsFromTheBridgeText) {
  const std::wstring self = SelfPath();
  const std::wstring text = L"Backup||\"" + self + L"\"||NONE;;Sync||C:\\nowhere\\s.exe||-q now;;Bare||" + self;
  const auto tasks = ListTaskEntries(TExclusionList({L"Sync"}), [&] { return std::optional<std::wstring>(text); });
  ASSERT_EQ(tasks.size(), 3u);
  EXPECT_EQ(tasks[0].name, L"Backup");
  EXPECT_EQ(tasks[0].command, L"\"" + self + L"\"");
  EXPECT_EQ(tasks[0].arguments, L"");
  EXPECT_EQ(tasks[0].maker, kMaker);
  EXPECT_FALSE(tasks[0].excluded);
  EXPECT_EQ(tasks[1].arguments, L"-q now");
  EXPECT_EQ(tasks[1].maker, L"");
  EXPECT_TRUE(tasks[1].excluded);
  EXPECT_EQ(tasks[2].maker, kMaker);

  EXPECT_TRUE(ListTaskEntries({}, [] { return std::optional<std::wstring>(); }).empty());  // status not 0
  EXPECT_TRUE(ListTaskEntries({}, TaskListSource()).empty());
  EXPECT_TRUE(ListTaskEntries({}, SchedletLibrary()).empty());  // not bound
}

TEST(Maker, OnlyOfAFullPathToAFile) {
  const std::wstring self = SelfPath();
  EXPECT_EQ(MakerOf(self), kMaker);
  const std::wstring name = self.substr(self.rfind(L'\\') + 1);
  EXPECT_EQ(MakerOf(name), L"");  // a bare name: not looked for in the current folder
  EXPECT_EQ(MakerOf(self.substr(0, self.rfind(L'\\'))), L"");  // a folder
  EXPECT_EQ(MakerOf(L""), L"");
  ScratchFolder scratch;
  Touch(scratch.File(L"plain.exe"));
  EXPECT_EQ(MakerOf(scratch.File(L"plain.exe")), L"");  // no version information
}

TEST(ExclusionStore, SavesWhatReadsBackAndLoadsWhatWasSaved) {
  ScratchFolder scratch;
  const SettingsFile file(scratch.File(L"Vantrel.ini"));
  EXPECT_TRUE(LoadExclusionList(file, kStartupExclusionKey).empty());  // no file yet

  std::vector<std::wstring> left;
  ASSERT_TRUE(SaveExclusionList(file, kStartupExclusionKey, {L"App One", L"bad||name", L"b|", L"Two"}, &left));
  ASSERT_TRUE(SaveExclusionList(file, kTaskExclusionKey, {}));
  EXPECT_EQ(left, (std::vector<std::wstring>{L"bad||name", L"b|"}));
  EXPECT_EQ(file.ReadText(L"INIT_EXCEPT", L"START_PROGRAM"), L"App One||Two");
  EXPECT_EQ(LoadExclusionList(file, kStartupExclusionKey).names(), (std::vector<std::wstring>{L"App One", L"Two"}));
  EXPECT_TRUE(LoadExclusionList(file, kTaskExclusionKey).empty());
  wchar_t raw[64] = {};
  EXPECT_EQ(::GetPrivateProfileStringW(L"INIT_EXCEPT", L"TASK_SCHEDULER", L"missing", raw, 64, file.path().c_str()),
            0u);  // present, and empty

  // More than a list can be read back with: the names that fit, whole.
  std::vector<std::wstring> many;
  for (int i = 0; i < 300; ++i) many.push_back(L"StartupEntry" + std::to_wstring(i));
  left.clear();
  ASSERT_TRUE(SaveExclusionList(file, kStartupExclusionKey, many, &left));
  const auto loaded = LoadExclusionList(file, kStartupExclusionKey).names();
  ASSERT_FALSE(left.empty());
  EXPECT_EQ(loaded.size() + left.size(), many.size());
  EXPECT_TRUE(std::equal(loaded.begin(), loaded.end(), many.begin()));

  // A damaged value: empty names are dropped.
  ASSERT_TRUE(file.WriteText(L"INIT_EXCEPT", L"START_PROGRAM", L"||a||||b||"));
  EXPECT_EQ(LoadExclusionList(file, kStartupExclusionKey).names(), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(ExclusionStore, NamesOutsideTheAnsiCodePageAreNotSaved) {
  if (::GetACP() != 1252) GTEST_SKIP() << "needs the Western code page";
  EXPECT_TRUE(IsStorableExclusionName(L"Caf\u00e9"));
  EXPECT_FALSE(IsStorableExclusionName(L"\u540d\u524d"));
}

}  // namespace
}  // namespace vantrel
