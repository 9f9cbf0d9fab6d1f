// Implements the program's thread start on the C runtime's threads.
#include "thread_win32.h"

#include <process.h>

#include <memory>

namespace fw {
namespace {

unsigned __stdcall Run(void* task) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(task));
  (*body)();
  return 0;
}

}  // namespace

ScopedHandle StartJoinableThread(std::function<void()> body) {
  auto task = std::make_unique<std::function<void()>>(std::move(body));
  const uintptr_t thread = _beginthreadex(nullptr, 0, &Run, task.get(), 0, nullptr);
  if (thread == 0) return {};
  task.release();  // the thread owns it now
  return ScopedHandle(reinterpret_cast<HANDLE>(thread));
}

bool StartDetachedThread(std::function<void()> body) {
  return StartJoinableThread(std::move(body)).Valid();
}

void JoinThread(ScopedHandle& thread) {
  if (thread) WaitForSingleObject(thread.Get(), INFINITE);
  thread.Close();
}

}  // namespace fw
