// The effect service on its own: what it reads back from damaged or missing values, and that a
// choice it could not store changes nothing.

#include "EffectPageFixture.h"
#include "support/FailingVfs.h"

namespace {

class EffectServiceTest : public EffectPageFixture {
 protected:
  void SetUp() override {
    FailingVfs::Install();
    EffectPageFixture::SetUp();
    StartWithKeyboard();
  }
  void TearDown() override {
    FailingVfs::Writes(true);
    EffectPageFixture::TearDown();
  }
  void StoreMode(const std::string& value) {
    ASSERT_TRUE(Database().SetConfigValue(Profile(), storage::config_key::kAuroraMode, value));
  }
};

struct StoredModeCase {
  const char* stored;
  int loaded;
};

TEST_F(EffectServiceTest, AStoredModeOutsideOneToSevenLoadsAsMusic) {
  const StoredModeCase cases[] = {
      {"5", lighting::kEffectLayers}, {"7", lighting::kEffectGame},
      {"0", lighting::kEffectMusic},  {"8", lighting::kEffectMusic},
      {"-3", lighting::kEffectMusic}, {"abc", lighting::kEffectMusic},
      {"", lighting::kEffectMusic},
  };
  for (const StoredModeCase& c : cases) {
    StoreMode(c.stored);
    EXPECT_EQ(Service().LoadMode(), c.loaded) << c.stored;
    EXPECT_EQ(View().GetAuroraMode(), c.loaded) << c.stored;
  }
}

TEST_F(EffectServiceTest, ModesOutsideOneToSevenAreRefused) {
  for (int mode : {0, 8, -1, 100}) {
    EXPECT_FALSE(Service().SetMode(mode)) << mode;
    EXPECT_EQ(Service().Mode(), lighting::kEffectMusic) << mode;
  }
  EXPECT_EQ(Config(storage::config_key::kAuroraMode), "1");
}

TEST_F(EffectServiceTest, AChoiceThatCannotBeStoredChangesNothing) {
  EnterPage();
  const lighting::VisualizerSettings before = Service().GetVisualizer().Settings();
  FailingVfs::Writes(false);
  EXPECT_FALSE(Service().SetMode(lighting::kEffectLayers));
  EXPECT_FALSE(Service().SetLayerValue(lighting::LayerValue::kForeMode, 17));
  FailingVfs::Writes(true);
  EXPECT_EQ(Service().Mode(), lighting::kEffectMusic);
  EXPECT_TRUE(Service().GetVisualizer().IsEnabled()) << "the music effect goes on";
  EXPECT_EQ(Service().GetVisualizer().Settings().barPattern, before.barPattern);
  EXPECT_EQ(StoredLayer()->foremode, before.barPattern);
}

TEST_F(EffectServiceTest, OnlyRegularFilesArePlayed) {
  EXPECT_FALSE(Service().ChooseFile(folder.Path()));
  EXPECT_FALSE(Service().ChooseFile(folder / "missing.gif"));
  EXPECT_TRUE(Service().CurrentStatus().file.empty());
}

}  // namespace
