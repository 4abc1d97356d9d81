#pragma once
// Runs tarvoctl's requests in the controller: on the UI thread, through the same feature
// operations as the window, once start-up has read the keyboard, and answers when every task a
// command queued has run (the keyboard has received the change), not when it was queued.
//
// Requests come from the user's command socket (Handler, on the socket's thread, which waits
// for the answer at most kCommandTime) or from tarvoctl's own controller (Execute, on the UI
// thread). The server lives on the UI thread between the main window's creation and its
// destruction; when it goes, waiting requests are answered that Tarvo is closing.

#include <chrono>
#include <functional>
#include <memory>

#include "cli/Protocol.h"
#include "platform/CommandSocket.h"

class KeyboardDlg;

class ControlServer {
 public:
  // How long a request from the socket waits for its command to finish.
  static constexpr std::chrono::seconds kCommandTime{60};

  // UI thread, once the window is created (its start-up task queued).
  explicit ControlServer(KeyboardDlg& dialog);
  ~ControlServer();
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // UI thread: runs a request; `reply` runs once, on the UI thread, after this returns (at
  // once only when the server is closed). A request that never finishes (the window closes
  // first) has its reply dropped or answered "closing".
  void Execute(cli::Request request, std::function<void(cli::Answer)> reply);
  // The socket's handler: one request line in, one answer line out. Never on the UI thread.
  platform::CommandSocket::Handler Handler() const;

  class Core;

 private:
  std::shared_ptr<Core> core_;
};
