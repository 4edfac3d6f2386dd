#include "results/vorn_db_export.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "caseset/config/assembled_case.h"
#include "caseset/modeltables/table_file_fixtures.h"
#include "foundation/testing/memory_log.h"
#include "modelfile/vorn_model_file.h"
#include "platform/dao.h"
#include "platform/exceptions.h"
#include "results/objects/solverfiles/testing/solution_file_writer.h"
#include "solutionfill/core/fill_services.h"
#include "standins/tresk.h"
#include "tableio/db/db_connect_info.h"

namespace {

using foundation_testing::MemoryLog;

class VornDbExportOutput : public ::testing::Test {
 protected:
  VornDbExportOutput() {
    // A model directory with a solution file, so the fill of a case succeeds.
    m_dir = std::filesystem::temp_directory_path() / ("vorn_export_" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir / "M");
    m_export.m_strHomeDirectory = m_dir.string();
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    m_export.m_pModel->m_strModelName = "M";
    m_export.m_pModel->m_strModelDir = (m_dir / "M").string();
    solution_file_testing::Writer solution(false, 9);
    solution.rows = {{"OBJFN", 2, 10.0}};
    solution.Save((m_dir / "M" / "Solution.Fil").string());
    m_export.m_strDatabaseDirectory = "/results";
    m_export.m_strDatabaseDescription = "Results";
    m_log.m_text.clear();  // the driver's line
  }
  ~VornDbExportOutput() override {
    m_export.m_pModel->m_outputTables.RemoveAll();
    std::filesystem::remove_all(m_dir);
  }
  CModelSettings& Settings() { return m_export.m_pModel->m_settings; }
  // Writes case caseNumber (its results carry that number).
  bool Output(bool firstCase, int caseNumber, bool skip = false, bool limitPenalty = false) {
    m_cases.push_back(std::make_unique<CAssembledCase>(caseNumber, "M"));
    m_export.m_pCurrentCase = m_cases.back().get();
    const bool written = m_export.WriteDatabaseOutput(firstCase, false, 1, "", caseNumber, skip, limitPenalty);
    m_export.m_pCurrentCase = nullptr;
    return written;
  }

