#include "solutionfill/core/solution_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "caseset/modeltables/table_file_fixtures.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/solver_side_files.h"
#include "solutionfill/core/testing/recording_log.h"
#include "solutionfill/core/testing/solution_file_writer.h"
#include "standins/file_name_manager.h"
#include "standins/tresk.h"
#include "standins/unified_tags.h"

#include <unistd.h>

namespace {

using solution_file_testing::Record;
using solution_file_testing::Writer;

using NullLog = solution_file_testing::RecordingLog;

CSolutionFileLayout Layout(bool doublePrecision, std::size_t nameWidth) {
  CSolutionFileLayout layout;
  layout.m_bDoublePrecision = doublePrecision;
  layout.m_nNameWidth = nameWidth;
  return layout;
}

const CDbPrimalNode* FindNode(const CDbSolution& solution, const std::string& name) {
  const CDbPrimalNode key(name);
  return solution.m_paPrimalNodes.Find(&key);
}

const CDbPrimal* FindIn(const CDbPrimalArray& list, const std::string& name) {
  const CDbPrimal key(name);
  return list.Find(&key);
}

// A case with the given period names (sorted; the first real one is m_pFirstPeriod).
std::unique_ptr<CDbCase> MakeCase(const std::vector<std::string>& periods, bool multiPeriod) {
  auto dbCase = std::make_unique<CDbCase>(1);
  if (multiPeriod) {
    auto* dummy = new CDbPeriod(".");
    dummy->m_nID = -999;
    dbCase->m_paPeriods.Add(dummy);
  }
  for (std::size_t i = 0; i < periods.size(); ++i) {
    auto* period = new CDbPeriod(periods[i]);
    period->m_nID = static_cast<std::int32_t>(i);
    dbCase->m_paPeriods.Add(period);
    if (i == 0) dbCase->m_pFirstPeriod = period;
  }
  dbCase->m_paPeriods.Sort(&CDbObject::CompareDbObjectName);
  return dbCase;
}

TEST(SolutionFileParse, ReadsEachLayoutWithClampedValues) {
  for (const auto& [doublePrecision, width] : {std::pair{false, std::size_t{9}}, std::pair{true, std::size_t{9}},
                                               std::pair{true, std::size_t{61}}}) {
    SCOPED_TRACE(testing::Message() << "double " << doublePrecision << " width " << width);
    Writer writer(doublePrecision, width);
    writer.objective = 1234.5;
    writer.headerCode = 42;
    writer.headerText = "XY";
    const std::string longName = width == 61 ? std::string(61, 'N') : "ROWNAME1";
    writer.rows.push_back({longName, 3, 5e-8, -2.5, 1.0e30, 4.0, 0.25, 9.0, 11});
    writer.columns.push_back({"COLUMN", 5, 1.5, 0.0, 0.0, 10.0, -1e-8, 2.5});
    const std::string bytes = writer.Bytes();
    ASSERT_EQ(bytes.size(), Layout(doublePrecision, width).HeaderSize() + 2 * Layout(doublePrecision, width).RecordSize());

    CSolutionFileContents contents;
    std::string error;
    ASSERT_TRUE(ParseSolutionFile(bytes, Layout(doublePrecision, width), contents, error)) << error;
    EXPECT_EQ(contents.m_nRowCount, 1);
    EXPECT_EQ(contents.m_nColumnCount, 1);
    EXPECT_EQ(contents.m_nHeaderCode, 42);
    EXPECT_EQ(contents.m_dObjectiveValue, 1234.5);
    EXPECT_EQ(contents.m_strHeaderText, "XY");
    const CSolutionFileRecord& row = contents.m_aRows[0];
    EXPECT_EQ(row.m_nSequenceID, 11);
    EXPECT_EQ(row.m_strName, longName);
    EXPECT_EQ(row.m_nStatus, 3);
    EXPECT_EQ(row.m_aValues[0], 0.0);   // 5e-8 is clamped
    // The not-set marker is kept (single precision widens 1.0e30f).
    EXPECT_EQ(row.m_aValues[2], doublePrecision ? 1e30 : static_cast<double>(1.0e30f));
    EXPECT_EQ(row.m_aValues[4], 0.25);
    const CSolutionFileRecord& column = contents.m_aColumns[0];
    EXPECT_EQ(column.m_nSequenceID, 2);
    EXPECT_EQ(column.m_aValues[4], 0.0);
    EXPECT_EQ(column.m_aValues[5], 2.5);
    EXPECT_TRUE(column.m_bActivityAboveTolerance);
  }
}

TEST(SolutionFileParse, RefusesCountsTheFileCannotHold) {
  // The raw reader's refusals, and a file without rows, which the fill does not take.
  std::vector<solution_file_testing::DamagedCounts> cases = solution_file_testing::DamagedCountCases();
  cases.push_back({"no rows", 0, 0, 0});
  for (const solution_file_testing::DamagedCounts& c : cases) {
    SCOPED_TRACE(c.what);
    CSolutionFileContents contents;
    std::string error;
    EXPECT_FALSE(ParseSolutionFile(solution_file_testing::DamagedFile(c), Layout(false, 9), contents, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(contents.m_aRows.empty());
  }
  CSolutionFileContents contents;
  std::string error;
  EXPECT_FALSE(ParseSolutionFile(std::string(50, '\0'), Layout(true, 61), contents, error));
}

TEST(SolutionFileStatus, TextsByCode) {
  EXPECT_EQ(GetPrimalStatusText("", 1), "FR");
  EXPECT_EQ(GetPrimalStatusText("", 2), "BS");
  EXPECT_EQ(GetPrimalStatusText("", 3), "EQ");
  EXPECT_EQ(GetPrimalStatusText("", 4), "UL");
  EXPECT_EQ(GetPrimalStatusText("", 5), "LL");
  EXPECT_EQ(GetPrimalStatusText("", 6), "**");
  EXPECT_EQ(GetPrimalStatusText(LoadTreskString(2511), 6), "??");
  EXPECT_EQ(GetPrimalStatusText("", 7), "  ");
  EXPECT_EQ(GetPrimalStatusText("", 8), "++");
  EXPECT_EQ(GetPrimalStatusText("", -1), "");
}

class PrimalTreeTest : public testing::Test {
 protected:
  PrimalTreeTest() : m_export(&m_log), m_solution(&m_export) {}

  void Build(const Writer& writer, CPrimalTreeContext context) {
    CSolutionFileContents contents;
    std::string error;
    ASSERT_TRUE(ParseSolutionFile(writer.Bytes(), Layout(false, 9), contents, error)) << error;
    context.m_pDbData = &m_export;
    BuildPrimalTree(m_solution, contents, context);
  }

  NullLog m_log;
  CVornDbExportData m_export;
  CDbSolution m_solution;
};

TEST_F(PrimalTreeTest, SinglePeriodModelKeepsOnePeriodNamedLikeTheCase) {
  const auto dbCase = MakeCase({"1"}, false);
  Writer writer(false, 9);
  writer.rows = {{"ZROW", 0}, {"AROW", 9}, {"MROW", -1}};
  writer.columns = {{"PCOL", 6, 3.0, 0.0, 0, 1, 0, 2.5}, {"BCOL", 2, 1e-7, 4.0}, {"CCOL", 2, 2.0, 1.0, 0, 1, 0, 7.0}};
  CPrimalTreeContext context;
  context.m_pCase = dbCase.get();
  Build(writer, context);

  EXPECT_EQ(m_solution.m_nRowCount, 3);
  EXPECT_EQ(m_solution.m_nColumnCount, 3);
  ASSERT_EQ(m_solution.m_paPrimalNodes.GetSize(), 1);
  const CDbPrimalNode* node = FindNode(m_solution, "");
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->m_paPeriods.GetSize(), 1);
  const CDbPrimalPeriod* period = node->m_paPeriods[0];
  EXPECT_EQ(period->m_strName, "1");
  ASSERT_EQ(period->m_paRows.GetSize(), 3);
  EXPECT_EQ(period->m_paRows[0]->m_strName, "AROW");  // sorted by name
  EXPECT_EQ(FindIn(period->m_paRows, "AROW")->m_strStatus, "  ");  // code 9 as 7
  EXPECT_EQ(FindIn(period->m_paRows, "ZROW")->m_strStatus, "  ");  // code 0 as 7
  EXPECT_EQ(FindIn(period->m_paRows, "MROW")->m_strStatus, "");
  const CDbPrimal* p = FindIn(period->m_paColumns, "PCOL");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->m_dSlack, 2.5);  // a zero cost takes the sixth value
  EXPECT_EQ(p->m_strStatus, "**");
  EXPECT_EQ(FindIn(period->m_paColumns, "CCOL")->m_dSlack, 1.0);  // a cost of its own stays
  // Active cost columns in file order: a tiny activity does not count.
  ASSERT_EQ(period->m_paActiveCostColumns.GetSize(), 2);
  EXPECT_EQ(period->m_paActiveCostColumns[0]->m_strName, "PCOL");
  EXPECT_EQ(period->m_paActiveCostColumns[1]->m_strName, "CCOL");
  EXPECT_EQ(p->m_strShortName, "PCOL");
  EXPECT_EQ(p->m_strAliasName, "PCOL");
}

TEST_F(PrimalTreeTest, MultiPeriodPlantSplitsByPositionAfterTheObjectiveRow) {
  const auto dbCase = MakeCase({"a", "c"}, true);
  Writer writer(false, 9);
  writer.rows = {{"ABCDEFGab"}, {"OBJFN...."}, {"ABCDEFGab"}, {"ABCDEFGax"}};
  writer.columns = {{"XCOL"}};
  CPrimalTreeContext context;
  context.m_nModelType = 3;
  context.m_pCase = dbCase.get();
  context.m_astrLocalModelNames = {"b"};
  Build(writer, context);

  const CDbPrimalNode* node = FindNode(m_solution, "b");
  ASSERT_NE(node, nullptr);
  const CDbPrimalPeriod key("a");
  const CDbPrimalPeriod* period = node->m_paPeriods.Find(&key);
  ASSERT_NE(period, nullptr);
  EXPECT_EQ(period->m_nID, 0);
  // The row after the marker (sequence 3) was split by position.
  const CDbPrimal* split = nullptr;
  for (const CDbPrimal* row : period->m_paRows)
    if (row->m_nSequenceID == 3) split = row;
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(split->m_strName, "ABCDEFG");
  EXPECT_EQ(split->m_strShortName, "ABCDEFGab");
  // Before the marker, and with a node that is no local model, the names stay whole.
  const CDbPrimalNode* whole = FindNode(m_solution, "");
  ASSERT_NE(whole, nullptr);
  EXPECT_NE(FindIn(whole->m_paPeriods[0]->m_paRows, "ABCDEFGab"), nullptr);
  EXPECT_NE(FindIn(whole->m_paPeriods[0]->m_paRows, "ABCDEFGax"), nullptr);
  for (int i = 0; i < m_solution.m_paPrimalNodes.GetSize(); ++i) {
    const CDbPrimalNode* n = m_solution.m_paPrimalNodes[i];
    EXPECT_EQ(n->m_paPeriods[0]->m_strName, ".");  // sorted; the dummy first
  }
}

TEST_F(PrimalTreeTest, UnknownPeriodWarnsAndLandsInTheDotPeriod) {
  static std::vector<std::pair<std::string, int>> lines;
  lines.clear();
  m_export.m_pfnHostCallbacks[0] = [](const char* text, int length, int kind) {
    lines.emplace_back(std::string(text, length), kind);
    return 0;
  };
  const auto dbCase = MakeCase({"1"}, true);
  Writer writer(false, 9);
  writer.rows = {{"OBJFN"}};
  writer.columns = {{"BUYABC1"}, {"BUYABC9"}};
  CPrimalTreeContext context;
  context.m_nModelType = 1;
  context.m_pCase = dbCase.get();
  Build(writer, context);

  const CDbPrimalNode* node = FindNode(m_solution, "");
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->m_paPeriods.GetSize(), 2);
  EXPECT_EQ(node->m_paPeriods[0]->m_strName, ".");
  EXPECT_EQ(node->m_paPeriods[1]->m_strName, "1");
  EXPECT_NE(FindIn(node->m_paPeriods[1]->m_paColumns, "BUYABC"), nullptr);
  EXPECT_NE(FindIn(node->m_paPeriods[0]->m_paColumns, "BUYABC"), nullptr);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (std::pair<std::string, int>{" ", 0}));
  EXPECT_EQ(lines[1].second, 1);
  EXPECT_EQ(lines[1].first.rfind(" *** WARNING. ", 0), 0u);
  EXPECT_NE(lines[1].first.find("BUYABC9"), std::string::npos);
  EXPECT_LT(lines[1].first.size(), 100u);
}

