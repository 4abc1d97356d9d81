#include "cli/CommandTable.h"

#include <algorithm>

#include "base/Text.h"
#include "cli/Formatting.h"
#include "cli/KeyWords.h"
#include "cli/LightWords.h"
#include "cli/SettingNames.h"
#include "cli/Words.h"

namespace cli {
namespace {

using Kind = ArgumentKind;

std::string SettingsSetDetails() {
  std::string text =
      "Stores the setting for the active profile and sends it to the keyboard; returns once\n"
      "the keyboard has received it.\n\nSettings:\n";
  for (const SettingName& setting : SettingNames()) {
    std::string line = "  " + std::string(setting.name);
    line.resize(16, ' ');
    text += line + AllowedWordsText(setting) + "\n";
    text += std::string(16, ' ') + setting.description +
            (setting.knob ? " (keyboards with a knob; kept by Tarvo)" : "") + "\n";
  }
  return text;
}

std::string ProfileSelectDetails() {
  return "ID-or-NAME is the profile's number as 'profile list' shows it, or its name. A word\n"
         "of digits is taken as a number. The profile becomes active and is sent to the\n"
         "keyboard; the command returns once the keyboard has received it.\n";
}

std::string ProfileAddDetails() {
  return "As the add button of the window: the new profile becomes the active one and is sent\n"
         "to the keyboard. A model keeps at most 10 profiles. NAME has at most 64 characters.\n";
}

std::string FactoryResetDetails() {
  return "Erases every profile of the selected model and puts the keyboard back to its factory\n"
         "settings, as the window's factory reset button does. Without --yes nothing happens.\n";
}

std::string ImportDetails() {
  return "Reads a profile export file (as 'profile export' or the window write it) into a new\n"
         "profile, which becomes the active one and is sent to the keyboard.\n";
}

// Keys and the knob ------------------------------------------------------------------------------

std::string KeyShowDetails() {
  return "Prints what every key does on a layer of the active profile (0 is the base layer, 1 to\n"
         "3 the Fn layers; all four without LAYER): the key, its function in the words\n"
         "'key set' takes, and the label the window shows where it differs. On keyboards with a\n"
         "knob its three actions follow.\n";
}

std::string KeySetDetails() {
  return "Stores the function for the key on the layer (0 the base layer, 1 to 3 the Fn layers)\n"
         "of the active profile and sends it to the keyboard; returns once the keyboard has\n"
         "received it.\n\n" +
         KeyNamesHelp() + "\n" + KeyFunctionsHelp();
}

std::string KeyResetDetails() {
  return "With KEY the key goes back to the function the keyboard has for it on that layer from\n"
         "the factory; without KEY every key of the layer does (the window's restore layer,\n"
         "without its question). Keys are named as for 'key set' (tarvoctl key set --help).\n";
}

std::string KnobSetDetails() {
  return "Gives one of the knob's actions a function on a layer (the base layer 0 without LAYER)\n"
         "and sends it; keyboards with a knob only. The keyboard keeps it; Tarvo keeps it while\n"
         "it runs, not in the profile.\n\n"
         "ACTION: left (turning left), right (turning right) or press; or 0, 1, 2.\n"
         "FUNCTION: a media function, a keyboard function (not COLOUR, F-Change or Wheel) or a\n"
         "key, named as for 'key set' (tarvoctl key set --help); no mouse functions, shortcuts,\n"
         "combinations or macros.\n";
}

// Lighting ---------------------------------------------------------------------------------------

std::string ZoneHelp() {
  return "ZONE: keys, side or top (logo), or 0, 1, 2; only the zones the keyboard has.\n";
}

std::string LightModeDetails() {
  return "Makes MODE the zone's mode for the active profile and sends it; choosing a mode\n"
         "switches the light on.\n" +
         ZoneHelp() + "MODE, or its number:\n  keys:\n" + WrappedWords(LightModeWords(0)) +
         "  side, top:\n" + WrappedWords(LightModeWords(1)) +
         "'custom' shows custom slot 128; 'slot select' shows the others.\n";
}

std::string LightValueDetails() {
  return "N goes from 0 to the zone's maximum as the keyboard reports it ('light show' prints\n"
         "it). Only for a mode that offers the value ('light show' lists what the zone's mode\n"
         "offers), while the light is on.\n" +
         ZoneHelp();
}

std::string LightDirectionDetails() {
  return "D: left or right, or up or down, as the zone's mode offers ('light show').\n" +
         ZoneHelp();
}

std::string LightColourDetails() {
  return "RRGGBB: red, green and blue in hexadecimal (FF8000 is orange; a leading # is taken).\n"
         "The mode then shows this one colour instead of its colorful variant; only for a mode\n"
         "that offers a colour.\n" +
         ZoneHelp();
}

std::string SlotDetails() {
  return "N: the custom slot, 128 to 132. The key lights show the slot (the custom mode), and\n"
         "what changed is written to the keyboard. KEY is named as for 'key set' (tarvoctl key\n"
         "set --help); only keys with a light. RRGGBB as for 'light colour'.\n";
}

std::string MatrixModeDetails() {
  return "Modes: 0 to 4 the keyboard's own effects, 5 drawing (the keyboard's drawing is read\n"
         "into Tarvo), 6 the saved drawing, 128 the animations of 'matrix preset' (Tarvo sends\n"
         "their frames while it runs). The mode becomes the active one and turns the matrix\n"
         "light on.\n";
}

std::string MatrixPresetDetails() {
  return "Chooses the animation of mode 128 (and mode 128). PRESET is a number 'matrix show'\n"
         "lists: 4 rainbow swirl, 22 spectrum, 23 waveform, 24 pulse rings, 25 beat flash,\n"
         "26 bass bloom, 27 equalizer (22 to 27 follow the computer's sound), 2 rain, 6 fire,\n"
         "7 starfield, 8 ripples, 9 plasma, 10 snake, 12 heart, 13 spiral, 14 checkerboard,\n"
         "16 fireworks, 21 clock.\n";
}

std::string MatrixPaintDetails() {
  return "Paints cells of the drawing and sends the whole drawing to the keyboard. CELL is 0 to\n"
         "48, row by row from the top left; RRGGBB a colour in hexadecimal (ff0000 is red).\n"
         "The drawing mode (5) is chosen first when another mode is shown; its drawing is read\n"
         "from the keyboard and the painted cells go over it.\n"
         "Example: tarvoctl matrix paint 0=ff0000 24=00ff00 48=0000ff\n";
}

std::string ScreenImportDetails() {
  return "Reads a GIF (every frame with its delay), PNG or JPEG into a new animation of the\n"
         "library, as the screen page's import button does. Needs the keyboard.\n";
}

std::string ScreenSetDetails() {
  return "SCREEN is 1, 2 or 3, as the screen page names them. ITEM is the animation's number\n"
         "as 'screen list' shows it, or its name. The animation becomes the screen's (its GIF\n"
         "in the data folder), as the page's save button does; 'screen upload' sends it.\n";
}

std::string ScreenUploadDetails() {
  return "Converts each screen's animation (the one set for it, else the factory one) and\n"
         "writes them into the keyboard's screen memory; returns once the keyboard has them.\n";
}

std::string UpdateCheckDetails() {
  return "Asks the update address of config.xml for the newest version and compares it with\n"
         "this one. Nothing is downloaded; the window's settings page installs updates.\n"
         "Fails when the server cannot be reached or gives no usable answer.\n";
}

std::string EffectModeDetails() {
  return "The keyboard's lights follow, while the effect page is active:\n"
         "  1  the music the computer plays (the music layer's patterns)\n"
         "  2  a picture, animated GIF or video ('effect file')\n"
         "  3  the whole screen (needs an X11 session)\n"
         "  4  one window ('effect window'; needs an X11 session)\n"
         "  5  light layers drawn over the keys in the music colour\n"
         "  6  the screen's average colour\n"
         "  7  a flash with every beat\n"
         "The mode is stored for the active profile; the command shows the effect page, which\n"
         "keeps the effect running until the lighting page is opened.\n";
}

std::string EffectWindowDetails() {
  return "TITLE is a window's whole title or, when only one window has it, a part of it\n"
         "(letter case aside). Windows smaller than 100 x 100 pixels and windows without a\n"
         "title cannot be followed.\n";
}

std::string MacroSetDetails() {
  return "Replaces the events of a macro and sends the macros to the keyboard. EVENTS is a list\n"
         "of words (quote it, or give it as the rest of the command line):\n"
         "  down:KEY  up:KEY  tap:KEY     a key going down, up, or both; KEY as the macro page\n"
         "                                names it without blanks (A, Enter, PageUp, Shift,\n"
         "                                RShift, Num1, F5) or vk:0x41\n"
         "  button-down:B  button-up:B  click:B\n"
         "                                a mouse button: left, right, middle, back, forward\n"
         "  wait:MS                       a pause of its own, 1 to 10000 ms\n"
         "  MS                            the delay after the event before it, 0 to 31000 ms\n"
         "                                (10 when none is given)\n"
         "The events must fit in the keyboard's macro memory together with the other macros.\n"
         "Example: tarvoctl macro set 1 down:A 50 up:A 20 click:left\n";
}

std::string MacroDeleteDetails() {
  return "Deletes the macro and its events. Keys that played it get their factory functions\n"
         "back; the macros after it move up a slot, and the keyboard receives the macros and\n"
         "the active profile's keys again so that every key keeps playing the same macro.\n";
}

const std::vector<CommandSpec>& Table() {
  static const std::vector<CommandSpec> table = {
      {"status",
       {},
       {},
       "the software version; every keyboard model with its connections,\n"
       "firmware and battery; the selected model; the active profile",
       nullptr,
       FormatStatus},
      {"device select",
       {{"MODEL", Kind::kModel}},
       {},
       "show and talk to another keyboard model (a number of 'status')",
       nullptr,
       FormatMessage},
      {"profile list", {}, {}, "the profiles of the selected model", nullptr, FormatProfileList},
      {"profile select",
       {{"ID-or-NAME", Kind::kProfile}},
       {},
       "make a profile the active one and send it to the keyboard",
       ProfileSelectDetails,
       FormatMessage},
      {"profile add",
       {{"NAME", Kind::kText}},
       {},
       "add a profile and make it the active one",
       ProfileAddDetails,
       FormatMessage},
      {"profile rename",
       {{"ID", Kind::kProfileId}, {"NAME", Kind::kText}},
       {},
       "rename a profile",
       nullptr,
       FormatMessage},
      {"profile delete",
       {{"ID", Kind::kProfileId}},
       {},
       "delete a profile (never the last one; deleting the active\n"
       "profile activates its neighbour)",
       nullptr,
       FormatMessage},
      {"profile export",
       {{"ID", Kind::kProfileId}, {"FILE", Kind::kFile}},
       {},
       "write a profile's key assignments to an export file",
       nullptr,
       FormatMessage},
      {"profile import",
       {{"FILE", Kind::kFile}},
       {},
       "read an export file into a new profile and make it the active one",
       ImportDetails,
       FormatMessage},
      {"settings show",
       {},
       {},
       "the keyboard settings of the active profile",
       nullptr,
       FormatSettingsShow},
      {"settings set",
       {{"NAME", Kind::kSettingName}, {"VALUE", Kind::kSettingWord}},
       {},
       "change a keyboard setting of the active profile (the names\n"
       "and values: tarvoctl settings set --help)",
       SettingsSetDetails,
       FormatMessage},
      {"macro list",
       {},
       {},
       "the macros (shared by every profile) with their slots and\n"
       "events, and the room left in the keyboard's macro memory",
       nullptr,
       FormatMacroList},
      {"macro show",
       {{"ID", Kind::kMacroId}},
       {},
       "a macro's settings and events",
       nullptr,
       FormatMacroShow},
      {"macro add",
       {{"NAME", Kind::kText}},
       {},
       "add an empty macro (at most 10)",
       nullptr,
       FormatMessage},
      {"macro delete",
       {{"ID", Kind::kMacroId}},
       {},
       "delete a macro; keys that played it get their defaults back",
       MacroDeleteDetails,
       FormatMessage},
      {"macro rename",
       {{"ID", Kind::kMacroId}, {"NAME", Kind::kText}},
       {},
       "rename a macro",
       nullptr,
       FormatMessage},
      {"macro set",
       {{"ID", Kind::kMacroId}, {"EVENTS", Kind::kWords}},
       {},
       "replace a macro's events (e.g. down:A 50 up:A) and send them",
       MacroSetDetails,
       FormatMessage},
      {"macro export",
       {{"ID", Kind::kMacroId}, {"FILE", Kind::kFile}},
       {},
       "write a macro to a file",
       nullptr,
       FormatMessage},
      {"macro import",
       {{"FILE", Kind::kFile}},
       {},
       "read a macro file into a new macro and send it",
       nullptr,
       FormatMessage},
      {"settings factory-reset",
       {},
       {"yes"},
       "erase every profile and reset the keyboard to its factory settings",
       FactoryResetDetails,
       FormatMessage},
      // Keys and the knob.
      {"key show",
       {{"LAYER", Kind::kLayer, Arity::kOptional}},
       {},
       "what every key does on a layer (all four without LAYER)",
       KeyShowDetails,
       FormatKeyShow},
      {"key set",
       {{"LAYER", Kind::kLayer},
        {"KEY", Kind::kKey},
        {"FUNCTION", Kind::kKeyFunction, Arity::kRest}},
       {},
       "give a key of a layer a function and send it (the keys\n"
       "and functions: tarvoctl key set --help)",
       KeySetDetails,
       FormatMessage},
      {"key reset",
       {{"LAYER", Kind::kLayer}, {"KEY", Kind::kKey, Arity::kOptional}},
       {},
       "a key, or every key of a layer, back to its factory function",
       KeyResetDetails,
       FormatMessage},
      {"knob set",
       {{"ACTION", Kind::kKnobAction},
        {"FUNCTION", Kind::kKeyFunction},
        {"LAYER", Kind::kLayer, Arity::kOptional}},
       {},
       "give a knob action (left, right, press) a function",
       KnobSetDetails,
       FormatMessage},
      // Lighting.
      {"light show",
       {},
       {},
       "the light zones' modes and values, the custom slot",
       nullptr,
       FormatLightShow},
      {"light on", {}, {}, "switch the key lights on, back to their mode", nullptr, FormatMessage},
      {"light off", {}, {}, "switch the key lights off", nullptr, FormatMessage},
      {"light mode",
       {{"ZONE", Kind::kZone}, {"MODE", Kind::kLightMode}},
       {},
       "choose a zone's light mode (zones and modes:\n"
       "tarvoctl light mode --help)",
       LightModeDetails,
       FormatMessage},
      {"light brightness",
       {{"ZONE", Kind::kZone}, {"N", Kind::kNumber}},
       {},
       "set the brightness of a zone's mode",
       LightValueDetails,
       FormatMessage},
      {"light speed",
       {{"ZONE", Kind::kZone}, {"N", Kind::kNumber}},
       {},
       "set the speed of a zone's mode",
       LightValueDetails,
       FormatMessage},
      {"light direction",
       {{"ZONE", Kind::kZone}, {"D", Kind::kDirection}},
       {},
       "set the direction of a zone's mode",
       LightDirectionDetails,
       FormatMessage},
      {"light colour",
       {{"ZONE", Kind::kZone}, {"RRGGBB", Kind::kColour}},
       {},
       "give a zone's mode one colour",
       LightColourDetails,
       FormatMessage},
      {"light colorful",
       {{"ZONE", Kind::kZone}},
       {},
       "let a zone's mode show its many colours again",
       ZoneHelp,
       FormatMessage},
      {"slot select",
       {{"N", Kind::kSlot}},
       {},
       "show custom slot N (128 to 132) on the key lights",
       SlotDetails,
       FormatMessage},
      {"slot paint",
       {{"N", Kind::kSlot}, {"KEY=RRGGBB...", Kind::kKeyColour, Arity::kRest}},
       {},
       "give keys of a custom slot colours, show and write it",
       SlotDetails,
       FormatMessage},
      {"slot fill",
       {{"N", Kind::kSlot}, {"RRGGBB", Kind::kColour}},
       {},
       "give every key of a custom slot one colour",
       SlotDetails,
       FormatMessage},
      {"slot show",
       {{"N", Kind::kSlot}},
       {},
       "the colours a custom slot keeps for each key",
       SlotDetails,
       FormatSlotShow},
      {"matrix show",
       {},
       {},
       "the matrix light: switch, mode, preset, brightness, speed, colour,\n"
       "amplitude and the colour of every cell",
       nullptr,
       FormatMatrixShow},
      {"matrix on", {}, {}, "switch the matrix light on (its active mode)", nullptr, FormatMessage},
      {"matrix off", {}, {}, "switch the matrix light off", nullptr, FormatMessage},
      {"matrix mode",
       {{"MODE", Kind::kNumber}},
       {},
       "choose the matrix light's mode (0 to 6, 128)",
       MatrixModeDetails,
       FormatMessage},
      {"matrix preset",
       {{"PRESET", Kind::kNumber}},
       {},
       "choose the animation of mode 128",
       MatrixPresetDetails,
       FormatMessage},
      {"matrix brightness",
       {{"VALUE", Kind::kNumber}},
       {},
       "the shown mode's brightness (0 to the keyboard's maximum)",
       nullptr,
       FormatMessage},
      {"matrix speed",
       {{"VALUE", Kind::kNumber}},
       {},
       "the shown mode's speed (0 to the keyboard's maximum)",
       nullptr,
       FormatMessage},
      {"matrix amplitude",
       {{"VALUE", Kind::kNumber}},
       {},
       "how strongly the music animations follow the sound (0 to 100)",
       nullptr,
       FormatMessage},
      {"matrix colour",
       {{"RRGGBB", Kind::kText}},
       {},
       "the shown mode's single colour (ends \"colorful\")",
       nullptr,
       FormatMessage},
      {"matrix paint",
       {{"CELL=RRGGBB...", Kind::kText, Arity::kRest}},
       {},
       "paint cells of the drawing and send it to the keyboard",
       MatrixPaintDetails,
       FormatMessage},
      {"matrix clear", {}, {}, "make the drawing black and send it", nullptr, FormatMessage},
      {"audio show",
       {},
       {},
       "what the music analysis hears: the sound source, level, bands,\n"
       "tempo",
       nullptr,
       FormatAudioShow},
      {"screen list", {}, {}, "the animations of the screen's library", nullptr, FormatScreenList},
      {"screen show",
       {},
       {},
       "what each of the keyboard's three screens shows",
       nullptr,
       FormatScreenShow},
      {"screen import",
       {{"FILE", Kind::kFile}},
       {},
       "add a picture or an animated GIF to the screen's library",
       ScreenImportDetails,
       FormatMessage},
      {"screen set",
       {{"SCREEN", Kind::kText}, {"ITEM", Kind::kText}},
       {},
       "make an animation of the library what a screen shows (1, 2 or 3)",
       ScreenSetDetails,
       FormatMessage},
      {"screen upload",
       {},
       {},
       "send the screens' animations to the keyboard",
       ScreenUploadDetails,
       FormatMessage},
      {"screen clock",
       {},
       {},
       "set the screen's clock to this computer's time",
       nullptr,
       FormatMessage},
      {"update check",
       {},
       {},
       "ask the update server whether a newer Tarvo is available",
       UpdateCheckDetails,
       FormatMessage},
      {"autostart on",
       {},
       {},
       "start Tarvo at login (minimised when the settings page's\n"
       "start-minimised switch is on)",
       nullptr,
       FormatMessage},
      {"autostart off", {}, {}, "do not start Tarvo at login", nullptr, FormatMessage},
      {"effect show",
       {},
       {},
       "the screen-sync and music effect: mode, music layer, file,\n"
       "window and colour",
       nullptr,
       FormatEffectShow},
      {"effect mode",
       {{"N", Kind::kText}},
       {},
       "choose the effect mode, 1 to 7 (see tarvoctl effect mode --help)",
       EffectModeDetails,
       FormatMessage},
      {"effect file",
       {{"PATH", Kind::kFile}},
       {},
       "light the keys from a picture, animated GIF or video",
       nullptr,
       FormatMessage},
      {"effect window",
       {{"TITLE", Kind::kText}},
       {},
       "light the keys from one window",
       EffectWindowDetails,
       FormatMessage},
      {"effect screen", {}, {}, "light the keys from the whole screen", nullptr, FormatMessage},
      {"effect amplitude",
       {{"N", Kind::kText}},
       {},
       "the music layer's amplitude, 0 to 100 (stored as N x 10)",
       nullptr,
       FormatMessage},
      {"effect colour",
       {{"RRGGBB", Kind::kText}},
       {},
       "the music colour of the light layers and spectrum columns",
       nullptr,
       FormatMessage},
  };
  return table;
}

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool StartsWith(const std::vector<std::string>& words, const std::vector<std::string>& prefix) {
  return words.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), words.begin());
}

