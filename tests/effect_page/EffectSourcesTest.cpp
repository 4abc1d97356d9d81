// The effect sources through the whole controller to the virtual keyboard: a private X server
// whose windows another client opens, and a video made on the spot.

#include <fstream>

#include "EffectPageFixture.h"
#include "core/TextIds.h"
#include "platform_capture/XvfbServer.h"
#include "platform_video/MediaWriters.h"
#include "ui/tessel/HeadlessBackend.h"

namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;

// Close to a colour after the box averaging (and, for videos, lossy compression): every
// channel of the 5-6-5 value within a few steps.
bool Near(unsigned streamed, std::uint32_t color) {
  const unsigned wanted = EffectPageFixture::Rgb565(color);
  const auto close = [](int a, int b, int limit) { return std::abs(a - b) <= limit; };
  return close(streamed >> 11, wanted >> 11, 3) &&
         close((streamed >> 5) & 0x3F, (wanted >> 5) & 0x3F, 6) &&
         close(streamed & 0x1F, wanted & 0x1F, 3);
}

class EffectScreenTest : public EffectPageFixture {
 protected:
  void AdjustOptions(KeyboardDlg::Options& options) override {
    options.captureDisplay = server_.Display();
  }
  void SetUp() override {
    ASSERT_TRUE(server_.Running());
    ASSERT_TRUE(client_.Connected());
    EffectPageFixture::SetUp();
    StartWithKeyboard();
  }

  // The window list's entry of a window; -1 when it is not listed.
  int ListPosition(Window window) {
    return Control<Tessel::MComboBox>(eids::kWindowCombo)
        .FindData(static_cast<std::intptr_t>(window));
  }

  XvfbServer server_{640, 480};
  TestClient client_{server_.Display()};
};

TEST_F(EffectScreenTest, ARedScreenStreamsRedToTheKeyboard) {
  client_.Open(0, 0, 640, 480, kRed, "red");
  EnterPage();
  ClickTab(lighting::kEffectScreen);
  EXPECT_FALSE(Shown(eids::kNotice));
  EXPECT_TRUE(StreamUntil([](unsigned light) { return light == Rgb565(kRed); }));
}

TEST_F(EffectScreenTest, OneWindowIsFollowedAndItsClosingIsSurvived) {
  const Window green = client_.Open(0, 0, 640, 480, kGreen, "Green");
  const Window blue = client_.Open(40, 40, 320, 240, kBlue, "Blue");
  const Window tiny = client_.Open(400, 300, 60, 60, kRed, "Tiny");
  const Window untitled = client_.Open(300, 100, 200, 200, kRed, "");
  EnterPage();
  ASSERT_TRUE(Page().ChooseMode(lighting::kEffectWindow));
  EXPECT_TRUE(Shown(eids::kWindowPanel));
  EXPECT_GE(ListPosition(blue), 0);
  EXPECT_GE(ListPosition(green), 0);
  EXPECT_LT(ListPosition(tiny), 0) << "under 100 pixels";
  EXPECT_LT(ListPosition(untitled), 0) << "no title";
  Control<Tessel::MComboBox>(eids::kWindowCombo).UserSelect(ListPosition(blue));
  ASSERT_TRUE(StreamUntil([](unsigned light) { return Near(light, kBlue); }));

  client_.Close(blue);
  ASSERT_TRUE(WaitFor([&] {
    IdleCycles(1);
    return Shown(eids::kNotice);
  }));
  EXPECT_EQ(Control<Tessel::MControlFont>(eids::kNotice).GetTitle(),
            Text(text::kEffectWindowClosed));
  // The controller carries on: the stream goes on, and another window can be chosen.
  const std::uint64_t sent = StreamsSent();
  const int frames = StreamedFrames();
  IdleCycles(3);
  EXPECT_EQ(StreamsSent(), sent + 3);
  EXPECT_GT(StreamedFrames(), frames);
  Control<Tessel::MButton>(eids::kRefreshButton).UserClick();
  EXPECT_LT(ListPosition(blue), 0);
  Control<Tessel::MComboBox>(eids::kWindowCombo).UserSelect(ListPosition(green));
  EXPECT_TRUE(StreamUntil([](unsigned light) { return Near(light, kGreen); }));
  EXPECT_FALSE(Shown(eids::kNotice));
}

