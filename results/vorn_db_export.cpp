// The export context's frame of the database output of one case: the SQL
// Server set-up, the report-name settings, the output condition, the result
// tables, the matrix database and the legacy tables, with their log lines.

#include "results/vorn_db_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <utility>

#include <unistd.h>

#include <chrono>
#include <random>

#include "caseset/config/assembled_case.h"
#include "caseset/modeltables/model_table_reader.h"
#include "caseset/modeltables/table_fil_table.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "foundation/input_failure.h"
#include "foundation/language_resources.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "platform/statement_kill_hook.h"
#include "platform/string_table.h"
#include "results/db_manager.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "results/objects/trx_plant.h"
#include "solutionfill/core/fill_services.h"
#include "standins/file_name_manager.h"
#include "standins/tresk.h"
#include "tableio/db/db_connect_info.h"
#include "writers/schema/table_definition.h"

namespace {

const plat::StringTableRegistrar kSharedTexts(plat::StringTable::Shared,
                                              {
                                                  {2558, "The report queries were not created."},
                                                  {2561, "Database output times:"},
                                                  {2562, "fill"},
                                                  {2563, "write"},
                                                  {2564, "Writing the solution to the database failed."},
                                                  {2565, "Filling the solution failed."},
                                              });

// The owner window's progress notes (message 1230) and failure message of the case output.
constexpr std::uintptr_t kOwnerFilled = 1480;
constexpr std::uintptr_t kOwnerSpreadsheetTables = 1452;
constexpr std::uintptr_t kOwnerCaseWritten = 1449;
constexpr std::uint32_t kOwnerFailureMessage = 1229;
constexpr std::uintptr_t kOwnerFailure = 2;

std::string StripHashChars(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '#') out += c;
  return out;
}

// "%H:%M:%S" of a span in days, whole days dropped; empty for an invalid span.
std::string FormatSpan(double days) {
  if (!std::isfinite(days) || days < 0) return std::string();
  const long long seconds = std::llround(days * 86400.0) % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

}  // namespace

CVornDbExport::CVornDbExport(ILogging* logging)
    : CVornDbExportData(logging), m_pSqlServerDriver(std::make_unique<DbSqlSvr>(logging)) {
  m_pSqlServer = m_pSqlServerDriver.get();
  // New Access tables get their key index also in a process that never builds a result manager.
  CDbManager::InstallTableServices();
}

CVornDbExport::~CVornDbExport() {
  if (m_pLogging) m_pLogging->Write("~CVornDbExport begin\n");
  m_pSqlServer = nullptr;
  m_pSqlServerDriver.reset();
  if (m_pLogging) m_pLogging->Write("~CVornDbExport end\n\n");
}

plat::OleDateTime CVornDbExport::GetPeriodStartDate(CVornModelFile* model) {
  plat::OleDateTime invalid(0.0);
  invalid.SetStatus(plat::OleDateTime::Status::invalid);
  if (!model) return invalid;
  CTableFilTable periods;
  if (!ReadFilTable(*this, "PERIODS", model, &periods, true)) return invalid;
  const int column =
      periods.FindColumn(model->m_settings.m_UseZelunMGOn.GetValue() != 0 ? "StartDate" : "StartDat");
  if (column < 0 || periods.GetRowCount() < 1) return invalid;
  float value = CTableFilTable::kBlankCell;
  if (periods.GetValue(column, value)) return invalid;
  return plat::OleDateTime(static_cast<double>(value));
}

void CVornDbExport::GetReportSheetName(int kind, std::string& out) {
  static const char* const kNames[] = {"Material_Purchases", "Material_Sales", "Capacity_Utilization_Summary",
                                       "Specification_Blend", "Process_Submodel_Summary"};
  out = kind >= 0 && kind < 5 ? kNames[kind] : "";
}