// Where a record lands after the model-type corrections: node, period, base name, full name.
TEST_F(PrimalTreeTest, ModelTypeCorrectionsPlaceRecords) {
  struct Case {
    const char* what;
    std::int32_t modelType;
    bool column;
    const char* name;
    const char* node;
    const char* period;
    const char* base;
    const char* full;
  };
  for (const Case& c : {
           Case{"Epentrg row without a blank period", 1, false, "Epentrg 1", "", ".", "Epentrg", "Epentrg_1"},
           Case{"multi-period column takes its last character", 1, true, "BUYABC1", "", "1", "BUYABC", "BUYABC1"},
           Case{"XPSPAN keeps its name", 1, true, "XPSPAN", "", ".", "XPSPAN", "XPSPAN"},
           Case{"multi-plant eight characters", 2, true, "ABCDEFGH", "H", ".", "ABCDEFG", "ABCDEFGH"},
           Case{"ICST of no local model", 2, true, "ICSTABCx", "", ".", "ICSTABC", "ICSTABCx"},
           Case{"ICST of a local model", 2, true, "ICSTABCa", "a", ".", "ICSTABC", "ICSTABCa"},
       }) {
    SCOPED_TRACE(c.what);
    CDbSolution solution(&m_export);
    const auto dbCase = MakeCase({"1"}, c.modelType == 1 || c.modelType == 3);
    Writer writer(false, 9);
    writer.rows = {{"OBJFN"}};
    if (c.column) {
      writer.columns = {{c.name}};
    } else {
      writer.rows.push_back({c.name});
    }
    CSolutionFileContents contents;
    std::string error;
    ASSERT_TRUE(ParseSolutionFile(writer.Bytes(), Layout(false, 9), contents, error));
    CPrimalTreeContext context;
    context.m_nModelType = c.modelType;
    context.m_pCase = dbCase.get();
    context.m_astrLocalModelNames = {"a"};
    context.m_pDbData = &m_export;
    BuildPrimalTree(solution, contents, context);
    const CDbPrimalNode* node = FindNode(solution, c.node);
    ASSERT_NE(node, nullptr);
    const CDbPrimalPeriod key(c.period);
    const CDbPrimalPeriod* period =
        c.modelType == 1 ? node->m_paPeriods.Find(&key) : node->m_paPeriods.GetSize() ? node->m_paPeriods[0] : nullptr;
    ASSERT_NE(period, nullptr);
    const CDbPrimal* record = FindIn(c.column ? period->m_paColumns : period->m_paRows, c.base);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->m_strShortName, c.full);
  }
}

