#pragma once
// The form kit's base: a window class whose procedure finds its C++ object
// (bound at WM_NCCREATE through GWLP_USERDATA), controls that belong to a
// container (a form or a panel) which lays out its aligned children, forms
// with typed handlers and modal showing, and the message loops.
//
// No exception leaves a window procedure: the procedure catches everything,
// counts it (EscapedExceptionCount) and answers the message as handled.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/unique_handle.h"
#include "ui/scale.h"

namespace vantrel::ui {

class Container;
class Form;

// How a control sits in its container. Top ones stack down from the top in
// their order, Bottom ones sit at the bottom in their order (the last one
// lowest), Left/Right take the full height of what is left, Client fills the
// rest. Hidden controls take no space. None keeps its own bounds.
enum class Align { None, Top, Bottom, Left, Right, Client };

// A background colour and its brush, owned by the window it paints.
class Background {
 public:
  // Makes the brush; false (and no colour) when GDI refused.
  bool Set(COLORREF color);
  void Clear() { brush_.reset(); }
  bool IsSet() const { return brush_.valid(); }
  COLORREF Color() const { return color_; }
  HBRUSH Brush() const { return static_cast<HBRUSH>(brush_.get()); }

 private:
  platform::UniqueGdiObject brush_;
  COLORREF color_ = 0;
};

// Exceptions caught at a window procedure since the process started.
int EscapedExceptionCount();
// The text (caption) of any window; empty for none.
std::wstring WindowText(HWND hwnd);

namespace detail {
void NoteEscapedException(UINT msg) noexcept;

// The shared procedure of the kit's window classes: T::HandleMessage(hwnd,
// msg, wp, lp) of the object passed as the creation parameter.
template <class T>
LRESULT CALLBACK BoundProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  T* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->BindWindow(hwnd);
  } else {
    self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  try {
    result = self->HandleMessage(hwnd, msg, wp, lp);
  } catch (...) {
    NoteEscapedException(msg);
    result = msg == WM_NCCREATE ? TRUE : 0;
  }
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->UnbindWindow();
  }
  return result;
}

// Registers a window class of the kit once per process.
bool RegisterKitClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background, HICON icon);
}  // namespace detail

// A child window that belongs to a container. The container owns the C++
// object; Windows destroys the window with its parent.
class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND hwnd() const { return hwnd_; }
  int id() const { return id_; }
  Container& parent() const { return parent_; }
  Form& form() const;

  std::wstring Text() const;
  void SetText(const std::wstring& text);
  void SetFont(HFONT font);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  // The control's own visibility (a control inside a hidden panel stays "visible").
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  // Bounds in the parent's client area. Designed values are scaled to the DPI.
  void SetBounds(const Rect& designed);
  void SetBoundsPx(int left, int top, int width, int height);
  RECT BoundsPx() const;  // left, top, right, bottom in the parent
  int LeftPx() const { return BoundsPx().left; }
  int TopPx() const { return BoundsPx().top; }
  int WidthPx() const;
  int HeightPx() const;
  void SetHeightPx(int height);

  Align align() const { return align_; }
  void SetAlign(Align align);

  // A background colour of its own (labels, check boxes, panels); the
  // control repaints. Without one a control shows its container's colour,
  // and a container without one the system's face colour.
  bool SetBackgroundColor(COLORREF color);
  void ClearBackgroundColor();
  const Background& background() const { return background_; }

  // Notifications routed by the form, by control id.
  virtual void OnCommand(WORD /*code*/) {}
  virtual LRESULT OnNotify(NMHDR& /*header*/) { return 0; }

 protected:
  explicit Control(Container& parent);
  // Creates the window as a child of the container; visible unless told.
  bool CreateChild(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle,
                   const Rect& designed, LPVOID param = nullptr);

 private:
  friend class Container;
  Container& parent_;
  Form* form_;  // resolved once: the parent may be half destroyed when this goes
  HWND hwnd_ = nullptr;
  int id_ = 0;
  bool visible_ = true;
  Align align_ = Align::None;
  Background background_;
};

// Something that holds controls: a form's client area or a panel.
class Container {
 public:
  virtual ~Container();
  virtual HWND ContainerWindow() const = 0;
  virtual Form& OwnerForm() = 0;

  // Creates a control owned by this container; the reference lives as long
  // as the container.
  template <class T, class... Args>
  T& Add(Args&&... args) {
    auto control = std::make_unique<T>(*this, std::forward<Args>(args)...);
    T& ref = *control;
    children_.push_back(std::move(control));
    if (ref.align() != Align::None) Realign();
    return ref;
  }
  const std::vector<std::unique_ptr<Control>>& children() const { return children_; }

  // Lays out the aligned children in the client area (see Align).
  void Realign();

 protected:
  // Runs after the aligned children were placed; for containers with more.
  virtual void AfterRealign() {}
  void DestroyChildren() { children_.clear(); }

 private:
  std::vector<std::unique_ptr<Control>> children_;
};

// Something that wants a look at the form's messages first (tray icon, timer).
class MessageHook {
 public:
  virtual ~MessageHook() = default;
  // True when the message was handled; *result is then returned.
  virtual bool HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) = 0;
};

