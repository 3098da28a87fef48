#pragma once
// Process-wide state of the main program, set by the start sequence on the
// user-interface thread and read by every window.
#include <memory>
#include <string>

namespace vantrel {

class LanguageTable;

// True when the user-interface language is Korean (1042).
extern bool KoreanUi;

// The open language table, or null when it could not be extracted (every
// text then keeps its built-in Korean default).
LanguageTable* CurrentLanguageTable();
void SetCurrentLanguageTable(std::unique_ptr<LanguageTable> table);

// The program's title, used as the caption of plain message boxes.
inline constexpr const wchar_t* kProgramTitle = L"Vantrel";

// Built-in Korean defaults for [VantrelMainForm] keys, with "#13#10" left in
// place (the main window unescapes after reading).
struct BuiltInTexts {
  std::wstring killProc1, killProc2, killProc3, killProc4;
  std::wstring update1, update2, update3;
};
const BuiltInTexts& BuiltIns();

// Shown when the hand-off to the updater fails; replaced at start by
// [Vantrel] "Msg_UpdateFail" (unescaped).
std::wstring& UpdateFailText();

// ---- set by the tweak toggle, read by the windows it runs

// Set by the tweak toggle before the worker starts, only read by the worker:
// true removes the tweak (Off), false applies it (ON).
extern bool ClearTweak;

// True while the add-on window is to run in automatic mode: the toggle sets
// it just before it opens the window, the window clears it when it closes,
// so that the next opening from the main window is manual again.
extern bool AddonAutoReset;

// The same for the start-up program window.
extern bool StartupAutoReset;

// ---- set by the version check

// The page the tweak toggle opens in the browser after each switch. Starts as
// InitialPopupUrl() (update/popup_url.h); the version check replaces it from
// its announcement. Empty: nothing is opened.
extern std::wstring PopupUrl;

}  // namespace vantrel
