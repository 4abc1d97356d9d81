#pragma once
// One input source of the application, shared by whoever observes keys and mouse buttons: the
// key test, the key capture of the combination panel, the macro recorder. Each listener
// subscribes for as long as it listens and hears every event on the UI thread; the source runs
// while anyone listens and is created on first use (finding out what the session offers may
// mean asking the X server).
//
//   keys::InputRouter::Subscription listening = router.Subscribe([](const InputEvent& e) {...});
//   ...
//   listening.Cancel();  // or let it go out of scope

#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/input/InputSource.h"

namespace keys {

class InputRouter {
 public:
  using SourceFactory = std::function<std::unique_ptr<platform::input::InputSource>()>;
  // Runs work on the UI thread (posted when called from another thread).
  using Poster = std::function<void(std::function<void()>)>;
  using Listener = std::function<void(const platform::input::InputEvent&)>;

  class Subscription {
   public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Cancel(); }

    bool Active() const { return id_ != 0; }
    // Stops listening; no event reaches the listener after this returns. UI thread.
    void Cancel();

   private:
    friend class InputRouter;
    Subscription(InputRouter* router, int id) : router_(router), id_(id) {}
    InputRouter* router_ = nullptr;
    int id_ = 0;
  };

  InputRouter(SourceFactory factory, Poster toUiThread);
  ~InputRouter();
  InputRouter(const InputRouter&) = delete;
  InputRouter& operator=(const InputRouter&) = delete;

  // UI thread. An inactive subscription when the source cannot start (logged).
  Subscription Subscribe(Listener listener);
  // Takes the keyboard from every other program while the grab lives; see InputSource.
  platform::input::KeyboardGrab GrabKeyboard();
  // What the source is (created on first use).
  platform::input::SourceKind Kind();
  // How many listen now.
  std::size_t ListenerCount() const;

 private:
  struct Listeners;

  platform::input::InputSource& Source();
  void Unsubscribe(int id);

  SourceFactory factory_;
  Poster toUiThread_;
  std::unique_ptr<platform::input::InputSource> source_;
  bool running_ = false;
  // Shared with the events on their way to the UI thread, which may outlive the router.
  std::shared_ptr<Listeners> listeners_;
};

}  // namespace keys
