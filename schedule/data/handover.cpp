#include "handover.h"

#include <algorithm>
#include <vector>

namespace ormidal {
namespace {

constexpr wchar_t kSeparator = L'\\';
constexpr std::wstring_view kVerbatim = L"\\\\?\\";
constexpr std::wstring_view kUnc = L"\\\\";

bool HasDrive(std::wstring_view path) {
  if (path.size() < 2 || path[1] != L':') return false;
  const wchar_t c = path[0];
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool SameLetter(wchar_t a, wchar_t b) { return (a | 0x20) == (b | 0x20); }

// "C:" of a path on a drive, "\\server\share" of a UNC path, else nothing.
std::wstring_view RootOf(std::wstring_view full) {
  if (HasDrive(full)) return full.substr(0, 2);
  if (full.substr(0, 2) != kUnc) return {};
  const std::size_t server = full.find(kSeparator, kUnc.size());
  if (server == std::wstring_view::npos) return full;
  return full.substr(0, full.find(kSeparator, server + 1));
}

std::wstring Normalized(std::wstring_view root, std::wstring_view rest) {
  std::vector<std::wstring_view> segments;
  std::size_t from = 0;
  while (from <= rest.size()) {
    std::size_t to = rest.find(kSeparator, from);
    if (to == std::wstring_view::npos) to = rest.size();
    const std::wstring_view segment = rest.substr(from, to - from);
    if (segment == L"..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != L".") {
      segments.push_back(segment);
    }
    from = to + 1;
  }
  std::wstring full(root);
  for (const std::wstring_view segment : segments) {
    full += kSeparator;
    full += segment;
  }
  return full;
}

// Below the root of the current directory.
std::wstring InCurrentDirectory(std::wstring_view relative, std::wstring_view current) {
  const std::wstring_view root = RootOf(current);
  return Normalized(root, std::wstring(current.substr(root.size())) + kSeparator +
                              std::wstring(relative));
}

uint64_t Fnv1a(std::wstring_view text) {
  uint64_t hash = 14695981039346656037ull;
  for (const wchar_t unit : text) {
    for (const unsigned byte : {static_cast<unsigned>(unit) & 0xFF, (static_cast<unsigned>(unit) >> 8) & 0xFF}) {
      hash ^= byte;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

}  // namespace

std::wstring AsciiUpperCase(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& c : upper) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return upper;
}

std::wstring FullPath(std::wstring_view given, std::wstring_view current) {
  std::wstring path(given);
  if (path.substr(0, kVerbatim.size()) == kVerbatim) return path;
  for (wchar_t& c : path) {
    if (c == L'/') c = kSeparator;
  }
  const std::wstring_view p = path;
  if (p.substr(0, 2) == kUnc) {
    const std::wstring_view root = RootOf(p);
    return Normalized(root, p.substr(root.size()));
  }
  if (HasDrive(p)) {
    if (p.size() > 2 && p[2] == kSeparator) return Normalized(p.substr(0, 2), p.substr(3));
    if (HasDrive(current) && SameLetter(current[0], p[0])) return InCurrentDirectory(p.substr(2), current);
    return Normalized(p.substr(0, 2), p.substr(2));
  }
  if (!p.empty() && p[0] == kSeparator) return Normalized(RootOf(current), p);
  return InCurrentDirectory(p, current);
}

std::wstring FolderKey(std::wstring_view settingsFolder, std::wstring_view currentDirectory,
                       const UpperCase& upper) {
  std::wstring schedule = FullPath(std::wstring(settingsFolder) + L"\\schedule.log", currentDirectory);
  std::size_t end = schedule.rfind(kSeparator);
  if (end == std::wstring::npos) end = 0;
  while (end > 0 && schedule[end - 1] == kSeparator) --end;
  schedule.resize(end);
  return upper(schedule);
}

std::wstring ClaimName(std::wstring_view key, ClaimObject object) {
  constexpr std::wstring_view kMutexPrefix = L"Local\\Ormidal.claim.";
  constexpr std::wstring_view kSlotPrefix = L"Local\\Ormidal.window.";
  std::wstring name(object == ClaimObject::kMutex ? kMutexPrefix : kSlotPrefix);
  // Both objects of a key take the same form.
  if (std::max(kMutexPrefix.size(), kSlotPrefix.size()) + key.size() <= kObjectNameLimit) {
    for (const wchar_t c : key) name += c == kSeparator ? L'/' : c;
    return name;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  const uint64_t hash = Fnv1a(key);
  name += L'#';
  for (int shift = 60; shift >= 0; shift -= 4) name += static_cast<wchar_t>(kHex[(hash >> shift) & 0xF]);
  return name;
}

Proposal ProposalOf(const Options& options, const EntryFields& current) {
  return {current.timeName, current.timeUrl, current.timePos, options.durationText,
          std::to_string(options.protocol)};
}

std::string WriteProposal(const Proposal& p) {
  std::string payload;
  for (int shift = 0; shift < 32; shift += 8) payload += static_cast<char>((kProposalVersion >> shift) & 0xFF);
  for (const std::string* text : {&p.file, &p.url, &p.pos, &p.dur, &p.fmt}) {
    payload += *text;
    payload += '\0';
  }
  return payload;
}

std::optional<Proposal> ReadProposal(std::string_view payload) {
  if (payload.size() < kProposalMinimum || payload.size() > kProposalLimit) return std::nullopt;
  uint32_t version = 0;
  for (int i = 3; i >= 0; --i) version = (version << 8) | static_cast<unsigned char>(payload[i]);
  if (version != kProposalVersion) return std::nullopt;
  Proposal p;
  std::size_t from = 4;
  for (std::string* text : {&p.file, &p.url, &p.pos, &p.dur, &p.fmt}) {
    const std::size_t end = payload.find('\0', from);
    if (end == std::string_view::npos || end - from > kArgumentLimit) return std::nullopt;
    *text = std::string(payload.substr(from, end - from));
    from = end + 1;
  }
  if (from != payload.size()) return std::nullopt;
  return p;
}

void TakeProposal(const Proposal& p, Options& options, EntryFields& current) {
  CmdLineInfo info;
  const std::pair<const char*, const std::string*> given[] = {
      {"file", &p.file}, {"url", &p.url}, {"pos", &p.pos}, {"dur", &p.dur}, {"fmt", &p.fmt}};
  for (const auto& [name, value] : given) {
    info.CollectParameter(name, true, false);
    info.CollectParameter(*value, false, name == given[kProposalTexts - 1].first);
  }
  InterpretParameters(info.parameterTable, options, current);
}

}  // namespace ormidal
