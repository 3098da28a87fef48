#include "schedlet/task_list_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "core/text_rules.h"

namespace vantrel::schedlet {
namespace {

// A stand-in for the system ANSI code page: ASCII as it is, Hangul syllables
// as two bytes (a lead byte and a trail byte, as code page 949 does), anything
// else as the default character "?" (a surrogate pair as one "?").
std::string TestAnsi(std::wstring_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c >= 0xAC00 && c <= 0xD7A3) {
      out.push_back(static_cast<char>(0xB0));
      out.push_back(static_cast<char>(0xA1));
    } else {
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) ++i;
      out.push_back('?');
    }
  }
  return out;
}
const AnsiEncoder kAnsi = TestAnsi;

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring Definition(std::wstring_view actions) {
  return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.2\" "
         L"xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n  <Settings>"
         L"<Enabled>true</Enabled></Settings>\r\n  <Actions Context=\"Author\">\r\n" +
         std::wstring(actions) + L"\r\n  </Actions>\r\n</Task>\r\n";
}
std::wstring Exec(std::wstring_view command) {
  return L"    <Exec><Command>" + std::wstring(command) + L"</Command></Exec>";
}
std::wstring Exec(std::wstring_view command, std::wstring_view arguments) {
  return L"    <Exec><Command>" + std::wstring(command) + L"</Command><Arguments>" +
         std::wstring(arguments) + L"</Arguments></Exec>";
}

// Splits the text the way the start-up window reads it: records at the first
// ";;", then name, command and arguments at the first "||".
struct Parsed {
  std::wstring name, command, arguments;
  bool operator==(const Parsed&) const = default;
};
std::vector<Parsed> ParseLikeTheMainProgram(std::string_view text) {
  std::vector<Parsed> out;
  std::wstring rest = Widen(text);
  while (!rest.empty()) {
    std::wstring record = TakeToken(rest, L";;");
    Parsed p;
    p.name = TakeToken(record, L"||");
    p.command = TakeToken(record, L"||");
    p.arguments = TakeToken(record, L"||");
    out.push_back(p);
  }
  return out;
}

