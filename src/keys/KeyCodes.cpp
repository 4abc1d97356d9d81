#include "keys/KeyCodes.h"

#include <array>

namespace keys {
namespace {

constexpr int kUsageCount = 256;

using UsageNames = std::array<std::string_view, kUsageCount>;

void NameRange(UsageNames& names, int first, std::initializer_list<std::string_view> list) {
  for (std::string_view name : list) names[first++] = name;
}

constexpr std::string_view kLetters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                         "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                         "S", "T", "U", "V", "W", "X", "Y", "Z"};

UsageNames BuildUsageNames() {
  UsageNames names{};
  for (int i = 0; i < 26; ++i) names[4 + i] = kLetters[i];
  NameRange(names, 30, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"});
  NameRange(names, 89, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "."});
  NameRange(names, 40, {"Enter", "Esc", "Backspace", "Tab", "Space", "-", "=", "[", "]", "\\"});
  NameRange(names, 51, {";", "'", "~", ",", ".", "/", "CapsLock"});
  NameRange(names, 58, {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"});
  NameRange(names, 104,
            {"F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"});
  NameRange(names, 70,
            {"Print", "Scroll", "Pause", "Insert", "Home", "PgUp", "Delete", "End", "PgDn",
             "\xE2\x86\x92", "\xE2\x86\x90", "\xE2\x86\x93", "\xE2\x86\x91", "Num Lock", "/", "*",
             "-", "+", "Enter"});
  names[101] = "App";
  names[175] = "Fn";
  NameRange(names, 209, {"Calc", "Mute", "Vol -", "Vol +"});
  NameRange(names, 224, {"Ctrl", "Shift", "Alt", "Win", "Ctrl", "Shift", "Alt"});
  return names;
}

const UsageNames& UsageNameTable() {
  static const UsageNames names = BuildUsageNames();
  return names;
}

struct CodePair {
  int virtualKey;
  int usage;
};

constexpr CodePair kSingleCodes[] = {
    {13, 40},   {27, 41},   {8, 42},    {9, 43},    {32, 44},   {189, 45},  {187, 46},  {219, 47},
    {221, 48},  {220, 49},  {666, 50},  {186, 51},  {222, 52},  {192, 53},  {188, 54},  {190, 55},
    {191, 56},  {20, 57},   {44, 70},   {145, 71},  {19, 72},   {45, 73},   {36, 74},   {33, 75},
    {46, 76},   {35, 77},   {34, 78},   {39, 79},   {37, 80},   {40, 81},   {38, 82},   {144, 83},
    {111, 84},  {106, 85},  {109, 86},  {107, 87},  {108, 88},  {96, 98},   {110, 99},  {162, 224},
    {160, 225}, {164, 226}, {91, 227},  {163, 228}, {161, 229}, {165, 230}, {92, 231},  {93, 101},
    {254, 175}, {226, 100}, {301, 236}, {302, 235}, {136, 136}, {137, 137}, {138, 138}, {139, 139},
};

int RangeUsage(int virtualKey) {
  if (virtualKey >= 0x41 && virtualKey <= 0x5A) return virtualKey - 61;  // letters
  if (virtualKey >= 0x31 && virtualKey <= 0x39) return virtualKey - 19;  // digits 1 to 9
  if (virtualKey == 0x30) return 39;
  if (virtualKey >= 112 && virtualKey <= 123) return virtualKey - 54;  // F1 to F12
  if (virtualKey >= 124 && virtualKey <= 135) return virtualKey - 20;  // F13 to F24
  if (virtualKey >= 97 && virtualKey <= 105) return virtualKey - 8;    // keypad 1 to 9
  return 0;
}

}  // namespace

std::string_view UsageShortName(int usage) {
  if (usage < 0 || usage >= kUsageCount) return {};
  return UsageNameTable()[usage];
}

int VirtualKeyToUsage(int virtualKey) {
  if (const int usage = RangeUsage(virtualKey)) return usage;
  for (const CodePair& pair : kSingleCodes) {
    if (pair.virtualKey == virtualKey) return pair.usage;
  }
  return 0;
}

int ModifierUsageToBit(int usage) {
  if (usage < 224 || usage > 231) return usage;
  return 1 << (usage - 224);
}

}  // namespace keys
