// Fuzz entry of the external model data files: any bytes, loaded as the
// blocks of a model in the layout of one of the file versions, must load or
// stop with what was read so far, and the engine must then store them. The
// engine runs on the stand-in host of the build, in a private folder with a
// registry file of its own. Built as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "modelfile/tulo_block.h"
#include "modelfile/testing/tulo_fuzz_host.h"
#include "modelfile/tulo_instance.h"
#include "platform/testing/fuzz_support.h"

namespace {

namespace fs = std::filesystem;

// The versions whose layouts differ; the input's first byte picks one.
const char* const kVersions[] = {"16.24.0", "16.25.0", "16.26.0", "17.1.5", "17.1.6", "17.5.0",
                                 "17.9.2",  "17.9.4",  "19.7.58", "19.7.59", "19.8.25", "20.0.0"};
constexpr std::size_t kVersionCount = sizeof kVersions / sizeof kVersions[0];

// The engine's model folder, made once per process; it holds r.mdl.
const std::string& ModelDirectory() {
  static const std::string directory = [] {
    const fs::path model = tulo_fuzz::HostRoot() / "model";
    fs::create_directories(model);
    fuzz::WriteBytes((model / "r.mdl").string(), tulo_fuzz::kReactor);
    return model.string();
  }();
  return directory;
}

CTULOInstance* Engine() {
  const std::string& modelDir = ModelDirectory();
  CTULOInstance* engine = GetTuloInstance();
  if (engine == nullptr || engine->Initialize(0, 2, true, "1e-6", "") != kTuloOk) {
    std::fprintf(stderr, "the external-model engine does not start in %s\n", modelDir.c_str());
    std::abort();
  }
  return engine;
}

std::string Store(CTULOInstance& engine, const char* version) {
  std::ostringstream out(std::ios::binary);
  plat::Archive ar(out);
  engine.Archive("M", ModelDirectory(), true, ar, version);
  ar.Flush();
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  CTULOInstance* engine = Engine();
  const char* version = kVersions[data[0] % kVersionCount];
  {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), std::ios::binary);
    plat::Archive ar(in);
    engine->Archive("M", ModelDirectory(), true, ar, version);
  }
  Store(*engine, version);
  engine->DeleteBlocks();
  return 0;
}

// The blocks of a model stored by the engine in every version's layout.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  CTULOInstance* engine = Engine();
  const std::string path = ModelDirectory() + "/r.mdl";
  std::string reactor = "R";
  std::string pelm = "P";
  if (engine->AddBlock(reactor, "M", "r.mdl", path, kTuloStrev) != kTuloBlockAdded ||
      engine->AddBlock(pelm, "M", "r.mdl", path, kTuloPelm) != kTuloBlockAdded)
    return false;
  engine->FindBlock("R", "M")->SetSuppressed(true);
  for (std::size_t i = 0; i < kVersionCount; ++i) {
    const std::string bytes = std::string(1, static_cast<char>(i)) + Store(*engine, kVersions[i]);
    if (!fuzz::WriteSeed(directory, std::string("blocks_") + kVersions[i] + ".bin", bytes)) return false;
  }
  engine->DeleteBlocks();
  return true;
}
