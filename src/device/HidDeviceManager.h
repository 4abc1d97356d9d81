#pragma once
// The device link: finds the catalogue's keyboards and receivers among the HID interfaces,
// keeps one record per opened command interface, chooses the handle that carries the
// commands of the selected model, and moves frames to and from it.
//
// Threading: the device worker makes every call, except SetSelectedModel and
// ClearCommandDevice, which the UI thread may call at any time, and
// QualifiesAsCommandInterface, which touches no state of the link. Records are created and
// destroyed on the worker only; the cached command choice is tagged with the model it was
// made for, so a selection changed in the middle of a choice is never served the old handle
// after the current exchange.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/HidApi.h"

namespace protocol {
struct Chunk;
}

namespace device {

struct ReportGeometry;

// The keyboard's command interface.
inline constexpr std::uint16_t kCommandUsagePage = 0xFF60;
inline constexpr std::uint16_t kCommandUsage = 0x61;

// Connection modes of the catalogue.
inline constexpr int kModeCable = 0;
inline constexpr int kModeReceiver = 1;
inline constexpr int kModeOtherLink = 2;

struct CatalogueEntry {
  int vendorId = 0;
  int productId = 0;
  std::string productName;  // empty: any product string
  int modelId = 0;
  int mode = 0;
};

// A copy of a device record without its handle.
struct DeviceRecordInfo {
  int index = 0;               // position in the list when it was added
  std::uint16_t vendorId = 0;  // of the opened interface (for a receiver: the receiver's)
  std::uint16_t productId = 0;
  std::string path;
  std::string interfacePath;
  std::string productString;  // the interface's HID product string
  std::uint16_t releaseNumber = 0;
  int modelId = 0;  // of the keyboard behind it; 0 = unknown
  int mode = 0;
  int online = 1;
  int battery = 100;  // 100 until the keyboard reports
  int charging = 0;
  bool batteryReported = false;  // the keyboard answered a battery request since enumeration
};

// One opened command interface.
struct DeviceRecord {
  DeviceRecordInfo info;
  std::unique_ptr<HidDevice> handle;
};

class HidDeviceManager {
 public:
  using Sleeper = std::function<void(std::chrono::milliseconds)>;
  using NotifyHandler = std::function<void(bool online)>;

  explicit HidDeviceManager(HidApi& hid);
  ~HidDeviceManager();
  HidDeviceManager(const HidDeviceManager&) = delete;
  HidDeviceManager& operator=(const HidDeviceManager&) = delete;

  // Both are set before the worker starts. The notify handler receives the link-state
  // notifications read in the middle of a command exchange, on the worker thread.
  void SetNotifyHandler(NotifyHandler handler);
  // Every pause of the link goes through the sleeper (default: std::this_thread::sleep_for).
  void SetSleeper(Sleeper sleeper);

  // Catalogue and records.
  void AddCatalogueEntry(const CatalogueEntry& entry);
  void ClearCatalogue();
  // Replaces the records with one per attached command interface of the catalogue.
  void EnumerateDevice();
  void CloseAll();
  bool IsOpened() const;
  // All records when no model is selected, else those of the selected model; false when
  // there is no record at all.
  bool GetDevices(std::vector<DeviceRecordInfo>& records) const;

  // Look-ups over the records.
  int ConnectionKind() const;  // of the selected model: 0, 1, 2, or -1 when not attached
  int OnlineState(int modelId, int mode) const;  // -1 when no such record
  bool DirectBattery(int modelId, int& battery, int& charging) const;
  // Battery of the first record of the model in the given mode; false when none.
  bool ModeBattery(int modelId, int mode, int& battery, int& charging) const;
  int FindPresence(int vendorId, int productId, const std::string& productName, int mode) const;

  // Look-ups over the catalogue: an entry fits when both ids are equal and its product name
  // is empty or equal to the given product string.
  bool IsKnown(int vendorId, int productId, const std::string& productString) const;
  int ModelOf(int vendorId, int productId, const std::string& productString) const;
  int ModeOf(int vendorId, int productId, const std::string& productString) const;

  // Whether an arriving interface is a command interface (usage page 0xFF60, usage 0x61).
  bool QualifiesAsCommandInterface(const std::string& interfacePath) const;

  // The command handle.
  HidDevice* GetCommandDevice();
  void SetSelectedModel(int modelId);  // also clears the cached command handle
  int GetSelectedModel() const;
  void ClearCommandDevice();
  int PacingDelayMs() const;

