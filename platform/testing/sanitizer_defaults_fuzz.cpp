// The leak checker's defaults of every fuzz binary and replay
// (cmake/OstrelFuzz.cmake): the third-party leaks the tests suppress
// (lsan_suppressions.txt beside this file) are suppressed here too, so that a
// fuzz binary run by hand stops only on leaks of ours. An entry built with
// FULL_STACKS records full stacks, which let a suppression name a library's
// function. LSAN_OPTIONS still wins.

#ifdef OSTREL_LSAN_FULL_STACKS
#define OSTREL_LSAN_UNWIND ":fast_unwind_on_malloc=0"
#else
#define OSTREL_LSAN_UNWIND ""
#endif

extern "C" const char* __lsan_default_options() {
  return "suppressions=" OSTREL_SOURCE_DIR "/platform/testing/lsan_suppressions.txt" OSTREL_LSAN_UNWIND;
}
