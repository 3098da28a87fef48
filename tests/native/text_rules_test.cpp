#include "core/text_rules.h"

#include <gtest/gtest.h>

using vantrel::DecimalText;
using vantrel::HexText;
using vantrel::TakeToken;
using vantrel::UnescapeLineBreaks;

TEST(UnescapeLineBreaks, TurnsEscapesIntoControlCharacters) {
  EXPECT_EQ(UnescapeLineBreaks(L"one#13#10two"), L"one\r\ntwo");
  EXPECT_EQ(UnescapeLineBreaks(L"#10#13"), L"\n\r");
  EXPECT_EQ(UnescapeLineBreaks(L"#1310"), L"\r10");    // "#13" is taken first
  EXPECT_EQ(UnescapeLineBreaks(L"#14 #1"), L"#14 #1");  // nothing else is an escape
  EXPECT_EQ(UnescapeLineBreaks(L""), L"");
}

TEST(TakeToken, WalksFieldsLeftToRight) {
  std::wstring text = L"a||bb||ccc";
  EXPECT_EQ(TakeToken(text, L"||"), L"a");
  EXPECT_EQ(TakeToken(text, L"||"), L"bb");
  EXPECT_EQ(TakeToken(text, L"||"), L"ccc");
  EXPECT_EQ(text, L"");
  EXPECT_EQ(TakeToken(text, L"||"), L"");
}

TEST(TakeToken, EdgeCases) {
  std::wstring whole = L"no separator";
  EXPECT_EQ(TakeToken(whole, L"||"), L"no separator");
  EXPECT_TRUE(whole.empty());

  std::wstring leading = L"||rest";
  EXPECT_EQ(TakeToken(leading, L"||"), L"");
  EXPECT_EQ(leading, L"rest");

  std::wstring empties = L"x||||y";
  EXPECT_EQ(TakeToken(empties, L"||"), L"x");
  EXPECT_EQ(TakeToken(empties, L"||"), L"");
  EXPECT_EQ(TakeToken(empties, L"||"), L"y");
}

TEST(NumberText, MatchesPrintf) {
  struct Case {
    int64_t value;
    int width;
    const wchar_t* decimal;
  } cases[] = {
      {0, 1, L"0"},     {7, 1, L"7"},     {-7, 1, L"-7"},  {42, 4, L"0042"}, {-42, 4, L"-0042"},
      {12345, 2, L"12345"}, {INT64_MAX, 1, L"9223372036854775807"}, {INT64_MIN, 1, L"-9223372036854775808"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecimalText(c.value, c.width), c.decimal) << c.value;
  EXPECT_EQ(HexText(0, 1), L"0");
  EXPECT_EQ(HexText(0x412, 4), L"0412");
  EXPECT_EQ(HexText(0xABCDEF, 2), L"ABCDEF");
  EXPECT_EQ(HexText(UINT64_MAX, 1), L"FFFFFFFFFFFFFFFF");
}
