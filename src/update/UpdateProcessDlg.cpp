#include "update/UpdateProcessDlg.h"

#include <algorithm>

#include "ui/tessel/Controls.h"

using Tessel::Rect;

namespace update {

UpdateProcessDlg::UpdateProcessDlg(std::string caption, std::string cancelTitle,
                                   std::function<void()> onCancel)
    : MDialog(kWindowName),
      caption_(std::move(caption)),
      cancelTitle_(std::move(cancelTitle)),
      onCancel_(std::move(onCancel)) {}

void UpdateProcessDlg::CreateControls() {
  auto* text = Add<Tessel::MControlFont>(kTextId);
  text->SetRect(Rect::FromSize(28, 24, kWidth - 56, 28));
  text->SetStyle("dialog-caption");
  text->SetAlign(Tessel::TextAlign::Center);
  auto* bar = Add<Tessel::MProgress>(kBarId);
  bar->SetRect(Rect::FromSize(40, 68, kWidth - 80, 8));
  auto* cancel = Add<Tessel::MButton>(kCancelId);
  cancel->SetRect(Rect::FromSize((kWidth - 120) / 2, 100, 120, 36));
  cancel->SetTitle(cancelTitle_);
  SetProgress(0);
}

void UpdateProcessDlg::SetProgress(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (auto* bar = GetControl<Tessel::MProgress>(kBarId)) bar->SetProgress(percent);
  if (auto* text = GetControl<Tessel::MControlFont>(kTextId)) {
    text->SetTitle(caption_ + ": " + std::to_string(percent) + "%");
  }
}

int UpdateProcessDlg::GetProgress() const {
  const auto* bar = GetControl<Tessel::MProgress>(kBarId);
  return bar != nullptr ? bar->GetProgress() : 0;
}

void UpdateProcessDlg::OnControlEvent(int id, int code, std::intptr_t, std::intptr_t) {
  if (id == kCancelId && code == Tessel::kEventClick) Cancel();
}

std::intptr_t UpdateProcessDlg::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                                std::intptr_t lParam) {
  if (message == Tessel::WM_CLOSE) {
    Cancel();
    return 0;
  }
  return MDialog::OnWindowMessage(message, wParam, lParam);
}

void UpdateProcessDlg::Cancel() {
  if (onCancel_) onCancel_();
  DoCancel();
}

}  // namespace update
