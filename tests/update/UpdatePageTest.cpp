// The application's update through the controller, against a scripted server on loopback: the
// check button and its boxes, the download with its progress dialog, the installer's start
// and the application's end, and every way a download can fail or be cancelled.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/ControllerFixture.h"
#include "core/TextIds.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "update/ScriptedHttpServer.h"
#include "update/TestZip.h"
#include "update/UpdateProcessDlg.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class UpdatePageTest : public ControllerFixture {
 protected:
  explicit UpdatePageTest(bool startWorker = false, std::string version = "1.0.2.0")
      : ControllerFixture(startWorker), version_(std::move(version)) {}

  // The shipped application folder with an update address on the scripted server.
  fs::path AppFolder() override {
    const fs::path app = folder / "app";
    if (fs::exists(app / "config.xml")) return app;
    fs::create_directories(app);
    for (const fs::directory_entry& entry : fs::directory_iterator(ShippedData())) {
      if (entry.path().filename() != "config.xml") {
        fs::create_directory_symlink(entry.path(), app / entry.path().filename());
      }
    }
    std::string config = ReadFile(ShippedData() / "config.xml");
    Replace(config, "https://tarvo.example/update/", server.Url("/update/"));
    Replace(config, "version=\"1.0.2.0\"", "version=\"" + version_ + "\"");
    std::ofstream(app / "config.xml") << config;
    return app;
  }

  static void Replace(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  }

  void SetUp() override {
    ControllerFixture::SetUp();
    platform::HttpOptions http;
    http.stallTimeout = 400ms;
    dialog->Updates().SetHttpOptions(http);
    ASSERT_TRUE(dialog->SwitchToPage(kPageSettings));
  }

  std::string Text(int id) { return texts->GetText(text::kDialogSection, id); }
  std::string NewVersionBox(const std::string& version) {
    return Text(text::kSoftwareUpdateCaption) + "|" + Text(text::kNewVersionFound) + ":v" +
           version + ", " + Text(text::kUpdateNow);
  }
  std::string Box(int message) { return Text(text::kSoftwareUpdateCaption) + "|" + Text(message); }

  // Answers message boxes with `answer` and records them as "caption|text".
  void AnswerBoxes(int answer) {
    backend.SetResponder(
        [this,
         answer](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
          if (request.kind != Tessel::DialogRequest::Kind::ModalShown) return std::nullopt;
          if (auto* box = dynamic_cast<Tessel::CUIMessageBox*>(request.window)) {
            boxes.push_back(box->GetCaption() + "|" + box->GetText());
            return Tessel::DialogAnswer::Result(answer);
          }
          if (auto* progress = dynamic_cast<update::UpdateProcessDlg*>(request.window)) {
            ++progressDialogs;
            if (onProgressDialog) onProgressDialog(*progress);
          }
          return std::nullopt;
        });
  }

  void ClickCheck() { dialog->GetControl<Tessel::MButton>(ids::kCheckUpdatesButton)->UserClick(); }

  ScriptedHttpServer server;
  std::vector<std::string> boxes;
  int progressDialogs = 0;
  std::function<void(update::UpdateProcessDlg&)> onProgressDialog;

 private:
  std::string version_;
};

TEST_F(UpdatePageTest, TheCheckShowsABoxOnlyForAnswersWorthTelling) {
  const struct {
    std::string body;
    int status;
    bool onSettingsPage;
    std::string box;  // empty: none
  } cases[] = {
      {"1.0.3.0", 200, true, NewVersionBox("1.0.3.0")},
      {"1.0.3.0", 200, false, NewVersionBox("1.0.3.0")},
      {"1.1", 200, true, NewVersionBox("1.1")},
      {"1.0.2.0", 200, true, ""},
      {"1.0.1.9", 200, true, Box(text::kUpToDate)},
      {"1.0.1.9", 200, false, ""},
      {"2.0.0.0.0.1", 200, true, ""},
      {"Not Found", 404, true, ""},
      {"1.0.3.0", 503, true, ""},
  };
  AnswerBoxes(Tessel::kResultCancel);
  for (const auto& [body, status, onSettingsPage, box] : cases) {
    SCOPED_TRACE(body + " " + std::to_string(status));
    boxes.clear();
    server.Script("/update/version", ScriptedResponse::Text(body, status));
    ASSERT_TRUE(dialog->SwitchToPage(onSettingsPage ? kPageSettings : kPageHome));
    ClickCheck();
    RunQueuedTasks();
    backend.PumpUntilIdle();
    EXPECT_EQ(boxes, box.empty() ? std::vector<std::string>{} : std::vector<std::string>{box});
  }
  // Declined: nothing was downloaded.
  EXPECT_EQ(server.CountRequests("/update/version"), std::size(cases));
  EXPECT_EQ(server.Requests().size(), std::size(cases));
  EXPECT_EQ(progressDialogs, 0);
}

