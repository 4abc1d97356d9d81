#include "app/EffectCommands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>

#include "app/KeyboardDlg.h"
#include "cli/CommandTable.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/AuroraEffect.h"

namespace {

using base::Json;
using cli::Answer;
using cli::Reason;
using lighting::EffectMode;

const char* ModeName(int mode) {
  switch (mode) {
    case lighting::kEffectMusic:
      return "music";
    case lighting::kEffectMedia:
      return "picture or video";
    case lighting::kEffectScreen:
      return "screen";
    case lighting::kEffectWindow:
      return "window";
    case lighting::kEffectLayers:
      return "light layers";
    case lighting::kEffectAmbient:
      return "ambient";
    default:
      return "game";
  }
}

std::string ColourText(std::uint32_t color) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF,
                (color >> 16) & 0xFF);
  return text;
}

// "RRGGBB" (or "#RRGGBB") as 0x00BBGGRR.
std::optional<std::uint32_t> ParseColour(std::string word) {
  if (!word.empty() && word[0] == '#') word.erase(0, 1);
  if (word.size() != 6 || !std::all_of(word.begin(), word.end(),
                                       [](unsigned char c) { return std::isxdigit(c) != 0; })) {
    return std::nullopt;
  }
  const unsigned long rgb = std::stoul(word, nullptr, 16);
  return static_cast<std::uint32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

Json LayerJson(const lighting::MusicLayer& layer) {
  return Json::MakeObject()
      .Set("foreground", layer.foreMode)
      .Set("background", layer.backMode)
      .Set("amplitude", lighting::AmplitudeToSlider(layer.amplitude))
      .Set("amplitude_stored", layer.amplitude)
      .Set("background_brightness", layer.backBrightness)
      .Set("light_brightness", layer.lightBrightness);
}

Json WindowJson(KeyboardDlg& dialog, platform::CaptureWindowId window) {
  if (window == 0) return Json();
  Json entry = Json::MakeObject().Set("id", static_cast<std::int64_t>(window));
  for (const platform::CaptureWindowEntry& listed : dialog.Effects().Service().ListWindows()) {
    if (listed.id == window) entry.Set("title", listed.title);
  }
  return entry;
}

// The screen cannot be read here: why, for the modes that follow it.
std::optional<Answer> ScreenProblem(KeyboardDlg& dialog) {
  switch (dialog.Effects().Service().ScreenAvailability()) {
    case platform::CaptureAvailability::Wayland:
      return Answer::Failure(Reason::kNotSupported,
                             "this Wayland session does not let programs read the screen (screen "
                             "and window sync need an X11 session)");
    case platform::CaptureAvailability::NoDisplay:
      return Answer::Failure(Reason::kNotSupported, "no X display to read the screen from");
    case platform::CaptureAvailability::Available:
      break;
  }
  return std::nullopt;
}

// The effects light the keys while their page is active: a command that chooses one shows it.
std::optional<Answer> ShowEffectPage(KeyboardDlg& dialog) {
  if (dialog.State().currentPage.load() == kPageScreenSync) return std::nullopt;
  if (!dialog.SwitchToPage(kPageScreenSync))
    return Answer::Failure(Reason::kNotSupported, "this keyboard model has no effect page");
  return std::nullopt;
}

Answer ModeAnswer(KeyboardDlg& dialog, const std::string& what) {
  const int mode = dialog.Effects().Service().Mode();
  return Answer::Success(Json::MakeObject()
                             .Set("message", what + "; effect mode " + std::to_string(mode) + " (" +
                                                 ModeName(mode) + ")")
                             .Set("mode", mode));
}

CommandOutcome Fail(Reason reason, std::string text) {
  return CommandOutcome::Now(Answer::Failure(reason, std::move(text)));
}

constexpr const char* kNotStored = "the choice could not be stored";

}  // namespace

CommandOutcome EffectShow(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  lighting::EffectService& service = dialog.Effects().Service();
  const lighting::EffectStatus status = service.CurrentStatus();
  Json result = Json::MakeObject()
                    .Set("mode", status.mode)
                    .Set("mode_name", ModeName(status.mode))
                    .Set("page_active", status.active)
                    .Set("streaming", status.active && dialog.State().Connected())
                    .Set("visualizer", status.visualizerOn)
                    .Set("file", status.file.empty() ? Json() : Json(status.file.string()))
                    .Set("media", platform::MediaStateName(status.media))
                    .Set("window", WindowJson(dialog, status.window))
                    .Set("capture", platform::CaptureStateName(status.capture))
                    .Set("frames_sent", static_cast<std::int64_t>(status.framesSent));
  const std::optional<lighting::MusicLayer> layer = service.StoredMusicLayer();
  result.Set("music_layer", layer ? LayerJson(*layer) : Json());
  if (auto* effect = dialog.GetControl<Tessel::AuroraEffect>(ids::kEffectView)) {
    result.Set("colour", ColourText(effect->GetMusicColor()));
    result.Set("colorful", effect->GetMusicColorful());
  }
  return CommandOutcome::Now(Answer::Success(std::move(result)));
}

