#include "update/popup_url.h"

#include <gtest/gtest.h>

#include "core/build_config.h"

TEST(PopupUrl, StartsAsThePopUpPageOnTheHomePageHostOfTheLanguage) {
  EXPECT_EQ(vantrel::InitialPopupUrl(true), std::wstring(VANTREL_HOME_KR_URL) + L"op.html");
  EXPECT_EQ(vantrel::InitialPopupUrl(false), std::wstring(VANTREL_HOME_INTL_URL) + L"op.html");
}
