// Owners of GDI device contexts and selections, WinINet handles and shell
// item id lists: each gives back what it holds, once.
#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <utility>

#include "platform/gdi_holders.h"
#include "platform/internet_handle.h"
#include "platform/shell_folders.h"

namespace vantrel {
namespace {

using namespace platform;

TEST(GdiHolders, SelectionIsUndoneBeforeTheObjectGoes) {
  WindowDc screen(nullptr);
  ASSERT_TRUE(screen);
  MemoryDc dc(::CreateCompatibleDC(screen.get()));
  ASSERT_TRUE(dc);
  const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
  const HGDIOBJ originalFont = ::GetCurrentObject(dc.get(), OBJ_FONT);
  UniqueGdiObject bitmap(::CreateCompatibleBitmap(screen.get(), 4, 4));
  {
    SelectedObject selected(dc.get(), bitmap.get());
    EXPECT_TRUE(selected.selected());
    EXPECT_EQ(selected.previous(), original);
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    SelectedObject font(dc.get(), ::GetStockObject(DEFAULT_GUI_FONT));  // nested: undone in turn
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), ::GetStockObject(DEFAULT_GUI_FONT));
  }
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), original);
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), originalFont);

  // Nothing to select, or no context: nothing to undo.
  SelectedObject none(dc.get(), nullptr);
  EXPECT_FALSE(none.selected());
  SelectedObject noDc(nullptr, bitmap.get());
  EXPECT_FALSE(noDc.selected());
}

TEST(GdiHolders, ContextsAreGivenBackOnceAndMoveWithTheirOwner) {
  HDC raw = nullptr;
  {
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    raw = dc.get();
    ASSERT_EQ(::GetObjectType(raw), static_cast<DWORD>(OBJ_MEMDC));
    MemoryDc moved(std::move(dc));
    EXPECT_FALSE(dc);
    EXPECT_EQ(moved.get(), raw);
  }
  EXPECT_EQ(::GetObjectType(raw), 0u);  // deleted, once

  WindowDc first(nullptr);
  ASSERT_TRUE(first);
  WindowDc second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(::GetObjectType(second.get()), static_cast<DWORD>(OBJ_DC));
  second.reset();
  EXPECT_FALSE(second);
}

TEST(InternetHandle, ClosesTheHandleWhenItGoes) {
  const WinInetFunctions& api = WinInetApi();
  ASSERT_TRUE(api.complete()) << api.error;
  HINTERNET raw = nullptr;
  {
    InternetHandle session(api.internetOpen(L"Vantrel test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    ASSERT_TRUE(session);
    raw = session.get();
    InternetHandle moved(std::move(session));
    EXPECT_FALSE(session);
    EXPECT_EQ(moved.get(), raw);
  }
  // Closed already: a second close is refused.
  ::SetLastError(0);
  EXPECT_FALSE(api.internetCloseHandle(raw));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(UniquePidl, OwnsTheShellsListAndGivesItUpOnMove) {
  UniquePidl pidl;
  ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, pidl.put()), S_OK);
  ASSERT_NE(pidl.get(), nullptr);
  wchar_t path[MAX_PATH] = L"";
  EXPECT_TRUE(::SHGetPathFromIDListW(pidl.get(), path));
  UniquePidl moved(std::move(pidl));
  EXPECT_EQ(pidl.get(), nullptr);
  EXPECT_NE(moved.get(), nullptr);
  moved.reset();
  EXPECT_EQ(moved.get(), nullptr);
}

}  // namespace
}  // namespace vantrel
