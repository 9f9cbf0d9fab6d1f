#include "fake_reload_system.h"

namespace reload {

void FakeReloadSystem::SetText(RegistryRoot root, const std::wstring& path, const std::wstring& name,
                               const std::wstring& text) {
  keys[{root, path}].values[name] = text;
}

int32_t FakeReloadSystem::ProbeKey(RegistryRoot root, const std::wstring& path) {
  const auto it = keys.find({root, path});
  return it == keys.end() ? 2 : it->second.openResult;
}

RegistryText FakeReloadSystem::ReadText(RegistryRoot root, const std::wstring& path,
                                        const std::wstring& valueName) {
  RegistryText result;
  const auto it = keys.find({root, path});
  if (it == keys.end()) {
    result.openResult = 2;
    return result;
  }
  result.openResult = it->second.openResult;
  if (result.openResult != 0) return result;
  const auto value = it->second.values.find(valueName);
  if (value == it->second.values.end()) {
    result.readResult = 2;
  } else {
    result.text = value->second;
  }
  return result;
}

bool FakeReloadSystem::HasGetProductInfo() {
  ++productInfoLookups;
  return getProductInfo;
}

std::optional<std::wstring> FakeReloadSystem::Folder(KnownFolder folder) {
  const auto it = folders.find(folder);
  if (it == folders.end()) return std::nullopt;
  return it->second;
}

std::wstring FakeReloadSystem::AnsiToWide(std::string_view bytes) {
  std::wstring text;
  for (const char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return text;
}

std::string FakeReloadSystem::WideToAnsi(std::wstring_view text) {
  std::string bytes;
  for (const wchar_t c : text) bytes += static_cast<uint32_t>(c) < 256 ? static_cast<char>(c) : '?';
  return bytes;
}

int32_t FakeReloadSystem::OpenLog(const std::wstring& path) {
  journal.push_back(L"open log " + path);
  if (!logOpens || unwritable.count(path) != 0) return 5;
  logPath = path;
  logIsOpen = true;
  log.clear();
  return 0;
}

void FakeReloadSystem::WriteLog(std::string_view bytes) {
  if (logIsOpen) log += bytes;
}

void FakeReloadSystem::CloseLog() {
  journal.push_back(L"close log");
  logIsOpen = false;
}

std::optional<std::string> FakeReloadSystem::ReadFileStart(const std::wstring& path, std::size_t maxBytes) {
  const auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second.substr(0, maxBytes);
}

std::intptr_t FakeReloadSystem::ShellRun(const std::wstring& verb, const std::wstring& file) {
  journal.push_back(L"shell " + verb + L" " + file);
  return shell(verb, file);
}

BatchStart FakeReloadSystem::StartBatch(const std::wstring& verb, const std::wstring& file) {
  journal.push_back(L"start " + verb + L" " + file);
  return batch(verb, file);
}

bool FakeReloadSystem::WaitForBatch(BatchProcess process, uint32_t milliseconds) {
  journal.push_back(L"wait " + std::to_wstring(process) + L" " + std::to_wstring(milliseconds));
  return slowBatches.count(process) == 0;
}

int FakeReloadSystem::ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                     uint32_t style) {
  journal.push_back(L"box " + caption + L" " + std::to_wstring(style) + L" " + text);
  return 1;
}

}  // namespace reload
