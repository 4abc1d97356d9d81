#pragma once
// The application's icon in the desktop's notification area (the tray). The model keeps what
// the icon shows; the backend puts it where the desktop keeps such icons and reports what the
// user does with it to the owning window as posted messages:
//  - a click or a double click on the icon: `notifyMessage` with wParam = the icon's id and
//    lParam = kTrayLeftButtonDown or kTrayLeftDoubleClick;
//  - an item of the icon's menu, which the backend shows on a right click (the desktop draws
//    it): WM_COMMAND with the item id in wParam and lParam.
// Not every desktop has a notification area (a bare X server, GNOME without an extension): an
// added icon shows whenever one is there, and IsHostAvailable says whether one is there now.

#include <filesystem>
#include <string>
#include <vector>

#include "ui/tessel/Backend.h"

namespace Tessel {

class MWindow;

// What a click on the icon is reported as (lParam of the notify message).
enum TrayMouseMessage : int {
  kTrayLeftButtonDown = 513,
  kTrayLeftDoubleClick = 515,
  kTrayRightButtonDown = 517,
};

struct TrayIconInfo {
  int id = 0;
  unsigned notifyMessage = 0;
  std::filesystem::path icon;  // a picture file (.ico, .png)
  std::string tip;
  std::vector<MenuItem> menu;
};

// One icon of a window, removed at the latest when the object goes. UI thread.
class TrayIcon {
 public:
  explicit TrayIcon(MWindow& owner) : owner_(owner) {}
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Gives the icon to the desktop (or changes what it shows). False when it cannot be made (no
  // backend, a picture that cannot be read): the icon is then not added.
  bool Add(TrayIconInfo info);
  // Takes the icon away; nothing happens when it was never added.
  void Remove();
  bool IsAdded() const { return added_; }
  const TrayIconInfo& Info() const { return info_; }

  // Whether the desktop shows tray icons now.
  static bool IsHostAvailable();

 private:
  MWindow& owner_;
  TrayIconInfo info_;
  bool added_ = false;
};

}  // namespace Tessel
