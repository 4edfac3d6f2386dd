// Reading the export configuration "VornDbExportData.xml" into the export
// data: the document walk, the values of the run, the case set, periods,
// per-case rows, error messages, case lists, model files, local models and
// the named models.

#include <cerrno>
#include <clocale>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "caseset/config/assembled_case.h"
#include "caseset/config/error_message.h"
#include "caseset/config/export_config_text.h"
#include "caseset/config/local_model.h"
#include "caseset/config/name_model.h"
#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "caseset/scenario/scenario_execution_logic.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/locale_switch.h"
#include "modelfile/vorn_model_file.h"

namespace {

using plat::XmlNode;

// Calls visit(child) for each child element named itemName, in document order.
template <class Visit>
void ForEachItem(const XmlNode& list, const char* itemName, Visit visit) {
  for (const XmlNode& child : list.ChildNodes())
    if (child.IsElement() && child.Name() == itemName) visit(child);
}

// Appends each item's text (or atoi value) to an array element's values.
void ReadTextArray(const XmlNode& list, const char* itemName, std::vector<std::string>& values) {
  ForEachItem(list, itemName, [&](const XmlNode& item) { values.push_back(ConfigText(item)); });
}

void ReadIntArray(const XmlNode& list, const char* itemName, std::vector<std::int32_t>& values) {
  ForEachItem(list, itemName, [&](const XmlNode& item) { values.push_back(ConfigAtoi(item)); });
}

// Sorts a list on leaving the scope, also when a reader throws, so a list
// keeps its order whatever was read into it. A stable sort after the last
// append orders the records as a sort after every append would.
template <class Array>
class SortOnExit {
 public:
  explicit SortOnExit(Array& array) : m_array(array) {}
  ~SortOnExit() { m_array.Sort(m_array.m_pfnCompare); }
  SortOnExit(const SortOnExit&) = delete;
  SortOnExit& operator=(const SortOnExit&) = delete;

