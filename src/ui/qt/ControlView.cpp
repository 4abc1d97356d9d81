#include "ui/qt/ControlView.h"

#include <QStyle>
#include <QWidget>
#include <map>
#include <mutex>

#include "ui/tessel/MControl.h"

namespace TesselQt {
namespace {

QRect ToQRect(const Tessel::Rect& rect) {
  return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

struct Registry {
  Registry() {
    for (auto& [name, creator] : StandardViews()) creators.emplace(name, std::move(creator));
    for (auto& [name, creator] : FeatureViews()) creators.emplace(name, std::move(creator));
  }
  std::mutex mutex;
  std::map<std::string, ViewRegistry::Creator, std::less<>> creators;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// The view of a class nobody draws: an empty, pointer-transparent box.
class EmptyView : public View<QWidget> {
 public:
  EmptyView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }
};

}  // namespace

void ControlView::Sync() {
  if (control_ == nullptr) return;
  syncing_ = true;
  SyncCommon();
  SyncState();
  syncing_ = false;
}

void ControlView::SyncCommon() {
  QWidget* widget = Widget();
  const QRect rect = ToQRect(control_->GetRect());
  if (widget->geometry() != rect) widget->setGeometry(rect);
  const QString style = QString::fromStdString(control_->GetStyle());
  if (firstSync_ || style != style_) {
    style_ = style;
    widget->setProperty("tesselStyle", style);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    StyleChanged();
    widget->update();
  }
  widget->setToolTip(QString::fromStdString(control_->GetToolTip()));
  widget->setEnabled(control_->IsEnabled());
  const bool visible = control_->IsVisible();
  // A child of a hidden parent is not shown by Qt either; only the control's own flag is set.
  if (firstSync_ || widget->isHidden() == visible) widget->setVisible(visible);
  firstSync_ = false;
}

void ViewRegistry::Register(std::string className, Creator creator) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.creators[std::move(className)] = std::move(creator);
}

bool ViewRegistry::IsRegistered(const std::string& className) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  return registry.creators.contains(className);
}

ControlView* ViewRegistry::Create(Tessel::MControl& control, QWidget* parent) {
  Registry& registry = TheRegistry();
  Creator creator;
  {
    std::lock_guard lock(registry.mutex);
    auto found = registry.creators.find(control.GetClassName());
    if (found != registry.creators.end()) creator = found->second;
  }
  if (creator) {
    if (ControlView* view = creator(control, parent)) return view;
  }
  return new EmptyView(control, parent);
}

}  // namespace TesselQt
