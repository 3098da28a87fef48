#include "updater/update_dialog.h"

#include <algorithm>
#include <cwctype>

#include "core/text_rules.h"
#include "platform/dialogs.h"
#include "update/proxy.h"
#include "updater/command_line.h"

namespace vantrel::updater {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kWidth = 220, kHeight = 80;
// Tries of replacing one file while the main program may still be ending.
constexpr int kReplaceTries = 8;
constexpr DWORD kReplacePauseMs = 250;

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool FileSize(const std::wstring& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

// A program or library must at least look like one: an error page served
// with status 200 (a captive portal) must never replace the program.
bool PlausibleContent(const std::wstring& target, const std::wstring& path) {
  const std::wstring name = Lower(target);
  auto endsWith = [&](const wchar_t* suffix) {
    const std::wstring s(suffix);
    return name.size() >= s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
  };
  if (!endsWith(L".exe") && !endsWith(L".dll")) return true;
  platform::UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  char header[2] = {};
  DWORD read = 0;
  return ::ReadFile(file.get(), header, 2, &read, nullptr) && read == 2 && header[0] == 'M' && header[1] == 'Z';
}

}  // namespace

bool KoreanUi = false;
std::atomic<int64_t> AnnouncedLength{0};
std::atomic<int> CurrentFileIndex{0};
bool DownloadResult = false;

std::wstring DownloadFailedText(bool korean) {
  return korean ? L"Vantrel 업데이트를 실패하였습니다.\r\n잠시 후 다시 시도하시기 바랍니다."
                : L"Vantrel An update failed.\r\nplease try again later.";
}

std::wstring ReplaceFailedText(bool korean) {
  return korean ? L"Vantrel 업데이트를 실패하였습니다.\r\n홈페이지에 접속하여 다시 설치하시기 바랍니다."
                : L"Vantrel An update failed.\r\nto access the site, please reinstall.";
}

TUpdateDialog::TUpdateDialog() = default;

TUpdateDialog::~TUpdateDialog() {
  if (worker_) {
    // The worker posts its close as its last act; never leave it running
    // over a dialog that is gone.
    ::WaitForSingleObject(worker_, INFINITE);
    ::CloseHandle(worker_);
  }
}

bool TUpdateDialog::Create() {
  if (hwnd()) return true;
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = kMessageCaption;
  layout.clientWidth = kWidth;
  layout.clientHeight = kHeight;
  layout.style = WS_POPUP | WS_CLIPCHILDREN;  // no border, no caption bar
  layout.exStyle = WS_EX_CONTROLPARENT;
  if (!Form::Create(layout)) return false;
  window_ = hwnd();

  // A black frame 10 pixels wide around a white inside.
  pnlTop = &Add<FlatBox>(ui::Rect{0, 0, kWidth, 10}, kBlack);
  pnlBottom = &Add<FlatBox>(ui::Rect{0, kHeight - 10, kWidth, 10}, kBlack);
  pnlLeft = &Add<FlatBox>(ui::Rect{0, 10, 10, kHeight - 20}, kBlack);
  pnlRight = &Add<FlatBox>(ui::Rect{kWidth - 10, 10, 10, kHeight - 20}, kBlack);
  lbl1 = &Add<FlatBox>(ui::Rect{10, 10, 200, 20}, kWhite, L"Vantrel Update");
  progress = &Add<SegmentBar>(ui::Rect{10, 30, 200, 20});
  progressTotal = &Add<SegmentBar>(ui::Rect{10, 50, 200, 20});
  FormCreate();
  return true;
}

void TUpdateDialog::FormCreate() {
  // Centred on the screen; at (100, 100) when the screen cannot be asked.
  HWND desktop = ::GetDesktopWindow();
  int left = 100, top = 100;
  if (HDC dc = ::GetDC(desktop)) {
    left = (::GetDeviceCaps(dc, HORZRES) - WindowWidthPx()) / 2;
    top = (::GetDeviceCaps(dc, VERTRES) - WindowHeightPx()) / 2;
    ::ReleaseDC(desktop, dc);
  }
  MoveTo(left, top);

  m_updateFileList.clear();
  m_updateUrlList.clear();
  m_updateUrlList2.clear();
  idhtp = platform::HttpSettings{};
  idhtp.connectTimeoutMs = kTimeoutMs;
  idhtp.readTimeoutMs = kTimeoutMs;
  idhtp.userAgent = kUserAgent;
  idhtp.accept = L"text/html, */*";
  const TProxySetting proxy = DetectProxy("http");
  if (proxy.Enabled) {
    idhtp.useProxy = true;
    idhtp.proxyHost = proxy.Host;
    idhtp.proxyPort = proxy.Port;
  }
}

bool TUpdateDialog::RunDownloads(const std::vector<std::wstring>& files, const std::vector<std::wstring>& urls,
                                 const std::vector<std::wstring>& urls2) {
  m_updateFileList = files;
  m_updateUrlList = urls;
  m_updateUrlList2 = urls2;
  if (!Create()) return false;
  DownloadResult = false;
  workerDone_ = false;
  closeRequested_ = false;
  for (int attempt = 0; attempt < 3 && !worker_; ++attempt) {
    if (attempt > 0) ::Sleep(100);
    worker_ = ::CreateThread(nullptr, 0, UpdateCompressThread, this, 0, nullptr);
  }
  if (!worker_) return false;
  ShowModal();
  ::WaitForSingleObject(worker_, INFINITE);
  ::CloseHandle(worker_);
  worker_ = nullptr;
  return DownloadResult;
}

DWORD WINAPI TUpdateDialog::UpdateCompressThread(void* parameter) {
  auto* dialog = static_cast<TUpdateDialog*>(parameter);
  HWND window = dialog->window_;
  bool result = true;
  try {
    for (size_t i = 0; i < dialog->m_updateFileList.size(); ++i) {
      CurrentFileIndex = static_cast<int>(i);
      if (!dialog->DownloadFile(dialog->m_updateUrlList[i], dialog->m_updateUrlList2[i], 0,
                                dialog->m_updateFileList[i])) {
        result = false;
        break;
      }
      if (!::IsWindow(window) || dialog->closeRequested_) {
        result = false;
        break;
      }
      ::SendMessageW(window, kFileDoneMessage, 0, static_cast<LPARAM>(i));
    }
  } catch (...) {
    result = false;
  }
  DownloadResult = result;
  dialog->workerDone_ = true;
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

bool TUpdateDialog::DownloadFile(const std::wstring& url, const std::wstring& url2, int attempt,
                                 const std::wstring& target, int redirects) {
  const std::wstring temporary = target + L".tmp";
  // The folder is writable by the user and this program runs with
  // administrator rights: whatever already has the temporary name (a hard
  // or symbolic link to a file elsewhere) is removed, never written
  // through, and the file is made new. A name taken again meanwhile fails
  // the download.
  ::DeleteFileW(temporary.c_str());
  platform::UniqueFile file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return false;
  // The first address failed: the second one, once.
  auto second = [&] {
    file.reset();
    return attempt == 0 && !Cancelled() && DownloadFile(url2, url2, 1, target);
  };
  // A redirect is followed with the same attempt, so that a chain of them
  // ends for each address; too many, or one down to plain http, fail it.
  auto follow = [&](const platform::HttpResult& reply) {
    file.reset();
    if (redirects >= kMaxRedirects || !AllowedRedirect(url, reply.location)) return second();
    return DownloadFile(reply.location, url2, attempt, target, redirects + 1);
  };

  platform::HttpClient client(idhtp);
  client.cancelled = [this] { return Cancelled(); };
  const platform::HttpResult head = client.Head(url);
  if (Cancelled()) return false;
  if (!head.Replied()) return second();
  if (head.Redirect()) return follow(head);
  if (!head.Success()) return second();
  if (!head.hasContentLength || head.contentLength == 0 || head.contentLength > kMaxDownloadBytes) return false;
  AnnouncedLength = static_cast<int64_t>(head.contentLength);

  client.onProgress = [this](uint64_t bytes) { idhtpWork(bytes); };
  // Never more than the announced length (and one byte to tell a longer
  // body): a reply that goes on and on must not fill the disk.
  const platform::HttpResult get = client.GetToFile(url, file.get(), head.contentLength);
  if (Cancelled()) return false;
  if (get.error == platform::HttpError::Write || get.truncated) return false;
  if (!get.Replied()) return second();
  if (get.Redirect()) return follow(get);
  if (!get.Success()) return second();
  file.reset();

  // Complete only with the length both replies announced, to the byte.
  uint64_t size = 0;
  if (!FileSize(temporary, &size)) return false;
  if (!get.hasContentLength || get.contentLength != head.contentLength || size != get.contentLength) return false;
  return PlausibleContent(target, temporary);
}

void TUpdateDialog::idhtpWork(uint64_t bytes) {
  const int64_t announced = AnnouncedLength;
  if (announced <= 0) return;
  const int percent = static_cast<int>(std::min<uint64_t>(100, bytes * 100 / static_cast<uint64_t>(announced)));
  const LPARAM total = m_updateFileList.size() == 1 ? percent : -1;
  ::PostMessageW(window_, kProgressMessage, static_cast<WPARAM>(percent), total);
}

bool TUpdateDialog::OnCloseQuery() {
  // The worker's own close at its end goes through. Any other close (Alt+F4)
  // stops the download under way; the worker then ends and closes.
  if (!worker_ || workerDone_) return true;
  closeRequested_ = true;
  return false;
}

bool TUpdateDialog::OnUserMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  *result = 0;
  if (msg == kFileDoneMessage) {
    const size_t count = m_updateFileList.size();
    if (static_cast<size_t>(lp) < count)
      progressTotal->SetPosition(static_cast<int>((CurrentFileIndex + 1) * 100 / static_cast<int>(count)));
    return true;
  }
  if (msg == kProgressMessage) {
    progress->SetPosition(static_cast<int>(wp));
    if (lp >= 0) progressTotal->SetPosition(static_cast<int>(lp));
    return true;
  }
  return false;
}

int RunUpdate(const std::vector<std::wstring>& arguments, const UpdateEnvironment& environment) {
  // The only trace the updater leaves: its arguments, to the debug output.
  for (size_t i = 0; i < arguments.size(); ++i)
    ::OutputDebugStringW((DecimalText(i) + L". " + arguments[i]).c_str());

  bool refused = false;
  const auto triples = ReadTriples(arguments, &refused);
  if (!triples && !refused) return 0;  // fewer than five arguments: nothing to do
  KoreanUi = environment.uiLanguage == 1042;
  if (refused) {
    // A file outside the updater's folder, or a triple without its parts.
    platform::ShowMessage(nullptr, DownloadFailedText(KoreanUi), kMessageCaption);
    return 0;
  }

  std::vector<std::wstring> files, urls, urls2;
  for (const UpdateTriple& t : *triples) {
    files.push_back(environment.folder + t.fileName);
    urls.push_back(t.url);
    urls2.push_back(t.url2);
  }

  bool downloaded = false;
  {
    TUpdateDialog dialog;
    downloaded = dialog.Create() && dialog.RunDownloads(files, urls, urls2);
  }
  if (!downloaded) {
    for (const std::wstring& file : files) ::DeleteFileW((file + L".tmp").c_str());
    platform::ShowMessage(nullptr, DownloadFailedText(KoreanUi), kMessageCaption);
    return 0;
  }

  ::Sleep(environment.settleMs);
  // Each target is replaced in one step: until its new file is in place the
  // old one stays whole.
  for (const std::wstring& file : files) {
    const std::wstring temporary = file + L".tmp";
    bool replaced = false;
    for (int attempt = 0; attempt < kReplaceTries && !replaced; ++attempt) {
      if (attempt > 0) ::Sleep(kReplacePauseMs);
      replaced = ::MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!replaced) {
      platform::ShowMessage(nullptr, ReplaceFailedText(KoreanUi), kMessageCaption);
      return 0;
    }
  }

  if (environment.restart)
    environment.restart(environment.folder + L"Vantrel.exe", RestartParameters(arguments[2], arguments[3]),
                        environment.folder);
  return 0;
}

}  // namespace vantrel::updater
