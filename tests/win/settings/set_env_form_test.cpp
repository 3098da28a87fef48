// The settings window in-process under Wine: the values it opens with (file
// and Run key), the launcher checks in their order, what a save writes and
// hands to the main window, the Run value, the file-open dialog and a
// settings file that refuses the write. The machine's Run key lives in a
// redirected scratch registry.
#include "settings/set_env_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>

#include "core/app_state.h"
#include "mainwindow/vantrel_main_form.h"
#include "platform/reg_key.h"
#include "platform/text_conv.h"
#include "support/registry_override.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"

using namespace vantrel;

namespace {

// The window's host: a top-most flag and the calls the save hands back, in order.
class RecordingHost : public ui::ToolHost, public SetEnvHost {
 public:
  explicit RecordingHost(std::wstring ini) : ini_(std::move(ini)) {}
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return 0; }
  bool TopMost() const override { return topMost; }
  std::wstring ToggleCaption() const override { return L"Vantrel Off"; }
  std::wstring ExceptSetText() const override { return L""; }
  std::wstring ExceptCancelText() const override { return L""; }

  std::wstring SettingsPath() const override { return ini_; }
  void SetResetStartupOnToggle(bool reset) override { calls.push_back(L"startup " + Flag(reset)); }
  void SetResetIeOnToggle(bool reset) override { calls.push_back(L"ie " + Flag(reset)); }
  void ApplyProgramLaunchers(bool use, const LauncherTexts& names, const LauncherTexts& paths) override {
    calls.push_back(L"programs " + Flag(use) + Join(names, paths));
  }
  void ApplySiteLaunchers(bool use, const LauncherTexts& names, const LauncherTexts& addresses) override {
    calls.push_back(L"sites " + Flag(use) + Join(names, addresses));
  }

  bool topMost = false;
  std::vector<std::wstring> calls;

 private:
  static std::wstring Flag(bool b) { return b ? L"1" : L"0"; }
  static std::wstring Join(const LauncherTexts& a, const LauncherTexts& b) {
    std::wstring s;
    for (size_t k = 0; k < 4; ++k) s += L" [" + a[k] + L"|" + b[k] + L"]";
    return s;
  }
  std::wstring ini_;
};

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
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

class SetEnvFormTest : public testing::Test {
 protected:
  void SetUp() override {
    KoreanUi = false;
    ASSERT_TRUE(registry_.active());
    registry_.Create(HKEY_LOCAL_MACHINE, kRunKeyPath);  // closed at once
    program_ = folder_.File(L"tool.exe");
    std::ofstream(std::filesystem::path(program_)) << "MZ";
  }
  void TearDown() override {
    form_.reset();
    ui::PumpPendingMessages();
  }

  std::wstring Ini() const { return folder_.File(L"Vantrel.ini"); }
  void Write(const std::wstring& section, const wchar_t* key, const std::wstring& value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key, value.c_str(), Ini().c_str()));
  }
  std::wstring Read(const std::wstring& section, const wchar_t* key) const {
    wchar_t buffer[256];
    GetPrivateProfileStringW(section.c_str(), key, L"<none>", buffer, 256, Ini().c_str());
    return buffer;
  }
  bool IniExists() const { return GetFileAttributesW(Ini().c_str()) != INVALID_FILE_ATTRIBUTES; }

  TSetEnvForm& Open() {
    form_ = std::make_unique<TSetEnvForm>(host_, host_);
    EXPECT_TRUE(form_->Create());
    return *form_;
  }
  // The form closed itself (a plain form is destroyed by its close).
  bool Closed() const { return form_->hwnd() == nullptr; }

  static std::optional<std::wstring> RunValue() {
    platform::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath) != ERROR_SUCCESS) return std::nullopt;
    std::wstring value;
    if (!key.ReadString(kRunValueName, &value)) return std::nullopt;
    return value;
  }
  void SetRunValue(const wchar_t* name, const std::wstring& data) {
    platform::RegKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteString(name, data), ERROR_SUCCESS);
  }

  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const auto& m : dialogs_.messages) texts.push_back(m.text);
    return texts;
  }

  test::ScopedRegistryOverride registry_;
  test::ScratchFolder folder_;
  test::ScriptedDialogs dialogs_;
  RecordingHost host_{folder_.File(L"Vantrel.ini")};
  std::wstring program_;
  std::unique_ptr<TSetEnvForm> form_;
};

}  // namespace

