// Implements the queue of ui_queue.h: a list of tasks under a mutex and one
// message-only window on the UI thread, which runs them when its message
// comes.
#include "ui_queue.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

#include "scoped_win32.h"

namespace fw::ui {
namespace {

constexpr UINT kRunTasks = WM_APP;  // the queue's own window class: nothing else gets it
constexpr wchar_t kClassName[] = L"fw.UiQueue";

// What a Send waits on: signalled once its task has run or has been dropped.
struct Waiting {
  ScopedHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> ran{false};
};

struct Task {
  std::function<void()> run;
  std::shared_ptr<Waiting> waiting;  // for a Send only
};

struct Queue {
  std::mutex mutex;
  std::deque<Task> tasks;
  HWND window = nullptr;  // while open
  std::atomic<DWORD> thread{0};
  ScopedHandle threadHandle;  // signalled when the UI thread ends
};

// Never destroyed: other threads may hand over tasks while the process ends.
Queue& TheQueue() {
  static Queue* const queue = new Queue;
  return *queue;
}

// The task goes first: it may refer to a Send caller's locals.
void Finish(Task& task, bool ran) {
  task.run = nullptr;
  if (task.waiting == nullptr) return;
  task.waiting->ran.store(ran);
  SetEvent(task.waiting->done.Get());
}

bool Enqueue(Task task) {
  Queue& queue = TheQueue();
  {
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (queue.window != nullptr) {
      queue.tasks.push_back(std::move(task));
      // Under the lock, so the window cannot go meanwhile. Each message runs
      // all that is queued, so one lost to a full message queue costs nothing.
      PostMessageW(queue.window, kRunTasks, 0, 0);
      return true;
    }
  }
  Finish(task, false);
  return false;
}

// A task that opens a modal loop lets the later ones run inside it.
void RunQueued() {
  Queue& queue = TheQueue();
  for (;;) {
    Task task;
    {
      std::lock_guard<std::mutex> lock(queue.mutex);
      if (queue.tasks.empty()) return;
      task = std::move(queue.tasks.front());
      queue.tasks.pop_front();
    }
    bool ran = true;
    try {
      task.run();
    } catch (...) {
      ran = false;
    }
    Finish(task, ran);
  }
}

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunTasks) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    RunQueued();
  } catch (...) {
  }
  return 0;
}

}  // namespace

bool Post(std::function<void()> task) { return Enqueue(Task{std::move(task), nullptr}); }

bool Send(const std::function<void()>& task) {
  if (OnUiThread()) {
    try {
      task();
      return true;
    } catch (...) {
      return false;
    }
  }
  auto waiting = std::make_shared<Waiting>();
  if (!waiting->done || !Enqueue(Task{task, waiting})) return false;
  const HANDLE ends[] = {waiting->done.Get(), TheQueue().threadHandle.Get()};
  const DWORD count = ends[1] != nullptr ? 2 : 1;
  return WaitForMultipleObjects(count, ends, FALSE, INFINITE) == WAIT_OBJECT_0 &&
         waiting->ran.load();
}

bool OnUiThread() { return TheQueue().thread.load() == GetCurrentThreadId(); }

bool Open() {
  Queue& queue = TheQueue();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance, kClassName, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0) return false;
  }
  HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, nullptr);
  if (window == nullptr) return false;
  queue.threadHandle = ScopedHandle(OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId()));
  queue.thread.store(GetCurrentThreadId());
  std::lock_guard<std::mutex> lock(queue.mutex);
  queue.window = window;
  return true;
}

void Close() {
  Queue& queue = TheQueue();
  std::deque<Task> dropped;
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> lock(queue.mutex);
    window = std::exchange(queue.window, nullptr);
    dropped.swap(queue.tasks);
  }
  for (Task& task : dropped) Finish(task, false);
  if (window != nullptr) DestroyWindow(window);
}

}  // namespace fw::ui
