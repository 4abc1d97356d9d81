// libpulse is not built with the thread sanitizer. It creates some of its own mutexes lazily
// and publishes them through atomics of its own that the sanitizer cannot see, so a later
// lock of such a mutex looks like a race with its allocation. Reports whose stack runs
// through libpulse's internals are left out; every access of our own stays checked, and the
// event loop's lock still orders our code.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libpulsecommon\n";
}
