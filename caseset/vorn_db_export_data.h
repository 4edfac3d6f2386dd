#pragma once
// The data half of a worker's export context: everything the export
// configuration "VornDbExportData.xml" gives for the run (the values of the
// run, the main model and the further model files, the case set, periods,
// per-case rows, local and named models, error messages, case lists), the
// per-case state the worker and the output set (current case, solve times),
// and the path and model look-ups every model file is found through. The
// floors below the export read and set it through a CVornDbExportData&; the
// export operations themselves are CVornDbExport (results/vorn_db_export.h),
// which derives from this class.
//
// Members other rooms add go in their own group at the end, one comment line each.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/logging.h"
#include "foundation/ptr_array.h"
#include "platform/ole_date_time.h"
#include "platform/xml_dom.h"

class CAssembledCase;
class CCaseSetting;
class CCaseTable;
class CDaoDatabase;
class CErrorMessage;
class CExtendedTagProcessor;
class CLocalModel;
class CNameModel;
class COutputTable;
class CPerCase;
class CScenarioExecutionLogic;
class CTableFile;
class CVornModelFile;
class CVornPeriod;
class DbSqlSvr;

// Owner of an object whose class may be incomplete where it is held (its room
// builds on this one): whoever creates the object supplies its deletion,
// e.g. MakeErasedOwner(std::make_unique<CExtendedTagProcessor>()).
template <class T>
using ErasedOwner = std::unique_ptr<T, void (*)(T*)>;

template <class T>
ErasedOwner<T> MakeErasedOwner(std::unique_ptr<T> object) {
  return ErasedOwner<T>(object.release(), [](T* p) { delete p; });
}

// The host's callbacks: a message line (text, its length, kind 0/1/2).
using PFNHOSTCALLBACK = int (*)(const char* text, int length, int kind);
// The engine's output of a global model.
using PFNGLOBALMODELOUTPUT = int (*)(const char* paddedModelName, int length, PFNHOSTCALLBACK* hostCallbacks,
                                     void* context);
// Progress texts of the model-table readers ("Reading tables Map").
using PFNTABLEPROGRESS = void (*)(const std::string& text);

using CAssembledCaseArray = CAutoDestructArray<CPtrArray, CAssembledCase*>;
using CVornModelFileArray = CAutoDestructArray<CPtrArray, CVornModelFile*>;
using CLocalModelArray = CAutoDestructArray<CPtrArray, CLocalModel*>;
using CScenarioLogicArray = CAutoDestructArray<CPtrArray, CScenarioExecutionLogic*>;
using CVornPeriodArray = CAutoDestructArray<CPtrArray, CVornPeriod*>;
using CPerCaseArray = CAutoDestructArray<CPtrArray, CPerCase*>;
using CErrorMessageArray = CAutoDestructArray<CPtrArray, CErrorMessage*>;
using CNameModelArray = CAutoDestructArray<CPtrArray, CNameModel*>;
using COutputTableArray = CAutoDestructArray<CPtrArray, COutputTable*>;

// prefix + the case number as "%06d" + suffix; no number for a negative case.
std::string MakeCaseFileName(const std::string& prefix, int caseNumber, const std::string& suffix);

// directory + "/" + name (a name with a drive or two leading separators
// alone), then "." (unless extension starts with one) + extension when given.
std::string CombineFilePath(const std::string& directory, const std::string& name, const char* extension = nullptr);
// The path join of the foundation (MakeFilePath) without an extension.
std::string CombinePath(const std::string& directory, const std::string& name);

// True for the model types of a global model made of local models (ModelType 2 or 3).
bool IsGlobalModel(const CVornModelFile& model);

// The export configuration's file name in a run directory.
inline constexpr const char* kExportConfigFileName = "VornDbExportData.xml";

class CVornDbExportData {
 public:
  // The logger stays the caller's; the export writes its log through it.
  explicit CVornDbExportData(ILogging* logging);
  virtual ~CVornDbExportData();
  CVornDbExportData(const CVornDbExportData&) = delete;
  CVornDbExportData& operator=(const CVornDbExportData&) = delete;

  // The initial values of the run's members (the constructor calls it); frees nothing.
  void Reset();
  // Frees what the reading built, once it completed; nothing otherwise.
  void ReleaseModelData();
  bool IsModelDataLoaded() const { return m_bLoaded; }
  ILogging* GetLogging() const { return m_pLogging; }

  // ---- Reading the export configuration (caseset/config/)
  // Reads the document at path (null: m_strConfigFileName) into this object;
  // useShortPlantTags names the models of a global model by short plant tags.
  // False when the file cannot be read or parsed, a model file that is
  // present cannot be loaded, or an element reader fails; what was read
  // before a failure stays, and m_strReadErrorFile and m_strReadError say
  // which file failed and why.
  bool ReadDataFromXmlFile(const char* path, bool useShortPlantTags);
  bool ReadDataFromXmlFile(const std::string& path, bool useShortPlantTags) {
    return ReadDataFromXmlFile(path.c_str(), useShortPlantTags);
  }

