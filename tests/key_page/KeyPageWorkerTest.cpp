// The key page with the device worker running on its own thread, as in the application: a burst
// of changes made on the UI thread while the worker sends reaches the keyboard whole.

#include "KeyPageFixture.h"

namespace {

class KeyPageWorkerTest : public KeyPageFixture {
 protected:
  KeyPageWorkerTest() : KeyPageFixture(/*startWorker=*/true) {}
  // The keyboard is there before the window starts its worker.
  void Prepare() override { Plug(101); }

  bool WaitFor(const std::function<bool()>& done) {
    return backend.RunUntil(done, std::chrono::seconds(20));
  }
};

TEST_F(KeyPageWorkerTest, ABurstOfChangesWhileTheWorkerSendsAllArrive) {
  ASSERT_TRUE(WaitFor([this] {
    const std::vector<int> profiles = ProfileIds();
    return profiles.size() == 3 && Database().CountKeyAssignments(profiles[2]) > 0 &&
           dialog->Tasks().IsEmpty();
  }));
  AnswerMessages(Tessel::kResultOK);
  ASSERT_TRUE(dialog->SwitchToPage(kPageKeys));
  Assign(0x04, key_ids::kTabMedia, 104);
  Assign(0x05, key_ids::kTabMedia, 105);
  ChooseLayer(1);
  Assign(0x06, key_ids::kTabKeys, 0x09);
  Assign(0x04, key_ids::kTabShortcuts, 155);
  EXPECT_TRUE(WaitFor([this] {
    return Current(0, 0x04) == Entry{0x30, 0xE9, 0x00} &&
           Current(0, 0x05) == Entry{0x30, 0xEA, 0x00} &&
           Current(1, 0x06) == Entry{0x10, 0x00, 0x09} &&
           Current(1, 0x04) == Entry{0x10, 0x01, 0x06};
  }));
  // The task that sent them closes its bracket.
  EXPECT_TRUE(
      WaitFor([this] { return Service().WaitingKeyWrites().empty() && !Keyboard().bracketOpen; }));
}

}  // namespace
