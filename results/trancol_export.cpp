#include "results/trancol_export.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>

#include "caseset/tags/extended_tag_processor.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "foundation/input_failure.h"
#include "modelfile/vorn_model_file.h"
#include "platform/string_table.h"
#include "results/trancol_file.h"
#include "results/vorn_db_export.h"
#include "standins/file_name_manager.h"
#include "tableio/db/db_connect_info.h"

namespace {

const plat::StringTableRegistrar kTrancolTexts(
    plat::StringTable::Program,
    {
        {kIdsTrancolWriting, "Writing Trancol reports for case: %s."},
        {kIdsTrancolCreating, "Creating TRANCOL Report...\n"},
        {kIdsTrancolNumericallySingular,
         "Error in TRANCOL calculation for case: %s. The sensitivity matrix is numerically singular."},
        {kIdsTrancolConfiguration,
         "Error in TRANCOL configuration for case: %s. Either no valid independent or no valid differentiable "
         "dependent variables were sepecified."},
        {kIdsTrancolEvaluationError,
         "Error in TRANCOL calculation for case: %s. There was an unexpected evaluation error during the "
         "sensitivity calculation."},
        {kIdsTrancolStructurallySingular,
         "Error in TRANCOL calculation for case: %s. The sensitivity matrix is structurally singular."},
        {kIdsTrancolDamagedFile, "Error in TRANCOL report for case: %s. The TRANCOL file is damaged."},
    });

constexpr double kNotSet = 1e30;

// The message with its "%s" replaced by the label; the text is never used as a format.
std::string TrancolMessage(std::uint32_t id, const std::string& label) {
  std::string text = plat::GetString(plat::StringTable::Program, id);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, label);
  return text;
}

void Report(CVornDbExport& exportData, const std::string& text) {
  exportData.CallReadCallback(text.c_str(), static_cast<int>(text.size()), 0);
}

// The message of a status that ends the export; none for a usable status.
std::uint32_t FailedStatusMessage(std::int32_t status) {
  switch (status) {
    case kTrancolOk:
    case kTrancolNumericallySingular: return 0;
    case kTrancolBadConfiguration: return kIdsTrancolConfiguration;
    case kTrancolStructurallySingular: return kIdsTrancolStructurallySingular;
    case kTrancolSingular: return kIdsTrancolNumericallySingular;
    default: return kIdsTrancolEvaluationError;
  }
}

// The rows of the report. Slots without a name give no row and no column, so
// entry k of every row stays the k-th named non-basis variable.
void BuildRows(const CTrancolData& data, CTranColRowArray& rows, std::vector<std::string>& columns) {
  const std::size_t basis = data.m_basisNames.size();
  columns.assign(1, "Cost");
  std::vector<std::size_t> named;
  for (std::size_t i = 0; i < data.m_nonBasisNames.size(); ++i) {
    if (!data.m_nonBasisNames[i]) continue;
    named.push_back(i);
    columns.push_back(*data.m_nonBasisNames[i]);
  }
  auto dj = std::make_unique<CTranColRow>("DJ");
  dj->m_values.reserve(named.size() + 1);
  dj->m_values.push_back(kNotSet);
  for (std::size_t i : named) dj->m_values.push_back(data.m_reducedCosts[i]);
  rows.Add(std::move(dj));
  for (std::size_t j = 0; j + 1 < basis; ++j) {
    if (!data.m_basisNames[j]) continue;
    auto row = std::make_unique<CTranColRow>(*data.m_basisNames[j]);
    row->m_values.reserve(named.size() + 1);
    row->m_values.push_back(j == 0 ? kNotSet : data.m_costs[j]);
    for (std::size_t i : named) row->m_values.push_back(-data.m_matrix[i * basis + j]);
    rows.Add(std::move(row));
  }
}

int Length(const char* text) { return static_cast<int>(std::char_traits<char>::length(text)); }

class CTrancolTable {
 public:
  explicit CTrancolTable(CVornDbExportData& exportData) : m_data(exportData) {}

  struct Field {
    const char* name;
    char kind;  // 'L', 'T' or 'D'
  };

