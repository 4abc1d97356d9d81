#pragma once
// The matrix light room's worker side: the matrix light modes between the settings database and
// the keyboard, the keyboard's drawing, and the stream of an animated preset. No controls: the
// cells come from and go to a MatrixView (the matrix page implements it).
//
// The database is the source of truth for the modes: a change is stored for the current profile
// first, and the task that sends it reads what is stored when it runs. A task of each kind waits
// in the queue at most once; a change made meanwhile is sent by the waiting task.
//
// Threads: the operations that store and queue may be called from any thread (the page calls
// them on the UI thread, or on the worker while it loads a profile); the tasks and the stream
// run on the device worker.

#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

#include "protocol/Colors.h"
#include "storage/Records.h"

class CurrentModel;
class DeviceTaskQueue;
struct SharedState;
namespace device {
class LightingCommands;
}
namespace storage {
class SettingsDatabase;
}

namespace lighting {

class LightingService;

// Where the matrix light's cells live on screen.
class MatrixView {
 public:
  virtual ~MatrixView() = default;
  // Worker: the drawing the keyboard keeps, as it was read.
  virtual void ShowMatrixPicture(const protocol::MatrixColors& cells) = 0;
  // Worker: the drawing to write to the keyboard.
  virtual protocol::MatrixColors PictureToSend() = 0;
  // Worker: the animation's frame due now, as the view shows it (brightness applied).
  virtual protocol::MatrixColors StreamFrame() = 0;
};

// What the matrix page shows and the tasks send.
struct MatrixSelection {
  int mode = 0;         // the mode shown and sent: 0 while the switch is off
  int active = 0;       // the profile's chosen mode
  bool enabled = true;  // the on/off switch
  int offers = 0;       // `config_func` of the shown mode's record
  bool streaming = false;
  int preset = 0;     // the animated mode's preset (a preset of the list)
  int amplitude = 0;  // the music presets' amplitude
};

class MatrixService {
 public:
  MatrixService(SharedState& state, storage::SettingsDatabase& database, LightingService& lighting,
                device::LightingCommands& commands, const CurrentModel& model,
                DeviceTaskQueue& tasks);

  // Before the worker starts.
  void SetView(MatrixView* view) { view_ = view; }

  // ---- The profile's rows ----------------------------------------------------------------
  // Gives the current profile its matrix modes when it has none, with mode 0 active. False
  // when they are missing and could not be stored.
  bool SeedMatrixModes();
  // The current profile's matrix modes in row order (seeded first).
  std::vector<storage::LightSettingRecord> ListModes();
  std::optional<storage::LightSettingRecord> Record(int mode);

  // ---- The selection (any thread) ----------------------------------------------------------
  MatrixSelection Selection() const;
  // The profile's choice as stored: its active mode with the switch on, the preset (the
  // first of the list when the stored one is none of it) and the amplitude. The animated mode
  // streams; the drawing mode is sent and its drawing read from the keyboard.
  MatrixSelection LoadSelection();
  bool Streaming() const { return streaming_.load(); }

  // ---- Changes (any thread) ----------------------------------------------------------------
  // Each stores first and queues what sends it; false when the record is missing or storing
  // failed (nothing is queued then).
  //
  // The chosen mode becomes active and turns the switch on. The animated mode streams and
  // queues nothing; the drawing mode is sent and its drawing read; any other mode is sent.
  bool ChooseMode(int mode);
  // Off sends mode 0, on the active mode again. The stream is left as it is.
  bool SetEnabled(bool on);
  // Brightness, speed and colorful are sent below the animated mode; in it only the view
  // follows them.
  bool SetBrightness(int value);
  bool SetSpeed(int value);
  bool SetColorful(bool colorful);
  // The single colour: the paint of the drawing mode, the colour of the animated mode's
  // presets, sent for the other modes.
  bool SetColor(std::uint32_t color);
  bool SetDirection(int direction);
  // The animated mode's preset and the music presets' amplitude (stored only).
  bool SetPreset(int preset);
  bool SetAmplitude(int amplitude);
  // The drawing changed: in the drawing mode it is written to the keyboard.
  void Drawn();

  // ---- Tasks (worker) -----------------------------------------------------------------------
  void SendMatrixLightMode();  // 14
  void ReadMatrixPicture();    // 15: a failed read leaves the view as it is
  void SendMatrixPicture();    // 16
  // A queued task (14, 15, 16) begins on the worker, and its epilogue after it ran or was
  // dropped: from then on a change queues it again.
  void TaskStarted(int code);
  void TaskFinished(int code);
  // Idle cycle: one frame of the animated preset, while it streams, the keyboard is online,
  // the device overview is hidden and the model takes the stream.
  void StreamMatrix();
  std::uint64_t FramesStreamed() const { return framesStreamed_.load(); }

 private:
  // Stores a change of the shown mode's record; false when it is missing or was not stored.
  template <class F>
  bool UpdateShown(F change);
  void Queue(int code);
  // Sends the shown mode unless it is the animated one.
  void QueueModeBelowPresets();

  SharedState& state_;
  storage::SettingsDatabase& database_;
  LightingService& lighting_;
  device::LightingCommands& commands_;
  const CurrentModel& model_;
  DeviceTaskQueue& tasks_;
  MatrixView* view_ = nullptr;

  mutable std::mutex mutex_;
  MatrixSelection selection_;
  std::atomic<bool> streaming_{false};
  std::atomic<std::uint64_t> framesStreamed_{0};

  // Tasks 14, 15 and 16 waiting in the queue; `ran_` tells the epilogue that the task started
  // (and freed its place) rather than being dropped.
  std::array<std::atomic<bool>, 3> pending_{};
  std::array<std::atomic<bool>, 3> ran_{};
};

}  // namespace lighting
