// The corruption loop: every input file of a generated run directory of each
// model kind is cut short and has bytes flipped, one damage per run, and the
// job runs under mpiexec on one worker (with a hard timeout). Whatever the
// damage, every case is either written with exactly the rows of the intact
// run, or failed with a cause that names the damaged file, or not run (after
// a failure, or because the damaged case list lost or refused its line); no
// process crashes or hangs, and the results database passes its integrity
// check. A flipped byte of a binary file or a worksheet may be one of a value,
// which changes what the file says rather than breaking it: such a case may be
// written with other rows (printed, not failed).
//
// CI runs two points per file: a cut in the middle and a flip at a third,
// each kind as a ctest of its own.
// OSTREL_CORRUPTION_POINTS=N runs N cuts and N flips per file at offsets
// drawn from a fixed seed, and the nonlinear mode of the global model too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <regex>
#include <set>

#include "runner/mpi_run_fixture.h"
// After the MPI headers: the ODBC headers' BOOL would break their C++ bindings.
#include "tools/model_generator/model_generator.h"

#include <sqlite3.h>

namespace {

using model_gen::ModelKind;

// Table -> case -> rows; the case is -1 for a table without a case column.
using RowCounts = std::map<std::string, std::map<int, int>>;

RowCounts CountRows(const fs::path& database) {
  RowCounts counts;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return counts;
  }
  const auto each = [db](const std::string& sql, auto visit) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK)
      while (sqlite3_step(statement) == SQLITE_ROW) visit(statement);
    sqlite3_finalize(statement);
  };
  std::vector<std::string> tables;
  each("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' AND name NOT LIKE 'Ostrel%'",
       [&](sqlite3_stmt* s) { tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))); });
  for (const std::string& table : tables) {
    std::string caseColumn;
    each("PRAGMA table_info(\"" + table + "\")", [&](sqlite3_stmt* s) {
      const std::string column = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
      if (column == "CaseID" || (caseColumn.empty() && column == "CASE")) caseColumn = column;
    });
    auto& perCase = counts[table];
    if (caseColumn.empty())
      each("SELECT count(*) FROM \"" + table + "\"", [&](sqlite3_stmt* s) { perCase[-1] = sqlite3_column_int(s, 0); });
    else
      each("SELECT \"" + caseColumn + "\", count(*) FROM \"" + table + "\" GROUP BY 1",
           [&](sqlite3_stmt* s) { perCase[sqlite3_column_int(s, 0)] = sqlite3_column_int(s, 1); });
  }
  sqlite3_close(db);
  return counts;
}

std::string IntegrityCheck(const fs::path& database) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    result.clear();
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK)
      while (sqlite3_step(statement) == SQLITE_ROW)
        result += reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return result;
}

// One damage of one file: cut to a length, or one byte inverted.
struct Damage {
  std::string file;  // relative to the run directory
  bool cut = false;
  std::uintmax_t at = 0;
  // The written rows must be the intact run's: always after a cut, and after a flip in a text file, every byte
  // of which is a character of a name, a number or the markup that the readers check. A flipped byte of a
  // binary file or a worksheet may be one of a value (a blank cell that is no longer blank, a cell moved to
  // another column): the file then says something else, which no reader can tell from what it said before.
  bool exact = true;
  std::string Describe() const {
    return file + (cut ? " cut to " + std::to_string(at) + " bytes" : " with byte " + std::to_string(at) + " inverted");
  }
};

void Apply(const fs::path& runDir, const Damage& damage) {
  const fs::path path = runDir / damage.file;
  if (damage.cut) {
    fs::resize_file(path, damage.at);
    return;
  }
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekg(static_cast<std::streamoff>(damage.at));
  char byte = 0;
  file.get(byte);
  file.seekp(static_cast<std::streamoff>(damage.at));
  file.put(static_cast<char>(~byte));
}

