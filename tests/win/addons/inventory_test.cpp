// The add-on inventory against keys of the registry override, in both views
// of a 64-bit Windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "addon_fixture.h"
#include "addons/addon_inventory.h"
#include "platform/shell_folders.h"

namespace vantrel::test {
namespace {

using namespace vantrel::addons;

const std::wstring kA = L"{AAAAAAAA-0000-0000-0000-000000000001}";
const std::wstring kB = L"{BBBBBBBB-0000-0000-0000-000000000002}";
const std::wstring kC = L"{CCCCCCCC-0000-0000-0000-000000000003}";

using InventoryTest = AddonFixture;

TEST_F(InventoryTest, BrowserHelperObjectsResolvedThroughTheirClassInEachView) {
  const std::wstring self = TestProgramPath();
  RegisterClass(kA, L"Helper A", self, RegistryView::Bits64);
  AddBho(kA, RegistryView::Bits64);
  // A class without "InprocServer32" is not listed.
  Machine(std::wstring(kClassesClsidKey) + kB).WriteString(L"", L"No server");
  AddBho(kB);
  // No class at all, and a 32-bit helper with a %SystemRoot% path.
  AddBho(kC);
  RegisterClass(kC, L"Helper C32", L"%SYSTEMROOT%\\system32\\c32.dll", RegistryView::Bits32);
  AddBho(kC, RegistryView::Bits32);

  const auto rows = ListBrowserHelperObjects({L"c32.dll"}, env_.sources);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Name, L"Helper A");
  EXPECT_EQ(rows[0].Clsid, kA);
  EXPECT_EQ(rows[0].FullPath, self);
  EXPECT_EQ(rows[0].FileName, self.substr(self.find_last_of(L'\\') + 1));
  EXPECT_EQ(rows[0].Company, kTestMaker);
  EXPECT_FALSE(rows[0].Excluded);
  EXPECT_EQ(rows[0].View, RegistryView::Bits64);

