#include "update/popup_url.h"

#include "core/build_config.h"

namespace vantrel {

std::wstring InitialPopupUrl(bool korean) {
  std::wstring home = korean ? VANTREL_HOME_KR_URL : VANTREL_HOME_INTL_URL;
  if (home.empty() || home.back() != L'/') home += L'/';
  return home + L"op.html";
}

}  // namespace vantrel
