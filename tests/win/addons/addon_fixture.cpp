#include "addon_fixture.h"

#include <fstream>
#include <sstream>

#include "core/app_state.h"

namespace vantrel::test {

using platform::RegKey;

static REGSAM FlagOf(RegistryView view) {
  return recovery::ViewFlag(view == RegistryView::Default ? kOwnView : view);
}

std::wstring TestProgramPath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

static std::wstring HelperFolder() {
  std::wstring self = TestProgramPath();
  return self.substr(0, self.find_last_of(L'\\')) + L"\\addon_test\\";
}
std::wstring TestServerPath() { return HelperFolder() + L"test_addon_server.dll"; }
std::wstring RecordArgsPath() { return HelperFolder() + L"addon_record_args.exe"; }

std::vector<std::string> ReadAnsiLines(const std::wstring& path) {
  std::vector<std::string> lines;
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::wstring> ReadWideLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string raw = bytes.str();
  std::wstring text(raw.size() / 2, L'\0');
  memcpy(text.data(), raw.data(), text.size() * 2);
  size_t start = 0;
  for (size_t at; (at = text.find(L'\n', start)) != std::wstring::npos; start = at + 1)
    lines.push_back(text.substr(start, at - start));
  return lines;
}

void AddonFixture::SetUp() {
  ASSERT_TRUE(registry_.active());
  AddonAutoReset = false;
  env_.settingsPath = folder_.File(L"Vantrel.ini");
  env_.store.indexPath = folder_.File(L"Recovery.ini");
  env_.store.datFolder = folder_.File(L"dat");
  ASSERT_TRUE(::CreateDirectoryW(env_.store.datFolder.c_str(), nullptr));
  env_.sources.machineViews = {RegistryView::Bits64, RegistryView::Bits32};
  env_.uninstallerWaitMs = 15000;
  ::DeleteFileW((TestServerPath() + L".log").c_str());
  ::DeleteFileW((RecordArgsPath() + L".args").c_str());
}

void AddonFixture::TearDown() { AddonAutoReset = false; }

RegKey AddonFixture::Machine(const std::wstring& path, RegistryView view) const {
  RegKey key;
  EXPECT_EQ(key.Create(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS | FlagOf(view)), ERROR_SUCCESS) << path;
  return key;
}

RegKey AddonFixture::User(const std::wstring& path) const {
  RegKey key;
  EXPECT_EQ(key.Create(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS), ERROR_SUCCESS) << path;
  return key;
}

bool AddonFixture::MachineKeyExists(const std::wstring& path, RegistryView view) const {
  RegKey key;
  return key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ | FlagOf(view)) == ERROR_SUCCESS;
}

bool AddonFixture::UserKeyExists(const std::wstring& path) const {
  RegKey key;
  return key.Open(HKEY_CURRENT_USER, path, KEY_READ) == ERROR_SUCCESS;
}

void AddonFixture::RegisterClass(const std::wstring& clsid, const std::wstring& name, const std::wstring& server,
                                 RegistryView view) const {
  const std::wstring key = std::wstring(addons::kClassesClsidKey) + clsid;
  if (!name.empty()) Machine(key, view).WriteString(L"", name);
  Machine(key + L"\\InprocServer32", view).WriteString(L"", server);
}

void AddonFixture::AddBho(const std::wstring& clsid, RegistryView view) const {
  Machine(std::wstring(addons::kBhoKey) + L"\\" + clsid, view);
}

void AddonFixture::AddToolbarValue(const std::wstring& clsid, RegistryView view) const {
  Machine(addons::kToolbarKey, view).WriteString(clsid, L"");
}

void AddonFixture::AddExplorerBar(const std::wstring& clsid, RegistryView view) const {
  Machine(std::wstring(addons::kExplorerBarsKey) + L"\\" + clsid, view);
}

void AddonFixture::AddUninstall(const std::wstring& entry, const std::wstring& command, RegistryView view) const {
  RegKey key = Machine(std::wstring(addons::kUninstallKey) + L"\\" + entry, view);
  if (!command.empty()) key.WriteString(L"UninstallString", command);
}

void AddonFixture::AddExtension(HKEY root, const std::wstring& clsid, const std::wstring& text,
                                const std::wstring& exec) const {
  const std::wstring path = std::wstring(addons::kExtensionsKey) + L"\\" + clsid;
  RegKey key = root == HKEY_CURRENT_USER ? User(path) : Machine(path);
  if (!text.empty()) key.WriteString(L"ButtonText", text);
  if (!exec.empty()) key.WriteString(L"Exec", exec);
}

std::vector<recovery::RecoveryRecord> AddonFixture::Records(const wchar_t* section) const {
  return recovery::ReadRecoverySection(env_.store, section);
}

}  // namespace vantrel::test
