#pragma once
// The export context of a worker: the data of the run (CVornDbExportData) and
// the database output of one solved case, which the worker calls after the
// case's settings rows are applied.

#include <memory>
#include <string>
#include <vector>

#include "caseset/vorn_db_export_data.h"

class CDbManager;
class CDbSolution;
class CParametricChains;

class CVornDbExport : public CVornDbExportData {
 public:
  // The logger stays the caller's; the export log and the SQL Server driver write through it.
  explicit CVornDbExport(ILogging* logging);
  ~CVornDbExport() override;

  // Reads the export configuration (CVornDbExportData) and names the run
  // from the job's identity, its SolutionID and RunID.
  bool ReadDataFromXmlFile(const char* path, bool useShortPlantTags);
  bool ReadDataFromXmlFile(const std::string& path, bool useShortPlantTags) {
    return ReadDataFromXmlFile(path.c_str(), useShortPlantTags);
  }

  // The database output of one case. skip: nothing happens (true). The
  // case's rows are written as one unit: a false result leaves none of them.
  // The once-per-database steps run with the case of the one process that
  // defines the run in the results database (firstCase where no results
  // database can tell). useGivenCase builds the case
  // object for givenCaseId/givenCaseName instead of the current case;
  // caseNumber is printed in the log and names the SQL Server export log;
  // limitPenalty sets LimitPenalty to 1. False when the SQL Server connection
  // is not open after its set-up, when filling or writing the result tables
  // fails, when any database operation of the case fails (GetDatabaseFailure
  // says which), when a legacy table writer fails, or when an input file the
  // case needs is there but cannot be read whole (GetDatabaseFailure names it). Nothing is thrown: an
  // exception inside the output fails the case as well, its rows rolled back,
  // and GetDatabaseFailure and the export log name it.
  bool WriteDatabaseOutput(bool firstCase, bool useGivenCase, int givenCaseId, std::string givenCaseName,
                           int caseNumber, bool skip, bool limitPenalty);

  // What is wrong with an input file that every case of the run reads from
  // the models' directories: each model's table index and table cache, and
  // the transfer data of a multi-plant model. Empty when each is absent or
  // reads whole. A worker checks this once before its first case: such a file
  // would fail every case, so it fails the start instead.
  std::string FindDamagedModelInput() const;

  // The Trancol export of a case (flag 1: only remove the case's Trancol file).
  // False when nothing was exported.
  bool ExportTrancol(int caseNumber, int unused, int flag);

  // Opens the SQL Server output once per process and names the export log
  // of the case; false, with the failure noted, for a refused connection string.
  bool InitializeSqlServerConnection(const std::string& modelDirectory, const std::string& connection,
                                     int caseNumber);
  // Whether the SQL Server output connection is open.
  bool IsSqlServerOpen() const;
  // Why the last case was not written: its first failed database operation (table and cause), or the
  // first input file it needed that is there but cannot be read (file and what is wrong); empty when none.
  const std::string& GetDatabaseFailure() const { return m_strDatabaseFailure; }
  // Whether the last case's output deleted an earlier row set of the same
  // (SolutionID, CaseID); cleared at the start of each WriteDatabaseOutput.
  bool HasReplacedEarlierRows() const { return m_bReplacedEarlierRows; }
  // The run key shared by the workers of one job.
  const std::string& GetRunKey() const { return m_strRunKey; }
  // The identity of the job (the same in every worker, new for every job, job_start.h); until it is set, the
  // export object is a job of its own.
  void SetJobIdentity(const std::string& jobId);

  // The start date of the first period: the first row's "StartDat" cell of
  // the model table PERIODS ("StartDate" with UseZelunMGOn); invalid (value 0)
  // when the table, the column or the value is missing.
  plat::OleDateTime GetPeriodStartDate(CVornModelFile* model);

  // 0 "Material_Purchases" .. 4 "Process_Submodel_Summary"; empty otherwise.
  static void GetReportSheetName(int kind, std::string& out);
  // kind 3 "SpecBlend_" + item, kind 4 "Submodel_" + item, else the sheet name.
  static void GetReportSheetKey(int kind, const std::string& item, std::string& out);
  // A message line to the host's message callback (entry 0 of m_pfnHostCallbacks), when there is one.
  int CallReadCallback(const char* text, int length, int kind);

