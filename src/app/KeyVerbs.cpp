#include "app/KeyVerbs.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <variant>

#include "app/KeyboardDlg.h"
#include "cli/KeyWords.h"
#include "cli/Words.h"

namespace {

using base::Json;
using cli::Answer;
using cli::Reason;
namespace ft = protocol::function_type;

template <class T>
using Found = std::variant<T, Answer>;

constexpr int kLastPlayMode = 3;
constexpr int kMaxRepeatCount = 255;

keys::KeyAssignmentService& Service(KeyboardDlg& dialog) {
  return dialog.Keys().Service();
}

std::string ModelText(KeyboardDlg& dialog) {
  return "model " + std::to_string(dialog.State().selectedModel.load());
}

Found<int> FindLayer(const std::string& word) {
  if (const std::optional<int> layer = cli::ParseLayer(word)) return *layer;
  return Answer::Failure(Reason::kInvalidValue,
                         "LAYER is 0 (the base layer) to 3, not '" + word + "'");
}

// A function by tarvoctl's words, else by the name the function picker shows (when that names
// one function only).
Found<protocol::KeyFunction> FindFunction(KeyboardDlg& dialog, const std::string& text) {
  const cli::ParsedFunction parsed = cli::ParseKeyFunction(text);
  if (parsed.function) return *parsed.function;
  std::vector<protocol::KeyFunction> named;
  for (const keys::KeyFunctionEntry& entry : *Service(dialog).Catalogue().Snapshot()) {
    const protocol::KeyFunction function{entry.type, entry.code, 0, 0};
    if (cli::SameWord(entry.name, text) &&
        std::find(named.begin(), named.end(), function) == named.end())
      named.push_back(function);
  }
  if (named.size() == 1) return named[0];
  if (named.size() > 1) {
    return Answer::Failure(Reason::kNotFound,
                           "'" + text + "' names several functions; use tarvoctl's name for one " +
                               "(tarvoctl key set --help)");
  }
  return Answer::Failure(Reason::kNotFound, parsed.problem);
}

// A key plays a macro as the macro's own play options say, as when it is picked in the window.
std::optional<Answer> TakeMacroOptions(KeyboardDlg& dialog, protocol::KeyFunction& function) {
  if (function.type != ft::kMacro) return std::nullopt;
  const std::optional<storage::MacroRecord> macro = Service(dialog).Macro(function.value);
  if (!macro) {
    return Answer::Failure(Reason::kNotFound, "no such macro: " + std::to_string(function.value));
  }
  const int mode = std::clamp(macro->play_type, 0, kLastPlayMode);
  function.value2 = mode;
  function.value3 = mode == 0 ? std::clamp(macro->play_times, 1, kMaxRepeatCount) : 0;
  return std::nullopt;
}

std::optional<Answer> ChangeProblem(KeyboardDlg& dialog, keys::ChangeResult result,
                                    const std::string& what) {
  using keys::ChangeResult;
  switch (result) {
    case ChangeResult::kDone:
      return std::nullopt;
    case ChangeResult::kNoSuchLayer:
      return Answer::Failure(Reason::kInvalidValue, "no such layer");
    case ChangeResult::kNoSuchKey:
      return Answer::Failure(Reason::kNotFound, ModelText(dialog) + " has no key " + what);
    case ChangeResult::kUnknownFunction:
      return Answer::Failure(Reason::kInvalidValue, what + " cannot have that function");
    case ChangeResult::kNoSuchMacro:
      return Answer::Failure(Reason::kNotFound, "no such macro");
    case ChangeResult::kMacroWithoutEvents:
      return Answer::Failure(Reason::kInvalidValue,
                             "the macro has no events yet; record it on the Macros page first");
    case ChangeResult::kFactoryTablesUnread:
      break;
    case ChangeResult::kNotStored:
      return Answer::Failure(Reason::kFailed,
                             "the change could not be stored; " + what + " keeps its function");
  }
  return Answer::Failure(Reason::kFailed,
                         "the keyboard's factory key tables are not known yet; connect the "
                         "keyboard and try again");
}

// Key changes are sent from the keyboard's factory tables; without them nothing would be sent.
bool FactoryTablesKnown(KeyboardDlg& dialog) {
  const std::shared_ptr<const KeyMapReader::KeyMaps> maps = dialog.KeyMaps().Maps();
  return maps->modelId != 0 && maps->modelId == dialog.State().selectedModel.load();
}

std::string FunctionWord(const storage::KeyAssignmentRecord& row) {
  return cli::KeyFunctionWordOf(
      {row.macro_type, row.macro_value, row.macro_value2, row.macro_value3});
}

Json AssignmentJson(const std::string& function, const std::string& label) {
  return Json::MakeObject().Set("function", function).Set("label", label);
}

// The answer once the keyboard has the change. A key change may also wait in the key room for
// a task still to come (queued by one that ran meanwhile): the answer waits for that too.
CommandOutcome AfterKeyChange(KeyboardDlg& dialog, std::function<Json()> result) {
  CommandOutcome outcome = AfterChange(dialog, std::move(result));
  outcome.stillSending = [&dialog] { return !Service(dialog).WaitingKeyWrites().empty(); };
  return outcome;
}

Json LayerJson(KeyboardDlg& dialog, int layer) {
  const std::shared_ptr<const LayoutTables> layout = dialog.Layout();
  std::vector<storage::KeyAssignmentRecord> rows =
      Service(dialog).LayerRows(dialog.State().currentProfile.load(), layer);
  // In the keyboard view's order; keys it does not show come last.
  std::map<int, std::size_t> position;
  for (std::size_t i = 0; i < layout->Keys.size(); ++i) position.emplace(layout->Keys[i].code, i);
  const auto place = [&](int code) {
    const auto found = position.find(code);
    return found != position.end() ? found->second : position.size();
  };
  std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
    return place(a.key_code) < place(b.key_code);
  });
  Json keys = Json::MakeArray();
  for (const storage::KeyAssignmentRecord& row : rows) {
    keys.Push(AssignmentJson(FunctionWord(row), row.macro_desc)
                  .Set("key", KeyName(*layout, row.key_code))
                  .Set("code", row.key_code));
  }
  Json result = Json::MakeObject().Set("layer", layer).Set("keys", std::move(keys));
  if (dialog.Capabilities().HasKnob()) {
    Json knob = Json::MakeArray();
    const keys::KeyAssignmentService::KnobLayerRows actions =
        Service(dialog).KnobRowsOfLayer(layer);
    for (std::size_t action = 0; action < actions.size(); ++action) {
      knob.Push(AssignmentJson(FunctionWord(actions[action]), actions[action].macro_desc)
                    .Set("action", cli::KnobActionWord(static_cast<int>(action))));
    }
    result.Set("knob", std::move(knob));
  }
  return result;
}

