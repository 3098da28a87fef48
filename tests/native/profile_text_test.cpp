#include "core/profile_text.h"

#include <gtest/gtest.h>

#include "core/language_table.h"

using vantrel::LanguageSection;
using vantrel::LanguageSectionFromText;
using vantrel::ParseProfileText;
using vantrel::ProfileText;

namespace {

std::wstring ValueOr(const ProfileText& t, const wchar_t* section, const wchar_t* key, const wchar_t* missing) {
  auto v = t.Value(section, key);
  return v ? *v : std::wstring(missing);
}

}  // namespace

TEST(ProfileText, ValuesFollowTheProfileRules) {
  struct Case {
    const wchar_t* line;  // inside [S]
    const wchar_t* key;
    const wchar_t* expected;  // L"<missing>" when the key must not exist
  } cases[] = {
      {L"k=v", L"k", L"v"},
      {L"  k  =   spaced value \t", L"k", L"spaced value"},
      {L"k=", L"k", L""},                       // present but empty
      {L"k=   ", L"k", L""},
      {L"K=upper", L"k", L"upper"},             // keys without regard to case
      {L"k=a=b", L"k", L"a=b"},                 // only the first '=' splits
      {L"k=\"quoted\"", L"k", L"quoted"},       // outer quotes go, as with the profile API
      {L"k='single'", L"k", L"single"},
      {L"k=\"half", L"k", L"\"half"},
      {L"k=\"a\" and \"b\"", L"k", L"a\" and \"b"},
      {L"k=\"in\"side", L"k", L"\"in\"side"},
      {L"k=#13#10 stays", L"k", L"#13#10 stays"},  // escapes are the reader's business
      {L"lv1.Columns.Items[0]=col", L"LV1.COLUMNS.ITEMS[0]", L"col"},
      {L"no equals sign", L"no equals sign", L"<missing>"},
      {L"=value without key", L"", L"<missing>"},
      {L"k\x01=binary", L"k\x01", L"<missing>"},
      {L"k=v\x7F", L"k", L"<missing>"},
      {L"k=\xFFFD", L"k", L"<missing>"},
  };
  for (const Case& c : cases) {
    ProfileText t = ParseProfileText(std::wstring(L"[S]\r\n") + c.line + L"\r\n");
    EXPECT_EQ(ValueOr(t, L"s", c.key, L"<missing>"), c.expected) << "line: " << testing::PrintToString(c.line);
  }
}

TEST(ProfileText, ValuesAreCutAt2047Characters) {
  std::wstring longValue(5000, L'x');
  ProfileText t = ParseProfileText(L"[S]\nk=" + longValue + L"\nafter=1\n");
  EXPECT_EQ(t.Value(L"S", L"k")->size(), 2047u);
  EXPECT_EQ(*t.Value(L"S", L"after"), L"1");
  std::wstring exact(2047, L'y');
  EXPECT_EQ(*ParseProfileText(L"[S]\nk=" + exact).Value(L"S", L"k"), exact);
}

TEST(ProfileText, DamagedLinesAreSkippedAlone) {
  const wchar_t* text =
      L"orphan=before any section\r\n"  // 1
      L"[First]\r\n"                    // 2
      L"a=1\r\n"                        // 3
      L"stray text\r\n"                 // 4
      L"b=2\r\n"                        // 5
      L"\x01\x02\xFFFD\x7F=3\r\n"       // 6
      L"c=3\r\n"                        // 7
      L"[Unterminated\r\n"              // 8: keeps [First] open
      L"d=4\r\n"                        // 9
      L"\r\n"                           // 10: blank lines are not damage
      L"[ Second ] trailing words\r\n"  // 11
      L"a=second\r\n";                  // 12
  ProfileText t = ParseProfileText(text);
  EXPECT_EQ(t.damagedLines, (std::vector<size_t>{1, 4, 6, 8}));
  ASSERT_EQ(t.sections.size(), 2u);
  EXPECT_EQ(t.sections[0].name, L"First");
  EXPECT_EQ(t.sections[1].name, L"Second");
  EXPECT_EQ(*t.Value(L"first", L"a"), L"1");
  EXPECT_EQ(*t.Value(L"first", L"b"), L"2");
  EXPECT_EQ(*t.Value(L"first", L"c"), L"3");
  EXPECT_EQ(*t.Value(L"first", L"d"), L"4");
  EXPECT_EQ(*t.Value(L"SECOND", L"a"), L"second");
  EXPECT_FALSE(t.Value(L"Unterminated", L"d"));
  EXPECT_FALSE(t.Value(L"first", L"orphan"));
}

