// Drives the matrix light page as a user would, against the virtual keyboard, while a sound
// source plays, and saves a picture of the window after each step:
//   tarvo_matrix_shots OUTDIR LANGUAGE [SOUND.wav]
// matrix-spectrum-a and matrix-spectrum-b (the spectrum preset at two moments of the music; the
// tool reports how many pixels of the matrix view differ and how many frames went to the
// keyboard), matrix-equalizer, matrix-fire (an animation), matrix-drawing (a painted heart).
// Without a WAV file the sound is a generated click track at 120 beats per minute.

#include <unistd.h>

#include <QImage>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/KeyboardDlg.h"
#include "lighting/MatrixPageLayout.h"
#include "platform/audio/GeneratedSource.h"
#include "platform/audio/WavFile.h"
#include "shots/ShotSession.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"
#include "ui/qt/QtBackend.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/MatrixScreen.h"

namespace {

namespace mids = lighting::matrix_ids;
using shots::Control;
using shots::CountDifferentPixels;
using shots::kData;
constexpr int kModel = 102;
constexpr std::size_t kPacketFrames = 768;  // 16 ms at 48 kHz

std::unique_ptr<platform::AudioSource> MakeSound(const std::string& wav) {
  if (!wav.empty()) {
    platform::WavReadResult read = platform::ReadWavFile(wav);
    if (read.audio) {
      return std::make_unique<platform::WavFileSource>(std::move(*read.audio), kPacketFrames,
                                                       platform::SteadyClock());
    }
    std::fprintf(stderr, "%s: %s; playing the click track instead\n", wav.c_str(),
                 read.error.c_str());
  }
  platform::SignalSpec spec;
  spec.shape = platform::SignalSpec::Shape::Clicks;
  spec.beatsPerMinute = 120.0;
  spec.frequency = 70.0;
  spec.clickSeconds = 0.22;
  spec.amplitude = 0.7;
  return std::make_unique<platform::GeneratedSource>(spec, 48000, kPacketFrames,
                                                     platform::SteadyClock());
}

// A session playing a sound while the matrix page follows it.
class Session : public shots::ShotSession {
 public:
  Session(TesselQt::QtBackend& qt, int language, const std::filesystem::path& home, std::string wav)
      : ShotSession(qt, kModel, language, home), wav_(std::move(wav)) {}

  bool Run(std::vector<shots::Step> steps) {
    KeyboardDlg::Options options;
    options.audioSource = [wav = wav_] { return MakeSound(wav); };
    return ShotSession::Run(std::move(steps), std::move(options));
  }

  QImage MatrixPicture() { return Picture(mids::kMatrixView); }

  int StreamFrames() {
    const std::optional<sim::KeyboardState> state = Bus().State(Keyboard());
    if (!state) return 0;
    const auto found = state->counters.framesByCommand.find(0x3C);
    return found != state->counters.framesByCommand.end() ? found->second : 0;
  }

 private:
  std::string wav_;
};

void ChooseMode(KeyboardDlg& dialog, int mode) {
  auto* list = Control<Tessel::IconList>(dialog, mids::kModeList);
  list->UserSelect(list->FindData(mode));
}

void ChoosePreset(KeyboardDlg& dialog, int preset) {
  auto* presets = Control<Tessel::MComboBox>(dialog, mids::kPresetCombo);
  presets->UserSelect(presets->FindData(preset));
}

// A heart in the drawing, painted as the user would with the pointer.
void PaintHeart(KeyboardDlg& dialog) {
  static constexpr const char* kShape[7] = {".##.##.", "#######", "#######", ".#####.",
                                            "..###..", "...#...", "......."};
  Control<Tessel::CColorButton>(dialog, mids::kFirstPresetColor + 6)->UserClick();
  auto* view = Control<Tessel::MatrixScreen>(dialog, mids::kMatrixView);
  for (int row = 0; row < 7; ++row) {
    for (int column = 0; column < 7; ++column) {
      if (kShape[row][column] == '#') view->UserPaintCell(row * 7 + column, column > 0);
    }
  }
}

bool Shoot(TesselQt::QtBackend& qt, const std::string& out, int language,
           const std::filesystem::path& home, const std::string& wav) {
  Session session(qt, language, home, wav);
  const std::string suffix = "-" + std::to_string(language) + ".png";
  QImage first;
  int framesBefore = 0;
  return session.Run({
      [](KeyboardDlg& d) {
        d.SwitchToPage(kPageMatrix);
        ChooseMode(d, 128);
        ChoosePreset(d, 22);
      },
      [&](KeyboardDlg&) {
        session.Save(out + "/matrix-spectrum-a" + suffix);
        first = session.MatrixPicture();
        framesBefore = session.StreamFrames();
      },
      [&](KeyboardDlg&) {
        session.Save(out + "/matrix-spectrum-b" + suffix);
        std::printf(
            "music: %d pixels of the matrix view differ between the moments; %d frames "
            "went to the keyboard meanwhile\n",
            CountDifferentPixels(first, session.MatrixPicture()),
            session.StreamFrames() - framesBefore);
      },
      [](KeyboardDlg& d) { ChoosePreset(d, 27); },
      [&](KeyboardDlg&) { session.Save(out + "/matrix-equalizer" + suffix); },
      [](KeyboardDlg& d) { ChoosePreset(d, 6); },
      [&](KeyboardDlg&) { session.Save(out + "/matrix-fire" + suffix); },
      [](KeyboardDlg& d) { ChooseMode(d, 5); },
      [](KeyboardDlg& d) { PaintHeart(d); },
      [&](KeyboardDlg&) { session.Save(out + "/matrix-drawing" + suffix); },
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tarvo_matrix_shots OUTDIR LANGUAGE [SOUND.wav]\n");
    return 2;
  }
  const std::string out = argv[1];
  const int language = std::atoi(argv[2]);
  const std::string wav = argc > 3 ? argv[3] : "";
  std::filesystem::create_directories(out);
  const std::filesystem::path home = shots::ScratchHome("tarvo-matrix-shots");
  Tessel::Manager::SetDeviceName("Tarvo");
  Tessel::Manager::SetResourceFolder(kData);
  int qtArgc = 1;
  TesselQt::QtBackend qt(qtArgc, argv);
  qt.SetLanguage(language);
  const bool ok = Shoot(qt, out, language, home, wav);
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return ok ? 0 : 1;
}
