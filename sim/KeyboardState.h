#pragma once
// Everything a simulated keyboard remembers, open to tests for reading and setting, and the
// byte layouts in which it travels (information block, settings block).

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace sim {

using Clock = std::chrono::steady_clock;

// Command bytes of the keyboard's command interface.
namespace command {
inline constexpr std::uint8_t kBracketOpen = 0x10;
inline constexpr std::uint8_t kBracketClose = 0x11;
inline constexpr std::uint8_t kReadInformation = 0x12;
inline constexpr std::uint8_t kReadSettings = 0x14;
inline constexpr std::uint8_t kWriteSettings = 0x15;
inline constexpr std::uint8_t kReadFactoryLayer0 = 0x16;  // to 0x19 for layers 0 to 3
inline constexpr std::uint8_t kReadLayer0 = 0x1A;         // 0x1A, 0x1C, 0x1E, 0x20
inline constexpr std::uint8_t kWriteLayer0 = 0x1B;        // 0x1B, 0x1D, 0x1F, 0x21
inline constexpr std::uint8_t kReadCustomSlot0 = 0x22;    // even up to 0x2A
inline constexpr std::uint8_t kWriteCustomSlot0 = 0x23;   // odd up to 0x2B
inline constexpr std::uint8_t kWriteMacroMemory = 0x2D;
inline constexpr std::uint8_t kScreenSyncStream = 0x2E;
inline constexpr std::uint8_t kPageVisit = 0x2F;
inline constexpr std::uint8_t kReadBattery = 0x30;
inline constexpr std::uint8_t kFactoryReset = 0x31;
inline constexpr std::uint8_t kReadLightIndices = 0x32;
inline constexpr std::uint8_t kReadLiveColours = 0x34;
inline constexpr std::uint8_t kReadLiveColoursOld = 0x36;
inline constexpr std::uint8_t kReadMatrixPicture = 0x3A;
inline constexpr std::uint8_t kWriteMatrixPicture = 0x3B;
inline constexpr std::uint8_t kMatrixStream = 0x3C;
inline constexpr std::uint8_t kMatrixStart = 0x3D;
inline constexpr std::uint8_t kReadKnobIndices = 0x3E;
inline constexpr std::uint8_t kLinkStatus = 0xD0;
inline constexpr std::uint8_t kOpenScreenChannel = 0xE0;
}  // namespace command

// Command bytes of the screen channel.
namespace screen_command {
inline constexpr std::uint8_t kBegin = 0x10;
inline constexpr std::uint8_t kEnd = 0x11;
inline constexpr std::uint8_t kPrepareTable = 0x14;
inline constexpr std::uint8_t kTableData = 0x15;
inline constexpr std::uint8_t kCommitTable = 0x16;
inline constexpr std::uint8_t kSetClock = 0x17;
inline constexpr std::uint8_t kErase = 0x18;
inline constexpr std::uint8_t kWriteData = 0x19;
inline constexpr std::uint8_t kFinish = 0x1A;
inline constexpr std::uint8_t kStartUpload = 0x1B;
inline constexpr std::uint8_t kKeepAlive = 0x1C;
inline constexpr std::uint8_t kWriteMode = 0xE3;
}  // namespace screen_command

inline constexpr std::uint8_t kStatusAccepted = 0x55;
inline constexpr std::uint8_t kStatusRefused = 0x0F;
inline constexpr std::uint8_t kLinkOnline = 4;
inline constexpr std::uint8_t kLinkAsleep = 2;

inline constexpr std::size_t kKeyCount = 128;
inline constexpr std::size_t kLayerCount = 4;
inline constexpr std::size_t kCustomSlotCount = 5;
inline constexpr std::size_t kMatrixCells = 49;
inline constexpr std::size_t kInformationSize = 56;
inline constexpr std::size_t kSettingsSize = 64;
inline constexpr std::size_t kNoLight = 0xFF;

using InformationBlock = std::array<std::uint8_t, kInformationSize>;
using SettingsBlock = std::array<std::uint8_t, kSettingsSize>;
using LayerTable = std::array<std::uint8_t, kKeyCount * 3>;   // 3-byte key entries
using ColourTable = std::array<std::uint8_t, kKeyCount * 3>;  // red, green, blue per light
using LightIndexTable = std::array<std::uint8_t, kKeyCount>;  // 0xFF: key without light
using MatrixPicture = std::array<std::uint8_t, kMatrixCells * 3>;
using MatrixStream = std::array<std::uint8_t, kMatrixCells * 2>;  // RGB 5-6-5
using ScreenSyncStream = std::array<std::uint8_t, 800>;           // RGB 5-6-5 per light

struct ZoneLimits {
  bool present = false;
  std::uint8_t maxBrightness = 4;
  std::uint8_t maxSpeed = 4;
};

// What the information block reports. Zone 0 is always present.
struct DeviceInformation {
  std::uint16_t firmwareVersion = 0x0100;
  std::uint8_t protocolRevision = 2;
  std::uint8_t macroMemoryUnits = 16;  // of 256 bytes
  ZoneLimits zone0{true};
  ZoneLimits zone1;
  ZoneLimits zone2;
  ZoneLimits matrix;  // reported from revision 2 on
  bool knob = false;  // reported from revision 2 on
};

InformationBlock EncodeInformationBlock(const DeviceInformation& info, std::uint16_t vendorId,
                                        std::uint16_t productId);

// Light regions of the settings block. Speed is as on the wire: the maximum minus the speed.
enum class LightZone { kZone0, kZone1, kZone2, kMatrix };

struct LightRegion {
  std::uint8_t mode = 0;
  std::uint8_t brightness = 0;
  std::uint8_t speed = 0;
  std::uint8_t colorful = 0;
  std::uint8_t colorIndex = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const LightRegion&) const = default;
};

