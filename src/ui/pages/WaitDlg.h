#pragma once
// The generic wait dialog: shown modally while the worker carries out a long task (switching
// profiles, a factory reset); the worker closes it with DoOK when the task is done.

#include <string>

#include "ui/tessel/MWindow.h"

class WaitDlg : public Tessel::MDialog {
 public:
  static constexpr const char* kWindowName = "WaitDlg";
  enum ControlId { kMessageId = 1, kBarId = 2 };

  explicit WaitDlg(std::string message);

 protected:
  void CreateControls() override;

 private:
  std::string message_;
};
