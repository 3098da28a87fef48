#pragma once
// The TCP/IP tweak engine: immediate acknowledgement and "no delay" for the
// interface that carries the computer's own address, plus "no delay" for
// Message Queuing. Its state lives only in the registry (HKEY_LOCAL_MACHINE).
#include <windows.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/helpers.h"

namespace vantrel {

// Registry places of the tweak (relative to HKEY_LOCAL_MACHINE).
inline constexpr wchar_t kInterfacesKey[] = L"\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
inline constexpr wchar_t kMsmqParametersKey[] = L"\\SOFTWARE\\Microsoft\\MSMQ\\Parameters";
inline constexpr wchar_t kTcpAckFrequency[] = L"TcpAckFrequency";
inline constexpr wchar_t kTcpNoDelay[] = L"TCPNoDelay";
inline constexpr wchar_t kTcpDelAckTicks[] = L"TcpDelAckTicks";

// The access for the tweak's keys: `access` plus, for a 32-bit program on
// 64-bit Windows, the system's own (64-bit) view, which the network stack and
// Message Queuing read. Readers of the tweak values (the status view) use it too.
REGSAM TweakKeyAccess(REGSAM access);

// Interface ids ("{GUID}" in upper case), in the order they were found.
using InterfaceList = std::vector<std::wstring>;

// True when "TCPNoDelay" under the Message Queuing parameters is the
// REG_DWORD 1. Missing, 0, or stored as anything but a number: false.
bool IsTweakOn();

// Appends the ids of all network connections (netshell.dll's connection
// manager, loaded at run time from the system folder by its full path).
// Appends nothing when it is not available.
void ListConnectionIds(InterfaceList& list);

// Keeps the ids whose interface key holds `ip` as its DHCP or a fixed
// address; ids whose key cannot be opened are kept. Order is kept.
void KeepInterfacesWithIp(const std::wstring& ip, InterfaceList& list);

// Write "TCPNoDelay" = 1 / delete it under the Message Queuing parameters,
// creating the key when missing (also when clearing). True when done.
// On 64-bit Windows clearing also deletes the value from the 32-bit registry
// view (left there by an earlier 32-bit version), without creating the key
// there; it is done only when both views are clear.
bool SetMsmqNoDelay();
bool ClearMsmqNoDelay();

// Write (1, 1, 0) / delete "TcpAckFrequency", "TCPNoDelay", "TcpDelAckTicks"
// on each listed interface whose key exists (keys are never created).
// False only when the list is empty.
bool SetInterfaceTweak(const InterfaceList& list);
bool ClearInterfaceTweak(const InterfaceList& list);

// Runs "ipconfig /renew" hidden and waits for it at most 5,000 ms (one that
// takes longer is left running). The program is the system folder's,
// started by its full path; nothing runs when that folder cannot be told.
void RenewNetwork();
// The command line it runs: the quoted full path of ipconfig.exe, then " /renew".
std::wstring RenewCommandLine();

// The tweak run's wait between its steps: Sleep(ms).
void TweakPause(DWORD ms);

// Where a tweak run finds its connections and its address, how it renews
// the network and how it waits. The defaults are the real ones; tests
// replace what Wine lacks, and may shorten the waits (none when null).
struct TweakSources {
  void (*listConnections)(InterfaceList& list) = ListConnectionIds;
  std::wstring (*localIp)() = GetLocalIpAddress;
  void (*renewNetwork)() = RenewNetwork;
  void (*pause)(DWORD ms) = TweakPause;
};

// One run: list the connections, pause 500 ms, keep those with the local
// address (all of them when it is unknown), apply or remove the tweak as
// ClearTweak says, renew the network, release the list, pause 500 ms and post
// WM_CLOSE to `window`. Shows nothing; never throws; always posts WM_CLOSE.
void RunTweak(HWND window, const TweakSources& sources = {}) noexcept;

// Thread procedure of the progress window: `param` is its HWND. Returns 0.
DWORD WINAPI TweakWorker(LPVOID param);

}  // namespace vantrel
