// RegKey's value and sub-key enumeration and tree deletion, run inside the
// registry override so that HKLM and HKCU are scratch keys.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/reg_key.h"
#include "support/registry_override.h"

namespace vantrel {
namespace {

using platform::RegKey;
using platform::RegValue;
using test::ScopedRegistryOverride;

const RegValue* Find(const std::vector<RegValue>& values, const std::wstring& name) {
  auto it = std::find_if(values.begin(), values.end(), [&](const RegValue& v) { return v.name == name; });
  return it == values.end() ? nullptr : &*it;
}

TEST(RegistryOverride, RedirectsBothRootsAndLeavesNothingBehind) {
  std::wstring base;
  {
    ScopedRegistryOverride registry;
    ASSERT_TRUE(registry.active());
    EXPECT_FALSE(ScopedRegistryOverride().active());  // one at a time
    ASSERT_TRUE(registry.Create(HKEY_LOCAL_MACHINE, L"Software\\VtProbe").valid());
    ASSERT_TRUE(registry.Create(HKEY_CURRENT_USER, L"Software\\VtProbe").valid());
    // The keys made through the predefined handles are in the scratch keys...
    RegKey real;
    EXPECT_EQ(real.Open(HKEY_USERS, L""), ERROR_SUCCESS);  // HKU is not redirected
    RegKey probe;
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);  // look from outside for a moment
    EXPECT_EQ(probe.Open(HKEY_CURRENT_USER, registry.machinePath() + L"\\Software\\VtProbe"), ERROR_SUCCESS);
    EXPECT_EQ(probe.Open(HKEY_CURRENT_USER, registry.userPath() + L"\\Software\\VtProbe"), ERROR_SUCCESS);
    EXPECT_NE(probe.Open(HKEY_CURRENT_USER, L"Software\\VtProbe"), ERROR_SUCCESS);  // ...not in the real HKCU
    probe.Close();
    base = registry.userPath();
  }
  RegKey gone;
  EXPECT_NE(gone.Open(HKEY_CURRENT_USER, base), ERROR_SUCCESS);
  RegKey machine;
  EXPECT_NE(machine.Open(HKEY_LOCAL_MACHINE, L"Software\\VtProbe"), ERROR_SUCCESS);
}

TEST(RegistryOverride, TheTwoMachineViewsAreApart) {
  ScopedRegistryOverride registry;
  ASSERT_TRUE(registry.active());
  RegKey native;
  ASSERT_EQ(native.Create(HKEY_LOCAL_MACHINE, L"Software\\VtView", KEY_ALL_ACCESS | KEY_WOW64_64KEY), ERROR_SUCCESS);
  ASSERT_EQ(native.WriteString(L"in64", L"x"), ERROR_SUCCESS);
  RegKey wow;
  ASSERT_EQ(wow.Create(HKEY_LOCAL_MACHINE, L"Software\\VtView", KEY_ALL_ACCESS | KEY_WOW64_32KEY), ERROR_SUCCESS);
  EXPECT_FALSE(wow.HasValue(L"in64"));
  RegKey node;
  EXPECT_EQ(node.Open(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\VtView", KEY_READ | KEY_WOW64_64KEY),
            ERROR_SUCCESS);
}

TEST(RegKeyValues, GivesNameTypeAndDataOfEveryValue) {
  ScopedRegistryOverride registry;
  RegKey key = registry.Create(HKEY_LOCAL_MACHINE, L"Software\\VtValues");
  ASSERT_TRUE(key.valid());
  ASSERT_EQ(key.WriteString(L"", L"default text"), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteString(L"sz", L"C:\\a b\\x.exe /min"), ERROR_SUCCESS);
  const std::wstring expand = L"%SystemRoot%\\y.exe";
  ASSERT_EQ(key.WriteRaw(L"expand", REG_EXPAND_SZ, expand.c_str(), DWORD((expand.size() + 1) * 2)), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteDword(L"dword", 0xFFFFFFFEu), ERROR_SUCCESS);
  const BYTE binary[] = {1, 2, 3};
  ASSERT_EQ(key.WriteRaw(L"binary", REG_BINARY, binary, 3), ERROR_SUCCESS);
  // Text stored without its terminator, and with an odd number of bytes.
  ASSERT_EQ(key.WriteRaw(L"unterminated", REG_SZ, L"abc", 6), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteRaw(L"odd", REG_SZ, L"abc", 5), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteRaw(L"empty", REG_SZ, nullptr, 0), ERROR_SUCCESS);
  const std::wstring longText(5000, L'q');
  ASSERT_EQ(key.WriteString(L"long", longText), ERROR_SUCCESS);

  std::vector<RegValue> values;
  ASSERT_EQ(key.Values(&values), ERROR_SUCCESS);
  EXPECT_EQ(values.size(), 9u);
  struct Case {
    const wchar_t* name;
    DWORD type;
    std::wstring text;
  } cases[] = {
      {L"", REG_SZ, L"default text"},
      {L"sz", REG_SZ, L"C:\\a b\\x.exe /min"},
      {L"expand", REG_EXPAND_SZ, expand},
      {L"unterminated", REG_SZ, L"abc"},
      {L"odd", REG_SZ, L"ab"},
      {L"empty", REG_SZ, L""},
      {L"long", REG_SZ, longText},
  };
  for (const auto& c : cases) {
    const RegValue* v = Find(values, c.name);
    ASSERT_NE(v, nullptr) << "missing value \"" << testing::PrintToString(std::wstring(c.name)) << "\"";
    EXPECT_EQ(v->type, c.type) << testing::PrintToString(std::wstring(c.name));
    EXPECT_TRUE(v->IsText());
    EXPECT_EQ(v->Text(), c.text) << testing::PrintToString(std::wstring(c.name));
  }
  const RegValue* d = Find(values, L"dword");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->type, DWORD(REG_DWORD));
  EXPECT_FALSE(d->IsText());
  ASSERT_EQ(d->data.size(), 4u);
  EXPECT_EQ(d->data[0], 0xFE);
  const RegValue* b = Find(values, L"binary");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->data, std::vector<BYTE>(binary, binary + 3));