  std::filesystem::path m_dir;
  MemoryLog m_log;
  std::vector<std::unique_ptr<CAssembledCase>> m_cases;
  CVornDbExport m_export{&m_log};
};

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(VornDbExportTest, CaseFileNames) {
  EXPECT_EQ(MakeCaseFileName("DbExport", 12, ".log"), "DbExport000012.log");
  EXPECT_EQ(MakeCaseFileName("DbExport", 0, ".log"), "DbExport000000.log");
  EXPECT_EQ(MakeCaseFileName("DbExport", 1234567, ".log"), "DbExport1234567.log");
  EXPECT_EQ(MakeCaseFileName("DbExport", -1, ".log"), "DbExport.log");
}

TEST(VornDbExportTest, ReportSheetsAndTheHostCallback) {
  std::string out;
  for (const auto& [kind, name] : {std::pair{0, "Material_Purchases"}, {2, "Capacity_Utilization_Summary"},
                                   {4, "Process_Submodel_Summary"}, {5, ""}, {-1, ""}}) {
    CVornDbExport::GetReportSheetName(kind, out);
    EXPECT_EQ(out, name) << kind;
  }
  CVornDbExport::GetReportSheetKey(3, "", out);
  EXPECT_EQ(out, "SpecBlend_");
  CVornDbExport::GetReportSheetKey(4, "CRU", out);
  EXPECT_EQ(out, "Submodel_CRU");
  CVornDbExport::GetReportSheetKey(1, "CRU", out);
  EXPECT_EQ(out, "Material_Sales");

  static std::string s_seen;
  CVornDbExport exportObject(nullptr);
  EXPECT_EQ(exportObject.CallReadCallback("lost", 4, 0), 0);
  exportObject.m_pfnHostCallbacks[0] = [](const char* text, int length, int kind) {
    s_seen.assign(text, length);
    return kind;
  };
  EXPECT_EQ(exportObject.CallReadCallback(" *** WARNING. x", 15, 1), 1);
  EXPECT_EQ(s_seen, " *** WARNING. x");
  EXPECT_NE(exportObject.m_pfnMessageCallback, nullptr);
}

TEST_F(VornDbExportOutput, SkipDoesNothing) {
  Settings().m_PrimalDualTable.SetValue("P#D");
  EXPECT_TRUE(Output(true, 1, true, true));
  EXPECT_TRUE(m_log.m_text.empty());
  EXPECT_EQ(Settings().m_PrimalDualTable.GetValue(), "P#D");
  EXPECT_EQ(Settings().m_LimitPenalty.GetValue(), 100000.0);
}

TEST_F(VornDbExportOutput, ReportNamesLoseTheirHashesAndKeepOneSuffix) {
  Settings().m_PrimalDualTable.SetValue("P#D##");
  Settings().m_SolutionIndexReport.SetValue("S#I");
  Settings().m_CaseStackOn.SetValue(1);
  ASSERT_TRUE(Output(true, 4, false, true));
  EXPECT_EQ(Settings().m_PrimalDualTable.GetValue(), "PD######");
  ASSERT_TRUE(Output(false, 5));
  EXPECT_EQ(Settings().m_PrimalDualTable.GetValue(), "PD######");
  EXPECT_EQ(Settings().m_SolutionIndexReport.GetValue(), "S#I");
  EXPECT_EQ(Settings().m_LimitPenalty.GetValue(), 1.0);

  Settings().m_CaseStackOn.SetValue(0);
  ASSERT_TRUE(Output(false, 6));
  EXPECT_EQ(Settings().m_PrimalDualTable.GetValue(), "PD");
}

TEST_F(VornDbExportOutput, TheFrameLogsItsStepsInOrder) {
  ASSERT_TRUE(Output(true, 7));
  const std::string& text = m_log.m_text;
  const char* const steps[] = {"Initialize SQL Server connection\n", "Initializing SQL Server connection succeeded\n",
                               "CASE 7, DB OUTPUT START\n", "Write solution data to database\n",
                               "Succeeded to write solution data to database\n", "CASE 7, DB OUTPUT END, TotalTime: ",
                               "Done with writing data to database\n"};
  std::size_t at = 0;
  for (const char* step : steps) {
    const std::size_t found = text.find(step, at);
    ASSERT_NE(found, std::string::npos) << step << "\n" << text;
    at = found;
  }
  // Whatever time the case took.
  EXPECT_TRUE(std::regex_search(text, std::regex("DB OUTPUT END, TotalTime: \\d\\d:\\d\\d:\\d\\d\n"))) << text;
}

// An owner window hears the fill, the spreadsheet-table list and the end of a case, or the failure with its text.
TEST_F(VornDbExportOutput, TheOwnerWindowHearsTheProgressOfTheCase) {
  static std::vector<std::string> s_seen;
  s_seen.clear();
  SetStatusSender([](void*, std::uint32_t message, std::uintptr_t wParam, const std::string& text) {
    if (message == 1229 || wParam == 1480 || wParam == 1452 || wParam == 1449)
      s_seen.push_back(std::to_string(message) + "/" + std::to_string(wParam) + (text.empty() ? "" : " " + text));
  });
  ASSERT_TRUE(Output(true, 7));
  EXPECT_TRUE(s_seen.empty()) << "no owner window, no message";
  int window = 0;
  m_export.m_pOwnerWnd = &window;
  ASSERT_TRUE(Output(true, 7));
  EXPECT_EQ(s_seen, (std::vector<std::string>{"1230/1480", "1230/1452", "1230/1449"}));
  s_seen.clear();
  ASSERT_TRUE(Output(false, 8));
  EXPECT_EQ(s_seen, (std::vector<std::string>{"1230/1480", "1230/1449"}));

  s_seen.clear();
  std::filesystem::remove(m_dir / "M" / "Solution.Fil");
  EXPECT_FALSE(Output(false, 9));
  EXPECT_EQ(s_seen, (std::vector<std::string>{"1229/2 " + LoadTreskString(2565)}));
  m_export.m_pOwnerWnd = nullptr;
  SetStatusSender(nullptr);
}

// An input file of the case that is there but cannot be read whole fails the case, and the cause names the file;
// one that is not there is read as absent. The next case with whole files is written.
TEST_F(VornDbExportOutput, DamagedInputFailsTheCaseNamingTheFile) {
  const auto files = table_fixtures::MakeClassicFiles(
      {{"UNITS", {"ABC", "DEF"}, {"STDCONV"}, {"barrels", "tons"}, {1.0, 2.0}},
       {"GROUPS", {"G1"}, {"ABC"}, {}, {1.0}}});
  const std::filesystem::path model = m_dir / "M";
  const std::string solution = ReadAll(model / "Solution.Fil");
  const auto restore = [&] {
    std::ofstream(model / "tables.map", std::ios::binary) << files.index;
    std::ofstream(model / "tables.fil", std::ios::binary) << files.cache;
    std::ofstream(model / "Solution.Fil", std::ios::binary) << solution;
  };
  const auto cut = [&model](const char* name, std::uintmax_t size) {
    return [&model, name, size] { std::filesystem::resize_file(model / name, size); };
  };
  struct Case {
    const char* what;
    std::function<void()> damage;
    const char* file;  // named by the cause; null: the case is written
  } cases[] = {
      {"whole files", [] {}, nullptr},
      {"the table cache cut short", cut("tables.fil", files.cache.size() / 2), "tables.fil"},
      {"the table index cut short", cut("tables.map", files.index.size() / 2), "tables.map"},
      {"the solution file cut short", cut("Solution.Fil", solution.size() - 3), "Solution.Fil"},
      {"no table files", [&] { std::filesystem::remove(model / "tables.map"); std::filesystem::remove(model / "tables.fil"); },
       nullptr},
  };
  int caseNumber = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restore();
    c.damage();
    m_log.m_text.clear();
    testing::internal::CaptureStderr();
    const bool written = Output(false, ++caseNumber);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, c.file == nullptr) << m_export.GetDatabaseFailure();
    if (c.file != nullptr) {
      EXPECT_NE(m_export.GetDatabaseFailure().find((model / c.file).string()), std::string::npos)
          << m_export.GetDatabaseFailure();
      EXPECT_TRUE(m_log.Has("The rows of the case were not written: " + m_export.GetDatabaseFailure())) << m_log.m_text;
    }
  }
}

