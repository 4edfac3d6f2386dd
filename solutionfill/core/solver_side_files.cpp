#include "solutionfill/core/solver_side_files.h"

#include <fstream>
#include <memory>
#include <sstream>

#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "foundation/string_utils.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "results/objects/solverfiles/case_solver_file.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/solution_file.h"
#include "solutionfill/core/table_map_dimensions.h"
#include "standins/file_name_manager.h"
#include "tableio/db/db_connect_info.h"

namespace {

template <class Record>
Record& AttachedRecord(std::vector<std::unique_ptr<CObject>>& objects) {
  for (const auto& object : objects)
    if (auto* record = dynamic_cast<Record*>(object.get())) return *record;
  objects.push_back(std::make_unique<Record>());
  return static_cast<Record&>(*objects.back());
}

bool UsesManagedSideFiles(const CVornDbExportData& exportData, const CModelSettings& settings) {
  int sqlServerAnswer = -1;
  const std::size_t selected = exportData.m_paSelectedCases ? exportData.m_paSelectedCases->size() : 0;
  return IsSqlServerDatabase(settings.m_DatabaseOutputFormat.GetValue(), sqlServerAnswer) &&
         settings.m_CreateAccessDbAlso.GetValue() == 0 && settings.m_UseZelunMGOn.GetValue() != 0 && selected > 1 &&
         settings.m_Zelun_GO_ProveGlobalOptimalityOn.GetValue() == 0;
}

template <class NameOf>
std::string SideFilePath(CVornDbExportData& exportData, const CVornModelFile& model, std::int32_t caseNumber,
                         const char* plainName, NameOf managedName) {
  const CVornModelFile& main = exportData.m_pModel ? *exportData.m_pModel : model;
  if (exportData.m_nExportKind == 2) return CombinePath(model.m_strModelDir, managedName(caseNumber));
  if (UsesManagedSideFiles(exportData, main.m_settings))
    return exportData.BuildFilePath(model.m_strModelName, managedName(caseNumber));
  return ChooseCaseSolverFile(caseNumber, exportData.BuildFilePath(model.m_strModelName, managedName(caseNumber)),
                              exportData.BuildFilePath(model.m_strModelName, plainName));
}

// A side file shorter than its counts fails the case that reads it; the warning names the file and what it
// lacked, to the host's message callback and the export log.
void FailShortSideFile(CVornDbExportData& exportData, const std::string& path, const std::string& missing) {
  const std::string line = " *** WARNING. The file " + path + " ends before its counts: read " + missing;
  ReportWarningLine(exportData, line);
  if (ILogging* log = exportData.GetLogging()) log->Write(line + "\n");
  NoteInputFailure("the file " + path + " ends before its counts: read " + missing);
}

}  // namespace

CRecursionRecord& GetRecursionRecord(CVornModelFile& model) {
  return AttachedRecord<CRecursionRecord>(model.m_recursionData.m_objects);
}

CPvtwRecord& GetPvtwRecord(CVornModelFile& model) { return AttachedRecord<CPvtwRecord>(model.m_pvtwData.m_objects); }

CDbPrimalArray& TvpropEntries() {
  static CDbPrimalArray entries;
  return entries;
}

CDbPrimalArray& RowsOrgEntries() {
  static CDbPrimalArray entries;
  return entries;
}

std::string GetRecursionFilePath(CVornDbExportData& exportData, const CVornModelFile& model, std::int32_t caseNumber) {
  return SideFilePath(exportData, model, caseNumber, "Recursion.fil", [](std::int32_t number) {
    return IMiskel::CreateFileNameManager()->GetRecursionFileName(number);
  });
}

std::string GetPvtwFilePath(CVornDbExportData& exportData, const CVornModelFile& model, std::int32_t caseNumber) {
  return SideFilePath(exportData, model, caseNumber, "PVTW.DAT", [](std::int32_t number) {
    return IMiskel::CreateFileNameManager()->GetPvtwFileName(number);
  });
}

