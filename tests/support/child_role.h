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

namespace vantrel::test {

// Helper-role bodies: a top-level window of `className` that closes when
// asked — the process then ends by itself with code 7 after `exitDelayMs`, so
// a test can tell it was not ended from outside (code 9 after 30 s without a
// close) — or one whose thread never handles a message again (code 9).
[[noreturn]] void RunClosingWindow(const wchar_t* className, const wchar_t* title, unsigned exitDelayMs);
[[noreturn]] void RunHungWindow(const wchar_t* className, const wchar_t* title);

}  // namespace vantrel::test
