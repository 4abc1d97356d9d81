// tarvoctl's commands in the controller, against a virtual keyboard: each goes through the
// window's own operations, answers only once the keyboard has what it changed, and a failure
// changes nothing.

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "ConnectedKeyboardFixture.h"
#include "app/ControlCommands.h"
#include "app/ControlServer.h"
#include "cli/CommandTable.h"
#include "storage/ConfigKeys.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"

namespace {

using cli::Answer;
using cli::Reason;
namespace key = storage::config_key;

TEST(ControlCommands, EveryCommandOfTheTableHasAHandler) {
  for (const cli::CommandSpec& command : cli::Commands()) {
    EXPECT_NE(FindCommandHandler(command.words), nullptr) << command.words;
    EXPECT_NE(command.format, nullptr) << command.words;
  }
  EXPECT_EQ(FindCommandHandler("profile"), nullptr);
}

class ControlServerTest : public ConnectedKeyboardFixture {
 protected:
  void SetUp() override {
    ConnectedKeyboardFixture::SetUp();
    Plug(101);
    StartUp();
    ASSERT_GT(Profile(), 0);
    // Counts the profile switches that reach the worker.
    TaskSpec* apply = dialog->GetTaskTable().FindMutable(task::kApplyProfile);
    apply->run = [this, run = apply->run] {
      ++applied;
      if (run) run();
    };
    server = std::make_unique<ControlServer>(*dialog);
    Settle();
  }

  // Starts a request; the answer arrives while the test runs the UI thread and the worker.
  void Start(std::vector<std::string> words, std::vector<std::string> flags = {}) {
    answer.reset();
    server->Execute(cli::Request{std::move(words), std::move(flags)},
                    [this](Answer reply) { answer = std::move(reply); });
  }
  Answer Run(std::vector<std::string> words, std::vector<std::string> flags = {}) {
    Start(std::move(words), std::move(flags));
    Settle();
    EXPECT_TRUE(answer.has_value());
    return answer.value_or(Answer::Failure(Reason::kFailed, "no answer"));
  }
  static std::string Message(const Answer& answer) {
    const base::Json* message = answer.result.Find("message");
    return answer.ok ? (message != nullptr ? message->AsString() : "") : answer.error;
  }

