#include "mainwindow/main_form_toggle.h"

#include "addons/addon_auto_reset.h"
#include "mainwindow/vantrel_main_form.h"
#include "startup/startup_auto_reset.h"
#include "tweak/tweak_toggle.h"

namespace vantrel {
namespace {

class MainFormToggleHost final : public ToggleHost {
 public:
  explicit MainFormToggleHost(TVantrelMainForm& form) : form_(form) {}
  HWND Window() const override { return form_.hwnd(); }
  std::wstring Caption() const override { return form_.Caption(); }
  std::wstring ToggleCaption() const override { return form_.ToggleCaption(); }
  void SetToggleCaption(const std::wstring& caption, bool bold) override { form_.SetToggleCaption(caption, bold); }
  bool ResetStartupOnToggle() const override { return form_.ResetStartupOnToggle(); }
  bool ResetIeOnToggle() const override { return form_.ResetIeOnToggle(); }
  std::wstring KillProcText(int n) const override { return form_.KillProcText(n); }

 private:
  TVantrelMainForm& form_;
};

}  // namespace

void RunTweakToggle(TVantrelMainForm& form) {
  MainFormToggleHost host(form);
  ToggleSteps steps;
  steps.addonReset = RunAddonAutoReset;
  steps.startupReset = RunStartupAutoReset;
  RunTweakToggle(host, steps);
}

}  // namespace vantrel