 private:
  Array& m_array;
};

// The further model files: by model directory in byte order.
int CompareModelDirectories(const void* a, const void* b) {
  const CVornModelFile* left = SlotElement<CVornModelFile>(a);
  const CVornModelFile* right = SlotElement<CVornModelFile>(b);
  if (!left || !right) return left ? -1 : (right ? 1 : 0);
  return CompareKeys(left->m_strModelDir, right->m_strModelDir);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string DropTrailingSeparator(const std::string& path) {
  if (!path.empty() && IsSeparator(path.back())) return path.substr(0, path.size() - 1);
  return path;
}

// The first child node (of any kind), or null.
XmlNode FirstChild(const XmlNode& node) {
  const std::vector<XmlNode> children = node.ChildNodes();
  return children.empty() ? XmlNode() : children.front();
}

}  // namespace

std::string CVornDbExportData::GetLastPathComponent(const std::string& path) {
  const std::string trimmed = DropTrailingSeparator(path);
  const std::size_t last = trimmed.find_last_of("\\/");
  return last == std::string::npos ? trimmed : trimmed.substr(last + 1);
}

std::string CVornDbExportData::GetParentPath(const std::string& path) {
  const std::string trimmed = DropTrailingSeparator(path);
  const std::size_t last = trimmed.find_last_of("\\/");
  return last == std::string::npos ? std::string() : trimmed.substr(0, last);
}

bool CVornDbExportData::ReadDataFromXmlFile(const char* path, bool useShortPlantTags) {
  CLocaleSwitch locale(LC_NUMERIC, "C");
  const std::string fileName = path ? std::string(path) : m_strConfigFileName;
  m_strReadErrorFile = fileName;
  m_strReadError.clear();
  std::string bytes;
  {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
      m_strReadError = std::strerror(errno);
      return false;
    }
    // Read through istream::read, which turns a failed read (a directory, an
    // I/O error) into the bad state instead of an exception.
    errno = 0;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
      m_strReadError = errno != 0 ? std::strerror(errno) : "the file cannot be read";
      return false;
    }
  }
  if (bytes.empty()) {
    m_strReadError = "the file is empty";
    return false;
  }
  plat::XmlDocument document;
  if (!document.LoadBytes(bytes)) {
    m_strReadError = "not well-formed XML (" + document.ParseError() + ")";
    return false;
  }
  m_strConfigDirectory = std::filesystem::path(fileName).parent_path().string();
  try {
    const XmlNode root = document.DocumentElement();
    for (const XmlNode& child : root.ChildNodes()) {
      if (!child.IsElement()) continue;
      const std::string name = child.Name();
      if (name == "VornModelFile") ReadVornModelFile(child);
      else if (name == "VornModelFileArray") ReadVornModelFileArray(child);
      else if (name == "LocalModelArray") ReadLocalModels(child);
      else if (name == "AssembledCases") ReadAssembledCases(child);
      else if (name == "VornPeriods") ReadVornPeriods(child);
      else if (name == "PerCases") ReadPerCases(child);
      else if (name == "SelectedCases") ReadSelectedCases(child);
      else if (name == "CasesToBeSolved") ReadCasesToBeSolved(child);
      else if (name == "ErrorMessages") ReadErrorMessages(child);
      else if (name == "ExtendedTagProcessor") ReadExtendedTagProcessor(child);
      else if (name == "ScenarioExecutionLogics") ReadScenarioExecutionLogics(child);
      else if (name == "System") m_strSystem = ConfigText(child);
      else if (name == "CompanyName") m_strCompanyName = ConfigText(child);
      else if (name == "ProgramVersion") m_strProgramVersion = ConfigText(child);
      else if (name == "OptimizerVersion") m_strOptimizerVersion = ConfigText(child);
      else if (name == "DatabaseDirectory") m_strDatabaseDirectory = ConfigText(child);
      else if (name == "DatabaseDescription") m_strDatabaseDescription = ConfigText(child);
      else if (name == "RunID") m_strRunID = ConfigText(child);
      else if (name == "SolutionID") ConfigScanInt(child, m_nSolutionID);
      else if (name == "InputDatabaseModelGuid") m_strInputDatabaseModelGuid = ConfigText(child);
      else if (name == "PaddedModel") m_strPaddedModel = ConfigText(child);
      else if (name == "HomeDirectory") m_strHomeDirectory = ConfigText(child);
      else if (name == "CalculateTableExt") m_strCalculateTableExt = ConfigText(child);
      else if (name == "DoDbSolution") m_pbDoDbSolution = ConfigFlag(child);
      else if (name == "DataValidation") m_bDataValidation = ConfigFlag(child);
      else if (name == "ErrorDetected") m_bErrorDetected = ConfigFlag(child);
      else if (name == "NoAddinsDuringExcelLaunch") m_bNoAddinsDuringExcelLaunch = ConfigFlag(child);
      else if (name == "NeedMultipleExecutions") m_bNeedMultipleExecutions = ConfigFlag(child);
      else if (name == "DeleteTables") m_bDeleteTables = ConfigFlag(child);
      else if (name == "DatabaseLogDir") m_strDatabaseLogDir = ConfigText(child);
      else if (name == "DateRunStart") {
        double days = m_dtDateRunStart.GetValue();
        ConfigScanDouble(child, days);
        m_dtDateRunStart.SetValue(days);
      } else if (name == "UserDomainName") m_strUserDomainName = ConfigText(child);
      else if (name == "UserName") m_strUserName = ConfigText(child);
      else if (name == "MachineDomainName") m_strMachineDomainName = ConfigText(child);
      else if (name == "MachineName") m_strMachineName = ConfigText(child);
      else if (name == "ReportPeriod") m_nReportPeriod = ConfigAtoi(child);
      else if (name == "ModelDirectory") m_strModelDirectory = ConfigText(child);
    }
    BuildNameModels(useShortPlantTags);
    // The logics take their formulas from assembled cases that may follow them in the document.
    AttachSelectionFormulas(*this);
  } catch (const std::exception& e) {
    if (m_strReadError.empty()) m_strReadError = e.what();
    return false;
  }
  m_strReadErrorFile.clear();
  m_bLoaded = true;
  return true;
}

// ---- Model files, local models and named models

// A model file that is there but cannot be loaded ends the reading: its cases
// would otherwise be written with the default settings.
void CVornDbExportData::FailOnModel(const CVornModelFile& model) {
  m_strReadErrorFile = model.m_strModelFilePath;
  m_strReadError = model.m_strLoadError.empty() ? "it cannot be loaded" : model.m_strLoadError;
  throw std::runtime_error(m_strReadError);
}

