#include "sim/Firmware.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr std::size_t kBatterySize = 24;
constexpr std::size_t kKnobTableSize = 56;
constexpr std::size_t kScreenChannelRequestSize = 56;
constexpr std::size_t kMediaTableSize = 128;
constexpr std::size_t kClockDigits = 15;
// The screen-sync stream shows instead of the light mode while frames keep coming.
constexpr auto kStreamHold = std::chrono::seconds(1);

struct Request {
  std::uint8_t command = 0;
  std::size_t offset = 0;
  std::size_t length = 0;
  std::span<const std::uint8_t> data;  // the whole data part
};

Request ParseRequest(std::span<const std::uint8_t> frame) {
  Request request;
  request.command = frame[1];
  request.offset = frame[2] | (frame[3] << 8);
  request.length = frame[4];
  request.data = frame.subspan(kFrameHeaderSize);
  return request;
}

bool IsFrame(std::span<const std::uint8_t> frame) {
  return frame.size() > kFrameHeaderSize && frame.size() <= kMaxReportSize && frame[0] == 0xAA;
}

Report MakeReply(std::span<const std::uint8_t> frame, std::uint8_t status) {
  Report reply;
  reply.size = frame.size();
  std::copy_n(frame.begin(), 5, reply.bytes.begin());
  reply.bytes[7] = status;
  return reply;
}

FirmwareOutcome Reply(Report reply) {
  FirmwareOutcome outcome;
  outcome.reply = reply;
  return outcome;
}

FirmwareOutcome Refuse(std::span<const std::uint8_t> frame) {
  return Reply(MakeReply(frame, kStatusRefused));
}

std::span<std::uint8_t> ReplyData(Report& reply) {
  return {reply.bytes.data() + kFrameHeaderSize, reply.size - kFrameHeaderSize};
}

// The part of [offset, offset + length) that lies inside a table of `size` bytes; empty
// when the request starts beyond it.
std::optional<std::size_t> RangeInside(const Request& request, std::size_t size) {
  if (request.length == 0) return 0;
  if (request.offset >= size) return std::nullopt;
  return std::min(request.length, size - request.offset);
}

FirmwareOutcome ReadTable(std::span<const std::uint8_t> frame, const Request& request,
                          std::span<const std::uint8_t> table) {
  const auto count = RangeInside(request, table.size());
  if (!count) return Refuse(frame);
  Report reply = MakeReply(frame, kStatusAccepted);
  std::copy_n(table.begin() + static_cast<std::ptrdiff_t>(request.offset), *count,
              ReplyData(reply).begin());
  return Reply(reply);
}

// Stores the data part and answers with what the table now holds in that range.
FirmwareOutcome WriteTable(std::span<const std::uint8_t> frame, const Request& request,
                           std::span<std::uint8_t> table) {
  const auto count = RangeInside(request, table.size());
  if (!count) return Refuse(frame);
  std::copy_n(request.data.begin(), *count,
              table.begin() + static_cast<std::ptrdiff_t>(request.offset));
  return ReadTable(frame, request, table);
}

void PutIds(Report& reply, std::uint16_t vendorId, std::uint16_t productId) {
  reply.bytes[9] = static_cast<std::uint8_t>(vendorId & 0xFF);
  reply.bytes[10] = static_cast<std::uint8_t>(vendorId >> 8);
  reply.bytes[11] = static_cast<std::uint8_t>(productId & 0xFF);
  reply.bytes[12] = static_cast<std::uint8_t>(productId >> 8);
}

FirmwareOutcome BracketOpen(KeyboardState& state, std::span<const std::uint8_t> frame) {
  state.bracketOpen = true;
  ++state.counters.bracketOpens;
  Report reply = MakeReply(frame, kStatusAccepted);
  PutIds(reply, state.vendorId, state.productId);  // the identity the receiver passes on
  return Reply(reply);
}

FirmwareOutcome BracketClose(KeyboardState& state, std::span<const std::uint8_t> frame) {
  state.bracketOpen = false;
  ++state.counters.bracketCloses;
  return Reply(MakeReply(frame, kStatusAccepted));
}

