#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/app_state.h"
#include "platform/text_conv.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"

using namespace vantrel;
using vantrel::platform::ToNarrow;
using Names = std::vector<std::wstring>;

namespace {

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> NonBlankLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// True when `lines` holds every line of `wanted` in the same order (other
// lines may lie between them). The report is short: lines can be 100,000
// bytes long.
::testing::AssertionResult HoldsInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
  auto at = lines.begin();
  for (const auto& line : wanted) {
    at = std::find(at, lines.end(), line);
    if (at == lines.end())
      return ::testing::AssertionFailure() << "missing or out of order: \""
                                           << (line.size() > 60 ? line.substr(0, 60) + "..." : line) << "\"";
    ++at;
  }
  return ::testing::AssertionSuccess();
}

bool HasZeroByte(const std::string& line) { return line.find('\0') != std::string::npos; }

// A file a user or a crash might leave behind: stray lines, a line without
// a key, a broken section header, binary bytes, a huge value, and a few
// good keys among them.
std::string DamagedFile() {
  std::string huge(100000, '7');
  std::string bytes = "garbage before any section\r\n";
  bytes += "[WINDOW]\r\n";
  bytes += "TOPMOST=0x0\r\n";
  bytes += "no equals sign here\r\n";
  bytes += "MENUHIDE=2\r\n";
  bytes += "INIT_START_PROGRAM=word\r\n";
  bytes += "INIT_IE=\r\n";
  bytes += "INIT_PROCESS=" + huge + "\r\n";
  bytes += "[PROGRAM_LAUNCHER\r\n";
  bytes += "[PROGRAM_LAUNCHER]\r\n";
  bytes += "USE=\x01\x02\xff\xfe\r\n";
  bytes += "NAME=" + std::string(3000, 'n') + "\r\n";
  bytes += "PATH=C:\\Tools\\x.exe\r\n";
  bytes += "\x01\x02 binary \xff\r\n";
  bytes += std::string("\x00 starts with a zero byte\r\n", 29);
  bytes += std::string("RAW=ab\x00" "cd\r\n", 11);
  bytes += "[HDD]\r\n";
  bytes += "IE_TEMP=$0\r\n";
  bytes += "COOKIE=12abc\r\n";
  bytes += "[INIT_EXCEPT]\r\n";
  bytes += "BHO=a.dll||||b.dll\r\n";
  bytes += "TOOLBAR=t.dll||\r\n";
  bytes += "ICON=\r\n";
  return bytes;
}

struct BoolCase {
  const wchar_t *section, *key;
  bool fallback, expected;
};
const BoolCase kBoolCases[] = {
    {L"WINDOW", L"TOPMOST", true, false},             // 0x0
    {L"WINDOW", L"MENUHIDE", false, true},            // 2
    {L"WINDOW", L"INIT_START_PROGRAM", true, true},   // a word: the default
    {L"WINDOW", L"INIT_START_PROGRAM", false, false},
    {L"WINDOW", L"INIT_IE", true, true},              // empty: the default
    {L"window", L"topmost", true, false},             // names compare without case
    {L"PROGRAM_LAUNCHER", L"USE", true, true},        // binary bytes: the default
    {L"HDD", L"IE_TEMP", true, false},                // $0
    {L"HDD", L"COOKIE", true, true},                  // trailing garbage
    {L"HDD", L"MISSING", true, true},
    {L"NO_SECTION", L"TOPMOST", false, false},
};

}  // namespace

class SettingsFileTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder;
  std::wstring path = folder.File(L"Vantrel.ini");
  SettingsFile ini{path};
  test::ScriptedDialogs dialogs;
};

