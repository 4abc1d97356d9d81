#include "core/ThreadCheck.h"

#include "ui/tessel/Backend.h"
#include "ui/tessel/Manager.h"

namespace core {

namespace {
thread_local bool onWorker = false;
}

WorkerScope::WorkerScope() : previous_(onWorker) {
  onWorker = true;
}

WorkerScope::~WorkerScope() {
  onWorker = previous_;
}

bool OnWorker() {
  return onWorker;
}

bool OnUiThread() {
  const Tessel::Backend* backend = Tessel::Manager::GetBackend();
  return backend == nullptr || backend->IsUiThread();
}

}  // namespace core
