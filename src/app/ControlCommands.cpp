#include "app/ControlCommands.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/EffectCommands.h"
#include "app/KeyVerbs.h"
#include "app/KeyboardDlg.h"
#include "app/LightVerbs.h"
#include "app/MacroControlCommands.h"
#include "app/MatrixCommands.h"
#include "app/ScreenCommands.h"
#include "cli/SettingNames.h"
#include "protocol/DeviceInfo.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/Manager.h"

namespace {

using base::Json;
using cli::Answer;
using cli::Reason;

constexpr const char* kDroppedChange =
    "the keyboard went away before it received the change (the change is stored)";

}  // namespace

// Commands that talk to the keyboard need it attached and awake.
std::optional<Answer> KeyboardProblem(KeyboardDlg& dialog) {
  const SharedState& state = dialog.State();
  if (!state.devicePresent.load()) return Answer::Failure(Reason::kNoKeyboard, "no keyboard found");
  if (state.connectionKind.load() == kConnectionNone) {
    return Answer::Failure(Reason::kNoKeyboard, "no keyboard of model " +
                                                    std::to_string(state.selectedModel.load()) +
                                                    " is connected (see 'tarvoctl status')");
  }
  if (!state.online.load()) {
    return Answer::Failure(Reason::kOffline,
                           "keyboard offline (asleep, or out of its receiver's reach)");
  }
  return std::nullopt;
}

std::optional<Answer> FileProblem(const std::string& file) {
  if (!std::filesystem::path(file).is_absolute())
    return Answer::Failure(Reason::kFile, "not an absolute path: " + file);
  return std::nullopt;
}

// The profile as the list shows it: its id and its name in the user's language.
Json ProfileJson(KeyboardDlg& dialog, int profile) {
  ProfilePage& page = dialog.Profiles().Page();
  for (const storage::ProfileRecord& record : page.ListProfiles()) {
    if (record.profile == profile)
      return Json::MakeObject().Set("id", profile).Set("name", page.DisplayName(record.name));
  }
  return Json();
}

Json ActiveProfileJson(KeyboardDlg& dialog) {
  return ProfileJson(dialog, dialog.State().currentProfile.load());
}

CommandOutcome AfterChange(KeyboardDlg& dialog, std::function<Json()> result) {
  return CommandOutcome::AfterTasks(
      [&dialog, result = std::move(result)] {
        // A change that joined a task queued before the command learns only that the task
        // finished, not whether it ran: a keyboard gone by now may not have it.
        if (KeyboardProblem(dialog)) {
          return Answer::Failure(Reason::kOffline,
                                 "the keyboard went away; it may not have received the change "
                                 "(the change is stored)");
        }
        Json answer = result();
        answer.Set("profile", ActiveProfileJson(dialog));
        return Answer::Success(std::move(answer));
      },
      kDroppedChange);
}

