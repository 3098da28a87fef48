// Linked like a deliverable, with its threading functions in place of the
// runtime library's (a test program's clock and test framework would pull
// that library back in). Drives them through what the C++ runtime builds on
// them, from threads started with CreateThread as the programs start theirs.
// The exit code has one bit for each check that failed; 0 when all held.
#include <windows.h>

#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Start {
  void (*body)(int, void*);
  void* context;
  int index;
  HANDLE go;
};

DWORD WINAPI RunStart(LPVOID p) {
  auto* s = static_cast<Start*>(p);
  ::WaitForSingleObject(s->go, INFINITE);
  s->body(s->index, s->context);
  return 0;
}

// Runs body(i, context) on `count` threads released at once; waits for all.
template <typename F>
bool OnThreads(int count, F& body) {
  HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<Start> starts(count);
  std::vector<HANDLE> threads;
  for (int i = 0; i < count; ++i) {
    starts[i] = {[](int index, void* c) { (*static_cast<F*>(c))(index); }, &body, i, go};
    HANDLE t = ::CreateThread(nullptr, 0, RunStart, &starts[i], 0, nullptr);
    if (!t) return false;
    threads.push_back(t);
  }
  ::SetEvent(go);
  ::WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
  for (HANDLE t : threads) ::CloseHandle(t);
  ::CloseHandle(go);
  return true;
}

volatile LONG g_constructed = 0;
struct Slow {
  Slow() {
    ::InterlockedIncrement(&g_constructed);
    ::Sleep(50);  // the other threads arrive meanwhile and must wait
    ready = 1;
  }
  int ready = 0;
};
const Slow& SharedSlow() {
  static Slow slow;
  return slow;
}

// A function-local static is built once; the other threads wait for it.
bool StaticBuiltOnce() {
  volatile LONG unready = 0;
  std::vector<const Slow*> seen(8);
  auto body = [&](int i) {
    const Slow& s = SharedSlow();
    if (!s.ready) ::InterlockedIncrement(&unready);
    seen[i] = &s;
  };
  if (!OnThreads(8, body)) return false;
  for (const Slow* s : seen)
    if (s != seen[0]) return false;
  return g_constructed == 1 && unready == 0;
}

// std::mutex counts exactly; std::call_once runs again after a throw, then never.
bool MutexAndOnce() {
  std::mutex mutex;
  long total = 0;
  std::once_flag once;
  volatile LONG calls = 0, runs = 0, thrown = 0, early = 0;
  auto body = [&](int) {
    // All threads arrive together; the ones that find the call running wait.
    try {
      std::call_once(once, [&] {
        if (::InterlockedIncrement(&calls) == 1) throw std::runtime_error("first");
        ::Sleep(50);
        ::InterlockedIncrement(&runs);
      });
      if (runs != 1) ::InterlockedIncrement(&early);  // returned before the call was done
    } catch (const std::runtime_error&) {
      ::InterlockedIncrement(&thrown);
    }
    for (int k = 0; k < 20000; ++k) {
      std::lock_guard<std::mutex> hold(mutex);
      ++total;
    }
  };
  if (!OnThreads(8, body)) return false;
  bool ok = total == 8 * 20000 && runs == 1 && calls == 2 && thrown == 1 && early == 0;
  ok = ok && mutex.try_lock();
  mutex.unlock();
  std::recursive_mutex recursive;
  recursive.lock();
  ok = ok && recursive.try_lock();
  recursive.unlock();
  recursive.unlock();
  return ok;
}

// Each thread's exceptions in flight are its own.
bool ExceptionsApart() {
  volatile LONG wrong = 0;
  auto body = [&](int i) {
    for (int k = 0; k < 500; ++k) {
      const std::wstring mine = std::wstring(1, static_cast<wchar_t>(L'A' + i)) + std::wstring(k % 7 + 1, L'x');
      try {
        try {
          throw mine;
        } catch (const std::wstring&) {
          ::Sleep(0);  // another thread throws meanwhile
          throw;
        }
      } catch (const std::wstring& caught) {
        if (caught != mine) ::InterlockedIncrement(&wrong);
      }
      if (std::uncaught_exceptions() != 0) ::InterlockedIncrement(&wrong);
    }
  };
  return OnThreads(6, body) && wrong == 0;
}

volatile LONG g_destroyed = 0;
struct PerThread {
  int value = 0;
  ~PerThread() { ::InterlockedIncrement(&g_destroyed); }
};
thread_local PerThread t_perThread;

// A thread's thread_local objects go when it ends; using one keeps the last error.
bool ThreadLocals() {
  volatile LONG kept = 0;
  const LONG before = g_destroyed;
  auto body = [&](int i) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    t_perThread.value = i + 1;  // the first use makes the thread's copy
    if (::GetLastError() == ERROR_FILE_NOT_FOUND && t_perThread.value == i + 1) ::InterlockedIncrement(&kept);
  };
  return OnThreads(4, body) && kept == 4 && g_destroyed - before == 4;
}

}  // namespace

int main() {
  int failed = 0;
  if (!StaticBuiltOnce()) failed |= 1;
  if (!MutexAndOnce()) failed |= 2;
  if (!ExceptionsApart()) failed |= 4;
  if (!ThreadLocals()) failed |= 8;
  return failed;
}
