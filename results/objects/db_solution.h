#pragma once
// The result tree of one solved case: the solution owns the case (and
// through it modes, markets, nodes, periods and their records), the primal
// values per node and the transfer data of a multi-plant model. The builders
// of the solution fill and the result-table writers run on it; destroying it
// destroys the whole tree.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "caseset/modeltables/table_fil_table.h"
#include "platform/ole_date_time.h"
#include "results/objects/db_case.h"
#include "results/objects/db_primal.h"
#include "results/objects/trx_plant.h"

using CStringArrayExt = std::vector<std::string>;

class CVornModelFile;

// The crude-unit special submodels, from the model tables "CRDDISTL" and "CRDCUTS".
class CDbSpecialSubs : public CObject {
 public:
  std::int32_t m_nCrudeUnitCount = 0;  // rows of "CRDDISTL" beginning "REPORT"
  std::int32_t m_nColumnCount = 0;     // columns of "CRDDISTL"
  std::int32_t m_nCutCount = 0;        // rows of "CRDCUTS"
  std::uint8_t m_bVacuumTowerRow = 0;  // "CRDDISTL" has a non-blank "VACTWR" row
  std::vector<std::int32_t> m_aReportValues;     // the "REPORT" rows, row-major (blank: 0)
  std::vector<std::int32_t> m_aCutColumnFlags;   // per cut and column
  std::vector<std::int32_t> m_aCutColumnValues;  // per cut and column, cut-major
  std::vector<std::int32_t> m_aCutList;
  std::vector<std::int32_t> m_aCutTypes;         // one "TYPE" value per cut (blank: -1)
  CStringArrayExt m_astrCutNames;                // row names of "CRDCUTS"
  CStringArrayExt m_astrColumnNames;             // column names of "CRDDISTL"

  // ---- Builders of the solution fill (solutionfill/economics/). The lists
  // above are, in order: each crude unit's CRDDISTL cells, the pool and the
  // type of each cut per column, the vacuum-tower sharing per column, the
  // default type of each cut.
  // Crude units, cuts and pools of CRDDISTL, CRDCUTS and CRDPOOLS; one row
  // per crude unit is appended to submods. The case is not used.
  void BuildSpecialSubmodels(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, CTableFilTable& submods,
                             CVornDbExportData* exportData);
  // The pools of CRDCUTS itself; false when it cannot be read. The model is not used.
  bool ReadCrudeCutPools(CVornModelFile* modelFile, CDbModel* model, CVornDbExportData* exportData);
  // The table of report unit reportIndex from the chosen columns of the crude submodels "S" + column.
  void BuildReportTable(CVornModelFile* modelFile, CTableFilTable& table, const std::int32_t& reportIndex,
                        CVornDbExportData* exportData);
};

class CVornModelFile;
class CRecursionRecord;
class CKeshControl;
struct CTableMapDimensions;

class CDbSolution : public CObject {
 public:
  // Copies the solution identifier, the run's start and the model's scale
  // from the export context (which may be null) and keeps the pointer.
  explicit CDbSolution(CVornDbExportData* owner);
  ~CDbSolution() override;
  CDbSolution(const CDbSolution&) = delete;
  CDbSolution& operator=(const CDbSolution&) = delete;

  std::int32_t m_nVolumeBasis = 0;      // the model's setting VOLBASIS, copied by the case fill
  std::uint8_t m_bSingleModel = 1;      // cleared for a global model
  std::uint8_t m_bVolumeConversion = 0;  // VOLBASIS 0 with VolumeConversionSectionOn 1
  std::string m_strDescription;         // "Description" of "PrSolution"
  std::string m_strSystemVersion;       // "SystemVersion" of "PrSolution"
  std::string m_strWorkText1;           // working texts of the fill
  std::string m_strWorkText2;
  CTableFilTable m_tableFil;            // a model table in memory for the fill
  CAutoDestructArray<CPtrArray, CDbCase*> m_paCases;
  CAutoDestructArray<CPtrArray, CDbPrimalNode*> m_paPrimalNodes;
  CTrxPlantArray m_paTrxPlants;         // transfer data per plant
  CTrxPlantArray m_paTrxPlants2;
  std::vector<std::string> m_astrWorkList1;  // working lists of the fill
  std::vector<std::string> m_astrWorkList2;
  std::vector<std::string> m_astrWorkList3;
  std::vector<std::string> m_astrWorkList4;
  std::vector<std::string> m_astrWorkList5;
  std::uint8_t m_bParametricOverrides = 0;  // the fill has read parametric overrides
  std::int32_t m_nSolutionID = 0;       // "SolutionID" of every result row
  std::int32_t m_nModelID = -1;         // "ModelID" of "PrSolution"
  double m_dModelScale = 1.0;           // the model's base value
  plat::OleDateTime m_dtDateTime;       // the run's start
  std::vector<std::string> m_lstWorkStrings;  // working list of the fill
  CDbSpecialSubs m_specialSubs;
  CVornDbExportData* m_pDbData;

