#include "core/profile_text.h"

#include <unordered_map>

namespace vantrel {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Control characters (other than tab), DEL and the replacement character
// only come from binary garbage or bytes the decoder could not read.
bool HasForeignCharacters(std::wstring_view line) {
  for (wchar_t c : line) {
    if ((c < 0x20 && c != L'\t') || c == 0x7F || c == 0xFFFD) return true;
  }
  return false;
}

std::wstring CleanValue(std::wstring_view raw) {
  std::wstring_view v = Trim(raw);
  if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  if (v.size() > kProfileValueMax) v = v.substr(0, kProfileValueMax);
  return std::wstring(v);
}

// Builds the parsed text while remembering which names were seen, so that a
// repeated section or key costs no scan.
class Builder {
 public:
  void Line(std::wstring_view raw, size_t number) {
    std::wstring_view line = Trim(raw);
    if (line.empty()) return;
    if (HasForeignCharacters(line)) return Damaged(number);
    if (line.front() == L'[') return Header(line, number);
    size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos || current_ == kNone) return Damaged(number);
    std::wstring_view key = Trim(line.substr(0, eq));
    if (key.empty()) return Damaged(number);
    auto& seen = keys_[current_];
    if (!seen.emplace(FoldProfileName(key), 0).second) return;  // the first one wins
    out_.sections[current_].entries.push_back({std::wstring(key), CleanValue(line.substr(eq + 1))});
  }

  ProfileText Take() { return std::move(out_); }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  void Header(std::wstring_view line, size_t number) {
    size_t close = line.find(L']');
    if (close == std::wstring_view::npos) return Damaged(number);  // leaves the current section open
    std::wstring_view name = Trim(line.substr(1, close - 1));
    auto [it, added] = sectionIndex_.emplace(FoldProfileName(name), out_.sections.size());
    if (added) {
      out_.sections.push_back({std::wstring(name), {}});
      keys_.emplace_back();
    }
    current_ = it->second;
  }

  void Damaged(size_t number) { out_.damagedLines.push_back(number); }

  ProfileText out_;
  size_t current_ = kNone;
  std::unordered_map<std::wstring, size_t> sectionIndex_;
  std::vector<std::unordered_map<std::wstring, int>> keys_;
};

}  // namespace

std::wstring FoldProfileName(std::wstring_view name) {
  std::wstring out(name);
  for (wchar_t& c : out) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return out;
}

const ProfileEntry* ProfileSection::Find(std::wstring_view key) const {
  std::wstring folded = FoldProfileName(key);
  for (const ProfileEntry& e : entries) {
    if (FoldProfileName(e.key) == folded) return &e;
  }
  return nullptr;
}

const ProfileSection* ProfileText::Find(std::wstring_view name) const {
  std::wstring folded = FoldProfileName(name);
  for (const ProfileSection& s : sections) {
    if (FoldProfileName(s.name) == folded) return &s;
  }
  return nullptr;
}

std::optional<std::wstring> ProfileText::Value(std::wstring_view section, std::wstring_view key) const {
  const ProfileSection* s = Find(section);
  if (s == nullptr) return std::nullopt;
  const ProfileEntry* e = s->Find(key);
  if (e == nullptr) return std::nullopt;
  return e->value;
}

ProfileText ParseProfileText(std::wstring_view text) {
  if (!text.empty() && text.front() == 0xFEFF) text.remove_prefix(1);
  Builder builder;
  size_t number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(L"\r\n", pos);
    if (end == std::wstring_view::npos) end = text.size();
    builder.Line(text.substr(pos, end - pos), ++number);
    pos = end;
    if (pos < text.size() && text[pos] == L'\r') ++pos;
    if (pos < text.size() && text[pos] == L'\n') ++pos;
  }
  return builder.Take();
}

}  // namespace vantrel