std::string JoinWords(std::vector<std::string>::const_iterator first,
                      std::vector<std::string>::const_iterator last) {
  std::string text;
  for (auto word = first; word != last; ++word) text += (text.empty() ? "" : " ") + *word;
  return text;
}

}  // namespace

std::string KeyName(const LayoutTables& layout, int code) {
  if (std::string word = cli::KeyWordOf(code); !word.empty()) return word;
  for (const LayoutKeyName& key : layout.Keys) {
    if (key.code == code && !key.name.empty()) return key.name;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(code) & 0xFFu);
  return hex;
}

std::variant<NamedKey, Answer> FindKey(KeyboardDlg& dialog, const std::string& word) {
  const std::shared_ptr<const LayoutTables> layout = dialog.Layout();
  const auto has = [&](int code) {
    return std::any_of(layout->Keys.begin(), layout->Keys.end(),
                       [&](const LayoutKeyName& key) { return key.code == code; });
  };
  const std::optional<int> code = cli::ParseKeyWord(word);
  if (code && has(*code)) return NamedKey{*code, KeyName(*layout, *code)};
  std::vector<int> named;
  std::vector<std::string> names;
  for (const LayoutKeyName& key : layout->Keys) {
    if (cli::SameWord(key.name, word)) named.push_back(key.code);
    names.push_back(KeyName(*layout, key.code));
  }
  if (named.size() == 1) return NamedKey{named[0], KeyName(*layout, named[0])};
  if (named.size() > 1) {
    return Answer::Failure(Reason::kNotFound, "several keys are named " + word +
                                                  "; give tarvoctl's name or the code of one");
  }
  if (code) return Answer::Failure(Reason::kNotFound, ModelText(dialog) + " has no key " + word);
  return Answer::Failure(Reason::kNotFound, "no such key: " + word + cli::Suggestion(word, names));
}

CommandOutcome KeyShow(const CommandCall& call) {
  std::vector<int> layers = {0, 1, 2, 3};
  if (!call.arguments.empty()) {
    const Found<int> layer = FindLayer(call.arguments[0]);
    if (const Answer* failure = std::get_if<Answer>(&layer)) return CommandOutcome::Now(*failure);
    layers = {std::get<int>(layer)};
  }
  Json list = Json::MakeArray();
  for (int layer : layers) list.Push(LayerJson(call.dialog, layer));
  return CommandOutcome::Now(Answer::Success(Json::MakeObject()
                                                 .Set("profile", ActiveProfileJson(call.dialog))
                                                 .Set("layers", std::move(list))));
}

