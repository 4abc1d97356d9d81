#include "app/MatrixCommands.h"

#include <cstdio>

#include "app/KeyboardDlg.h"
#include "lighting/MatrixModes.h"

namespace {

using base::Json;
using cli::Answer;
using cli::Reason;

constexpr const char* kDropped =
    "the keyboard went away before it received the change (the change is stored)";

// The matrix commands need a keyboard that reported a matrix light; those that change it need
// it attached and awake too.
std::optional<Answer> MatrixProblem(KeyboardDlg& dialog, bool changes) {
  if (changes) {
    if (std::optional<Answer> problem = KeyboardProblem(dialog)) return problem;
  }
  if (!dialog.Capabilities().HasMatrix()) {
    return Answer::Failure(Reason::kNotSupported,
                           "model " + std::to_string(dialog.State().selectedModel.load()) +
                               " has no matrix light (or its keyboard has not been read yet)");
  }
  return std::nullopt;
}

lighting::MatrixPage& Page(KeyboardDlg& dialog) {
  return dialog.Matrix().Page();
}

Answer Message(const std::string& message) {
  return Answer::Success(Json::MakeObject().Set("message", message));
}

// The answer once the keyboard has what was queued (at once when nothing was).
CommandOutcome Stored(bool stored, std::string message) {
  if (!stored) {
    return CommandOutcome::Now(Answer::Failure(Reason::kFailed, "the change could not be stored"));
  }
  return CommandOutcome::AfterTasks([message] { return Message(message); }, kDropped);
}

// " (sent to the keyboard)" below the animated mode, whose settings only Tarvo's animation
// uses.
std::string WhereItGoes(KeyboardDlg& dialog) {
  return dialog.Matrix().Service().Selection().mode >= lighting::kMatrixPresetMode
             ? " (Tarvo's animation)"
             : " (sent to the keyboard)";
}

// Where the frames of the animated mode go: the worker streams them only while one of the
// keyboard's pages is shown, never under the device overview.
std::string WhereTheAnimationPlays(KeyboardDlg& dialog) {
  return dialog.State().currentPage.load() == kPageHome
             ? " plays once one of the keyboard's pages is shown (the device overview is open)"
             : " plays on the keyboard";
}

std::optional<int> NumberArgument(const CommandCall& call) {
  return cli::ParseNumber(call.arguments.at(0));
}

Json CellList(const protocol::MatrixColors& cells) {
  Json list = Json::MakeArray();
  for (std::uint32_t color : cells) list.Push(HexColour(color));
  return list;
}

CommandOutcome SetSlider(const CommandCall& call, const char* name, int maximum,
                         bool (lighting::MatrixPage::*set)(int)) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = MatrixProblem(dialog, true))
    return CommandOutcome::Now(*problem);
  const int value = NumberArgument(call).value_or(-1);
  if (value < 0 || (maximum > 0 && value > maximum)) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kInvalidValue,
        std::string(name) + " is 0 to " + std::to_string(maximum) + ", not " + call.arguments[0]));
  }
  const bool stored = (Page(dialog).*set)(value);
  return Stored(stored,
                std::string("matrix ") + name + " " + std::to_string(value) + WhereItGoes(dialog));
}

}  // namespace

std::optional<std::uint32_t> ParseHexColour(std::string_view text) {
  if (text.starts_with('#')) text.remove_prefix(1);
  if (text.size() != 6) return std::nullopt;
  std::uint32_t rgb = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
  }
  // RRGGBB as written; 0x00BBGGRR in memory.
  return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

std::string HexColour(std::uint32_t color) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", color & 0xFF, color >> 8 & 0xFF,
                color >> 16 & 0xFF);
  return text;
}

