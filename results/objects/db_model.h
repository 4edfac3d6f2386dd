#pragma once
// The results of one model ("PrModel"; m_nID "ModelID", m_strName the
// model's name; an empty name is written as "." in "Tag"): the container of
// everything that belongs to a model rather than to a period. The arrays
// m_paBlendStreams, m_paGasStreams, m_paHydrogenStreams and
// m_paHydrogenQualities are views of m_paStreams and m_paQualities.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "caseset/modeltables/table_fil_table.h"
#include "caseset/plantdata/raw_receive.h"
#include "caseset/plantdata/raw_ship.h"
#include "results/objects/db_blend.h"
#include "results/objects/db_definition.h"
#include "results/objects/db_group.h"
#include "results/objects/db_model_items.h"
#include "results/objects/db_primal.h"
#include "results/objects/db_quality.h"
#include "results/objects/db_stream.h"
#include "results/objects/db_value_records.h"

class CDbCase;
class CDbPeriod;
class CVornModelFile;
class CDbDepot;
struct CTableMapDimensions;

class CDbModel : public CDbObject {
 public:
  explicit CDbModel(const std::string& name) : CDbObject(name) { ClearViewOwnership(); }
  CDbModel(std::int32_t id, CVornDbExportData* owner) : CDbObject(id), m_pDbData(owner) { ClearViewOwnership(); }
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  template <class T>
  using Array = CAutoDestructArray<CPtrArray, T*>;

  std::string m_strTag;            // "Tag" of "PrModel"
  std::string m_strModelName;      // "ModelName"
  std::string m_strHomeDirectory;  // "HomeDirectory"
  std::int32_t m_nModelTypeID = 0;  // "ModelTypeID" (short): the model definition's type
  std::string m_strDescription;    // "Description": the title lines joined, cut to 72 by the writer
  std::string m_strTitle1;
  std::string m_strTitle2;
  std::string m_strTitle3;
  std::int32_t m_nUOMState = 0;    // 2 once the units of measure are made
  double m_dWorkValue = 0.0;       // working value of the fill
  std::int32_t m_nPeriodCount = 0;  // periods of the model definition
  std::int32_t m_nReportFlag = 1;  // "ReportFlag" (short)
  CTableFilTable m_tableFil;       // a model table in memory for the builders

  Array<CDbObject> m_paObjects;                 // plain named items of the fill
  // Crude receipts ("PrReceive") and shipments ("PrShip") of the model's plant data.
  CRawReceiveArray m_paRawReceives;
  CRawShipArray m_paRawShips;
  Array<CDbStream> m_paStreams;                 // "PrStream", "PrGlobalStreamLookup", "PrUnitofMeasure"
  Array<CDbQuality> m_paQualities;              // "PrQuality"
  Array<CDbGroup> m_paGroups;                   // "PrGroup" and its member tables
  Array<CDbBlend> m_paBlends;                   // "PrBlend", "PrBlendTarget"
  Array<CDbRFGBlend> m_paRFGBlends;             // "PrRFGBlend"
  Array<CDbDefinition> m_paUtilities;           // "PrUtility"
  Array<CDbDefinition> m_paUnits;               // "PrUnit", "PrUnitQuality"
  Array<CDbDefinition> m_paCapacities;          // "PrCapacity"
  Array<CDbBlenderCapacity> m_paBlenderCapacities;  // "PrBlenderCapacity", "PrBlenderCapacityMember"
  Array<CDbStream> m_paBlendStreams;            // view: streams named in the blender-capacity table
  Array<CDbAlternate> m_paAlternateStreams;     // "PrAlternateStream"
  Array<CDbAlternate> m_paAlternateUtilities;   // "PrAlternateUtility"
  Array<CDbAltCrude> m_paAltCrudes;             // alternate crudes with their streams
  Array<CDbGroupUnit> m_paGroupUnits;           // "PrGroupUnit", "PrGroupUnitMember"
  Array<CDbUOM> m_paUOMs;                       // "PrUOMType"
  Array<CDbFixedCost> m_paFixedCosts;           // "PrFixedCost"
  Array<CDbStream> m_paHydrogenStreams;         // view: "PrHydrogenStream"
  Array<CDbQuality> m_paHydrogenQualities;      // view: "PrHydrogenQuality"
  Array<CDbRwStream> m_paRwStreams;             // "PrRWStream"
  Array<CDbRwUnit> m_paRwUnits;                 // "PrRWUnit"
  Array<CDbRwBlend> m_paRwBlends;               // "PrRWBlend"
  Array<CDbDefinition> m_paProcessCapacities;   // "PrProcessCapacity"
  Array<CDbUnitOp> m_paUnitProcessLimits;       // "PrUnitProcessLimit"
  Array<CDbKpi> m_paKpis;                       // "PrKpi", "PrKpiAnchor"
  Array<CDbVTW> m_paVTWs;                       // volume-to-weight factors of the model's streams
  Array<CDbStream> m_paGasStreams;              // view: "PrGasStream", streams of the table "GASES"
  Array<CDbCrdBlend> m_paCrdBlends;             // "PrCrdBlend"
  std::uint8_t m_bHasPCALCPools = 0;            // the model has PCALC pools
  Array<CPCALCingPool> m_paPCALCingPools;
  Array<CDbInt> m_paAlternateLinks;             // stream identifiers under a key, of the alternate builders
  Array<CDbInt> m_paAlternateLinks2;
  Array<CDbPrimal> m_paPrimals;                 // primal values kept at model level

