#include "sim/VirtualHidBus.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>

#include "base/Log.h"
#include "base/Text.h"
#include "sim/Scheduler.h"

namespace sim {

namespace {

// hidraw keeps this many unread input reports per open handle and drops the oldest.
constexpr std::size_t kInputQueueDepth = 64;

constexpr int kCommandReportLength = 65;
constexpr int kReceiverReportLength = 33;
constexpr int kBootInputReportLength = 9;   // modifiers, reserved byte, six keys + report id
constexpr int kBootOutputReportLength = 2;  // LED bits + report id

enum class Role { kBoot, kCommand, kScreen };

std::size_t LinkSlot(Link link) {
  return static_cast<std::size_t>(link);
}

const char* LinkName(Link link) {
  switch (link) {
    case Link::kCable:
      return "cable";
    case Link::kReceiver:
      return "receiver";
    case Link::kScreen:
      return "screen";
  }
  return "?";
}

char LinkLetter(Link link) {
  switch (link) {
    case Link::kCable:
      return 'C';
    case Link::kReceiver:
      return 'R';
    case Link::kScreen:
      return 'S';
  }
  return '?';
}

struct HotPlugNote {
  device::HotPlugEvent event;
  std::string interfacePath;
};
using Notes = std::vector<HotPlugNote>;

// Input reports waiting for one open handle.
class ReportQueue {
 public:
  bool Empty() const { return count_ == 0; }
  void Push(const Report& report) {
    if (count_ == reports_.size()) Pop();
    reports_[(first_ + count_) % reports_.size()] = report;
    ++count_;
  }
  Report Pop() {
    const Report report = reports_[first_];
    first_ = (first_ + 1) % reports_.size();
    --count_;
    return report;
  }

 private:
  std::array<Report, kInputQueueDepth> reports_{};
  std::size_t first_ = 0;
  std::size_t count_ = 0;
};

class VirtualDevice;

struct Interface {
  device::HidDeviceInfo info;
  int inputLength = kCommandReportLength;
  int outputLength = kCommandReportLength;
  Role role = Role::kCommand;
  KeyboardId keyboard = 0;
  Link link = Link::kCable;
  bool attached = true;
  std::vector<VirtualDevice*> handles;
};

struct KeyboardNode {
  KeyboardId id = 0;
  KeyboardHardware hardware;
  KeyboardState state;
  bool asleep = false;
  std::array<std::vector<std::shared_ptr<Interface>>, 3> links;  // by Link
  FaultPlan faults;
  std::uint64_t screenGeneration = 0;  // outdates scheduled screen arrivals and removals
};

}  // namespace

struct VirtualHidBus::Core {
  std::mutex mutex;
  std::map<KeyboardId, std::unique_ptr<KeyboardNode>> keyboards;
  std::vector<std::shared_ptr<Interface>> attached;  // in plug order
  KeyboardId nextId = 1;
  bool logging = false;
  std::vector<LoggedFrame> log;
  Clock::time_point origin = Clock::now();
  std::uint32_t garbageState = 0x2545F491;

  // The bus that reports hot-plug notes; cleared when the bus goes while handles live on.
  std::recursive_mutex notifierMutex;
  VirtualHidBus* bus = nullptr;

  // Last, so that it stops before anything its tasks use is destroyed.
  Scheduler scheduler;

  int Write(VirtualDevice& handle, std::span<const std::uint8_t> report);
  void Fire(const Notes& notes);

  KeyboardNode* Find(KeyboardId id);
  std::shared_ptr<Interface> FindAttached(const std::string& path);
  std::shared_ptr<Interface> CommandInterface(KeyboardNode& node, Link link);
  void Plug(KeyboardNode& node, Link link, Notes& notes);
  void Unplug(KeyboardNode& node, Link link, Notes& notes);
  void Deliver(Interface& target, const Report& report);
  void Log(const Interface& target, Direction direction, std::span<const std::uint8_t> bytes);

