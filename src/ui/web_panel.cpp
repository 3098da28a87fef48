#include "ui/web_panel.h"

#include <ole2.h>

#include <new>
#include <utility>

#include "platform/com_holders.h"

namespace vantrel::ui {

// The host side of the embedding: one object answers for the client site,
// the in-place site and the frame, which is all the control asks for.
class WebPanel::Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit Site(HWND host) : host_(host) {}
  void Detach() { host_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
      *out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
      *out = static_cast<IOleInPlaceFrame*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (shared by the in-place site and the frame)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = host_;
    return host_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return host_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (frame) {
      *frame = this;
      AddRef();
    }
    if (doc) *doc = nullptr;
    RECT client{};
    if (host_) ::GetClientRect(host_, &client);
    if (pos) *pos = client;
    if (clip) *clip = client;
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = host_ ? ::GetAncestor(host_, GA_ROOT) : nullptr;
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

  // IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  ~Site() = default;
  LONG refs_ = 1;
  HWND host_;
};

WebPanel::WebPanel(Container& parent, const Rect& designed, bool startBrowser) : Control(parent) {
  detail::RegisterKitClass(L"VantrelWebPanel", &detail::BoundProc<WebPanel>, 0,
                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  // Not a tab stop: the page is to be looked at, not typed into.
  if (CreateChild(L"VantrelWebPanel", L"", WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, designed, this) &&
      startBrowser)
    Embed();
}

void WebPanel::StartBrowser() {
  if (!HasBrowser() && hwnd()) Embed();
}

WebPanel::~WebPanel() { Release(); }

void WebPanel::Embed() {
  Microsoft::WRL::ComPtr<IOleObject> object;
  if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(object.GetAddressOf()))) ||
      !object)
    return;
  object_ = std::move(object);
  site_.Attach(new Site(hwnd()));  // takes the reference it was made with
  IOleClientSite* site = site_.Get();
  RECT client;
  ::GetClientRect(hwnd(), &client);
  Microsoft::WRL::ComPtr<IWebBrowser2> browser;
  if (FAILED(object_->SetClientSite(site)) ||
      FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, hwnd(), &client)) ||
      FAILED(object_.As(&browser)) || !browser) {
    Release();
    return;
  }
  browser_ = std::move(browser);
  browser_->put_Silent(VARIANT_TRUE);  // no script-error boxes over the main window
  Resize();
}

// The browser first, then the object's tie to the site, then the site.
void WebPanel::Release() {
  if (browser_) {
    browser_->Stop();
    browser_.Reset();
  }
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_.Reset();
  }
  if (site_) {
    site_->Detach();
    site_.Reset();
  }
}

void WebPanel::UnbindWindow() { Release(); }

void WebPanel::Resize() {
  if (!object_ || !hwnd()) return;
  RECT client;
  ::GetClientRect(hwnd(), &client);
  Microsoft::WRL::ComPtr<IOleInPlaceObject> inPlace;
  if (SUCCEEDED(object_.As(&inPlace)) && inPlace) inPlace->SetObjectRects(&client, &client);
}

bool WebPanel::Navigate(const std::wstring& url) {
  lastUrl_ = url;
  if (!browser_) return false;
  try {
    platform::UniqueBstr address(url);
    VARIANT empty;  // holds nothing, so there is nothing to clear
    ::VariantInit(&empty);
    return SUCCEEDED(browser_->Navigate(address.get(), &empty, &empty, &empty, &empty));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

LRESULT WebPanel::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZE) {
    Resize();
    return 0;
  }
  if (msg == WM_DESTROY) Release();
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vantrel::ui