  bool Open(const char* table, std::initializer_list<Field> fields) {
    const CVornModelFile& model = *m_data.m_pModel;
    std::int32_t existing = 0;
    m_pTable = COpenTable(m_data, table, Length(table), model.m_strModelName.c_str(),
                          static_cast<int>(model.m_strModelName.size()), 0, &existing);
    if (m_pTable == nullptr) return false;
    if (!IsAccessDatabase(model.m_settings.m_DatabaseOutputFormat.GetValue()) &&
        model.m_settings.m_CreateAccessDbAlso.GetValue() == 0)
      return true;
    for (const Field& field : fields) {
      const int length = Length(field.name);
      const int ok = field.kind == 'L'   ? CDefineLongIntegerField(m_data, m_pTable, field.name, length, true)
                     : field.kind == 'T' ? CDefineTextField(m_data, m_pTable, field.name, length, 110, true)
                                         : CDefineDoubleField(m_data, m_pTable, field.name, length, true);
      if (ok == 0) return false;
    }
    return CEndDefineFields(m_data, m_pTable, true) != 0;
  }

  bool New() { return CAddNewRecord(m_data, m_pTable) != 0; }
  bool Long(const char* field, std::int32_t value) {
    return CSetIntegerValue(m_data, m_pTable, field, Length(field), value) != 0;
  }
  bool Text(const char* field, const std::string& text) {
    return CSetTextValue(m_data, m_pTable, field, Length(field), text.c_str(), static_cast<int>(text.size())) != 0;
  }
  bool Double(const char* field, double value) {
    return CSetDoubleValue(m_data, m_pTable, field, Length(field), value) != 0;
  }
  bool Update() { return CUpdateRecord(m_data, m_pTable, nullptr) != 0; }

 private:
  CVornDbExportData& m_data;
  COutputTable* m_pTable = nullptr;
};

}  // namespace

int CTranColRow::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CTranColRow>(a)->m_strName, SlotElement<CTranColRow>(b)->m_strName);
}

int CLPCol::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CLPCol>(a)->m_strName, SlotElement<CLPCol>(b)->m_strName);
}

std::string TrancolCaseLabel(int caseNumber) {
  return caseNumber < 1 ? std::string("Base Case") : "Case " + std::to_string(caseNumber);
}

bool ExportTrancolFile(CVornDbExport& exportData, int caseNumber, const CLPColArray* lpColumns, bool deleteOnly) {
  if (exportData.m_pModel == nullptr) return false;
  std::string path;
  {
    const std::unique_ptr<IFileNameManager> names = IMiskel::CreateFileNameManager();
    if (names == nullptr) return false;
    path = CombinePath(exportData.m_pModel->m_strModelDir, names->GetTrancolFileName(caseNumber));
  }
  const std::string label = TrancolCaseLabel(caseNumber);
  if (deleteOnly) {
    std::remove(path.c_str());
    return false;
  }

  Report(exportData, TrancolMessage(kIdsTrancolCreating, label));
  // The start names the case being output, or the base case when there is none; the number stays in the text.
  Report(exportData, TrancolMessage(kIdsTrancolWriting, exportData.m_pCurrentCase != nullptr
                                                            ? "Case " + std::to_string(caseNumber)
                                                            : std::string("Base Case")));
  exportData.CallReadCallback("", 1, 0);

  std::vector<std::uint8_t> bytes;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::remove(path.c_str());
      return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::remove(path.c_str());

  CTrancolData data;
  if (ParseTrancolData(bytes, data) == TrancolParse::Damaged) {
    // The case's Trancol rows would go missing: the case that reads the file fails.
    NoteInputFailure("the Trancol file " + path + " is damaged: it ends before its counts or a name is no text");
    Report(exportData, TrancolMessage(kIdsTrancolDamagedFile, label));
    return false;
  }
  if (const std::uint32_t failure = FailedStatusMessage(data.m_nStatus)) {
    Report(exportData, TrancolMessage(failure, label));
    return false;
  }
  if (data.m_nStatus == kTrancolNumericallySingular)
    Report(exportData, TrancolMessage(kIdsTrancolNumericallySingular, label));
  if (!data.HasData()) return false;

  CTranColRowArray rows;
  std::vector<std::string> columns;
  BuildRows(data, rows, columns);
  ILogging* log = exportData.m_pLogging;
  if (log != nullptr) log->SetFileName(MakeCaseFileName("DbExport", caseNumber, ".log"));
  WriteTrancolTables(exportData, rows, columns, lpColumns);
  // The rows still held would keep the results file locked while this worker solves its next case.
  FlushOutputTables(exportData);
  if (log != nullptr) log->SetFileName(MakeCaseFileName("DbExport", -1, ".log"));
  return true;
}

