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
#include "shots/ShotSession.h"
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
using shots::Control;
using shots::CountDifferentPixels;
using shots::kData;

// A session whose virtual keyboard's live colours stand still unless a step moves them.
class Session : public shots::ShotSession {
 public:
  Session(TesselQt::QtBackend& qt, int modelId, int language, const std::filesystem::path& home)
      : ShotSession(qt, modelId, language, home) {
    Freeze(0.8);
  }
  void Freeze(double seconds) {
    Bus().ModifyState(Keyboard(), [seconds](sim::KeyboardState& state) {
      state.frozenAnimationSeconds = seconds;
    });
  }
  QImage KeyboardPicture() { return Picture(ids::kKeyboardView); }
};

void ChooseMode(KeyboardDlg& dialog, int mode) {
  auto* list = Control<Tessel::IconList>(dialog, lids::kModeList);
  list->UserSelect(list->FindData(mode));
}

void ChooseZoneTab(KeyboardDlg& dialog, int position) {
  Control<Tessel::TabCtrlEx>(dialog, lids::kZoneTabs)->UserSelect(position);
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
  const std::filesystem::path home = shots::ScratchHome("tarvo-light-shots");
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
