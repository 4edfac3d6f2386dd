// The leak checker's defaults of every fuzz binary and replay
// (cmake/OstrelFuzz.cmake): the third-party leaks the tests suppress
// (lsan_suppressions.txt beside this file) are suppressed here too, so that a
// fuzz binary run by hand stops only on leaks of ours. Full stacks let the
// suppressions name the libraries' functions. LSAN_OPTIONS still wins.

extern "C" const char* __lsan_default_options() {
  return "suppressions=" OSTREL_SOURCE_DIR "/platform/testing/lsan_suppressions.txt:fast_unwind_on_malloc=0";
}