TEST_F(SetEnvFormTest, WithoutFileOrRunValueEverythingStartsClearedAndTheSlotsDisabled) {
  TSetEnvForm& form = Open();
  EXPECT_EQ(form.Caption(), L"환경설정");
  RECT client;
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, ui::Scale(424));
  EXPECT_EQ(client.bottom, ui::Scale(466));
  EXPECT_EQ(GetWindow(form.hwnd(), GW_OWNER), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(form.hwnd(), GWL_STYLE) & WS_THICKFRAME, 0);  // not resizable
  for (ui::CheckBox* box : {form.chkStartProgramReg, form.chkStartPGInit, form.chkIEInit, form.chkProgramLauncher,
                            form.chkSiteLauncher})
    EXPECT_FALSE(box->Checked());
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(form.edtProgramLauncherName[k]->Text(), L"");
    EXPECT_EQ(form.edtProgramLauncherName[k]->ByteLimit(), 16);
    EXPECT_EQ(form.edtSiteLauncherName[k]->ByteLimit(), 16);
    EXPECT_EQ(form.edtSiteLauncherReg[k]->ByteLimit(), 0);
    EXPECT_FALSE(form.edtProgramLauncherName[k]->Enabled());
    EXPECT_FALSE(form.btnProgramSearch[k]->Enabled());
    EXPECT_FALSE(form.btnInitPG[k]->Enabled());
    EXPECT_FALSE(form.edtProgramReg[k]->Enabled());
    EXPECT_FALSE(form.edtSiteLauncherName[k]->Enabled());
    EXPECT_FALSE(form.edtSiteLauncherReg[k]->Enabled());
    EXPECT_FALSE(form.btnInitSite[k]->Enabled());
    for (ui::Edit* e : {form.edtProgramLauncherName[k], form.edtProgramReg[k], form.edtSiteLauncherName[k],
                        form.edtSiteLauncherReg[k]})
      EXPECT_EQ(e->Color(), TSetEnvForm::kSilver);
  }
  EXPECT_FALSE(IniExists());  // opening writes nothing
  EXPECT_NE(form.ProgramMessage(1).find(L"\r\n\r\n"), std::wstring::npos);  // "#13#10" unescaped
}

TEST_F(SetEnvFormTest, OpensWithTheStoredValuesInTheirSlotsAndTheRunValueShown) {
  SetRunValue(kRunValueName, L"\"C:\\elsewhere\\Vantrel.exe\"");
  Write(L"WINDOW", L"INIT_START_PROGRAM", L"1");
  Write(L"WINDOW", L"INIT_IE", L"0x0");
  Write(L"PROGRAM_LAUNCHER", L"USE", L"2");
  Write(L"PROGRAM_LAUNCHER", L"NAME", L"One");
  Write(L"PROGRAM_LAUNCHER3", L"NAME", L"Three");
  Write(L"PROGRAM_LAUNCHER3", L"PATH", L"C:\\three.exe");
  Write(L"SITE_LAUNCHER4", L"NAME", L"Four");
  Write(L"SITE_LAUNCHER4", L"PATH", L"http://four.example/");
  TSetEnvForm& form = Open();
  EXPECT_TRUE(form.chkStartProgramReg->Checked());
  EXPECT_TRUE(form.chkStartPGInit->Checked());
  EXPECT_FALSE(form.chkIEInit->Checked());
  EXPECT_TRUE(form.chkProgramLauncher->Checked());
  EXPECT_FALSE(form.chkSiteLauncher->Checked());  // missing key: the default
  EXPECT_EQ(form.edtProgramLauncherName[0]->Text(), L"One");
  EXPECT_EQ(form.edtProgramReg[0]->Text(), L"");
  EXPECT_EQ(form.edtProgramLauncherName[2]->Text(), L"Three");
  EXPECT_EQ(form.edtProgramReg[2]->Text(), L"C:\\three.exe");
  EXPECT_EQ(form.edtSiteLauncherName[3]->Text(), L"Four");
  EXPECT_EQ(form.edtSiteLauncherReg[3]->Text(), L"http://four.example/");
  // Program slots in use: name, browse and reset enabled; the path edit never is.
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(form.edtProgramLauncherName[k]->Enabled());
    EXPECT_TRUE(form.btnProgramSearch[k]->Enabled());
    EXPECT_TRUE(form.btnInitPG[k]->Enabled());
    EXPECT_FALSE(form.edtProgramReg[k]->Enabled());
    EXPECT_EQ(form.edtProgramReg[k]->Color(), ui::Edit::kWindowColor);
    EXPECT_FALSE(form.edtSiteLauncherReg[k]->Enabled());
  }
}

