// The updater's command line, both as the main program writes it and as the
// updater reads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/updater_command_line.h"
#include "updater/command_line.h"

namespace vantrel {
namespace {

using Args = std::vector<std::wstring>;

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroupWithoutAnEscape) {
  struct Case {
    const wchar_t* line;
    Args args;
  };
  const Case cases[] = {
      {L"C:\\x\\VantrelUpdate.exe 1 \"a b\" \"u\"", {L"C:\\x\\VantrelUpdate.exe", L"1", L"a b", L"u"}},
      {L"\"C:\\Program Files\\V\\u.exe\"  two\t three ", {L"C:\\Program Files\\V\\u.exe", L"two", L"three"}},
      {L"p \"\" x", {L"p", L"", L"x"}},                     // an empty quoted argument counts
      {L"p a\"b c\"d", {L"p", L"ab cd"}},                   // quotes inside an argument
      {L"p \"unbalanced rest of line", {L"p", L"unbalanced rest of line"}},
      {L"p \"ends with backslash\\\" next", {L"p", L"ends with backslash\\", L"next"}},  // no escapes
      {L"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line);
    EXPECT_EQ(SplitCommandLine(c.line), c.args);
  }
}

TEST(ReadTriples, FiveArgumentsAndMore) {
  bool refused = true;
  EXPECT_FALSE(ReadTriples({L"u", L"1", L"s", L"a", L"b"}, &refused));  // four: nothing to do
  EXPECT_FALSE(refused);
  EXPECT_FALSE(ReadTriples({}, &refused));
  EXPECT_FALSE(refused);

  auto one = ReadTriples({L"u", L"1", L"s", L"a", L"b", L"Vantrel.exe"}, &refused);
  ASSERT_TRUE(one);
  ASSERT_EQ(one->size(), 1u);
  EXPECT_EQ((*one)[0].url, L"a");
  EXPECT_EQ((*one)[0].url2, L"b");
  EXPECT_EQ((*one)[0].fileName, L"Vantrel.exe");

  auto two = ReadTriples({L"u", L"1", L"s", L"a", L"b", L"one.exe", L"c", L"d", L"two.dll"}, &refused);
  ASSERT_TRUE(two);
  ASSERT_EQ(two->size(), 2u);
  EXPECT_EQ((*two)[1].url, L"c");
  EXPECT_EQ((*two)[1].fileName, L"two.dll");

  // An incomplete last triple or an empty member refuses the whole line.
  EXPECT_FALSE(ReadTriples({L"u", L"1", L"s", L"a", L"b", L"one.exe", L"c"}, &refused));
  EXPECT_TRUE(refused);
  EXPECT_FALSE(ReadTriples({L"u", L"1", L"s", L"", L"b", L"one.exe"}, &refused));
  EXPECT_TRUE(refused);
}

TEST(ReadTriples, OnlyBareFileNamesInTheUpdatersFolder) {
  for (const wchar_t* bad : {L"..\\Vantrel.exe", L"sub\\Vantrel.exe", L"sub/Vantrel.exe", L"C:Vantrel.exe",
                             L"C:\\Windows\\x.exe", L"..", L".", L"a..b", L"*.exe", L"V?.exe", L"x.exe:stream",
                             L"\\\\server\\share\\x.exe", L"NUL", L"con.txt", L"COM1.exe", L"x.exe.", L"x.exe ",
                             L"a\"b", L"a|b", L"a<b", L""}) {
    SCOPED_TRACE(testing::Message() << bad);
    EXPECT_FALSE(IsBareFileName(bad));
    bool refused = false;
    EXPECT_FALSE(ReadTriples({L"u", L"1", L"s", L"a", L"b", bad}, &refused));
    EXPECT_TRUE(refused);
  }
  for (const wchar_t* good : {L"Vantrel.exe", L"Schedlet.dll", L"Vantrel 2.exe", L"console.exe", L"nul1.txt",
                              L"업데이트.exe"})
    EXPECT_TRUE(IsBareFileName(good)) << good;
}

TEST(UpdaterCommandLine, TheMainProgramsFiveArgumentsReadBackAsTheyWere) {
  const std::wstring line = BuildUpdaterCommandLine(28'800'000, L"launch site", L"http://a/update/Vantrel.exe",
                                                    L"http://b/update/Vantrel.exe", L"Vantrel.exe");
  EXPECT_EQ(line,
            L"28800000 \"launch site\" \"http://a/update/Vantrel.exe\" \"http://b/update/Vantrel.exe\" \"Vantrel.exe\"");
  const Args args = SplitCommandLine(L"\"C:\\p\\VantrelUpdate.exe\" " + line);
  ASSERT_EQ(args.size(), 6u);
  EXPECT_EQ(args[2], L"launch site");

  // A value with double quotes cannot break out of its argument.
  const Args quoted = SplitCommandLine(L"u " + BuildUpdaterCommandLine(1, L"x\" \"evil.exe", L"http://a\"", L"b", L"V.exe"));
  ASSERT_EQ(quoted.size(), 6u);
  EXPECT_EQ(quoted[2], L"x evil.exe");
  EXPECT_EQ(quoted[5], L"V.exe");
}

TEST(AllowedRedirect, StaysOnHttpAndNeverFallsFromHttps) {
  EXPECT_TRUE(AllowedRedirect(L"http://a/x", L"http://b/y"));
  EXPECT_TRUE(AllowedRedirect(L"http://a/x", L"HTTPS://b/y"));
  EXPECT_TRUE(AllowedRedirect(L"https://a/x", L"https://b/y"));
  EXPECT_FALSE(AllowedRedirect(L"https://a/x", L"http://b/y"));
  EXPECT_FALSE(AllowedRedirect(L"HTTPS://a/x", L"http://b/y"));
  EXPECT_FALSE(AllowedRedirect(L"http://a/x", L"file:///c:/windows/x.exe"));
  EXPECT_FALSE(AllowedRedirect(L"http://a/x", L"ftp://b/y"));
  EXPECT_FALSE(AllowedRedirect(L"http://a/x", L""));
}

TEST(RestartParameters, UpdateOkThenTheLaunchSiteAndTheFirstAddress) {
  EXPECT_EQ(RestartParameters(L"NONE", L"http://a/x.exe"), L"\"UPDATE_OK\" \"NONE\" \"http://a/x.exe\"");
}

}  // namespace
}  // namespace vantrel
