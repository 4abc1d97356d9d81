// tarvoctl's effect commands in the controller: each goes through the page's own operations, and
// a refused value changes nothing.

#include "EffectPageFixture.h"
#include "app/ControlServer.h"
#include "cli/CommandTable.h"
#include "cli/Formatting.h"
#include "platform_capture/XvfbServer.h"

namespace {

using cli::Answer;
using cli::Reason;

class EffectCommandsTest : public EffectPageFixture {
 protected:
  void SetUp() override {
    EffectPageFixture::SetUp();
    StartWithKeyboard();
    server_ = std::make_unique<ControlServer>(*dialog);
  }

  Answer Run(std::vector<std::string> words) {
    std::optional<Answer> answer;
    server_->Execute(cli::Request{std::move(words), {}},
                     [&answer](Answer reply) { answer = std::move(reply); });
    Settle();
    EXPECT_TRUE(answer.has_value());
    return answer.value_or(Answer::Failure(Reason::kFailed, "no answer"));
  }

  std::unique_ptr<ControlServer> server_;
};

TEST_F(EffectCommandsTest, ModeIsStoredAndShowsTheEffectPage) {
  const Answer answer = Run({"effect", "mode", "5"});
  ASSERT_TRUE(answer.ok) << answer.error;
  EXPECT_EQ(Config(storage::config_key::kAuroraMode), "5");
  EXPECT_EQ(dialog->State().currentPage.load(), kPageScreenSync);
  EXPECT_TRUE(Shown(eids::kLayersPanel));
  IdleCycles(2);
  EXPECT_GE(StreamedFrames(), 2);
}

TEST_F(EffectCommandsTest, RefusedValuesChangeNothing) {
  const std::vector<std::string> refused[] = {
      {"effect", "mode", "0"},       {"effect", "mode", "8"},       {"effect", "amplitude", "101"},
      {"effect", "amplitude", "-4"}, {"effect", "colour", "12345"}, {"effect", "colour", "GG0000"},
  };
  for (const auto& words : refused) {
    const Answer answer = Run(words);
    EXPECT_FALSE(answer.ok) << words[2];
    EXPECT_EQ(answer.reason, Reason::kInvalidValue) << words[2];
  }
  EXPECT_EQ(Config(storage::config_key::kAuroraMode), "1");
  EXPECT_EQ(StoredLayer()->fore_amplitude, 300);
}

TEST_F(EffectCommandsTest, AmplitudeAndColourGoWhereThePagePutsThem) {
  ASSERT_TRUE(Run({"effect", "amplitude", "45"}).ok);
  EXPECT_EQ(StoredLayer()->fore_amplitude, 450);
  EXPECT_EQ(Control<Tessel::MSlider>(eids::kAmplitudeSlider).GetProgress(), 45);
  ASSERT_TRUE(Run({"effect", "colour", "#FF8000"}).ok);
  EXPECT_EQ(View().GetMusicColor(), Tessel::Rgb(0xFF, 0x80, 0x00));
  const Answer shown = Run({"effect", "show"});
  ASSERT_TRUE(shown.ok);
  EXPECT_EQ(shown.result.Find("music_layer")->Find("amplitude")->AsInteger(), 45);
  EXPECT_EQ(shown.result.Find("music_layer")->Find("amplitude_stored")->AsInteger(), 450);
  const std::string text = cli::FormatEffectShow(shown.result);
  EXPECT_NE(text.find("amplitude 45"), std::string::npos) << text;
  EXPECT_NE(text.find("colour        FF8000"), std::string::npos) << text;
}

TEST_F(EffectCommandsTest, FilesMustExist) {
  const Answer missing = Run({"effect", "file", (folder / "none.gif").string()});
  EXPECT_EQ(missing.reason, Reason::kFile);
  EXPECT_EQ(Service().Mode(), lighting::kEffectMusic);
}

TEST_F(EffectCommandsTest, ScreenModesSayWhyTheyCannotWork) {
  ScopedEnvironment wayland("WAYLAND_DISPLAY", "wayland-0");
  for (const std::vector<std::string>& words : {std::vector<std::string>{"effect", "screen"},
                                                {"effect", "window", "Firefox"},
                                                {"effect", "mode", "3"}}) {
    const Answer answer = Run(words);
    EXPECT_EQ(answer.reason, Reason::kNotSupported) << words[1];
    EXPECT_NE(answer.error.find("Wayland"), std::string::npos) << answer.error;
  }
  EXPECT_EQ(Config(storage::config_key::kAuroraMode), "1");
}

class EffectWindowCommandTest : public EffectCommandsTest {
 protected:
  void AdjustOptions(KeyboardDlg::Options& options) override {
    options.captureDisplay = server_x_.Display();
  }
  XvfbServer server_x_{640, 480};
  TestClient client_{server_x_.Display()};
};

TEST_F(EffectWindowCommandTest, AWindowIsFoundByTitleOrAUniquePartOfIt) {
  const Window editor = client_.Open(0, 0, 300, 300, 0x00FF00, "notes.txt - Editor");
  client_.Open(320, 0, 300, 300, 0xFF0000, "Music Player");
  client_.Open(0, 320, 300, 150, 0x0000FF, "Another Editor");
  const Answer several = Run({"effect", "window", "editor"});
  EXPECT_EQ(several.reason, Reason::kNotFound);
  EXPECT_NE(several.error.find("2 windows"), std::string::npos) << several.error;
  EXPECT_EQ(Run({"effect", "window", "Calculator"}).reason, Reason::kNotFound);
  const Answer found = Run({"effect", "window", "NOTES"});
  ASSERT_TRUE(found.ok) << found.error;
  EXPECT_EQ(Service().Mode(), lighting::kEffectWindow);
  EXPECT_EQ(Service().CurrentStatus().window, editor);
  EXPECT_EQ(Control<Tessel::MComboBox>(eids::kWindowCombo).GetCurData(),
            static_cast<std::intptr_t>(editor));
  const Answer shown = Run({"effect", "show"});
  EXPECT_EQ(shown.result.Find("window")->Find("title")->AsString(), "notes.txt - Editor");
}

}  // namespace