TEST_F(SettingsFileTest, MissingFileGivesEveryDefault) {
  EXPECT_FALSE(ini.Exists());
  EXPECT_FALSE(SettingsFileExists(folder.path()));  // a folder is not the file
  EXPECT_TRUE(ini.ReadBool(settings::kWindow, settings::kTopMost, true));
  EXPECT_FALSE(ini.ReadBool(settings::kWindow, settings::kMenuHide, false));
  EXPECT_EQ(ini.ReadInt(settings::kWindow, settings::kInitProcess, 0), 0);
  EXPECT_EQ(ini.ReadText(settings::kProgramLauncher, settings::kName, L"dflt"), L"dflt");
  EXPECT_TRUE(ini.ReadNames(settings::kInitExcept, settings::kBho).empty());
  EXPECT_FALSE(ini.Exists());  // reading creates nothing
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingsFileTest, DamagedFileReadsDefaultsWhereValuesDoNotParse) {
  WriteBytes(path, DamagedFile());
  ASSERT_TRUE(ini.Exists());
  for (const auto& c : kBoolCases)
    EXPECT_EQ(ini.ReadBool(c.section, c.key, c.fallback), c.expected) << c.section << L" " << c.key;

  EXPECT_EQ(ini.ReadInt(L"WINDOW", L"INIT_PROCESS", -3), -3);  // 100,000 digits
  EXPECT_EQ(ini.ReadInt(L"WINDOW", L"TOPMOST", -3), 0);
  EXPECT_EQ(ini.ReadText(L"PROGRAM_LAUNCHER", L"NAME"), std::wstring(2047, L'n'));
  EXPECT_EQ(ini.ReadText(L"PROGRAM_LAUNCHER", L"PATH"), L"C:\\Tools\\x.exe");
  EXPECT_EQ(ini.ReadText(L"WINDOW", L"INIT_PROCESS").size(), 2047u);
  EXPECT_EQ(ini.ReadNames(L"INIT_EXCEPT", L"BHO"), (Names{L"a.dll", L"", L"b.dll"}));
  EXPECT_EQ(ini.ReadNames(L"INIT_EXCEPT", L"TOOLBAR"), (Names{L"t.dll"}));
  EXPECT_TRUE(ini.ReadNames(L"INIT_EXCEPT", L"ICON").empty());
}

TEST_F(SettingsFileTest, WritingOneKeyLosesNothingElse) {
  const std::string before = DamagedFile();
  WriteBytes(path, before);
  ASSERT_TRUE(ini.WriteBool(L"WINDOW", L"TOPMOST", true));       // replaced in place
  ASSERT_TRUE(ini.WriteText(L"PROGRAM_LAUNCHER", L"NEW", L"v"));  // new key in an existing section
  ASSERT_TRUE(ini.WriteNames(L"NEW_SECTION", L"LIST", {L"x", L"y"}));

  // Every text line is still there, in its order, the replaced value in place
  // of the old one. (Lines holding zero bytes are not text; the profile API
  // makes of them what it will, and they are not checked.)
  std::vector<std::string> expected = NonBlankLines(before);
  std::erase_if(expected, HasZeroByte);
  for (auto& line : expected)
    if (line == "TOPMOST=0x0") line = "TOPMOST=1";
  std::vector<std::string> after = NonBlankLines(ReadBytes(path));
  EXPECT_TRUE(HoldsInOrder(after, expected));
  EXPECT_EQ(std::count(after.begin(), after.end(), "TOPMOST=1"), 1);
  EXPECT_EQ(std::find(after.begin(), after.end(), "TOPMOST=0x0"), after.end());
  // The new key lies in its section, the new section ends the file.
  EXPECT_TRUE(HoldsInOrder(after, {"[PROGRAM_LAUNCHER]", "NEW=v", "[HDD]"}));
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(after[after.size() - 2], "[NEW_SECTION]");
  EXPECT_EQ(after.back(), "LIST=x||y");
  // The keys that did not parse still read as their defaults afterwards.
  for (const auto& c : kBoolCases)
    if (std::wstring_view(c.key) != L"TOPMOST" && std::wstring_view(c.key) != L"topmost") {
      EXPECT_EQ(ini.ReadBool(c.section, c.key, c.fallback), c.expected) << c.section << L" " << c.key;
    }
}

