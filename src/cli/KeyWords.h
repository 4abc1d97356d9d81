#pragma once
// The words of tarvoctl's key and knob commands: keys by name ("A", "Esc", "RShift") or by code
// ("0x04"), the Fn layers, the knob's actions, and key functions ("Ctrl+C", "volume-up",
// "BL-TOG", "macro 3"). The words do not follow the interface language, so that a script keeps
// working in every one. Whether the keyboard has the key or the database the macro is for the
// command to judge.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/KeyEntry.h"

namespace cli {

inline constexpr int kFnLayerCount = 4;  // 0 is the base layer, 1 to 3 the Fn layers

// A key's code (the HID usage the keyboard's layout gives it; 0xF0 the Fn key, 0xFF the knob)
// by one of its names, in any case, or by its code written as 0x followed by hex digits; empty
// when the word is neither.
std::optional<int> ParseKeyWord(std::string_view word);
// The name tarvoctl prints for a key code; empty for a code without one.
std::string KeyWordOf(int code);
// The name of every key, in code order.
std::vector<std::string> KeyWords();

// A Fn layer, 0 to 3.
std::optional<int> ParseLayer(std::string_view word);

// The knob's actions: "left" (0, turning left), "right" (1, turning right), "press" (2); the
// numbers are taken too.
std::optional<int> ParseKnobAction(std::string_view word);
std::string KnobActionWord(int action);
std::vector<std::string> KnobActionWords();

// A key function from the words that name it (several words are joined by spaces first):
// "disabled", a key ("Esc"), a combination ("Ctrl+Shift+Esc", "RAlt+F4"), a mouse, media or
// shortcut function ("mouse-left", "volume-up", "copy"), a keyboard function ("BL-TOG") or
// "macro N". A macro's play options are left at 0 for the command to fill in.
struct ParsedFunction {
  std::optional<protocol::KeyFunction> function;
  std::string problem;  // why the words name no function; empty when they do
};
ParsedFunction ParseKeyFunction(std::string_view text);
// The words of a function as ParseKeyFunction reads them; "default" for a key that keeps its
// factory function, "0x.." forms for what has no name.
std::string KeyFunctionWordOf(const protocol::KeyFunction& function);
// Every one-word function name, for completion and suggestions ("macro" stands for "macro N").
std::vector<std::string> KeyFunctionWords();

// The names a command's help lists: the keys, and the functions by kind.
std::string KeyNamesHelp();
std::string KeyFunctionsHelp();

}  // namespace cli
