#pragma once
// A test double of the Task Scheduler root folder, its task collection and
// its registered tasks: what Wine's service cannot do (enumerate tasks, keep
// the exec action in a definition) is scripted here. Methods the library
// does not use return E_NOTIMPL. Every object counts itself, so a test can
// check that the library released all it was given.
#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::test {

struct FakeTask {
  std::wstring name;
  std::wstring xml;
  bool hidden = false;
  HRESULT itemResult = S_OK;  // get_Item for this task
  HRESULT nameResult = S_OK;  // get_Name
  HRESULT xmlResult = S_OK;   // get_Xml
};

struct RegisterCall {
  std::wstring path, xml;
  LONG flags = 0;
  TASK_LOGON_TYPE logon = TASK_LOGON_NONE;
  VARTYPE user = VT_NULL, password = VT_NULL, sddl = VT_NULL;
};

// What the folder holds and what was asked of it.
struct FakeFolderState {
  std::vector<FakeTask> tasks;
  HRESULT getTasksResult = S_OK;
  HRESULT countResult = S_OK;
  HRESULT registerResult = S_OK;
  HRESULT deleteResult = S_OK;  // DeleteTask of a task that is there (it stays on failure)

  std::vector<LONG> getTasksFlags;
  std::vector<VARTYPE> itemTypes;
  std::vector<LONG> itemIndices;
  std::vector<std::wstring> getTaskCalls, deleteTaskCalls;
  std::vector<RegisterCall> registerCalls;
};

// How many fake COM objects are alive.
int LiveFakeObjects();

Microsoft::WRL::ComPtr<ITaskFolder> MakeFakeRootFolder(std::shared_ptr<FakeFolderState> state);

// A task definition in the service's form, with these actions.
std::wstring TaskDefinition(const std::wstring& actions, const std::wstring& description = L"test");
std::wstring ExecAction(const std::wstring& command, std::optional<std::wstring> arguments = std::nullopt);

}  // namespace vantrel::test
