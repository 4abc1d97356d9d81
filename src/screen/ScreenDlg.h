#pragma once
// The screen page's dialogs: the frame delay (one frame or all of them), and the wait dialog of
// the upload, which shows the upload's progress lines and how far it is.

#include <functional>
#include <string>

#include "ui/tessel/MWindow.h"

namespace screen {

class FrameDelayDlg : public Tessel::MDialog {
 public:
  static constexpr const char* kWindowName = "LCDDelayEditDlg";
  static constexpr const char* kScopeGroup = "DELAYTIME_TYPE";
  enum ControlId {
    kCaptionId = 1,
    kLabelId,
    kEditId,
    kThisFrameId,
    kAllFramesId,
    kOkId,
    kCancelId
  };

  using TextOf = std::function<std::string(int textId)>;
  FrameDelayDlg(int delayMs, TextOf texts);

  // After OK: the delay entered (clamped to 30..500 ms; letters give 30), and whether it is
  // for every frame.
  int Delay() const { return delay_; }
  bool AllFrames() const { return allFrames_; }

  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;

 protected:
  void CreateControls() override;

 private:
  int delay_;
  bool allFrames_ = false;
  TextOf texts_;
};

class UploadWaitDlg : public Tessel::MDialog {
 public:
  static constexpr const char* kWindowName = "LEDWaitDlg";
  enum ControlId { kCaptionId = 1, kLineId, kPercentId, kBarId };

  explicit UploadWaitDlg(std::string caption);

  // Any thread: the newest line and how far the upload is.
  void ShowProgress(int percent, const std::string& line);

 protected:
  void CreateControls() override;

 private:
  std::string caption_;
};

}  // namespace screen
