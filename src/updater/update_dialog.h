#pragma once
// The updater: a small borderless window with two progress bars over a
// worker thread that downloads every file of the command line into a
// temporary file beside its target; afterwards the targets are replaced and
// the main program is started again.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/http_client.h"
#include "updater/update_widgets.h"
#include "ui/window.h"

namespace vantrel::updater {

inline constexpr UINT kFileDoneMessage = 1122;       // lParam: index of the finished file
inline constexpr UINT kProgressMessage = WM_USER + 1;  // wParam: current file %, lParam: total % or -1
inline constexpr const wchar_t* kMessageCaption = L"Vantrel Update";
inline constexpr const wchar_t* kUserAgent = L"Mozilla/3.0 (Corvane Update)";
inline constexpr DWORD kTimeoutMs = 3000;
// Redirects followed for one address before it counts as failed.
inline constexpr int kMaxRedirects = 5;
// The largest download taken: the programs are a few megabytes, so a server
// announcing more is refused before anything is written (the download is
// bounded by the announced length, which must not be able to fill the disk).
inline constexpr uint64_t kMaxDownloadBytes = 256ull << 20;

// The two failure messages: the download failed (nothing was changed), or
// an old file could not be replaced.
std::wstring DownloadFailedText(bool korean);
std::wstring ReplaceFailedText(bool korean);

// Process-wide values of the updater.
extern bool KoreanUi;
extern std::atomic<int64_t> AnnouncedLength;
extern std::atomic<int> CurrentFileIndex;
extern bool DownloadResult;

class TUpdateDialog : public ui::Form {
 public:
  static constexpr const wchar_t* kClassName = L"TUpdateDialog";

  TUpdateDialog();
  ~TUpdateDialog() override;

  // Builds the window (not shown) and runs FormCreate; false when it could
  // not be made.
  bool Create();
  void FormCreate();

  // Runs the worker over the three lists while the window is shown modally;
  // true when every file was downloaded completely.
  bool RunDownloads(const std::vector<std::wstring>& files, const std::vector<std::wstring>& urls,
                    const std::vector<std::wstring>& urls2);

  // The worker (parameter: the dialog).
  static DWORD WINAPI UpdateCompressThread(void* dialog);
  // One file into target + ".tmp"; HEAD, then GET; the second address after
  // a failure of the first (attempt 0), redirects followed up to
  // kMaxRedirects per address and never from https to http.
  bool DownloadFile(const std::wstring& url, const std::wstring& url2, int attempt, const std::wstring& target,
                    int redirects = 0);
  // Transfer progress of the current request (worker thread).
  void idhtpWork(uint64_t bytes);

  std::vector<std::wstring> m_updateFileList, m_updateUrlList, m_updateUrlList2;
  platform::HttpSettings idhtp;

  FlatBox* pnlTop = nullptr;
  FlatBox* pnlBottom = nullptr;
  FlatBox* pnlLeft = nullptr;
  FlatBox* pnlRight = nullptr;
  FlatBox* lbl1 = nullptr;
  SegmentBar* progress = nullptr;
  SegmentBar* progressTotal = nullptr;

  // True once a close was asked for while the worker ran.
  bool CloseRequested() const { return closeRequested_; }

 protected:
  bool OnCloseQuery() override;
  bool OnUserMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  bool Cancelled() const { return closeRequested_ || !::IsWindow(window_); }
  HWND window_ = nullptr;
  HANDLE worker_ = nullptr;
  std::atomic<bool> closeRequested_{false};
  std::atomic<bool> workerDone_{false};
};

// Where the update runs and how it starts the program again.
struct UpdateEnvironment {
  std::wstring folder;         // the updater's folder, with a trailing backslash
  uint16_t uiLanguage = 0;     // 1042 = Korean
  // ShellExecute "open" of file with parameters in folder, SW_SHOW.
  std::function<void(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder)> restart;
  DWORD settleMs = 500;        // pause before the old files are replaced
};

// The whole program run over the command line's arguments (position 0 the
// program). Returns 0.
int RunUpdate(const std::vector<std::wstring>& arguments, const UpdateEnvironment& environment);

}  // namespace vantrel::updater