namespace {

std::string Quoted(const Json& profile) {
  if (!profile.IsObject()) return "none";
  return std::to_string(profile.Find("id")->AsInteger()) + " \"" +
         profile.Find("name")->AsString() + "\"";
}

Json ActiveProfileResult(KeyboardDlg& dialog, const std::string& message) {
  const Json active = ProfileJson(dialog, dialog.State().currentProfile.load());
  return Json::MakeObject()
      .Set("message", message + "; active profile: " + Quoted(active))
      .Set("active_profile", active);
}

// Status ---------------------------------------------------------------------------------------

const char* ModeName(int mode) {
  switch (mode) {
    case kModeCable:
      return "cable";
    case kModeReceiver:
      return "receiver";
    default:
      return "other";
  }
}

Json ModelStatus(KeyboardDlg& dialog, const KeyboardModelRecord& model,
                 const Tessel::DeviceItem* shown) {
  Json connections = Json::MakeArray();
  if (shown != nullptr) {
    for (const auto& [mode, online] : shown->modeStates) {
      Json connection = Json::MakeObject().Set("mode", ModeName(mode)).Set("online", online == 1);
      const auto battery = shown->batteries.find(mode);
      if (battery != shown->batteries.end() && battery->second.level > 0) {
        connection.Set("battery", battery->second.level);
        connection.Set("charging", battery->second.charging != 0);
      }
      connections.Push(std::move(connection));
    }
  }
  const KeyboardInfo::Snapshot read = dialog.Keyboard().Info().Get();
  // The firmware is known of the keyboard read last; ": v1.22" without its caption.
  const Json firmware =
      read.modelId == model.modelId && read.modelId != 0
          ? Json(protocol::FirmwareVersionLabel("", read.device.firmwareVersion).substr(3))
          : Json();
  return Json::MakeObject()
      .Set("model", model.modelId)
      .Set("name", model.name)
      .Set("selected", model.modelId == dialog.State().selectedModel.load())
      .Set("connections", std::move(connections))
      .Set("firmware", firmware);
}

CommandOutcome Status(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::vector<Tessel::DeviceItem> shown = dialog.Session().Page().Items();
  Json models = Json::MakeArray();
  for (const KeyboardModelRecord& model : dialog.Catalogue().models) {
    const Tessel::DeviceItem* item = nullptr;
    for (const Tessel::DeviceItem& candidate : shown) {
      if (candidate.modelId == model.modelId) item = &candidate;
    }
    models.Push(ModelStatus(dialog, model, item));
  }
  const int selected = dialog.State().selectedModel.load();
  return CommandOutcome::Now(Answer::Success(
      Json::MakeObject()
          .Set("software", Json::MakeObject()
                               .Set("name", Tessel::Manager::GetDeviceName())
                               .Set("version", dialog.Catalogue().software.version))
          .Set("selected_model", selected > 0 ? Json(selected) : Json())
          .Set("connected", dialog.State().Connected())
          .Set("active_profile", ProfileJson(dialog, dialog.State().currentProfile.load()))
          .Set("models", std::move(models))));
}

CommandOutcome DeviceSelect(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const int model = cli::ParseNumber(call.arguments[0]).value_or(0);
  const KeyboardModelRecord* record = dialog.Catalogue().FindModel(model);
  if (record == nullptr || !dialog.Session().SelectModel(model)) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kNotFound, "no such model: " + call.arguments[0]));
  }
  const std::string name = record->name;
  return CommandOutcome::AfterTasks(
      [&dialog, model, name] {
        const std::string selected = "model " + std::to_string(model) + " is selected, but ";
        const SharedState& state = dialog.State();
        if (state.connectionKind.load() == kConnectionNone || !state.devicePresent.load())
          return Answer::Failure(Reason::kNoKeyboard, selected + "no keyboard of it is connected");
        if (!state.online.load())
          return Answer::Failure(
              Reason::kOffline,
              selected + "it is offline (asleep, or out of its receiver's reach)");
        const int kind = dialog.State().connectionKind.load();
        const char* how = kind == kConnectionCable ? "by cable" : "through its receiver";
        return Answer::Success(Json::MakeObject()
                                   .Set("message", "model " + std::to_string(model) + " (" + name +
                                                       ") selected, connected " + how)
                                   .Set("model", model)
                                   .Set("name", name)
                                   .Set("connected", true));
      },
      "the device list changed before the keyboard was looked for");
}

// Profiles -------------------------------------------------------------------------------------

CommandOutcome ProfileList(const CommandCall& call) {
  ProfilePage& page = call.dialog.Profiles().Page();
  const int active = call.dialog.State().currentProfile.load();
  Json profiles = Json::MakeArray();
  for (const storage::ProfileRecord& record : page.ListProfiles()) {
    profiles.Push(Json::MakeObject()
                      .Set("id", record.profile)
                      .Set("name", page.DisplayName(record.name))
                      .Set("active", record.profile == active));
  }
  return CommandOutcome::Now(
      Answer::Success(Json::MakeObject().Set("active", active).Set("profiles", profiles)));
}

