#pragma once
// A scratch "Vantrel.ini" for tests: written and read from the outside
// through the same profile API the program uses (system ANSI code page),
// or as raw bytes to lay out damaged files. The folder goes with its owner.
#include <windows.h>

#include <string>

#include "support/scratch.h"

namespace vantrel::test {

class ScratchSettingsFile {
 public:
  ScratchSettingsFile();
  const std::wstring& path() const { return path_; }
  const std::wstring& folder() const { return folder_.path(); }  // no trailing backslash
  bool Exists() const;

  bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;
  bool WriteBool(const std::wstring& section, const std::wstring& key, bool value) const {  // "1" / "0"
    return Write(section, key, value ? L"1" : L"0");
  }
  // The value, or `missing` when the key (or the file) is not there.
  std::wstring Read(const std::wstring& section, const std::wstring& key,
                    const std::wstring& missing = L"<missing>") const;
  bool HasKey(const std::wstring& section, const std::wstring& key) const;

  // The whole file as bytes, and a file made of exactly these bytes.
  std::string Bytes() const;
  bool WriteBytes(const std::string& bytes) const;
  bool Remove() const;

 private:
  ScratchFolder folder_;
  std::wstring path_;
};

}  // namespace vantrel::test
