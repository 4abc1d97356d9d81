#include "ui/tessel/Manager.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "ui/tessel/MWindow.h"

namespace Tessel {
namespace {

struct ManagerState {
  std::mutex mutex;
  std::string deviceName = Manager::kDefaultDeviceName;
  void* instance = nullptr;
  std::filesystem::path resourceFolder;
  std::vector<MWindow*> windows;
};

ManagerState& State() {
  static ManagerState state;
  return state;
}

std::atomic<Backend*> g_backend{nullptr};

}  // namespace

void Manager::SetDeviceName(std::string name) {
  std::lock_guard lock(State().mutex);
  State().deviceName = std::move(name);
}

std::string Manager::GetDeviceName() {
  std::lock_guard lock(State().mutex);
  return State().deviceName;
}

void Manager::SetInstance(void* instance) {
  std::lock_guard lock(State().mutex);
  State().instance = instance;
}

void* Manager::GetInstance() {
  std::lock_guard lock(State().mutex);
  return State().instance;
}

void Manager::SetResourceFolder(std::filesystem::path folder) {
  std::lock_guard lock(State().mutex);
  State().resourceFolder = std::move(folder);
}

std::filesystem::path Manager::GetResourceFolder() {
  std::lock_guard lock(State().mutex);
  return State().resourceFolder;
}

std::string Manager::GetThemeSkins() {
  return "skins/theme1/";
}

std::filesystem::path Manager::ResolvePicture(const std::string& name) {
  if (name.empty()) return {};
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  std::filesystem::path path(relative);
  if (path.is_absolute()) return path;
  return GetResourceFolder() / path;
}

void Manager::SetBackend(Backend* backend) {
  g_backend.store(backend);
}

Backend* Manager::GetBackend() {
  return g_backend.load();
}

void Manager::RegisterWindow(MWindow* window) {
  std::lock_guard lock(State().mutex);
  State().windows.push_back(window);
}

void Manager::UnregisterWindow(MWindow* window) {
  std::lock_guard lock(State().mutex);
  std::erase(State().windows, window);
}

MWindow* Manager::FindWindow(const std::string& name) {
  std::lock_guard lock(State().mutex);
  for (MWindow* window : State().windows) {
    if (window->GetName() == name) return window;
  }
  return nullptr;
}

std::vector<MWindow*> Manager::Windows() {
  std::lock_guard lock(State().mutex);
  return State().windows;
}

}  // namespace Tessel
