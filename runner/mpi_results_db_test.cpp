// The results database under several workers: every case's rows land
// exactly once, the run's reference tables once, the output does not depend
// on the number of workers, and a failed write is a failed case. Each job
// runs under mpiexec with a hard timeout.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>

#include <set>

#include "runner/mpi_run_fixture.h"
// After the MPI headers: the ODBC headers' BOOL would break their C++ bindings.
#include "caseset/config/export_config_fixture.h"
#include "solutionfill/core/testing/solution_file_writer.h"

#include <sqlite3.h>

namespace {

std::string Cases(int from, int to) {
  static const char* const kFiles[] = {"Refinery.str", "Blending.str", "Logistics.str"};
  std::string out;
  for (int c = from; c <= to; ++c) out += std::to_string(c) + " " + kFiles[c % 3] + " 0 0 x 0\n";
  return out;
}

// Rows of a query, one line each, columns joined by "|".
std::string Query(const fs::path& database, const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "cannot open " + database.string();
  }
  std::string text;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    text = std::string("error: ") + sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const unsigned char* value = sqlite3_column_text(stmt, c);
        text += (c ? "|" : "") + std::string(value ? reinterpret_cast<const char*>(value) : "NULL");
      }
      text += "\n";
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return text;
}

class MpiResultsDb : public MpiRun {
 protected:
  // A case set of cases 1..count whose model lives in modelDir (the run directory by default).
  void MakeCaseSet(int count, const fs::path& modelDir = {}) {
    const fs::path model = modelDir.empty() ? dir_ : modelDir;
    fs::create_directories(model);
    CaseList(Cases(1, count));
    Outcomes("* time=0\n");
    solution_file_testing::Writer solution(false, 9);
    solution.rows = {{"OBJFN", 2, 1000.0}};
    solution.columns = {{"BUYCRD", 2, 100.0, 10.0}};
    solution.Save((model / "Solution.Fil").string());
    ExportConfigFixture config;
    config.homeDirectory = model.parent_path().string();
    config.modelDirectory = model.string();
    config.databaseDirectory = model.string();
    config.databaseDescription = "Results";
    for (int c = 1; c <= count; ++c) config.cases.push_back({c, "Case " + std::to_string(c), {}});
    ASSERT_TRUE(config.WriteModel());
    ASSERT_TRUE(config.WriteConfig((dir_ / "VornDbExportData.xml").string()));
  }

  // The run's rows that must not depend on the workers: times and run identifiers left out.
  static std::string Canonical(const fs::path& db) {
    std::string text;
    for (const char* sql :
         {"SELECT SolutionID, CaseID, Description, ObjectiveFunction, SolutionStatus FROM PrCase ORDER BY CaseID",
          "SELECT SolutionID, CaseID, PeriodID, Tag, Days, RWCasePeriod FROM PrPeriod ORDER BY CaseID, PeriodID",
          "SELECT * FROM PrModel ORDER BY ModelID",
          "SELECT * FROM PrNode ORDER BY NodeID", "SELECT * FROM PrPrimalColumn ORDER BY CaseID, ColumnName",
          "SELECT * FROM PrSettingType ORDER BY SettingTypeID",
          "SELECT SettingTypeID, TextValue, IntegerValue, DoubleValue FROM PrSettingDefault ORDER BY SettingTypeID",
          "SELECT Version, Build FROM PrDatabaseVersion",
          "SELECT * FROM PrPenaltyType ORDER BY PenaltyTypeID"})
      text += std::string(sql) + "\n" + Query(db, sql);
    return text;
  }

  std::string Out() const { return ReadFile(dir_ / "out.txt"); }
};

// A few hundred cases of no solve time on five workers into a new database,
// three times, and once more on one worker: the same rows every time.
TEST_F(MpiResultsDb, EveryCaseExactlyOnce) {
  constexpr int kCases = 240;
  std::string first;
  for (int run = 0; run < 4; ++run) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    MakeCaseSet(kCases);
    const int processes = run < 3 ? 6 : 2;
    ASSERT_EQ(Run("ostrel", processes, "", "1 0 127.0.0.1 " + std::to_string(FreePort()), 120), 0) << Out();
    EXPECT_EQ(CountOf(Log(0), "Processing failed"), 0) << Log(0);
    const fs::path db = dir_ / "Results.Mdb";
    EXPECT_EQ(Query(db, "SELECT count(*), count(DISTINCT CaseID), min(CaseID), max(CaseID) FROM PrCase"),
              "240|240|1|240\n")
        << "run " << run;
    EXPECT_EQ(Query(db, "SELECT count(*), count(DISTINCT CaseID) FROM PrPeriod"), "240|240\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrPrimalColumn"), "240\n");
    // The run's reference rows, once however many workers started.
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrModel"), "1\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrNode"), "2\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrDatabaseVersion"), "1\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM PrVWBasis"), "2\n");
    EXPECT_EQ(Query(db, "SELECT count(*) = (SELECT count(*) FROM PrSettingType) FROM PrSettingDefault"), "1\n");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM OstrelRuns"), "1\n");
    EXPECT_EQ(Query(db, "SELECT TotalTime FROM PrCase WHERE CaseID = 1"), "0\n") << "no run start date";
    EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok\n");
    const std::string rows = Canonical(db);
    if (run == 0)
      first = rows;
    else
      EXPECT_TRUE(rows == first) << "run " << run << " differs from the first";
  }
}

