// Implements FindRecorderWindow: EnumWindows lists the rows in Z-order,
// ChooseRecorderWindow picks one.
#include "recorder_window_win32.h"

#include <vector>

#include "recorder_link.h"

namespace ormidal {
namespace {

constexpr int kTextRoom = 512;

struct Listing {
  DWORD ownProcess;
  std::vector<HWND> handles;
  std::vector<TopLevelWindow> rows;
};

BOOL CALLBACK ListWindow(HWND window, LPARAM param) {
  auto& listing = *reinterpret_cast<Listing*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  // Reading the title of one of our own windows would send it a message and
  // wait for its thread; none of them is the recording program anyway.
  if (process == listing.ownProcess) return TRUE;
  char title[kTextRoom] = {};
  char className[kTextRoom] = {};
  GetWindowTextA(window, title, kTextRoom);
  GetClassNameA(window, className, kTextRoom);
  listing.handles.push_back(window);
  listing.rows.push_back({title, className, process});
  return TRUE;
}

}  // namespace

HWND FindRecorderWindow(const std::string& title) {
  Listing listing{GetCurrentProcessId(), {}, {}};
  // A listing cut short by a failure still holds the windows above the
  // break, which is all FindWindowA would have seen either.
  EnumWindows(&ListWindow, reinterpret_cast<LPARAM>(&listing));
  DWORD shellProcess = 0;
  if (HWND shell = GetShellWindow()) GetWindowThreadProcessId(shell, &shellProcess);
  const auto chosen = ChooseRecorderWindow(listing.rows, title, shellProcess);
  return chosen ? listing.handles[*chosen] : nullptr;
}

}  // namespace ormidal
