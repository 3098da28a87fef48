#pragma once
// The pop-up page that the tweak toggle opens in the browser after each
// switch. It starts as "op.html" on the home-page host of the user-interface
// language; the version check replaces it from its announcement.
#include <string>

namespace vantrel {

extern std::wstring PopupUrl;

// "op.html" on the vendor's home-page host (Korean or international).
std::wstring InitialPopupUrl(bool korean);

}  // namespace vantrel
