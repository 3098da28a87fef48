#pragma once
// The user-interface language of the running system, as both programs ask
// for it (1042 = Korean).
#include <cstdint>

namespace vantrel::platform {

// GetUserDefaultUILanguage on Windows 2000 and later (looked up at run time),
// the default user's locale from the registry on older systems; 0 when it
// cannot be told.
uint16_t QueryUiLanguage();

}  // namespace vantrel::platform
