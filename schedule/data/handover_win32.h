// The claim of a settings folder on Win32: a mutex that one scheduler of the
// session owns for its whole life, and beside it a file mapping that tells
// later starts which window takes their proposals.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "handover.h"
#include "scoped_win32.h"

namespace ormidal {

// The folder key as this process resolves it: against its current directory,
// in the system's upper case.
std::wstring SystemFolderKey(std::wstring_view settingsFolder);

struct WindowSlot;

class FolderClaim {
 public:
  enum class Outcome {
    kClaimed,     // this process runs the folder's schedule
    kHandedOver,  // the running scheduler took the proposal
    kNoAnswer,    // it did not take it within the bound
  };
  FolderClaim() = default;
  ~FolderClaim();
  FolderClaim(const FolderClaim&) = delete;
  FolderClaim& operator=(const FolderClaim&) = delete;

  // Claims the schedule of settingsFolder (the part the schedule path uses)
  // for this process or, when another scheduler holds it, hands that one the
  // proposal, waiting at most bound in all. Where no claim can be made at
  // all, the process runs as before.
  Outcome ClaimOrHandOver(std::wstring_view settingsFolder, const Proposal& proposal,
                          std::chrono::milliseconds bound);
  // Names the window that takes the proposals of later starts.
  void Publish(HWND mainWindow);

 private:
  fw::ScopedHandle mutex_;
  fw::ScopedHandle slotMapping_;
  WindowSlot* slot_ = nullptr;  // mapped while this process holds the claim
};

// Whether a live scheduler holds the claim of settingsFolder: looked at
// through the window slot, never waited on or taken.
bool FolderClaimHeld(std::wstring_view settingsFolder);

// The proposal of a hand-over message that a window of this session sent,
// or nothing for any other message.
std::optional<Proposal> HandedOverProposal(WPARAM sender, LPARAM copyData);

}  // namespace ormidal
