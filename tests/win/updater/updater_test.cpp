// The updater's whole run in-process against the scripted local server: the
// command line, downloads with their failures, replacement and restart.
#include "updater/update_dialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/text_conv.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "update/proxy.h"
#include "update_test_support.h"

namespace vantrel::updater {
namespace {

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// File contents, shortened in failure messages.
std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A body that looks like a program: "MZ" and then some.
std::string Program(const std::string& marker, size_t size = 20000) {
  std::string body = "MZ" + marker;
  body.resize(size, 'p');
  return body;
}

struct Restart {
  std::wstring file, parameters, folder;
  int count = 0;
};

class UpdaterTest : public test::HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    ResetProxyCacheForTesting();
    folder_ = std::make_unique<test::ScratchFolder>();
    target_ = folder_->File(L"Vantrel.exe");
    WriteBytes(target_, "old program");
  }

  void Serve(const std::string& path, const std::string& body, const std::string& extra = "") {
    ASSERT_TRUE(server_->Route("{\"path\": " + test::JsonText(path) + ", \"body\": " + test::JsonText(body) + extra + "}"));
  }

  // The command line as the main program writes it (position 0 the updater).
  std::vector<std::wstring> Arguments(const std::wstring& url, const std::wstring& url2,
                                      const std::wstring& name = L"Vantrel.exe") {
    return {L"VantrelUpdate.exe", L"28800000", L"site", url, url2, name};
  }

  // Runs the update; every message box is recorded and answered OK.
  void Run(const std::vector<std::wstring>& arguments, uint16_t language = 0x409) {
    UpdateEnvironment environment;
    environment.folder = folder_->path() + L"\\";
    environment.uiLanguage = language;
    environment.settleMs = 0;
    environment.restart = [this](const std::wstring& f, const std::wstring& p, const std::wstring& d) {
      restart_.file = f;
      restart_.parameters = p;
      restart_.folder = d;
      ++restart_.count;
    };
    RunUpdate(arguments, environment);
  }

  void ExpectFailedWithOldProgram(const wchar_t* text = nullptr) {
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, text ? text : DownloadFailedText(false));
    EXPECT_EQ(dialogs_.messages[0].caption, L"Vantrel Update");
    EXPECT_EQ(dialogs_.messages[0].owner, nullptr);
    EXPECT_EQ(ReadBytes(target_), "old program");
    EXPECT_FALSE(Exists(target_ + L".tmp"));
    EXPECT_EQ(restart_.count, 0);
  }

  std::unique_ptr<test::ScratchFolder> folder_;
  std::wstring target_;
  test::ScriptedDialogs dialogs_;
  Restart restart_;
};

TEST_F(UpdaterTest, FewerThanFiveArgumentsEndAtOnce) {
  Serve("/new.exe", Program("new"));
  Run({L"VantrelUpdate.exe", L"1", L"site", server_->Url(L"/new.exe"), server_->Url(L"/new.exe")});
  Run({L"VantrelUpdate.exe"});
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_EQ(restart_.count, 0);
  EXPECT_EQ(ReadBytes(target_), "old program");
  EXPECT_EQ(server_->Log(), "[]");
}

TEST_F(UpdaterTest, OneFileIsDownloadedReplacedAndTheProgramStartedAgain) {
  const std::string program = Program("new");
  Serve("/new.exe", program);
  Run(Arguments(server_->Url(L"/new.exe"), server_->Url(L"/second.exe")));
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_EQ(ReadBytes(target_), program);
  EXPECT_FALSE(Exists(target_ + L".tmp"));
  ASSERT_EQ(restart_.count, 1);
  EXPECT_EQ(restart_.file, folder_->File(L"Vantrel.exe"));
  EXPECT_EQ(restart_.folder, folder_->path() + L"\\");
  EXPECT_EQ(restart_.parameters, L"\"UPDATE_OK\" \"site\" \"" + server_->Url(L"/new.exe") + L"\"");
  EXPECT_EQ(server_->Count("HEAD", "/new.exe"), 1);
  EXPECT_EQ(server_->Count("GET", "/new.exe"), 1);
  EXPECT_EQ(server_->Count("HEAD", "/second.exe"), 0);
  const std::string log = server_->Log();
  EXPECT_NE(log.find("\"User-Agent\": \"Mozilla/3.0 (Corvane Update)\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"Accept\": \"text/html, */*\""), std::string::npos) << log;
}