TEST(SchedletTags, CommandAndArgumentsOfTheFirstExecAction) {
  struct Case {
    const wchar_t* what;
    std::wstring xml;
    std::optional<std::wstring> command, arguments;
  };
  const Case cases[] = {
      {L"plain", Definition(Exec(L"C:\\b\\b.exe", L"-silent")), L"C:\\b\\b.exe", L"-silent"},
      {L"no arguments", Definition(Exec(L"C:\\a\\a.exe")), L"C:\\a\\a.exe", std::nullopt},
      {L"entities and white space verbatim", Definition(Exec(L" &quot;C:\\x y\\x.exe&quot; ", L"&amp; -q ")),
       L" &quot;C:\\x y\\x.exe&quot; ", L"&amp; -q "},
      {L"empty elements", Definition(Exec(L"", L"")), L"", L""},
      {L"two actions: the first", Definition(Exec(L"first.exe", L"-1") + Exec(L"second.exe", L"-2")),
       L"first.exe", L"-1"},
      {L"the second action's arguments never go with the first command",
       Definition(Exec(L"first.exe") + Exec(L"second.exe", L"-2")), L"first.exe", std::nullopt},
      {L"COM handler only", Definition(L"<ComHandler><ClassId>{0}</ClassId></ComHandler>"), std::nullopt,
       std::nullopt},
      {L"unclosed command", L"<Exec><Command>x.exe</Exec>", std::nullopt, std::nullopt},
      {L"close before open", L"</Command><Command>x.exe", std::nullopt, std::nullopt},
      {L"self-closing arguments", Definition(L"<Exec><Command>x</Command><Arguments/></Exec>"), L"x",
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto exec = FindFirstExec(c.xml);
    ASSERT_EQ(exec.has_value(), c.command.has_value());
    if (!exec) continue;
    EXPECT_EQ(std::wstring(exec->command), *c.command);
    ASSERT_EQ(exec->arguments.has_value(), c.arguments.has_value());
    if (exec->arguments) {
      EXPECT_EQ(std::wstring(*exec->arguments), *c.arguments);
    }
  }
}

TEST(SchedletRecords, TwoTasksGiveTheDocumentedText) {
  std::vector<char> buffer(200, 'x');
  TaskListWriter out(buffer.data(), buffer.size());
  ASSERT_TRUE(out.Append(*FormatTaskRecord(L"A", Definition(Exec(L"C:\\a\\a.exe")), kAnsi)));
  ASSERT_TRUE(out.Append(*FormatTaskRecord(L"B", Definition(Exec(L"C:\\b\\b.exe", L"-silent")), kAnsi)));
  EXPECT_STREQ(buffer.data(), "A||C:\\a\\a.exe||NONE;;B||C:\\b\\b.exe||-silent");
  EXPECT_EQ(out.length(), std::strlen(buffer.data()));
}

TEST(SchedletRecords, LeftOutTasks) {
  EXPECT_FALSE(FormatTaskRecord(L"COM", Definition(L"<ComHandler><ClassId>{0}</ClassId></ComHandler>"), kAnsi));
  // Names are handed back to DeleteSchedlet, so they are never altered.
  for (const wchar_t* name : {L"", L"a;;b", L"a||b", L"ends|"})
    EXPECT_FALSE(FormatTaskRecord(name, Definition(Exec(L"x.exe")), kAnsi)) << name;
  EXPECT_TRUE(FormatTaskRecord(L"a;b|c;", Definition(Exec(L"x.exe")), kAnsi));
  // A record over 10,239 bytes (only a huge name gets there).
  const std::wstring xml = Definition(Exec(std::wstring(1023, L'c'), std::wstring(1023, L'a')));
  const size_t fixed = 2 + 1023 + 2 + 1023;
  EXPECT_TRUE(FormatTaskRecord(std::wstring(kRecordLimit - fixed, L'n'), xml, kAnsi));
  EXPECT_FALSE(FormatTaskRecord(std::wstring(kRecordLimit - fixed + 1, L'n'), xml, kAnsi));
  // Text after a NUL is not part of a name or definition.
  EXPECT_EQ(*FormatTaskRecord(std::wstring(L"a\0b", 3), Definition(Exec(L"x")), kAnsi), "a||x||NONE");
}

TEST(SchedletRecords, SeparatorsInFieldsNeverBreakTheRecordsAfterThem) {
  struct Case {
    std::wstring command, arguments;
    std::wstring shownCommand, shownArguments;
  };
  const Case cases[] = {
      {L"a||b.exe", L"x;;y", L"a| |b.exe", L"x; ;y"},
      {L"a|||b", L";;;", L"a| | |b", L"; ; ; "},
      {L"ends|", L"-p &quot;C:\\x&quot;", L"ends| ", L"-p &quot;C:\\x&quot; "},
      {L"ends;", L"ends|", L"ends;", L"ends|"},  // no separator can form there
      {L"|starts", L"|starts", L"|starts", L"|starts"},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(1000);
    TaskListWriter out(buffer.data(), buffer.size());
    ASSERT_TRUE(out.Append(*FormatTaskRecord(L"first", Definition(Exec(c.command, c.arguments)), kAnsi)));
    ASSERT_TRUE(out.Append(*FormatTaskRecord(L"second", Definition(Exec(L"2.exe", L"-2")), kAnsi)));
    const auto parsed = ParseLikeTheMainProgram(buffer.data());
    ASSERT_EQ(parsed.size(), 2u) << buffer.data();
    EXPECT_EQ(parsed[0], (Parsed{L"first", c.shownCommand, c.shownArguments})) << buffer.data();
    EXPECT_EQ(parsed[1], (Parsed{L"second", L"2.exe", L"-2"})) << buffer.data();
  }
}

TEST(SchedletRecords, RandomSeparatorSoupAlwaysSplitsBackIntoTheSameTasks) {
  // Names, commands and arguments made of separator characters and spaces:
  // whatever they hold, the main program's split gives back every written
  // task with its name, and fields that lost nothing but gained spaces.
  std::mt19937 random(20261210);
  const std::wstring alphabet = L"||;;; a&";
  auto text = [&](size_t maxLength) {
    std::wstring out(random() % (maxLength + 1), L' ');
    for (wchar_t& c : out) c = alphabet[random() % alphabet.size()];
    return out;
  };
  auto withoutSpaces = [](std::wstring s) {
    s.erase(std::remove(s.begin(), s.end(), L' '), s.end());
    return s;
  };
  for (int round = 0; round < 2000; ++round) {
    std::vector<Parsed> written;
    std::vector<char> buffer(4000);
    TaskListWriter out(buffer.data(), buffer.size());
    for (int i = 0; i < 4; ++i) {
      const std::wstring name = L"n" + text(6), command = text(8), arguments = text(8);
      const auto record = FormatTaskRecord(name, Definition(Exec(command, arguments)), kAnsi);
      if (!record) {
        EXPECT_FALSE(IsWritableName(name));
        continue;
      }
      ASSERT_TRUE(out.Append(*record));
      written.push_back({name, command, arguments});
    }
    const auto parsed = ParseLikeTheMainProgram(buffer.data());
    ASSERT_EQ(parsed.size(), written.size()) << buffer.data();
    for (size_t i = 0; i < parsed.size(); ++i) {
      EXPECT_EQ(parsed[i].name, written[i].name) << buffer.data();
      EXPECT_EQ(withoutSpaces(parsed[i].command), withoutSpaces(written[i].command)) << buffer.data();
      EXPECT_EQ(withoutSpaces(parsed[i].arguments), withoutSpaces(written[i].arguments)) << buffer.data();
    }
  }
}

TEST(SchedletRecords, LongFieldsAreCutAtWholeCharacters) {
  const std::wstring exact(kFieldLimit, L'c');
  EXPECT_EQ(EncodeField(exact, FieldPlace::kLast, kFieldLimit, kAnsi).size(), kFieldLimit);
  EXPECT_EQ(EncodeField(exact + L"c", FieldPlace::kLast, kFieldLimit, kAnsi), std::string(kFieldLimit, 'c'));
  EXPECT_EQ(EncodeField(std::wstring(100000, L'x'), FieldPlace::kLast, kFieldLimit, kAnsi).size(), kFieldLimit);

  // Two-byte characters: 600 Hangul syllables are 1,200 bytes; 511 fit (1,022 bytes).
  const std::string hangul = EncodeField(std::wstring(600, L'\xD55C'), FieldPlace::kLast, kFieldLimit, kAnsi);
  EXPECT_EQ(hangul.size(), 1022u);
  EXPECT_EQ(hangul, TestAnsi(std::wstring(511, L'\xD55C')));
  // One ASCII byte first: 1 + 2 * 511 = 1,023 bytes.
  EXPECT_EQ(EncodeField(L"a" + std::wstring(600, L'\xD55C'), FieldPlace::kLast, kFieldLimit, kAnsi).size(),
            1023u);
  // A surrogate pair is never split (it would leave a lone half).
  const std::wstring pair = L"\xD83D\xDE00";
  EXPECT_EQ(EncodeField(std::wstring(1021, L'p') + pair + L"zz", FieldPlace::kLast, kFieldLimit, kAnsi),
            std::string(1021, 'p') + "?");
  EXPECT_EQ(EncodeField(std::wstring(1022, L'p') + pair + L"zz", FieldPlace::kLast, kFieldLimit, kAnsi),
            std::string(1022, 'p'));

  // A cut that ends on a separator character stays separator-safe and in bounds.
  const std::string cut = EncodeField(std::wstring(1022, L'a') + L";zzz", FieldPlace::kLast, kFieldLimit, kAnsi);
  EXPECT_LE(cut.size(), kFieldLimit);
  EXPECT_NE(cut.back(), ';');
  const std::string pipes = EncodeField(std::wstring(3000, L'|'), FieldPlace::kBeforeFieldSeparator,
                                        kFieldLimit, kAnsi);
  EXPECT_LE(pipes.size(), kFieldLimit);
  EXPECT_EQ(pipes.find("||"), std::string::npos);
  EXPECT_NE(pipes.back(), '|');
}

TEST(SchedletRecords, LongDefinitionsAreSearchedWhole) {
  // The actions come last in a definition; a long description pushes them
  // far beyond the first 4,095 characters.
  const std::wstring description = L"<RegistrationInfo><Description>" + std::wstring(8000, L'd') +
                                   L"</Description></RegistrationInfo>";
  const std::wstring xml = description + Definition(Exec(L"late.exe", L"-late"));
  ASSERT_GT(xml.size(), 4095u);
  EXPECT_EQ(*FormatTaskRecord(L"long", xml, kAnsi), "long||late.exe||-late");
}

TEST(SchedletRecords, CharactersTheCodePageLacksBecomeItsDefaultCharacter) {
  // Code page 949 holds Hangul; the full-width bar and semicolon never turn
  // into separators.
  EXPECT_EQ(*FormatTaskRecord(L"\xD55C", Definition(Exec(L"\xFF5C\xFF5C", L"\xFF1B\xFF1B")), kAnsi),
            "\xB0\xA1||??||??");
}

TEST(SchedletTaskListWriter, NeverWritesAtOrBeyondTheCapacity) {
  const std::string record = "Task||C:\\t.exe||NONE";  // 20 bytes
  for (size_t capacity = 0; capacity <= 50; ++capacity) {
    std::vector<char> buffer(capacity + 8, '#');
    TaskListWriter out(buffer.data(), capacity);
    int whole = 0;
    while (out.Append(record)) ++whole;
    // Whole records only: 20 bytes, then 22 for each further one, plus the NUL.
    const int expected = capacity < 21 ? 0 : 1 + static_cast<int>((capacity - 21) / 22);
    EXPECT_EQ(whole, expected) << capacity;
    if (capacity > 0) {
      EXPECT_EQ(std::strlen(buffer.data()), out.length());
    }
    for (size_t i = capacity; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << capacity;
    if (whole == 2) {
      EXPECT_EQ(std::string(buffer.data()), record + ";;" + record);
    }
  }
}

TEST(SchedletTaskListWriter, MessagesAreCutToFitAndNullBuffersAreSafe) {
  char small[8];
  std::memset(small, '#', sizeof small);
  TaskListWriter out(small, 5);
  out.SetMessage(kMsgNoTasks);
  EXPECT_STREQ(small, "\nNo ");
  EXPECT_EQ(small[5], '#');

  TaskListWriter none(nullptr, 100);
  EXPECT_FALSE(none.Append("a"));
  none.SetMessage("text");
  EXPECT_EQ(none.length(), 0u);
}

TEST(SchedletStatusMessage, HresultInLowerCaseHex) {
  EXPECT_EQ(StatusMessage(kMsgConnectFailed, 0x80070005u), "ITaskService::Connect failed: 80070005");
  EXPECT_EQ(StatusMessage(kMsgTasksFailed, 0x8000FFFFu), "Cannot get the registered tasks.: 8000ffff");
  EXPECT_EQ(StatusMessage(kMsgCreateFailed, 0x1Au),
            "Failed to CoCreate an instance of the TaskService class: 1a");
  EXPECT_EQ(StatusMessage(kMsgRootFolderFailed, 0), "Cannot get Root Folder pointer: 0");
}

}  // namespace
}  // namespace vantrel::schedlet