void CVornDbExportData::ReadVornModelFile(const XmlNode& node) {
  if (m_nExportKind == 2) {
    m_pModel = std::make_unique<CVornModelFile>();
    if (!m_pModel->LoadFromDirectory(m_strPaddedModel, m_strModelDirectory)) FailOnModel(*m_pModel);
    return;
  }
  const XmlNode first = FirstChild(node);
  if (!first.IsElement() || first.Name() != "ModelFileDir") return;
  const std::string directory = ConfigText(first);
  m_pModel = std::make_unique<CVornModelFile>();
  // A model whose file is missing gets the default settings; one that is there must load.
  if (!m_pModel->Load(GetLastPathComponent(directory), GetParentPath(directory), m_strCalculateTableExt, 0, true,
                      false))
    FailOnModel(*m_pModel);
}

void CVornDbExportData::ReadVornModelFileArray(const XmlNode& node) {
  if (!m_paLocalModelFiles) m_paLocalModelFiles = std::make_unique<CVornModelFileArray>(&CompareModelDirectories);
  ForEachItem(node, "VornModelFile", [&](const XmlNode& item) {
    const XmlNode first = FirstChild(item);
    if (!first.IsElement() || first.Name() != "ModelFileDir") return;
    const std::string directory = ConfigText(first);
    CVornModelFile* model = m_paLocalModelFiles->GetAt(m_paLocalModelFiles->Add(std::make_unique<CVornModelFile>()));
    if (!model->Load(GetLastPathComponent(directory), GetParentPath(directory), m_strCalculateTableExt, 0, true, false))
      FailOnModel(*model);
  });
}

void CVornDbExportData::ReadLocalModels(const XmlNode& node) {
  if (!m_paLocalModels) {
    m_paLocalModels = std::make_unique<CLocalModelArray>();
    m_plstLocalModelNames = std::make_unique<std::vector<std::string>>();
    m_plstReportedLocalModels = std::make_unique<std::vector<std::string>>();
    m_pastrLocalModelCodes = std::make_unique<std::vector<std::string>>();
  }
  ForEachItem(node, "LocalModel", [&](const XmlNode& item) {
    CLocalModel* local = m_paLocalModels->GetAt(m_paLocalModels->Add(std::make_unique<CLocalModel>()));
    for (const XmlNode& field : item.ChildNodes()) {
      if (!field.IsElement()) continue;
      const std::string name = field.Name();
      if (name == "LocalModelID") local->m_nLocalModelID = ConfigAtoi(field);
      else if (name == "ValidFlag") local->m_bValidFlag = ConfigFlag(field);
      else if (name == "ReportFlag") local->m_bReportFlag = ConfigFlag(field);
      else if (name == "CodeString") local->m_strCodeString = ConfigText(field);
      else if (name == "TextString") local->m_strTextString = ConfigText(field);
    }
    m_pastrLocalModelCodes->push_back(local->m_strCodeString);
    m_plstLocalModelNames->push_back(local->m_strTextString);
    if (local->m_bReportFlag) m_plstReportedLocalModels->push_back(local->m_strTextString);
  });
}

void CVornDbExportData::BuildNameModels(bool useShortPlantTags) {
  m_paNameModels.RemoveAll();
  m_paModelFiles.m_bOwnsElements = 0;
  m_paModelFiles.RemoveAll();
  if (!m_pModel) return;
  if (!IsGlobalModel(*m_pModel)) {
    auto named = std::make_unique<CNameModel>(std::string());
    named->m_nModelIndex = -1;
    named->m_strModelName = m_pModel->m_strModelName;
    named->m_fModelScale = static_cast<float>(m_pModel->m_dModelScale);
    m_paNameModels.Add(std::move(named));
    m_paModelFiles.Add(m_pModel.get());
    return;
  }
  if (!m_paLocalModelFiles) return;
  static CLocalModelArray s_noLocalModels;
  const CLocalModelArray& locals = m_paLocalModels ? *m_paLocalModels : s_noLocalModels;
  m_paNameModels.SetSize(m_paLocalModelFiles->GetSize());
  for (int i = 0; i < m_paLocalModelFiles->GetSize(); ++i) {
    CVornModelFile* model = m_paLocalModelFiles->GetAt(i);
    // Fewer local models than model files: the index check throws and the reading fails.
    const std::string& code = locals.GetAt(i)->m_strCodeString;
    auto named = std::make_unique<CNameModel>(useShortPlantTags ? ShortPlantTag(code) : code);
    named->m_nModelIndex = i;
    named->m_strModelName = model->m_strModelName;
    named->m_fModelScale = static_cast<float>(model->m_dModelScale);
    m_paNameModels.SetAt(i, named.release());
    m_paModelFiles.Add(model);
  }
  m_paNameModels.Sort(m_paNameModels.m_pfnCompare);
}

