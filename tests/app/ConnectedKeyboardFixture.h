#pragma once
// A controller with the shipped data and one virtual keyboard of a catalogue model, started up
// so that the keyboard has been read. The worker's cycles run on the test thread.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "ControllerFixture.h"
#include "core/ThreadCheck.h"
#include "sim/VirtualKeyboard.h"
#include "storage/SettingsDatabase.h"

class ConnectedKeyboardFixture : public ControllerFixture {
 protected:
  explicit ConnectedKeyboardFixture(bool startWorker = false)
      : ControllerFixture(startWorker), workerThread_(startWorker) {}

  std::filesystem::path AppFolder() override { return ShippedData(); }

  void SetUp() override {
    ControllerFixture::SetUp();
    // No pacing pauses (set only while no worker thread uses the link); the worker's own sleeps
    // stay.
    if (dialog && !workerThread_) dialog->Link().SetSleeper([](std::chrono::milliseconds) {});
  }

  // Adds a keyboard of the model, makes it the shown model and plugs it in (cable or receiver).
  sim::KeyboardId Plug(int modelId, bool receiver = false) {
    std::string error;
    const auto id = sim::AddCatalogueKeyboard(bus, ShippedData(), modelId, &error);
    EXPECT_TRUE(id.has_value()) << error;
    keyboard = id.value_or(0);
    settings->WriteDeviceType(modelId);
    if (receiver) {
      bus.PlugReceiver(keyboard);
    } else {
      bus.PlugCable(keyboard);
    }
    // Plugged in before start-up, start-up finds it: its arrival needs no handling of its own.
    if (!workerThread_ && dialog && !dialog->State().started.load()) {
      backend.PumpUntilIdle();
      dialog->Tasks().Clear();
    }
    return keyboard;
  }

  // Runs the worker and the UI thread until both are idle.
  void Settle() {
    for (int round = 0; round < 20; ++round) {
      backend.PumpUntilIdle();
      if (dialog->Tasks().IsEmpty()) break;
      RunQueuedTasks();
    }
    backend.PumpUntilIdle();
  }

  // Reads the keyboard as the worker does when a profile list loads.
  bool ReadKeyboard() {
    core::WorkerScope worker;
    return dialog->ReadKeyboardState();
  }

  void StartUp() {
    dialog->QueueTask(task::kStartUp);
    Settle();
  }

  sim::KeyboardState Keyboard() const { return bus.State(keyboard).value_or(sim::KeyboardState{}); }

  storage::SettingsDatabase& Database() { return dialog->Database(); }
  int Profile() const { return dialog->State().currentProfile.load(); }
  std::string Config(std::string_view key, int profile = -1) {
    std::string value;
    Database().GetConfigValue(profile < 0 ? Profile() : profile, key, value);
    return value;
  }
  std::vector<int> ProfileIds() {
    std::vector<storage::ProfileRecord> profiles;
    Database().ListProfiles(profiles);
    std::vector<int> ids;
    for (const auto& profile : profiles) ids.push_back(profile.profile);
    return ids;
  }

  // The commands written to the keyboard since the log was cleared, each once per transfer
  // (repeated chunks and tries of one command count once).
  std::vector<int> SentCommands() const {
    std::vector<int> commands;
    for (const sim::LoggedFrame& frame : bus.FrameLog()) {
      if (frame.direction != sim::Direction::kToDevice || frame.bytes.size() < 3 ||
          frame.bytes[1] != 0xAA)
        continue;
      const int command = frame.bytes[2];
      if (commands.empty() || commands.back() != command) commands.push_back(command);
    }
    return commands;
  }

  std::string Text(int id) const { return texts->GetText("KB.DIALOG", id); }

  sim::KeyboardId keyboard = 0;

 private:
  bool workerThread_;
};