  void ReadVornModelFile(const plat::XmlNode& node);
  // Records why a model file failed to load and ends the reading.
  [[noreturn]] void FailOnModel(const CVornModelFile& model);
  void ReadVornModelFileArray(const plat::XmlNode& node);
  void ReadLocalModels(const plat::XmlNode& node);
  void ReadAssembledCases(const plat::XmlNode& node);
  void ReadVornPeriods(const plat::XmlNode& node);
  void ReadPerCases(const plat::XmlNode& node);
  void ReadSelectedCases(const plat::XmlNode& node);
  void ReadCasesToBeSolved(const plat::XmlNode& node);
  void ReadErrorMessages(const plat::XmlNode& node);
  // Record readers: record is created when the element yields one, else left null.
  void ReadAssembledCase(const plat::XmlNode& node, std::unique_ptr<CAssembledCase>& record);
  void ReadCaseTableElement(const plat::XmlNode& node, std::unique_ptr<CCaseTable>& record);
  void ReadCaseSetting(const plat::XmlNode& node, std::unique_ptr<CCaseSetting>& record);
  void ReadTableFile(const plat::XmlNode& node, std::unique_ptr<CTableFile>& record);
  void ReadVornPeriod(const plat::XmlNode& node, std::unique_ptr<CVornPeriod>& record);
  void ReadPerCase(const plat::XmlNode& node, std::unique_ptr<CPerCase>& record);
  void ReadErrorMessage(const plat::XmlNode& node, std::unique_ptr<CErrorMessage>& record);
  // Defined in the rooms of the tag processor (caseset/tags/) and of the
  // scenario logic (caseset/scenario/); the document reader dispatches to the
  // ones that exist.
  void ReadExtendedTagProcessor(const plat::XmlNode& node);
  void ReadScenarioExecutionLogics(const plat::XmlNode& node);
  // Rebuilds m_paNameModels and m_paModelFiles from the models read.
  void BuildNameModels(bool useShortPlantTags);

  // The path after its last separator / before it, after one trailing separator is dropped.
  static std::string GetLastPathComponent(const std::string& path);
  static std::string GetParentPath(const std::string& path);

  // ---- Model file paths and model look-up (caseset/config/)
  // CombineFilePath(join(home directory, subdirectory), name, extension).
  std::string BuildFilePath(const std::string& subdirectory, const std::string& name,
                            const char* extension = nullptr) const;
  // A file of the main model: in its directory under the home directory (in
  // export kind 2 the home directory itself). Needs m_pModel.
  std::string GetModelFilePath(const std::string& name, const char* extension = nullptr) const;
  // A file of model (named modelName): export kind 2 its own directory, else
  // BuildFilePath(modelName, fileName).
  std::string GetModelTableFilePath(const CVornModelFile* model, const std::string& modelName,
                                    const std::string& fileName) const;
  // The main model or the first further model of that name (ignoring case), or null.
  CVornModelFile* FindModel(const std::string& modelName) const;
  // The table source back to the cache files of the case set: case number 0, no "tables.tmp".
  void ResetTableSource();
  // The current case's number and title; 0 and empty without one.
  void GetCurrentCase(int& number, std::string& title) const;

