#pragma once
// The first pop-up page (PopupUrl in core/app_state.h): "op.html" on the
// home-page host of the user-interface language, until the version check
// replaces it from its announcement.
#include <string>

namespace vantrel {

// "op.html" on the vendor's home-page host (Korean or international).
std::wstring InitialPopupUrl(bool korean);

}  // namespace vantrel