  std::optional<Answer> answer;
  int applied = 0;
  std::unique_ptr<ControlServer> server;
};

TEST_F(ControlServerTest, ASettingIsAnsweredOnlyOnceTheKeyboardHasReceivedIt) {
  const sim::SettingsBlock before = Keyboard().settings;
  const std::size_t gameMode = sim::SystemSettingsLayoutFor(2).gameMode;
  ASSERT_EQ(before[gameMode], 0);
  Start({"settings", "set", "game-mode", "on"});
  backend.PumpUntilIdle();
  EXPECT_FALSE(answer.has_value()) << "the change is queued, not sent yet";
  EXPECT_EQ(Config(key::kGameMode), "1");
  EXPECT_TRUE(dialog->GetControl<Tessel::CSwitchButton>(ids::kGameModeSwitch)->GetCheck());
  Settle();
  ASSERT_TRUE(answer.has_value());
  EXPECT_TRUE(answer->ok) << answer->error;
  sim::SettingsBlock expected = before;
  expected[gameMode] = 1;
  EXPECT_EQ(Keyboard().settings, expected) << "exactly the game mode byte changed";

  // The shown number of a choice is taken; the stored one differs where the page's items do.
  EXPECT_TRUE(Run({"settings", "set", "sleep-time", "4"}).ok);
  EXPECT_EQ(Config(key::kSleepTime), "5");
  EXPECT_EQ(sim::ReadSystemSettings(Keyboard().settings, 2).sleepSeconds, 300u);
  const Answer shown = Run({"settings", "show"});
  ASSERT_TRUE(shown.ok);
  EXPECT_EQ(shown.result.Find("settings")->Find("sleep-time")->AsString(), "4");
  EXPECT_EQ(shown.result.Find("settings")->Find("game-mode")->AsString(), "on");
}

TEST_F(ControlServerTest, SelectingAProfileMakesItActiveAndSendsIt) {
  const std::vector<int> profiles = ProfileIds();
  ASSERT_GE(profiles.size(), 3u);
  const Answer byId = Run({"profile", "select", std::to_string(profiles[1])});
  ASSERT_TRUE(byId.ok) << byId.error;
  EXPECT_EQ(Database().GetActiveProfile(), profiles[1]);
  EXPECT_EQ(Profile(), profiles[1]);
  EXPECT_EQ(applied, 1);
  const Answer byName = Run({"profile", "select", "Profile 3"});
  ASSERT_TRUE(byName.ok) << byName.error;
  EXPECT_EQ(Database().GetActiveProfile(), profiles[2]);
  EXPECT_EQ(byName.result.Find("active_profile")->Find("id")->AsInteger(), profiles[2]);
  EXPECT_EQ(applied, 2);
}

TEST_F(ControlServerTest, FailuresSayWhyAndChangeNothing) {
  const struct {
    std::vector<std::string> words;
    Reason reason;
    const char* error;
  } cases[] = {
      {{"profile", "select", "Nope"}, Reason::kNotFound, "no such profile: Nope"},
      {{"profile", "select", "99"}, Reason::kNotFound, "no such profile: 99"},
      {{"settings", "set", "game-mode", "maybe"}, Reason::kInvalidValue, "on or off"},
      {{"settings", "set", "sleep-time", "5"}, Reason::kInvalidValue, "not '5'"},
      {{"profile", "add", std::string(65, 'x')}, Reason::kInvalidValue, "at most 64"},
      {{"profile", "import", "/nonexistent/p.xml"}, Reason::kFile, "cannot read"},
      {{"profile", "import", "relative.xml"}, Reason::kFile, "absolute"},
      {{"device", "select", "999"}, Reason::kNotFound, "no such model"},
      {{"profile", "list", "extra"}, Reason::kUsage, "too many arguments"},
  };
  const int active = Profile();
  const std::string gameMode = Config(key::kGameMode);
  for (const auto& c : cases) {
    const Answer failure = Run(c.words);
    EXPECT_FALSE(failure.ok) << c.words[1];
    EXPECT_EQ(failure.reason, c.reason) << c.words[1] << ": " << failure.error;
    EXPECT_NE(failure.error.find(c.error), std::string::npos) << failure.error;
  }
  EXPECT_EQ(Profile(), active);
  EXPECT_EQ(Config(key::kGameMode), gameMode);
  EXPECT_EQ(applied, 0);
  EXPECT_EQ(ProfileIds().size(), 3u);
}

TEST_F(ControlServerTest, WithoutAKeyboardOrWhileItSleepsNothingIsSent) {
  bus.UnplugCable(keyboard);
  Settle();
  Answer missing = Run({"settings", "set", "game-mode", "on"});
  EXPECT_EQ(missing.reason, Reason::kNoKeyboard) << missing.error;
  EXPECT_EQ(Config(key::kGameMode), "0");
  // What needs no keyboard still works.
  EXPECT_TRUE(Run({"profile", "list"}).ok);

  bus.PlugReceiver(keyboard);
  Settle();
  bus.SetAsleep(keyboard, true);
  dialog->RunCycle();  // an idle cycle hears the receiver's notification
  Settle();
  ASSERT_FALSE(dialog->State().online.load());
  Answer asleep = Run({"profile", "select", "2"});
  EXPECT_EQ(asleep.reason, Reason::kOffline) << asleep.error;
  EXPECT_EQ(applied, 0);
}

TEST_F(ControlServerTest, ATaskDroppedBeforeItRanIsAFailure) {
  Start({"settings", "set", "win-lock", "on"});
  backend.PumpUntilIdle();
  SetConnected(false);  // the keyboard goes before the worker sends the change
  Settle();
  ASSERT_TRUE(answer.has_value());
  EXPECT_FALSE(answer->ok);
  EXPECT_EQ(answer->reason, Reason::kOffline);
  EXPECT_NE(answer->error.find("went away"), std::string::npos) << answer->error;
  EXPECT_EQ(sim::ReadSystemSettings(Keyboard().settings, 2).lockWin, 0);
}

TEST_F(ControlServerTest, ProfilesAreAddedRenamedExportedImportedAndDeletedAsInTheWindow) {
  const Answer added = Run({"profile", "add", "Work"});
  ASSERT_TRUE(added.ok) << added.error;
  const int work = static_cast<int>(added.result.Find("active_profile")->Find("id")->AsInteger());
  EXPECT_EQ(Profile(), work);
  EXPECT_EQ(applied, 1);
  ASSERT_TRUE(Run({"profile", "rename", std::to_string(work), "Office"}).ok);
  std::string name;
  Database().GetProfileName(work, name);
  EXPECT_EQ(name, "Office");

  const std::string file = (folder / "office.xml").string();
  ASSERT_TRUE(Run({"profile", "export", std::to_string(work), file}).ok);
  const Answer imported = Run({"profile", "import", file});
  ASSERT_TRUE(imported.ok) << imported.error;
  EXPECT_EQ(ProfileIds().size(), 5u);
  EXPECT_NE(Message(imported).find("imported from " + file), std::string::npos);
  EXPECT_EQ(applied, 2);

  // Deleting another profile keeps the active one; deleting the active one moves on.
  const int active = Profile();
  ASSERT_TRUE(Run({"profile", "delete", std::to_string(work)}).ok);
  EXPECT_EQ(Profile(), active);
  EXPECT_EQ(applied, 2);
  ASSERT_TRUE(Run({"profile", "delete", std::to_string(active)}).ok);
  EXPECT_NE(Profile(), active);
  EXPECT_EQ(Database().GetActiveProfile(), Profile());
  EXPECT_EQ(applied, 3);
  EXPECT_EQ(ProfileIds().size(), 3u);

  std::ofstream(folder / "junk.xml") << "<notaprofile/>";
  EXPECT_EQ(Run({"profile", "import", (folder / "junk.xml").string()}).reason, Reason::kFile);
  while (ProfileIds().size() < 10) ASSERT_TRUE(Run({"profile", "add", "More"}).ok);
  EXPECT_EQ(Run({"profile", "add", "Eleventh"}).reason, Reason::kLimit);
}

TEST_F(ControlServerTest, TheFactoryResetAnswersOnceTheKeyboardWasReset) {
  ASSERT_TRUE(Run({"profile", "add", "Extra"}).ok);
  const Answer reset = Run({"settings", "factory-reset"}, {"yes"});
  ASSERT_TRUE(reset.ok) << reset.error;
  EXPECT_EQ(Keyboard().counters.factoryResets, 1);
  EXPECT_EQ(ProfileIds().size(), 3u);
  EXPECT_TRUE(dialog->IsWindowEnabled());
  EXPECT_EQ(Run({"settings", "factory-reset"}).reason, Reason::kUsage) << "--yes is required";
}

TEST_F(ControlServerTest, StatusShowsTheModelsAsTheDeviceListDoes) {
  const Answer status = Run({"status"});
  ASSERT_TRUE(status.ok);
  EXPECT_EQ(status.result.Find("selected_model")->AsInteger(), 101);
  EXPECT_TRUE(status.result.Find("connected")->AsBool());
  for (const base::Json& model : status.result.Find("models")->AsArray()) {
    const bool k9 = model.Find("model")->AsInteger() == 101;
    EXPECT_EQ(model.Find("connections")->AsArray().size(), k9 ? 1u : 0u);
    EXPECT_EQ(model.Find("firmware")->IsString(), k9);
    if (!k9) continue;
    const base::Json& cable = model.Find("connections")->AsArray()[0];
    EXPECT_EQ(cable.Find("mode")->AsString(), "cable");
    EXPECT_EQ(cable.Find("battery")->AsInteger(), 80);
    EXPECT_EQ(model.Find("firmware")->AsString(), "1.22");
  }
  // Another model is selected as a click on its card selects it, and looked for.
  const Answer other = Run({"device", "select", "102"});
  EXPECT_EQ(other.reason, Reason::kNoKeyboard) << other.error;
  EXPECT_EQ(dialog->State().selectedModel.load(), 102);
  EXPECT_TRUE(Run({"device", "select", "101"}).ok);
}

TEST_F(ControlServerTest, RequestsWaitForStartUpAndTheWindowsOwnWork) {
  server.reset();
  dialog->QueueTask(task::kReconnect);
  server = std::make_unique<ControlServer>(*dialog);
  Start({"profile", "list"});
  backend.PumpUntilIdle();
  EXPECT_FALSE(answer.has_value()) << "start-up has not finished";
  Settle();
  ASSERT_TRUE(answer.has_value());
  EXPECT_TRUE(answer->ok);

  dialog->SetWindowEnabled(false);
  EXPECT_EQ(Run({"profile", "list"}).reason, Reason::kBusy);
  dialog->SetWindowEnabled(true);
}

TEST_F(ControlServerTest, TheSocketSideWaitsForTheAnswerAndNeverForAClosedServer) {
  const platform::CommandSocket::Handler handler = server->Handler();
  const std::optional<Answer> malformed = cli::DecodeAnswer(handler("{not json"));
  ASSERT_TRUE(malformed.has_value());
  EXPECT_EQ(malformed->reason, Reason::kProtocol);

  std::string line;
  std::thread client([&] {
    line = handler(cli::EncodeRequest({{"settings", "set", "mac-mode", "on"}, {}}));
  });
  // The request reaches the UI thread, then the worker sends it, then the client hears.
  for (int i = 0; i < 1000 && Config(key::kMacMode) != "1"; ++i)
    backend.RunFor(std::chrono::milliseconds(5));
  Settle();
  client.join();
  const std::optional<Answer> answered = cli::DecodeAnswer(line);
  ASSERT_TRUE(answered.has_value()) << line;
  EXPECT_TRUE(answered->ok) << answered->error;
  EXPECT_EQ(sim::ReadSystemSettings(Keyboard().settings, 2).macMode, 1);

  // A request still waiting when the window closes hears so at once.
  std::string closing;
  std::thread late([&] { closing = handler(cli::EncodeRequest({{"status"}, {}})); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  server.reset();
  late.join();
  const std::optional<Answer> closed = cli::DecodeAnswer(closing);
  ASSERT_TRUE(closed.has_value()) << closing;
  EXPECT_EQ(closed->reason, Reason::kClosing);
}

}  // namespace
