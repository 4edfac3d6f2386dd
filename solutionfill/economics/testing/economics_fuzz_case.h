#pragma once
// Test support of the economics side files' fuzz entries: a case made afresh
// for each input, shaped like the generated model's (plant "A" with the
// qualities RON and SUL, the streams PRM and DSL, the unit SEV with its
// process-limit slots; periods "1" to "3" or the single period "A"; the LP
// columns the generated side files name, by their first seven characters),
// over one export whose main model lies in a folder of the process with
// empty model tables.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "caseset/modeltables/table_file_fixtures.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/fuzz_support.h"
#include "results/objects/db_case.h"
#include "results/objects/db_primal.h"
#include "results/objects/db_solution.h"

namespace econ_fuzz {

class CEconomicsFuzzCase {
 public:
  explicit CEconomicsFuzzCase(bool multiPeriod) : m_export(Export()) {
    m_solution = std::make_unique<CDbSolution>(&m_export);
    auto dbCase = std::make_unique<CDbCase>(1, &m_export);
    m_case = dbCase.get();
    m_solution->m_paCases.Add(std::move(dbCase));

    const std::vector<std::string> names = multiPeriod ? std::vector<std::string>{"1", "2", "3"}
                                                       : std::vector<std::string>{"A"};
    m_case->m_bModelPeriods = multiPeriod ? 1 : 0;
    if (multiPeriod) AddPeriod(".", CDbPeriod::kDummyPeriodID);
    for (std::size_t i = 0; i < names.size(); ++i) AddPeriod(names[i], static_cast<std::int32_t>(i) + 1);
    m_case->m_paPeriods.Sort(&CDbObject::CompareDbObjectName);
    m_case->m_pFirstPeriod = m_case->m_paPeriods.GetAt(multiPeriod ? 1 : 0);

    auto node = std::make_unique<CDbNode>(1, &m_export);
    node->m_strName = "A";
    auto model = std::make_unique<CDbModel>(1, &m_export);
    model->m_strName = "A";
    m_model = model.get();
    node->m_paModels.Add(std::move(model));
    m_case->m_paNodes.Add(std::move(node));
    for (const char* stream : {"PRM", "DSL"}) {
      auto made = std::make_unique<CDbStream>(static_cast<std::int32_t>(m_model->m_paStreams.GetSize()) + 1, &m_export);
      made->m_strName = stream;
      m_model->m_paStreams.Add(std::move(made));
    }
    m_model->m_paStreams.Sort(&CDbObject::CompareDbObjectName);
    for (const char* quality : {"RON", "SUL"}) {
      auto made = std::make_unique<CDbQuality>(static_cast<std::int32_t>(m_model->m_paQualities.GetSize()) + 1, &m_export);
      made->m_strName = quality;
      m_model->m_paQualities.Add(std::move(made));
    }
    auto unit = std::make_unique<CDbDefinition>(1, &m_export);
    unit->m_strName = "SEV";
    m_model->m_paProcessCapacities.Add(std::move(unit));
    std::int32_t modelId = m_model->m_nID;
    m_case->BuildEconomicSummary(modelId);

    auto primal = std::make_unique<CDbPrimalNode>("A");
    for (CDbPeriod* period : m_case->m_paPeriods) {
      period->m_mapProcLimFirstSlot[m_model->m_nID] = 0;
      period->m_adProcLimMin.assign(1, 10.0);
      period->m_adProcLimMax.assign(1, 100.0);
      auto primalPeriod = std::make_unique<CDbPrimalPeriod>(period->m_strName);
      for (const char* column : {"URONPRM", "MSULDSL", "DPRMTGT", "ZLIMSEV", "XABCDEF", "SSULPRM"})
        AddColumn(*primalPeriod, column, 2.0);
      AddColumn(*primalPeriod, "Epencol", 1.0).m_dSlack = -2.5;
      primal->m_paPeriods.Add(std::move(primalPeriod));
    }
    m_solution->m_paPrimalNodes.Add(std::move(primal));
  }

  // The folder of the case's main model "M", with empty model tables; made once per process.
  static const std::filesystem::path& Home() {
    static const std::filesystem::path home = [] {
      const std::filesystem::path made = fuzz::ProcessTempPath("home");
      std::filesystem::create_directories(made / "M");
      const auto files = table_fixtures::MakeClassicFiles({});
      std::ofstream(made / "M" / "tables.map", std::ios::binary) << files.index;
      std::ofstream(made / "M" / "tables.fil", std::ios::binary) << files.cache;
      return made;
    }();
    return home;
  }
  static std::string ModelFile(const std::string& name) { return (Home() / "M" / name).string(); }

  // The export and its main model, made once per process: a model's settings are many objects.
  static CVornDbExportData& Export() {
    static CVornDbExportData exportData(nullptr);
    if (!exportData.m_pModel) {
      exportData.m_strHomeDirectory = Home().string();
      exportData.m_pModel = std::make_unique<CVornModelFile>();
      exportData.m_pModel->m_strModelName = "M";
      exportData.m_pModel->m_strModelDir = (Home() / "M").string();
    }
    return exportData;
  }

  CVornDbExportData& m_export;
  std::unique_ptr<CDbSolution> m_solution;
  CDbCase* m_case = nullptr;
  CDbModel* m_model = nullptr;

 private:
  void AddPeriod(const std::string& name, std::int32_t id) {
    auto period = std::make_unique<CDbPeriod>(id, &m_export);
    period->m_strName = name;
    m_case->m_paPeriods.Add(std::move(period));
  }
  static CDbPrimal& AddColumn(CDbPrimalPeriod& period, const std::string& name, double activity) {
    auto column = std::make_unique<CDbPrimal>(name);
    CDbPrimal& made = *column;
    made.m_strShortName = name;
    made.m_dActivity = activity;
    period.m_paColumns.Add(std::move(column));
    period.m_paColumns.Sort(&CDbPrimal::CompareElements);
    return made;
  }
};

}  // namespace econ_fuzz
