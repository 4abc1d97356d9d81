// When the X server goes away in the middle of a request, Xlib (1.8) hands the lost connection
// to its handlers with the display's lock already released, and the request it was in releases
// it once more on the way out. The display is dead from then on and used by no other thread;
// that one report, of a lock inside libX11, is left out. Every lock of our own stays checked.
extern "C" const char* __tsan_default_suppressions() {
  return "mutex:libX11.so\n";
}