  // ---- The solution fill (solutionfill/): its state and operations. The
  // five working lists above hold the parametric overrides (row names,
  // values, period keys, model keys, bound keys), m_lstWorkStrings the
  // weight specifications.
  std::int32_t m_nRowCount = 0;       // the solution file's header
  std::int32_t m_nColumnCount = 0;
  std::int32_t m_nHeaderCode = 0;
  double m_dObjectiveValue = 0.0;
  std::string m_strHeaderText;
  std::int32_t m_nCurrentNodeId = 0;  // the node the fill made last
  std::uint8_t m_bSkipRawReceipts = 0;  // set before the main model's fill in export kind 2

  // The result objects of one model of the case; false when the table map
  // or the model's primal node is missing, or a global builder fails.
  bool FillSolution(CVornModelFile* modelFile, bool isGlobal, bool isLocalModel, const std::string& localModelName,
                    const std::string& nodeName);
  // A status text to the owner window, when the export context has one.
  void SendStatusMessage(const std::string& text, std::uintptr_t wParam = 0) const;
  // "ParametricOverrides.dat" of the main model into the working lists.
  void ReadParametricOverrides();
  // *value := the first matching override's value; untouched without a match.
  void GetParametricOverride(const std::string& rowName, const std::string& periodKey, const std::string& modelKey,
                             double* value, const std::string& boundKey) const;
  // The solver's side files of a case into the model definition.
  bool ReadRecursionFil(CVornModelFile* modelFile, CDbCase* dbCase);
  bool ReadPvtwDat(CVornModelFile* modelFile, CDbCase* dbCase);
  bool ReadTvpropDat(CVornModelFile* modelFile, std::int32_t& entryCount);

