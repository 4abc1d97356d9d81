#pragma once
// The home page's view of the keyboards: the card of every catalogue model with the state of
// its connections and its battery, the message shown when the selected keyboard is not there,
// and whether the model's pages are offered at all. Every operation may be called from the
// worker: the controls keep their state behind their own locks.

#include <mutex>
#include <string>
#include <vector>

#include "device/HidDeviceManager.h"
#include "ui/tessel/DeviceList.h"

namespace core {
class TextTable;
}
namespace Tessel {
class PageHost;
}

// Why the pages of the selected keyboard are not offered, as the home page says it.
struct NoKeyboardMessage {
  enum class Kind {
    kNothingAttached,  // no keyboard of ours at all
    kAsleep,           // the receiver is there, the keyboard behind it sleeps
    kOtherAttached,    // the selected model is not there, another is
  };
  Kind kind = Kind::kNothingAttached;
  std::string selectedName;
  std::string attachedName;
};

class DeviceListPage {
 public:
  DeviceListPage(Tessel::PageHost& host, const core::TextTable& texts);

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
  // It is not: no tabs, a message saying why; the cards stay while another model is attached,
  // so that the user can pick it (the message then goes below them).
  void ShowDisconnected(bool anyKeyboard, const NoKeyboardMessage& message);
  // The message again in the current language.
  void ApplyTexts();
  // Whether the home page with the cards is what the user sees.
  bool OverviewShown() const;

 private:
  void ShowMessage(const NoKeyboardMessage& message);

  Tessel::PageHost& host_;
  const core::TextTable& texts_;
  std::mutex mutex_;
  NoKeyboardMessage message_;
};