TEST_F(PrimalTreeTest, TransferColumnsKeepTheirT) {
  const auto dbCase = MakeCase({"1"}, false);
  Writer writer(false, 9);
  writer.rows = {{"OBJFN"}};
  writer.columns = {{"Tabcdef"}, {"Tabcdefgh"}};
  CPrimalTreeContext context;
  context.m_pCase = dbCase.get();
  context.m_astrTransferColumns = {"Tabcdef"};
  Build(writer, context);
  const CDbPrimalPeriod* period = FindNode(m_solution, "")->m_paPeriods[0];
  EXPECT_NE(FindIn(period->m_paColumns, "Tabcdef"), nullptr);
  bool foundT = false;
  for (const CDbPrimal* column : period->m_paColumns) {
    if (column->m_strShortName == "Tabcdefgh") {
      foundT = true;
      EXPECT_EQ(column->m_strName[0], 'T');
    }
  }
  EXPECT_TRUE(foundT);
}

TEST_F(PrimalTreeTest, GlobalOptimizationBoundingLoosensListedColumns) {
  const auto dbCase = MakeCase({"1"}, false);
  Writer writer(false, 9);
  writer.rows = {{"OBJFN"}};
  writer.columns = {{"BNDA", 2, 0, 0, -100, 10}, {"BNDB", 2, 0, 0, -5, 10}, {"FREE", 2, 0, 0, -100, 10}};
  CPrimalTreeContext context;
  context.m_pCase = dbCase.get();
  context.m_bGlobalOptimizationBounding = true;
  context.m_astrBoundingColumns = {"BNDA", "BNDB"};
  Build(writer, context);
  const CDbPrimalPeriod* period = FindNode(m_solution, "")->m_paPeriods[0];
  const CDbPrimal* a = FindIn(period->m_paColumns, "BNDA");
  const CDbPrimal* b = FindIn(period->m_paColumns, "BNDB");
  const CDbPrimal* free = FindIn(period->m_paColumns, "FREE");
  ASSERT_TRUE(a && b && free);
  EXPECT_EQ(a->m_dLoRHS, 0.0);
  EXPECT_EQ(a->m_dHiRHS, 1e30);
  EXPECT_EQ(b->m_dLoRHS, -5.0);
  EXPECT_EQ(b->m_dHiRHS, 1e30);
  EXPECT_EQ(free->m_dLoRHS, -100.0);
  EXPECT_EQ(free->m_dHiRHS, 10.0);
}