// A profile by its number, or else by its stored or shown name.
std::variant<int, Answer> FindProfile(KeyboardDlg& dialog, const std::string& word) {
  ProfilePage& page = dialog.Profiles().Page();
  if (const std::optional<int> id = cli::ParseNumber(word)) {
    if (page.HasProfile(*id)) return *id;
    return Answer::Failure(Reason::kNotFound, "no such profile: " + word);
  }
  std::vector<int> named;
  for (const storage::ProfileRecord& record : page.ListProfiles()) {
    if (record.name == word || page.DisplayName(record.name) == word)
      named.push_back(record.profile);
  }
  if (named.size() == 1) return named[0];
  if (named.empty()) return Answer::Failure(Reason::kNotFound, "no such profile: " + word);
  return Answer::Failure(Reason::kNotFound,
                         "several profiles are named \"" + word + "\"; give its number");
}

CommandOutcome AfterProfileSwitch(KeyboardDlg& dialog, std::string message) {
  return CommandOutcome::AfterTasks(
      [&dialog, message] { return Answer::Success(ActiveProfileResult(dialog, message)); },
      "the keyboard went away before it received the profile (it is active in Tarvo)");
}

CommandOutcome ProfileSelect(const CommandCall& call) {
  if (std::optional<Answer> problem = KeyboardProblem(call.dialog))
    return CommandOutcome::Now(*problem);
  const std::variant<int, Answer> found = FindProfile(call.dialog, call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  call.dialog.Profiles().Page().SelectProfile(std::get<int>(found));
  return AfterProfileSwitch(call.dialog, "profile sent to the keyboard");
}

CommandOutcome ProfileAdd(const CommandCall& call) {
  const std::string& name = call.arguments[0];
  if (std::optional<std::string> problem = cli::ProfileNameProblem(name))
    return CommandOutcome::Now(Answer::Failure(Reason::kInvalidValue, *problem));
  if (std::optional<Answer> problem = KeyboardProblem(call.dialog))
    return CommandOutcome::Now(*problem);
  ProfilePage& page = call.dialog.Profiles().Page();
  if (page.AtProfileLimit()) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kLimit, "a keyboard model keeps at most " +
                                            std::to_string(ProfileService::kMaxProfiles) +
                                            " profiles; delete one first"));
  }
  const int id = page.AddProfile(name);
  if (id <= 0)
    return CommandOutcome::Now(Answer::Failure(Reason::kFailed, "the profile could not be stored"));
  return AfterProfileSwitch(call.dialog, "profile " + std::to_string(id) + " added");
}

CommandOutcome ProfileRename(const CommandCall& call) {
  const int id = cli::ParseNumber(call.arguments[0]).value_or(0);
  const std::string& name = call.arguments[1];
  ProfilePage& page = call.dialog.Profiles().Page();
  if (!page.HasProfile(id))
    return CommandOutcome::Now(
        Answer::Failure(Reason::kNotFound, "no such profile: " + call.arguments[0]));
  if (std::optional<std::string> problem = cli::ProfileNameProblem(name))
    return CommandOutcome::Now(Answer::Failure(Reason::kInvalidValue, *problem));
  if (page.RenameProfile(id, name) != name)
    return CommandOutcome::Now(Answer::Failure(Reason::kFailed, "the name could not be stored"));
  const Json profile = ProfileJson(call.dialog, id);
  return CommandOutcome::Now(
      Answer::Success(Json::MakeObject()
                          .Set("message", "profile renamed: " + Quoted(profile))
                          .Set("profile", profile)));
}

CommandOutcome ProfileDelete(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const int id = cli::ParseNumber(call.arguments[0]).value_or(0);
  ProfilePage& page = dialog.Profiles().Page();
  if (!page.HasProfile(id))
    return CommandOutcome::Now(
        Answer::Failure(Reason::kNotFound, "no such profile: " + call.arguments[0]));
  if (page.ListProfiles().size() < 2)
    return CommandOutcome::Now(
        Answer::Failure(Reason::kLimit, "the last profile of a model cannot be deleted"));
  // Deleting the active profile activates its neighbour, which goes to the keyboard.
  const bool active = id == dialog.State().currentProfile.load();
  if (active) {
    if (std::optional<Answer> problem = KeyboardProblem(dialog))
      return CommandOutcome::Now(*problem);
  }
  if (page.DeleteProfile(id) <= 0)
    return CommandOutcome::Now(
        Answer::Failure(Reason::kFailed, "the profile could not be deleted"));
  const std::string message = "profile " + std::to_string(id) + " deleted";
  if (active) return AfterProfileSwitch(dialog, message);
  return CommandOutcome::Now(Answer::Success(ActiveProfileResult(dialog, message)));
}

