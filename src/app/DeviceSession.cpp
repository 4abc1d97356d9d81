#include "app/DeviceSession.h"

#include <vector>

#include "base/Log.h"
#include "base/Text.h"
#include "catalogue/DeviceCatalogue.h"
#include "core/CThreadBasic.h"
#include "core/TaskCodes.h"
#include "device/HidApi.h"
#include "device/HidDeviceManager.h"
#include "protocol/Frame.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/MWindow.h"

namespace {

// Tab positions of the main tabs (see kMainTabPages).
constexpr int kHomeTab = 0;
constexpr int kLightingTab = 1;
constexpr int kScreenTab = 3;
constexpr int kKeysTab = 4;

bool IsKeypadModel(int modelId) {
  return modelId >= 150 && modelId <= 180;
}

void PlaceNoKeyboardMessage(Tessel::MWindow& window, bool belowCards) {
  const int top = belowCards ? 430 : 250;
  Tessel::MControl* text = window.FindControl(ids::kNoKeyboardText);
  Tessel::MControl* hint = window.FindControl(ids::kNoKeyboardHint);
  const Tessel::Rect textRect = text->GetRect();
  const Tessel::Rect hintRect = hint->GetRect();
  text->SetRect(Tessel::Rect::FromSize(textRect.left, top, textRect.Width(), textRect.Height()));
  hint->SetRect(
      Tessel::Rect::FromSize(hintRect.left, top + 50, hintRect.Width(), hintRect.Height()));
  text->SetVisible(true);
  hint->SetVisible(true);
}

// The model with a screen that it can only update by cable.
constexpr int kScreenByCableModel = 101;

}  // namespace

DeviceSession::DeviceSession(ControllerContext& context) : context_(context) {}

Tessel::CDeviceList& DeviceSession::DeviceList() const {
  return *context_.window.GetControl<Tessel::CDeviceList>(ids::kDeviceList);
}

void DeviceSession::RegisterCatalogue() {
  context_.link.ClearCatalogue();
  for (const ConnectionModeRecord& mode : context_.catalogue.modes) {
    context_.link.AddCatalogueEntry(
        {mode.vendorId, mode.productId, mode.productName, mode.modelId, mode.mode});
  }
  presentCount_ = context_.catalogue.modes.size();
  present_ = std::make_unique<std::atomic<int>[]>(presentCount_);
}

bool DeviceSession::IsModePresent(std::size_t modeIndex) const {
  return modeIndex < presentCount_ && present_[modeIndex].load() != 0;
}

// Discovery ------------------------------------------------------------------------------------

void DeviceSession::RefreshDevices() {
  ControllerState& state = context_.state;
  device::HidDeviceManager& link = context_.link;
  state.online.store(false);
  link.ClearCommandDevice();
  link.CloseAll();
  link.EnumerateDevice();

  // The same rule as when the catalogue is loaded: nothing stored (or below 100) means 101.
  const int storedModel = context_.settings.ReadSelectedModel();
  link.SetSelectedModel(0);

  std::vector<device::DeviceRecordInfo> records;
  link.GetDevices(records);
  Tessel::CDeviceList& list = DeviceList();
  list.SetAllDeviceState(0);
  for (const device::DeviceRecordInfo& record : records) {
    list.SetDeviceState(record.modelId, record.mode, record.online);
    // A keyboard that has not reported its battery (asleep behind its receiver) shows none.
    if (record.batteryReported)
      list.SetDeviceBattery(record.modelId, record.mode, record.battery, record.charging);
  }
  list.SetSelectDevice(storedModel);

  const auto& modes = context_.catalogue.modes;
  for (std::size_t i = 0; i < modes.size() && i < presentCount_; ++i) {
    const int found = link.FindPresence(modes[i].vendorId, modes[i].productId, modes[i].productName,
                                        modes[i].mode);
    present_[i].store(found >= 0 ? 1 : 0);
    if (found > 0) state.online.store(true);
  }
  context_.settings.WriteDeviceType(list.GetSelectDevice());
  state.devicePresent.store(!records.empty());
}