void CVornDbExport::GetReportSheetKey(int kind, const std::string& item, std::string& out) {
  if (kind == 3)
    out = "SpecBlend_" + item;
  else if (kind == 4)
    out = "Submodel_" + item;
  else
    GetReportSheetName(kind, out);
}

int CVornDbExport::CallReadCallback(const char* text, int length, int kind) {
  if (!m_pfnMessageCallback) m_pfnMessageCallback = m_pfnHostCallbacks[0];
  if (!m_pfnMessageCallback) return 0;
  return m_pfnMessageCallback(text, length, kind);
}

bool CVornDbExport::InitializeSqlServerConnection(const std::string& modelDirectory, const std::string& connection,
                                                  int caseNumber) {
  return ::InitializeSqlServerConnection(*this, modelDirectory, connection, caseNumber);
}

bool CVornDbExport::IsSqlServerOpen() const { return m_pSqlServer && m_pSqlServer->IsOpen(); }

bool CVornDbExport::ReadDataFromXmlFile(const char* path, bool useShortPlantTags) {
  const bool read = CVornDbExportData::ReadDataFromXmlFile(path, useShortPlantTags);
  // The chains belong to the case set just read: they are read afresh from it.
  m_pParametricChains.reset();
  MakeRunKey();
  return read;
}

void CVornDbExport::SetJobIdentity(const std::string& jobId) {
  m_strJobId = jobId;
  MakeRunKey();
}

void CVornDbExport::MakeRunKey() {
  if (m_strJobId.empty()) {
    // Alone: host, process, time and random bytes, as a job's identity is made.
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    std::random_device device;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    m_strJobId = std::string(host).substr(0, 64) + ":" + std::to_string(::getpid()) + ":" +
                 std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) + ":" +
                 std::to_string(device()) + std::to_string(device());
  }
  m_strRunKey = m_strJobId + "|" + std::to_string(m_nSolutionID) + "|" + m_strRunID;
}

bool CVornDbExport::BeginCaseUnit(bool firstCase) {
  if (m_bCaseUnitOpen) return true;
  m_bCaseUnitOpen = true;
  m_bDefinesRun = firstCase;
  // The keys of the case's rows: its earlier rows are replaced by them.
  std::string title;
  m_nUnitLegacyCase = 0;
  GetCurrentCase(m_nUnitLegacyCase, title);
  m_nUnitCaseID = m_nUnitLegacyCase;
  if (CDbSolution* solution = m_pDbManager ? m_pDbManager->GetSolution() : nullptr;
      solution != nullptr && !solution->m_paCases.IsEmpty() && solution->m_paCases[0] != nullptr)
    m_nUnitCaseID = solution->m_paCases[0]->m_nID;
  m_nUnitEarlierRows = -1;
  m_bUnitReplacedRows = false;

  const bool server = m_pModel != nullptr &&
                      IsSqlServerDatabase(m_pModel->m_settings.m_DatabaseOutputFormat.GetValue(),
                                          m_pModel->m_settings.m_nDatabaseKindCache) &&
                      IsSqlServerOpen();
  if (m_pSqlServer) {
    m_pSqlServer->TakeWriteFailure();
    // The case's rows and statements reach the server in one transaction, committed when the case is whole.
    m_pSqlServer->HoldCommits(true);
  }
  // The server's lock of the case before the results file's: every process takes them in this order.
  if (server) {
    bool replaced = false;
    if (!m_pSqlServer->BeginCaseUnit(m_nSolutionID, m_nUnitCaseID, m_strRunID, m_nUnitLegacyCase, replaced)) {
      NoteDatabaseFailure(*this, "PrCase", m_pSqlServer->TakeWriteFailure());
      return false;
    }
    if (replaced) m_bUnitReplacedRows = true;
  }
  bool defines = false;
  if (!BeginCaseOutput(*this, m_strRunKey, defines)) return false;
  if (m_pModel && !m_strRunKey.empty()) {
    if (IsAccessDatabaseWritten(*m_pModel)) {
      m_bDefinesRun = defines;
      if (server && !m_pSqlServer->SetUnitDefinesRun(defines)) {
        NoteDatabaseFailure(*this, "OstrelRuns", m_pSqlServer->TakeWriteFailure());
        return false;
      }
    } else if (server) {
      if (!m_pSqlServer->ClaimRun(m_strRunKey, defines)) {
        NoteDatabaseFailure(*this, "OstrelRuns", m_pSqlServer->TakeWriteFailure());
        return false;
      }
      m_bDefinesRun = defines;
    }
  }
  m_bDefiningRun = m_bDefinesRun;
  return BeginParametricMarks();
}

