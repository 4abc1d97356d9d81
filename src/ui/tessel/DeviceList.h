#pragma once
// The list of keyboard models on the home page: one item per model with its pictures, the
// state of each connection mode (cable, receiver) and the battery of each.

#include <map>
#include <string>
#include <vector>

#include "ui/tessel/MControl.h"

namespace Tessel {

// The state of one connection mode of a model.
enum DeviceModeState : int {
  kModeAbsent = 0,  // not attached (or gone)
  kModeOnline = 1,  // attached and answering
  kModeAsleep = 2,  // its receiver is attached, the keyboard behind it sleeps
};

struct DeviceItem {
  std::string name;
  int modelId = 0;
  std::string disconnectedPicture;
  std::string connectedPicture;
  // Connection mode -> state (1 online, 0 not; a mode not listed is not present).
  std::map<int, int> modeStates;
  struct Battery {
    int level = 0;
    int charging = 0;
    friend bool operator==(const Battery&, const Battery&) = default;
  };
  std::map<int, Battery> batteries;  // by connection mode

  // Whether any connection mode of the model is online.
  bool IsConnected() const;
  // Whether none is online but a receiver waits for its sleeping keyboard.
  bool IsAsleep() const;
  friend bool operator==(const DeviceItem&, const DeviceItem&) = default;
};

class CDeviceList : public MControl {
 public:
  CDeviceList(MWindow& owner, int id) : MControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "DeviceList";

  void ClearList();
  void AddDevice(std::string name, int modelId, std::string disconnectedPicture,
                 std::string connectedPicture);
  std::vector<DeviceItem> GetItems() const;

  // Selects the model's item (no event); a model that is not listed selects nothing.
  void SetSelectDevice(int modelId);
  // The selected model id; 0 when nothing is selected.
  int GetSelectDevice() const;
  // The list position of the selection; -1 when nothing is selected.
  int GetSelectPosition() const;

  // The state of one connection mode of a model.
  void SetDeviceState(int modelId, int mode, int state);
  // Every item: every mode gets `state`; 0 forgets the modes (nothing present).
  void SetAllDeviceState(int state);
  void SetDeviceBattery(int modelId, int mode, int level, int charging);

  // The user picked an item: it becomes selected and a click with its model id is reported.
  void UserSelectDevice(int modelId);

  // Words the list shows beside each item, in the user's language.
  struct Labels {
    std::string connected;
    std::string disconnected;
    std::string wired;
    std::string wireless;
    std::string charging;
    std::string asleep;
    std::string batteryLow;
    friend bool operator==(const Labels&, const Labels&) = default;
  };
  void SetLabels(Labels labels);
  Labels GetLabels() const;

 private:
  DeviceItem* FindLocked(int modelId);

  std::vector<DeviceItem> items_;
  int selected_ = 0;
  Labels labels_;
};

}  // namespace Tessel
