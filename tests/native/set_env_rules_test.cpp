// The settings window's launcher checks: which test fails first.
#include "settings/set_env_rules.h"

#include <gtest/gtest.h>

#include <set>

using namespace vantrel;

namespace {
const LauncherTexts kNone{};
}

TEST(SetEnvRules, ProgramLaunchersReportTheFirstFailingTestInSlotOrder) {
  const std::set<std::wstring> files = {L"C:\\a.exe", L"C:\\b.exe"};
  auto exists = [&](const std::wstring& path) { return files.count(path) != 0; };
  struct Case {
    const char* what;
    LauncherTexts names, paths;
    int fault;
  };
  const Case cases[] = {
      {"all empty", kNone, kNone, 1},
      {"names only", {L"A", L"B"}, kNone, 1},
      {"paths only", kNone, {L"C:\\a.exe"}, 1},
      {"one complete", {L"A"}, {L"C:\\a.exe"}, 0},
      {"a name without a path passes", {L"A", L"B"}, {L"C:\\a.exe"}, 0},
      {"slot 2 path, no name", {L"A"}, {L"C:\\a.exe", L"C:\\b.exe"}, 4},
      {"slot 3 missing file", {L"A", L"", L"C"}, {L"C:\\a.exe", L"", L"C:\\gone.exe"}, 7},
      {"slot 4 path, no name", {L"A"}, {L"C:\\a.exe", L"", L"", L"C:\\b.exe"}, 8},
      {"slot 1 missing before slot 2 unnamed", {L"A"}, {L"C:\\gone.exe", L"C:\\b.exe"}, 3},
      {"no name anywhere, a missing file", {L""}, {L"C:\\gone.exe"}, 1},
      {"slot 1 unnamed with a missing file", {L"", L"B"}, {L"C:\\gone.exe", L"C:\\b.exe"}, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstProgramLauncherFault(c.names, c.paths, exists), c.fault) << c.what;
}

TEST(SetEnvRules, SiteLaunchersNeedNameAndAddressTogether) {
  struct Case {
    const char* what;
    LauncherTexts names, addresses;
    int fault;
  };
  const Case cases[] = {
      {"all empty", kNone, kNone, 1},
      {"no address at all", {L"A"}, kNone, 1},
      {"one complete, others empty", {L"", L"B"}, {L"", L"http://b/"}, 0},
      {"site 1 address, no name", {L"", L"B"}, {L"http://a/", L"http://b/"}, 2},
      {"site 2 name, no address", {L"A", L"B"}, {L"http://a/"}, 5},
      {"site 3 address, no name", {L"A"}, {L"http://a/", L"", L"http://c/"}, 6},
      {"site 4 name, no address", {L"A", L"", L"", L"D"}, {L"http://a/"}, 9},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstSiteLauncherFault(c.names, c.addresses), c.fault) << c.what;
}

TEST(SetEnvRules, FileNameOfTakesWhatFollowsTheLastSeparator) {
  EXPECT_EQ(FileNameOf(L"C:\\Apps\\tool.exe"), L"tool.exe");
  EXPECT_EQ(FileNameOf(L"C:/Apps/x\\y.exe"), L"y.exe");
  EXPECT_EQ(FileNameOf(L"tool.exe"), L"tool.exe");
  EXPECT_EQ(FileNameOf(L"C:\\Apps\\"), L"");
}