// The points of a file: a handful spread over it, or from a fixed seed in the longer run. A cut that would
// leave whole lines is a shorter file that says less, not a damaged one (no reader of a list of lines can tell
// it), so such a cut is moved into the last line it keeps.
std::vector<Damage> DamagesOf(const fs::path& runDir, const std::string& file, int points) {
  const std::string bytes = ReadFile(runDir / file);
  const std::uintmax_t size = bytes.size();
  std::vector<Damage> damages;
  if (size == 0) return damages;
  const bool text = std::all_of(bytes.begin(), bytes.end(), [](char ch) {
    return (ch >= 0x20 && ch <= 0x7E) || ch == '\n' || ch == '\r' || ch == '\t';
  });
  const auto cut = [&](std::uintmax_t at) {
    while (at > 0 && bytes[at - 1] == '\n') --at;
    damages.push_back({file, true, at, true});
  };
  const auto flip = [&](std::uintmax_t at) { damages.push_back({file, false, at, text}); };
  if (points <= 0) {
    cut(size / 2);
    flip(size / 3);
    return damages;
  }
  std::mt19937 random(static_cast<std::uint32_t>(std::hash<std::string>{}(file)));
  std::uniform_int_distribution<std::uintmax_t> offset(0, size - 1);
  for (int i = 0; i < points; ++i) {
    cut(offset(random));
    flip(offset(random));
  }
  return damages;
}

// The cases the worker logs name as not written, with their causes.
std::map<int, std::string> FailedCases(const fs::path& runDir) {
  std::map<int, std::string> failed;
  const std::regex line(R"((?:The results of case (\d+) were not written to the results database|Case (\d+) failed)[^:]*: (.*))");
  for (const auto& entry : fs::directory_iterator(runDir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("OstrelRank", 0) != 0 || name == "OstrelRankZero.log") continue;
    std::istringstream log(ReadFile(entry.path()));
    for (std::string text; std::getline(log, text);) {
      std::smatch match;
      if (!std::regex_search(text, match, line)) continue;
      const int number = std::stoi(match[1].matched ? match[1].str() : match[2].str());
      failed.emplace(number, match[3].str());
    }
  }
  return failed;
}

class MpiInputCorruption : public MpiRun {
 protected:
  void SetUp() override {
    MpiRun::SetUp();
    // A port held bound and never listened on: no desktop application, and no other test takes the port.
    m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
    m_nPort = ntohs(address.sin_port);
    if (const char* points = std::getenv("OSTREL_CORRUPTION_POINTS")) m_nPoints = std::atoi(points);
  }
  void TearDown() override {
    ::close(m_socket);
    MpiRun::TearDown();
  }

  // Generates the run directory afresh (its configuration names its own paths) and runs it on one worker.
  static void Generate(const fs::path& runDir, const model_gen::GeneratorOptions& options) {
    fs::remove_all(runDir);
    std::string error;
    ASSERT_TRUE(model_gen::GenerateRunDirectory(runDir, options, error)) << error;
  }
  int RunJob(const fs::path& runDir) {
    return MpiRun::RunJob("ostrel", runDir, runDir / "out.txt", 2, "",
                          "2 0 127.0.0.1 " + std::to_string(m_nPort), 120);
  }

  void RunKind(model_gen::GeneratorOptions options) {
    options.cases = 2;
    options.solveTime = 0.001;
    const fs::path intact = dir_ / "intact";
    Generate(intact, options);
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(intact)) {
      if (!entry.is_regular_file()) continue;
      const std::string relative = fs::relative(entry.path(), intact).string();
      if (relative == "SolverOutcomes.txt") continue;  // the stand-in solver's script, no input of the system
      // The Trancol export reads its file once the case's other rows are committed: a damaged Trancol file
      // cannot fail the case until that export joins the case's unit.
      if (fs::path(relative).filename().string().rfind("Trancol_", 0) == 0) continue;
      files.push_back(relative);
    }
    std::sort(files.begin(), files.end());
    std::vector<Damage> damages;
    for (const std::string& file : files)
      for (Damage& damage : DamagesOf(intact, file, m_nPoints)) damages.push_back(std::move(damage));
    ASSERT_EQ(RunJob(intact), 0) << ReadFile(intact / "out.txt");
    const RowCounts expected = CountRows(intact / "Results.Mdb");
    ASSERT_GT(expected.count("PrCase"), 0u);
    std::set<int> cases;
    for (const auto& [number, rows] : expected.at("PrCase")) cases.insert(number);
    ASSERT_EQ(cases.size(), 2u);

