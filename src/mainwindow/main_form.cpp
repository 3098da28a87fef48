// The main window as the application's main window: created once, shown,
// and the message loop runs until the tray menu's Close destroys it.
#include "mainwindow/main_form.h"

#include "mainwindow/vantrel_main_form.h"
#include "ui/window.h"

namespace vantrel {

int RunMainForm() {
  TVantrelMainForm form;
  if (!form.Create()) return 0;
  form.SetQuitOnDestroy(true);
  return ui::RunMessageLoop();
}

}  // namespace vantrel