// Each way the results database can refuse a write fails the cases it hits:
// rank zero logs each by number, the worker's log says which table and why,
// no "output time" line is written for it, and the database stays sound.
TEST_F(MpiResultsDb, DatabaseFailuresFailTheCase) {
  const bool root = ::geteuid() == 0;
  const passwd* nobody = ::getpwnam("nobody");
  struct Scenario {
    const char* name;
    bool needsOtherUser;  // permissions do not stop root: the job then runs as "nobody"
    const char* cause;    // in the worker's log
  } scenarios[] = {
      {"read-only database file", true, "results database"},
      {"read-only directory", true, "results database"},
      {"missing model directory", false, "results database"},
      {"write fault", false, "not written"},
  };
  constexpr int kWorkers = 3;
  for (const Scenario& s : scenarios) {
    if (s.needsOtherUser && root && nobody == nullptr) continue;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const fs::path model = dir_ / "Model";
    const std::string name = s.name;
    MakeCaseSet(name == "write fault" ? 40 : kWorkers, model);
    std::string env;
    if (name == "read-only database file") {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open((model / "Results.Mdb").c_str(), &db), SQLITE_OK);
      sqlite3_exec(db, "CREATE TABLE t (a INTEGER);", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      fs::permissions(model / "Results.Mdb", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    } else if (name == "read-only directory") {
      fs::permissions(model, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    } else if (name == "missing model directory") {
      fs::remove_all(model);
    } else {
      // Worker 2's 30th write step fails, inside its first case; the other workers write the rest.
      env = "OSTREL_SQLITE_FAIL_AT=30 OSTREL_SQLITE_FAIL_RANK=2 LD_PRELOAD=" + std::string(OSTREL_BINARY_DIR) +
            "/platform/libsqlite_fault_preload.so";
    }
    if (s.needsOtherUser && root) {
      // The run directory is the job's; the model directory (and the database in it) stays root's.
      for (const auto& entry : fs::directory_iterator(dir_))
        if (entry.path() != model) ::chown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid);
      ::chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid);
      env += " runuser -u nobody --";
    }
    const int status = Run("ostrel", kWorkers + 1, env, "1 0 127.0.0.1 " + std::to_string(FreePort()), 120);
    EXPECT_NE(status, 124) << s.name << " timed out\n" << Out();
    const std::string zero = Log(0);
    std::string workers;
    for (int w = 1; w <= kWorkers; ++w) workers += Log(w);

    // The cases the workers could not write: each logged by rank zero, none with an output time.
    std::set<int> failed;
    const std::string failedLine = "Processing failed on the Slave side for Case: ";
    for (std::size_t at = zero.find(failedLine); at != std::string::npos; at = zero.find(failedLine, at + 1))
      failed.insert(std::atoi(zero.c_str() + at + failedLine.size()));
    EXPECT_FALSE(failed.empty()) << s.name << "\n" << zero << workers;
    for (int c : failed) {
      EXPECT_NE(workers.find("The results of case " + std::to_string(c) + " were not written"), std::string::npos)
          << s.name << " case " << c << "\n" << workers;
      EXPECT_EQ(workers.find("output time for case " + std::to_string(c) + " is"), std::string::npos)
          << s.name << " case " << c;
    }
    EXPECT_NE(workers.find(s.cause), std::string::npos) << s.name << "\n" << workers;
    if (name != "write fault") {
      EXPECT_EQ(failed.size(), static_cast<std::size_t>(kWorkers)) << s.name << "\n" << zero;
      EXPECT_EQ(CountOf(workers, "Results database output time"), 0) << s.name;
    } else {
      // The cases written before the fault are whole, the failed ones absent, the file sound.
      const fs::path db = model / "Results.Mdb";
      EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok\n") << s.name;
      const std::string written = Query(db, "SELECT CaseID FROM PrCase ORDER BY CaseID");
      std::istringstream lines(written);
      int count = 0;
      for (int c; lines >> c;) {
        ++count;
        EXPECT_EQ(failed.count(c), 0u) << "case " << c << " failed but has rows";
        EXPECT_EQ(Query(db, "SELECT count(*) FROM PrPeriod WHERE CaseID = " + std::to_string(c)), "1\n");
      }
      // Every case is written or failed, none both.
      EXPECT_EQ(failed.size(), 1u) << zero;
      EXPECT_EQ(count + static_cast<int>(failed.size()), 40) << written << zero;
      EXPECT_EQ(count, CountOf(workers, "Results database output time")) << written << workers;
      EXPECT_EQ(Query(db, "SELECT count(*) FROM PrPeriod WHERE CaseID NOT IN (SELECT CaseID FROM PrCase)"), "0\n");
    }
  }
}

}  // namespace
