#include "ui/qt/QtBackend.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPixmapCache>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "ui/qt/ControlView.h"
#include "ui/qt/FileFilter.h"
#include "ui/qt/Painting.h"
#include "ui/qt/RawInputForwarder.h"
#include "ui/qt/Theme.h"
#include "ui/qt/TrayIconView.h"
#include "ui/qt/WindowWidget.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"

namespace TesselQt {
namespace {

// Qt ends the process with a fatal message when its window system cannot start (a display
// that refused the connection although it answered the check before, a platform that does
// not exist). While the application object is made, such an end is one clear line and
// status 1, as every other start-up failure, not an abort with a core file.
QtMessageHandler startUpHandler = nullptr;

void StartUpMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (startUpHandler != nullptr) startUpHandler(type, context, message);
    return;
  }
  std::fprintf(stderr, "tarvo: the window system could not be started: %s\n",
               message.toLocal8Bit().constData());
  std::_Exit(1);
}

constexpr int kTraditionalChinese = 1028;

// The drawing of one control. `dirty` is the only part other threads touch.
struct Entry {
  std::atomic<bool> dirty{false};
  ControlView* view = nullptr;  // owned by its parent widget; valid while `widget` is
  QPointer<QWidget> widget;
};

struct WindowRecord {
  QPointer<WindowWidget> widget;  // deleted by the backend (or with its parent window's widget)
  std::vector<const Tessel::MControl*> controls;
  Tessel::Rect appliedRect;
  bool rectApplied = false;
  bool placed = false;  // positioned at its first showing
};

struct ModalFrame {
  const Tessel::MWindow* window = nullptr;
  QEventLoop* loop = nullptr;
  bool ended = false;
  int result = Tessel::kResultNone;
};

// Runs work posted from any thread on the UI thread, in the order it was posted. The work is
// handed over under a standard mutex, and the Qt event that announces it is posted and first
// read under that mutex too: Qt's own queue synchronises through futexes the thread sanitizer
// cannot see. Each event runs exactly one item, so work that opens a modal loop lets the items
// after it run inside that loop.
class Dispatcher : public QObject {
 public:
  void Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
    QCoreApplication::postEvent(this, new QEvent(WorkEvent()));
  }

  bool event(QEvent* event) override {
    if (!IsWork(*event)) return QObject::event(event);
    RunOne();
    return true;
  }

 private:
  bool IsWork(const QEvent& event) {
    std::lock_guard lock(mutex_);
    return event.type() == WorkEvent();
  }

  void RunOne() {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return;
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    work();
  }

  // Qt has a limited number of event types to give out: one for every dispatcher of the process.
  static QEvent::Type WorkEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }

  std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
};

}  // namespace

struct QtBackend::Impl {
  QString fileFolder;  // where the next file dialog starts
  std::unique_ptr<QApplication> application;
  std::thread::id uiThread = std::this_thread::get_id();
  // Receives the work posted to the UI thread.
  std::unique_ptr<Dispatcher> dispatcher;
  // Reports the main window's keys and buttons to the toolkit's raw input observer.
  std::unique_ptr<RawInputForwarder> rawInput;

  mutable std::mutex entriesMutex;
  std::unordered_map<const Tessel::MControl*, std::shared_ptr<Entry>> entries;

  // UI thread only.
  std::unordered_map<const Tessel::MWindow*, WindowRecord> windows;
  std::map<std::pair<const Tessel::MWindow*, int>, QPointer<QTimer>> timers;
  std::vector<ModalFrame*> modals;
  std::unordered_map<const Tessel::MWindow*, std::unique_ptr<TrayIconView>> trayIcons;

  WindowRecord* RecordOf(const Tessel::MWindow& window) {
    auto found = windows.find(&window);
    return found == windows.end() ? nullptr : &found->second;
  }

  std::shared_ptr<Entry> EntryOf(const Tessel::MControl& control) const {
    std::lock_guard lock(entriesMutex);
    auto found = entries.find(&control);
    return found == entries.end() ? nullptr : found->second;
  }

  static void SyncEntry(Entry& entry) {
    entry.dirty.store(false);
    if (entry.widget != nullptr && entry.view != nullptr) entry.view->Sync();
  }

