// The upload against the virtual keyboard: what reaches the screen's flash, and how the
// upload ends when something goes wrong on the way.

#include <algorithm>
#include <random>

#include "ScreenTestSupport.h"
#include "media/ScreenImage.h"
#include "protocol/Gx96.h"
#include "protocol/ScreenPackets.h"

namespace screen::testing {
namespace {

namespace cmd = protocol::screen_command;

using Bytes = std::vector<std::uint8_t>;

Bytes Converted(const fs::path& appFolder, const fs::path& gif, const fs::path& output) {
  const ConverterResult result =
      ConvertForScreen(ConverterPath(appFolder), gif, output, kScreenWidth, kScreenHeight);
  EXPECT_TRUE(result.Succeeded()) << result.problem << result.output;
  std::ifstream in(output, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The source as the screen shows it: its frames in RGB 5-6-5 with the screen's delays.
protocol::Gx96Image AsScreenShowsIt(const fs::path& gif) {
  const auto animation = media::ReadGifFile(gif);
  EXPECT_TRUE(animation.has_value());
  protocol::Gx96Image image{kScreenWidth, kScreenHeight, {}};
  for (const media::Frame& frame : animation->frames) {
    protocol::Gx96Frame shown;
    shown.delayMs = static_cast<std::uint16_t>(media::ScreenDelayMs(frame.delayMs));
    for (const media::Argb pixel : frame.picture.pixels) {
      shown.pixels.push_back(media::ToScreenPixel(pixel));
    }
    image.frames.push_back(std::move(shown));
  }
  return image;
}

void ExpectSessionClosed(const sim::KeyboardState& state) {
  EXPECT_FALSE(state.screen.sessionOpen);
  ASSERT_FALSE(state.screen.commands.empty());
  EXPECT_EQ(state.screen.commands.back(), cmd::kEnd);
}

class Upload : public ScreenFixture {};

TEST_F(Upload, ScreensZeroAndTwoLandInFlashAsConvertedAndShowTheirSource) {
  PutUserGif(0, Stripes(1, 3, 50));
  PutUserGif(2, Stripes(2, 2, 70));
  PutFactoryGif(0, Stripes(3, 1, 100));  // the user's choice wins
  const UploadResult result = Service().UploadScreenMedia(Request());
  ASSERT_EQ(result.status, ScreenStatus::kDone);
  ASSERT_EQ(result.images.size(), 2u);
  EXPECT_EQ(result.images[0].screen, 0);
  EXPECT_EQ(result.images[1].screen, 2);

  const sim::KeyboardState state = State();
  const auto stored = sim::ReadStoredImages(state.screen);
  ASSERT_EQ(stored.size(), 2u);
  const Bytes first = Converted(appFolder, UserScreenGif(dataFolder, kModel, 0), temp / "a.bin");
  const Bytes second = Converted(appFolder, UserScreenGif(dataFolder, kModel, 2), temp / "b.bin");
  EXPECT_EQ(stored[0].startBlock, 0u);
  EXPECT_EQ(stored[1].startBlock, protocol::FlashBlocks(first.size()));
  EXPECT_EQ(stored[0].bytes, first);
  EXPECT_EQ(stored[1].bytes, second);
  ASSERT_TRUE(stored[0].image.has_value()) << stored[0].problem;
  ASSERT_TRUE(stored[1].image.has_value()) << stored[1].problem;
  EXPECT_EQ(*stored[0].image, AsScreenShowsIt(UserScreenGif(dataFolder, kModel, 0)));
  EXPECT_EQ(*stored[1].image, AsScreenShowsIt(UserScreenGif(dataFolder, kModel, 2)));

  EXPECT_EQ(state.screen.flash.writesOverUnerased, 0u);
  ASSERT_FALSE(state.screen.flash.operations.empty());
  EXPECT_EQ(state.screen.flash.operations.front().kind, sim::FlashOperation::Kind::kErase);
  EXPECT_EQ(state.screen.flash.operations.front().length,
            protocol::EraseBlockCount(first.size() + second.size()) * protocol::kFlashBlockSize);
  ExpectSessionClosed(state);
  EXPECT_FALSE(fs::exists(ConvertedImagePath(dataFolder, 1)));
  EXPECT_FALSE(fs::exists(ConvertedImagePath(dataFolder, 2)));
  EXPECT_EQ(Progress().back().percent, 100);
}

TEST_F(Upload, TheFactoryGifStandsInAndTheEraseIsWaitedForByItsBlocks) {
  // Noise does not pack: two frames make one image of more than 64 KiB.
  media::Animation noisy = Stripes(0, 2, 40);
  std::mt19937 random(5);
  for (auto& frame : noisy.frames) {
    for (auto& pixel : frame.picture.pixels) pixel = media::kOpaqueBlack | (random() & 0xFFFFFF);
  }
  PutFactoryGif(1, noisy);
  const UploadResult result = Service().UploadScreenMedia(Request());
  ASSERT_EQ(result.status, ScreenStatus::kDone);
  ASSERT_EQ(result.images.size(), 1u);
  const std::size_t size = result.images[0].bytes;
  ASSERT_GT(size, protocol::kFlashBlockSize);
  const auto blocks = protocol::EraseBlockCount(size);
  EXPECT_EQ(blocks, 4u);
  const auto pauses = waiter.Pauses();
  EXPECT_NE(std::find(pauses.begin(), pauses.end(), std::chrono::milliseconds(500 * blocks)),
            pauses.end());
  const auto stored = sim::ReadStoredImages(State().screen);
  ASSERT_EQ(stored.size(), 1u);
  ASSERT_TRUE(stored[0].image.has_value());
  EXPECT_EQ(*stored[0].image, AsScreenShowsIt(FactoryScreenGif(appFolder, kModel, 1)));
}

TEST_F(Upload, ARepliesLostInTheMiddleOfAnImageFailThatImageByNameAndTheSessionStillEnds) {
  PutUserGif(0, Stripes(1, 4, 50));
  PutUserGif(1, Stripes(2, 1, 50));
  sim::FaultRule lost;
  lost.kind = sim::FaultKind::kDropReply;
  lost.command = cmd::kWriteData;
  lost.link = sim::Link::kScreen;
  lost.skip = 3;  // the fourth chunk of the first image
  bus.AddFault(keyboard, lost);
  const UploadResult result = Service().UploadScreenMedia(Request());
  EXPECT_EQ(result.status, ScreenStatus::kPartlyWritten);
  EXPECT_FALSE(result.Succeeded());
  EXPECT_EQ(result.NotWritten(), (std::vector<std::string>{"0.gif"}));
  ASSERT_EQ(result.images.size(), 2u);
  EXPECT_TRUE(result.images[1].written);
  const auto lines = Progress();
  EXPECT_LT(lines.back().percent, 100);
  EXPECT_NE(lines.back().text.find("0.gif"), std::string::npos);
  for (const auto& line : lines) EXPECT_NE(line.percent, 100) << line.text;
  const sim::KeyboardState state = State();
  ExpectSessionClosed(state);
  EXPECT_EQ(state.screen.flash.writesOverUnerased, 0u);
  const auto stored = sim::ReadStoredImages(state.screen);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_TRUE(stored[1].image.has_value());
}

TEST_F(Upload, ASetThatDoesNotFitIsRefusedBeforeAnythingIsErased) {
  // A converter that hands over a valid screen image of 16.6 MB: below the 24-bit address
  // limit, but more blocks than the erase command can name.
  protocol::Gx96Image huge{1024, 1013, {}};
  std::mt19937 random(3);
  for (int f = 0; f < 8; ++f) {
    protocol::Gx96Frame frame{40, std::vector<std::uint16_t>(1024 * 1013)};
    for (auto& pixel : frame.pixels) pixel = static_cast<std::uint16_t>(random());
    huge.frames.push_back(std::move(frame));
  }
  const Bytes bytes = protocol::EncodeGx96(huge, protocol::Gx96Coding::kRaw);
  ASSERT_GT(bytes.size(), 253 * protocol::kFlashBlockSize);
  ASSERT_LT(bytes.size(), 0xFFFFFFu);
  {
    std::ofstream(temp / "huge.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  fs::remove(appFolder / "gif" / "qgif");
  WriteScript(appFolder / "gif" / "qgif", "cp \"" + (temp / "huge.bin").string() + "\" \"$5\"");
  PutUserGif(0, Stripes(1, 1, 50));
  const Bytes factoryBefore = State().screen.flash.Read(0, 4096);

  const UploadResult result = Service().UploadScreenMedia(Request());
  EXPECT_EQ(result.status, ScreenStatus::kDoesNotFit);
  const sim::KeyboardState state = State();
  EXPECT_TRUE(state.screen.flash.operations.empty());
  EXPECT_EQ(state.screen.flash.Read(0, 4096), factoryBefore);
  EXPECT_EQ(state.screen.tableCommits, 0);
  ExpectSessionClosed(state);
}

struct FailedConverterCase {
  const char* name;
  std::string script;
  ScreenStatus status;
};

class FailedConversion : public ScreenFixture,
                         public ::testing::WithParamInterface<FailedConverterCase> {};

TEST_P(FailedConversion, EndsTheUploadWithTheSessionClosedAndTheFlashUntouched) {
  fs::remove(appFolder / "gif" / "qgif");
  WriteScript(appFolder / "gif" / "qgif", GetParam().script);
  PutUserGif(0, Stripes(1, 1, 50));
  // A file left by an earlier run must not be taken for this run's output.
  std::ofstream(ConvertedImagePath(dataFolder, 1)) << "stale";
  const UploadResult result = Service().UploadScreenMedia(Request());
  EXPECT_EQ(result.status, GetParam().status);
  const sim::KeyboardState state = State();
  EXPECT_TRUE(state.screen.flash.operations.empty());
  ExpectSessionClosed(state);
}

INSTANTIATE_TEST_SUITE_P(
    Converters, FailedConversion,
    ::testing::Values(
        FailedConverterCase{"ExitsWithAnError", "echo broken >&2; exit 3",
                            ScreenStatus::kConversionFailed},
        FailedConverterCase{"WritesNothing", "exit 0", ScreenStatus::kConversionFailed},
        FailedConverterCase{"WritesSomethingElse", "echo 'not an image at all' > \"$5\"",
                            ScreenStatus::kImageUnusable},
        FailedConverterCase{"WritesTooLittle", "printf 'GX96' > \"$5\"",
                            ScreenStatus::kImageUnusable}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Upload, AChannelThatNeverAppearsIsAnError) {
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.screen.appearDelay = 1h; });
  PutUserGif(0, Stripes(1, 1, 50));
  const UploadResult result = Service().UploadScreenMedia(Request());
  EXPECT_EQ(result.status, ScreenStatus::kNoScreenChannel);
  EXPECT_EQ(State().counters.screenChannelRequests, 2);
  const auto pauses = waiter.Pauses();
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 1000ms), 20);
  EXPECT_TRUE(State().screen.commands.empty());
}

TEST_F(Upload, NoAnimationAnywhereSendsNothing) {
  const UploadResult result = Service().UploadScreenMedia(Request());
  EXPECT_EQ(result.status, ScreenStatus::kNoSources);
  EXPECT_EQ(State().counters.screenChannelRequests, 0);
}

TEST_F(Upload, AStopRequestWhileConvertingEndsTheConverterAndTheSession) {
  PutUserGif(0, Stripes(1, 1, 50));
  // pauses: the request's 500 ms, one 1000 ms before the channel opens; the next look at the
  // stop request comes while the converter runs
  waiter.StopAfter(2);
  const UploadResult result = Service().UploadScreenMedia(Request());
  EXPECT_EQ(result.status, ScreenStatus::kStopped);
  ExpectSessionClosed(State());
}

TEST_F(Upload, TheClockGetsTheDigitsOfTheTime) {
  const protocol::ClockTime time{2024, 3, 5, 2, 9, 7, 45};
  EXPECT_EQ(Service().SyncScreenClock(time), ScreenStatus::kDone);
  const sim::KeyboardState state = State();
  ASSERT_TRUE(state.screen.clockDigits.has_value());
  EXPECT_EQ(Bytes(state.screen.clockDigits->begin(), state.screen.clockDigits->end()),
            (Bytes{2, 0, 2, 4, 0, 3, 2, 0, 5, 0, 9, 0, 7, 4, 5}));
  ExpectSessionClosed(state);
}

TEST(ScreenWithoutAScreen, TheRefusedRequestEndsAtOnceWithAnError) {
  sim::VirtualHidBus bus;
  const auto keyboard =
      sim::AddCatalogueKeyboard(bus, fs::path(TARVO_SOURCE_DIR) / "data", 103).value();
  bus.PlugCable(keyboard);
  device::HidDeviceManager link(bus);
  link.SetSleeper([](std::chrono::milliseconds) {});
  link.AddCatalogueEntry({0x36B0, 0x3003, "", 103, 0});
  link.EnumerateDevice();
  link.SetSelectedModel(103);
  RecordingWaiter waiter;
  ScreenUploadService service(link, {}, {}, waiter.AsWaiter());
  EXPECT_EQ(service.SyncScreenClock(ScreenUploadService::LocalClockTime()),
            ScreenStatus::kNoScreenChannel);
  const auto pauses = waiter.Pauses();
  EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 500ms), 1);  // only after the request
}

}  // namespace
}  // namespace screen::testing
