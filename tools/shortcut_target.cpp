// shortcut_target LINK
// Prints what a shell link (.lnk) starts, as UTF-8 lines: the target path, its
// arguments and its working folder. Exit 1 when the link cannot be read. Used
// by the release tests to start the program the way the Start menu would.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

namespace {

void WriteLine(const std::wstring& text) {
  std::string line;
  int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  line.resize(static_cast<size_t>(n));
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), line.data(), n, nullptr, nullptr);
  line += '\n';
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

int ReadLink(const wchar_t* path) {
  IShellLinkW* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
    return 1;
  int rc = 1;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t target[MAX_PATH * 4] = {}, args[MAX_PATH * 4] = {}, dir[MAX_PATH * 4] = {};
    bool loaded = SUCCEEDED(file->Load(path, STGM_READ));
    // The target through its item list, as the shell starts it: the stored
    // path text may be the ANSI one, which cannot carry every name.
    PIDLIST_ABSOLUTE items = nullptr;
    if (loaded && SUCCEEDED(link->GetIDList(&items)) && items) {
      if (!::SHGetPathFromIDListW(items, target)) target[0] = L'\0';
      ::CoTaskMemFree(items);
    }
    if (loaded && (target[0] || link->GetPath(target, ARRAYSIZE(target), nullptr, 0) == S_OK)) {
      link->GetArguments(args, ARRAYSIZE(args));
      link->GetWorkingDirectory(dir, ARRAYSIZE(dir));
      WriteLine(target);
      WriteLine(args);
      WriteLine(dir);
      rc = 0;
    }
    file->Release();
  }
  link->Release();
  return rc;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  if (FAILED(::CoInitialize(nullptr))) return 1;
  int rc = ReadLink(argv[1]);
  ::CoUninitialize();
  return rc;
}
