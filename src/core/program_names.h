#pragma once
// Names and numbers by which the main program's pieces find each other: the
// single-instance mutex, the main window's class and restore message, the
// files it writes and the resources it carries.
#include <windows.h>

namespace vantrel {

inline constexpr const wchar_t* kInstanceMutexName = L"VANTREL";
inline constexpr const wchar_t* kMainWindowClass = L"TVantrelMainForm";
inline constexpr UINT kRestoreMessage = WM_USER + 99;  // 1123
inline constexpr const wchar_t* kLanguageFileName = L"Vantrel.dat";
inline constexpr const wchar_t* kUpdaterFileName = L"VantrelUpdate.exe";
inline constexpr const wchar_t* kCarriedResourceType = L"100";
inline constexpr int kUpdaterResourceId = 101;
inline constexpr int kSchedletResourceId = 102;
inline constexpr int kKoreanTableId = 103;
inline constexpr int kEnglishTableId = 104;
inline constexpr unsigned kKoreanLanguage = 1042;

}  // namespace vantrel