CommandOutcome ProfileExport(const CommandCall& call) {
  const int id = cli::ParseNumber(call.arguments[0]).value_or(0);
  const std::string& file = call.arguments[1];
  ProfilePage& page = call.dialog.Profiles().Page();
  if (!page.HasProfile(id))
    return CommandOutcome::Now(
        Answer::Failure(Reason::kNotFound, "no such profile: " + call.arguments[0]));
  if (std::optional<Answer> problem = FileProblem(file)) return CommandOutcome::Now(*problem);
  std::string error;
  if (!page.ExportProfile(id, file, &error)) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kFile, "cannot write " + file + (error.empty() ? "" : ": " + error)));
  }
  return CommandOutcome::Now(
      Answer::Success(Json::MakeObject()
                          .Set("message", "profile " + std::to_string(id) + " written to " + file)
                          .Set("profile", ProfileJson(call.dialog, id))
                          .Set("file", file)));
}

CommandOutcome ProfileImport(const CommandCall& call) {
  const std::string& file = call.arguments[0];
  if (std::optional<Answer> problem = FileProblem(file)) return CommandOutcome::Now(*problem);
  std::error_code code;
  if (std::filesystem::is_directory(file, code))
    return CommandOutcome::Now(
        Answer::Failure(Reason::kFile, "cannot read " + file + ": a folder"));
  if (std::ifstream readable(file); !readable) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kFile, "cannot read " + file + ": " + std::strerror(errno)));
  }
  if (std::optional<Answer> problem = KeyboardProblem(call.dialog))
    return CommandOutcome::Now(*problem);
  ProfilePage& page = call.dialog.Profiles().Page();
  if (page.AtProfileLimit()) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kLimit, "a keyboard model keeps at most " +
                            std::to_string(ProfileService::kMaxProfiles) + " profiles"));
  }
  const ProfileService::ImportResult imported = page.ImportProfile(file);
  const int id = imported.profile;
  if (imported.failure == ProfileService::ImportResult::Failure::kUnreadable) {
    return CommandOutcome::Now(Answer::Failure(Reason::kFile, file + " holds no profile export"));
  }
  if (id <= 0) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kFailed, "the profile could not be stored in the database"));
  }
  return AfterProfileSwitch(call.dialog,
                            "profile " + std::to_string(id) + " imported from " + file);
}

// Settings -------------------------------------------------------------------------------------

bool ShowsSetting(KeyboardDlg& dialog, const cli::SettingName& setting) {
  return !setting.knob || dialog.Capabilities().HasKnob();
}

CommandOutcome SettingsShow(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  SystemSettingsPage& page = dialog.Keyboard().Page();
  Json settings = Json::MakeObject();
  for (const cli::SettingName& setting : cli::SettingNames()) {
    if (!ShowsSetting(dialog, setting)) continue;
    const std::optional<int> stored = page.StoredSetting(setting.configKey);
    std::optional<std::string> word;
    if (stored) word = cli::WordOfSetting(setting, *stored);
    settings.Set(setting.name, word     ? Json(*word)
                               : stored ? Json(std::to_string(*stored) + " (no choice)")
                                        : Json("not stored"));
  }
  return CommandOutcome::Now(
      Answer::Success(Json::MakeObject()
                          .Set("profile", ProfileJson(dialog, dialog.State().currentProfile.load()))
                          .Set("settings", std::move(settings))));
}

