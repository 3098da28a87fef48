// The language table file read through Windows: code page 949 decoding, the
// file kept open while others edit it, defaults for missing or damaged keys.
#include "core/language_table.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/app_state.h"
#include "support/scratch.h"

using vantrel::LanguageSection;
using vantrel::LanguageTable;

namespace {

constexpr unsigned kKorean = 949;

// Replaces the file's content in place, the way an editor saving over it
// does, while the table keeps its handle open.
void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << ::GetLastError();
  DWORD written = 0;
  EXPECT_TRUE(::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  EXPECT_TRUE(::SetEndOfFile(f));
  ::CloseHandle(f);
}

// "[Form]" with Korean texts in code page 949, including letters that only
// the extended (UHC) part of the code page has.
const std::string kKoreanTable =
    "[Form]\r\n"
    "Form=\xBC\xB3\xC1\xA4\x20\xBA\xB8\xB1\xE2\r\n"                       // 설정 보기
    "lblRare=\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF \xC1\x64\r\n"               // 똠방각하 햏
    "Msg_Two=\xC7\xD1\xB1\xB9\xBE\xEE#13#10\xB5\xD1\xC2\xB0\x20\xC1\xD9\r\n"  // 한국어#13#10둘째 줄
    "btnEmpty=\r\n"
    "[Other]\r\n"
    "Form=other\r\n";

std::wstring BuiltTable(const wchar_t* name) {
  wchar_t exe[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path(exe, n);
  path.erase(path.find_last_of(L'\\'));  // bin
  path.erase(path.find_last_of(L'\\'));  // the build folder
  return path + L"\\resources\\lang\\" + name;
}

}  // namespace

TEST(LanguageTable, DecodesKoreanWithCodePage949) {
  vantrel::test::ScratchFolder folder;
  std::wstring path = folder.File(L"Vantrel.dat");
  WriteBytes(path, kKoreanTable);
  ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));  // as the start sequence leaves it

  auto table = LanguageTable::Open(path, kKorean);
  ASSERT_TRUE(table);
  LanguageSection form = table->Section(L"form");
  EXPECT_EQ(form.Text(L"Form", L"default"), L"설정 보기");
  EXPECT_EQ(form.Text(L"lblRare", L"default"), L"똠방각하 햏");
  EXPECT_EQ(form.Text(L"Msg_Two", L""), L"한국어#13#10둘째 줄");  // captions keep the escape
  EXPECT_EQ(form.Message(L"Msg_Two", L""), L"한국어\r\n둘째 줄");
  EXPECT_EQ(form.Text(L"btnEmpty", L"default"), L"");        // present but empty
  EXPECT_EQ(form.Text(L"btnMissing", L"기본값"), L"기본값");  // missing: the default
  EXPECT_EQ(table->Section(L"Other").Text(L"Form", L""), L"other");
  EXPECT_EQ(table->Section(L"Absent").Text(L"Form", L"default"), L"default");
  table.reset();
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(LanguageTable, EditsAfterOpenShowAtTheNextSection) {
  vantrel::test::ScratchFolder folder;
  std::wstring path = folder.File(L"Vantrel.dat");
  WriteBytes(path, "[Form]\r\nbtnClose=Close\r\nbtnDel=Delete\r\n");
  auto table = LanguageTable::Open(path, kKorean);
  ASSERT_TRUE(table);
  LanguageSection before = table->Section(L"Form");
  EXPECT_EQ(before.Text(L"btnDel", L"삭제"), L"Delete");

  // The file stays open for reading, writing and deleting by others.
  WriteBytes(path, "[Form]\r\nbtnClose=Close\r\n");
  LanguageSection after = table->Section(L"Form");
  EXPECT_EQ(after.Text(L"btnDel", L"삭제"), L"삭제");
  EXPECT_EQ(after.Text(L"btnClose", L"닫기"), L"Close");
  EXPECT_EQ(before.Text(L"btnDel", L""), L"Delete");  // a section read earlier is a snapshot

  WriteBytes(path, "[Form]\r\nbtnClose=Close again and longer than before\r\n");
  EXPECT_EQ(table->Section(L"Form").Text(L"btnClose", L""), L"Close again and longer than before");
  EXPECT_TRUE(::DeleteFileW(path.c_str()));  // allowed while open; the file goes when the table closes
  table.reset();
  EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(LanguageTable, DamagedLinesFallBackAlone) {
  vantrel::test::ScratchFolder folder;
  std::wstring path = folder.File(L"Vantrel.dat");
  WriteBytes(path,
             std::string("[Form]\r\n"
                         "btnOne=\xC1\xA4\xBB\xF3\r\n"       // 정상
                         "btnBadTrail=\xC7\x20x\r\n"          // a lead byte without its trail byte
                         "btnTwo=two\r\n"
                         "btnCut=ends in a lead byte \xC7\r\n"
                         "btnThree=three\r\n") +
                 std::string("\x00\x01\xFF\xFE=binary\r\n", 13) +
                 "btnFour=four\r\n"
                 "no equals sign at all\r\n"
                 "btnFive=five\r\n"
                 "[Unterminated\r\n"
                 "btnSix=six\r\n");
  auto table = LanguageTable::Open(path, kKorean);
  ASSERT_TRUE(table);
  LanguageSection form = table->Section(L"Form");
  EXPECT_EQ(form.Text(L"btnOne", L"d"), L"정상");
  EXPECT_EQ(form.Text(L"btnBadTrail", L"default"), L"default");
  EXPECT_EQ(form.Text(L"btnTwo", L"d"), L"two");
  EXPECT_EQ(form.Text(L"btnCut", L"default"), L"default");
  EXPECT_EQ(form.Text(L"btnThree", L"d"), L"three");
  EXPECT_EQ(form.Text(L"btnFour", L"d"), L"four");
  EXPECT_EQ(form.Text(L"btnFive", L"d"), L"five");
  EXPECT_EQ(form.Text(L"btnSix", L"d"), L"six");  // still in [Form]
}

TEST(LanguageTable, MissingFileAndNoTable) {
  vantrel::test::ScratchFolder folder;
  EXPECT_FALSE(LanguageTable::Open(folder.File(L"absent.dat"), kKorean));

  vantrel::SetCurrentLanguageTable(nullptr);
  EXPECT_EQ(vantrel::CurrentLanguageTable(), nullptr);
  EXPECT_EQ(vantrel::ReadLanguageSection(L"Vantrel").Text(L"Msg_NoExe", L"기본"), L"기본");

  std::wstring path = folder.File(L"Vantrel.dat");
  WriteBytes(path, "[Vantrel]\r\nMsg_NoExe=from the table\r\n");
  vantrel::SetCurrentLanguageTable(LanguageTable::Open(path, kKorean));
  ASSERT_NE(vantrel::CurrentLanguageTable(), nullptr);
  EXPECT_EQ(vantrel::CurrentLanguageTable()->path(), path);
  EXPECT_EQ(vantrel::ReadLanguageSection(L"VANTREL").Text(L"msg_noexe", L"기본"), L"from the table");
  vantrel::SetCurrentLanguageTable(nullptr);
}

TEST(LanguageTable, TheBuiltTablesReadBack) {
  auto korean = LanguageTable::Open(BuiltTable(L"Korean.dat"), kKorean);
  ASSERT_TRUE(korean) << "build the language_tables target first";
  EXPECT_EQ(korean->Section(L"HddForm").Text(L"lbl4", L""), L"내 컴퓨터");
  EXPECT_EQ(korean->Section(L"Vantrel").Message(L"Msg_UpdateFail", L""),
            L"업데이트를 실패하였습니다.\r\n\r\n잠시 후 다시 시도하시기 바랍니다.");
  EXPECT_EQ(korean->Section(L"SetEnvForm").Text(L"Msg_ChkPGTab2", L""),
            L"\"프로그램_1\"에 프로그램 이름을 입력하셔야 합니다.");

  auto english = LanguageTable::Open(BuiltTable(L"English.dat"), CP_ACP);
  ASSERT_TRUE(english);
  EXPECT_EQ(english->Section(L"VantrelMainForm").Text(L"lbl3", L""), L"internet browner will be terminated.");
  EXPECT_EQ(english->Section(L"VantrelMainForm").Message(L"Msg_Update2", L""),
            L"Update has been failed.\r\nPlease try it again later.");
}
