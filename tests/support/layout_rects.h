#pragma once
// Rectangles for layout tests, in designed pixels (96 DPI): a control's
// place in its parent's client area and a window's client size, converted
// back from the system's DPI, so that a test can compare them with the
// designed numbers at any DPI.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "ui/scale.h"

namespace vantrel::test {

// Screen pixels back to designed pixels (rounded to the nearest).
int Unscale(int pixels);
// A child window's rectangle in its parent's client area, designed pixels.
ui::Rect DesignedRect(HWND control);
// A window's client area, designed pixels (left and top 0).
ui::Rect DesignedClientRect(HWND window);
// A window's outer size (the frame included), designed pixels; left and top
// are its place on the screen.
ui::Rect DesignedWindowRect(HWND window);
std::wstring RectText(const ui::Rect& r);  // "left, top, width x height"

// True when each value is within `tolerance` designed pixels of the
// expected one (scaling rounds: at 96 DPI use 0); names both otherwise.
::testing::AssertionResult RectNear(const ui::Rect& actual, const ui::Rect& expected, int tolerance = 0);
::testing::AssertionResult HasDesignedRect(HWND control, const ui::Rect& expected, int tolerance = 0);

}  // namespace vantrel::test
