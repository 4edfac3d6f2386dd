#include "writers/matrix/matrix_tables.h"

#include <clocale>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "caseset/config/assembled_case.h"
#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "foundation/input_failure.h"
#include "foundation/locale_switch.h"
#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "platform/dao.h"
#include "platform/exceptions.h"
#include "platform/odbc_handles.h"
#include "platform/odbc_database.h"
#include "platform/string_table.h"
#include "standins/tresk.h"
#include "tableio/db/db_connect_info.h"
#include "tableio/io_table.h"
#include "writers/schema/result_schema.h"

namespace {

const plat::StringTableRegistrar kMatrixTexts(plat::StringTable::Shared,
                                              {{kIdsCannotOpenMatrixFile, "Unable to open the file: %1"}});

constexpr double kNotSet = 1e30;
// The model of a solution's row, by its identifier.
constexpr const char* kSolutionModelSql = "SELECT \"ModelID\" FROM \"PrSolution\" WHERE \"SolutionID\" = ?";

int Length(const char* text) { return static_cast<int>(std::char_traits<char>::length(text)); }

// One matrix table: opened, defined when an Access database is written, then
// written record by record with the keys of the solution.
class CMatrixTable {
 public:
  CMatrixTable(CVornDbExportData& exportData, std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId)
      : m_data(exportData), m_nSolutionID(solutionId), m_nCaseID(caseId), m_nNodeID(nodeId) {}

  // Opens the table; defines its catalogued fields when an Access database is written. The definitions
  // report their errors, but those of the Type columns.
  bool Open(const char* table) {
    const std::string& modelName = m_data.m_pModel->m_strModelName;
    std::int32_t existing = 0;
    m_pTable = COpenTable(m_data, table, Length(table), modelName.c_str(), static_cast<int>(modelName.size()), 0,
                          &existing);
    if (m_pTable == nullptr) return false;
    const CModelSettings& settings = m_data.m_pModel->m_settings;
    if (!IsAccessDatabase(settings.m_DatabaseOutputFormat.GetValue()) && settings.m_CreateAccessDbAlso.GetValue() == 0)
      return true;
    const ResultTable* definition = FindResultTable(table);
    if (definition == nullptr) return false;
    for (const ResultField& field : definition->fields) {
      const int length = Length(field.name);
      const bool report = std::string_view(field.name) != "Type";
      int ok = 0;
      switch (field.kind) {
        case FieldKind::Long: ok = CDefineLongIntegerField(m_data, m_pTable, field.name, length, report); break;
        case FieldKind::Text: ok = CDefineTextField(m_data, m_pTable, field.name, length, field.size, report); break;
        case FieldKind::Double: ok = CDefineDoubleField(m_data, m_pTable, field.name, length, report); break;
        default: break;
      }
      if (ok == 0) return false;
    }
    return CEndDefineFields(m_data, m_pTable, true) != 0;
  }

  // A new record with its three keys set.
  bool Begin() {
    return CAddNewRecord(m_data, m_pTable) != 0 && Long("SolutionID", m_nSolutionID) && Long("CaseID", m_nCaseID) &&
           Long("NodeID", m_nNodeID);
  }
  bool Long(const char* field, std::int32_t value) {
    return CSetIntegerValue(m_data, m_pTable, field, Length(field), value) != 0;
  }
  bool Text(const char* field, std::string_view text) {
    return CSetTextValue(m_data, m_pTable, field, Length(field), text.data(), static_cast<int>(text.size())) != 0;
  }
  bool Double(const char* field, double value) {
    return CSetDoubleValue(m_data, m_pTable, field, Length(field), value) != 0;
  }
  bool End() { return CUpdateRecord(m_data, m_pTable, nullptr) != 0; }