TEST_F(EffectScreenTest, AWindowClosedAfterTheListWasMadeIsIgnoredWhenChosen) {
  const Window red = client_.Open(0, 0, 320, 240, kRed, "Red");
  const Window gone = client_.Open(100, 100, 320, 240, kBlue, "Gone");
  EnterPage();
  ASSERT_TRUE(Page().ChooseMode(lighting::kEffectWindow));
  const int position = ListPosition(gone);
  ASSERT_GE(position, 0);
  Control<Tessel::MComboBox>(eids::kWindowCombo).UserSelect(ListPosition(red));
  client_.Close(gone);
  Control<Tessel::MComboBox>(eids::kWindowCombo).UserSelect(position);
  EXPECT_EQ(Service().CurrentStatus().window, red) << "the red window is still followed";
  EXPECT_LT(ListPosition(gone), 0) << "the list was made again";
}

class EffectMediaTest : public EffectPageFixture {
 protected:
  void SetUp() override {
    EffectPageFixture::SetUp();
    StartWithKeyboard();
  }
};

TEST_F(EffectMediaTest, AVideoChosenInTheFileDialogPlaysIntoTheStream) {
  const std::filesystem::path video = folder / "blue.mp4";
  ASSERT_TRUE(WriteTestVideo(video, std::vector<SplitFrame>(10, {kBlue, kBlue}), 25));
  std::string filterAsked;
  backend.SetResponder(
      [&](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
        if (request.kind != Tessel::DialogRequest::Kind::OpenFile) return std::nullopt;
        filterAsked = request.filter;
        Tessel::DialogAnswer answer;
        answer.path = video.string();
        return answer;
      });
  EnterPage();
  ClickTab(lighting::kEffectMedia);
  EXPECT_EQ(Control<Tessel::MControlFont>(eids::kFileName).GetTitle(), Text(text::kEffectNoFile));
  Control<Tessel::MButton>(eids::kFileButton).UserClick();
  EXPECT_EQ(filterAsked, "Image Files (*.gif;*.jpg;*.jpeg;*.png;*.bmp;*.mp4)");
  EXPECT_EQ(Control<Tessel::MControlFont>(eids::kFileName).GetTitle(), "blue.mp4");
  EXPECT_TRUE(StreamUntil([](unsigned light) { return Near(light, kBlue); }));
  // It loops: the player goes on past the file's end.
  EXPECT_TRUE(
      WaitFor([&] { return Service().CurrentStatus().media == platform::MediaState::Playing; }));
}

TEST_F(EffectMediaTest, AFileThatDoesNotExistIsIgnored) {
  EnterPage();
  ClickTab(lighting::kEffectMedia);
  EXPECT_FALSE(Page().ChooseFile(folder / "missing.mp4"));
  EXPECT_TRUE(Service().CurrentStatus().file.empty());
  EXPECT_EQ(Control<Tessel::MControlFont>(eids::kFileName).GetTitle(), Text(text::kEffectNoFile));
}

TEST_F(EffectMediaTest, AFileThatCannotBePlayedSaysSo) {
  const std::filesystem::path broken = folder / "broken.mp4";
  std::ofstream(broken) << "not a video at all";
  EnterPage();
  ASSERT_TRUE(Page().ChooseFile(broken));
  EXPECT_EQ(Service().Mode(), lighting::kEffectMedia);
  EXPECT_TRUE(WaitFor([&] {
    IdleCycles(1);
    return Shown(eids::kNotice);
  }));
  EXPECT_EQ(Control<Tessel::MControlFont>(eids::kNotice).GetTitle(), Text(text::kEffectFileFailed));
}

}  // namespace
