#pragma once
// Linux input codes (the KEY_* and BTN_* codes of <linux/input-event-codes.h>, as evdev, X11
// key codes minus 8 and the window's native scan codes give them) turned into the Windows
// vocabulary of InputEventRecord that the naming functions, the key test and stored macros use.
//
// NumLock is an argument, not state kept here: the input sources know it best (the keyboard's
// LED under evdev, the server's lock modifiers under X11, the typed key in the window), and a
// pure function cannot drift from the real state when a key was pressed while nobody watched.

#include <optional>

#include "keys/InputEvents.h"

namespace keys {

// Where a key or button is going.
enum class KeyTransition { kDown, kUp };

// What a key of a PC keyboard is in the Windows vocabulary.
struct WindowsKey {
  int virtualKey = 0;
  int scanCode = 0;  // set 1, without the 0xE0 prefix
  bool extended = false;
};

// The Windows key of a Linux key code; nothing for codes without a virtual key (the Fn key,
// power, brightness, ...). Keypad keys with NumLock off are the navigation keys they then act as
// (keypad 7 is Home with the keypad's scan code and without the extended flag), as the hooks
// and raw input report them.
std::optional<WindowsKey> WindowsKeyOfLinuxKey(int linuxCode, bool numLock);

// The record the keyboard hook would deliver for the key: message 256/257 (260/261 for the Alt
// keys themselves), virtual key, scan code, the extended flag and, going up, the up flag.
// Repeats of a held key are further kDown transitions. Nothing for codes without a virtual key.
std::optional<InputEventRecord> KeyRecordOfLinuxKey(int linuxCode, KeyTransition transition,
                                                    bool numLock);

// The record of a mouse button: BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE and BTN_BACK (back),
// BTN_EXTRA and BTN_FORWARD (forward), with the hook's message and mouse data and the raw-input
// button bits. Nothing for other codes.
std::optional<InputEventRecord> ButtonRecordOfLinuxButton(int linuxCode, KeyTransition transition);

}  // namespace keys
