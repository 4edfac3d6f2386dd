// LGPRIMLR and LGPRIMLC: every row and column of the solved matrix, read
// from the solver's solution file (single precision, 9-character names).

#include <fstream>
#include <iterator>
#include <sstream>

#include "caseset/config/vorn_period.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "modelfile/vorn_model_file.h"
#include "caseset/modeltables/model_database.h"
#include "platform/string_table.h"
#include "results/objects/solverfiles/case_solver_file.h"
#include "results/objects/solverfiles/raw_solution_file.h"
#include "standins/file_name_manager.h"
#include "writers/legacy/legacy_table.h"
#include "writers/legacy/legacy_tables.h"
#include "writers/schema/table_definition.h"

namespace {

const plat::StringTableRegistrar kPrimalTexts(
    plat::StringTable::Program,
    {
        {kIdsSolutionFileCounts, "The file %1 is damaged: its counts do not fit its length."},
        {kIdsSolutionFileNotOpened, "Unable to open the solution file %1."},
    });

constexpr float kNotSetF = 1.0e30f;

void ReportToHost(CVornDbExportData& exportData, std::uint32_t id, const std::string& path) {
  const std::string text = FormatString1(plat::GetString(plat::StringTable::Program, id), path);
  PFNHOSTCALLBACK callback = exportData.m_pfnMessageCallback ? exportData.m_pfnMessageCallback
                                                             : exportData.m_pfnHostCallbacks[0];
  if (callback) callback(text.c_str(), static_cast<int>(text.size()), 2);
}

bool IsPeriodCode(const CVornDbExportData& exportData, char code) {
  if (!exportData.m_paPeriods) return false;
  for (const CVornPeriod* period : *exportData.m_paPeriods)
    if (period && period->m_strCode.size() == 1 && period->m_strCode[0] == code) return true;
  return false;
}

// The period code of an entry by the model type; for global multi-period
// rows balanceSeen follows the first "?BAL" row.
std::string PeriodOf(const CVornDbExportData& exportData, std::int32_t modelType, bool row, const std::string& name,
                     bool& balanceSeen) {
  switch (modelType) {
    case 0:
    case 2:
      return "0";
    case 1:
      return name.size() == 8 ? name.substr(7, 1) : "";
    case 3:
      break;
    default:
      return "";
  }
  if (name == "OBJFN" || name == "MINOBJ") return "";
  if (!row) {
    if (name.size() > 8 && name.rfind("ASUP", 0) == 0) return name.substr(8, 1);
    return name.size() > 7 ? name.substr(7, 1) : "";
  }
  if (name.size() < 8) return "";
  if (!balanceSeen && name.compare(1, 3, "BAL") == 0) {
    balanceSeen = true;
    return name.substr(7, 1);
  }
  if (!balanceSeen && name.size() > 8 && !(name.rfind("EPUR", 0) == 0 && IsPeriodCode(exportData, name[7])))
    return name.substr(8, 1);
  return name.substr(7, 1);
}

bool WriteEntries(CVornDbExportData& exportData, CVornModelFile& model, bool rows,
                  const std::vector<CRawSolutionRecord>& entries, std::int32_t caseNumber, bool& balanceSeen) {
  LegacyTable table(exportData, model, rows ? "LGPRIMLR" : "LGPRIMLC");
  const char* names[] = {"ACTIVITY", rows ? "SLACK" : "COST", rows ? "LORHS" : "LOBND", rows ? "HIRHS" : "HIBND",
                         "MARVALUE"};
  if (!(table.DefineText("RUNID", 4) && table.DefineShort("CASE") && table.DefineText("PERIOD", 1) &&
        table.DefineText("NAME", 9) && table.DefineText("STATUS", 2)))
    return false;
  for (const char* name : names)
    if (!table.DefineDouble(name)) return false;
  if (!table.EndDefine()) return false;

  const std::int32_t modelType = model.m_settings.m_ModelType.GetValue();
  for (const CRawSolutionRecord& entry : entries) {
    // Values 1 to 5 are cleaned; a column's sixth, which stands in for a zero cost, is taken as read.
    double v[5];
    for (int i = 0; i < 5; ++i) v[i] = ZeroIfTinyF(static_cast<float>(entry.m_aValues[i]));
    double second = v[1];
    if (!rows && second == 0.0) second = entry.m_aValues[5];
    const std::string period = TrimRight(PeriodOf(exportData, modelType, rows, entry.m_strName, balanceSeen));
    bool ok = table.Add() && table.SetText("RUNID", exportData.m_strRunID) && table.SetShort("CASE", caseNumber) &&
              (period.empty() || table.SetText("PERIOD", period)) && table.SetText("NAME", entry.m_strName) &&
              table.SetText("STATUS", GetStatusText(entry.m_nStatus)) && table.SetDouble(names[0], v[0]) &&
              table.SetDouble(names[1], second) &&
              (static_cast<float>(v[2]) == -kNotSetF || table.SetDouble(names[2], v[2])) &&
              (static_cast<float>(v[3]) == kNotSetF || table.SetDouble(names[3], v[3])) &&
              table.SetDouble(names[4], v[4]) && table.Update();
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string GetStatusText(std::int32_t status) {
  static const char* const kTexts[] = {"FR", "BS", "EQ", "UL", "LL", "**", "  ", "++"};
  if (status < 0) return "";
  if (status == 0 || status > 8) status = 7;
  return kTexts[status - 1];
}

bool WritePrimalTables(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model)) return true;
  const bool sked = IsVornSkedModel(model);
  const bool rows = sked || model.m_settings.m_CreateLGPRIMLR.GetValue() != 0;
  const bool columns = sked || model.m_settings.m_CreateLGPRIMLC.GetValue() != 0;
  if (!rows && !columns) return true;

  int caseNumber = 0;
  std::string title;
  exportData.GetCurrentCase(caseNumber, title);
  const std::string caseFile = IMiskel::CreateFileNameManager()->GetSolutionFileName(caseNumber);
  const std::string path = ChooseCaseSolverFile(caseNumber, exportData.BuildFilePath(model.m_strModelName, caseFile),
                                                exportData.BuildFilePath(model.m_strModelName, "Solution.Fil"));
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    NoteInputFailure("the solution file " + path + " cannot be opened");
    ReportToHost(exportData, kIdsSolutionFileNotOpened, path);
    return false;
  }
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  file.close();
  // The file comes from the solver: its counts are checked against its length.
  CRawSolutionFile contents;
  std::string error;
  if (!contents.Parse(bytes, CSolutionFileLayout{}, error)) {
    NoteInputFailure("the solution file " + path + " is damaged: its counts do not fit its length");
    ReportToHost(exportData, kIdsSolutionFileCounts, path);
    return false;
  }
  bool balanceSeen = false;
  if (rows && !WriteEntries(exportData, model, true, contents.m_aRows, caseNumber, balanceSeen)) return false;
  if (columns && !WriteEntries(exportData, model, false, contents.m_aColumns, caseNumber, balanceSeen)) return false;
  return true;
}
