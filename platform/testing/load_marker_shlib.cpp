// A shared library for tests that leaves a mark when anything loads it: its
// constructor creates the file named by $OSTREL_LOAD_MARKER. A test that
// hands its path to a loader sees whether the loader ran its code.

#include <cstdlib>
#include <fstream>

namespace {

__attribute__((constructor)) void MarkLoaded() {
  if (const char* path = std::getenv("OSTREL_LOAD_MARKER")) std::ofstream(path) << "loaded\n";
}

}  // namespace
