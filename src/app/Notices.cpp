#include "app/Notices.h"

#include "core/TextIds.h"

void Notices::Post(int captionId, std::string text) {
  {
    std::lock_guard lock(mutex_);
    waiting_.emplace_back(captionId, std::move(text));
  }
  wake_();
}

void Notices::WriteFailed() {
  if (writeFailureShown_.exchange(true)) return;
  Post(text::kDatabaseWriteFailedCaption,
       texts_.GetText(text::kDialogSection, text::kDatabaseWriteFailed));
}

void Notices::ShowAll(Tessel::PageHost& host) {
  std::vector<std::pair<int, std::string>> notices;
  {
    std::lock_guard lock(mutex_);
    notices.swap(waiting_);
  }
  for (const auto& [caption, text] : notices) {
    host.AskMessage(texts_.GetText(text::kDialogSection, caption), text, false);
    if (caption == text::kDatabaseWriteFailedCaption) writeFailureShown_.store(false);
  }
}