  void CreateView(Tessel::MControl& control, WindowRecord& record) {
    QWidget* parent = record.widget != nullptr ? &record.widget->Surface() : nullptr;
    if (const Tessel::MControl* owner = control.GetParent()) {
      if (std::shared_ptr<Entry> parentEntry = EntryOf(*owner);
          parentEntry && parentEntry->widget) {
        parent = parentEntry->widget;
      }
    }
    if (parent == nullptr) return;
    auto entry = std::make_shared<Entry>();
    entry->view = ViewRegistry::Create(control, parent);
    entry->widget = entry->view->Widget();
    {
      std::lock_guard lock(entriesMutex);
      entries[&control] = entry;
    }
    record.controls.push_back(&control);
    entry->view->Sync();
  }

  void DropControls(WindowRecord& record) {
    std::lock_guard lock(entriesMutex);
    for (const Tessel::MControl* control : record.controls) {
      auto found = entries.find(control);
      if (found == entries.end()) continue;
      if (found->second->widget != nullptr) found->second->view->Detach();
      found->second->view = nullptr;
      entries.erase(found);
    }
    record.controls.clear();
  }

  void StopTimersOf(const Tessel::MWindow& window) {
    for (auto it = timers.begin(); it != timers.end();) {
      if (it->first.first != &window) {
        ++it;
        continue;
      }
      if (it->second != nullptr) {
        it->second->stop();
        it->second->deleteLater();  // it may be the timer whose tick is running now
      }
      it = timers.erase(it);
    }
  }

  // Where a window goes the first time it is shown: centred over its parent window or the
  // screen when the model asked for it, else at its own position.
  static void Place(const Tessel::MWindow& window, WindowWidget& widget) {
    if (!window.IsCentred()) {
      const Tessel::Rect rect = window.GetWindowRect();
      widget.move(rect.left, rect.top);
      return;
    }
    QRect area;
    if (QWidget* parent = widget.parentWidget(); parent != nullptr && parent->isVisible()) {
      area = parent->window()->frameGeometry();
    } else if (QScreen* screen =
                   widget.screen() ? widget.screen() : QGuiApplication::primaryScreen()) {
      area = screen->availableGeometry();
    }
    QRect frame(QPoint(0, 0), widget.size());
    frame.moveCenter(area.center());
    widget.move(frame.topLeft());
  }

  void ApplyRect(const Tessel::MWindow& window, WindowRecord& record) {
    const Tessel::Rect rect = window.GetWindowRect();
    if (record.rectApplied && rect == record.appliedRect) return;
    record.rectApplied = true;
    record.appliedRect = rect;
    // Windows have the size their layout was made for (scaled down where the screen is
    // smaller): the user cannot resize them.
    record.widget->SetLayoutSize(QSize(std::max(1, rect.Width()), std::max(1, rect.Height())));
    if (record.placed) record.widget->move(rect.left, rect.top);
  }

  void ApplyShowCommand(const Tessel::MWindow& window, WindowRecord& record) {
    WindowWidget& widget = *record.widget;
    const int command = window.GetShowCommand();
    if (command == Tessel::kHide) {
      widget.hide();
      return;
    }
    if (!record.placed) {
      widget.FitToScreen();  // for the screen it will be shown on: its size decides its place
      Place(window, widget);
      record.placed = true;
    }
    switch (command) {
      case Tessel::kShowMinimized:
      case Tessel::kMinimize:
        widget.showMinimized();
        break;
      case Tessel::kShowNormal:
      case Tessel::kRestore:
        widget.showNormal();
        break;
      default:
        widget.show();
        break;
    }
    if (widget.IsDialog() && !widget.isMinimized()) {
      widget.raise();
      widget.activateWindow();
    }
  }

  // Qt disables a widget's child windows with it; the dialogs a disabled window owns (the
  // wait dialog of its long task) must stay usable, so they are enabled again.
  static void ApplyEnabled(const Tessel::MWindow& window, WindowWidget& widget) {
    const bool enabled = window.IsWindowEnabled();
    if (widget.isEnabled() == enabled) return;
    widget.setEnabled(enabled);
    if (enabled) return;
    for (QWidget* child : widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      auto* dialog = dynamic_cast<WindowWidget*>(child);
      if (dialog == nullptr || !dialog->isWindow()) continue;
      if (dialog->Model() == nullptr || dialog->Model()->IsWindowEnabled()) {
        dialog->setEnabled(true);
      }
    }
  }