TEST_F(SetEnvFormTest, OnlyAValueNamedExactlyVantrelCountsAsRegistered) {
  SetRunValue(L"vantrel", L"\"C:\\x.exe\"");
  SetRunValue(L"Vantrel2", L"\"C:\\y.exe\"");
  EXPECT_FALSE(IsRunRegistered());
  EXPECT_FALSE(Open().chkStartProgramReg->Checked());
}

TEST_F(SetEnvFormTest, TheCheckBoxesSwitchTheirSlotsAndPaintTheEdits) {
  TSetEnvForm& form = Open();
  form.chkSiteLauncher->Click();
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(form.edtSiteLauncherName[k]->Enabled());
    EXPECT_TRUE(form.edtSiteLauncherReg[k]->Enabled());
    EXPECT_TRUE(form.btnInitSite[k]->Enabled());
    EXPECT_EQ(form.edtSiteLauncherReg[k]->Color(), ui::Edit::kWindowColor);
    EXPECT_FALSE(form.edtProgramLauncherName[k]->Enabled());  // the other kind stays
  }
  form.chkProgramLauncher->Click();
  form.chkSiteLauncher->Click();
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(form.edtProgramLauncherName[k]->Enabled());
    EXPECT_EQ(form.edtProgramLauncherName[k]->Color(), ui::Edit::kWindowColor);
    EXPECT_FALSE(form.edtSiteLauncherName[k]->Enabled());
    EXPECT_EQ(form.edtSiteLauncherName[k]->Color(), TSetEnvForm::kSilver);
  }
}

// One row: what the slots hold and which message a save shows first.
struct CheckCase {
  const char* what;
  bool programs, sites;
  LauncherTexts programNames, programPaths, siteNames, siteAddresses;
  int programMessage = 0, siteMessage = 0;  // 0: that kind passes
};

