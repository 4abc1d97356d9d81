#pragma once
// The lighting room's worker side: the light modes of every zone and the five custom per-key
// slots between the settings database and the keyboard. No controls: what must be shown goes
// to a LightingView (the light page implements it).
//
// The database is the source of truth. Every change is stored for the current profile first;
// the task that sends it reads what is stored when it runs. Tasks of the same kind are merged
// while one waits in the queue (a drag over the colour wheel or a slider leaves at most one
// write pending), which loses nothing because the waiting task sends whatever is stored then.
//
// Threads: the operations that store and queue may be called from any thread (the page calls
// them on the UI thread, a command line from its own); the tasks and the live preview run on
// the device worker.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "lighting/LightModes.h"
#include "protocol/Colors.h"
#include "protocol/SystemSettings.h"
#include "storage/Records.h"

class CurrentLayout;
class CurrentModel;
class DeviceTaskQueue;
struct LayoutTables;
struct SharedState;
namespace device {
class KeyboardCommands;
class LightingCommands;
}  // namespace device
namespace storage {
class SettingsDatabase;
}

namespace lighting {

struct KeyColor {
  int code = 0;
  std::uint32_t color = 0;  // 0x00BBGGRR
  bool operator==(const KeyColor&) const = default;
};

// What the light page shows of the worker's results.
class LightingView {
 public:
  virtual ~LightingView() = default;
  // Worker: the colours the keyboard keeps for the current slot. Keys without a light become
  // 0 (dark).
  virtual void ShowSlotColors(const std::vector<KeyColor>& colors) = 0;
  // Worker: the running effect's colours as the preview shows them.
  virtual void ShowLiveColors(const std::vector<KeyColor>& colors) = 0;
  // Worker: a built-in mode was written while the preview is off: every key back to `color`.
  virtual void ResetKeyColors(std::uint32_t color) = 0;
  // Any thread: whether the main window is on screen (not hidden, not minimised).
  virtual bool WindowVisible() const = 0;
  // Any thread: the zone, mode or switches changed by an operation the page did not start.
  virtual void SelectionChanged() = 0;
};

// What the light page works on. The zone is the chosen tab; the mode is the mode being shown and
// sent (0 while the light is off, a slot 128 to 132 for the custom mode); `slot` is the custom
// slot last chosen, which the custom mode comes back to.
struct LightSelection {
  int zone = kZoneKeys;
  int mode = kDefaultMode;
  int slot = kFirstSlot;
  int offers = 0;  // `config_func` of the mode's record
  bool enabled = true;
  bool preview = false;
};

// A zone as stored for the current profile.
struct ZoneContent {
  std::vector<storage::LightSettingRecord> listed;  // the modes of the mode list, in row order
  int activeMode = 0;
};

class LightingService {
 public:
  // The plain colour of every key while neither the preview nor a slot colours them.
  static constexpr std::uint32_t kPlainKeyColor = 0xF1F1F1;

  LightingService(SharedState& state, storage::SettingsDatabase& database,
                  device::KeyboardCommands& keyboard, device::LightingCommands& lighting,
                  const CurrentModel& model, const CurrentLayout& layout, DeviceTaskQueue& tasks);

  // Before the worker starts.
  void SetView(LightingView* view) { view_ = view; }

  // ---- The profile's light rows --------------------------------------------------------------
  // Gives the current profile its light modes when it holds none of zones 0, 1, 2 and 10 (rows
  // of other zones, such as the matrix light's, do not count). False when the rows are missing
  // and could not be stored.
  bool SeedLightModes();
  // The current profile's modes of a zone (seeded first) and its active mode.
  ZoneContent LoadZone(int zone);
  std::optional<storage::LightSettingRecord> Record(int zone, int mode);

  // ---- The selection (any thread) ----------------------------------------------------------
  LightSelection Selection() const;
  // Makes a zone current with what is stored: its active mode (the last chosen slot for the
  // custom mode), and the light switch from "enable_light" (off: mode 0).
  LightSelection SelectZone(int zone);
  void SetPreview(bool on);
  // A profile switch: the custom mode starts again from the first slot.
  void ForgetSlot();

  // ---- Changes of the current zone and mode (any thread) -----------------------------------
  // Each stores, then queues what sends it; false when storing failed (nothing is queued).
  // The chosen mode becomes active and turns the light on; a custom mode opens the last slot.
  bool ChooseMode(int mode);
  bool SetLightEnabled(bool on);
  bool SetBrightness(int value);
  bool SetSpeed(int value);
  bool SetDirection(int direction);
  bool SetColorful(bool colorful);
  // The single colour of the current mode.
  bool SetColor(std::uint32_t color);
  // Another custom slot: its settings are sent and its colours read from the keyboard.
  bool ChooseSlot(int slot);
  // Sends the current mode again (the Apply button): a slot's colours, else the mode.
  void Apply();
  // Reads the shown slot's colours from the keyboard into the view.
  void RefreshSlotView();