  // A window shown modally blocks input to the others while its run lasts.
  static void MakeModal(WindowWidget& widget) {
    if (!widget.IsDialog() || widget.windowModality() != Qt::NonModal) return;
    const bool visible = widget.isVisible();
    if (visible) widget.hide();  // Qt reads the modality when a window is shown
    widget.setWindowModality(Qt::ApplicationModal);
    if (visible) widget.show();
  }

  QWidget* ParentFor(const Tessel::DialogRequest& request) {
    if (request.window == nullptr) return nullptr;
    WindowRecord* record = RecordOf(*request.window);
    return record != nullptr ? record->widget.data() : nullptr;
  }

  // File dialogs start in the user's home folder, then in the folder chosen last.
  Tessel::DialogAnswer AskFile(const Tessel::DialogRequest& request) {
    const QString filter = QString::fromStdString(ToQtFileFilter(request.filter));
    const QString caption = QString::fromStdString(request.caption);
    QWidget* parent = ParentFor(request);
    if (fileFolder.isEmpty()) fileFolder = QDir::homePath();
    const QString chosen =
        request.kind == Tessel::DialogRequest::Kind::OpenFile
            ? QFileDialog::getOpenFileName(parent, caption, fileFolder, filter)
            : QFileDialog::getSaveFileName(
                  parent, caption, QDir(fileFolder).filePath(QString::fromStdString(request.text)),
                  filter);
    if (!chosen.isEmpty()) fileFolder = QFileInfo(chosen).absolutePath();
    Tessel::DialogAnswer answer;
    answer.result = chosen.isEmpty() ? Tessel::kResultCancel : Tessel::kResultOK;
    answer.path = chosen.toStdString();
    return answer;
  }

  Tessel::DialogAnswer AskMenu(const Tessel::DialogRequest& request) {
    QMenu menu(ParentFor(request));
    for (const Tessel::MenuItem& item : request.items) {
      QAction* action = menu.addAction(QString::fromStdString(item.text));
      action->setData(item.id);
      action->setCheckable(item.checked);
      action->setChecked(item.checked);
    }
    QAction* chosen = menu.exec(QCursor::pos());
    return Tessel::DialogAnswer::Result(chosen != nullptr ? chosen->data().toInt() : 0);
  }

  Tessel::DialogAnswer AskColor(const Tessel::DialogRequest& request) {
    const QColor chosen = QColorDialog::getColor(ToQColor(request.color), ParentFor(request),
                                                 QString::fromStdString(request.caption));
    Tessel::DialogAnswer answer;
    answer.result = chosen.isValid() ? Tessel::kResultOK : Tessel::kResultCancel;
    answer.color = chosen.isValid() ? FromQColor(chosen) : request.color;
    return answer;
  }
};

QtBackend::QtBackend(int& argc, char** argv) : impl_(std::make_unique<Impl>()) {
  startUpHandler = qInstallMessageHandler(StartUpMessage);
  impl_->application = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(startUpHandler);
  // Windows live and die with the model, not with the last visible window.
  impl_->application->setQuitOnLastWindowClosed(false);
  impl_->dispatcher = std::make_unique<Dispatcher>();
  impl_->rawInput = std::make_unique<RawInputForwarder>();
  impl_->application->installEventFilter(impl_->rawInput.get());
  // Pictures scaled to the screen's pixels are kept there: room for a full-window background
  // on a high-density screen.
  QPixmapCache::setCacheLimit(64 * 1024);
  theme::Apply(*impl_->application);
  Tessel::Manager::SetBackend(this);
}

QtBackend::~QtBackend() {
  if (Tessel::Manager::GetBackend() == this) Tessel::Manager::SetBackend(nullptr);
  impl_->trayIcons.clear();
  for (auto& [key, timer] : impl_->timers) delete timer.data();
  impl_->timers.clear();
  for (auto& [window, record] : impl_->windows) {
    impl_->DropControls(record);
    if (record.widget != nullptr) record.widget->Detach();
  }
  for (auto& [window, record] : impl_->windows) delete record.widget.data();
  impl_->windows.clear();
  impl_->dispatcher.reset();
  impl_->rawInput.reset();
  impl_->application.reset();
}