  // ---- Builders of streams, VTW values, models, modes, markets and depots.
  // Report-writer units of the REPORT rows without values; true when a row made units.
  bool AddRwUnits(CVornModelFile* modelFile, CDbNode* node, CDbCase* dbCase, bool isGlobal, bool isLocalModel);
  // VTW objects per stream and period; period is the first real period (single-period models only).
  void BuildVTW(CVornModelFile* modelFile, CDbModel* model, CDbCase* dbCase, CDbPeriod* period,
                const CTableMapDimensions& dimensions, bool isGlobal, bool isLocalModel);
  // Sign reversal and volume-basis conversion of the primal node's row marginals.
  void AdjustRowMarginals(CVornModelFile* modelFile, CDbPrimalNode* primalNode, CDbCase* dbCase, CDbPeriod* period,
                          CDbModel* model);
  // The case-wide objects of a global case: report flags, modes, markets,
  // depots, global stream lookups, market and plant groups. Always true.
  bool FillModelsModesMarketsDepots(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // Depot streams take the descriptions of the global model's streams.
  void SetStreamDescriptionsForDepots(CDbCase* dbCase, CDbModel* model);

  // ---- Economics: purchases, sales, transfers, economic summary, penalties, inventories.
  void BuildGlobalPurchase(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  void BuildGlobalSale(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // The DEMALLOC cost of (period, stream tag, market code, plant code); 0 when none.
  float FillDemandAllocation(CVornModelFile* modelFile, const std::string& periodName, const std::string& tag,
                             const std::string& marketCode, const std::string& plantCode);
  void BuildTransfer(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  void SetStreamQualityValuesForTransfers(CDbCase* dbCase);
  void AddGlobalEcoSums(CDbCase* dbCase, CDbModel* model);
  void BuildEcoSum(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal, bool isLocalModel);
  // The built-in KPIs with their values (not on a local-model run), then the
  // rows of SOLNKPIS; true when the model object has any KPI. isGlobal is not used.
  bool AddKpiValues(CVornModelFile* modelFile, CDbModel* model, CDbCase* dbCase, bool isGlobal, bool isLocalModel);
  // The KPIs and thresholds of the model's SOLNKPIS; suffixed takes only the
  // rows whose last character is the model object's name, without it. False
  // when the table or its YELLOW or RED column is missing.
  bool AddSolnKpiLimits(CVornModelFile* modelFile, CDbModel* model, bool suffixed);
  // The penalties of "penalty.dat"; then category 17 of the model's economic summary.
  void BuildPenalty(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal, bool isLocalModel,
                    bool isMultiPeriod);
  void BuildInventories(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  void BuildDepotInventories(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  void BuildGroupInventories(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // The minima (R not beginning "G") and maxima of "proclim.dat" into the
  // process-limit slots of the model's units; records of other plants (with
  // isGlobal or isLocalModel), periods or units are passed over.
  void SetProcLimMinMax(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal,
                        bool isLocalModel, bool isMultiPeriod);
  // The global model's zproclim (else PROCLIM) rows applied to the plants'
  // units; the model object is not used.
  void ProcessGlobalPROCLIM(CVornModelFile* modelFile, CDbModel* model, CDbCase* dbCase);
  // One row of that table applied to one unit of a plant in every period:
  // its limits (entry and slots) and its utilisation.
  void ApplyProcLimRow(CDbCase* dbCase, const CDbDefinition* unit, CDbModel* model, const CTableFilTable& table,
                       int row, const std::map<std::string, int>& minColumns,
                       const std::map<std::string, int>& maxColumns);
  // Capacity, process-unit, blender and pump limits of every period, with their penalties.
  void BuildCapacityLimits(CDbCase* dbCase, CDbModel* model, CVornModelFile* modelFile);
  // The activity, bounds and marginal value of the BOUNDS table's LP columns, per period.
  void BuildBound(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal);
  // The groups of a model object: GROUPS with its BUY and SELL members, the
  // report groups of a local model, and the blend-mix groups.
  void BuildGroups(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal);
  std::uint8_t m_bHasReportGroups = 0;  // GROUPS had rows (reset per model object)
  std::int32_t m_nLastGroupNumber = 0;  // the highest group number given so far
  std::uint8_t m_bHasMarketGroups = 0;  // demand-market groups were made
  std::uint8_t m_bHasPlantGroups = 0;   // demand-plant groups were made
  // The definitions of a local model from its tables (streams, blends, units,
  // utilities, capacities, process limits, blender capacities, qualities,
  // local tags); m_tableFil keeps its SUBMODS table.
  void ProcessLocalTables(CVornModelFile* modelFile, CDbModel* model, CDbCase* dbCase);
  // The trade flags of a stream to its alternates that lack them.
  void CopyTradeFlagsToAlternates(CDbModel* model, CDbStream* stream);
  std::uint8_t m_bHasSubmodsUnits = 0;  // a SUBMODS row named a unit (never cleared)
  // Purchases and sales of a model per period (BUY, SELL, GSELL, MARKETS and
  // the LP columns), with their group bounds, penalties and link ends.
  void BuildLocalPurchase(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  void BuildLocalSale(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // Utility purchases and sales per period with their shadow prices, group bounds and link ends.
  void BuildUtilities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // Blend quantities and recipes per period from BLNMIX and the blend columns,
  // the blend VTW and the blender link ends; a second run rebuilds in place.
  void BuildRecipes(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // The blend targets of BLNTARG.
  void BuildBlendTargets(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);

  // ---- Unit groups and links of the solution fill (solutionfill/economics/).
  // Unit groups of the SUBMODS column "COMBINE" with their summed operations.
  void BuildGroupUnitOps(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // Pairs each real period's link ends into material and utility link records.
  void FillInventoryLinks(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  // The unit tag of a link end ("BUY", a unit, "B" + blend, "SELL", "T" + stream); empty when unknown.
  std::string GetLinkUnitTag(const CDbLink* link, const CDbModel* model) const;
  // Unit qualities, operations, property rows, link ends and cross references of every SUBMODS unit.
  void BuildUnitOps(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, const CRecursionRecord& recursion);
  // The rows of one unit's table, for every period.
  void BuildUnitRows(CDbDefinition* unit, CVornModelFile* modelFile, CTableFilTable& table, CDbPrimalNode* primalNode,
                     CDbCase* dbCase, CDbModel* model, const CRecursionRecord& recursion);
  // The look-ups of recursion-dependent unit coefficients, once per model:
  // the model's recursed pool names with their PGUESS guesses, ROWSORG and,
  // for a multi-period model, "TVPROP.DAT".
  void BuildRecursionRows(CVornModelFile* modelFile, const CRecursionRecord& recursion);
  // The coefficient of (row, column) in period index a: a recursed pool
  // coefficient (poolCoefficient) or a general recursion coefficient; value
  // is left alone when no source has one.
  void GetRecursedCoefficient(CVornModelFile* modelFile, const std::string& row, const std::string& column,
                              std::int32_t a, const CRecursionRecord& recursion, float& value, bool poolCoefficient);
  // value times the recursed factor of firstPart + secondPart, or replaced by
  // the TVPROP value of secondPart in period a; false when neither exists.
  bool ApplyRecursedFactor(CVornModelFile* modelFile, const std::string& firstPart, const std::string& secondPart,
                           std::int32_t a, const CRecursionRecord& recursion, float& value);
  // A global case: the property rows fed by transferred streams, computed
  // again with the qualities of the plants that send them.
  void ReProcessPRowsForTransfers(CDbCase* dbCase);
  // Folds the product operations of a crude report unit that belong to one cut into the first of them.
  void MergeCutOperations(CDbDefinition* unit, const CTableFilTable& table, CDbPrimalNode* primalNode,
                          CDbCase* dbCase, CDbModel* model);
  // A second property row after source with the property converted back
  // through a formula or the INDEX table; true when a conversion decided
  // (the caller then skips an id). counter is unchanged on return.
  bool BuildPRows(CVornModelFile* modelFile, CDbPeriod* period, CDbModel* model, const std::string& quality,
                  const CDbPRow* source, std::int32_t& counter);

  // ---- Stream, blend and group qualities of the solution fill (solutionfill/core/).
  // The recursion results and blend-table qualities of one model, per period.
  void BuildStreamQualities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model,
                            const CRecursionRecord& recursion, bool isLocalModel);
  // The source plant and pool of a transferred stream quality; both emptied first.
  bool FindTransferSource(CDbModel* model, CDbStream* stream, CDbQuality* quality, std::string& sourcePlant,
                          std::string& sourcePool);
  // Transferred stream qualities take the values of their source plants.
  void FillNodeStreamQualities(CDbCase* dbCase);
  // Input qualities of one period worked back through formulas and INDEX pairs.
  void BuildDerivedStreamQualities(CVornModelFile* modelFile, CDbPeriod* period, CDbModel* model);
  // Blend qualities of every period from BLNSPEC, the recipes and the blend-model library.
  // The fourth argument is not used.
  void BuildBlendQualities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, const void* unused);
  // One BLNSPEC cell position (blend column, specification row) for all periods.
  void CalcBlendSpecs(const CTableFilTable& blnspec, bool hasZblnspec, const CTableFilTable& zblnspec, bool hasPinv,
                      const CTableFilTable& pinv, int column, int row, CVornModelFile* modelFile, CDbCase* dbCase,
                      CDbModel* model, const CKeshControl& control);
  // The quantity-weighted average of the recipe's component qualities.
  void CalcRecipeBlendQuality(CVornModelFile* modelFile, CDbPeriod* period, CDbModel* model, CDbBlend* blend,
                              CDbQuality* quality);
  // The blend-model control file "KeshControl.dat": 0 not read, 1 read, 2 failed.
  int ReadKeshControl(CVornModelFile* modelFile, CKeshControl& control);
  // The blend-model library's value of the quality for the blend in the period; 1e30 when none.
  double KeshCalcQuality(CDbModel* model, CDbQuality* quality, CDbBlend* blend, CDbPeriod* period,
                         const CKeshControl& control);
  // values[k] for the k-th name of width characters in names.
  void CollectBlendQualityValues(CDbModel* model, CDbBlend* blend, CDbPeriod* period, const std::string& names,
                                 int width, double* values);
  // Qualities of the blend that follow from the source blend quality through formulas or INDEX pairs.
  void DeriveBlendQualities(CVornModelFile* modelFile, CDbPeriod* period, CDbModel* model, CDbQuality* quality,
                            CDbBlendQuality* source, const CTableFilTable& specTable, CDbBlend* blend);
  // Report orders of the blend qualities after the BLNSPEC rows, and of the streams BLNXXX lists.
  void OrderBlendQualitiesBySpecs(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  void OrderStreamsByBlnxxx(CVornModelFile* modelFile, CDbModel* model);
  // Group qualities of GBLNSPEC (global run), and of BLNSPEX (or BLNSPEC) and PBLNSPEC; the
  // fourth argument is not used.
  void BuildGlobalGroupQualities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model);
  void BuildGroupQualities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, const void* unused);

  // ---- The result-table writers (writers/).
  // Writes the solution rows, defines the result tables and writes the case
  // and the primal values; false at the first failure that ends the case.
  bool WriteToDatabase(bool firstCase, bool needMultipleExecutions);
  // Opens and defines every result table of the schema, in its fixed order.
  bool DefineTables();
};
