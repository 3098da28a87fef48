#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/unique_handle.h"
#include "support/scripted_dialogs.h"
#include "tweak/network.h"
#include "tweak_fixture.h"

using namespace vantrel;
using vantrel::test::CloseTarget;
using vantrel::test::InterfaceKeys;
using vantrel::test::MsmqBackup;

namespace {

const std::wstring kIp = L"192.0.2.10";

// What the run's seams hand out and what they saw. The worker thread is the
// only one touching them while it runs; the test reads them after WM_CLOSE.
InterfaceList g_connections;
std::wstring g_ip;
int g_renewals = 0;
bool g_valuesBeforeRenewal = false;
std::wstring g_watched;  // the interface whose values are looked at when the network is renewed
std::vector<DWORD> g_pauses;  // the waits asked for, in order; none is waited

void ListTestConnections(InterfaceList& list) { list.insert(list.end(), g_connections.begin(), g_connections.end()); }
void ListThrows(InterfaceList& list) {
  list.push_back(L"{HALF}");
  throw std::runtime_error("enumeration failed");
}
std::wstring TestIp() { return g_ip; }
void RecordRenewal() {
  ++g_renewals;
  g_valuesBeforeRenewal = !InterfaceKeys::TweakValues(g_watched).empty();
}

void RecordPause(DWORD ms) { g_pauses.push_back(ms); }

struct RunArgs {
  HWND window;
  TweakSources sources;
};

DWORD WINAPI RunWithSources(LPVOID param) {
  auto* args = static_cast<RunArgs*>(param);
  RunTweak(args->window, args->sources);
  return 0;
}

}  // namespace

class TweakWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InterfaceKeys::SetText(dhcp, L"DhcpIPAddress", kIp);
    InterfaceKeys::SetText(other, L"DhcpIPAddress", L"10.9.9.9");
    g_connections = {dhcp, other, missing};
    g_ip = kIp;
    g_renewals = 0;
    g_valuesBeforeRenewal = false;
    g_pauses.clear();
    g_watched = dhcp;
    ClearTweak = false;
  }
  void TearDown() override { ClearTweak = false; }

  // Starts one run on its own thread, as the progress window does, and waits
  // for its WM_CLOSE and for the thread's end.
  void Run(bool clear, const TweakSources& sources) {
    ClearTweak = clear;
    CloseTarget target;
    ASSERT_NE(target.get(), nullptr);
    RunArgs args{target.get(), sources};
    platform::UniqueHandle thread(::CreateThread(nullptr, 0, RunWithSources, &args, 0, nullptr));
    ASSERT_TRUE(thread.valid());
    EXPECT_TRUE(target.WaitForClose());
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 30000), WAIT_OBJECT_0);
    EXPECT_EQ(target.closes(), 1);
  }

  TweakSources Recorded(void (*list)(InterfaceList&) = ListTestConnections) {
    TweakSources sources;
    sources.listConnections = list;
    sources.localIp = TestIp;
    sources.renewNetwork = RecordRenewal;
    sources.pause = RecordPause;
    return sources;
  }

  test::ScriptedDialogs dialogs;
  MsmqBackup msmq;
  InterfaceKeys keys;
  std::wstring dhcp = keys.Add(), other = keys.Add(), missing = keys.Missing();
};

TEST_F(TweakWorkerTest, OnChangesTheInterfaceWithTheAddressThenOffRemovesEverything) {
  Run(false, Recorded());
  EXPECT_EQ(MsmqBackup::Value(), 1);
  EXPECT_TRUE(InterfaceKeys::HoldsTweak(dhcp));
  EXPECT_TRUE(InterfaceKeys::TweakValues(other).empty());
  EXPECT_FALSE(InterfaceKeys::Exists(missing));
  EXPECT_EQ(g_renewals, 1);
  EXPECT_TRUE(g_valuesBeforeRenewal);  // the network is renewed after the change
  EXPECT_EQ(g_pauses, (std::vector<DWORD>{500, 500}));

  Run(true, Recorded());
  EXPECT_EQ(MsmqBackup::Value(), -1);
  EXPECT_TRUE(MsmqBackup::KeyExists());
  EXPECT_TRUE(InterfaceKeys::TweakValues(dhcp).empty());
  EXPECT_EQ(g_renewals, 2);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TweakWorkerTest, WithoutAnAddressEveryListedInterfaceChanges) {
  g_ip.clear();
  Run(false, Recorded());
  EXPECT_TRUE(InterfaceKeys::HoldsTweak(dhcp));
  EXPECT_TRUE(InterfaceKeys::HoldsTweak(other));
  EXPECT_FALSE(InterfaceKeys::Exists(missing));
}

TEST_F(TweakWorkerTest, AFailedEnumerationStillWritesMsmqRenewsAndCloses) {
  Run(false, Recorded(ListThrows));
  EXPECT_EQ(MsmqBackup::Value(), 1);
  EXPECT_EQ(g_renewals, 1);
  EXPECT_TRUE(InterfaceKeys::TweakValues(dhcp).empty());
}

TEST_F(TweakWorkerTest, RealSourcesUnderWineWriteMsmqWithAnEmptyList) {
  // No connections folder under Wine: the list is empty, the Message Queuing
  // value is still written, "ipconfig /renew" runs (and fails at once) and
  // the window is closed. The real thread procedure takes the window handle
  // and waits its real pauses.
  ClearTweak = false;
  CloseTarget target;
  ASSERT_TRUE(test::RunTweakWorker(target));
  EXPECT_TRUE(IsTweakOn());
  EXPECT_TRUE(InterfaceKeys::TweakValues(dhcp).empty());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(dialogs.opened.empty());
}

TEST_F(TweakWorkerTest, NoSourcesAtAllStillCloses) {
  Run(false, TweakSources{nullptr, nullptr, nullptr, nullptr});  // no waits either
  EXPECT_EQ(MsmqBackup::Value(), 1);
}