void DeviceSession::ApplySelectedDevice() {
  ControllerState& state = context_.state;
  context_.actions.CloseChildWindows();
  if (!state.devicePresent.load()) {
    ShowDisconnectedView();
    state.connectionKind.store(kConnectionNone);
    state.hotplugKind.store(kHotplugNone);
    return;
  }
  const int model = DeviceList().GetSelectDevice();
  context_.link.SetSelectedModel(model);
  context_.settings.WriteDeviceType(model);
  context_.actions.LoadKeyboardModel(model);

  const int kind = context_.link.ConnectionKind();
  state.connectionKind.store(kind);
  switch (kind) {
    case kConnectionCable:
      state.online.store(true);
      ShowConnectedView(model, kind);
      break;
    case kConnectionReceiver:
    case kConnectionIndirect:
      state.online.store(context_.link.OnlineState(model, kind) != 0);
      if (state.online.load()) {
        ShowConnectedView(model, kind);
      } else {
        ShowDisconnectedView();
      }
      break;
    default:
      state.online.store(false);
      ShowDisconnectedView();
      break;
  }
  state.hotplugKind.store(kHotplugNone);
}

// Views ------------------------------------------------------------------------------------------

int DeviceSession::PageToShow(int modelId, int kind) const {
  auto* tabs = context_.window.GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  int position = context_.state.pageAfterSwitch.load();
  if (IsKeypadModel(modelId) && position >= 1 && position <= 3) position = kKeysTab;
  if (modelId == kScreenByCableModel) {
    tabs->SetItemVisible(kScreenTab, kind == kConnectionCable);
    if (kind != kConnectionCable && position == kScreenTab) position = kLightingTab;
  }
  if (!tabs->IsItemVisible(position)) position = kLightingTab;
  return position;
}

void DeviceSession::ShowConnectedView(int modelId, int kind) {
  base::DebugLog("view: model %d connected (link %d)", modelId, kind);
  Tessel::MWindow& window = context_.window;
  window.RunOnUiThread([this, &window, modelId, kind] {
    window.FindControl(ids::kMainTabs)->SetVisible(true);
    window.FindControl(ids::kDeviceList)->SetVisible(true);
    window.FindControl(ids::kNoKeyboardText)->SetVisible(false);
    window.FindControl(ids::kNoKeyboardHint)->SetVisible(false);
    context_.actions.ShowMainTab(PageToShow(modelId, kind));
  });
}

void DeviceSession::ShowDisconnectedView() {
  base::DebugLog("view: disconnected");
  Tessel::MWindow& window = context_.window;
  const bool anyKeyboard = context_.state.devicePresent.load();
  window.RunOnUiThread([this, &window, anyKeyboard] {
    window.FindControl(ids::kMainTabs)->SetVisible(false);
    // While another model is attached its card stays, so that the user can pick it; the
    // message then goes below the cards instead of the middle of the page.
    window.FindControl(ids::kDeviceList)->SetVisible(anyKeyboard);
    PlaceNoKeyboardMessage(window, anyKeyboard);
    context_.actions.ShowMainTab(kHomeTab);
  });
}

// The user picks a model -------------------------------------------------------------------------

void DeviceSession::SelectDevice() {
  ControllerState& state = context_.state;
  context_.actions.DropQueuedTasks();
  state.online.store(false);
  state.screenSyncStream.store(false);
  state.matrixStream.store(false);

  const int model = DeviceList().GetSelectDevice();
  if (model == 0) return;
  context_.settings.WriteDeviceType(model);
  context_.link.SetSelectedModel(model);
  state.selectedModel.store(model);

  // Leave the overview for the model's pages: the remembered page, or the first one.
  Tessel::MWindow& window = context_.window;
  window.FindControl(ids::kMainTabs)->SetVisible(true);
  if (state.pageAfterSwitch.load() == kHomeTab) state.pageAfterSwitch.store(kLightingTab);
  context_.actions.LoadKeyboardModel(model);
  context_.actions.ShowMainTab(PageToShow(model, state.connectionKind.load()));
  context_.tasks.Append(task::kReconnect);
}

// Hot-plug ---------------------------------------------------------------------------------------

