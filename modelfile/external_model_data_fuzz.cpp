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
#include "modelfile/tulo_instance.h"
#include "platform/testing/fuzz_support.h"

namespace {

namespace fs = std::filesystem;

// The versions whose layouts differ; the input's first byte picks one.
const char* const kVersions[] = {"16.24.0", "16.25.0", "16.26.0", "17.1.5", "17.1.6", "17.5.0",
                                 "17.9.2",  "17.9.4",  "19.7.58", "19.7.59", "19.8.25", "20.0.0"};
constexpr std::size_t kVersionCount = sizeof kVersions / sizeof kVersions[0];

// A model the stand-in host reads: ports, internal variables and parameters.
const char* const kReactor = R"(# a reactor with an input and an output port
variable FEED 10 0 100 0 feed rate
variable TEMP 350 300 500 1
variable YIELD 0.8 0 1 0 product yield
variable PROD 8 0 100 0
equation MASS 0 FEED YIELD PROD
equation HEAT 1 TEMP FEED
port IN input FEED TEMP
port OUT output PROD
parameter PERT double 0.001
parameter MODE int 3
parameter LABEL string first run
parameter SECOND_DERIV_METHOD string exact
)";

// The engine's folders and registry file, made once per process; the model folder holds r.mdl.
const std::string& ModelDirectory() {
  static const std::string directory = [] {
    const fs::path root = fuzz::ProcessTempPath("tulo");
    fs::remove_all(root);
    fs::create_directories(root / "top" / "xeq");
    fs::create_directories(root / "model");
    fs::create_symlink(std::string(OSTREL_BINARY_DIR) + "/standins/" + kTuloHostLibraryName,
                       root / "top" / "xeq" / kTuloHostLibraryName);
    fuzz::WriteBytes((root / "model" / "r.mdl").string(), kReactor);
    fuzz::WriteBytes((root / "registry.ini").string(),
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\TULO\\38.0]\ntulotop=" + (root / "top").string() +
                         "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\Fennor\\38.0\\Dir]\nBin=" +
                         (root / "bin").string() +
                         "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\Galdric\\38.0]\nExeDir=" +
                         (root / "exe").string() +
                         "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\QuorvaneVorn]\nDirectory=" +
                         (root / "product").string() + "/\n");
    setenv("OSTREL_REGISTRY", (root / "registry.ini").c_str(), 1);
    return (root / "model").string();
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
