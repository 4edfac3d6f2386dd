#include "tableio/worksheet/compound_file.h"

#include <gsf/gsf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>

#include <strings.h>

namespace {

struct GObjectUnref {
  void operator()(void* object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

void InitGsfOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    // A corrupt file is reported through the result; the library's own complaints would only be noise.
    for (const char* domain : {"libgsf", "libgsf:msole", "GLib-GObject"})
      g_log_set_handler(domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL),
                        [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
  });
}

bool NameEquals(const char* name, std::string_view wanted) {
  return name != nullptr && std::strlen(name) == wanted.size() &&
         strncasecmp(name, wanted.data(), wanted.size()) == 0;
}

}  // namespace

CompoundResult ReadCompoundStream(const std::vector<std::uint8_t>& file, std::string_view streamName,
                                  std::vector<std::uint8_t>& out) {
  out.clear();
  if (file.size() < sizeof(kSignature) || std::memcmp(file.data(), kSignature, sizeof(kSignature)) != 0)
    return CompoundResult::kNotCompound;
  InitGsfOnce();
  GsfPtr<GsfInput> input(gsf_input_memory_new(file.data(), static_cast<gsf_off_t>(file.size()), FALSE));
  if (!input) return CompoundResult::kReadFault;
  GError* error = nullptr;
  GsfPtr<GsfInfile> storage(gsf_infile_msole_new(input.get(), &error));
  if (error != nullptr) g_error_free(error);
  if (!storage) return CompoundResult::kReadFault;

  const int children = gsf_infile_num_children(storage.get());
  for (int i = 0; i < children; ++i) {
    if (!NameEquals(gsf_infile_name_by_index(storage.get(), i), streamName)) continue;
    GsfPtr<GsfInput> stream(gsf_infile_child_by_index(storage.get(), i));
    if (!stream) return CompoundResult::kReadFault;
    // A storage of that name is not a stream.
    if (GSF_IS_INFILE(stream.get()) && gsf_infile_num_children(GSF_INFILE(stream.get())) >= 0)
      continue;
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || static_cast<std::uint64_t>(size) > file.size()) return CompoundResult::kReadFault;
    out.resize(static_cast<std::size_t>(size));
    if (size > 0 && gsf_input_read(stream.get(), static_cast<std::size_t>(size), out.data()) == nullptr) {
      out.clear();
      return CompoundResult::kReadFault;
    }
    return CompoundResult::kOk;
  }
  return CompoundResult::kNoStream;
}

CompoundResult ReadCompoundStreamFromPath(const std::string& path, std::string_view streamName,
                                          std::vector<std::uint8_t>& out) {
  out.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return CompoundResult::kReadFault;
  std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return CompoundResult::kReadFault;
  return ReadCompoundStream(file, streamName, out);
}
