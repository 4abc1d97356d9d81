#pragma once
// Which thread an operation runs on. Operations whose thread is fixed check it on entry in
// debug builds: the UI thread (control events, dialogs) or the device worker (every command to
// the keyboard). The worker is whoever runs a worker cycle: the worker thread in the
// application, the test thread in tests that play the worker.

#include <cassert>

namespace core {

// Marks the calling thread as the device worker while it lives.
class WorkerScope {
 public:
  WorkerScope();
  ~WorkerScope();
  WorkerScope(const WorkerScope&) = delete;
  WorkerScope& operator=(const WorkerScope&) = delete;

 private:
  bool previous_;
};

bool OnWorker();
bool OnUiThread();

}  // namespace core

#define TARVO_EXPECT_WORKER() assert(::core::OnWorker() && "runs on the device worker")
#define TARVO_EXPECT_UI_THREAD() assert(::core::OnUiThread() && "runs on the UI thread")
