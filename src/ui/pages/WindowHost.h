#pragma once
// The page host of a window: what its pages may do with it (see Tessel::PageHost), answered by
// the window's own operations and the toolkit's dialogs.

#include "ui/tessel/MWindow.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/TrayIcon.h"

class WindowHost : public Tessel::PageHost {
 public:
  explicit WindowHost(Tessel::MWindow& window) : window_(window), trayIcon_(window) {}

  Tessel::MControl* FindControl(int id) const override { return window_.FindControl(id); }
  Tessel::MControl* CreateControl(std::string_view className, int id, int parentId) override {
    return window_.CreateControl(className, id, parentId);
  }
  Tessel::MArea* CreateArea(int id, int parentId = 0) override {
    return window_.CreateArea(id, parentId);
  }
  void RunOnUiThread(std::function<void()> work) override {
    window_.RunOnUiThread(std::move(work));
  }
  void PostMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override {
    window_.PostMessage(message, wParam, lParam);
  }
  std::intptr_t SendMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override {
    return window_.SendMessage(message, wParam, lParam);
  }
  int AskMessage(const std::string& caption, const std::string& text, bool withCancel) override;
  std::optional<std::string> AskOpenFile(const std::string& filter) override;
  std::optional<std::string> AskSaveFile(const std::string& filter,
                                         const std::string& suggestedName) override;
  void TrackMenu(unsigned message, const std::vector<Tessel::MenuItem>& items) override;
  int RunDialog(Tessel::MDialog& dialog, const std::string& title, int width, int height) override;
  void ShowWaitDialog(const std::string& message) override;
  void CloseWaitDialog() override;
  void SetWindowEnabled(bool enabled) override { window_.SetWindowEnabled(enabled); }
  void ShowWindowAs(int showCommand) override { window_.ShowWindow(showCommand); }
  void BringWindowToFront() override { window_.BringToFront(); }
  Tessel::TrayIcon& WindowTrayIcon() override { return trayIcon_; }

 private:
  Tessel::MWindow& window_;
  Tessel::TrayIcon trayIcon_;
};
