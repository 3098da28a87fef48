#pragma once
#include <string>

namespace vantrel::platform {
// The system's message text for a Win32 error code, without the trailing line break.
std::wstring SystemErrorText(unsigned long error);
}