TEST_F(SetEnvFormTest, TheLauncherChecksShowTheFirstFailingMessageAndKeepEverything) {
  const std::wstring tool = program_, gone = folder_.File(L"removed.exe");
  const std::wstring longPath = L"C:\\" + std::wstring(5000, L'p') + L".exe";
  const LauncherTexts none{};
  const LauncherTexts fullSites{L"A", L"B", L"C", L"D"};
  const LauncherTexts fullAddresses{L"http://a/", L"http://b/", L"http://c/", L"http://d/"};
  const CheckCase cases[] = {
      {"programs in use, every slot empty", true, false, none, none, none, none, 1},
      {"a name without any path", true, false, {L"One"}, none, none, none, 1},
      {"a path without any name", true, false, none, {tool}, none, none, 1},
      {"slot 3 with a path but no name", true, false, {L"One", L"", L"", L""}, {tool, L"", tool, L""}, none, none, 6},
      {"slot 2's program removed", true, false, {L"One", L"Two"}, {tool, gone}, none, none, 5},
      {"slot 1 names a missing file", true, false, {L"One"}, {gone}, none, none, 3},
      {"slot 4 with a path but no name", true, false, {L"One"}, {tool, L"", L"", tool}, none, none, 8},
      {"a path of 5,000 characters", true, false, {L"Long"}, {longPath}, none, none, 3},
      {"sites in use, every slot empty", false, true, none, none, none, none, 0, 1},
      {"site 2 with a name and no address", false, true, none, none, fullSites,
       {L"http://a/", L"", L"http://c/", L"http://d/"}, 0, 5},
      {"site 2 with an address and no name", false, true, none, none, {L"A", L"", L"C", L"D"}, fullAddresses, 0, 4},
      {"site 4 with an address and no name", false, true, none, none, {L"A"}, {L"http://a/", L"", L"", L"x"}, 0, 8},
      {"both kinds wrong: only the programs' message", true, true, none, none, none, none, 1, 1},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.what);
    dialogs_.messages.clear();
    TSetEnvForm& form = Open();
    form.chkProgramLauncher->SetChecked(c.programs);
    form.chkSiteLauncher->SetChecked(c.sites);
    for (size_t k = 0; k < 4; ++k) {
      form.edtProgramLauncherName[k]->SetText(c.programNames[k]);
      form.edtProgramReg[k]->SetText(c.programPaths[k]);
      form.edtSiteLauncherName[k]->SetText(c.siteNames[k]);
      form.edtSiteLauncherReg[k]->SetText(c.siteAddresses[k]);
    }
    form.btnRegStartClick();
    const std::wstring expected = c.programMessage ? form.ProgramMessage(c.programMessage) : form.SiteMessage(c.siteMessage);
    EXPECT_EQ(Texts(), std::vector<std::wstring>{expected});
    ASSERT_FALSE(Closed());
    EXPECT_FALSE(IniExists());
    EXPECT_TRUE(host_.calls.empty());
    for (size_t k = 0; k < 4; ++k) {  // the entries are kept
      EXPECT_EQ(form.edtProgramReg[k]->Text(), c.programPaths[k]);
      EXPECT_EQ(form.edtSiteLauncherName[k]->Text(), c.siteNames[k]);
    }
  }
}

TEST_F(SetEnvFormTest, ASaveWritesEveryKeyInOrderHandsTheValuesOverThenSaysSoAndCloses) {
  TSetEnvForm& form = Open();
  form.chkStartPGInit->SetChecked(true);
  form.chkProgramLauncher->Click();
  form.edtProgramLauncherName[0]->SetText(L"Tool");
  form.edtProgramReg[0]->SetText(program_);
  form.edtProgramLauncherName[1]->SetText(L"Only a name");  // passes
  // Sites not in use: their texts are saved unchecked.
  form.edtSiteLauncherName[2]->SetText(L"Half");
  form.btnRegStartClick();

  EXPECT_EQ(Texts(), std::vector<std::wstring>{form.SaveMessage()});
  EXPECT_EQ(form.SaveMessage(), L"저장되었습니다.");
  EXPECT_TRUE(Closed());
  const std::vector<std::wstring> calls = {
      L"startup 1", L"ie 0",
      L"programs 1 [Tool|" + program_ + L"] [Only a name|] [|] [|]",
      L"sites 0 [|] [|] [Half|] [|]"};
  EXPECT_EQ(host_.calls, calls);

  const std::string tool = platform::ToNarrow(program_);
  const std::vector<std::string> lines = {
      "[WINDOW]", "INIT_PROCESS=0", "INIT_START_PROGRAM=1", "INIT_IE=0",
      "[PROGRAM_LAUNCHER]", "USE=1", "NAME=Tool", "PATH=" + tool,
      "[PROGRAM_LAUNCHER2]", "NAME=Only a name", "PATH=",
      "[PROGRAM_LAUNCHER3]", "NAME=", "PATH=", "[PROGRAM_LAUNCHER4]", "NAME=", "PATH=",
      "[SITE_LAUNCHER]", "USE=0", "NAME=", "PATH=",
      "[SITE_LAUNCHER2]", "NAME=", "PATH=", "[SITE_LAUNCHER3]", "NAME=Half", "PATH=",
      "[SITE_LAUNCHER4]", "NAME=", "PATH="};
  EXPECT_EQ(NonBlankLines(ReadBytes(Ini())), lines);
}