CommandOutcome MatrixShow(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = MatrixProblem(dialog, false))
    return CommandOutcome::Now(*problem);
  lighting::MatrixPage& page = Page(dialog);
  const lighting::MatrixSelection selection = dialog.Matrix().Service().Selection();
  const std::optional<storage::LightSettingRecord> record =
      dialog.Matrix().Service().Record(selection.mode);
  const bool animated = selection.active == lighting::kMatrixPresetMode;
  Json result = Json::MakeObject()
                    .Set("switch", selection.enabled)
                    .Set("mode", selection.active)
                    .Set("mode_name", page.ModeName(selection.active))
                    .Set("preset", animated ? Json(selection.preset) : Json())
                    .Set("preset_name", animated ? Json(page.PresetName(selection.preset)) : Json())
                    .Set("max_brightness", page.MaxBrightness())
                    .Set("max_speed", page.MaxSpeed())
                    .Set("amplitude", selection.amplitude)
                    .Set("streaming", selection.streaming)
                    .Set("cells", CellList(page.ShownCells()))
                    .Set("drawing", CellList(page.Drawing()));
  if (record) {
    result.Set("brightness", record->brightness)
        .Set("speed", record->speed)
        .Set("direction", record->direction)
        .Set("colour", HexColour(static_cast<std::uint32_t>(record->color_value)))
        .Set("colorful", record->colorful == 1);
  }
  return CommandOutcome::Now(Answer::Success(std::move(result)));
}

CommandOutcome MatrixOn(const CommandCall& call) {
  if (std::optional<Answer> problem = MatrixProblem(call.dialog, true))
    return CommandOutcome::Now(*problem);
  return Stored(Page(call.dialog).SetEnabled(true), "matrix light on (sent to the keyboard)");
}

CommandOutcome MatrixOff(const CommandCall& call) {
  if (std::optional<Answer> problem = MatrixProblem(call.dialog, true))
    return CommandOutcome::Now(*problem);
  return Stored(Page(call.dialog).SetEnabled(false), "matrix light off (sent to the keyboard)");
}

CommandOutcome MatrixMode(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = MatrixProblem(dialog, true))
    return CommandOutcome::Now(*problem);
  const int mode = NumberArgument(call).value_or(-1);
  lighting::MatrixPage& page = Page(dialog);
  const std::string name = page.ModeName(mode);
  if (name.empty()) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kInvalidValue, "no matrix mode " + call.arguments[0] + " (modes: 0 to 6, 128)"));
  }
  if (!page.ChooseMode(mode)) {
    return CommandOutcome::Now(Answer::Failure(Reason::kFailed, "the mode could not be stored"));
  }
  std::string message = "matrix mode " + std::to_string(mode) + " (" + name + ")";
  if (mode == lighting::kMatrixPresetMode) {
    const int preset = dialog.Matrix().Service().Selection().preset;
    message += ": Tarvo's preset " + std::to_string(preset) + " (" + page.PresetName(preset) + ")" +
               WhereTheAnimationPlays(dialog);
  } else {
    message += " sent to the keyboard";
  }
  return Stored(true, message);
}

CommandOutcome MatrixPreset(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = MatrixProblem(dialog, true))
    return CommandOutcome::Now(*problem);
  const int preset = NumberArgument(call).value_or(-1);
  if (!lighting::IsListedMatrixPreset(preset)) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kInvalidValue,
        "no preset " + call.arguments[0] + " (see 'tarvoctl matrix preset --help')"));
  }
  lighting::MatrixPage& page = Page(dialog);
  if (dialog.Matrix().Service().Selection().active != lighting::kMatrixPresetMode &&
      !page.ChooseMode(lighting::kMatrixPresetMode)) {
    return CommandOutcome::Now(Answer::Failure(Reason::kFailed, "the mode could not be stored"));
  }
  return Stored(page.ChoosePreset(preset), "matrix preset " + std::to_string(preset) + " (" +
                                               page.PresetName(preset) + ")" +
                                               WhereTheAnimationPlays(dialog));
}

CommandOutcome MatrixBrightness(const CommandCall& call) {
  return SetSlider(call, "brightness", Page(call.dialog).MaxBrightness(),
                   &lighting::MatrixPage::SetBrightness);
}

CommandOutcome MatrixSpeed(const CommandCall& call) {
  return SetSlider(call, "speed", Page(call.dialog).MaxSpeed(), &lighting::MatrixPage::SetSpeed);
}

