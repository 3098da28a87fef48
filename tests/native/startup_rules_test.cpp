#include <gtest/gtest.h>

#include "startup/program_path.h"
#include "startup/startup_rules.h"

namespace vantrel {
namespace {

TEST(ExtractProgramPath, Cases) {
  struct Case {
    const wchar_t* command;
    const wchar_t* path;
  } cases[] = {
      {L"\"C:\\Program Files\\App\\app.exe\" /min", L"C:\\Program Files\\App\\app.exe"},
      {L"\"C:\\App\\app.exe\"", L"C:\\App\\app.exe"},
      {L"C:\\Windows\\system32\\rundll32.exe shell32.dll,Control_RunDLL", L"C:\\Windows\\system32\\rundll32.exe"},
      {L"C:\\App\\app.exe -x C:\\data\\file.txt", L"C:\\App\\app.exe -x C:\\data\\file.txt"},
      {L"app.exe", L"app.exe"},
      {L"app.exe /x", L"app.exe /x"},
      {L"C:\\App\\app.exe", L"C:\\App\\app.exe"},  // no blank after the dot
      {L"C:\\App\\noext /x", L"C:\\App\\noext /x"},  // no dot after the backslash
      // No closing quote, or an empty pair: the quotes are dropped and the rules go on.
      {L"\"C:\\App\\app.exe /min", L"C:\\App\\app.exe"},
      {L"\"\"C:\\App\\app.exe /min", L"C:\\App\\app.exe"},
      {L"C:\\A\\\"b.exe\" -y", L"C:\\A\\b.exe"},
      {L"", L""},
      {L"\"", L"\""},
      {L"\"\"", L"\"\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExtractProgramPath(c.command), c.path) << testing::PrintToString(std::wstring(c.command));
}

TEST(StartupLocations, PlaceOfEachText) {
  EXPECT_EQ(PlaceOfLocation(kMachineRunLocation), StartupPlace::kMachineRun);
  EXPECT_EQ(PlaceOfLocation(kMachineRun64Location), StartupPlace::kMachineRun64);
  EXPECT_EQ(PlaceOfLocation(kUserRunLocation), StartupPlace::kUserRun);
  EXPECT_EQ(PlaceOfLocation(kStartupLocation), StartupPlace::kStartupFolder);
  EXPECT_EQ(PlaceOfLocation(L"startup"), StartupPlace::kUnknown);  // exact text only
  EXPECT_EQ(PlaceOfLocation(L"STARTUP "), StartupPlace::kUnknown);
  EXPECT_EQ(PlaceOfLocation(L""), StartupPlace::kUnknown);
  EXPECT_EQ(PlaceOfLocation(L"C:\\x.exe"), StartupPlace::kUnknown);
  // The store's rule is "contains": texts of older or other writers still place.
  EXPECT_EQ(PlaceOfLocation(L"HKEY_LOCAL_MACHINE"), StartupPlace::kMachineRun);
  EXPECT_EQ(PlaceOfLocation(L"x HKEY_CURRENT_USER y"), StartupPlace::kUserRun);
  EXPECT_NE(kMachineRun64Location.find(L"HKEY_LOCAL_MACHINE"), std::wstring_view::npos);
}

TEST(StartupLocations, DesktopIniInAnyCase) {
  for (const wchar_t* n : {L"desktop.ini", L"DESKTOP.INI", L"Desktop.Ini"}) EXPECT_TRUE(IsDesktopIni(n));
  for (const wchar_t* n : {L"desktop.ini.lnk", L"desktop", L"xdesktop.ini", L""}) EXPECT_FALSE(IsDesktopIni(n));
}

TEST(ExclusionList, ExactMembershipAddOnceRemoveFirst) {
  TExclusionList list({L"a", L"B", L"a"});
  EXPECT_EQ(list.names(), (std::vector<std::wstring>{L"a", L"B"}));
  EXPECT_TRUE(list.Contains(L"B"));
  EXPECT_FALSE(list.Contains(L"b"));
  EXPECT_FALSE(list.Contains(L"a "));
  list.Add(L"B");
  list.Add(L"c");
  EXPECT_EQ(list.names(), (std::vector<std::wstring>{L"a", L"B", L"c"}));
  EXPECT_TRUE(list.Remove(L"a"));
  EXPECT_FALSE(list.Remove(L"a"));
  EXPECT_EQ(list.names(), (std::vector<std::wstring>{L"B", L"c"}));
}

TEST(ExclusionList, NamesThatWouldReadBackAsOthersAreNotStored) {
  for (const wchar_t* n : {L"app", L"a|b", L"|a", L"My App", L"a\"b"}) EXPECT_TRUE(IsStorableListName(n));
  for (const wchar_t* n : {L"", L"a||b", L"a|", L"a\r\nb", L" a", L"a ", L"\"a\"", L"\"a"})
    EXPECT_FALSE(IsStorableListName(n)) << testing::PrintToString(std::wstring(n));

  std::vector<std::wstring> left;
  const std::vector<std::wstring> kept = StorableListNames({L"one", L"a||b", L"two", L"three"}, 12, &left);
  EXPECT_EQ(kept, (std::vector<std::wstring>{L"one", L"two"}));  // "one||two" is 8; "||three" would make 15
  EXPECT_EQ(left, (std::vector<std::wstring>{L"a||b", L"three"}));
}

TEST(TaskListText, RecordsFieldsAndNone) {
  const auto records = ParseTaskListText(
      L"Backup||\"C:\\b\\b.exe\"||NONE;;Sync||C:\\s.exe||-q;;OnlyName;;;;||nameless||x;;Last||c||NONE x");
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].name, L"Backup");
  EXPECT_EQ(records[0].command, L"\"C:\\b\\b.exe\"");
  EXPECT_EQ(records[0].arguments, L"");
  EXPECT_EQ(records[1].arguments, L"-q");
  EXPECT_EQ(records[2].name, L"OnlyName");
  EXPECT_EQ(records[2].command, L"");
  EXPECT_EQ(records[3].name, L"Last");
  EXPECT_EQ(records[3].arguments, L"NONE x");  // only exactly "NONE" means none
  EXPECT_TRUE(ParseTaskListText(L"").empty());
  EXPECT_EQ(TaskProgramPath(L"\"C:\\b\\b.exe\""), L"C:\\b\\b.exe");
  EXPECT_EQ(TaskProgramPath(L"C:\\b.exe"), L"C:\\b.exe");
  EXPECT_EQ(TaskProgramPath(L"\""), L"");
}

}  // namespace
}  // namespace vantrel
