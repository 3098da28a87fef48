// The strip animation as a control of any window: its own timer, start from
// the first frame, stop holding the frame, a strip handed in by the window.
#include <windows.h>

#include <gtest/gtest.h>

#include "kit_test_form.h"
#include "support/process_driver.h"
#include "ui/strip_animation.h"

using namespace vantrel::ui;
using vantrel::ui::test::KitTestForm;

namespace {

void PumpFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    PumpPendingMessages();
    Sleep(5);
  }
}

}  // namespace

TEST(StripAnimation, RunsOnItsOwnTimerAndHoldsItsFrameWhenStopped) {
  KitTestForm form;
  StripAnimation& animation = form.Add<StripAnimation>(Rect{10, 10, 16, 16});
  EXPECT_FALSE(animation.Running());
  animation.NextFrame();
  animation.NextFrame();
  ASSERT_TRUE(animation.Start(10));
  EXPECT_TRUE(animation.Running());
  EXPECT_EQ(animation.Frame(), 0);  // from the start
  EXPECT_TRUE(vantrel::test::WaitUntil(
      [&] {
        PumpPendingMessages();
        return animation.Frame() >= 2;
      },
      5000, 5));
  animation.Stop();
  EXPECT_FALSE(animation.Running());
  const int held = animation.Frame();
  PumpFor(100);
  EXPECT_EQ(animation.Frame(), held);
}

TEST(StripAnimation, TakesAStripOfItsOwnAndRefusesOneTooSmall) {
  KitTestForm form;
  StripAnimation& animation = form.Add<StripAnimation>(Rect{10, 10, 16, 16});
  EXPECT_EQ(animation.FrameCount(), StripAnimation::kFrameCount);
  HDC screen = GetDC(nullptr);
  HBITMAP small = CreateCompatibleBitmap(screen, 40, 16);  // two frames of 16 x 16, not three
  HBITMAP three = CreateCompatibleBitmap(screen, 48, 16);
  ReleaseDC(nullptr, screen);
  EXPECT_FALSE(animation.SetStrip(small, 3, 16, 16));
  EXPECT_EQ(GetObjectType(small), 0u);  // handed over, so deleted
  EXPECT_EQ(animation.FrameCount(), StripAnimation::kFrameCount);
  EXPECT_FALSE(animation.SetStrip(nullptr, 3, 16, 16));

  ASSERT_TRUE(animation.SetStrip(three, 3, 16, 16));
  EXPECT_EQ(animation.FrameCount(), 3);
  animation.NextFrame();
  animation.NextFrame();
  EXPECT_EQ(animation.Frame(), 2);
  animation.NextFrame();
  EXPECT_EQ(animation.Frame(), 0);
  UpdateWindow(animation.hwnd());  // paints from the new strip
  form.Destroy();
}
