#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "protocol/SystemSettings.h"

namespace {

using protocol::SettingsBlock;
using protocol::SystemSettings;

SettingsBlock Patterned() {
  SettingsBlock block{};
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0xC0 + i);
  return block;
}

// Every byte outside `changed` must be what it was.
void ExpectOnlyChanged(const SettingsBlock& before, const SettingsBlock& after,
                       const std::vector<std::size_t>& changed) {
  for (std::size_t i = 0; i < before.size(); ++i) {
    const bool expectedChange = std::find(changed.begin(), changed.end(), i) != changed.end();
    if (!expectedChange) {
      EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
  }
}

TEST(ProtocolSystemSettings, EachRevisionWritesItsOwnBytesAndKeepsTheRest) {
  const struct {
    int revision;
    std::vector<std::size_t> bytes;  // game, mac, lock, wasd, response, sleep x3
  } cases[] = {
      {2, {38, 39, 40, 41, 42, 46, 47, 48}},
      {5, {38, 39, 40, 41, 42, 46, 47, 48}},
      {1, {29, 30, 31, 32, 33, 35, 36, 37}},
      {0, {29, 30, 31, 32, 33, 35, 36, 37}},
  };
  const SystemSettings settings{1, 0, 1, 1, 8, 10};
  for (const auto& c : cases) {
    const SettingsBlock before = Patterned();
    SettingsBlock block = before;
    protocol::PatchSystemSettings(block, c.revision, settings);
    const std::vector<std::uint8_t> expected = {1, 0, 1, 1, 8, 0x58, 0x02, 0x00};
    for (std::size_t k = 0; k < c.bytes.size(); ++k) {
      EXPECT_EQ(block[c.bytes[k]], expected[k])
          << "revision " << c.revision << " byte " << c.bytes[k];
    }
    ExpectOnlyChanged(before, block, c.bytes);
    EXPECT_EQ(protocol::ReadSystemSettings(block, c.revision), settings);
  }
}

TEST(ProtocolSystemSettings, SleepSecondsAreReadAsWholeMinutes) {
  SettingsBlock block{};
  block[46] = 301 & 0xFF, block[47] = 301 >> 8;
  EXPECT_EQ(protocol::ReadSystemSettings(block, 2).sleepMinutes, 5);
  block = {};
  block[35] = 59;
  EXPECT_EQ(protocol::ReadSystemSettings(block, 1).sleepMinutes, 0);
  block[35] = 0xFF, block[36] = 0xFF, block[37] = 0xFF;
  EXPECT_EQ(protocol::ReadSystemSettings(block, 1).sleepMinutes, 0xFFFFFF / 60);
}

TEST(ProtocolSystemSettings, OutOfRangeStoredValuesStayInsideTheirBytes) {
  SettingsBlock block{};
  protocol::PatchSystemSettings(block, 2, SystemSettings{0x101, 0, 0, 0, 300, -5});
  EXPECT_EQ(block[38], 0x01);
  EXPECT_EQ(block[42], 300 & 0xFF);
  EXPECT_EQ(block[46], 0);
  EXPECT_EQ(block[47], 0);
  EXPECT_EQ(block[48], 0);
  EXPECT_EQ(block[49], 0);  // a huge sleep time never spills past its three bytes
  protocol::PatchSystemSettings(block, 2, SystemSettings{0, 0, 0, 0, 0, 2'000'000'000});
  EXPECT_EQ(protocol::ReadSystemSettings(block, 2).sleepMinutes, protocol::kMaxSleepMinutes);
  EXPECT_EQ(block[49], 0);
}

TEST(ProtocolSystemSettings, BlocksComeOnlyFromLongEnoughReplies) {
  std::vector<std::uint8_t> bytes(64, 7);
  const auto block = protocol::ToSettingsBlock(bytes);
  ASSERT_TRUE(block);
  EXPECT_EQ((*block)[63], 7);
  bytes.resize(63);
  EXPECT_FALSE(protocol::ToSettingsBlock(bytes));
}

}  // namespace
