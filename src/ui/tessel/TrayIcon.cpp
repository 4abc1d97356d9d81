#include "ui/tessel/TrayIcon.h"

#include "ui/tessel/Manager.h"

namespace Tessel {

bool TrayIcon::Add(TrayIconInfo info) {
  Backend* backend = Manager::GetBackend();
  if (backend == nullptr || !backend->ShowTrayIcon(owner_, info)) {
    Remove();
    return false;
  }
  info_ = std::move(info);
  added_ = true;
  return true;
}

void TrayIcon::Remove() {
  if (!added_) return;
  added_ = false;
  if (Backend* backend = Manager::GetBackend()) backend->HideTrayIcon(owner_);
}

bool TrayIcon::IsHostAvailable() {
  const Backend* backend = Manager::GetBackend();
  return backend != nullptr && backend->IsTrayAvailable();
}

}  // namespace Tessel
