#include "tweak/init_proc_run_form.h"

#include <utility>

#include "core/helpers.h"
#include "platform/dialogs.h"
#include "tweak/network.h"

namespace vantrel {
namespace {

// How long a close waits for a worker that is about to end.
constexpr DWORD kWorkerEndWaitMs = 50;

}  // namespace

HANDLE StartTweakWorker(HWND window) { return ::CreateThread(nullptr, 0, TweakWorker, window, 0, nullptr); }

TInitProcRunForm::TInitProcRunForm(HWND owner, WorkerStart start)
    : owner_(owner), start_(start ? std::move(start) : WorkerStart(StartTweakWorker)) {}

TInitProcRunForm::~TInitProcRunForm() {
  tmrAnimation_.reset();  // before the window goes
}

bool TInitProcRunForm::Create() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = kCaption;
  layout.clientWidth = 200;
  layout.clientHeight = 50;
  layout.style = WS_POPUP | WS_CLIPCHILDREN;  // no border, no caption bar, no border icons
  layout.exStyle = WS_EX_CONTROLPARENT;
  layout.owner = owner_;
  if (!Form::Create(layout)) return false;

  jvgfnmtr1 = &Add<ui::StripAnimation>(ui::Rect{0, 0, 200, 50});
  jvgfnmtr1->SetAlign(ui::Align::Client);
  tmrAnimation_ = std::make_unique<ui::Timer>(*this, ui::StripAnimation::kFrameIntervalMs);
  tmrAnimation_->onTimer = [this] { tmrAnimationTimer(); };

  FormCreate();
  return true;
}

void TInitProcRunForm::FormCreate() {
  const POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
  MoveTo(at.x, at.y);
  tmrAnimation_->Start();

  worker_.reset(start_(hwnd()));
  if (!worker_) {
    platform::ShowMessage(hwnd(), kStartFailedText, kCaption);
    ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
}

void TInitProcRunForm::tmrAnimationTimer() {
  jvgfnmtr1->NextFrame();
  // A close that came while the worker ran, or a worker that ended without
  // saying so: the window goes now.
  if (worker_ && !WorkerRunning() && (closePending_ || InModalLoop())) {
    closePending_ = false;
    ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
}

bool TInitProcRunForm::WorkerRunning() const {
  return worker_ && ::WaitForSingleObject(worker_.get(), 0) == WAIT_TIMEOUT;
}

bool TInitProcRunForm::OnCloseQuery() {
  // The worker posts WM_CLOSE just before its thread ends: its own close is
  // through after a moment's wait. Any other close waits for the worker's end
  // (the timer looks for it).
  if (!worker_ || ::WaitForSingleObject(worker_.get(), kWorkerEndWaitMs) != WAIT_TIMEOUT) return true;
  closePending_ = true;
  return false;
}

}  // namespace vantrel