    const fs::path damaged = dir_ / "damaged";
    for (const Damage& damage : damages) {
      SCOPED_TRACE(damage.Describe());
      Generate(damaged, options);
      Apply(damaged, damage);
      Check(damaged, damage, RunJob(damaged), expected, cases);
    }
    std::printf("%s: %zu files, %zu runs\n", model_gen::ModelKindName(options.kind), files.size(), damages.size());
  }

  void Check(const fs::path& runDir, const Damage& damage, int status, const RowCounts& expected,
             const std::set<int>& cases) {
    const std::string out = ReadFile(runDir / "out.txt");
    const std::string name = fs::path(damage.file).filename().string();
    ASSERT_NE(status, 124) << "the job hung\n" << out;
    ASSERT_LE(status, 2) << "the job crashed\n" << out;
    const fs::path database = runDir / "Results.Mdb";
    if (fs::exists(database)) {
      EXPECT_EQ(IntegrityCheck(database), "ok");
    }
    if (status == 2) {
      // The run could not start: standard error names the file.
      EXPECT_NE(out.find(name), std::string::npos) << out;
      return;
    }
    const bool caseList = damage.file == "cases.txt";
    const std::map<int, std::string> failed = FailedCases(runDir);
    const RowCounts actual = fs::exists(database) ? CountRows(database) : RowCounts();
    std::set<int> written;
    if (actual.count("PrCase"))
      for (const auto& [number, rows] : actual.at("PrCase")) written.insert(number);
    for (const int number : written)
      EXPECT_TRUE(cases.count(number)) << "case " << number << " is not in the intact run\n" << out;
    bool anyFailed = false;
    for (const int number : cases) {
      const auto failure = failed.find(number);
      if (failure != failed.end()) {
        anyFailed = true;
        EXPECT_NE(failure->second.find(name), std::string::npos) << "case " << number << ": " << failure->second;
        EXPECT_FALSE(written.count(number)) << "case " << number << " failed but has rows";
        continue;
      }
      if (!written.count(number)) continue;
      for (const auto& [table, perCase] : expected) {
        const auto rows = perCase.find(number);
        if (rows == perCase.end()) continue;
        const auto found = actual.find(table);
        const int got = found == actual.end() || !found->second.count(number) ? 0 : found->second.at(number);
        if (damage.exact) {
          EXPECT_EQ(got, rows->second) << "case " << number << " was written with other rows in " << table;
        } else if (got != rows->second) {
          std::printf("%s: a value changed; case %d has %d rows in %s, the intact run %d\n", damage.Describe().c_str(),
                      number, got, table.c_str(), rows->second);
        }
      }
    }
    // A case that was neither written nor failed was not run: after a failure, because its case list line
    // was refused, or because the list lost its line.
    if (written.size() < cases.size() && !anyFailed) {
      if (caseList) {
        const std::string list = ReadFile(runDir / "cases.txt");
        for (const int number : cases) {
          if (written.count(number) || list.find(CaseLine(number)) == std::string::npos) continue;
          EXPECT_NE(Log(0).find("Case list line"), std::string::npos) << "case " << number << "\n" << Log(0);
        }
      } else {
        ADD_FAILURE() << "cases went unwritten without a failure\n" << Log(0);
      }
    }
  }

  // The whole line of a case in the intact case list.
  std::string CaseLine(int number) const {
    std::istringstream list(ReadFile(dir_ / "intact" / "cases.txt"));
    for (std::string line; std::getline(list, line);)
      if (line.rfind(std::to_string(number) + " ", 0) == 0) return line + "\n";
    return "\n";
  }

  std::string Log(int rank) const {
    return ReadFile(dir_ / "damaged" / (rank == 0 ? std::string("OstrelRankZero.log")
                                                  : "OstrelRank" + std::to_string(rank) + ".log"));
  }

  int m_socket = -1;
  int m_nPort = 0;
  int m_nPoints = 0;
};


