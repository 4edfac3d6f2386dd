#pragma once
// Seed inputs of the fuzz entries, made by the model generator: small runs of
// every model kind (and the global one in the nonlinear mode), whose files an
// entry copies into its corpus.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/testing/fuzz_support.h"
#include "tools/model_generator/model_generator.h"

namespace model_gen_testing {

struct GeneratedRun {
  std::string label;  // "standard", "multiperiod", "global", "local" or "global_nimbo"
  std::filesystem::path directory;
  model_gen::GeneratorOptions options;
  model_gen::RunLayout layout;
  // A file of the main model's directory.
  std::filesystem::path ModelFile(const std::string& name) const { return directory / layout.mainModel / name; }
};

// Generates each run into a temporary folder of the process and hands it to
// visit; false when a run cannot be generated or visit returns false.
inline bool ForEachGeneratedRun(const std::function<bool(const GeneratedRun&)>& visit) {
  struct Kind {
    const char* label;
    model_gen::ModelKind kind;
    bool nimbo;
  };
  const Kind kinds[] = {{"standard", model_gen::ModelKind::kStandard, false},
                        {"multiperiod", model_gen::ModelKind::kMultiPeriod, false},
                        {"global", model_gen::ModelKind::kGlobal, false},
                        {"local", model_gen::ModelKind::kLocal, false},
                        {"global_nimbo", model_gen::ModelKind::kGlobal, true}};
  for (const Kind& kind : kinds) {
    GeneratedRun run;
    run.label = kind.label;
    run.directory = fuzz::ProcessTempPath(std::string("generated_") + kind.label);
    run.options.kind = kind.kind;
    run.options.nimbo = kind.nimbo;
    run.options.cases = 3;
    run.layout = model_gen::LayoutOf(run.options);
    std::error_code ec;
    std::filesystem::remove_all(run.directory, ec);
    std::string error;
    if (!model_gen::GenerateRunDirectory(run.directory, run.options, error) || !visit(run)) return false;
    std::filesystem::remove_all(run.directory, ec);
  }
  return true;
}

// Copies a generated file into the corpus folder as name; true when there is no such file.
inline bool CopySeed(const std::filesystem::path& file, const char* directory, const std::string& name,
                     const std::string& prefix = std::string()) {
  if (!std::filesystem::is_regular_file(file)) return true;
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return static_cast<bool>(in) && fuzz::WriteSeed(directory, name, prefix + bytes);
}

}  // namespace model_gen_testing
