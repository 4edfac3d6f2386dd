#pragma once
// One solved case ("PrCase"; m_nID "CaseID") with its case-set rows,
// transfer modes, markets, nodes, periods and solution states. The first
// solution state is the case's final one; "ObjectiveFunction",
// "SolutionStatus" and "Passes" come from it, the out-of-tolerance counts
// from its first CDbOutofTol.

#include <array>
#include <cstdint>
#include <string>

#include "results/objects/db_node.h"
#include "results/objects/db_period.h"

class CAssembledCase;
class CRecursionRecord;
class CVornModelFile;

// Out-of-tolerance counts of a model in a solution state
// ("PrRecursionLogModel": "SequenceID", "ModelID").
class CDbOutofTol : public CDbDataObject {
 public:
  explicit CDbOutofTol(std::int32_t id = 0, std::int32_t nodeId = 0, CVornDbExportData* owner = nullptr)
      : CDbDataObject(id, nodeId), m_pDbData(owner) {}

  std::int32_t m_nPropOutofTolerance = 0;   // "PropOutofTolerance"
  std::int32_t m_nDistrOutofTolerance = 0;  // "DistrOutofTolerance"
  CVornDbExportData* m_pDbData;

  // ---- The result-table writers (writers/).
  bool WritePrRecursionLogModel(std::int32_t solutionId, std::int32_t caseId);
};

// A solution state: the case's final one (identifier 0) or one per pass of
// the recursion log ("PrRecursionLog").
class CDbSolutionState : public CDbObject {
 public:
  explicit CDbSolutionState(std::int32_t id = 0, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}

  double m_dObjectiveFunction = kDbNotSet;  // "ObjectiveFunction"
  std::int32_t m_nSolutionStatus = 0;       // "SolutionStatus" (short)
  std::int32_t m_nRecursionTypeID = 0;      // "RecursionTypeID" (short)
  std::int32_t m_nPasses = 0;               // "Passes" of "PrCase"; "LPIterations" of "PrRecursionLog"
  CAutoDestructArray<CPtrArray, CDbOutofTol*> m_paOutofTols;
  CVornDbExportData* m_pDbData;

  // ---- Result-table writers (writers/).
  bool WritePrRecursionLog(std::int32_t solutionId, std::int32_t caseId);
};

// A transfer mode ("PrMode"; m_nID "ModeID", m_strName the short tag).
class CDbMode : public CDbObject {
 public:
  explicit CDbMode(const std::string& name, CVornDbExportData* owner = nullptr) : CDbObject(name), m_pDbData(owner) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::uint8_t m_bDummyFlag = 0;  // "DummyFlag"
  std::string m_strDescription;   // "Description" (cut to 20 by the writer)
  std::string m_strTag;           // "Tag": the extended tag under tag aliases, else the short tag
  CVornDbExportData* m_pDbData;

  // ---- The result-table writers (writers/).
  bool WritePrMode(std::int32_t solutionId, std::int32_t caseId);
};

// A market ("PrMarket"; m_nID "MarketID", m_strName the short tag).
class CDbMarket : public CDbObject {
 public:
  explicit CDbMarket(const std::string& name, CVornDbExportData* owner = nullptr) : CDbObject(name), m_pDbData(owner) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::uint8_t m_bDummyFlag = 0;  // "DummyFlag"
  std::string m_strDescription;   // "Description" (cut to 20 by the writer)
  std::string m_strTag;           // "Tag"
  CVornDbExportData* m_pDbData;

  // ---- The result-table writers (writers/).
  bool WritePrMarket(std::int32_t solutionId, std::int32_t caseId);
};

// A case-set row ("PrCaseSet"; m_nID "CaseID").
class CDbCaseSet : public CDbObject {
 public:
  explicit CDbCaseSet(std::int32_t id, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}

