// Stand-in for the version check until it is built: it announces no update,
// so the start sequence always goes on to the main window.
#include "update/version_check_form.h"

namespace vantrel {

void TVersionCheckForm::ShowModal() { UpdateAvailable = false; }

bool RunUpdater() { return false; }

}  // namespace vantrel
