#pragma once
// Test helper: a model in a temporary directory whose table list names
// BIFF2 sheets written from grids of cell texts (see sheet_fixture.h).

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "modelfile/vorn_model_file.h"
#include "tableio/worksheet/testing/sheet_fixture.h"
#include "tableio/worksheet/wks_file.h"

namespace model_sheets {

class ModelSheets {
 public:
  explicit ModelSheets(const std::string& tag) {
    m_dir = std::filesystem::temp_directory_path() /
            ("ostrel_" + tag + "_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
    m_model.m_strModelName = "M";
    m_model.m_strModelDir = m_dir.string();
  }
  ~ModelSheets() {
    CloseCachedWorkbook(true);
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  ModelSheets(const ModelSheets&) = delete;
  ModelSheets& operator=(const ModelSheets&) = delete;

  // Writes the grid to file (lower case, in the model directory) and lists
  // it as the next source of table.
  void AddSheet(const std::string& table, const std::string& file, const wks_test::Grid& grid) {
    wks_test::WriteSheet(2, grid, (m_dir / file).string());
    ListFile(table, file);
  }
  // Lists a source without writing it.
  void ListFile(const std::string& table, const std::string& file) {
    CVornModelFileTable* entry = m_model.FindTable(table);
    if (entry == nullptr) {
      m_model.m_tables.Add(std::make_unique<CVornModelFileTable>(table, 0));
      m_model.m_tables.Sort(&CVornModelFileTable::CompareElements);
      entry = m_model.FindTable(table);
    }
    entry->AddFile(file, true, plat::OleDateTime());
  }
  std::string Path(const std::string& file) const { return (m_dir / file).string(); }

  std::filesystem::path m_dir;
  CVornModelFile m_model;
};

}  // namespace model_sheets