  // The row from the assembled case (nothing for null): its title and
  // selection formulas, "Truncated" its selection value; the parent case is
  // the Case of the export context's scenario logic for the case's formula
  // and number, when there is one.
  void Fill(const CAssembledCase* assembledCase);

  std::int32_t m_nSetParentCase = -1;  // "SetParentCase"
  std::int32_t m_nTruncated = 0;       // "Truncated"
  std::string m_strDescription;        // "Description" (cut to 72 by the writer)
  std::string m_strSelFormula;         // "SelFormula" (memo)
  std::string m_strSelModifiedFormula;  // "SelModifiedFormula" (memo)
  CVornDbExportData* m_pDbData;

  // ---- The result-table writers (writers/).
  bool WritePrCaseSet(std::int32_t solutionId);
};

class CDbCase : public CDbObject {
 public:
  static constexpr int kNoteCount = 20;

  explicit CDbCase(std::int32_t id, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}

  std::int32_t m_nSolveTime = 0;  // "SolveTime"
  std::int32_t m_nTotalTime = 0;  // "TotalTime"
  std::string m_strDescription;   // "Description" (cut to 72 by the writer)
  std::string m_strOptimizer;     // "Optimizer"
  std::string m_strOptimizerVersion;  // "OptimizerVersion"
  std::array<std::string, kNoteCount> m_strNotes;  // "NOTE01" to "NOTE20"
  std::uint8_t m_bLimitedByMinMax = 0;  // "LimitedByMinMax"
  // 1 when the periods come from the model's period list, 0 for one default period.
  std::int32_t m_bModelPeriods = 0;
  CDbPeriod* m_pFirstPeriod = nullptr;  // the first period of m_paPeriods (not owned)
  // The index of the first real period (1 after the dummy period of a
  // multi-period case, else 0), never past the end of the period list.
  int FirstRealPeriodIndex() const {
    const int first = m_bModelPeriods > 0 ? 1 : 0;
    return first < m_paPeriods.GetSize() ? first : m_paPeriods.GetSize();
  }
  CAutoDestructArray<CPtrArray, CDbCaseSet*> m_paCaseSets;              // "PrCaseSet"
  CAutoDestructArray<CPtrArray, CDbMode*> m_paModes;                    // "PrMode"
  CAutoDestructArray<CPtrArray, CDbMarket*> m_paMarkets;                // "PrMarket"
  CAutoDestructArray<CPtrArray, CDbNode*> m_paNodes;                    // "PrNode"
  CAutoDestructArray<CPtrArray, CDbPeriod*> m_paPeriods;                // "PrPeriod"
  CAutoDestructArray<CPtrArray, CDbSolutionState*> m_paSolutionStates;  // the first is the final state
  // ---- Economics of the solution fill (solutionfill/economics/).
  // The 17 zero economic-summary entries of modelId in every real period.
  void BuildEconomicSummary(std::int32_t& modelId);
  // ---- The fill driver (solutionfill/core/).
  // Merges the recursion passes of a model into the solution states (one per pass, by id).
  void BuildSolutionState(const std::int32_t* modelId, const CRecursionRecord& recursion);
  // Report groups and local costs and prices of the plants' BUY and SELL tables.
  void AddReportGroupsLocalCosts(CDbModel* globalModel);
  // The model named like its node of the first node with that NodeID, or null.
  CDbModel* FindNodeModel(std::int32_t nodeId) const;
  CVornDbExportData* m_pDbData;

  // ---- The result-table writers (writers/): "PrCase" and everything below the case.
  bool WritePrCase(std::int32_t solutionId, bool firstCase);
  // One "PrSetting" record per item of the model definition's settings list.
  bool WritePrSetting(CVornModelFile* modelFile, std::int32_t solutionId, std::int32_t modelId);
  // One "PrMSSolutions" record per multi-start objective value of the model definition.
  bool WritePrMSSolutions(CVornModelFile* modelFile, std::int32_t solutionId, std::int32_t nodeId);
};