CommandOutcome KeySet(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const Found<int> foundLayer = FindLayer(call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&foundLayer))
    return CommandOutcome::Now(*failure);
  const Found<NamedKey> foundKey = FindKey(dialog, call.arguments[1]);
  if (const Answer* failure = std::get_if<Answer>(&foundKey)) return CommandOutcome::Now(*failure);
  Found<protocol::KeyFunction> foundFunction =
      FindFunction(dialog, JoinWords(call.arguments.begin() + 2, call.arguments.end()));
  if (const Answer* failure = std::get_if<Answer>(&foundFunction))
    return CommandOutcome::Now(*failure);
  const int layer = std::get<int>(foundLayer);
  const NamedKey key = std::get<NamedKey>(foundKey);
  protocol::KeyFunction& function = std::get<protocol::KeyFunction>(foundFunction);
  if (std::optional<Answer> problem = TakeMacroOptions(dialog, function))
    return CommandOutcome::Now(*problem);
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  if (!FactoryTablesKnown(dialog)) {
    return CommandOutcome::Now(
        *ChangeProblem(dialog, keys::ChangeResult::kFactoryTablesUnread, ""));
  }
  const keys::ChangeResult result = Service(dialog).AssignFunction(layer, key.code, {function, {}});
  if (std::optional<Answer> problem = ChangeProblem(dialog, result, "key " + key.name))
    return CommandOutcome::Now(*problem);
  return AfterKeyChange(dialog, [&dialog, layer, key] {
    const auto row = Service(dialog).Row(dialog.State().currentProfile.load(), layer, key.code);
    const std::string word = row ? FunctionWord(*row) : std::string();
    return AssignmentJson(word, row ? row->macro_desc : std::string())
        .Set("message", "key " + key.name + " on layer " + std::to_string(layer) + ": " + word +
                            " (sent to the keyboard)")
        .Set("layer", layer)
        .Set("key", key.name)
        .Set("code", key.code);
  });
}

CommandOutcome KeyReset(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const Found<int> foundLayer = FindLayer(call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&foundLayer))
    return CommandOutcome::Now(*failure);
  const int layer = std::get<int>(foundLayer);
  std::optional<NamedKey> key;
  if (call.arguments.size() > 1) {
    const Found<NamedKey> found = FindKey(dialog, call.arguments[1]);
    if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
    key = std::get<NamedKey>(found);
  }
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  const std::string what = key ? "key " + key->name : "layer " + std::to_string(layer);
  const keys::ChangeResult result =
      key ? Service(dialog).ResetKey(layer, key->code) : Service(dialog).ResetLayer(layer);
  if (std::optional<Answer> problem = ChangeProblem(dialog, result, what))
    return CommandOutcome::Now(*problem);
  if (!key) {
    return AfterKeyChange(dialog, [layer, what] {
      return Json::MakeObject()
          .Set("message", what + " is back to its factory functions (sent to the keyboard)")
          .Set("layer", layer)
          .Set("key", Json());
    });
  }
  return AfterKeyChange(dialog, [&dialog, layer, key = *key, what] {
    const auto row = Service(dialog).Row(dialog.State().currentProfile.load(), layer, key.code);
    const std::string word = row ? FunctionWord(*row) : std::string();
    return AssignmentJson(word, row ? row->macro_desc : std::string())
        .Set("message", what + " on layer " + std::to_string(layer) +
                            " is back to its factory function: " + word + " (sent to the keyboard)")
        .Set("layer", layer)
        .Set("key", key.name)
        .Set("code", key.code);
  });
}

CommandOutcome KnobSet(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::optional<int> action = cli::ParseKnobAction(call.arguments[0]);
  if (!action) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kInvalidValue, "ACTION is left, right or press, not '" + call.arguments[0] + "'"));
  }
  const Found<int> foundLayer = call.arguments.size() > 2 ? FindLayer(call.arguments[2]) : 0;
  if (const Answer* failure = std::get_if<Answer>(&foundLayer))
    return CommandOutcome::Now(*failure);
  const int layer = std::get<int>(foundLayer);
  const Found<protocol::KeyFunction> function = FindFunction(dialog, call.arguments[1]);
  if (const Answer* failure = std::get_if<Answer>(&function)) return CommandOutcome::Now(*failure);
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  if (!dialog.Capabilities().HasKnob()) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kNotSupported, ModelText(dialog) + " has no knob"));
  }
  const protocol::KeyFunction& wanted = std::get<protocol::KeyFunction>(function);
  const std::vector<keys::KeyFunctionEntry> offered = Service(dialog).KnobFunctionList();
  const auto entry = std::find_if(offered.begin(), offered.end(), [&](const auto& e) {
    return e.type == wanted.type && e.code == wanted.value && wanted.value2 == 0;
  });
  if (entry == offered.end()) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kInvalidValue, "the knob takes media functions, keyboard functions and keys, not " +
                                   call.arguments[1] + " (tarvoctl knob set --help)"));
  }
  if (!dialog.KeyMaps().GetKnobIndices()[static_cast<std::size_t>(*action)]) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kFailed,
                        "the keyboard has not said where its knob's actions are kept; connect "
                        "the keyboard and try again"));
  }
  const std::string what = "knob " + cli::KnobActionWord(*action);
  const keys::ChangeResult result = Service(dialog).AssignKnobAction(layer, *action, *entry);
  if (std::optional<Answer> problem = ChangeProblem(dialog, result, what))
    return CommandOutcome::Now(*problem);
  const std::string word = cli::KeyFunctionWordOf(wanted);
  const std::string label = entry->name;
  return AfterChange(dialog, [what, layer, action = *action, word, label] {
    return AssignmentJson(word, label)
        .Set("message",
             what + " on layer " + std::to_string(layer) + ": " + word + " (sent to the keyboard)")
        .Set("layer", layer)
        .Set("action", cli::KnobActionWord(action));
  });
}