CommandOutcome SettingsSet(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const cli::SettingName& setting = *cli::FindSetting(call.arguments[0]);
  const std::string& word = call.arguments[1];
  const std::optional<int> value = cli::ParseSettingWord(setting, word);
  if (!value) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kInvalidValue, std::string(setting.name) + " takes " +
                                   cli::AllowedWordsText(setting) + ", not '" + word + "'"));
  }
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  SystemSettingsPage& page = dialog.Keyboard().Page();
  const std::string name = setting.name;
  const std::string shown = *cli::WordOfSetting(setting, *value);
  auto result = [&dialog, name, shown](const std::string& how) {
    return Answer::Success(
        Json::MakeObject()
            .Set("message", name + " " + shown + how)
            .Set("setting", name)
            .Set("value", shown)
            .Set("profile", ProfileJson(dialog, dialog.State().currentProfile.load())));
  };
  if (setting.knob) {
    if (!ShowsSetting(dialog, setting)) {
      return CommandOutcome::Now(Answer::Failure(
          Reason::kNotSupported,
          "model " + std::to_string(dialog.State().selectedModel.load()) + " has no knob"));
    }
    if (!page.SetKnobMode(*value == 1))
      return CommandOutcome::Now(
          Answer::Failure(Reason::kFailed, "the setting could not be stored"));
    return CommandOutcome::Now(result(" (kept by Tarvo)"));
  }
  if (!page.SetSystemSetting(setting.configKey, *value))
    return CommandOutcome::Now(Answer::Failure(Reason::kFailed, "the setting could not be stored"));
  return CommandOutcome::AfterTasks([result] { return result(" (sent to the keyboard)"); },
                                    kDroppedChange);
}

CommandOutcome FactoryReset(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  switch (dialog.Keyboard().Page().ResetToFactory()) {
    case SystemSettingsPage::FactoryReset::kNoKeyboard:
      return CommandOutcome::Now(Answer::Failure(Reason::kNoKeyboard, "no keyboard found"));
    case SystemSettingsPage::FactoryReset::kStarted:
      break;
  }
  return CommandOutcome::AfterTasks(
      [&dialog] {
        if (!dialog.Keyboard().Page().LastResetDone()) {
          return Answer::Failure(Reason::kFailed,
                                 "the keyboard did not accept the reset; nothing was changed");
        }
        return Answer::Success(
            ActiveProfileResult(dialog, "the keyboard is back to its factory settings"));
      },
      "the keyboard went away before it was reset; its profiles in Tarvo were already erased");
}

// The application ----------------------------------------------------------------------------

CommandOutcome UpdateCheck(const CommandCall& call) {
  update::UpdateFeature& updates = call.dialog.Updates();
  if (!updates.QueueCheck(false)) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kNotSupported, "config.xml names no update address"));
  }
  return CommandOutcome::AfterTasks(
      [&updates] {
        const std::optional<update::CheckResult> check = updates.LastCheck();
        const std::string current = updates.ApplicationVersion();
        if (!check) return Answer::Failure(Reason::kFailed, "the check did not run");
        using update::CheckOutcome;
        Json result = Json::MakeObject().Set("version", current);
        switch (check->outcome) {
          case CheckOutcome::NewerVersion:
            return Answer::Success(result.Set("newest", check->newestVersion)
                                       .Set("update", true)
                                       .Set("message", "version " + check->newestVersion +
                                                           " is available (this is " + current +
                                                           ")"));
          case CheckOutcome::UpToDate:
          case CheckOutcome::SameAsShipped:
            return Answer::Success(
                result.Set("newest", check->newestVersion.empty() ? current : check->newestVersion)
                    .Set("update", false)
                    .Set("message", "Tarvo " + current + " is up to date"));
          case CheckOutcome::NoService:
          case CheckOutcome::Unreachable:
          case CheckOutcome::Ignored:
            break;
        }
        return Answer::Failure(Reason::kFailed, std::string("no answer from the update server (") +
                                                    update::ToString(check->outcome) + ")");
      },
      "the check did not run");
}

CommandOutcome SetAutostart(const CommandCall& call, bool on) {
  TrayFeature& tray = call.dialog.Tray();
  const std::string file = tray.AutostartFile().string();
  switch (tray.SetAutorun(on)) {
    case TrayFeature::AutorunResult::kDone:
      break;
    case TrayFeature::AutorunResult::kNotWritten:
      return CommandOutcome::Now(Answer::Failure(Reason::kFile, "cannot write " + file));
    case TrayFeature::AutorunResult::kNotRemoved:
      return CommandOutcome::Now(Answer::Failure(Reason::kFile, "cannot remove " + file));
  }
  return CommandOutcome::Now(
      Answer::Success(Json::MakeObject()
                          .Set("message", on ? "Tarvo starts at login (" + file + ")"
                                             : "Tarvo does not start at login")
                          .Set("autostart", on)
                          .Set("file", file)));
}

