#include "ui/qt/TrayIconView.h"

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "ui/tessel/MWindow.h"

namespace TesselQt {

TrayIconView::TrayIconView(Tessel::MWindow& owner, const Tessel::TrayIconInfo& info)
    : owner_(owner),
      info_(info),
      menu_(std::make_unique<QMenu>()),
      icon_(std::make_unique<QSystemTrayIcon>()) {
  QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     // A right click opens the context menu: the desktop shows it itself.
                     if (reason == QSystemTrayIcon::Trigger) Report(Tessel::kTrayLeftButtonDown);
                     if (reason == QSystemTrayIcon::DoubleClick) {
                       Report(Tessel::kTrayLeftDoubleClick);
                     }
                   });
}

TrayIconView::~TrayIconView() {
  icon_->hide();
  // The icon refers to the menu: it goes first.
  icon_.reset();
  menu_.reset();
}

bool TrayIconView::Show(const Tessel::TrayIconInfo& info) {
  const QIcon picture(QString::fromStdString(info.icon.string()));
  if (picture.isNull() || picture.availableSizes().isEmpty()) return false;
  info_ = info;
  menu_->clear();
  for (const Tessel::MenuItem& item : info.menu) {
    QAction* action = menu_->addAction(QString::fromStdString(item.text));
    const int id = item.id;
    Tessel::MWindow* owner = &owner_;
    QObject::connect(action, &QAction::triggered,
                     [owner, id] { owner->PostMessage(Tessel::WM_COMMAND, id, id); });
  }
  icon_->setIcon(picture);
  icon_->setToolTip(QString::fromStdString(info.tip));
  icon_->setContextMenu(menu_.get());
  icon_->show();
  return true;
}

bool TrayIconView::IsHostAvailable() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIconView::Report(int mouseMessage) {
  owner_.PostMessage(info_.notifyMessage, info_.id, mouseMessage);
}

}  // namespace TesselQt
