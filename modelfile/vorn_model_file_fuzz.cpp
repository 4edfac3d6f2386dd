// Fuzz entry of the model file loader: any bytes, as a model's
// "VornModel.vrnx", load or are refused with a reason; a model that loaded
// saves a file that loads again, and a model without external models saves
// the same file the second time. External models run on the stand-in host of
// the build (modelfile/testing/tulo_fuzz_host.h). Built as every fuzz entry
// is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "modelfile/testing/full_model_file.h"
#include "modelfile/testing/tulo_fuzz_host.h"
#include "modelfile/tulo_instance.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/fuzz_support.h"
#include "tools/model_generator/testing/generated_seeds.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kModelName = "M";
constexpr const char* kSaveVersion = "20.0.0";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Loads the model of the folder as the export configuration's reader does.
bool Load(CVornModelFile& model, const fs::path& parent) {
  model.m_bSilent = true;
  return model.Load(kModelName, parent.string(), "", 0, true, false);
}

// Saves the model as plain XML and returns the file's bytes; traps when it cannot be saved.
std::string Save(CVornModelFile& model) {
  model.m_bEncryptOnSave = false;
  model.m_bPlainXmlOnSave = true;
  if (!model.Save(kSaveVersion, "", false)) __builtin_trap();
  return ReadAll(model.m_strModelFilePath);
}

void ReleaseBlocks() {
  if (IsTuloInitialized()) GetTuloInstance()->DeleteBlocks();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path parent = tulo_fuzz::HostRoot() / "models";
  const fs::path directory = parent / kModelName;
  std::error_code ec;
  fs::remove_all(directory, ec);
  fs::create_directories(directory);
  fuzz::WriteBytes((directory / "r.mdl").string(), tulo_fuzz::kReactor);
  fuzz::WriteBytes((directory / kModelFileName).string(), data, size);

  std::string first;
  bool externalModels = false;
  {
    CVornModelFile model;
    if (!Load(model, parent)) {
      if (model.m_strLoadError.empty()) __builtin_trap();
      ReleaseBlocks();
      return 0;
    }
    externalModels = IsTuloInitialized() && GetTuloInstance()->CountModelBlocks(kModelName) > 0;
    first = Save(model);
  }
  ReleaseBlocks();
  CVornModelFile again;
  if (!Load(again, parent)) __builtin_trap();  // what we saved must load
  if (!externalModels && Save(again) != first) __builtin_trap();
  ReleaseBlocks();
  return 0;
}

// A model with external models in the per-block form of the older versions.
const char* const kExternalModels = R"(<VornConfiguration>
	<Version>17.9.0</Version>
	<ExternalModels>
		<Expanded>true</Expanded>
		<InputOutputMap>true</InputOutputMap>
		<PerturbationSize>1e-5</PerturbationSize>
		<ExternalModel>
			<Name>R</Name>
			<Path>r.mdl</Path>
			<ModelType>TULO_STREV</ModelType>
			<IsSuppressed>true</IsSuppressed>
			<Ports><Port><Name>IN</Name><Direction>PORT_INPUT</Direction><Expanded>false</Expanded></Port></Ports>
		</ExternalModel>
		<ExternalModel><Name>X</Name><Path>x.mdl</Path><ModelType>TULO_UNKNOWN</ModelType></ExternalModel>
	</ExternalModels>
</VornConfiguration>
)";

// The sections the full model of the tests lacks: formulas and user equations.
const char* const kFormulasAndEquations = R"(	<Formulas><Formula><PropertyName>SUL</PropertyName><Expression>ln(x)+2*y</Expression>
		<Ranges><StartingRanges><StartingRange>0</StartingRange></StartingRanges>
		<EndingRanges><EndingRange>50</EndingRange></EndingRanges></Ranges><Suppressed>false</Suppressed></Formula></Formulas>
	<UserEquationSection>
		<UserEquationVariables>
			<UserEquationVariable><Name>x</Name><VornName>X1</VornName><IsPeriodic>true</IsPeriodic><PeriodicMin>1</PeriodicMin><Value>3</Value></UserEquationVariable>
			<UserEquationVariable><Name>y</Name><VornName>Y1</VornName><Description>why</Description></UserEquationVariable>
		</UserEquationVariables>
		<UserEquations>
			<EquationGroup><Name>G</Name><Description>about G</Description><IsSuppressed>false</IsSuppressed><ParentGroup></ParentGroup></EquationGroup>
			<UserEquation><Row>E2</Row><ParentGroup>G</ParentGroup><Equation>2*x+sqrt(y)</Equation><EquationType>Fixed</EquationType><RHS>12.5</RHS><EquationVariable>x</EquationVariable><EquationVariable>y</EquationVariable></UserEquation>
		</UserEquations>
	</UserEquationSection>
)";

// The model files of the generated runs (every model kind, the global one
// also in the nonlinear mode), as they were written (plain XML) and saved
// again enciphered; a model of every section as our writer saves it; and
// external models in their older form.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  if (!fuzz::WriteSeed(directory, "external_models.vrnx", kExternalModels)) return false;
  // The model of every section as our writer saves it.
  const fs::path parent = tulo_fuzz::HostRoot() / "seeds";
  fs::create_directories(parent / kModelName);
  std::string everySection = model_file_testing::kFullModel;
  everySection.insert(everySection.find("</VornConfiguration>"), kFormulasAndEquations);
  fuzz::WriteBytes((parent / kModelName / kModelFileName).string(), everySection);
  {
    CVornModelFile model;
    if (!Load(model, parent) || !fuzz::WriteSeed(directory, "every_section.vrnx", Save(model))) return false;
  }
  return model_gen_testing::ForEachGeneratedRun([&](const model_gen_testing::GeneratedRun& run) {
    const fs::path file = run.ModelFile(kModelFileName);
    if (!model_gen_testing::CopySeed(file, directory, run.label + "_generated.vrnx")) return false;
    CVornModelFile model;
    model.m_bSilent = true;
    if (!model.LoadFromDirectory(run.layout.mainModel, file.parent_path().string())) return false;
    model.m_bEncryptOnSave = true;
    model.m_bPlainXmlOnSave = false;
    return model.Save(kSaveVersion, "", false) &&
           model_gen_testing::CopySeed(file, directory, run.label + "_enciphered.vrnx");
  });
}