Report LinkFrame(std::uint16_t vendorId, std::uint16_t productId, bool online,
                 std::size_t reportSize) {
  Report report;
  report.size = std::clamp(reportSize, kFrameHeaderSize + 8, kMaxReportSize);
  report.bytes[0] = 0xAA;
  report.bytes[1] = command::kLinkStatus;
  PutIds(report, vendorId, productId);
  report.bytes[13] = online ? kLinkOnline : kLinkAsleep;
  return report;
}

// The answer to a status request: the link frame, accepted.
FirmwareOutcome LinkStatus(Report frame) {
  frame.bytes[7] = kStatusAccepted;
  return Reply(frame);
}

FirmwareOutcome Layers(KeyboardState& state, std::span<const std::uint8_t> frame,
                       const Request& request) {
  const std::uint8_t command = request.command;
  if (command <= command::kReadFactoryLayer0 + 3) {
    return ReadTable(frame, request, state.factoryLayers[command - command::kReadFactoryLayer0]);
  }
  const std::size_t layer = (command - command::kReadLayer0) / 2;
  const bool write = (command - command::kReadLayer0) % 2 == 1;
  return write ? WriteTable(frame, request, state.layers[layer])
               : ReadTable(frame, request, state.layers[layer]);
}

FirmwareOutcome CustomSlots(KeyboardState& state, std::span<const std::uint8_t> frame,
                            const Request& request) {
  const std::size_t slot = (request.command - command::kReadCustomSlot0) / 2;
  const bool write = (request.command - command::kReadCustomSlot0) % 2 == 1;
  return write ? WriteTable(frame, request, state.customSlots[slot])
               : ReadTable(frame, request, state.customSlots[slot]);
}

FirmwareOutcome Matrix(KeyboardState& state, std::span<const std::uint8_t> frame,
                       const Request& request) {
  if (!state.info.matrix.present) return Refuse(frame);
  switch (request.command) {
    case command::kReadMatrixPicture:
      return ReadTable(frame, request, state.matrixPicture);
    case command::kWriteMatrixPicture:
      return WriteTable(frame, request, state.matrixPicture);
    case command::kMatrixStream:
      return WriteTable(frame, request, state.matrixStream);
    default:  // kMatrixStart
      ++state.counters.matrixStarts;
      return Reply(MakeReply(frame, kStatusAccepted));
  }
}

FirmwareOutcome LiveColours(const KeyboardState& state, std::span<const std::uint8_t> frame,
                            const Request& request, Clock::time_point now) {
  if (request.command == command::kReadLiveColours && state.info.protocolRevision < 2) {
    return Refuse(frame);
  }
  const ColourTable colours = ComputeLiveColours(state, now);
  return ReadTable(frame, request, colours);
}

FirmwareOutcome Battery(const KeyboardState& state, std::span<const std::uint8_t> frame,
                        const Request& request) {
  std::array<std::uint8_t, kBatterySize> report{};
  if (state.hasBattery) {
    report[0] = state.batteryLevel;
    report[1] = state.batteryCharging;
  }
  return ReadTable(frame, request, report);
}

FirmwareOutcome KnobIndices(const KeyboardState& state, std::span<const std::uint8_t> frame,
                            const Request& request) {
  if (!state.info.knob || state.info.protocolRevision < 2) return Refuse(frame);
  std::array<std::uint8_t, kKnobTableSize> table{};
  std::copy(state.knobIndices.begin(), state.knobIndices.end(), table.begin());
  return ReadTable(frame, request, table);
}

FirmwareOutcome ScreenChannelRequest(KeyboardState& state, std::span<const std::uint8_t> frame,
                                     const Request& request, Link via) {
  if (!state.screen.present || via != Link::kCable) return Refuse(frame);
  std::array<std::uint8_t, kScreenChannelRequestSize> scratch{};
  FirmwareOutcome outcome = WriteTable(frame, request, scratch);
  if (outcome.reply && outcome.reply->bytes[7] == kStatusAccepted) {
    ++state.counters.screenChannelRequests;
    outcome.openScreenChannel = true;
  }
  return outcome;
}

