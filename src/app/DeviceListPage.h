#pragma once
// The home page's view of the keyboards: the card of every catalogue model with the state of
// its connections and its battery, the message shown when the selected keyboard is not there,
// and whether the model's pages are offered at all. Every operation may be called from the
// worker: the controls keep their state behind their own locks.

#include <vector>

#include "device/HidDeviceManager.h"
#include "ui/tessel/DeviceList.h"

namespace Tessel {
class PageHost;
}

class DeviceListPage {
 public:
  explicit DeviceListPage(Tessel::PageHost& host);

  // What an enumeration found; the stored model is selected when it is listed.
  void ShowDevices(const std::vector<device::DeviceRecordInfo>& records, int storedModel);
  // The model chosen in the list; 0 when none is.
  int SelectedModel() const;
  // Chooses a model as a click on its card does; false when the list has no such model.
  bool SelectModel(int modelId);
  // What the list shows of every model: its connections and their batteries.
  std::vector<Tessel::DeviceItem> Items() const;
  void ShowModeState(int modelId, int mode, bool online);
  void ShowBattery(int modelId, int mode, int level, int charging);

  // The selected keyboard is there: the tabs of its pages come back.
  void ShowConnected();
  // It is not: no tabs, a message; the cards stay while another model is attached, so that
  // the user can pick it (the message then goes below them).
  void ShowDisconnected(bool anyKeyboard);
  // Whether the home page with the cards is what the user sees.
  bool OverviewShown() const;

 private:
  Tessel::PageHost& host_;
};