TEST(ProfileText, FirstOccurrenceWins) {
  ProfileText t = ParseProfileText(
      L"[S]\nk=first\nK=second\nk=third\n"
      L"[Other]\nk=other\n"
      L"[s]\nk=repeated section\nnew=added\n");
  ASSERT_EQ(t.sections.size(), 2u);
  EXPECT_EQ(*t.Value(L"S", L"k"), L"first");
  EXPECT_EQ(*t.Value(L"S", L"new"), L"added");  // a repeated header continues the section
  EXPECT_EQ(*t.Value(L"Other", L"k"), L"other");
  ASSERT_EQ(t.sections[0].entries.size(), 2u);
  EXPECT_EQ(t.sections[0].entries[0].key, L"k");
  EXPECT_EQ(t.sections[0].entries[1].key, L"new");
}

TEST(ProfileText, LineEndsAndByteOrderMark) {
  ProfileText t = ParseProfileText(L"\xFEFF[S]\ra=1\nb=2\r\nc=3\n\rd=4");
  EXPECT_TRUE(t.damagedLines.empty());
  EXPECT_EQ(*t.Value(L"S", L"a"), L"1");
  EXPECT_EQ(*t.Value(L"S", L"b"), L"2");
  EXPECT_EQ(*t.Value(L"S", L"c"), L"3");
  EXPECT_EQ(*t.Value(L"S", L"d"), L"4");  // last line without an end
  EXPECT_TRUE(ParseProfileText(L"").sections.empty());
}

TEST(LanguageSection, DefaultsOnlyForMissingKeys) {
  LanguageSection s = LanguageSectionFromText(
      L"[Form]\r\nbtnClose=Close\r\nEmpty=\r\nMsg_Two=one#13#10two\r\n[Other]\r\nbtnOther=x\r\n", L"form");
  EXPECT_EQ(s.Text(L"BTNCLOSE", L"default"), L"Close");
  EXPECT_EQ(s.Text(L"Empty", L"default"), L"");
  EXPECT_TRUE(s.Has(L"empty"));
  EXPECT_EQ(s.Text(L"btnOther", L"default"), L"default");  // another section's key
  EXPECT_FALSE(s.Has(L"btnOther"));
  EXPECT_EQ(s.Text(L"Msg_Two", L""), L"one#13#10two");
  EXPECT_EQ(s.Message(L"Msg_Two", L""), L"one\r\ntwo");
  EXPECT_EQ(s.Message(L"Msg_Missing", L"a#13#10b"), L"a\r\nb");  // built-in defaults carry escapes too

  LanguageSection none = LanguageSectionFromText(L"[Form]\r\nk=v\r\n", L"Absent");
  EXPECT_EQ(none.Text(L"k", L"default"), L"default");
  EXPECT_EQ(LanguageSection().Message(L"k", L"x#10y"), L"x\ny");
}

TEST(ProfileText, ArbitraryTextNeverBreaksTheParser) {
  // Random mixes of the characters that matter to the format, plus controls
  // and letters: every value stays within the limit and good lines survive.
  const wchar_t alphabet[] = L"[]= \t\r\n\"'#;ab\x01\x00\xFFFD\xAC00";
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 500; ++round) {
    std::wstring text;
    size_t size = next() % 3000;
    for (size_t i = 0; i < size; ++i) text.push_back(alphabet[next() % (sizeof alphabet / sizeof *alphabet - 1)]);
    if (round % 2) text.append(next() % 5000, L'x');
    ProfileText t = ParseProfileText(L"[Known]\r\ngood=kept\r\n" + text);
    EXPECT_EQ(*t.Value(L"Known", L"good"), L"kept");
    for (const auto& s : t.sections) {
      for (const auto& e : s.entries) EXPECT_LE(e.value.size(), vantrel::kProfileValueMax);
    }
  }
}
