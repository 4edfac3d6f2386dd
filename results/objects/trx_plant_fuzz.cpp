// Fuzz entry of the transfer data file "TRANS.DAT": any bytes read as the
// file are damaged exactly when the count does not fit their length, and then
// give no plants; otherwise both plant lists with the same plants, sorted by
// name, no more records than the bytes hold and no name longer than its field
// allows, and the file read from the model's directory gives the same lists. Built as
// every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "foundation/input_failure.h"
#include "platform/testing/fuzz_support.h"
#include "results/objects/trx_plant.h"
#include "tools/model_generator/testing/generated_seeds.h"

namespace {

// The qualities of the lists; traps on a name longer than its field or a list out of order.
std::size_t CheckPlants(const CTrxPlantArray& plants) {
  std::size_t qualities = 0;
  const CTrxPlant* previous = nullptr;
  for (const CTrxPlant* plant : plants) {
    if (plant == nullptr || plant->m_strName.size() > 1) __builtin_trap();
    if (previous != nullptr && !(previous->m_strName < plant->m_strName)) __builtin_trap();
    previous = plant;
    for (const CTrxPool* pool : plant->m_paPools) {
      if (pool->m_strName.size() > 3) __builtin_trap();
      for (const CTrxQuality* quality : pool->m_paQualities) {
        if (quality->m_strName.size() > 3 || quality->m_strSourcePool.size() > 3 ||
            quality->m_strSourcePlant.size() > 1)
          __builtin_trap();
        ++qualities;
      }
    }
  }
  return qualities;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CTrxPlantArray plants;
  CTrxPlantArray plants2;
  std::istringstream in(bytes);
  const bool damaged = !ReadTransferData(in, plants, plants2).empty();
  std::int32_t count = -1;
  if (size >= sizeof count) std::memcpy(&count, data, sizeof count);
  const bool fits = count >= 0 && size == sizeof count + static_cast<std::size_t>(count) * kTransferRecordSize;
  if (damaged == fits || (damaged && !plants.IsEmpty())) __builtin_trap();
  if (plants.GetSize() != plants2.GetSize()) __builtin_trap();
  for (int i = 0; i < plants.GetSize(); ++i)
    if (plants[i]->m_strName != plants2[i]->m_strName) __builtin_trap();
  const std::size_t records = size < 4 ? 0 : (size - 4) / kTransferRecordSize;
  if (CheckPlants(plants) > records || CheckPlants(plants2) > records) __builtin_trap();

  static const std::string directory = [] {
    const std::string made = fuzz::ProcessTempPath("model");
    std::filesystem::create_directories(made);
    return made;
  }();
  fuzz::WriteBytes(directory + "/" + kTransferDataFileName, data, size);
  CTrxPlantArray read;
  CTrxPlantArray read2;
  {
    const CInputFailureScope scope;
    GetTransfers(0, directory, read, read2);
    if (scope.HasFailure() != damaged) __builtin_trap();
  }
  if (read.GetSize() != plants.GetSize() || read2.GetSize() != plants2.GetSize()) __builtin_trap();
  return 0;
}

// The transfer data of the generated global models.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  return model_gen_testing::ForEachGeneratedRun([&](const model_gen_testing::GeneratedRun& run) {
    return model_gen_testing::CopySeed(run.ModelFile(kTransferDataFileName), directory, run.label + ".dat");
  });
}
