#include "schedlet/schedlet_core.h"

#include <climits>
#include <cstring>

#include "platform/com_holders.h"
#include "platform/file_system.h"
#include "platform/text_conv.h"
#include "platform/unique_handle.h"

namespace vantrel::schedlet {

using Microsoft::WRL::ComPtr;
using platform::ScopedVariant;
using platform::UniqueBstr;

namespace {

// Command and arguments of the list are only shown: what the code page
// lacks is shown as its default character.
std::string ShownAnsi(std::wstring_view text) { return platform::ToNarrow(text); }

bool IsFile(const char* path) { return path && platform::FileExists(platform::ToWide(path)); }

// Exactly the bytes of `text` (no byte-order mark, no NUL) in a new hidden
// file. An existing file is left as it is; a short write removes the partial
// file again, so a file at `path` is always a whole definition.
void WriteNewBackupFile(const char* path, std::string_view text) {
  if (text.empty()) return;
  platform::UniqueFile file(
      ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
  if (!file) return;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  file.reset();
  if (!ok || written != text.size()) ::DeleteFileA(path);
}

}  // namespace

std::wstring FromAnsi(const char* text) {
  if (!text) return {};
  return platform::ToWide(std::string_view(text), platform::kCodePageAnsi);
}

bool IsRootTaskName(std::wstring_view name) {
  return !name.empty() && name.find_first_of(L"\\/") == std::wstring_view::npos;
}

RootFolder ConnectRootFolder() {
  // Both results are ignored: a thread in another apartment keeps its mode,
  // and a process whose security is set already keeps it.
  (void)::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  (void)::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  RootFolder out;
  ComPtr<ITaskService> service;
  out.hr = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              reinterpret_cast<void**>(service.GetAddressOf()));
  if (FAILED(out.hr) || !service) {
    out.status = kStatusCreateFailed;
    return out;
  }
  const ScopedVariant none;  // local machine, current user
  out.hr = service->Connect(none.get(), none.get(), none.get(), none.get());
  if (FAILED(out.hr)) {
    out.status = kStatusConnectFailed;
    return out;
  }
  const UniqueBstr rootPath(L"\\");
  out.hr = service->GetFolder(rootPath.get(), out.folder.GetAddressOf());
  if (FAILED(out.hr) || !out.folder) {
    out.folder.Reset();
    out.status = kStatusRootFolderFailed;
  }
  return out;
}

int WriteTaskList(ITaskFolder& root, TaskListWriter& out) {
  ComPtr<IRegisteredTaskCollection> tasks;
  HRESULT hr = root.GetTasks(TASK_ENUM_HIDDEN, tasks.GetAddressOf());
  LONG count = 0;
  if (SUCCEEDED(hr) && !tasks) hr = E_POINTER;
  if (SUCCEEDED(hr)) hr = tasks->get_Count(&count);
  if (FAILED(hr)) {
    out.SetMessage(StatusMessage(kMsgTasksFailed, static_cast<std::uint32_t>(hr)));
    return kStatusTasksFailed;
  }
  if (count <= 0) {
    out.SetMessage(kMsgNoTasks);
    return kStatusNoTasks;
  }
  for (LONG index = 1; index <= count; ++index) {  // the collection counts from 1
    const ScopedVariant item = ScopedVariant::FromInt32(index);
    ComPtr<IRegisteredTask> task;
    if (FAILED(tasks->get_Item(item.get(), task.GetAddressOf())) || !task) continue;
    UniqueBstr name, xml;
    if (FAILED(task->get_Name(name.put())) || FAILED(task->get_Xml(xml.put()))) continue;
    // The caller hands the name back to delete the task: one the code page
    // cannot hold exactly would name no task, so it is left out.
    if (!platform::ToNarrowExact(name.view())) continue;
    const auto record = FormatTaskRecord(name.view(), xml.view(), ShownAnsi);
    // The list ends with the last whole record that fits the caller's buffer.
    if (record && !out.Append(*record)) break;
  }
  return kStatusOk;
}

bool BackUpAndDeleteTask(ITaskFolder& root, const std::wstring& name, const char* backupPath) {
  if (!IsRootTaskName(name)) return false;  // a path into a sub-folder is never acted on
  const UniqueBstr taskName(name);
  {
    ComPtr<IRegisteredTask> task;
    if (FAILED(root.GetTask(taskName.get(), task.GetAddressOf())) || !task) return true;  // not there
    if (!backupPath || !*backupPath) return false;
    UniqueBstr xml;
    // Only a definition that the code page holds exactly is a backup: one
    // with characters turned into "?" would restore another task.
    if (SUCCEEDED(task->get_Xml(xml.put())))
      if (const auto bytes = platform::ToNarrowExact(xml.view())) WriteNewBackupFile(backupPath, *bytes);
  }
  if (!IsFile(backupPath)) return false;
  if (SUCCEEDED(root.DeleteTask(taskName.get(), 0))) return true;
  ComPtr<IRegisteredTask> still;
  return FAILED(root.GetTask(taskName.get(), still.GetAddressOf())) || !still;
}

int RegisterTaskXml(ITaskFolder& root, const std::wstring& name, const std::wstring& xml) {
  if (!IsRootTaskName(name) || xml.empty()) return kStatusRegisterFailed;
  const UniqueBstr taskName(name);
  const UniqueBstr definition(xml);
  const ScopedVariant none;
  ComPtr<IRegisteredTask> task;
  const HRESULT hr = root.RegisterTask(taskName.get(), definition.get(), TASK_CREATE_OR_UPDATE, none.get(),
                                       none.get(), TASK_LOGON_INTERACTIVE_TOKEN, none.get(),
                                       task.GetAddressOf());
  return SUCCEEDED(hr) ? kStatusOk : kStatusRegisterFailed;
}

int WriteTaskListOrFailure(const RootFolder& root, TaskListWriter& out) {
  const auto hr = static_cast<std::uint32_t>(root.hr);
  switch (root.status) {
    case kStatusOk:
      return root.folder ? WriteTaskList(*root.folder.Get(), out) : kStatusRootFolderFailed;
    case kStatusCreateFailed:
      out.SetMessage(StatusMessage(kMsgCreateFailed, hr));
      break;
    case kStatusConnectFailed:
      out.SetMessage(StatusMessage(kMsgConnectFailed, hr));
      break;
    default:
      out.SetMessage(StatusMessage(kMsgRootFolderFailed, hr));
      break;
  }
  return root.status;
}

int ListTasksIntoBuffer(char* buffer, int bufferSize) {
  if (!buffer || bufferSize <= 0) return kStatusNoBuffer;
  TaskListWriter out(buffer, static_cast<size_t>(bufferSize));  // buffer[0] = NUL first
  return WriteTaskListOrFailure(ConnectRootFolder(), out);
}

int DeleteTaskWithBackup(const char* taskName, const char* backupPath) {
  if (!taskName || !*taskName) return kStatusOk;  // nothing to do, COM untouched
  // Without a place for the backup nothing may be deleted.
  if (!backupPath || !*backupPath) return kStatusTaskKept;
  RootFolder root = ConnectRootFolder();
  if (root.status != kStatusOk) return root.status;
  return BackUpAndDeleteTask(*root.folder.Get(), FromAnsi(taskName), backupPath) ? kStatusOk : kStatusTaskKept;
}

int AddTaskFromXml(const char* taskName, const char* taskXml) {
  if (!taskName || !*taskName) return kStatusOk;  // nothing to do, COM untouched
  RootFolder root = ConnectRootFolder();
  if (root.status != kStatusOk) return root.status;
  return RegisterTaskXml(*root.folder.Get(), FromAnsi(taskName), FromAnsi(taskXml));
}

}  // namespace vantrel::schedlet
