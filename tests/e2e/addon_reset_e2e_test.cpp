// The toggle of the real Vantrel.exe with the add-on reset option on: after
// the tweak the add-on window runs invisible, backs up a helper object the
// test registered in the machine registry and removes it, without a question.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/helpers.h"
#include "core/program_names.h"
#include "mainwindow/main_form.h"
#include "platform/reg_key.h"
#include "recovery/recovery_store.h"
#include "support/process_driver.h"
#include "support/scratch.h"

namespace vantrel {
namespace {

using test::ChildProcess;

constexpr DWORD kWait = 20000;
constexpr wchar_t kClsid[] = L"{E2E0ADD0-0000-0000-0000-0000000000B1}";
const std::wstring kClassKey = std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + kClsid;
const std::wstring kBhoKey =
    std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\") + kClsid;
constexpr wchar_t kMsmqParameters[] = L"SOFTWARE\\Microsoft\\MSMQ\\Parameters";

bool IsOurs(const recovery::RecoveryRecord& r) {
  return r.size() >= 5 && recovery::SplitRecordIdView(r[4]).id == kClsid;
}

// Removes the test's keys and records, and the tweak value it set, whatever happened.
struct Cleanup {
  ~Cleanup() {
    platform::RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, kBhoKey);
    platform::RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, kClassKey);
    auto records = recovery::ReadRecoverySection(L"BHO");
    const auto kept = records.size();
    records.erase(std::remove_if(records.begin(), records.end(), IsOurs), records.end());
    if (records.size() != kept) recovery::RewriteRecoverySection(L"BHO", records);
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMsmqParameters, L"TCPNoDelay");
  }
};

TEST(VantrelToggle, WithTheAddonResetOptionTheToggleBacksUpAndRemovesHelperObjects) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
  ASSERT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, kMsmqParameters, L"TCPNoDelay", RRF_RT_ANY, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND)
      << "the tweak is on in this prefix";
  Cleanup cleanup;
  test::ScratchFolder program;
  const std::wstring exe = program.File(L"Vantrel.exe");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(::WritePrivateProfileStringW(L"WINDOW", L"INIT_IE", L"1", program.File(L"Vantrel.ini").c_str()));
  {
    platform::RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kClassKey), ERROR_SUCCESS);
    key.WriteString(L"", L"E2E Helper");
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kClassKey + L"\\InprocServer32"), ERROR_SUCCESS);
    key.WriteString(L"", program.File(L"e2e_helper.dll"));  // no such file: regsvr32 fails quietly
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kBhoKey), ERROR_SUCCESS);
  }

  ChildProcess vantrel = ChildProcess::Start(exe);
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  ASSERT_NE(window, nullptr);
  HWND button = test::FindChildByText(window, L"Vantrel Off", L"Button");
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(test::ClickButton(button));
  test::MessageBoxInfo box;
  ASSERT_TRUE(test::WaitForMessageBox(vantrel.id(), kWait, &box));
  test::AnswerMessageBox(box.window, IDYES);
  // The status view comes after the resets; no other question came first.
  HWND status = test::WaitForTopLevelWindow(L"TPingStatusForm", vantrel.id(), kWait, true);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(::FindWindowW(L"TBHOForm", nullptr), nullptr);

  platform::RegKey key;
  EXPECT_NE(key.Open(HKEY_LOCAL_MACHINE, kBhoKey), ERROR_SUCCESS) << "the helper object was not removed";
  EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, kClassKey), ERROR_SUCCESS) << "the class registration stays";
  key.Close();
  const auto records = recovery::ReadRecoverySection(L"BHO");
  const auto ours = std::find_if(records.begin(), records.end(), IsOurs);
  ASSERT_NE(ours, records.end()) << "no backup record";
  EXPECT_EQ((*ours)[0], L"E2E Helper");
  EXPECT_EQ((*ours)[2], L"e2e_helper.dll");

  ::PostMessageW(status, WM_CLOSE, 0, 0);
  test::WaitUntil([&] { return !::IsWindow(status); }, kWait);

  // Off again, so that the prefix keeps no tweak values.
  ASSERT_TRUE(test::ClickButton(button));
  ASSERT_TRUE(test::WaitForMessageBox(vantrel.id(), kWait, &box));
  test::AnswerMessageBox(box.window, IDYES);
  status = test::WaitForTopLevelWindow(L"TPingStatusForm", vantrel.id(), kWait, true);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(test::WindowText(button), L"Vantrel Off");
  ::PostMessageW(status, WM_CLOSE, 0, 0);
  test::WaitUntil([&] { return !::IsWindow(status); }, kWait);
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
  DWORD code = 99;
  ASSERT_TRUE(vantrel.WaitForExit(kWait, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace vantrel
