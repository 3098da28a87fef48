#include "platform/reg_key.h"

#include <gtest/gtest.h>

#include "support/scratch.h"

using vantrel::platform::RegKey;

TEST(RegKey, WritesReadsAndTypesAreChecked) {
  vantrel::test::ScratchRegistryKey scratch;
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, L"\\" + scratch.path() + L"\\sub"), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteDword(L"n", 7), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteString(L"s", L"text"), ERROR_SUCCESS);

  DWORD n = 0;
  EXPECT_TRUE(key.ReadDword(L"n", &n));
  EXPECT_EQ(n, 7u);
  std::wstring s = L"untouched";
  EXPECT_FALSE(key.ReadString(L"n", &s));  // a number is not a text
  EXPECT_EQ(s, L"untouched");
  EXPECT_TRUE(key.ReadString(L"s", &s));
  EXPECT_EQ(s, L"text");
  EXPECT_FALSE(key.ReadDword(L"s", &n));
  EXPECT_EQ(n, 7u);

  EXPECT_EQ(key.DeleteValue(L"n"), ERROR_SUCCESS);
  EXPECT_FALSE(key.HasValue(L"n"));

  RegKey missing;
  EXPECT_NE(missing.Open(HKEY_CURRENT_USER, scratch.path() + L"\\nope"), ERROR_SUCCESS);
  EXPECT_FALSE(missing.valid());
}