std::string CVornDbExportData::ShortPlantTag(const std::string& code) const {
  return m_pTagProcessor ? m_pTagProcessor->GetShortPlantTag(code) : code;
}

// ---- The case set

void CVornDbExportData::ReadAssembledCases(const XmlNode& node) {
  if (!m_paAssembledCases) m_paAssembledCases = std::make_unique<CAssembledCaseArray>();
  SortOnExit sort(*m_paAssembledCases);
  ForEachItem(node, "AssembledCase", [&](const XmlNode& item) {
    std::unique_ptr<CAssembledCase> record;
    ReadAssembledCase(item, record);
    if (record) m_paAssembledCases->Add(std::move(record));
  });
}

void CVornDbExportData::ReadAssembledCase(const XmlNode& node, std::unique_ptr<CAssembledCase>& record) {
  CLocaleSwitch locale(LC_NUMERIC, "C");
  const std::vector<XmlNode> children = node.ChildNodes();
  bool haveNumber = false;
  bool haveModel = false;
  std::int32_t number = 0;
  std::string modelName;
  for (const XmlNode& child : children) {
    if (haveNumber && haveModel) break;
    if (!child.IsElement()) continue;
    const std::string name = child.Name();
    if (name == "Number") {
      number = ConfigAtoi(child);
      haveNumber = true;
    } else if (name == "ModelName") {
      modelName = ConfigText(child);
      haveModel = true;
    }
  }
  if (!haveNumber || !haveModel) return;
  if (!record) record = std::make_unique<CAssembledCase>(number, modelName);
  CAssembledCase& c = *record;
  for (const XmlNode& child : children) {
    if (!child.IsElement()) continue;
    const std::string name = child.Name();
    if (name == "SetParent") c.m_nSetParent = ConfigAtoi(child);
    else if (name == "Weight") c.m_nWeight = ConfigAtoi(child);
    else if (name == "Modifies") c.m_nModifies = ConfigAtoi(child);
    else if (name == "OriginalNumber") c.m_nOriginalNumber = ConfigAtoi(child);
    else if (name == "LoadSol") c.m_nLoadSol = ConfigAtoi(child);
    else if (name == "LoadStrev") c.m_nLoadStrev = ConfigAtoi(child);
    else if (name == "SaveSol") c.m_nSaveSol = ConfigAtoi(child);
    else if (name == "SaveStrev") c.m_nSaveStrev = ConfigAtoi(child);
    else if (name == "Generate") c.m_bGenerate = ConfigFlag(child);
    else if (name == "Assembled") c.m_bAssembled = ConfigFlag(child);
    else if (name == "LocalRawCase") c.m_bLocalRawCase = ConfigFlag(child);
    else if (name == "IgnoreKeyword") c.m_bIgnoreKeyword = ConfigFlag(child);
    else if (name == "ExpertKeyword") c.m_bExpertKeyword = ConfigFlag(child);
    else if (name == "GenerateKeyword") c.m_bGenerateKeyword = ConfigFlag(child);
    else if (name == "FBRKeyword") c.m_bFBRKeyword = ConfigFlag(child);
    else if (name == "Period") ConfigScanChar(child, c.m_cPeriod);
    else if (name == "Title") c.m_strTitle = ConfigText(child);
    else if (name == "SetNodeType") c.m_strSetNodeType = ConfigText(child);
    else if (name == "ModifiesArray") ReadIntArray(child, "ModifyValue", c.m_aModifies);
    else if (name == "SetSiblings") ReadIntArray(child, "SetSiblingValue", c.m_aSetSiblings);
    else if (name == "Errors") ReadTextArray(child, "ErrorValue", c.m_aErrors);
    else if (name == "GenerateReasons") ReadTextArray(child, "GenerateReasonValue", c.m_aGenerateReasons);
    else if (name == "CaseTables") {
      SortOnExit sort(c.m_aCaseTables);
      ForEachItem(child, "CaseTable", [&](const XmlNode& item) {
        std::unique_ptr<CCaseTable> table;
        ReadCaseTableElement(item, table);
        if (table) c.m_aCaseTables.Add(std::move(table));
      });
    } else if (name == "CaseSettings") {
      SortOnExit sort(c.m_aCaseSettings);
      ForEachItem(child, "CaseSetting", [&](const XmlNode& item) {
        std::unique_ptr<CCaseSetting> setting;
        ReadCaseSetting(item, setting);
        if (setting) c.m_aCaseSettings.Add(std::move(setting));
      });
    } else if (name == "SelFormulaTolerance") c.m_strSelFormulaTolerance = ConfigText(child);
    else if (name == "SelExp") c.m_strSelExp = ConfigText(child);
    else if (name == "SelModifiedExp") c.m_strSelModifiedExp = ConfigText(child);
    else if (name == "SelValue") c.m_nSelValue = ConfigAtoi(child);
  }
}

