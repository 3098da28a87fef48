#pragma once
// Move-only owners of the COM value types that ComPtr does not cover.
#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace vantrel::platform {

// A BSTR that is freed with SysFreeString when its owner goes.
class UniqueBstr {
 public:
  UniqueBstr() = default;
  // Copies `text` (which may be empty); throws std::bad_alloc when out of memory.
  explicit UniqueBstr(std::wstring_view text)
      : s_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
    if (!s_) throw std::bad_alloc();
  }
  ~UniqueBstr() { reset(); }
  UniqueBstr(UniqueBstr&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& o) noexcept {
    if (this != &o) {
      reset();
      s_ = std::exchange(o.s_, nullptr);
    }
    return *this;
  }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;

  BSTR get() const { return s_; }
  // For out parameters: frees the old string first.
  BSTR* put() {
    reset();
    return &s_;
  }
  void reset() {
    if (s_) ::SysFreeString(s_);
    s_ = nullptr;
  }
  // The text up to the first NUL (a BSTR may carry embedded NULs; none of
  // the texts read through it has a use for them).
  std::wstring_view view() const {
    if (!s_) return {};
    std::wstring_view all(s_, ::SysStringLen(s_));
    return all.substr(0, all.find(L'\0'));
  }

 private:
  BSTR s_ = nullptr;
};

// A VARIANT that is initialised empty and cleared when its owner goes.
class ScopedVariant {
 public:
  ScopedVariant() { ::VariantInit(&v_); }
  static ScopedVariant FromInt32(LONG value) {
    ScopedVariant out;
    out.v_.vt = VT_I4;
    out.v_.lVal = value;
    return out;
  }
  ~ScopedVariant() { ::VariantClear(&v_); }
  ScopedVariant(ScopedVariant&& o) noexcept : v_(o.v_) { ::VariantInit(&o.v_); }
  ScopedVariant& operator=(ScopedVariant&&) = delete;
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  // By value, as the Task Scheduler methods take their VARIANT arguments;
  // the callee does not own the copy.
  const VARIANT& get() const { return v_; }

 private:
  VARIANT v_;
};

}  // namespace vantrel::platform