class SolutionFileReadTest : public testing::Test {
 protected:
  SolutionFileReadTest() : m_export(&m_log) {
    m_dir = std::filesystem::temp_directory_path() / ("solfile_" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir / "MODEL");
    m_export.m_strHomeDirectory = m_dir.string();
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    m_export.m_pModel->m_strModelName = "MODEL";
    m_export.m_pModel->m_strModelDir = (m_dir / "MODEL").string();
  }
  ~SolutionFileReadTest() override { std::filesystem::remove_all(m_dir); }

  NullLog m_log;
  CVornDbExportData m_export;
  std::filesystem::path m_dir;
};

TEST_F(SolutionFileReadTest, ReadsTheModelsSolutionFileOrFailsOnAMissingOrDamagedOne) {
  const auto dbCase = MakeCase({"1"}, false);
  {
    CDbSolution solution(&m_export);
    EXPECT_FALSE(ReadSolutionFile(solution, m_export.m_pModel.get(), dbCase.get(), {}));
  }
  Writer writer(false, 9);
  writer.rows = {{"OBJFN", 2, 99.0}};
  writer.objective = 99.0;
  writer.Save((m_dir / "MODEL" / "Solution.Fil").string());
  {
    CDbSolution solution(&m_export);
    ASSERT_TRUE(ReadSolutionFile(solution, m_export.m_pModel.get(), dbCase.get(), {}));
    EXPECT_EQ(solution.m_dObjectiveValue, 99.0);
    EXPECT_EQ(solution.m_paPrimalNodes.GetSize(), 1);
  }
  writer.overrideCounts = true;
  writer.rowCount = 1;
  writer.total = 1000;
  writer.Save((m_dir / "MODEL" / "Solution.Fil").string());
  {
    CDbSolution solution(&m_export);
    EXPECT_FALSE(ReadSolutionFile(solution, m_export.m_pModel.get(), dbCase.get(), {}));
    EXPECT_EQ(solution.m_paPrimalNodes.GetSize(), 0);
  }
}