// The commands whose words begin with `prefix`.
std::vector<const CommandSpec*> CommandsUnder(const std::vector<std::string>& prefix) {
  std::vector<const CommandSpec*> found;
  for (const CommandSpec& command : Table()) {
    if (StartsWith(command.Words(), prefix)) found.push_back(&command);
  }
  return found;
}

std::string CommandList(const std::vector<const CommandSpec*>& commands) {
  std::string text;
  for (const CommandSpec* command : commands) {
    std::string synopsis = "  " + command->Synopsis();
    for (const char* flag : command->requiredFlags) synopsis += std::string(" --") + flag;
    if (synopsis.size() < 34) {
      synopsis.resize(34, ' ');
    } else {
      synopsis += "\n" + std::string(34, ' ');
    }
    std::string summary = command->summary;
    for (std::size_t at = summary.find('\n'); at != std::string::npos;
         at = summary.find('\n', at + 1)) {
      summary.insert(at + 1, std::string(34, ' '));
    }
    text += synopsis + summary + "\n";
  }
  return text;
}

std::string CommandHelp(const CommandSpec& command) {
  std::string text = "Usage: tarvoctl [--json] " + command.Synopsis();
  for (const char* flag : command.requiredFlags) text += std::string(" --") + flag;
  text += "\n" + std::string(command.summary) + "\n";
  if (command.details != nullptr) text += "\n" + command.details();
  return text;
}

