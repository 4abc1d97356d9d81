#include "ui/pages/WindowHost.h"

#include "ui/pages/WaitDlg.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/Manager.h"

int WindowHost::AskMessage(const std::string& caption, const std::string& text, bool withCancel) {
  return Tessel::CUIMessageBox::Show(&window_, caption, text, withCancel);
}

std::optional<std::string> WindowHost::AskOpenFile(const std::string& filter) {
  return Tessel::AskOpenFile(&window_, "", filter);
}

std::optional<std::string> WindowHost::AskSaveFile(const std::string& filter,
                                                   const std::string& suggestedName) {
  return Tessel::AskSaveFile(&window_, "", filter, suggestedName);
}

void WindowHost::TrackMenu(unsigned message, const std::vector<Tessel::MenuItem>& items) {
  Tessel::MenuWnd menu(window_, message);
  for (const Tessel::MenuItem& item : items) menu.AddItem(item.id, item.text, item.checked);
  menu.Track();
}

int WindowHost::RunDialog(Tessel::MDialog& dialog, const std::string& title, int width,
                          int height) {
  dialog.Create(&window_, title, Tessel::Rect::FromSize(0, 0, width, height));
  dialog.CenterWindow();
  const int result = dialog.ShowModal();
  dialog.DestroyWindow();
  return result;
}

void WindowHost::ShowWaitDialog(const std::string& message) {
  // One wait dialog at a time: a new wait replaces the one still open.
  if (auto* open =
          dynamic_cast<Tessel::MDialog*>(Tessel::Manager::FindWindow(WaitDlg::kWindowName))) {
    open->DoOK();
  }
  WaitDlg wait(message);
  RunDialog(wait, message, 360, 120);
}

void WindowHost::CloseWaitDialog() {
  window_.RunOnUiThread([] {
    if (auto* dialog =
            dynamic_cast<Tessel::MDialog*>(Tessel::Manager::FindWindow(WaitDlg::kWindowName))) {
      dialog->DoOK();
    }
  });
}
