#include "cli/KeyWords.h"

#include <algorithm>
#include <array>

#include "cli/CommandTable.h"
#include "cli/Words.h"

namespace cli {
namespace {

namespace ft = protocol::function_type;

struct CodeName {
  int code;
  std::string_view name;
};

// Keys by code; the first name of a code is the one printed, the others are read too.
// clang-format off
constexpr CodeName kNamedKeys[] = {
    {40, "Enter"}, {40, "Return"}, {41, "Esc"}, {41, "Escape"}, {42, "Backspace"}, {43, "Tab"},
    {44, "Space"}, {45, "Minus"}, {45, "-"}, {46, "Equal"}, {46, "="}, {47, "LeftBracket"},
    {47, "["}, {48, "RightBracket"}, {48, "]"}, {49, "Backslash"}, {49, "\\"}, {50, "NonUSHash"},
    {51, "Semicolon"}, {51, ";"}, {52, "Apostrophe"}, {52, "'"}, {53, "Grave"}, {53, "`"},
    {53, "~"}, {54, "Comma"}, {54, ","}, {55, "Period"}, {55, "."}, {56, "Slash"}, {56, "/"},
    {57, "CapsLock"}, {57, "Caps"}, {70, "PrintScreen"}, {70, "Print"}, {71, "ScrollLock"},
    {72, "Pause"}, {73, "Insert"}, {73, "Ins"}, {74, "Home"}, {75, "PageUp"}, {75, "PgUp"},
    {76, "Delete"}, {76, "Del"}, {77, "End"}, {78, "PageDown"}, {78, "PgDn"}, {79, "Right"},
    {80, "Left"}, {81, "Down"}, {82, "Up"}, {83, "NumLock"}, {84, "KPSlash"}, {84, "KP/"},
    {85, "KPAsterisk"}, {85, "KP*"}, {86, "KPMinus"}, {86, "KP-"}, {87, "KPPlus"}, {87, "KP+"},
    {88, "KPEnter"}, {99, "KPPeriod"}, {99, "KP."}, {100, "NonUSBackslash"}, {101, "Menu"},
    {101, "App"},
    {224, "Ctrl"}, {224, "LCtrl"}, {225, "Shift"}, {225, "LShift"}, {226, "Alt"}, {226, "LAlt"},
    {227, "Win"}, {227, "LWin"}, {227, "Super"}, {228, "RCtrl"}, {229, "RShift"}, {230, "RAlt"},
    {231, "RWin"},
    {protocol::kFnKeyCode, "Fn"}, {0xFF, "Knob"},
};
// clang-format on

constexpr int kFirstLetter = 4;   // A
constexpr int kFirstDigit = 30;   // 1 ... 9, then 0
constexpr int kFirstF = 58;       // F1 to F12
constexpr int kFirstLateF = 104;  // F13 to F24
constexpr int kFirstKeypad = 89;  // KP1 ... KP9, then KP0
constexpr int kLastKeyCode = 0xFF;

// The modifier words of a combination, by their bit in the modifier mask (0x01 upward).
constexpr std::array<std::string_view, 8> kModifierWords = {"Ctrl",  "Shift",  "Alt",  "Win",
                                                            "RCtrl", "RShift", "RAlt", "RWin"};

struct FunctionName {
  int type;
  int value;
  std::string_view name;
};

constexpr FunctionName kNamedFunctions[] = {
    {ft::kMouse, 90, "mouse-left"},
    {ft::kMouse, 91, "mouse-middle"},
    {ft::kMouse, 92, "mouse-right"},
    {ft::kMouse, 96, "scroll-up"},
    {ft::kMouse, 97, "scroll-down"},
    {ft::kMouse, 94, "mouse-forward"},
    {ft::kMouse, 95, "mouse-back"},
    {ft::kMedia, 113, "my-computer"},
    {ft::kMedia, 114, "calculator"},
    {ft::kMedia, 115, "email"},
    {ft::kMedia, 110, "media-player"},
    {ft::kMedia, 100, "play-pause"},
    {ft::kMedia, 101, "stop"},
    {ft::kMedia, 102, "previous-track"},
    {ft::kMedia, 103, "next-track"},
    {ft::kMedia, 104, "volume-up"},
    {ft::kMedia, 105, "volume-down"},
    {ft::kMedia, 106, "mute"},
    {ft::kMedia, 116, "browser-home"},
    {ft::kMedia, 117, "browser-refresh"},
    {ft::kMedia, 118, "browser-stop"},
    {ft::kMedia, 119, "browser-back"},
    {ft::kMedia, 120, "browser-forward"},
    {ft::kMedia, 121, "browser-favorites"},
    {ft::kMedia, 122, "browser-search"},
    {ft::kShortcut, 155, "copy"},
    {ft::kShortcut, 156, "paste"},
    {ft::kShortcut, 157, "cut"},
    {ft::kShortcut, 158, "save"},
    {ft::kShortcut, 159, "open"},
    {ft::kShortcut, 160, "new"},
    {ft::kShortcut, 150, "show-desktop"},
    {ft::kShortcut, 151, "file-manager"},
    {ft::kShortcut, 152, "lock-screen"},
    {ft::kShortcut, 153, "close-window"},
    {ft::kShortcut, 154, "switch-window"},
};

constexpr std::string_view kDisabledWord = "disabled";
constexpr std::string_view kDefaultWord = "default";
constexpr std::string_view kMacroWord = "macro";

std::string Hex(int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  text += kDigits[(value >> 4) & 0xF];
  text += kDigits[value & 0xF];
  return text;
}

// Names that are made rather than listed: letters, digits, F keys, the keypad's digits.
std::string MadeKeyName(int code) {
  if (code >= kFirstLetter && code < kFirstLetter + 26)
    return std::string(1, static_cast<char>('A' + code - kFirstLetter));
  if (code >= kFirstDigit && code < kFirstDigit + 10)
    return std::to_string((code - kFirstDigit + 1) % 10);
  if (code >= kFirstF && code < kFirstF + 12) return "F" + std::to_string(code - kFirstF + 1);
  if (code >= kFirstLateF && code < kFirstLateF + 12)
    return "F" + std::to_string(code - kFirstLateF + 13);
  if (code >= kFirstKeypad && code < kFirstKeypad + 10)
    return "KP" + std::to_string((code - kFirstKeypad + 1) % 10);
  return {};
}

std::optional<int> HexCode(std::string_view word) {
  if (word.size() < 3 || word.size() > 4 || word[0] != '0' || (word[1] != 'x' && word[1] != 'X'))
    return std::nullopt;
  int value = 0;
  for (char c : word.substr(2)) {
    const char lower = c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
    int digit = 0;
    if (lower >= '0' && lower <= '9') {
      digit = lower - '0';
    } else if (lower >= 'a' && lower <= 'f') {
      digit = lower - 'a' + 10;
    } else {
      return std::nullopt;
    }
    value = value * 16 + digit;
  }
  return value;
}

// A key that a key function can name: an ordinary key or a modifier (no Fn, no knob).
bool IsKeyboardUsage(int code) {
  return code >= kFirstLetter && code <= protocol::kLastModifierUsage &&
         code != protocol::kFnKeyCode;
}

std::optional<int> ModifierBitOfWord(std::string_view word) {
  for (std::size_t bit = 0; bit < kModifierWords.size(); ++bit) {
    if (SameWord(word, kModifierWords[bit])) return 1 << bit;
  }
  // The left-hand names of the key names are taken here too.
  if (const std::optional<int> code = ParseKeyWord(word)) {
    if (const std::optional<std::uint8_t> bit = protocol::ModifierBitOfUsage(*code)) return *bit;
  }
  return std::nullopt;
}

std::optional<protocol::KeyFunction> NamedFunction(std::string_view word) {
  if (SameWord(word, kDisabledWord)) return protocol::KeyFunction{ft::kFixed, 0, 0, 0};
  for (const FunctionName& named : kNamedFunctions) {
    if (SameWord(word, named.name)) return protocol::KeyFunction{named.type, named.value, 0, 0};
  }
  for (int code = protocol::kFirstKeyboardFunction; code <= protocol::kLastKeyboardFunction;
       ++code) {
    if (SameWord(word, protocol::KeyboardFunctionName(code)))
      return protocol::KeyFunction{ft::kKeyboardFunction, code, 0, 0};
  }
  if (const std::optional<int> code = ParseKeyWord(word); code && IsKeyboardUsage(*code))
    return protocol::KeyFunction{ft::kKeyboardKey, *code, 0, 0};
  return std::nullopt;
}

// "Ctrl+Shift+Esc": modifiers, then one key (which may be a modifier too).
ParsedFunction Combination(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('+', start);
    if (end == std::string_view::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  // A key whose name ends in '+' ("Ctrl+KP+") leaves an empty last part.
  std::string last(parts.back());
  std::size_t modifiers = parts.size() - 1;
  if (last.empty() && parts.size() > 2) {
    modifiers = parts.size() - 2;
    last = std::string(parts[modifiers]) + "+";
  }
  int mask = 0;
  for (std::size_t i = 0; i < modifiers; ++i) {
    const std::optional<int> bit = ModifierBitOfWord(parts[i]);
    if (!bit) {
      return {std::nullopt, "'" + std::string(parts[i]) + "' in '" + std::string(text) +
                                "' is no modifier (" +
                                ChoiceList({kModifierWords.begin(), kModifierWords.end()}) + ")"};
    }
    mask |= *bit;
  }
  const std::optional<int> key = ParseKeyWord(last);
  if (!key || !IsKeyboardUsage(*key)) {
    return {std::nullopt, "no such key '" + last + "' in '" + std::string(text) + "'" +
                              Suggestion(last, KeyWords())};
  }
  return {protocol::KeyFunction{ft::kKeyboardKey, *key, mask, 0}, {}};
}

std::optional<int> MacroNumber(std::string_view text) {
  if (text.size() <= kMacroWord.size() || !SameWord(text.substr(0, kMacroWord.size()), kMacroWord))
    return std::nullopt;
  std::string_view number = text.substr(kMacroWord.size());
  while (!number.empty() && (number.front() == ' ' || number.front() == ':'))
    number.remove_prefix(1);
  return ParseNumber(number);
}

std::string CombinationWords(int usage, int mask) {
  std::string text;
  for (std::size_t bit = 0; bit < kModifierWords.size(); ++bit) {
    if (mask & (1 << bit)) text += std::string(kModifierWords[bit]) + "+";
  }
  if (usage == 0) {
    if (!text.empty()) text.pop_back();
    return text;
  }
  const std::string key = KeyWordOf(usage);
  return text + (key.empty() ? Hex(usage) : key);
}

}  // namespace

std::optional<int> ParseKeyWord(std::string_view word) {
  if (const std::optional<int> code = HexCode(word)) return *code;
  for (const CodeName& key : kNamedKeys) {
    if (SameWord(word, key.name)) return key.code;
  }
  for (int code = 0; code <= kLastKeyCode; ++code) {
    const std::string made = MadeKeyName(code);
    if (!made.empty() && SameWord(word, made)) return code;
  }
  return std::nullopt;
}

std::string KeyWordOf(int code) {
  const std::string made = MadeKeyName(code);
  if (!made.empty()) return made;
  for (const CodeName& key : kNamedKeys) {
    if (key.code == code) return std::string(key.name);
  }
  return {};
}

std::vector<std::string> KeyWords() {
  std::vector<std::string> words;
  for (int code = 0; code <= kLastKeyCode; ++code) {
    std::string word = KeyWordOf(code);
    if (!word.empty()) words.push_back(std::move(word));
  }
  return words;
}

std::optional<int> ParseLayer(std::string_view word) {
  const std::optional<int> layer = ParseNumber(word);
  if (!layer || *layer >= kFnLayerCount) return std::nullopt;
  return layer;
}

std::optional<int> ParseKnobAction(std::string_view word) {
  const std::vector<std::string> words = KnobActionWords();
  for (std::size_t action = 0; action < words.size(); ++action) {
    if (SameWord(word, words[action]) || word == std::to_string(action))
      return static_cast<int>(action);
  }
  return std::nullopt;
}

std::string KnobActionWord(int action) {
  const std::vector<std::string> words = KnobActionWords();
  if (action < 0 || action >= static_cast<int>(words.size())) return {};
  return words[static_cast<std::size_t>(action)];
}

std::vector<std::string> KnobActionWords() {
  return {"left", "right", "press"};
}

ParsedFunction ParseKeyFunction(std::string_view text) {
  if (text.empty()) return {std::nullopt, "no function given"};
  if (std::optional<protocol::KeyFunction> named = NamedFunction(text)) return {named, {}};
  if (const std::optional<int> macro = MacroNumber(text))
    return {protocol::KeyFunction{ft::kMacro, *macro, 0, 0}, {}};
  if (SameWord(text, kMacroWord) || (text.size() > kMacroWord.size() &&
                                     SameWord(text.substr(0, kMacroWord.size() + 1), "macro "))) {
    return {std::nullopt, "a macro is named by its number: macro N"};
  }
  if (text.size() > 1 && text.find('+') != std::string_view::npos) return Combination(text);
  return {std::nullopt,
          "no such function '" + std::string(text) + "'" + Suggestion(text, KeyFunctionWords())};
}

std::string KeyFunctionWordOf(const protocol::KeyFunction& function) {
  switch (function.type) {
    case ft::kDefault:
      return std::string(kDefaultWord);
    case ft::kFixed:
      return std::string(kDisabledWord);
    case ft::kKeyboardKey:
      return CombinationWords(function.value, function.value2);
    case ft::kMacro:
      return std::string(kMacroWord) + " " + std::to_string(function.value);
    case ft::kKeyboardFunction:
      if (const std::string_view name = protocol::KeyboardFunctionName(function.value);
          !name.empty())
        return std::string(name);
      break;
    default:
      for (const FunctionName& named : kNamedFunctions) {
        if (named.type == function.type && named.value == function.value)
          return std::string(named.name);
      }
      break;
  }
  return "type " + std::to_string(function.type) + " " + std::to_string(function.value);
}

std::vector<std::string> KeyFunctionWords() {
  std::vector<std::string> words = {std::string(kDisabledWord), std::string(kMacroWord)};
  for (const FunctionName& named : kNamedFunctions) words.emplace_back(named.name);
  for (int code = protocol::kFirstKeyboardFunction; code <= protocol::kLastKeyboardFunction;
       ++code) {
    words.emplace_back(protocol::KeyboardFunctionName(code));
  }
  for (int code = 0; code <= kLastKeyCode; ++code) {
    if (IsKeyboardUsage(code) && !KeyWordOf(code).empty()) words.push_back(KeyWordOf(code));
  }
  return words;
}

std::string KeyNamesHelp() {
  return "A key is named as below (any case), or by its code as the keyboard's layout gives it\n"
         "(0x04 is A). Names: A to Z, 0 to 9, F1 to F24, KP0 to KP9, and\n"
         "  Enter Esc Backspace Tab Space Minus Equal LeftBracket RightBracket Backslash\n"
         "  Semicolon Apostrophe Grave Comma Period Slash CapsLock PrintScreen ScrollLock Pause\n"
         "  Insert Home PageUp Delete End PageDown Up Down Left Right NumLock KPSlash KPAsterisk\n"
         "  KPMinus KPPlus KPEnter KPPeriod Menu Ctrl Shift Alt Win RCtrl RShift RAlt RWin Fn\n"
         "  (also - = [ ] \\ ; ' ` , . / Del Ins PgUp PgDn Caps Print Escape Return and the\n"
         "  names the keyboard view shows, where they are unique).\n";
}

std::string KeyFunctionsHelp() {
  std::vector<std::string> mouse, media, shortcuts, keyboard;
  for (const FunctionName& named : kNamedFunctions) {
    auto& list = named.type == ft::kMouse ? mouse : named.type == ft::kMedia ? media : shortcuts;
    list.emplace_back(named.name);
  }
  for (int code = protocol::kFirstKeyboardFunction; code <= protocol::kLastKeyboardFunction;
       ++code) {
    keyboard.emplace_back(protocol::KeyboardFunctionName(code));
  }
  return "A function is one of (any case):\n"
         "  a key          its name, as for KEY (Esc, F5, Space, KP7, Win)\n"
         "  a combination  modifiers and a key joined by '+': Ctrl+C, Ctrl+Shift+Esc, RAlt+F4\n"
         "                 (modifiers: Ctrl Shift Alt Win RCtrl RShift RAlt RWin)\n"
         "  macro N        the macro numbered N, with the play options it keeps\n"
         "  disabled       the key does nothing\n"
         "  mouse:\n" +
         WrappedWords(mouse) + "  media:\n" + WrappedWords(media) + "  shortcuts:\n" +
         WrappedWords(shortcuts) + "  keyboard functions:\n" + WrappedWords(keyboard) +
         "The names the window's function picker shows in its language are taken as well.\n";
}

}  // namespace cli
