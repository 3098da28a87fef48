#include "support/process_driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <utility>

#include "support/child_role.h"

namespace vantrel::test {
namespace {

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Parent id of every running process.
std::multimap<DWORD, DWORD> ChildrenByParent() {
  std::multimap<DWORD, DWORD> children;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (::Process32FirstW(snapshot, &entry)) {
    do {
      if (entry.th32ProcessID != entry.th32ParentProcessID)
        children.emplace(entry.th32ParentProcessID, entry.th32ProcessID);
    } while (::Process32NextW(snapshot, &entry));
  }
  ::CloseHandle(snapshot);
  return children;
}

// The process that owns the desktop window. Wine starts its desktop process
// (explorer.exe) on demand as a child of the first process that needs a
// desktop, which may well be a program a test started; ending it with that
// program's tree leaves the server with a desktop whose display window is
// gone, and every program started afterwards dies creating its first window.
DWORD DesktopProcessId() {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(::GetDesktopWindow(), &owner);
  return owner;
}

void CollectTree(DWORD id, ULONGLONG parentCreated, const std::multimap<DWORD, DWORD>& children,
                 std::vector<std::pair<DWORD, HANDLE>>* out, int depth, DWORD desktop) {
  if (depth > 16) return;
  auto range = children.equal_range(id);
  for (auto it = range.first; it != range.second; ++it) {
    const DWORD child = it->second;
    if (child == ::GetCurrentProcessId() || child == desktop) continue;
    HANDLE h = ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, child);
    if (!h) continue;
    const ULONGLONG created = CreationTime(h);
    if (parentCreated != 0 && created != 0 && created < parentCreated) {  // a reused id
      ::CloseHandle(h);
      continue;
    }
    out->emplace_back(child, h);
    CollectTree(child, created, children, out, depth + 1, desktop);
  }
}

struct EnumState {
  std::wstring className;
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (state->processId != 0 && owner != state->processId) return TRUE;
  if (!state->className.empty() && _wcsicmp(WindowClass(window).c_str(), state->className.c_str()) != 0)
    return TRUE;
  state->found.push_back(window);
  return TRUE;
}

struct ChildSearch {
  std::wstring text;
  std::wstring className;
  int id = 0;
  bool byId = false;
  HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (search->byId) {
    if (::GetDlgCtrlID(window) == search->id) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }
  if (!search->className.empty() && _wcsicmp(WindowClass(window).c_str(), search->className.c_str()) != 0)
    return TRUE;
  if (WindowText(window) == search->text) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Memory in another process, released when it goes.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, size_t size) : process_(process) {
    address_ = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  BYTE* get() const { return static_cast<BYTE*>(address_); }

 private:
  HANDLE process_;
  void* address_ = nullptr;
};

// Sends a message whose lParam points at a structure, through memory in the
// window's process: `in` is copied there first and read back into `out`.
template <typename T>
bool SendWithRemote(HWND window, UINT message, WPARAM wp, const T& in, T* out, DWORD_PTR* result = nullptr) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  if (!processId) return false;
  HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return false;
  bool ok = false;
  {
    RemoteBuffer remote(process, sizeof(T));
    SIZE_T moved = 0;
    DWORD_PTR answer = 0;
    ok = remote.get() && ::WriteProcessMemory(process, remote.get(), &in, sizeof in, &moved) &&
         ::SendMessageTimeoutW(window, message, wp, reinterpret_cast<LPARAM>(remote.get()), SMTO_ABORTIFHUNG, 2000,
                               &answer) &&
         ::ReadProcessMemory(process, remote.get(), out, sizeof(T), &moved);
    if (result) *result = answer;
  }
  ::CloseHandle(process);
  return ok;
}

bool SendTimeout(HWND window, UINT message, WPARAM wp, LPARAM lp, DWORD_PTR* result) {
  return ::SendMessageTimeoutW(window, message, wp, lp, SMTO_ABORTIFHUNG, 2000, result) != 0;
}

// A press and a release of a mouse button at a point of the window's client
// area, posted in order as the mouse would deliver them.
bool PostClick(HWND window, POINT at, MouseButton button) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  const bool left = button == MouseButton::Left;
  return ::PostMessageW(window, WM_MOUSEMOVE, 0, where) &&
         ::PostMessageW(window, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, where) &&
         ::PostMessageW(window, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, where);
}

}  // namespace