// Where the solution file and the side files of case 12 are looked for: export kind 2 takes the
// file-name manager's names (the solution file in the base directory, the side files in the model's
// own directory); SQL Server output without an Access copy, in the multi-case engine mode and without
// proving global optimality, takes them in the model's directory, for the solution file also with a
// single selected case when Ostrel runs the engine; anything else the plain names.
TEST_F(SolutionFileReadTest, SolutionAndSideFilePathsByExportKindAndOutput) {
  const auto names = CreateFileNameManager();
  const std::string home = m_dir.string(), model = (m_dir / "MODEL").string();
  const std::string managedSolution = names->GetSolutionFileName(12), managedRecursion = names->GetRecursionFileName(12),
                    managedPvtw = names->GetPvtwFileName(12);
  const struct {
    const char* what;
    int kind;
    bool sqlServer, accessToo, zelun, prove, nimbo;
    std::size_t selected;
    int ostrel;
    std::string solution, recursion, pvtw;  // directory and name of each
  } cases[] = {
      {"plain", 1, false, false, false, false, false, 1, 0, model + "|Solution.Fil", model + "|Recursion.fil",
       model + "|PVTW.DAT"},
      {"plain, nonlinear", 1, false, false, false, false, true, 1, 0, model + "|solutionfil.fil",
       model + "|Recursion.fil", model + "|PVTW.DAT"},
      {"kind 2", 2, false, false, false, false, false, 1, 0, home + "|" + managedSolution,
       model + "|" + managedRecursion, model + "|" + managedPvtw},
      {"SQL Server, several cases", 1, true, false, true, false, false, 2, 0, model + "|" + managedSolution,
       model + "|" + managedRecursion, model + "|" + managedPvtw},
      {"SQL Server, one case run by Ostrel", 1, true, false, true, false, false, 1, 1, model + "|" + managedSolution,
       model + "|Recursion.fil", model + "|PVTW.DAT"},
      {"SQL Server with an Access copy", 1, true, true, true, false, false, 2, 0, model + "|Solution.Fil",
       model + "|Recursion.fil", model + "|PVTW.DAT"},
      {"SQL Server, proving optimality", 1, true, false, true, true, false, 2, 0, model + "|Solution.Fil",
       model + "|Recursion.fil", model + "|PVTW.DAT"},
      {"SQL Server without the engine mode", 1, true, false, false, false, false, 2, 0, model + "|Solution.Fil",
       model + "|Recursion.fil", model + "|PVTW.DAT"},
  };
  CVornModelFile& main = *m_export.m_pModel;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_export.m_nExportKind = c.kind;
    CModelSettings& settings = main.m_settings;
    settings.m_DatabaseOutputFormat.SetValue(c.sqlServer ? "SQL Server" : "Access");
    settings.m_CreateAccessDbAlso.SetValue(c.accessToo ? 1 : 0);
    settings.m_UseZelunMGOn.SetValue(c.zelun ? 1 : 0);
    settings.m_Zelun_GO_ProveGlobalOptimalityOn.SetValue(c.prove ? 1 : 0);
    settings.m_UseNimboOn.SetValue(c.nimbo ? 1 : 0);
    settings.m_Zelun_UseOstrel.SetValue(c.ostrel);
    m_export.m_paSelectedCases = std::make_unique<std::vector<std::int32_t>>(c.selected, 1);
    const auto split = [](const std::string& path) {
      const std::filesystem::path p(path);
      return p.parent_path().lexically_normal().string() + "|" + p.filename().string();
    };
    EXPECT_EQ(split(GetSolutionFilePath(m_export, main, 12)), c.solution);
    EXPECT_EQ(split(GetRecursionFilePath(m_export, main, 12)), c.recursion);
    EXPECT_EQ(split(GetPvtwFilePath(m_export, main, 12)), c.pvtw);
  }
}