bool CVornDbExport::EndCaseUnit(bool ok) {
  if (!EndParametricMarks(ok && m_bDatabaseError == 0)) ok = false;
  if (m_pSqlServer) {
    m_pSqlServer->HoldCommits(false);
    // The one commit of the case on the server: every row and statement of its unit, unless one of them
    // failed on the way; a failed case's are dropped with the writer's open transaction.
    std::string failure = m_pSqlServer->TakeWriteFailure();
    if (ok && m_bDatabaseError == 0 && failure.empty() && IsSqlServerOpen()) {
      m_pSqlServer->UpdateTableDataToDatabase(nullptr);
      failure = m_pSqlServer->TakeWriteFailure();
    }
    if (!failure.empty()) NoteDatabaseFailure(*this, "", failure);
    if (!ok || m_bDatabaseError != 0) m_pSqlServer->DiscardUnwritten();
    m_pSqlServer->EndCaseUnit();
  }
  ok = ok && m_bDatabaseError == 0;
  const bool committed = EndCaseOutput(*this, ok);
  ok = ok && committed;
  m_bCaseUnitOpen = false;
  m_nUnitCaseID = -1;
  // The local models' databases written in the case are released once it is committed.
  const std::vector<CVornModelFile*> release = std::exchange(m_localModelsToClose, {});
  if (ok) {
    m_bReplacedEarlierRows = m_bUnitReplacedRows;
    if (m_bReplacedEarlierRows && m_pLogging) m_pLogging->Write("The case replaced its earlier rows in the results database.\n");
    for (CVornModelFile* local : release) {
      std::int32_t errorFlag = 0;
      if (local != nullptr && local->m_daoDatabase && local->m_daoDatabase->IsOpen())
        CloseDatabase(*local->m_daoDatabase, local->m_outputTables, errorFlag);
    }
    return true;
  }
  if (m_strDatabaseFailure.empty()) m_strDatabaseFailure = "the results could not be written";
  if (m_pLogging) m_pLogging->Write("The rows of the case were not written: " + m_strDatabaseFailure + "\n");
  // Tables made in the rolled-back case are gone: the next case opens and defines them afresh.
  for (CVornModelFile* model : AllModels()) {
    if (!model->m_daoDatabase) continue;
    std::int32_t ignored = 0;
    CloseDatabase(*model->m_daoDatabase, model->m_outputTables, ignored);
  }
  m_bResultTablesDefined = false;
  return false;
}

bool CVornDbExport::WriteDatabaseOutput(bool firstCase, bool useGivenCase, int givenCaseId, std::string givenCaseName,
                                        int caseNumber, bool skip, bool limitPenalty) {
  m_bReplacedEarlierRows = false;
  m_localModelsToClose.clear();
  plat::BeginStatementCount(caseNumber);
  bool written = false;
  try {
    written = WriteCaseOutput(firstCase, useGivenCase, givenCaseId, std::move(givenCaseName), caseNumber, skip,
                              limitPenalty);
  } catch (const std::exception& e) {
    written = FailCaseOutputAtException(caseNumber, e.what());
  } catch (...) {
    written = FailCaseOutputAtException(caseNumber, "an exception of unknown type");
  }
  plat::EndStatementCount();
  return written;
}

