// The single-line edit under Wine: its byte limit against typing, pasting
// and inserting (measured in code page 949 here, where a Korean character
// takes two bytes), text set by the program, read-only, focus, and the
// background it answers its parent with, also inside a page of a page control.
#include "ui/edit.h"

#include <gtest/gtest.h>

#include "ui/page_control.h"

using namespace vantrel::ui;

namespace {

constexpr unsigned kKorean = 949;

class EditForm : public Form {
 public:
  EditForm() {
    InitializeUi();
    FormSpec layout;
    layout.className = L"VantrelEditTestForm";
    layout.caption = L"Edit test";
    layout.clientWidth = 300;
    layout.clientHeight = 200;
    created = Create(layout);
  }
  bool created = false;
};

void Type(Edit& edit, std::wstring_view text) {
  for (wchar_t c : text) ::SendMessageW(edit.hwnd(), WM_CHAR, c, 1);
}

void SelectAll(Edit& edit) { ::SendMessageW(edit.hwnd(), EM_SETSEL, 0, -1); }

bool PutOnClipboard(HWND owner, const std::wstring& text) {
  if (!::OpenClipboard(owner)) return false;
  ::EmptyClipboard();
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  bool put = false;
  if (memory) {
    memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    put = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!put) ::GlobalFree(memory);
  }
  ::CloseClipboard();
  return put;
}

COLORREF BrushColor(HBRUSH brush) {
  LOGBRUSH lb{};
  ::GetObjectW(brush, sizeof lb, &lb);
  return lb.lbColor;
}

// What the edit's parent answers when the edit asks for its colours.
COLORREF AnsweredBackground(Edit& edit) {
  HDC dc = ::GetDC(edit.hwnd());
  const UINT msg = ::IsWindowEnabled(edit.hwnd()) && !edit.ReadOnly() ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
  auto brush = reinterpret_cast<HBRUSH>(
      ::SendMessageW(::GetParent(edit.hwnd()), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit.hwnd())));
  const COLORREF back = ::GetBkColor(dc);
  ::ReleaseDC(edit.hwnd(), dc);
  EXPECT_EQ(BrushColor(brush), back);
  return back;
}

}  // namespace

TEST(Edit, TheLimitCountsBytesOfTheCodePageNotCharacters) {
  EditForm form;
  ASSERT_TRUE(form.created);
  Edit& edit = form.Add<Edit>(Rect{10, 10, 200, 21});
  edit.SetByteLimit(16, kKorean);
  EXPECT_EQ(Edit::ByteLength(L"가나a", kKorean), 5);

  struct Case {
    const wchar_t* typed;
    const wchar_t* kept;
  };
  const Case cases[] = {
      {L"abcdefghijklmnopq", L"abcdefghijklmnop"},
      {L"가나다라마바사아자", L"가나다라마바사아"},    // the ninth Korean character does not fit
      {L"가나다라마바사ab", L"가나다라마바사ab"},      // 14 + 2 bytes: full
      {L"가나다라마바사a차b", L"가나다라마바사ab"},    // 15 bytes leave no room for a Korean one, one more letter fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kept);
    edit.SetText(L"");
    Type(edit, c.typed);
    EXPECT_EQ(edit.Text(), c.kept);
  }
  // Full: typing over a selection replaces it, a backspace makes room.
  SelectAll(edit);
  Type(edit, L"한");
  EXPECT_EQ(edit.Text(), L"한");
  edit.SetText(L"가나다라마바사아");
  ::SendMessageW(edit.hwnd(), EM_SETSEL, 8, 8);
  Type(edit, L"\b");
  Type(edit, L"x");
  EXPECT_EQ(edit.Text(), L"가나다라마바사x");
}

