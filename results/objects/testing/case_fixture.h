#pragma once
// Test fixture of the builders of result objects (the solution fill, the
// report-writer groups): an export context whose main model reads its model
// tables from classic table files written into a temporary directory, a
// solution, and a case with its periods, nodes and model objects.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "caseset/modeltables/table_file_fixtures.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"

namespace objects_testing {

using table_fixtures::Table;
inline constexpr double kBlank = 1e30;

class CaseFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    m_home = std::filesystem::temp_directory_path() /
             ("case_fixture_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_home / "M");
    m_export.m_strHomeDirectory = m_home.string();
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    Main().m_strModelName = "M";
    Main().m_strModelDir = (m_home / "M").string();
    m_solution = std::make_unique<CDbSolution>(&m_export);
    auto dbCase = std::make_unique<CDbCase>(1, &m_export);
    m_case = dbCase.get();
    m_solution->m_paCases.Add(std::move(dbCase));
  }
  void TearDown() override {
    m_solution.reset();
    std::filesystem::remove_all(m_home);
  }

  CVornModelFile& Main() { return *m_export.m_pModel; }

  // New table files for the main model; its index is read afresh, as each case's export does.
  void WriteTables(const std::vector<Table>& tables) {
    Main().m_tableMaps.RemoveAll();
    const auto files = table_fixtures::MakeClassicFiles(tables);
    std::ofstream(m_home / "M" / "tables.map", std::ios::binary) << files.index;
    std::ofstream(m_home / "M" / "tables.fil", std::ios::binary) << files.cache;
  }

  // Periods by name; a multi-period case begins with the dummy period ".".
  void MakePeriods(const std::vector<std::string>& names, bool multiPeriod) {
    m_case->m_bModelPeriods = multiPeriod ? 1 : 0;
    if (multiPeriod) AddPeriod(".", CDbPeriod::kDummyPeriodID);
    for (std::size_t i = 0; i < names.size(); ++i) AddPeriod(names[i], static_cast<std::int32_t>(i) + 1);
    m_case->m_paPeriods.Sort(&CDbObject::CompareDbObjectName);
    m_case->m_pFirstPeriod = m_case->m_paPeriods.GetAt(multiPeriod ? 1 : 0);
  }
  CDbPeriod& Period(const std::string& name) {
    for (CDbPeriod* p : m_case->m_paPeriods)
      if (p->m_strName == name) return *p;
    throw std::runtime_error("no period " + name);
  }

  // A node holding one model object of the same name and id.
  CDbModel& AddModel(const std::string& name, std::int32_t id) {
    CDbNode& node = AddNode(name, id, false);
    auto model = std::make_unique<CDbModel>(id, &m_export);
    model->m_strName = name;
    CDbModel& made = *model;
    node.m_paModels.Add(std::move(model));
    return made;
  }
  CDbNode& AddNode(const std::string& name, std::int32_t id, bool dummy) {
    auto node = std::make_unique<CDbNode>(id, &m_export);
    node->m_strName = name;
    node->m_bDummyFlag = dummy ? 1 : 0;
    CDbNode& made = *node;
    m_case->m_paNodes.Add(std::move(node));
    m_case->m_paNodes.Sort(&CDbObject::CompareDbObjectName);
    return made;
  }
  CDbStream& AddStream(CDbModel& model, const std::string& name, std::int32_t id, std::int32_t bits = 0) {
    auto stream = std::make_unique<CDbStream>(id, &m_export);
    stream->m_strName = name;
    stream->m_nReportOrder = id;
    stream->m_nStreamFlags = bits;
    CDbStream& made = *stream;
    model.m_paStreams.Add(std::move(stream));
    model.m_paStreams.Sort(&CDbObject::CompareDbObjectName);
    return made;
  }

  std::filesystem::path m_home;
  CVornDbExportData m_export{nullptr};
  std::unique_ptr<CDbSolution> m_solution;
  CDbCase* m_case = nullptr;

 private:
  void AddPeriod(const std::string& name, std::int32_t id) {
    auto period = std::make_unique<CDbPeriod>(id, &m_export);
    period->m_strName = name;
    m_case->m_paPeriods.Add(std::move(period));
  }
};

}  // namespace objects_testing