FirmwareOutcome Dispatch(KeyboardState& state, std::span<const std::uint8_t> frame,
                         const Request& request, Link via, Clock::time_point now) {
  const std::uint8_t command = request.command;
  if (command >= command::kReadFactoryLayer0 && command <= command::kWriteLayer0 + 6) {
    return Layers(state, frame, request);
  }
  if (command >= command::kReadCustomSlot0 && command <= command::kWriteCustomSlot0 + 8) {
    return CustomSlots(state, frame, request);
  }
  if (command >= command::kReadMatrixPicture && command <= command::kMatrixStart) {
    return Matrix(state, frame, request);
  }
  switch (command) {
    case command::kBracketOpen:
      return BracketOpen(state, frame);
    case command::kBracketClose:
      return BracketClose(state, frame);
    case command::kReadInformation:
      return ReadTable(frame, request,
                       EncodeInformationBlock(state.info, state.vendorId, state.productId));
    case command::kReadSettings:
      return ReadTable(frame, request, state.settings);
    case command::kWriteSettings:
      state.lastScreenSyncFrame.reset();  // a newly set light mode ends the stream
      return WriteTable(frame, request, state.settings);
    case command::kWriteMacroMemory:
      return WriteTable(frame, request, state.macroMemory);
    case command::kScreenSyncStream:
      state.lastScreenSyncFrame = now;
      return WriteTable(frame, request, state.screenSyncStream);
    case command::kPageVisit:
      ++state.counters.pageVisits;
      return Reply(MakeReply(frame, kStatusAccepted));
    case command::kReadBattery:
      return Battery(state, frame, request);
    case command::kFactoryReset:
      state.FactoryReset();
      return Reply(MakeReply(frame, kStatusAccepted));
    case command::kReadLightIndices:
      return ReadTable(frame, request, state.lightIndices);
    case command::kReadLiveColours:
    case command::kReadLiveColoursOld:
      return LiveColours(state, frame, request, now);
    case command::kReadKnobIndices:
      return KnobIndices(state, frame, request);
    case command::kLinkStatus:  // by cable the keyboard is its own link
      return LinkStatus(LinkFrame(state.vendorId, state.productId, true, frame.size()));
    case command::kOpenScreenChannel:
      return ScreenChannelRequest(state, frame, request, via);
    default:
      return Refuse(frame);
  }
}

bool AllowedOutsideBracket(std::uint8_t command) {
  return command == command::kBracketOpen || command == command::kBracketClose ||
         command == command::kLinkStatus;
}

// --- live colours -------------------------------------------------------------------------

struct Rgb {
  double red = 0;
  double green = 0;
  double blue = 0;
};

Rgb Scaled(Rgb colour, double factor) {
  return {colour.red * factor, colour.green * factor, colour.blue * factor};
}

Rgb Hue(double turn) {
  const double h = (turn - std::floor(turn)) * 6.0;
  const double x = 255.0 * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
  switch (static_cast<int>(h)) {
    case 0:
      return {255, x, 0};
    case 1:
      return {x, 255, 0};
    case 2:
      return {0, 255, x};
    case 3:
      return {0, x, 255};
    case 4:
      return {x, 0, 255};
    default:
      return {255, 0, x};
  }
}

void Put(ColourTable& table, std::size_t light, Rgb colour) {
  const auto clamp = [](double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
  };
  table[light * 3] = clamp(colour.red);
  table[light * 3 + 1] = clamp(colour.green);
  table[light * 3 + 2] = clamp(colour.blue);
}

Rgb FromStream(const ScreenSyncStream& stream, std::size_t light) {
  const unsigned value = stream[light * 2] | (stream[light * 2 + 1] << 8);
  const unsigned red = value >> 11;
  const unsigned green = (value >> 5) & 0x3F;
  const unsigned blue = value & 0x1F;
  return {static_cast<double>((red << 3) | (red >> 2)),
          static_cast<double>((green << 2) | (green >> 4)),
          static_cast<double>((blue << 3) | (blue >> 2))};
}

struct Animation {
  LightRegion region;
  double level = 1.0;  // brightness as a fraction of the maximum
  double speed = 0.0;  // 0 .. maximum speed
  double seconds = 0.0;
};