TEST(Edit, PastedAndInsertedTextIsCutAtTheLastCharacterThatFits) {
  EditForm form;
  ASSERT_TRUE(form.created);
  Edit& edit = form.Add<Edit>(Rect{10, 10, 200, 21});
  edit.SetByteLimit(16, kKorean);
  edit.SetText(L"abc");
  ::SendMessageW(edit.hwnd(), EM_SETSEL, 3, 3);
  ::SendMessageW(edit.hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"가나다라마바사"));
  EXPECT_EQ(edit.Text(), L"abc가나다라마바");  // 3 + 12 bytes; the next one would make 17

  if (!PutOnClipboard(form.hwnd(), L"가나다라마바사아자\r\nsecond line")) GTEST_SKIP() << "no clipboard";
  edit.SetText(L"");
  ::SendMessageW(edit.hwnd(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit.Text(), L"가나다라마바사아");
  ASSERT_TRUE(PutOnClipboard(form.hwnd(), L"one\r\ntwo"));
  SelectAll(edit);
  ::SendMessageW(edit.hwnd(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit.Text(), L"one");  // the first line only
}

TEST(Edit, ProgramTextIsTakenWholeAndAnEditWithoutLimitTakesLongText) {
  EditForm form;
  ASSERT_TRUE(form.created);
  Edit& named = form.Add<Edit>(Rect{10, 10, 200, 21});
  named.SetByteLimit(16, kKorean);
  named.SetText(L"a name of twenty-six bytes");
  EXPECT_EQ(named.Text(), L"a name of twenty-six bytes");
  Type(named, L"!");
  EXPECT_EQ(named.Text(), L"a name of twenty-six bytes");

  Edit& path = form.Add<Edit>(Rect{10, 40, 200, 21});
  const std::wstring longPath = L"C:\\" + std::wstring(5000, L'p') + L".exe";
  path.SetText(longPath);
  EXPECT_EQ(path.Text(), longPath);
  // Beyond the system's default of 32,767 characters for what the user enters.
  const std::wstring more(30000, L'q');
  ::SendMessageW(path.hwnd(), EM_SETSEL, longPath.size(), longPath.size());
  ::SendMessageW(path.hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(more.c_str()));
  EXPECT_EQ(path.Text().size(), longPath.size() + more.size());
}

TEST(Edit, ReadOnlyRefusesTypingAndFocusIsReported) {
  EditForm form;
  ASSERT_TRUE(form.created);
  form.Show();
  Edit& first = form.Add<Edit>(Rect{10, 10, 200, 21}, L"kept");
  Edit& second = form.Add<Edit>(Rect{10, 40, 200, 21});
  first.SetReadOnly(true);
  EXPECT_TRUE(first.ReadOnly());
  Type(first, L"xyz");
  EXPECT_EQ(first.Text(), L"kept");
  first.SetReadOnly(false);
  EXPECT_FALSE(first.ReadOnly());
  second.SetFocus();
  EXPECT_TRUE(second.Focused());
  EXPECT_FALSE(first.Focused());
}

TEST(Edit, TheBackgroundIsItsColourEnabledDisabledAndInsideAPage) {
  EditForm form;
  ASSERT_TRUE(form.created);
  PageControl& pages = form.Add<PageControl>(Rect{0, 0, 300, 200});
  Panel& sheet = pages.AddSheet(L"One");
  Edit& onForm = form.Add<Edit>(Rect{10, 10, 100, 21});
  Edit& inPage = sheet.Add<Edit>(Rect{10, 10, 100, 21});
  Edit& neighbour = sheet.Add<Edit>(Rect{10, 40, 100, 21});
  const COLORREF silver = RGB(192, 192, 192);

  EXPECT_EQ(AnsweredBackground(inPage), ::GetSysColor(COLOR_WINDOW));
  inPage.SetEnabled(false);  // a disabled edit is still painted in the window colour
  EXPECT_EQ(AnsweredBackground(inPage), ::GetSysColor(COLOR_WINDOW));
  inPage.SetColor(silver);
  EXPECT_EQ(AnsweredBackground(inPage), silver);
  inPage.SetEnabled(true);
  EXPECT_EQ(AnsweredBackground(inPage), silver);
  EXPECT_EQ(AnsweredBackground(neighbour), ::GetSysColor(COLOR_WINDOW));  // each edit answers for itself
  onForm.SetReadOnly(true);
  onForm.SetColor(RGB(1, 2, 3));
  EXPECT_EQ(AnsweredBackground(onForm), RGB(1, 2, 3));
  inPage.SetColor(Edit::kWindowColor);
  EXPECT_EQ(AnsweredBackground(inPage), ::GetSysColor(COLOR_WINDOW));
}
