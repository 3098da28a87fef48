#pragma once
// The pop-up page that the tweak toggle opens in the browser after each
// switch. The version check sets it from its announcement.
#include <string>

namespace vantrel {

// Empty until the version check has named a page; the toggle opens nothing then.
extern std::wstring PopupUrl;

}  // namespace vantrel
