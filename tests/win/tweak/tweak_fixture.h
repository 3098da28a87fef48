#pragma once
// Registry arrangements for the tweak engine tests, on the real HKLM of the
// test prefix: interface keys under fresh GUIDs (removed afterwards) and a
// saved and restored Message Queuing "TCPNoDelay".
#include <windows.h>

#include <string>
#include <vector>

#include "platform/reg_key.h"
#include "tweak/network.h"

namespace vantrel::test {

// A new random interface id, formatted as the engine formats them.
std::wstring NewInterfaceId();

// Interface keys that the test creates; all are deleted with their trees.
class InterfaceKeys {
 public:
  InterfaceKeys() = default;
  ~InterfaceKeys();
  InterfaceKeys(const InterfaceKeys&) = delete;
  InterfaceKeys& operator=(const InterfaceKeys&) = delete;

  // Creates the key of a new id and returns the id.
  std::wstring Add();
  // An id whose key is never created.
  std::wstring Missing() { return NewInterfaceId(); }

  static void SetText(const std::wstring& id, const wchar_t* name, const std::wstring& text);
  static void SetAddresses(const std::wstring& id, const wchar_t* name, const std::vector<std::wstring>& list);
  static void SetRaw(const std::wstring& id, const wchar_t* name, DWORD type, const std::string& bytes);

  static bool Exists(const std::wstring& id);
  // The names among the three tweak values that the key holds.
  static std::vector<std::wstring> TweakValues(const std::wstring& id);
  // True when the key holds exactly TcpAckFrequency=1, TCPNoDelay=1, TcpDelAckTicks=0 as REG_DWORD.
  static bool HoldsTweak(const std::wstring& id);

 private:
  std::vector<std::wstring> ids_;
};

// Saves the Message Queuing parameters' "TCPNoDelay" (and whether its keys
// existed) and puts everything back at the end.
class MsmqBackup {
 public:
  MsmqBackup();
  ~MsmqBackup();
  MsmqBackup(const MsmqBackup&) = delete;
  MsmqBackup& operator=(const MsmqBackup&) = delete;

  // Removes the parameters key, when the test itself made it; false otherwise.
  bool RemoveKeyIfOwn();
  static bool KeyExists();
  static void SetRaw(DWORD type, const std::string& bytes);
  static void Delete();
  // "TCPNoDelay" as a REG_DWORD, or -1 when missing or of another type.
  static long long Value();

 private:
  bool msmqExisted_ = false, parametersExisted_ = false, valueExisted_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
};

// A real top-level window, standing in for the progress window: it notes
// WM_CLOSE (and stays, as a window that ends its modal loop there).
class CloseTarget {
 public:
  CloseTarget();
  ~CloseTarget();
  CloseTarget(const CloseTarget&) = delete;
  CloseTarget& operator=(const CloseTarget&) = delete;
  HWND get() const { return window_; }
  int closes() const { return closes_; }

  // Pumps messages until WM_CLOSE arrived or `limitMs` passed (a guard
  // against a hang, not a timing check). True when it arrived.
  bool WaitForClose(UINT limitMs = 30000);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND window_ = nullptr;
  int closes_ = 0;
  bool timedOut_ = false;
};

// Starts TweakWorker on its own thread with `window`, as the progress window
// does, waits for WM_CLOSE and for the thread's end; false on a hang.
bool RunTweakWorker(CloseTarget& window);

}  // namespace vantrel::test