CommandOutcome EffectMode(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::optional<int> mode = cli::ParseNumber(call.arguments[0]);
  if (!mode || !lighting::IsEffectMode(*mode))
    return Fail(Reason::kInvalidValue,
                "the effect mode is a number from 1 to 7, not '" + call.arguments[0] + "'");
  if (lighting::FollowsScreen(*mode)) {
    if (std::optional<Answer> problem = ScreenProblem(dialog)) return CommandOutcome::Now(*problem);
  }
  if (std::optional<Answer> problem = ShowEffectPage(dialog)) return CommandOutcome::Now(*problem);
  if (!dialog.Effects().Page().ChooseMode(*mode)) return Fail(Reason::kFailed, kNotStored);
  return CommandOutcome::Now(ModeAnswer(dialog, "effect chosen"));
}

CommandOutcome EffectFile(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::filesystem::path file = call.arguments[0];
  if (!file.is_absolute()) return Fail(Reason::kFile, "not an absolute path: " + file.string());
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error))
    return Fail(Reason::kFile, "cannot read " + file.string() + ": no such file");
  if (std::optional<Answer> problem = ShowEffectPage(dialog)) return CommandOutcome::Now(*problem);
  if (!dialog.Effects().Page().ChooseFile(file)) return Fail(Reason::kFailed, kNotStored);
  return CommandOutcome::Now(ModeAnswer(dialog, "playing " + file.string()));
}

CommandOutcome EffectWindow(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = ScreenProblem(dialog)) return CommandOutcome::Now(*problem);
  const std::string& wanted = call.arguments[0];
  const std::vector<platform::CaptureWindowEntry> windows =
      dialog.Effects().Service().ListWindows();
  std::vector<platform::CaptureWindowEntry> found;
  for (const platform::CaptureWindowEntry& window : windows) {
    if (window.title == wanted) found = {window};
  }
  // Without a window of exactly that title, a part of a title will do when only one has it.
  if (found.empty()) {
    for (const platform::CaptureWindowEntry& window : windows) {
      if (Lowered(window.title).find(Lowered(wanted)) != std::string::npos) found.push_back(window);
    }
  }
  if (found.empty()) return Fail(Reason::kNotFound, "no window titled \"" + wanted + "\"");
  if (found.size() > 1)
    return Fail(Reason::kNotFound, std::to_string(found.size()) + " windows have \"" + wanted +
                                       "\" in their title; give more of it");
  if (std::optional<Answer> problem = ShowEffectPage(dialog)) return CommandOutcome::Now(*problem);
  if (!dialog.Effects().Page().ChooseWindow(found[0].id))
    return Fail(Reason::kNotFound, "the window \"" + found[0].title + "\" closed meanwhile");
  return CommandOutcome::Now(ModeAnswer(dialog, "following \"" + found[0].title + "\""));
}

CommandOutcome EffectScreen(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = ScreenProblem(dialog)) return CommandOutcome::Now(*problem);
  if (std::optional<Answer> problem = ShowEffectPage(dialog)) return CommandOutcome::Now(*problem);
  if (!dialog.Effects().Page().ChooseMode(lighting::kEffectScreen))
    return Fail(Reason::kFailed, kNotStored);
  return CommandOutcome::Now(ModeAnswer(dialog, "following the whole screen"));
}

CommandOutcome EffectAmplitude(const CommandCall& call) {
  const std::optional<int> value = cli::ParseNumber(call.arguments[0]);
  if (!value || *value > lighting::kAmplitudeSliderMax)
    return Fail(Reason::kInvalidValue, "the amplitude is a number from 0 to " +
                                           std::to_string(lighting::kAmplitudeSliderMax) +
                                           ", not '" + call.arguments[0] + "'");
  if (!call.dialog.Effects().Page().ChangeLayer(lighting::LayerValue::kAmplitude, *value))
    return Fail(Reason::kFailed, "the amplitude could not be stored");
  return CommandOutcome::Now(Answer::Success(
      Json::MakeObject()
          .Set("message", "amplitude " + std::to_string(*value) + " (stored as " +
                              std::to_string(lighting::AmplitudeFromSlider(*value)) + ")")
          .Set("amplitude", *value)
          .Set("amplitude_stored", lighting::AmplitudeFromSlider(*value))));
}

CommandOutcome EffectColour(const CommandCall& call) {
  const std::optional<std::uint32_t> colour = ParseColour(call.arguments[0]);
  if (!colour)
    return Fail(Reason::kInvalidValue,
                "a colour is six hexadecimal digits RRGGBB, not '" + call.arguments[0] + "'");
  call.dialog.Effects().Page().ChooseMusicColor(*colour);
  const std::string text = ColourText(*colour);
  return CommandOutcome::Now(Answer::Success(
      Json::MakeObject().Set("message", "music colour " + text).Set("colour", text)));
}
