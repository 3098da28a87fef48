#include "update/popup_url.h"

namespace vantrel {

std::wstring PopupUrl;

}  // namespace vantrel
