// The one way onto the user-interface thread. Any thread hands over a task;
// the UI thread runs the tasks one after the other, in the order they came,
// wherever it takes messages: in the application's loop and in any modal
// loop it is in, such as a message box's.
//
// The queue is one message-only window that fw::Application makes before
// its StartApplication runs, so before any other thread of the program can
// exist, and closes when its loop ends. Tasks handed over before it exists or
// after it is closed are dropped unrun, as are those still queued when it
// closes; callers waiting on them are let go. A task that throws is ended
// there; nothing it throws reaches the window procedure.
//
// Whatever another thread wants shown (a status line, a fill, a message box)
// comes this way: no thread but the UI thread calls this program's windows.
#pragma once

#include <functional>

namespace fw::ui {

// Queues task for the UI thread and returns at once, also on that thread.
// False when the queue is closed; task is then destroyed unrun.
bool Post(std::function<void()> task);

// Runs task on the UI thread and waits until it has run: on the UI thread
// at once, elsewhere through the queue. False when it did not run: the
// queue was closed before or while the caller waited, or the UI thread has
// ended. There is no time limit, since a task may wait for the user; the
// caller must hold no lock the UI thread may want. task may use the caller's
// locals: it runs only while the caller waits.
bool Send(const std::function<void()>& task);

// True on the thread that opened the queue.
bool OnUiThread();

// The application's: opens the queue on the calling thread, which then is the
// UI thread; false when its window cannot be made.
bool Open();
// On the UI thread, once its loop has ended.
void Close();

}  // namespace fw::ui