TEST_F(UpdaterTest, ASecondAddressAfterA404AndARedirectFollowed) {
  const std::string program = Program("via second");
  Serve("/second.exe", program);
  Run(Arguments(server_->Url(L"/missing.exe"), server_->Url(L"/second.exe")));
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_EQ(ReadBytes(target_), program);
  EXPECT_EQ(server_->Count("HEAD", "/missing.exe"), 1);

  server_->Reset();
  const std::string redirected = Program("via redirect");
  Serve("/moved.exe", "", ", \"status\": 302, \"location\": \"/real.exe\"");
  Serve("/real.exe", redirected);
  Serve("/second.exe", Program("wrong"));
  Run(Arguments(server_->Url(L"/moved.exe"), server_->Url(L"/second.exe")));
  EXPECT_EQ(ReadBytes(target_), redirected);
  EXPECT_EQ(server_->Count("GET", "/real.exe"), 1);
  EXPECT_EQ(server_->Count("HEAD", "/second.exe"), 0);
}

TEST_F(UpdaterTest, FailedDownloadsLeaveTheOldProgramAndNoTemporaryFile) {
  const std::string program = Program("new");
  const size_t size = program.size();
  struct Case {
    const char* what;
    std::string primaryRoute;  // JSON options after the body
    bool secondServed;         // the second address has a good file
  };
  const std::vector<Case> cases = {
      {"404 on both", ", \"status\": 404", false},
      {"no Content-Length in HEAD (second not tried)", ", \"length\": null", true},
      {"GET announces more than it sends", ", \"length\": " + std::to_string(size + 100), false},
      {"HEAD and GET disagree", ", \"head_length\": " + std::to_string(size + 1), false},
      {"cut body", ", \"cut_after\": 5000", false},
      {"redirect loop", ", \"status\": 302, \"location\": \"/p.exe\"", false},
      {"redirect away from http", ", \"status\": 302, \"location\": \"file:///c:/windows/notepad.exe\"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    server_->Reset();
    dialogs_.messages.clear();
    Serve("/p.exe", program, c.primaryRoute);
    if (c.secondServed) {
      Serve("/s.exe", Program("second"));
    } else {
      Serve("/s.exe", "", ", \"status\": 404");
    }
    Run(Arguments(server_->Url(L"/p.exe"), server_->Url(L"/s.exe")));
    ExpectFailedWithOldProgram();
    if (c.secondServed) {
      EXPECT_EQ(server_->Count("HEAD", "/s.exe"), 0);
    }
  }
  // The redirect loop was followed a bounded number of times.
  server_->Reset();
  dialogs_.messages.clear();
  Serve("/loop.exe", "", ", \"status\": 302, \"location\": \"/loop.exe\"");
  Run(Arguments(server_->Url(L"/loop.exe"), server_->Url(L"/loop.exe")));
  ExpectFailedWithOldProgram();
  EXPECT_LE(server_->Count("HEAD", "/loop.exe"), 2 * (kMaxRedirects + 1));
}

TEST_F(UpdaterTest, AnErrorPageServedAsTheProgramIsRefused) {
  Serve("/portal.exe", "<html>Please log in</html>");
  Serve("/s.exe", "", ", \"status\": 404");
  Run(Arguments(server_->Url(L"/portal.exe"), server_->Url(L"/s.exe")));
  ExpectFailedWithOldProgram();
}

TEST_F(UpdaterTest, AServerSilentAfterItsHeadersEndsInTheFirstMessage) {
  Serve("/stall.exe", Program("x"), ", \"hang\": \"body\"");
  Run(Arguments(server_->Url(L"/stall.exe"), server_->Url(L"/stall.exe")));
  ExpectFailedWithOldProgram();
}

// The folder is the user's; the updater runs as administrator. A link left
// under the temporary name is replaced, never written through.
TEST_F(UpdaterTest, ALinkUnderTheTemporaryNameIsNotWrittenThrough) {
  test::ScratchFolder elsewhere;
  const std::wstring victim = elsewhere.File(L"system.dll");
  WriteBytes(victim, "must stay");
  ASSERT_TRUE(::CreateHardLinkW((target_ + L".tmp").c_str(), victim.c_str(), nullptr));
  const std::string program = Program("new");
  Serve("/new.exe", program);
  Run(Arguments(server_->Url(L"/new.exe"), server_->Url(L"/new.exe")));
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_EQ(ReadBytes(target_), program);
  EXPECT_TRUE(ReadBytes(victim) == "must stay") << "the file behind the link was written";
}

// A GET whose body runs on past the length HEAD announced fails without
// writing the rest.
TEST_F(UpdaterTest, ABodyLongerThanAnnouncedFails) {
  Serve("/long.exe", Program("x", 4 << 20), ", \"head_length\": 20000, \"length\": null");
  Run(Arguments(server_->Url(L"/long.exe"), server_->Url(L"/long.exe")));
  ExpectFailedWithOldProgram();
}

TEST_F(UpdaterTest, AnAnnouncedLengthBeyondTheLimitIsRefusedBeforeTheDownload) {
  Serve("/huge.exe", Program("x"), ", \"head_length\": " + std::to_string(kMaxDownloadBytes + 1));
  Run(Arguments(server_->Url(L"/huge.exe"), server_->Url(L"/huge.exe")));
  ExpectFailedWithOldProgram();
  EXPECT_EQ(server_->Count("GET", "/huge.exe"), 0);
}

TEST_F(UpdaterTest, FileNamesOutsideTheFolderAreRefusedBeforeAnyDownload) {
  Serve("/new.exe", Program("new"));
  for (const wchar_t* name : {L"..\\Vantrel.exe", L"C:\\Windows\\notepad.exe", L"sub\\x.exe", L"*.exe", L"x.exe:s"}) {
    SCOPED_TRACE(testing::Message() << name);
    dialogs_.messages.clear();
    Run(Arguments(server_->Url(L"/new.exe"), server_->Url(L"/new.exe"), name));
    ExpectFailedWithOldProgram();
  }
  EXPECT_EQ(server_->Log(), "[]");
}

TEST_F(UpdaterTest, ALockedTargetGivesTheSecondMessageAndStaysAsItWas) {
  const std::string program = Program("new");
  Serve("/new.exe", program);
  {
    // The main program still holds its file.
    platform::UniqueFile held(::CreateFileW(target_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    Run(Arguments(server_->Url(L"/new.exe"), server_->Url(L"/new.exe")));
  }
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, ReplaceFailedText(false));
  EXPECT_EQ(ReadBytes(target_), "old program");
  EXPECT_EQ(ReadBytes(target_ + L".tmp"), program);  // left for a later try
  EXPECT_EQ(restart_.count, 0);
}

TEST_F(UpdaterTest, TheMessagesInKorean) {
  Serve("/s.exe", "", ", \"status\": 404");
  Run(Arguments(server_->Url(L"/s.exe"), server_->Url(L"/s.exe")), 1042);
  ExpectFailedWithOldProgram(L"Vantrel 업데이트를 실패하였습니다.\r\n잠시 후 다시 시도하시기 바랍니다.");
  EXPECT_EQ(ReplaceFailedText(true), L"Vantrel 업데이트를 실패하였습니다.\r\n홈페이지에 접속하여 다시 설치하시기 바랍니다.");
  EXPECT_EQ(ReplaceFailedText(false), L"Vantrel An update failed.\r\nto access the site, please reinstall.");
  EXPECT_EQ(DownloadFailedText(false), L"Vantrel An update failed.\r\nplease try again later.");
}

TEST_F(UpdaterTest, TwoFilesAreReplacedInTheirOrder) {
  const std::string one = Program("one"), two = Program("two", 30000);
  Serve("/one.exe", one);
  Serve("/two.dll", two);
  const std::wstring second = folder_->File(L"Schedlet.dll");
  WriteBytes(second, "old library");
  Run({L"VantrelUpdate.exe", L"1", L"site", server_->Url(L"/one.exe"), server_->Url(L"/x"), L"Vantrel.exe",
       server_->Url(L"/two.dll"), server_->Url(L"/y"), L"Schedlet.dll"});
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_EQ(ReadBytes(target_), one);
  EXPECT_EQ(ReadBytes(second), two);
  EXPECT_EQ(restart_.count, 1);
  EXPECT_EQ(restart_.parameters, L"\"UPDATE_OK\" \"site\" \"" + server_->Url(L"/one.exe") + L"\"");
}

// The window of a slow download: its shape while it runs, its bars moving,
// and a close (Alt+F4) that ends the update as failed.
TEST_F(UpdaterTest, TheWindowDuringADownloadAndAClose) {
  Serve("/slow.exe", Program("slow", 400000), ", \"pace\": [20000, 100]");
  struct Seen {
    bool found = false;
    RECT client{};
    LONG style = 0;
    int progress = -1;
  } seen;
  std::thread closer([&seen] {
    HWND window = nullptr;
    for (int i = 0; i < 200 && !window; ++i) {
      window = ::FindWindowW(TUpdateDialog::kClassName, nullptr);
      if (!window || !::IsWindowVisible(window)) {
        window = nullptr;
        ::Sleep(25);
      }
    }
    if (!window) return;
    seen.found = true;
    ::GetClientRect(window, &seen.client);
    seen.style = ::GetWindowLongW(window, GWL_STYLE);
    ::Sleep(700);  // a few pieces arrive
    // Alt+F4 arrives as the system close command.
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  Run(Arguments(server_->Url(L"/slow.exe"), server_->Url(L"/slow.exe")));
  closer.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.client.right, ui::Scale(220));
  EXPECT_EQ(seen.client.bottom, ui::Scale(80));
  EXPECT_EQ(seen.style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
  ExpectFailedWithOldProgram();
  EXPECT_EQ(server_->Count("HEAD", "/slow.exe"), 1);  // stopped at once, no second try
}

TEST(UpdateDialogTest, LayoutAndProgress) {
  TUpdateDialog dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(dialog.pnlTop->Color(), RGB(0, 0, 0));
  EXPECT_EQ(dialog.pnlTop->HeightPx(), ui::Scale(10));
  EXPECT_EQ(dialog.pnlLeft->WidthPx(), ui::Scale(10));
  EXPECT_EQ(dialog.pnlRight->LeftPx(), ui::Scale(210));
  EXPECT_EQ(dialog.pnlBottom->TopPx(), ui::Scale(70));
  EXPECT_EQ(dialog.lbl1->Text(), L"Vantrel Update");
  EXPECT_LT(dialog.lbl1->TopPx(), dialog.progress->TopPx());
  EXPECT_LT(dialog.progress->TopPx(), dialog.progressTotal->TopPx());
  EXPECT_EQ(dialog.idhtp.connectTimeoutMs, 3000u);
  EXPECT_EQ(dialog.idhtp.readTimeoutMs, 3000u);

  // One file: both bars move together; with three files the total advances
  // by a third after each file.
  dialog.m_updateFileList = {L"a"};
  AnnouncedLength = 1000;
  LRESULT result = 0;
  dialog.idhtpWork(450);
  ui::PumpPendingMessages();
  EXPECT_EQ(dialog.progress->Position(), 45);
  EXPECT_EQ(dialog.progressTotal->Position(), 45);
  EXPECT_EQ(dialog.progress->LitSegments(), 4);
  dialog.m_updateFileList = {L"a", L"b", L"c"};
  dialog.progressTotal->SetPosition(0);
  dialog.idhtpWork(1000);
  ui::PumpPendingMessages();
  EXPECT_EQ(dialog.progress->Position(), 100);
  EXPECT_EQ(dialog.progressTotal->Position(), 0);
  CurrentFileIndex = 0;
  ::SendMessageW(dialog.hwnd(), kFileDoneMessage, 0, 0);
  EXPECT_EQ(dialog.progressTotal->Position(), 33);
  CurrentFileIndex = 1;
  ::SendMessageW(dialog.hwnd(), kFileDoneMessage, 0, 1);
  EXPECT_EQ(dialog.progressTotal->Position(), 66);
  ::SendMessageW(dialog.hwnd(), kFileDoneMessage, 0, 7);  // no such file: unchanged
  EXPECT_EQ(dialog.progressTotal->Position(), 66);
  (void)result;
}

}  // namespace
}  // namespace vantrel::updater
