// Discovery, records, look-ups, the choice of the command handle and receiver notifications.
// The frames and transfers are in HidTransfers.cpp.

#include "device/HidDeviceManager.h"

#include <thread>

#include "base/Log.h"
#include "device/ReportIo.h"
#include "protocol/Commands.h"
#include "protocol/Frame.h"

namespace device {

namespace {

// A newly found interface settles before it is opened.
constexpr std::chrono::milliseconds kOpenSettleDelay{200};
// The receiver poll of an idle worker cycle.
constexpr int kNotifyPollMs = 5;

constexpr int kCablePacingMs = 2;
constexpr int kReceiverPacingMs = 6;

std::uint64_t PackChoice(int modelId, std::size_t position) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(modelId)) << 32) |
         static_cast<std::uint64_t>(position + 1);
}

int ChoiceModel(std::uint64_t choice) {
  return static_cast<int>(static_cast<std::uint32_t>(choice >> 32));
}

std::size_t ChoicePosition(std::uint64_t choice) {
  return static_cast<std::size_t>(static_cast<std::uint32_t>(choice)) - 1;
}

std::uint8_t ByteAt(std::span<const std::uint8_t> report, std::size_t index) {
  return index < report.size() ? report[index] : 0;
}

}  // namespace

HidDeviceManager::HidDeviceManager(HidApi& hid) : hid_(hid) {}

HidDeviceManager::~HidDeviceManager() {
  CloseAll();
  CloseScreenDevice();
}

void HidDeviceManager::SetNotifyHandler(NotifyHandler handler) {
  notifyHandler_ = std::move(handler);
}

void HidDeviceManager::SetSleeper(Sleeper sleeper) {
  sleeper_ = std::move(sleeper);
}

void HidDeviceManager::Sleep(std::chrono::milliseconds duration) {
  if (sleeper_) {
    sleeper_(duration);
  } else {
    std::this_thread::sleep_for(duration);
  }
}

// --- catalogue -----------------------------------------------------------------------------

void HidDeviceManager::AddCatalogueEntry(const CatalogueEntry& entry) {
  catalogue_.push_back(entry);
}

void HidDeviceManager::ClearCatalogue() {
  catalogue_.clear();
}

const CatalogueEntry* HidDeviceManager::FittingEntry(int vendorId, int productId,
                                                     const std::string& productString) const {
  for (const CatalogueEntry& entry : catalogue_) {
    if (entry.vendorId != vendorId || entry.productId != productId) continue;
    if (entry.productName.empty() || entry.productName == productString) return &entry;
  }
  return nullptr;
}

bool HidDeviceManager::IsKnown(int vendorId, int productId,
                               const std::string& productString) const {
  return FittingEntry(vendorId, productId, productString) != nullptr;
}

int HidDeviceManager::ModelOf(int vendorId, int productId, const std::string& productString) const {
  const CatalogueEntry* entry = FittingEntry(vendorId, productId, productString);
  return entry != nullptr ? entry->modelId : 0;
}

int HidDeviceManager::ModeOf(int vendorId, int productId, const std::string& productString) const {
  const CatalogueEntry* entry = FittingEntry(vendorId, productId, productString);
  return entry != nullptr ? entry->mode : 0;
}

bool HidDeviceManager::QualifiesAsCommandInterface(const std::string& interfacePath) const {
  const auto capabilities = hid_.QueryCapabilities(interfacePath);
  return capabilities && capabilities->usagePage == kCommandUsagePage &&
         capabilities->usage == kCommandUsage;
}

// --- records -------------------------------------------------------------------------------

void HidDeviceManager::EnumerateDevice() {
  CloseAll();  // a second enumeration must not open every interface twice
  for (const HidDeviceInfo& info : hid_.Enumerate()) {
    if (!IsKnown(info.vendorId, info.productId, info.productString)) continue;
    if (info.usagePage != kCommandUsagePage || info.usage != kCommandUsage) continue;
    Sleep(kOpenSettleDelay);
    if (auto record = OpenRecord(info)) devices_.push_back(std::move(record));
  }
  opened_ = true;
}

