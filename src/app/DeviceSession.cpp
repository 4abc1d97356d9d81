#include "app/DeviceSession.h"

#include <vector>

#include "base/Log.h"
#include "base/Text.h"
#include "catalogue/DeviceCatalogue.h"
#include "core/ControllerActions.h"
#include "core/DeviceTaskQueue.h"
#include "core/ModelCapabilities.h"
#include "core/SettingsStore.h"
#include "core/Sleeper.h"
#include "core/TaskTable.h"
#include "core/ThreadCheck.h"
#include "core/WindowMessages.h"
#include "protocol/Frame.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Types.h"

DeviceSession::DeviceSession(Tessel::PageHost& host, SharedState& state,
                             device::HidDeviceManager& link, const DeviceCatalogue& catalogue,
                             SettingsStore& settings, const CurrentModel& model,
                             const core::TextTable& texts, DeviceTaskQueue& tasks,
                             ControllerActions& actions, core::Sleeper& sleeper)
    : state_(state),
      link_(link),
      catalogue_(catalogue),
      settings_(settings),
      model_(model),
      tasks_(tasks),
      actions_(actions),
      sleeper_(sleeper),
      page_(host, texts) {}

void DeviceSession::RegisterTasks(TaskTable& table) {
  table.SetRun(task::kDeviceInstall, [this] { DeviceInstall(); });
  table.SetRun(task::kDeviceUnInstall, [this] { DeviceUnInstall(); });
}

bool DeviceSession::OnControlEvent(int id, int code, std::intptr_t, std::intptr_t) {
  if (id != ids::kDeviceList) return false;
  if (code == Tessel::kEventClick) SelectDevice();
  return true;
}

std::optional<std::intptr_t> DeviceSession::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                                            std::intptr_t lParam) {
  switch (message) {
    case Tessel::WM_DEVICECHANGE: {
      const auto* broadcast = reinterpret_cast<const DeviceBroadcast*>(lParam);
      if (broadcast != nullptr && broadcast->deviceType == DeviceBroadcast::kDeviceInterface) {
        UpdateUSBDevice(static_cast<int>(wParam), broadcast->interfacePath);
      }
      return 0;
    }
    case UM_DEVICE_NOTIFY:
      tasks_.Append(lParam == 1 ? task::kDeviceInstall : task::kDeviceUnInstall);
      return 1;
    default:
      return std::nullopt;
  }
}

void DeviceSession::RegisterCatalogue() {
  link_.ClearCatalogue();
  for (const ConnectionModeRecord& mode : catalogue_.modes) {
    link_.AddCatalogueEntry(
        {mode.vendorId, mode.productId, mode.productName, mode.modelId, mode.mode});
  }
  presentCount_ = catalogue_.modes.size();
  present_ = std::make_unique<std::atomic<int>[]>(presentCount_);
}

bool DeviceSession::IsModePresent(std::size_t modeIndex) const {
  return modeIndex < presentCount_ && present_[modeIndex].load() != 0;
}

int DeviceSession::ConnectionKind() const {
  return link_.ConnectionKind();
}

// Discovery ------------------------------------------------------------------------------------

void DeviceSession::RefreshDevices() {
  TARVO_EXPECT_WORKER();
  state_.online.store(false);
  link_.ClearCommandDevice();
  link_.CloseAll();
  link_.EnumerateDevice();

  link_.SetSelectedModel(0);
  std::vector<device::DeviceRecordInfo> records;
  link_.GetDevices(records);
  attached_ = records;
  page_.ShowDevices(records, ModelToShow(records));

  const auto& modes = catalogue_.modes;
  for (std::size_t i = 0; i < modes.size() && i < presentCount_; ++i) {
    const int found = link_.FindPresence(modes[i].vendorId, modes[i].productId,
                                         modes[i].productName, modes[i].mode);
    present_[i].store(found >= 0 ? 1 : 0);
    if (found > 0) state_.online.store(true);
  }
  settings_.WriteDeviceType(page_.SelectedModel());
  state_.devicePresent.store(!records.empty());
}