QApplication& QtBackend::Application() {
  return *impl_->application;
}

bool QtBackend::SetApplicationIcon(const std::filesystem::path& icon) {
  const QIcon loaded(QString::fromStdString(icon.string()));
  if (loaded.isNull() || loaded.availableSizes().isEmpty()) return false;
  QApplication::setWindowIcon(loaded);
  return true;
}

void QtBackend::SetLanguage(int languageId) {
  theme::Apply(*impl_->application, languageId == kTraditionalChinese);
  std::vector<std::shared_ptr<Entry>> all;
  {
    std::lock_guard lock(impl_->entriesMutex);
    for (auto& [control, entry] : impl_->entries) all.push_back(entry);
  }
  for (const auto& entry : all) Impl::SyncEntry(*entry);
}

QWidget* QtBackend::WidgetOf(const Tessel::MWindow& window) const {
  auto found = impl_->windows.find(&window);
  return found == impl_->windows.end() ? nullptr : found->second.widget.data();
}

QWidget* QtBackend::WidgetOf(const Tessel::MControl& control) const {
  std::shared_ptr<Entry> entry = impl_->EntryOf(control);
  return entry != nullptr ? entry->widget.data() : nullptr;
}

void QtBackend::FlushChanges() {
  std::vector<std::shared_ptr<Entry>> dirty;
  {
    std::lock_guard lock(impl_->entriesMutex);
    for (auto& [control, entry] : impl_->entries) {
      if (entry->dirty.load()) dirty.push_back(entry);
    }
  }
  for (const auto& entry : dirty) Impl::SyncEntry(*entry);
}

bool QtBackend::SaveScreenshot(Tessel::MWindow& window, const std::filesystem::path& png) {
  QWidget* widget = WidgetOf(window);
  if (widget == nullptr) return false;
  FlushChanges();
  widget->ensurePolished();
  QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(theme::WindowBackground());
  widget->render(&image);
  return image.save(QString::fromStdString(png.string()), "PNG");
}

void QtBackend::Post(std::function<void()> work) {
  impl_->dispatcher->Post(std::move(work));
}

bool QtBackend::IsUiThread() const {
  return std::this_thread::get_id() == impl_->uiThread;
}

int QtBackend::RunModal(Tessel::MWindow& window) {
  if (WindowRecord* record = impl_->RecordOf(window);
      record != nullptr && record->widget != nullptr) {
    Impl::MakeModal(*record->widget);
  }
  ModalFrame frame;
  frame.window = &window;
  impl_->modals.push_back(&frame);
  if (!frame.ended) {
    QEventLoop loop;
    frame.loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    frame.loop = nullptr;
  }
  std::erase(impl_->modals, &frame);
  return frame.result;
}

void QtBackend::EndModal(Tessel::MWindow& window, int result) {
  if (!IsUiThread()) {
    Post([this, &window, result] { EndModal(window, result); });
    return;
  }
  for (ModalFrame* frame : impl_->modals) {
    if (frame->window != &window || frame->ended) continue;
    frame->ended = true;
    frame->result = result;
    if (frame->loop != nullptr) frame->loop->quit();
  }
}

Tessel::DialogAnswer QtBackend::Ask(const Tessel::DialogRequest& request) {
  using Kind = Tessel::DialogRequest::Kind;
  switch (request.kind) {
    case Kind::MessageBox:
      return Tessel::DialogAnswer::Result(Tessel::CUIMessageBox::Show(
          request.window, request.caption, request.text, request.withCancel));
    case Kind::OpenFile:
    case Kind::SaveFile:
      return impl_->AskFile(request);
    case Kind::Menu:
      return impl_->AskMenu(request);
    case Kind::ColorPicker:
      return impl_->AskColor(request);
    case Kind::ModalShown:
      break;
  }
  // A modal window shown on screen is answered by the user through its own controls.
  return Tessel::DialogAnswer::Result(Tessel::kResultNone);
}

