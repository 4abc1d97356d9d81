// The key test's list as raw input comes, and the knob's function list.

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "KeysTestSupport.h"
#include "core/TextTable.h"
#include "keys/KeyTest.h"
#include "keys/KnobFunctions.h"
#include "keys/LinuxKeyCodes.h"

namespace {

using keys::KeyTestState;
using Change = keys::KeyTestState::Change;
using Kind = keys::KeyTestState::Change::Kind;

class KeyTestStateTest : public ::testing::Test {
 protected:
  KeyTestStateTest() : texts_(languages_.AppFolder(), 1033), state_(texts_) {}

  std::optional<Change> Key(int code, bool down, bool numLock = true) {
    const auto record = keys::KeyRecordOfLinuxKey(
        code, down ? keys::KeyTransition::kDown : keys::KeyTransition::kUp, numLock);
    EXPECT_TRUE(record.has_value()) << code;
    return state_.OnRawInput(keys::NameRawInputEvent(*record));
  }
  std::optional<Change> Button(int code, bool down) {
    const auto record = keys::ButtonRecordOfLinuxButton(
        code, down ? keys::KeyTransition::kDown : keys::KeyTransition::kUp);
    EXPECT_TRUE(record.has_value()) << code;
    return state_.OnRawInput(keys::NameRawInputEvent(*record));
  }
  static Change Add(std::string name, int identity) {
    return {Kind::kAdd, std::move(name), identity};
  }
  static Change Remove(int identity) { return {Kind::kRemove, {}, identity}; }

  TestLanguages languages_;
  core::TextTable texts_;
  KeyTestState state_;
};

TEST_F(KeyTestStateTest, AHeldKeyShowsOnceUntilItIsReleased) {
  EXPECT_EQ(Key(KEY_A, true), Add("A", 4));
  EXPECT_EQ(Key(KEY_A, true), std::nullopt);  // repeats
  EXPECT_EQ(Key(KEY_A, false), Remove(4));
  EXPECT_EQ(Key(KEY_A, true), Add("A", 4));
}

TEST_F(KeyTestStateTest, KeysAreNamedAsRawInputNamesThem) {
  // Keypad 7 with NumLock off is the Home key; right Win has no short name.
  EXPECT_EQ(Key(KEY_KP7, true, false), Add("Home", 74));
  EXPECT_EQ(Key(KEY_RIGHTMETA, true), Add("RWindows", 231));
  EXPECT_EQ(Button(BTN_LEFT, true), Add("en220", keys::kMouseButtonIdentity + 1));
  EXPECT_EQ(Button(BTN_MIDDLE, true), Add("en222", keys::kMouseButtonIdentity + 2));
  EXPECT_EQ(Button(BTN_RIGHT, true), Add("en223", keys::kMouseButtonIdentity + 3));
  EXPECT_EQ(Button(BTN_EXTRA, true), Add("Forward", keys::kMouseButtonIdentity + 8));
}

TEST_F(KeyTestStateTest, KeysWithoutUsageAndButtonsDoNotHideEachOther) {
  // Two volume keys held together both show; so do the back button and the D key, whose
  // usage is the back button's number.
  EXPECT_EQ(Key(KEY_VOLUMEUP, true), Add("Vol Up", keys::kKeyWithoutUsageIdentity + 175));
  EXPECT_EQ(Key(KEY_VOLUMEDOWN, true), Add("Vol Down", keys::kKeyWithoutUsageIdentity + 174));
  EXPECT_EQ(Button(BTN_SIDE, true), Add("Backward", keys::kMouseButtonIdentity + 7));
  EXPECT_EQ(Key(KEY_D, true), Add("D", 7));
  EXPECT_EQ(Key(KEY_D, false), Remove(7));
  EXPECT_TRUE(state_.IsHeld(keys::kMouseButtonIdentity + 7));
}

TEST_F(KeyTestStateTest, AKeyReleasedWhileTheTestWasPausedShowsOnItsNextPress) {
  EXPECT_EQ(Key(KEY_A, true), Add("A", 4));
  // The test pauses; A goes up unseen; the test starts again with a clean slate.
  state_.Reset();
  EXPECT_EQ(Key(KEY_A, true), Add("A", 4));
}

TEST(KnobFunctionsTest, TheKnobOffersMediaKeyboardFunctionsAndKeys) {
  TestLanguages languages;
  core::TextTable texts(languages.AppFolder(), 1033);
  keys::KeyFunctionCatalogue catalogue;
  catalogue.Build(texts);
  const std::vector<keys::KeyFunctionEntry> list = keys::BuildKnobFunctionList(catalogue, texts);
  ASSERT_EQ(list.size(), keys::kKnobFunctionCount);
  EXPECT_EQ(list.front(), (keys::KeyFunctionEntry{6, 113, "en260", {}}));
  EXPECT_EQ(list.back(), (keys::KeyFunctionEntry{2, 56, "/?", {}}));
  int mouse = 0;
  for (const auto& entry : list) {
    if (entry.type == 5 || entry.type == 7) ++mouse;
    if (entry.type == 12) {
      EXPECT_NE(entry.code, 18);
      EXPECT_NE(entry.code, 63);
      EXPECT_NE(entry.code, 64);
    }
    if (entry.type == 12 && entry.code == 71) {
      EXPECT_EQ(entry.name, "en268");
    }
    if (entry.type == 12 && entry.code == 73) {
      EXPECT_EQ(entry.name, "en270");
    }
  }
  EXPECT_EQ(mouse, 0);
  EXPECT_TRUE(keys::BuildKnobFunctionList(keys::KeyFunctionCatalogue(), texts).empty());
}

}  // namespace