std::unique_ptr<DeviceRecord> HidDeviceManager::OpenRecord(const HidDeviceInfo& info) {
  auto handle = hid_.Open(info.path);
  if (!handle) return nullptr;
  auto record = std::make_unique<DeviceRecord>();
  DeviceRecordInfo& fields = record->info;
  fields.index = static_cast<int>(devices_.size());
  fields.vendorId = info.vendorId;
  fields.productId = info.productId;
  fields.path = info.path;
  fields.interfacePath = info.interfacePath;
  fields.productString = info.productString;
  fields.releaseNumber = info.releaseNumber;
  fields.modelId = ModelOf(info.vendorId, info.productId, info.productString);
  fields.mode = ModeOf(info.vendorId, info.productId, info.productString);
  record->handle = std::move(handle);
  if (fields.mode != kModeCable) ReadLinkState(*record);
  if (fields.online != 0) {
    fields.batteryReported = QueryBattery(record->handle.get(), fields.battery, fields.charging);
  }
  return record;
}

// A receiver names the keyboard behind it. One that does not answer keeps online 1 and the
// model of its own ids; one that cannot name its keyboard belongs to no model.
void HidDeviceManager::ReadLinkState(DeviceRecord& record) {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  int online = record.info.online;
  HidDevice* handle = record.handle.get();
  if (!QueryLinkState(handle, false, vendorId, productId, online)) return;
  if (online != 0 && productId == 0) {
    std::uint16_t askedVendor = 0;
    std::uint16_t askedProduct = 0;
    int askedOnline = online;
    if (QueryLinkState(handle, true, askedVendor, askedProduct, askedOnline)) {
      vendorId = askedVendor;
      productId = askedProduct;
      online = askedOnline;
    }
  }
  record.info.online = online;
  record.info.modelId = ModelOf(vendorId, productId, std::string());
}

void HidDeviceManager::CloseAll() {
  if (!opened_) return;
  commandChoice_.store(0);
  for (const auto& record : devices_) record->handle->Cancel();
  devices_.clear();
  opened_ = false;
}

bool HidDeviceManager::IsOpened() const {
  return opened_;
}

bool HidDeviceManager::GetDevices(std::vector<DeviceRecordInfo>& records) const {
  records.clear();
  if (devices_.empty()) return false;
  const int model = selectedModel_.load();
  for (const auto& record : devices_) {
    if (model == 0 || record->info.modelId == model) records.push_back(record->info);
  }
  return true;
}

const DeviceRecord* HidDeviceManager::FindRecord(int modelId, int mode) const {
  for (const auto& record : devices_) {
    if (record->info.modelId == modelId && record->info.mode == mode) return record.get();
  }
  return nullptr;
}

int HidDeviceManager::ConnectionKind() const {
  const int model = selectedModel_.load();
  if (model == 0) return -1;
  for (const int mode : {kModeCable, kModeReceiver, kModeOtherLink}) {
    if (FindRecord(model, mode) != nullptr) return mode;
  }
  return -1;
}

int HidDeviceManager::OnlineState(int modelId, int mode) const {
  const DeviceRecord* record = FindRecord(modelId, mode);
  return record != nullptr ? record->info.online : -1;
}

bool HidDeviceManager::DirectBattery(int modelId, int& battery, int& charging) const {
  return ModeBattery(modelId, kModeCable, battery, charging);
}

bool HidDeviceManager::ModeBattery(int modelId, int mode, int& battery, int& charging) const {
  const DeviceRecord* record = FindRecord(modelId, mode);
  if (record == nullptr || !record->info.batteryReported) return false;
  battery = record->info.battery;
  charging = record->info.charging;
  return true;
}

int HidDeviceManager::FindPresence(int vendorId, int productId, const std::string& productName,
                                   int mode) const {
  for (const auto& record : devices_) {
    const DeviceRecordInfo& fields = record->info;
    if (fields.vendorId != vendorId || fields.productId != productId || fields.mode != mode) {
      continue;
    }
    if (productName.empty() || fields.productString == productName) return fields.online;
  }
  return -1;
}

// --- command handle ------------------------------------------------------------------------

