// Implements FindRecorderWindow: FindWindowA's window where it passes, else
// EnumWindows lists the rows in Z-order and ChooseRecorderWindow picks one.
#include "recorder_window_win32.h"

#include <utility>
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

// False for a window of this process: reading its title would send it a
// message and wait for its thread, and none of them is the recording program.
bool ReadRow(HWND window, DWORD ownProcess, TopLevelWindow& row) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == ownProcess) return false;
  char title[kTextRoom] = {};
  char className[kTextRoom] = {};
  GetWindowTextA(window, title, kTextRoom);
  GetClassNameA(window, className, kTextRoom);
  row = {title, className, process};
  return true;
}

BOOL CALLBACK ListWindow(HWND window, LPARAM param) {
  auto& listing = *reinterpret_cast<Listing*>(param);
  TopLevelWindow row;
  if (!ReadRow(window, listing.ownProcess, row)) return TRUE;
  listing.handles.push_back(window);
  listing.rows.push_back(std::move(row));
  return TRUE;
}

}  // namespace

HWND FindRecorderWindow(const std::string& title) {
  DWORD shellProcess = 0;
  if (HWND shell = GetShellWindow()) GetWindowThreadProcessId(shell, &shellProcess);
  // FindWindowA gives the topmost window of the title, in a wider case rule:
  // none means none here either, and one that passes the choice is the one.
  // Only below an Explorer window is every window listed; requests and the
  // presence watch stay as cheap as before.
  HWND top = FindWindowA(nullptr, title.c_str());
  if (top == nullptr) return nullptr;
  const DWORD ownProcess = GetCurrentProcessId();
  TopLevelWindow row;
  if (ReadRow(top, ownProcess, row) && ChooseRecorderWindow({row}, title, shellProcess)) return top;
  Listing listing{ownProcess, {}, {}};
  // A listing cut short by a failure still holds the windows above the
  // break, which is all FindWindowA would have seen either.
  EnumWindows(&ListWindow, reinterpret_cast<LPARAM>(&listing));
  const auto chosen = ChooseRecorderWindow(listing.rows, title, shellProcess);
  return chosen ? listing.handles[*chosen] : nullptr;
}

}  // namespace ormidal