void CVornDbExportData::ReadCaseTableElement(const XmlNode& node, std::unique_ptr<CCaseTable>& record) {
  const std::vector<XmlNode> children = node.ChildNodes();
  bool haveNumber = false;
  bool haveName = false;
  std::int32_t number = 0;
  std::string tableName;
  for (const XmlNode& child : children) {
    if (haveNumber && haveName) break;
    if (!child.IsElement()) continue;
    const std::string name = child.Name();
    if (name == "CaseNumber") {
      number = ConfigAtoi(child);
      haveNumber = true;
    } else if (name == "Name") {
      tableName = ConfigText(child);
      haveName = true;
    }
  }
  if (!haveNumber || !haveName) return;
  if (!record) record = std::make_unique<CCaseTable>(tableName, number);
  for (const XmlNode& child : children) {
    if (!child.IsElement()) continue;
    const std::string name = child.Name();
    if (name == "Assembled") record->m_bAssembled = ConfigFlag(child);
    else if (name == "Replace") record->m_bReplace = ConfigFlag(child);
    else if (name == "ReplaceAll") record->m_bReplaceAll = ConfigFlag(child);
    else if (name == "CrossTabLines") ReadTextArray(child, "CrossTabLineValue", record->m_aCrossTabLines);
  }
  record->ReadCrossTabValues();
}

void CVornDbExportData::ReadCaseSetting(const XmlNode& node, std::unique_ptr<CCaseSetting>& record) {
  CLocaleSwitch locale(LC_NUMERIC, "C");
  const std::vector<XmlNode> children = node.ChildNodes();
  const XmlNode* row = nullptr;
  for (const XmlNode& child : children)
    if (child.IsElement() && child.Name() == "Row") {
      row = &child;
      break;
    }
  if (!row) return;
  if (!record) record = std::make_unique<CCaseSetting>(ConfigText(*row));
  for (const XmlNode& child : children) {
    if (!child.IsElement()) continue;
    const std::string name = child.Name();
    if (name == "Text") record->m_strText = ConfigText(child);
    else if (name == "Value") {
      if (!child.Text().empty()) ConfigScanDouble(child, record->m_dValue);
    } else if (name == "TableFile") {
      record->m_pTableFile.reset();
      ReadTableFile(child, record->m_pTableFile);
    }
  }
}

void CVornDbExportData::ReadTableFile(const XmlNode& node, std::unique_ptr<CTableFile>& record) {
  const std::vector<XmlNode> children = node.ChildNodes();
  const XmlNode* name = nullptr;
  for (const XmlNode& child : children)
    if (child.IsElement() && child.Name() == "Name") {
      name = &child;
      break;
    }
  if (!name) return;
  if (!record) record = std::make_unique<CTableFile>(ConfigText(*name), true, plat::OleDateTime(0.0));
  // "FileDate" is recognised and sets nothing: the date stays zero.
  for (const XmlNode& child : children)
    if (child.IsElement() && child.Name() == "Enabled") record->m_bEnabled = ConfigFlag(child);
}

// ---- Periods, per-case rows, error messages and case lists

void CVornDbExportData::ReadVornPeriods(const XmlNode& node) {
  if (!m_paPeriods) m_paPeriods = std::make_unique<CVornPeriodArray>();
  SortOnExit sort(*m_paPeriods);
  ForEachItem(node, "VornPeriod", [&](const XmlNode& item) {
    std::unique_ptr<CVornPeriod> record;
    ReadVornPeriod(item, record);
    if (record) m_paPeriods->Add(std::move(record));
  });
}

