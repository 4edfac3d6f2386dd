#include "caseset/vorn_db_export_data.h"

#include <cstdio>

#include "caseset/config/assembled_case.h"
#include "caseset/config/error_message.h"
#include "caseset/config/local_model.h"
#include "caseset/config/name_model.h"
#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "modelfile/vorn_model_file.h"

std::string MakeCaseFileName(const std::string& prefix, int caseNumber, const std::string& suffix) {
  if (caseNumber < 0) return prefix + suffix;
  char number[16];
  std::snprintf(number, sizeof number, "%06d", caseNumber);
  return prefix + number + suffix;
}

bool IsGlobalModel(const CVornModelFile& model) {
  const std::int32_t type = model.m_settings.m_ModelType.GetValue();
  return type == 2 || type == 3;
}

CVornDbExportData::CVornDbExportData(ILogging* logging) : m_pLogging(logging) {
  m_paModelFiles.m_bOwnsElements = 0;
  Reset();
  ResetTableSource();
}

CVornDbExportData::~CVornDbExportData() {
  // The model files of the named models belong to the model lists.
  m_paModelFiles.m_bOwnsElements = 0;
}

void CVornDbExportData::Reset() {
  m_strConfigFileName = kExportConfigFileName;
  m_nExportKind = 1;
  m_strHomeDirectory.clear();
  m_strSystem.clear();
  m_strCompanyName.clear();
  m_strProgramVersion.clear();
  m_strOptimizerVersion.clear();
  m_strSolutionStatus.clear();
  m_strDatabaseDirectory.clear();
  m_strDatabaseDescription.clear();
  m_strRunID.clear();
  m_strInputDatabaseModelGuid.clear();
  m_strPaddedModel.clear();
  m_strCalculateTableExt.clear();
  m_strDatabaseLogDir.clear();
  m_strUserDomainName.clear();
  m_strUserName.clear();
  m_strMachineDomainName.clear();
  m_strMachineName.clear();
  m_strModelDirectory.clear();
  m_bDeleteTables = false;
  m_bErrorDetected = false;
  m_bNoAddinsDuringExcelLaunch = false;
  m_bNeedMultipleExecutions = false;
  m_bDatabaseError = 0;
  m_pfnHostCallbacks.fill(nullptr);
  m_pfnMessageCallback = nullptr;
  m_pTableModel = nullptr;
  m_pCurrentCase = nullptr;
  m_pEngineOutputContext = nullptr;
  m_pfnGlobalModelOutput = nullptr;
  m_pfnTableProgress = nullptr;
  m_pOwnerWnd = nullptr;
  m_bLoaded = false;
}

void CVornDbExportData::ReleaseModelData() {
  if (!m_bLoaded) return;
  m_pbDoDbSolution.reset();
  // The named-model views point into the model lists: forget them first.
  m_paModelFiles.m_bOwnsElements = 0;
  m_paModelFiles.RemoveAll();
  m_paNameModels.RemoveAll();
  m_pTableModel = nullptr;
  m_pModel.reset();
  m_paLocalModelFiles.reset();
  m_paLocalModels.reset();
  m_pCurrentCase = nullptr;
  m_paAssembledCases.reset();
  m_paScenarioLogics.reset();
  m_pTagProcessor.reset();
  m_paPeriods.reset();
  m_paPerCases.reset();
  m_paSelectedCases.reset();
  m_paCasesToSolve.reset();
  m_paErrorMessages.reset();
  m_plstLocalModelNames.reset();
  m_plstReportedLocalModels.reset();
  m_pastrLocalModelCodes.reset();
  m_bLoaded = false;
}

void CVornDbExportData::GetCurrentCase(int& number, std::string& title) const {
  title.clear();
  number = 0;
  if (!m_pCurrentCase) return;
  number = m_pCurrentCase->m_nNumber;
  title = m_pCurrentCase->m_strTitle;
}
