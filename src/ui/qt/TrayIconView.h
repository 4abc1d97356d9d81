#pragma once
// A window's icon in the notification area, drawn by QSystemTrayIcon (a StatusNotifierItem
// where the desktop offers one, else an XEmbed icon in the X11 tray). What the user does with
// it goes to the owning model window as posted messages (see Tessel::TrayIcon). UI thread.

#include <memory>

#include "ui/tessel/TrayIcon.h"

class QMenu;
class QSystemTrayIcon;

namespace TesselQt {

class TrayIconView {
 public:
  TrayIconView(Tessel::MWindow& owner, const Tessel::TrayIconInfo& info);
  ~TrayIconView();
  TrayIconView(const TrayIconView&) = delete;
  TrayIconView& operator=(const TrayIconView&) = delete;

  // Shows what `info` says; false when the icon's picture cannot be read.
  bool Show(const Tessel::TrayIconInfo& info);

  static bool IsHostAvailable();

 private:
  void Report(int mouseMessage);

  Tessel::MWindow& owner_;
  Tessel::TrayIconInfo info_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace TesselQt