TEST_F(SetEnvFormTest, TheRunValueIsWrittenKeptOrDeletedAsTheBoxSays) {
  const std::wstring own = RunValueData();
  ASSERT_GT(own.size(), 2u);
  EXPECT_EQ(own.front(), L'"');
  EXPECT_EQ(own.back(), L'"');
  struct Case {
    const char* what;
    std::optional<std::wstring> before;
    bool ticked;
    std::optional<std::wstring> after;
  };
  const std::wstring other = L"\"C:\\Old\\Vantrel.exe\"";
  const Case cases[] = {
      {"ticked, no value: the program's quoted path", std::nullopt, true, own},
      {"ticked, another path: kept", other, true, other},
      {"cleared: deleted", other, false, std::nullopt},
      {"cleared, no value: nothing", std::nullopt, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      platform::RegKey key;
      ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, KEY_ALL_ACCESS), ERROR_SUCCESS);
      key.DeleteValue(kRunValueName);
    }
    if (c.before) SetRunValue(kRunValueName, *c.before);
    TSetEnvForm& form = Open();
    EXPECT_EQ(form.chkStartProgramReg->Checked(), c.before.has_value());
    form.chkStartProgramReg->SetChecked(c.ticked);
    form.btnRegStartClick();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(RunValue(), c.after);
    // Opening again shows what is there now.
    EXPECT_EQ(Open().chkStartProgramReg->Checked(), c.after.has_value());
  }
  platform::RegKey key;
  ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_SUCCESS);
  std::vector<platform::RegValue> values;
  ASSERT_EQ(key.Values(&values), ERROR_SUCCESS);
  for (const auto& v : values)
    if (v.name == kRunValueName) {
      EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    }
}

TEST_F(SetEnvFormTest, WithoutARunKeyTheOptionStaysAsItWasAndTheSaveGoesOn) {
  ASSERT_EQ(platform::RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_SUCCESS);
  TSetEnvForm& form = Open();
  EXPECT_FALSE(form.chkStartProgramReg->Checked());
  form.chkStartProgramReg->SetChecked(true);
  form.btnRegStartClick();
  EXPECT_EQ(Texts(), std::vector<std::wstring>{form.SaveMessage()});
  platform::RegKey key;
  EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_FILE_NOT_FOUND);  // never created
  EXPECT_EQ(Read(L"WINDOW", L"INIT_PROCESS"), L"0");
}

