#pragma once
// The desktop backend of the toolkit: draws every model window and control with Qt 6 Widgets
// and turns the user's actions into the controls' User* operations.
//
// Usage (main thread):
//   TesselQt::QtBackend backend(argc, argv);  // builds the QApplication, becomes the backend
//   KeyboardDlg dialog(...);
//   dialog.Create(nullptr, title, rect);
//   dialog.CenterWindow();
//   dialog.ShowModal(command);                // runs the Qt event loop until EndModal
//
// Control changes may come from any thread: each marks its control dirty and the UI thread
// copies the model into the widget once, however many changes arrived meanwhile. Widgets are
// only ever touched on the thread that built the backend.

#include <filesystem>
#include <memory>

#include "ui/tessel/Backend.h"

class QApplication;
class QWidget;

namespace TesselQt {

class QtBackend : public Tessel::Backend {
 public:
  // Builds the QApplication (Qt keeps `argc` and `argv`: they must outlive the backend),
  // applies the look and installs the backend as the toolkit's (Tessel::Manager::SetBackend).
  QtBackend(int& argc, char** argv);
  ~QtBackend() override;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  QApplication& Application();

  // The icon of every window (taskbar, window switcher), for example
  // Manager::ResolvePicture("skins/theme1/DeviceDriver.ico"). False when it cannot be read.
  bool SetApplicationIcon(const std::filesystem::path& icon);

  // Orders the Chinese fonts for the language in use (1028 = traditional Chinese first).
  void SetLanguage(int languageId);

  // Draws the window as it is now into a PNG of the window's size. UI thread.
  bool SaveScreenshot(Tessel::MWindow& window, const std::filesystem::path& png);

  // The widget that draws a window or a control; null when there is none. UI thread.
  QWidget* WidgetOf(const Tessel::MWindow& window) const;
  QWidget* WidgetOf(const Tessel::MControl& control) const;

  // Copies every pending control change into its widget now. UI thread.
  void FlushChanges();

  // Backend
  void Post(std::function<void()> work) override;
  bool IsUiThread() const override;
  int RunModal(Tessel::MWindow& window) override;
  void EndModal(Tessel::MWindow& window, int result) override;
  Tessel::DialogAnswer Ask(const Tessel::DialogRequest& request) override;
  void StartTimer(Tessel::MWindow& window, int id, int periodMs) override;
  void StopTimer(Tessel::MWindow& window, int id) override;
  void WindowCreated(Tessel::MWindow& window) override;
  void WindowDestroyed(Tessel::MWindow& window) override;
  void WindowShowStateChanged(Tessel::MWindow& window) override;
  void RaiseWindow(Tessel::MWindow& window) override;
  void ControlAdded(Tessel::MControl& control) override;
  void ControlChanged(Tessel::MControl& control) override;
  bool IsTrayAvailable() const override;
  bool ShowTrayIcon(Tessel::MWindow& owner, const Tessel::TrayIconInfo& icon) override;
  void HideTrayIcon(Tessel::MWindow& owner) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace TesselQt
