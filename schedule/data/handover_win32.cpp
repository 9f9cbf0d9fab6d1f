// Implements FolderClaim with a named mutex and a named file mapping, and
// the send of the hand-over with WM_COPYDATA.
#include "handover_win32.h"

#include <optional>

namespace ormidal {

// What the mapping holds. 32-bit fields, so that 32-bit and 64-bit
// schedulers share it; window handles are 32-bit values in both.
struct WindowSlot {
  volatile LONG version;
  volatile LONG processId;
  volatile LONG window;  // 0 until the holder's main window exists
};

namespace {

constexpr LONG kSlotVersion = 1;
constexpr DWORD kPollMs = 50;

struct SlotCopy {
  LONG processId = 0;
  LONG window = 0;
};

// What the holder has published in the folder's slot; none where nobody holds it.
std::optional<SlotCopy> ReadSlot(const std::wstring& key) {
  fw::ScopedHandle mapping(
      OpenFileMappingW(FILE_MAP_READ, FALSE, ClaimName(key, ClaimObject::kWindowSlot).c_str()));
  if (!mapping) return std::nullopt;
  const auto* slot = static_cast<const WindowSlot*>(
      MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(WindowSlot)));
  if (slot == nullptr) return std::nullopt;
  const LONG version = slot->version;
  const SlotCopy copy{slot->processId, slot->window};
  UnmapViewOfFile(slot);
  if (version != kSlotVersion) return std::nullopt;
  return copy;
}

// The holder's main window, once it has one.
HWND HolderWindow(const std::wstring& key) {
  const std::optional<SlotCopy> slot = ReadSlot(key);
  if (!slot || slot->window == 0) return nullptr;
  HWND holder = static_cast<HWND>(LongToHandle(slot->window));
  // A handle whose window has gone may name another program's window by now.
  DWORD owner = 0;
  if (GetWindowThreadProcessId(holder, &owner) == 0 ||
      owner != static_cast<DWORD>(slot->processId)) {
    return nullptr;
  }
  return holder;
}

enum class Sent { kTaken, kRefused, kGone };

Sent SendProposal(HWND holder, const std::string& payload, DWORD timeoutMs) {
  // The message names its sender; this process has no other window.
  HWND sender = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  DWORD holderProcess = 0;
  GetWindowThreadProcessId(holder, &holderProcess);
  // This start came from the user; the running scheduler may come forward.
  AllowSetForegroundWindow(holderProcess);
  COPYDATASTRUCT data{kHandOverData, static_cast<DWORD>(payload.size()),
                      const_cast<char*>(payload.data())};
  DWORD_PTR answer = FALSE;
  const LRESULT sent =
      SendMessageTimeoutW(holder, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                          reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, timeoutMs, &answer);
  if (sender != nullptr) DestroyWindow(sender);
  if (sent != 0) return answer == TRUE ? Sent::kTaken : Sent::kRefused;
  return IsWindow(holder) ? Sent::kRefused : Sent::kGone;
}

}  // namespace

std::wstring SystemFolderKey(std::wstring_view settingsFolder) {
  std::wstring current(GetCurrentDirectoryW(0, nullptr), L'\0');
  current.resize(GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));
  return FolderKey(settingsFolder, current, [](std::wstring_view text) {
    std::wstring upper(text);
    if (!upper.empty()) {
      LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                   upper.data(), static_cast<int>(upper.size()));
    }
    return upper;
  });
}

FolderClaim::~FolderClaim() {
  if (slot_ != nullptr) UnmapViewOfFile(slot_);
}

FolderClaim::Outcome FolderClaim::ClaimOrHandOver(std::wstring_view settingsFolder,
                                                  const Proposal& proposal,
                                                  std::chrono::milliseconds bound) {
  const std::wstring key = SystemFolderKey(settingsFolder);
  mutex_ = fw::ScopedHandle(CreateMutexW(nullptr, FALSE, ClaimName(key, ClaimObject::kMutex).c_str()));
  if (!mutex_) return Outcome::kClaimed;
  const std::string payload = WriteProposal(proposal);
  const auto deadline = std::chrono::steady_clock::now() + bound;
  for (DWORD waitMs = 0;; waitMs = kPollMs) {
    // Owned, or abandoned by a scheduler that ended without letting go.
    const DWORD wait = WaitForSingleObject(mutex_.Get(), waitMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) break;
    if (wait == WAIT_FAILED) return Outcome::kClaimed;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Outcome::kNoAnswer;
    if (HWND holder = HolderWindow(key)) {
      switch (SendProposal(holder, payload, static_cast<DWORD>(left.count()))) {
        case Sent::kTaken:
          return Outcome::kHandedOver;
        case Sent::kRefused:
          return Outcome::kNoAnswer;
        case Sent::kGone:
          break;  // the holder is ending: its claim comes free
      }
    }
  }
  slotMapping_ = fw::ScopedHandle(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                     0, sizeof(WindowSlot),
                                                     ClaimName(key, ClaimObject::kWindowSlot).c_str()));
  if (slotMapping_) {
    slot_ = static_cast<WindowSlot*>(
        MapViewOfFile(slotMapping_.Get(), FILE_MAP_WRITE, 0, 0, sizeof(WindowSlot)));
  }
  if (slot_ != nullptr) {
    InterlockedExchange(&slot_->window, 0);
    InterlockedExchange(&slot_->processId, static_cast<LONG>(GetCurrentProcessId()));
    InterlockedExchange(&slot_->version, kSlotVersion);
  }
  return Outcome::kClaimed;
}

void FolderClaim::Publish(HWND mainWindow) {
  if (slot_ != nullptr) InterlockedExchange(&slot_->window, HandleToLong(mainWindow));
}

bool FolderClaimHeld(std::wstring_view settingsFolder) {
  const std::optional<SlotCopy> slot = ReadSlot(SystemFolderKey(settingsFolder));
  if (!slot || slot->processId == 0) return false;
  // A holder that died leaves the slot to whoever still has it open.
  fw::ScopedHandle holder(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(slot->processId)));
  return holder && WaitForSingleObject(holder.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<Proposal> HandedOverProposal(WPARAM sender, LPARAM copyData) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(copyData);
  if (data == nullptr || data->dwData != kHandOverData) return std::nullopt;
  // Only from this session: the message is outside input all the same.
  DWORD senderProcess = 0;
  DWORD senderSession = 0;
  DWORD ownSession = 0;
  if (GetWindowThreadProcessId(reinterpret_cast<HWND>(sender), &senderProcess) == 0 ||
      !ProcessIdToSessionId(senderProcess, &senderSession) ||
      !ProcessIdToSessionId(GetCurrentProcessId(), &ownSession) || senderSession != ownSession) {
    return std::nullopt;
  }
  if (data->cbData > kProposalLimit || (data->lpData == nullptr && data->cbData != 0)) {
    return std::nullopt;
  }
  return ReadProposal(std::string_view(static_cast<const char*>(data->lpData), data->cbData));
}

}  // namespace ormidal
