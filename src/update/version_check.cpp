#include "update/version_check.h"

#include <windows.h>

#include "core/app_state.h"
#include "core/build_config.h"
#include "core/helpers.h"
#include "platform/http_client.h"
#include "platform/text_conv.h"
#include "update/popup_url.h"
#include "update/proxy.h"
#include "update/version_file.h"

namespace vantrel {
namespace {

std::wstring& VendorOverride() {
  static std::wstring value;
  return value;
}

std::wstring& AnnouncedUpdateUrl() {
  static std::wstring value;
  return value;
}

std::wstring OwnExecutable() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

}  // namespace

uint32_t PopupInterval = kDefaultPopupInterval;
std::wstring LaunchSiteText = L"NONE";

std::wstring VendorServer() {
  if (!VendorOverride().empty()) return VendorOverride();
  return KoreanUi ? VANTREL_WEB_KR_HOST : VANTREL_WEB_INTL_HOST;
}

std::wstring VendorUrl(const std::wstring& path) { return L"http://" + VendorServer() + path; }

void SetVendorServerForTesting(const std::wstring& hostPort) { VendorOverride() = hostPort; }

std::wstring CurrentUpdateUrl() {
  return AnnouncedUpdateUrl().empty() ? VendorUrl(L"/update/Vantrel.exe") : AnnouncedUpdateUrl();
}

bool CheckVersion(std::wstring& ownVersion) {
  ownVersion.clear();
  platform::HttpSettings settings;
  settings.connectTimeoutMs = kVersionCheckTimeoutMs;
  settings.readTimeoutMs = kVersionCheckTimeoutMs;
  settings.userAgent = L"Mozilla/3.0 (Vantrel)";
  const TProxySetting proxy = DetectProxy("http");
  if (proxy.Enabled) {
    settings.useProxy = true;
    settings.proxyHost = proxy.Host;
    settings.proxyPort = proxy.Port;
  }
  platform::HttpClient client(settings);
  std::string body;
  // One byte beyond the considered text tells a longer reply from one that
  // fits, so that the parser can drop a line cut at the limit.
  const platform::HttpResult reply = client.Get(VendorUrl(L"/version.html"), &body, kVersionFileLimit + 1);
  if (!reply.Success() || body.empty()) return false;

  const VersionAnnouncement a = ParseVersionFile(body);
  if (!a.version) return false;
  auto wide = [](const std::string& bytes) { return platform::ToWide(bytes, platform::kCodePageAnsi); };

  if (a.popupTime)
    if (const auto interval = PopupIntervalFor(*a.popupTime)) PopupInterval = *interval;
  const std::optional<std::string>& popup = KoreanUi ? a.popupUrl : a.enPopupUrl;
  // The page is opened by the shell later: only a web address is taken.
  if (popup && IsWebAddress(*popup)) PopupUrl = wide(*popup);
  ownVersion = GetFileVersionText(OwnExecutable(), L"FileVersion");
  if (a.launchSite && !a.launchSite->empty()) LaunchSiteText = wide(*a.launchSite);

  // Byte for byte: the own version in the same single-byte form as the reply.
  if (platform::ToNarrow(ownVersion, platform::kCodePageAnsi) == *a.version) return false;
  if (a.normalUpdateUrl && !a.normalUpdateUrl->empty()) AnnouncedUpdateUrl() = wide(*a.normalUpdateUrl);
  return true;
}

void ResetVersionCheckValuesForTesting() {
  PopupInterval = kDefaultPopupInterval;
  LaunchSiteText = L"NONE";
  AnnouncedUpdateUrl().clear();
  PopupUrl = InitialPopupUrl(KoreanUi);
}

}  // namespace vantrel
