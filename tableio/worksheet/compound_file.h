#pragma once
// Reading one stream of an OLE2 compound file (through libgsf). A corrupt
// file (chains that loop or leave the file) fails; it never hangs.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class CompoundResult {
  kOk,
  kNotCompound,  // the data is not a compound file at all
  kNoStream,     // a compound file without the stream
  kReadFault,    // corrupt, or the stream could not be read whole
};

// Reads the top-level stream whose name equals streamName ignoring letter
// case into out.
CompoundResult ReadCompoundStream(const std::vector<std::uint8_t>& file, std::string_view streamName,
                                  std::vector<std::uint8_t>& out);
CompoundResult ReadCompoundStreamFromPath(const std::string& path, std::string_view streamName,
                                          std::vector<std::uint8_t>& out);