void QtBackend::StartTimer(Tessel::MWindow& window, int id, int periodMs) {
  QPointer<QTimer>& timer = impl_->timers[{&window, id}];
  if (timer == nullptr) {
    timer = new QTimer(impl_->dispatcher.get());  // owned by the dispatcher
    QObject::connect(timer, &QTimer::timeout, impl_->dispatcher.get(), [this, &window, id] {
      if (impl_->RecordOf(window) != nullptr) window.OnTimer(id);
    });
  }
  timer->setTimerType(periodMs < 50 ? Qt::PreciseTimer : Qt::CoarseTimer);
  timer->start(std::max(1, periodMs));
}

void QtBackend::StopTimer(Tessel::MWindow& window, int id) {
  auto found = impl_->timers.find({&window, id});
  if (found == impl_->timers.end()) return;
  if (found->second != nullptr) {
    found->second->stop();
    found->second->deleteLater();
  }
  impl_->timers.erase(found);
}

void QtBackend::WindowCreated(Tessel::MWindow& window) {
  QWidget* parent = nullptr;
  if (const Tessel::MWindow* owner = window.GetParentWindow()) parent = WidgetOf(*owner);
  WindowRecord& record = impl_->windows[&window];
  record.widget = new WindowWidget(window, parent);  // deleted in WindowDestroyed
  record.widget->setWindowTitle(QString::fromStdString(window.GetTitle()));
  impl_->ApplyRect(window, record);
  Impl::ApplyEnabled(window, *record.widget);
  for (Tessel::MControl* control : window.GetControls()) impl_->CreateView(*control, record);
}

void QtBackend::WindowDestroyed(Tessel::MWindow& window) {
  impl_->StopTimersOf(window);
  impl_->trayIcons.erase(&window);
  WindowRecord* record = impl_->RecordOf(window);
  if (record == nullptr) return;
  impl_->DropControls(*record);
  if (record->widget != nullptr) {
    record->widget->Detach();
    record->widget->hide();
    // Later: the click that destroys a window is still being handled by one of its widgets.
    record->widget->deleteLater();
  }
  impl_->windows.erase(&window);
}

void QtBackend::WindowShowStateChanged(Tessel::MWindow& window) {
  WindowRecord* record = impl_->RecordOf(window);
  if (record == nullptr || record->widget == nullptr) return;
  record->widget->setWindowTitle(QString::fromStdString(window.GetTitle()));
  impl_->ApplyRect(window, *record);
  Impl::ApplyEnabled(window, *record->widget);
  impl_->ApplyShowCommand(window, *record);
}

void QtBackend::RaiseWindow(Tessel::MWindow& window) {
  WindowRecord* record = impl_->RecordOf(window);
  if (record == nullptr || record->widget == nullptr) return;
  if (record->widget->isMinimized()) record->widget->showNormal();
  record->widget->show();
  record->widget->raise();
  record->widget->activateWindow();
}

void QtBackend::ControlAdded(Tessel::MControl& control) {
  if (WindowRecord* record = impl_->RecordOf(control.GetOwner()))
    impl_->CreateView(control, *record);
}

void QtBackend::ControlChanged(Tessel::MControl& control) {
  std::shared_ptr<Entry> entry = impl_->EntryOf(control);
  if (entry == nullptr || entry->dirty.exchange(true)) return;
  Post([entry] { Impl::SyncEntry(*entry); });
}

bool QtBackend::IsTrayAvailable() const {
  return TrayIconView::IsHostAvailable();
}

bool QtBackend::ShowTrayIcon(Tessel::MWindow& owner, const Tessel::TrayIconInfo& icon) {
  // Platforms without a desktop (offscreen pictures, tests) have no notification area to use.
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") return false;
  std::unique_ptr<TrayIconView>& view = impl_->trayIcons[&owner];
  if (view == nullptr) view = std::make_unique<TrayIconView>(owner, icon);
  if (view->Show(icon)) return true;
  impl_->trayIcons.erase(&owner);
  return false;
}

void QtBackend::HideTrayIcon(Tessel::MWindow& owner) {
  impl_->trayIcons.erase(&owner);
}

}  // namespace TesselQt
