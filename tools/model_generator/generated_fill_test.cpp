// The fill of the generated model in one process, through the result
// manager and the fill driver: what the driver's raw-receipt step reads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "modelfile/vorn_model_file.h"
#include "results/db_manager.h"
#include "results/objects/db_solution.h"
#include "results/vorn_db_export.h"
#include "tableio/worksheet/wks_file.h"
#include "tools/model_generator/model_generator.h"

namespace {

namespace fs = std::filesystem;

// The model object the fill made last for the node of that name.
const CDbModel* LastModelOf(const CDbCase& dbCase, const std::string& node) {
  const CDbModel* found = nullptr;
  for (const CDbNode* each : dbCase.m_paNodes)
    if (each && each->m_strName == node)
      for (const CDbModel* model : each->m_paModels)
        if (model) found = model;
  return found;
}

// The main model's fill reads the plant's raw receipts and shipments from its worksheets; told to skip
// them (export kind 2 does, before the main call), a second fill of the same model leaves them empty.
TEST(GeneratedFill, TheMainFillReadsRawReceiptsUnlessToldToSkipThem) {
  const fs::path dir = fs::temp_directory_path() / ("ostrel_generated_fill_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  model_gen::GeneratorOptions options;
  options.kind = model_gen::ModelKind::kStandard;
  options.cases = 1;
  std::string error;
  ASSERT_TRUE(model_gen::GenerateRunDirectory(dir, options, error)) << error;
  {
    CVornDbExport data(nullptr);
    ASSERT_TRUE(data.ReadDataFromXmlFile((dir / kExportConfigFileName).string(), false));
    ASSERT_TRUE(data.m_pModel);
    CVornModelFile& model = *data.m_pModel;
    CDbManager manager(&model, &data);
    ASSERT_TRUE(manager.FillSolution(&model, true, 1, "One"));
    CDbSolution& solution = *manager.GetSolution();
    const CDbCase& dbCase = *solution.m_paCases[0];
    const CDbModel* read = LastModelOf(dbCase, "");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->m_paRawReceives.GetSize(), 2);
    EXPECT_GT(read->m_paRawShips.GetSize(), 0);

    solution.m_bSkipRawReceipts = 1;
    ASSERT_TRUE(solution.FillSolution(&model, false, false, std::string(), std::string()));
    const CDbModel* skipped = LastModelOf(dbCase, "");
    ASSERT_NE(skipped, read);
    EXPECT_TRUE(skipped->m_paRawReceives.IsEmpty());
    EXPECT_TRUE(skipped->m_paRawShips.IsEmpty());
  }
  CloseCachedWorkbook(true);
  fs::remove_all(dir);
}

}  // namespace
