// Running the converter: its command line, its output, and what counts as a conversion.

#include "ScreenTestSupport.h"
#include "base/Text.h"
#include "protocol/Gx96.h"

namespace screen::testing {
namespace {

class Converter : public ::testing::Test {
 protected:
  TempFolder temp;
  const fs::path script = temp / "bin dir" / "qgif";
  const fs::path output = temp / "out dir" / "gif_1.bin";
  void SetUp() override { fs::create_directories(output.parent_path()); }
};

TEST_F(Converter, PathsWithSpacesArriveIntactAndOutputIsPassedOnInLowerCase) {
  WriteScript(script, "printf '%s|' \"$@\"; echo DONE; echo x > \"$5\"");
  std::string shown;
  ConverterOptions options;
  options.onOutput = [&](const std::string& text) { shown += text; };
  const ConverterResult result =
      ConvertForScreen(script, temp / "my gifs" / "0.gif", output, 240, 136, options);
  EXPECT_EQ(result.status, ConverterStatus::kDone);
  EXPECT_EQ(result.exitCode, 0);
  const std::string expected = "convert|-i|" + (temp / "my gifs" / "0.gif").string() + "|-o|" +
                               output.string() + "|-f|gx96|--scale-size|240|136|";
  EXPECT_EQ(result.output, expected + "DONE\n");
  EXPECT_EQ(shown, base::ToLowerAscii(expected) + "done\n");
}

TEST_F(Converter, AMissingConverterStartsNothing) {
  std::ofstream(output) << "stale";
  const ConverterResult result =
      ConvertForScreen(temp / "nowhere" / "qgif", temp / "0.gif", output, 240, 136);
  EXPECT_EQ(result.status, ConverterStatus::kMissing);
  EXPECT_TRUE(fs::exists(output));  // nothing ran, nothing touched
}

struct ExitCase {
  const char* name;
  std::string script;
  ConverterStatus status;
  std::optional<int> exitCode;
};

class ConverterExit : public Converter, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ConverterExit, DecidesTogetherWithTheOutputFile) {
  WriteScript(script, GetParam().script);
  std::ofstream(output) << "left by an earlier run";
  const ConverterResult result = ConvertForScreen(script, temp / "0.gif", output, 240, 136);
  EXPECT_EQ(result.status, GetParam().status) << result.problem;
  EXPECT_EQ(result.exitCode, GetParam().exitCode);
  if (result.status != ConverterStatus::kDone) {
    EXPECT_FALSE(result.problem.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ConverterExit,
    ::testing::Values(
        ExitCase{"WroteAndExitedWithZero", "echo x > \"$5\"", ConverterStatus::kDone, 0},
        ExitCase{"WroteButFailed", "echo x > \"$5\"; exit 4", ConverterStatus::kFailed, 4},
        ExitCase{"ExitedWithZeroWithoutWriting", "exit 0", ConverterStatus::kNoOutput, 0},
        ExitCase{"Crashed", "kill -SEGV $$", ConverterStatus::kFailed, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Converter, AHangingConverterIsStoppedAtItsTimeOut) {
  WriteScript(script, "echo started; sleep 30; echo x > \"$5\"");
  ConverterOptions options;
  options.timeout = 200ms;
  const ConverterResult result =
      ConvertForScreen(script, temp / "0.gif", output, 240, 136, options);
  EXPECT_EQ(result.status, ConverterStatus::kTimedOut);
  EXPECT_EQ(result.output, "started\n");
  EXPECT_FALSE(fs::exists(output));
}

TEST_F(Converter, AStopRequestEndsTheConverter) {
  WriteScript(script, "sleep 30");
  ConverterOptions options;
  int polls = 0;
  options.shouldStop = [&] { return ++polls > 2; };
  const ConverterResult result =
      ConvertForScreen(script, temp / "0.gif", output, 240, 136, options);
  EXPECT_EQ(result.status, ConverterStatus::kStopped);
}

TEST_F(Converter, TheRealConverterWritesAScreenImageOfTheAskedSize) {
  const fs::path gif = temp / "a b.gif";
  std::string error;
  ASSERT_TRUE(media::WriteGifFile(gif, Stripes(4, 2, 80, 100, 60), &error)) << error;
  const ConverterResult result =
      ConvertForScreen(fs::path(TARVO_APP_BUILD_DIR) / "gif" / "qgif", gif, output, 240, 136);
  ASSERT_EQ(result.status, ConverterStatus::kDone) << result.output;
  std::ifstream in(output, std::ios::binary);
  const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  const auto image = protocol::DecodeGx96(bytes);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 240);
  EXPECT_EQ(image->height, 136);
  EXPECT_EQ(image->frames.size(), 2u);
  EXPECT_EQ(image->frames[1].delayMs, 80);
}

TEST_F(Converter, TheRealConverterRefusesADamagedPictureAndWritesNothing) {
  const fs::path gif = temp / "broken.gif";
  std::ofstream(gif) << "GIF89a\x10\x00";
  const ConverterResult result =
      ConvertForScreen(fs::path(TARVO_APP_BUILD_DIR) / "gif" / "qgif", gif, output, 240, 136);
  EXPECT_EQ(result.status, ConverterStatus::kFailed);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("error"), std::string::npos);
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
}  // namespace screen::testing
