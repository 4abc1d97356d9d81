// Drives the light page as a user would, against the virtual keyboard, and saves a picture of
// the window after each step:
//   tarvo_light_shots OUTDIR LANGUAGE
// light-keys (model 103, key lights), light-top (its top light, static mode), light-side (model
// 101's side lights), light-slot (a custom slot painted), light-live-a and light-live-b (the
// live preview of a running wave at two moments; the tool reports how many pixels of the
// keyboard view differ).

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/KeyboardDlg.h"
#include "lighting/LightPageLayout.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"
#include "ui/pages/ControlIds.h"
#include "ui/qt/QtBackend.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/Manager.h"

namespace {

namespace lids = lighting::ids;
const std::filesystem::path kData = std::filesystem::path(TARVO_SOURCE_DIR) / "data";

using Step = std::function<void(KeyboardDlg&)>;

// One window of the application against one virtual keyboard, stepped through a script.
class Session {
 public:
  Session(TesselQt::QtBackend& qt, int modelId, int language, const std::filesystem::path& home)
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
    // The live colours stand still unless a step moves them.
    Freeze(0.8);
    dialog_ =
        std::make_unique<KeyboardDlg>(*paths_, *settings_, *texts_, bus_, KeyboardDlg::Options{});
  }

  void Freeze(double seconds) {
    bus_.ModifyState(keyboard_, [seconds](sim::KeyboardState& state) {
      state.frozenAnimationSeconds = seconds;
    });
  }

  // Runs the steps, each once the window has settled after the one before, then closes.
  bool Run(std::vector<Step> steps) {
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

  QImage KeyboardPicture() {
    qt_.FlushChanges();
    auto* view = dialog_->GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView);
    QWidget* widget = view != nullptr ? qt_.WidgetOf(*view) : nullptr;
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

void ChooseMode(KeyboardDlg& dialog, int mode) {
  auto* list = Control<Tessel::IconList>(dialog, lids::kModeList);
  list->UserSelect(list->FindData(mode));
}

void ChooseZoneTab(KeyboardDlg& dialog, int position) {
  Control<Tessel::TabCtrlEx>(dialog, lids::kZoneTabs)->UserSelect(position);
}

int CountDifferentPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return -1;
  int different = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) different += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  }
  return different;
}

bool ShootModel103(TesselQt::QtBackend& qt, const std::string& out, int language,
                   const std::filesystem::path& home) {
  Session session(qt, 103, language, home / "k75");
  const std::string suffix = "-" + std::to_string(language) + ".png";
  QImage first;
  return session.Run({
      [](KeyboardDlg& d) { d.SwitchToPage(kPageLighting); },
      [&](KeyboardDlg&) { session.Save(out + "/light-keys" + suffix); },
      [](KeyboardDlg& d) {
        ChooseZoneTab(d, 2);
        ChooseMode(d, 4);
      },
      [&](KeyboardDlg&) { session.Save(out + "/light-top" + suffix); },
      // A custom slot: a stroke of green over the number row, then blue on three chosen keys.
      [](KeyboardDlg& d) {
        ChooseZoneTab(d, 0);
        ChooseMode(d, 128);
        auto* chooser = Control<Tessel::MComboBox>(d, lids::kSlotCombo);
        chooser->UserSelect(chooser->FindData(130));
      },
      [](KeyboardDlg& d) {
        Control<Tessel::CColorButton>(d, lids::kFirstPreset + 3)->UserClick();
        auto* view = Control<Tessel::KeyboardCtrl>(d, ids::kKeyboardView);
        const std::vector<Tessel::KEY_INFO> keys = view->GetKeyItems();
        view->UserPressKey(keys[16].code, false);
        for (std::size_t i = 17; i < 30 && i < keys.size(); ++i)
          view->UserDragOverKey(keys[i].code);
        view->UserEndDrag();
        view->UserPressKey(keys[40].code, false);
        view->UserPressKey(keys[41].code, true);
        view->UserPressKey(keys[42].code, true);
        Control<Tessel::CColorButton>(d, lids::kFirstPreset + 4)->UserClick();
      },
      [&](KeyboardDlg&) { session.Save(out + "/light-slot" + suffix); },
      // The live preview of a running wave, at two moments.
      [](KeyboardDlg& d) {
        ChooseMode(d, 5);
        Control<Tessel::CSwitchButton>(d, lids::kPreviewSwitch)->UserClick();
      },
      [&](KeyboardDlg&) {
        session.Save(out + "/light-live-a" + suffix);
        first = session.KeyboardPicture();
        session.Freeze(2.6);
      },
      [&](KeyboardDlg&) {
        session.Save(out + "/light-live-b" + suffix);
        std::printf("live preview: %d pixels of the keyboard view differ between the moments\n",
                    CountDifferentPixels(first, session.KeyboardPicture()));
      },
  });
}

bool ShootModel101(TesselQt::QtBackend& qt, const std::string& out, int language,
                   const std::filesystem::path& home) {
  Session session(qt, 101, language, home / "k9");
  const std::string suffix = "-" + std::to_string(language) + ".png";
  return session.Run({
      [](KeyboardDlg& d) {
        d.SwitchToPage(kPageLighting);
        ChooseZoneTab(d, 1);
        ChooseMode(d, 3);
      },
      [&](KeyboardDlg&) { session.Save(out + "/light-side" + suffix); },
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tarvo_light_shots OUTDIR LANGUAGE\n");
    return 2;
  }
  const std::string out = argv[1];
  const int language = std::atoi(argv[2]);
  std::filesystem::create_directories(out);
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("tarvo-light-shots-" + std::to_string(getpid()));
  Tessel::Manager::SetDeviceName("Tarvo");
  Tessel::Manager::SetResourceFolder(kData);
  int qtArgc = 1;
  TesselQt::QtBackend qt(qtArgc, argv);
  qt.SetLanguage(language);
  const bool ok = ShootModel103(qt, out, language, home) && ShootModel101(qt, out, language, home);
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return ok ? 0 : 1;
}