  std::wstring windows = platform::ShellFolderPath(CSIDL_WINDOWS);
  EXPECT_EQ(rows[1].Name, L"Helper C32");
  EXPECT_EQ(rows[1].FullPath, windows + L"\\system32\\c32.dll");
  EXPECT_EQ(rows[1].Company, L"");  // no such file
  EXPECT_TRUE(rows[1].Excluded);
  EXPECT_EQ(rows[1].View, RegistryView::Bits32);
}

TEST_F(InventoryTest, OddClassValuesGiveEmptyFieldsAndExclusionIsExact) {
  // A number as the class name, binary data as the server: empty fields, never garbage.
  Machine(std::wstring(kClassesClsidKey) + kA).WriteDword(L"", 7);
  const BYTE junk[] = {0x41, 0, 0x42, 0};
  Machine(std::wstring(kClassesClsidKey) + kA + L"\\InprocServer32").WriteRaw(L"", REG_BINARY, junk, sizeof junk);
  AddBho(kA);
  RegisterClass(kB, L"B", L"C:\\x\\%systemroot%\\Same.dll");
  AddBho(kB);
  RegisterClass(kC, L"C", L"D:Same.dll");
  AddBho(kC);

  auto rows = ListBrowserHelperObjects({L"Same.dll", L"same.DLL"}, env_.sources);
  ASSERT_EQ(rows.size(), 3u);
  std::sort(rows.begin(), rows.end(), [](const BhoRow& x, const BhoRow& y) { return x.Clsid < y.Clsid; });
  EXPECT_EQ(rows[0].Name, L"");
  EXPECT_EQ(rows[0].FullPath, L"");
  EXPECT_FALSE(rows[0].Excluded);
  EXPECT_EQ(rows[1].FullPath, L"C:\\x\\%systemroot%\\Same.dll");  // only a leading one is expanded
  // One exclusion protects every helper with that file name, and only that exact one.
  EXPECT_TRUE(rows[1].Excluded);
  EXPECT_TRUE(rows[2].Excluded);
  EXPECT_FALSE(ListBrowserHelperObjects({L"same.dll"}, env_.sources)[1].Excluded);
}

TEST_F(InventoryTest, ToolbarsFromValuesAndExplorerBarsWithTheirUninstallers) {
  RegisterClass(kA, L"Bar A", L"C:\\A\\a.dll");
  RegisterClass(kB, L"Bar B", L"C:\\B\\b.dll");
  RegisterClass(kC, L"Bar C", L"C:\\C\\c.dll");
  AddToolbarValue(kA);
  Machine(kToolbarKey).WriteString(L"ITBar7Layout", L"");  // not a class id
  AddExplorerBar(kB);
  AddExplorerBar(L"NotAClass");
  AddToolbarValue(kC);
  AddUninstall(kA + L"_is1", L"%SystemRoot%\\unA.exe /S");
  AddUninstall(L"Bar B", L"\"C:\\B\\unB.exe\"");
  AddUninstall(L"bar c", L"\"C:\\C\\unC.exe\"");  // letter case differs: no match

  const auto rows = ListToolbars({L"b.dll"}, env_.sources);
  ASSERT_EQ(rows.size(), 3u);
  std::wstring windows = platform::ShellFolderPath(CSIDL_WINDOWS);
  // Values first (in the key's order), then explorer bars.
  const ToolbarRow* a = nullptr;
  const ToolbarRow* c = nullptr;
  for (int i = 0; i < 2; ++i) (rows[i].ToolbarId == L"1" + kA ? a : c) = &rows[i];
  ASSERT_TRUE(a && c);
  EXPECT_EQ(a->UninstallCommand, windows + L"\\unA.exe /S");
  EXPECT_EQ(c->ToolbarId, L"1" + kC);
  EXPECT_EQ(c->UninstallCommand, L"");
  EXPECT_EQ(rows[2].ToolbarId, kB);
  EXPECT_EQ(rows[2].Name, L"Bar B");
  EXPECT_EQ(rows[2].UninstallCommand, L"\"C:\\B\\unB.exe\"");
  EXPECT_TRUE(rows[2].Excluded);
  EXPECT_FALSE(a->Excluded);
}

TEST_F(InventoryTest, NoToolbarKeyHidesExplorerBarsAndNoUninstallListHidesToolbars) {
  RegisterClass(kB, L"Bar B", L"C:\\B\\b.dll");
  AddExplorerBar(kB);
  AddUninstall(L"Other", L"");
  EXPECT_TRUE(ListToolbars({}, env_.sources).empty());
  Machine(kToolbarKey);
  EXPECT_EQ(ListToolbars({}, env_.sources).size(), 1u);
  platform::RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  EXPECT_TRUE(ListToolbars({}, env_.sources).empty());
}

TEST_F(InventoryTest, ExtensionButtonsOfUserThenMachine) {
  AddExtension(HKEY_LOCAL_MACHINE, kA, L"Machine A", L"http://a.example/");
  AddExtension(HKEY_LOCAL_MACHINE, kC, L"Both", L"");
  // Without the user's Extensions key, the machine's are not listed either.
  EXPECT_TRUE(ListExtensionButtons({}, env_.sources).empty());

  AddExtension(HKEY_CURRENT_USER, kB, L"", L"C:\\b.exe");  // no button text: not listed
  AddExtension(HKEY_CURRENT_USER, kC, L"Both", L"C:\\c.exe");
  User(std::wstring(kExtensionsKey) + L"\\NotAClass").WriteString(L"ButtonText", L"X");
  const auto rows = ListExtensionButtons({L"Both"}, env_.sources);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].KeyName, kC);
  EXPECT_EQ(rows[0].Exec, L"C:\\c.exe");
  EXPECT_TRUE(rows[0].Excluded);
  std::vector<std::wstring> machine{rows[1].KeyName, rows[2].KeyName};
  std::sort(machine.begin(), machine.end());
  EXPECT_EQ(machine, (std::vector<std::wstring>{kA, kC}));
  for (int i = 1; i < 3; ++i)
    if (rows[i].KeyName == kC) {
      EXPECT_EQ(rows[i].Exec, L"");  // no "Exec": listed with an empty one
    }
}

TEST_F(InventoryTest, ResolveAndUninstallLookupFailures) {
  ClsidDetails details;
  EXPECT_FALSE(ResolveClsid(kA, &details));
  EXPECT_FALSE(ResolveClsid(L"", &details));
  std::wstring command = L"unchanged";
  EXPECT_FALSE(FindUninstallCommand(kA, L"A", &command));
  AddUninstall(kA, L"");  // an entry without "UninstallString"
  EXPECT_TRUE(FindUninstallCommand(kA, L"A", &command));
  EXPECT_EQ(command, L"");
  // A huge uninstall string is read whole.
  const std::wstring huge = L"\"C:\\u.exe\" " + std::wstring(40000, L'x');
  AddUninstall(L"Huge", huge);
  EXPECT_TRUE(FindUninstallCommand(kB, L"Huge", &command));
  EXPECT_EQ(command, huge);
}

}  // namespace
}  // namespace vantrel::test
