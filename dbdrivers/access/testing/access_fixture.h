#pragma once
// Test support: an export context with a main model "M1" under a temporary
// home directory, a reader of the model's result database file and a runner
// of statements on it, and a SQL Server results database whose rows are
// recorded.

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>

#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "foundation/testing/memory_log.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"
#include "standins/testing/recording_orvid.h"

namespace dbdrivers_testing {

using foundation_testing::MemoryLog;

struct AccessFixture {
  AccessFixture() : exportData(&log) {
    exportData.m_strHomeDirectory = home.Path();
    auto model = std::make_unique<CVornModelFile>();
    model->m_strModelName = "M1";
    model->m_strModelDir = home.Path() + "/M1";
    std::filesystem::create_directories(model->m_strModelDir);
    exportData.m_pModel = std::move(model);
  }
  ~AccessFixture() {
    // Handles go before the database they belong to.
    if (exportData.m_pModel) exportData.m_pModel->m_outputTables.RemoveAll();
  }

  CVornModelFile& Model() { return *exportData.m_pModel; }
  CModelSettings& Settings() { return exportData.m_pModel->m_settings; }
  std::string DatabasePath() const { return home.Path() + "/M1/Results.Mdb"; }

  // The rows of a query on the file (the main model's by default), "|" between columns, one line per row.
  std::string Query(const std::string& sql, const std::string& path = std::string()) const {
    sqlite3* db = nullptr;
    sqlite3_open_v2((path.empty() ? DatabasePath() : path).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) out = std::string("error: ") + sqlite3_errmsg(db);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* t = sqlite3_column_text(stmt, i);
        out += (i ? "|" : "") + std::string(t ? reinterpret_cast<const char*>(t) : "NULL");
      }
      out += "\n";
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
  }

  // Runs statements on the file (the main model's by default) while the export holds it closed: "" when
  // they ran, else the error.
  std::string Execute(const std::string& sql, const std::string& path = std::string()) const {
    sqlite3* db = nullptr;
    std::string out;
    char* error = nullptr;
    if (sqlite3_open((path.empty() ? DatabasePath() : path).c_str(), &db) != SQLITE_OK)
      out = std::string("error: ") + sqlite3_errmsg(db);
    else if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
      out = std::string("error: ") + (error != nullptr ? error : sqlite3_errmsg(db));
    sqlite3_free(error);
    sqlite3_close(db);
    return out;
  }

  plat::testing::TempDir home;
  MemoryLog log;
  CVornDbExportData exportData;
};

// The fixture's results database on a SQL Server for the life of the object:
// the driver's bulk calls are recorded (orvid_testing::g_orvidCalls).
class RecordingSqlServer {
 public:
  explicit RecordingSqlServer(AccessFixture& fixture) : m_driver(&fixture.log), m_data(fixture.exportData) {
    m_data.m_pSqlServer = &m_driver;
    CModelSettings& settings = fixture.Settings();
    settings.m_DatabaseOutputFormat.SetValue("SQL Server");
    settings.m_DatabaseOutputConnection.SetValue("Provider=SQLOLEDB;Initial Catalog=R");
  }
  ~RecordingSqlServer() { m_data.m_pSqlServer = nullptr; }
  RecordingSqlServer(const RecordingSqlServer&) = delete;
  RecordingSqlServer& operator=(const RecordingSqlServer&) = delete;

  DbSqlSvr& Driver() { return m_driver; }

 private:
  orvid_testing::ScopedRecordingOrvid m_recording;
  DbSqlSvr m_driver;
  CVornDbExportData& m_data;
};

}  // namespace dbdrivers_testing
