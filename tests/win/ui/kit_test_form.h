#pragma once
// A plain form for the form kit's tests.
#include "ui/window.h"

namespace vantrel::ui::test {

class KitTestForm : public Form {
 public:
  explicit KitTestForm(int width = 300, int height = 200, DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN) {
    InitializeUi();
    FormSpec layout;
    layout.className = L"VantrelKitTestForm";
    layout.caption = L"Kit test form";
    layout.clientWidth = width;
    layout.clientHeight = height;
    layout.style = style;
    created = Create(layout);
  }
  bool created = false;
};

}  // namespace vantrel::ui::test
