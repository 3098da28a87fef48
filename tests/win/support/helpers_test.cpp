// The test helpers: waiting for windows of this process and acting on them,
// the scratch settings file, and rectangles in designed pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/settings_file.h"
#include "support/layout_rects.h"
#include "support/settings_files.h"
#include "support/window_wait.h"
#include "ui/controls.h"
#include "ui/window.h"

namespace vantrel::test {
namespace {

constexpr const wchar_t* kFormClass = L"VantrelHelperTestForm";

class HelperForm : public ui::Form {
 public:
  explicit HelperForm(const std::wstring& caption) {
    ui::InitializeUi();
    ui::FormSpec layout;
    layout.className = kFormClass;
    layout.caption = caption;
    layout.clientWidth = 240;
    layout.clientHeight = 120;
    Create(layout);
  }
};

TEST(WindowWait, AnswersAMessageBoxThatThisThreadShows) {
  for (int answer : {IDYES, IDNO}) {
    std::wstring text;
    BackgroundAction helper = WhenMessageBoxShown(::GetCurrentProcessId(), answer, 10000, &text, L"Helper question");
    const int got = ::MessageBoxW(nullptr, L"Keep the entry?", L"Helper question", MB_YESNO);
    EXPECT_TRUE(helper.Wait());
    EXPECT_EQ(got, answer);
    EXPECT_EQ(text, L"Keep the entry?");
  }
}

TEST(WindowWait, FindsAWindowByClassAndCaptionAndPressesItsButton) {
  HelperForm other(L"Another caption");
  other.Show();
  HelperForm form(L"Helper form");
  ui::Button& stop = form.Add<ui::Button>(L"&Stop", ui::Rect{10, 10, 80, 24});
  stop.onClick = [&] { form.EndModal(IDOK); };

  // Only the window with the caption counts, and only once it is shown.
  const WindowQuery query{kFormClass, L"Helper form", ::GetCurrentProcessId(), true};
  EXPECT_EQ(FindWindowMatching(query), nullptr);
  EXPECT_EQ(FindWindowMatching(WindowQuery{kFormClass, L"", ::GetCurrentProcessId(), true}), other.hwnd());
  EXPECT_EQ(FindWindowMatching(WindowQuery{kFormClass, L"Helper form", ::GetCurrentProcessId() + 4, false}), nullptr);

  BackgroundAction helper = WhenWindowShown(query, L"&Stop");
  EXPECT_EQ(form.ShowModal(), IDOK);  // ended by the helper's press
  EXPECT_TRUE(helper.Wait());

  // A window this thread shows a moment later (from its own timer) is
  // found: the wait handles the thread's messages.
  HelperForm late(L"Shown later");
  ui::Timer show(late, 50);
  show.onTimer = [&] {
    show.Stop();
    late.Show();
  };
  show.Start();
  EXPECT_EQ(WaitForWindow(kFormClass, L"Shown later", ::GetCurrentProcessId(), 5000), late.hwnd());
}

TEST(WindowWait, GivesUpAfterItsTime) {
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_EQ(WaitForWindow(L"VantrelNoSuchClass", L"", 0, 200), nullptr);
  EXPECT_GE(::GetTickCount64() - start, 150u);
  BackgroundAction helper = WhenMessageBoxShown(::GetCurrentProcessId(), IDOK, 100);
  EXPECT_FALSE(helper.Wait());
}

TEST(ScratchSettingsFile, WritesAndReadsTheFileTheProgramReads) {
  ScratchSettingsFile ini;
  EXPECT_FALSE(ini.Exists());
  EXPECT_EQ(ini.path(), ini.folder() + L"\\Vantrel.ini");
  EXPECT_EQ(ini.Read(L"WINDOW", L"TOPMOST"), L"<missing>");
  EXPECT_FALSE(ini.HasKey(L"WINDOW", L"TOPMOST"));

  ASSERT_TRUE(ini.WriteBool(L"WINDOW", L"TOPMOST", true));
  ASSERT_TRUE(ini.Write(L"PROGRAM_LAUNCHER", L"NAME", L""));
  EXPECT_TRUE(ini.Exists());
  EXPECT_EQ(ini.Read(L"WINDOW", L"TOPMOST"), L"1");
  EXPECT_TRUE(ini.HasKey(L"PROGRAM_LAUNCHER", L"NAME"));  // empty, but there
  EXPECT_EQ(ini.Read(L"PROGRAM_LAUNCHER", L"NAME"), L"");
  const SettingsFile program(ini.path());
  EXPECT_TRUE(program.ReadBool(L"WINDOW", L"TOPMOST", false));

  // Raw bytes for damaged files, read back as they are.
  const std::string damaged = "[WINDOW\r\nTOPMOST=1\r\n\x01\xFF garbage\r\n";
  ASSERT_TRUE(ini.WriteBytes(damaged));
  EXPECT_EQ(ini.Bytes(), damaged);
  EXPECT_TRUE(ini.Remove());
  EXPECT_FALSE(ini.Exists());
  EXPECT_EQ(ini.Bytes(), "");
}

TEST(LayoutRects, ControlsAndWindowsInDesignedPixels) {
  HelperForm form(L"Layout");
  ui::Button& button = form.Add<ui::Button>(L"OK", ui::Rect{12, 34, 56, 22});
  ui::Panel& panel = form.Add<ui::Panel>(ui::Rect{0, 0, 240, 40}, ui::Align::Bottom);
  // Scaling rounds each value; one designed pixel of tolerance covers it at any DPI.
  const int tolerance = ui::SystemDpi() == 96 ? 0 : 1;
  EXPECT_TRUE(HasDesignedRect(button.hwnd(), ui::Rect{12, 34, 56, 22}, tolerance));
  EXPECT_TRUE(HasDesignedRect(panel.hwnd(), ui::Rect{0, 80, 240, 40}, tolerance));
  EXPECT_TRUE(RectNear(DesignedClientRect(form.hwnd()), ui::Rect{0, 0, 240, 120}, tolerance));
  const ui::Rect outer = DesignedWindowRect(form.hwnd());
  EXPECT_GT(outer.width, 240);  // the frame is counted

  const ::testing::AssertionResult wrong = HasDesignedRect(button.hwnd(), ui::Rect{12, 34, 57, 22});
  EXPECT_FALSE(wrong);
  EXPECT_NE(std::string(wrong.message()).find("expected 12, 34, 57 x 22"), std::string::npos) << wrong.message();
  EXPECT_FALSE(HasDesignedRect(nullptr, ui::Rect{}));
}

}  // namespace
}  // namespace vantrel::test