// Workers write the cases of one model directory at the same time: a case whose solver left its own solution
// and recursion files in the model's directory reads those, never the plain files another case left there; a
// case without them, or no case, reads the plain files.
TEST_F(SolutionFileReadTest, ACaseReadsItsOwnSolverFilesWhenTheSolverLeftThem) {
  const auto names = CreateFileNameManager();
  const std::filesystem::path model = m_dir / "MODEL";
  CVornModelFile& main = *m_export.m_pModel;
  for (const char* name : {"Solution.Fil", "Recursion.fil"}) std::ofstream(model / name) << "plain";
  for (const std::string& name : {names->GetSolutionFileName(12), names->GetRecursionFileName(12)})
    std::ofstream(model / name) << "case 12";
  EXPECT_EQ(GetSolutionFilePath(m_export, main, 12), (model / names->GetSolutionFileName(12)).string());
  EXPECT_EQ(GetRecursionFilePath(m_export, main, 12), (model / names->GetRecursionFileName(12)).string());
  EXPECT_EQ(GetPvtwFilePath(m_export, main, 12), (model / "PVTW.DAT").string());
  for (const int other : {13, 0}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(GetSolutionFilePath(m_export, main, other), (model / "Solution.Fil").string());
    EXPECT_EQ(GetRecursionFilePath(m_export, main, other), (model / "Recursion.fil").string());
  }

  // The read takes the case's own file: its objective, not the plain file's.
  Writer writer(false, 9);
  writer.rows = {{"OBJFN", 2, 7.0}};
  writer.objective = 7.0;
  writer.Save((model / names->GetSolutionFileName(12)).string());
  writer.objective = 99.0;
  writer.Save((model / "Solution.Fil").string());
  auto dbCase = MakeCase({"1"}, false);
  dbCase->m_nID = 12;
  CDbSolution solution(&m_export);
  ASSERT_TRUE(ReadSolutionFile(solution, &main, dbCase.get(), {}));
  EXPECT_EQ(solution.m_dObjectiveValue, 7.0);
}

