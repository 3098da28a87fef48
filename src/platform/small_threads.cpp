// The threading functions that the C++ runtime calls (the guards of
// function-local statics, std::call_once and std::mutex, the per-thread
// exception state, the unwinder's locks), linked into each deliverable as a
// plain object so that they win over the threading library's. That library
// brings some 130 KB to each module (thread creation, cancellation, read-write
// and spin locks, its debug printing) that no deliverable uses: the programs
// start their threads with CreateThread. A reference to anything else of the
// library pulls its objects back in and ends the link with duplicate
// definitions, so nothing is lost silently.
//
// The types are the library's, as its header defines them: a mutex or a
// condition is a pointer-sized value whose small negative values are the
// static initializers; a once flag is a long starting at 0; a key is a TLS
// index. Everything here works on Windows XP (critical sections, TLS slots,
// interlocked operations).
#include <windows.h>

#include <errno.h>
#include <stdint.h>
#include <time.h>

namespace {

using Mutex = intptr_t;
using Cond = intptr_t;

// -1 normal, -2 error-checking, -3 recursive: all static initializers.
bool IsStaticInitializer(intptr_t value) { return value <= -1 && value >= -3; }

CRITICAL_SECTION* NewSection() {
  auto* section = static_cast<CRITICAL_SECTION*>(::HeapAlloc(::GetProcessHeap(), 0, sizeof(CRITICAL_SECTION)));
  if (section) ::InitializeCriticalSection(section);
  return section;
}

void FreeSection(CRITICAL_SECTION* section) {
  ::DeleteCriticalSection(section);
  ::HeapFree(::GetProcessHeap(), 0, section);
}

// The critical section behind a mutex, made on first use for a statically
// initialized one (two threads may race: one section wins, the other goes).
// A critical section may be entered again by its owner, which every kind of
// mutex allows a correct program to rely on being harmless.
CRITICAL_SECTION* SectionOf(Mutex* mutex) {
  intptr_t value = *reinterpret_cast<volatile intptr_t*>(mutex);
  if (!IsStaticInitializer(value)) return reinterpret_cast<CRITICAL_SECTION*>(value);
  CRITICAL_SECTION* made = NewSection();
  if (!made) return nullptr;
  void* before = ::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(mutex), made,
                                                     reinterpret_cast<void*>(value));
  if (before == reinterpret_cast<void*>(value)) return made;
  FreeSection(made);
  return static_cast<CRITICAL_SECTION*>(before);
}

// Destructors of the TLS keys, run for each thread that ends.
constexpr int kMaxKeys = 64;
struct KeySlot {
  volatile LONG used;
  DWORD index;
  void (*destructor)(void*);
};
KeySlot g_keys[kMaxKeys];

// TlsGetValue clears the thread's last error; callers of the runtime (a
// thread_local read between a failed call and GetLastError) must not see that.
void* KeepErrorTlsGet(DWORD index) {
  const DWORD error = ::GetLastError();
  void* value = ::TlsGetValue(index);
  ::SetLastError(error);
  return value;
}

void RunKeyDestructors() {
  // A destructor may set values again; as POSIX does, a few rounds at most.
  for (int round = 0; round < 4; ++round) {
    bool ran = false;
    for (KeySlot& slot : g_keys) {
      if (!slot.used || !slot.destructor) continue;
      void* value = KeepErrorTlsGet(slot.index);
      if (!value) continue;
      ::TlsSetValue(slot.index, nullptr);
      slot.destructor(value);
      ran = true;
    }
    if (!ran) return;
  }
}

void NTAPI ThreadEnds(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_DETACH) RunKeyDestructors();
}

// Unix-epoch time from a FILETIME, in milliseconds.
int64_t NowMs() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000) - 11644473600000LL;
}

int64_t Ms(const struct timespec* at) { return static_cast<int64_t>(at->tv_sec) * 1000 + at->tv_nsec / 1000000; }

}  // namespace

// The loader calls this for every thread that ends (the runtime's TLS
// directory lists the .CRT$XL* callbacks).
extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK vantrel_thread_end_callback = ThreadEnds;