void DeviceSession::ApplySelectedDevice() {
  TARVO_EXPECT_WORKER();
  actions_.CloseChildWindows();
  if (!state_.devicePresent.load()) {
    ShowDisconnectedView();
    state_.connectionKind.store(kConnectionNone);
    return;
  }
  const int model = page_.SelectedModel();
  link_.SetSelectedModel(model);
  settings_.WriteDeviceType(model);
  actions_.LoadKeyboardModel(model);

  const int kind = link_.ConnectionKind();
  state_.connectionKind.store(kind);
  switch (kind) {
    case kConnectionCable:
      state_.online.store(true);
      ShowConnectedView(model, kind);
      break;
    case kConnectionReceiver:
    case kConnectionIndirect:
      state_.online.store(link_.OnlineState(model, kind) != 0);
      if (state_.online.load()) {
        ShowConnectedView(model, kind);
      } else {
        ShowDisconnectedView();
      }
      break;
    default:
      state_.online.store(false);
      ShowDisconnectedView();
      break;
  }
}

int DeviceSession::ModelToShow(const std::vector<device::DeviceRecordInfo>& records) const {
  // The same rule as when the catalogue is loaded: a stored number below 100 means 101.
  if (settings_.ReadDeviceType() >= 100 || records.empty()) return settings_.ReadSelectedModel();
  // First start: the keyboard that answers, else any that is attached.
  for (const device::DeviceRecordInfo& record : records) {
    if (record.online != 0 && catalogue_.FindModel(record.modelId) != nullptr) {
      return record.modelId;
    }
  }
  for (const device::DeviceRecordInfo& record : records) {
    if (catalogue_.FindModel(record.modelId) != nullptr) return record.modelId;
  }
  return settings_.ReadSelectedModel();
}

std::string DeviceSession::ModelName(int modelId) const {
  const KeyboardModelRecord* model = catalogue_.FindModel(modelId);
  return model != nullptr ? model->name : std::string();
}

NoKeyboardMessage DeviceSession::WhyDisconnected() const {
  NoKeyboardMessage message;
  const int selected = state_.selectedModel.load();
  message.selectedName = ModelName(selected);
  if (!state_.devicePresent.load()) return message;
  if (link_.OnlineState(selected, kModeReceiver) == 0) {
    message.kind = NoKeyboardMessage::Kind::kAsleep;
    return message;
  }
  for (const device::DeviceRecordInfo& record : attached_) {
    if (record.modelId == selected || ModelName(record.modelId).empty()) continue;
    message.kind = NoKeyboardMessage::Kind::kOtherAttached;
    message.attachedName = ModelName(record.modelId);
    break;
  }
  return message;
}

// Views ------------------------------------------------------------------------------------------

int DeviceSession::PageToShow(int modelId, int kind) const {
  ModelCapabilities capabilities = model_.Get();
  if (capabilities.modelId != modelId) capabilities = CapabilitiesOfModel(modelId);
  int page = state_.pageAfterSwitch.load();
  if (capabilities.keypad &&
      (page == kPageLighting || page == kPageMatrix || page == kPageScreen)) {
    page = kPageKeys;
  }
  if (!capabilities.ShowsPage(page, kind)) page = kPageLighting;
  return page;
}

void DeviceSession::ShowConnectedView(int modelId, int kind) {
  base::DebugLog("view: model %d connected (link %d)", modelId, kind);
  page_.ShowConnected();
  actions_.ShowPage(PageToShow(modelId, kind));
}

void DeviceSession::ShowDisconnectedView() {
  base::DebugLog("view: disconnected");
  page_.ShowDisconnected(state_.devicePresent.load(), WhyDisconnected());
  actions_.ShowPage(kPageHome);
}

// The user picks a model -------------------------------------------------------------------------

void DeviceSession::SelectDevice() {
  TARVO_EXPECT_UI_THREAD();
  const int model = page_.SelectedModel();
  if (model == 0) {
    actions_.DropQueuedTasks();
    state_.online.store(false);
    return;
  }
  SelectModel(model);
}

