#pragma once
// Helpers of the fuzz entries: the bytes as a file for readers that read a
// path, and the seed files an entry writes (see fuzz_replay_main.cpp).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace fuzz {

// The paths ProcessTempPath gave, removed (with what is below them) when the process exits.
inline std::vector<std::string>& PathsToRemove() {
  static std::vector<std::string> paths;
  return paths;
}

// A path of this process in the temporary directory, ending in name; the
// file or folder made there goes when the process exits.
inline std::string ProcessTempPath(std::string_view name) {
  static std::once_flag registered;
  std::call_once(registered, [] {
    PathsToRemove();  // made first, so that it still stands when the exit handler runs
    std::atexit([] {
      std::error_code ec;
      for (const std::string& path : PathsToRemove()) std::filesystem::remove_all(path, ec);
    });
  });
  const std::string path =
      (std::filesystem::temp_directory_path() / ("ostrel_fuzz_" + std::to_string(::getpid()) + "_" + std::string(name)))
          .string();
  std::vector<std::string>& paths = PathsToRemove();
  if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
  return path;
}

// Writes bytes to path, replacing what was there; false on a failure.
inline bool WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

inline bool WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  return WriteBytes(path, std::string_view(reinterpret_cast<const char*>(data), size));
}

// Writes one seed file into the corpus directory.
inline bool WriteSeed(const char* directory, const std::string& name, std::string_view bytes) {
  return WriteBytes((std::filesystem::path(directory) / name).string(), bytes);
}

}  // namespace fuzz
