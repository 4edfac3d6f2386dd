#pragma once
// Test support of the fuzz entries that start the external-model engine: the
// stand-in host of the build in engine folders of their own, found through a
// registry file of their own, and a model the host reads.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "modelfile/tulo_instance.h"
#include "platform/testing/fuzz_support.h"

namespace tulo_fuzz {

// A reactor with an input and an output port, internal variables and parameters.
inline constexpr const char* kReactor = R"(# a reactor with an input and an output port
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

// The temporary folder holding the engine's folders and the registry file
// that names them (set as the process's registry); made once per process.
inline const std::filesystem::path& HostRoot() {
  static const std::filesystem::path root = [] {
    const std::filesystem::path made = fuzz::ProcessTempPath("tulo");
    std::filesystem::remove_all(made);
    std::filesystem::create_directories(made / "top" / "xeq");
    std::filesystem::create_symlink(std::string(OSTREL_BINARY_DIR) + "/standins/" + kTuloHostLibraryName,
                                    made / "top" / "xeq" / kTuloHostLibraryName);
    fuzz::WriteBytes((made / "registry.ini").string(),
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\TULO\\38.0]\ntulotop=" + (made / "top").string() +
                         "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\Fennor\\38.0\\Dir]\nBin=" +
                         (made / "bin").string() +
                         "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\Galdric\\38.0]\nExeDir=" +
                         (made / "exe").string() +
                         "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\QuorvaneVorn]\nDirectory=" +
                         (made / "product").string() + "/\n");
    setenv("OSTREL_REGISTRY", (made / "registry.ini").c_str(), 1);
    return made;
  }();
  return root;
}

}  // namespace tulo_fuzz
