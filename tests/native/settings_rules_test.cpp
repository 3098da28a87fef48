#include "core/settings_rules.h"

#include <gtest/gtest.h>

#include <optional>

using namespace vantrel;
using Names = std::vector<std::wstring>;

TEST(SettingsInteger, NumbersAndNonNumbers) {
  struct Case {
    const wchar_t* text;
    std::optional<int> value;
  } cases[] = {
      {L"0", 0},
      {L"42", 42},
      {L"-7", -7},
      {L"+7", 7},
      {L"0x1F", 31},
      {L"0X1f", 31},
      {L"$ff", 255},
      {L"0x0", 0},
      {L"$FFFFFFFF", -1},  // a 32-bit pattern
      {L"2147483647", 2147483647},
      {L"-2147483648", -2147483647 - 1},
      {L"2147483648", std::nullopt},  // out of range
      {L"0x100000000", std::nullopt},
      {L"99999999999999999999999", std::nullopt},
      {L"", std::nullopt},
      {L"-", std::nullopt},
      {L"0x", std::nullopt},
      {L"$", std::nullopt},
      {L"12abc", std::nullopt},  // trailing garbage
      {L"1 ", std::nullopt},
      {L" 1", std::nullopt},
      {L"0xG", std::nullopt},
      {L"true", std::nullopt},
      {L"1.5", std::nullopt},
      {L"--1", std::nullopt},
      {L"\x0661", std::nullopt},  // a digit of another script is not a number
  };
  for (const auto& c : cases) EXPECT_EQ(ParseSettingsInteger(c.text), c.value) << "\"" << c.text << "\"";
}

TEST(SettingsBool, AnyNumberButZeroIsTrueOthersTakeTheDefault) {
  EXPECT_FALSE(ParseSettingsBool(L"0x0", true));
  EXPECT_TRUE(ParseSettingsBool(L"2", false));
  EXPECT_TRUE(ParseSettingsBool(L"-1", false));
  EXPECT_TRUE(ParseSettingsBool(L"word", true));
  EXPECT_FALSE(ParseSettingsBool(L"word", false));
  EXPECT_TRUE(ParseSettingsBool(L"", true));
  EXPECT_EQ(ParseSettingsInt(L"x", 5), 5);
}

TEST(NameList, SplitRules) {
  struct Case {
    const wchar_t* stored;
    Names names;
  } cases[] = {
      {L"", {}},
      {L"a.dll", {L"a.dll"}},
      {L"a.dll||b.dll", {L"a.dll", L"b.dll"}},
      {L"a.dll||||b.dll", {L"a.dll", L"", L"b.dll"}},
      {L"a.dll||", {L"a.dll"}},  // a break at the end adds no name
      {L"||a", {L"", L"a"}},
      {L"||", {L""}},
      {L"a|||b", {L"a", L"|b"}},  // pairs are taken from the left
      {L"a|b", {L"a|b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitNameList(c.stored), c.names) << "\"" << c.stored << "\"";
}

TEST(NameList, JoinRoundTripsAndLongListsLoseTheirTail) {
  Names names = {L"first.dll", L"", L"third name"};
  EXPECT_EQ(JoinNameList(names), L"first.dll||||third name");
  EXPECT_EQ(SplitNameList(JoinNameList(names)), names);
  EXPECT_EQ(JoinNameList({}), L"");

  // 300 names of 9 characters: 300*9 + 299*2 = 3298 characters, cut at 2047.
  Names many;
  for (int i = 0; i < 300; ++i) many.push_back(L"name" + std::to_wstring(10000 + i));
  std::wstring joined = JoinNameList(many);
  ASSERT_GT(joined.size(), kSettingsTextLimit);
  Names back = SplitNameList(joined);
  // 2047 = 186 * 11 + 1: 186 whole names, then the first character of the next.
  ASSERT_EQ(back.size(), 187u);
  EXPECT_EQ(back[185], many[185]);
  EXPECT_EQ(back[186], L"n");
}

TEST(SettingsText, CutAndSingleLine) {
  EXPECT_EQ(CutSettingsText(std::wstring(3000, L'x')).size(), kSettingsTextLimit);
  EXPECT_EQ(CutSettingsText(L"short"), L"short");
  EXPECT_EQ(SingleLineValue(L"a\r\n[WINDOW]\nTOPMOST=0"), L"a  [WINDOW] TOPMOST=0");
}

TEST(SettingsValueChecks, RefuseWhatTheReaderWouldChange) {
  using P = SettingsValueProblem;
  struct Case {
    std::wstring text;
    P problem;
  } cases[] = {
      {L"", P::kNone},
      {L"plain value", P::kNone},
      {L"\"C:\\x y\\a.exe\" -min", P::kNone},  // a quote at one end only
      {L"'", P::kNone},
      {L"a|b||c", P::kNone},
      {L" a", P::kEdgeBlank},
      {L"a\t", P::kEdgeBlank},
      {L"a\x1A", P::kEdgeBlank},
      {L"\u3000a", P::kEdgeBlank},
      {L"\"quoted\"", P::kQuoted},
      {L"''", P::kQuoted},
      {L"a\nb", P::kControlCharacter},
      {std::wstring(L"a\0b", 3), P::kControlCharacter},
      {std::wstring(2047, L'x'), P::kNone},
      {std::wstring(2048, L'x'), P::kTooLong},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckSettingsText(c.text), c.problem) << c.text.size();
    if (c.problem == P::kNone) EXPECT_EQ(SettingsReadBack(c.text), c.text);
  }
  EXPECT_EQ(SettingsReadBack(L"  \"x\" \t"), L"x");
  EXPECT_EQ(SettingsReadBack(L"'a b'"), L"a b");

  using Names = std::vector<std::wstring>;
  struct ListCase {
    Names names;
    P problem;
  } lists[] = {
      {{}, P::kNone},
      {{L"a", L"", L"b"}, P::kNone},
      {{L"a ", L" b"}, P::kNone},  // blanks inside the joined text stay
      {{L"a|", L"b"}, P::kNamesMerge},
      {{L"a", L"|b"}, P::kNone},  // the list splits at the first "||"
      {{L"a||b"}, P::kNamesMerge},
      {{L"a", L""}, P::kNamesMerge},  // an empty name at the end is lost
      {{L""}, P::kNamesMerge},        // one empty name reads back as none
      {{L" a", L"b"}, P::kEdgeBlank},
      {{L"\"a", L"b\""}, P::kQuoted},
      {{L"a\rb"}, P::kControlCharacter},
  };
  for (const ListCase& c : lists) {
    EXPECT_EQ(CheckSettingsNames(c.names), c.problem) << "list case " << (&c - lists);
    if (c.problem == P::kNone) EXPECT_EQ(SplitNameList(SettingsReadBack(JoinNameList(c.names))), c.names);
  }
}
