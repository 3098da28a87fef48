#pragma once
// Wine's loader takes its own built-in copy of a system library whatever
// lies in the program folder; Windows XP and Vista search the program folder
// first for a name that is not a known library of theirs. While a
// ScopedNativeFirst stands, Wine prefers library files for the given names
// in programs of the given file name (its per-program settings key, read at
// each start), so that a test can show what a planted copy would do there.
#include <string>
#include <vector>

namespace vantrel::test {

class ScopedNativeFirst {
 public:
  // `libraries`: names without ".dll" ("wininet").
  ScopedNativeFirst(const std::wstring& program, const std::vector<std::wstring>& libraries);
  ~ScopedNativeFirst();
  ScopedNativeFirst(const ScopedNativeFirst&) = delete;
  ScopedNativeFirst& operator=(const ScopedNativeFirst&) = delete;
  bool set() const { return set_; }

 private:
  std::wstring key_;
  std::vector<std::wstring> names_;
  bool set_ = false;
};

}  // namespace vantrel::test
