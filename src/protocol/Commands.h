#pragma once
// The keyboard's command bytes and the lengths of what each one carries. Every command travels
// in the 64-byte frame of Frame.h; "block" commands are chunked and acknowledged, "frame"
// commands are a single report, "echo" commands are chunked transfers whose replies must echo
// the command and offset.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace protocol {

namespace command {
// Bracket around every task's commands (frames without offset, length or data).
inline constexpr std::uint8_t kBracketOpen = 0x10;
inline constexpr std::uint8_t kBracketClose = 0x11;

// Device information block, read (block, kDeviceInfoLength bytes).
inline constexpr std::uint8_t kReadDeviceInfo = 0x12;
// Settings block: lighting regions and system settings (block, kSettingsBlockLength bytes).
inline constexpr std::uint8_t kReadSettings = 0x14;
inline constexpr std::uint8_t kWriteSettings = 0x15;

// Factory key codes of layers 0 to 3, read (block, kLayerTableLength bytes each).
inline constexpr std::uint8_t kReadFactoryLayer0 = 0x16;
inline constexpr std::uint8_t kReadFactoryLayer1 = 0x17;
inline constexpr std::uint8_t kReadFactoryLayer2 = 0x18;
inline constexpr std::uint8_t kReadFactoryLayer3 = 0x19;
// Current key assignments of layers 0 to 3: read and write pairs (block of kLayerTableLength
// bytes, or a single frame of 3 bytes at offset 3 x key index for the write).
inline constexpr std::uint8_t kReadLayer0 = 0x1A;
inline constexpr std::uint8_t kWriteLayer0 = 0x1B;
inline constexpr std::uint8_t kReadLayer1 = 0x1C;
inline constexpr std::uint8_t kWriteLayer1 = 0x1D;
inline constexpr std::uint8_t kReadLayer2 = 0x1E;
inline constexpr std::uint8_t kWriteLayer2 = 0x1F;
inline constexpr std::uint8_t kReadLayer3 = 0x20;
inline constexpr std::uint8_t kWriteLayer3 = 0x21;

// Per-key colours of the custom light slots 128 to 132: read (even) and write (odd) pairs
// (block, kColorTableLength bytes).
inline constexpr std::uint8_t kReadSlot128 = 0x22;
inline constexpr std::uint8_t kWriteSlot128 = 0x23;
inline constexpr std::uint8_t kReadSlot129 = 0x24;
inline constexpr std::uint8_t kWriteSlot129 = 0x25;
inline constexpr std::uint8_t kReadSlot130 = 0x26;
inline constexpr std::uint8_t kWriteSlot130 = 0x27;
inline constexpr std::uint8_t kReadSlot131 = 0x28;
inline constexpr std::uint8_t kWriteSlot131 = 0x29;
inline constexpr std::uint8_t kReadSlot132 = 0x2A;
inline constexpr std::uint8_t kWriteSlot132 = 0x2B;

// Macro memory image, written as unacknowledged raw frames.
inline constexpr std::uint8_t kWriteMacroImage = 0x2D;
// Screen-sync colour stream (echo, 2 bytes per light).
inline constexpr std::uint8_t kScreenSyncStream = 0x2E;
// Sent when the screen-sync page is first entered (frame, length byte kFrameDataLength).
inline constexpr std::uint8_t kScreenSyncStart = 0x2F;
// Battery report, read (block, kBatteryReportLength bytes).
inline constexpr std::uint8_t kReadBattery = 0x30;
// Factory reset (frame, length byte kFrameDataLength, no data).
inline constexpr std::uint8_t kFactoryReset = 0x31;
// Key index to light index table, read (block, kLightIndexTableLength bytes).
inline constexpr std::uint8_t kReadLightIndexTable = 0x32;
// Live key colours (echo, kColorTableLength bytes): protocol revision 2 and later, and below 2.
inline constexpr std::uint8_t kReadLiveColors = 0x34;
inline constexpr std::uint8_t kReadLiveColorsBeforeRevision2 = 0x36;
// Read and discarded during the keyboard read when light zone 2 is present (block,
// kDiscardedReadLength bytes); the same byte as the older live colour read.
inline constexpr std::uint8_t kReadZone2Extra = 0x36;
// Matrix picture, read and write (echo, kMatrixPictureLength bytes). The read byte is also
// read and discarded (block, kDiscardedReadLength bytes) when the matrix light is present.
inline constexpr std::uint8_t kReadMatrixPicture = 0x3A;
inline constexpr std::uint8_t kWriteMatrixPicture = 0x3B;
// Matrix colour stream (echo, kMatrixStreamLength bytes).
inline constexpr std::uint8_t kMatrixStream = 0x3C;
// Sent before every matrix light settings write (frame, length byte kFrameDataLength).
inline constexpr std::uint8_t kMatrixLightStart = 0x3D;
// Key indices of the knob actions, read (block, kKnobIndexTableLength bytes).
inline constexpr std::uint8_t kReadKnobIndices = 0x3E;
// Switches the keyboard to its screen-update device (block, kFrameDataLength zero bytes).
inline constexpr std::uint8_t kOpenScreenChannel = 0xE0;
// Link-state notification of a receiver; also the link-state request.
inline constexpr std::uint8_t kLinkState = 0xD0;
}  // namespace command

// Byte counts of the payloads above.
inline constexpr std::size_t kDeviceInfoLength = 56;
inline constexpr std::size_t kSettingsBlockLength = 64;
inline constexpr std::size_t kKeyIndexCount = 128;
inline constexpr std::size_t kKeyEntryLength = 3;
inline constexpr std::size_t kLayerTableLength = kKeyIndexCount * kKeyEntryLength;  // 384
inline constexpr std::size_t kLightIndexTableLength = kKeyIndexCount;               // 128
inline constexpr std::size_t kLightIndexCount = 128;
inline constexpr std::size_t kColorTableLength = kLightIndexCount * 3;  // 384
inline constexpr std::size_t kBatteryReportLength = 24;
inline constexpr std::size_t kDiscardedReadLength = 24;
inline constexpr std::size_t kKnobIndexTableLength = 56;
inline constexpr std::size_t kMatrixCellCount = 49;
inline constexpr std::size_t kMatrixPictureLength = kMatrixCellCount * 3;  // 147
inline constexpr std::size_t kMatrixStreamLength = kMatrixCellCount * 2;   // 98
inline constexpr std::size_t kMacroImageMaxLength = 4224;

inline constexpr int kLayerCount = 4;
inline constexpr int kFirstCustomSlot = 128;
inline constexpr int kLastCustomSlot = 132;

// Commands of one Fn layer (0 to 3); empty for any other layer.
std::optional<std::uint8_t> FactoryLayerReadCommand(int layer);
std::optional<std::uint8_t> LayerReadCommand(int layer);
std::optional<std::uint8_t> LayerWriteCommand(int layer);

// Commands of one custom light slot (128 to 132); empty for any other mode.
std::optional<std::uint8_t> SlotReadCommand(int slot);
std::optional<std::uint8_t> SlotWriteCommand(int slot);

// The live colour read of a keyboard with the given protocol revision.
std::uint8_t LiveColorReadCommand(int protocolRevision);

}  // namespace protocol