TEST_F(SettingsFileTest, WritesCreateFileSectionAndKeyAndReadBack) {
  ASSERT_TRUE(ini.WriteBool(L"WINDOW", L"TOPMOST", false));
  EXPECT_TRUE(ini.Exists());
  ASSERT_TRUE(ini.WriteBool(L"WINDOW", L"MENUHIDE", true));
  ASSERT_TRUE(ini.WriteInt(L"WINDOW", L"INIT_PROCESS", -12));
  ASSERT_TRUE(ini.WriteText(L"SITE_LAUNCHER", L"NAME", L"Caf\u00e9 line\r\nTOPMOST=1"));
  ASSERT_TRUE(ini.WriteNames(L"INIT_EXCEPT", L"BHO", {L"a.dll", L"", L"b.dll"}));
  ASSERT_TRUE(ini.WriteNames(L"INIT_EXCEPT", L"ICON", {}));
  ASSERT_TRUE(ini.WriteBool(L"window", L"topmost", true));  // the same key, other case

  EXPECT_TRUE(ini.ReadBool(L"WINDOW", L"TOPMOST", false));
  EXPECT_TRUE(ini.ReadBool(L"WINDOW", L"MENUHIDE", false));
  EXPECT_EQ(ini.ReadInt(L"WINDOW", L"INIT_PROCESS", 0), -12);
  // A line break cannot end the value and start a key of its own.
  EXPECT_EQ(ini.ReadText(L"SITE_LAUNCHER", L"NAME"), L"Caf\u00e9 line  TOPMOST=1");
  EXPECT_EQ(ini.ReadNames(L"INIT_EXCEPT", L"BHO"), (Names{L"a.dll", L"", L"b.dll"}));
  EXPECT_TRUE(ini.ReadNames(L"INIT_EXCEPT", L"ICON").empty());

  // The file is ANSI text in the system code page, with the values as written.
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(NonBlankLines(bytes),
            (std::vector<std::string>{"[WINDOW]", "TOPMOST=1", "MENUHIDE=1", "INIT_PROCESS=-12", "[SITE_LAUNCHER]",
                                      "NAME=" + ToNarrow(L"Caf\u00e9 line  TOPMOST=1"), "[INIT_EXCEPT]",
                                      "BHO=a.dll||||b.dll", "ICON="}));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingsFileTest, RefusedWriteNamesTheFileAndKeepsEarlierKeys) {
  struct Case {
    bool korean;
    const wchar_t* words;
  } cases[] = {{false, L"could not be saved"}, {true, L"\uC800\uC7A5\uD558\uC9C0"}};
  for (const auto& c : cases) {
    KoreanUi = c.korean;
    dialogs.messages.clear();
    ASSERT_TRUE(ini.WriteBool(L"WINDOW", L"INIT_IE", c.korean));
    {
      // Another program holds the file open without sharing it.
      HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
      EXPECT_FALSE(ini.WriteBool(L"WINDOW", L"INIT_START_PROGRAM", c.korean));
      ::CloseHandle(held);
    }
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find(path), std::wstring::npos);
    EXPECT_NE(dialogs.messages[0].text.find(c.words), std::wstring::npos);
    EXPECT_EQ(dialogs.messages[0].type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_EQ(ini.ReadBool(L"WINDOW", L"INIT_IE", !c.korean), c.korean);  // written before the failure
    EXPECT_TRUE(ini.ReadText(L"WINDOW", L"INIT_START_PROGRAM").empty() ||
                ini.ReadBool(L"WINDOW", L"INIT_START_PROGRAM", !c.korean) != c.korean);
  }
  KoreanUi = false;

  // A folder that does not exist, and a bare name (an unknown program folder),
  // which must not land in the Windows folder.
  for (const std::wstring& name : {folder.File(L"no such folder\\Vantrel.ini"), std::wstring(L"Vantrel.ini")}) {
    SettingsFile nowhere(name);
    dialogs.messages.clear();
    EXPECT_FALSE(nowhere.WriteText(L"SITE_LAUNCHER", L"PATH", L"http://x"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find(name), std::wstring::npos);
    EXPECT_FALSE(nowhere.Exists());
    EXPECT_EQ(nowhere.ReadText(L"SITE_LAUNCHER", L"PATH", L"dflt"), L"dflt");
  }
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_FALSE(SettingsFileExists(std::wstring(windows) + L"\\Vantrel.ini"));
}

namespace {

// Random texts from characters that the profile API or the code page treat
// specially, mixed with plain ones.
class RandomText {
 public:
  explicit RandomText(unsigned seed) : state_(seed) {}
  std::wstring Text(size_t maxLength) {
    static const std::wstring alphabet =
        L"ab Z09 \t\"'|;=[]#\\/.%$-_~"
        L"\u00e9\u00fc\u00df"        // in the Western code page
        L"\u0142\uFF3C\uFF5C\uC5C5"  // not in it (best-fit look-alikes among them)
        L"\x7F\x1F\x1A\u00A0";
    std::wstring text;
    const size_t length = Next() % (maxLength + 1);
    for (size_t i = 0; i < length; ++i) {
      if (Next() % 40 == 0) {
        text += L"\xD83D\xDE00";  // a surrogate pair
        continue;
      }
      text += alphabet[Next() % alphabet.size()];
    }
    return text;
  }
  std::vector<std::wstring> Names() {
    std::vector<std::wstring> names(Next() % 5);
    for (auto& name : names) name = Next() % 4 == 0 ? L"" : Text(6);
    return names;
  }
  unsigned Next() {
    state_ = state_ * 1103515245u + 12345u;
    return state_ >> 8;
  }

 private:
  unsigned state_;
};

}  // namespace

// The property: whatever is written reads back identical through the real
// profile API, and whatever would not is refused with one message while the
// file stays byte for byte as it was.
TEST_F(SettingsFileTest, EveryValueWrittenReadsBackIdenticalOrIsRefusedUntouched) {
  ASSERT_TRUE(ini.WriteText(L"SITE_LAUNCHER", L"NAME", L"before"));
  RandomText random(20261211);
  int written = 0, refused = 0;
  for (int round = 0; round < 400; ++round) {
    const bool list = round % 2 == 1;
    const std::wstring text = random.Text(round % 50 == 0 ? 2100 : 12);
    const Names names = random.Names();
    const std::string bytesBefore = ReadBytes(path);
    dialogs.messages.clear();
    const bool ok = list ? ini.WriteNames(L"INIT_EXCEPT", L"START_PROGRAM", names)
                         : ini.WriteText(L"PROGRAM_LAUNCHER", L"PATH", text);
    if (ok) {
      ++written;
      if (list)
        EXPECT_EQ(ini.ReadNames(L"INIT_EXCEPT", L"START_PROGRAM"), names) << "round " << round;
      else
        EXPECT_EQ(ini.ReadText(L"PROGRAM_LAUNCHER", L"PATH"), text) << "round " << round;
      EXPECT_TRUE(dialogs.messages.empty());
    } else {
      ++refused;
      EXPECT_EQ(ReadBytes(path), bytesBefore) << "round " << round;
      ASSERT_EQ(dialogs.messages.size(), 1u) << "round " << round;
      EXPECT_NE(dialogs.messages[0].text.find(list ? L"START_PROGRAM" : L"PATH"), std::wstring::npos);
    }
  }
  // Both kinds of outcome occurred, so the property was tried on each.
  EXPECT_GT(written, 0);
  EXPECT_GT(refused, 0);
  EXPECT_EQ(ini.ReadText(L"SITE_LAUNCHER", L"NAME"), L"before");
}

TEST_F(SettingsFileTest, ValuesThatWouldChangeAreRefusedWithTheirReason) {
  struct Case {
    const wchar_t* text;
    const wchar_t* reason;  // empty: written and read back
  } cases[] = {
      {L" lead", L"blank"},
      {L"trail\t", L"blank"},
      {L"\"C:\\Program Files\\x.exe\"", L"quotation"},
      {L"'single'", L"quotation"},
      {L"Micha\u0142", L"code page"},
      {L"C:\\a\uFF3Cb.exe", L"code page"},
      {L"\"C:\\Program Files\\x.exe\" -min", L""},
      {L"a \"b\" c", L""},
      {L"'", L""},
      {L"x=y;[z]|", L""},
      {L"Caf\u00e9", L""},
  };
  for (const Case& c : cases) {
    dialogs.messages.clear();
    const bool ok = ini.WriteText(L"PROGRAM_LAUNCHER", L"NAME", c.text);
    EXPECT_EQ(ok, !*c.reason) << c.text;
    if (ok) {
      EXPECT_EQ(ini.ReadText(L"PROGRAM_LAUNCHER", L"NAME"), c.text);
    } else {
      ASSERT_EQ(dialogs.messages.size(), 1u) << c.text;
      EXPECT_NE(dialogs.messages[0].text.find(c.reason), std::wstring::npos) << dialogs.messages[0].text;
      EXPECT_NE(dialogs.messages[0].text.find(path), std::wstring::npos);
    }
  }
  EXPECT_FALSE(ini.WriteText(L"PROGRAM_LAUNCHER", L"NAME", std::wstring(2048, L'x')));
  EXPECT_TRUE(ini.WriteText(L"PROGRAM_LAUNCHER", L"NAME", std::wstring(2047, L'x')));

  // Name lists that would come back as other names: nothing is written.
  ASSERT_TRUE(ini.WriteNames(L"INIT_EXCEPT", L"BHO", {L"keep.dll"}));
  const std::string before = ReadBytes(path);
  for (const Names& names : {Names{L"a|", L"b"}, Names{L"a", L"||b"}, Names{L"a", L""}, Names{L""},
                             Names{L"a||b"}, Names{L"a", L"b "}, Names{L"\u0142"}}) {
    dialogs.messages.clear();
    EXPECT_FALSE(ini.WriteNames(L"INIT_EXCEPT", L"BHO", names));
    EXPECT_EQ(dialogs.messages.size(), 1u);
  }
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(ini.ReadNames(L"INIT_EXCEPT", L"BHO"), Names{L"keep.dll"});
  // Inner blanks and an empty name between two others read back as they were.
  const Names fine = {L" a ", L"", L"b|c", L"d"};
  EXPECT_FALSE(ini.WriteNames(L"INIT_EXCEPT", L"BHO", fine));  // the joined text begins with a blank
  const Names inner = {L"a ", L"", L" b|c", L"|d"};
  ASSERT_TRUE(ini.WriteNames(L"INIT_EXCEPT", L"BHO", inner));
  EXPECT_EQ(ini.ReadNames(L"INIT_EXCEPT", L"BHO"), inner);
}

TEST_F(SettingsFileTest, AFileAboveOneMegabyteIsNeitherReadNorWrittenAndTheUserIsToldOnce) {
  const std::string head = "[PROGRAM_LAUNCHER]\r\nNAME=kept\r\n[INIT_EXCEPT]\r\nSTART_PROGRAM=a||b\r\n";
  // (A file just below the limit: the writes make it a little longer.)
  for (const size_t size : {(size_t{1} << 20) - 100, (size_t{1} << 20) + 1, size_t{300} << 20 >> 4}) {
    SCOPED_TRACE(size);
    test::ScratchFolder own;
    const std::wstring file = own.File(L"Vantrel.ini");
    std::string bytes = head;
    while (bytes.size() + 40 <= size) bytes += ";padding padding padding padding pad\r\n";
    bytes += std::string(size - bytes.size(), ';');
    WriteBytes(file, bytes);
    ASSERT_EQ(std::filesystem::file_size(std::filesystem::path(file)), size);
    SettingsFile settings(file);
    dialogs.messages.clear();
    const bool used = size <= (size_t{1} << 20);
    EXPECT_EQ(settings.ReadText(L"PROGRAM_LAUNCHER", L"NAME", L"dflt"), used ? L"kept" : L"dflt");
    EXPECT_EQ(settings.ReadNames(L"INIT_EXCEPT", L"START_PROGRAM"), (used ? Names{L"a", L"b"} : Names{}));
    EXPECT_EQ(settings.WriteBool(L"WINDOW", L"TOPMOST", false), used);
    EXPECT_EQ(SettingsFile(file).WriteText(L"PROGRAM_LAUNCHER", L"PATH", L"x"), used);
    if (used) {
      EXPECT_TRUE(dialogs.messages.empty());
      continue;
    }
    EXPECT_EQ(ReadBytes(file), bytes);
    ASSERT_EQ(dialogs.messages.size(), 1u);  // once for the file, whatever was asked of it
    EXPECT_NE(dialogs.messages[0].text.find(L"1 MB"), std::wstring::npos);
    EXPECT_NE(dialogs.messages[0].text.find(file), std::wstring::npos);
  }
}
