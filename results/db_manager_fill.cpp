// CDbManager::FillSolution: the result objects of one solved case. The case
// objects that do not come from the model tables (case, dummies, solution
// state, notes, case-set row, periods) are made here; the primal values come
// from the solution file and the rest from the solution fill.

#include <array>
#include <cmath>
#include <limits>

#include "caseset/config/assembled_case.h"
#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "caseset/modeltables/case_tables.h"
#include "caseset/tags/extended_tag_processor.h"
#include "modelfile/vorn_model_file.h"
#include "results/db_manager.h"
#include "results/objects/db_solution.h"
#include "results/vorn_db_export.h"
#include "solutionfill/core/solution_file.h"
#include "writers/legacy/report_writer_groups.h"

namespace {

void Log(const CVornDbExportData& data, const char* text) {
  if (data.m_pLogging != nullptr) data.m_pLogging->Write(text);
}

std::string TrimRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// The "PrSolutionStatus" identifier of the solver's status text; a character
// beyond the end of the text matches nothing.
std::int32_t SolutionStatusId(const std::string& status) {
  const auto at = [&status](std::size_t i) { return i < status.size() ? status[i] : '\0'; };
  switch (at(0)) {
    case 'A': return 10;
    case 'C': return 1;
    case 'F':
    case 'I': return 5;
    case 'M': return at(3) == 'I' ? 3 : at(4) == 'T' ? 9 : 2;
    case 'N': return 6;
    case 'S': return 8;
    case 'U': return at(1) == 'N' ? 4 : 7;
    default: return 0;
  }
}

// Whole seconds of a span of days, halves away from zero, clamped to 32 bits.
std::int32_t WholeSeconds(double days) {
  const double seconds = std::round(days * 86400.0);
  if (!(seconds > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  if (seconds > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(seconds);
}

// date + days as OLE dates add: before 30 December 1899 the day part counts
// backwards and the time part forwards, so the sum is taken on the linear time line.
plat::OleDateTime AddDays(const plat::OleDateTime& date, double days, plat::OleDateTime::Status status) {
  const auto toLinear = [](double value) {
    if (value >= 0.0) return value;
    const double day = std::ceil(value);
    return day - (value - day);
  };
  const auto fromLinear = [](double value) {
    if (value >= 0.0) return value;
    const double day = std::floor(value);
    return day - (value - day);
  };
  plat::OleDateTime sum(fromLinear(toLinear(date.GetValue()) + days));
  sum.SetStatus(status);
  return sum;
}

std::array<const CSettingStr*, CDbCase::kNoteCount> NoteSettings(const CModelSettings& s) {
  return {&s.m_NOTE1,  &s.m_NOTE2,  &s.m_NOTE3,  &s.m_NOTE4,  &s.m_NOTE5,  &s.m_NOTE6,  &s.m_NOTE7,
          &s.m_NOTE8,  &s.m_NOTE9,  &s.m_NOTE10, &s.m_NOTE11, &s.m_NOTE12, &s.m_NOTE13, &s.m_NOTE14,
          &s.m_NOTE15, &s.m_NOTE16, &s.m_NOTE17, &s.m_NOTE18, &s.m_NOTE19, &s.m_NOTE20};
}

template <class T>
void AddDummy(CAutoDestructArray<CPtrArray, T*>& list, T* item, const char* description) {
  item->m_nID = 0;
  item->m_bDummyFlag = 1;
  item->m_strTag = ".";
  item->m_strDescription = description;
  list.Add(item);
  list.Sort(&CDbObject::CompareDbObjectName);
}

// The one period of a single-period model.
void FillSinglePeriod(CVornDbExportData& data, CVornModelFile& model, CDbCase& dbCase, std::int32_t caseId) {
  const CModelSettings& settings = model.m_settings;
  const double timeFactor = settings.m_PERIODTIME.GetValue();
  const plat::OleDateTime& commonStart = settings.m_CommonStartDate.GetValue();
  if (data.m_pCurrentCase != nullptr && data.m_nExportKind == 1) {
    if (settings.m_UseZelunMGOn.GetValue() != 0 && settings.m_GenerateOn.GetValue() != 0) {
      ReadCaseTables(data);
    } else {
      if (!data.m_paPerCases) data.m_paPerCases = std::make_unique<CPerCaseArray>();
      ReadPerCaseTable(model, data.m_pCurrentCase, *data.m_paPerCases);
    }
  }
  auto* period = new CDbPeriod(0, &data);
  dbCase.m_paPeriods.Add(period);

  const CPerCase* row = nullptr;
  double precedingDays = 0.0;
  if (data.m_nExportKind == 1 && data.m_paPerCases)
    for (const CPerCase* candidate : *data.m_paPerCases) {
      if (candidate == nullptr) continue;
      if (candidate->m_nCase == caseId) {
        row = candidate;
        break;
      }
      precedingDays += candidate->m_dLength * timeFactor;
    }
  std::string name;
  double days = 0.0;
  plat::OleDateTime start = commonStart;
  if (row != nullptr) {
    name = row->m_strPeriod.substr(0, 1);
    days = row->m_dLength * timeFactor;
    period->m_strDescription = row->m_strDesc.substr(0, 50);
    start = AddDays(commonStart, precedingDays, commonStart.GetStatus());
  } else {
    name = ".";
    days = settings.m_PeriodLength.GetValue() * timeFactor;
    period->m_dObjectiveValue = data.m_dObjectiveValue;
  }
  const CExtendedTagProcessor* tags = data.m_pTagProcessor.get();
  period->m_strName = name;
  period->m_strTag = settings.m_UseExtendedTagsOn.GetValue() != 0 && tags ? tags->GetExtendedPeriodTag(name) : name;
  period->m_dDays = days == 0.0 ? 1.0 : days;
  period->m_dPresentValueFactor = 1.0;
  period->m_dtStartDateTime = start;
  period->m_dtStopDateTime = AddDays(start, days, start.GetStatus());
  period->m_bRecurseFlag = period->m_bMIPFlag = period->m_bReportFlag = 1;
  dbCase.m_bModelPeriods = 0;
  dbCase.m_pFirstPeriod = period;
}

// The dummy period and one period per period of the model.
void FillModelPeriods(CVornDbExportData& data, CVornModelFile& model, CDbCase& dbCase) {
  const CModelSettings& settings = model.m_settings;
  const double timeFactor = settings.m_PERIODTIME.GetValue();
  const plat::OleDateTime& commonStart = settings.m_CommonStartDate.GetValue();
  auto* dummy = new CDbPeriod(CDbPeriod::kDummyPeriodID, &data);
  dummy->m_strName = dummy->m_strTag = ".";
  dummy->m_strDescription = "Dummy Period";
  dummy->m_dDays = 0.0;
  dummy->m_dPresentValueFactor = 1.0;
  dummy->m_dtStartDateTime = dummy->m_dtStopDateTime = commonStart;
  dbCase.m_paPeriods.Add(dummy);

  if (!data.m_paPeriods) return;
  const bool extendedTags = settings.m_UseExtendedTagsOn.GetValue() != 0 && data.m_pTagProcessor;
  const CExtendedTagProcessor* tags = data.m_pTagProcessor.get();
  auto* exportContext = dynamic_cast<CVornDbExport*>(&data);
  plat::OleDateTime previousStop;
  std::int32_t index = 0;
  for (const CVornPeriod* source : *data.m_paPeriods) {
    if (source == nullptr) continue;
    auto* period = new CDbPeriod(index, &data);
    dbCase.m_paPeriods.Add(period);
    period->m_strName = extendedTags ? tags->GetShortPeriodTag(source->m_strCode) : source->m_strCode;
    period->m_strTag = extendedTags ? tags->GetExtendedPeriodTag(period->m_strName) : period->m_strName;
    period->m_strDescription = source->m_strText.substr(0, 50);
    period->m_dDays = source->m_dLength * timeFactor;
    period->m_bReportFlag = data.m_nReportPeriod == 0 || index + 1 == data.m_nReportPeriod ? 1 : 0;
    plat::OleDateTime start;
    if (index == 0) {
      const plat::OleDateTime first =
          exportContext != nullptr ? exportContext->GetPeriodStartDate(&model) : plat::OleDateTime(0.0);
      start = first.GetValue() > 0.0 && first.IsValid() ? first : commonStart;
      dbCase.m_bModelPeriods = 1;
      dbCase.m_pFirstPeriod = period;
    } else {
      start = previousStop;
      start.SetStatus(plat::OleDateTime::Status::valid);
    }
    period->m_dtStartDateTime = start;
    period->m_dtStopDateTime = AddDays(start, period->m_dDays, plat::OleDateTime::Status::valid);
    previousStop = period->m_dtStopDateTime;
    period->m_bRecurseFlag = source->m_bRecurse ? 1 : 0;
    period->m_bMIPFlag = source->m_bMIP ? 1 : 0;
    period->SetPresentValueFactor(source->m_dPVF);
    ++index;
  }
}

}  // namespace

bool CDbManager::ReadSolutionFile(CVornModelFile* model, CDbCase* dbCase,
                                  const std::vector<std::string>& localModelNames) {
  return ::ReadSolutionFile(*m_pSolution, model, dbCase, localModelNames, m_pUnifiedTags);
}

bool CDbManager::FillSolution(CVornModelFile* model, bool useGivenCase, std::int32_t givenCaseId,
                              const std::string& givenCaseName) {
  if (model == nullptr || m_pDbData == nullptr) return false;
  CVornDbExportData& data = *m_pDbData;
  CDbSolution& solution = *m_pSolution;
  const CModelSettings& settings = model->m_settings;
  Log(data, "CDbManager::FillSolution start\n");
  m_dtFillStart = plat::OleDateTime::GetCurrentTime();
  // The report-writer group streams of a case are numbered from the start for each case: numbers that kept
  // growing with the cases a worker wrote before would make a case's rows depend on the number of workers.
  g_nNextRwID = -1;

  solution.m_strSystemVersion = data.m_strProgramVersion.substr(0, 49);
  const std::int32_t volumeBasis = settings.m_VOLBASIS.GetValue();
  solution.m_nVolumeBasis = volumeBasis;
  if (settings.m_VolumeConversionSectionOn.GetValue() == 1 && volumeBasis == 0) solution.m_bVolumeConversion = 1;
  if (!data.m_strDatabaseDescription.empty() && data.m_strDatabaseDescription != "_")
    solution.m_strDescription = data.m_strDatabaseDescription;
  if (solution.m_strDescription.size() > 22) solution.m_strDescription.resize(22);

  int caseId = givenCaseId;
  std::string title = givenCaseName;
  if (!useGivenCase) data.GetCurrentCase(caseId, title);

  Log(data, "...Create case object and populate\n");
  auto* dbCase = new CDbCase(caseId, &data);
  solution.m_paCases.Add(dbCase);
  dbCase->m_strDescription = TrimRight(
      !title.empty() ? title
                     : settings.m_TITLE1.GetValue() + settings.m_TITLE2.GetValue() + settings.m_TITLE3.GetValue());

  auto* node = new CDbNode(0, &data);
  node->m_strName = ".";
  node->m_bDummyFlag = 1;
  node->m_nVWBasisID = volumeBasis;
  dbCase->m_paNodes.Add(node);
  dbCase->m_paNodes.Sort(&CDbObject::CompareDbObjectName);
  AddDummy(dbCase->m_paMarkets, new CDbMarket(".", &data), "Dummy Market");
  AddDummy(dbCase->m_paModes, new CDbMode(".", &data), "Dummy Mode");

  Log(data, "...Create solution state object and populate\n");
  auto* state = new CDbSolutionState(0, &data);
  state->m_dObjectiveFunction = data.m_dObjectiveValue;
  state->m_nSolutionStatus = SolutionStatusId(data.m_strSolutionStatus);
  state->m_nRecursionTypeID = 0;
  state->m_nPasses = data.m_nPasses;
  state->m_paOutofTols.Add(new CDbOutofTol(0, 0, &data));
  dbCase->m_paSolutionStates.Add(state);

  dbCase->m_nSolveTime = WholeSeconds(data.m_dtSolveEnd - data.m_dtSolveStart);
  // Without a run start date the total time is unknown: 0, not a span from the year 1899.
  const double runStart = data.m_dtDateRunStart.GetValue();
  dbCase->m_nTotalTime = data.m_dtDateRunStart.IsValid() && runStart != 0.0
                             ? WholeSeconds(plat::OleDateTime::GetCurrentTime() - data.m_dtDateRunStart)
                             : 0;
  dbCase->m_strOptimizer = settings.m_UseCplex.GetValue() != 0 ? "CPLEX" : "XPRESS";
  dbCase->m_strOptimizerVersion = data.m_strOptimizerVersion;

  Log(data, "...get notes from generate settings and update case notes\n");
  const auto notes = NoteSettings(settings);
  for (std::size_t i = 0; i < notes.size(); ++i) dbCase->m_strNotes[i] = TrimRight(notes[i]->GetValue()).substr(0, 24);
  // No engine here holds a local-model output context that could report a min/max limit.
  dbCase->m_bLimitedByMinMax = 0;

  if (data.m_paAssembledCases && !data.m_paAssembledCases->IsEmpty()) {
    const CAssembledCase probe(caseId, model->m_strModelName);
    const CAssembledCase* assembled = data.m_paAssembledCases->Find(&probe);
    if (assembled != nullptr && !assembled->m_strSetNodeType.empty()) {
      auto* caseSet = new CDbCaseSet(caseId, &data);
      dbCase->m_paCaseSets.Add(caseSet);
      caseSet->Fill(assembled);
    }
  }

  Log(data, "...update the period array for any changes from a case table\n");
  ReadPeriods(data);
  const std::int32_t modelType = settings.m_ModelType.GetValue();
  if (modelType == 1 || modelType == 3)
    FillModelPeriods(data, *model, *dbCase);
  else
    FillSinglePeriod(data, *model, *dbCase, caseId);
  dbCase->m_paPeriods.Sort(&CDbObject::CompareDbObjectName);

  const bool global = modelType == 2 || modelType == 3;
  const bool extendedTags = settings.m_UseExtendedTagsOn.GetValue() != 0 && data.m_pTagProcessor;
  std::vector<CVornModelFile*> localModels;
  std::vector<std::string> localNames;
  std::vector<std::string> localCodes;
  if (global) {
    Log(data, "...global model - load local models\n");
    solution.m_bSingleModel = 0;
    if (data.m_paLocalModelFiles)
      for (int i = 0; i < data.m_paLocalModelFiles->GetSize(); ++i) {
        localModels.push_back(data.m_paLocalModelFiles->GetAt(i));
        const std::string code =
            data.m_pastrLocalModelCodes && static_cast<std::size_t>(i) < data.m_pastrLocalModelCodes->size()
                ? (*data.m_pastrLocalModelCodes)[static_cast<std::size_t>(i)]
                : std::string();
        localCodes.push_back(code);
        localNames.push_back(extendedTags ? data.m_pTagProcessor->GetShortPlantTag(code) : code);
        Log(data, "...global model - finished loading local models\n");
      }
  }

  Log(data, "...load solution file - primal rows and columns\n");
  if (!ReadSolutionFile(model, dbCase, localNames)) return false;
  solution.m_bParametricOverrides = 0;

  if (global) {
    Log(data, "...global model - load transfer data\n");
    GetTransfers(data, solution.m_paTrxPlants, solution.m_paTrxPlants2);
    for (std::size_t i = 0; i < localModels.size(); ++i)
      if (localModels[i] != nullptr) solution.FillSolution(localModels[i], false, true, localCodes[i], localNames[i]);
    Log(data, "...global model - finsihed loading transfer data\n");
  }
  // A run of export kind 2 leaves the raw receipts and shipments to the host that runs it.
  if (data.m_nExportKind == 2) solution.m_bSkipRawReceipts = 1;

  Log(data, "...create database objects\n");
  // The solution's model is the run's main model: the model object its fill makes next.
  const std::int32_t mainModelId = dbCase->m_paNodes.GetSize();
  solution.FillSolution(model, global, false, std::string(), std::string());
  if (dbCase->m_paNodes.GetSize() > mainModelId) solution.m_nModelID = mainModelId;

  Log(data, "...clean up\n");
  const auto release = [](CVornModelFile* file) {
    if (file == nullptr) return;
    file->m_tableMapImage.Release();
    if (file->m_tableFilImage.IsLoaded()) file->m_tableFilImage.Release();
  };
  release(model);
  for (CVornModelFile* local : localModels) release(local);

  if (global && settings.m_UseNimboOn.GetValue() != 0 && settings.m_UseZelunMGOn.GetValue() == 0)
    solution.FillNodeStreamQualities(dbCase);

  m_dtFillEnd = plat::OleDateTime::GetCurrentTime();
  if (auto* exportContext = dynamic_cast<CVornDbExport*>(&data)) exportContext->ApplyAssembledCases(&solution);
  Log(data, "CDbManager::FillSolution end\n");
  return true;
}