 private:
  CVornDbExportData& m_data;
  std::int32_t m_nSolutionID;
  std::int32_t m_nCaseID;
  std::int32_t m_nNodeID;
  COutputTable* m_pTable = nullptr;
};

bool WriteRowValues(CMatrixTable& table, const char* name, const CMpsRowValArray& values) {
  if (!table.Open(name)) return false;
  for (int i = 0; i < values.GetSize(); ++i) {
    const CMpsRowVal* value = values[i];
    if (!table.Begin() || !table.Long("SequenceIDRow", i) || !table.Text("Row", value->m_strName) ||
        !table.Double("Value", value->m_dValue) || !table.End())
      return false;
  }
  return true;
}

bool IsSqlServerOutput(CVornModelFile& model) {
  return IsSqlServerDatabase(model.m_settings.m_DatabaseOutputFormat.GetValue(), model.m_settings.m_nDatabaseKindCache);
}

}  // namespace

bool ReadNlpSolutionFile(const char* path, CNLPColArray& columns) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  ReadNlpSolutionText(in, columns);
  return true;
}

bool ReadMpsFile(const char* matrixPath, CMpsFile* output, const char* nlpSolutionPath) {
  std::ifstream file(matrixPath, std::ios::binary);
  if (!file) return ShowErrorMessage(FormatString1(LoadTreskString(kIdsCannotOpenMatrixFile), matrixPath));
  std::ostringstream bytes;
  bytes << file.rdbuf();
  // A matrix file cut short or damaged would leave rows out of the matrix tables: the case fails instead.
  if (const std::string damage = TextFileDamage(bytes.str()); !damage.empty()) {
    NoteInputFailure("the matrix file " + std::string(matrixPath) + " is damaged: " + damage);
    return false;
  }
  std::istringstream matrix(bytes.str());
  const CLocaleSwitch numeric(LC_NUMERIC, "C");
  std::ifstream solution;
  if (nlpSolutionPath != nullptr && *nlpSolutionPath != '\0') solution.open(nlpSolutionPath, std::ios::binary);
  // A missing nonlinear solution file leaves the INITIAL values as they are.
  ReadMpsText(matrix, *output, solution.is_open() ? &solution : nullptr);
  return true;
}

bool WriteMpsTables(CVornDbExportData& exportData, CMpsFile& matrix) {
  CVornModelFile* model = exportData.m_pModel.get();
  if (model == nullptr) return false;
  const std::int32_t solutionId = exportData.m_nSolutionID;
  const std::int32_t nodeId = GetSolutionModelID(exportData, solutionId);
  int caseId = 0;
  std::string caseTitle;
  exportData.GetCurrentCase(caseId, caseTitle);
  CMatrixTable table(exportData, solutionId, caseId, nodeId);

  if (!table.Open("PrMpsRows")) return false;
  for (int i = 0; i < matrix.m_paRows.GetSize(); ++i) {
    const CMpsRow* row = matrix.m_paRows[i];
    const char type = row->m_cType == 'R' ? 'L' : row->m_cType;
    if (!table.Begin() || !table.Long("SequenceIDRow", i) || !table.Text("Row", row->m_strName) ||
        !table.Text("Type", std::string_view(&type, 1)) || !table.End())
      return false;
  }

  if (!table.Open("PrMpsCols")) return false;
  for (int i = 0; i < matrix.m_paCols.GetSize(); ++i) {
    const CMpsCol* column = matrix.m_paCols[i];
    for (int j = 0; j < column->m_paRowVals.GetSize(); ++j) {
      const CMpsRowVal* entry = column->m_paRowVals[j];
      if (!table.Begin() || !table.Long("SequenceIDCol", i) || !table.Long("SequenceIDRow", j) ||
          !table.Text("Col", column->m_strName) || !table.Text("Row", entry->m_strName) ||
          !table.Double("Value", entry->m_dValue) || !table.End())
        return false;
    }
  }

  if (!WriteRowValues(table, "PrMpsRhs", matrix.m_paRhs) || !WriteRowValues(table, "PrMpsRange", matrix.m_paRanges))
    return false;

  if (!table.Open("PrMpsBound")) return false;
  std::string_view type;
  for (int i = 0; i < matrix.m_paBounds.GetSize(); ++i) {
    const CMpsBound* bound = matrix.m_paBounds[i];
    const int code = bound->m_nType;
    const bool known = code >= 0 && code < kMpsBoundTypeCount;
    if (known) type = kMpsBoundTypes[code];
    const bool lower = known && MpsBoundSetsLower(code) && bound->m_dValue != kNotSet;
    const bool upper = known && MpsBoundSetsUpper(code) && bound->m_dValue != kNotSet;
    if (!table.Begin() || !table.Long("SequenceIDCol", i) || !table.Text("Col", bound->m_strColName) ||
        !table.Text("Type", type) || (lower && !table.Double("Lower", bound->m_dValue)) ||
        (upper && !table.Double("Upper", bound->m_dValue)) || !table.End())
      return false;
  }

  if (IsSqlServerOutput(*model) && exportData.m_pSqlServer != nullptr)
    exportData.m_pSqlServer->UpdateTableDataToDatabase(nullptr);
  return true;
}

