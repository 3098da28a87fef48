#pragma once
// The progress window of the tweak toggle: a small borderless box with a
// looping animation, centred on the screen. Its creation starts the tweak
// worker with the window's own handle; the worker closes it at its end.
#include <windows.h>

#include <functional>
#include <memory>

#include "platform/unique_handle.h"
#include "ui/strip_animation.h"
#include "ui/controls.h"
#include "ui/window.h"

namespace vantrel {

// Starts the worker of a progress window and returns its thread handle (the
// caller owns it), or null when the thread could not be started.
using WorkerStart = std::function<HANDLE(HWND window)>;

// CreateThread of TweakWorker (default security and stack, no flags) with
// `window` as its parameter.
HANDLE StartTweakWorker(HWND window);

class TInitProcRunForm : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"TInitProcRunForm";
  static constexpr const wchar_t* kCaption = L"프로세스 초기화";
  static constexpr const wchar_t* kStartFailedText = L"프로세스 초기화를 수행할 수 없습니다.";

  // `start`: how the worker is started (StartTweakWorker when empty).
  explicit TInitProcRunForm(HWND owner, WorkerStart start = {});
  ~TInitProcRunForm() override;

  // Builds the window and runs FormCreate (which starts the worker); false
  // when the window could not be created.
  bool Create();

  void FormCreate();
  void tmrAnimationTimer();

  // The worker's thread handle, kept until the window goes; null when it could not start.
  HANDLE WorkerThread() const { return worker_.get(); }

  ui::StripAnimation* jvgfnmtr1 = nullptr;

 protected:
  // Only the end of the worker closes the window: a close asked for while it
  // still runs (Esc, Alt+F4) waits for that end.
  bool OnCloseQuery() override;

 private:
  bool WorkerRunning() const;

  HWND owner_;
  WorkerStart start_;
  platform::UniqueHandle worker_;
  std::unique_ptr<ui::Timer> tmrAnimation_;
  bool closePending_ = false;
};

}  // namespace vantrel
