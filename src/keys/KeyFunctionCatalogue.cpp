#include "keys/KeyFunctionCatalogue.h"

#include <algorithm>
#include <array>

#include "core/TextIds.h"
#include "core/TextTable.h"
#include "protocol/KeyEntry.h"

namespace keys {
namespace {

namespace ft = protocol::function_type;

struct LiteralEntry {
  int code;
  std::string_view name;
};

// Keyboard keys (type 2) in picker order.
// clang-format off
constexpr LiteralEntry kKeyboardKeys[] = {
    {4, "A"}, {5, "B"}, {6, "C"}, {7, "D"}, {8, "E"}, {9, "F"}, {10, "G"}, {11, "H"}, {12, "I"},
    {13, "J"}, {14, "K"}, {15, "L"}, {16, "M"}, {17, "N"}, {18, "O"}, {19, "P"}, {20, "Q"},
    {21, "R"}, {22, "S"}, {23, "T"}, {24, "U"}, {25, "V"}, {26, "W"}, {27, "X"}, {28, "Y"},
    {29, "Z"}, {39, "0"}, {30, "1"}, {31, "2"}, {32, "3"}, {33, "4"}, {34, "5"}, {35, "6"},
    {36, "7"}, {37, "8"}, {38, "9"}, {58, "F1"}, {59, "F2"}, {60, "F3"}, {61, "F4"}, {62, "F5"},
    {63, "F6"}, {64, "F7"}, {65, "F8"}, {66, "F9"}, {67, "F10"}, {68, "F11"}, {69, "F12"},
    {82, "\xE2\x86\x91"}, {80, "\xE2\x86\x90"}, {81, "\xE2\x86\x93"}, {79, "\xE2\x86\x92"},
    {41, "Esc"}, {70, "Print"}, {71, "Scroll Lock"}, {72, "Pause"}, {53, "~"},
    {42, "Backsapce"},  // the stored spelling
    {73, "Ins"}, {74, "Home"}, {75, "PgUp"}, {43, "Tab"}, {76, "Del"}, {77, "End"}, {78, "PgDn"},
    {57, "Caps"}, {40, "Enter"}, {44, "Space"}, {83, "NumLock"},
    // numeric keypad
    {84, "/"}, {85, "*"}, {86, "-"}, {95, "7"}, {96, "8"}, {97, "9"}, {87, "+"}, {92, "4"},
    {93, "5"}, {94, "6"}, {89, "1"}, {90, "2"}, {91, "3"}, {88, "Enter"}, {98, "0"}, {99, "."},
    // modifiers
    {225, "Shift"}, {224, "Ctrl"}, {227, "Win"}, {226, "Alt"}, {229, "R-Shift"}, {228, "R-Ctrl"},
    {231, "R-Win"}, {230, "R-Alt"},
    {45, "-"}, {46, "="}, {47, "["}, {48, "]"}, {49, "||"}, {51, ";"}, {52, "'"}, {54, ",<"},
    {55, ".>"}, {56, "/?"},
};
// clang-format on

struct TextEntry {
  int code;
  int textId;
};

constexpr TextEntry kMouseFunctions[] = {
    {90, text::kMouseLeft},     {91, text::kMouseMiddle},     {92, text::kMouseRight},
    {96, text::kMouseScrollUp}, {97, text::kMouseScrollDown}, {94, text::kMouseForward},
    {95, text::kMouseBack},
};

constexpr TextEntry kMediaFunctions[] = {
    {113, text::kMediaMyComputer},
    {114, text::kMediaCalculator},
    {115, text::kMediaEmail},
    {110, text::kMediaPlayer},
    {100, text::kMediaPlayPause},
    {101, text::kMediaStop},
    {102, text::kMediaPreviousTrack},
    {103, text::kMediaNextTrack},
    {104, text::kMediaVolumeUp},
    {105, text::kMediaVolumeDown},
    {106, text::kMediaMute},
    {116, text::kMediaBrowserHome},
    {117, text::kMediaBrowserRefresh},
    {118, text::kMediaBrowserStop},
    {119, text::kMediaBrowserBack},
    {120, text::kMediaBrowserForward},
    {121, text::kMediaBrowserFavorites},
    {122, text::kMediaBrowserSearch},
};

constexpr TextEntry kShortcuts[] = {
    {155, text::kShortcutCopy},         {156, text::kShortcutPaste},
    {157, text::kShortcutCut},          {158, text::kShortcutSave},
    {159, text::kShortcutOpen},         {160, text::kShortcutNew},
    {150, text::kShortcutShowDesktop},  {151, text::kShortcutFileManager},
    {152, text::kShortcutLockScreen},   {153, text::kShortcutCloseWindow},
    {154, text::kShortcutSwitchWindow},
};

void AppendTexts(KeyFunctionCatalogue::Entries& entries, int type, std::span<const TextEntry> list,
                 const core::TextTable& texts) {
  for (const TextEntry& e : list) {
    entries.push_back({type, e.code, texts.GetText(text::kDialogSection, e.textId), {}});
  }
}

KeyFunctionCatalogue::Entries BuildEntries(const core::TextTable& texts) {
  KeyFunctionCatalogue::Entries entries;
  entries.reserve(kCatalogueSize);
  for (const LiteralEntry& e : kKeyboardKeys) {
    entries.push_back({ft::kKeyboardKey, e.code, std::string(e.name), {}});
  }
  AppendTexts(entries, ft::kMouse, kMouseFunctions, texts);
  AppendTexts(entries, ft::kMedia, kMediaFunctions, texts);
  AppendTexts(entries, ft::kShortcut, kShortcuts, texts);
  for (int code = kFirstKeyboardFunction; code <= kLastKeyboardFunction; ++code) {
    entries.push_back({ft::kKeyboardFunction, code, std::string(KeyboardFunctionName(code)), {}});
  }
  return entries;
}

}  // namespace

KeyFunctionCatalogue::KeyFunctionCatalogue() : entries_(std::make_shared<const Entries>()) {}

void KeyFunctionCatalogue::Build(const core::TextTable& texts) {
  auto built = std::make_shared<const Entries>(BuildEntries(texts));
  const std::lock_guard lock(mutex_);
  entries_ = std::move(built);
}

std::shared_ptr<const KeyFunctionCatalogue::Entries> KeyFunctionCatalogue::Snapshot() const {
  const std::lock_guard lock(mutex_);
  return entries_;
}

std::size_t KeyFunctionCatalogue::Size() const {
  return Snapshot()->size();
}

std::optional<KeyFunctionEntry> KeyFunctionCatalogue::Find(int type, int code) const {
  const auto entries = Snapshot();
  const auto found = std::find_if(entries->begin(), entries->end(),
                                  [&](const auto& e) { return e.type == type && e.code == code; });
  if (found == entries->end()) return std::nullopt;
  return *found;
}

KeyFunctionCatalogue::Entries KeyFunctionCatalogue::OfType(int type) const {
  const auto entries = Snapshot();
  Entries selected;
  std::copy_if(entries->begin(), entries->end(), std::back_inserter(selected),
               [&](const auto& e) { return e.type == type; });
  return selected;
}

}  // namespace keys
