// The texts of the saved report queries, in creation order. Each is a
// SELECT of SQLite's dialect over the result tables of the catalogue.

#include "writers/queries/report_queries.h"

namespace {

constexpr SavedQueryText kReportViews[] = {
    {"RN_AcrossBlendQualitiesWithoutGroups",
     "SELECT VN_BlendQualitiesWithoutGroups.* FROM VN_BlendQualitiesWithoutGroups ORDER BY "
     "VN_BlendQualitiesWithoutGroups.SolutionID, VN_BlendQualitiesWithoutGroups.CaseID, "
     "VN_BlendQualitiesWithoutGroups.ModelID, VN_BlendQualitiesWithoutGroups.ReportGroup, "
     "VN_BlendQualitiesWithoutGroups.ReportOrder, VN_BlendQualitiesWithoutGroups.PeriodID"},
    {"RN_AcrossBlendRecipeUsed",
     "SELECT VN_BlendRecipeUsed.* FROM VN_BlendRecipeUsed ORDER BY VN_BlendRecipeUsed.SolutionID, "
     "VN_BlendRecipeUsed.CaseID, VN_BlendRecipeUsed.ModelID, VN_BlendRecipeUsed.ReportGroup, "
     "VN_BlendRecipeUsed.ReportOrder, VN_BlendRecipeUsed.PeriodID"},
    {"RN_AcrossCapacityUtilization",
     "SELECT VN_CapacityUtilization.* FROM VN_CapacityUtilization ORDER BY "
     "VN_CapacityUtilization.SolutionID, VN_CapacityUtilization.CaseID, VN_CapacityUtilization.ModelID, "
     "VN_CapacityUtilization.ReportOrder, VN_CapacityUtilization.PeriodID"},
    {"RN_AcrossEconomicSummary",
     "SELECT VN_EconomicSummary.* FROM VN_EconomicSummary ORDER BY VN_EconomicSummary.SolutionID, "
     "VN_EconomicSummary.CaseID, VN_EconomicSummary.ModelID, VN_EconomicSummary.ReportOrder, "
     "VN_EconomicSummary.PeriodID"},
    {"RN_AcrossFormBlend",
     "SELECT VN_FormBlend.* FROM VN_FormBlend ORDER BY VN_FormBlend.SolutionID, VN_FormBlend.CaseID, "
     "VN_FormBlend.ModelID, VN_FormBlend.ReportGroup, VN_FormBlend.ReportOrder, VN_FormBlend.PeriodID"},
    {"RN_AcrossGlobalMatPurch",
     "SELECT V.* FROM (SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, "
     "M.Tag AS ModelTag, T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag "
     "AS StreamTag, S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, "
     "T.VWBasisID, T.Cost, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportGroup, T.ReportOrder AS "
     "ReportOrder FROM ((PrPurchase AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND "
     "T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID "
     "AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID WHERE M.ModelTypeID IN (2, 3)) AS V "
     "ORDER BY V.SolutionID, V.CaseID, V.ModelID, V.ReportGroup, V.ReportOrder, V.PeriodID"},
    {"RN_AcrossGroupInventory",
     "SELECT V.* FROM (SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, "
     "M.Tag AS ModelTag, T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, G.Tag "
     "AS GroupTag, G.Description AS GroupDescription, T.MinValue, T.MaxValue, T.MarginalValue, T.Target, "
     "G.GroupNumber AS ReportGroup, G.GroupNumber AS ReportOrder FROM ((PrGroupInventory AS T INNER JOIN "
     "PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON "
     "T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroup "
     "AS G ON T.SolutionID = G.SolutionID AND T.CaseID = G.CaseID AND T.NodeID = G.NodeID AND T.GroupID = "
     "G.GroupID) AS V ORDER BY V.SolutionID, V.CaseID, V.ModelID, V.ReportGroup, V.ReportOrder, V.PeriodID"},
    {"RN_AcrossGroupPurch",
     "SELECT VN_GroupPurch.* FROM VN_GroupPurch ORDER BY VN_GroupPurch.SolutionID, VN_GroupPurch.CaseID, "
     "VN_GroupPurch.ModelID, VN_GroupPurch.ReportGroup, VN_GroupPurch.ReportOrder, VN_GroupPurch.PeriodID"},
    {"RN_AcrossGroupQualities",
     "SELECT VN_GroupQualities.* FROM VN_GroupQualities ORDER BY VN_GroupQualities.SolutionID, "
     "VN_GroupQualities.CaseID, VN_GroupQualities.ModelID, VN_GroupQualities.ReportGroup, "
     "VN_GroupQualities.ReportOrder, VN_GroupQualities.PeriodID"},
    {"RN_AcrossGroupSale",
     "SELECT VN_GroupSale.* FROM VN_GroupSale ORDER BY VN_GroupSale.SolutionID, VN_GroupSale.CaseID, "
     "VN_GroupSale.ModelID, VN_GroupSale.ReportGroup, VN_GroupSale.ReportOrder, VN_GroupSale.PeriodID"},
    {"RN_AcrossInventory",
     "SELECT V.* FROM (SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, "
     "M.Tag AS ModelTag, T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag "
     "AS StreamTag, S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Opening, "
     "T.Closing, T.Target, T.VWBasisID, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportOrder AS "
     "ReportOrder, T.OpeningCost, T.ClosingPrice, T.HoldingCost, T.PenaltyCost FROM ((PrInventory AS T "
     "INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod "
     "AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND "
     "T.StreamID = S.StreamID) AS V ORDER BY V.SolutionID, V.CaseID, V.ModelID, V.ReportOrder, V.PeriodID"},
    {"RN_AcrossMaterialBalance",
     "SELECT V.* FROM (SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, "
     "M.Tag AS ModelTag, T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag "
     "AS StreamTag, S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, "
     "T.Slack, T.MarginalValue, T.VWBasisID, T.OutofBalanceFlag, S.ReportOrder AS ReportOrder FROM "
     "((PrMaterialBalance AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.ModelID = S.NodeID AND T.StreamID = S.StreamID) AS V ORDER BY V.SolutionID, V.CaseID, "
     "V.ModelID, V.ReportOrder, V.PeriodID"},
    {"RN_AcrossMatPurch",
     "SELECT VN_MatPurch.* FROM VN_MatPurch ORDER BY VN_MatPurch.SolutionID, VN_MatPurch.CaseID, "
     "VN_MatPurch.ModelID, VN_MatPurch.ReportGroup, VN_MatPurch.ReportOrder, VN_MatPurch.PeriodID"},
    {"RN_AcrossMatSale",
     "SELECT VN_MatSale.* FROM VN_MatSale ORDER BY VN_MatSale.SolutionID, VN_MatSale.CaseID, "
     "VN_MatSale.ModelID, VN_MatSale.ReportGroup, VN_MatSale.ReportOrder, VN_MatSale.PeriodID"},
    {"RN_AcrossMatSaleByMarket",
     "SELECT VN_MatSale.* FROM VN_MatSale ORDER BY VN_MatSale.SolutionID, VN_MatSale.CaseID, "
     "VN_MatSale.ModelID, VN_MatSale.MarketTag, VN_MatSale.ReportGroup, VN_MatSale.ReportOrder, "
     "VN_MatSale.PeriodID"},
    {"RN_AcrossPenalty",
     "SELECT VN_Penalty.* FROM VN_Penalty ORDER BY VN_Penalty.SolutionID, VN_Penalty.CaseID, "
     "VN_Penalty.ModelID, VN_Penalty.ReportOrder, VN_Penalty.PeriodID"},
    {"RN_AcrossSpecBlend",
     "SELECT VN_SpecBlend.* FROM VN_SpecBlend ORDER BY VN_SpecBlend.SolutionID, VN_SpecBlend.CaseID, "
     "VN_SpecBlend.ModelID, VN_SpecBlend.ReportGroup, VN_SpecBlend.ReportOrder, VN_SpecBlend.PeriodID"},
    {"RN_AcrossSpecGroup",
     "SELECT VN_SpecGroup.* FROM VN_SpecGroup ORDER BY VN_SpecGroup.SolutionID, VN_SpecGroup.CaseID, "
     "VN_SpecGroup.ModelID, VN_SpecGroup.ReportGroup, VN_SpecGroup.ReportOrder, VN_SpecGroup.PeriodID"},
    {"RN_AcrossSubmodCapac",
     "SELECT VN_SubmodCapac.* FROM VN_SubmodCapac ORDER BY VN_SubmodCapac.SolutionID, "
     "VN_SubmodCapac.CaseID, VN_SubmodCapac.ModelID, VN_SubmodCapac.ReportGroup, "
     "VN_SubmodCapac.ReportOrder, VN_SubmodCapac.PeriodID"},
    {"RN_AcrossSubmodGroupCapac",
     "SELECT VN_SubmodGroupCapac.* FROM VN_SubmodGroupCapac ORDER BY VN_SubmodGroupCapac.SolutionID, "
     "VN_SubmodGroupCapac.CaseID, VN_SubmodGroupCapac.ModelID, VN_SubmodGroupCapac.ReportGroup, "
     "VN_SubmodGroupCapac.ReportOrder, VN_SubmodGroupCapac.PeriodID"},
    {"RN_AcrossSubmodGroupMaterials",
     "SELECT VN_SubmodGroupMaterials.* FROM VN_SubmodGroupMaterials ORDER BY "
     "VN_SubmodGroupMaterials.SolutionID, VN_SubmodGroupMaterials.CaseID, VN_SubmodGroupMaterials.ModelID, "
     "VN_SubmodGroupMaterials.ReportGroup, VN_SubmodGroupMaterials.ReportOrder, "
     "VN_SubmodGroupMaterials.PeriodID"},
    {"RN_AcrossSubmodGroupParams",
     "SELECT V.* FROM (SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, "
     "M.Tag AS ModelTag, T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag "
     "AS UnitTag, U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, T.PRowID, "
     "T.PRowTypeID, T.Activity, T.NumberofDecimals, T.PRowText, T.Tag AS PRowTag, GU.Tag AS GroupUnitTag, "
     "GU.GroupNumber AS ReportGroup, T.PRowID AS ReportOrder FROM ((PrPRow AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit AS U ON "
     "T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID "
     "INNER JOIN PrGroupUnitMember AS GM ON T.SolutionID = GM.SolutionID AND T.CaseID = GM.CaseID AND "
     "T.ModelID = GM.ModelID AND T.UnitID = GM.UnitID INNER JOIN PrGroupUnit AS GU ON GM.SolutionID = "
     "GU.SolutionID AND GM.CaseID = GU.CaseID AND GM.ModelID = GU.ModelID AND GM.GroupUnitID = "
     "GU.GroupUnitID) AS V ORDER BY V.SolutionID, V.CaseID, V.ModelID, V.ReportGroup, V.ReportOrder, "
     "V.PeriodID"},
    {"RN_AcrossSubmodGroupUtils",
     "SELECT VN_SubmodGroupUtils.* FROM VN_SubmodGroupUtils ORDER BY VN_SubmodGroupUtils.SolutionID, "
     "VN_SubmodGroupUtils.CaseID, VN_SubmodGroupUtils.ModelID, VN_SubmodGroupUtils.ReportGroup, "
     "VN_SubmodGroupUtils.ReportOrder, VN_SubmodGroupUtils.PeriodID"},
    {"RN_AcrossSubmodMaterials",
     "SELECT VN_SubmodMaterials.* FROM VN_SubmodMaterials ORDER BY VN_SubmodMaterials.SolutionID, "
     "VN_SubmodMaterials.CaseID, VN_SubmodMaterials.ModelID, VN_SubmodMaterials.ReportGroup, "
     "VN_SubmodMaterials.ReportOrder, VN_SubmodMaterials.PeriodID"},
    {"RN_AcrossSubmodParams",
     "SELECT VN_SubmodParams.* FROM VN_SubmodParams ORDER BY VN_SubmodParams.SolutionID, "
     "VN_SubmodParams.CaseID, VN_SubmodParams.ModelID, VN_SubmodParams.ReportGroup, "
     "VN_SubmodParams.ReportOrder, VN_SubmodParams.PeriodID"},
    {"RN_AcrossSubmodUtils",
     "SELECT VN_SubmodUtils.* FROM VN_SubmodUtils ORDER BY VN_SubmodUtils.SolutionID, "
     "VN_SubmodUtils.CaseID, VN_SubmodUtils.ModelID, VN_SubmodUtils.ReportGroup, "
     "VN_SubmodUtils.ReportOrder, VN_SubmodUtils.PeriodID"},
    {"RN_AcrossTransfer",
     "SELECT VN_Transfer.* FROM VN_Transfer ORDER BY VN_Transfer.SolutionID, VN_Transfer.CaseID, "
     "VN_Transfer.ModelID, VN_Transfer.ReportGroup, VN_Transfer.ReportOrder, VN_Transfer.PeriodID"},
    {"RN_AcrossTransfIn",
     "SELECT VN_TransfIn.* FROM VN_TransfIn ORDER BY VN_TransfIn.SolutionID, VN_TransfIn.CaseID, "
     "VN_TransfIn.ModelID, VN_TransfIn.ReportGroup, VN_TransfIn.ReportOrder, VN_TransfIn.PeriodID"},
    {"RN_AcrossTransfOut",
     "SELECT VN_TransfOut.* FROM VN_TransfOut ORDER BY VN_TransfOut.SolutionID, VN_TransfOut.CaseID, "
     "VN_TransfOut.ModelID, VN_TransfOut.ReportGroup, VN_TransfOut.ReportOrder, VN_TransfOut.PeriodID"},
    {"RN_AcrossUtilPurch",
     "SELECT VN_UtilPurch.* FROM VN_UtilPurch ORDER BY VN_UtilPurch.SolutionID, VN_UtilPurch.CaseID, "
     "VN_UtilPurch.ModelID, VN_UtilPurch.ReportGroup, VN_UtilPurch.ReportOrder, VN_UtilPurch.PeriodID"},
    {"RN_AcrossUtilSale",
     "SELECT VN_UtilSale.* FROM VN_UtilSale ORDER BY VN_UtilSale.SolutionID, VN_UtilSale.CaseID, "
     "VN_UtilSale.ModelID, VN_UtilSale.ReportGroup, VN_UtilSale.ReportOrder, VN_UtilSale.PeriodID"},
    {"RN_AdditiveUsage",
     "SELECT * FROM VN_BlendQualities WHERE OriginID = 3 ORDER BY SolutionID, CaseID, ModelID, PeriodID, "
     "BlendTag, ReportOrder"},
    {"RN_AlternatePurchaseAndSale",
     "SELECT A.SolutionID, A.CaseID, A.NodeID AS ModelID, S.Tag AS StreamTag, S.Description AS "
     "StreamDescription, A.AlternateNodeID, AS2.Tag AS AlternateStreamTag, AS2.Description AS "
     "AlternateStreamDescription FROM (PrAlternateStream AS A INNER JOIN PrStream AS S ON A.SolutionID = "
     "S.SolutionID AND A.CaseID = S.CaseID AND A.NodeID = S.NodeID AND A.StreamID = S.StreamID) LEFT JOIN "
     "PrStream AS AS2 ON A.SolutionID = AS2.SolutionID AND A.CaseID = AS2.CaseID AND A.AlternateNodeID = "
     "AS2.NodeID AND A.AlternateStreamID = AS2.StreamID ORDER BY A.SolutionID, A.CaseID, A.NodeID, "
     "S.ReportOrder"},
    {"RN_BalanceBlendConsumption",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, StreamTag, StreamDescription, BlendTag, VolActivity, "
     "WgtActivity FROM VN_BlendRecipeUsed ORDER BY SolutionID, CaseID, ModelID, PeriodID, StreamTag, "
     "BlendTag"},
    {"RN_BalanceBlendProduction",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, T.VolActivity, T.WgtActivity FROM ((PrBlendQuantity AS T INNER "
     "JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P "
     "ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN "
     "PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND "
     "T.BlendID = B.StreamID ORDER BY T.SolutionID, T.CaseID, T.NodeID, T.PeriodID, B.ReportOrder"},
    {"RN_BalancePurchase",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, StreamTag, StreamDescription, Activity, Cost FROM "
     "VN_MatPurch ORDER BY SolutionID, CaseID, ModelID, PeriodID, StreamTag"},
    {"RN_BalanceSale",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, StreamTag, StreamDescription, MarketTag, Activity, "
     "Price FROM VN_MatSale ORDER BY SolutionID, CaseID, ModelID, PeriodID, StreamTag"},
    {"RN_BalanceUnitConsumption",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, StreamTag, UnitTag, UnitDescription, Activity FROM "
     "VN_SubmodMaterials WHERE FeedFlag = 1 ORDER BY SolutionID, CaseID, ModelID, PeriodID, StreamTag, "
     "UnitReportOrder"},
    {"RN_BalanceUnitProduction",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, StreamTag, UnitTag, UnitDescription, Activity FROM "
     "VN_SubmodMaterials WHERE FeedFlag = 0 ORDER BY SolutionID, CaseID, ModelID, PeriodID, StreamTag, "
     "UnitReportOrder"},
    {"RN_BlendQualitiesMap",
     "SELECT * FROM VN_BlendQualityCols ORDER BY SolutionID, CaseID, ModelID, QualityReportOrder"},
    {"RN_BlendQualitiesWithGroups",
     "SELECT VN_BlendQualitiesWithGroups.* FROM VN_BlendQualitiesWithGroups ORDER BY "
     "VN_BlendQualitiesWithGroups.SolutionID, VN_BlendQualitiesWithGroups.CaseID, "
     "VN_BlendQualitiesWithGroups.ModelID, VN_BlendQualitiesWithGroups.PeriodID, "
     "VN_BlendQualitiesWithGroups.ReportGroup, VN_BlendQualitiesWithGroups.ReportOrder"},
    {"RN_BlendRecipeNotUsed",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder AS StreamReportOrder, T.VolActivity, T.WgtActivity, T.VolMarginalValue FROM "
     "(((PrBlendRecipe AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = "
     "B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN PrStream AS S ON T.SolutionID "
     "= S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID WHERE "
     "T.VolActivity = 0 AND T.WgtActivity = 0 ORDER BY T.SolutionID, T.CaseID, T.NodeID, T.PeriodID, "
     "B.ReportOrder, S.ReportOrder"},
    {"RN_BlendRecipeUsed",
     "SELECT VN_BlendRecipeUsed.* FROM VN_BlendRecipeUsed ORDER BY VN_BlendRecipeUsed.SolutionID, "
     "VN_BlendRecipeUsed.CaseID, VN_BlendRecipeUsed.ModelID, VN_BlendRecipeUsed.PeriodID, "
     "VN_BlendRecipeUsed.ReportGroup, VN_BlendRecipeUsed.ReportOrder"},
    {"RN_Blends",
     "SELECT * FROM VN_Blend ORDER BY SolutionID, CaseID, ModelID, ReportOrder"},
    {"RN_BonusInteract",
     "SELECT VN_BonusInteract.* FROM VN_BonusInteract ORDER BY VN_BonusInteract.SolutionID, "
     "VN_BonusInteract.CaseID, VN_BonusInteract.ModelID, VN_BonusInteract.PeriodID, "
     "VN_BonusInteract.ReportOrder"},
    {"RN_BonusInteractCols",
     "SELECT DISTINCT SolutionID, CaseID, ModelID, QualityTag, QualityDescription, QualityReportOrder FROM "
     "VN_BonusInteract ORDER BY SolutionID, CaseID, ModelID, QualityReportOrder"},
    {"RN_BoundedVariables",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, T.SequenceID, "
     "T.LPColumnName, T.Activity, T.MinValue, T.MaxValue, T.MarginalValue, T.Description AS Description "
     "FROM (PrBound AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) "
     "INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = "
     "P.PeriodID ORDER BY T.SolutionID, T.CaseID, T.ModelID, T.PeriodID, T.SequenceID"},
    {"RN_CapacityUtilization",
     "SELECT VN_CapacityUtilization.* FROM VN_CapacityUtilization ORDER BY "
     "VN_CapacityUtilization.SolutionID, VN_CapacityUtilization.CaseID, VN_CapacityUtilization.ModelID, "
     "VN_CapacityUtilization.PeriodID, VN_CapacityUtilization.ReportOrder"},
    {"RN_CapacityUtilizationSum",
     "SELECT SolutionID, CaseID, ModelID, CapacityTag, CapacityDescription, ReportOrder, SUM(Activity) AS "
     "Activity, MIN(MinValue) AS MinValue, MAX(MaxValue) AS MaxValue FROM VN_CapacityUtilization GROUP BY "
     "SolutionID, CaseID, ModelID, CapacityTag, CapacityDescription, ReportOrder ORDER BY SolutionID, "
     "CaseID, ModelID, ReportOrder"},
    {"RN_Case",
     "SELECT * FROM PrCase ORDER BY SolutionID, CaseID"},
    {"RN_EconomicSummary",
     "SELECT VN_EconomicSummary.* FROM VN_EconomicSummary ORDER BY VN_EconomicSummary.SolutionID, "
     "VN_EconomicSummary.CaseID, VN_EconomicSummary.ModelID, VN_EconomicSummary.PeriodID, "
     "VN_EconomicSummary.ReportOrder"},
    {"RN_FixedCost",
     "SELECT F.SolutionID, F.CaseID, F.ModelID, M.ModelName, F.SequenceID, F.Description, F.Value FROM "
     "PrFixedCost AS F INNER JOIN PrModel AS M ON F.SolutionID = M.SolutionID AND F.ModelID = M.ModelID "
     "ORDER BY F.SolutionID, F.CaseID, F.ModelID, F.SequenceID"},
    {"RN_FormBlend",
     "SELECT VN_FormBlend.* FROM VN_FormBlend ORDER BY VN_FormBlend.SolutionID, VN_FormBlend.CaseID, "
     "VN_FormBlend.ModelID, VN_FormBlend.PeriodID, VN_FormBlend.ReportGroup, VN_FormBlend.ReportOrder"},
    {"RN_GlobalMatSaleSum",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, SUM(Activity) AS Activity, SUM(Activity * Price) AS "
     "Revenue FROM VN_GlobalMatSale GROUP BY SolutionID, CaseID, ModelID, PeriodID ORDER BY SolutionID, "
     "CaseID, ModelID, PeriodID"},
    {"RN_GlobalMatSaleSummary",
     "SELECT SolutionID, CaseID, ModelID, StreamTag, StreamDescription, ReportOrder, SUM(Activity) AS "
     "Activity, SUM(Activity * Price) AS Revenue FROM VN_GlobalMatSale GROUP BY SolutionID, CaseID, "
     "ModelID, StreamTag, StreamDescription, ReportOrder ORDER BY SolutionID, CaseID, ModelID, ReportOrder"},
    {"RN_GroupInfo",
     "SELECT * FROM PrGroup ORDER BY SolutionID, CaseID, NodeID, GroupNumber, GroupID"},
    {"RN_GroupPurch",
     "SELECT VN_GroupPurch.* FROM VN_GroupPurch ORDER BY VN_GroupPurch.SolutionID, VN_GroupPurch.CaseID, "
     "VN_GroupPurch.ModelID, VN_GroupPurch.PeriodID, VN_GroupPurch.ReportGroup, VN_GroupPurch.ReportOrder"},
    {"RN_GroupQualities",
     "SELECT VN_GroupQualities.* FROM VN_GroupQualities ORDER BY VN_GroupQualities.SolutionID, "
     "VN_GroupQualities.CaseID, VN_GroupQualities.ModelID, VN_GroupQualities.PeriodID, "
     "VN_GroupQualities.ReportGroup, VN_GroupQualities.ReportOrder"},
    {"RN_GroupSale",
     "SELECT VN_GroupSale.* FROM VN_GroupSale ORDER BY VN_GroupSale.SolutionID, VN_GroupSale.CaseID, "
     "VN_GroupSale.ModelID, VN_GroupSale.PeriodID, VN_GroupSale.ReportGroup, VN_GroupSale.ReportOrder"},
    {"RN_GroupUnitMembers",
     "SELECT VN_GroupUnitMembers.* FROM VN_GroupUnitMembers ORDER BY VN_GroupUnitMembers.SolutionID, "
     "VN_GroupUnitMembers.CaseID, VN_GroupUnitMembers.ModelID, VN_GroupUnitMembers.ReportOrder"},
    {"RN_GroupUnits",
     "SELECT * FROM PrGroupUnit ORDER BY SolutionID, CaseID, ModelID, GroupNumber, GroupUnitID"},
    {"RN_Hydrogen",
     "SELECT VN_Hydrogen.* FROM VN_Hydrogen ORDER BY VN_Hydrogen.SolutionID, VN_Hydrogen.CaseID, "
     "VN_Hydrogen.ModelID, VN_Hydrogen.PeriodID, VN_Hydrogen.ReportOrder"},
    {"RN_Hydrogen1",
     "SELECT VN_Hydrogen1.* FROM VN_Hydrogen1 ORDER BY VN_Hydrogen1.SolutionID, VN_Hydrogen1.CaseID, "
     "VN_Hydrogen1.ModelID, VN_Hydrogen1.PeriodID"},
    {"RN_HydrogenGroupUnit",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, GU.Tag AS GroupUnitTag, "
     "GU.Description AS GroupUnitDescription, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder AS StreamReportOrder, T.Activity, T.FeedFlag, T.ReportOrder AS ReportOrder FROM "
     "(((PrGroupUnitMaterial AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrGroupUnit AS GU ON T.SolutionID = GU.SolutionID AND T.CaseID = "
     "GU.CaseID AND T.ModelID = GU.ModelID AND T.GroupUnitID = GU.GroupUnitID) INNER JOIN PrStream AS S ON "
     "T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND T.StreamID = "
     "S.StreamID INNER JOIN PrHydrogenStream AS H ON T.SolutionID = H.SolutionID AND T.CaseID = H.CaseID "
     "AND T.ModelID = H.ModelID AND T.StreamID = H.StreamID ORDER BY T.SolutionID, T.CaseID, T.ModelID, "
     "T.PeriodID, GU.GroupNumber, T.ReportOrder"},
    {"RN_HydrogenQuality",
     "SELECT VN_HydrogenQuality.* FROM VN_HydrogenQuality ORDER BY VN_HydrogenQuality.SolutionID, "
     "VN_HydrogenQuality.CaseID, VN_HydrogenQuality.ModelID, VN_HydrogenQuality.PeriodID, "
     "VN_HydrogenQuality.ReportOrder"},
    {"RN_HydrogenQualityCols",
     "SELECT DISTINCT SolutionID, CaseID, ModelID, QualityTag, QualityDescription, ReportOrder FROM "
     "VN_HydrogenQuality ORDER BY SolutionID, CaseID, ModelID, ReportOrder"},
    {"RN_HydrogenStreams",
     "SELECT H.SolutionID, H.CaseID, H.ModelID, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder FROM PrHydrogenStream AS H INNER JOIN PrStream AS S ON H.SolutionID = S.SolutionID AND "
     "H.CaseID = S.CaseID AND H.ModelID = S.NodeID AND H.StreamID = S.StreamID ORDER BY H.SolutionID, "
     "H.CaseID, H.ModelID, S.ReportOrder"},
    {"RN_HydrogenStreams1",
     "SELECT H.SolutionID, H.CaseID, H.ModelID, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder FROM PrGasStream AS H INNER JOIN PrStream AS S ON H.SolutionID = S.SolutionID AND "
     "H.CaseID = S.CaseID AND H.ModelID = S.NodeID AND H.StreamID = S.StreamID ORDER BY H.SolutionID, "
     "H.CaseID, H.ModelID, S.ReportOrder"},
    {"RN_HydrogenUnit",
     "SELECT * FROM VN_HydrogenUnitM ORDER BY SolutionID, CaseID, ModelID, PeriodID, UnitReportOrder"},
    {"RN_Inventory",
     "SELECT V.* FROM (SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, "
     "M.Tag AS ModelTag, T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag "
     "AS StreamTag, S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Opening, "
     "T.Closing, T.Target, T.VWBasisID, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportOrder AS "
     "ReportOrder, T.OpeningCost, T.ClosingPrice, T.HoldingCost, T.PenaltyCost FROM ((PrInventory AS T "
     "INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod "
     "AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND "
     "T.StreamID = S.StreamID) AS V ORDER BY V.SolutionID, V.CaseID, V.ModelID, V.PeriodID, V.ReportOrder"},
    {"RN_MatOutOfBal",
     "SELECT V.* FROM (SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, "
     "M.Tag AS ModelTag, T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag "
     "AS StreamTag, S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, "
     "T.Slack, T.MarginalValue, T.VWBasisID, T.OutofBalanceFlag, S.ReportOrder AS ReportOrder FROM "
     "((PrMaterialBalance AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.ModelID = S.NodeID AND T.StreamID = S.StreamID) AS V WHERE V.OutofBalanceFlag <> 0 "
     "ORDER BY V.SolutionID, V.CaseID, V.ModelID, V.PeriodID, V.ReportOrder"},
    {"RN_MatPurch",
     "SELECT VN_MatPurch.* FROM VN_MatPurch ORDER BY VN_MatPurch.SolutionID, VN_MatPurch.CaseID, "
     "VN_MatPurch.ModelID, VN_MatPurch.PeriodID, VN_MatPurch.ReportGroup, VN_MatPurch.ReportOrder"},
    {"RN_MatPurchSum",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, SUM(Activity) AS Activity, SUM(Expense) AS Expense FROM "
     "VN_MatPurch GROUP BY SolutionID, CaseID, ModelID, PeriodID ORDER BY SolutionID, CaseID, ModelID, "
     "PeriodID"},
    {"RN_MatSale",
     "SELECT VN_MatSale.* FROM VN_MatSale ORDER BY VN_MatSale.SolutionID, VN_MatSale.CaseID, "
     "VN_MatSale.ModelID, VN_MatSale.PeriodID, VN_MatSale.ReportGroup, VN_MatSale.ReportOrder"},
    {"RN_MatSaleByMarketStream",
     "SELECT SolutionID, CaseID, MarketTag, StreamTag, StreamDescription, PeriodID, SUM(Activity) AS "
     "Activity, SUM(Revenue) AS Revenue FROM VN_MatSale GROUP BY SolutionID, CaseID, MarketTag, StreamTag, "
     "StreamDescription, PeriodID ORDER BY SolutionID, CaseID, MarketTag, StreamTag, PeriodID"},
    {"RN_MatSaleByModelMarket",
     "SELECT SolutionID, CaseID, ModelID, ModelName, MarketTag, PeriodID, SUM(Activity) AS Activity, "
     "SUM(Revenue) AS Revenue FROM VN_MatSale GROUP BY SolutionID, CaseID, ModelID, ModelName, MarketTag, "
     "PeriodID ORDER BY SolutionID, CaseID, ModelID, MarketTag, PeriodID"},
    {"RN_MatSaleByModelStream",
     "SELECT SolutionID, CaseID, ModelID, ModelName, StreamTag, StreamDescription, ReportOrder, PeriodID, "
     "SUM(Activity) AS Activity, SUM(Revenue) AS Revenue FROM VN_MatSale GROUP BY SolutionID, CaseID, "
     "ModelID, ModelName, StreamTag, StreamDescription, ReportOrder, PeriodID ORDER BY SolutionID, CaseID, "
     "ModelID, ReportOrder, PeriodID"},
    {"RN_MatSaleSum",
     "SELECT * FROM VN_MatSaleSum ORDER BY SolutionID, CaseID, ModelID, PeriodID"},
    {"RN_Models",
     "SELECT SolutionID, ModelID, ModelName, ModelTypeID, Tag FROM PrModel ORDER BY SolutionID, ModelID"},
    {"RN_Penalty",
     "SELECT VN_Penalty.* FROM VN_Penalty ORDER BY VN_Penalty.SolutionID, VN_Penalty.CaseID, "
     "VN_Penalty.ModelID, VN_Penalty.PeriodID, VN_Penalty.ReportOrder"},
    {"RN_Period",
     "SELECT * FROM PrPeriod ORDER BY SolutionID, CaseID, PeriodID"},
    {"RN_PrimalColumn",
     "SELECT * FROM PrPrimalColumn ORDER BY SolutionID, CaseID, NodeID, PeriodID, SequenceID"},
    {"RN_PrimalRow",
     "SELECT * FROM PrPrimalRow ORDER BY SolutionID, CaseID, NodeID, PeriodID, SequenceID"},
    {"RN_PurchGroupSubtotals",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, ReportGroup, SUM(Activity) AS Activity, SUM(Expense) AS "
     "Expense FROM VN_MatPurch GROUP BY SolutionID, CaseID, ModelID, PeriodID, ReportGroup ORDER BY "
     "SolutionID, CaseID, ModelID, PeriodID, ReportGroup"},
    {"RN_Qualities",
     "SELECT * FROM PrQuality ORDER BY SolutionID, CaseID, ModelID, ReportOrder"},
    {"RN_RangeCost",
     "SELECT * FROM PrRangeCost ORDER BY SolutionID, CaseID, SequenceID"},
    {"RN_RangeRHS",
     "SELECT * FROM PrRangeRHS ORDER BY SolutionID, CaseID, SequenceID"},
    {"RN_RecursionLog",
     "SELECT * FROM PrRecursionLog ORDER BY SolutionID, CaseID, SequenceID"},
    {"RN_RecursionLog2",
     "SELECT R.*, M.ModelName FROM PrRecursionLogModel AS R INNER JOIN PrModel AS M ON R.SolutionID = "
     "M.SolutionID AND R.ModelID = M.ModelID ORDER BY R.SolutionID, R.CaseID, R.ModelID, R.SequenceID"},
    {"RN_RecursionLog2general",
     "SELECT * FROM PrGeneralRecursion ORDER BY SolutionID, CaseID, ModelID, PeriodID, SequenceID"},
    {"RN_RecursionLog2suscep",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, UT.Tag AS UtilityTag, UT.Description AS UtilityDescription, "
     "UT.ReportOrder AS UtilityReportOrder, T.Value, T.InitialValue FROM ((((PrSusceptibility AS T INNER "
     "JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P "
     "ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN "
     "PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND "
     "T.BlendID = B.StreamID) INNER JOIN PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = "
     "Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID) INNER JOIN PrUtility AS UT ON "
     "T.SolutionID = UT.SolutionID AND T.CaseID = UT.CaseID AND T.NodeID = UT.ModelID AND T.UtilityID = "
     "UT.UtilityID ORDER BY T.SolutionID, T.CaseID, T.NodeID, T.PeriodID, B.ReportOrder, Q.ReportOrder"},
    {"RN_RFG",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "B.Tag AS BlendTag, B.Description AS BlendDescription, T.RFGBlendTypeID, T.RFGAreaID, T.RFGPhaseID, "
     "T.RFGSeasonID, T.RFGEquationID, T.PeriodID FROM (PrRFGBlend AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrStream AS B ON T.SolutionID = "
     "B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID ORDER BY "
     "T.SolutionID, T.CaseID, T.NodeID, B.ReportOrder"},
    {"RN_SaleGroupSubtotals",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, ReportGroup, SUM(Activity) AS Activity, SUM(Revenue) AS "
     "Revenue FROM VN_MatSale GROUP BY SolutionID, CaseID, ModelID, PeriodID, ReportGroup ORDER BY "
     "SolutionID, CaseID, ModelID, PeriodID, ReportGroup"},
    {"RN_Settings",
     "SELECT S.SolutionID, S.CaseID, S.ModelID, T.Keyword, S.TextValue, S.IntegerValue, S.DoubleValue, "
     "S.DateValue FROM PrSetting AS S INNER JOIN PrSettingType AS T ON S.SettingTypeID = T.SettingTypeID "
     "ORDER BY S.SolutionID, S.CaseID, S.ModelID, T.Keyword"},
    {"RN_SpecBlend",
     "SELECT VN_SpecBlend.* FROM VN_SpecBlend ORDER BY VN_SpecBlend.SolutionID, VN_SpecBlend.CaseID, "
     "VN_SpecBlend.ModelID, VN_SpecBlend.PeriodID, VN_SpecBlend.ReportGroup, VN_SpecBlend.ReportOrder"},
    {"RN_SpecGroup",
     "SELECT VN_SpecGroup.* FROM VN_SpecGroup ORDER BY VN_SpecGroup.SolutionID, VN_SpecGroup.CaseID, "
     "VN_SpecGroup.ModelID, VN_SpecGroup.PeriodID, VN_SpecGroup.ReportGroup, VN_SpecGroup.ReportOrder"},
    {"RN_StreamDisp",
     "SELECT * FROM VN_SubmodMaterials ORDER BY SolutionID, CaseID, ModelID, PeriodID, StreamReportOrder, "
     "ReportGroup"},
    {"RN_StreamDispSummary",
     "SELECT D.*, S.Tag AS StreamTag, S.Description AS StreamDescription FROM VN_StreamDispTotals AS D "
     "INNER JOIN PrStream AS S ON D.SolutionID = S.SolutionID AND D.CaseID = S.CaseID AND D.ModelID = "
     "S.NodeID AND D.StreamID = S.StreamID ORDER BY D.SolutionID, D.CaseID, D.ModelID, D.PeriodID, "
     "S.ReportOrder"},
    {"RN_StreamProps",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, Q.Tag AS QualityTag, "
     "Q.Description AS QualityDescription, Q.ReportOrder AS QualityReportOrder, T.Value, T.InitialValue, "
     "T.OriginID FROM (((PrStreamQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND "
     "T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID "
     "AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID) INNER JOIN PrQuality AS Q ON "
     "T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = "
     "Q.QualityID ORDER BY T.SolutionID, T.CaseID, T.NodeID, T.PeriodID, S.ReportOrder, Q.ReportOrder"},
    {"RN_StreamQuality",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, Q.Tag AS QualityTag, "
     "Q.Description AS QualityDescription, Q.ReportOrder AS QualityReportOrder, T.Value, T.InitialValue, "
     "T.OriginID FROM (((PrStreamQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND "
     "T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID "
     "AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID) INNER JOIN PrQuality AS Q ON "
     "T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = "
     "Q.QualityID ORDER BY T.SolutionID, T.CaseID, T.NodeID, T.PeriodID, Q.ReportOrder, S.ReportOrder"},
    {"RN_SubmodCapac",
     "SELECT VN_SubmodCapac.* FROM VN_SubmodCapac ORDER BY VN_SubmodCapac.SolutionID, "
     "VN_SubmodCapac.CaseID, VN_SubmodCapac.ModelID, VN_SubmodCapac.PeriodID, VN_SubmodCapac.ReportGroup, "
     "VN_SubmodCapac.ReportOrder"},
    {"RN_SubmodGroupCapac",
     "SELECT VN_SubmodGroupCapac.* FROM VN_SubmodGroupCapac ORDER BY VN_SubmodGroupCapac.SolutionID, "
     "VN_SubmodGroupCapac.CaseID, VN_SubmodGroupCapac.ModelID, VN_SubmodGroupCapac.PeriodID, "
     "VN_SubmodGroupCapac.ReportGroup, VN_SubmodGroupCapac.ReportOrder"},
    {"RN_SubmodGroupMaterials",
     "SELECT VN_SubmodGroupMaterials.* FROM VN_SubmodGroupMaterials ORDER BY "
     "VN_SubmodGroupMaterials.SolutionID, VN_SubmodGroupMaterials.CaseID, VN_SubmodGroupMaterials.ModelID, "
     "VN_SubmodGroupMaterials.PeriodID, VN_SubmodGroupMaterials.ReportGroup, "
     "VN_SubmodGroupMaterials.ReportOrder"},
    {"RN_SubmodGroupParams",
     "SELECT V.* FROM (SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, "
     "M.Tag AS ModelTag, T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag "
     "AS UnitTag, U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, T.PRowID, "
     "T.PRowTypeID, T.Activity, T.NumberofDecimals, T.PRowText, T.Tag AS PRowTag, GU.Tag AS GroupUnitTag, "
     "GU.GroupNumber AS ReportGroup, T.PRowID AS ReportOrder FROM ((PrPRow AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit AS U ON "
     "T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID "
     "INNER JOIN PrGroupUnitMember AS GM ON T.SolutionID = GM.SolutionID AND T.CaseID = GM.CaseID AND "
     "T.ModelID = GM.ModelID AND T.UnitID = GM.UnitID INNER JOIN PrGroupUnit AS GU ON GM.SolutionID = "
     "GU.SolutionID AND GM.CaseID = GU.CaseID AND GM.ModelID = GU.ModelID AND GM.GroupUnitID = "
     "GU.GroupUnitID) AS V ORDER BY V.SolutionID, V.CaseID, V.ModelID, V.PeriodID, V.ReportGroup, "
     "V.ReportOrder"},
    {"RN_SubmodGroupUtils",
     "SELECT VN_SubmodGroupUtils.* FROM VN_SubmodGroupUtils ORDER BY VN_SubmodGroupUtils.SolutionID, "
     "VN_SubmodGroupUtils.CaseID, VN_SubmodGroupUtils.ModelID, VN_SubmodGroupUtils.PeriodID, "
     "VN_SubmodGroupUtils.ReportGroup, VN_SubmodGroupUtils.ReportOrder"},
    {"RN_SubmodMaterials",
     "SELECT VN_SubmodMaterials.* FROM VN_SubmodMaterials ORDER BY VN_SubmodMaterials.SolutionID, "
     "VN_SubmodMaterials.CaseID, VN_SubmodMaterials.ModelID, VN_SubmodMaterials.PeriodID, "
     "VN_SubmodMaterials.ReportGroup, VN_SubmodMaterials.ReportOrder"},
    {"RN_SubmodParams",
     "SELECT VN_SubmodParams.* FROM VN_SubmodParams ORDER BY VN_SubmodParams.SolutionID, "
     "VN_SubmodParams.CaseID, VN_SubmodParams.ModelID, VN_SubmodParams.PeriodID, "
     "VN_SubmodParams.ReportGroup, VN_SubmodParams.ReportOrder"},
    {"RN_SubmodUtils",
     "SELECT VN_SubmodUtils.* FROM VN_SubmodUtils ORDER BY VN_SubmodUtils.SolutionID, "
     "VN_SubmodUtils.CaseID, VN_SubmodUtils.ModelID, VN_SubmodUtils.PeriodID, VN_SubmodUtils.ReportGroup, "
     "VN_SubmodUtils.ReportOrder"},
    {"RN_TotalPrimal",
     "SELECT SolutionID, CaseID, NodeID, PeriodID, COUNT(*) AS Entries, SUM(Activity * Cost) AS "
     "ObjectiveContribution FROM PrPrimalColumn GROUP BY SolutionID, CaseID, NodeID, PeriodID ORDER BY "
     "SolutionID, CaseID, NodeID, PeriodID"},
    {"RN_Trancol",
     "SELECT B.SolutionID, B.CaseID, B.SequenceID, B.BasisName, B.Cost, N.ColumnID, N.NonBasisName, N.Value "
     "FROM PrTrancolBasis AS B LEFT JOIN PrTrancolNonBasis AS N ON B.SolutionID = N.SolutionID AND B.CaseID "
     "= N.CaseID AND B.SequenceID = N.SequenceID ORDER BY B.SolutionID, B.CaseID, B.SequenceID, N.ColumnID"},
    {"RN_TrancolCount",
     "SELECT SolutionID, CaseID, COUNT(*) AS BasisCount FROM PrTrancolBasis GROUP BY SolutionID, CaseID "
     "ORDER BY SolutionID, CaseID"},
    {"RN_Transfer",
     "SELECT VN_Transfer.* FROM VN_Transfer ORDER BY VN_Transfer.SolutionID, VN_Transfer.CaseID, "
     "VN_Transfer.ModelID, VN_Transfer.PeriodID, VN_Transfer.ReportGroup, VN_Transfer.ReportOrder"},
    {"RN_TransfIn",
     "SELECT VN_TransfIn.* FROM VN_TransfIn ORDER BY VN_TransfIn.SolutionID, VN_TransfIn.CaseID, "
     "VN_TransfIn.ModelID, VN_TransfIn.PeriodID, VN_TransfIn.ReportGroup, VN_TransfIn.ReportOrder"},
    {"RN_TransfInSum",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, SUM(Activity) AS Activity, SUM(Activity * Cost) AS "
     "Expense FROM VN_TransfIn GROUP BY SolutionID, CaseID, ModelID, PeriodID ORDER BY SolutionID, CaseID, "
     "ModelID, PeriodID"},
    {"RN_TransfOut",
     "SELECT VN_TransfOut.* FROM VN_TransfOut ORDER BY VN_TransfOut.SolutionID, VN_TransfOut.CaseID, "
     "VN_TransfOut.ModelID, VN_TransfOut.PeriodID, VN_TransfOut.ReportGroup, VN_TransfOut.ReportOrder"},
    {"RN_TransfOutSum",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, SUM(Activity) AS Activity, SUM(Activity * Cost) AS "
     "Expense FROM VN_TransfOut GROUP BY SolutionID, CaseID, ModelID, PeriodID ORDER BY SolutionID, CaseID, "
     "ModelID, PeriodID"},
    {"RN_UnitQualityCols",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "U.Tag AS UnitTag, U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, Q.Tag AS "
     "QualityTag, Q.Description AS QualityDescription, Q.ReportOrder AS QualityReportOrder, T.QualityFlag, "
     "T.MultiplierValue, T.ReportOrder AS ReportOrder FROM ((PrUnitQuality AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrUnit AS U ON T.SolutionID = "
     "U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID) INNER JOIN "
     "PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.ModelID = Q.ModelID AND "
     "T.QualityID = Q.QualityID ORDER BY T.SolutionID, T.CaseID, T.ModelID, U.ReportOrder, T.ReportOrder"},
    {"RN_Units",
     "SELECT * FROM PrUnit ORDER BY SolutionID, CaseID, ModelID, ReportOrder"},
    {"RN_UtilDisp",
     "SELECT * FROM VN_SubmodUtils ORDER BY SolutionID, CaseID, ModelID, PeriodID, UtilityReportOrder, "
     "ReportGroup"},
    {"RN_UtilPurch",
     "SELECT VN_UtilPurch.* FROM VN_UtilPurch ORDER BY VN_UtilPurch.SolutionID, VN_UtilPurch.CaseID, "
     "VN_UtilPurch.ModelID, VN_UtilPurch.PeriodID, VN_UtilPurch.ReportGroup, VN_UtilPurch.ReportOrder"},
    {"RN_UtilPurchSum",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, SUM(Activity) AS Activity, SUM(Activity * Cost) AS "
     "Expense FROM VN_UtilPurch GROUP BY SolutionID, CaseID, ModelID, PeriodID ORDER BY SolutionID, CaseID, "
     "ModelID, PeriodID"},
    {"RN_UtilSale",
     "SELECT VN_UtilSale.* FROM VN_UtilSale ORDER BY VN_UtilSale.SolutionID, VN_UtilSale.CaseID, "
     "VN_UtilSale.ModelID, VN_UtilSale.PeriodID, VN_UtilSale.ReportGroup, VN_UtilSale.ReportOrder"},
    {"RN_UtilSaleSum",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, SUM(Activity) AS Activity, SUM(Activity * Price) AS "
     "Revenue FROM VN_UtilSale GROUP BY SolutionID, CaseID, ModelID, PeriodID ORDER BY SolutionID, CaseID, "
     "ModelID, PeriodID"},
};

constexpr SavedQueryText kBaseViews[] = {
    {"VN_Blend",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "B.Tag AS BlendTag, B.Description AS BlendDescription, T.BlendTypeID, T.ReportOrder AS ReportOrder "
     "FROM (PrBlend AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) "
     "INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = "
     "B.NodeID AND T.BlendID = B.StreamID"},
    {"VN_BlendingCapacity",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, BC.Tag AS "
     "BlenderCapacityTag, BC.Description AS BlenderCapacityDescription, BC.ReportOrder AS "
     "BlenderCapacityReportOrder, T.Activity, T.MinValue, T.MaxValue, T.MarginalValue, T.UOMTypeID, "
     "BC.ReportOrder AS ReportOrder FROM ((PrBlenderCapacityLimit AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrBlenderCapacity AS BC "
     "ON T.SolutionID = BC.SolutionID AND T.CaseID = BC.CaseID AND T.ModelID = BC.ModelID AND "
     "T.BlenderCapacityID = BC.BlenderCapacityID"},
    {"VN_BlendingCapacityComponents",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, BC.Tag AS "
     "BlenderCapacityTag, BC.Description AS BlenderCapacityDescription, BC.ReportOrder AS "
     "BlenderCapacityReportOrder, B.Tag AS BlendTag, B.Description AS BlendDescription, T.Activity, "
     "BC.ReportOrder AS ReportOrder FROM (((PrBlenderBlendQuantity AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrBlenderCapacity AS BC "
     "ON T.SolutionID = BC.SolutionID AND T.CaseID = BC.CaseID AND T.ModelID = BC.ModelID AND "
     "T.BlenderCapacityID = BC.BlenderCapacityID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID "
     "AND T.CaseID = B.CaseID AND T.ModelID = B.NodeID AND T.BlendID = B.StreamID"},
    {"VN_BlendingCapacityMembers",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "BC.Tag AS BlenderCapacityTag, BC.Description AS BlenderCapacityDescription, BC.ReportOrder AS "
     "BlenderCapacityReportOrder, B.Tag AS BlendTag, B.Description AS BlendDescription, BC.ReportOrder AS "
     "ReportOrder FROM ((PrBlenderCapacityMember AS T INNER JOIN PrModel AS M ON T.SolutionID = "
     "M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrBlenderCapacity AS BC ON T.SolutionID = "
     "BC.SolutionID AND T.CaseID = BC.CaseID AND T.ModelID = BC.ModelID AND T.BlenderCapacityID = "
     "BC.BlenderCapacityID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID "
     "AND T.ModelID = B.NodeID AND T.BlendID = B.StreamID"},
    {"VN_BlendQualities",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.BlendValue, T.Value, T.InitialValue, T.MinValue, T.MaxValue, "
     "T.MarginalValue, T.OriginID, T.ReportOrder AS ReportOrder, Q.ReportTag AS QualityReportTag FROM "
     "(((PrBlendQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = "
     "B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN PrQuality AS Q ON "
     "T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = "
     "Q.QualityID"},
    {"VN_BlendQualitiesNoSort",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.BlendValue, T.Value, T.InitialValue, T.MinValue, T.MaxValue, "
     "T.MarginalValue, T.OriginID FROM (((PrBlendQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = "
     "M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND "
     "T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = "
     "B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN "
     "PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND "
     "T.QualityID = Q.QualityID"},
    {"VN_BlendQualitiesWithGroups",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.BlendValue, T.Value, T.InitialValue, T.MinValue, T.MaxValue, "
     "T.MarginalValue, T.OriginID, T.ReportOrder AS ReportOrder, Q.ReportTag AS QualityReportTag, '' AS "
     "ReportGroup FROM (((PrBlendQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND "
     "T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID "
     "AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = "
     "B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN PrQuality AS Q ON "
     "T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = "
     "Q.QualityID WHERE Q.ReportTag IS NOT NULL AND Q.ReportTag <> ''"},
    {"VN_BlendQualitiesWithoutGroups",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.BlendValue, T.Value, T.InitialValue, T.MinValue, T.MaxValue, "
     "T.MarginalValue, T.OriginID, T.ReportOrder AS ReportOrder, Q.ReportTag AS QualityReportTag, '' AS "
     "ReportGroup FROM (((PrBlendQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND "
     "T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID "
     "AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = "
     "B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN PrQuality AS Q ON "
     "T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = "
     "Q.QualityID WHERE Q.ReportTag IS NULL OR Q.ReportTag = ''"},
    {"VN_BlendQualityCols",
     "SELECT DISTINCT SolutionID, CaseID, ModelID, QualityTag, QualityDescription, QualityReportOrder FROM "
     "VN_BlendQualities"},
    {"VN_BlendQualityNoAdditive",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.BlendValue, T.Value, T.InitialValue, T.MinValue, T.MaxValue, "
     "T.MarginalValue, T.OriginID, T.ReportOrder AS ReportOrder, Q.ReportTag AS QualityReportTag FROM "
     "(((PrBlendQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = "
     "B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN PrQuality AS Q ON "
     "T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = "
     "Q.QualityID WHERE T.OriginID <> 3"},
    {"VN_BlendQualityNoAdditive1",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, BlendTag, QualityTag, Value, MinValue, MaxValue FROM "
     "VN_BlendQualityNoAdditive WHERE Value IS NOT NULL"},
    {"VN_BlendRecipeUsed",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder AS StreamReportOrder, T.VolActivity, T.WgtActivity, T.VolMarginalValue, S.ReportOrder "
     "AS ReportOrder, B.ReportOrder AS ReportGroup FROM (((PrBlendRecipe AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON "
     "T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = "
     "B.StreamID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.NodeID = S.NodeID AND T.StreamID = S.StreamID WHERE T.VolActivity <> 0 OR T.WgtActivity <> 0"},
    {"VN_BlendRecipeUsedTotals",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, BlendTag, SUM(VolActivity) AS VolActivity, "
     "SUM(WgtActivity) AS WgtActivity FROM VN_BlendRecipeUsed GROUP BY SolutionID, CaseID, ModelID, "
     "PeriodID, BlendTag"},
    {"VN_BlendsWithGroupQuals",
     "SELECT DISTINCT SolutionID, CaseID, ModelID, BlendTag, BlendDescription FROM "
     "VN_BlendQualitiesWithGroups"},
    {"VN_BonusInteract",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder AS StreamReportOrder, T.Activity, T.InteractionTypeID, S.ReportOrder AS ReportOrder "
     "FROM ((((PrBonusInteraction AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID "
     "= M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = "
     "B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN PrQuality AS Q ON "
     "T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = "
     "Q.QualityID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.NodeID = S.NodeID AND T.StreamID = S.StreamID"},
    {"VN_CapacityUtilization",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, C.Tag AS CapacityTag, "
     "C.Description AS CapacityDescription, C.ReportOrder AS CapacityReportOrder, T.Activity, T.MinValue, "
     "T.MaxValue, T.MarginalValue, C.ReportOrder AS ReportOrder, CASE WHEN T.MaxValue > 0 AND T.MaxValue < "
     "1e29 THEN 100.0 * T.Activity / T.MaxValue END AS Utilization FROM ((PrCapacityLimit AS T INNER JOIN "
     "PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON "
     "T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN "
     "PrCapacity AS C ON T.SolutionID = C.SolutionID AND T.CaseID = C.CaseID AND T.ModelID = C.ModelID AND "
     "T.CapacityID = C.CapacityID"},
    {"VN_DepotInventory",
     "SELECT T.SolutionID, T.CaseID, T.NodeID, D.Tag AS DepotTag, D.Description AS DepotDescription, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, T.StreamID, T.Opening, T.Closing, "
     "T.Target, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportOrder FROM (PrInventory AS T INNER JOIN "
     "PrDepot AS D ON T.SolutionID = D.SolutionID AND T.NodeID = D.DepotID) INNER JOIN PrPeriod AS P ON "
     "T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID"},
    {"VN_EconomicSummary",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, T.EconomicSummaryTypeID, "
     "E.Description AS Description, T.Activity, T.EconomicSummaryTypeID AS ReportOrder FROM "
     "(PrEconomicSummary AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID INNER JOIN PrEconomicSummaryType AS E ON T.EconomicSummaryTypeID = "
     "E.EconomicSummaryTypeID"},
    {"VN_FormBlend",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder AS StreamReportOrder, T.VolActivity, T.WgtActivity, T.VolMarginalValue, S.ReportOrder "
     "AS ReportOrder, B.ReportOrder AS ReportGroup FROM (((PrBlendRecipe AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON "
     "T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = "
     "B.StreamID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.NodeID = S.NodeID AND T.StreamID = S.StreamID INNER JOIN PrBlend AS BL ON T.SolutionID = "
     "BL.SolutionID AND T.CaseID = BL.CaseID AND T.NodeID = BL.NodeID AND T.BlendID = BL.BlendID WHERE "
     "BL.BlendTypeID = 1"},
    {"VN_GlobalMatSale",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, T.VWBasisID, "
     "T.Price, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportGroup, T.MarketID, T.ReportOrder AS "
     "ReportOrder FROM ((PrSale AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID WHERE M.ModelTypeID IN (2, 3)"},
    {"VN_GlobalSpecGroup",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, G.Tag AS GroupTag, "
     "G.Description AS GroupDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.Value, T.MinValue, T.MaxValue, T.MarginalValue, Q.ReportOrder "
     "AS ReportOrder, G.GroupNumber AS ReportGroup FROM (((PrGroupQuality AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroup AS G ON "
     "T.SolutionID = G.SolutionID AND T.CaseID = G.CaseID AND T.NodeID = G.NodeID AND T.GroupID = "
     "G.GroupID) INNER JOIN PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND "
     "T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID WHERE M.ModelTypeID IN (2, 3)"},
    {"VN_GroupPeriodSpanning",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "G.Tag AS GroupTag, G.Description AS GroupDescription, G.GroupNumber AS GroupNumber FROM "
     "(PrGroupPeriodSpanning AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = "
     "M.ModelID) INNER JOIN PrGroup AS G ON T.SolutionID = G.SolutionID AND T.CaseID = G.CaseID AND "
     "T.NodeID = G.NodeID AND T.GroupID = G.GroupID"},
    {"VN_GroupPurch",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, G.Tag AS GroupTag, "
     "G.Description AS GroupDescription, T.MinValue, T.MaxValue, T.MarginalValue, G.GroupNumber AS "
     "ReportGroup, G.GroupNumber AS ReportOrder FROM ((PrGroupPurchase AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroup AS G ON "
     "T.SolutionID = G.SolutionID AND T.CaseID = G.CaseID AND T.NodeID = G.NodeID AND T.GroupID = G.GroupID"},
    {"VN_GroupQualities",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, G.Tag AS GroupTag, "
     "G.Description AS GroupDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.Value, T.MinValue, T.MaxValue, T.MarginalValue, G.GroupNumber "
     "AS ReportGroup, Q.ReportOrder AS ReportOrder FROM (((PrGroupQuality AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroup AS G ON "
     "T.SolutionID = G.SolutionID AND T.CaseID = G.CaseID AND T.NodeID = G.NodeID AND T.GroupID = "
     "G.GroupID) INNER JOIN PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND "
     "T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID"},
    {"VN_GroupSale",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, G.Tag AS GroupTag, "
     "G.Description AS GroupDescription, T.MinValue, T.MaxValue, T.MarginalValue, G.GroupNumber AS "
     "ReportGroup, G.GroupNumber AS ReportOrder FROM ((PrGroupSale AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroup AS G ON "
     "T.SolutionID = G.SolutionID AND T.CaseID = G.CaseID AND T.NodeID = G.NodeID AND T.GroupID = G.GroupID"},
    {"VN_GroupUnitCapacities",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, GU.Tag AS GroupUnitTag, "
     "GU.Description AS GroupUnitDescription, C.Tag AS CapacityTag, C.Description AS CapacityDescription, "
     "C.ReportOrder AS CapacityReportOrder, T.Activity, T.FeedFlag, T.ReportOrder AS ReportOrder FROM "
     "(((PrGroupUnitCapacity AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrGroupUnit AS GU ON T.SolutionID = GU.SolutionID AND T.CaseID = "
     "GU.CaseID AND T.ModelID = GU.ModelID AND T.GroupUnitID = GU.GroupUnitID) INNER JOIN PrCapacity AS C "
     "ON T.SolutionID = C.SolutionID AND T.CaseID = C.CaseID AND T.ModelID = C.ModelID AND T.CapacityID = "
     "C.CapacityID"},
    {"VN_GroupUnitMaterials",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, GU.Tag AS GroupUnitTag, "
     "GU.Description AS GroupUnitDescription, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder AS StreamReportOrder, T.Activity, T.FeedFlag, T.MarginalValue, T.ReportOrder AS "
     "ReportOrder FROM (((PrGroupUnitMaterial AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID "
     "AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = "
     "P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroupUnit AS GU ON T.SolutionID = GU.SolutionID "
     "AND T.CaseID = GU.CaseID AND T.ModelID = GU.ModelID AND T.GroupUnitID = GU.GroupUnitID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND "
     "T.StreamID = S.StreamID"},
    {"VN_GroupUnitMembers",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "GU.Tag AS GroupUnitTag, GU.Description AS GroupUnitDescription, U.Tag AS UnitTag, U.Description AS "
     "UnitDescription, U.ReportOrder AS UnitReportOrder, U.ReportOrder AS ReportOrder FROM "
     "((PrGroupUnitMember AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = "
     "M.ModelID) INNER JOIN PrGroupUnit AS GU ON T.SolutionID = GU.SolutionID AND T.CaseID = GU.CaseID AND "
     "T.ModelID = GU.ModelID AND T.GroupUnitID = GU.GroupUnitID) INNER JOIN PrUnit AS U ON T.SolutionID = "
     "U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID"},
    {"VN_GroupUnitUtilities",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, GU.Tag AS GroupUnitTag, "
     "GU.Description AS GroupUnitDescription, UT.Tag AS UtilityTag, UT.Description AS UtilityDescription, "
     "UT.ReportOrder AS UtilityReportOrder, T.Activity, T.FeedFlag, T.ReportOrder AS ReportOrder FROM "
     "(((PrGroupUnitUtility AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrGroupUnit AS GU ON T.SolutionID = GU.SolutionID AND T.CaseID = "
     "GU.CaseID AND T.ModelID = GU.ModelID AND T.GroupUnitID = GU.GroupUnitID) INNER JOIN PrUtility AS UT "
     "ON T.SolutionID = UT.SolutionID AND T.CaseID = UT.CaseID AND T.ModelID = UT.ModelID AND T.UtilityID = "
     "UT.UtilityID"},
    {"VN_Hydrogen",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, S.Tag AS StreamTag, S.Description "
     "AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, T.FeedFlag, T.MarginalValue, "
     "T.ReportOrder AS ReportOrder FROM (((PrUnitOperationMaterial AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit AS U ON "
     "T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = "
     "U.UnitID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.ModelID = S.NodeID AND T.StreamID = S.StreamID INNER JOIN PrHydrogenStream AS H ON T.SolutionID = "
     "H.SolutionID AND T.CaseID = H.CaseID AND T.ModelID = H.ModelID AND T.StreamID = H.StreamID"},
    {"VN_Hydrogen1",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, StreamTag, StreamDescription, SUM((2 * FeedFlag - 1) * "
     "Activity) AS Activity FROM VN_Hydrogen GROUP BY SolutionID, CaseID, ModelID, PeriodID, StreamTag, "
     "StreamDescription"},
    {"VN_HydrogenQuality",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, Q.Tag AS QualityTag, "
     "Q.Description AS QualityDescription, Q.ReportOrder AS QualityReportOrder, T.Value, T.InitialValue, "
     "T.OriginID, Q.ReportOrder AS ReportOrder FROM (((PrStreamQuality AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS S ON "
     "T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = "
     "S.StreamID) INNER JOIN PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND "
     "T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID INNER JOIN PrHydrogenQuality AS HQ ON T.SolutionID "
     "= HQ.SolutionID AND T.CaseID = HQ.CaseID AND T.NodeID = HQ.ModelID AND T.QualityID = HQ.QualityID"},
    {"VN_HydrogenUnitM",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, UnitTag, UnitDescription, UnitReportOrder, SUM((2 * "
     "FeedFlag - 1) * Activity) AS Activity FROM VN_Hydrogen GROUP BY SolutionID, CaseID, ModelID, "
     "PeriodID, UnitTag, UnitDescription, UnitReportOrder"},
    {"VN_MatPurch",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, T.VWBasisID, "
     "T.Cost, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportGroup, T.ReportOrder AS ReportOrder, "
     "T.Activity * T.Cost AS Expense FROM ((PrPurchase AS T INNER JOIN PrModel AS M ON T.SolutionID = "
     "M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND "
     "T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = "
     "S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID"},
    {"VN_MatSale",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, T.VWBasisID, "
     "T.Price, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportGroup, T.MarketID, MK.Tag AS MarketTag, "
     "T.ReportOrder AS ReportOrder, T.Activity * T.Price AS Revenue FROM ((PrSale AS T INNER JOIN PrModel "
     "AS M ON T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON "
     "T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrStream "
     "AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = "
     "S.StreamID LEFT JOIN PrMarket AS MK ON T.SolutionID = MK.SolutionID AND T.CaseID = MK.CaseID AND "
     "T.MarketID = MK.MarketID"},
    {"VN_MatSaleSum",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, SUM(Activity) AS Activity, SUM(Revenue) AS Revenue FROM "
     "VN_MatSale GROUP BY SolutionID, CaseID, ModelID, PeriodID"},
    {"VN_Penalty",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, T.PenaltyTypeID, "
     "PT.Description AS Description, T.Activity, T.Tag1 AS Tag1, T.Tag2 AS Tag2, T.PenaltyTypeID AS "
     "ReportOrder FROM (PrPenalty AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID "
     "= M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID INNER JOIN PrPenaltyType AS PT ON T.PenaltyTypeID = PT.PenaltyTypeID"},
    {"VN_PeriodSpanning",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "G.Tag AS GroupTag, G.Description AS GroupDescription, G.GroupNumber AS GroupNumber, GM.MemberPeriodID "
     "AS MemberPeriodID FROM (PrGroupPeriodSpanning AS T INNER JOIN PrModel AS M ON T.SolutionID = "
     "M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrGroup AS G ON T.SolutionID = G.SolutionID AND "
     "T.CaseID = G.CaseID AND T.NodeID = G.NodeID AND T.GroupID = G.GroupID INNER JOIN PrGroupMember AS GM "
     "ON T.SolutionID = GM.SolutionID AND T.CaseID = GM.CaseID AND T.NodeID = GM.GroupNodeID AND T.GroupID "
     "= GM.GroupID"},
    {"VN_PeriodSpanningGroupQuality",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, G.Tag AS GroupTag, "
     "G.Description AS GroupDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.Value, T.MinValue, T.MaxValue, T.MarginalValue, Q.ReportOrder "
     "AS ReportOrder FROM (((PrGroupQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND "
     "T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID "
     "AND T.PeriodID = P.PeriodID) INNER JOIN PrGroup AS G ON T.SolutionID = G.SolutionID AND T.CaseID = "
     "G.CaseID AND T.NodeID = G.NodeID AND T.GroupID = G.GroupID) INNER JOIN PrQuality AS Q ON T.SolutionID "
     "= Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID INNER "
     "JOIN PrGroupPeriodSpanning AS PS ON T.SolutionID = PS.SolutionID AND T.CaseID = PS.CaseID AND "
     "T.NodeID = PS.NodeID AND T.GroupID = PS.GroupID"},
    {"VN_SpecBlend",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.BlendValue, T.Value, T.InitialValue, T.MinValue, T.MaxValue, "
     "T.MarginalValue, T.OriginID, T.ReportOrder AS ReportOrder, Q.ReportTag AS QualityReportTag, "
     "B.ReportOrder AS ReportGroup FROM (((PrBlendQuality AS T INNER JOIN PrModel AS M ON T.SolutionID = "
     "M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND "
     "T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = "
     "B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN "
     "PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND "
     "T.QualityID = Q.QualityID WHERE T.MinValue IS NOT NULL OR T.MaxValue IS NOT NULL"},
    {"VN_SpecGroup",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, G.Tag AS GroupTag, "
     "G.Description AS GroupDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "Q.ReportOrder AS QualityReportOrder, T.Value, T.MinValue, T.MaxValue, T.MarginalValue, G.GroupNumber "
     "AS ReportGroup, Q.ReportOrder AS ReportOrder FROM (((PrGroupQuality AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.NodeID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroup AS G ON "
     "T.SolutionID = G.SolutionID AND T.CaseID = G.CaseID AND T.NodeID = G.NodeID AND T.GroupID = "
     "G.GroupID) INNER JOIN PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND "
     "T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID WHERE T.MinValue IS NOT NULL OR T.MaxValue IS NOT "
     "NULL"},
    {"VN_StreamByPeriod",
     "SELECT S.SolutionID, S.CaseID, S.NodeID AS ModelID, P.PeriodID, P.Tag AS PeriodTag, S.StreamID, S.Tag "
     "AS StreamTag, S.Description AS StreamDescription, S.ReportOrder FROM PrStream AS S INNER JOIN "
     "PrPeriod AS P ON S.SolutionID = P.SolutionID AND S.CaseID = P.CaseID"},
    {"VN_StreamDispCols",
     "SELECT DISTINCT T.SolutionID, T.CaseID, T.ModelID, T.UnitID, U.Tag AS UnitTag, U.ReportOrder AS "
     "UnitReportOrder FROM PrUnitOperationMaterial AS T INNER JOIN PrUnit AS U ON T.SolutionID = "
     "U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID"},
    {"VN_StreamDispTotals",
     "SELECT SolutionID, CaseID, ModelID, PeriodID, StreamID, SUM((2 * FeedFlag - 1) * Activity) AS "
     "Submodels FROM PrUnitOperationMaterial GROUP BY SolutionID, CaseID, ModelID, PeriodID, StreamID"},
    {"VN_SubmodCapac",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, C.Tag AS CapacityTag, "
     "C.Description AS CapacityDescription, C.ReportOrder AS CapacityReportOrder, T.Activity, T.FeedFlag, "
     "U.ReportOrder AS ReportGroup, T.ReportOrder AS ReportOrder FROM (((PrUnitOperationCapacity AS T INNER "
     "JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P "
     "ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit "
     "AS U ON T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = "
     "U.UnitID) INNER JOIN PrCapacity AS C ON T.SolutionID = C.SolutionID AND T.CaseID = C.CaseID AND "
     "T.ModelID = C.ModelID AND T.CapacityID = C.CapacityID"},
    {"VN_SubmodGroupCapac",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, GU.Tag AS GroupUnitTag, "
     "GU.Description AS GroupUnitDescription, C.Tag AS CapacityTag, C.Description AS CapacityDescription, "
     "C.ReportOrder AS CapacityReportOrder, T.Activity, T.FeedFlag, GU.GroupNumber AS ReportGroup, "
     "T.ReportOrder AS ReportOrder FROM (((PrGroupUnitCapacity AS T INNER JOIN PrModel AS M ON T.SolutionID "
     "= M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND "
     "T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroupUnit AS GU ON T.SolutionID = "
     "GU.SolutionID AND T.CaseID = GU.CaseID AND T.ModelID = GU.ModelID AND T.GroupUnitID = GU.GroupUnitID) "
     "INNER JOIN PrCapacity AS C ON T.SolutionID = C.SolutionID AND T.CaseID = C.CaseID AND T.ModelID = "
     "C.ModelID AND T.CapacityID = C.CapacityID"},
    {"VN_SubmodGroupMaterials",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, GU.Tag AS GroupUnitTag, "
     "GU.Description AS GroupUnitDescription, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "S.ReportOrder AS StreamReportOrder, T.Activity, T.FeedFlag, T.MarginalValue, GU.GroupNumber AS "
     "ReportGroup, T.ReportOrder AS ReportOrder FROM (((PrGroupUnitMaterial AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroupUnit AS GU ON "
     "T.SolutionID = GU.SolutionID AND T.CaseID = GU.CaseID AND T.ModelID = GU.ModelID AND T.GroupUnitID = "
     "GU.GroupUnitID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.ModelID = S.NodeID AND T.StreamID = S.StreamID"},
    {"VN_SubmodGroupUtils",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, GU.Tag AS GroupUnitTag, "
     "GU.Description AS GroupUnitDescription, UT.Tag AS UtilityTag, UT.Description AS UtilityDescription, "
     "UT.ReportOrder AS UtilityReportOrder, T.Activity, T.FeedFlag, GU.GroupNumber AS ReportGroup, "
     "T.ReportOrder AS ReportOrder FROM (((PrGroupUnitUtility AS T INNER JOIN PrModel AS M ON T.SolutionID "
     "= M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND "
     "T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrGroupUnit AS GU ON T.SolutionID = "
     "GU.SolutionID AND T.CaseID = GU.CaseID AND T.ModelID = GU.ModelID AND T.GroupUnitID = GU.GroupUnitID) "
     "INNER JOIN PrUtility AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = UT.CaseID AND T.ModelID = "
     "UT.ModelID AND T.UtilityID = UT.UtilityID"},
    {"VN_SubmodMaterials",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, S.Tag AS StreamTag, S.Description "
     "AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, T.FeedFlag, T.MarginalValue, "
     "U.ReportOrder AS ReportGroup, T.ReportOrder AS ReportOrder FROM (((PrUnitOperationMaterial AS T INNER "
     "JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P "
     "ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit "
     "AS U ON T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = "
     "U.UnitID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.ModelID = S.NodeID AND T.StreamID = S.StreamID"},
    {"VN_SubmodParams",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, T.PRowID, T.PRowTypeID, "
     "T.Activity, T.NumberofDecimals, T.PRowText, T.Tag AS PRowTag, U.ReportOrder AS ReportGroup, T.PRowID "
     "AS ReportOrder FROM ((PrPRow AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND "
     "T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = "
     "P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit AS U ON T.SolutionID = U.SolutionID AND "
     "T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID"},
    {"VN_SubmodUtils",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, UT.Tag AS UtilityTag, "
     "UT.Description AS UtilityDescription, UT.ReportOrder AS UtilityReportOrder, T.Activity, T.FeedFlag, "
     "U.ReportOrder AS ReportGroup, T.ReportOrder AS ReportOrder FROM (((PrUnitOperationUtility AS T INNER "
     "JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P "
     "ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit "
     "AS U ON T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = "
     "U.UnitID) INNER JOIN PrUtility AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = UT.CaseID AND "
     "T.ModelID = UT.ModelID AND T.UtilityID = UT.UtilityID"},
    {"VN_Transfer",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.NodeFrom, T.FromStreamID, "
     "T.NodeTo, T.ToStreamID, T.ModeID, T.Activity, T.VWBasisID, T.Cost, T.MinValue, T.MaxValue, "
     "T.MarginalValue, S.ReportOrder AS ReportOrder, T.NodeFrom AS ReportGroup FROM ((PrTransfer AS T INNER "
     "JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P "
     "ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND "
     "T.StreamID = S.StreamID"},
    {"VN_TransfIn",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.NodeFrom, T.FromStreamID, "
     "T.NodeTo, T.ToStreamID, T.ModeID, T.Activity, T.VWBasisID, T.Cost, T.MinValue, T.MaxValue, "
     "T.MarginalValue, S.ReportOrder AS ReportOrder, T.NodeFrom AS ReportGroup FROM ((PrTransfer AS T INNER "
     "JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P "
     "ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND "
     "T.StreamID = S.StreamID WHERE T.NodeTo = T.ModelID"},
    {"VN_TransfOut",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.NodeFrom, T.FromStreamID, "
     "T.NodeTo, T.ToStreamID, T.ModeID, T.Activity, T.VWBasisID, T.Cost, T.MinValue, T.MaxValue, "
     "T.MarginalValue, S.ReportOrder AS ReportOrder, T.NodeFrom AS ReportGroup FROM ((PrTransfer AS T INNER "
     "JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P "
     "ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND "
     "T.StreamID = S.StreamID WHERE T.NodeFrom = T.ModelID"},
    {"VN_UnitCapacities",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, C.Tag AS CapacityTag, "
     "C.Description AS CapacityDescription, C.ReportOrder AS CapacityReportOrder, T.Activity, T.FeedFlag, "
     "T.ReportOrder AS ReportOrder FROM (((PrUnitOperationCapacity AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit AS U ON "
     "T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = "
     "U.UnitID) INNER JOIN PrCapacity AS C ON T.SolutionID = C.SolutionID AND T.CaseID = C.CaseID AND "
     "T.ModelID = C.ModelID AND T.CapacityID = C.CapacityID"},
    {"VN_UnitMaterials",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, S.Tag AS StreamTag, S.Description "
     "AS StreamDescription, S.ReportOrder AS StreamReportOrder, T.Activity, T.FeedFlag, T.MarginalValue, "
     "T.ReportOrder AS ReportOrder FROM (((PrUnitOperationMaterial AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit AS U ON "
     "T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = "
     "U.UnitID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.ModelID = S.NodeID AND T.StreamID = S.StreamID"},
    {"VN_UnitProcessLimits",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "U.Tag AS UnitTag, U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, PC.Tag AS "
     "ProcessCapacityTag, PC.Description AS ProcessCapacityDescription, PC.ReportOrder AS "
     "ProcessCapacityReportOrder, T.ReportOrder AS ReportOrder FROM ((PrUnitProcessLimit AS T INNER JOIN "
     "PrModel AS M ON T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrUnit AS U ON "
     "T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = "
     "U.UnitID) INNER JOIN PrProcessCapacity AS PC ON T.SolutionID = PC.SolutionID AND T.CaseID = PC.CaseID "
     "AND T.ModelID = PC.ModelID AND T.ProcessCapacityID = PC.ProcessCapacityID"},
    {"VN_UnitUtilities",
     "SELECT T.SolutionID, T.CaseID, T.ModelID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, U.ReportOrder AS UnitReportOrder, UT.Tag AS UtilityTag, "
     "UT.Description AS UtilityDescription, UT.ReportOrder AS UtilityReportOrder, T.Activity, T.FeedFlag, "
     "T.ReportOrder AS ReportOrder FROM (((PrUnitOperationUtility AS T INNER JOIN PrModel AS M ON "
     "T.SolutionID = M.SolutionID AND T.ModelID = M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = "
     "P.SolutionID AND T.CaseID = P.CaseID AND T.PeriodID = P.PeriodID) INNER JOIN PrUnit AS U ON "
     "T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = "
     "U.UnitID) INNER JOIN PrUtility AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = UT.CaseID AND "
     "T.ModelID = UT.ModelID AND T.UtilityID = UT.UtilityID"},
    {"VN_UtilDispCols",
     "SELECT DISTINCT T.SolutionID, T.CaseID, T.ModelID, T.UnitID, U.Tag AS UnitTag, U.ReportOrder AS "
     "UnitReportOrder FROM PrUnitOperationUtility AS T INNER JOIN PrUnit AS U ON T.SolutionID = "
     "U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID"},
    {"VN_UtilPurch",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, UT.Tag AS UtilityTag, "
     "UT.Description AS UtilityDescription, UT.ReportOrder AS UtilityReportOrder, T.Activity, T.Cost, "
     "T.ShadowPrice, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportGroup, T.ReportOrder AS ReportOrder "
     "FROM ((PrUtilityPurchase AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrUtility AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = "
     "UT.CaseID AND T.NodeID = UT.ModelID AND T.UtilityID = UT.UtilityID"},
    {"VN_UtilSale",
     "SELECT T.SolutionID, T.CaseID, T.NodeID AS ModelID, M.ModelName, M.ModelTypeID, M.Tag AS ModelTag, "
     "T.PeriodID, P.Tag AS PeriodTag, P.Description AS PeriodDescription, P.Days, UT.Tag AS UtilityTag, "
     "UT.Description AS UtilityDescription, UT.ReportOrder AS UtilityReportOrder, T.Activity, T.Price, "
     "T.ShadowPrice, T.MinValue, T.MaxValue, T.MarginalValue, T.ReportGroup, T.ReportOrder AS ReportOrder "
     "FROM ((PrUtilitySale AS T INNER JOIN PrModel AS M ON T.SolutionID = M.SolutionID AND T.NodeID = "
     "M.ModelID) INNER JOIN PrPeriod AS P ON T.SolutionID = P.SolutionID AND T.CaseID = P.CaseID AND "
     "T.PeriodID = P.PeriodID) INNER JOIN PrUtility AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = "
     "UT.CaseID AND T.NodeID = UT.ModelID AND T.UtilityID = UT.UtilityID"},
};

constexpr SavedQueryText kReportWriterViews[] = {
    {"RW_BlendActivity",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, T.VolActivity, T.WgtActivity FROM ((PrRWBlendQuantity AS T INNER "
     "JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod "
     "AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER "
     "JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND "
     "T.BlendID = B.StreamID"},
    {"RW_BlendComponentActivity",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "T.VolActivity, T.WgtActivity, T.VolMarginalValue FROM (((PrRWBlendRecipe AS T INNER JOIN RW_Nodes AS "
     "N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON "
     "T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND "
     "T.BlendID = B.StreamID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID"},
    {"RW_BlendingStreamActivity",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, S.Tag AS StreamTag, S.Description AS StreamDescription, "
     "T.VolActivity, T.WgtActivity, T.VolMarginalValue FROM (((PrBlendRecipe AS T INNER JOIN RW_Nodes AS N "
     "ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON "
     "T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND "
     "T.BlendID = B.StreamID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID"},
    {"RW_BlendQualities",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "T.BlendValue, T.Value, T.MinValue, T.MaxValue, T.MarginalValue, T.OriginID FROM (((PrBlendQuality AS "
     "T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN "
     "RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = "
     "CP.PeriodID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND T.CaseID = B.CaseID AND "
     "T.NodeID = B.NodeID AND T.BlendID = B.StreamID) INNER JOIN PrQuality AS Q ON T.SolutionID = "
     "Q.SolutionID AND T.CaseID = Q.CaseID AND T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID"},
    {"RW_Blends",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, B.Tag AS BlendTag, "
     "B.Description AS BlendDescription FROM (PrRWBlend AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = "
     "N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN PrStream AS B ON T.SolutionID = B.SolutionID AND "
     "T.CaseID = B.CaseID AND T.NodeID = B.NodeID AND T.BlendID = B.StreamID"},
    {"RW_Bounds",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, T.SequenceID, "
     "T.LPColumnName, T.Activity, T.MinValue, T.MaxValue, T.MarginalValue, T.Description AS Description "
     "FROM (PrBound AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) "
     "INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND "
     "T.PeriodID = CP.PeriodID"},
    {"RW_Capacities",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, C.Tag AS CapacityTag, "
     "C.Description AS CapacityDescription, T.Activity, T.MinValue, T.MaxValue, T.MarginalValue FROM "
     "((PrCapacityLimit AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = "
     "N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND "
     "T.PeriodID = CP.PeriodID) INNER JOIN PrCapacity AS C ON T.SolutionID = C.SolutionID AND T.CaseID = "
     "C.CaseID AND T.ModelID = C.ModelID AND T.CapacityID = C.CapacityID"},
    {"RW_CaseDetails",
     "SELECT * FROM PrCase"},
    {"RW_CasePeriod",
     "SELECT P.SolutionID, P.CaseID, C.Description AS CaseName, P.PeriodID, P.Tag AS PeriodTag, "
     "P.Description AS PeriodDescription, P.Days AS PeriodLength, P.RWCasePeriod AS CasePeriod FROM "
     "PrPeriod AS P INNER JOIN PrCase AS C ON P.SolutionID = C.SolutionID AND P.CaseID = C.CaseID"},
    {"RW_Depots",
     "SELECT PrNode.SolutionID, PrNode.NodeID, PrDepot.Tag AS NodeTag, PrDepot.Description AS "
     "NodeDescription , PrDepot.Description AS NodeName, 'D' AS NodeType FROM PrNode INNER JOIN PrDepot ON "
     "PrNode.SolutionID=PrDepot.SolutionID AND PrNode.NodeID=PrDepot.DepotID WHERE PrNode.DummyFlag <> 1"},
    {"RW_EconomicSummary",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, "
     "T.EconomicSummaryTypeID, E.Description AS Description, T.Activity FROM (PrEconomicSummary AS T INNER "
     "JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod "
     "AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID INNER "
     "JOIN PrEconomicSummaryType AS E ON T.EconomicSummaryTypeID = E.EconomicSummaryTypeID"},
    {"RW_GroupedStreams",
     "SELECT GM.SolutionID, GM.CaseID, GM.GroupNodeID AS NodeID, G.Tag AS GroupTag, G.Description AS "
     "GroupDescription, G.GroupNumber, GM.MemberNodeID, GM.MemberID AS StreamID, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, GM.MemberPeriodID, GM.MarketID FROM (PrGroupMember AS GM INNER "
     "JOIN PrGroup AS G ON GM.SolutionID = G.SolutionID AND GM.CaseID = G.CaseID AND GM.GroupNodeID = "
     "G.NodeID AND GM.GroupID = G.GroupID) INNER JOIN PrStream AS S ON GM.SolutionID = S.SolutionID AND "
     "GM.CaseID = S.CaseID AND GM.MemberNodeID = S.NodeID AND GM.MemberID = S.StreamID"},
    {"RW_GroupedStreamsInventory",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, GS.GroupTag AS GroupTag, T.Opening, T.Closing, T.VWBasisID FROM "
     "((PrInventory AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) "
     "INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND "
     "T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID INNER JOIN RW_GroupedStreams AS GS ON "
     "T.SolutionID = GS.SolutionID AND T.CaseID = GS.CaseID AND T.NodeID = GS.MemberNodeID AND T.StreamID = "
     "GS.StreamID"},
    {"RW_GroupedStreamsPurchases",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, GS.GroupTag AS GroupTag, T.Activity, T.VWBasisID, T.Cost FROM "
     "((PrPurchase AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) "
     "INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND "
     "T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID INNER JOIN RW_GroupedStreams AS GS ON "
     "T.SolutionID = GS.SolutionID AND T.CaseID = GS.CaseID AND T.NodeID = GS.MemberNodeID AND T.StreamID = "
     "GS.StreamID"},
    {"RW_GroupedStreamsQualities",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "GS.GroupTag AS GroupTag, T.Value FROM (((PrStreamQuality AS T INNER JOIN RW_Nodes AS N ON "
     "T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = "
     "CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON "
     "T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = "
     "S.StreamID) INNER JOIN PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND "
     "T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID INNER JOIN RW_GroupedStreams AS GS ON T.SolutionID "
     "= GS.SolutionID AND T.CaseID = GS.CaseID AND T.NodeID = GS.MemberNodeID AND T.StreamID = GS.StreamID"},
    {"RW_GroupedStreamsSales",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, GS.GroupTag AS GroupTag, T.Activity, T.VWBasisID, T.Price FROM "
     "((PrSale AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER "
     "JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = "
     "CP.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.NodeID = S.NodeID AND T.StreamID = S.StreamID INNER JOIN RW_GroupedStreams AS GS ON T.SolutionID = "
     "GS.SolutionID AND T.CaseID = GS.CaseID AND T.NodeID = GS.MemberNodeID AND T.StreamID = GS.StreamID"},
    {"RW_GroupUnitCapacities",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, GU.Tag AS "
     "GroupUnitTag, GU.Description AS GroupUnitDescription, C.Tag AS CapacityTag, C.Description AS "
     "CapacityDescription, T.Activity, T.FeedFlag FROM (((PrGroupUnitCapacity AS T INNER JOIN RW_Nodes AS N "
     "ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON "
     "T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrGroupUnit AS GU ON T.SolutionID = GU.SolutionID AND T.CaseID = GU.CaseID AND T.ModelID = GU.ModelID "
     "AND T.GroupUnitID = GU.GroupUnitID) INNER JOIN PrCapacity AS C ON T.SolutionID = C.SolutionID AND "
     "T.CaseID = C.CaseID AND T.ModelID = C.ModelID AND T.CapacityID = C.CapacityID"},
    {"RW_GroupUnitMaterials",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, GU.Tag AS "
     "GroupUnitTag, GU.Description AS GroupUnitDescription, S.Tag AS StreamTag, S.Description AS "
     "StreamDescription, T.Activity, T.FeedFlag, T.MarginalValue FROM (((PrGroupUnitMaterial AS T INNER "
     "JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod "
     "AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER "
     "JOIN PrGroupUnit AS GU ON T.SolutionID = GU.SolutionID AND T.CaseID = GU.CaseID AND T.ModelID = "
     "GU.ModelID AND T.GroupUnitID = GU.GroupUnitID) INNER JOIN PrStream AS S ON T.SolutionID = "
     "S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND T.StreamID = S.StreamID"},
    {"RW_GroupUnitUtilities",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, GU.Tag AS "
     "GroupUnitTag, GU.Description AS GroupUnitDescription, UT.Tag AS UtilityTag, UT.Description AS "
     "UtilityDescription, T.Activity, T.FeedFlag FROM (((PrGroupUnitUtility AS T INNER JOIN RW_Nodes AS N "
     "ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON "
     "T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrGroupUnit AS GU ON T.SolutionID = GU.SolutionID AND T.CaseID = GU.CaseID AND T.ModelID = GU.ModelID "
     "AND T.GroupUnitID = GU.GroupUnitID) INNER JOIN PrUtility AS UT ON T.SolutionID = UT.SolutionID AND "
     "T.CaseID = UT.CaseID AND T.ModelID = UT.ModelID AND T.UtilityID = UT.UtilityID"},
    {"RW_Inventory",
     "SELECT * FROM RW_InventoryV UNION ALL SELECT * FROM RW_InventoryW"},
    {"RW_InventoryV",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 1 AS VWBasisID, T.Closing AS VolActivity, T.Closing * W.Value AS "
     "WgtActivity, W.Value AS VTW, T.Opening AS Opening, T.MinValue AS MinValue, T.MaxValue AS MaxValue, "
     "T.MarginalValue AS MarginalValue FROM ((PrInventory AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = "
     "N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID "
     "AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = "
     "S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = S.StreamID LEFT JOIN "
     "PrVTW AS W ON T.SolutionID = W.SolutionID AND T.CaseID = W.CaseID AND T.PeriodID = W.PeriodID AND "
     "T.NodeID = W.NodeID AND T.StreamID = W.StreamID WHERE T.VWBasisID = 1"},
    {"RW_InventoryW",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 0 AS VWBasisID, CASE WHEN W.Value <> 0 THEN T.Closing / W.Value "
     "END AS VolActivity, T.Closing AS WgtActivity, W.Value AS VTW, T.Opening AS Opening, T.MinValue AS "
     "MinValue, T.MaxValue AS MaxValue, T.MarginalValue AS MarginalValue FROM ((PrInventory AS T INNER JOIN "
     "RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP "
     "ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND "
     "T.StreamID = S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = W.SolutionID AND T.CaseID = W.CaseID "
     "AND T.PeriodID = W.PeriodID AND T.NodeID = W.NodeID AND T.StreamID = W.StreamID WHERE T.VWBasisID = 0"},
    {"RW_MaterialBalance",
     "SELECT * FROM RW_MaterialBalanceV UNION ALL SELECT * FROM RW_MaterialBalanceW"},
    {"RW_MaterialBalanceV",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 1 AS VWBasisID, T.Activity AS VolActivity, T.Activity * W.Value "
     "AS WgtActivity, W.Value AS VTW, T.Slack AS Slack, T.MarginalValue AS MarginalValue, "
     "T.OutofBalanceFlag AS OutofBalanceFlag FROM ((PrMaterialBalance AS T INNER JOIN RW_Nodes AS N ON "
     "T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID "
     "= CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON "
     "T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND T.StreamID = "
     "S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = W.SolutionID AND T.CaseID = W.CaseID AND T.PeriodID "
     "= W.PeriodID AND T.ModelID = W.NodeID AND T.StreamID = W.StreamID WHERE T.VWBasisID = 1"},
    {"RW_MaterialBalanceW",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 0 AS VWBasisID, CASE WHEN W.Value <> 0 THEN T.Activity / W.Value "
     "END AS VolActivity, T.Activity AS WgtActivity, W.Value AS VTW, T.Slack AS Slack, T.MarginalValue AS "
     "MarginalValue, T.OutofBalanceFlag AS OutofBalanceFlag FROM ((PrMaterialBalance AS T INNER JOIN "
     "RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP "
     "ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND "
     "T.StreamID = S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = W.SolutionID AND T.CaseID = W.CaseID "
     "AND T.PeriodID = W.PeriodID AND T.ModelID = W.NodeID AND T.StreamID = W.StreamID WHERE T.VWBasisID = "
     "0"},
    {"RW_Models",
     "SELECT PrModel.SolutionID, PrModel.ModelID AS NodeID, PrModel.Tag AS NodeTag, PrModel.Description AS "
     "NodeDescription, PrModel.ModelName AS NodeName, 'M' AS NodeType FROM PrModel"},
    {"RW_ModelSettings",
     "SELECT S.SolutionID, S.CaseID, S.ModelID AS NodeID, T.Keyword, T.DataTypeID, S.TextValue, "
     "S.IntegerValue, S.DoubleValue, S.DateValue FROM PrSetting AS S INNER JOIN PrSettingType AS T ON "
     "S.SettingTypeID = T.SettingTypeID"},
    {"RW_ModelVWBasisIDs",
     "SELECT N.SolutionID, N.NodeID, N.VWBasisID, V.Description AS VWBasis FROM PrNode AS N LEFT JOIN "
     "PrVWBasis AS V ON N.VWBasisID = V.VWBasisID"},
    {"RW_Nodes",
     "SELECT SolutionID, NodeID, NodeTag, NodeDescription, NodeType, NodeName from RW_Depots UNION SELECT "
     "SolutionID, NodeID, NodeTag, NodeDescription, NodeType, NodeName from RW_Models"},
    {"RW_ObjectiveFunction",
     "SELECT SolutionID, CaseID, Description AS CaseName, ObjectiveFunction, SolutionStatus, Passes FROM "
     "PrCase"},
    {"RW_Penalties",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, T.PenaltyTypeID, "
     "PT.Description AS Description, T.Activity, T.Tag1 AS Tag1, T.Tag2 AS Tag2 FROM (PrPenalty AS T INNER "
     "JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod "
     "AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID INNER "
     "JOIN PrPenaltyType AS PT ON T.PenaltyTypeID = PT.PenaltyTypeID"},
    {"RW_Period",
     "SELECT * FROM PrPeriod;"},
    {"RW_VORNLog",
     "SELECT R.SolutionID, R.CaseID, R.SequenceID, R.ObjectiveFunction, R.SolutionStatus, "
     "R.RecursionTypeID, RT.Description AS RecursionType, R.LPIterations, R.PropOutofTolerance, "
     "R.DistrOutofTolerance FROM PrRecursionLog AS R LEFT JOIN PrRecursionType AS RT ON R.RecursionTypeID = "
     "RT.RecursionTypeID"},
    {"RW_PrimalColumn",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, T.SequenceID, "
     "T.ColumnName, T.Status, T.Activity, T.Cost, T.LoBound, T.HiBound, T.MarginalValue FROM "
     "(PrPrimalColumn AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) "
     "INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND "
     "T.PeriodID = CP.PeriodID"},
    {"RW_PrimalColumnVORN",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, T.SequenceID, "
     "T.ColumnName, T.Status, T.Activity, T.Cost, T.LoBound, T.HiBound, T.MarginalValue FROM "
     "(PrPrimalColumn AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) "
     "INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND "
     "T.PeriodID = CP.PeriodID WHERE T.Activity <> 0 OR T.Status <> 'BS'"},
    {"RW_PrimalRow",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, T.SequenceID, "
     "T.RowName, T.Status, T.Activity, T.Slack, T.LoRHS, T.HiRHS, T.MarginalValue FROM (PrPrimalRow AS T "
     "INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN "
     "RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = "
     "CP.PeriodID"},
    {"RW_ProcessCapacityLimits",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, PC.Tag AS "
     "ProcessCapacityTag, PC.Description AS ProcessCapacityDescription, T.Activity, T.MinValue, T.MaxValue, "
     "T.MarginalValue FROM ((PrProcessCapacityLimit AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = "
     "N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID "
     "AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrProcessCapacity AS PC ON "
     "T.SolutionID = PC.SolutionID AND T.CaseID = PC.CaseID AND T.ModelID = PC.ModelID AND "
     "T.ProcessCapacityID = PC.ProcessCapacityID"},
    {"RW_PRows",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, U.Tag AS UnitTag, "
     "U.Description AS UnitDescription, T.PRowID, T.PRowTypeID, T.Activity, T.NumberofDecimals, T.PRowText, "
     "T.Tag AS PRowTag FROM ((PrPRow AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND "
     "T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = "
     "CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrUnit AS U ON T.SolutionID = U.SolutionID AND "
     "T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID"},
    {"RW_Purchases",
     "SELECT V.*, V.VolActivity * V.VolCost AS Expense FROM RW_PurchasesV AS V UNION ALL SELECT W.*, "
     "W.VolActivity * W.VolCost AS Expense FROM RW_PurchasesW AS W"},
    {"RW_PurchasesV",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 1 AS VWBasisID, T.Activity AS VolActivity, T.Activity * W.Value "
     "AS WgtActivity, W.Value AS VTW, T.Cost AS VolCost, T.MinValue AS MinValue, T.MaxValue AS MaxValue, "
     "T.MarginalValue AS MarginalValue, T.ReportGroup AS ReportGroup FROM ((PrPurchase AS T INNER JOIN "
     "RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP "
     "ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND "
     "T.StreamID = S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = W.SolutionID AND T.CaseID = W.CaseID "
     "AND T.PeriodID = W.PeriodID AND T.NodeID = W.NodeID AND T.StreamID = W.StreamID WHERE T.VWBasisID = 1"},
    {"RW_PurchasesW",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 0 AS VWBasisID, CASE WHEN W.Value <> 0 THEN T.Activity / W.Value "
     "END AS VolActivity, T.Activity AS WgtActivity, W.Value AS VTW, CASE WHEN W.Value <> 0 THEN T.Cost * "
     "W.Value END AS VolCost, T.MinValue AS MinValue, T.MaxValue AS MaxValue, T.MarginalValue AS "
     "MarginalValue, T.ReportGroup AS ReportGroup FROM ((PrPurchase AS T INNER JOIN RW_Nodes AS N ON "
     "T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = "
     "CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON "
     "T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = "
     "S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = W.SolutionID AND T.CaseID = W.CaseID AND T.PeriodID "
     "= W.PeriodID AND T.NodeID = W.NodeID AND T.StreamID = W.StreamID WHERE T.VWBasisID = 0"},
    {"RW_Sales",
     "SELECT V.*, V.VolActivity * V.VolPrice AS Revenue FROM RW_SalesV AS V UNION ALL SELECT W.*, "
     "W.VolActivity * W.VolPrice AS Revenue FROM RW_SalesW AS W"},
    {"RW_SalesV",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 1 AS VWBasisID, T.Activity AS VolActivity, T.Activity * W.Value "
     "AS WgtActivity, W.Value AS VTW, T.Price AS VolPrice, T.MinValue AS MinValue, T.MaxValue AS MaxValue, "
     "T.MarginalValue AS MarginalValue, T.ReportGroup AS ReportGroup, T.MarketID AS MarketID FROM ((PrSale "
     "AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN "
     "RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = "
     "CP.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND "
     "T.NodeID = S.NodeID AND T.StreamID = S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = W.SolutionID "
     "AND T.CaseID = W.CaseID AND T.PeriodID = W.PeriodID AND T.NodeID = W.NodeID AND T.StreamID = "
     "W.StreamID WHERE T.VWBasisID = 1"},
    {"RW_SalesW",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 0 AS VWBasisID, CASE WHEN W.Value <> 0 THEN T.Activity / W.Value "
     "END AS VolActivity, T.Activity AS WgtActivity, W.Value AS VTW, CASE WHEN W.Value <> 0 THEN T.Price * "
     "W.Value END AS VolPrice, T.MinValue AS MinValue, T.MaxValue AS MaxValue, T.MarginalValue AS "
     "MarginalValue, T.ReportGroup AS ReportGroup, T.MarketID AS MarketID FROM ((PrSale AS T INNER JOIN "
     "RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP "
     "ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND "
     "T.StreamID = S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = W.SolutionID AND T.CaseID = W.CaseID "
     "AND T.PeriodID = W.PeriodID AND T.NodeID = W.NodeID AND T.StreamID = W.StreamID WHERE T.VWBasisID = 0"},
    {"RW_Solutions",
     "SELECT * FROM PrSolution"},
    {"RW_StreamQualities",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, Q.Tag AS QualityTag, Q.Description AS QualityDescription, "
     "T.Value, T.InitialValue, T.OriginID FROM (((PrStreamQuality AS T INNER JOIN RW_Nodes AS N ON "
     "T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = "
     "CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON "
     "T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = "
     "S.StreamID) INNER JOIN PrQuality AS Q ON T.SolutionID = Q.SolutionID AND T.CaseID = Q.CaseID AND "
     "T.NodeID = Q.ModelID AND T.QualityID = Q.QualityID"},
    {"RW_Transfers",
     "SELECT * FROM RW_TransfersV UNION ALL SELECT * FROM RW_TransfersW"},
    {"RW_TransfersV",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 1 AS VWBasisID, T.Activity AS VolActivity, T.Activity * W.Value "
     "AS WgtActivity, W.Value AS VTW, T.Cost AS VolCost, T.NodeFrom AS NodeFrom, T.NodeTo AS NodeTo, "
     "T.ModeID AS ModeID, T.MinValue AS MinValue, T.MaxValue AS MaxValue, T.MarginalValue AS MarginalValue "
     "FROM ((PrTransfer AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = "
     "N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND "
     "T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = "
     "S.CaseID AND T.ModelID = S.NodeID AND T.StreamID = S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = "
     "W.SolutionID AND T.CaseID = W.CaseID AND T.PeriodID = W.PeriodID AND T.ModelID = W.NodeID AND "
     "T.StreamID = W.StreamID WHERE T.VWBasisID = 1"},
    {"RW_TransfersW",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, 0 AS VWBasisID, CASE WHEN W.Value <> 0 THEN T.Activity / W.Value "
     "END AS VolActivity, T.Activity AS WgtActivity, W.Value AS VTW, CASE WHEN W.Value <> 0 THEN T.Cost * "
     "W.Value END AS VolCost, T.NodeFrom AS NodeFrom, T.NodeTo AS NodeTo, T.ModeID AS ModeID, T.MinValue AS "
     "MinValue, T.MaxValue AS MaxValue, T.MarginalValue AS MarginalValue FROM ((PrTransfer AS T INNER JOIN "
     "RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP "
     "ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrStream AS S ON T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND "
     "T.StreamID = S.StreamID LEFT JOIN PrVTW AS W ON T.SolutionID = W.SolutionID AND T.CaseID = W.CaseID "
     "AND T.PeriodID = W.PeriodID AND T.ModelID = W.NodeID AND T.StreamID = W.StreamID WHERE T.VWBasisID = "
     "0"},
    {"RW_UnitCapacities",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, C.Tag AS CapacityTag, "
     "C.Description AS CapacityDescription, T.UnitID, T.Activity, T.FeedFlag FROM ((PrRWUnitCapacity AS T "
     "INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN "
     "RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = "
     "CP.PeriodID) INNER JOIN PrCapacity AS C ON T.SolutionID = C.SolutionID AND T.CaseID = C.CaseID AND "
     "T.ModelID = C.ModelID AND T.CapacityID = C.CapacityID INNER JOIN PrRWUnit AS U ON T.SolutionID = "
     "U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID"},
    {"RW_UnitMaterials",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, T.UnitID, U.Tag AS UnitTag, U.Description AS UnitDescription, "
     "T.Activity, T.FeedFlag FROM ((PrRWUnitMaterial AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = "
     "N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID "
     "AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON T.SolutionID = "
     "S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND T.StreamID = S.StreamID INNER JOIN "
     "PrRWUnit AS U ON T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND "
     "T.UnitID = U.UnitID"},
    {"RW_UnitMaterialsUOM",
     "SELECT M.*, UOM.VWBasisID AS UOMBasisID, UOM.UOMTypeID FROM RW_UnitMaterials AS M LEFT JOIN "
     "PrUnitofMeasure AS UOM ON M.SolutionID = UOM.SolutionID AND M.CaseID = UOM.CaseID AND M.NodeID = "
     "UOM.ModelID AND M.StreamTag = (SELECT S.Tag FROM PrStream AS S WHERE S.SolutionID = UOM.SolutionID "
     "AND S.CaseID = UOM.CaseID AND S.NodeID = UOM.ModelID AND S.StreamID = UOM.StreamID)"},
    {"RW_UnitOfMeasure",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, S.Tag AS "
     "StreamTag, S.Description AS StreamDescription, T.VWBasisID, T.UOMTypeID, UT.Description AS "
     "UOMDescription, UT.STDCONV AS STDCONV FROM (PrUnitofMeasure AS T INNER JOIN RW_Nodes AS N ON "
     "T.SolutionID = N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN PrStream AS S ON T.SolutionID = "
     "S.SolutionID AND T.CaseID = S.CaseID AND T.ModelID = S.NodeID AND T.StreamID = S.StreamID LEFT JOIN "
     "PrUOMType AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = UT.CaseID AND T.ModelID = UT.ModelID "
     "AND T.UOMTypeID = UT.UOMTypeID"},
    {"RW_UnitUtilities",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, UT.Tag AS UtilityTag, "
     "UT.Description AS UtilityDescription, T.UnitID, U.Tag AS UnitTag, T.Activity, T.FeedFlag FROM "
     "((PrRWUnitUtility AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = N.SolutionID AND T.ModelID = "
     "N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND "
     "T.PeriodID = CP.PeriodID) INNER JOIN PrUtility AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = "
     "UT.CaseID AND T.ModelID = UT.ModelID AND T.UtilityID = UT.UtilityID INNER JOIN PrRWUnit AS U ON "
     "T.SolutionID = U.SolutionID AND T.CaseID = U.CaseID AND T.ModelID = U.ModelID AND T.UnitID = U.UnitID"},
    {"RW_UtilityPurchases",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, UT.Tag AS UtilityTag, "
     "UT.Description AS UtilityDescription, T.Activity, T.Cost, T.ShadowPrice, T.MinValue, T.MaxValue, "
     "T.MarginalValue, T.Activity * T.Cost AS Expense FROM ((PrUtilityPurchase AS T INNER JOIN RW_Nodes AS "
     "N ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON "
     "T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrUtility AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = UT.CaseID AND T.NodeID = UT.ModelID "
     "AND T.UtilityID = UT.UtilityID"},
    {"RW_UtilitySales",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, UT.Tag AS UtilityTag, "
     "UT.Description AS UtilityDescription, T.Activity, T.Price, T.ShadowPrice, T.MinValue, T.MaxValue, "
     "T.MarginalValue, T.Activity * T.Price AS Revenue FROM ((PrUtilitySale AS T INNER JOIN RW_Nodes AS N "
     "ON T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON "
     "T.SolutionID = CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN "
     "PrUtility AS UT ON T.SolutionID = UT.SolutionID AND T.CaseID = UT.CaseID AND T.NodeID = UT.ModelID "
     "AND T.UtilityID = UT.UtilityID"},
    {"RW_UVWBal",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, UT.Tag AS UtilityTag, "
     "UT.Description AS UtilityDescription, T.Activity, T.Slack, T.MarginalValue, T.VWBasisID, "
     "T.OutofBalanceFlag FROM ((PrUtilityBalance AS T INNER JOIN RW_Nodes AS N ON T.SolutionID = "
     "N.SolutionID AND T.ModelID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = CP.SolutionID "
     "AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrUtility AS UT ON T.SolutionID = "
     "UT.SolutionID AND T.CaseID = UT.CaseID AND T.ModelID = UT.ModelID AND T.UtilityID = UT.UtilityID"},
    {"RW_VTW",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, T.Value FROM ((PrVTW AS T INNER JOIN RW_Nodes AS N ON "
     "T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = "
     "CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON "
     "T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = "
     "S.StreamID"},
    {"RW_VTWFactors",
     "SELECT T.SolutionID, N.NodeID, N.NodeTag, N.NodeDescription, N.NodeType, T.CaseID, CP.CaseName, "
     "T.PeriodID, CP.PeriodTag, CP.PeriodDescription, CP.PeriodLength, CP.CasePeriod, S.Tag AS StreamTag, "
     "S.Description AS StreamDescription, T.Value FROM ((PrRWVTW AS T INNER JOIN RW_Nodes AS N ON "
     "T.SolutionID = N.SolutionID AND T.NodeID = N.NodeID) INNER JOIN RW_CasePeriod AS CP ON T.SolutionID = "
     "CP.SolutionID AND T.CaseID = CP.CaseID AND T.PeriodID = CP.PeriodID) INNER JOIN PrStream AS S ON "
     "T.SolutionID = S.SolutionID AND T.CaseID = S.CaseID AND T.NodeID = S.NodeID AND T.StreamID = "
     "S.StreamID"},
};

}  // namespace

std::span<const SavedQueryText> GetReportViews() { return kReportViews; }
std::span<const SavedQueryText> GetBaseViews() { return kBaseViews; }
std::span<const SavedQueryText> GetReportWriterViews() { return kReportWriterViews; }

const SavedQueryText& GetSolutionValuesQuery() {
  static constexpr SavedQueryText kSolutionValues{"PrSolutionValues",
                                                 "select SolutionId, CaseId, PeriodId, NodeId as [ModelId], ColumnName, Activity from prPrimalColumn "
                                                 "union all select M.SolutionId, P.CaseId, P.PeriodId, M.ModelID, 'Q' || Q.Tag || S.Tag || CASE WHEN "
                                                 "M.ModelTypeID = 0 THEN '' WHEN P.Tag <> '.' THEN P.Tag ELSE '' END || CASE WHEN M.Tag <> '.' THEN "
                                                 "M.Tag ELSE '' END as Variable, [SQ].[Value] from (((prQuality as [Q] INNER JOIN PrStreamQuality as "
                                                 "[SQ] on Q.SolutionId = SQ.SolutionId AND Q.CaseId = SQ.CaseId AND Q.ModelId = SQ.NodeID AND "
                                                 "Q.QualityId = SQ.QualityId) INNER JOIN PrStream as [S] on S.SolutionId = SQ.SolutionId AND S.CaseId = "
                                                 "SQ.CaseId AND S.NodeId = SQ.NodeID AND S.StreamId = SQ.StreamId) INNER JOIN PrPeriod as [P] on "
                                                 "P.SolutionID = SQ.SolutionId AND P.CaseID = SQ.CaseId AND P.PeriodID = SQ.PeriodId) INNER JOIN "
                                                 "prModel as [M] on M.SolutionID = Q.SolutionID AND M.ModelID = Q.ModelId"};
  return kSolutionValues;
}
