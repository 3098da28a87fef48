#include "addons/addon_rules.h"

#include <gtest/gtest.h>

#include "recovery/recovery_format.h"
#include "recovery/registry_view.h"

namespace vantrel::addons {
namespace {

TEST(ExpandSystemRoot, ReplacesOnlyALeadingSystemRootInAnyCase) {
  struct Case {
    const wchar_t* text;
    const wchar_t* expanded;
  };
  const Case cases[] = {
      {L"%SystemRoot%\\system32\\a.dll", L"C:\\Windows\\system32\\a.dll"},
      {L"%SYSTEMROOT%\\b.dll", L"C:\\Windows\\b.dll"},
      {L"%systemroot%", L"C:\\Windows"},
      {L"C:\\x\\%systemroot%\\c.dll", L"C:\\x\\%systemroot%\\c.dll"},
      {L"%windir%\\d.dll", L"%windir%\\d.dll"},
      {L"%systemroo", L"%systemroo"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandSystemRootWith(c.text, L"C:\\Windows"), c.expanded) << c.text;
  // An unknown Windows folder leaves the rest only.
  EXPECT_EQ(ExpandSystemRootWith(L"%SystemRoot%\\e.dll", L""), L"\\e.dll");
}

TEST(FileNameOfPath, TakesThePartAfterTheLastBackslashOrColon) {
  EXPECT_EQ(FileNameOfPath(L"C:\\Program Files\\Bar\\bar.dll"), L"bar.dll");
  EXPECT_EQ(FileNameOfPath(L"C:bar.dll"), L"bar.dll");
  EXPECT_EQ(FileNameOfPath(L"bar.dll"), L"bar.dll");
  EXPECT_EQ(FileNameOfPath(L"C:\\dir\\"), L"");
  EXPECT_EQ(FileNameOfPath(L""), L"");
}

TEST(ToolbarId, ValueIdsBeginWithOneAndSplitBack) {
  EXPECT_EQ(ToolbarIdOfValue(L"{A}"), L"1{A}");
  const ToolbarPlace value = ToolbarPlaceOf(L"1{A}");
  EXPECT_TRUE(value.isToolbarValue);
  EXPECT_EQ(value.name, L"{A}");
  const ToolbarPlace bar = ToolbarPlaceOf(L"{B}");
  EXPECT_FALSE(bar.isToolbarValue);
  EXPECT_EQ(bar.name, L"{B}");
  EXPECT_TRUE(LooksLikeClassId(L"{B}"));
  EXPECT_FALSE(LooksLikeClassId(L"ITBar7Layout"));
  EXPECT_FALSE(LooksLikeClassId(L""));
}

TEST(UninstallEntry, MatchesClassIdOrNameWithOptionalIs1CaseSensitive) {
  const wchar_t clsid[] = L"{AB-12}";
  const wchar_t name[] = L"Shiny Bar";
  EXPECT_TRUE(UninstallEntryMatches(L"{AB-12}", clsid, name));
  EXPECT_TRUE(UninstallEntryMatches(L"{AB-12}_is1", clsid, name));
  EXPECT_TRUE(UninstallEntryMatches(L"Shiny Bar", clsid, name));
  EXPECT_TRUE(UninstallEntryMatches(L"Shiny Bar_is1", clsid, name));
  EXPECT_FALSE(UninstallEntryMatches(L"{ab-12}", clsid, name));
  EXPECT_FALSE(UninstallEntryMatches(L"shiny bar", clsid, name));
  EXPECT_FALSE(UninstallEntryMatches(L"Shiny Bar_IS1", clsid, name));
  EXPECT_FALSE(UninstallEntryMatches(L"{AB-12}_is1x", clsid, name));
  // A toolbar without a name does not take an entry called "_is1".
  EXPECT_FALSE(UninstallEntryMatches(L"_is1", clsid, L""));
}

TEST(SplitUninstallCommand, ProgramInQuotesThenParametersUpToAThirdQuote) {
  struct Case {
    const wchar_t* command;
    const wchar_t* program;
    const wchar_t* parameters;
  };
  const Case cases[] = {
      {L"\"C:\\Bar\\unins000.exe\" /SILENT", L"\"C:\\Bar\\unins000.exe\"", L" /SILENT"},
      {L"\"C:\\Bar\\u.exe\"", L"\"C:\\Bar\\u.exe\"", L""},
      {L"junk \"C:\\u.exe\" /x \"tail\" more", L"\"C:\\u.exe\"", L" /x "},
      {L"C:\\Bar\\u.exe /S", L"", L""},  // no quotes: nothing starts
      {L"\"C:\\Bar\\u.exe /S", L"", L""},  // one quote: nothing starts
  };
  for (const Case& c : cases) {
    const UninstallLaunch launch = SplitUninstallCommand(c.command);
    EXPECT_EQ(launch.program, c.program) << c.command;
    EXPECT_EQ(launch.parameters, c.parameters) << c.command;
  }
  const std::wstring huge = L"\"C:\\u.exe\" " + std::wstring(100000, L'x');
  EXPECT_EQ(SplitUninstallCommand(huge).parameters.size(), 100001u);
}

// Only a full path to a program starts: never a name looked for in the
// current folder or the search path, nor a document, folder or address.
TEST(UninstallerProgramFile, OnlyAFullPathToAProgram) {
  struct Case {
    const wchar_t* part;
    const wchar_t* file;
  };
  const Case cases[] = {
      {L"\"C:\\Bar\\unins000.exe\"", L"C:\\Bar\\unins000.exe"},
      {L"\"d:\\My Bar\\UNINST.EXE\"", L"d:\\My Bar\\UNINST.EXE"},
      {L"\"unins000.exe\"", L""},            // bare name
      {L"\"Bar\\unins000.exe\"", L""},       // relative
      {L"\"C:unins000.exe\"", L""},          // relative to a drive's current folder
      {L"\"\\Bar\\unins000.exe\"", L""},     // relative to the current drive
      {L"\"C:\\Bar\\readme.txt\"", L""},     // a document
      {L"\"C:\\Bar\\setup.exe.lnk\"", L""},  // a shortcut
      {L"\"http://example.com/u.exe\"", L""},
      {L"\"\\\\server\\share\\u.exe\"", L""},
      {L"\"\"", L""},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(UninstallerProgramFile(c.part), c.file) << c.part;
}

TEST(ServerPathToUnregister, FullPathsOnlyWithoutQuotesOrArguments) {
  struct Case {
    const wchar_t* fullPath;
    const wchar_t* server;
  };
  const Case cases[] = {
      {L"C:\\Program Files\\Bar\\bar.dll", L"C:\\Program Files\\Bar\\bar.dll"},
      {L"\"C:\\Program Files\\Bar\\bar.dll\"", L"C:\\Program Files\\Bar\\bar.dll"},
      {L"\\\\server\\share\\bar.dll", L"\\\\server\\share\\bar.dll"},
      {L"bar.dll", L""},
      {L"%ProgramFiles%\\Bar\\bar.dll", L""},
      {L"%SystemRoot%\\bar.dll", L""},  // left when the Windows folder is unknown
      {L"\"C:\\Bar\\bar.dll\" /i", L""},
      {L"C:\\Bar\\bar.dll\" /i \"C:\\evil.dll", L""},
      {L"\\\\?\\C:\\bar.dll", L""},
      {L"C:bar.dll", L""},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ServerPathToUnregister(c.fullPath), c.server) << c.fullPath;
}

TEST(Exclusions, ExactAndCaseSensitive) {
  const std::vector<std::wstring> list{L"bar.dll", L"Other.dll"};
  EXPECT_TRUE(InExclusionList(list, L"bar.dll"));
  EXPECT_FALSE(InExclusionList(list, L"BAR.dll"));
  EXPECT_FALSE(InExclusionList(list, L"bar"));
  EXPECT_FALSE(InExclusionList({}, L"bar.dll"));
}

TEST(UnregisterCommand, QuotesBothPaths) {
  EXPECT_EQ(UnregisterCommand(L"C:\\Windows\\system32\\regsvr32.exe", L"C:\\Program Files\\b.dll"),
            L"\"C:\\Windows\\system32\\regsvr32.exe\" /u /s \"C:\\Program Files\\b.dll\"");
}

TEST(RegistryView, RecordIdsCarryThe64BitViewAsASuffix) {
  using recovery::RegistryView;
  EXPECT_EQ(recovery::RecordIdWithView(L"{A}", RegistryView::Bits64), L"{A} (64-bit)");
  EXPECT_EQ(recovery::RecordIdWithView(L"1{A}", RegistryView::Bits32), L"1{A}");
  EXPECT_EQ(recovery::RecordIdWithView(L"{A}", RegistryView::Default), L"{A}");
  const auto split64 = recovery::SplitRecordIdView(L"1{A} (64-bit)");
  EXPECT_EQ(split64.id, L"1{A}");
  EXPECT_EQ(split64.view, RegistryView::Bits64);
  const auto plain = recovery::SplitRecordIdView(L"{A}");
  EXPECT_EQ(plain.id, L"{A}");
  EXPECT_EQ(plain.view, RegistryView::Default);
  EXPECT_EQ(recovery::SplitRecordIdView(L" (64-bit)").view, RegistryView::Default);
}

TEST(RegistryView, ExportLineIsSkippedByTheValueParser) {
  using recovery::RegistryView;
  const std::vector<std::wstring> lines{L"ROOT_KEY = HKEY_LOCAL_MACHINE",
                                        L"BASE_KEY = \\Software\\Microsoft\\Internet Explorer\\Extensions",
                                        L"CLSID_REGKEY = {E}", recovery::ExportViewLine(RegistryView::Bits64),
                                        L"ButtonText = str::Go"};
  EXPECT_EQ(lines[3], L"REGISTRY_VIEW = 64-bit");
  EXPECT_EQ(recovery::ExportViewOfLines(lines), RegistryView::Bits64);
  const auto parsed = recovery::ParseExportLines(lines);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->values.size(), 1u);  // the view line is no value
  EXPECT_EQ(parsed->values[0].name, L"ButtonText");
  EXPECT_EQ(recovery::ExportViewOfLines({lines[0], lines[1], lines[2]}), RegistryView::Default);
  EXPECT_EQ(recovery::ExportViewLine(RegistryView::Default), L"");
}

}  // namespace
}  // namespace vantrel::addons
