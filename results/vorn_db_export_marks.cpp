// The marks of parametric chains, shared through the results database. A
// process marks the later steps of a chain when it exports an infeasible
// step, but the later steps may be written by other processes, or before
// it. So each case of a chain's group, inside its own unit of output and
// under the lock that orders the units of the run, reads which cases of the
// group are already written infeasible, replays the cuts of the group in
// ascending case number (CParametricChains) and writes every written case's
// "Truncated" as that replay gives it. The last case of a group to be written
// sees all the others: the stored marks are those of one process exporting
// the cases in ascending number, however many processes wrote them in
// whatever order.
// Access: the writers' queue orders the units; the marks are written just
// before the case's commit, its own row among them. Server: the run's row in
// "OstrelRuns" (or, when an Access database is written as well, that
// database's write lock) is held from the start of the unit to its end; the
// case's own mark goes into its row before the row is written, the others'
// in the unit's transaction, committed with the case's rows.

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/parametric_chains.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "modelfile/vorn_model_file.h"
#include "platform/ado.h"
#include "platform/dao.h"
#include "results/db_manager.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "results/vorn_db_export.h"
#include "tableio/db/db_connect_info.h"
#include "writers/schema/table_definition.h"

namespace {

constexpr std::int32_t kInfeasibleStatus = 5;

// The statements of the marks, with the columns as the results database names them ("LG_" in front in an
// Access database with AlternateDatabaseCols on; the server's columns never have it).
std::string InfeasibleCasesSql(const std::string& prefix) {
  return "SELECT \"" + prefix + "CaseID\" FROM \"PrCase\" WHERE \"" + prefix + "SolutionID\" = ? AND \"" + prefix +
         "SolutionStatus\" = 5 AND \"" + prefix + "CaseID\" BETWEEN ? AND ?";
}
std::string SetTruncatedSql(const std::string& prefix) {
  return "UPDATE \"PrCaseSet\" SET \"" + prefix + "Truncated\" = ? WHERE \"" + prefix + "SolutionID\" = ? AND \"" +
         prefix + "CaseID\" = ? AND \"" + prefix + "Truncated\" <> ?";
}

// What the marks need of a results database.
class IMarkStore {
 public:
  virtual ~IMarkStore() = default;
  // The cases from..to of the solution written with the infeasible status.
  virtual std::vector<std::int32_t> InfeasibleCases(std::int32_t solutionId, std::int32_t from, std::int32_t to) = 0;
  // The case's "Truncated" where its case-set row is written.
  virtual void SetTruncated(std::int32_t solutionId, std::int32_t caseId, std::int32_t value) = 0;
};

// An Access database inside the case's unit; failures throw CDaoException.
class CAccessMarks : public IMarkStore {
 public:
  CAccessMarks(CDaoDatabase& database, const std::string& prefix)
      : m_database(database), m_casesSql(InfeasibleCasesSql(prefix)), m_truncatedSql(SetTruncatedSql(prefix)) {}
  std::vector<std::int32_t> InfeasibleCases(std::int32_t solutionId, std::int32_t from, std::int32_t to) override {
    std::vector<std::int64_t> rows;
    // No case of the run is written before its table is made.
    if (m_database.TableExists("PrCase")) m_database.ExecuteWithIntegers(m_casesSql, {solutionId, from, to}, &rows);
    return {rows.begin(), rows.end()};
  }
  void SetTruncated(std::int32_t solutionId, std::int32_t caseId, std::int32_t value) override {
    if (!m_hasCaseSets) m_hasCaseSets = m_database.TableExists("PrCaseSet") ? 1 : 0;
    if (*m_hasCaseSets != 0) m_database.ExecuteWithIntegers(m_truncatedSql, {value, solutionId, caseId, value});
  }

 private:
  CDaoDatabase& m_database;
  std::string m_casesSql;
  std::string m_truncatedSql;
  std::optional<int> m_hasCaseSets;
};

// The server, in the case's unit; failures throw plat::odbc::Error.
class CServerMarks : public IMarkStore {
 public:
  explicit CServerMarks(DbSqlSvr& server) : m_server(server) {}
  std::vector<std::int32_t> InfeasibleCases(std::int32_t solutionId, std::int32_t from, std::int32_t to) override {
    return m_server.QueryIntegers(InfeasibleCasesSql(""), {solutionId, from, to});
  }
  void SetTruncated(std::int32_t solutionId, std::int32_t caseId, std::int32_t value) override {
    if (m_server.ExecuteInUnit(SetTruncatedSql(""), {{value, std::string(), false},
                                                     {solutionId, std::string(), false},
                                                     {caseId, std::string(), false},
                                                     {value, std::string(), false}}) < 0)
      throw plat::odbc::Error(SQL_ERROR, {}, "the truncation mark of case " + std::to_string(caseId));
  }

