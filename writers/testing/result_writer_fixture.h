#pragma once
// Test support for the result-table writers: an export context with a main
// model over a fresh SQLite results database, the tables a test names
// defined as the definition pass defines them, and the rows read back.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "writers/schema/result_schema.h"
#include "writers/schema/table_definition.h"

namespace writers_testing {

class ResultWriterTest : public ::testing::Test, public dbdrivers_testing::AccessFixture {
 protected:
  void Define(std::initializer_list<const char*> tables) {
    for (const char* name : tables) {
      const ResultTable* table = FindResultTable(name);
      ASSERT_NE(table, nullptr) << name;
      COutputTable* handle = OpenResultTable(exportData, name);
      ASSERT_NE(handle, nullptr) << name;
      ASSERT_TRUE(DefineResultTable(exportData, handle, *table)) << name;
    }
  }
  // The rows of a query after the written rows were committed.
  std::string Rows(const std::string& sql) {
    FlushOutputTables(exportData);
    return Query(sql);
  }
  CVornDbExportData* Data() { return &exportData; }
};

}  // namespace writers_testing
