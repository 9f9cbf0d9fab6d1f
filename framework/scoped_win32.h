// One owner for the system's handles, registry keys and menus: it closes
// what it holds when it goes out of scope, so no path forgets to.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <utility>

namespace fw {

// Kernel handles: files, events, processes, threads. Some functions give
// INVALID_HANDLE_VALUE for none, others nullptr; both mean nothing is held.
struct HandleKind {
  using Type = HANDLE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};

struct KeyKind {
  using Type = HKEY;
  static bool Valid(HKEY key) { return key != nullptr; }
  static bool Close(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};

struct MenuKind {
  using Type = HMENU;
  static bool Valid(HMENU menu) { return menu != nullptr; }
  static bool Close(HMENU menu) { return DestroyMenu(menu) != FALSE; }
};

template <class Kind>
class Scoped {
 public:
  using Type = typename Kind::Type;

  Scoped() = default;
  explicit Scoped(Type held) : held_(held) {}
  ~Scoped() { Close(); }
  Scoped(Scoped&& other) noexcept : held_(other.Release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) {
      Close();
      held_ = other.Release();
    }
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  Type Get() const { return held_; }
  bool Valid() const { return Kind::Valid(held_); }
  explicit operator bool() const { return Valid(); }
  // For functions that hand one out through a pointer; what was held is closed first.
  Type* Receive() {
    Close();
    return &held_;
  }
  Type Release() { return std::exchange(held_, Type{}); }
  // Closes now; false when the system reports that the close failed.
  bool Close() {
    const Type held = Release();
    return !Kind::Valid(held) || Kind::Close(held);
  }

 private:
  Type held_{};
};

using ScopedHandle = Scoped<HandleKind>;
using ScopedKey = Scoped<KeyKind>;
using ScopedMenu = Scoped<MenuKind>;

}  // namespace fw
