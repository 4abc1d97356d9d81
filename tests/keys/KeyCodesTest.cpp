#include <gtest/gtest.h>

#include "keys/KeyCodes.h"

namespace {

TEST(KeyCodes, UsageShortNames) {
  const struct {
    int usage;
    const char* name;
  } cases[] = {
      // clang-format off
      {4, "A"}, {29, "Z"}, {30, "1"}, {38, "9"}, {39, "0"}, {89, "1"}, {97, "9"}, {98, "0"},
      {40, "Enter"}, {88, "Enter"}, {41, "Esc"}, {42, "Backspace"}, {43, "Tab"}, {44, "Space"},
      {45, "-"}, {86, "-"}, {46, "="}, {47, "["}, {48, "]"}, {49, "\\"}, {51, ";"}, {52, "'"},
      {53, "~"}, {54, ","}, {55, "."}, {99, "."}, {56, "/"}, {84, "/"}, {57, "CapsLock"},
      {58, "F1"}, {69, "F12"}, {104, "F13"}, {115, "F24"}, {70, "Print"}, {71, "Scroll"},
      {72, "Pause"}, {73, "Insert"}, {74, "Home"}, {75, "PgUp"}, {76, "Delete"}, {77, "End"},
      {78, "PgDn"}, {79, "\xE2\x86\x92"}, {80, "\xE2\x86\x90"}, {81, "\xE2\x86\x93"},
      {82, "\xE2\x86\x91"}, {83, "Num Lock"}, {85, "*"}, {87, "+"}, {101, "App"}, {175, "Fn"},
      {209, "Calc"}, {210, "Mute"}, {211, "Vol -"}, {212, "Vol +"}, {224, "Ctrl"}, {228, "Ctrl"},
      {225, "Shift"}, {229, "Shift"}, {226, "Alt"}, {230, "Alt"}, {227, "Win"},
      // usages without a short name
      {0, ""}, {3, ""}, {50, ""}, {100, ""}, {116, ""}, {231, ""}, {236, ""}, {255, ""},
      {-1, ""}, {256, ""}, {100000, ""},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(keys::UsageShortName(c.usage), c.name) << c.usage;
}

TEST(KeyCodes, VirtualKeysToUsages) {
  const struct {
    int virtualKey;
    int usage;
  } cases[] = {
      // clang-format off
      {0x41, 4}, {0x5A, 29}, {0x31, 30}, {0x39, 38}, {0x30, 39}, {13, 40}, {27, 41}, {8, 42},
      {9, 43}, {32, 44}, {189, 45}, {187, 46}, {219, 47}, {221, 48}, {220, 49}, {666, 50},
      {186, 51}, {222, 52}, {192, 53}, {188, 54}, {190, 55}, {191, 56}, {20, 57}, {112, 58},
      {123, 69}, {124, 104}, {135, 115}, {44, 70}, {145, 71}, {19, 72}, {45, 73}, {36, 74},
      {33, 75}, {46, 76}, {35, 77}, {34, 78}, {39, 79}, {37, 80}, {40, 81}, {38, 82}, {144, 83},
      {111, 84}, {106, 85}, {109, 86}, {107, 87}, {108, 88}, {97, 89}, {105, 97}, {96, 98},
      {110, 99}, {162, 224}, {160, 225}, {164, 226}, {91, 227}, {163, 228}, {161, 229},
      {165, 230}, {92, 231}, {93, 101}, {254, 175}, {226, 100}, {301, 236}, {302, 235},
      {136, 136}, {137, 137}, {138, 138}, {139, 139},
      // codes without a usage
      {173, 0}, {16, 0}, {17, 0}, {18, 0}, {0x40, 0}, {0x5F, 0}, {0x2F, 0}, {140, 0}, {0, 0},
      {-5, 0}, {255, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(keys::VirtualKeyToUsage(c.virtualKey), c.usage) << c.virtualKey;
  }
}

TEST(KeyCodes, ModifierUsagesToBits) {
  for (int i = 0; i < 8; ++i) EXPECT_EQ(keys::ModifierUsageToBit(224 + i), 1 << i);
  for (int other : {4, 223, 232, 0, -1}) EXPECT_EQ(keys::ModifierUsageToBit(other), other);
}

}  // namespace