void CVornDbExportData::ReadVornPeriod(const XmlNode& node, std::unique_ptr<CVornPeriod>& record) {
  CLocaleSwitch locale(LC_NUMERIC, "C");
  const std::vector<XmlNode> children = node.ChildNodes();
  const XmlNode* code = nullptr;
  for (const XmlNode& child : children)
    if (child.IsElement() && child.Name() == "Code") {
      code = &child;
      break;
    }
  if (!code) return;
  if (!record) record = std::make_unique<CVornPeriod>(ConfigText(*code));
  for (const XmlNode& child : children) {
    if (!child.IsElement()) continue;
    const std::string name = child.Name();
    if (name == "Text") record->m_strText = ConfigText(child);
    else if (name == "Recurse") record->m_bRecurse = ConfigFlag(child);
    else if (name == "MIP") record->m_bMIP = ConfigFlag(child);
    else if (name == "Length") ConfigScanDouble(child, record->m_dLength);
    else if (name == "PVF") ConfigScanDouble(child, record->m_dPVF);
  }
}

void CVornDbExportData::ReadPerCases(const XmlNode& node) {
  if (!m_paPerCases) m_paPerCases = std::make_unique<CPerCaseArray>();
  SortOnExit sort(*m_paPerCases);
  ForEachItem(node, "PerCase", [&](const XmlNode& item) {
    std::unique_ptr<CPerCase> record;
    ReadPerCase(item, record);
    if (record) m_paPerCases->Add(std::move(record));
  });
}

void CVornDbExportData::ReadPerCase(const XmlNode& node, std::unique_ptr<CPerCase>& record) {
  CLocaleSwitch locale(LC_NUMERIC, "C");
  const std::vector<XmlNode> children = node.ChildNodes();
  const XmlNode* number = nullptr;
  for (const XmlNode& child : children)
    if (child.IsElement() && child.Name() == "Case") {
      number = &child;
      break;
    }
  if (!number) return;
  if (!record) record = std::make_unique<CPerCase>(ConfigAtoi(*number));
  for (const XmlNode& child : children) {
    if (!child.IsElement()) continue;
    const std::string name = child.Name();
    if (name == "Desc") record->m_strDesc = ConfigText(child);
    else if (name == "Period") record->m_strPeriod = ConfigText(child);
    else if (name == "Length") ConfigScanDouble(child, record->m_dLength);
  }
}

void CVornDbExportData::ReadErrorMessages(const XmlNode& node) {
  if (!m_paErrorMessages) m_paErrorMessages = std::make_unique<CErrorMessageArray>();
  ForEachItem(node, "ErrorMessage", [&](const XmlNode& item) {
    std::unique_ptr<CErrorMessage> record;
    ReadErrorMessage(item, record);
    if (record) m_paErrorMessages->Add(std::move(record));
  });
}

void CVornDbExportData::ReadErrorMessage(const XmlNode& node, std::unique_ptr<CErrorMessage>& record) {
  if (!record) record = std::make_unique<CErrorMessage>();
  for (const XmlNode& child : node.ChildNodes()) {
    if (!child.IsElement()) continue;
    const std::string name = child.Name();
    if (name == "Code") record->m_strCode = ConfigText(child);
    else if (name == "Message") record->m_strMessage = ConfigText(child);
    else if (name == "Row") record->m_strRow = ConfigText(child);
    else if (name == "Col") record->m_strCol = ConfigText(child);
    else if (name == "Model") record->m_strModel = ConfigText(child);
    else if (name == "Tables") ReadTextArray(child, "Table", record->m_aTables);
  }
}

void CVornDbExportData::ReadSelectedCases(const XmlNode& node) {
  if (!m_paSelectedCases) m_paSelectedCases = std::make_unique<std::vector<std::int32_t>>();
  ReadIntArray(node, "SelectedCase", *m_paSelectedCases);
}

void CVornDbExportData::ReadCasesToBeSolved(const XmlNode& node) {
  if (!m_paCasesToSolve) m_paCasesToSolve = std::make_unique<std::vector<std::int32_t>>();
  ReadIntArray(node, "CaseToBeSolved", *m_paCasesToSolve);
}
