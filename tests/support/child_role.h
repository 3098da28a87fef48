#pragma once
// A test program can start a copy of itself in a helper role (a program that
// hangs, a probe that reports what the system tells it). The role is named
// on the command line as "--vantrel-child=<role>" and handled in a static
// initialiser of the test program before the tests would run.
#include <string>

namespace vantrel::test {

inline constexpr const wchar_t* kChildRoleSwitch = L"--vantrel-child=";

// The role named on this process's command line, or empty text.
std::wstring ChildRole();
// The full path of this test program.
std::wstring OwnExePath();

}  // namespace vantrel::test
