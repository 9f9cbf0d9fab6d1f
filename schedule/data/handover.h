// One scheduler per settings folder: the key under which a scheduler claims
// its folder, the names of the claim's kernel objects, and the proposal a
// second start hands to the scheduler that holds the claim.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "options.h"
#include "schedule_file.h"

namespace ormidal {

// --- The folder key ------------------------------------------------------

// Upper case as the file system compares names; Win32 brings the system's.
using UpperCase = std::function<std::wstring(std::wstring_view)>;
std::wstring AsciiUpperCase(std::wstring_view text);

// The full path of path as Windows resolves it against currentDirectory (a
// full path): "/" is "\", "." and empty segments go, ".." takes the segment
// before it but never the root ("C:" or "\\server\share"), "\x" lies on the
// current drive, "C:x" in the current directory when that is on C: and else
// in C:'s root. "\\?\" paths are taken as they are.
std::wstring FullPath(std::wstring_view path, std::wstring_view currentDirectory);

// The key of a settings folder: the folder its schedule file "%s\schedule.log"
// lies in, full, without a trailing backslash, in upper case. Two schedulers
// run one schedule exactly when their keys are equal; so "" and "C:" both
// name the root of a drive, as their schedule paths do.
std::wstring FolderKey(std::wstring_view settingsFolder, std::wstring_view currentDirectory,
                       const UpperCase& upper);

// The kernel objects of a claim, named in the session's namespace:
// "Local\Ormidal.claim.KEY" (the mutex its holder owns) and
// "Local\Ormidal.window.KEY" (the holder's main window). KEY is the folder
// key with "\" written "/" (a name may hold no backslash, and a full path no
// "/"); a key too long for a name is written "#" and the 16 hex digits of its
// 64-bit FNV-1a hash, which no full path begins with.
enum class ClaimObject { kMutex, kWindowSlot };
constexpr std::size_t kObjectNameLimit = 259;  // MAX_PATH less the terminator
std::wstring ClaimName(std::wstring_view key, ClaimObject object);

// --- The hand-over -------------------------------------------------------

// dwData of the hand-over's WM_COPYDATA ("ORM1"); start requests carry 707.
constexpr uintptr_t kHandOverData = 0x314D524F;

// What a start proposes to the dialog: the values of "file", "url", "pos",
// "dur" and "fmt", as the command line gave them.
struct Proposal {
  std::string file, url, pos, dur, fmt;
};

// The payload of the hand-over, version 1:
//   bytes 0-3   the version, 32-bit little-endian: 1
//   then        file, url, pos, dur and fmt in this order, each at most
//               kArgumentLimit bytes of system code page text and one NUL
//   and nothing after the fifth NUL.
constexpr uint32_t kProposalVersion = 1;
constexpr std::size_t kProposalTexts = 5;
constexpr std::size_t kProposalMinimum = 4 + kProposalTexts;
constexpr std::size_t kProposalLimit = 4 + kProposalTexts * (kArgumentLimit + 1);

// The proposal of a start whose command line gave options and current.
Proposal ProposalOf(const Options& options, const EntryFields& current);
std::string WriteProposal(const Proposal& proposal);
// Nothing for a payload of another version, too short or too long, with a
// text over its limit or without its terminator, or with bytes after it.
std::optional<Proposal> ReadProposal(std::string_view payload);

// Sets what the proposal's options set at start-up, through the very code
// and limits of the command line: the File Name, URL and position in current,
// protocol and durationText in options.
void TakeProposal(const Proposal& proposal, Options& options, EntryFields& current);

}  // namespace ormidal
