#include "ui/pages/WaitDlg.h"

#include "ui/tessel/Controls.h"

using Tessel::Rect;

WaitDlg::WaitDlg(std::string message) : MDialog(kWindowName), message_(std::move(message)) {}

void WaitDlg::CreateControls() {
  auto* message = Add<Tessel::MControlFont>(kMessageId);
  message->SetRect(Rect::FromSize(28, 28, 304, 28));
  message->SetStyle("dialog-caption");
  message->SetAlign(Tessel::TextAlign::Center);
  message->SetTitle(message_);
  auto* bar = Add<Tessel::MProgress>(kBarId);
  bar->SetRect(Rect::FromSize(40, 76, 280, 8));
  bar->SetBusy(true);
}