void DeviceSession::UpdateUSBDevice(int event, const std::string& interfacePath) {
  if (event != 0x8000 && event != 0x8004) return;
  base::DebugLog("UpdateUSBDevice %s %s", event == 0x8000 ? "arrival" : "removal",
                 interfacePath.c_str());
  const std::string path = base::ToUpperAscii(interfacePath);
  const auto& modes = context_.catalogue.modes;
  ControllerState& state = context_.state;
  for (std::size_t i = 0; i < modes.size(); ++i) {
    if (path.find(modes[i].interfacePattern) == std::string::npos) continue;
    if (event == 0x8000) {
      // The first mode whose pattern fits decides, whether or not this interface is the
      // command interface: its other interfaces arrive with their own messages.
      if (context_.link.QualifiesAsCommandInterface(interfacePath)) {
        state.hotplugModel.store(modes[i].modelId);
        state.hotplugKind.store(kHotplugArrival);
        context_.tasks.Append(task::kDeviceInstall);
      }
      return;
    }
    if (!IsModePresent(i)) continue;
    present_[i].store(0);
    state.hotplugModel.store(modes[i].modelId);
    state.hotplugKind.store(kHotplugRemoval);
    context_.tasks.Append(task::kDeviceUnInstall);
    return;
  }
}

void DeviceSession::Hotplug(const char* what) {
  base::DebugLog("%s", what);
  // Let the new device settle and the old handles drain.
  if (!context_.worker.SleepFor(std::chrono::milliseconds(200))) return;
  context_.actions.DropQueuedTasks();
  if (context_.state.hotplugModel.load() == context_.state.selectedModel.load()) {
    context_.actions.ShowMainTab(kHomeTab);
  }
  RefreshDevices();
  ApplySelectedDevice();
}

void DeviceSession::DeviceInstall() {
  Hotplug("Trd_DeviceInstall");
}

void DeviceSession::DeviceUnInstall() {
  Hotplug("Trd_DeviceUnInstall");
}

// Receiver notifications ----------------------------------------------------------------------

void DeviceSession::OnDeviceNotify() {
  std::array<std::uint8_t, 65> frame{};
  int model = 0;
  context_.link.GetDeviceNotify(frame, model);
  if (frame[0] != 0) {
    base::DebugLog("device notify data: %02X %02X %02X %02X %02X %02X model %d", frame[0], frame[1],
                   frame[8], frame[9], frame[10], frame[13], model);
  }
  const std::optional<protocol::LinkState> link = protocol::ParseLinkNotification(frame);
  if (!link) return;

  Tessel::CDeviceList& list = DeviceList();
  list.SetDeviceState(model, kModeReceiver, link->online ? 1 : 0);
  if (!link->online)
    list.SetDeviceState(model, kModeCable,
                        context_.link.OnlineState(model, kModeCable) == 1 ? 1 : 0);

  ControllerState& state = context_.state;
  Tessel::MWindow& window = context_.window;
  if (model == state.selectedModel.load()) {
    if (link->online) {
      state.online.store(true);
      context_.actions.ShowMainTab(kHomeTab);
      window.FindControl(ids::kNoKeyboardText)->SetVisible(false);
      window.FindControl(ids::kNoKeyboardHint)->SetVisible(false);
      window.FindControl(ids::kDeviceList)->SetVisible(true);
      // The disconnected view hid the pages' tabs; the keyboard is back, so are they.
      window.FindControl(ids::kMainTabs)->SetVisible(true);
      // The cable record knows the battery when the cable is in; otherwise the receiver does.
      int level = 0;
      int charging = 0;
      if (context_.link.DirectBattery(model, level, charging) && level > 0) {
        list.SetDeviceBattery(model, kModeCable, level, charging);
      } else if (context_.link.ModeBattery(model, kModeReceiver, level, charging)) {
        list.SetDeviceBattery(model, kModeReceiver, level, charging);
      }
      if (model == kScreenByCableModel) {
        context_.window.GetControl<Tessel::MTabCtrl>(ids::kMainTabs)
            ->SetItemVisible(kScreenTab, false);
      }
      return;
    }
    const int kind = context_.link.ConnectionKind();
    state.connectionKind.store(kind);
    if (kind == kConnectionReceiver) {
      state.online.store(false);
      ShowDisconnectedView();
    }
  } else if (!window.FindControl(ids::kDeviceOverview)->IsShown()) {
    return;
  }
  state.hotplugModel.store(model);
  RefreshDevices();
  ApplySelectedDevice();
}