inline constexpr std::uint8_t kCustomSlotMode = 0xFD;  // zone 0 mode byte for a custom slot
inline constexpr std::size_t kCustomSlotByte = 10;

LightRegion ReadLightRegion(const SettingsBlock& block, LightZone zone);
void WriteLightRegion(SettingsBlock& block, LightZone zone, const LightRegion& region);

struct SystemSettings {
  std::uint8_t gameMode = 0;
  std::uint8_t macMode = 0;
  std::uint8_t lockWin = 0;
  std::uint8_t wasdSwap = 0;
  std::uint8_t keyResponse = 0;
  std::uint32_t sleepSeconds = 0;  // 24 bits on the wire
  bool operator==(const SystemSettings&) const = default;
};

// Positions of the system settings for a protocol revision (before 2 they sit lower, as
// the matrix light region does not exist).
struct SystemSettingsLayout {
  std::size_t gameMode;
  std::size_t macMode;
  std::size_t lockWin;
  std::size_t wasdSwap;
  std::size_t keyResponse;
  std::size_t sleepSeconds;  // three bytes, little-endian
};
SystemSettingsLayout SystemSettingsLayoutFor(std::uint8_t protocolRevision);

SystemSettings ReadSystemSettings(const SettingsBlock& block, std::uint8_t protocolRevision);
void WriteSystemSettings(SettingsBlock& block, std::uint8_t protocolRevision,
                         const SystemSettings& settings);

// The screen's flash: 64 KB blocks that read 0xFF once erased. Programming can only clear
// bits, as on NOR flash, and the firmware programs only erased bytes: a write that reaches a
// byte that is not erased is refused whole and counted, so a test can see that the host wrote
// over data it had not erased.
struct FlashOperation {
  enum class Kind { kErase, kWrite };
  Kind kind = Kind::kWrite;
  std::uint32_t address = 0;
  std::uint32_t length = 0;
  bool operator==(const FlashOperation&) const = default;
};

struct ScreenFlash {
  static constexpr std::uint32_t kBlockSize = 0x10000;
  std::uint32_t size = 16u * 1024 * 1024;
  std::map<std::uint32_t, std::vector<std::uint8_t>> blocks;  // by block number
  std::vector<FlashOperation> operations;
  std::uint32_t writesOverUnerased = 0;  // refused writes that reached a byte not erased

  std::vector<std::uint8_t> Read(std::uint32_t address, std::uint32_t length) const;
  bool Erase(std::uint32_t firstBlock, std::uint32_t blockCount);
  bool Program(std::uint32_t address, std::span<const std::uint8_t> data);
  // Puts content in place as the factory did, without recording an operation.
  void Preload(std::uint32_t address, std::span<const std::uint8_t> data);
};

struct ScreenState {
  bool present = false;  // the model has a screen
  // Time from an accepted 0xE0 to the channel's arrival, and from the session's end command
  // to its removal.
  std::chrono::milliseconds appearDelay{200};
  std::chrono::milliseconds disappearDelay{20};
  bool sessionOpen = false;  // between the begin (0x10) and end (0x11) commands
  std::array<std::uint8_t, 128> mediaTable{};
  int tableCommits = 0;
  std::optional<std::array<std::uint8_t, 15>> clockDigits;
  std::vector<std::uint8_t> commands;            // every command the channel accepted, in order
  std::map<std::uint8_t, int> packetsByCommand;  // every packet it received, accepted or not
  int refusedOutsideSession = 0;  // packets other than a begin while no session is open
  ScreenFlash flash;
};

struct ReceiverState {
  bool reportsZeroProductId = false;  // some receivers do not know the keyboard's id yet
};

struct SessionCounters {
  int bracketOpens = 0;
  int bracketCloses = 0;
  int factoryResets = 0;
  int matrixStarts = 0;
  int pageVisits = 0;  // command 0x2F
  int screenChannelRequests = 0;
  int framesHandled = 0;
  // Every well-formed frame the keyboard or its receiver received, by command byte, whether it
  // was answered, refused or forwarded.
  std::map<std::uint8_t, int> framesByCommand;
};

struct KeyboardState {
  int modelId = 0;
  // The ids the keyboard reports about itself (through its receiver too).
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;

  DeviceInformation info;
  bool hasBattery = false;
  std::uint8_t batteryLevel = 0;  // 0: no report
  std::uint8_t batteryCharging = 0;

  SettingsBlock settings{};
  SettingsBlock factorySettings{};
  std::array<LayerTable, kLayerCount> factoryLayers{};
  std::array<LayerTable, kLayerCount> layers{};
  LightIndexTable lightIndices{};
  std::array<std::uint8_t, 3> knobIndices{};
  std::array<ColourTable, kCustomSlotCount> customSlots{};
  std::array<ColourTable, kCustomSlotCount> factoryCustomSlots{};
  MatrixPicture matrixPicture{};
  MatrixPicture factoryMatrixPicture{};
  MatrixStream matrixStream{};
  ScreenSyncStream screenSyncStream{};
  std::optional<Clock::time_point> lastScreenSyncFrame;
  std::vector<std::uint8_t> macroMemory;  // macroMemoryUnits x 256 bytes

  // Live colours animate from this moment; a frozen time makes them reproducible.
  Clock::time_point animationEpoch = Clock::now();
  std::optional<double> frozenAnimationSeconds;

  // Refuse every command outside BracketOpen ... BracketClose (off by default).
  bool requireBracket = false;
  bool bracketOpen = false;
  SessionCounters counters;

  ScreenState screen;
  ReceiverState receiver;

  // Restores what command 0x31 restores: layers, settings, custom slots, matrix picture,
  // macro memory.
  void FactoryReset();
};

}  // namespace sim