std::vector<CVornModelFile*> CVornDbExport::AllModels() const {
  std::vector<CVornModelFile*> models;
  if (m_pModel) models.push_back(m_pModel.get());
  if (m_paLocalModelFiles)
    for (CVornModelFile* local : *m_paLocalModelFiles)
      if (local) models.push_back(local);
  return models;
}

std::string CVornDbExport::FindDamagedModelInput() const {
  if (!m_pModel) return std::string();
  std::string damage;
  for (const CVornModelFile* model : AllModels())
    if (damage.empty()) damage = FindDamagedModelTableFiles(*this, *model);
  const CModelSettings& settings = m_pModel->m_settings;
  const std::int32_t type = settings.m_ModelType.GetValue();
  if (damage.empty() && (type == 2 || type == 3) && settings.m_UseZelunMGOn.GetValue() == 0)
    damage = TransferDataDamage(MakeAbsolutePath(m_pModel->m_strModelDir, kTransferDataFileName));
  return damage;
}

bool CVornDbExport::FailCaseOutputAtException(int caseNumber, const char* cause) noexcept {
  try {
    const std::string text = "an exception stopped the output of case " + std::to_string(caseNumber) + ": " + cause;
    if (m_pLogging) m_pLogging->Write(text + "\n");
    m_bDatabaseError = 1;
    m_strDatabaseFailure = m_strDatabaseFailure.empty() ? text : m_strDatabaseFailure + "; then " + text;
  } catch (...) {
    m_bDatabaseError = 1;
  }
  try {
    ReleaseCaseSolution();
    // The case's open transaction is rolled back: none of its rows stay.
    EndCaseUnit(false);
  } catch (...) {
    // The rollback itself never throws; the rest only closes. Whatever stays open is closed with the export.
    m_bCaseUnitOpen = false;
    m_bResultTablesDefined = false;
  }
  return false;
}

