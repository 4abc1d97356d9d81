// Where images go in the screen flash, and the rules of frame delays.

#include <gtest/gtest.h>

#include <fstream>

#include "protocol/ScreenPackets.h"
#include "screen/ScreenMedia.h"
#include "support/TempFolder.h"

namespace screen {
namespace {

using Sizes = std::vector<std::size_t>;
constexpr std::size_t kBlock = protocol::kFlashBlockSize;

TEST(FlashPlan, TwoOneByteImagesTakeABlockEach) {
  const Sizes sizes = {1, 1};
  const auto plan = protocol::PlanFlash(sizes);
  ASSERT_TRUE(plan.has_value());
  EXPECT_EQ(plan->startBlocks, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(protocol::BuildMediaTable(sizes)[2], 2);  // blocks of the total plus one
  EXPECT_EQ(plan->eraseBlocks, 3u);
}

TEST(FlashPlan, SeventyThousandBytesEraseFourBlocks) {
  const Sizes sizes = {70000};
  EXPECT_EQ(protocol::PlanFlash(sizes)->eraseBlocks, 4u);
  EXPECT_EQ(protocol::MakeErasePacket(70000)[protocol::screen_byte::kData], 4);
}

TEST(FlashPlan, TheEraseCoversEveryBlockInUseEvenForManySmallImages) {
  const Sizes sizes = {1, 1, 1, 1, 1};  // five blocks for a total of five bytes
  const auto plan = protocol::PlanFlash(sizes);
  ASSERT_TRUE(plan.has_value());
  EXPECT_EQ(plan->usedBlocks, 5u);
  EXPECT_GE(plan->eraseBlocks, plan->usedBlocks);
}

TEST(FlashPlan, SecondImageStartsAfterTheBlocksOfTheFirst) {
  const Sizes sizes = {kBlock + 1, 10};
  EXPECT_EQ(protocol::PlanFlash(sizes)->startBlocks, (std::vector<std::size_t>{0, 2}));
}

struct FitCase {
  const char* name;
  Sizes sizes;
  bool fits;
};

class FlashFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(FlashFit, IsDecidedBeforeAnythingIsErased) {
  EXPECT_EQ(protocol::PlanFlash(GetParam().sizes).has_value(), GetParam().fits);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, FlashFit,
    ::testing::Values(FitCase{"LargestErasable", {253 * kBlock}, true},
                      FitCase{"OneByteMore", {253 * kBlock + 1}, false},
                      FitCase{"SpreadOverTwo", {200 * kBlock, 53 * kBlock + 1}, false},
                      FitCase{"WholeFlash", {0x1000000}, false},
                      FitCase{"EmptyImage", {10, 0}, false}, FitCase{"NoImage", {}, false},
                      FitCase{"MoreThanTheTableHolds", Sizes(11, 100), false},
                      FitCase{"AsManyAsTheTableHolds", Sizes(10, 100), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameDelays, EnteredDelaysAreClampedAndLettersCountAsNothing) {
  EXPECT_EQ(ParseFrameDelay("20"), 30);
  EXPECT_EQ(ParseFrameDelay("900"), 500);
  EXPECT_EQ(ParseFrameDelay("abc"), 30);
  EXPECT_EQ(ParseFrameDelay("120ms"), 120);
  EXPECT_EQ(ClampFrameDelay(-5), 30);
}

TEST(ScreenSources, UserGifWinsFactoryStandsInMissingScreensAreLeftOut) {
  TempFolder temp;
  const auto touch = [](const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "GIF89a";
  };
  touch(UserScreenGif(temp / "data", "k", 0));
  touch(FactoryScreenGif(temp / "app", "k", 0));
  touch(FactoryScreenGif(temp / "app", "k", 2));
  const auto sources = CollectScreenSources(temp / "data", temp / "app", "k");
  EXPECT_EQ(sources,
            (std::vector<ScreenSource>{{0, UserScreenGif(temp / "data", "k", 0), true},
                                       {2, FactoryScreenGif(temp / "app", "k", 2), false}}));
}

}  // namespace
}  // namespace screen
