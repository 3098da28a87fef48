#include <gtest/gtest.h>

#include <stdexcept>

#include "support/registry_override.h"
#include "support/scripted_dialogs.h"
#include "platform/library_search.h"
#include "tweak/network.h"
#include "tweak_fixture.h"

using namespace vantrel;
using vantrel::test::InterfaceKeys;
using vantrel::test::MsmqBackup;

namespace {

const std::wstring kIp = L"192.0.2.10";
const std::wstring kFixedIp = L"172.16.5.5";

std::string Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

}  // namespace

// Two adapters with a DHCP address each, one with fixed addresses, and an
// id whose key does not exist.
class TweakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InterfaceKeys::SetText(dhcp, L"DhcpIPAddress", kIp);
    InterfaceKeys::SetAddresses(dhcp, L"IPAddress", {L"0.0.0.0"});
    InterfaceKeys::SetText(other, L"DhcpIPAddress", L"10.9.9.9");
    InterfaceKeys::SetAddresses(fixed, L"IPAddress", {kFixedIp, L"10.20.30.40"});
  }

  MsmqBackup msmq;
  InterfaceKeys keys;
  std::wstring dhcp = keys.Add(), other = keys.Add(), fixed = keys.Add(), missing = keys.Missing();
};

TEST_F(TweakTest, KeepsInterfacesHoldingTheAddressInOrder) {
  struct Case {
    std::wstring ip;
    InterfaceList kept;
  } cases[] = {
      {kIp, {dhcp, missing}},              // DHCP text
      {kFixedIp, {missing, fixed}},        // first fixed address
      {L"10.20.30.40", {missing, fixed}},  // any fixed address counts
      {L"10.9.9.9", {other, missing}},
      {L"10.9.9", {missing}},  // the whole text must match
      {L"192.0.2.100", {missing}},
  };
  for (const auto& c : cases) {
    InterfaceList list = {dhcp, other, missing, fixed};
    KeepInterfacesWithIp(c.ip, list);
    EXPECT_EQ(list, c.kept) << c.ip;
  }
}

TEST_F(TweakTest, AddressValuesOfAnyShapeCompareSafely) {
  struct Case {
    const char* what;
    DWORD type;
    std::string bytes;
    bool kept;
  } cases[] = {
      {"expandable text", REG_EXPAND_SZ, Bytes(kIp + L'\0'), true},
      {"text, odd byte, no terminator", REG_SZ, Bytes(kIp) + "x", true},
      {"empty text", REG_SZ, "", false},
      {"raw ASCII bytes", REG_BINARY, std::string("192.0.2.10\0", 11), true},
      {"raw, longer than 20 bytes", REG_BINARY, std::string("192.0.2.10") + std::string(14, '\0'), false},
      {"a number", REG_DWORD, std::string("\x0a\x02\x00\xc0", 4), false},
      {"list of one odd byte", REG_MULTI_SZ, "1", false},
      {"list, no terminator", REG_MULTI_SZ, Bytes(L"10.1.1.1" + std::wstring(1, L'\0') + kIp), true},
  };
  for (const auto& c : cases) {
    std::wstring id = keys.Add();
    InterfaceKeys::SetRaw(id, L"DhcpIPAddress", c.type, c.bytes);
    InterfaceList list = {id};
    KeepInterfacesWithIp(kIp, list);
    EXPECT_EQ(list.size(), c.kept ? 1u : 0u) << c.what;
  }
}

TEST_F(TweakTest, OnThenOffLeavesNoValueAndKeepsTheMsmqKey) {
  InterfaceList list = {dhcp, other, missing};
  KeepInterfacesWithIp(kIp, list);
  ASSERT_EQ(list, (InterfaceList{dhcp, missing}));

  EXPECT_TRUE(SetMsmqNoDelay());
  EXPECT_TRUE(SetInterfaceTweak(list));
  EXPECT_TRUE(IsTweakOn());
  EXPECT_TRUE(InterfaceKeys::HoldsTweak(dhcp));
  EXPECT_TRUE(InterfaceKeys::TweakValues(other).empty());
  EXPECT_FALSE(InterfaceKeys::Exists(missing));  // keys are never created

  EXPECT_TRUE(ClearMsmqNoDelay());
  EXPECT_TRUE(ClearInterfaceTweak(list));
  EXPECT_FALSE(IsTweakOn());
  EXPECT_EQ(MsmqBackup::Value(), -1);
  EXPECT_TRUE(MsmqBackup::KeyExists());
  EXPECT_TRUE(InterfaceKeys::TweakValues(dhcp).empty());
  InterfaceList again = {dhcp};
  KeepInterfacesWithIp(kIp, again);
  EXPECT_EQ(again, InterfaceList{dhcp});  // the rest of the key stays
  EXPECT_FALSE(InterfaceKeys::Exists(missing));

  EXPECT_TRUE(ClearMsmqNoDelay());  // nothing left to delete is no error
  EXPECT_FALSE(SetInterfaceTweak({}));
  EXPECT_FALSE(ClearInterfaceTweak({}));
}