std::string UsageError(const CommandSpec& command, const std::string& problem) {
  std::string synopsis = command.Synopsis();
  for (const char* flag : command.requiredFlags) synopsis += std::string(" --") + flag;
  return problem + " (usage: tarvoctl " + synopsis + ")";
}

// Checks the flags a request gives against those its command requires.
std::string FlagProblem(const CommandSpec& command, const std::vector<std::string>& flags) {
  for (const std::string& flag : flags) {
    const bool known = std::any_of(command.requiredFlags.begin(), command.requiredFlags.end(),
                                   [&](const char* wanted) { return flag == wanted; });
    if (!known) return UsageError(command, "unknown option --" + flag);
  }
  for (const char* wanted : command.requiredFlags) {
    if (std::find(flags.begin(), flags.end(), wanted) == flags.end())
      return UsageError(command, std::string(command.words) + " needs --" + wanted);
  }
  return {};
}

// What the table itself can tell of an argument; values a setting takes, names and files are
// for the command to judge (they fail with exit status 1, not as a usage error).
std::string ArgumentProblem(const CommandSpec& command, const Argument& argument,
                            const std::string& word) {
  switch (argument.kind) {
    case Kind::kProfileId:
      if (!ParseNumber(word)) return UsageError(command, "not a profile number: '" + word + "'");
      break;
    case Kind::kModel:
      if (!ParseNumber(word)) return UsageError(command, "not a model number: '" + word + "'");
      break;
    case Kind::kMacroId:
      if (!ParseNumber(word)) return UsageError(command, "not a macro number: '" + word + "'");
      break;
    case Kind::kSettingName:
      if (FindSetting(word) == nullptr) {
        std::string names;
        for (const SettingName& setting : SettingNames())
          names += (names.empty() ? "" : ", ") + std::string(setting.name);
        return UsageError(command, "unknown setting '" + word + "' (settings: " + names + ")");
      }
      break;
    case Kind::kFile:
      if (word.empty()) return UsageError(command, "an empty file name");
      break;
    case Kind::kLayer:
      if (!ParseNumber(word)) return UsageError(command, "not a layer number: '" + word + "'");
      break;
    case Kind::kNumber:
      if (!ParseNumber(word)) {
        return UsageError(command,
                          std::string("not a number: '") + word + "' for " + argument.name);
      }
      break;
    case Kind::kSlot:
      if (!ParseNumber(word)) return UsageError(command, "not a slot number: '" + word + "'");
      break;
    default:
      break;
  }
  return {};
}

}  // namespace

