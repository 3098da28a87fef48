// The whole update with the real programs: Vantrel finds another version
// announced, writes and starts the real updater and ends; the updater
// downloads the new program from the local server, replaces Vantrel.exe and
// starts it again; the new program finds the versions equal, deletes the
// updater and opens its main window.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "core/helpers.h"
#include "app/start_sequence.h"
#include "mainwindow/main_form.h"
#include "platform/text_conv.h"
#include "platform/unique_handle.h"
#include "support/process_driver.h"
#include "support/scratch.h"
#include "support/test_http_server.h"

namespace vantrel {
namespace {

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

TEST(UpdateEndToEnd, AnnouncedVersionDownloadedReplacedAndRestarted) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
  std::string why;
  test::TestHttpServer* server = test::TestHttpServer::Shared(&why);
  ASSERT_NE(server, nullptr) << why;
  server->Reset();

  test::ScratchFolder program;
  test::ScratchFolder served;
  const std::wstring exe = program.File(L"Vantrel.exe");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"VantrelE2E.exe").c_str(), exe.c_str(), FALSE));
  WriteBytes(program.File(L"vendor.txt"), platform::ToNarrow(server->HostPort()));
  // The "new" program: the same one with a marker after its image, which
  // the loader ignores.
  const std::string marker = "\r\nNEW BUILD FROM THE TEST SERVER\r\n";
  const std::string newProgram = ReadBytes(exe) + marker;
  const std::wstring newFile = served.File(L"Vantrel.exe");
  WriteBytes(newFile, newProgram);

  ASSERT_TRUE(server->Route("{\"path\": \"/version.html\", \"body\": \"Vantrel Version=1.5.7.0\\r\\nLaunchSite=e2e\\r\\n\"}"));
  // Once the new program has been fetched, the server announces its version.
  ASSERT_TRUE(server->Route("{\"path\": \"/update/Vantrel.exe\", \"body_file\": " +
                            test::JsonText(test::UnixPathOf(newFile)) +
                            ", \"also\": [{\"path\": \"/version.html\", \"body\": \"Vantrel Version=1.5.6.4\\r\\n\"}]}"));

  test::ChildProcess first = test::ChildProcess::Start(exe);
  ASSERT_TRUE(first.valid());
  DWORD code = 99;
  EXPECT_TRUE(first.WaitForExit(30000, &code)) << "the first Vantrel did not end for the update";

  // The restarted program opens its main window.
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, 0, 60000, true);
  ASSERT_NE(window, nullptr) << server->Log();
  EXPECT_EQ(ReadBytes(exe), newProgram);
  EXPECT_FALSE(Exists(exe + L".tmp"));
  EXPECT_TRUE(test::WaitUntil([&] { return !Exists(program.File(L"VantrelUpdate.exe")); }, 10000))
      << "the restarted program did not delete the updater";
  EXPECT_EQ(server->Count("GET", "/version.html"), 2);
  EXPECT_EQ(server->Count("HEAD", "/update/Vantrel.exe"), 1);
  EXPECT_EQ(server->Count("GET", "/update/Vantrel.exe"), 1);

  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
  EXPECT_TRUE(test::WaitUntil([&] { return !::IsWindow(window); }, 20000));
  if (::IsWindow(window)) test::EndProcessTree(pid);

  // Wine may have started its desktop process for the first Vantrel, as its
  // child: ending the first program's tree must leave it running, or no
  // program started afterwards can open a window.
  DWORD desktop = 0;
  ::GetWindowThreadProcessId(::GetDesktopWindow(), &desktop);
  platform::UniqueHandle desktopProcess(::OpenProcess(SYNCHRONIZE, FALSE, desktop));
  first.EndTree();
  ASSERT_TRUE(desktopProcess);
  EXPECT_EQ(::WaitForSingleObject(desktopProcess.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(UpdateEndToEnd, AFailedHandOffAtStartShowsTheExtractionMessageThenTheFailureAndEnds) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
  std::string why;
  test::TestHttpServer* server = test::TestHttpServer::Shared(&why);
  ASSERT_NE(server, nullptr) << why;
  server->Reset();
  test::ScratchFolder program;
  const std::wstring exe = program.File(L"Vantrel.exe");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"VantrelE2E.exe").c_str(), exe.c_str(), FALSE));
  WriteBytes(program.File(L"vendor.txt"), platform::ToNarrow(server->HostPort()));
  ASSERT_TRUE(server->Route("{\"path\": \"/version.html\", \"body\": \"Vantrel Version=1.5.7.0\\r\\n\"}"));
  // A previous updater still holds its file.
  const std::wstring updater = program.File(L"VantrelUpdate.exe");
  WriteBytes(updater, "previous updater");
  platform::UniqueFile held(
      ::CreateFileW(updater.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  test::ChildProcess vantrel = test::ChildProcess::Start(exe);
  ASSERT_TRUE(vantrel.valid());
  test::MessageBoxInfo box;
  ASSERT_TRUE(test::WaitForMessageBox(vantrel.id(), 30000, &box));
  EXPECT_EQ(box.text.rfind(L"File create fail : ", 0), 0u) << box.text;
  test::AnswerMessageBox(box.window, IDOK);
  ASSERT_TRUE(test::WaitUntil([&] {
    test::MessageBoxInfo next;
    return test::WaitForMessageBox(vantrel.id(), 100, &next) && next.window != box.window;
  }, 10000));
  test::MessageBoxInfo fail;
  ASSERT_TRUE(test::WaitForMessageBox(vantrel.id(), 1000, &fail));
  EXPECT_EQ(fail.text, L"Update has been failed.\r\n\r\nPlease try it again later.");
  test::AnswerMessageBox(fail.window, IDOK);
  DWORD code = 99;
  EXPECT_TRUE(vantrel.WaitForExit(20000, &code));
  EXPECT_TRUE(test::TopLevelWindows(kMainWindowClass, vantrel.id()).empty());
  held.reset();
  EXPECT_EQ(ReadBytes(updater), "previous updater");
}

}  // namespace
}  // namespace vantrel