CommandOutcome AutostartOn(const CommandCall& call) {
  return SetAutostart(call, true);
}

CommandOutcome AutostartOff(const CommandCall& call) {
  return SetAutostart(call, false);
}

struct HandlerEntry {
  std::string_view words;
  CommandHandler handler;
};

constexpr HandlerEntry kHandlers[] = {
    {"status", Status},
    {"device select", DeviceSelect},
    {"profile list", ProfileList},
    {"profile select", ProfileSelect},
    {"profile add", ProfileAdd},
    {"profile rename", ProfileRename},
    {"profile delete", ProfileDelete},
    {"profile export", ProfileExport},
    {"profile import", ProfileImport},
    {"settings show", SettingsShow},
    {"settings set", SettingsSet},
    {"settings factory-reset", FactoryReset},
    // Keys and the knob (app/KeyVerbs.h).
    {"key show", KeyShow},
    {"key set", KeySet},
    {"key reset", KeyReset},
    {"knob set", KnobSet},
    // Lighting (app/LightVerbs.h).
    {"light show", LightShow},
    {"light on", LightOn},
    {"light off", LightOff},
    {"light mode", LightMode},
    {"light brightness", LightBrightness},
    {"light speed", LightSpeed},
    {"light direction", LightDirection},
    {"light colour", LightColour},
    {"light colorful", LightColorful},
    {"slot select", SlotSelect},
    {"slot paint", SlotPaint},
    {"slot fill", SlotFill},
    {"slot show", SlotShow},
    // Macros (app/MacroControlCommands.h).
    {"macro list", MacroList},
    {"macro show", MacroShow},
    {"macro add", MacroAdd},
    {"macro delete", MacroDelete},
    {"macro rename", MacroRename},
    {"macro set", MacroSet},
    {"macro export", MacroExport},
    {"macro import", MacroImport},
    // The matrix light and the music analysis (app/MatrixCommands.h).
    {"matrix show", MatrixShow},
    {"matrix on", MatrixOn},
    {"matrix off", MatrixOff},
    {"matrix mode", MatrixMode},
    {"matrix preset", MatrixPreset},
    {"matrix brightness", MatrixBrightness},
    {"matrix speed", MatrixSpeed},
    {"matrix amplitude", MatrixAmplitude},
    {"matrix colour", MatrixColour},
    {"matrix paint", MatrixPaint},
    {"matrix clear", MatrixClear},
    {"audio show", AudioShow},
    // The keyboard's screen (app/ScreenCommands.h).
    {"screen list", ScreenList},
    {"screen show", ScreenShow},
    {"screen import", ScreenImport},
    {"screen set", ScreenSet},
    {"screen upload", ScreenUpload},
    {"screen clock", ScreenClock},
    // Start at login and updates (app/ControlCommands.cpp).
    {"update check", UpdateCheck},
    {"autostart on", AutostartOn},
    {"autostart off", AutostartOff},
    // Screen-sync and music effects (app/EffectCommands.h).
    {"effect show", EffectShow},
    {"effect mode", EffectMode},
    {"effect file", EffectFile},
    {"effect window", EffectWindow},
    {"effect screen", EffectScreen},
    {"effect amplitude", EffectAmplitude},
    {"effect colour", EffectColour},
};

}  // namespace

CommandOutcome CommandOutcome::Now(cli::Answer answer) {
  CommandOutcome outcome;
  outcome.answer = std::move(answer);
  return outcome;
}

CommandOutcome CommandOutcome::AfterTasks(std::function<cli::Answer()> answer,
                                          std::string whenDropped) {
  CommandOutcome outcome;
  outcome.afterTasks = std::move(answer);
  outcome.whenDropped = std::move(whenDropped);
  return outcome;
}

CommandHandler FindCommandHandler(std::string_view words) {
  for (const HandlerEntry& entry : kHandlers) {
    if (entry.words == words) return entry.handler;
  }
  return nullptr;
}
