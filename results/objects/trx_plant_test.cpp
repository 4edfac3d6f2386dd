#include "results/objects/trx_plant.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "modelfile/vorn_model_file.h"

namespace {

struct Record {
  std::string a, b, c;
  float value;
};

// A transfer data image: the count, then per record three blank-padded
// eight-character names and a float.
std::string Image(const std::vector<Record>& records, std::optional<std::int32_t> announced = std::nullopt) {
  const std::int32_t count = announced.value_or(static_cast<std::int32_t>(records.size()));
  std::string bytes(reinterpret_cast<const char*>(&count), 4);
  for (const Record& r : records) {
    for (const std::string* name : {&r.a, &r.b, &r.c}) {
      std::string padded = name->substr(0, 8);
      padded.resize(8, ' ');
      bytes += padded;
    }
    bytes.append(reinterpret_cast<const char*>(&r.value), 4);
  }
  return bytes;
}

struct Lists {
  CTrxPlantArray plants;
  CTrxPlantArray plants2;
};

std::string Read(const std::string& image, Lists& lists) {
  std::istringstream data(image);
  return ReadTransferData(data, lists.plants, lists.plants2);
}

const CTrxQuality* Quality(const CTrxPlantArray& plants, const std::string& plant, const std::string& pool,
                           const std::string& quality) {
  CTrxPlant plantProbe(plant);
  const CTrxPlant* found = plants.Find(&plantProbe);
  if (!found) return nullptr;
  for (const CTrxPool* p : found->m_paPools)
    if (p->m_strName == pool)
      for (const CTrxQuality* q : p->m_paQualities)
        if (q->m_strName == quality) return q;
  return nullptr;
}

TEST(TrxPlantTest, ReadsEachRecordIntoBothPlantLists) {
  Lists lists;
  EXPECT_EQ(Read(Image({{"xSULPOOB", "POOLDSLA", "UNITDSLC", 1.5f},
                        {"xRONPL1B", "EWBLGASA", "BGSLxxxx", 0.75f},
                        {"xSULPOOB", "POOLDSLA", "UNITDSLC", 2.5f},
                        {"x", "AB", "", 9.0f}}),
                 lists),
            "");

  ASSERT_EQ(lists.plants.GetSize(), 2);  // one per plant letter (the last of B), sorted
  EXPECT_EQ(lists.plants[0]->m_strName, "A");
  EXPECT_EQ(lists.plants[1]->m_strName, "B");
  ASSERT_EQ(lists.plants2.GetSize(), 2);

  // B's pool is characters 5-7 of B; C's characters 5-7 unless C begins "B".
  const CTrxQuality* twin = Quality(lists.plants2, "A", "DSL", "SUL");
  ASSERT_NE(twin, nullptr);
  EXPECT_EQ(twin->m_fValue, 2.5f);  // the later record wins
  EXPECT_EQ(twin->m_strSourcePlant, "B");
  EXPECT_EQ(twin->m_strSourcePool, "POO");
  const CTrxQuality* first = Quality(lists.plants, "A", "DSL", "SUL");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->m_fValue, 2.5f);

  // B beginning "EWBL" names the quality "SPG"; C beginning "B" gives characters 2-4.
  EXPECT_NE(Quality(lists.plants2, "A", "GAS", "SPG"), nullptr);
  EXPECT_NE(Quality(lists.plants, "A", "GSL", "SPG"), nullptr);

  // Names shorter than the positions give short or empty tags.
  const CTrxQuality* shortNames = Quality(lists.plants2, "B", "", "");
  ASSERT_NE(shortNames, nullptr);
  EXPECT_EQ(shortNames->m_strSourcePlant, "x");
  EXPECT_EQ(shortNames->m_strSourcePool, "");
}

TEST(TrxPlantTest, ACountThatDoesNotFitTheDataReadsNothingAndSaysWhy) {
  const std::vector<Record> record = {{"xSULPOOB", "POOLDSLA", "UNITDSLC", 1.0f}};
  const std::string one = Image(record);
  struct Case {
    std::string image;
    const char* damage;
  } cases[] = {
      {Image({}, 0), ""},
      {Image(record, 0), "its count of 0 records does not fit its length of 32"},
      {Image(record, 2), "its count of 2 records does not fit its length of 32"},
      {Image(record, 1000000), "its count of 1000000 records does not fit"},
      {Image(record, -5), "its count -5 is negative"},
      {one.substr(0, one.size() - 1), "its count of 1 records does not fit its length of 31"},
      {std::string("\x01\x00", 2), "it ends before its count"},
      {std::string(), "it ends before its count"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damage);
    Lists lists;
    const std::string damage = Read(c.image, lists);
    if (*c.damage == '\0') EXPECT_EQ(damage, "");
    else EXPECT_EQ(damage.rfind(c.damage, 0), 0u) << damage;
    EXPECT_TRUE(lists.plants.IsEmpty());
    EXPECT_TRUE(lists.plants2.IsEmpty());
  }
}

TEST(TrxPlantTest, GetTransfersReadsTheModelsFileUnlessSwitchedOffMissingOrDamaged) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "trx_plant_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);

  Lists missing;
  GetTransfers(0, dir.string(), missing.plants, missing.plants2);
  EXPECT_TRUE(missing.plants.IsEmpty());

  std::ofstream(dir / kTransferDataFileName, std::ios::binary)
      << Image({{"xSULPOOB", "POOLDSLA", "UNITDSLC", 1.0f}});
  Lists off;
  GetTransfers(1, dir.string(), off.plants, off.plants2);
  EXPECT_TRUE(off.plants.IsEmpty());

  Lists read;
  GetTransfers(0, dir.string(), read.plants, read.plants2);
  EXPECT_EQ(read.plants.GetSize(), 1);
  EXPECT_EQ(read.plants2.GetSize(), 1);

  CVornDbExportData exportData(nullptr);
  Lists noModel;
  GetTransfers(exportData, noModel.plants, noModel.plants2);
  EXPECT_TRUE(noModel.plants.IsEmpty());
  exportData.m_pModel = std::make_unique<CVornModelFile>();
  exportData.m_pModel->m_strModelDir = dir.string();
  Lists fromModel;
  GetTransfers(exportData, fromModel.plants, fromModel.plants2);
  EXPECT_EQ(fromModel.plants.GetSize(), 1);
  exportData.m_pModel->m_settings.m_UseZelunMGOn.SetValue(1);
  Lists zelun;
  GetTransfers(exportData, zelun.plants, zelun.plants2);
  EXPECT_TRUE(zelun.plants.IsEmpty());
  EXPECT_EQ(TransferDataDamage((dir / kTransferDataFileName).string()), "");

  // A file cut inside its last record fails the work that reads it, naming the file; the lists stay empty.
  std::filesystem::resize_file(dir / kTransferDataFileName, 20);
  const std::string path = (dir / kTransferDataFileName).string();
  const std::string cause = "the transfer data file " + path + " is damaged: its count of 1 records does not fit";
  Lists cut;
  {
    const CInputFailureScope scope;
    GetTransfers(0, dir.string(), cut.plants, cut.plants2);
    EXPECT_EQ(scope.GetFirstCause().rfind(cause, 0), 0u) << scope.GetFirstCause();
  }
  EXPECT_TRUE(cut.plants.IsEmpty());
  EXPECT_EQ(TransferDataDamage(path).rfind(cause, 0), 0u);
  std::filesystem::remove_all(dir);
}

}  // namespace