HidDevice* HidDeviceManager::GetCommandDevice() {
  const int model = selectedModel_.load();
  if (model == 0) return nullptr;
  const std::uint64_t choice = commandChoice_.load();
  if (choice != 0 && ChoiceModel(choice) == model) {
    const std::size_t position = ChoicePosition(choice);
    if (position < devices_.size()) return devices_[position]->handle.get();
  }
  const int position = ChooseCommandRecord(model);
  if (position < 0) return nullptr;
  commandChoice_.store(PackChoice(model, static_cast<std::size_t>(position)));
  return devices_[static_cast<std::size_t>(position)]->handle.get();
}

// A cable wins over any other link; a receiver carries commands only while its keyboard is
// online.
int HidDeviceManager::ChooseCommandRecord(int modelId) {
  const auto first = [this, modelId](int mode, bool mustBeOnline) {
    for (std::size_t i = 0; i < devices_.size(); ++i) {
      const DeviceRecordInfo& fields = devices_[i]->info;
      if (fields.modelId != modelId || fields.mode != mode) continue;
      if (mustBeOnline && fields.online == 0) continue;
      return static_cast<int>(i);
    }
    return -1;
  };
  struct Preference {
    int mode;
    bool mustBeOnline;
    int pacingMs;
  };
  for (const Preference& preference : {Preference{kModeCable, false, kCablePacingMs},
                                       Preference{kModeOtherLink, false, kCablePacingMs},
                                       Preference{kModeReceiver, true, kReceiverPacingMs}}) {
    const int position = first(preference.mode, preference.mustBeOnline);
    if (position >= 0) {
      pacingDelayMs_.store(preference.pacingMs);
      return position;
    }
  }
  return -1;
}

void HidDeviceManager::SetSelectedModel(int modelId) {
  selectedModel_.store(modelId);
  commandChoice_.store(0);
}

int HidDeviceManager::GetSelectedModel() const {
  return selectedModel_.load();
}

void HidDeviceManager::ClearCommandDevice() {
  commandChoice_.store(0);
}

int HidDeviceManager::PacingDelayMs() const {
  return pacingDelayMs_.load();
}

// --- receiver notifications ----------------------------------------------------------------

bool HidDeviceManager::GetDeviceNotify(std::array<std::uint8_t, 65>& frame, int& modelId) {
  frame.fill(0);
  const std::span<std::uint8_t> report(frame.data(), protocol::kFrameLength);
  for (const auto& record : devices_) {
    if (record->info.mode != kModeReceiver) continue;
    // A plain read: a notification taken here is handled here, not reported again.
    if (ReadBounded(*record->handle, report, kNotifyPollMs) <= 0) continue;
    modelId = record->info.modelId;
    if (protocol::IsLinkNotification(report)) HandleLinkNotification(*record, report, modelId);
    return true;
  }
  return false;
}

// The report is the whole zero-padded frame, so a short notification reads as offline.
void HidDeviceManager::HandleLinkNotification(DeviceRecord& record,
                                              std::span<const std::uint8_t> report, int& modelId) {
  const auto state = protocol::ParseLinkNotification(report);
  if (!state) return;
  base::DebugLog("GetDeviceNotify 11 device notify data: %02X %02X %02X %02X %02X %02X \n",
                 protocol::kFrameMarker, protocol::command::kLinkState, ByteAt(report, 8),
                 ByteAt(report, 9), ByteAt(report, 10), ByteAt(report, 13));
  record.info.online = state->online ? 1 : 0;
  std::uint16_t vendorId = state->vendorId;
  std::uint16_t productId = state->productId;
  // Only a keyboard the receiver cannot name yet is asked (its ids, then its battery); an
  // ordinary notification sends nothing, so a running colour stream keeps its open bracket.
  if (state->online && productId == 0) {
    HidDevice* handle = record.handle.get();
    std::uint16_t askedVendor = 0;
    std::uint16_t askedProduct = 0;
    int askedOnline = 1;
    if (QueryLinkState(handle, true, askedVendor, askedProduct, askedOnline)) {
      vendorId = askedVendor;
      productId = askedProduct;
    }
    if (QueryBattery(handle, record.info.battery, record.info.charging))
      record.info.batteryReported = true;
  }
  record.info.modelId = ModelOf(vendorId, productId, std::string());
  modelId = record.info.modelId;
}

}  // namespace device
