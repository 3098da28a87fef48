#pragma once
// Control wrappers named by intent. Each is created by Container::Add with
// its designed bounds; handlers are plain std::function members.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/window.h"

namespace vantrel::ui {

class Button : public Control {
 public:
  Button(Container& parent, const std::wstring& caption, const Rect& designed, bool tabStop = true);
  std::function<void()> onClick;
  // What a click does, without the mouse (also used by tests).
  void Click() {
    if (onClick) onClick();
  }
  void OnCommand(WORD code) override;
};

class CheckBox : public Control {
 public:
  CheckBox(Container& parent, const std::wstring& caption, const Rect& designed, bool checked = false);
  bool Checked() const;
  // Changes the state without running onClick.
  void SetChecked(bool checked);
  // Toggles the state and runs onClick, as a click by the user does.
  void Click();
  std::function<void()> onClick;
  void OnCommand(WORD code) override;
};

enum class TextAlign { Left, Center, Right };

class Label : public Control {
 public:
  Label(Container& parent, const std::wstring& caption, const Rect& designed, TextAlign align = TextAlign::Left);
  // Pixel width of the label's text in its font (a line of text).
  int TextWidthPx(const std::wstring& text) const;
};

// A plain container without bevels; owns its children and lays out the
// aligned ones whenever it changes size.
class Panel : public Control, public Container {
 public:
  Panel(Container& parent, const Rect& designed, Align align = Align::None);
  ~Panel() override;
  HWND ContainerWindow() const override { return hwnd(); }
  Form& OwnerForm() override { return form(); }

  void BindWindow(HWND) {}
  void UnbindWindow() {}
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

// How a progress bar shows its position: in blocks (the system's look),
// as one smooth bar, or as a marquee that runs without a position.
enum class ProgressStyle { Blocks, Smooth, Marquee };

class ProgressBar : public Control {
 public:
  ProgressBar(Container& parent, const Rect& designed, ProgressStyle style = ProgressStyle::Blocks);

  // The range (a reversed one is put in order); the position is kept inside it.
  void SetRange(int minimum, int maximum);
  int Minimum() const;
  int Maximum() const;
  // Clamped to the range.
  void SetPosition(int position);
  int Position() const;
  // Moves the position by `delta` (clamped).
  void Advance(int delta);

  ProgressStyle Style() const { return style_; }
  // Switches to a smooth bar or to blocks; ends a marquee.
  void SetSmooth(bool smooth);
  // Runs or ends a marquee (a new frame every `intervalMs`). False when the
  // system's progress bar has no marquee (common controls before version 6):
  // the bar then stays as it was.
  bool SetMarquee(bool running, UINT intervalMs = 30);
  bool MarqueeRunning() const { return style_ == ProgressStyle::Marquee; }

 private:
  void SetStyleBits(DWORD add, DWORD remove);
  ProgressStyle style_;
  ProgressStyle before_ = ProgressStyle::Blocks;  // the look a marquee gives way to
};

// A window timer of a form; stopped when it goes.
class Timer : private MessageHook {
 public:
  Timer(Form& form, UINT intervalMs);
  ~Timer() override;
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  void Start();
  void Stop();
  bool Running() const { return running_; }
  void SetInterval(UINT intervalMs);
  std::function<void()> onTimer;

 private:
  bool HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  Form& form_;
  UINT_PTR id_;
  UINT interval_;
  bool running_ = false;
};

}  // namespace vantrel::ui
