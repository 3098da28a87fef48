#include <gtest/gtest.h>

#include "recovery/recovery_format.h"

namespace vantrel::recovery {
namespace {

TEST(RecoveryRecords, JoinAndSplit) {
  EXPECT_EQ(JoinRecord({L"a", L"", L"c", L"HKEY_CURRENT_USER\\x"}), L"a||||c||HKEY_CURRENT_USER\\x");
  EXPECT_EQ(SplitRecord(L"a||||c||d", 4), (RecoveryRecord{L"a", L"", L"c", L"d"}));
  EXPECT_EQ(SplitRecord(L"a||b", 4), (RecoveryRecord{L"a", L"b", L"", L""}));        // missing fields are empty
  EXPECT_EQ(SplitRecord(L"a||b||c||d||e", 3), (RecoveryRecord{L"a", L"b", L"c"}));   // surplus dropped
  EXPECT_EQ(SplitRecord(L"a||b||c", 0), (RecoveryRecord{L"a", L"b", L"c"}));
  // A field that held "||" splits there and the fields after it move by one.
  EXPECT_EQ(SplitRecord(L"x||y||maker||cmd||STARTUP", 4), (RecoveryRecord{L"x", L"y", L"maker", L"cmd"}));
  // Both forms of an ICON record read alike.
  EXPECT_EQ(SplitRecord(L"Btn||http://x||{1}||||", 3), SplitRecord(L"Btn||http://x||{1}||||||", 3));
}

TEST(RecoveryRecords, FieldCountsAndKeys) {
  EXPECT_EQ(ReaderFieldCount(L"START_PROGRAM"), 5u);
  EXPECT_EQ(ReaderFieldCount(L"SCHEDULERE"), 4u);
  EXPECT_EQ(ReaderFieldCount(L"BHO"), 5u);
  EXPECT_EQ(ReaderFieldCount(L"TOOLBAR"), 5u);
  EXPECT_EQ(ReaderFieldCount(L"ICON"), 4u);
  EXPECT_EQ(ReaderFieldCount(L"OTHER"), 0u);
  EXPECT_EQ(ItemKey(0), L"ITEM0");
  EXPECT_EQ(ItemKey(12), L"ITEM12");
  EXPECT_EQ(ItemIndexOfKey(L"ITEM12"), 12u);
  EXPECT_EQ(ItemIndexOfKey(L"item0"), 0u);
  for (const wchar_t* k : {L"ITEM", L"ITEM01", L"ITEMx", L"COUNT", L"ITEM-1", L"ITEM99999999999"})
    EXPECT_FALSE(ItemIndexOfKey(k)) << testing::PrintToString(std::wstring(k));
  EXPECT_EQ(ParseCount(L"3"), 3u);
  for (const wchar_t* c : {L"", L"x", L"-1", L"3x", L" 3", L"99999999999999"}) EXPECT_EQ(ParseCount(c), 0u);
}

TEST(RecoveryRecords, WhatCanBeStoredUnchanged) {
  EXPECT_TRUE(CanStoreRecord({L"App", L"", L"\"C:\\a.exe\" /x", L"HKEY_LOCAL_MACHINE\\Run"}));
  EXPECT_TRUE(CanStoreRecord({L"a|b", L"|x", L"c", L"d|"}));  // a bar at the very end reads back
  const RecoveryRecord bad[] = {
      {L"a||b", L"", L"c", L"STARTUP"},                    // splits into other fields
      {L"a|", L"", L"c", L"STARTUP"},                      // runs into the separator
      {L" a", L"", L"c", L"STARTUP"},                      // blank stripped by the profile functions
      {L"a", L"", L"c", L"STARTUP\t"},
      {L"\"a", L"", L"c", L"STARTUP\""},                   // outer quotes stripped
      {L"a\r\nITEM0=x", L"", L"c", L"STARTUP"},            // would make keys of its own
      {L"a", L"", std::wstring(2040, L'x'), L"STARTUP"},   // longer than a read gives back
      {},
  };
  for (const auto& r : bad) EXPECT_FALSE(CanStoreRecord(r)) << testing::PrintToString(JoinRecord(r));
}

TEST(RecoveryRecords, RewriteForms) {
  EXPECT_EQ(RewriteText(L"ICON", {L"Btn", L"http://x", L"{1}"}), L"Btn||http://x||{1}||||||");
  EXPECT_EQ(RewriteText(L"ICON", {L"Btn", L"http://x", L"{1}", L"", L""}), L"Btn||http://x||{1}||||||");
  // A payload name survives the rewrite; the six-field shape stays.
  EXPECT_EQ(RewriteText(L"ICON", {L"Btn", L"http://x", L"{1}", L"{1}.2", L""}), L"Btn||http://x||{1}||{1}.2||||");
  EXPECT_EQ(SplitRecord(L"Btn||http://x||{1}||{1}.2||||", ReaderFieldCount(L"ICON")),
            (RecoveryRecord{L"Btn", L"http://x", L"{1}", L"{1}.2"}));
  EXPECT_EQ(SplitRecord(L"Btn||http://x||{1}||||", ReaderFieldCount(L"ICON")),
            (RecoveryRecord{L"Btn", L"http://x", L"{1}", L""}));
  EXPECT_EQ(RewriteText(L"START_PROGRAM", {L"n", L"m", L"c", L"STARTUP", L""}), L"n||m||c||STARTUP");
  EXPECT_EQ(RewriteText(L"START_PROGRAM", {L"n", L"m", L"c", L"STARTUP", L"n.2"}), L"n||m||c||STARTUP||n.2");
  EXPECT_EQ(RewriteText(L"BHO", {L"a", L"b", L"c", L"d", L"{e}"}), L"a||b||c||d||{e}");
  EXPECT_EQ(RewriteText(L"BHO", {L"a\r\nITEM9=x", L"b"}), L"a  ITEM9=x||b");
}

TEST(RegistryExportLines, FormatParseAndTheDefaultValue) {
  RegistryExport file;
  file.userRoot = true;
  file.baseKey = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";
  file.keyName = L"{AAAA-1}";
  file.values = {{L"", true, L"default", 0},
                 {L"ButtonText", true, L"Go = now::x", 0},
                 {L"Flags", false, L"", -2},
                 {L"Bad = name", true, L"x", 0},
                 {L"multi", true, L"a\r\nb", 0}};
  const auto lines = FormatExportLines(file);
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"ROOT_KEY = HKEY_CURRENT_USER",
                                              L"BASE_KEY = \\Software\\Microsoft\\Internet Explorer\\Extensions",
                                              L"CLSID_REGKEY = {AAAA-1}", L" = str::default",
                                              L"ButtonText = str::Go = now::x", L"Flags = int::-2"}));
  const auto back = ParseExportLines(lines);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->userRoot);
  EXPECT_EQ(back->baseKey, file.baseKey);
  EXPECT_EQ(back->keyName, file.keyName);
  ASSERT_EQ(back->values.size(), 3u);
  EXPECT_EQ(back->values[0].name, L"");
  EXPECT_EQ(back->values[0].text, L"default");
  EXPECT_EQ(back->values[1].text, L"Go = now::x");
  EXPECT_FALSE(back->values[2].isText);
  EXPECT_EQ(back->values[2].number, -2);
}

