#include "fake_task_folder.h"

#include <algorithm>
#include <atomic>

namespace vantrel::test {
namespace {

std::atomic<int> live{0};

HRESULT CopyOut(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// IUnknown and IDispatch for one interface; the dispatch part is not used.
template <typename Interface>
class FakeObject : public Interface {
 public:
  FakeObject() { ++live; }
  virtual ~FakeObject() { --live; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, OwnIid())) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  virtual REFIID OwnIid() const = 0;

 private:
  std::atomic<ULONG> refs_{1};
};

class FakeRegisteredTask final : public FakeObject<IRegisteredTask> {
 public:
  explicit FakeRegisteredTask(FakeTask task) : task_(std::move(task)) {}
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
    return FAILED(task_.nameResult) ? task_.nameResult : CopyOut(task_.name, name);
  }
  HRESULT STDMETHODCALLTYPE get_Xml(BSTR* xml) override {
    return FAILED(task_.xmlResult) ? task_.xmlResult : CopyOut(task_.xml, xml);
  }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override { return CopyOut(L"\\" + task_.name, path); }
  HRESULT STDMETHODCALLTYPE get_State(TASK_STATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Run(VARIANT, IRunningTask**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RunEx(VARIANT, LONG, LONG, BSTR, IRunningTask**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetInstances(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LastRunTime(DATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LastTaskResult(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NumberOfMissedRuns(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NextRunTime(DATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Definition(ITaskDefinition**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, DWORD*, LPSYSTEMTIME*) override {
    return E_NOTIMPL;
  }

 protected:
  REFIID OwnIid() const override { return IID_IRegisteredTask; }

 private:
  FakeTask task_;
};

class FakeTaskCollection final : public FakeObject<IRegisteredTaskCollection> {
 public:
  FakeTaskCollection(std::shared_ptr<FakeFolderState> state, std::vector<FakeTask> tasks)
      : state_(std::move(state)), tasks_(std::move(tasks)) {}
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    if (FAILED(state_->countResult)) return state_->countResult;
    *count = static_cast<LONG>(tasks_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IRegisteredTask** task) override {
    state_->itemTypes.push_back(index.vt);
    if (!task) return E_POINTER;
    *task = nullptr;
    if (index.vt != VT_I4) return E_INVALIDARG;
    state_->itemIndices.push_back(index.lVal);
    if (index.lVal < 1 || index.lVal > static_cast<LONG>(tasks_.size())) return E_INVALIDARG;
    const FakeTask& t = tasks_[static_cast<size_t>(index.lVal - 1)];
    if (FAILED(t.itemResult)) return t.itemResult;
    *task = new FakeRegisteredTask(t);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

 protected:
  REFIID OwnIid() const override { return IID_IRegisteredTaskCollection; }

 private:
  std::shared_ptr<FakeFolderState> state_;
  std::vector<FakeTask> tasks_;
};

class FakeTaskFolder final : public FakeObject<ITaskFolder> {
 public:
  explicit FakeTaskFolder(std::shared_ptr<FakeFolderState> state) : state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE GetTasks(LONG flags, IRegisteredTaskCollection** tasks) override {
    state_->getTasksFlags.push_back(flags);
    if (!tasks) return E_POINTER;
    *tasks = nullptr;
    if (FAILED(state_->getTasksResult)) return state_->getTasksResult;
    std::vector<FakeTask> shown;
    for (const FakeTask& t : state_->tasks)
      if (!t.hidden || (flags & TASK_ENUM_HIDDEN)) shown.push_back(t);
    *tasks = new FakeTaskCollection(state_, std::move(shown));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTask(BSTR path, IRegisteredTask** task) override {
    state_->getTaskCalls.emplace_back(path ? path : L"");
    if (!task) return E_POINTER;
    *task = nullptr;
    const auto found = Find(path);
    if (found == state_->tasks.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    *task = new FakeRegisteredTask(*found);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteTask(BSTR name, LONG) override {
    state_->deleteTaskCalls.emplace_back(name ? name : L"");
    const auto found = Find(name);
    if (found == state_->tasks.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (FAILED(state_->deleteResult)) return state_->deleteResult;
    state_->tasks.erase(found);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RegisterTask(BSTR path, BSTR xml, LONG flags, VARIANT user, VARIANT password,
                                         TASK_LOGON_TYPE logon, VARIANT sddl, IRegisteredTask** task) override {
    RegisterCall call{path ? path : L"", xml ? xml : L"", flags, logon, user.vt, password.vt, sddl.vt};
    state_->registerCalls.push_back(call);
    if (task) *task = nullptr;
    if (FAILED(state_->registerResult)) return state_->registerResult;
    const auto found = Find(path);
    if (found != state_->tasks.end()) state_->tasks.erase(found);
    state_->tasks.push_back(FakeTask{call.path, call.xml});
    if (task) *task = new FakeRegisteredTask(state_->tasks.back());
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return CopyOut(L"\\", name); }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override { return CopyOut(L"\\", path); }
  HRESULT STDMETHODCALLTYPE GetFolder(BSTR, ITaskFolder**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFolders(LONG, ITaskFolderCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateFolder(BSTR, VARIANT, ITaskFolder**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR, LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR, ITaskDefinition*, LONG, VARIANT, VARIANT,
                                                   TASK_LOGON_TYPE, VARIANT, IRegisteredTask**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }

 protected:
  REFIID OwnIid() const override { return IID_ITaskFolder; }

 private:
  std::vector<FakeTask>::iterator Find(BSTR name) {
    const std::wstring wanted = name ? name : L"";
    return std::find_if(state_->tasks.begin(), state_->tasks.end(),
                        [&](const FakeTask& t) { return t.name == wanted; });
  }
  std::shared_ptr<FakeFolderState> state_;
};

}  // namespace

int LiveFakeObjects() { return live; }

Microsoft::WRL::ComPtr<ITaskFolder> MakeFakeRootFolder(std::shared_ptr<FakeFolderState> state) {
  // Not Attach: mingw's ComPtr::Attach adds a reference of its own.
  Microsoft::WRL::ComPtr<ITaskFolder> folder;
  *folder.GetAddressOf() = new FakeTaskFolder(std::move(state));
  return folder;
}

std::wstring TaskDefinition(const std::wstring& actions, const std::wstring& description) {
  return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         L"  <RegistrationInfo>\r\n    <Description>" + description + L"</Description>\r\n"
         L"  </RegistrationInfo>\r\n"
         L"  <Settings>\r\n    <Enabled>false</Enabled>\r\n  </Settings>\r\n"
         L"  <Actions Context=\"Author\">\r\n" + actions + L"  </Actions>\r\n</Task>\r\n";
}

std::wstring ExecAction(const std::wstring& command, std::optional<std::wstring> arguments) {
  std::wstring out = L"    <Exec>\r\n      <Command>" + command + L"</Command>\r\n";
  if (arguments) out += L"      <Arguments>" + *arguments + L"</Arguments>\r\n";
  return out + L"    </Exec>\r\n";
}

}  // namespace vantrel::test