class NineToTenTest : public UpdatePageTest {
 protected:
  NineToTenTest() : UpdatePageTest(false, "1.9") {}
};

TEST_F(NineToTenTest, PartsCompareAsNumbers) {
  AnswerBoxes(Tessel::kResultCancel);
  server.Script("/update/version", ScriptedResponse::Text("1.10"));
  ClickCheck();
  RunQueuedTasks();
  backend.PumpUntilIdle();
  EXPECT_EQ(boxes, std::vector<std::string>{NewVersionBox("1.10")});
}

TEST_F(UpdatePageTest, TheFirmwareButtonStartsTheUpdaterForOlderFirmwareOnly) {
  AnswerBoxes(Tessel::kResultOK);
  const fs::path updater = folder / "app" / "firmwares" / "tarvo_k9_0114";
  const fs::path marker = folder / "updater-ran";
  auto* button = dialog->GetControl<Tessel::MButton>(ids::kFirmwareUpdateLabel);
  auto* latest = dialog->FindControl(ids::kFirmwareLatestLabel);
  ASSERT_NE(button, nullptr);

  dialog->Updates().ShowKeyboardFirmware("22");
  EXPECT_FALSE(button->IsVisible());
  EXPECT_TRUE(latest->IsVisible());
  EXPECT_EQ(dialog->Updates().Page().LaunchFirmwareUpdater(paths->GetAppFolder()),
            update::FirmwareOutcome::UpToDate);

  dialog->Updates().ShowKeyboardFirmware("21");
  EXPECT_TRUE(button->IsVisible());
  EXPECT_FALSE(latest->IsVisible());
  button->UserClick();  // no updater in the application folder
  EXPECT_EQ(dialog->WatchedUpdater(), 0);

  fs::create_directories(updater.parent_path());
  std::ofstream(updater) << "#!/bin/sh\necho ran >> '" << marker.string() << "'\n";
  fs::permissions(updater, fs::perms::owner_all);
  dialog->ShowWindow(Tessel::kShow);
  dialog->Tasks().Clear();
  button->UserClick();
  EXPECT_GT(dialog->WatchedUpdater(), 0);
  EXPECT_FALSE(dialog->IsWindowVisible());
  // The worker waits for the updater, then shows the window and looks for the keyboard again.
  dialog->RunCycle();
  EXPECT_EQ(dialog->WatchedUpdater(), 0);
  EXPECT_TRUE(dialog->IsWindowVisible());
  EXPECT_EQ(ReadFile(marker), "ran\n");
  EXPECT_EQ(dialog->Tasks().Take(), std::optional<int>(task::kDeviceInstall));

  const std::string caption = Text(text::kFirmwareUpdateCaption);
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       caption + "|" + Text(text::kUpToDate),
                       caption + "|The firmware updater could not be started: " + updater.string(),
                   }));
}

// Downloads run on the worker thread while the progress dialog runs on this one.
class UpdateDownloadTest : public UpdatePageTest {
 protected:
  UpdateDownloadTest() : UpdatePageTest(true) {}

  static constexpr const char* kPackage = "/update///Tarvo-1.0.3.0.zip";

  fs::path Temp() { return folder / "data" / "Tarvo Files" / "temp"; }
  fs::path Marker() { return folder / "marker"; }
  testzip::Entry Installer() {
    return testzip::File("Tarvo-1.0.3.0.run",
                         "#!/bin/sh\necho started >> '" + Marker().string() + "'\n");
  }
  std::string Zip(const std::vector<testzip::Entry>& entries) {
    const fs::path zip = folder / "built.zip";
    testzip::Write(zip, entries);
    return ReadFile(zip);
  }
  void ServePackage(std::string bytes, std::optional<std::size_t> sendOnly = {},
                    bool stall = false) {
    ScriptedResponse response = ScriptedResponse::Text(std::move(bytes));
    response.sendOnly = sendOnly;
    response.stall = stall;
    server.Script(kPackage, response);
  }

  // Finds 1.0.3.0, confirms, and waits until the progress dialog is gone again.
  void CheckAndInstall() {
    server.Script("/update/version", ScriptedResponse::Text("1.0.3.0"));
    AnswerBoxes(Tessel::kResultOK);
    ClickCheck();
    ASSERT_TRUE(backend.RunUntil([&] { return progressDialogs > 0; }, 20s));
    ASSERT_TRUE(backend.RunUntil(
        [&] {
          return Tessel::Manager::FindWindow(update::UpdateProcessDlg::kWindowName) == nullptr;
        },
        20s));
  }
};