bool SideFilesUseDoublePrecision(const CVornDbExportData& exportData, const CVornModelFile& model) {
  const CVornModelFile& main = exportData.m_pModel ? *exportData.m_pModel : model;
  return main.m_settings.m_UseZelunMGOn.GetValue() != 0 || main.m_settings.m_UseNimboOn.GetValue() != 0;
}

bool CDbSolution::ReadRecursionFil(CVornModelFile* modelFile, CDbCase* dbCase) {
  if (!m_pDbData || !modelFile) return false;
  const bool doublePrecision = SideFilesUseDoublePrecision(*m_pDbData, *modelFile);
  CRecursionRecord& record = GetRecursionRecord(*modelFile);
  ClearRecursionData(record);
  const std::string path = GetRecursionFilePath(*m_pDbData, *modelFile, dbCase ? dbCase->m_nID : 0);
  if (!FileExists(path)) return false;
  std::stringstream stream;
  if (!ReadFileIntoStream(path, stream, std::ios::in | std::ios::binary))
    return ShowSolverFileFailure(kIdsCannotOpenSolverFile, path);
  std::string error, missing;
  // An empty file is no recursion data; a header cut short or a negative count is a damaged file.
  if (!ParseRecursionFile(stream.str(), doublePrecision, record, error, &missing)) {
    if (!stream.str().empty()) ShowSolverFileFailure(kIdsDamagedSolverFile, path, error);
    return false;
  }
  if (!missing.empty()) FailShortSideFile(*m_pDbData, path, missing);
  return true;
}

bool CDbSolution::ReadPvtwDat(CVornModelFile* modelFile, CDbCase* dbCase) {
  if (!m_pDbData || !modelFile) return false;
  const bool doublePrecision = SideFilesUseDoublePrecision(*m_pDbData, *modelFile);
  const std::string path = GetPvtwFilePath(*m_pDbData, *modelFile, dbCase ? dbCase->m_nID : 0);
  if (!FileExists(path)) return false;
  std::stringstream stream;
  if (!ReadFileIntoStream(path, stream, std::ios::in | std::ios::binary))
    return ShowSolverFileFailure(kIdsCannotOpenSolverFile, path);
  std::string error, missing;
  if (!ParsePvtwFile(stream.str(), doublePrecision, GetPvtwRecord(*modelFile), error, &missing)) {
    if (!stream.str().empty()) ShowSolverFileFailure(kIdsDamagedSolverFile, path, error);
    return false;
  }
  if (!missing.empty()) FailShortSideFile(*m_pDbData, path, missing);
  return true;
}

bool CDbSolution::ReadTvpropDat(CVornModelFile* modelFile, std::int32_t& entryCount) {
  entryCount = 0;
  if (!m_pDbData || !modelFile) return false;
  const std::string path = m_pDbData->BuildFilePath(modelFile->m_strModelName, "TVPROP.DAT");
  std::ifstream file(path, std::ios::in | std::ios::binary);
  if (!file.is_open()) return false;
  std::stringstream content;
  content << file.rdbuf();
  if (file.bad()) return ShowSolverFileFailure(kIdsCannotOpenSolverFile, path);
  // Whole 20-byte records only, their names in ASCII: anything else is a damaged file.
  const std::string bytes = content.str();
  if (bytes.size() % 20 != 0) return ShowSolverFileFailure(kIdsDamagedSolverFile, path, "it ends inside a record");
  CDbPrimalArray entries;
  ParseTvpropFile(bytes, entries);
  for (const CDbPrimal* entry : entries)
    if (entry && !IsPrintableAscii(entry->m_strName))
      return ShowSolverFileFailure(kIdsDamagedSolverFile, path, "a name holds bytes that are no characters");
  entryCount = ParseTvpropFile(bytes, TvpropEntries());
  return true;
}
