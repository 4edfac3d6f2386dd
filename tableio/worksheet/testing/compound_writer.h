#pragma once
// Writes a compound file holding the given top-level streams, for tests.

#include <gsf/gsf.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace biff_test {

inline std::vector<std::uint8_t> MakeCompoundFile(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& streams) {
  gsf_init();
  GsfOutput* memory = gsf_output_memory_new();
  GsfOutfile* storage = gsf_outfile_msole_new(memory);
  for (const auto& [name, data] : streams) {
    GsfOutput* stream = gsf_outfile_new_child(storage, name.c_str(), FALSE);
    gsf_output_write(stream, data.size(), data.data());
    gsf_output_close(stream);
    g_object_unref(stream);
  }
  gsf_output_close(GSF_OUTPUT(storage));
  g_object_unref(storage);
  const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
  std::vector<std::uint8_t> file(bytes, bytes + gsf_output_size(memory));
  g_object_unref(memory);
  return file;
}

}  // namespace biff_test