  // ---- Members (the values after construction in brackets)
  std::string m_strHomeDirectory;           // "HomeDirectory"
  // The case number the file-name manager names a case's matrix file and
  // model-table files for; the model-table readers' file case number (0).
  std::int32_t m_nOutputCaseNumber = 0;
  bool m_bDataValidation = false;           // "DataValidation": tables from "tables.tmp"
  std::unique_ptr<CVornModelFile> m_pModel;  // the main model
  CVornModelFile* m_pTableModel = nullptr;   // when set, the model-table map reader's model (not owned)
  std::unique_ptr<CAssembledCaseArray> m_paAssembledCases;  // the case set, sorted by number and model name
  std::unique_ptr<CVornModelFileArray> m_paLocalModelFiles;  // "VornModelFileArray", document order
  CAutoDestructArray<CPtrArray, CObject*>* m_paExtraTableMaps = nullptr;  // emptied by the table-map reader (not owned)
  ILogging* m_pLogging;                      // the export log (not owned)
  std::int32_t m_nExportKind = 1;
  PFNTABLEPROGRESS m_pfnTableProgress = nullptr;
  void* m_pOwnerWnd = nullptr;
  std::string m_strConfigFileName = kExportConfigFileName;
  // The directory the configuration was read from: the run directory; empty before a read.
  std::string m_strConfigDirectory;
  std::string m_strSystem;
  std::string m_strCompanyName;
  std::string m_strProgramVersion;
  std::string m_strOptimizerVersion;
  std::string m_strSolutionStatus;
  std::string m_strDatabaseDirectory;
  std::string m_strDatabaseDescription;
  std::string m_strRunID;
  std::string m_strInputDatabaseModelGuid;
  std::string m_strPaddedModel;
  std::string m_strCalculateTableExt;
  std::string m_strDatabaseLogDir;
  std::string m_strUserDomainName;
  std::string m_strUserName;
  std::string m_strMachineDomainName;
  std::string m_strMachineName;
  std::string m_strModelDirectory;
  bool m_bDeleteTables = false;
  std::optional<bool> m_pbDoDbSolution;  // absent until "DoDbSolution" is read
  bool m_bErrorDetected = false;
  bool m_bNoAddinsDuringExcelLaunch = false;
  bool m_bNeedMultipleExecutions = false;
  std::int32_t m_bDatabaseError = 0;  // set by every failing table operation; only Reset clears it
  // ---- The case being written (set by the export around a case's tables)
  bool m_bCaseOutput = false;        // each results database joins the case's transaction
  bool m_bDefiningRun = false;       // this process writes the run's once-per-database tables and rows
  bool m_bRunJoined = false;         // a case of this process joined a run recorded in the results database
  bool m_bResultTablesDefined = false;  // the definition pass found every result table (cleared with the tables)
  // The keys of the case's rows, so that its earlier rows are replaced: CaseID of its result rows (-1: no
  // case) and CASE of its legacy rows; whether they are in the results database (-1: not known yet); and
  // whether its output deleted them.
  std::int32_t m_nUnitCaseID = -1;
  std::int32_t m_nUnitLegacyCase = 0;
  std::int32_t m_nUnitEarlierRows = -1;
  bool m_bUnitReplacedRows = false;
  std::string m_strDatabaseFailure;  // the case's first failed database operation: table and cause
  // No host engine ran the local-model output of the case: the engine's LG tables are not there to copy.
  bool m_bEngineOutputSkipped = false;
  std::int32_t m_nSolutionID = 0;
  // The solution row this process wrote into the results database (its ModelID is found without the
  // database while the row is not committed); -1: none.
  std::int32_t m_nWrittenSolutionID = -1;
  std::int32_t m_nWrittenSolutionModelID = 1;
  std::int32_t m_nPasses = 0;
  std::int16_t m_nIterations = 0;
  std::int32_t m_nReportPeriod = 0;
  std::array<PFNHOSTCALLBACK, 100> m_pfnHostCallbacks{};  // entry 0: the message callback
  double m_dObjectiveValue = 0.0;
  plat::OleDateTime m_dtDateRunStart;
  plat::OleDateTime m_dtSolveStart;
  plat::OleDateTime m_dtSolveEnd;
  std::unique_ptr<CLocalModelArray> m_paLocalModels;  // "LocalModelArray", document order
  CAssembledCase* m_pCurrentCase = nullptr;           // the case being output (not owned)
  ErasedOwner<CScenarioLogicArray> m_paScenarioLogics{nullptr, nullptr};
  ErasedOwner<CExtendedTagProcessor> m_pTagProcessor{nullptr, nullptr};
  std::unique_ptr<CVornPeriodArray> m_paPeriods;    // sorted by code
  std::unique_ptr<CPerCaseArray> m_paPerCases;      // sorted by case
  void* m_pEngineOutputContext = nullptr;
  std::unique_ptr<std::vector<std::string>> m_plstLocalModelNames;      // text of every local model
  std::unique_ptr<std::vector<std::string>> m_plstReportedLocalModels;  // text of each reported one
  std::unique_ptr<std::vector<std::string>> m_pastrLocalModelCodes;     // code of every local model
  std::vector<std::string>* m_pvecSavedQueryNames = nullptr;            // not owned
  std::unique_ptr<CErrorMessageArray> m_paErrorMessages;                // document order
  PFNGLOBALMODELOUTPUT m_pfnGlobalModelOutput = nullptr;
  CDaoDatabase* m_pOwnDatabase = nullptr;    // for a table of no model (not owned)
  COutputTableArray* m_paOwnTables = nullptr;  // (not owned)
  std::unique_ptr<std::vector<std::int32_t>> m_paSelectedCases;
  std::unique_ptr<std::vector<std::int32_t>> m_paCasesToSolve;
  CNameModelArray m_paNameModels;    // sorted by name
  CVornModelFileArray m_paModelFiles;  // the model of each named model, by model index; owns nothing
  DbSqlSvr* m_pSqlServer = nullptr;  // the SQL Server driver, owned by the export
  PFNHOSTCALLBACK m_pfnMessageCallback = nullptr;
  bool m_bLoaded = false;  // the configuration was read completely
  std::string m_strReadErrorFile;  // the file a failed reading stopped at
  std::string m_strReadError;      // and why

 private:
  // The short plant tag of a local model's code (the code itself without a tag processor).
  std::string ShortPlantTag(const std::string& code) const;
};
