#pragma once
// A node (plant) of a case ("PrNode"; m_nID "NodeID", m_strName its tag)
// with its model and its depots ("PrDepot").

#include <cstdint>
#include <string>

#include "results/objects/db_model.h"
#include "results/objects/db_stream.h"

class CDbCase;
class CVornModelFile;

class CDbDepot : public CDbObject {
 public:
  explicit CDbDepot(const std::string& name) : CDbObject(name) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::string m_strDescription;  // "Description" (cut to 20 by the writer)
  std::string m_strTag;          // "Tag"
  CDbStreamArray m_paStreams;    // "PrStream", with the depot's identifier as "NodeID"
  CVornDbExportData* m_pDbData = nullptr;

  // ---- The result-table writers (writers/).
  // "PrDepot" on the first case, then the depot's streams on every case.
  bool WritePrDepot(std::int32_t solutionId, std::int32_t caseId, bool firstCase);
};

class CDbNode : public CDbObject {
 public:
  explicit CDbNode(const std::string& name) : CDbObject(name) {}
  CDbNode(std::int32_t id, CVornDbExportData* owner) : CDbObject(id), m_pDbData(owner) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::int32_t m_nVWBasisID = 0;  // "VWBasisID" (short)
  std::uint8_t m_bDummyFlag = 0;  // "DummyFlag"
  CDbModelArray m_paModels;       // one per node
  CAutoDestructArray<CPtrArray, CDbDepot*> m_paDepots;  // destroyed before the models
  CVornDbExportData* m_pDbData = nullptr;

  // ---- Builders of the solution fill (solutionfill/).
  // The model's gas streams from the table "GASES"; always true.
  bool BuildGasStreams(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // The hydrogen-balance streams and qualities of the worksheet "HBALDEF.Xls"
  // of the main model's directory; true also when there is none.
  bool BuildTagQualities(CVornModelFile* modelFile, std::int32_t caseId, CDbModel* model);
  // The units of measure of the table "UNITS" and the streams' volume unit types.
  void BuildUnitsOfMeasure(CVornModelFile* modelFile, std::int32_t caseId, CDbModel* model);
  // A depot named like the node; a model whose name is the node's and empty.
  bool HasOwnDepot() const;
  bool HasUnnamedModel() const;

  // ---- The result-table writers (writers/).
  // "PrNode" on the first case, then the node's depots and models.
  bool WritePrNode(std::int32_t solutionId, std::int32_t caseId, bool firstCase);
};
