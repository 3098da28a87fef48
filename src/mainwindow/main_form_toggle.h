#pragma once
// The tweak toggle as the main window runs it (its btnVantrelClick), with the
// add-on and start-up windows' automatic modes as the two resets.
namespace vantrel {

class TVantrelMainForm;

void RunTweakToggle(TVantrelMainForm& form);

}  // namespace vantrel
