#include "core/os_version.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct Case {
  const char* name;
  OsVersionFacts facts;
  int code;
  unsigned family;
};

constexpr unsigned kMeBuild = (0x045Au << 16) | 3000u;
constexpr unsigned kServer = 3;  // VER_NT_SERVER
constexpr unsigned kDomainController = 2;

const Case kCases[] = {
    {"unknown platform", {3, 4, 0, 0, L"", 0}, kOsUnknown, kFamilyLegacy},
    {"Win32s", {0, 3, 10, 0, L"", 0}, kOsWin32s, kFamilyLegacy},
    {"Windows 95", {1, 4, 0, 950, L"", 0}, kOsWin95, kFamilyLegacy},
    {"Windows 95 blank text", {1, 4, 0, 950, L"   ", 0}, kOsWin95, kFamilyLegacy},
    {"Windows 95 OSR2", {1, 4, 0, 1111, L" xB ", 0}, kOsWin95Osr2, kFamilyLegacy},
    {"Windows 95 other letter", {1, 4, 0, 1111, L"xC", 0}, kOsWin95, kFamilyLegacy},
    {"Windows 98", {1, 4, 10, 1998, L"", 0}, kOsWin98, kFamilyLegacy},
    {"Windows 98 SE", {1, 4, 10, 2222, L" xA", 0}, kOsWin98Se, kFamilyLegacy},
    {"Windows 98 second letter only", {1, 4, 10, 2222, L"A", 0}, kOsWin98, kFamilyLegacy},
    {"Windows ME", {1, 4, 90, kMeBuild, L"", 0}, kOsWinMe, kFamilyLegacy},
    {"Windows ME, other build", {1, 4, 90, (0x045Au << 16) | 3001u, L"", 0}, kOsUnknown, kFamilyLegacy},
    {"Windows ME, other version word", {1, 4, 90, (0x0400u << 16) | 3000u, L"", 0}, kOsUnknown, kFamilyLegacy},
    {"other 9x", {1, 4, 3, 0, L"", 0}, kOsWin9xOther, kFamilyLegacy},
    {"NT 3.51", {2, 3, 51, 1057, L"", 0}, kOsNt3, kFamilyNtClassic},
    {"NT 4", {2, 4, 0, 1381, L"Service Pack 6", 0}, kOsNt4, kFamilyNtClassic},
    {"Windows 2000", {2, 5, 0, 2195, L"", 0}, kOsWin2000, kFamilyNtClassic},
    {"Windows XP", {2, 5, 1, 2600, L"Service Pack 3", 0}, kOsWinXp, kFamilyLegacy},
    {"Server 2003", {2, 5, 2, 3790, L"", 0}, kOsServer2003, kFamilyNtClassic},
    {"other 5.x", {2, 5, 3, 0, L"", 0}, kOsNt5Other, kFamilyNtClassic},
    {"Vista", {2, 6, 0, 6000, L"", 1}, kOsVista, kFamilyVista},
    {"Server 2008", {2, 6, 0, 6001, L"", kServer}, kOsServer2008, kFamilyServer6},
    {"Server 2008 domain controller", {2, 6, 0, 6001, L"", kDomainController}, kOsServer2008, kFamilyServer6},
    {"Windows 7", {2, 6, 1, 7601, L"Service Pack 1", 1}, kOsWin7, kFamilyWin7},
    {"Windows 8 as reported", {2, 6, 2, 9200, L"", 1}, kOsWin7, kFamilyWin7},
    {"Server 2008 R2", {2, 6, 1, 7600, L"", kServer}, kOsServer2008R2, kFamilyServer6},
    {"Server 2012 as reported", {2, 6, 2, 9200, L"", kServer}, kOsServer2008R2, kFamilyServer6},
    {"NT 2.x", {2, 2, 0, 0, L"", 0}, kOsUnknown, kFamilyLegacy},
    // A system that reports its true version after 6.x is still Windows 7 or later.
    {"Windows 10 true version", {2, 10, 0, 19045, L"", 1}, kOsWin7, kFamilyWin7},
    {"Server 2019 true version", {2, 10, 0, 17763, L"", kServer}, kOsServer2008R2, kFamilyServer6},
};

TEST(OsVersion, ClassifiesEveryRowOfTheTable) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const int code = ClassifyOsVersion(c.facts);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(OsFamilyOf(code), c.family);
  }
}

TEST(OsVersion, Nt6TestUsesTheFamilyMask) {
  for (int code = 0; code <= 18; ++code) {
    SCOPED_TRACE(code);
    const bool nt6 = code == kOsVista || code == kOsServer2008 || code == kOsWin7 || code == kOsServer2008R2;
    EXPECT_EQ(IsNt6Family(OsFamilyOf(code)), nt6);
  }
  EXPECT_EQ(OsFamilyOf(16), kFamilyLegacy);  // no system has code 16
}

TEST(OsVersion, ProductTypeIsAskedOnlyForNt6AndLater) {
  EXPECT_TRUE(NeedsProductType(kPlatformNt, 6));
  EXPECT_TRUE(NeedsProductType(kPlatformNt, 10));
  EXPECT_FALSE(NeedsProductType(kPlatformNt, 5));
  EXPECT_FALSE(NeedsProductType(kPlatformWin9x, 6));
}

}  // namespace
}  // namespace vantrel
