#pragma once
// Registry paths that several parts of the program open (relative to the
// root key named with them).

namespace vantrel {

// The start-up programs of the machine (HKEY_LOCAL_MACHINE) and of the user
// (HKEY_CURRENT_USER); the settings window keeps the "Vantrel" value here.
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace vantrel
