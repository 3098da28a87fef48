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

}  // namespace vantrel
