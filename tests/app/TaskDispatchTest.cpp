#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <thread>
#include <vector>

#include "ControllerFixture.h"
#include "core/WindowMessages.h"
#include "ui/pages/WaitDlg.h"
#include "ui/tessel/Controls.h"

namespace {

constexpr int kAlwaysTasks[] = {1, 2, 3, 4, 30, 31};
constexpr int kConnectedTasks[] = {5,  6,  7,  8,  9,  11, 12, 13, 14, 15, 16,
                                   17, 18, 19, 20, 22, 23, 24, 25, 26, 27, 29};
constexpr int kWaitDialogTasks[] = {6, 7, 8, 9, 11, 19, 22};

class TaskDispatchTest : public ControllerFixture {
 protected:
  void SetUp() override {
    ControllerFixture::SetUp();
    dialog->Tasks().Clear();  // the StartUp queued by the window set-up
    // Record which tasks run, in order, on the worker, and which epilogues run on the UI thread.
    for (int code = task::kFirstCode; code <= task::kLastCode; ++code) {
      if (TaskSpec* spec = dialog->GetTaskTable().FindMutable(code)) {
        spec->run = [this, code] { ran.push_back(code); };
        spec->epilogue = [this, code] { epilogues.push_back(code); };
      }
    }
  }
  std::vector<int> ran;
  std::vector<int> epilogues;
};

TEST_F(TaskDispatchTest, OfflineOnlyTheAlwaysTasksRunAndTheOthersAreConsumed) {
  SetConnected(false);
  for (int code = 1; code <= 32; ++code) dialog->QueueTask(code);
  RunQueuedTasks();
  EXPECT_EQ(ran, std::vector<int>(std::begin(kAlwaysTasks), std::end(kAlwaysTasks)));
  EXPECT_TRUE(dialog->Tasks().IsEmpty());
}

TEST_F(TaskDispatchTest, ConnectedEveryTaskRunsInOrderOnePerCycle) {
  SetConnected(true);
  for (int code : kConnectedTasks) dialog->QueueTask(code);
  dialog->QueueTask(1);
  dialog->RunCycle();
  EXPECT_EQ(ran, std::vector<int>{kConnectedTasks[0]});
  RunQueuedTasks();
  std::vector<int> expected(std::begin(kConnectedTasks), std::end(kConnectedTasks));
  expected.push_back(1);
  EXPECT_EQ(ran, expected);
}

TEST_F(TaskDispatchTest, OnlyPresentAndOnlineTogetherCountAsConnected) {
  dialog->State().devicePresent.store(true);
  dialog->State().online.store(false);
  dialog->QueueTask(17);
  dialog->State().devicePresent.store(false);
  dialog->State().online.store(true);
  dialog->QueueTask(17);
  RunQueuedTasks();
  EXPECT_TRUE(ran.empty());
}

TEST_F(TaskDispatchTest, UnusedCodesRunNothingButStillCloseTheBracket) {
  SetConnected(true);
  for (int code : {10, 21, 28, 0, 99, -4}) {
    dialog->Commands().MarkBracketOpen();
    dialog->QueueTask(code);
    dialog->RunCycle();
    EXPECT_TRUE(dialog->Commands().BracketClosed()) << code;
  }
  EXPECT_TRUE(ran.empty());
}

TEST_F(TaskDispatchTest, BracketFlagIsSetOnlyForTasksTakenWhileConnected) {
  SetConnected(false);
  dialog->Commands().MarkBracketOpen();
  dialog->QueueTask(1);   // runs, but nothing was connected
  dialog->QueueTask(17);  // dropped
  RunQueuedTasks();
  EXPECT_FALSE(dialog->Commands().BracketClosed());
  SetConnected(true);
  dialog->QueueTask(30);  // an "always" task taken while connected
  dialog->RunCycle();
  EXPECT_TRUE(dialog->Commands().BracketClosed());
}

TEST_F(TaskDispatchTest, SuspendHoldsTasksUntilResumeThenRunsThemInOrder) {
  SetConnected(true);
  dialog->SendMessage(Tessel::WM_POWERBROADCAST, kPowerSuspend, 0);
  for (int code : {13, 17, 4}) dialog->QueueTask(code);
  for (int i = 0; i < 5; ++i) dialog->RunCycle();
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(dialog->Tasks().Size(), 3u);
  EXPECT_EQ(dialog->SendMessage(Tessel::WM_POWERBROADCAST, kPowerResumeAutomatic, 0), 1);
  RunQueuedTasks();
  EXPECT_EQ(ran, (std::vector<int>{13, 17, 4}));

  dialog->SendMessage(Tessel::WM_POWERBROADCAST, kPowerSuspend, 0);
  dialog->SendMessage(Tessel::WM_POWERBROADCAST, 10, 0);  // other power events change nothing
  EXPECT_TRUE(dialog->State().suspended.load());
  dialog->SendMessage(Tessel::WM_POWERBROADCAST, kPowerResumeSuspend, 0);
  EXPECT_FALSE(dialog->State().suspended.load());
}

TEST_F(TaskDispatchTest, EpiloguesRunOnTheUiThreadWhetherTheTaskRanOrWasDropped) {
  SetConnected(false);
  dialog->QueueTask(6);   // dropped: offline
  dialog->QueueTask(31);  // runs: always
  std::thread worker([this] { RunQueuedTasks(); });
  worker.join();
  EXPECT_TRUE(epilogues.empty());  // posted, not yet run
  backend.PumpUntilIdle();
  EXPECT_EQ(ran, std::vector<int>{31});
  EXPECT_EQ(epilogues, (std::vector<int>{6, 31}));

  // Tasks emptied out of the queue (a hot-plug, another keyboard picked) get theirs too.
  epilogues.clear();
  for (int code : {22, 13, 26}) dialog->QueueTask(code);
  dialog->DropQueuedTasks();
  backend.PumpUntilIdle();
  EXPECT_EQ(epilogues, (std::vector<int>{22, 13, 26}));
}

TEST_F(TaskDispatchTest, WaitDialogTasksCloseTheWaitDialogEvenWhenDropped) {
  for (bool connected : {true, false}) {
    SetConnected(connected);
    for (int code : kWaitDialogTasks) {
      Tessel::MDialog wait(WaitDlg::kWindowName);
      wait.Create(dialog.get(), "Please wait", {});
      dialog->QueueTask(code);
      int result = -1;
      // The UI thread shows the dialog modally; the worker closes it after the task.
      std::thread worker([this] { RunQueuedTasks(); });
      result = wait.ShowModal();
      worker.join();
      EXPECT_EQ(result, Tessel::kResultOK) << code;
    }
  }
}

TEST_F(TaskDispatchTest, DeviceNotifyMessageQueuesInstallOrUninstall) {
  EXPECT_EQ(dialog->SendMessage(UM_DEVICE_NOTIFY, 0, 1), 1);
  EXPECT_EQ(dialog->SendMessage(UM_DEVICE_NOTIFY, 0, 0), 1);
  EXPECT_EQ(dialog->SendMessage(UM_DEVICE_NOTIFY, 0, 7), 1);
  EXPECT_EQ(dialog->Tasks().Clear(), (std::vector<int>{task::kDeviceInstall, task::kDeviceUnInstall,
                                                       task::kDeviceUnInstall}));
  EXPECT_EQ(dialog->SendMessage(UM_SWALLOW, 0, 0), 1);
}

TEST_F(TaskDispatchTest, TheWorkerWaitsForAnUpdaterThenShowsTheWindowAndReconnects) {
  pid_t child = 0;
  char sleepProgram[] = "sleep";
  char duration[] = "0.2";
  char* argv[] = {sleepProgram, duration, nullptr};
  ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
  dialog->ShowWindow(Tessel::kHide);
  dialog->WatchUpdater(child);
  dialog->RunCycle();  // returns when the updater has ended
  EXPECT_EQ(dialog->WatchedUpdater(), 0);
  EXPECT_EQ(dialog->Tasks().Clear(), std::vector<int>{task::kDeviceInstall});
  backend.PumpUntilIdle();
  EXPECT_TRUE(dialog->IsWindowVisible());
}

class RunningWorkerTest : public ControllerFixture {
 protected:
  RunningWorkerTest() : ControllerFixture(true) {}
  // Members, not locals: the worker may still read them while the fixture goes away.
  std::atomic<bool> started{false};
  std::atomic<bool> release{false};
};

TEST_F(RunningWorkerTest, ShutdownDuringALongTaskEndsWithinASecond) {
  dialog->GetTaskTable().FindMutable(task::kCheckUpdates)->run = [&] {
    started.store(true);
    dialog->SleepFor(std::chrono::seconds(30));
  };
  dialog->QueueTask(task::kCheckUpdates);
  while (!started.load()) std::this_thread::yield();
  const auto before = std::chrono::steady_clock::now();
  dialog->CloseAndDestroy();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1000));
  EXPECT_TRUE(dialog->WorkerEnded());
  EXPECT_FALSE(dialog->IsCreated());
}

TEST_F(RunningWorkerTest, ShutdownGivesUpOnAWorkerThatDoesNotEnd) {
  dialog->GetTaskTable().FindMutable(task::kCheckUpdates)->run = [&] {
    started.store(true);
    while (!release.load())
      std::this_thread::sleep_for(std::chrono::milliseconds(5));  // not interruptible
  };
  dialog->QueueTask(task::kCheckUpdates);
  while (!started.load()) std::this_thread::yield();
  dialog->CloseAndDestroy();
  EXPECT_FALSE(dialog->WorkerEnded());  // the process would now end without destroying it
  release.store(true);
}

}  // namespace