TEST_F(UpdateDownloadTest, AGoodPackageStartsItsInstallerOnceAndTheApplicationEnds) {
  ServePackage(Zip({Installer(), testzip::File("notes.txt", "what is new")}));
  int lastProgress = -1;
  bool progressRose = true;
  // Watches what the dialog shows while it is open.
  std::function<void()> watch = [&] {
    auto* shown = dynamic_cast<update::UpdateProcessDlg*>(
        Tessel::Manager::FindWindow(update::UpdateProcessDlg::kWindowName));
    if (shown == nullptr) return;
    const int now = shown->GetProgress();
    progressRose = progressRose && now >= lastProgress && now <= 100;
    lastProgress = now;
    backend.Post(watch);
  };
  onProgressDialog = [&](update::UpdateProcessDlg&) { backend.Post(watch); };
  CheckAndInstall();
  ASSERT_TRUE(backend.RunUntil([&] { return !dialog->IsCreated(); }, 20s));
  EXPECT_TRUE(dialog->WorkerEnded());
  EXPECT_TRUE(progressRose);
  EXPECT_EQ(lastProgress, 100);
  ASSERT_TRUE(backend.RunUntil([&] { return fs::exists(Marker()); }, 20s));
  EXPECT_EQ(ReadFile(Marker()), "started\n");
  EXPECT_EQ(server.CountRequests(kPackage), 1u);
  EXPECT_EQ(boxes, std::vector<std::string>{NewVersionBox("1.0.3.0")});
}

TEST_F(UpdateDownloadTest, AFailedDownloadStartsNothingClosesTheDialogAndSaysSo) {
  const std::string good = Zip({Installer()});
  testzip::Entry damaged = Installer();
  damaged.stored = true;
  std::string crc = Zip({damaged});
  const fs::path damagedZip = folder / "damaged.zip";
  std::ofstream(damagedZip, std::ios::binary) << crc;
  testzip::DamageStoredData(damagedZip, damaged.data);
  crc = ReadFile(damagedZip);
  const struct {
    const char* name;
    std::function<void()> serve;
    int message;
  } cases[] = {
      {"truncated", [&] { ServePackage(good, good.size() / 2); }, text::kUpdateDownloadFailed},
      {"stalled", [&] { ServePackage(good, good.size() / 2, true); }, text::kUpdateDownloadFailed},
      {"missing", [&] { server.Script(kPackage, ScriptedResponse::Text("Not Found", 404)); },
       text::kUpdateDownloadFailed},
      {"zip slip",
       [&] {
         ServePackage(Zip({Installer(), testzip::File("../escaped.run", "x")}));
       },
       text::kUpdatePackageDamaged},
      {"crc", [&] { ServePackage(crc); }, text::kUpdatePackageDamaged},
  };
  for (const auto& [name, serve, message] : cases) {
    SCOPED_TRACE(name);
    boxes.clear();
    serve();
    CheckAndInstall();
    ASSERT_TRUE(backend.RunUntil([&] { return boxes.size() == 2; }, 20s));
    EXPECT_EQ(boxes[1], Box(message));
    EXPECT_TRUE(dialog->IsCreated());
  }
  EXPECT_EQ(progressDialogs, static_cast<int>(std::size(cases)));
  EXPECT_FALSE(fs::exists(Marker()));
  EXPECT_FALSE(fs::exists(Temp() / "Tarvo-1.0.3.0.run"));
  EXPECT_FALSE(fs::exists(Temp().parent_path() / "escaped.run"));
}

TEST_F(UpdateDownloadTest, CancelStopsTheDownloadAndShutdownDoesNotWaitForTheServer) {
  platform::HttpOptions patient;
  patient.stallTimeout = 30s;  // only the cancel ends this download early
  dialog->Updates().SetHttpOptions(patient);
  const std::string bytes =
      Zip({Installer(), testzip::File("filler.bin", std::string(200'000, 'f'))});
  ServePackage(bytes, bytes.size() / 2, true);
  onProgressDialog = [&](update::UpdateProcessDlg& progress) {
    backend.Post([&progress] {
      progress.GetControl<Tessel::MButton>(update::UpdateProcessDlg::kCancelId)->UserClick();
    });
  };
  CheckAndInstall();
  EXPECT_EQ(boxes, std::vector<std::string>{NewVersionBox("1.0.3.0")});
  EXPECT_TRUE(dialog->IsCreated());

  // A second download runs on the stalled server while the application closes.
  std::function<void()> closeWhenDownloading = [&] {
    auto* shown = dynamic_cast<update::UpdateProcessDlg*>(
        Tessel::Manager::FindWindow(update::UpdateProcessDlg::kWindowName));
    if (shown != nullptr && shown->GetProgress() < 10) {
      backend.Post(closeWhenDownloading);
      return;
    }
    dialog->CloseAndDestroy();
  };
  onProgressDialog = [&](update::UpdateProcessDlg&) { backend.Post(closeWhenDownloading); };
  ClickCheck();
  ASSERT_TRUE(backend.RunUntil(
      [&] {
        return progressDialogs == 2 && !dialog->IsCreated() &&
               Tessel::Manager::FindWindow(update::UpdateProcessDlg::kWindowName) == nullptr;
      },
      20s));
  EXPECT_TRUE(dialog->WorkerEnded());
  EXPECT_FALSE(fs::exists(Marker()));
}

}  // namespace