std::vector<std::string> CommandSpec::Words() const {
  return SplitWords(words);
}

std::string CommandSpec::Synopsis() const {
  std::string text = words;
  for (const Argument& argument : arguments) {
    const bool optional = argument.arity == Arity::kOptional;
    text += std::string(optional ? " [" : " ") + argument.name + (optional ? "]" : "");
  }
  return text;
}

const Argument* CommandSpec::ArgumentAt(std::size_t index) const {
  if (index < arguments.size()) return &arguments[index];
  if (!arguments.empty() && arguments.back().arity == Arity::kRest) return &arguments.back();
  return nullptr;
}

std::span<const CommandSpec> Commands() {
  return Table();
}

const CommandSpec* FindCommand(std::string_view words) {
  for (const CommandSpec& command : Table()) {
    if (command.words == words) return &command;
  }
  return nullptr;
}

Match MatchCommand(const Request& request) {
  Match match;
  const CommandSpec* best = nullptr;
  for (const CommandSpec& command : Table()) {
    if (StartsWith(request.command, command.Words())) best = &command;
  }
  if (best == nullptr) {
    if (request.command.empty()) {
      match.error = "no command given; see 'tarvoctl --help'";
    } else if (!CommandsUnder({request.command[0]}).empty()) {
      const std::string group = request.command[0];
      match.error = request.command.size() == 1
                        ? group + " needs a command; see 'tarvoctl " + group + " --help'"
                        : "unknown command '" + group + " " + request.command[1] +
                              "'; see 'tarvoctl " + group + " --help'";
    } else {
      match.error = "unknown command '" + request.command[0] + "'; see 'tarvoctl --help'";
    }
    return match;
  }
  match.command = best;
  const std::size_t own = best->Words().size();
  match.arguments.assign(request.command.begin() + static_cast<std::ptrdiff_t>(own),
                         request.command.end());
  // A last argument of words takes the rest of the line.
  const std::size_t expected = best->arguments.size();
  if (expected > 0 && best->arguments.back().kind == Kind::kWords &&
      match.arguments.size() > expected) {
    std::string rest;
    for (std::size_t i = expected - 1; i < match.arguments.size(); ++i)
      rest += (rest.empty() ? "" : " ") + match.arguments[i];
    match.arguments.resize(expected - 1);
    match.arguments.push_back(std::move(rest));
  }
  const std::size_t required = static_cast<std::size_t>(
      std::count_if(best->arguments.begin(), best->arguments.end(),
                    [](const Argument& argument) { return argument.arity != Arity::kOptional; }));
  if (match.arguments.size() < required) {
    match.error = UsageError(*best, "missing arguments");
    return match;
  }
  if (match.arguments.size() > best->arguments.size() &&
      best->ArgumentAt(match.arguments.size() - 1) == nullptr) {
    match.error = UsageError(*best, "too many arguments");
    return match;
  }
  for (std::size_t i = 0; i < match.arguments.size() && match.error.empty(); ++i) {
    match.error = ArgumentProblem(*best, *best->ArgumentAt(i), match.arguments[i]);
  }
  if (match.error.empty()) match.error = FlagProblem(*best, request.flags);
  return match;
}

