#include "ui/tessel/RawInput.h"

#include <mutex>

namespace Tessel {
namespace {

struct ObserverSlot {
  std::mutex mutex;  // held while the observer runs, so that replacing it waits for that
  RawInputObserver observer;
};

ObserverSlot& Slot() {
  static ObserverSlot slot;
  return slot;
}

}  // namespace

void SetRawInputObserver(RawInputObserver observer) {
  std::lock_guard lock(Slot().mutex);
  Slot().observer = std::move(observer);
}

void ReportRawInput(const RawInputEvent& event) {
  std::lock_guard lock(Slot().mutex);
  if (Slot().observer) Slot().observer(event);
}

}  // namespace Tessel