  // The scenario logics after a case's result objects are built: each logic
  // whose assembled case has SelValue -1 or 0 gets the parametric check (and
  // cuts its chain when that holds) or else is compiled and takes the values
  // the case gives it.
  void ApplyAssembledCases(CDbSolution* solution);

 protected:
  // ---- The steps of the case output that the result objects and writers
  // carry out (vorn_db_export_case.cpp). Each returns true when it has nothing to do.
  // The main model, then the local models in document order.
  std::vector<CVornModelFile*> AllModels() const;
  // Builds the result objects of the case.
  bool FillCaseSolution(bool useGivenCase, int givenCaseId, const std::string& givenCaseName);
  // Writes the result tables of the case.
  bool WriteCaseSolution(bool firstCase);
  // Drops the result objects of the case.
  void ReleaseCaseSolution();
  // The spreadsheet-table list of one model (number from 1).
  bool WritePrSpreadsheetTables(CVornModelFile* model, int modelNumber);
  // The saved report queries of the first case.
  bool CreateReportQueries(CVornModelFile* model);
  // Reads the matrix file and writes the matrix tables.
  void WriteMatrixDatabase(const std::string& matrixPath, const std::string& solutionPath);
  // The legacy tables of a model, or of a reported local model (local true);
  // false at the first failing writer.
  bool WriteLegacyTables(CVornModelFile* model, bool local, bool firstCase);
  // The engine's local-model database output of a model, through the entry a
  // host installed; false when it answers anything but 0 or 1.
  bool RunEngineLocalModelOutput(const CVornModelFile& model);
  // The Zelun solution index whose nonlinear solution refines the matrix.
  int GetZelunSolutionIndex() const;

 private:
  // The database output of one case (WriteDatabaseOutput without its catch).
  bool WriteCaseOutput(bool firstCase, bool useGivenCase, int givenCaseId, std::string givenCaseName, int caseNumber,
                       bool skip, bool limitPenalty);
  // After an exception inside the output: notes it, drops the case's result
  // objects and rolls its unit back. False.
  bool FailCaseOutputAtException(int caseNumber, const char* cause) noexcept;
  // Begins the case's unit of output once; false after a noted failure.
  bool BeginCaseUnit(bool firstCase);
  // Ends it: commits when ok and nothing failed; the case's result.
  bool EndCaseUnit(bool ok);
  // An input file of the case that is there but cannot be read: notes the cause as the case's failure,
  // drops the case's result objects and rolls its unit back. False.
  bool FailCaseOnInput(const std::string& cause);

  // ---- The marks of parametric chains, shared through the results database
  // so that no case's "Truncated" depends on which process wrote which case
  // when (vorn_db_export_marks.cpp): each case of a chain's group, when it is
  // written, writes the marks of every case of the group from the cases of
  // the group found infeasible, under the results database's lock.
  // At the start of the case's unit: notes the case the result objects hold;
  // on the server, holds the run's lock and writes the marks of the case's
  // group, the case's own in its case-set row before that is written. False
  // after a noted failure.
  bool BeginParametricMarks();
  // Before the case's unit is committed (write true) into an Access
  // database: writes the marks of the case's group in its transaction.
  // Forgets the case in any event; false after a noted failure.
  bool EndParametricMarks(bool write);

  // The run key from the job's identity and the configuration's SolutionID and RunID.
  void MakeRunKey();

  std::string m_strJobId;
  std::string m_strRunKey;
  bool m_bReplacedEarlierRows = false;
  bool m_bCaseUnitOpen = false;
  bool m_bDefinesRun = false;
  // The SQL Server driver of the process (m_pSqlServer points at it).
  std::unique_ptr<DbSqlSvr> m_pSqlServerDriver;
  // ---- The result database manager of the case being output, from its
  // fill to its release (vorn_db_export_case.cpp).
  ErasedOwner<CDbManager> m_pDbManager{nullptr, nullptr};
  // The chains of the case set, read before the first case's logics ran.
  ErasedOwner<CParametricChains> m_pParametricChains{nullptr, nullptr};
  std::int32_t m_nMarksCase = -1;  // the case whose marks its unit writes; -1: none
  bool m_bMarksCaseInfeasible = false;
  // The local models whose legacy tables the case wrote: their databases are released after its commit.
  std::vector<CVornModelFile*> m_localModelsToClose;
};
