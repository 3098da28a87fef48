#include "tweak/network.h"

#include <objbase.h>
#include <netcon.h>
#include <wrl/client.h>

#include "platform/library_search.h"
#include "platform/reg_key.h"
#include "platform/unique_handle.h"
#include "platform/windows_bitness.h"
#include "tweak/tweak_rules.h"

namespace vantrel {


namespace {

using Microsoft::WRL::ComPtr;
using platform::RegKey;

const CLSID kConnectionManagerClass = {0xBA126AD1, 0x2166, 0x11D1, {0xB1, 0xD0, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
const IID kConnectionManagerInterface = {
    0xC08956A2, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
constexpr DWORD kConnectionManagerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
// A connection manager that never ends its list must not keep the run going.
constexpr int kMaxConnections = 4096;

using FreeNetconProperties = VOID(WINAPI*)(NETCON_PROPERTIES*);

// COM on the calling thread in the multithreaded apartment, for one
// operation; left again when the initialisation succeeded (also S_FALSE).
class ComApartment {
 public:
  ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

// An interface id names one key below the interfaces key, never the key
// itself or a key further down.
bool IsKeyName(const std::wstring& id) { return !id.empty() && id.find(L'\\') == std::wstring::npos; }

[[nodiscard]] LONG OpenInterface(RegKey& key, const std::wstring& id, REGSAM access) {
  if (!IsKeyName(id)) return ERROR_INVALID_NAME;
  return key.Open(HKEY_LOCAL_MACHINE, kInterfacesKey + id, TweakKeyAccess(access));
}

std::vector<std::wstring> AddressesOf(const RegKey& key, const wchar_t* name) {
  std::vector<BYTE> data;
  DWORD type = 0;
  if (!key.ReadRaw(name, &data, &type)) return {};
  return InterfaceAddresses(type, data.data(), data.size());
}

bool HoldsAddress(const RegKey& key, const std::wstring& ip) {
  for (const wchar_t* name : {L"DhcpIPAddress", L"IPAddress"})
    for (const auto& address : AddressesOf(key, name))
      if (address == ip) return true;
  return false;
}

// Appends the connections of an opened connection manager.
void AppendConnections(INetConnectionManager* manager, FreeNetconProperties freeProperties, InterfaceList& list) {
  ComPtr<IEnumNetConnection> connections;
  if (FAILED(manager->EnumConnections(NCME_DEFAULT, connections.GetAddressOf())) || !connections) return;
  for (int count = 0; count < kMaxConnections; ++count) {
    ComPtr<INetConnection> connection;
    ULONG fetched = 0;
    if (connections->Next(1, connection.GetAddressOf(), &fetched) != S_OK || !connection) break;
    NETCON_PROPERTIES* properties = nullptr;
    if (FAILED(connection->GetProperties(&properties)) || properties == nullptr) continue;
    const GUID id = properties->guidId;
    freeProperties(properties);
    list.push_back(FormatInterfaceId(id.Data1, id.Data2, id.Data3, id.Data4));
  }
}

// The value in the 32-bit registry view of 64-bit Windows, where an earlier
// 32-bit version of the program wrote it: deleted when there, the key is
// never created. True when the value is gone.
bool ClearMsmqValueIn32BitView() {
  RegKey key;
  const LONG opened = key.Open(HKEY_LOCAL_MACHINE, kMsmqParametersKey, platform::kKeyReadWrite | KEY_WOW64_32KEY);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  const LONG rc = key.DeleteValue(kTcpNoDelay);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool SetMsmqValue(bool on) {
  RegKey key;
  if (key.Create(HKEY_LOCAL_MACHINE, kMsmqParametersKey, TweakKeyAccess(platform::kKeyReadWrite)) != ERROR_SUCCESS)
    return false;
  if (on) return key.WriteDword(kTcpNoDelay, 1) == ERROR_SUCCESS;
  const LONG rc = key.DeleteValue(kTcpNoDelay);
  const bool cleared = rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  // Both views, so that the button's state and the registry agree.
  const bool clearedOld = !platform::IsWindows64() || ClearMsmqValueIn32BitView();
  return cleared && clearedOld;
}

bool SetInterfaceValues(const InterfaceList& list, bool on) {
  if (list.empty()) return false;
  for (const auto& id : list) {
    RegKey key;
    if (OpenInterface(key, id, platform::kKeyReadWrite) != ERROR_SUCCESS) continue;
    if (on) {
      key.WriteDword(kTcpAckFrequency, 1);
      key.WriteDword(kTcpNoDelay, 1);
      key.WriteDword(kTcpDelAckTicks, 0);
    } else {
      key.DeleteValue(kTcpAckFrequency);
      key.DeleteValue(kTcpNoDelay);
      key.DeleteValue(kTcpDelAckTicks);
    }
  }
  return true;
}

// Runs one step of a tweak run; an exception ends the step, not the run.
template <typename Step>
bool Guarded(Step step) noexcept {
  try {
    step();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

REGSAM TweakKeyAccess(REGSAM access) { return platform::RunsUnderWow64() ? (access | KEY_WOW64_64KEY) : access; }

bool IsTweakOn() {
  RegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, kMsmqParametersKey, TweakKeyAccess(KEY_READ)) != ERROR_SUCCESS) return false;
  DWORD value = 0;
  return key.ReadDword(kTcpNoDelay, &value) && value == 1;
}

void ListConnectionIds(InterfaceList& list) {
  // From the system folder only: a netshell.dll beside the program or in the
  // current folder must not run with the program's rights.
  platform::UniqueModule netshell(platform::LoadSystemLibrary(L"netshell.dll"));
  if (!netshell) return;
  auto freeProperties =
      reinterpret_cast<FreeNetconProperties>(::GetProcAddress(netshell.get(), "NcFreeNetconProperties"));
  if (freeProperties == nullptr) return;
  ComApartment com;
  // Declared after the apartment and the library: released before they go.
  ComPtr<INetConnectionManager> manager;
  if (SUCCEEDED(::CoCreateInstance(kConnectionManagerClass, nullptr, kConnectionManagerContext,
                                   kConnectionManagerInterface, reinterpret_cast<void**>(manager.GetAddressOf()))) &&
      manager)
    AppendConnections(manager.Get(), freeProperties, list);
}

void KeepInterfacesWithIp(const std::wstring& ip, InterfaceList& list) {
  for (size_t i = list.size(); i-- > 0;) {
    RegKey key;
    if (OpenInterface(key, list[i], KEY_READ) != ERROR_SUCCESS) continue;
    if (!HoldsAddress(key, ip)) list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

bool SetMsmqNoDelay() { return SetMsmqValue(true); }
bool ClearMsmqNoDelay() { return SetMsmqValue(false); }
bool SetInterfaceTweak(const InterfaceList& list) { return SetInterfaceValues(list, true); }
bool ClearInterfaceTweak(const InterfaceList& list) { return SetInterfaceValues(list, false); }

std::wstring RenewCommandLine() {
  const std::wstring program = platform::SystemFolderPath(L"ipconfig.exe");
  if (program.empty()) return {};
  return L"\"" + program + L"\" /renew";
}

void RenewNetwork() {
  // By its full path: a bare "ipconfig" would be searched in the program
  // folder and the current folder before the system folder. Without
  // CREATE_NO_WINDOW a console program started from a windowed one gets a
  // console of its own, which costs about 100 ms and may flash.
  const std::wstring commandLine = RenewCommandLine();
  if (!commandLine.empty()) RunCommand(commandLine, SW_HIDE, true, 5000, CREATE_NO_WINDOW);
}

void TweakPause(DWORD ms) { ::Sleep(ms); }

void RunTweak(HWND window, const TweakSources& sources) noexcept {
  const bool clear = ClearTweak;
  {
    InterfaceList list;
    if (!Guarded([&] {
          if (sources.listConnections) sources.listConnections(list);
        }))
      list.clear();
    if (sources.pause) sources.pause(500);
    // An address that cannot be told leaves the list whole: every connection
    // gets the change. A filter that fails half-way touches no interface.
    if (!Guarded([&] {
          const std::wstring ip = sources.localIp ? sources.localIp() : std::wstring();
          if (!ip.empty()) KeepInterfacesWithIp(ip, list);
        }))
      list.clear();
    Guarded([&] {
      if (clear) {
        ClearMsmqNoDelay();
        ClearInterfaceTweak(list);
      } else {
        SetMsmqNoDelay();
        SetInterfaceTweak(list);
      }
    });
    Guarded([&] {
      if (sources.renewNetwork) sources.renewNetwork();
    });
  }  // the list is released here
  if (sources.pause) sources.pause(500);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
}

DWORD WINAPI TweakWorker(LPVOID param) {
  RunTweak(static_cast<HWND>(param));
  return 0;
}

}  // namespace vantrel
