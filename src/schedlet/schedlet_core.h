#pragma once
// The Task Scheduler 2.0 work behind the three exports of Schedlet.dll.
// Each operation builds its own service and root-folder objects and releases
// them before it returns; nothing is kept between calls, and nothing that is
// allocated here outlives a call. COM stays initialised on the calling thread.
//
// The folder-level functions take an ITaskFolder, so tests can hand in their
// own folder, task collection and tasks.
#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

#include "schedlet/task_list_text.h"

namespace vantrel::schedlet {

// Status values, the same in all three exports.
inline constexpr int kStatusOk = 0;
inline constexpr int kStatusFailure = -1;         // an unexpected failure (out of memory)
inline constexpr int kStatusNoBuffer = -2;        // GetSchedletInfo without a buffer: nothing done
inline constexpr int kStatusCreateFailed = -3;    // creating the Task Scheduler object
inline constexpr int kStatusConnectFailed = -4;   // ITaskService::Connect
inline constexpr int kStatusRootFolderFailed = -5;
inline constexpr int kStatusTasksFailed = -6;     // GetSchedletInfo: reading the task collection
inline constexpr int kStatusRegisterFailed = -6;  // AddSchedlet: the definition was refused
inline constexpr int kStatusNoTasks = -7;         // the root folder holds no task

// A NUL-terminated ANSI text to UTF-16; a null pointer gives empty text.
std::wstring FromAnsi(const char* text);

// A task name the library acts on: one of the root folder, not a path into a
// sub-folder ("Microsoft\Windows\...").
bool IsRootTaskName(std::wstring_view name);

struct RootFolder {
  Microsoft::WRL::ComPtr<ITaskFolder> folder;
  int status = kStatusOk;  // kStatusOk, or -3, -4, -5
  HRESULT hr = S_OK;       // the failing call's result
};
// The common set-up: COM (multithreaded; a thread already initialised keeps
// its mode), process security, the service, Connect, the root folder "\".
RootFolder ConnectRootFolder();

// Fills `out` with the list text of the root folder's tasks (hidden ones
// included): 0, or -6 / -7 with their diagnostic text in `out`. A task whose
// name the ANSI code page cannot hold exactly is left out (it could not be
// named again to delete it).
int WriteTaskList(ITaskFolder& root, TaskListWriter& out);

// After the set-up: the list of the connected root folder, or the set-up's
// status (-3, -4, -5) with its diagnostic text in `out`.
int WriteTaskListOrFailure(const RootFolder& root, TaskListWriter& out);

// Saves the task's definition to a new hidden file at backupPath (never
// replacing a file), then deletes the task -- but only while a backup of it
// is at backupPath (the one just written, or an older one that was already
// there), so a task is never deleted without a definition to restore. A
// definition that the ANSI code page cannot hold exactly is not written.
void BackUpAndDeleteTask(ITaskFolder& root, const std::wstring& name, const char* backupPath);

// Registers (creates or replaces) the task with the interactive logon of the
// calling user: 0, or -6 when the service refuses the definition.
int RegisterTaskXml(ITaskFolder& root, const std::wstring& name, const std::wstring& xml);

// The three exports, each with its set-up. They may throw std::bad_alloc;
// the export layer turns that into kStatusFailure.
int ListTasksIntoBuffer(char* buffer, int bufferSize);
int DeleteTaskWithBackup(const char* taskName, const char* backupPath);
int AddTaskFromXml(const char* taskName, const char* taskXml);

}  // namespace vantrel::schedlet