// With extended tags, a unified-tags manager of the result manager names the rows and columns of the
// read; without one the tag processor does.
TEST_F(SolutionFileReadTest, AUnifiedTagsManagerNamesRowsAndColumns) {
  class CPrefixManager : public IUnifiedTagsManager {
   public:
    std::string DisplayName(const std::string& fullName) const override { return "U:" + fullName; }
  } manager;
  const auto dbCase = MakeCase({"1"}, false);
  m_export.m_pModel->m_settings.m_UseExtendedTagsOn.SetValue(1);
  Writer writer(false, 9);
  writer.rows = {{"OBJFN", 2, 1.0}};
  writer.columns = {{"PURCABC", 2, 1.0}};
  writer.Save((m_dir / "MODEL" / "Solution.Fil").string());
  for (const bool attached : {true, false}) {
    CDbSolution solution(&m_export);
    ASSERT_TRUE(ReadSolutionFile(solution, m_export.m_pModel.get(), dbCase.get(), {}, attached ? &manager : nullptr));
    const CDbPrimalPeriod* period = FindNode(solution, "")->m_paPeriods[0];
    EXPECT_EQ(FindIn(period->m_paRows, "OBJFN")->m_strAliasName == "U:OBJFN", attached);
    EXPECT_EQ(FindIn(period->m_paColumns, "PURCABC")->m_strAliasName == "U:PURCABC", attached);
  }
}

