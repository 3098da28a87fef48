#include "core/app_state.h"

namespace vantrel {
namespace {

// The first piece shared by the first three confirmation texts.
constexpr const wchar_t* kKillProcLead =
    L"Vantrel ON/OFF를 실행하시면#13#10#13#10현재 실행중인 모든 익스플로러가 종료되고,";

BuiltInTexts MakeBuiltIns() {
  BuiltInTexts t;
  t.killProc1 = std::wstring(kKillProcLead) + L"#13#10시작 프로그램 초기화 및 익스플로러 초기화도 같이 처리됩니다." +
                L"#13#10#13#10Vantrel ON/OFF를 처리하시겠습니까?";
  t.killProc2 = std::wstring(kKillProcLead) +
                L"#13#10시작 프로그램 초기화도 같이 처리됩니다.#13#10#13#10Vantrel ON/OFF를 처리하시겠습니까?";
  t.killProc3 = std::wstring(kKillProcLead) +
                L"#13#10익스플로러 초기화도 같이 처리됩니다.#13#10#13#10Vantrel ON/OFF를 처리하시겠습니까?";
  t.killProc4 =
      L"Vantrel ON/OFF를 처리하려면 현재 실행중인 모든 익스플로러가 종료됩니다.#13#10#13#10Vantrel ON/OFF를 "
      L"처리하시겠습니까?";
  t.update1 = L"Vantrel 프로그램이 업데이트되었습니다.#13#10#13#10업데이트를 시작하시겠습니까?";
  t.update2 = L"업데이트를 실패하였습니다.\r\n잠시 후 다시 시도해 주시기 바랍니다.";
  t.update3 = L"이미 최신 버전을 사용하고 있습니다.";
  return t;
}

}  // namespace

bool KoreanUi = false;
bool ClearTweak = false;
bool AddonAutoReset = false;
bool StartupAutoReset = false;
std::wstring PopupUrl;

const BuiltInTexts& BuiltIns() {
  static const BuiltInTexts texts = MakeBuiltIns();
  return texts;
}

std::wstring& UpdateFailText() {
  static std::wstring text = L"업데이트를 실패하였습니다.\r\n\r\n잠시 후 다시 시도하시기 바랍니다.";
  return text;
}

}  // namespace vantrel
