// The disk cleanup's pure rules: the Firefox profile that is cleaned, Chrome's
// history names, what a shell folder keeps, the Internet Explorer version
// rule and the typed address names.
#include <gtest/gtest.h>

#include "diskclean/trace_rules.h"

using namespace vantrel;

namespace {

constexpr uint32_t kHidden = 0x2, kSystem = 0x4, kFolder = 0x10;

TEST(TraceRules, FirstProfileSkipsDotsHiddenAndSystemEntries) {
  EXPECT_EQ(FirstProfileIndex({}), -1);
  EXPECT_EQ(FirstProfileIndex({{L".", kFolder}, {L"..", kFolder}, {L"h", kFolder | kHidden}, {L"s", kSystem}}), -1);
  EXPECT_EQ(FirstProfileIndex({{L".", kFolder}, {L"h", kHidden}, {L"b.second", kFolder}, {L"a.default", kFolder}}), 2);
  EXPECT_EQ(FirstProfileIndex({{L"profiles.ini", 0}, {L"a.default", kFolder}}), 0);  // the first entry, whatever it is
}

TEST(TraceRules, ChromeHistoryNames) {
  for (const wchar_t* yes : {L"History", L"History-journal", L"History Index 2013-01", L"history provider cache",
                             L"HISTORY"})
    EXPECT_TRUE(IsChromeHistoryName(yes)) << yes;
  for (const wchar_t* no : {L"", L"Histor", L"Visited Links", L"Archived History", L" History"})
    EXPECT_FALSE(IsChromeHistoryName(no)) << no;
}

TEST(TraceRules, OnlyTheExactDesktopIniStays) {
  EXPECT_TRUE(KeptInShellFolder(L"desktop.ini"));
  EXPECT_TRUE(KeptInShellFolder(L"."));
  EXPECT_TRUE(KeptInShellFolder(L".."));
  for (const wchar_t* name : {L"Desktop.ini", L"DESKTOP.INI", L"desktop.ini ", L"desktop.in", L"index.dat"})
    EXPECT_FALSE(KeptInShellFolder(name)) << name;
}

TEST(TraceRules, ModernInternetExplorerFromItsFileVersion) {
  struct Case {
    const wchar_t* version;
    bool modern;
  };
  for (const Case& c : {Case{L"11.00.9600.16428 (winblue_gdr.131013-1700)", true}, Case{L"7.00.5730.13", true},
                        Case{L"8", true}, Case{L"10.0", true}, Case{L"6.00.2900.5512", false}, Case{L"6", false},
                        Case{L"", false}, Case{L"v11.0", false}, Case{L".11", false}, Case{L" 11.0", false},
                        Case{L"99999999999999999999.0", true}})
    EXPECT_EQ(IsModernIeVersion(c.version), c.modern) << c.version;
}

TEST(TraceRules, TypedAddressNames) {
  EXPECT_EQ(TypedUrlValueName(1), L"url1");
  EXPECT_EQ(TypedUrlValueName(25), L"url25");
}

}  // namespace
