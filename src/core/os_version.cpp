#include "core/os_version.h"

namespace vantrel {
namespace {

// The second character of the service-pack text once blanks around it are gone.
wchar_t SecondServicePackChar(const std::wstring& text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return 0;
  const auto last = text.find_last_not_of(L' ');
  const std::wstring trimmed = text.substr(first, last - first + 1);
  return trimmed.size() >= 2 ? trimmed[1] : 0;
}

int Classify9x(const OsVersionFacts& f) {
  switch (f.minor) {
    case 0:
      return SecondServicePackChar(f.servicePack) == L'B' ? kOsWin95Osr2 : kOsWin95;
    case 10:
      return SecondServicePackChar(f.servicePack) == L'A' ? kOsWin98Se : kOsWin98;
    case 90: {
      const unsigned high = (f.buildNumber >> 16) & 0xFFFF;
      const unsigned low = f.buildNumber & 0xFFFF;
      return (high == 0x045A && low == 3000) ? kOsWinMe : kOsUnknown;
    }
    default:
      return kOsWin9xOther;
  }
}

int ClassifyNt(const OsVersionFacts& f) {
  const bool workstation = f.productType == kProductWorkstation;
  switch (f.major) {
    case 3: return kOsNt3;
    case 4: return kOsNt4;
    case 5:
      switch (f.minor) {
        case 0: return kOsWin2000;
        case 1: return kOsWinXp;
        case 2: return kOsServer2003;
        default: return kOsNt5Other;
      }
    case 6:
      if (f.minor == 0) return workstation ? kOsVista : kOsServer2008;
      return workstation ? kOsWin7 : kOsServer2008R2;
    default:
      // Systems after 6.x report 6.2 to programs without a newer compatibility
      // entry; one that reports its true version is still Windows 7 or later.
      if (f.major > 6) return workstation ? kOsWin7 : kOsServer2008R2;
      return kOsUnknown;
  }
}

}  // namespace

bool NeedsProductType(unsigned platformId, unsigned major) { return platformId == kPlatformNt && major >= 6; }

int ClassifyOsVersion(const OsVersionFacts& facts) {
  switch (facts.platformId) {
    case kPlatformWin32s: return kOsWin32s;
    case kPlatformWin9x: return Classify9x(facts);
    case kPlatformNt: return ClassifyNt(facts);
    default: return kOsUnknown;
  }
}

unsigned OsFamilyOf(int code) {
  switch (code) {
    case kOsNt3:
    case kOsNt4:
    case kOsWin2000:
    case kOsNt5Other:
    case kOsServer2003:
      return kFamilyNtClassic;
    case kOsVista: return kFamilyVista;
    case kOsServer2008:
    case kOsServer2008R2:
      return kFamilyServer6;
    case kOsWin7: return kFamilyWin7;
    default: return kFamilyLegacy;
  }
}

}  // namespace vantrel
