// The program's one conversion to a code page: no best-fit look-alikes, and
// the exact form only when the text reads back identical. Code pages are
// named, so the cases do not depend on the system's ANSI code page.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "platform/text_conv.h"

using vantrel::platform::ToNarrow;
using vantrel::platform::ToNarrowExact;
using vantrel::platform::ToWide;

TEST(ToNarrowExact, ConvertsOnlyWhatTheCodePageHoldsExactly) {
  struct Case {
    const wchar_t* text;
    unsigned codePage;
    std::optional<std::string> exact;
    std::string shown;  // ToNarrow: the default character, never a look-alike
  } cases[] = {
      {L"", 1252, std::string(), ""},
      {L"C:\\Users\\Caf\x00E9\\b.scd", 1252, std::string("C:\\Users\\Caf\xE9\\b.scd"), "C:\\Users\\Caf\xE9\\b.scd"},
      // Best-fit would give "Michal", "\" and "|".
      {L"Micha\x0142", 1252, std::nullopt, "Micha?"},
      {L"C:\\a\xFF3C" L"b", 1252, std::nullopt, "C:\\a?b"},
      {L"x\xFF5C|y", 1252, std::nullopt, "x?|y"},
      {L"\xD83D\xDE00", 1252, std::nullopt, ""},  // a surrogate pair (one "?" or two, by system)
      // Korean in its own code page, and a character it lacks there.
      {L"\xC5C5\xB370\xC774\xD2B8", 949, std::string("\xBE\xF7\xB5\xA5\xC0\xCC\xC6\xAE"),
       "\xBE\xF7\xB5\xA5\xC0\xCC\xC6\xAE"},
      {L"\x0E01", 949, std::nullopt, "?"},
      // UTF-8 takes no best-fit flag; a lone surrogate does not read back.
      {L"Micha\x0142", CP_UTF8, std::string("Micha\xC5\x82"), "Micha\xC5\x82"},
      {L"a\xD800" L"b", CP_UTF8, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "code page " << c.codePage << ", case " << (&c - cases));
    EXPECT_EQ(ToNarrowExact(c.text, c.codePage), c.exact);
    if (!c.shown.empty() || !*c.text) EXPECT_EQ(ToNarrow(c.text, c.codePage), c.shown);
    if (c.exact) EXPECT_EQ(ToWide(*c.exact, c.codePage), c.text);
  }
}

TEST(ToNarrowExact, TheAnsiCodePageGivesTheSameAsItsNumber) {
  const unsigned acp = ::GetACP();
  for (const wchar_t* text : {L"plain", L"Micha\x0142", L"\xFF3C", L"\xC5C5", L"\x00E9"}) {
    EXPECT_EQ(ToNarrowExact(text), ToNarrowExact(text, acp)) << acp;
    EXPECT_EQ(ToNarrow(text), ToNarrow(text, acp)) << acp;
  }
}
