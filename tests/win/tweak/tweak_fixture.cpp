#include "tweak_fixture.h"

#include <objbase.h>
#include <shlwapi.h>

#include "tweak/tweak_rules.h"

namespace vantrel::test {
namespace {

using platform::RegKey;

const wchar_t kMsmqKey[] = L"SOFTWARE\\Microsoft\\MSMQ";
const wchar_t kParametersKey[] = L"SOFTWARE\\Microsoft\\MSMQ\\Parameters";

std::wstring InterfacePath(const std::wstring& id) { return platform::RelativeKeyPath(kInterfacesKey) + id; }

bool PathExists(const std::wstring& path) {
  RegKey key;
  return key.Open(HKEY_LOCAL_MACHINE, path) == ERROR_SUCCESS;
}

RegKey OpenForTest(const std::wstring& path) {
  RegKey key;
  (void)key.Create(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
  return key;
}

}  // namespace

std::wstring NewInterfaceId() {
  GUID g{};
  ::CoCreateGuid(&g);
  return FormatInterfaceId(g.Data1, g.Data2, g.Data3, g.Data4);
}

InterfaceKeys::~InterfaceKeys() {
  for (const auto& id : ids_) ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, InterfacePath(id).c_str());
}

std::wstring InterfaceKeys::Add() {
  std::wstring id = NewInterfaceId();
  ids_.push_back(id);
  OpenForTest(InterfacePath(id));
  return id;
}

void InterfaceKeys::SetText(const std::wstring& id, const wchar_t* name, const std::wstring& text) {
  OpenForTest(InterfacePath(id)).WriteString(name, text);
}

void InterfaceKeys::SetAddresses(const std::wstring& id, const wchar_t* name, const std::vector<std::wstring>& list) {
  std::wstring multi;
  for (const auto& a : list) multi += a + L'\0';
  multi += L'\0';
  OpenForTest(InterfacePath(id)).WriteRaw(name, REG_MULTI_SZ, multi.data(),
                                          static_cast<DWORD>(multi.size() * sizeof(wchar_t)));
}

void InterfaceKeys::SetRaw(const std::wstring& id, const wchar_t* name, DWORD type, const std::string& bytes) {
  OpenForTest(InterfacePath(id)).WriteRaw(name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool InterfaceKeys::Exists(const std::wstring& id) { return PathExists(InterfacePath(id)); }

std::vector<std::wstring> InterfaceKeys::TweakValues(const std::wstring& id) {
  std::vector<std::wstring> names;
  RegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, InterfacePath(id)) != ERROR_SUCCESS) return names;
  for (const wchar_t* name : {kTcpAckFrequency, kTcpNoDelay, kTcpDelAckTicks})
    if (key.HasValue(name)) names.push_back(name);
  return names;
}

bool InterfaceKeys::HoldsTweak(const std::wstring& id) {
  RegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, InterfacePath(id)) != ERROR_SUCCESS) return false;
  DWORD ack = 9, noDelay = 9, ticks = 9;
  return key.ReadDword(kTcpAckFrequency, &ack) && key.ReadDword(kTcpNoDelay, &noDelay) &&
         key.ReadDword(kTcpDelAckTicks, &ticks) && ack == 1 && noDelay == 1 && ticks == 0;
}

MsmqBackup::MsmqBackup() {
  msmqExisted_ = PathExists(kMsmqKey);
  parametersExisted_ = PathExists(kParametersKey);
  RegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, kParametersKey) == ERROR_SUCCESS)
    valueExisted_ = key.ReadRaw(kTcpNoDelay, &data_, &type_);
}

MsmqBackup::~MsmqBackup() {
  if (!msmqExisted_) {
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kMsmqKey);
    return;
  }
  if (!parametersExisted_) {
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kParametersKey);
    return;
  }
  RegKey key = OpenForTest(kParametersKey);
  if (valueExisted_)
    key.WriteRaw(kTcpNoDelay, type_, data_.data(), static_cast<DWORD>(data_.size()));
  else
    key.DeleteValue(kTcpNoDelay);
}

bool MsmqBackup::RemoveKeyIfOwn() {
  if (parametersExisted_) return false;
  ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kParametersKey);
  return true;
}

bool MsmqBackup::KeyExists() { return PathExists(kParametersKey); }

void MsmqBackup::SetRaw(DWORD type, const std::string& bytes) {
  OpenForTest(kParametersKey).WriteRaw(kTcpNoDelay, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void MsmqBackup::Delete() { OpenForTest(kParametersKey).DeleteValue(kTcpNoDelay); }

long long MsmqBackup::Value() {
  RegKey key;
  DWORD v = 0;
  if (key.Open(HKEY_LOCAL_MACHINE, kParametersKey) != ERROR_SUCCESS || !key.ReadDword(kTcpNoDelay, &v)) return -1;
  return v;
}

CloseTarget::CloseTarget() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VantrelTweakCloseTarget";
  ::RegisterClassW(&wc);  // a second registration fails harmlessly
  window_ = ::CreateWindowExW(0, wc.lpszClassName, L"progress", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              wc.hInstance, nullptr);
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CloseTarget::~CloseTarget() {
  if (::IsWindow(window_)) ::DestroyWindow(window_);
}

bool CloseTarget::WaitForClose(UINT limitMs) {
  const UINT_PTR timer = ::SetTimer(window_, 1, limitMs, nullptr);
  MSG msg;
  while (closes_ == 0 && !timedOut_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::KillTimer(window_, timer);
  return closes_ > 0;
}

LRESULT CALLBACK CloseTarget::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<CloseTarget*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == WM_CLOSE) {
    ++self->closes_;
    return 0;
  }
  if (self && msg == WM_TIMER) self->timedOut_ = true;
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

bool RunTweakWorker(CloseTarget& window) {
  HANDLE thread = ::CreateThread(nullptr, 0, TweakWorker, window.get(), 0, nullptr);
  if (!thread) return false;
  const bool closed = window.WaitForClose();
  const bool ended = ::WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
  DWORD code = 99;
  ::GetExitCodeThread(thread, &code);
  ::CloseHandle(thread);
  return closed && ended && code == 0 && window.closes() == 1;
}

}  // namespace vantrel::test