  // A stream name of the global model -> the name of this model's stream.
  std::map<std::string, std::string> m_mapStreamNames;
  // ---- Economics of the solution fill (solutionfill/economics/).
  std::map<std::string, std::string> m_mapLocalTags;  // LOCTAGS: a local tag -> the model's stream tag
  double m_dTransferPercent = 0.0;  // share of transfer values kept by the plant; no builder sets it
  double m_dSourceValue = 0.0;      // the main model's SOURCE setting, copied by the transfer builder
  std::int32_t m_nInventorySpecBlendsOption = 0;  // the setting XDR_InventorySpecBlendsInRecursedPools
  // The fixed costs of the table "REPORT" (column "VAL"); caseId is not used.
  void BuildFixedCosts(CVornModelFile* modelFile, std::int32_t caseId);
  // The plant's transfer, sale and purchase values (categories 7, 8, 15, 16) of a period.
  void FillLocalCostEcoSums(CDbPeriod* period);
  CVornDbExportData* m_pDbData = nullptr;

  // ---- Builders of the solution fill (solutionfill/); m_pDbData is the
  // export context they read the main model and the tags through.
  // Streams for the recursed pools of the primal node's first real period.
  void BuildRecursedPools(CDbPrimalNode* primalNode, CDbCase* dbCase);
  // Blend VTW = activity of "BVBL" + blend / activity of "BWBL" + blend, per period.
  void SetBlendVtw(CDbPrimalNode* primalNode, CDbCase* dbCase);
  // Each alternate stream's VTW to its base stream, in every real period.
  void CopyAlternateVtw(CDbCase* dbCase);
  // Blend-mix, demand-plant and demand-market groups; true when a group was
  // made. lastGroupNumber is the solution's running group number.
  bool FillPeriodBlendMix(CVornModelFile* modelFile, CDbCase* dbCase, bool isGlobal, std::int32_t* lastGroupNumber);
  bool FillGlobalBlendMix(CVornModelFile* modelFile, CDbCase* dbCase, bool isGlobal, std::int32_t* lastGroupNumber);
  bool FillPlantGroups(CVornModelFile* modelFile, CDbCase* dbCase, std::int32_t* lastGroupNumber);
  bool FillMarketGroups(CVornModelFile* modelFile, CDbCase* dbCase, std::int32_t* lastGroupNumber,
                        const std::vector<CDbDepot*>& depots);
  // Global stream lookups of this (global) model's streams into the local models.
  void BuildNodeModelStreams(CVornModelFile* modelFile, CDbCase* dbCase);
  // Alternate streams and utilities of the table map's pairs, their indexes and the alternate crudes.
  void BuildAlternateStreams(const CTableMapDimensions& dimensions, CDbCase* dbCase);
  // Relabels the one bought alternate of a base crude bought in no period.
  void BuildAlternateCrudes(CDbPrimalNode* primalNode, CDbCase* dbCase);
  // Material and utility balances of every period into target (this model or
  // a depot), with the out-of-balance warnings.
  void BuildMaterialBalance(CDbPrimalNode* primalNode, CDbCase* dbCase, CDbObject* target, std::int32_t volumeBasis);
  // VPOOL: a stream name -> the name of the stream whose balance row stands for it.
  void ReadVpoolMap(CVornModelFile* modelFile, std::map<std::string, std::string>& map);
  // LOCTAGS rows of this model: m_paPrimals (name = global tag, alias = local
  // tag) and m_mapLocalTags (local tag -> global tag). Neither argument is used.
  void BuildLocTags(CVornModelFile* modelFile, CDbCase* dbCase);
  // The PCALC model of the tables PCALC and PCALCB into m_paPCALCingPools;
  // poolFirst: characters 1-3 of a row name are the computed pool. True when
  // a pool was made.
  bool BuildPcalcPools(CVornModelFile* modelFile, bool poolFirst);
  // A dummy stream for every computed pool that is no stream of the model yet.
  void BuildPcalcPoolStreams();
  // The component fractions of the crude blends of the table CRDBLEND.
  void BuildCrdBlends(CVornModelFile* modelFile);
  // The alternate record of a utility (by its tag) copied into record; false when it has none.
  bool FindAlternateUtility(const CDbDefinition& utility, CDbAlternate& record) const;

  // The values per period of every KPI but the built-in FPI, STATUS,
  // PENALTIES, SOB and UOB; the MARGVAL, DJ and PI KPIs only mark the primal node.
  void BuildKpiValues(CDbPrimalNode* primalNode, CDbCase* dbCase);

  // ---- The result-table writers (writers/).
  // "PrModel" on the first case, then every model-level table of the case.
  bool WritePrModel(std::int32_t solutionId, std::int32_t caseId, bool firstCase);

  // ---- Result-table writers (writers/).
  // The export's error messages of this model, then its crude receipts and shipments.
  bool WritePrErrorMessage(std::int32_t solutionId, std::int32_t caseId);
  bool WritePrReceive(std::int32_t solutionId, std::int32_t caseId);
  bool WritePrShip(std::int32_t solutionId, std::int32_t caseId);

 private:
  void ClearViewOwnership() {
    m_paBlendStreams.m_bOwnsElements = 0;
    m_paHydrogenStreams.m_bOwnsElements = 0;
    m_paHydrogenQualities.m_bOwnsElements = 0;
    m_paGasStreams.m_bOwnsElements = 0;
  }
};

using CDbModelArray = CAutoDestructArray<CPtrArray, CDbModel*>;
