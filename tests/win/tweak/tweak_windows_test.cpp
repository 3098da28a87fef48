// The status view and the progress window under Wine: layout, the twelve
// rows, the texts of the language table, closing, and the progress window's
// worker start, its failure message and its close only at the worker's end.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/helpers.h"
#include "core/language_table.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "toggle_support.h"
#include "tweak/init_proc_run_form.h"
#include "tweak/ping_status_form.h"
#include "ui/scale.h"

using namespace vantrel;
using Rows = std::vector<std::vector<std::wstring>>;

namespace {

std::wstring NoIp() { return {}; }
std::wstring SomeIp() { return L"192.0.2.10"; }

Rows RowsOf(const ui::ListView& list) {
  Rows rows;
  for (int i = 0; i < list.Count(); ++i) rows.push_back({list.ItemText(i, 0), list.ItemText(i, 1), list.ItemText(i, 2)});
  return rows;
}

SIZE ClientSize(HWND window) {
  RECT r;
  ::GetClientRect(window, &r);
  return {r.right, r.bottom};
}

bool IsCentred(const ui::Form& form) {
  const RECT r = form.WindowRectPx();
  const POINT at = CenterOnScreen(r.right - r.left, r.bottom - r.top);
  return r.left == at.x && r.top == at.y;
}

TEST(TweakStatusView, IsADialogLaidOutAsDesigned) {
  test::ToggleHostForm owner;
  TPingStatusForm form(owner.hwnd(), L"Vantrel Off", SomeIp);
  ASSERT_TRUE(form.Create());
  const LONG_PTR style = ::GetWindowLongPtrW(form.hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(::GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(form.owner(), owner.hwnd());
  EXPECT_EQ(ClientSize(form.hwnd()).cx, ui::Scale(315));
  EXPECT_EQ(ClientSize(form.hwnd()).cy, ui::Scale(255));
  EXPECT_TRUE(IsCentred(form));
  EXPECT_EQ(form.Caption(), L"Vantrel 설정 보기");

  EXPECT_EQ(form.pnlBottom->HeightPx(), ui::Scale(39));
  EXPECT_EQ(form.pnlBottom->TopPx(), ui::Scale(255 - 39));
  EXPECT_EQ(form.pnl1->HeightPx(), ui::Scale(255 - 39));
  const RECT close = form.btnClose->BoundsPx();
  EXPECT_EQ(close.left, ui::Scale(208));
  EXPECT_EQ(close.top, ui::Scale(5));
  EXPECT_EQ(close.right - close.left, ui::Scale(93));
  EXPECT_EQ(close.bottom - close.top, ui::Scale(25));
  EXPECT_EQ(form.btnClose->Text(), L"설정 닫기");

  HWND list = form.lv1->hwnd();
  EXPECT_EQ(form.lv1->WidthPx(), form.pnl1->WidthPx());
  EXPECT_EQ(form.lv1->HeightPx(), form.pnl1->HeightPx());
  const LONG_PTR listStyle = ::GetWindowLongPtrW(list, GWL_STYLE);
  EXPECT_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_FALSE(listStyle & LVS_EDITLABELS) << "read-only";
  const DWORD ex = ListView_GetExtendedListViewStyle(list);
  EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
  EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
  const int widths[] = {150, 45, 110};
  const wchar_t* captions[] = {L"Vantrel 항목", L"상태", L"정보"};
  ASSERT_EQ(form.lv1->ColumnCount(), 3);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(ListView_GetColumnWidth(list, c), ui::Scale(widths[c]));
    EXPECT_EQ(form.lv1->ColumnCaption(c), captions[c]);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT;
    ListView_GetColumn(list, c, &column);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, c == 1 ? LVCFMT_CENTER : LVCFMT_LEFT) << "column " << c;
  }
}

TEST(TweakStatusView, TwelveRowsFollowTheCaptionNotTheRegistry) {
  struct Case {
    const wchar_t* caption;
    std::wstring (*ip)();
    Rows rows;
  };
  const Case cases[] = {
      {L"Vantrel Off", SomeIp,
       {{L"TCP/IP 설정 정보", L"", L""},
        {L"TcpAckFrequency", L"OFF", L"바로 응답 해제"},
        {L"TCPNoDelay", L"OFF", L"바로 전송 해제"},
        {L"TcpDelAckTicks", L"OFF", L"지연 응답 해제"},
        {L"", L"", L""},
        {L"MSMQ Sever Core 설정 정보", L"", L""},
        {L"TCPNoDelay", L"OFF", L"바로 전송 해제"},
        {L"", L"", L""},
        {L"내 컴퓨터 IP Address", L"", L"192.0.2.10"},
        {L"", L"", L""},
        {L"Vantrel 동작 상태", L"", L""},
        {L"Vantrel", L"OFF", L"Vantrel 해제"}}},
      // Any caption but exactly "Vantrel Off" names the tweak on.
      {L"vantrel off", NoIp,
       {{L"TCP/IP 설정 정보", L"", L""},
        {L"TcpAckFrequency", L"ON", L"바로 응답 설정"},
        {L"TCPNoDelay", L"ON", L"바로 전송 설정"},
        {L"TcpDelAckTicks", L"ON", L"지연 응답 설정"},
        {L"", L"", L""},
        {L"MSMQ Sever Core 설정 정보", L"", L""},
        {L"TCPNoDelay", L"ON", L"바로 전송 설정"},
        {L"", L"", L""},
        {L"내 컴퓨터 IP Address", L"", L"NONE"},
        {L"", L"", L""},
        {L"Vantrel 동작 상태", L"", L""},
        {L"Vantrel", L"ON", L"Vantrel 설정"}}},
  };
  for (const Case& c : cases) {
    TPingStatusForm form(nullptr, c.caption, c.ip);
    ASSERT_TRUE(form.Create());
    EXPECT_EQ(RowsOf(*form.lv1), c.rows) << "caption " << testing::PrintToString(std::wstring(c.caption));
  }
}

TEST(TweakStatusView, TakesItsTextsFromTheLanguageTableAsTheyAre) {
  test::ScratchFolder folder;
  const std::wstring path = folder.File(L"Vantrel.dat");
  {
    std::ofstream file(path.c_str(), std::ios::binary);
    file << "[PingStatusForm]\r\nPingStatusForm=View on Vantrel setup\r\nbtnClose=Close setup\r\n"
            "lv1.Columns.Items[0]=Vantrel items\r\nlv1.Columns.Items[1]=Status\r\nlv1.Columns.Items[2]=Information\r\n"
            "Msg_TcpIp=T1#13#10\r\nMsg_TcpAckFrequencySet=A1\r\nMsg_TcpAckFrequencyClear=A0\r\n"
            "Msg_TCPNoDelaySet=N1\r\nMsg_TCPNoDelayClear=N0\r\nMsg_TcpDelAckTicksSet=D1\r\n"
            "Msg_TcpDelAckTicksClear=D0\r\nMsg_MSMQServerInfo=M\r\nMsg_IPAddrress=I\r\nMsg_AcrStatus=S\r\n"
            "Msg_PingSet=P1\r\nMsg_PingClear=P0\r\n";
  }
  SetCurrentLanguageTable(LanguageTable::Open(path, 1252));
  ASSERT_TRUE(CurrentLanguageTable());
  Rows on, off;
  std::wstring caption, button;
  std::vector<std::wstring> columns;
  {
    TPingStatusForm form(nullptr, L"Vantrel ON", SomeIp);
    ASSERT_TRUE(form.Create());
    on = RowsOf(*form.lv1);
    caption = form.Caption();
    button = form.btnClose->Text();
    for (int c = 0; c < 3; ++c) columns.push_back(form.lv1->ColumnCaption(c));
  }
  {
    TPingStatusForm form(nullptr, L"Vantrel Off", SomeIp);
    ASSERT_TRUE(form.Create());
    off = RowsOf(*form.lv1);
  }
  SetCurrentLanguageTable(nullptr);

  EXPECT_EQ(caption, L"View on Vantrel setup");
  EXPECT_EQ(button, L"Close setup");
  EXPECT_EQ(columns, (std::vector<std::wstring>{L"Vantrel items", L"Status", L"Information"}));
  std::vector<std::wstring> firstOn, infoOn, infoOff;
  for (const auto& row : on) firstOn.push_back(row[0]), infoOn.push_back(row[2]);
  for (const auto& row : off) infoOff.push_back(row[2]);
  EXPECT_EQ(firstOn, (std::vector<std::wstring>{L"T1#13#10", L"TcpAckFrequency", L"TCPNoDelay", L"TcpDelAckTicks", L"",
                                                 L"M", L"TCPNoDelay", L"", L"I", L"", L"S", L"Vantrel"}));
  EXPECT_EQ(infoOn, (std::vector<std::wstring>{L"", L"A1", L"N1", L"D1", L"", L"", L"N1", L"", L"192.0.2.10", L"",
                                                L"", L"P1"}));
  EXPECT_EQ(infoOff, (std::vector<std::wstring>{L"", L"A0", L"N0", L"D0", L"", L"", L"N0", L"", L"192.0.2.10", L"",
                                                 L"", L"P0"}));
}

TEST(TweakStatusView, IsModalOverItsOwnerAndItsButtonClosesIt) {
  test::ToggleHostForm owner;
  test::ModalWatcher watcher;  // presses "설정 닫기"
  ShowTweakStatus(owner.hwnd(), L"Vantrel ON");
  ASSERT_EQ(watcher.statusViews.size(), 1u);
  EXPECT_EQ(watcher.statusOwners[0], owner.hwnd());
  EXPECT_EQ(watcher.statusViews[0].size(), 12u);
  EXPECT_EQ(watcher.statusViews[0][11][1], L"ON");
  EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
  EXPECT_FALSE(::FindWindowW(TPingStatusForm::kClassName, nullptr)) << "destroyed after closing";
}

// ---------------------------------------------------------------- progress

// A worker that waits for the test's word, then ends as the tweak worker
// does (WM_CLOSE just before its thread ends) or silently.
HANDLE g_release = nullptr;
HWND g_workerWindow = nullptr;
bool g_postClose = true;
DWORD WINAPI WaitingWorker(LPVOID param) {
  g_workerWindow = static_cast<HWND>(param);
  ::WaitForSingleObject(g_release, 10000);
  if (g_postClose) ::PostMessageW(g_workerWindow, WM_CLOSE, 0, 0);
  return 0;
}
HANDLE StartWaitingWorker(HWND window) { return ::CreateThread(nullptr, 0, WaitingWorker, window, 0, nullptr); }

// Drives a modal progress window: asks it to close early (as Esc would),
// looks again later, then lets the worker end.
struct ProgressScript {
  HWND window = nullptr;
  int ticks = 0;
  bool visibleAfterEarlyClose = false;
  int framesSeen = 0;
  int lastFrame = -1;
  const ui::StripAnimation* animation = nullptr;
};
ProgressScript* g_script = nullptr;
void CALLBACK ProgressTick(HWND, UINT, UINT_PTR, DWORD) {
  ProgressScript& s = *g_script;
  ++s.ticks;
  if (s.animation->Frame() != s.lastFrame) ++s.framesSeen, s.lastFrame = s.animation->Frame();
  if (s.ticks == 5) ::PostMessageW(s.window, WM_CLOSE, 0, 0);
  if (s.ticks == 30) {
    s.visibleAfterEarlyClose = ::IsWindowVisible(s.window) != FALSE;
    ::SetEvent(g_release);
  }
}

TEST(TweakProgressWindow, BorderlessCentredAnimatedAndClosedOnlyByTheWorkersEnd) {
  for (bool postClose : {true, false}) {
    g_postClose = postClose;
    g_release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_workerWindow = nullptr;
    test::ToggleHostForm owner;
    TInitProcRunForm form(owner.hwnd(), StartWaitingWorker);
    ASSERT_TRUE(form.Create());
    ASSERT_TRUE(form.WorkerThread());
    const LONG_PTR style = ::GetWindowLongPtrW(form.hwnd(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU));
    EXPECT_EQ(ClientSize(form.hwnd()).cx, ui::Scale(200));
    EXPECT_EQ(ClientSize(form.hwnd()).cy, ui::Scale(50));
    EXPECT_EQ(form.jvgfnmtr1->WidthPx(), ui::Scale(200));
    EXPECT_EQ(form.jvgfnmtr1->HeightPx(), ui::Scale(50));
    EXPECT_TRUE(IsCentred(form));
    EXPECT_EQ(form.owner(), owner.hwnd());
    EXPECT_EQ(form.Caption(), L"프로세스 초기화");

    ProgressScript script;
    script.window = form.hwnd();
    script.animation = form.jvgfnmtr1;
    g_script = &script;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ProgressTick);
    form.ShowModal();
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_workerWindow, script.window) << "the worker gets the window's own handle";
    EXPECT_TRUE(script.visibleAfterEarlyClose) << "a close while the worker runs waits for its end";
    EXPECT_GE(script.ticks, 30);
    EXPECT_GE(script.framesSeen, 4) << "the animation runs";
    EXPECT_EQ(::WaitForSingleObject(form.WorkerThread(), 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
    ::CloseHandle(g_release);
  }
}

TEST(TweakProgressWindow, AThreadThatCannotStartIsToldAndTheWindowCloses) {
  test::ScriptedDialogs dialogs;
  test::ToggleHostForm owner;
  TInitProcRunForm form(owner.hwnd(), [](HWND) -> HANDLE { return nullptr; });
  ASSERT_TRUE(form.Create());
  EXPECT_FALSE(form.WorkerThread());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, L"프로세스 초기화를 수행할 수 없습니다.");
  EXPECT_EQ(dialogs.messages[0].caption, L"프로세스 초기화");
  EXPECT_EQ(dialogs.messages[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(dialogs.messages[0].owner, form.hwnd());
  form.ShowModal();  // ends at once with the posted WM_CLOSE
  EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
}

}  // namespace