Rgb AnimatedColour(const KeyboardState& state, const Animation& animation, std::size_t light) {
  const LightRegion& region = animation.region;
  const Rgb single{static_cast<double>(region.red), static_cast<double>(region.green),
                   static_cast<double>(region.blue)};
  const double position = static_cast<double>(light) / kKeyCount;
  if (region.mode == kCustomSlotMode) {
    const std::size_t slot = state.settings[kCustomSlotByte];
    if (slot >= kCustomSlotCount) return {};
    const ColourTable& table = state.customSlots[slot];
    return Scaled({static_cast<double>(table[light * 3]), static_cast<double>(table[light * 3 + 1]),
                   static_cast<double>(table[light * 3 + 2])},
                  animation.level);
  }
  if (region.mode == 0) return {};
  if (region.mode == 1) return Scaled(region.colorful ? Hue(position) : single, animation.level);
  constexpr double kTwoPi = 2.0 * std::numbers::pi;
  if (region.mode % 2 == 0) {  // breathing
    const double rate = 0.2 + 0.2 * animation.speed;
    const double breath = 0.5 - 0.5 * std::cos(kTwoPi * rate * animation.seconds);
    return Scaled(region.colorful ? Hue(position) : single, animation.level * breath);
  }
  const double phase = animation.seconds * 0.1 * (1.0 + animation.speed);  // wave
  if (region.colorful) return Scaled(Hue(position * 4.0 + phase), animation.level);
  const double wave = 0.5 + 0.5 * std::sin(kTwoPi * (position * 8.0 - phase));
  return Scaled(single, animation.level * wave);
}

Animation CurrentAnimation(const KeyboardState& state, Clock::time_point now) {
  Animation animation;
  animation.region = ReadLightRegion(state.settings, LightZone::kZone0);
  const ZoneLimits& limits = state.info.zone0;
  const double maxBrightness = std::max<int>(limits.maxBrightness, 1);
  animation.level = std::min<double>(animation.region.brightness, maxBrightness) / maxBrightness;
  animation.speed = animation.region.speed <= limits.maxSpeed
                        ? static_cast<double>(limits.maxSpeed - animation.region.speed)
                        : 0.0;
  animation.seconds = state.frozenAnimationSeconds
                          ? *state.frozenAnimationSeconds
                          : std::chrono::duration<double>(now - state.animationEpoch).count();
  return animation;
}

// --- screen channel -----------------------------------------------------------------------

struct ScreenPacket {
  std::uint8_t command = 0;
  std::uint32_t address = 0;
  std::size_t count = 0;
  std::span<const std::uint8_t> data;
};

ScreenPacket ParseScreenPacket(std::span<const std::uint8_t> frame) {
  ScreenPacket packet;
  packet.command = frame[1];
  packet.address = frame[2] | (frame[3] << 8) | (static_cast<std::uint32_t>(frame[4]) << 16);
  packet.count = frame[5];
  packet.data = frame.subspan(kFrameHeaderSize);
  return packet;
}

bool ScreenTableData(ScreenState& screen, const ScreenPacket& packet) {
  const std::size_t offset = packet.address & 0xFFFF;
  if (packet.count > packet.data.size() || offset + packet.count > kMediaTableSize) return false;
  std::copy_n(packet.data.begin(), packet.count, screen.mediaTable.begin() + offset);
  return true;
}

bool ScreenCommand(ScreenState& screen, const ScreenPacket& packet, FirmwareOutcome& outcome) {
  switch (packet.command) {
    case screen_command::kBegin:
      screen.sessionOpen = true;
      return true;
    case screen_command::kEnd:
      screen.sessionOpen = false;
      outcome.closeScreenChannel = true;
      return true;
    case screen_command::kTableData:
      return ScreenTableData(screen, packet);
    case screen_command::kCommitTable:
      ++screen.tableCommits;
      return true;
    case screen_command::kSetClock: {
      if (packet.data.size() < kClockDigits) return false;
      std::array<std::uint8_t, kClockDigits> digits{};
      std::copy_n(packet.data.begin(), kClockDigits, digits.begin());
      screen.clockDigits = digits;
      return true;
    }
    case screen_command::kErase:
      return screen.flash.Erase(0, packet.data[0]);
    case screen_command::kWriteData:
      if (packet.count == 0 || packet.count > packet.data.size()) return false;
      return screen.flash.Program(packet.address, packet.data.first(packet.count));
    case screen_command::kPrepareTable:
    case screen_command::kFinish:
    case screen_command::kStartUpload:
    case screen_command::kKeepAlive:
    case screen_command::kWriteMode:
      return true;
    default:
      return false;
  }
}

}  // namespace