TEST_F(VornDbExportOutput, NoOutputWithoutADatabaseOrReports) {
  struct Case {
    const char* directory;
    const char* description;
    int html;
    int solveOn;
    bool tables;  // the result tables are written
  } cases[] = {
      {"", "Results", 0, 1, false}, {"/results", "", 0, 1, false}, {"", "", 1, 1, true}, {"/r", "R", 0, 0, false},
  };
  for (const Case& c : cases) {
    m_log.m_text.clear();
    m_export.m_strDatabaseDirectory = c.directory;
    m_export.m_strDatabaseDescription = c.description;
    Settings().m_UseHtmlReportsOn.SetValue(c.html);
    Settings().m_SolveOn.SetValue(c.solveOn);
    Settings().m_PrimalDualTable.SetValue("A#");
    EXPECT_TRUE(Output(false, 2));
    EXPECT_EQ(Settings().m_PrimalDualTable.GetValue(), "A") << c.directory;
    EXPECT_EQ(m_log.Has("DB OUTPUT START"), c.tables) << c.directory << "|" << c.description;
  }
}

TEST_F(VornDbExportOutput, SqlServerOutputThatCannotConnectWritesNothing) {
  Settings().m_DatabaseOutputFormat.SetValue(g_pszDatabaseOutputFormatSqlServer);
  EXPECT_FALSE(Output(true, 3));
  EXPECT_TRUE(m_log.Has("Initialize SQL Server connection\n"));
  EXPECT_FALSE(m_log.Has("succeeded"));
  EXPECT_EQ(m_log.m_fileName, "DbExport000003.log");
}

TEST(VornDbExportTest, PeriodStartDateFromThePeriodsTable) {
  namespace fs = std::filesystem;
  const fs::path home = fs::temp_directory_path() / ("period_start_" + std::to_string(::getpid()));
  fs::create_directories(home / "M");
  CVornDbExport exportObject(nullptr);
  exportObject.m_strHomeDirectory = home.string();
  exportObject.m_pModel = std::make_unique<CVornModelFile>();
  CVornModelFile& model = *exportObject.m_pModel;
  model.m_strModelName = "M";
  model.m_strModelDir = (home / "M").string();
  const auto write = [&](const table_fixtures::Table& periods) {
    const auto files = table_fixtures::MakeClassicFiles({periods});
    std::ofstream(home / "M" / "tables.map", std::ios::binary) << files.index;
    std::ofstream(home / "M" / "tables.fil", std::ios::binary) << files.cache;
    model.m_tableMaps.RemoveAll();
  };

  write({"PERIODS", {"1", "2"}, {"LEN", "StartDat", "StartDate"}, {}, {30, 45000, 45100, 31, 45030, 1e30}});
  plat::OleDateTime start = exportObject.GetPeriodStartDate(&model);
  EXPECT_TRUE(start.IsValid());
  EXPECT_EQ(start.GetValue(), 45000.0);

  write({"PERIODS", {"1"}, {"LEN", "StartDat"}, {}, {30, 1e30}});
  EXPECT_FALSE(exportObject.GetPeriodStartDate(&model).IsValid());  // blank cell
  write({"PERIODS", {"1"}, {"LEN"}, {}, {30}});
  start = exportObject.GetPeriodStartDate(&model);
  EXPECT_FALSE(start.IsValid());
  EXPECT_EQ(start.GetValue(), 0.0);
  fs::remove_all(home);
}