model_gen::GeneratorOptions Kind(ModelKind kind, bool nimbo = false) {
  model_gen::GeneratorOptions options;
  options.kind = kind;
  options.nimbo = nimbo;
  return options;
}

// A model file that every case reads, damaged, fails the start on every worker: exit status 2, the cause once
// on the terminal naming the file, no message box line, no case written.
TEST_F(MpiInputCorruption, ADamagedModelFileEveryCaseReadsFailsTheStart) {
  const struct {
    ModelKind kind;
    const char* file;
  } failures[] = {{ModelKind::kStandard, "tables.map"},
                  {ModelKind::kStandard, "tables.fil"},
                  {ModelKind::kGlobal, "tables.fil"},
                  {ModelKind::kGlobal, "TRANS.DAT"}};
  const fs::path runDir = dir_ / "start";
  for (const auto& failure : failures) {
    SCOPED_TRACE(std::string(model_gen::ModelKindName(failure.kind)) + " " + failure.file);
    model_gen::GeneratorOptions options = Kind(failure.kind);
    options.cases = 2;
    options.solveTime = 0.001;
    Generate(runDir, options);
    fs::path damaged;
    for (const auto& entry : fs::recursive_directory_iterator(runDir))
      if (entry.path().filename() == failure.file && entry.path().string().find("SolverOutput") == std::string::npos &&
          (damaged.empty() || entry.path() < damaged))
        damaged = entry.path();
    ASSERT_FALSE(damaged.empty());
    fs::resize_file(damaged, fs::file_size(damaged) / 2);

    const int status = MpiRun::RunJob("ostrel", runDir, runDir / "out.txt", 3, "",
                                      "2 0 127.0.0.1 " + std::to_string(m_nPort), 120);
    const std::string out = ReadFile(runDir / "out.txt");
    ASSERT_NE(status, 124) << "the job hung\n" << out;
    EXPECT_EQ(status, 2) << out;
    const std::string prefix = "The model's input cannot be read: ";
    EXPECT_EQ(CountLinesStartingWith(out, prefix), 1) << out;
    std::istringstream lines(out);
    for (std::string text; std::getline(lines, text);) {
      if (text.rfind(prefix, 0) == 0) {
        EXPECT_NE(text.find(damaged.string()), std::string::npos) << text;
      }
    }
    EXPECT_EQ(CountLinesStartingWith(out, "Error"), 0) << "no reader showed its message\n" << out;
    EXPECT_EQ(CountRows(runDir / "Results.Mdb").count("PrCase"), 0u) << out;
  }
}

TEST_F(MpiInputCorruption, Standard) { RunKind(Kind(ModelKind::kStandard)); }
TEST_F(MpiInputCorruption, MultiPeriod) { RunKind(Kind(ModelKind::kMultiPeriod)); }
TEST_F(MpiInputCorruption, GlobalModelOfTwoPlants) { RunKind(Kind(ModelKind::kGlobal)); }
TEST_F(MpiInputCorruption, LocalModelOnItsOwn) { RunKind(Kind(ModelKind::kLocal)); }
TEST_F(MpiInputCorruption, GlobalModelInTheNonlinearMode) {
  if (m_nPoints <= 0) GTEST_SKIP() << "the longer run only (OSTREL_CORRUPTION_POINTS)";
  RunKind(Kind(ModelKind::kGlobal, true));
}

}  // namespace
