// The main window in-process under Wine, with scripted dialogs and a
// settings file in a scratch folder.
#include "mainwindow/vantrel_main_form.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/app_state.h"
#include "core/build_config.h"
#include "core/language_table.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"

using namespace vantrel;
using ui::Scale;

namespace {

// Designed client height without either launcher panel: 669 - 62 - 60.
constexpr int kBaseClient = 547;

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override { KoreanUi = false; }
  void TearDown() override {
    form_.reset();
    ui::PumpPendingMessages();
    DrainQuit();
    KoreanUi = false;
    SetCurrentLanguageTable(nullptr);
  }

  std::wstring Ini() const { return folder_.File(L"Vantrel.ini"); }
  void Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section, key, value.c_str(), Ini().c_str()));
  }
  std::wstring Read(const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[256];
    GetPrivateProfileStringW(section, key, L"<none>", buffer, 256, Ini().c_str());
    return buffer;
  }

  // Program launcher 1 pointing at a file that does not exist.
  void WriteMissingLauncher() {
  Write(L"PROGRAM_LAUNCHER", L"USE", L"1");
  Write(L"PROGRAM_LAUNCHER", L"NAME", L"Missing");
  Write(L"PROGRAM_LAUNCHER", L"PATH", L"C:\\no such folder\\missing.exe");
  }

  TVantrelMainForm& Open() {
    form_ = std::make_unique<TVantrelMainForm>(Ini());
    EXPECT_TRUE(form_->Create());
    ui::PumpPendingMessages();
    return *form_;
  }

  int ClientHeight() const {
    RECT r;
    GetClientRect(form_->hwnd(), &r);
    return r.bottom;
  }
  // A control's rectangle in the form's client area.
  RECT InForm(const ui::Control& c) const {
    RECT r;
    GetWindowRect(c.hwnd(), &r);
    MapWindowPoints(nullptr, form_->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  bool IsTopMost() const { return (GetWindowLongPtrW(form_->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
  static void DrainQuit() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  test::ScratchFolder folder_;
  test::ScriptedDialogs dialogs_;
  std::unique_ptr<TVantrelMainForm> form_;
};

void ExpectRect(const RECT& r, int left, int top, int width, int height) {
  EXPECT_EQ(r.left, Scale(left));
  EXPECT_EQ(r.top, Scale(top));
  EXPECT_EQ(r.right - r.left, Scale(width));
  EXPECT_EQ(r.bottom - r.top, Scale(height));
}

}  // namespace

TEST_F(MainFormTest, WithoutSettingsFileOpensWithTheDesignedDefaults) {
  TVantrelMainForm& form = Open();
  EXPECT_EQ(FindWindowW(L"TVantrelMainForm", nullptr), form.hwnd());
  EXPECT_EQ(form.Caption(), L"Vantrel");
  EXPECT_TRUE(form.IsVisible());
  EXPECT_TRUE(form.TopMostChecked());
  EXPECT_TRUE(IsTopMost());
  EXPECT_FALSE(form.MenuHideChecked());
  EXPECT_FALSE(form.ResetStartupOnToggle());
  EXPECT_FALSE(form.ResetIeOnToggle());
  EXPECT_FALSE(form.ProgramLaunchersUsed());
  EXPECT_FALSE(form.SiteLaunchersUsed());
  EXPECT_FALSE(form.pnlProgramLauncher->Visible());
  EXPECT_FALSE(form.pnlSiteLauncher->Visible());
  EXPECT_EQ(form.ToggleCaption(), L"Vantrel Off");
  EXPECT_FALSE(form.ToggleCaptionBold());
  EXPECT_EQ(GetFileAttributesW(Ini().c_str()), INVALID_FILE_ATTRIBUTES);  // reading creates nothing

  // Designed places: the panels close up around the hidden launcher panels.
  EXPECT_EQ(ClientHeight(), Scale(kBaseClient));
  RECT client;
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, Scale(231));
  ExpectRect(InForm(*form.btnVantrel), 10, 9, 210, 35);
  ExpectRect(InForm(*form.lbl1), 10, 50 + 6, 210, 13);
  ExpectRect(InForm(*form.lbl4), 0, 50 + 73, 231, 13);
  ExpectRect(InForm(*form.chkMenuHide), 231 - 97, 141, 97, 21);
  ExpectRect(InForm(*form.btnInitNetReg), 10, 162 + 6, 210, 25);
  ExpectRect(InForm(*form.btnSetEnv), 10, 162 + 161, 100, 25);
  ExpectRect(InForm(*form.btnUpdate), 120, 162 + 161, 100, 25);
  ExpectRect(InForm(*form.btnRecovery), 10, 162 + 223, 210, 25);
  ExpectRect(InForm(*form.wbLow), 10, 413 + 6, 210, 100);
  ExpectRect(InForm(*form.chkTopMost), 10, 522 + 6, 210, 17);
  // "On" sits inside lbl4's line, in its blank.
  RECT on = InForm(*form.lbl5);
  EXPECT_TRUE(form.lbl5->Visible());
  EXPECT_GT(on.left, Scale(40));
  EXPECT_LT(on.right, Scale(190));
  EXPECT_EQ(on.top, InForm(*form.lbl4).top);

  // Built-in texts without a language table: designed captions, unescaped messages.
  EXPECT_EQ(form.btnInitNetReg->Text(), L"Vantrel 설정 보기");
  EXPECT_EQ(form.chkTopMost->Text(), L"Vantrel 화면을 항상 위로");
  EXPECT_EQ(form.pmTrayPopup().Caption(2), L"종료(&X)");
  EXPECT_EQ(form.KillProcText(1).find(L"#13"), std::wstring::npos);
  EXPECT_NE(form.KillProcText(1).find(L"\r\n"), std::wstring::npos);
  EXPECT_EQ(form.ExceptSetText(), L"설정");
  EXPECT_EQ(form.ExceptCancelText(), L"해제");
  EXPECT_TRUE(form.CoolTrayIcon().Shown());
  EXPECT_EQ(form.CoolTrayIcon().Hint(), L"Vantrel");
  EXPECT_EQ(form.wbLow->LastUrl(), std::wstring(L"http://") + VANTREL_WEB_INTL_HOST + L"/ads/ad.html");
  EXPECT_GE(form.OsVersionCode(), 0);
}

TEST_F(MainFormTest, TrayIconAndPageComeOnceTheWindowIsShown) {
  form_ = std::make_unique<TVantrelMainForm>(Ini());
  ASSERT_TRUE(form_->Create());
  EXPECT_TRUE(form_->IsVisible());
  EXPECT_FALSE(form_->CoolTrayIcon().Shown());
  EXPECT_TRUE(form_->wbLow->LastUrl().empty());
  ui::PumpPendingMessages();
  EXPECT_TRUE(form_->CoolTrayIcon().Shown());
  EXPECT_EQ(form_->CoolTrayIcon().Hint(), L"Vantrel");
  EXPECT_EQ(form_->wbLow->LastUrl(), std::wstring(L"http://") + VANTREL_WEB_INTL_HOST + L"/ads/ad.html");
}

TEST_F(MainFormTest, CaptionsAndMessagesComeFromTheLanguageTable) {
  const std::wstring table = folder_.File(L"Vantrel.dat");
  const char text[] =
      "[VantrelMainForm]\r\nVantrelMainForm=Vantrel EN\r\nbtnHDD=Optimize Hard disk\r\nlbl4=Apply :         / "
      "Non-apply : Off\r\nTrayPopupClose=Close(&X)\r\nMsg_KillProc4=Line one#13#10Line two\r\n"
      "Msg_ExceptSet=Setup#13#10\r\nMsg_ExceptCancel=Cancel\r\n";
  HANDLE file = CreateFileW(table.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, text, sizeof text - 1, &written, nullptr);
  CloseHandle(file);
  SetCurrentLanguageTable(LanguageTable::Open(table, 1252));
  ASSERT_NE(CurrentLanguageTable(), nullptr);

  TVantrelMainForm& form = Open();
  EXPECT_EQ(form.Caption(), L"Vantrel EN");
  EXPECT_EQ(form.CoolTrayIcon().Hint(), L"Vantrel EN");
  EXPECT_EQ(form.btnHDD->Text(), L"Optimize Hard disk");
  EXPECT_EQ(form.btnRecovery->Text(), L"프로세스 시스템 복원");  // a missing key keeps the designed caption
  EXPECT_EQ(form.pmTrayPopup().Caption(2), L"Close(&X)");
  EXPECT_EQ(form.KillProcText(4), L"Line one\r\nLine two");
  EXPECT_EQ(form.ExceptSetText(), L"Setup#13#10");  // shared texts are taken as they are
  EXPECT_EQ(form.ExceptCancelText(), L"Cancel");
  form_.reset();
  SetCurrentLanguageTable(nullptr);
}

TEST_F(MainFormTest, LaunchersTakeTheirPlacesAndTheWindowFollows) {
  struct Case {
    const wchar_t* name;
    bool complete[4];
    int rows;
    RECT places[4];  // left, top, width (as right), shown when width > 0
  } cases[] = {
      {L"only 3", {false, false, true, false}, 1, {{}, {}, {10, 0, 210}, {}}},
      {L"1, 2, 4", {true, true, false, true}, 2, {{10, 0, 100}, {120, 0, 100}, {}, {10, 31, 210}}},
      {L"all", {true, true, true, true}, 2, {{10, 0, 100}, {120, 0, 100}, {10, 31, 100}, {120, 31, 100}}},
      {L"paths empty", {false, false, false, false}, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileW(Ini().c_str());
    Write(L"PROGRAM_LAUNCHER", L"USE", L"1");
    for (int k = 0; k < 4; ++k) {
      std::wstring section = k == 0 ? L"PROGRAM_LAUNCHER" : L"PROGRAM_LAUNCHER" + std::to_wstring(k + 1);
      Write(section.c_str(), L"NAME", L"Program " + std::to_wstring(k + 1));
      Write(section.c_str(), L"PATH", c.complete[k] ? L"C:\\tools\\p" + std::to_wstring(k + 1) + L".exe" : L"");
    }
    TVantrelMainForm& form = Open();
    EXPECT_EQ(form.ProgramLaunchersUsed(), c.rows > 0);
    EXPECT_EQ(form.pnlProgramLauncher->Visible(), c.rows > 0);
    EXPECT_EQ(form.ProgramRowCount(), c.rows);
    EXPECT_EQ(ClientHeight(), Scale(kBaseClient) + c.rows * (Scale(62) / 2));
    EXPECT_EQ(form.btnPGLauncher[0]->Text(), L"Program 1");  // captions set also when hidden
    for (int k = 0; k < 4 && c.rows > 0; ++k) {
      ui::Button& b = *form.btnPGLauncher[k];
      bool shown = c.places[k].right > 0;
      EXPECT_EQ(b.Visible(), shown) << k;
      if (!shown) continue;
      EXPECT_EQ(b.LeftPx(), Scale(c.places[k].left)) << k;
      EXPECT_EQ(b.TopPx(), c.places[k].top ? Scale(62) / 2 : 0) << k;
      EXPECT_EQ(b.WidthPx(), Scale(c.places[k].right)) << k;
    }
    if (c.rows > 0) {
      EXPECT_EQ(InForm(*form.pnlProgramLauncher).top, Scale(50));
    }
  }
}

TEST_F(MainFormTest, SiteLaunchersFillTheirRowsAndTheSettingsWindowCanChangeThem) {
  Write(L"SITE_LAUNCHER", L"USE", L"1");
  for (int k = 0; k < 3; ++k) {
    std::wstring section = k == 0 ? L"SITE_LAUNCHER" : L"SITE_LAUNCHER" + std::to_wstring(k + 1);
    Write(section.c_str(), L"NAME", L"Site " + std::to_wstring(k + 1));
    Write(section.c_str(), L"PATH", L"http://site" + std::to_wstring(k + 1) + L".example/");
  }
  TVantrelMainForm& form = Open();
  EXPECT_EQ(form.SiteRowCount(), 2);
  EXPECT_EQ(ClientHeight(), Scale(kBaseClient) + 2 * (Scale(60) / 2));
  EXPECT_EQ(form.pnlSiteLauncher->HeightPx(), 2 * (Scale(60) / 2));
  EXPECT_EQ(form.btnSiteLauncher[2]->WidthPx(), Scale(210));
  form.btnSiteLauncher[1]->Click();
  ASSERT_EQ(dialogs_.opened.size(), 1u);
  EXPECT_EQ(dialogs_.opened[0], L"http://site2.example/");

  // What the settings window does after saving: programs on, sites off.
  LauncherSet programs;
  programs[1] = {L"Notepad", L"C:\\windows\\notepad.exe"};
  form.ApplyProgramLaunchers(true, programs);
  form.ApplySiteLaunchers(false, form.SiteLaunchers());
  EXPECT_EQ(form.ProgramRowCount(), 1);
  EXPECT_EQ(form.btnPGLauncher[1]->WidthPx(), Scale(210));
  EXPECT_FALSE(form.pnlSiteLauncher->Visible());
  EXPECT_EQ(ClientHeight(), Scale(kBaseClient) + Scale(62) / 2);
}

TEST_F(MainFormTest, HiddenMenuAtStartAndShownAgainInTheDesignedOrder) {
  Write(L"WINDOW", L"MENUHIDE", L"1");
  TVantrelMainForm& form = Open();
  EXPECT_TRUE(form.MenuHideChecked());
  EXPECT_EQ(ClientHeight(), Scale(kBaseClient) - Scale(91) - Scale(251));
  EXPECT_FALSE(form.pnlLabel->Visible());
  EXPECT_FALSE(form.pnlBtn->Visible());
  EXPECT_EQ(InForm(*form.pnlMenuHide).top, Scale(50));
  EXPECT_EQ(InForm(*form.pnlAd).top, Scale(71));
  EXPECT_EQ(InForm(*form.pnlLow).top, Scale(180));

  form.chkMenuHide->Click();  // as the user unticks it
  EXPECT_EQ(ClientHeight(), Scale(kBaseClient));
  EXPECT_EQ(InForm(*form.pnlLabel).top, Scale(50));
  EXPECT_EQ(InForm(*form.pnlMenuHide).top, Scale(141));
  EXPECT_EQ(InForm(*form.pnlBtn).top, Scale(162));
  EXPECT_EQ(InForm(*form.pnlAd).top, Scale(413));
  EXPECT_EQ(InForm(*form.pnlLow).top, Scale(522));
  EXPECT_EQ(Read(L"WINDOW", L"MENUHIDE"), L"0");
}

TEST_F(MainFormTest, CheckBoxesWriteTheSettingsFile) {
  TVantrelMainForm& form = Open();
  form.chkTopMost->Click();
  EXPECT_FALSE(IsTopMost());
  EXPECT_EQ(Read(L"WINDOW", L"TOPMOST"), L"0");  // the file is created on the first change
  form.chkMenuHide->Click();
  EXPECT_EQ(Read(L"WINDOW", L"MENUHIDE"), L"1");
  EXPECT_EQ(ClientHeight(), Scale(kBaseClient) - Scale(91) - Scale(251));
  form.chkTopMost->Click();
  EXPECT_TRUE(IsTopMost());
  EXPECT_EQ(Read(L"WINDOW", L"TOPMOST"), L"1");

  form_.reset();
  TVantrelMainForm& again = Open();
  EXPECT_TRUE(again.MenuHideChecked());
  EXPECT_TRUE(again.TopMostChecked());
}

TEST_F(MainFormTest, DamagedSettingsGiveTheDefaults) {
  Write(L"WINDOW", L"TOPMOST", L"yes please");
  Write(L"WINDOW", L"MENUHIDE", L"0x");
  Write(L"WINDOW", L"INIT_IE", L"--1");
  Write(L"WINDOW", L"INIT_START_PROGRAM", L"0x1");
  Write(L"PROGRAM_LAUNCHER", L"USE", L"maybe");
  Write(L"PROGRAM_LAUNCHER", L"NAME", L"Tool");
  Write(L"PROGRAM_LAUNCHER", L"PATH", L"C:\\tool.exe");
  Write(L"SITE_LAUNCHER", L"USE", L"1");  // used, but nothing complete
  Write(L"SITE_LAUNCHER2", L"NAME", std::wstring(3000, L'x'));
  TVantrelMainForm& form = Open();
  EXPECT_TRUE(form.TopMostChecked());
  EXPECT_FALSE(form.MenuHideChecked());
  EXPECT_FALSE(form.ResetIeOnToggle());
  EXPECT_TRUE(form.ResetStartupOnToggle());  // 0x1 is a number
  EXPECT_FALSE(form.ProgramLaunchersUsed());
  EXPECT_FALSE(form.SiteLaunchersUsed());
  EXPECT_EQ(form.SiteLaunchers()[1].name.size(), 2047u);
  EXPECT_EQ(ClientHeight(), Scale(kBaseClient));
}

TEST_F(MainFormTest, CloseBoxHidesAndTheRestoreRequestBringsItBack) {
  TVantrelMainForm& form = Open();
  SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(form.IsVisible());
  EXPECT_TRUE(IsWindow(form.hwnd()));
  EXPECT_TRUE(form.CoolTrayIcon().Shown());
  SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // other commands as usual
  EXPECT_TRUE(IsWindow(form.hwnd()));

  SendMessageW(form.hwnd(), 1123, 0, 0);
  EXPECT_TRUE(form.IsVisible());
  EXPECT_TRUE(IsTopMost());
  form.chkTopMost->Click();
  SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  SendMessageW(form.hwnd(), 1123, 0, 0);
  EXPECT_TRUE(form.IsVisible());
  EXPECT_FALSE(IsTopMost());  // brought forward, not kept on top

  SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  form.CoolTrayIconDblClick();
  EXPECT_TRUE(form.IsVisible());
}

TEST_F(MainFormTest, RestoreRequestWhileAToolWindowIsModalKeepsTheModalLoop) {
  TVantrelMainForm& form = Open();
  SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ui::Form tool;
  ui::FormSpec layout;
  layout.className = L"VantrelTestTool";
  layout.clientWidth = 100;
  layout.clientHeight = 80;
  layout.owner = form.hwnd();
  ASSERT_TRUE(tool.Create(layout));
  ui::Timer step(tool, 20);
  int ticks = 0;
  bool stillModal = false, mainShown = false;
  step.onTimer = [&] {
    if (++ticks == 1) {
      PostMessageW(form.hwnd(), 1123, 0, 0);  // as a second start does
    } else {
      step.Stop();
      stillModal = tool.InModalLoop() && !IsWindowEnabled(form.hwnd());
      mainShown = form.IsVisible();
      tool.EndModal(IDOK);
    }
  };
  step.Start();
  EXPECT_EQ(tool.ShowModal(), IDOK);
  EXPECT_TRUE(stillModal);
  EXPECT_TRUE(mainShown);
  EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
  EXPECT_TRUE(IsWindow(form.hwnd()));
}

TEST_F(MainFormTest, TrayCloseEndsTheWindowAndTheLoop) {
  TVantrelMainForm& form = Open();
  form.SetQuitOnDestroy(true);
  PostMessageW(form.hwnd(), WM_COMMAND, TVantrelMainForm::kCloseCommand, 0);
  ui::PumpMessagesUntil([&] { return !IsWindow(form.hwnd()); });
  EXPECT_EQ(form.hwnd(), nullptr);
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainFormTest, PagesAndLaunchersOpenThroughTheShell) {
  WriteMissingLauncher();
  TVantrelMainForm& form = Open();
  form.btnProcGuide->Click();
  form.pmTrayPopup().Click(1);
  form.btnPGLauncher[0]->Click();
  ASSERT_EQ(dialogs_.opened.size(), 3u);
  EXPECT_EQ(dialogs_.opened[0], std::wstring(L"http://") + VANTREL_WEB_INTL_HOST + L"/mclick.html");
  EXPECT_EQ(dialogs_.opened[1], VANTREL_HOME_INTL_URL);
  EXPECT_EQ(dialogs_.opened[2], L"C:\\no such folder\\missing.exe");
  EXPECT_TRUE(dialogs_.messages.empty());

  form.btnUpdate->Click();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, form.UpdateText(3) + L" (Version : )");

  KoreanUi = true;
  form.btnProcGuide->Click();
  form.pmTrayPopup().Click(1);
  EXPECT_EQ(dialogs_.opened[3], std::wstring(L"http://") + VANTREL_WEB_KR_HOST + L"/mclick.html");
  EXPECT_EQ(dialogs_.opened[4], VANTREL_HOME_KR_URL);
}

TEST_F(MainFormTest, MovingNearAnEdgeSnapsToIt) {
  TVantrelMainForm& form = Open();
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int height = form.WindowHeightPx();
  const int middle = (work.top + work.bottom - height) / 2;  // far from the top and bottom
  ASSERT_GT(middle - work.top, 50);
  SetWindowPos(form.hwnd(), nullptr, work.right - form.WindowWidthPx() - 30, middle, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  RECT r = form.WindowRectPx();
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.top, middle);
  SetWindowPos(form.hwnd(), nullptr, work.left + 40, work.bottom - height + 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  r = form.WindowRectPx();
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.bottom, work.bottom);
}

TEST_F(MainFormTest, ToggleCaptionCarriesItsTypeAndTheSharedValues) {
  TVantrelMainForm& form = Open();
  form.SetToggleCaption(L"Vantrel ON", true);
  EXPECT_EQ(form.ToggleCaption(), L"Vantrel ON");
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form.btnVantrel->hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfHeight, -Scale(16));
  form.SetToggleCaption(L"Vantrel Off", false);
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form.btnVantrel->hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  form.SetResetIeOnToggle(true);
  form.SetResetStartupOnToggle(true);
  EXPECT_TRUE(form.ResetIeOnToggle());
  EXPECT_TRUE(form.ResetStartupOnToggle());
}

TEST_F(MainFormTest, ALauncherThatCannotBeOpenedFailsSilently) {
  WriteMissingLauncher();
  TVantrelMainForm& form = Open();
  platform::SetDialogs(nullptr);  // the real shell this time
  form.btnPGLauncher[0]->Click();
  platform::SetDialogs(&dialogs_);
  for (int i = 0; i < 10; ++i) {
    ui::PumpPendingMessages();
    Sleep(20);
  }
  struct Found {
    DWORD pid;
    int boxes;
  } found{GetCurrentProcessId(), 0};
  // A plain function: an enumeration callback is stdcall on 32-bit Windows.
  struct Count {
    static BOOL CALLBACK Box(HWND w, LPARAM p) {
      auto* f = reinterpret_cast<Found*>(p);
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      wchar_t cls[32] = L"";
      GetClassNameW(w, cls, 32);
      if (pid == f->pid && IsWindowVisible(w) && lstrcmpW(cls, L"#32770") == 0) ++f->boxes;
      return TRUE;
    }
  };
  EnumWindows(&Count::Box, reinterpret_cast<LPARAM>(&found));
  EXPECT_EQ(found.boxes, 0);
  EXPECT_TRUE(IsWindow(form.hwnd()));
}

TEST_F(MainFormTest, TheToggleButtonAsksItsQuestionOwnedByTheWindow) {
  Write(L"WINDOW", L"INIT_IE", L"1");
  TVantrelMainForm& form = Open();
  dialogs_.Answer(IDNO);
  form.btnVantrel->Click();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].owner, form.hwnd());
  EXPECT_EQ(dialogs_.messages[0].caption, form.Caption());
  EXPECT_EQ(dialogs_.messages[0].text, form.KillProcText(3));  // add-on reset only
  EXPECT_EQ(form.ToggleCaption(), L"Vantrel Off");               // "No" changes nothing
}