  std::wstring text;
  ASSERT_TRUE(key.ReadString(L"odd", &text));
  EXPECT_EQ(text, L"ab");
}

TEST(RegKeyValues, AKeyThatCannotBeAskedLeavesTheListAlone) {
  RegKey closed;
  std::vector<RegValue> values(1);
  EXPECT_NE(closed.Values(&values), ERROR_SUCCESS);
  EXPECT_EQ(values.size(), 1u);
}

TEST(RegKeyTree, DeletesASubtreeAndNeverTheKeyItself) {
  ScopedRegistryOverride registry;
  ASSERT_TRUE(registry.Create(HKEY_CURRENT_USER, L"Software\\VtTree\\a\\b\\c").valid());
  RegKey a = registry.Create(HKEY_CURRENT_USER, L"Software\\VtTree\\a");
  ASSERT_EQ(a.WriteString(L"v", L"1"), ERROR_SUCCESS);
  ASSERT_TRUE(registry.Create(HKEY_CURRENT_USER, L"Software\\VtTree\\keep").valid());

  RegKey tree = registry.Create(HKEY_CURRENT_USER, L"Software\\VtTree");
  std::vector<std::wstring> names = tree.SubkeyNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"a", L"keep"}));

  EXPECT_NE(tree.DeleteTree(L""), ERROR_SUCCESS);
  EXPECT_NE(RegKey::DeleteKeyTree(HKEY_CURRENT_USER, L"\\"), ERROR_SUCCESS);
  a.Close();
  EXPECT_EQ(tree.DeleteTree(L"a"), ERROR_SUCCESS);
  EXPECT_EQ(tree.SubkeyNames(), std::vector<std::wstring>{L"keep"});
  tree.Close();
  EXPECT_EQ(RegKey::DeleteKeyTree(HKEY_CURRENT_USER, L"\\Software\\VtTree"), ERROR_SUCCESS);
  RegKey gone;
  EXPECT_NE(gone.Open(HKEY_CURRENT_USER, L"Software\\VtTree"), ERROR_SUCCESS);
  RegKey software;
  EXPECT_EQ(software.Open(HKEY_CURRENT_USER, L"Software"), ERROR_SUCCESS);
}

}  // namespace
}  // namespace vantrel
