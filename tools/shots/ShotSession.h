#pragma once
// What the picture-taking tools share: one window of the application against one virtual
// keyboard in a scratch home, stepped through a script (each step once the window has settled
// after the one before), with pictures of the window or of one control saved on the way.

#include <unistd.h>

#include <QImage>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/KeyboardDlg.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"
#include "ui/qt/QtBackend.h"
#include "ui/tessel/Manager.h"

namespace shots {

inline const std::filesystem::path kData = std::filesystem::path(TARVO_SOURCE_DIR) / "data";

using Step = std::function<void(KeyboardDlg&)>;

class ShotSession {
 public:
  ShotSession(TesselQt::QtBackend& qt, int modelId, int language, const std::filesystem::path& home)
      : qt_(qt) {
    paths_ =
        std::make_unique<AppPaths>(kData, home / "data", home / "config", home / "run", "Tarvo");
    AppPaths::CreateFolderPath(paths_->GetDataFolder() / "db");
    AppPaths::CreateFolderPath(paths_->GetConfigFolder());
    settings_ = std::make_unique<SettingsStore>(paths_->GetConfigFolder() / "settings.ini");
    settings_->GetRegString("create");  // the file comes into being
    if (!settings_->WriteDeviceType(modelId)) std::fprintf(stderr, "cannot store the model\n");
    texts_ = std::make_unique<core::TextTable>(kData, language);
    std::string error;
    keyboard_ = sim::AddCatalogueKeyboard(bus_, kData, modelId, &error).value_or(0);
    if (keyboard_ == 0) std::fprintf(stderr, "no virtual keyboard: %s\n", error.c_str());
    bus_.PlugCable(keyboard_);
  }
  ShotSession(const ShotSession&) = delete;
  ShotSession& operator=(const ShotSession&) = delete;

  sim::VirtualHidBus& Bus() { return bus_; }
  sim::KeyboardId Keyboard() const { return keyboard_; }

  // Builds the window with `options`, runs the steps, then closes it; false when a picture
  // could not be saved.
  bool Run(std::vector<Step> steps, KeyboardDlg::Options options = {}) {
    dialog_ = std::make_unique<KeyboardDlg>(*paths_, *settings_, *texts_, bus_, std::move(options));
    steps_ = std::move(steps);
    dialog_->Create(nullptr, "Tarvo", Tessel::Rect::FromSize(0, 0, 1400, 788));
    dialog_->WhenSettled([this] { Next(); });
    dialog_->ShowModal(Tessel::kShow);
    return ok_;
  }

  bool Save(const std::string& file) {
    qt_.FlushChanges();
    const bool saved = qt_.SaveScreenshot(*dialog_, file);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", file.c_str());
    ok_ = ok_ && saved;
    return saved;
  }

  // The control `id` as it is drawn now; empty when it is not there.
  QImage Picture(int id) {
    qt_.FlushChanges();
    const Tessel::MControl* control = dialog_->FindControl(id);
    QWidget* widget = control != nullptr ? qt_.WidgetOf(*control) : nullptr;
    return widget != nullptr ? widget->grab().toImage() : QImage();
  }

 private:
  void Next() {
    if (next_ >= steps_.size()) {
      dialog_->CloseAndDestroy();
      return;
    }
    steps_[next_++](*dialog_);
    dialog_->WhenSettled([this] { Next(); });
  }

  TesselQt::QtBackend& qt_;
  sim::VirtualHidBus bus_;
  sim::KeyboardId keyboard_ = 0;
  std::unique_ptr<AppPaths> paths_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<core::TextTable> texts_;
  std::unique_ptr<KeyboardDlg> dialog_;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  bool ok_ = true;
};

template <class T>
T* Control(KeyboardDlg& dialog, int id) {
  return dialog.GetControl<T>(id);
}

inline int CountDifferentPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return -1;
  int different = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) different += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  }
  return different;
}

// A scratch home for the tool's sessions under the temporary folder, removed afterwards.
inline std::filesystem::path ScratchHome(const std::string& tool) {
  return std::filesystem::temp_directory_path() / (tool + "-" + std::to_string(getpid()));
}

}  // namespace shots