std::wstring ChildRole() {
  const std::wstring line = ::GetCommandLineW();
  const std::wstring key = kChildRoleSwitch;
  const auto at = line.find(key);
  if (at == std::wstring::npos) return {};
  const auto start = at + key.size();
  const auto end = line.find_first_of(L" \t\"", start);
  return line.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

std::wstring OwnExePath() {
  wchar_t path[MAX_PATH * 2] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return path;
}

ChildProcess::~ChildProcess() { EndTree(); }

ChildProcess::ChildProcess(ChildProcess&& o) noexcept
    : process_(std::exchange(o.process_, nullptr)), id_(std::exchange(o.id_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& o) noexcept {
  if (this != &o) {
    EndTree();
    process_ = std::exchange(o.process_, nullptr);
    id_ = std::exchange(o.id_, 0);
  }
  return *this;
}

ChildProcess ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder) {
  std::wstring line = L"\"" + exe + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  std::wstring dir = folder;
  if (dir.empty()) {
    const auto slash = exe.find_last_of(L'\\');
    if (slash != std::wstring::npos) dir = exe.substr(0, slash);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ChildProcess child;
  if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &startup, &info))
    return child;
  ::CloseHandle(info.hThread);
  child.process_ = info.hProcess;
  child.id_ = info.dwProcessId;
  return child;
}

bool ChildProcess::Running() const {
  return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
  if (!process_) return false;
  if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) ::GetExitCodeProcess(process_, exitCode);
  return true;
}

void ChildProcess::EndTree() {
  if (!process_) return;
  // Also when the program itself has ended: what it started may still run.
  // The handle held here keeps its process id from being reused meanwhile.
  EndProcessTree(id_);
  ::WaitForSingleObject(process_, 5000);
  ::CloseHandle(process_);
  process_ = nullptr;
  id_ = 0;
}

void EndProcessTree(DWORD processId) {
  const DWORD desktop = DesktopProcessId();
  if (processId == desktop) return;
  HANDLE root = ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, processId);
  if (!root) return;
  std::vector<std::pair<DWORD, HANDLE>> tree;
  CollectTree(processId, CreationTime(root), ChildrenByParent(), &tree, 0, desktop);
  // The root first, so that it starts nothing more; then what it started.
  ::TerminateProcess(root, 1);
  ::WaitForSingleObject(root, 5000);
  ::CloseHandle(root);
  for (auto& [id, handle] : tree) {
    ::TerminateProcess(handle, 1);
    ::WaitForSingleObject(handle, 5000);
    ::CloseHandle(handle);
  }
}

std::wstring EnvironmentValue(const std::wstring& name) {
  const DWORD n = ::GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  const DWORD got = ::GetEnvironmentVariableW(name.c_str(), value.data(), n);
  value.resize(got);
  return value;
}

ScopedEnvironment::ScopedEnvironment(std::wstring name, const std::wstring& value) : name_(std::move(name)) {
  had_ = ::GetEnvironmentVariableW(name_.c_str(), nullptr, 0) != 0;
  old_ = EnvironmentValue(name_);
  ::SetEnvironmentVariableW(name_.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  ::SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr);
}

std::vector<HWND> TopLevelWindows(const std::wstring& className, DWORD processId) {
  EnumState state{className, processId, {}};
  ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

HWND WaitForTopLevelWindow(const std::wstring& className, DWORD processId, DWORD timeoutMs, bool mustBeVisible) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopLevelWindows(className, processId)) {
          if (!mustBeVisible || ::IsWindowVisible(w)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
    return {};
  text.resize(copied);
  return text;
}

std::wstring WindowClass(HWND window) {
  wchar_t name[256] = {};
  const int n = ::GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? n : 0);
}

HWND FindChildByText(HWND parent, const std::wstring& text, const std::wstring& className) {
  ChildSearch search;
  search.text = text;
  search.className = className;
  ::EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChildById(HWND parent, int id) {
  ChildSearch search;
  search.byId = true;
  search.id = id;
  ::EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForChildByText(HWND parent, const std::wstring& text, DWORD timeoutMs, const std::wstring& className) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindChildByText(parent, text, className)) != nullptr; }, timeoutMs);
  return found;
}

HWND WaitForChildById(HWND parent, int id, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindChildById(parent, id)) != nullptr; }, timeoutMs);
  return found;
}

bool ClickButton(HWND button) { return button != nullptr && ::PostMessageW(button, BM_CLICK, 0, 0) != 0; }

bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo* box) {
  HWND found = WaitForTopLevelWindow(L"#32770", processId, timeoutMs, true);
  if (!found) return false;
  if (box) {
    box->window = found;
    box->caption = WindowText(found);
    // The text control may be created a moment after the box itself.
    HWND text = WaitForChildById(found, 0xFFFF, 2000);
    box->text = text ? WindowText(text) : std::wstring();
  }
  return true;
}

bool AnswerMessageBox(HWND box, int buttonId) {
  if (HWND button = FindChildById(box, buttonId)) return ClickButton(button);
  return ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0) != 0;
}

int ListViewItemCount(HWND list) {
  DWORD_PTR count = 0;
  if (!::SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) return 0;
  return static_cast<int>(count);
}

std::wstring ListViewItemText(HWND list, int item, int subItem) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(list, &processId);
  HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return {};
  constexpr int kChars = 1024;
  std::wstring text;
  {
    // One block: the item structure, then the text buffer it points at.
    RemoteBuffer remote(process, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    if (!remote.get()) {
      ::CloseHandle(process);
      return text;
    }
    LVITEMW request{};
    request.mask = LVIF_TEXT;
    request.iItem = item;
    request.iSubItem = subItem;
    request.cchTextMax = kChars;
    request.pszText = reinterpret_cast<wchar_t*>(remote.get() + sizeof(LVITEMW));
    SIZE_T moved = 0;
    DWORD_PTR length = 0;
    if (::WriteProcessMemory(process, remote.get(), &request, sizeof request, &moved) &&
        ::SendMessageTimeoutW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(remote.get()),
                              SMTO_ABORTIFHUNG, 2000, &length)) {
      std::wstring buffer(kChars, L'\0');
      if (::ReadProcessMemory(process, request.pszText, buffer.data(), kChars * sizeof(wchar_t), &moved)) {
        buffer.resize(std::min<size_t>(length, kChars - 1));
        text = buffer;
      }
    }
  }
  ::CloseHandle(process);
  return text;
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns) {
  std::vector<std::vector<std::wstring>> rows;
  const int count = ListViewItemCount(list);
  for (int i = 0; i < count; ++i) {
    std::vector<std::wstring> row;
    for (int c = 0; c < columns; ++c) row.push_back(ListViewItemText(list, i, c));
    rows.push_back(std::move(row));
  }
  return rows;
}

int ListViewStateImage(HWND list, int item) {
  DWORD_PTR state = 0;
  if (!SendTimeout(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK, &state)) return -1;
  return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12);
}

bool ListViewChecked(HWND list, int item) { return ListViewStateImage(list, item) == 2; }

int ListViewItemImage(HWND list, int item, int subItem) {
  LVITEMW request{};
  request.mask = LVIF_IMAGE;
  request.iItem = item;
  request.iSubItem = subItem;
  request.iImage = -1;
  LVITEMW answer{};
  DWORD_PTR ok = 0;
  if (!SendWithRemote(list, LVM_GETITEMW, 0, request, &answer, &ok) || !ok) return -1;
  return answer.iImage;
}

RECT ListViewCellRect(HWND list, int item, int subItem) {
  RECT request{};
  request.top = subItem;
  request.left = subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS;
  RECT answer{};
  DWORD_PTR ok = 0;
  if (!SendWithRemote(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), request, &answer, &ok) || !ok) return {};
  return answer;
}

bool ClickListCell(HWND list, int item, int subItem, MouseButton button) {
  const RECT cell = ListViewCellRect(list, item, subItem);
  if (cell.right <= cell.left || cell.bottom <= cell.top) return false;
  return PostClick(list, POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2}, button);
}

int TabCount(HWND tabs) {
  DWORD_PTR count = 0;
  return SendTimeout(tabs, TCM_GETITEMCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

int SelectedTab(HWND tabs) {
  DWORD_PTR selected = 0;
  return SendTimeout(tabs, TCM_GETCURSEL, 0, 0, &selected) ? static_cast<int>(static_cast<LONG_PTR>(selected)) : -1;
}

bool SelectTab(HWND tabs, int index) {
  RECT answer{};
  DWORD_PTR ok = 0;
  if (!SendWithRemote(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), RECT{}, &answer, &ok) || !ok) return false;
  if (!PostClick(tabs, POINT{(answer.left + answer.right) / 2, (answer.top + answer.bottom) / 2}, MouseButton::Left))
    return false;
  // Posted: the control handles the click when its thread gets to it.
  return WaitUntil([&] { return SelectedTab(tabs) == index; }, 1000);
}

}  // namespace vantrel::test