std::int32_t GetSolutionModelID(CVornDbExportData& exportData, std::int32_t solutionId) {
  CVornModelFile* model = exportData.m_pModel.get();
  if (model == nullptr) return 1;
  // The row this process wrote is not seen by other connections before its case commits: without it the
  // model of the run's defining case would be 1, and the run's rows would depend on which worker defined it.
  const auto orWritten = [&](std::optional<std::int32_t> found) {
    if (found) return *found;
    return exportData.m_nWrittenSolutionID == solutionId ? exportData.m_nWrittenSolutionModelID : 1;
  };
  const std::string key = std::to_string(solutionId);
  CDatabase database;
  std::unique_ptr<CIoTable> table;
  try {
    if (IsSqlServerOutput(*model)) {
      if (exportData.m_pSqlServer == nullptr) return orWritten(std::nullopt);
      // A statement with quoted names: the server's tables have names in mixed case, which an unquoted name
      // does not find on every server.
      std::optional<std::int32_t> found;
      try {
        const std::vector<std::int32_t> models = exportData.m_pSqlServer->QueryIntegers(kSolutionModelSql, {solutionId});
        if (!models.empty()) found = models.back();
      } catch (const plat::odbc::Error&) {
      }
      exportData.m_pSqlServer->CloseConnection();
      return orWritten(found);
    } else if (model->m_daoDatabase && model->m_daoDatabase->IsOpen()) {
      // The case's own connection to the results database, after the rows of the table API's open batch.
      FlushOutputTables(exportData);
      CDaoDatabase& own = *model->m_daoDatabase;
      std::vector<std::int64_t> models;
      // The file's columns carry the "LG_" prefix with AlternateDatabaseCols on.
      const std::string prefix = model->m_settings.m_AlternateDatabaseCols.GetValue() != 0 ? "LG_" : "";
      if (own.TableExists("PrSolution"))
        own.ExecuteWithIntegers("SELECT \"" + prefix + "ModelID\" FROM \"PrSolution\" WHERE \"" + prefix +
                                    "SolutionID\" = ?",
                                {solutionId}, &models);
      if (models.empty()) return orWritten(std::nullopt);
      return static_cast<std::int32_t>(models.back());
    } else {
      // The solution row may still sit in the table API's open batch, which another connection does not see.
      FlushOutputTables(exportData);
      if (OpenResultDatabaseConnection(exportData, nullptr, exportData.m_strHomeDirectory, database, false))
        table = std::make_unique<CIoTable>(&database, "PrSolution", "SolutionID", key, "ModelID", 8);
      if (database.IsOpen()) database.Close();
    }
    if (table == nullptr || table->GetRowCount() == 0) return orWritten(std::nullopt);
    return table->GetCellLong(table->GetRowCount() - 1, 0);
  } catch (const CException&) {
    return orWritten(std::nullopt);
  }
}

std::int32_t GetZelunSolutionIndex(const CVornDbExportData& exportData) {
  const CVornModelFile* model = exportData.m_pModel.get();
  const std::int32_t basisIn = model != nullptr ? model->m_settings.m_Nimbo_BasisIn.GetValue() : 0;
  const CAssembledCase* current = exportData.m_pCurrentCase;
  if (current == nullptr || current->m_nLoadSol < 0 || model == nullptr) return basisIn;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".%03d", current->m_nLoadSol);
  return FileExists(exportData.GetModelFilePath(std::string("Zelun_Solution") + suffix)) ? current->m_nLoadSol
                                                                                         : basisIn;
}
