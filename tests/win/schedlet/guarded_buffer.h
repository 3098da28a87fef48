#pragma once
// A buffer that ends right before an inaccessible page: writing one byte past
// its end faults at once instead of going unnoticed.
#include <windows.h>

#include <cstddef>

namespace vantrel::test {

class GuardedBuffer {
 public:
  explicit GuardedBuffer(std::size_t size) : size_(size) {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    page_ = info.dwPageSize;
    const std::size_t pages = (size + page_ - 1) / page_ + 1;
    base_ = static_cast<char*>(::VirtualAlloc(nullptr, pages * page_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old = 0;
    if (base_) ::VirtualProtect(base_ + (pages - 1) * page_, page_, PAGE_NOACCESS, &old);
    data_ = base_ ? base_ + (pages - 1) * page_ - size : nullptr;
    for (std::size_t i = 0; data_ && i < size; ++i) data_[i] = '#';
  }
  ~GuardedBuffer() {
    if (base_) ::VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  std::size_t size_;
  std::size_t page_ = 4096;
  char* base_ = nullptr;
  char* data_ = nullptr;
};

}  // namespace vantrel::test