// What a form looks like when it is created.
struct FormSpec {
  const wchar_t* className = L"VantrelForm";
  std::wstring caption;
  int clientWidth = 0, clientHeight = 0;  // designed
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  HWND owner = nullptr;
};

// A top-level window. Derived forms build their controls after Create()
// and name their handlers after the controls.
class Form : public Container {
 public:
  Form();
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  bool Create(const FormSpec& layout);
  HWND hwnd() const { return hwnd_; }
  HWND ContainerWindow() const override { return hwnd_; }
  Form& OwnerForm() override { return *this; }
  HWND owner() const { return hwnd_ ? ::GetWindow(hwnd_, GW_OWNER) : nullptr; }

  std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);
  void Show();
  void Hide();
  bool IsVisible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }
  // Sends WM_CLOSE: a modal form ends its loop, any other form is destroyed
  // unless OnCloseQuery says no.
  void Close();
  void Destroy();

  RECT WindowRectPx() const;
  int WindowWidthPx() const;
  int WindowHeightPx() const;
  void SetWindowHeightPx(int height);
  void MoveTo(int left, int top);
  // Puts the window in the middle of the work area of the monitor it is on
  // (the taskbar left out); a window larger than the work area keeps its
  // top-left corner inside, so that its caption can still be reached.
  void CenterInWorkArea();

  // The smallest outer size the user can drag the window to, in designed
  // pixels (scaled to the DPI); 0 x 0 for none.
  void SetMinimumSize(int designedWidth, int designedHeight);
  SIZE MinimumSizePx() const { return minSize_; }

  // The client area's colour and the colour of the controls on it that have
  // none of their own; the window repaints.
  bool SetBackgroundColor(COLORREF color);
  void ClearBackgroundColor();
  const Background& background() const { return background_; }

  // Runs the form modally: its owner is disabled, the form shown (unless
  // ShowModalHidden), a message loop runs until EndModal or WM_CLOSE, the
  // owner is enabled again and the form hidden. Loops nest: a modal form may
  // open another one. Returns the result given to EndModal (IDCANCEL when
  // closed). WM_QUIT ends the loop too and is posted again for the outer loop.
  int ShowModal();
  void EndModal(int result);
  bool InModalLoop() const { return modal_; }
  // Automatic tools run modally without ever becoming visible.
  void SetShowModalHidden(bool hidden) { showModalHidden_ = hidden; }

  // A Yes/No question owned by this form with its caption as title.
  bool Ask(const std::wstring& text);

  // Control ids, routing and hooks (used by controls, timers, tray icons).
  int RegisterControl(Control* control);
  void UnregisterControl(int id);
  Control* FindControl(int id) const;
  UINT_PTR NewTimerId() { return nextTimerId_++; }
  void AddHook(MessageHook* hook) { hooks_.push_back(hook); }
  void RemoveHook(MessageHook* hook);

  // Called by the window procedure.
  void BindWindow(HWND hwnd) { hwnd_ = hwnd; }
  void UnbindWindow();
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  // Typed handlers. Return true from the bool ones when handled.
  virtual bool OnCloseQuery() { return true; }
  virtual void OnDestroy() {}
  virtual bool OnSysCommand(WPARAM /*command*/) { return false; }
  virtual void OnWindowPosChanging(WINDOWPOS& /*pos*/) {}
  virtual void OnSize() {}
  // WM_COMMAND without a control: menus, accelerators, commands posted by others.
  virtual bool OnMenuCommand(WORD /*id*/) { return false; }
  // Messages from WM_USER up (the program's own and registered ones).
  virtual bool OnUserMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT* /*result*/) { return false; }

 private:
  HWND hwnd_ = nullptr;
  HWND focus_ = nullptr;  // restored when the form is activated again
  int nextId_ = 1000;
  UINT_PTR nextTimerId_ = 1;
  std::map<int, Control*> controls_;
  std::vector<MessageHook*> hooks_;
  bool modal_ = false;
  bool modalDone_ = false;
  bool showModalHidden_ = false;
  int modalResult_ = 0;
  SIZE minSize_{0, 0};
  Background background_;
};

namespace detail {
// The answer to WM_CTLCOLOR* from `child`: the brush of the child's own
// colour or of the nearest container with one (DC set up to match), or
// null when none has a colour (the caller then asks DefWindowProc).
// Labels and buttons take their container's colour; edits and lists only
// their own, since their field stays the window colour on any panel.
HBRUSH ControlColorBrush(Form& form, HWND child, HDC dc);
HBRUSH ControlColorBrush(Form& form, HWND child, HDC dc, bool inherit);
// Fills a container window with the colour it shows; false when it has none.
bool EraseWithInheritedColor(Form& form, HWND window, HDC dc);
}  // namespace detail

// Message loops. Keyboard navigation (Tab, arrows, Enter on buttons) goes
// through IsDialogMessage of the kit form that holds the focus.
// Dispatches messages until done() is true; false when WM_QUIT arrived
// (it is posted again so that the outer loop ends too).
bool PumpMessagesUntil(const std::function<bool()>& done);
// Until WM_QUIT; returns its exit code.
int RunMessageLoop();
// Everything that is queued now (also sent messages); for tests and waits.
void PumpPendingMessages();

}  // namespace vantrel::ui