  // ---- Custom slot colours ------------------------------------------------------------------
  // The slot's stored colour of every key, in row order (empty when it was never painted).
  std::vector<KeyColor> StoredSlotColors(int slot);
  // Replaces the slot's rows with these colours (one per key) and, for the slot being shown,
  // queues its write. False keeps the old rows.
  bool StoreSlotColors(int slot, const std::vector<KeyColor>& colors);

  // ---- Operations of a zone or slot named by the caller (command line) ----------------------
  // Each selects the zone (or zone 0 and the slot) first, as the page's tab would, and tells
  // the view.
  bool SetZoneMode(int zone, int mode);
  bool SetZoneBrightness(int zone, int value);
  bool SetZoneSpeed(int zone, int value);
  bool SetZoneDirection(int zone, int direction);
  bool SetZoneColor(int zone, std::uint32_t color);
  bool SetZoneColorful(int zone);
  bool SetLight(bool on);
  // Shows a custom slot on the keyboard (the custom mode with this slot).
  bool SelectSlot(int slot);
  // Gives keys of a slot new colours (the other keys keep theirs) or every key one colour;
  // the slot is shown and written.
  bool PaintSlot(int slot, const std::vector<KeyColor>& colors);
  bool FillSlot(int slot, std::uint32_t color);

  // ---- Tasks (worker) -------------------------------------------------------------------------
  void ApplyLightMode();         // 13 and 20
  void ApplyCustomSlot();        // 12
  void ReadCustomSlotColors();   // 18
  void WriteCustomSlotColors();  // 19
  // Task 6, after a profile switch: the modes of the keyboard's zones (the custom mode with its
  // slot's colours) as the new profile has them.
  void ApplyProfileLight();
  // A queued task (12, 13, 18, 19, 20) begins on the worker, and its UI thread epilogue after it
  // ran or was dropped: from then on a change queues it again.
  void TaskStarted(int code);
  void TaskFinished(int code);
  // Idle cycle: the running effect's colours into the keyboard view while the light page and
  // the window are shown and the preview is on.
  void ReadLivePreview();
  // A slot's colours as the keyboard keeps them, by key code; empty when they cannot be read.
  std::optional<std::vector<KeyColor>> ReadSlotFromKeyboard(int slot);

  // ---- The matrix light (worker; for its page) ---------------------------------------------
  // The matrix light mode's record into the keyboard's settings block, after the start
  // command; a keyboard below revision 2 gets its block back unchanged.
  void SendMatrixLightMode(int matrixMode);
  // The matrix picture; empty when it cannot be read (nothing must be painted then).
  std::optional<protocol::MatrixColors> ReadMatrixPicture();
  bool SendMatrixPicture(const protocol::MatrixColors& cells);

 private:
  struct Device {
    int revision = 0;
    int zoneMaxSpeed = 0;  // zone 0's, used for zones 0, 1 and 2
    int matrixMaxSpeed = 0;
  };

  // Storing and queuing.
  bool UpdateCurrent(const std::function<void(storage::LightSettingRecord&)>& change);
  bool StoreEnabled(bool on);
  void Queue(int code);
  void QueueModeWrite(int zone);
  void QueueSlotWrite();
  void Notify();
  int ModeToShow(int zone, int active, bool enabled, int slot) const;

  // What the keyboard of the current model reported when it was read; empty before that.
  std::optional<Device> KnownDevice() const;
  // Worker, inside an open bracket: asks the keyboard.
  std::optional<Device> AskDevice();
  void PatchZone(protocol::SettingsBlock& block, int zone, const Device& device);
  std::vector<KeyColor> ColorsByKey(const protocol::ColorTable& table, bool preview) const;

  SharedState& state_;
  storage::SettingsDatabase& database_;
  device::KeyboardCommands& keyboard_;
  device::LightingCommands& lighting_;
  const CurrentModel& model_;
  const CurrentLayout& layout_;
  DeviceTaskQueue& tasks_;
  LightingView* view_ = nullptr;

  mutable std::mutex mutex_;
  LightSelection selection_;
  std::set<int> zonesToWrite_;  // zones whose mode task 13 sends next

  // Codes waiting in the queue (12, 13, 18, 19, 20): one of each is enough. `ran_` tells the
  // epilogue that the task started (and freed its place) rather than being dropped.
  std::array<std::atomic<bool>, 32> pending_{};
  std::array<std::atomic<bool>, 32> ran_{};
};

}  // namespace lighting