  // Frames and transfers on the command handle; each is false at once, sending nothing,
  // when there is none.
  //
  // SendFrame: bytes 0 to 63 hold the request (its length byte is cut to the chunk size) and
  // then the reply, zeros when none came. False when nothing was written or no reply came;
  // a refusal is a reply (status byte 7).
  bool SendFrame(std::array<std::uint8_t, 65>& frame);
  // The buffer is the payload and receives the data of the replies. True only when every
  // chunk was accepted; otherwise the buffer keeps what it held. An empty buffer sends
  // nothing and fails.
  bool TransferBlock(std::uint8_t command, std::span<std::uint8_t> buffer);
  // For streams: no pacing, a 36 ms reply wait, and a reply counts only when it echoes the
  // command and the chunk's offset.
  bool TransferBlockEcho(std::uint8_t command, std::span<std::uint8_t> buffer);
  // One frame without pacing or acknowledgement; the frame then holds what came back within
  // 2 ms (zeros when nothing). False only when it could not be written.
  bool SendRawFrame(std::span<std::uint8_t, 64> frame);
  // The data bytes one frame carries on the command interface (24 or 56); 0 when there is no
  // usable command interface.
  std::size_t CommandChunkSize();
  // A pause between unacknowledged frames, through the link's sleeper.
  void Pause(std::chrono::milliseconds duration) { Sleep(duration); }
  bool BracketOpen();
  bool BracketClose();

  // The screen channel. A report is the report id byte and the packet; after an exchange it
  // holds the reply's first 64 bytes. Without an open channel nothing is sent and the
  // exchange counts as done.
  bool OpenScreenDevice();
  void CloseScreenDevice();
  bool IsScreenDeviceOpen() const;
  bool SendScreenFrame(std::span<std::uint8_t, 65> report);

  // Status queries on a given interface. QueryLinkState is true only when a link state was
  // read; QueryBattery only when a battery report was read.
  bool QueryLinkState(HidDevice* device, bool identity, std::uint16_t& vendorId,
                      std::uint16_t& productId, int& online);
  bool QueryBattery(HidDevice* device, int& level, int& charging);
  // One read that passes a link-state notification to the notify handler.
  int HIDReadTimeout(HidDevice* device, std::span<std::uint8_t> buffer, int timeoutMs);

  // Polls the receivers for one report each (5 ms). True when one arrived; a link-state
  // notification updates its record, and modelId names the keyboard it concerns.
  bool GetDeviceNotify(std::array<std::uint8_t, 65>& frame, int& modelId);

 private:
  enum class Replies { kAny, kEchoed };         // echoed: command and offset must match
  enum class Notifications { kReport, kKeep };  // whether a drained notification is reported

  void Sleep(std::chrono::milliseconds duration);
  const DeviceRecord* FindRecord(int modelId, int mode) const;
  const CatalogueEntry* FittingEntry(int vendorId, int productId,
                                     const std::string& productString) const;
  std::unique_ptr<DeviceRecord> OpenRecord(const HidDeviceInfo& info);
  void ReadLinkState(DeviceRecord& record);
  int ChooseCommandRecord(int modelId);
  void HandleLinkNotification(DeviceRecord& record, std::span<const std::uint8_t> report,
                              int& modelId);
  void Drain(HidDevice& device, Notifications notifications, int timeoutMs);
  bool SendBracket(std::uint8_t command);
  bool Transfer(std::uint8_t command, std::span<std::uint8_t> buffer, Replies replies);
  bool TransferChunk(HidDevice& device, const ReportGeometry& geometry, std::uint8_t command,
                     const protocol::Chunk& chunk, std::span<const std::uint8_t> payload,
                     Replies replies, bool& replyMayBeOwed);
  bool WriteScreenReport(std::span<const std::uint8_t, 65> report);

  HidApi& hid_;
  NotifyHandler notifyHandler_;
  Sleeper sleeper_;
  bool opened_ = false;
  std::vector<std::unique_ptr<DeviceRecord>> devices_;
  std::vector<CatalogueEntry> catalogue_;
  std::atomic<int> selectedModel_{0};
  // The chosen command record: the model it was chosen for in the high half, the record's
  // position plus one in the low half; 0 = choose again.
  std::atomic<std::uint64_t> commandChoice_{0};
  std::atomic<int> pacingDelayMs_{6};
  std::unique_ptr<HidDevice> screenDevice_;
  std::vector<std::uint8_t> transferResult_;  // reused between transfers
};

}  // namespace device
