// A stand-in for the network connections folder (netshell.dll), which Wine
// lacks: an in-process connection manager that lists the connections a test
// configured, plus NcFreeNetconProperties. It counts what is alive so that a
// test can see everything released. Test use only.
#include <windows.h>
#include <objbase.h>
#include <netcon.h>

#include <atomic>
#include <new>
#include <vector>

namespace {

const IID kManagerIid = {0xC08956A2, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
const IID kEnumIid = {0xC08956A0, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
const IID kConnectionIid = {0xC08956A1, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};

std::atomic<long> g_objects{0};     // COM objects alive
std::atomic<long> g_properties{0};  // property blocks handed out and not freed
std::vector<GUID> g_ids;
int g_failing = -1;  // index whose GetProperties fails

// IUnknown for one interface, counted in g_objects.
template <typename Interface>
class Object : public Interface {
 public:
  Object(const IID& iid) : iid_(iid) { ++g_objects; }
  virtual ~Object() { --g_objects; }
  HRESULT WINAPI QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid_)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++refs_; }
  ULONG WINAPI Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  const IID& iid_;
  std::atomic<ULONG> refs_{1};
};

wchar_t* CopyText(const wchar_t* text) {
  size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
  if (copy) memcpy(copy, text, bytes);
  return copy;
}

class Connection final : public Object<INetConnection> {
 public:
  explicit Connection(int index) : Object(kConnectionIid), index_(index) {}
  HRESULT WINAPI Connect() override { return E_NOTIMPL; }
  HRESULT WINAPI Disconnect() override { return E_NOTIMPL; }
  HRESULT WINAPI Delete() override { return E_NOTIMPL; }
  HRESULT WINAPI Duplicate(LPCWSTR, INetConnection**) override { return E_NOTIMPL; }
  HRESULT WINAPI GetProperties(NETCON_PROPERTIES** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index_ == g_failing) return E_FAIL;
    auto* p = static_cast<NETCON_PROPERTIES*>(::CoTaskMemAlloc(sizeof(NETCON_PROPERTIES)));
    if (!p) return E_OUTOFMEMORY;
    *p = NETCON_PROPERTIES{};
    p->guidId = g_ids[index_];
    p->pszwName = CopyText(L"Local Area Connection");
    p->pszwDeviceName = CopyText(L"Test Adapter");
    p->Status = NCS_CONNECTED;
    p->MediaType = NCM_LAN;
    ++g_properties;
    *out = p;
    return S_OK;
  }
  HRESULT WINAPI GetUiObjectClassId(CLSID*) override { return E_NOTIMPL; }
  HRESULT WINAPI Rename(LPCWSTR) override { return E_NOTIMPL; }

 private:
  int index_;
};

class Enumerator final : public Object<IEnumNetConnection> {
 public:
  Enumerator() : Object(kEnumIid) {}
  HRESULT WINAPI Next(ULONG count, INetConnection** out, ULONG* fetched) override {
    if (!out) return E_POINTER;
    ULONG got = 0;
    while (got < count && next_ < static_cast<int>(g_ids.size())) out[got++] = new (std::nothrow) Connection(next_++);
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
  }
  HRESULT WINAPI Skip(ULONG count) override {
    next_ += static_cast<int>(count);
    return S_OK;
  }
  HRESULT WINAPI Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT WINAPI Clone(IEnumNetConnection**) override { return E_NOTIMPL; }

 private:
  int next_ = 0;
};

class Manager final : public Object<INetConnectionManager> {
 public:
  Manager() : Object(kManagerIid) {}
  HRESULT WINAPI EnumConnections(NETCONMGR_ENUM_FLAGS, IEnumNetConnection** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) Enumerator();
    return *out ? S_OK : E_OUTOFMEMORY;
  }
};

class Factory final : public Object<IClassFactory> {
 public:
  Factory() : Object(IID_IClassFactory) {}
  HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* manager = new (std::nothrow) Manager();
    if (!manager) return E_OUTOFMEMORY;
    HRESULT hr = manager->QueryInterface(riid, out);
    manager->Release();
    return hr;
  }
  HRESULT WINAPI LockServer(BOOL) override { return S_OK; }
};

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID riid, void** out) {
  auto* factory = new (std::nothrow) Factory();
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }

__declspec(dllexport) VOID WINAPI NcFreeNetconProperties(NETCON_PROPERTIES* p) {
  if (!p) return;
  ::CoTaskMemFree(p->pszwName);
  ::CoTaskMemFree(p->pszwDeviceName);
  ::CoTaskMemFree(p);
  --g_properties;
}

// The connections the manager lists; GetProperties of `failing` fails.
__declspec(dllexport) void WINAPI FakeNetshellConfigure(const GUID* ids, int count, int failing) {
  g_ids.assign(ids, ids + count);
  g_failing = failing;
}

// Objects alive and property blocks not yet freed.
__declspec(dllexport) void WINAPI FakeNetshellCounts(long* objects, long* properties) {
  if (objects) *objects = g_objects;
  if (properties) *properties = g_properties;
}

}  // extern "C"
