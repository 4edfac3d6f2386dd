#include "results/objects/trx_plant.h"

#include <array>
#include <bit>
#include <cstring>
#include <fstream>
#include <sstream>

#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "foundation/path_utils.h"
#include "foundation/timing_scope.h"
#include "modelfile/vorn_model_file.h"

static_assert(std::endian::native == std::endian::little, "the transfer data file is little-endian");

namespace {

template <class T>
int CompareByName(const void* slotA, const void* slotB) {
  const T* a = SlotElement<T>(slotA);
  const T* b = SlotElement<T>(slotB);
  if (!a || !b) return CompareKeys(a != nullptr, b != nullptr);
  return CompareKeys(a->m_strName, b->m_strName);
}

// The name as its eight bytes up to the first zero byte, trailing blanks cut.
std::string ReadName(const char* bytes) {
  std::string name(bytes, strnlen(bytes, 8));
  const auto end = name.find_last_not_of(' ');
  name.erase(end == std::string::npos ? 0 : end + 1);
  return name;
}

// Up to three characters from the 1-based position on; shorter (or empty)
// when the name is shorter.
std::string Tag(const std::string& name, std::size_t position) {
  return position <= name.size() ? name.substr(position - 1, 3) : std::string();
}

std::string LastChar(const std::string& name) { return name.empty() ? std::string() : name.substr(name.size() - 1); }

template <class T, class Array>
T* FindOrAppend(Array& array, const std::string& name) {
  for (T* element : array)
    if (element && element->m_strName == name) return element;
  auto created = std::make_unique<T>(name);
  T* raw = created.get();
  array.Add(std::move(created));
  return raw;
}

void SetQuality(CTrxPlant& plant, const std::string& poolTag, const std::string& qualityTag, const std::string& nameA,
                float value) {
  CTrxPool* pool = FindOrAppend<CTrxPool>(plant.m_paPools, poolTag);
  CTrxQuality* quality = FindOrAppend<CTrxQuality>(pool->m_paQualities, qualityTag);
  quality->m_fValue = value;
  quality->m_strSourcePlant = LastChar(nameA);
  quality->m_strSourcePool = Tag(nameA, 5);
}

}  // namespace

int CTrxQuality::CompareElements(const void* slotA, const void* slotB) {
  return CompareByName<CTrxQuality>(slotA, slotB);
}
int CTrxPool::CompareElements(const void* slotA, const void* slotB) { return CompareByName<CTrxPool>(slotA, slotB); }
int CTrxPlant::CompareElements(const void* slotA, const void* slotB) { return CompareByName<CTrxPlant>(slotA, slotB); }

bool ReadFileIntoStream(const std::string& path, std::iostream& stream, std::ios::openmode mode) {
  std::ifstream file(path, mode | std::ios::in);
  if (!file) return false;
  if (file.peek() != std::ifstream::traits_type::eof()) stream << file.rdbuf();
  return true;
}

std::string ReadTransferData(std::istream& data, CTrxPlantArray& plants, CTrxPlantArray& plants2) {
  const std::istream::pos_type start = data.tellg();
  data.seekg(0, std::ios::end);
  const std::istream::pos_type end = data.tellg();
  data.seekg(start);
  if (start < 0 || end < 0 || !data) return "it cannot be read";
  const std::int64_t size = static_cast<std::int64_t>(end - start);
  std::int32_t count = 0;
  std::array<char, 4> countBytes{};
  if (!data.read(countBytes.data(), countBytes.size())) return "it ends before its count";
  std::memcpy(&count, countBytes.data(), sizeof count);
  if (count < 0) return "its count " + std::to_string(count) + " is negative";
  if (static_cast<std::int64_t>(countBytes.size()) + count * static_cast<std::int64_t>(kTransferRecordSize) != size)
    return "its count of " + std::to_string(count) + " records does not fit its length of " + std::to_string(size) +
           " bytes";

  std::array<char, kTransferRecordSize> record{};
  for (std::int32_t i = 0; i < count && data.read(record.data(), record.size()); ++i) {
    const std::string nameA = ReadName(record.data());
    const std::string nameB = ReadName(record.data() + 8);
    const std::string nameC = ReadName(record.data() + 16);
    float value = 0.0f;
    std::memcpy(&value, record.data() + 24, sizeof value);

    const std::string plantName = LastChar(nameB);
    const std::string qualityTag = nameB.starts_with("EWBL") ? std::string("SPG") : Tag(nameA, 2);

    CTrxPlant* plant = FindOrAppend<CTrxPlant>(plants, plantName);
    CTrxPlant* twin = FindOrAppend<CTrxPlant>(plants2, plantName);

    SetQuality(*twin, Tag(nameB, 5), qualityTag, nameA, value);
    SetQuality(*plant, nameC.starts_with("B") ? Tag(nameC, 2) : Tag(nameC, 5), qualityTag, nameA, value);
  }
  plants.Sort(plants.m_pfnCompare);
  plants2.Sort(plants2.m_pfnCompare);
  return std::string();
}

namespace {

// The damage of the file at path read into the lists; empty when it read whole.
std::string ReadTransferFile(const std::string& path, CTrxPlantArray& plants, CTrxPlantArray& plants2) {
  std::stringstream data;
  if (!ReadFileIntoStream(path, data, std::ios::in | std::ios::binary))
    return "the transfer data file " + path + " cannot be read";
  CTimingScope timing("Get transfers");
  const std::string damage = ReadTransferData(data, plants, plants2);
  return damage.empty() ? damage : "the transfer data file " + path + " is damaged: " + damage;
}

}  // namespace

std::string TransferDataDamage(const std::string& path) {
  if (!FileExists(path)) return std::string();
  CTrxPlantArray plants;
  CTrxPlantArray plants2;
  return ReadTransferFile(path, plants, plants2);
}

void GetTransfers(std::int32_t useZelunMG, const std::string& modelDirectory, CTrxPlantArray& plants,
                  CTrxPlantArray& plants2) {
  if (useZelunMG != 0) return;
  const std::string path = MakeAbsolutePath(modelDirectory, kTransferDataFileName);
  if (!FileExists(path)) return;
  if (const std::string damage = ReadTransferFile(path, plants, plants2); !damage.empty()) NoteInputFailure(damage);
}

void GetTransfers(const CVornDbExportData& exportData, CTrxPlantArray& plants, CTrxPlantArray& plants2) {
  const CVornModelFile* model = exportData.m_pModel.get();
  if (!model) return;
  GetTransfers(model->m_settings.m_UseZelunMGOn.GetValue(), model->m_strModelDir, plants, plants2);
}
