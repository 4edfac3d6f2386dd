#include "solutionfill/core/solution_file.h"

#include <algorithm>
#include <sstream>

#include "caseset/modeltables/model_table_reader.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "foundation/string_utils.h"
#include "modelfile/vorn_model_file.h"
#include "platform/string_table.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/table_map_dimensions.h"
#include "results/objects/solverfiles/case_solver_file.h"
#include "standins/file_name_manager.h"
#include "standins/tresk.h"
#include "standins/unified_tags.h"
#include "tableio/db/db_connect_info.h"

namespace {

const plat::StringTableRegistrar kSolutionFileTexts(
    plat::StringTable::Program,
    {
        {kIdsDamagedSolverFile, "The file %1 is damaged."},
        {kIdsCannotOpenSolverFile, "Unable to open the file: %1"},
    });

constexpr std::size_t kWarningBufferSize = 100;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool Contains(const std::vector<std::string>& list, const std::string& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

// The case's period of that name (its periods are sorted by name), or null.
CDbPeriod* FindCasePeriod(CDbCase* dbCase, const std::string& name) {
  if (!dbCase) return nullptr;
  CDbPeriod key(name);
  const PFNPTRARRAYCOMPARE saved = dbCase->m_paPeriods.m_pfnCompare;
  dbCase->m_paPeriods.m_pfnCompare = &CDbObject::CompareDbObjectName;
  CDbPeriod* found = dbCase->m_paPeriods.Find(&key);
  dbCase->m_paPeriods.m_pfnCompare = saved;
  return found;
}

class CPrimalTreeBuilder {
 public:
  CPrimalTreeBuilder(CDbSolution& solution, const CPrimalTreeContext& context)
      : m_solution(solution), m_context(context), m_pTags(context.m_pTags ? context.m_pTags : &m_ownTags) {}

  void AddRow(const CSolutionFileRecord& record);
  void AddColumn(const CSolutionFileRecord& record);
  void Finish();

 private:
  bool IsMultiPeriod() const { return m_context.m_nModelType == 1 || m_context.m_nModelType == 3; }
  // The positional split of a nine-character name of a MultiPeriodPlant model.
  bool SplitByPosition(const std::string& name, std::string& base, std::string& period, std::string& node) const;
  // The node and period a record goes to; may change the full name (Epentrg rule).
  CDbPrimalPeriod* Place(const std::string& nodeCode, std::string periodCode, const std::string& base,
                         std::string& fullName);
  CDbPrimal* MakePrimal(const CSolutionFileRecord& record, const std::string& base, const std::string& fullName,
                        bool column);

  CDbSolution& m_solution;
  const CPrimalTreeContext& m_context;
  CExtendedTagProcessor m_ownTags;
  CExtendedTagProcessor* m_pTags;
  bool m_bRowMarker = false;     // set by a nine-character "OBJFN" row
  bool m_bColumnMarker = false;  // set by a nine-character "BVBL" column
};

bool CPrimalTreeBuilder::SplitByPosition(const std::string& name, std::string& base, std::string& period,
                                         std::string& node) const {
  if (name.size() != 9) return false;
  if (!FindCasePeriod(m_context.m_pCase, name.substr(7, 1))) return false;
  if (!Contains(m_context.m_astrLocalModelNames, name.substr(8, 1))) return false;
  base = name.substr(0, 7);
  period = name.substr(7, 1);
  node = name.substr(8, 1);
  return true;
}

CDbPrimalPeriod* CPrimalTreeBuilder::Place(const std::string& nodeCode, std::string periodCode,
                                           const std::string& base, std::string& fullName) {
  auto& nodes = m_solution.m_paPrimalNodes;
  CDbPrimalNode* node = nullptr;
  for (int i = 0; i < nodes.GetSize(); ++i) {
    if (nodes[i]->m_strName == nodeCode) {
      node = nodes[i];
      break;
    }
  }
  if (!node) {
    node = new CDbPrimalNode(nodeCode, m_context.m_pDbData);
    nodes.Add(node);
    node->m_paPeriods.Add(new CDbPrimalPeriod("."));
  }
  if (periodCode.empty()) periodCode = ".";
  for (int i = 0; i < node->m_paPeriods.GetSize(); ++i) {
    if (node->m_paPeriods[i]->m_strName == periodCode) return node->m_paPeriods[i];
  }
  CDbPrimalPeriod* dotPeriod = nullptr;
  for (int i = 0; i < node->m_paPeriods.GetSize(); ++i) {
    if (node->m_paPeriods[i]->m_strName == ".") dotPeriod = node->m_paPeriods[i];
  }
  if (!dotPeriod) {
    dotPeriod = new CDbPrimalPeriod(".");
    node->m_paPeriods.Add(dotPeriod);
  }
  if (periodCode == " " && base == "Epentrg") {
    if (fullName.size() >= 8) fullName = fullName.substr(0, 7) + "_" + fullName.substr(8);
    return dotPeriod;
  }
  if (IsMultiPeriod()) {
    if (CDbPeriod* casePeriod = FindCasePeriod(m_context.m_pCase, periodCode)) {
      auto* period = new CDbPrimalPeriod(periodCode);
      period->m_nID = casePeriod->m_nID;
      node->m_paPeriods.Add(period);
      return period;
    }
    if (m_context.m_pDbData) {
      ReportWarningLine(*m_context.m_pDbData,
                        FormatFillText(" *** WARNING. " + LoadTreskString(kTreskPeriodNotInCase), kWarningBufferSize,
                                       {periodCode, fullName}));
    }
  }
  return dotPeriod;
}

CDbPrimal* CPrimalTreeBuilder::MakePrimal(const CSolutionFileRecord& record, const std::string& base,
                                          const std::string& fullName, bool column) {
  auto* primal = new CDbPrimal(base);
  primal->m_nSequenceID = record.m_nSequenceID;
  primal->m_dActivity = record.m_aValues[0];
  primal->m_dSlack = record.m_aValues[1];
  primal->m_dLoRHS = record.m_aValues[2];
  primal->m_dHiRHS = record.m_aValues[3];
  primal->m_dMarginalValue = record.m_aValues[4];
  const std::int32_t code = (record.m_nStatus == 0 || record.m_nStatus > 8) ? 7 : record.m_nStatus;
  primal->m_strStatus =
      GetPrimalStatusText(m_context.m_pDbData ? m_context.m_pDbData->m_strSolutionStatus : std::string(), code);
  primal->m_strShortName = fullName;
  if (!m_context.m_bUseExtendedTags) {
    primal->m_strAliasName = fullName;
  } else if (m_context.m_pUnifiedTags) {
    m_context.m_pUnifiedTags->GetDisplayName(primal->m_strAliasName, fullName);
  } else {
    primal->m_strAliasName = column ? m_pTags->ParseColumnName(m_context.m_nModelType, fullName, true)
                                    : m_pTags->ParseRowName(m_context.m_nModelType, fullName, true);
  }
  return primal;
}

void CPrimalTreeBuilder::AddRow(const CSolutionFileRecord& record) {
  const std::string& name = record.m_strName;
  std::string base, period, node;
  bool split = false;
  if (m_context.m_nModelType == 3) {
    if (name.size() == 9 && StartsWith(name, "OBJFN")) {
      m_bRowMarker = true;
    } else if (m_bRowMarker) {
      split = SplitByPosition(name, base, period, node);
    }
  }
  if (!split) m_pTags->SplitRowName(m_context.m_nModelType, name, base, period, node);
  std::string fullName = name;
  CDbPrimalPeriod* target = Place(node, period, base, fullName);
  target->m_paRows.Add(MakePrimal(record, base, fullName, false));
}

void CPrimalTreeBuilder::AddColumn(const CSolutionFileRecord& sourceRecord) {
  CSolutionFileRecord record = sourceRecord;
  double& cost = record.m_aValues[1];
  if (record.m_aValues[5] != 0.0 && cost == 0.0) cost = record.m_aValues[5];

  std::string name = record.m_strName;
  const std::int32_t modelType = m_context.m_nModelType;
  bool splitAsU = false;
  if (StartsWith(name, "T")) {
    std::string compared = name;
    if (modelType == 3 && !compared.empty()) compared.pop_back();
    if (!Contains(m_context.m_astrTransferColumns, compared)) {
      splitAsU = true;
      name[0] = 'U';
    }
  }

  std::string base, period, node;
  bool positional = false;
  if (modelType == 3) {
    if (m_bColumnMarker) positional = SplitByPosition(name, base, period, node);
    if (name.size() == 9 && StartsWith(name, "BVBL")) m_bColumnMarker = true;
  }
  if (!positional || StartsWith(name, "ASUP")) m_pTags->SplitColumnName(modelType, name, base, period, node);

  if (splitAsU) {
    if (!base.empty()) base[0] = 'T';
    name[0] = 'T';
  }

  auto trimBase = [&base] { TrimTrailingBlanks(base); };
  const bool baseEndsBlank = !base.empty() && base.back() == ' ';
  if (modelType == 1) {
    if ((period.empty() || baseEndsBlank) && !(m_context.m_bUseZelunMG && StartsWith(name, "Q") && name.size() == 10)) {
      if (period.empty() && name != "XPSPAN" && name != "XPENALTY" && !name.empty()) {
        base = name.substr(0, name.size() - 1);
        period = name.substr(name.size() - 1);
      }
      trimBase();
    }
  } else if (modelType == 2) {
    const bool eightWithoutNode = base.size() == 8 && node.empty();
    if (eightWithoutNode || baseEndsBlank) {
      if (eightWithoutNode && name.size() >= 8) {
        base = name.substr(0, 7);
        node = name.substr(name.size() - 1);
      }
      trimBase();
    }
  } else if (modelType == 3) {
    if (baseEndsBlank) trimBase();
  }
  if ((modelType == 2 || modelType == 3) && (StartsWith(name, "ICST") || StartsWith(name, "IPRC"))) {
    if (!Contains(m_context.m_astrLocalModelNames, node)) node.clear();
  }

  std::string fullName = name;
  CDbPrimalPeriod* target = Place(node, period, base, fullName);
  CDbPrimal* primal = MakePrimal(record, base, fullName, true);
  target->m_paColumns.Add(primal);
  if (cost != 0.0 && record.m_bActivityAboveTolerance) target->m_paActiveCostColumns.Add(primal);
  if (m_context.m_bGlobalOptimizationBounding && Contains(m_context.m_astrBoundingColumns, base)) {
    if (primal->m_dLoRHS == primal->m_dHiRHS * -10.0) primal->m_dLoRHS = 0.0;
    primal->m_dHiRHS = 1e30;
  }
}

void CPrimalTreeBuilder::Finish() {
  auto& nodes = m_solution.m_paPrimalNodes;
  nodes.Sort(&CDbPrimalNode::ComparePrimalNodeName);
  const CDbPeriod* firstPeriod = m_context.m_pCase ? m_context.m_pCase->m_pFirstPeriod : nullptr;
  for (int i = 0; i < nodes.GetSize(); ++i) {
    CDbPrimalNode* node = nodes[i];
    if (IsMultiPeriod()) {
      node->m_paPeriods.Sort(&CDbPrimalPeriod::CompareElements);
    } else if (firstPeriod && node->m_paPeriods.GetSize() > 0) {
      node->m_paPeriods[0]->m_strName = firstPeriod->m_strName;
    }
    for (int k = 0; k < node->m_paPeriods.GetSize(); ++k) {
      node->m_paPeriods[k]->m_paRows.Sort(&CDbPrimal::CompareElements);
      node->m_paPeriods[k]->m_paColumns.Sort(&CDbPrimal::CompareElements);
    }
  }
}

}  // namespace

bool ShowSolverFileFailure(std::uint32_t id, const std::string& path, const std::string& detail) {
  std::string text = FormatString1(LoadResString(id), path);
  if (!detail.empty()) {
    if (!text.empty() && text.back() == '.') text.pop_back();
    text += ": " + detail;
  }
  NoteInputFailure(text);
  return ShowErrorMessage(text);
}

CSolutionFileLayout GetSolutionFileLayout(const CVornModelFile& mainModel, const CVornModelFile& model) {
  CSolutionFileLayout layout;
  layout.m_bDoublePrecision =
      mainModel.m_settings.m_UseNimboOn.GetValue() != 0 || mainModel.m_settings.m_UseZelunMGOn.GetValue() != 0;
  layout.m_nNameWidth = model.m_settings.m_UseNimboOn.GetValue() != 0 ? 61 : 9;
  return layout;
}

void BuildPrimalTree(CDbSolution& solution, const CSolutionFileContents& contents, const CPrimalTreeContext& context) {
  solution.m_nRowCount = contents.m_nRowCount;
  solution.m_nColumnCount = contents.m_nColumnCount;
  solution.m_nHeaderCode = contents.m_nHeaderCode;
  solution.m_dObjectiveValue = contents.m_dObjectiveValue;
  solution.m_strHeaderText = contents.m_strHeaderText;
  CPrimalTreeBuilder builder(solution, context);
  for (const CSolutionFileRecord& record : contents.m_aRows) builder.AddRow(record);
  for (const CSolutionFileRecord& record : contents.m_aColumns) builder.AddColumn(record);
  builder.Finish();
}

std::string GetPrimalStatusText(const std::string& comparisonText, std::int32_t code) {
  switch (code) {
    case 1: return "FR";
    case 2: return "BS";
    case 3: return "EQ";
    case 4: return "UL";
    case 5: return "LL";
    case 6: return comparisonText == LoadTreskString(kTreskStatusSixCompare) ? "??" : "**";
    case 7: return "  ";
    case 8: return "++";
    default: return "";
  }
}

std::string GetSolutionFilePath(CVornDbExportData& exportData, const CVornModelFile& model, std::int32_t caseNumber) {
  const CVornModelFile& main = exportData.m_pModel ? *exportData.m_pModel : model;
  const CModelSettings& settings = main.m_settings;
  if (exportData.m_nExportKind == 2) {
    const std::string name = IMiskel::CreateFileNameManager()->GetSolutionFileName(caseNumber);
    return CombinePath(exportData.m_strHomeDirectory, name);
  }
  int sqlServerAnswer = -1;
  const std::size_t selected = exportData.m_paSelectedCases ? exportData.m_paSelectedCases->size() : 0;
  if (IsSqlServerDatabase(settings.m_DatabaseOutputFormat.GetValue(), sqlServerAnswer) &&
      settings.m_CreateAccessDbAlso.GetValue() == 0 && settings.m_UseZelunMGOn.GetValue() != 0 &&
      (selected > 1 || settings.m_Zelun_UseOstrel.GetValue() > 0) &&
      settings.m_Zelun_GO_ProveGlobalOptimalityOn.GetValue() == 0) {
    const std::string name = IMiskel::CreateFileNameManager()->GetSolutionFileName(caseNumber);
    return exportData.GetModelFilePath(name);
  }
  const std::string name = model.m_settings.m_UseNimboOn.GetValue() != 0 ? "solutionfil.fil" : "Solution.Fil";
  SendStatusText(&exportData, kStatusFileName, name);
  return ChooseCaseSolverFile(
      caseNumber, exportData.GetModelFilePath(IMiskel::CreateFileNameManager()->GetSolutionFileName(caseNumber)),
      exportData.GetModelFilePath(name));
}

bool ReadSolutionFile(CDbSolution& solution, CVornModelFile* model, CDbCase* dbCase,
                      const std::vector<std::string>& localModelNames, const IUnifiedTagsManager* unifiedTags) {
  CVornDbExportData* exportData = solution.m_pDbData;
  if (!exportData || !model) return false;
  // The wrapper lives for this read only, whichever way it ends.
  IUnifiedTagsManagerWrapper::WrapperPtr wrapper;
  if (unifiedTags) {
    wrapper = IUnifiedTagsManagerWrapper::CreateInstance();
    wrapper->SetManager(unifiedTags);
  }
  const CVornModelFile& main = exportData->m_pModel ? *exportData->m_pModel : *model;
  const CSolutionFileLayout layout = GetSolutionFileLayout(main, *model);
  const std::string path = GetSolutionFilePath(*exportData, *model, dbCase ? dbCase->m_nID : 0);

  std::stringstream stream;
  if (!ReadFileIntoStream(path, stream, std::ios::in | std::ios::binary))
    return ShowSolverFileFailure(kIdsCannotOpenSolverFile, path);
  CSolutionFileContents contents;
  std::string error;
  if (!ParseSolutionFile(stream.str(), layout, contents, error))
    return ShowSolverFileFailure(kIdsDamagedSolverFile, path, error);

  CPrimalTreeContext context;
  context.m_nModelType = model->m_settings.m_ModelType.GetValue();
  context.m_pCase = dbCase;
  context.m_astrLocalModelNames = localModelNames;
  context.m_pTags = exportData->m_pTagProcessor.get();
  context.m_bUseExtendedTags = main.m_settings.m_UseExtendedTagsOn.GetValue() != 0;
  context.m_pUnifiedTags = wrapper.get();
  context.m_bUseZelunMG = main.m_settings.m_UseZelunMGOn.GetValue() != 0;
  context.m_bGlobalOptimizationBounding = main.m_settings.m_Zelun_GO_UseGlobalOptimizationBounding.GetValue() != 0;
  // The bounding columns are this case's: the model's index is read with its directory before the list is taken
  // (the fill reads it again later; a list left by the case before must not stand in).
  if (context.m_bGlobalOptimizationBounding && ReadTablesMap(*exportData, model, true, false))
    context.m_astrBoundingColumns = GetTableMapDimensions(*model).m_astrBoundingColumns;
  context.m_pDbData = exportData;
  // Only multi-plant models have TRANSFER; its absence is no error.
  CTableFilTable transfer;
  if (ReadFilTable(*exportData, "TRANSFER", model, &transfer, false)) {
    for (const std::string& row : transfer.m_aRowNames) context.m_astrTransferColumns.push_back("T" + row.substr(0, 6));
  }
  BuildPrimalTree(solution, contents, context);
  return true;
}