TEST(RegistryExportLines, GarbageAndMissingHeaders) {
  const auto parsed = ParseExportLines(SplitLines(
      L"garbage\r\nROOT_KEY = HKEY_LOCAL_MACHINE\nBASE_KEY = \\S\rCLSID_REGKEY = {k}\r\n"
      L"a = int::12x\r\nb = int::\r\nc = bin::00\r\nd = int::4294967295\r\ne = int::4294967296\r\n"
      L"no separator\r\n = \r\nf = str::\r\ng = int::-2147483648\r\nROOT_KEY = str::x"));
  ASSERT_TRUE(parsed);
  EXPECT_FALSE(parsed->userRoot);
  EXPECT_EQ(parsed->baseKey, L"\\S");
  std::vector<std::wstring> names;
  for (const auto& v : parsed->values) names.push_back(v.name);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"d", L"f", L"g"}));
  EXPECT_EQ(parsed->values[0].number, -1);
  EXPECT_EQ(parsed->values[2].number, INT32_MIN);
  EXPECT_EQ(ParseExportLines(SplitLines(L"ROOT_KEY = x\r\nBASE_KEY = \\S\r\nCLSID_REGKEY = {k}"))->userRoot, true);

  for (const wchar_t* text : {L"BASE_KEY = \\S\r\nCLSID_REGKEY = {k}\r\na = str::x",
                              L"ROOT_KEY = HKEY_CURRENT_USER\r\nCLSID_REGKEY = {k}\r\na = str::x",
                              L"ROOT_KEY = HKEY_CURRENT_USER\r\nBASE_KEY = \\S\r\na = str::x", L""})
    EXPECT_FALSE(ParseExportLines(SplitLines(text))) << testing::PrintToString(std::wstring(text));
}

TEST(RegistryExportLines, OnlyKeysBelowTheNamedBase) {
  EXPECT_TRUE(IsImportableKey(L"\\Software\\Microsoft\\Internet Explorer\\Extensions", L"{AAAA-1}"));
  EXPECT_TRUE(IsImportableKey(L"Software\\X", L"k"));
  const std::pair<const wchar_t*, const wchar_t*> bad[] = {
      {L"\\Software\\X", L""},      {L"\\Software\\X", L"a\\b"},   {L"\\Software\\X", L".."},
      {L"\\Software\\X", L"."},     {L"\\Software\\X", L"a/b"},    {L"", L"k"},
      {L"\\", L"k"},                {L"\\\\Software", L"k"},       {L"\\Software\\..\\Run", L"k"},
      {L"\\Software\\\\X", L"k"},   {L"\\Software\\X\\", L"k"},    {L"\\Software\\X", L"k\r\n"},
  };
  for (const auto& [base, name] : bad)
    EXPECT_FALSE(IsImportableKey(base, name)) << testing::PrintToString(std::wstring(base)) << " "
                                              << testing::PrintToString(std::wstring(name));
  EXPECT_TRUE(SameKeyPath(L"\\Software\\Microsoft", L"software\\MICROSOFT"));
  EXPECT_FALSE(SameKeyPath(L"\\Software\\Microsoft", L"\\Software\\Microsoft\\x"));
}

}  // namespace
}  // namespace vantrel::recovery