 private:
  int HandleFrame(KeyboardNode& node, Interface& target, const Report& frame, int written,
                  Notes& notes);
  FirmwareOutcome Execute(KeyboardNode& node, Link link, const Report& frame);
  void Answer(KeyboardNode& node, Interface& target, Report reply,
              const std::optional<FaultRule>& fault);
  void ApplyEffects(KeyboardNode& node, const FirmwareOutcome& outcome, Notes& notes);
  void ScheduleScreenChange(KeyboardNode& node, bool appear);
  void ScheduleReply(const std::shared_ptr<Interface>& target, const Report& reply,
                     std::chrono::milliseconds delay);
  void ScheduleReplug(KeyboardId id, Link link, std::chrono::milliseconds delay);
  std::shared_ptr<Interface> MakeInterface(const KeyboardNode& node, Link link, int number,
                                           Role role) const;
  Report Garbage(std::size_t size);
};

namespace {

// One open interface. Its queue and flags are guarded by the core's mutex.
class VirtualDevice final : public device::HidDevice {
 public:
  VirtualDevice(std::shared_ptr<VirtualHidBus::Core> core, std::shared_ptr<Interface> target)
      : core_(std::move(core)), interface_(std::move(target)) {
    interface_->handles.push_back(this);  // the caller holds the core's mutex
  }

  ~VirtualDevice() override {
    std::lock_guard lock(core_->mutex);
    auto& handles = interface_->handles;
    handles.erase(std::remove(handles.begin(), handles.end(), this), handles.end());
  }

  int Write(std::span<const std::uint8_t> report) override { return core_->Write(*this, report); }

  int Read(std::span<std::uint8_t> buffer, int timeoutMs) override {
    std::unique_lock lock(core_->mutex);
    const auto ready = [this] { return cancelled_ || !queue_.Empty() || !interface_->attached; };
    if (timeoutMs < 0) {
      arrived_.wait(lock, ready);
    } else if (timeoutMs > 0) {
      arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }  // a poll (0 ms) looks at the queue without waiting
    if (cancelled_) return -1;
    if (queue_.Empty()) return interface_->attached ? 0 : -1;
    const Report report = queue_.Pop();
    const std::size_t count = std::min(buffer.size(), report.size);
    std::copy_n(report.bytes.begin(), count, buffer.begin());
    return static_cast<int>(count);
  }

  int InputReportLength() const override { return interface_->inputLength; }
  int OutputReportLength() const override { return interface_->outputLength; }

  void Cancel() override {
    std::lock_guard lock(core_->mutex);
    cancelled_ = true;
    arrived_.notify_all();
  }

  Interface& Target() { return *interface_; }

  // Called with the core's mutex held.
  void Receive(const Report& report) {
    queue_.Push(report);
    arrived_.notify_all();
  }
  void Detached() { arrived_.notify_all(); }