// The bounding columns come from the model's index of the case being read: the first read of a
// process has them, and a later case with another list uses its own.
TEST_F(SolutionFileReadTest, BoundingColumnsAreThoseOfTheCasesIndex) {
  const auto dbCase = MakeCase({"1"}, false);
  m_export.m_pModel->m_settings.m_Zelun_GO_UseGlobalOptimizationBounding.SetValue(1);
  Writer writer(false, 9);
  writer.rows = {{"OBJFN"}};
  writer.columns = {{"BNDA", 2, 0, 0, -100, 10}, {"BNDB", 2, 0, 0, -100, 10}};
  writer.Save((m_dir / "MODEL" / "Solution.Fil").string());
  for (const std::string listed : {"BNDA", "BNDB"}) {
    table_fixtures::MatrixDirectory directory;
    directory.boundingColumns = {listed};
    const auto files = table_fixtures::MakeClassicFiles({}, 500, 0, table_fixtures::ClassicDirectory(directory));
    std::ofstream(m_dir / "MODEL" / "tables.map", std::ios::binary) << files.index;
    std::ofstream(m_dir / "MODEL" / "tables.fil", std::ios::binary) << files.cache;
    CDbSolution solution(&m_export);
    ASSERT_TRUE(ReadSolutionFile(solution, m_export.m_pModel.get(), dbCase.get(), {}));
    const CDbPrimalPeriod* period = FindNode(solution, "")->m_paPeriods[0];
    for (const std::string name : {"BNDA", "BNDB"}) {
      const CDbPrimal* column = FindIn(period->m_paColumns, name);
      ASSERT_NE(column, nullptr);
      EXPECT_EQ(column->m_dHiRHS, name == listed ? 1e30 : 10.0) << listed << " listed, " << name;
    }
  }
}

}  // namespace

namespace {

// Every corpus file is parsed as its first byte says (bits 2-3: solution,
// recursion, PVTW or TVPROP file; bit 0 double precision; bit 1 long names),
// and a parsed solution file is built into a tree for every model type.
TEST(CorpusReplay, SolverFiles) {
  const std::filesystem::path dir =
      std::filesystem::path(OSTREL_SOURCE_DIR) / "solutionfill/core/testdata/solution_file_corpus";
  int files = 0;
  int parsed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (content.empty()) continue;
    ++files;
    const bool doublePrecision = (content[0] & 1) != 0;
    const std::string bytes = content.substr(1);
    std::string error;
    const int kind = (content[0] >> 2) & 3;
    if (kind == 1) {
      CRecursionRecord record;
      parsed += ParseRecursionFile(bytes, doublePrecision, record, error);
      continue;
    }
    if (kind == 2) {
      CPvtwRecord record;
      parsed += ParsePvtwFile(bytes, doublePrecision, record, error);
      continue;
    }
    if (kind == 3) {
      CDbPrimalArray entries;
      EXPECT_EQ(ParseTvpropFile(bytes, entries), static_cast<std::int32_t>(bytes.size() / 20));
      continue;
    }
    CSolutionFileLayout layout;
    layout.m_bDoublePrecision = (content[0] & 3) != 0;
    layout.m_nNameWidth = (content[0] & 2) != 0 ? 61 : 9;
    CSolutionFileContents contents;
    if (!ParseSolutionFile(bytes, layout, contents, error)) {
      EXPECT_FALSE(error.empty()) << entry.path();
      continue;
    }
    ++parsed;
    for (std::int32_t modelType = 0; modelType <= 3; ++modelType) {
      NullLog log;
      CVornDbExportData exportData(&log);
      CDbSolution solution(&exportData);
      const auto dbCase = MakeCase({"1", "a"}, modelType == 1 || modelType == 3);
      CPrimalTreeContext context;
      context.m_nModelType = modelType;
      context.m_pCase = dbCase.get();
      context.m_astrLocalModelNames = {"a", "x"};
      context.m_bUseExtendedTags = true;
      context.m_astrTransferColumns = {"TABCDEF"};
      context.m_pDbData = &exportData;
      BuildPrimalTree(solution, contents, context);
      int records = 0;
      for (const CDbPrimalNode* node : solution.m_paPrimalNodes)
        for (const CDbPrimalPeriod* period : node->m_paPeriods)
          records += period->m_paRows.GetSize() + period->m_paColumns.GetSize();
      EXPECT_EQ(records, contents.m_nRowCount + contents.m_nColumnCount) << entry.path();
    }
  }
  EXPECT_GT(files, 0);
  EXPECT_GT(parsed, 0);
}

}  // namespace
