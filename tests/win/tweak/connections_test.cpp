// The connection listing against a stand-in connections folder (Wine has no
// netshell.dll): the stand-in is copied into the system folder, where the
// listing loads it from by its full path, and registered as the connection
// manager's class for the test's duration.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlwapi.h>

#include "core/helpers.h"
#include "platform/library_search.h"
#include "platform/reg_key.h"
#include "support/scripted_dialogs.h"
#include "tweak/network.h"
#include "tweak_fixture.h"

using namespace vantrel;
using vantrel::test::InterfaceKeys;
using vantrel::test::MsmqBackup;

namespace {

const wchar_t kManagerClassKey[] = L"Software\\Classes\\CLSID\\{BA126AD1-2166-11D1-B1D0-00805FC1270E}";

GUID ParseId(const std::wstring& id) {
  GUID g{};
  ::CLSIDFromString(id.c_str(), &g);
  return g;
}

}  // namespace

class FakeConnectionsFolder : public ::testing::Test {
 protected:
  using Configure = void(WINAPI*)(const GUID*, int, int);
  using Counts = void(WINAPI*)(long*, long*);

  void SetUp() override {
    if (platform::RegKey existing; existing.Open(HKEY_LOCAL_MACHINE, kManagerClassKey) == ERROR_SUCCESS)
      GTEST_SKIP() << "a connection manager is registered";
    installed_ = platform::SystemFolderPath(L"netshell.dll");
    if (::PathFileExistsW(installed_.c_str())) {
      // The stand-in of an earlier test that COM still holds, or a real one.
      module_ = ::LoadLibraryW(installed_.c_str());
      if (!module_ || !::GetProcAddress(module_, "FakeNetshellConfigure")) {
        installed_.clear();
        GTEST_SKIP() << "the system folder has a netshell.dll";
      }
    } else {
      wchar_t exe[MAX_PATH] = {};
      ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
      ::PathRemoveFileSpecW(exe);
      const std::wstring standIn = std::wstring(exe) + L"\\fake_netshell\\netshell.dll";
      ASSERT_TRUE(::CopyFileW(standIn.c_str(), installed_.c_str(), TRUE)) << ::GetLastError();
      module_ = ::LoadLibraryW(installed_.c_str());
    }
    ASSERT_NE(module_, nullptr);
    configure_ = reinterpret_cast<Configure>(::GetProcAddress(module_, "FakeNetshellConfigure"));
    counts_ = reinterpret_cast<Counts>(::GetProcAddress(module_, "FakeNetshellCounts"));
    ASSERT_TRUE(configure_ && counts_) << "the stand-in was not the library found";
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module_, path, MAX_PATH);
    platform::RegKey server;
    ASSERT_EQ(server.Create(HKEY_LOCAL_MACHINE, std::wstring(kManagerClassKey) + L"\\InprocServer32"), ERROR_SUCCESS);
    server.WriteString(L"", path);
    server.WriteString(L"ThreadingModel", L"Both");
    registered_ = true;
  }
  void TearDown() override {
    if (registered_) ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kManagerClassKey);
    if (module_) ::FreeLibrary(module_);
    // COM may keep the in-process server loaded: the copy is then moved out
    // of the system folder (a loaded library can be renamed) to the temp folder.
    if (!installed_.empty() && !::DeleteFileW(installed_.c_str())) {
      wchar_t temp[MAX_PATH] = {}, name[MAX_PATH] = {};
      ::GetTempPathW(MAX_PATH, temp);
      ::GetTempFileNameW(temp, L"vtn", 0, name);
      ::MoveFileExW(installed_.c_str(), name, MOVEFILE_REPLACE_EXISTING);
    }
    ClearTweak = false;
  }

  void Offer(const std::vector<GUID>& ids, int failing = -1) {
    configure_(ids.data(), static_cast<int>(ids.size()), failing);
  }
  long LiveObjects() const {
    long objects = -1, properties = -1;
    counts_(&objects, &properties);
    return objects + properties;
  }

  std::wstring installed_;  // the stand-in's copy in the system folder
  HMODULE module_ = nullptr;
  Configure configure_ = nullptr;
  Counts counts_ = nullptr;
  bool registered_ = false;
};

TEST_F(FakeConnectionsFolder, ListsEveryConnectionInUpperCaseAndReleasesAll) {
  const std::vector<GUID> ids = {ParseId(L"{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}"), ParseId(test::NewInterfaceId()),
                                 ParseId(L"{ffffffff-0000-0001-abcd-ef0123456789}")};
  Offer(ids, /*failing=*/1);  // a connection without properties is passed over
  InterfaceList list = {L"{EARLIER}"};
  ListConnectionIds(list);
  EXPECT_EQ(list, (InterfaceList{L"{EARLIER}", L"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}",
                                 L"{FFFFFFFF-0000-0001-ABCD-EF0123456789}"}));
  EXPECT_EQ(LiveObjects(), 0);  // every connection, the enumerator, the manager and the properties

  Offer({});
  InterfaceList none;
  ListConnectionIds(none);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(LiveObjects(), 0);
}

TEST_F(FakeConnectionsFolder, TheRealWorkerChangesTheConnectionWithTheLocalAddress) {
  test::ScriptedDialogs dialogs;
  MsmqBackup msmq;
  InterfaceKeys keys;
  const std::wstring local = keys.Add(), other = keys.Add(), missing = keys.Missing();
  const std::wstring ip = GetLocalIpAddress();
  InterfaceKeys::SetText(local, L"DhcpIPAddress", ip);
  InterfaceKeys::SetText(other, L"DhcpIPAddress", L"10.9.9.9");
  Offer({ParseId(other), ParseId(local), ParseId(missing)});

  ClearTweak = false;
  test::CloseTarget on;
  ASSERT_TRUE(test::RunTweakWorker(on));
  EXPECT_TRUE(IsTweakOn());
  EXPECT_TRUE(InterfaceKeys::HoldsTweak(local));
  // Without a local address every listed interface changes.
  EXPECT_EQ(InterfaceKeys::HoldsTweak(other), ip.empty());
  EXPECT_FALSE(InterfaceKeys::Exists(missing));

  ClearTweak = true;
  test::CloseTarget off;
  ASSERT_TRUE(test::RunTweakWorker(off));
  EXPECT_FALSE(IsTweakOn());
  EXPECT_TRUE(MsmqBackup::KeyExists());
  EXPECT_TRUE(InterfaceKeys::TweakValues(local).empty());
  EXPECT_TRUE(InterfaceKeys::TweakValues(other).empty());
  EXPECT_EQ(LiveObjects(), 0);
  EXPECT_TRUE(dialogs.messages.empty());
}
