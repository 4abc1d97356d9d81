#include "screen/ScreenDlg.h"

#include <algorithm>

#include "core/TextIds.h"
#include "screen/ScreenMedia.h"
#include "ui/tessel/Controls.h"

using Tessel::Rect;

namespace screen {

FrameDelayDlg::FrameDelayDlg(int delayMs, TextOf texts)
    : MDialog(kWindowName), delay_(ClampFrameDelay(delayMs)), texts_(std::move(texts)) {}

void FrameDelayDlg::CreateControls() {
  auto* caption = Add<Tessel::MControlFont>(kCaptionId);
  caption->SetRect(Rect::FromSize(24, 16, 252, 28));
  caption->SetStyle("dialog-caption");
  caption->SetTitle(GetTitle());
  auto* label = Add<Tessel::MControlFont>(kLabelId);
  label->SetRect(Rect::FromSize(24, 56, 120, 30));
  label->SetStyle("secondary");
  label->SetTitle(texts_(text::kLcdDelayLabel));
  auto* edit = Add<Tessel::MEdit>(kEditId);
  edit->SetRect(Rect::FromSize(150, 56, 126, 30));
  edit->SetMaxLength(5);
  edit->SetEditText(std::to_string(delay_));
  edit->SetFocus();
  const int scopes[] = {kThisFrameId, kAllFramesId};
  const int titles[] = {text::kLcdDelayThisFrame, text::kLcdDelayAllFrames};
  for (int i = 0; i < 2; ++i) {
    auto* scope = Add<Tessel::CRadioButton>(scopes[i]);
    scope->SetRect(Rect::FromSize(24 + 128 * i, 96, 124, 28));
    scope->SetGroup(kScopeGroup);
    scope->SetTitle(texts_(titles[i]));
  }
  GetControl<Tessel::CRadioButton>(kThisFrameId)->SetCheck(true);
  auto* ok = Add<Tessel::MButton>(kOkId);
  ok->SetRect(Rect::FromSize(68, 144, 100, 36));
  ok->SetStyle("primary");
  ok->SetTitle(texts_(text::kOk));
  auto* cancel = Add<Tessel::MButton>(kCancelId);
  cancel->SetRect(Rect::FromSize(176, 144, 100, 36));
  cancel->SetTitle(texts_(text::kCancel));
}

void FrameDelayDlg::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t) {
  const bool confirmed = (id == kOkId && code == Tessel::kEventClick) ||
                         (id == kEditId && code == Tessel::kEventCommit && arg1 == 1);
  if (confirmed) {
    delay_ = ParseFrameDelay(GetControl<Tessel::MEdit>(kEditId)->GetEditText());
    allFrames_ = GetControl<Tessel::CRadioButton>(kAllFramesId)->GetCheck();
    DoOK();
  } else if (id == kCancelId && code == Tessel::kEventClick) {
    DoCancel();
  }
}

UploadWaitDlg::UploadWaitDlg(std::string caption)
    : MDialog(kWindowName), caption_(std::move(caption)) {}

void UploadWaitDlg::CreateControls() {
  auto* caption = Add<Tessel::MControlFont>(kCaptionId);
  caption->SetRect(Rect::FromSize(28, 20, 440, 28));
  caption->SetStyle("dialog-caption");
  caption->SetTitle(caption_);
  auto* percent = Add<Tessel::MControlFont>(kPercentId);
  percent->SetRect(Rect::FromSize(472, 20, 100, 28));
  percent->SetStyle("value");
  percent->SetAlign(Tessel::TextAlign::Right);
  percent->SetTitle("1 %");
  auto* line = Add<Tessel::MControlFont>(kLineId);
  line->SetRect(Rect::FromSize(28, 58, 544, 40));
  line->SetStyle("hint");
  line->SetWordWrap(true);
  auto* bar = Add<Tessel::MProgress>(kBarId);
  bar->SetRect(Rect::FromSize(28, 108, 544, 10));
  bar->SetProgress(1);
}

void UploadWaitDlg::ShowProgress(int percent, const std::string& line) {
  percent = std::clamp(percent, 0, 100);
  if (auto* shown = GetControl<Tessel::MControlFont>(kPercentId))
    shown->SetTitle(std::to_string(percent) + " %");
  if (auto* bar = GetControl<Tessel::MProgress>(kBarId)) bar->SetProgress(percent);
  if (auto* text = GetControl<Tessel::MControlFont>(kLineId)) text->SetTitle(line);
}

}  // namespace screen