bool WriteTrancolTables(CVornDbExportData& exportData, const CTranColRowArray& rows,
                        const std::vector<std::string>& columns, const CLPColArray* lpColumns) {
  CVornModelFile* model = exportData.m_pModel.get();
  if (model == nullptr) return false;
  CModelSettings& settings = model->m_settings;
  if (rows.IsEmpty() || (settings.m_TRNCLXLS.GetValue() == 0 && settings.m_TranColReportOn.GetValue() == 0))
    return true;

  CTrancolTable basis(exportData);
  CTrancolTable nonBasis(exportData);
  if (!basis.Open("PrTrancolBasis",
                  {{"SolutionID", 'L'}, {"CaseID", 'L'}, {"SequenceID", 'L'}, {"BasisName", 'T'}, {"Cost", 'D'}}) ||
      !nonBasis.Open("PrTrancolNonBasis", {{"SolutionID", 'L'},
                                           {"CaseID", 'L'},
                                           {"SequenceID", 'L'},
                                           {"ColumnID", 'L'},
                                           {"NonBasisName", 'T'},
                                           {"Value", 'D'}}))
    return false;

  const std::int32_t solutionId = exportData.m_nSolutionID;
  int caseId = 0;
  std::string caseTitle;
  exportData.GetCurrentCase(caseId, caseTitle);
  const bool extendedTags = settings.m_UseExtendedTagsOn.GetValue() != 0 && exportData.m_pTagProcessor != nullptr;
  const std::int32_t modelType = settings.m_ModelType.GetValue();

  for (std::size_t k = 1; k < columns.size(); ++k) {
    std::string nonBasisName = columns[k];
    if (extendedTags && lpColumns != nullptr) {
      const CLPCol probe(nonBasisName);
      nonBasisName = lpColumns->Find(&probe) != nullptr
                         ? exportData.m_pTagProcessor->ParseColumnName(modelType, nonBasisName, true)
                         : exportData.m_pTagProcessor->ParseRowName(modelType, nonBasisName, true);
    }
    for (int i = 0; i < rows.GetSize(); ++i) {
      const CTranColRow* row = rows[i];
      if (k == 1) {
        std::string basisName = row->m_strName;
        if (extendedTags && basisName.size() >= 3)
          basisName = exportData.m_pTagProcessor->ParseColumnName(modelType, basisName, true);
        const double cost = row->m_values.empty() ? kNotSet : row->m_values[0];
        if (!basis.New() || !basis.Long("SolutionID", solutionId) || !basis.Long("CaseID", caseId) ||
            !basis.Long("SequenceID", i) || !basis.Text("BasisName", basisName) ||
            (cost != kNotSet && !basis.Double("Cost", cost)) || !basis.Update())
          return false;
      }
      if (!nonBasis.New() || !nonBasis.Long("SolutionID", solutionId) || !nonBasis.Long("CaseID", caseId) ||
          !nonBasis.Long("SequenceID", i) || !nonBasis.Long("ColumnID", static_cast<std::int32_t>(k)) ||
          !nonBasis.Text("NonBasisName", nonBasisName) ||
          (k < row->m_values.size() && !nonBasis.Double("Value", row->m_values[k])) || !nonBasis.Update())
        return false;
    }
  }

  if (IsSqlServerDatabase(settings.m_DatabaseOutputFormat.GetValue(), settings.m_nDatabaseKindCache) &&
      exportData.m_pSqlServer != nullptr)
    exportData.m_pSqlServer->UpdateTableDataToDatabase(nullptr);
  return true;
}