TEST_F(VornDbExportOutput, TheLegacyPassRunsForTheModelAndEachLocalModel) {
  Settings().m_UseOldOutputDatabaseFormatOn.SetValue(1);
  Settings().m_DatabaseOutputFormat.SetValue("Access");
  m_export.m_paLocalModelFiles = std::make_unique<CVornModelFileArray>();
  for (const char* name : {"L1", "L2"}) {
    std::filesystem::create_directories(m_dir / name);
    solution_file_testing::Writer solution(false, 9);
    solution.rows = {{"OBJFN", 2, 1.0}};
    solution.Save((m_dir / name / "Solution.Fil").string());
    auto local = std::make_unique<CVornModelFile>();
    local->m_strModelName = name;
    local->m_strModelDir = (m_dir / name).string();
    local->m_settings.m_DatabaseOutputFormat.SetValue("Access");
    m_export.m_paLocalModelFiles->Add(local.release());
  }
  m_export.m_plstReportedLocalModels = std::make_unique<std::vector<std::string>>(1, "L1");

  // Without the engine the pass says so once and writes this system's tables for the model and the reported local model.
  ASSERT_TRUE(Output(true, 1));
  EXPECT_TRUE(m_log.Has("Engine local-model database output (DODBLOCAL) not available here: skipped\n"));
  EXPECT_TRUE(m_export.m_bEngineOutputSkipped) << "the report-writer builders learn that no engine wrote its tables";
  EXPECT_TRUE(std::filesystem::exists(m_dir / "M" / "Results.Mdb"));
  EXPECT_TRUE(std::filesystem::exists(m_dir / "L1" / "Results.Mdb"));
  EXPECT_FALSE(std::filesystem::exists(m_dir / "L2" / "Results.Mdb"));

  // A host's engine output runs for the model and every local model, reported or not; 0 and 1 are success.
  static std::vector<std::string> s_calls;
  static int s_answer = 0;
  m_export.m_pEngineOutputContext = &s_calls;
  m_export.m_pfnGlobalModelOutput = [](const char* name, int length, PFNHOSTCALLBACK*, void*) {
    s_calls.push_back(std::string(name, static_cast<std::size_t>(length)));
    return s_answer;
  };
  const std::string padding(253, ' ');
  for (const auto& [answer, ok, calls] :
       {std::tuple{0, true, std::vector<std::string>{"M" + padding + "  ", "L1" + padding + " ", "L2" + padding + " "}},
        std::tuple{2, false, std::vector<std::string>{"M" + padding + "  "}}}) {
    s_calls.clear();
    s_answer = answer;
    m_log.m_text.clear();
    EXPECT_EQ(Output(false, 2), ok) << answer;
    EXPECT_EQ(s_calls, calls) << answer;
    EXPECT_FALSE(m_log.Has("DODBLOCAL"));
    EXPECT_FALSE(m_export.m_bEngineOutputSkipped);
  }
  m_export.m_paLocalModelFiles->GetAt(0)->m_outputTables.RemoveAll();
}

// A case written again replaces its rows in every table, the legacy ones too, and says so; with the
// "LG_" field names of AlternateDatabaseCols as well.
TEST_F(VornDbExportOutput, ACaseWrittenAgainReplacesItsEarlierRows) {
  Settings().m_UseOldOutputDatabaseFormatOn.SetValue(1);
  Settings().m_DatabaseOutputFormat.SetValue("Access");
  const std::string database = (m_dir / "M" / "Results.Mdb").string();
  const auto count = [&database](const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    int n = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
      n = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return n;
  };
  for (const std::string prefix : {"", "LG_"}) {
    SCOPED_TRACE(prefix.empty() ? "plain names" : "LG_ names");
    Settings().m_AlternateDatabaseCols.SetValue(prefix.empty() ? 0 : 1);
    m_export.m_pModel->m_outputTables.RemoveAll();
    if (m_export.m_pModel->m_daoDatabase) m_export.m_pModel->m_daoDatabase->Close();
    std::filesystem::remove(database);
    const std::string caseRows = "SELECT count(*) FROM PrCase WHERE " + prefix + "CaseID = 3";
    const std::string legacyRows = "SELECT count(*) FROM LGPRIMLR WHERE \"" + prefix + "CASE\" = 3";
    ASSERT_TRUE(Output(true, 3)) << m_log.m_text;
    EXPECT_FALSE(m_export.HasReplacedEarlierRows());
    ASSERT_TRUE(Output(false, 4)) << m_log.m_text;
    const int cases = count("SELECT count(*) FROM PrCase"), legacy = count(legacyRows);
    const int periods = count("SELECT count(*) FROM PrPeriod");
    ASSERT_EQ(count(caseRows), 1);
    ASSERT_GT(legacy, 0);
    m_log.m_text.clear();
    ASSERT_TRUE(Output(false, 3)) << m_log.m_text;
    EXPECT_TRUE(m_export.HasReplacedEarlierRows());
    EXPECT_TRUE(m_log.Has("The case replaced its earlier rows in the results database.")) << m_log.m_text;
    EXPECT_EQ(count("SELECT count(*) FROM PrCase"), cases);
    EXPECT_EQ(count(caseRows), 1);
    EXPECT_EQ(count(legacyRows), legacy);
    EXPECT_EQ(count("SELECT count(*) FROM PrPeriod"), periods);
    ASSERT_TRUE(Output(false, 5)) << m_log.m_text;
    EXPECT_FALSE(m_export.HasReplacedEarlierRows());
  }
  Settings().m_AlternateDatabaseCols.SetValue(0);
}

