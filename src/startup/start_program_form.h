#pragma once
// The start-up program window: the Run values and Startup-folder entries
// (lv1) and, on Windows Vista or later, the scheduled tasks of the root task
// folder (lv2). Each row carries a selection mark (the image of column 0)
// and an exclusion mark (image and text of column 1). The user deletes
// selected rows (each backed up into the recovery store first), excludes
// rows from the automatic reset and registers new start-up programs. In
// automatic mode (StartupAutoReset set) the window stays invisible, deletes
// every row that is not excluded and closes itself.
#include <windows.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "recovery/recovery_store.h"
#include "schedlet/schedlet_library.h"
#include "startup/startup_inventory.h"
#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/tool_host.h"
#include "ui/window.h"

namespace vantrel {

// What the window does with scheduled tasks.
struct TaskBridge {
  // The task list text; none when the bridge could not list.
  std::function<std::optional<std::wstring>()> listText;
  // Backs the task up to `backupPath`, then deletes it: DeleteSchedlet's
  // status (0: the task is gone), or none when the bridge cannot delete.
  std::function<std::optional<int>(const std::wstring& name, const std::wstring& backupPath)> deleteTask;
};

// Where the window finds and puts things; the default is the real system.
struct StartProgramEnvironment {
  StartupSources startup;         // SystemStartupSources()
  recovery::RecoveryStore store;  // RecoveryStore::System()
  std::wstring settingsPath;      // the program folder's "Vantrel.ini"
  bool windows64 = false;         // IsWindows64()
  // On Windows Vista or later: the task bridge to use instead of binding
  // Schedlet.dll (tests hand in a double).
  std::optional<TaskBridge> tasks;

  static StartProgramEnvironment System();
};

// A thin splitter bar between two stacked controls: dragging it with the
// left button reports the wanted height of the control above it.
class SplitterBar : public ui::Control {
 public:
  SplitterBar(ui::Container& parent, const ui::Rect& designed);
  std::function<void(int deltaPx)> onDrag;  // vertical movement since the press
  std::function<void()> onPress;

  void BindWindow(HWND) {}
  void UnbindWindow() {}
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  int pressY_ = 0;
  bool dragging_ = false;
};

class TStartProgramForm : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"TStartProgramForm";
  // Images of the two marks.
  static constexpr int kImageClear = ui::ListView::kTickBoxEmpty;
  static constexpr int kImageSet = ui::ListView::kTickBoxTicked;

  TStartProgramForm(const ui::ToolHost& host, StartProgramEnvironment environment);
  ~TStartProgramForm() override;

  // Builds the window and its controls and runs FormCreate; false when the
  // window could not be created.
  bool Create();

  void FormCreate();
  void FormClose();
  void btnAllCheckClick();
  void btnAllUncheckClick();
  void btnStartPGRegClick();
  void btnDelClick();
  void btnCancelClick();
  void lv1MouseDown(const ui::ListHit& hit);
  void lv2MouseDown(const ui::ListHit& hit);
  void lv1ColumnClick(int column);
  void lv2ColumnClick(int column);
  void tmr1Timer();

  // Manual mode: the selected rows, after the question. Automatic mode: every
  // row that is not excluded, without a question.
  void DeleteStartupEntries(bool automatic);
  // Writes `path` as a new Run value of the machine (unless its file name is
  // a value name there already), lists the entries again and marks the
  // program's row excluded.
  void RegisterStartupProgram(const std::wstring& path);

  bool TasksSupported() const { return tasksSupported_; }
  const TExclusionList& StartupExclusions() const { return startupExclusions_; }
  const TExclusionList& TaskExclusions() const { return taskExclusions_; }
  // The marks of a row.
  static bool RowSelected(const ui::ListView& list, int row);
  static bool RowExcluded(const ui::ListView& list, int row);

  ui::Panel* pnlLists = nullptr;
  ui::ListView* lv1 = nullptr;
  SplitterBar* spl1 = nullptr;
  ui::ListView* lv2 = nullptr;
  ui::Panel* pnlBottom = nullptr;
  ui::Button* btnAllCheck = nullptr;
  ui::Button* btnAllUncheck = nullptr;
  ui::Button* btnStartPGReg = nullptr;
  ui::Button* btnDel = nullptr;
  ui::Button* btnCancel = nullptr;
  std::unique_ptr<ui::Timer> tmr1;

 protected:
  bool OnCloseQuery() override;
  void OnSize() override;
  void OnWindowPosChanging(WINDOWPOS& pos) override;

 private:
  struct Texts {
    std::wstring del1 = L"삭제할 시작 프로그램을 선택하세요.";
    std::wstring del2 = L"선택된 시작 프로그램과 스케줄러 프로그램을 모두 삭제하시겠습니까?";
    std::wstring del3 = L"선택된 시작 프로그램을 모두 삭제하시겠습니까?";
  };
  void FillStartupList();
  void FillTaskList(const std::vector<TTaskEntry>& tasks);
  void SetExcludedMark(ui::ListView& list, int row, bool excluded);
  void ListMouseDown(ui::ListView& list, TExclusionList& exclusions, const ui::ListHit& hit);
  void SetAllSelected(bool selected);
  void PlaceButtons();
  void SetListHeight(int heightPx);
  std::vector<std::wstring> ExcludedNames(const ui::ListView& list) const;

  // Records of the store known to be there: a record that an append found
  // there already is not taken back when its item stays.
  bool BackUp(const std::wstring& section, const recovery::RecoveryRecord& record, bool* added);
  void TakeBack(const std::wstring& section, const recovery::RecoveryRecord& record);
  std::wstring RecordKey(const std::wstring& section, const recovery::RecoveryRecord& record) const;
  void LoadKnownRecords();

  const ui::ToolHost& host_;
  StartProgramEnvironment env_;
  Texts texts_;
  std::wstring exceptSet_, exceptCancel_;
  TExclusionList startupExclusions_, taskExclusions_;
  bool tasksSupported_ = false;
  SchedletLibrary library_;
  std::optional<TaskBridge> bridge_;
  std::set<std::wstring> knownRecords_;
  int lv1HeightPx_ = 0;
  int pressHeightPx_ = 0;
  bool closed_ = false;
};

// Opens the window modally for the user, owned by the host's window.
void ShowStartProgramForm(const ui::ToolHost& host);

}  // namespace vantrel
