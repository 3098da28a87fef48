#include "platform/dialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace vantrel::platform {
namespace {

// comdlg32.dll (and what it loads in turn) comes in the first time a file is
// chosen, from the system folder, rather than with the program at start.
using GetOpenFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);
GetOpenFileNameFunction OpenFileNameFunction() {
  static const GetOpenFileNameFunction function = []() -> GetOpenFileNameFunction {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\comdlg32.dll";
    HMODULE module = ::LoadLibraryW(path.c_str());  // kept for the program's life
    return module ? reinterpret_cast<GetOpenFileNameFunction>(::GetProcAddress(module, "GetOpenFileNameW"))
                  : nullptr;
  }();
  return function;
}

class SystemDialogs final : public Dialogs {
 public:
  int Message(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  }
  bool OpenFileName(HWND owner, const std::wstring& filter, std::wstring* path) override {
    std::wstring f = filter;
    for (auto& c : f)
      if (c == L'|') c = L'\0';
    f.push_back(L'\0');
    std::vector<wchar_t> buffer(MAX_PATH * 4, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = f.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const GetOpenFileNameFunction getOpenFileName = OpenFileNameFunction();
    if (!getOpenFileName || !getOpenFileName(&ofn)) return false;
    if (path) *path = buffer.data();
    return true;
  }
  void ShellOpen(HWND owner, const std::wstring& target, const std::wstring& params, int show) override {
    ::ShellExecuteW(owner, L"open", target.c_str(), params.empty() ? nullptr : params.c_str(), nullptr, show);
  }
};

SystemDialogs& System() {
  static SystemDialogs instance;
  return instance;
}
Dialogs* installed = nullptr;

}  // namespace

Dialogs& CurrentDialogs() { return installed ? *installed : System(); }
void SetDialogs(Dialogs* dialogs) { installed = dialogs; }

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption) {
  CurrentDialogs().Message(owner, text, caption, MB_OK);
}
bool AskYesNo(HWND owner, const std::wstring& text, const std::wstring& caption) {
  return CurrentDialogs().Message(owner, text, caption, MB_YESNO) == IDYES;
}
void ShellOpen(const std::wstring& target, int show) { CurrentDialogs().ShellOpen(nullptr, target, L"", show); }

}  // namespace vantrel::platform
