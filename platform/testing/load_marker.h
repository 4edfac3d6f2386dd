#pragma once
// Test support, header-only: the library of testing/load_marker_shlib.cpp and
// a marker file of the test's own, so a test can hand a loader a path and see
// afterwards whether the library's code ran.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/testing/odbc_test_env.h"

namespace plat::testing {

inline std::string LoadMarkerLibrary() { return std::string(OSTREL_BINARY_DIR) + "/platform/libload_marker.so"; }

// Points $OSTREL_LOAD_MARKER at a file in a directory of its own for its life.
class ScopedLoadMarker {
 public:
  ScopedLoadMarker() : m_file(m_dir.File("loaded")) { setenv("OSTREL_LOAD_MARKER", m_file.c_str(), 1); }
  ~ScopedLoadMarker() { unsetenv("OSTREL_LOAD_MARKER"); }
  ScopedLoadMarker(const ScopedLoadMarker&) = delete;
  ScopedLoadMarker& operator=(const ScopedLoadMarker&) = delete;

  const std::string& File() const { return m_file; }
  bool Loaded() const {
    std::error_code ec;
    return std::filesystem::exists(m_file, ec);
  }

 private:
  TempDir m_dir;
  std::string m_file;
};

}  // namespace plat::testing