 private:
  std::shared_ptr<VirtualHidBus::Core> core_;
  std::shared_ptr<Interface> interface_;
  ReportQueue queue_;
  bool cancelled_ = false;
  std::condition_variable arrived_;
};

}  // namespace

// --- core ----------------------------------------------------------------------------------

int VirtualHidBus::Core::Write(VirtualDevice& handle, std::span<const std::uint8_t> report) {
  Notes notes;
  int result = -1;
  {
    std::lock_guard lock(mutex);
    Interface& target = handle.Target();
    if (!target.attached || report.empty() || report[0] != 0 ||
        report.size() > static_cast<std::size_t>(target.outputLength)) {
      return -1;
    }
    Log(target, Direction::kToDevice, report);
    Report frame;
    frame.size = static_cast<std::size_t>(target.outputLength - 1);
    std::copy(report.begin() + 1, report.end(), frame.bytes.begin());
    KeyboardNode* node = Find(target.keyboard);
    const int written = static_cast<int>(report.size());
    result = target.role == Role::kBoot || node == nullptr
                 ? written
                 : HandleFrame(*node, target, frame, written, notes);
  }
  Fire(notes);
  return result;
}

int VirtualHidBus::Core::HandleFrame(KeyboardNode& node, Interface& target, const Report& frame,
                                     int written, Notes& notes) {
  std::optional<FaultRule> fault;
  if (!node.faults.Empty()) fault = node.faults.Take(target.link, frame.bytes[1]);
  if (fault) {
    const FaultKind kind = fault->kind;
    switch (kind) {
      case FaultKind::kWriteError:
        return -1;
      case FaultKind::kSilence:
        return written;
      case FaultKind::kRefuse:
        Deliver(target, MakeRefusal(frame.View()));
        return written;
      case FaultKind::kUnplug:
      case FaultKind::kUnplugReplug:
        Unplug(node, target.link, notes);
        if (kind == FaultKind::kUnplugReplug) ScheduleReplug(node.id, target.link, fault->delay);
        return written;
      default:
        break;
    }
  }
  const FirmwareOutcome outcome = Execute(node, target.link, frame);
  if (outcome.reply) Answer(node, target, *outcome.reply, fault);
  // Effects come after the answer: the end of a screen session is still answered.
  ApplyEffects(node, outcome, notes);
  return written;
}

void VirtualHidBus::Core::Answer(KeyboardNode& node, Interface& target, Report reply,
                                 const std::optional<FaultRule>& fault) {
  if (fault) {
    switch (fault->kind) {
      case FaultKind::kDropReply:
        return;
      case FaultKind::kGarbage:
        reply = Garbage(reply.size);
        break;
      case FaultKind::kWrongEcho:
        ++reply.bytes[2];
        break;
      case FaultKind::kNotification:
        reply = MakeLinkNotification(node.state, target.link != Link::kReceiver || !node.asleep,
                                     reply.size);
        break;
      case FaultKind::kDelay:
        ScheduleReply(CommandInterface(node, target.link), reply, fault->delay);
        return;
      default:
        break;
    }
  }
  Deliver(target, reply);
}

FirmwareOutcome VirtualHidBus::Core::Execute(KeyboardNode& node, Link link, const Report& frame) {
  const Clock::time_point now = Clock::now();
  switch (link) {
    case Link::kCable:
      return HandleKeyboardFrame(node.state, frame.View(), Link::kCable, now);
    case Link::kReceiver:
      return HandleReceiverFrame(node.state, frame.View(), !node.asleep, now);
    case Link::kScreen:
      return HandleScreenPacket(node.state, frame.View());
  }
  return {};
}

void VirtualHidBus::Core::ApplyEffects(KeyboardNode& node, const FirmwareOutcome& outcome,
                                       Notes& notes) {
  if (!outcome.openScreenChannel && !outcome.closeScreenChannel) return;
  const bool appear = outcome.openScreenChannel;
  const auto delay = appear ? node.state.screen.appearDelay : node.state.screen.disappearDelay;
  ++node.screenGeneration;
  if (delay.count() > 0) {
    ScheduleScreenChange(node, appear);
  } else if (appear) {
    Plug(node, Link::kScreen, notes);
  } else {
    Unplug(node, Link::kScreen, notes);
  }
}

void VirtualHidBus::Core::ScheduleScreenChange(KeyboardNode& node, bool appear) {
  const auto delay = appear ? node.state.screen.appearDelay : node.state.screen.disappearDelay;
  scheduler.At(Clock::now() + delay,
               [this, id = node.id, generation = node.screenGeneration, appear] {
                 Notes notes;
                 {
                   std::lock_guard lock(mutex);
                   KeyboardNode* current = Find(id);
                   if (current == nullptr || current->screenGeneration != generation) return;
                   if (appear) {
                     Plug(*current, Link::kScreen, notes);
                   } else {
                     Unplug(*current, Link::kScreen, notes);
                   }
                 }
                 Fire(notes);
               });
}

void VirtualHidBus::Core::ScheduleReply(const std::shared_ptr<Interface>& target,
                                        const Report& reply, std::chrono::milliseconds delay) {
  if (!target) return;
  scheduler.At(Clock::now() + delay, [this, weak = std::weak_ptr<Interface>(target), reply] {
    std::lock_guard lock(mutex);
    const auto current = weak.lock();
    if (current && current->attached) Deliver(*current, reply);
  });
}

void VirtualHidBus::Core::ScheduleReplug(KeyboardId id, Link link,
                                         std::chrono::milliseconds delay) {
  if (link == Link::kScreen) return;  // the channel only comes back on request
  scheduler.At(Clock::now() + delay, [this, id, link] {
    Notes notes;
    {
      std::lock_guard lock(mutex);
      KeyboardNode* node = Find(id);
      if (node != nullptr && node->links[LinkSlot(link)].empty()) Plug(*node, link, notes);
    }
    Fire(notes);
  });
}

void VirtualHidBus::Core::Fire(const Notes& notes) {
  if (notes.empty()) return;
  std::lock_guard lock(notifierMutex);
  if (bus == nullptr) return;
  for (const HotPlugNote& note : notes) bus->NotifyHotPlug(note.event, note.interfacePath);
}

KeyboardNode* VirtualHidBus::Core::Find(KeyboardId id) {
  const auto found = keyboards.find(id);
  return found == keyboards.end() ? nullptr : found->second.get();
}

std::shared_ptr<Interface> VirtualHidBus::Core::FindAttached(const std::string& path) {
  for (const auto& candidate : attached) {
    if (candidate->info.path == path ||
        base::EqualsIgnoreCaseAscii(candidate->info.interfacePath, path)) {
      return candidate;
    }
  }
  return nullptr;
}

std::shared_ptr<Interface> VirtualHidBus::Core::CommandInterface(KeyboardNode& node, Link link) {
  for (const auto& candidate : node.links[LinkSlot(link)]) {
    if (candidate->role != Role::kBoot) return candidate;
  }
  return nullptr;
}

std::shared_ptr<Interface> VirtualHidBus::Core::MakeInterface(const KeyboardNode& node, Link link,
                                                              int number, Role role) const {
  auto made = std::make_shared<Interface>();
  made->role = role;
  made->keyboard = node.id;
  made->link = link;
  device::HidDeviceInfo& info = made->info;
  const KeyboardHardware& hardware = node.hardware;
  info.vendorId = link == Link::kScreen ? kScreenChannelId : hardware.vendorId;
  info.productId = link == Link::kScreen     ? kScreenChannelId
                   : link == Link::kReceiver ? hardware.receiverProductId
                                             : hardware.cableProductId;
  info.productString = link == Link::kScreen     ? "LCD Update"
                       : link == Link::kReceiver ? hardware.receiverProductString
                                                 : hardware.cableProductString;
  info.releaseNumber = hardware.releaseNumber;
  info.interfaceNumber = number;
  char instance[32];
  std::snprintf(instance, sizeof instance, "SIM&%04X&%c", static_cast<unsigned>(node.id) & 0xFFFF,
                LinkLetter(link));
  info.interfacePath = device::MakeInterfacePath(info.vendorId, info.productId, number, instance);
  info.path = info.interfacePath;
  if (role == Role::kBoot) {
    info.usagePage = 0x01;
    info.usage = 0x06;
    made->inputLength = kBootInputReportLength;
    made->outputLength = kBootOutputReportLength;
  } else if (role == Role::kScreen) {
    info.usagePage = kScreenUsagePage;
    info.usage = kScreenUsage;
  } else {
    info.usagePage = kCommandUsagePage;
    info.usage = kCommandUsage;
    const int length = link == Link::kReceiver ? kReceiverReportLength : kCommandReportLength;
    made->inputLength = length;
    made->outputLength = length;
  }
  return made;
}

void VirtualHidBus::Core::Plug(KeyboardNode& node, Link link, Notes& notes) {
  auto& interfaces = node.links[LinkSlot(link)];
  if (!interfaces.empty()) return;
  if (link == Link::kScreen) {
    if (node.links[LinkSlot(Link::kCable)].empty()) return;  // the channel needs the cable
    interfaces.push_back(MakeInterface(node, link, 0, Role::kScreen));
  } else {
    interfaces.push_back(MakeInterface(node, link, 0, Role::kBoot));
    interfaces.push_back(MakeInterface(node, link, 1, Role::kCommand));
  }
  for (const auto& added : interfaces) {
    attached.push_back(added);
    notes.push_back({device::HotPlugEvent::kArrival, added->info.interfacePath});
  }
}

void VirtualHidBus::Core::Unplug(KeyboardNode& node, Link link, Notes& notes) {
  if (link == Link::kCable) Unplug(node, Link::kScreen, notes);
  auto& interfaces = node.links[LinkSlot(link)];
  for (const auto& removed : interfaces) {
    removed->attached = false;
    for (VirtualDevice* handle : removed->handles) handle->Detached();
    attached.erase(std::remove(attached.begin(), attached.end(), removed), attached.end());
    notes.push_back({device::HotPlugEvent::kRemoval, removed->info.interfacePath});
  }
  interfaces.clear();
}

void VirtualHidBus::Core::Deliver(Interface& target, const Report& report) {
  Log(target, Direction::kFromDevice, report.View());
  for (VirtualDevice* handle : target.handles) handle->Receive(report);
}

void VirtualHidBus::Core::Log(const Interface& target, Direction direction,
                              std::span<const std::uint8_t> bytes) {
  if (!logging) return;
  LoggedFrame frame{Clock::now(), target.keyboard, target.link, direction,
                    std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
  if (base::DebugLogEnabled()) base::DebugLog("%s", FormatLoggedFrame(frame, origin).c_str());
  log.push_back(std::move(frame));
}

Report VirtualHidBus::Core::Garbage(std::size_t size) {
  Report report;
  report.size = size;
  for (std::size_t i = 0; i < size; ++i) {
    garbageState ^= garbageState << 13;
    garbageState ^= garbageState >> 17;
    garbageState ^= garbageState << 5;
    report.bytes[i] = static_cast<std::uint8_t>(garbageState);
  }
  // Noise, not by chance a frame, a notification or a status.
  if (report.bytes[0] == 0xAA) report.bytes[0] = 0x5A;
  if (size > 7 && (report.bytes[7] == kStatusAccepted || report.bytes[7] == kStatusRefused)) {
    report.bytes[7] ^= 0xF0;
  }
  return report;
}

// --- bus -----------------------------------------------------------------------------------

VirtualHidBus::VirtualHidBus() : core_(std::make_shared<Core>()) {
  core_->bus = this;
}

VirtualHidBus::~VirtualHidBus() {
  core_->scheduler.Stop();
  {
    std::lock_guard lock(core_->notifierMutex);
    core_->bus = nullptr;
  }
  // Handles that outlive the bus find their devices gone.
  std::lock_guard lock(core_->mutex);
  for (const auto& removed : core_->attached) {
    removed->attached = false;
    for (VirtualDevice* handle : removed->handles) handle->Detached();
  }
  core_->attached.clear();
}

std::vector<device::HidDeviceInfo> VirtualHidBus::Enumerate(std::uint16_t vendorId,
                                                            std::uint16_t productId) {
  std::lock_guard lock(core_->mutex);
  std::vector<device::HidDeviceInfo> found;
  for (const auto& candidate : core_->attached) {
    if (vendorId != 0 && candidate->info.vendorId != vendorId) continue;
    if (productId != 0 && candidate->info.productId != productId) continue;
    found.push_back(candidate->info);
  }
  return found;
}

std::unique_ptr<device::HidDevice> VirtualHidBus::Open(const std::string& path) {
  std::lock_guard lock(core_->mutex);
  auto target = core_->FindAttached(path);
  if (!target) return nullptr;
  return std::make_unique<VirtualDevice>(core_, std::move(target));
}

std::optional<device::HidCapabilities> VirtualHidBus::QueryCapabilities(
    const std::string& interfacePath) {
  std::lock_guard lock(core_->mutex);
  const auto target = core_->FindAttached(interfacePath);
  if (!target) return std::nullopt;
  return device::HidCapabilities{target->info.vendorId, target->info.productId,
                                 target->info.usagePage, target->info.usage};
}

KeyboardId VirtualHidBus::AddKeyboard(const KeyboardHardware& hardware, KeyboardState state) {
  std::lock_guard lock(core_->mutex);
  auto node = std::make_unique<KeyboardNode>();
  node->id = core_->nextId++;
  node->hardware = hardware;
  node->state = std::move(state);
  const KeyboardId id = node->id;
  core_->keyboards.emplace(id, std::move(node));
  return id;
}

std::vector<KeyboardId> VirtualHidBus::Keyboards() const {
  std::lock_guard lock(core_->mutex);
  std::vector<KeyboardId> ids;
  for (const auto& [id, node] : core_->keyboards) ids.push_back(id);
  return ids;
}

std::optional<KeyboardHardware> VirtualHidBus::Hardware(KeyboardId keyboard) const {
  std::lock_guard lock(core_->mutex);
  const KeyboardNode* node = core_->Find(keyboard);
  if (node == nullptr) return std::nullopt;
  return node->hardware;
}

namespace {

bool HasLink(const KeyboardHardware& hardware, Link link) {
  return link == Link::kCable ? hardware.cableProductId != 0 : hardware.receiverProductId != 0;
}

}  // namespace

bool VirtualHidBus::PlugCable(KeyboardId keyboard) {
  Notes notes;
  {
    std::lock_guard lock(core_->mutex);
    KeyboardNode* node = core_->Find(keyboard);
    if (node == nullptr || !HasLink(node->hardware, Link::kCable) ||
        !node->links[LinkSlot(Link::kCable)].empty()) {
      return false;
    }
    core_->Plug(*node, Link::kCable, notes);
  }
  core_->Fire(notes);
  return true;
}

bool VirtualHidBus::UnplugCable(KeyboardId keyboard) {
  Notes notes;
  {
    std::lock_guard lock(core_->mutex);
    KeyboardNode* node = core_->Find(keyboard);
    if (node == nullptr || node->links[LinkSlot(Link::kCable)].empty()) return false;
    core_->Unplug(*node, Link::kCable, notes);
  }
  core_->Fire(notes);
  return true;
}

bool VirtualHidBus::PlugReceiver(KeyboardId keyboard) {
  Notes notes;
  {
    std::lock_guard lock(core_->mutex);
    KeyboardNode* node = core_->Find(keyboard);
    if (node == nullptr || !HasLink(node->hardware, Link::kReceiver) ||
        !node->links[LinkSlot(Link::kReceiver)].empty()) {
      return false;
    }
    core_->Plug(*node, Link::kReceiver, notes);
  }
  core_->Fire(notes);
  return true;
}

bool VirtualHidBus::UnplugReceiver(KeyboardId keyboard) {
  Notes notes;
  {
    std::lock_guard lock(core_->mutex);
    KeyboardNode* node = core_->Find(keyboard);
    if (node == nullptr || node->links[LinkSlot(Link::kReceiver)].empty()) return false;
    core_->Unplug(*node, Link::kReceiver, notes);
  }
  core_->Fire(notes);
  return true;
}

bool VirtualHidBus::IsPlugged(KeyboardId keyboard, Link link) const {
  std::lock_guard lock(core_->mutex);
  const KeyboardNode* node = core_->Find(keyboard);
  return node != nullptr && !node->links[LinkSlot(link)].empty();
}

bool VirtualHidBus::SetAsleep(KeyboardId keyboard, bool asleep) {
  std::lock_guard lock(core_->mutex);
  KeyboardNode* node = core_->Find(keyboard);
  if (node == nullptr || node->asleep == asleep) return false;
  node->asleep = asleep;
  if (const auto receiver = core_->CommandInterface(*node, Link::kReceiver)) {
    core_->Deliver(*receiver,
                   MakeLinkNotification(node->state, !asleep, receiver->inputLength - 1));
  }
  return true;
}

bool VirtualHidBus::IsAsleep(KeyboardId keyboard) const {
  std::lock_guard lock(core_->mutex);
  const KeyboardNode* node = core_->Find(keyboard);
  return node != nullptr && node->asleep;
}

std::optional<KeyboardState> VirtualHidBus::State(KeyboardId keyboard) const {
  std::lock_guard lock(core_->mutex);
  const KeyboardNode* node = core_->Find(keyboard);
  if (node == nullptr) return std::nullopt;
  return node->state;
}

bool VirtualHidBus::SetState(KeyboardId keyboard, KeyboardState state) {
  std::lock_guard lock(core_->mutex);
  KeyboardNode* node = core_->Find(keyboard);
  if (node == nullptr) return false;
  node->state = std::move(state);
  return true;
}

bool VirtualHidBus::ModifyState(KeyboardId keyboard,
                                const std::function<void(KeyboardState&)>& change) {
  std::lock_guard lock(core_->mutex);
  KeyboardNode* node = core_->Find(keyboard);
  if (node == nullptr) return false;
  change(node->state);
  return true;
}

bool VirtualHidBus::AddFault(KeyboardId keyboard, const FaultRule& rule) {
  std::lock_guard lock(core_->mutex);
  KeyboardNode* node = core_->Find(keyboard);
  if (node == nullptr) return false;
  node->faults.Add(rule);
  return true;
}

void VirtualHidBus::ClearFaults(KeyboardId keyboard) {
  std::lock_guard lock(core_->mutex);
  if (KeyboardNode* node = core_->Find(keyboard)) node->faults.Clear();
}

std::size_t VirtualHidBus::PendingFaults(KeyboardId keyboard) const {
  std::lock_guard lock(core_->mutex);
  const KeyboardNode* node = core_->Find(keyboard);
  return node == nullptr ? 0 : node->faults.Size();
}

void VirtualHidBus::SetFrameLogging(bool enabled) {
  std::lock_guard lock(core_->mutex);
  core_->logging = enabled;
}

std::vector<LoggedFrame> VirtualHidBus::FrameLog() const {
  std::lock_guard lock(core_->mutex);
  return core_->log;
}

std::string VirtualHidBus::FrameLogText() const {
  std::lock_guard lock(core_->mutex);
  std::string text;
  for (const LoggedFrame& frame : core_->log) {
    text += FormatLoggedFrame(frame, core_->origin);
    text += '\n';
  }
  return text;
}

void VirtualHidBus::ClearFrameLog() {
  std::lock_guard lock(core_->mutex);
  core_->log.clear();
}

std::string FormatLoggedFrame(const LoggedFrame& frame, Clock::time_point origin) {
  const double ms = std::chrono::duration<double, std::milli>(frame.time - origin).count();
  char head[64];
  std::snprintf(head, sizeof head, "%10.3f ms kb%d %-8s %s", ms, frame.keyboard,
                LinkName(frame.link), frame.direction == Direction::kToDevice ? "->" : "<-");
  std::string line = head;
  std::size_t shown = frame.bytes.size();
  while (shown > 0 && frame.bytes[shown - 1] == 0) --shown;
  for (std::size_t i = 0; i < shown; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", frame.bytes[i]);
    line += hex;
  }
  if (shown < frame.bytes.size()) {
    line += " +" + std::to_string(frame.bytes.size() - shown) + "x00";
  }
  return line;
}

}  // namespace sim
