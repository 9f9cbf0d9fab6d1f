// Plays the user in ./run demo: presses a button of a window found by its
// title and waits for a window to appear, so the demo can show the dialogs.
//   demo-driver click "WINDOW TITLE" CONTROL_ID
//   demo-driver wait "WINDOW TITLE" SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kPollMs = 50;

HWND WaitWindow(const char* title, DWORD milliseconds) {
  for (DWORD waited = 0;; waited += kPollMs) {
    if (HWND window = FindWindowA(nullptr, title)) return window;
    if (waited >= milliseconds) return nullptr;
    Sleep(kPollMs);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: demo-driver click TITLE CONTROL_ID | wait TITLE SECONDS\n");
    return 2;
  }
  const std::string verb = argv[1];
  const char* title = argv[2];
  const int number = std::atoi(argv[3]);
  if (verb == "click") {
    HWND window = WaitWindow(title, 5000);
    if (window == nullptr) {
      std::fprintf(stderr, "no window titled \"%s\"\n", title);
      return 1;
    }
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(number, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, number)));
    return 0;
  }
  if (verb == "wait") {
    return WaitWindow(title, static_cast<DWORD>(number) * 1000) != nullptr ? 0 : 1;
  }
  std::fprintf(stderr, "unknown verb %s\n", verb.c_str());
  return 2;
}
