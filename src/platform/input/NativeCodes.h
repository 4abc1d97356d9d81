#pragma once
// The codes window systems give keys and buttons, turned into Linux input codes.

namespace platform::input {

// X11 and Wayland (XKB) key codes are the Linux key code plus 8; 0 for codes outside 9..255.
int LinuxKeyOfNativeKeycode(int nativeKeycode);

// X11 button numbers: 1 left, 2 middle, 3 right, 8 back, 9 forward, 10 forward, 11 back (the
// extra buttons of some mice). 0 for the wheel (4 to 7) and unknown numbers.
int LinuxButtonOfNativeButton(int nativeButton);

// The keys of the numeric keypad that type digits with NumLock on and move without it.
bool IsKeypadKey(int linuxCode);

}  // namespace platform::input
