#pragma once
// Messages for the user that arise on any thread (a database set aside, a failed write), shown
// one after the other on the UI thread. A burst of failed writes makes one message.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/TextTable.h"
#include "ui/tessel/PageHost.h"

class Notices {
 public:
  // `wake` asks the UI thread to call ShowAll (it posts a message to the window).
  Notices(const core::TextTable& texts, std::function<void()> wake)
      : texts_(texts), wake_(std::move(wake)) {}

  // Any thread: a message under the caption `captionId`.
  void Post(int captionId, std::string text);
  // Any thread: a database write failed. Shown once until the user has seen it.
  void WriteFailed();
  // UI thread: shows every waiting message.
  void ShowAll(Tessel::PageHost& host);

 private:
  const core::TextTable& texts_;
  std::function<void()> wake_;
  std::mutex mutex_;
  std::vector<std::pair<int, std::string>> waiting_;
  // A write failure already waits to be shown: a burst of them makes one message.
  std::atomic<bool> writeFailureShown_{false};
};