// An exception inside the output of a case fails that case as any failure does: the case's open transaction is
// rolled back, the failure and the export log name the cause, and the next case is written whole.
TEST_F(VornDbExportOutput, AnExceptionFailsTheCaseAndLeavesNoneOfItsRows) {
  Settings().m_UseOldOutputDatabaseFormatOn.SetValue(1);
  Settings().m_DatabaseOutputFormat.SetValue("Access");
  const std::string database = (m_dir / "M" / "Results.Mdb").string();
  const auto rows = [&database](const char* table) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    int count = -1;
    if (sqlite3_prepare_v2(db, ("SELECT count(*) FROM " + std::string(table)).c_str(), -1, &stmt, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
      count = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return count;
  };
  // The engine's output runs inside the case's transaction, after the result tables; the owner window hears of
  // the fill before the transaction begins.
  static std::function<void()> s_engine, s_filled;
  m_export.m_pEngineOutputContext = &s_engine;
  m_export.m_pfnGlobalModelOutput = [](const char*, int, PFNHOSTCALLBACK*, void*) {
    if (s_engine) s_engine();
    return 0;
  };
  int window = 0;
  m_export.m_pOwnerWnd = &window;
  SetStatusSender([](void*, std::uint32_t, std::uintptr_t wParam, const std::string&) {
    if (wParam == 1480 && s_filled) s_filled();
  });

  ASSERT_TRUE(Output(true, 1)) << m_log.m_text;
  int written = rows("PrCase");
  ASSERT_GT(written, 0);
  int legacy = rows("LGPRIMLR");

  struct Throw {
    const char* what;
    std::function<void()>* where;
    std::function<void()> raise;
    const char* cause;
  } throws[] = {
      {"memory runs out inside the transaction", &s_engine, [] { throw std::bad_alloc(); }, "std::bad_alloc"},
      {"an array index out of range", &s_engine, [] { throw CInvalidArgException("Invalid argument."); },
       "Invalid argument."},
      {"a value that is no standard exception", &s_engine, [] { throw 7; }, "an exception of unknown type"},
      {"before the transaction begins", &s_filled, [] { throw std::out_of_range("vector::at"); }, "vector::at"},
  };
  int caseNumber = 1;
  for (const Throw& t : throws) {
    SCOPED_TRACE(t.what);
    ++caseNumber;
    m_log.m_text.clear();
    *t.where = t.raise;
    EXPECT_FALSE(Output(false, caseNumber));
    *t.where = nullptr;
    const std::string cause =
        "an exception stopped the output of case " + std::to_string(caseNumber) + ": " + t.cause;
    EXPECT_EQ(m_export.GetDatabaseFailure(), cause);
    EXPECT_TRUE(m_log.Has(cause + "\n")) << m_log.m_text;
    EXPECT_TRUE(m_log.Has("The rows of the case were not written: " + cause)) << m_log.m_text;
    EXPECT_EQ(rows("PrCase"), written);
    EXPECT_EQ(rows("LGPRIMLR"), legacy);
    // The export goes on: the next case is written whole.
    ASSERT_TRUE(Output(false, 10 + caseNumber)) << m_log.m_text;
    EXPECT_EQ(m_export.GetDatabaseFailure(), "");
    EXPECT_GT(rows("PrCase"), written);
    EXPECT_GT(rows("LGPRIMLR"), legacy);
    written = rows("PrCase");
    legacy = rows("LGPRIMLR");
  }
  m_export.m_pOwnerWnd = nullptr;
  SetStatusSender(nullptr);
  m_export.m_pfnGlobalModelOutput = nullptr;
}

}  // namespace