FirmwareOutcome HandleKeyboardFrame(KeyboardState& state, std::span<const std::uint8_t> frame,
                                    Link via, Clock::time_point now) {
  if (!IsFrame(frame)) return {};
  ++state.counters.framesHandled;
  ++state.counters.framesByCommand[frame[1]];
  const Request request = ParseRequest(frame);
  if (request.length > request.data.size()) return Refuse(frame);
  if (state.requireBracket && !state.bracketOpen && !AllowedOutsideBracket(request.command)) {
    return Refuse(frame);
  }
  return Dispatch(state, frame, request, via, now);
}

FirmwareOutcome HandleReceiverFrame(KeyboardState& state, std::span<const std::uint8_t> frame,
                                    bool keyboardAwake, Clock::time_point now) {
  if (!IsFrame(frame)) return {};
  const std::uint8_t command = frame[1];
  // What the receiver answers itself counts here; what it forwards counts at the keyboard.
  if (command == command::kLinkStatus || !keyboardAwake) ++state.counters.framesByCommand[command];
  if (command == command::kLinkStatus) {
    return LinkStatus(MakeLinkNotification(state, keyboardAwake, frame.size()));
  }
  if (keyboardAwake) return HandleKeyboardFrame(state, frame, Link::kReceiver, now);
  if (command == command::kBracketOpen || command == command::kBracketClose) {
    return Reply(MakeReply(frame, kStatusAccepted));  // no identity: nobody to ask
  }
  return Refuse(frame);
}

FirmwareOutcome HandleScreenPacket(KeyboardState& state, std::span<const std::uint8_t> frame) {
  if (!IsFrame(frame)) return {};
  const ScreenPacket packet = ParseScreenPacket(frame);
  ++state.screen.packetsByCommand[packet.command];
  FirmwareOutcome outcome;
  // Everything but the begin command belongs to a session.
  const bool inSession = state.screen.sessionOpen || packet.command == screen_command::kBegin;
  if (!inSession) ++state.screen.refusedOutsideSession;
  const bool accepted = inSession && ScreenCommand(state.screen, packet, outcome);
  if (accepted) state.screen.commands.push_back(packet.command);
  Report reply;
  reply.size = frame.size();
  std::copy(frame.begin(), frame.end(), reply.bytes.begin());
  reply.bytes[7] = accepted ? kStatusAccepted : kStatusRefused;
  outcome.reply = reply;
  return outcome;
}

Report MakeRefusal(std::span<const std::uint8_t> frame) {
  return MakeReply(frame.first(std::min(frame.size(), kMaxReportSize)), kStatusRefused);
}

Report MakeLinkNotification(const KeyboardState& state, bool online, std::size_t reportSize) {
  const bool hideProductId = online && state.receiver.reportsZeroProductId;
  return LinkFrame(state.vendorId, hideProductId ? 0 : state.productId, online, reportSize);
}

ColourTable ComputeLiveColours(const KeyboardState& state, Clock::time_point now) {
  std::array<bool, kKeyCount> lit{};
  for (const std::uint8_t light : state.lightIndices) {
    if (light < kKeyCount) lit[light] = true;
  }
  ColourTable table{};
  const bool streaming =
      state.lastScreenSyncFrame && now - *state.lastScreenSyncFrame < kStreamHold;
  const Animation animation = CurrentAnimation(state, now);
  for (std::size_t light = 0; light < kKeyCount; ++light) {
    if (!lit[light]) continue;
    Put(table, light,
        streaming ? FromStream(state.screenSyncStream, light)
                  : AnimatedColour(state, animation, light));
  }
  return table;
}

}  // namespace sim