CommandOutcome MatrixAmplitude(const CommandCall& call) {
  return SetSlider(call, "amplitude", lighting::kMaxAmplitude, &lighting::MatrixPage::SetAmplitude);
}

CommandOutcome MatrixColour(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = MatrixProblem(dialog, true))
    return CommandOutcome::Now(*problem);
  const std::optional<std::uint32_t> color = ParseHexColour(call.arguments[0]);
  if (!color) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kInvalidValue,
                        "a colour is RRGGBB in hexadecimal, not '" + call.arguments[0] + "'"));
  }
  return Stored(Page(dialog).ApplyMatrixColor(*color),
                "matrix colour " + HexColour(*color) + WhereItGoes(dialog));
}

CommandOutcome MatrixPaint(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = MatrixProblem(dialog, true))
    return CommandOutcome::Now(*problem);
  std::vector<std::pair<int, std::uint32_t>> cells;
  for (const std::string& word : call.arguments) {
    const std::size_t equals = word.find('=');
    const std::optional<int> cell =
        equals == std::string::npos ? std::nullopt
                                    : cli::ParseNumber(std::string_view(word).substr(0, equals));
    const std::optional<std::uint32_t> color =
        equals == std::string::npos ? std::nullopt
                                    : ParseHexColour(std::string_view(word).substr(equals + 1));
    if (!cell || *cell >= static_cast<int>(protocol::kMatrixCellCount) || !color) {
      return CommandOutcome::Now(Answer::Failure(
          Reason::kInvalidValue,
          "a cell is CELL=RRGGBB with CELL 0 to 48, not '" + word + "'; nothing was painted"));
    }
    cells.emplace_back(*cell, *color);
  }
  return Stored(Page(dialog).PaintCells(cells),
                std::to_string(cells.size()) + (cells.size() == 1 ? " cell" : " cells") +
                    " painted; the drawing was sent to the keyboard");
}

CommandOutcome MatrixClear(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = MatrixProblem(dialog, true))
    return CommandOutcome::Now(*problem);
  return Stored(Page(dialog).ClearDrawing(), "the drawing is black; it was sent to the keyboard");
}

CommandOutcome AudioShow(const CommandCall& call) {
  const lighting::AudioAnalysis analysis = call.dialog.Audio().Snapshot();
  const platform::AudioSourceStatus& status = analysis.source;
  Json bands = Json::MakeArray();
  for (float band : analysis.bands) bands.Push(static_cast<double>(band));
  Json spectrum = Json::MakeArray();
  for (float band : analysis.bands32) spectrum.Push(static_cast<double>(band));
  Json source = Json::MakeObject()
                    .Set("state", platform::AudioSourceStateName(status.state))
                    .Set("device", status.device)
                    .Set("detail", status.detail)
                    .Set("sample_rate", static_cast<std::int64_t>(status.sampleRate))
                    .Set("packets", static_cast<std::int64_t>(status.packets))
                    .Set("connect_attempts", static_cast<std::int64_t>(status.connectAttempts));
  return CommandOutcome::Now(Answer::Success(
      Json::MakeObject()
          .Set("source", std::move(source))
          .Set("level", static_cast<double>(analysis.level))
          .Set("peak", static_cast<double>(analysis.peakHold))
          .Set("average_level", static_cast<double>(analysis.averageLevel))
          .Set("rms", static_cast<double>(analysis.rms))
          .Set("bands", std::move(bands))
          .Set("spectrum", std::move(spectrum))
          .Set("bass", static_cast<double>(analysis.bass))
          .Set("mid", static_cast<double>(analysis.mid))
          .Set("treble", static_cast<double>(analysis.treble))
          .Set("beat", analysis.beat)
          .Set("tempo", analysis.tempo > 0.0f ? Json(static_cast<double>(analysis.tempo)) : Json())
          .Set("steps_with_sound", static_cast<std::int64_t>(analysis.stepsWithSound))
          .Set("spectra", static_cast<std::int64_t>(analysis.spectra))));
}
