#pragma once
// The Access result database of each model of the run: where its file lies,
// opening or creating it, finding or making its result tables on first use
// (kept, tested, or dropped and made anew), the clean-up of the selected
// cases' old rows, key indexes, saved queries, the ODBC connection some
// writers use, closing, the in-use test of the file and the listing of DAO
// errors. Failures are shown by message id, set the error flag and return
// false (or null).

#include <cstdint>
#include <string>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "platform/dao.h"
#include "platform/odbc_database.h"

class CVornModelFile;

// Shared-resource message ids of the Access result database.
inline constexpr std::uint32_t kIdsDbOperationFailed = 2559;  // two insertions
inline constexpr std::uint32_t kIdsCannotOpenResultDb = 2567;
inline constexpr std::uint32_t kIdsCannotCreateTable = 2568;
inline constexpr std::uint32_t kIdsCloseOtherProgram = 2569;
inline constexpr std::uint32_t kIdsCannotOpenDbFile = 2570;
inline constexpr std::uint32_t kIdsDbFileInUse = 2571;

// Records a failed operation of the case being written: sets the error flag
// and keeps the first failure (table and cause) for the worker's log.
void NoteDatabaseFailure(CVornDbExportData& exportData, const std::string& table, const std::string& cause);
void NoteDatabaseFailure(CVornDbExportData& exportData, const std::string& table, const CDaoException& exception);

// The run table of an Access results database: one row per run whose
// once-per-database tables and rows are in it.
inline constexpr const char* kRunTable = "OstrelRuns";

// Begins the output of a case: the main model's Access database (opened or
// created when the results go there) takes the write lock and holds the
// case's rows in one transaction; every other database joins at its opening
// (JoinCaseOutput). definesRun is true when runKey has no row in the run
// table yet: the row is added in the case's transaction and this process
// writes the run's once-per-database tables and rows with the case, each
// replacing the rows of its solution (or legacy run) written before. When a
// database of the case takes the write lock, the case's earlier rows
// (exportData's m_nUnitCaseID) go from each of its tables before its own
// rows go in. False after a noted failure.
bool BeginCaseOutput(CVornDbExportData& exportData, const std::string& runKey, bool& definesRun);
// A database opened while a case is written holds the case's rows in its
// transaction too. Throws CDaoException.
void JoinCaseOutput(CVornDbExportData& exportData, CDaoDatabase& database);
// Ends the output of a case: commits (commit true) every database of the
// run's models that holds the case, main model first, or rolls them back.
// False after a noted failure of a commit.
bool EndCaseOutput(CVornDbExportData& exportData, bool commit);

// A model's database: the directory chosen by its DatabaseDirectory setting
// (0 or 1: home/model name, 2: home, 3: DatabaseSharedDir when it exists,
// else as 1; other values: none), "/" and its DatabaseOutputFile. Empty when
// DatabaseOutputFile is not a file name (it holds a folder, or is empty, "."
// or ".."): the openers then fail the case with a cause that names the setting.
std::string GetModelResultDatabasePath(const CVornModelFile& model, const std::string& homeDirectory);
// DatabaseLogDir when it exists, else the home directory, + "/LGLOG11.Mdb".
std::string GetDefaultResultDatabasePath(const CVornDbExportData& exportData);

// Opens (creating it when missing) the Access database of model (null: the
// main model) when its output is Access, and starts the SQL Server output
// when it is SQL Server. True at once when tables holds a handle already.
bool OpenOrCreateResultDatabase(CVornDbExportData& exportData, CVornModelFile* model, bool useDefault,
                                const std::string& homeDirectory, CDaoDatabase& database, COutputTableArray& tables);

// The handle of table in tables (exact name), or a new one, appended: its
// table is tested, dropped when asked, made when missing, and the selected
// cases' rows are cleaned up. existing is 1 for a handle found again. Null on
// a failure (a locked table keeps its new handle in the list).
COutputTable* FindOrCreateOutputTable(CVornDbExportData& exportData, CVornModelFile* model, const std::string& table,
                                      bool deleteTables, CDaoDatabase& database, COutputTableArray& tables,
                                      const std::vector<std::int32_t>* selectedCases, std::int32_t& existing,
                                      std::int32_t& errorFlag);

// The clean-ups of a table's first opening; failures are ignored. True.
bool DeleteSelectedCaseRows(CVornDbExportData& exportData, const std::string& table, CVornModelFile* model,
                            CDaoDatabase& database, const std::vector<std::int32_t>* selectedCases);
bool DeleteUnreferencedSolutionRows(CVornDbExportData& exportData, const std::string& table, CVornModelFile* model,
                                    CDaoDatabase& database, const std::vector<std::int32_t>* selectedCases);

// Resets the process locale to the user's default, deletes every handle and
// closes the database; false (error flag set) when closing fails.
bool CloseDatabase(CDaoDatabase& database, COutputTableArray& tables, std::int32_t& errorFlag);

// Opens the ODBC connection to the model's (null: the main model's) Access
// database, and starts the SQL Server output when that is the model's kind.
bool OpenResultDatabaseConnection(CVornDbExportData& exportData, CVornModelFile* model,
                                  const std::string& homeDirectory, CDatabase& database, bool useDefault);

// One index named after the table (stored as table + "_Key") over the key
// columns, ascending, when the table has none yet.
bool CreateDaoTableIndex(CDaoTableDef& tableDef, const std::string& table, const std::vector<std::string>& keyColumns);

// Replaces a saved query and adds its name to names (when given).
bool CreateOrReplaceQueryDef(CDaoDatabase& database, const std::string& name, const std::string& sql,
                             std::vector<std::string>* names);
bool DeleteQueryDef(CDaoDatabase& database, const std::string& name);
// Drops the table when the database is open; failures are ignored. True.
bool DropDaoTable(CDaoDatabase& database, const std::string& table);

// True (after a message) when another program holds the file so that it
// cannot be opened for writing; false when it can, or it does not exist.
bool IsDatabaseFileInUse(const std::string& path, const CVornModelFile* model);

// Shows each error of the exception, last first, as "code-description".
void ReportDaoErrors(const CDaoException& exception);

// Message id with its insertions, from the shared-resource texts.
bool ShowSharedError(std::uint32_t id, const std::string& a, const std::string& b);
bool ShowSharedError(std::uint32_t id, const std::string& a, const std::string& b, const std::string& c);
