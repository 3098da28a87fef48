// The path questions, the folder search and the shell-folder lookup.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system.h"
#include "platform/find_file.h"
#include "platform/shell_folders.h"
#include "support/scratch.h"

namespace vantrel {
namespace {

using namespace platform;

void Touch(const std::wstring& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ::CloseHandle(h);
}

TEST(FileSystem, ExistsTellsFilesFromFoldersAndEmptyFromAnything) {
  test::ScratchFolder scratch;
  Touch(scratch.File(L"f.txt"));
  ::CreateDirectoryW(scratch.File(L"sub").c_str(), nullptr);
  EXPECT_TRUE(FileExists(scratch.File(L"f.txt")));
  EXPECT_FALSE(FileExists(scratch.File(L"sub")));
  EXPECT_FALSE(FileExists(scratch.File(L"none")));
  EXPECT_FALSE(FileExists(L""));
  EXPECT_TRUE(FolderExists(scratch.File(L"sub")));
  EXPECT_FALSE(FolderExists(scratch.File(L"f.txt")));
  EXPECT_FALSE(FolderExists(L""));
  EXPECT_TRUE(EntryExists(scratch.File(L"f.txt")));
  EXPECT_TRUE(EntryExists(scratch.File(L"sub")));
  EXPECT_FALSE(EntryExists(scratch.File(L"none")));
  EXPECT_FALSE(EntryExists(L""));
  EXPECT_FALSE(IsReparsePoint(scratch.File(L"sub")));
}

TEST(FileSystem, FullyQualifiedPaths) {
  for (const wchar_t* p : {L"C:\\x", L"c:/x", L"\\\\server\\share\\x", L"\\\\?\\C:\\x", L"C:\\"})
    EXPECT_TRUE(IsFullyQualifiedPath(p)) << testing::PrintToString(std::wstring(p));
  for (const wchar_t* p : {L"", L"C:", L"C:x", L"\\x", L"x\\y", L"\\\\", L"\\\\\\x"})
    EXPECT_FALSE(IsFullyQualifiedPath(p)) << testing::PrintToString(std::wstring(p));
}

TEST(FileSystem, PlainFileNames) {
  for (const wchar_t* n : {L"app.lnk", L"desktop.ini", L"{0A1B}", L"task.scd", L"a b", L".hidden", L"console.txt",
                           L"COM0", L"컴퓨터.lnk"})
    EXPECT_TRUE(IsPlainFileName(n)) << testing::PrintToString(std::wstring(n));
  for (const wchar_t* n : {L"", L".", L"..", L"..\\x", L"a\\b", L"a/b", L"C:x", L"a*", L"a?", L"a|b", L"a\"",
                           L"x.", L"x ", L"CON", L"nul.txt", L"Com1", L"LPT9.log", L"a\tb"})
    EXPECT_FALSE(IsPlainFileName(n)) << testing::PrintToString(std::wstring(n));
}

TEST(FindFile, ListsEveryEntryButTheDotsWithAttributes) {
  test::ScratchFolder scratch;
  Touch(scratch.File(L"a.txt"));
  Touch(scratch.File(L"hidden.txt"));
  ::SetFileAttributesW(scratch.File(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ::CreateDirectoryW(scratch.File(L"sub").c_str(), nullptr);
  Touch(scratch.File(L"sub\\inner.txt"));

  for (const std::wstring& folder : {scratch.path(), scratch.path() + L"\\"}) {
    std::vector<FoundEntry> entries = FindFile::List(folder);
    std::sort(entries.begin(), entries.end(), [](auto& x, auto& y) { return x.name < y.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, L"a.txt");
    EXPECT_FALSE(entries[0].IsFolder());
    EXPECT_EQ(entries[1].name, L"hidden.txt");
    EXPECT_TRUE(entries[1].attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(entries[2].name, L"sub");
    EXPECT_TRUE(entries[2].IsFolder());
    EXPECT_FALSE(entries[2].IsReparsePoint());
  }
  EXPECT_EQ(FindFile::List(scratch.path(), L"*.txt").size(), 2u);
  EXPECT_TRUE(FindFile::List(scratch.File(L"missing")).empty());
  test::ScratchFolder empty;
  FindFile find(empty.path());
  FoundEntry entry;
  EXPECT_FALSE(find.Next(&entry));
  EXPECT_FALSE(find.Next(&entry));  // and stays done
}

TEST(FindFile, AnEmptyOrRelativeFolderIsNeverTheDriveRoot) {
  // "" + "\*" would search the current drive's root, which always has entries.
  ASSERT_FALSE(FindFile::List(L"C:\\").empty());
  EXPECT_TRUE(FindFile::List(L"").empty());
  EXPECT_TRUE(FindFile::List(L"\\").empty());
  EXPECT_TRUE(FindFile::List(L"windows").empty());
  EXPECT_TRUE(FindFile::List(L"C:").empty());
}

TEST(ShellFolders, StartupFoldersResolveToExistingFullPaths) {
  for (int csidl : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_PERSONAL, CSIDL_WINDOWS}) {
    const std::wstring path = ShellFolderPath(csidl);
    ASSERT_FALSE(path.empty()) << csidl;
    EXPECT_TRUE(IsFullyQualifiedPath(path)) << csidl;
    EXPECT_NE(path.back(), L'\\') << csidl;
  }
  EXPECT_NE(ShellFolderPath(CSIDL_STARTUP), ShellFolderPath(CSIDL_COMMON_STARTUP));
  EXPECT_TRUE(ShellFolderPath(0x7F).empty());  // no such folder
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(FileSystem, AFolderLinkIsSeenAsALink) {
  test::ScratchFolder scratch, target;
  const std::wstring link = scratch.File(L"link");
  if (!::CreateSymbolicLinkW(link.c_str(), target.path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      !platform::FolderExists(link))
    GTEST_SKIP() << "this system makes no folder links";
  EXPECT_TRUE(platform::IsReparsePoint(link));
  EXPECT_FALSE(platform::IsReparsePoint(target.path()));
  const auto entries = platform::FindFile::List(scratch.path());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(entries[0].IsReparsePoint());
  ::RemoveDirectoryW(link.c_str());
}

}  // namespace
}  // namespace vantrel
