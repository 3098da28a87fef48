#pragma once
// Classification of the Windows version into the program's version code and
// family. Pure: the facts come from GetVersionEx (see GetOsVersionCode).
#include <string>

namespace vantrel {

// What GetVersionEx reports, as plain values.
struct OsVersionFacts {
  unsigned platformId = 0;    // 0 Win32s, 1 Windows 9x, 2 Windows NT
  unsigned major = 0;
  unsigned minor = 0;
  unsigned buildNumber = 0;   // dwBuildNumber as reported (9x: version in the high word)
  std::wstring servicePack;   // szCSDVersion
  unsigned productType = 0;   // wProductType of the extended structure; 1 = workstation
};

inline constexpr unsigned kPlatformWin32s = 0;
inline constexpr unsigned kPlatformWin9x = 1;
inline constexpr unsigned kPlatformNt = 2;
inline constexpr unsigned kProductWorkstation = 1;

// Version codes.
enum OsVersionCode : int {
  kOsUnknown = 0,
  kOsWin32s = 1,
  kOsWin95 = 2,
  kOsWin95Osr2 = 3,
  kOsWin98 = 4,
  kOsWin98Se = 5,
  kOsWinMe = 6,
  kOsWin9xOther = 7,
  kOsNt3 = 8,
  kOsNt4 = 9,
  kOsWin2000 = 10,
  kOsWinXp = 11,
  kOsNt5Other = 12,
  kOsServer2003 = 13,
  kOsVista = 14,
  kOsServer2008 = 15,
  kOsWin7 = 17,
  kOsServer2008R2 = 18,
};

// Family bits of a version code.
inline constexpr unsigned kFamilyNtClassic = 1;   // NT 3/4, 2000, 2003, other 5.x
inline constexpr unsigned kFamilyLegacy = 2;      // 9x, Win32s, XP, unrecognised
inline constexpr unsigned kFamilyVista = 4;
inline constexpr unsigned kFamilyServer6 = 8;     // Server 2008 and 2008 R2
inline constexpr unsigned kFamilyWin7 = 16;
inline constexpr unsigned kFamilyNt6Mask = 0x1C;  // Vista or later

// Whether the second, extended GetVersionEx query (product type) is needed.
bool NeedsProductType(unsigned platformId, unsigned major);

// The version code for what the system reports.
int ClassifyOsVersion(const OsVersionFacts& facts);

// The family for a version code (unknown codes count as the legacy family).
unsigned OsFamilyOf(int code);

// True when the family is Windows Vista or later (mask 0x1C).
inline bool IsNt6Family(unsigned family) { return (family & kFamilyNt6Mask) != 0; }

}  // namespace vantrel
