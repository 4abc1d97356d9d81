#pragma once
// The update's progress dialog: one line of text ("Downloading: 42%"), a progress bar and a
// cancel button. It runs modally while the worker downloads; the worker closes it (DoOK) when
// the download has ended. Cancel, Escape and a close message ask the download to stop and
// close the dialog at once.

#include <functional>
#include <string>

#include "ui/tessel/MWindow.h"

namespace update {

class UpdateProcessDlg : public Tessel::MDialog {
 public:
  static constexpr const char* kWindowName = "UpdateProcessDlg";
  enum ControlId { kTextId = 1, kBarId = 2, kCancelId = 3 };
  static constexpr int kWidth = 420;
  static constexpr int kHeight = 168;

  // `caption` is the text before the percentage ("Downloading"); `onCancel` runs on the UI
  // thread when the user cancels.
  UpdateProcessDlg(std::string caption, std::string cancelTitle, std::function<void()> onCancel);

  // "<caption>: <percent>%" and the bar; the percentage is kept within 0..100. Any thread.
  void SetProgress(int percent);
  int GetProgress() const;

  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  std::intptr_t OnWindowMessage(unsigned message, std::intptr_t wParam,
                                std::intptr_t lParam) override;

 protected:
  void CreateControls() override;

 private:
  void Cancel();

  const std::string caption_;
  const std::string cancelTitle_;
  std::function<void()> onCancel_;
};

}  // namespace update