std::optional<std::string> ProfileNameProblem(std::string_view name) {
  if (base::Trim(name).empty()) return "a profile name cannot be empty";
  if (!base::IsValidUtf8(name)) return "a profile name must be UTF-8 text";
  if (std::any_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
    return "a profile name cannot hold control characters";
  if (base::CodePointCount(name) > kMaxProfileNameLength)
    return "a profile name has at most " + std::to_string(kMaxProfileNameLength) + " characters";
  return std::nullopt;
}

std::optional<int> ParseNumber(std::string_view word) {
  if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != word.npos)
    return std::nullopt;
  return base::ToInt(word);
}

std::string GeneralHelp() {
  return "Usage: tarvoctl [OPTIONS] COMMAND [ARGUMENTS]\n"
         "Reads and changes the settings of Tarvo keyboards: through the Tarvo that runs for\n"
         "this user, or, when none runs, through a Tarvo of its own that ends with the command.\n"
         "A command that changes the keyboard returns once the keyboard has received it.\n"
         "\nCommands:\n" +
         CommandList(CommandsUnder({})) +
         "\nOptions:\n"
         "  --json                          print the result as JSON\n"
         "  --virtual-keyboard[=MODEL[,receiver]]\n"
         "                                  when no Tarvo runs, use the built-in virtual\n"
         "                                  keyboard (default: model 101 by cable)\n"
         "  -h, --help                      this help; after a command, the command's help\n"
         "  --version                       the version of tarvoctl\n"
         "\nExit status: 0 done, 1 failed (one line on standard error says why), 2 usage error.\n"
         "\nExamples:\n"
         "  tarvoctl profile select Game\n"
         "  tarvoctl settings set game-mode on\n"
         "  tarvoctl macro set 1 down:A 50 up:A\n"
         "  tarvoctl --json status\n";
}

std::optional<std::string> TopicHelp(const std::vector<std::string>& words) {
  if (words.empty()) return GeneralHelp();
  const std::vector<const CommandSpec*> under = CommandsUnder(words);
  if (under.size() == 1 && under[0]->Words() == words) return CommandHelp(*under[0]);
  if (!under.empty()) {
    std::string joined;
    for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
    return "Usage: tarvoctl [--json] " + joined + " COMMAND [ARGUMENTS]\n\nCommands:\n" +
           CommandList(under);
  }
  // "tarvoctl profile select Work --help": the help of the command the words begin with.
  const Match match = MatchCommand(Request{words, {}});
  if (match.command != nullptr) return CommandHelp(*match.command);
  return std::nullopt;
}

}  // namespace cli
