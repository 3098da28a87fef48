#pragma once
// Which Windows the program runs on, and the system programs of either
// bitness. A 32-bit program on 64-bit Windows runs under WoW64: its system
// folder is the 32-bit one, and the 64-bit one is reached as
// "<Windows>\Sysnative".
#include <string>
#include <string_view>

namespace vantrel::platform {

// True for a 32-bit process on 64-bit Windows (IsWow64Process, looked up at
// run time: the first releases of Windows XP lack it). Asked once.
bool RunsUnderWow64();

// True on 64-bit Windows: the 64-bit build, or the 32-bit one under WoW64.
bool IsWindows64();

// Which system folder a program is taken from: the process's own, the one of
// 64-bit programs, or the one of 32-bit programs.
enum class ProgramBits { Native, Bits64, Bits32 };

// The full path of a program of the system folder of that bitness:
// "<System32>\name" for Native and for the process's own bitness,
// "<SysWOW64>\name" for 32-bit programs from the 64-bit build,
// "<Windows>\Sysnative\name" for 64-bit programs from the 32-bit build.
// Empty when the folder cannot be told.
std::wstring SystemProgramPath(std::wstring_view name, ProgramBits bits);

}  // namespace vantrel::platform