TEST_F(SetEnvFormTest, ABrowsedProgramFillsThePathAndAShortFileNameAnEmptyName) {
  host_.topMost = true;
  TSetEnvForm& form = Open();
  SetWindowPos(form.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  form.chkProgramLauncher->Click();
  dialogs_.AnswerFile(L"C:\\Apps\\abcdefghijkl.exe");   // 16 bytes: taken as the name
  dialogs_.AnswerFile(L"C:\\Apps\\abcdefghijklm.exe");  // 17 bytes: the name stays empty
  dialogs_.AnswerFile(L"C:\\Apps\\other.exe");          // a typed name is kept
  dialogs_.AnswerFile(L"");                             // cancelled: nothing changes
  form.btnProgramSearchClick(0);
  EXPECT_EQ(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);  // out of the top-most band
  form.btnProgramSearchClick(1);
  form.edtProgramLauncherName[2]->SetText(L"Mine");
  form.btnProgramSearchClick(2);
  form.edtProgramReg[3]->SetText(L"C:\\kept.exe");
  form.btnProgramSearchClick(3);
  EXPECT_EQ(form.edtProgramReg[0]->Text(), L"C:\\Apps\\abcdefghijkl.exe");
  EXPECT_EQ(form.edtProgramLauncherName[0]->Text(), L"abcdefghijkl.exe");
  EXPECT_EQ(form.edtProgramReg[1]->Text(), L"C:\\Apps\\abcdefghijklm.exe");
  EXPECT_EQ(form.edtProgramLauncherName[1]->Text(), L"");
  EXPECT_EQ(form.edtProgramReg[2]->Text(), L"C:\\Apps\\other.exe");
  EXPECT_EQ(form.edtProgramLauncherName[2]->Text(), L"Mine");
  EXPECT_EQ(form.edtProgramReg[3]->Text(), L"C:\\kept.exe");
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_FALSE(IniExists());  // only the working copy changed
}

// Korean names take two bytes each in code page 949 (the Korean run of
// this program: win_settings_korean).
TEST_F(SetEnvFormTest, InTheKoreanCodePageNamesAreMeasuredInItsBytes) {
  if (GetACP() != 949) GTEST_SKIP() << "needs the ANSI code page 949 (win_settings_korean runs it)";
  TSetEnvForm& form = Open();
  form.chkProgramLauncher->Click();
  dialogs_.AnswerFile(L"C:\\Apps\\가나다라마바.exe");    // 12 + 4 bytes: taken
  dialogs_.AnswerFile(L"C:\\Apps\\가나다라마바사.exe");  // 14 + 4 bytes: too long
  form.btnProgramSearchClick(0);
  form.btnProgramSearchClick(1);
  EXPECT_EQ(form.edtProgramLauncherName[0]->Text(), L"가나다라마바.exe");
  EXPECT_EQ(form.edtProgramLauncherName[1]->Text(), L"");
  // Typed: the ninth Korean character does not fit in 16 bytes.
  for (wchar_t c : std::wstring(L"가나다라마바사아자")) SendMessageW(form.edtProgramLauncherName[2]->hwnd(), WM_CHAR, c, 1);
  EXPECT_EQ(form.edtProgramLauncherName[2]->Text(), L"가나다라마바사아");
}

TEST_F(SetEnvFormTest, ResetButtonsAndClosingWithoutSavingChangeNothingStored) {
  SetRunValue(kRunValueName, L"\"C:\\Old\\Vantrel.exe\"");
  Write(L"PROGRAM_LAUNCHER", L"USE", L"1");
  Write(L"PROGRAM_LAUNCHER2", L"NAME", L"Two");
  Write(L"PROGRAM_LAUNCHER2", L"PATH", program_);
  Write(L"SITE_LAUNCHER", L"USE", L"1");
  Write(L"SITE_LAUNCHER3", L"NAME", L"Three");
  Write(L"SITE_LAUNCHER3", L"PATH", L"http://three/");
  const std::string before = ReadBytes(Ini());
  TSetEnvForm& form = Open();
  form.btnInitPGClick(1);
  form.btnInitSiteClick(2);
  EXPECT_EQ(form.edtProgramLauncherName[1]->Text(), L"");
  EXPECT_EQ(form.edtProgramReg[1]->Text(), L"");
  EXPECT_EQ(form.edtSiteLauncherName[2]->Text(), L"");
  EXPECT_EQ(form.edtSiteLauncherReg[2]->Text(), L"");
  form.chkStartProgramReg->Click();
  form.chkIEInit->Click();
  form.btnCloseClick();
  EXPECT_TRUE(Closed());
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_TRUE(host_.calls.empty());
  EXPECT_EQ(ReadBytes(Ini()), before);
  EXPECT_EQ(RunValue(), std::wstring(L"\"C:\\Old\\Vantrel.exe\""));
}

// A file the system will not let us write (held open by another program
// without sharing; under Wine as root a read-only attribute does not stop a
// write, a held file does).
TEST_F(SetEnvFormTest, ASettingsFileThatCannotBeWrittenIsRefusedWithNothingHalfSaved) {
  Write(L"WINDOW", L"INIT_IE", L"0");
  Write(L"PROGRAM_LAUNCHER", L"NAME", L"Old");
  const std::string before = ReadBytes(Ini());
  TSetEnvForm& form = Open();
  form.chkStartProgramReg->SetChecked(true);
  form.chkIEInit->SetChecked(true);
  form.edtProgramLauncherName[0]->SetText(L"New");
  HANDLE held = CreateFileW(Ini().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  form.btnRegStartClick();
  CloseHandle(held);
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_NE(dialogs_.messages[0].text.find(Ini()), std::wstring::npos);  // names the file
  EXPECT_NE(dialogs_.messages[0].text, form.SaveMessage());
  EXPECT_FALSE(Closed());
  EXPECT_EQ(ReadBytes(Ini()), before);
  EXPECT_EQ(RunValue(), std::nullopt);
  EXPECT_TRUE(host_.calls.empty());
  EXPECT_EQ(form.edtProgramLauncherName[0]->Text(), L"New");
}

TEST_F(SetEnvFormTest, ChangingThePageOfAKindInUseFocusesItsNameEdit) {
  TSetEnvForm& form = Open();
  form.Show();
  SetForegroundWindow(form.hwnd());
  ui::PumpPendingMessages();
  SetFocus(form.btnClose->hwnd());
  form.tabProgramLauncher->SetActiveIndex(2);  // not in use: the focus stays
  EXPECT_EQ(GetFocus(), form.btnClose->hwnd());
  form.chkProgramLauncher->Click();
  form.chkSiteLauncher->Click();
  form.tabProgramLauncher->SetActiveIndex(3);
  EXPECT_TRUE(form.edtProgramLauncherName[3]->Focused());
  form.tabSiteLauncher->SetActiveIndex(1);
  EXPECT_TRUE(form.edtSiteLauncherName[1]->Focused());
}

// ------------------------------------------------ with the main window

namespace {

// Calls `onMessage` when a message box comes, before answering it.
class WatchingDialogs final : public platform::Dialogs {
 public:
  WatchingDialogs() { platform::SetDialogs(this); }
  ~WatchingDialogs() override { platform::SetDialogs(nullptr); }
  int Message(HWND, const std::wstring& text, const std::wstring&, UINT) override {
    texts.push_back(text);
    if (onMessage) onMessage(text);
    return IDOK;
  }
  bool OpenFileName(HWND, const std::wstring&, std::wstring*) override { return false; }
  void ShellOpen(HWND, const std::wstring&, const std::wstring&, int) override {}
  std::function<void(const std::wstring&)> onMessage;
  std::vector<std::wstring> texts;
};

}  // namespace

TEST(SetEnvFormWithMainWindow, TheMainWindowRebuildsItsLaunchersBeforeTheSavedMessage) {
  KoreanUi = false;
  test::ScopedRegistryOverride registry;
  registry.Create(HKEY_LOCAL_MACHINE, kRunKeyPath);
  test::ScratchFolder folder;
  WatchingDialogs dialogs;
  const std::wstring a = folder.File(L"a.exe"), b = folder.File(L"b.exe"), c = folder.File(L"c.exe");
  for (const auto& file : {a, b, c}) std::ofstream(std::filesystem::path(file)) << "MZ";
  TVantrelMainForm main(folder.File(L"Vantrel.ini"));
  ASSERT_TRUE(main.Create());
  ASSERT_FALSE(main.pnlProgramLauncher->Visible());
  const int heightBefore = main.WindowHeightPx();

  TSetEnvForm form(main, main);
  ASSERT_TRUE(form.Create());
  EXPECT_EQ(GetWindow(form.hwnd(), GW_OWNER), main.hwnd());
  form.chkStartPGInit->SetChecked(true);
  form.chkIEInit->SetChecked(true);
  form.chkProgramLauncher->Click();
  const wchar_t* names[] = {L"Alpha", L"Beta", L"", L"Delta"};
  const std::wstring paths[] = {a, b, L"", c};
  for (size_t k = 0; k < 4; ++k) {
    form.edtProgramLauncherName[k]->SetText(names[k]);
    form.edtProgramReg[k]->SetText(paths[k]);
  }
  form.chkSiteLauncher->Click();
  form.edtSiteLauncherName[1]->SetText(L"Site");
  form.edtSiteLauncherReg[1]->SetText(L"http://site.example/");

  bool checked = false;
  dialogs.onMessage = [&](const std::wstring&) {
    checked = true;
    EXPECT_TRUE(main.ResetStartupOnToggle());
    EXPECT_TRUE(main.ResetIeOnToggle());
    EXPECT_TRUE(main.pnlProgramLauncher->Visible());
    EXPECT_EQ(main.ProgramRowCount(), 2);
    EXPECT_EQ(main.btnPGLauncher[0]->Text(), L"Alpha");
    EXPECT_TRUE(main.btnPGLauncher[0]->Visible());
    EXPECT_TRUE(main.btnPGLauncher[1]->Visible());
    EXPECT_FALSE(main.btnPGLauncher[2]->Visible());
    EXPECT_TRUE(main.btnPGLauncher[3]->Visible());
    EXPECT_EQ(main.btnPGLauncher[3]->WidthPx(), ui::Scale(210));  // the third valid one spans the row
    EXPECT_TRUE(main.pnlSiteLauncher->Visible());
    EXPECT_EQ(main.SiteRowCount(), 1);
    EXPECT_TRUE(main.btnSiteLauncher[1]->Visible());
    EXPECT_EQ(main.btnSiteLauncher[1]->Text(), L"Site");
    EXPECT_GT(main.WindowHeightPx(), heightBefore);
  };
  form.btnRegStartClick();
  EXPECT_TRUE(checked);
  EXPECT_EQ(dialogs.texts, std::vector<std::wstring>{form.SaveMessage()});
  // The new launchers open what was saved.
  test::ScriptedDialogs scripted;
  main.btnPGLauncher[3]->Click();
  main.btnSiteLauncher[1]->Click();
  EXPECT_EQ(scripted.opened, (std::vector<std::wstring>{c, L"http://site.example/"}));
  main.Destroy();
  ui::PumpPendingMessages();
}

namespace {
HWND ownerSeen = nullptr;
bool mainDisabledSeen = false;
HWND mainWindow = nullptr;
void CALLBACK CloseSettingsWindow(HWND, UINT, UINT_PTR id, DWORD) {
  if (HWND w = FindWindowW(TSetEnvForm::kClassName, nullptr); w && IsWindowVisible(w)) {
    KillTimer(nullptr, id);
    ownerSeen = GetWindow(w, GW_OWNER);
    mainDisabledSeen = !IsWindowEnabled(mainWindow);
    PostMessageW(w, WM_CLOSE, 0, 0);
  }
}
}  // namespace

TEST(SetEnvFormWithMainWindow, TheSettingsButtonOpensTheWindowModallyAndItsCloseChangesNothing) {
  KoreanUi = false;
  test::ScopedRegistryOverride registry;
  test::ScratchFolder folder;
  test::ScriptedDialogs dialogs;
  TVantrelMainForm main(folder.File(L"Vantrel.ini"));
  ASSERT_TRUE(main.Create());
  mainWindow = main.hwnd();
  SetTimer(nullptr, 0, 50, CloseSettingsWindow);
  main.btnSetEnv->Click();  // returns when the modal window closed
  EXPECT_EQ(ownerSeen, main.hwnd());
  EXPECT_TRUE(mainDisabledSeen);
  EXPECT_TRUE(IsWindowEnabled(main.hwnd()));
  EXPECT_EQ(FindWindowW(TSetEnvForm::kClassName, nullptr), nullptr);  // destroyed
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(GetFileAttributesW(folder.File(L"Vantrel.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  main.Destroy();
  ui::PumpPendingMessages();
}