 private:
  DbSqlSvr& m_server;
};

// Reads the cases of the group written infeasible, replays the group's cuts
// and writes every mark: the exported case's own into ownCase's case-set rows
// when given (its row is not written yet), else into the store with the rest.
void ShareMarks(CVornDbExportData& data, const CParametricChains& chains, std::int32_t exported,
                bool exportedInfeasible, IMarkStore& store, CDbCase* ownCase) {
  const std::vector<std::int32_t>& group = chains.GroupOf(exported);
  std::set<std::int32_t> cutters;
  for (std::int32_t member : group)
    if (member != exported && chains.CanCut(member)) cutters.insert(member);
  std::set<std::int32_t> infeasible;
  if (exportedInfeasible) infeasible.insert(exported);
  if (!cutters.empty())
    for (std::int32_t found : store.InfeasibleCases(data.m_nSolutionID, *cutters.begin(), *cutters.rbegin()))
      if (cutters.count(found)) infeasible.insert(found);
  const auto marks = chains.Replay(group, infeasible, *data.m_pModel, *data.m_paAssembledCases, *data.m_paScenarioLogics);
  for (const auto& [caseNumber, value] : marks) {
    if (caseNumber == exported && ownCase != nullptr) {
      for (CDbCaseSet* row : ownCase->m_paCaseSets)
        if (row != nullptr) row->m_nTruncated = value;
      continue;
    }
    store.SetTruncated(data.m_nSolutionID, caseNumber, value);
  }
}

}  // namespace

bool CVornDbExport::BeginParametricMarks() {
  m_nMarksCase = -1;
  m_bMarksCaseInfeasible = false;
  if (!m_pParametricChains || !m_pModel || !m_pDbManager || !m_paAssembledCases || !m_paScenarioLogics) return true;
  CDbSolution* solution = m_pDbManager->GetSolution();
  if (solution == nullptr || solution->m_paCases.IsEmpty() || solution->m_paCases[0] == nullptr) return true;
  CDbCase& exported = *solution->m_paCases[0];
  // A case no cut can start from or reach keeps its configured value, which the fill gave its row.
  if (m_pParametricChains->GroupOf(exported.m_nID).empty()) return true;
  m_nMarksCase = exported.m_nID;
  m_bMarksCaseInfeasible = !exported.m_paSolutionStates.IsEmpty() && exported.m_paSolutionStates[0] != nullptr &&
                           exported.m_paSolutionStates[0]->m_nSolutionStatus == kInfeasibleStatus;

  CModelSettings& settings = m_pModel->m_settings;
  if (!IsSqlServerDatabase(settings.m_DatabaseOutputFormat.GetValue(), settings.m_nDatabaseKindCache) ||
      !IsSqlServerOpen())
    return true;
  // The lock that orders the units of the run: the Access database's when one is written as well (the
  // run is recorded there), else the run's row on the server.
  const bool access = IsAccessDatabaseWritten(*m_pModel);
  try {
    if (access && m_pModel->m_daoDatabase && m_pModel->m_daoDatabase->InCase()) m_pModel->m_daoDatabase->HoldWriteLock();
  } catch (const CDaoException& e) {
    NoteDatabaseFailure(*this, "PrCaseSet", e);
    return false;
  }
  // Without a run key there is no run row: the process is alone with its cases.
  if (!access && !m_strRunKey.empty() && !m_pSqlServer->HoldRunRow(m_strRunKey)) {
    NoteDatabaseFailure(*this, "OstrelRuns", m_pSqlServer->TakeWriteFailure());
    return false;
  }
  try {
    CServerMarks store(*m_pSqlServer);
    ShareMarks(*this, *m_pParametricChains, m_nMarksCase, m_bMarksCaseInfeasible, store, &exported);
  } catch (const plat::odbc::Error& e) {
    NoteDatabaseFailure(*this, "PrCaseSet", std::string("the marks of the parametric chain: ") + e.what());
    return false;
  }
  return true;
}

bool CVornDbExport::EndParametricMarks(bool write) {
  const std::int32_t exported = std::exchange(m_nMarksCase, -1);
  if (!write || exported < 0 || !m_pParametricChains || !m_pModel || !IsAccessDatabaseWritten(*m_pModel)) return true;
  CDaoDatabase* database = m_pModel->m_daoDatabase.get();
  if (database == nullptr || !database->IsOpen() || !database->InCase()) return true;
  try {
    // Under the lock, so the tables and rows it reads are those the other processes committed.
    database->HoldWriteLock();
    CAccessMarks store(*database, m_pModel->m_settings.m_AlternateDatabaseCols.GetValue() != 0 ? "LG_" : "");
    ShareMarks(*this, *m_pParametricChains, exported, m_bMarksCaseInfeasible, store, nullptr);
  } catch (const CDaoException& e) {
    NoteDatabaseFailure(*this, "PrCaseSet", e);
    return false;
  }
  return true;
}