extern "C" {

int pthread_mutex_init(Mutex* mutex, const unsigned*) {
  CRITICAL_SECTION* section = NewSection();
  if (!section) return ENOMEM;
  *mutex = reinterpret_cast<intptr_t>(section);
  return 0;
}

int pthread_mutex_destroy(Mutex* mutex) {
  const intptr_t value = *mutex;
  if (!IsStaticInitializer(value) && value != 0) FreeSection(reinterpret_cast<CRITICAL_SECTION*>(value));
  *mutex = -1;
  return 0;
}

int pthread_mutex_lock(Mutex* mutex) {
  CRITICAL_SECTION* section = SectionOf(mutex);
  if (!section) return ENOMEM;
  ::EnterCriticalSection(section);
  return 0;
}

int pthread_mutex_trylock(Mutex* mutex) {
  CRITICAL_SECTION* section = SectionOf(mutex);
  if (!section) return ENOMEM;
  return ::TryEnterCriticalSection(section) ? 0 : EBUSY;
}

int pthread_mutex_timedlock(Mutex* mutex, const struct timespec* at) {
  CRITICAL_SECTION* section = SectionOf(mutex);
  if (!section) return ENOMEM;
  while (!::TryEnterCriticalSection(section)) {
    if (NowMs() >= Ms(at)) return ETIMEDOUT;
    ::Sleep(1);
  }
  return 0;
}

int pthread_mutex_unlock(Mutex* mutex) {
  const intptr_t value = *mutex;
  if (IsStaticInitializer(value)) return EPERM;  // never locked
  ::LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(value));
  return 0;
}

int pthread_mutexattr_init(unsigned* attr) {
  *attr = 0;
  return 0;
}
int pthread_mutexattr_destroy(unsigned*) { return 0; }
int pthread_mutexattr_settype(unsigned* attr, int type) {
  *attr = static_cast<unsigned>(type);
  return 0;
}

// A condition wait releases the mutex, sleeps a moment and takes it again: a
// wake-up without a signal, which every waiter must expect and answers by
// checking its condition again. The runtime's only waiter is the guard of a
// function-local static that another thread is still constructing, a rare
// and short wait; so signals need no bookkeeping.
int pthread_cond_init(Cond* cond, const int*) {
  *cond = 0;
  return 0;
}
int pthread_cond_destroy(Cond*) { return 0; }
int pthread_cond_signal(Cond*) { return 0; }
int pthread_cond_broadcast(Cond*) { return 0; }

int pthread_cond_wait(Cond*, Mutex* mutex) {
  pthread_mutex_unlock(mutex);
  ::Sleep(1);
  return pthread_mutex_lock(mutex);
}

int pthread_cond_timedwait(Cond*, Mutex* mutex, const struct timespec* at) {
  pthread_mutex_unlock(mutex);
  const int64_t left = Ms(at) - NowMs();
  if (left > 0) ::Sleep(1);
  pthread_mutex_lock(mutex);
  return NowMs() >= Ms(at) ? ETIMEDOUT : 0;
}

// 0: not run; 1: running in some thread; 2: done. A function that throws
// leaves the flag as it found it, so that a later call runs it again.
int pthread_once(long* once, void (*function)(void)) {
  volatile LONG* flag = reinterpret_cast<volatile LONG*>(once);
  for (;;) {
    const LONG state = ::InterlockedCompareExchange(flag, 1, 0);
    if (state == 2) return 0;
    if (state == 0) break;
    ::Sleep(0);
  }
  try {
    function();
  } catch (...) {
    ::InterlockedExchange(flag, 0);
    throw;
  }
  ::InterlockedExchange(flag, 2);
  return 0;
}

int pthread_key_create(unsigned* key, void (*destructor)(void*)) {
  const DWORD index = ::TlsAlloc();
  if (index == TLS_OUT_OF_INDEXES) return EAGAIN;
  if (destructor) {
    int i = 0;
    while (i < kMaxKeys && ::InterlockedCompareExchange(&g_keys[i].used, 1, 0) != 0) ++i;
    if (i == kMaxKeys) {
      ::TlsFree(index);
      return EAGAIN;
    }
    g_keys[i].index = index;
    ::MemoryBarrier();  // a thread ending meanwhile sees the index before the destructor
    g_keys[i].destructor = destructor;
  }
  *key = index;
  return 0;
}

int pthread_key_delete(unsigned key) {
  for (KeySlot& slot : g_keys) {
    if (slot.used && slot.index == key) {
      slot.destructor = nullptr;
      ::InterlockedExchange(&slot.used, 0);
    }
  }
  return ::TlsFree(key) ? 0 : EINVAL;
}

void* pthread_getspecific(unsigned key) { return KeepErrorTlsGet(key); }

int pthread_setspecific(unsigned key, const void* value) {
  const DWORD error = ::GetLastError();
  const BOOL ok = ::TlsSetValue(key, const_cast<void*>(value));
  ::SetLastError(error);
  return ok ? 0 : EINVAL;
}

}  // extern "C"