bool DeviceSession::SelectModel(int model) {
  TARVO_EXPECT_UI_THREAD();
  if (!page_.SelectModel(model)) return false;
  actions_.DropQueuedTasks();
  state_.online.store(false);
  settings_.WriteDeviceType(model);
  link_.SetSelectedModel(model);
  state_.selectedModel.store(model);

  // Leave the overview for the model's pages: the remembered page, or the first one.
  page_.ShowConnected();
  if (state_.pageAfterSwitch.load() == kPageHome) state_.pageAfterSwitch.store(kPageLighting);
  actions_.LoadKeyboardModel(model);
  actions_.ShowPage(PageToShow(model, state_.connectionKind.load()));
  tasks_.Append(task::kReconnect);
  return true;
}

// Hot-plug ---------------------------------------------------------------------------------------

void DeviceSession::UpdateUSBDevice(int event, const std::string& interfacePath) {
  if (event != kDeviceArrival && event != kDeviceRemoveComplete) return;
  base::DebugLog("UpdateUSBDevice %s %s", event == kDeviceArrival ? "arrival" : "removal",
                 interfacePath.c_str());
  const std::string path = base::ToUpperAscii(interfacePath);
  const auto& modes = catalogue_.modes;
  for (std::size_t i = 0; i < modes.size(); ++i) {
    if (path.find(modes[i].interfacePattern) == std::string::npos) continue;
    if (event == kDeviceArrival) {
      // The first mode whose pattern fits decides, whether or not this interface is the
      // command interface: its other interfaces arrive with their own messages.
      if (link_.QualifiesAsCommandInterface(interfacePath)) {
        hotplugModel_.store(modes[i].modelId);
        tasks_.Append(task::kDeviceInstall);
      }
      return;
    }
    if (!IsModePresent(i)) continue;
    present_[i].store(0);
    hotplugModel_.store(modes[i].modelId);
    tasks_.Append(task::kDeviceUnInstall);
    return;
  }
}

void DeviceSession::Hotplug(const char* what) {
  base::DebugLog("%s", what);
  // Let the new device settle and the old handles drain.
  if (!sleeper_.SleepFor(std::chrono::milliseconds(200))) return;
  actions_.DropQueuedTasks();
  if (hotplugModel_.load() == state_.selectedModel.load()) actions_.ShowPage(kPageHome);
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
  link_.GetDeviceNotify(frame, model);
  if (frame[0] != 0) {
    base::DebugLog("device notify data: %02X %02X %02X %02X %02X %02X model %d", frame[0], frame[1],
                   frame[8], frame[9], frame[10], frame[13], model);
  }
  const std::optional<protocol::LinkState> link = protocol::ParseLinkNotification(frame);
  if (!link) return;

  page_.ShowModeState(model, kModeReceiver, link->online);
  if (!link->online) {
    page_.ShowModeState(model, kModeCable, link_.OnlineState(model, kModeCable) == 1);
  }
  if (model == state_.selectedModel.load()) {
    if (link->online) {
      OnKeyboardWoke(model);
      return;
    }
    const int kind = link_.ConnectionKind();
    state_.connectionKind.store(kind);
    if (kind == kConnectionReceiver) {
      state_.online.store(false);
      ShowDisconnectedView();
    }
  } else if (!page_.OverviewShown()) {
    return;
  }
  hotplugModel_.store(model);
  RefreshDevices();
  ApplySelectedDevice();
}

void DeviceSession::OnKeyboardWoke(int modelId) {
  state_.online.store(true);
  // What the keyboard is, its battery and its settings are read again: a keyboard that slept
  // through the last read shows its real firmware and battery from now on.
  tasks_.Append(task::kRefreshProfileView);
  actions_.ShowPage(kPageHome);
  // The disconnected view hid the pages' tabs; the keyboard is back, so are they.
  page_.ShowConnected();
  // The cable record knows the battery when the cable is in; otherwise the receiver does.
  int level = 0;
  int charging = 0;
  if (link_.DirectBattery(modelId, level, charging) && level > 0) {
    page_.ShowBattery(modelId, kModeCable, level, charging);
  } else if (link_.ModeBattery(modelId, kModeReceiver, level, charging)) {
    page_.ShowBattery(modelId, kModeReceiver, level, charging);
  }
}
