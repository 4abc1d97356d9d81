// The shared input source and the key capture over it: listeners come and go, the source runs
// while anyone listens, and a capture names keys and buttons as the hooks do, each capture with
// its own held keys.

#include <gtest/gtest.h>

#include "keys/KeyCapture.h"
#include "platform/input/FakeInputSource.h"
// After the project's headers: the kernel's KEY_INFO would clash with the toolkit's.
#include <linux/input-event-codes.h>

namespace {

using platform::input::InputAction;

class KeyCaptureTest : public ::testing::Test {
 protected:
  KeyCaptureTest()
      : router_(
            [this] {
              auto source = std::make_unique<platform::input::FakeInputSource>();
              source_ = source.get();
              return source;
            },
            [](std::function<void()> work) { work(); }) {}

  struct Seen {
    keys::KeyEvent event;
    std::chrono::steady_clock::time_point time;
  };
  keys::KeyCapture::Handler Recorder() {
    return [this](const keys::KeyEvent& event, std::chrono::steady_clock::time_point time) {
      seen_.push_back({event, time});
    };
  }

  platform::input::FakeInputSource* source_ = nullptr;
  keys::InputRouter router_;
  std::vector<Seen> seen_;
};

TEST_F(KeyCaptureTest, TheSourceRunsWhileAnyoneListens) {
  int heard = 0;
  keys::InputRouter::Subscription first =
      router_.Subscribe([&](const platform::input::InputEvent&) { ++heard; });
  ASSERT_TRUE(first.Active());
  keys::InputRouter::Subscription second =
      router_.Subscribe([&](const platform::input::InputEvent&) { heard += 10; });
  source_->EmitKey(KEY_A, InputAction::kPress);
  EXPECT_EQ(heard, 11);
  first.Cancel();
  source_->EmitKey(KEY_A, InputAction::kRelease);
  EXPECT_EQ(heard, 21);
  EXPECT_TRUE(source_->IsStarted());
  second = {};
  EXPECT_FALSE(source_->IsStarted());
  EXPECT_EQ(router_.ListenerCount(), 0u);
}

TEST_F(KeyCaptureTest, ASourceThatDoesNotStartGivesNoSubscription) {
  ASSERT_EQ(router_.Kind(), platform::input::SourceKind::kFake);
  source_->FailNextStart();
  EXPECT_FALSE(router_.Subscribe([](const platform::input::InputEvent&) {}).Active());
  keys::KeyCapture capture(router_);
  EXPECT_TRUE(capture.Begin(Recorder()));
}

TEST_F(KeyCaptureTest, KeysAndButtonsAreNamedAsTheHooksNameThem) {
  keys::KeyCapture capture(router_);
  ASSERT_TRUE(capture.Begin(Recorder(), {.buttons = true, .grab = true}));
  EXPECT_TRUE(capture.HoldsKeyboard());
  source_->EmitKey(KEY_LEFTSHIFT, InputAction::kPress);
  source_->EmitKey(KEY_LEFTSHIFT, InputAction::kRepeat);
  source_->EmitButton(BTN_RIGHT, InputAction::kPress);
  source_->EmitKey(KEY_KP7, InputAction::kPress, /*numLock=*/false);
  source_->EmitKey(KEY_LEFTSHIFT, InputAction::kRelease);
  ASSERT_EQ(seen_.size(), 5u);
  const std::vector<keys::KeyEvent> expected = {
      {keys::event_kind::kKey, keys::kDirectionDown, 160, "Shift"},
      {keys::event_kind::kIgnored, keys::kDirectionDown, 160, "Shift"},
      {keys::event_kind::kMouse, keys::kDirectionDown, 2, "MouseR"},
      {keys::event_kind::kKey, keys::kDirectionDown, 103, seen_[3].event.name},
      {keys::event_kind::kKey, keys::kDirectionUp, 160, "Shift"},
  };
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(seen_[i].event, expected[i]) << i;
  EXPECT_LE(seen_.front().time, seen_.back().time);
  capture.End();
  EXPECT_FALSE(capture.HoldsKeyboard());
  EXPECT_FALSE(source_->IsStarted());
}

TEST_F(KeyCaptureTest, EachCaptureStartsWithNothingHeld) {
  keys::KeyCapture capture(router_);
  ASSERT_TRUE(capture.Begin(Recorder()));
  source_->EmitKey(KEY_A, InputAction::kPress);
  source_->EmitButton(BTN_LEFT, InputAction::kPress);  // buttons were not asked for
  capture.End();
  ASSERT_TRUE(capture.Begin(Recorder()));
  source_->EmitKey(KEY_A, InputAction::kPress);  // A went up while nobody captured
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(seen_[1].event.kind, keys::event_kind::kKey);
}

}  // namespace