TEST_F(TweakTest, IdsThatAreNoKeyNameTouchNothing) {
  EXPECT_TRUE(SetInterfaceTweak({L"", dhcp + L"\\..", L"\\" + other}));
  platform::RegKey parent;
  ASSERT_EQ(parent.Open(HKEY_LOCAL_MACHINE, kInterfacesKey), ERROR_SUCCESS);
  EXPECT_FALSE(parent.HasValue(kTcpAckFrequency));
  EXPECT_TRUE(InterfaceKeys::TweakValues(dhcp).empty());
  EXPECT_TRUE(InterfaceKeys::TweakValues(other).empty());
}

TEST_F(TweakTest, IsTweakOnOnlyForTheNumberOne) {
  struct Case {
    const char* what;
    DWORD type;
    std::string bytes;
    bool on;
  } cases[] = {
      {"1", REG_DWORD, std::string("\x01\0\0\0", 4), true},
      {"0", REG_DWORD, std::string(4, '\0'), false},
      {"2", REG_DWORD, std::string("\x02\0\0\0", 4), false},
      {"text 1", REG_SZ, Bytes(L"1"), false},
      {"binary 1", REG_BINARY, std::string("\x01\0\0\0", 4), false},
      {"64-bit 1", REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8), false},
  };
  for (const auto& c : cases) {
    MsmqBackup::SetRaw(c.type, c.bytes);
    EXPECT_EQ(IsTweakOn(), c.on) << c.what;
  }
  MsmqBackup::Delete();
  EXPECT_FALSE(IsTweakOn());
  // The interface values are not consulted.
  EXPECT_TRUE(SetInterfaceTweak({dhcp}));
  EXPECT_FALSE(IsTweakOn());
  if (msmq.RemoveKeyIfOwn()) {
    EXPECT_FALSE(IsTweakOn());
    EXPECT_TRUE(ClearMsmqNoDelay());  // creates the key, also when clearing
    EXPECT_TRUE(MsmqBackup::KeyExists());
  }
}

TEST(ListConnectionIds, WithoutTheConnectionsFolderTheListStaysAsItWas) {
  // Wine has no netshell.dll; a real system lists its connections.
  if (::GetFileAttributesW(platform::SystemFolderPath(L"netshell.dll").c_str()) != INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "netshell.dll is present";
  InterfaceList list = {L"{KEPT}"};
  ListConnectionIds(list);
  EXPECT_EQ(list, InterfaceList{L"{KEPT}"});
}

TEST(MsmqNoDelay, OffClearsTheValueInBothRegistryViewsOnWriteOnlyInTheSystemsOwn) {
  test::ScopedRegistryOverride registry;
  ASSERT_TRUE(registry.active());
  const REGSAM view64 = KEY_WOW64_64KEY, view32 = KEY_WOW64_32KEY;
  auto holdsValue = [](REGSAM view) {
    platform::RegKey key;
    return key.Open(HKEY_LOCAL_MACHINE, kMsmqParametersKey, KEY_READ | view) == ERROR_SUCCESS &&
           key.HasValue(kTcpNoDelay);
  };
  auto keyIn = [](REGSAM view) {
    platform::RegKey key;
    return key.Open(HKEY_LOCAL_MACHINE, kMsmqParametersKey, KEY_READ | view) == ERROR_SUCCESS;
  };

  // On and Off with no 32-bit key: none is made there.
  EXPECT_TRUE(SetMsmqNoDelay());
  EXPECT_TRUE(IsTweakOn());
  EXPECT_TRUE(holdsValue(view64));
  EXPECT_FALSE(keyIn(view32));
  EXPECT_TRUE(ClearMsmqNoDelay());
  EXPECT_FALSE(IsTweakOn());
  EXPECT_FALSE(keyIn(view32));

  // A value left in the 32-bit view by an earlier 32-bit version: Off clears
  // it too, and the other values there stay.
  platform::RegKey old;
  ASSERT_EQ(old.Create(HKEY_LOCAL_MACHINE, kMsmqParametersKey, KEY_ALL_ACCESS | view32), ERROR_SUCCESS);
  ASSERT_EQ(old.WriteDword(kTcpNoDelay, 1), ERROR_SUCCESS);
  ASSERT_EQ(old.WriteDword(L"Other", 7), ERROR_SUCCESS);
  old = platform::RegKey();
  ASSERT_TRUE(holdsValue(view32)) << "the 32-bit view is not redirected";
  EXPECT_TRUE(SetMsmqNoDelay());
  EXPECT_TRUE(ClearMsmqNoDelay());
  EXPECT_FALSE(IsTweakOn());
  EXPECT_FALSE(holdsValue(view64));
  EXPECT_FALSE(holdsValue(view32));
  platform::RegKey kept;
  ASSERT_EQ(kept.Open(HKEY_LOCAL_MACHINE, kMsmqParametersKey, KEY_READ | view32), ERROR_SUCCESS);
  EXPECT_TRUE(kept.HasValue(L"Other"));
}
