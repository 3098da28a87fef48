// The tweak toggle of the real Vantrel.exe, driven from this process: the
// button pressed, the question answered, the status view read and closed,
// and the Message Queuing value read from the registry, on and off again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/helpers.h"
#include "app/start_sequence.h"
#include "mainwindow/main_form.h"
#include "support/process_driver.h"
#include "support/scratch.h"

namespace vantrel {
namespace {

using test::ChildProcess;

constexpr DWORD kWait = 20000;
constexpr wchar_t kMsmqParameters[] = L"SOFTWARE\\Microsoft\\MSMQ\\Parameters";

// "TCPNoDelay" of the Message Queuing parameters as a number; -1 when missing.
long long MsmqNoDelay() {
  DWORD value = 0, size = sizeof value;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, kMsmqParameters, L"TCPNoDelay", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return -1;
  return value;
}

// Puts "TCPNoDelay" back as it was before the test.
class MsmqValueKept {
 public:
  MsmqValueKept() : before_(MsmqNoDelay()) { Delete(); }
  ~MsmqValueKept() {
    if (before_ < 0) {
      Delete();
      return;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMsmqParameters, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      const DWORD value = static_cast<DWORD>(before_);
      ::RegSetValueExW(key, L"TCPNoDelay", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
      ::RegCloseKey(key);
    }
  }
  static void Delete() { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMsmqParameters, L"TCPNoDelay"); }

 private:
  long long before_;
};

// Presses the toggle, answers its question with Yes, waits for the status
// view, reads it and closes it. The status view's rows, or none on failure.
std::vector<std::vector<std::wstring>> Toggle(const ChildProcess& vantrel, HWND button, std::wstring* question) {
  if (!test::ClickButton(button)) return {};
  test::MessageBoxInfo box;
  if (!test::WaitForMessageBox(vantrel.id(), kWait, &box)) return {};
  *question = box.text;
  test::AnswerMessageBox(box.window, IDYES);
  HWND status = test::WaitForTopLevelWindow(L"TPingStatusForm", vantrel.id(), kWait, true);
  if (!status) return {};
  auto rows = test::ListViewRows(test::FindChildByText(status, L"", L"SysListView32"), 3);
  ::PostMessageW(status, WM_CLOSE, 0, 0);
  test::WaitUntil([&] { return !::IsWindow(status); }, kWait);
  return rows;
}

TEST(VantrelToggle, TheButtonSwitchesTheTweakOnAndOffInTheRegistry) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
  MsmqValueKept kept;
  test::ScratchFolder program;
  const std::wstring exe = program.File(L"Vantrel.exe");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe.c_str(), FALSE));
  ChildProcess vantrel = ChildProcess::Start(exe);
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  ASSERT_NE(window, nullptr);
  HWND button = test::FindChildByText(window, L"Vantrel Off", L"Button");
  ASSERT_NE(button, nullptr) << "the tweak is off at start";

  std::wstring question;
  auto rows = Toggle(vantrel, button, &question);
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[11][1], L"ON");
  // No reset options: the fourth question, in the language of the interface.
  const std::wstring fourth =
      GetUiLanguage() == kKoreanLanguage ? L"Vantrel ON/OFF를 처리하려면" : L"Vantrel ON / OFF to handle";
  EXPECT_EQ(question.rfind(fourth, 0), 0u) << "question: " << testing::PrintToString(question);
  EXPECT_EQ(MsmqNoDelay(), 1);
  EXPECT_EQ(test::WindowText(button), L"Vantrel ON");

  rows = Toggle(vantrel, button, &question);
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[11][1], L"OFF");
  EXPECT_EQ(MsmqNoDelay(), -1);
  EXPECT_EQ(test::WindowText(button), L"Vantrel Off");

  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
  DWORD code = 99;
  ASSERT_TRUE(vantrel.WaitForExit(kWait, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace vantrel
