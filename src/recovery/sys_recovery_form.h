#pragma once
// The system recovery window: one page per section of the recovery store
// (start-up programs, scheduled tasks, browser helper objects, toolbars,
// extension buttons). Every visit of a page reads its section again; the
// user restores the ticked rows (the Run value, Startup-folder file, task,
// server registration or extension key comes back where it was) or purges
// them for good, and the section is rewritten after every action.
//
// A restore whose platform call fails keeps its row, its record and its
// payload file, and the user is told once per action.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "recovery/recovery_store.h"
#include "schedlet/schedlet_library.h"
#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/page_control.h"
#include "ui/tool_host.h"
#include "ui/window.h"

namespace vantrel {

// Where the window finds and puts things; the default is the real system.
struct SysRecoveryEnvironment {
  recovery::RecoveryStore store;  // RecoveryStore::System()
  bool windows64 = false;         // the program runs on 64-bit Windows
  // The folders a Startup-folder entry may be restored into (the user's
  // and the common Startup folder); a record naming another folder is not
  // restored.
  std::vector<std::wstring> startupFolders;
  // Registers a task from its definition: AddSchedlet's status (0 when
  // done), or none when it cannot be called.
  using AddTask = std::function<std::optional<int>(const std::wstring& name, const std::string& definition)>;
  // On Windows Vista or later: the registration to use instead of binding
  // Schedlet.dll (tests hand in a double; an empty function stands for a
  // library that could not be bound).
  std::optional<AddTask> addTask;
  // Starts a command line (RunCommand); tests record instead.
  std::function<bool(const std::wstring& commandLine, int show, bool wait, DWORD timeoutMs)> run;

  static SysRecoveryEnvironment System();
};

// The regsvr32 of the system folder whose bitness matches the registry view
// of a record (Sysnative from a 32-bit program for the 64-bit view). Always
// a full path; empty when the system folder cannot be found.
std::wstring Regsvr32ForView(recovery::RegistryView view);

class TSysRecoveryForm : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"TSysRecoveryForm";
  // The pages, in tab order.
  enum Page { kStartupPage = 0, kSchedulerPage = 1, kBhoPage = 2, kToolbarPage = 3, kIconPage = 4 };
  static constexpr int kPageCount = 5;

  TSysRecoveryForm(const ui::ToolHost& host, SysRecoveryEnvironment environment);
  ~TSysRecoveryForm() override;

  // Builds the window and its controls and runs FormCreate; false when the
  // window could not be created.
  bool Create();

  // ---- event handlers
  void FormCreate();
  void FormClose();
  // Before a page change by the user: false refuses it.
  bool rzpgcntrlChanging(int newPage);
  void rzpgcntrlChange(int page);
  void btnAllCheckClick(int page);
  void btnAllUncheckClick(int page);
  void btnDelClick(int page);
  void btnRecoverClick(int page);
  void btnCloseClick();

  // Reads a page's section into its list.
  void FillPage(int page);
  bool TasksSupported() const { return tasksSupported_; }
  // The records behind the rows of a page, in row order (every field the
  // store gives, also those the list does not show).
  const std::vector<recovery::RecoveryRecord>& Records(int page) const { return records_.at(page); }
  ui::ListView& List(int page) const { return *lists_.at(page); }

  // ---- controls, named as designed
  ui::PageControl* rzpgcntrl = nullptr;
  std::array<ui::Panel*, kPageCount> tabSheet{};
  std::array<ui::Panel*, kPageCount> pnlTop{};
  std::array<ui::Label*, kPageCount> lblTop{};
  ui::ListView* lv1 = nullptr;
  ui::ListView* lv2 = nullptr;
  ui::ListView* lv3 = nullptr;
  ui::ListView* lv4 = nullptr;
  ui::ListView* lv5 = nullptr;
  std::array<ui::Button*, kPageCount> btnAllCheck{};
  std::array<ui::Button*, kPageCount> btnAllUncheck{};
  std::array<ui::Button*, kPageCount> btnDel{};
  std::array<ui::Button*, kPageCount> btnRecover{};
  ui::Panel* pnlBottom = nullptr;
  ui::Button* btnClose = nullptr;

 protected:
  bool OnCloseQuery() override;

 private:
  struct Texts {
    std::wstring selDelOk = L"선택된 항목을 완전히 삭제하시겠습니까?";
    std::wstring selDel = L"삭제할 항목을 선택해 주세요";
    std::wstring selRcvOk = L"선택된 항목을 복원하시겠습니까?";
    std::wstring selRcv = L"복원할 항목을 선택해 주세요";
    std::wstring scheduler = L"\"스케줄러 복원\"은 비스타 이상에서만 사용할 수 있습니다.";
    std::wstring rcvFail = L"복원하지 못한 항목이 있습니다. 그 항목과 백업은 목록에 그대로 남아 있습니다.";
    std::wstring rcvExists =
        L"같은 이름의 파일이 이미 있어 복원하지 않은 시작 프로그램이 있습니다. 그 항목은 목록에 그대로 남아 있습니다.";
  };
  // What one restore of a row came to.
  enum class Outcome { kRestored, kFailed, kExists };

  const wchar_t* SectionOf(int page) const;
  bool AnyTicked(int page) const;
  void RemoveRow(int page, int row);
  void RewritePage(int page);
  void TellFailures(int failed, int exists);
  void RestoreStartup();
  Outcome RestoreStartupFile(const recovery::RecoveryRecord& record, std::wstring* started);
  Outcome RestoreTask(const recovery::RecoveryRecord& record);
  Outcome RegisterServer(const recovery::RecoveryRecord& record);
  Outcome RestoreIcon(const recovery::RecoveryRecord& record);
  void Purge(int page, const recovery::RecoveryRecord& record);
  // Deletes the payload files of the records just purged or restored that
  // no record of the store still names.
  void DropSpentPayloads();
  bool Run(const std::wstring& commandLine, int show, bool wait, DWORD timeoutMs) const;

  const ui::ToolHost& host_;
  SysRecoveryEnvironment env_;
  Texts texts_;
  std::array<ui::ListView*, kPageCount> lists_{};
  std::array<std::vector<recovery::RecoveryRecord>, kPageCount> records_;
  bool tasksSupported_ = false;
  SchedletLibrary library_;
  SysRecoveryEnvironment::AddTask addTask_;  // empty: no task can be registered
  bool closed_ = false;
  // Payload files of this action's purged or restored records.
  std::vector<std::wstring> spentPayloads_;
};

// Opens the window modally, owned by the host's window, and frees it after.
void ShowSysRecoveryForm(const ui::ToolHost& host);

}  // namespace vantrel