bool CVornDbExport::WriteCaseOutput(bool firstCase, bool useGivenCase, int givenCaseId, std::string givenCaseName,
                                    int caseNumber, bool skip, bool limitPenalty) {
  if (skip) return true;
  if (!m_pModel) return false;
  CVornModelFile& model = *m_pModel;
  CModelSettings& settings = model.m_settings;
  const auto log = [this](const std::string& text) {
    if (m_pLogging) m_pLogging->Write(text);
  };

  log("Initialize SQL Server connection\n");
  if (IsSqlServerDatabase(settings.m_DatabaseOutputFormat.GetValue(), settings.m_nDatabaseKindCache)) {
    if (!InitializeSqlServerConnection(model.m_strModelDir, settings.m_DatabaseOutputConnection.GetValue(), caseNumber) ||
        !IsSqlServerOpen())
      return false;
  }
  log("Initializing SQL Server connection succeeded\n");

  const bool solveOn = settings.m_SolveOn.GetValue() != 0;
  LoadLanguageResourceDll("VornDbExport", nullptr);
  const std::string suffix =
      settings.m_CaseStackOn.GetValue() != 0 || settings.m_WriteDatabase.GetValue() != 0 ? "######" : "";
  if (limitPenalty) settings.m_LimitPenalty.SetValue(1.0);
  for (CSettingStr* name :
       {&settings.m_PrimalDualTable, &settings.m_SummarySolutionTable, &settings.m_LocalPrimalDualTable,
        &settings.m_LocalSummarySolutionTable, &settings.m_PrimalDualReport, &settings.m_SummarySolutionReport,
        &settings.m_FullSolutionReport, &settings.m_DownReport, &settings.m_AcrossReport, &settings.m_FormatReport,
        &settings.m_ShdFile, &settings.m_LocalPrimalDualReport, &settings.m_LocalSummarySolutionReport,
        &settings.m_LocalFullSolutionReport, &settings.m_LocalDownReport, &settings.m_LocalAcrossReport,
        &settings.m_LocalFormatReport})
    name->SetValue(StripHashChars(name->GetValue()) + suffix);

  if ((m_strDatabaseDirectory.empty() || m_strDatabaseDescription.empty()) &&
      settings.m_UseHtmlReportsOn.GetValue() == 0 && settings.m_UseTxtReportsOn.GetValue() == 0)
    return true;

  // The case's rows land as one unit or not at all; a failed operation anywhere fails the case, and so does
  // an input file the case needs that is there but cannot be read whole.
  CInputFailureScope inputs;
  // A step that failed on input it could not read names that input as the cause.
  const auto failed = [this, &inputs] {
    if (inputs.HasFailure()) m_strDatabaseFailure = inputs.GetFirstCause();
    return EndCaseUnit(false);
  };
  m_bDatabaseError = 0;
  m_strDatabaseFailure.clear();
  m_bCaseUnitOpen = false;
  m_bDefinesRun = firstCase;
  if (solveOn) {
    // The model tables of this case are read afresh.
    model.m_tableMaps.RemoveAll();
    if (m_paLocalModelFiles)
      for (CVornModelFile* local : *m_paLocalModelFiles) local->m_tableMaps.RemoveAll();
    char line[128];
    std::snprintf(line, sizeof line, "CASE %d, DB OUTPUT START\n", caseNumber);
    log(line);

    const plat::OleDateTime fillStart = plat::OleDateTime::GetCurrentTime();
    if (!FillCaseSolution(useGivenCase, givenCaseId, givenCaseName)) {
      log(LoadTreskString(2565) + "\n");
      SendOwnerMessage(this, kOwnerFailureMessage, kOwnerFailure, LoadTreskString(2565));
      ReleaseCaseSolution();
      m_strDatabaseFailure = LoadTreskString(2565);
      return failed();
    }
    if (inputs.HasFailure()) return FailCaseOnInput(inputs.GetFirstCause());
    SendOwnerMessage(this, kStatusTextMessage, kOwnerFilled, "");
    if (!BeginCaseUnit(firstCase)) {
      SendOwnerMessage(this, kOwnerFailureMessage, kOwnerFailure, LoadTreskString(2564));
      ReleaseCaseSolution();
      return failed();
    }
    firstCase = m_bDefinesRun;
    const plat::OleDateTime fillEnd = plat::OleDateTime::GetCurrentTime();
    log("Write solution data to database\n");
    const plat::OleDateTime writeStart = plat::OleDateTime::GetCurrentTime();
    if (!WriteCaseSolution(firstCase)) {
      log("Failed to write solution data to database\n");
      log(LoadTreskString(2564) + "\n");
      SendOwnerMessage(this, kOwnerFailureMessage, kOwnerFailure, LoadTreskString(2564));
      ReleaseCaseSolution();
      return failed();
    }
    const plat::OleDateTime writeEnd = plat::OleDateTime::GetCurrentTime();
    log("Succeeded to write solution data to database\n");

    std::string note;
    if (firstCase) {
      if (IsGlobalModel(model)) {
        if (m_paLocalModelFiles) {
          const int count = m_paLocalModelFiles->GetSize();
          for (int i = 0; i < count; ++i) WritePrSpreadsheetTables(m_paLocalModelFiles->GetAt(i), i + 1);
          WritePrSpreadsheetTables(&model, count + 1);
        }
      } else {
        WritePrSpreadsheetTables(&model, 1);
      }
      SendOwnerMessage(this, kStatusTextMessage, kOwnerSpreadsheetTables, "");
      if (!CreateReportQueries(&model)) note = "  " + LoadTreskString(2558);
    }
    const std::string writeTime = FormatSpan(writeEnd - writeStart);
    log(LoadTreskString(2561) + " " + LoadTreskString(2562) + " " + FormatSpan(fillEnd - fillStart) + "  " +
        LoadTreskString(2563) + " " + writeTime + note + "\n");
    std::snprintf(line, sizeof line, "CASE %d, DB OUTPUT END, TotalTime: %s\n", caseNumber, writeTime.c_str());
    log(line);
    SendOwnerMessage(this, kStatusTextMessage, kOwnerCaseWritten, "");
    ReleaseCaseSolution();
  }

  const bool zelun = settings.m_UseZelunMGOn.GetValue() != 0;
  if (settings.m_OutputMpsDatabaseTables.GetValue() != 0 && (zelun || settings.m_UseNimboOn.GetValue() != 0) &&
      m_nOutputCaseNumber >= 0) {
    log("Create mpsbcd database for Strev or Zelun\n");
    if (std::unique_ptr<IFileNameManager> names = IMiskel::CreateFileNameManager()) {
      const std::string matrixName = zelun ? names->GetMatrixFileName(m_nOutputCaseNumber) : "xmps.mps";
      const std::string solutionName = names->GetNonlinearSolutionFileName(GetZelunSolutionIndex());
      names.reset();
      if (!BeginCaseUnit(firstCase)) return failed();
      WriteMatrixDatabase(GetModelFilePath(matrixName), GetModelFilePath(solutionName));
      log("Finished creating mpsbcd database for Strev or Zelun\n");
    }
  }
  log("Done with writing data to database\n");

  const bool access = IsAccessDatabase(settings.m_DatabaseOutputFormat.GetValue());
  if (solveOn && settings.m_UseNimboOn.GetValue() == 0 && settings.m_UseExtendedTagsOn.GetValue() == 0 &&
      settings.m_UseOldOutputDatabaseFormatOn.GetValue() != 0 && (access || settings.m_CreateAccessDbAlso.GetValue() != 0)) {
    if (!BeginCaseUnit(firstCase)) return failed();
    firstCase = m_bDefinesRun;
    // The engine's local-model output (DODBLOCAL) runs for the model and every local model only where a host
    // installed it; this system's own legacy tables are written either way.
    const bool engine = m_pEngineOutputContext && m_pfnGlobalModelOutput;
    if (!engine) log("Engine local-model database output (DODBLOCAL) not available here: skipped\n");
    m_bEngineOutputSkipped = !engine;
    if (engine && !RunEngineLocalModelOutput(model)) return failed();
    if (!WriteLegacyTables(&model, false, firstCase)) return failed();
    if (m_paLocalModelFiles)
      for (CVornModelFile* local : *m_paLocalModelFiles) {
        if (engine && !RunEngineLocalModelOutput(*local)) return failed();
        const bool reported =
            m_plstReportedLocalModels &&
            std::find(m_plstReportedLocalModels->begin(), m_plstReportedLocalModels->end(), local->m_strModelName) !=
                m_plstReportedLocalModels->end();
        if (!reported) continue;
        if (!WriteLegacyTables(local, true, firstCase)) return failed();
        // Its database is not written again in this case; it is released once the case is committed.
        if (access) m_localModelsToClose.push_back(local);
      }
  }
  // The case's Trancol tables are rows of the case too: they land with it or not at all.
  if (settings.m_TranColReportOn.GetValue() != 0 || settings.m_TRNCLXLS.GetValue() != 0) {
    if (!BeginCaseUnit(firstCase)) return failed();
    ExportTrancol(caseNumber, 0, 0);
    if (m_bDatabaseError != 0) return failed();
  }
  if (inputs.HasFailure()) return FailCaseOnInput(inputs.GetFirstCause());
  return EndCaseUnit(true);
}

bool CVornDbExport::FailCaseOnInput(const std::string& cause) {
  if (m_pLogging) m_pLogging->Write("Input of the case cannot be read: " + cause + "\n");
  SendOwnerMessage(this, kOwnerFailureMessage, kOwnerFailure, cause);
  ReleaseCaseSolution();
  m_strDatabaseFailure = cause;
  return EndCaseUnit(false);
}
