#include "keys/InputRouter.h"

#include <utility>
#include <vector>

#include "base/Log.h"

namespace keys {

struct InputRouter::Listeners {
  mutable std::mutex mutex;
  std::map<int, Listener> byId;
  int nextId = 1;

  std::size_t Count() const {
    std::lock_guard lock(mutex);
    return byId.size();
  }

  // On the UI thread. A listener cancelled by an earlier one hears nothing more.
  void Deliver(const platform::input::InputEvent& event) {
    std::vector<int> ids;
    {
      std::lock_guard lock(mutex);
      for (const auto& [id, listener] : byId) ids.push_back(id);
    }
    for (int id : ids) {
      Listener listener;
      {
        std::lock_guard lock(mutex);
        const auto found = byId.find(id);
        if (found == byId.end()) continue;
        listener = found->second;
      }
      listener(event);
    }
  }
};

InputRouter::Subscription::Subscription(Subscription&& other) noexcept
    : router_(std::exchange(other.router_, nullptr)), id_(std::exchange(other.id_, 0)) {}

InputRouter::Subscription& InputRouter::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    Cancel();
    router_ = std::exchange(other.router_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void InputRouter::Subscription::Cancel() {
  if (router_ != nullptr && id_ != 0) router_->Unsubscribe(id_);
  router_ = nullptr;
  id_ = 0;
}

InputRouter::InputRouter(SourceFactory factory, Poster toUiThread)
    : factory_(std::move(factory)),
      toUiThread_(std::move(toUiThread)),
      listeners_(std::make_shared<Listeners>()) {}

InputRouter::~InputRouter() {
  if (source_) source_->Stop();
}

platform::input::InputSource& InputRouter::Source() {
  if (!source_) source_ = factory_();
  return *source_;
}

platform::input::SourceKind InputRouter::Kind() {
  return Source().Kind();
}

std::size_t InputRouter::ListenerCount() const {
  return listeners_->Count();
}

InputRouter::Subscription InputRouter::Subscribe(Listener listener) {
  if (!running_) {
    std::weak_ptr<Listeners> listeners = listeners_;
    Poster post = toUiThread_;
    running_ = Source().Start([listeners, post](const platform::input::InputEvent& event) {
      post([listeners, event] {
        if (const std::shared_ptr<Listeners> alive = listeners.lock()) alive->Deliver(event);
      });
    });
    if (!running_) {
      base::ErrorLog("input: the %s source does not start; no keys are observed",
                     platform::input::SourceKindName(Source().Kind()));
      return {};
    }
  }
  std::lock_guard lock(listeners_->mutex);
  const int id = listeners_->nextId++;
  listeners_->byId.emplace(id, std::move(listener));
  return Subscription(this, id);
}

void InputRouter::Unsubscribe(int id) {
  bool last = false;
  {
    std::lock_guard lock(listeners_->mutex);
    listeners_->byId.erase(id);
    last = listeners_->byId.empty();
  }
  // Nobody listens: the source's thread (and its hold on the display or devices) ends.
  if (last && running_) {
    source_->Stop();
    running_ = false;
  }
}

platform::input::KeyboardGrab InputRouter::GrabKeyboard() {
  return Source().GrabKeyboard();
}

}  // namespace keys
