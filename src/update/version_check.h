#pragma once
// The version check: the announcement "/version.html" on the vendor's web
// server, read at start and from the main window's Update button, and the
// process-wide values it sets.
#include <cstdint>
#include <string>

namespace vantrel {

// Changed only by a successful CheckVersion; never saved.
extern uint32_t PopupInterval;       // milliseconds; 8 hours until announced
extern std::wstring LaunchSiteText;  // "NONE" until announced
// The primary download address of the new program; "/update/Vantrel.exe" on
// the vendor's web server until an update announces another.
std::wstring CurrentUpdateUrl();

// The vendor's web server (host, or host:port) of the user-interface
// language: it serves "/version.html" and "/update/Vantrel.exe".
std::wstring VendorServer();
// "http://" + VendorServer() + path.
std::wstring VendorUrl(const std::wstring& path);
// Tests point the vendor's server at their local one (empty: the built-in).
void SetVendorServerForTesting(const std::wstring& hostPort);

// Connect and read time-outs of the check, in milliseconds.
inline constexpr unsigned kVersionCheckTimeoutMs = 3000;

// Fetches and reads the announcement; true when an update is needed (the
// announced version differs from the program's own FileVersion, byte for
// byte). `ownVersion` gets the own version text whenever the reply held a
// version line and is empty otherwise. Every failure is silent and gives
// false with all values unchanged.
bool CheckVersion(std::wstring& ownVersion);

// Back to the values of a fresh start (tests).
void ResetVersionCheckValuesForTesting();

}  // namespace vantrel
