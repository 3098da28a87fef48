// The two language tables the program carries: same sections, same keys in
// the same order, and every key a window reads is there.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/profile_text.h"

using vantrel::ParseProfileText;
using vantrel::ProfileText;

namespace {

struct SectionKeys {
  const wchar_t* section;
  std::vector<std::wstring> keys;
};

void AddRange(std::vector<std::wstring>& keys, const std::wstring& prefix, int first, int last,
              const std::wstring& suffix = L"") {
  for (int i = first; i <= last; ++i) keys.push_back(prefix + std::to_wstring(i) + suffix);
}

std::vector<std::wstring> Columns(const std::wstring& list, int count) {
  std::vector<std::wstring> keys;
  AddRange(keys, list + L".Columns.Items[", 0, count - 1, L"]");
  return keys;
}

std::vector<std::wstring> Join(std::initializer_list<std::vector<std::wstring>> parts) {
  std::vector<std::wstring> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// The keys each window reads, section by section, in table order.
std::vector<SectionKeys> Manifest() {
  std::vector<std::wstring> recoveryButtons = {L"btnAllCheck", L"btnAllUncheck", L"btnDel", L"btnRecover"};
  for (int i = 2; i <= 5; ++i) {
    for (const wchar_t* b : {L"btnAllCheck", L"btnAllUncheck", L"btnDel", L"btnRecover"}) {
      recoveryButtons.push_back(b + std::to_wstring(i));
    }
  }
  std::vector<std::wstring> recoveryPages = {L"SysRecoveryForm", L"btnClose"};
  AddRange(recoveryPages, L"tabSheet", 1, 5);
  AddRange(recoveryPages, L"pnlTop", 1, 5);
  std::vector<std::wstring> setEnvMessages;
  AddRange(setEnvMessages, L"Msg_ChkPGTab", 1, 9);
  AddRange(setEnvMessages, L"Msg_ChkSiteTab", 1, 9);
  setEnvMessages.push_back(L"Msg_Save");

  return {
      {L"Vantrel", {L"Msg_NoExe", L"Msg_UpdateFail"}},
      {L"VantrelMainForm",
       {L"VantrelMainForm", L"btnInitNetReg", L"btnStartProgram", L"btnSetEnv", L"btnUpdate", L"btnProcGuide",
        L"btnInitIE", L"btnInitActX", L"btnHDD", L"btnRecovery", L"lbl1", L"lbl2", L"lbl3", L"lbl4", L"chkTopMost",
        L"chkMenuHide", L"TrayPopupHomePage", L"TrayPopupClose", L"TrayPopupOpen", L"Msg_KillProc1",
        L"Msg_KillProc2", L"Msg_KillProc3", L"Msg_KillProc4", L"Msg_Update1", L"Msg_Update2", L"Msg_Update3",
        L"Msg_ExceptSet", L"Msg_ExceptCancel"}},
      {L"PingStatusForm",
       Join({{L"PingStatusForm", L"btnClose"}, Columns(L"lv1", 3),
             {L"Msg_TcpIp", L"Msg_TcpAckFrequencySet", L"Msg_TcpAckFrequencyClear", L"Msg_TCPNoDelaySet",
              L"Msg_TCPNoDelayClear", L"Msg_TcpDelAckTicksSet", L"Msg_TcpDelAckTicksClear", L"Msg_MSMQServerInfo",
              L"Msg_IPAddrress", L"Msg_AcrStatus", L"Msg_PingSet", L"Msg_PingClear"}})},
      {L"BHOForm",
       Join({{L"BHOForm", L"btnAllUncheck", L"btnAllCheck", L"btnDel", L"btnCancel"}, Columns(L"lv1", 5),
             Columns(L"lv2", 5), Columns(L"lv3", 4), {L"Msg_DelBho1", L"Msg_DelBho2", L"Msg_DelBho3"}})},
      {L"HddForm",
       {L"HddForm", L"lbl1", L"lbl2", L"lbl3", L"lbl4", L"btnAllChk", L"btnDelChk", L"btnStart", L"btnClose",
        L"chkIETempFile", L"chkCookie", L"chkAddrBar", L"chkAutoPass", L"chkMyTempFile", L"chkDoc",
        L"Msg_IsClose1"}},
      {L"InitActiveXForm",
       Join({{L"InitActiveXForm", L"btnAllUncheck", L"btnAllCheck", L"btnDel", L"btnCancel"}, Columns(L"lv1", 4),
             {L"Msg_Del1", L"Msg_Del2"}})},
      {L"InitProcRegForm",
       Join({{L"InitProcRegForm", L"btnDel", L"btnAdd", L"btnClose", L"btnSel", L"btnSelDel"}, Columns(L"lv1", 3),
             {L"Msg_Add1", L"Msg_Del1"}})},
      {L"ProcViewForm",
       Join({{L"ProcViewForm", L"btnClose", L"btnRegProc", L"btnSelAll", L"btnSelDel", L"btnProcDel",
              L"btnRefresh", L"lbl1", L"lbl2"},
             Columns(L"lv1", 4), Columns(L"lv2", 4), {L"Msg_ProcDel1", L"Msg_RegProc1", L"Msg_RegProc2"}})},
      {L"SetEnvForm",
       Join({{L"SetEnvForm", L"btnRegStart", L"btnClose", L"btnProgramSearch", L"btnInitPG1", L"btnInitSite1",
              L"btnInitPG2", L"btnProgramSearch2", L"btnInitPG3", L"btnProgramSearch3", L"btnInitPG4",
              L"btnProgramSearch4", L"btnInitSite2", L"btnInitSite3", L"btnInitSite4", L"lblSetEnv",
              L"lblLauncher", L"lblProgramLauncherName", L"lblProgramReg", L"lblSiteLauncherName",
              L"lblSiteLauncherReg", L"lblProgramLauncher2", L"lblProgramReg2", L"lblProgramLauncher3",
              L"lblProgramReg3", L"lblProgramLauncher4", L"lblProgramReg4", L"lblSiteLauncherName2",
              L"lblSiteLauncherReg2", L"lblSiteLauncherName3", L"lblSiteLauncherReg3", L"lblSiteLauncherName4",
              L"lblSiteLauncherReg4", L"chkStartProgramReg", L"chkProgramLauncher", L"chkSiteLauncher",
              L"chkStartPGInit", L"chkIEInit", L"tabSheet1", L"tabSheet2", L"tabSheet3", L"tabSheet4",
              L"tabSheetSite1", L"tabSheetSite2", L"tabSheetSite3", L"tabSheetSite4"},
             setEnvMessages})},
      {L"StartProgramForm",
       Join({{L"StartProgramForm", L"btnAllUncheck", L"btnAllCheck", L"btnDel", L"btnCancel", L"btnStartPGReg"},
             Columns(L"lv1", 5), Columns(L"lv2", 5), {L"Msg_Del1", L"Msg_Del2", L"Msg_Del3"}})},
      {L"SysRecoveryForm",
       Join({recoveryPages, Columns(L"lv1", 4), Columns(L"lv2", 4), Columns(L"lv3", 4), Columns(L"lv4", 4),
             Columns(L"lv5", 3), recoveryButtons,
             {L"Msg_SelDelOk", L"Msg_SelDel", L"Msg_SelRcvOk", L"Msg_SelRcv", L"Msg_Scheduler", L"Msg_RcvFail",
              L"Msg_RcvExists"}})},
  };
}

std::wstring FromUtf8(const std::string& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || (extra > 0 && i + extra >= s.size())) {  // unreadable or cut off
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(static_cast<wchar_t>(cp));
    i += extra + 1;
  }
  return out;
}

ProfileText LoadSource(const char* name) {
  std::ifstream in(std::string(VANTREL_LANG_SOURCE_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return ParseProfileText(FromUtf8(bytes.str()));
}

void ExpectMatchesManifest(const ProfileText& table, const char* name) {
  SCOPED_TRACE(name);
  EXPECT_TRUE(table.damagedLines.empty()) << "first damaged line: "
                                         << (table.damagedLines.empty() ? 0 : table.damagedLines[0]);
  auto manifest = Manifest();
  ASSERT_EQ(table.sections.size(), manifest.size());
  for (size_t s = 0; s < manifest.size(); ++s) {
    const auto& section = table.sections[s];
    EXPECT_EQ(section.name, manifest[s].section);
    std::vector<std::wstring> keys;
    for (const auto& e : section.entries) {
      keys.push_back(e.key);
      EXPECT_FALSE(e.value.empty()) << "[" << testing::PrintToString(section.name) << "] "
                                    << testing::PrintToString(e.key);
    }
    EXPECT_EQ(keys, manifest[s].keys) << "section " << testing::PrintToString(section.name);
  }
}

}  // namespace

TEST(LanguageTables, TheManifestHasTheCountsOfTheDesign) {
  std::vector<size_t> counts;
  for (const auto& s : Manifest()) counts.push_back(s.keys.size());
  EXPECT_EQ(counts, (std::vector<size_t>{2, 28, 17, 22, 16, 11, 11, 20, 65, 19, 58}));
}

TEST(LanguageTables, BothTablesCarryEveryKeyInTheSameOrder) {
  ProfileText korean = LoadSource("Korean.ini");
  ProfileText english = LoadSource("English.ini");
  ExpectMatchesManifest(korean, "Korean.ini");
  ExpectMatchesManifest(english, "English.ini");
  ASSERT_EQ(korean.sections.size(), english.sections.size());
  for (size_t s = 0; s < korean.sections.size(); ++s) {
    const auto& k = korean.sections[s];
    const auto& e = english.sections[s];
    EXPECT_EQ(k.name, e.name);
    ASSERT_EQ(k.entries.size(), e.entries.size()) << testing::PrintToString(k.name);
    for (size_t i = 0; i < k.entries.size(); ++i) EXPECT_EQ(k.entries[i].key, e.entries[i].key);
  }
}

TEST(LanguageTables, TellingTexts) {
  ProfileText korean = LoadSource("Korean.ini");
  ProfileText english = LoadSource("English.ini");
  EXPECT_EQ(*korean.Value(L"VantrelMainForm", L"Msg_ExceptSet"), L"설정");
  EXPECT_EQ(*english.Value(L"VantrelMainForm", L"Msg_ExceptCancel"), L"Cancel");
  EXPECT_EQ(*korean.Value(L"Vantrel", L"Msg_UpdateFail"), L"업데이트를 실패하였습니다.#13#10#13#10잠시 후 다시 시도하시기 바랍니다.");
  EXPECT_EQ(*english.Value(L"PingStatusForm", L"Msg_TCPNoDelayClear"), L"Clear no delay transimission");
  EXPECT_EQ(*english.Value(L"SetEnvForm", L"Msg_ChkPGTab2"), L"You should input program name to \"program_1\"");
  EXPECT_EQ(*english.Value(L"SysRecoveryForm", L"Msg_Scheduler"),
            L"\"Recover the Scheduler\" is only available under Windows Vista or beyond.");
}
