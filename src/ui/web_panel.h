#pragma once
// A panel that embeds the system's WebBrowser control through a minimal OLE
// host (client site, in-place site and frame). When the control cannot be
// created (no browser engine, OLE not initialised) the panel stays an empty
// area and Navigate() reports false: nothing else changes.
#include <windows.h>
#include <exdisp.h>
#include <oleidl.h>
#include <wrl/client.h>

#include <string>

#include "ui/window.h"

namespace vantrel::ui {

class WebPanel : public Control {
 public:
  // `startBrowser` false: the browser is embedded later, by StartBrowser
  // (a window shows sooner without it).
  WebPanel(Container& parent, const Rect& designed, bool startBrowser = true);
  ~WebPanel() override;

  bool HasBrowser() const { return browser_ != nullptr; }
  // Embeds the browser when it is not there yet.
  void StartBrowser();
  // Starts loading a page; false without a browser or when it refused.
  bool Navigate(const std::wstring& url);
  const std::wstring& LastUrl() const { return lastUrl_; }

  void BindWindow(HWND) {}
  void UnbindWindow();
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  class Site;
  void Embed();
  void Release();
  void Resize();
  Microsoft::WRL::ComPtr<Site> site_;
  Microsoft::WRL::ComPtr<IOleObject> object_;
  Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
  std::wstring lastUrl_;
};

}  // namespace vantrel::ui
