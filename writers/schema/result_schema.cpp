// The result-table catalogue. The field lists are data, one array per table
// in definition order; the definition pass, the key indexes and the DDL
// script read them.

#include "writers/schema/result_schema.h"

#include <array>

#include "modelfile/model_settings.h"

namespace {

constexpr FieldKind L = FieldKind::Long;
constexpr FieldKind S = FieldKind::Short;
constexpr FieldKind D = FieldKind::Double;
constexpr FieldKind DT = FieldKind::Date;
constexpr FieldKind T = FieldKind::Text;
constexpr FieldKind M = FieldKind::Memo;

// ---- The tables of the definition pass
constexpr ResultField kPrCase[] = {
    {"SolutionID", L}, {"CaseID", L}, {"Description", T, 80}, {"ObjectiveFunction", D}, {"SolutionStatus", S},
    {"Passes", S}, {"PropOutofTolerance", L}, {"DistrOutofTolerance", L}, {"SolveTime", L}, {"TotalTime", L},
    {"Optimizer", T, 15}, {"OptimizerVersion", T, 15}, {"NOTE01", T, 24}, {"NOTE02", T, 24}, {"NOTE03", T, 24},
    {"NOTE04", T, 24}, {"NOTE05", T, 24}, {"NOTE06", T, 24}, {"NOTE07", T, 24}, {"NOTE08", T, 24}, {"NOTE09", T, 24},
    {"NOTE10", T, 24}, {"NOTE11", T, 24}, {"NOTE12", T, 24}, {"NOTE13", T, 24}, {"NOTE14", T, 24}, {"NOTE15", T, 24},
    {"NOTE16", T, 24}, {"NOTE17", T, 24}, {"NOTE18", T, 24}, {"NOTE19", T, 24}, {"NOTE20", T, 24}, {"MODIFIES", T, 5},
    {"LimitedByMinMax", S},
};
constexpr ResultField kPrMode[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModeID", L}, {"Tag", T, 20}, {"Description", T, 50}, {"DummyFlag", S},
};
constexpr ResultField kPrMarket[] = {
    {"SolutionID", L}, {"CaseID", L}, {"MarketID", L}, {"Tag", T, 20}, {"Description", T, 50}, {"DummyFlag", S},
};
constexpr ResultField kPrNode[] = {
    {"SolutionID", L}, {"NodeID", L}, {"VWBasisID", S}, {"DummyFlag", S},
};
constexpr ResultField kPrDepot[] = {
    {"SolutionID", L}, {"DepotID", L}, {"Tag", T, 20}, {"Description", T, 50},
};
constexpr ResultField kPrModel[] = {
    {"SolutionID", L}, {"ModelID", L}, {"ModelName", T, 255}, {"HomeDirectory", T, 255}, {"ModelTypeID", S},
    {"Tag", T, 20}, {"Description", T, 72}, {"ModelGUID", T, 36}, {"ReportFlag", S},
};
constexpr ResultField kPrStream[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"StreamID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"ReportOrder", S}, {"ReportTag", T, 20}, {"DomainTag", T, 20}, {"DummyFlag", S}, {"LiquidConversion", D},
    {"GlobalReportOrder", S}, {"UserDefinedReportOrder", S},
};
constexpr ResultField kPrGroup[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"GroupID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"ReportTag", T, 20}, {"DomainTag", T, 20}, {"GroupNumber", S},
};
constexpr ResultField kPrGroupUnit[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"GroupUnitID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"ReportTag", T, 26}, {"DomainTag", T, 20}, {"GroupNumber", S},
};
constexpr ResultField kPrGroupPeriodSpanning[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"GroupID", L},
};
constexpr ResultField kPrGroupPlantSpanning[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"GroupID", L},
};
constexpr ResultField kPrGroupDemandMarket[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"GroupID", L},
};
constexpr ResultField kPrGroupDemandPlant[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"GroupID", L},
};
constexpr ResultField kPrGroupPlantPeriodSpanning[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"GroupID", L},
};
constexpr ResultField kPrUtility[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"UtilityID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"ReportOrder", S},
};
constexpr ResultField kPrCapacity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"CapacityID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"ReportOrder", S}, {"ReportFlag", S},
};
constexpr ResultField kPrProcessCapacity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"ProcessCapacityID", L}, {"Tag", T, 20},
    {"Description", T, 50}, {"ReportOrder", S}, {"ReportFlag", S}, {"QualityID", L},
};
constexpr ResultField kPrUnit[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"UnitID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"ReportOrder", S}, {"ReportFlag", S}, {"MarginalFlag", S}, {"SpecialUnitFlag", S}, {"CrudeUnitFlag", S},
};
constexpr ResultField kPrBlenderCapacity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"BlenderCapacityID", L}, {"Tag", T, 20},
    {"Description", T, 50}, {"ReportOrder", S},
};
constexpr ResultField kPrBlenderCapacityMember[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"BlenderCapacityID", L}, {"BlendID", L},
};
constexpr ResultField kPrUnitQuality[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"UnitID", L}, {"QualityID", L}, {"QualityFlag", S},
    {"MultiplierValue", D}, {"ReportOrder", S},
};
constexpr ResultField kPrPeriod[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"Tag", T, 20}, {"Description", T, 50}, {"Days", D},
    {"StartDateTime", DT}, {"StopDateTime", DT}, {"PresentValueFactor", D}, {"RecurseFlag", S}, {"MIPFlag", S},
    {"ReportFlag", S}, {"RWCasePeriod", T, 8},
};
constexpr ResultField kPrPurchase[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"StreamID", L}, {"Activity", D},
    {"VWBasisID", S}, {"Cost", D}, {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D}, {"ReportGroup", S},
    {"ReportOrder", S}, {"Description", T, 50},
};
constexpr ResultField kPrGroupSale[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"GroupID", L}, {"MinValue", D},
    {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrGroupPurchase[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"GroupID", L}, {"MinValue", D},
    {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrGroupInventory[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"GroupID", L}, {"MinValue", D},
    {"MaxValue", D}, {"MarginalValue", D}, {"Target", D},
};
constexpr ResultField kPrGroupQuality[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"GroupID", L}, {"QualityID", L}, {"Value", D},
    {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrGroupUtilitySale[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"GroupID", L}, {"MinValue", D},
    {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrGroupUtilityPurchase[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"GroupID", L}, {"MinValue", D},
    {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrSale[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"StreamID", L}, {"Activity", D},
    {"VWBasisID", S}, {"Price", D}, {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D}, {"ReportGroup", S},
    {"MarketID", L}, {"VPRICE", D}, {"ReportOrder", S}, {"Description", T, 50},
};
constexpr ResultField kPrInventory[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"StreamID", L}, {"Opening", D}, {"Closing", D},
    {"Target", D}, {"VWBasisID", S}, {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D}, {"ReportOrder", S},
    {"ActualOpeningCost", D}, {"OpeningCost", D}, {"ActualClosingPrice", D}, {"ClosingPrice", D}, {"HoldingCost", D},
    {"PenaltyCost", D},
};
constexpr ResultField kPrUtilitySale[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"UtilityID", L}, {"Activity", D}, {"Price", D},
    {"ShadowPrice", D}, {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D}, {"ReportGroup", S},
    {"ReportOrder", S},
};
constexpr ResultField kPrUtilityPurchase[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"UtilityID", L}, {"Activity", D}, {"Cost", D},
    {"ShadowPrice", D}, {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D}, {"ReportGroup", S},
    {"ReportOrder", S},
};
constexpr ResultField kPrGroupMember[] = {
    {"SolutionID", L}, {"CaseID", L}, {"GroupNodeID", L}, {"GroupID", L}, {"GroupPeriodID", L}, {"MemberNodeID", L},
    {"MemberID", L}, {"MemberPeriodID", L}, {"MarketID", L},
};
constexpr ResultField kPrGroupUnitMember[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"GroupUnitID", L}, {"UnitID", L},
};
constexpr ResultField kPrGroupUtilityMember[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"GroupID", L}, {"UtilityID", L},
};
constexpr ResultField kPrQuality[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"QualityID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"LowerLimit", D}, {"UpperLimit", D}, {"ReportOrder", S}, {"ReportTag", T, 20}, {"DomainTag", T, 20},
    {"VWBasisID", S},
};
constexpr ResultField kPrBlend[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"BlendID", L}, {"BlendTypeID", S}, {"ReportOrder", S},
};
constexpr ResultField kPrBlendTarget[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"BlendID", L}, {"StreamID", L}, {"Value", D},
};
constexpr ResultField kPrRFGBlend[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"BlendID", L}, {"RFGBlendTypeID", S}, {"RFGAreaID", S},
    {"RFGPhaseID", S}, {"RFGSeasonID", S}, {"RFGEquationID", S}, {"PeriodID", S},
};
constexpr ResultField kPrCapacityLimit[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"CapacityID", L}, {"Activity", D},
    {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrBlenderCapacityLimit[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"BlenderCapacityID", L}, {"Activity", D},
    {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D}, {"UOMTypeID", S},
};
constexpr ResultField kPrPumpCapacityLimit[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"StreamID", L}, {"Activity", D},
    {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrProcessCapacityLimit[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"ProcessCapacityID", L}, {"Activity", D},
    {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrBlenderBlendQuantity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"BlenderCapacityID", L}, {"BlendID", L},
    {"Activity", D},
};
constexpr ResultField kPrAlternateStream[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"StreamID", L}, {"AlternateNodeID", L},
    {"AlternateStreamID", L},
};
constexpr ResultField kPrAlternateUtility[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"UtilityID", L}, {"AlternateUtilityID", L},
};
constexpr ResultField kPrBlendQuality[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"BlendID", L}, {"QualityID", L},
    {"BlendValue", D}, {"Value", D}, {"InitialValue", D}, {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D},
    {"OriginID", S}, {"ReportOrder", S},
};
constexpr ResultField kPrStreamQuality[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"StreamID", L}, {"QualityID", L}, {"Value", D},
    {"InitialValue", D}, {"OriginID", S},
};
constexpr ResultField kPrSusceptibility[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"BlendID", L}, {"QualityID", L},
    {"UtilityID", L}, {"Value", D}, {"InitialValue", D},
};
constexpr ResultField kPrBonusInteraction[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"BlendID", L}, {"QualityID", L},
    {"StreamID", L}, {"Activity", D}, {"InteractionTypeID", S},
};
constexpr ResultField kPrBlendQuantity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"BlendID", L}, {"VolActivity", D},
    {"WgtActivity", D},
};
constexpr ResultField kPrBlendRecipe[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"BlendID", L}, {"StreamID", L},
    {"VolActivity", D}, {"WgtActivity", D}, {"VolMarginalValue", D},
};
constexpr ResultField kPrUnitOperationMaterial[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"UnitID", L}, {"StreamID", L},
    {"Activity", D}, {"FeedFlag", S}, {"MarginalValue", D}, {"ReportOrder", S},
};
constexpr ResultField kPrUnitOperationCapacity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"UnitID", L}, {"CapacityID", L},
    {"Activity", D}, {"FeedFlag", S}, {"ReportOrder", S},
};
constexpr ResultField kPrUnitOperationUtility[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"UnitID", L}, {"UtilityID", L},
    {"Activity", D}, {"FeedFlag", S}, {"ReportOrder", S},
};
constexpr ResultField kPrUnitProcessLimit[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"UnitID", L}, {"ProcessCapacityID", L}, {"ReportOrder", S},
};
constexpr ResultField kPrGroupUnitMaterial[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"GroupUnitID", L}, {"StreamID", L},
    {"Activity", D}, {"FeedFlag", S}, {"MarginalValue", D}, {"ReportOrder", S},
};
constexpr ResultField kPrGroupUnitCapacity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"GroupUnitID", L}, {"CapacityID", L},
    {"Activity", D}, {"FeedFlag", S}, {"ReportOrder", S},
};
constexpr ResultField kPrGroupUnitUtility[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"GroupUnitID", L}, {"UtilityID", L},
    {"Activity", D}, {"FeedFlag", S}, {"ReportOrder", S},
};
constexpr ResultField kPrPRow[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"UnitID", L}, {"PRowID", L},
    {"PRowTypeID", S}, {"Activity", D}, {"NumberofDecimals", S}, {"PRowText", T, 50}, {"Tag", T, 50},
};
constexpr ResultField kPrVTW[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"StreamID", L}, {"Value", D},
};
constexpr ResultField kPrRecursionLog[] = {
    {"SolutionID", L}, {"CaseID", L}, {"SequenceID", L}, {"ObjectiveFunction", D}, {"SolutionStatus", S},
    {"RecursionTypeID", S}, {"LPIterations", S}, {"PropOutofTolerance", L}, {"DistrOutofTolerance", L},
};
constexpr ResultField kPrRecursionLogModel[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"SequenceID", L}, {"PropOutofTolerance", L},
    {"DistrOutofTolerance", L},
};
constexpr ResultField kPrUOMType[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"UOMTypeID", S}, {"Description", T, 50}, {"STDCONV", D},
};
constexpr ResultField kPrUnitofMeasure[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"StreamID", L}, {"VWBasisID", S}, {"UOMTypeID", S},
};
constexpr ResultField kPrEconomicSummary[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"EconomicSummaryTypeID", S}, {"Activity", D},
};
constexpr ResultField kPrPenalty[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"PenaltyTypeID", S}, {"Activity", D},
    {"Tag1", T, 128}, {"Tag2", T, 128},
};
constexpr ResultField kPrBound[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"SequenceID", L}, {"LPColumnName", T, 128},
    {"Activity", D}, {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D}, {"Description", T, 50},
};
constexpr ResultField kPrTransfer[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"StreamID", L}, {"NodeFrom", L},
    {"FromStreamID", L}, {"NodeTo", L}, {"ToStreamID", L}, {"ModeID", L}, {"Activity", D}, {"VWBasisID", S},
    {"Cost", D}, {"MinValue", D}, {"MaxValue", D}, {"MarginalValue", D},
};
constexpr ResultField kPrLocalCostPrice[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"StreamID", L}, {"LocalCost", D},
    {"LocalPrice", D},
};
constexpr ResultField kPrMaterialBalance[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"StreamID", L}, {"Activity", D}, {"Slack", D},
    {"MarginalValue", D}, {"VWBasisID", S}, {"OutofBalanceFlag", S}, {"VWBasisConverted", S},
};
constexpr ResultField kPrPrimalRow[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"SequenceID", L}, {"RowName", T, 128},
    {"Status", T, 2}, {"Activity", D}, {"Slack", D}, {"LoRHS", D}, {"HiRHS", D}, {"MarginalValue", D},
    {"VWBasisConverted", S},
};
constexpr ResultField kPrPrimalColumn[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"SequenceID", L}, {"ColumnName", T, 128},
    {"Status", T, 2}, {"Activity", D}, {"Cost", D}, {"LoBound", D}, {"HiBound", D}, {"MarginalValue", D},
};
constexpr ResultField kPrFixedCost[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"SequenceID", L}, {"Description", T, 50}, {"Value", D},
};
constexpr ResultField kPrErrorMessage[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"SequenceID", L}, {"MessageID", T, 5}, {"MessageText", T, 255},
};
constexpr ResultField kPrSetting[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"SettingTypeID", L}, {"TextValue", T, 255},
    {"IntegerValue", L}, {"DoubleValue", D}, {"DateValue", DT},
};
constexpr ResultField kPrGlobalStreamLookup[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"StreamID", L}, {"GlobalStreamID", L},
};
constexpr ResultField kPrHydrogenStream[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"StreamID", L},
};
constexpr ResultField kPrGasStream[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"StreamID", L},
};
constexpr ResultField kPrHydrogenQuality[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"QualityID", L},
};
constexpr ResultField kPrGeneralRecursion[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"SequenceID", L}, {"IndependentVar", T, 128},
    {"DependentVar", T, 128}, {"CoefficientValue", D}, {"InitialValue", D},
};
constexpr ResultField kPrReceive[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"StreamID", L}, {"DateTime", DT}, {"Amount", D}, {"Rate", D},
    {"Cost", D}, {"CrudeMixFlag", S},
};
constexpr ResultField kPrShip[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"StreamID", L}, {"DateTime", DT}, {"Amount", D}, {"Rate", D},
    {"Price", D}, {"Line", T, 20},
};
constexpr ResultField kPrRWStream[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"StreamID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"ReportOrder", S}, {"ReportTag", T, 20}, {"DomainTag", T, 20}, {"DummyFlag", S}, {"UOM", D},
};
constexpr ResultField kPrRWBlend[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"BlendID", L},
};
constexpr ResultField kPrRWUnit[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"UnitID", L}, {"Tag", T, 20}, {"Description", T, 50},
    {"ReportOrder", S},
};
constexpr ResultField kPrRWVTW[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"StreamID", L}, {"Value", D},
};
constexpr ResultField kPrRWBlendQuantity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"BlendID", L}, {"VolActivity", D},
    {"WgtActivity", D},
};
constexpr ResultField kPrRWBlendRecipe[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"BlendID", L}, {"StreamID", L},
    {"VolActivity", D}, {"WgtActivity", D}, {"VolMarginalValue", D},
};
constexpr ResultField kPrRWUnitMaterial[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"UnitID", L}, {"StreamID", L},
    {"Activity", D}, {"FeedFlag", S},
};
constexpr ResultField kPrRWUnitCapacity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"UnitID", L}, {"CapacityID", L},
    {"Activity", D}, {"FeedFlag", S},
};
constexpr ResultField kPrRWUnitUtility[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"UnitID", L}, {"UtilityID", L},
    {"Activity", D}, {"FeedFlag", S},
};
constexpr ResultField kPrGroupInventoryQuantity[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"GroupID", L}, {"VolActivity", D},
    {"WgtActivity", D},
};
constexpr ResultField kPrReportRow[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"SequenceID", L}, {"Description", T, 50},
    {"ReportOrder", S},
};
constexpr ResultField kPrUpdatedPGuess[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"StreamID", L}, {"QualityID", L},
    {"UpdatedQualityID", L}, {"Value", D},
};
constexpr ResultField kPrUpdatedPDist[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"FromStreamID", L}, {"ToStreamID", L},
    {"Value", D},
};
constexpr ResultField kPrUpdatedQuality[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"QualityID", L}, {"ColumnName", T, 128},
    {"Value", D},
};
constexpr ResultField kPrLink[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"SourceID", L}, {"SourceUnitTypeID", L},
    {"DestinationID", L}, {"DestinationUnitTypeID", L}, {"StreamID", L}, {"FromValue", D}, {"ToValue", D},
};
constexpr ResultField kPrUtilityLink[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"SourceID", L}, {"SourceUnitTypeID", L},
    {"DestinationID", L}, {"DestinationUnitTypeID", L}, {"UtilityID", L}, {"FromValue", D}, {"ToValue", D},
};
constexpr ResultField kPrTrancolBasis[] = {
    {"SolutionID", L}, {"CaseID", L}, {"SequenceID", L}, {"BasisName", T, 110}, {"Cost", D},
};
constexpr ResultField kPrTrancolNonBasis[] = {
    {"SolutionID", L}, {"CaseID", L}, {"SequenceID", L}, {"ColumnID", L}, {"NonBasisName", T, 110}, {"Value", D},
};
constexpr ResultField kPrKpi[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"KpiID", L}, {"Tag", T, 20}, {"ReportTag", T, 128},
    {"Description", T, 50}, {"YellowValue", D}, {"RedValue", D}, {"ReportOrder", S},
};
constexpr ResultField kPrKpiAnchor[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"KpiID", L}, {"Tag", T, 20}, {"ReportTag", T, 128},
    {"Anchor", T, 50},
};
constexpr ResultField kPrKpiValue[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"NodeID", L}, {"KpiID", L}, {"Value", D},
};
constexpr ResultField kPrCrdBlend[] = {
    {"SolutionID", L}, {"CaseID", L}, {"ModelID", L}, {"BlendID", L}, {"StreamID", L}, {"Value", D},
};
constexpr ResultField kPrUtilityBalance[] = {
    {"SolutionID", L}, {"CaseID", L}, {"PeriodID", L}, {"ModelID", L}, {"UtilityID", L}, {"Activity", D},
    {"Slack", D}, {"MarginalValue", D}, {"VWBasisID", S}, {"OutofBalanceFlag", S}, {"VWBasisConverted", S},
};
constexpr ResultField kPrVornMsg[] = {
    {"SolutionID", L}, {"CaseID", L}, {"Pass", L}, {"MessageText", T, 64},
};
constexpr ResultField kPrCaseSet[] = {
    {"SolutionID", L}, {"CaseID", L}, {"Description", T, 80}, {"SelFormula", M}, {"SelModifiedFormula", M},
    {"SetParentCase", S}, {"Truncated", S},
};
constexpr ResultField kPrMSSolutions[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"SolveID", L}, {"ObjFn", D},
};
constexpr ResultField kPrOpenInventoryQuality[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"StreamID", L}, {"QualityID", L}, {"Value", D},
};
constexpr ResultField kLGLINKS[] = {
    {"RUNID", T, 4}, {"CASE", S}, {"PERIOD", T, 1}, {"NodeFrom", T, 4}, {"NodeTo", T, 4}, {"STRMID", T, 3},
    {"RateFrom", D}, {"RateTo", D},
};

// The range tables, defined by the range export at their place in the pass.
constexpr ResultField kPrRangeRHS[] = {
    {"SolutionID", L}, {"CaseID", L}, {"SequenceID", L}, {"Name", T, 110}, {"Activity", D}, {"LoRHS", D},
    {"HiRHS", D}, {"Pi", D}, {"LoRange", D}, {"HiRange", D},
};
constexpr ResultField kPrRangeCost[] = {
    {"SolutionID", L}, {"CaseID", L}, {"SequenceID", L}, {"Name", T, 110}, {"Activity", D}, {"Cost", D},
    {"LoBound", D}, {"HiBound", D}, {"DJ", D}, {"LoCost", D}, {"HiCost", D},
};

constexpr ResultTable kPassTables[] = {
    {"PrCase", TableCondition::Always, kPrCase},
    {"PrMode", TableCondition::Always, kPrMode},
    {"PrMarket", TableCondition::Always, kPrMarket},
    {"PrNode", TableCondition::Always, kPrNode},
    {"PrDepot", TableCondition::Always, kPrDepot},
    {"PrModel", TableCondition::Always, kPrModel},
    {"PrStream", TableCondition::Always, kPrStream},
    {"PrGroup", TableCondition::Always, kPrGroup},
    {"PrGroupUnit", TableCondition::Always, kPrGroupUnit},
    {"PrGroupPeriodSpanning", TableCondition::Always, kPrGroupPeriodSpanning},
    {"PrGroupPlantSpanning", TableCondition::Always, kPrGroupPlantSpanning},
    {"PrGroupDemandMarket", TableCondition::Always, kPrGroupDemandMarket},
    {"PrGroupDemandPlant", TableCondition::Always, kPrGroupDemandPlant},
    {"PrGroupPlantPeriodSpanning", TableCondition::Always, kPrGroupPlantPeriodSpanning},
    {"PrUtility", TableCondition::Always, kPrUtility},
    {"PrCapacity", TableCondition::Always, kPrCapacity},
    {"PrProcessCapacity", TableCondition::Always, kPrProcessCapacity},
    {"PrUnit", TableCondition::Always, kPrUnit},
    {"PrBlenderCapacity", TableCondition::Always, kPrBlenderCapacity},
    {"PrBlenderCapacityMember", TableCondition::Always, kPrBlenderCapacityMember},
    {"PrUnitQuality", TableCondition::Always, kPrUnitQuality},
    {"PrPeriod", TableCondition::Always, kPrPeriod},
    {"PrPurchase", TableCondition::Always, kPrPurchase},
    {"PrGroupSale", TableCondition::Always, kPrGroupSale},
    {"PrGroupPurchase", TableCondition::Always, kPrGroupPurchase},
    {"PrGroupInventory", TableCondition::Always, kPrGroupInventory},
    {"PrGroupQuality", TableCondition::Always, kPrGroupQuality},
    {"PrGroupUtilitySale", TableCondition::Always, kPrGroupUtilitySale},
    {"PrGroupUtilityPurchase", TableCondition::Always, kPrGroupUtilityPurchase},
    {"PrSale", TableCondition::Always, kPrSale},
    {"PrInventory", TableCondition::Always, kPrInventory},
    {"PrUtilitySale", TableCondition::Always, kPrUtilitySale},
    {"PrUtilityPurchase", TableCondition::Always, kPrUtilityPurchase},
    {"PrGroupMember", TableCondition::Always, kPrGroupMember},
    {"PrGroupUnitMember", TableCondition::Always, kPrGroupUnitMember},
    {"PrGroupUtilityMember", TableCondition::Always, kPrGroupUtilityMember},
    {"PrQuality", TableCondition::Always, kPrQuality},
    {"PrBlend", TableCondition::Always, kPrBlend},
    {"PrBlendTarget", TableCondition::Always, kPrBlendTarget},
    {"PrRFGBlend", TableCondition::Always, kPrRFGBlend},
    {"PrCapacityLimit", TableCondition::Always, kPrCapacityLimit},
    {"PrBlenderCapacityLimit", TableCondition::Always, kPrBlenderCapacityLimit},
    {"PrPumpCapacityLimit", TableCondition::Always, kPrPumpCapacityLimit},
    {"PrProcessCapacityLimit", TableCondition::Always, kPrProcessCapacityLimit},
    {"PrBlenderBlendQuantity", TableCondition::Always, kPrBlenderBlendQuantity},
    {"PrAlternateStream", TableCondition::Always, kPrAlternateStream},
    {"PrAlternateUtility", TableCondition::Always, kPrAlternateUtility},
    {"PrBlendQuality", TableCondition::Always, kPrBlendQuality},
    {"PrStreamQuality", TableCondition::Always, kPrStreamQuality},
    {"PrSusceptibility", TableCondition::Always, kPrSusceptibility},
    {"PrBonusInteraction", TableCondition::Always, kPrBonusInteraction},
    {"PrBlendQuantity", TableCondition::Always, kPrBlendQuantity},
    {"PrBlendRecipe", TableCondition::Always, kPrBlendRecipe},
    {"PrUnitOperationMaterial", TableCondition::Always, kPrUnitOperationMaterial},
    {"PrUnitOperationCapacity", TableCondition::Always, kPrUnitOperationCapacity},
    {"PrUnitOperationUtility", TableCondition::Always, kPrUnitOperationUtility},
    {"PrUnitProcessLimit", TableCondition::Always, kPrUnitProcessLimit},
    {"PrGroupUnitMaterial", TableCondition::Always, kPrGroupUnitMaterial},
    {"PrGroupUnitCapacity", TableCondition::Always, kPrGroupUnitCapacity},
    {"PrGroupUnitUtility", TableCondition::Always, kPrGroupUnitUtility},
    {"PrPRow", TableCondition::Always, kPrPRow},
    {"PrVTW", TableCondition::Always, kPrVTW},
    {"PrRecursionLog", TableCondition::Always, kPrRecursionLog},
    {"PrRecursionLogModel", TableCondition::Always, kPrRecursionLogModel},
    {"PrUOMType", TableCondition::Always, kPrUOMType},
    {"PrUnitofMeasure", TableCondition::Always, kPrUnitofMeasure},
    {"PrEconomicSummary", TableCondition::Always, kPrEconomicSummary},
    {"PrPenalty", TableCondition::Always, kPrPenalty},
    {"PrBound", TableCondition::Always, kPrBound},
    {"PrTransfer", TableCondition::Always, kPrTransfer},
    {"PrLocalCostPrice", TableCondition::Always, kPrLocalCostPrice},
    {"PrMaterialBalance", TableCondition::Always, kPrMaterialBalance},
    {"PrPrimalRow", TableCondition::Always, kPrPrimalRow},
    {"PrPrimalColumn", TableCondition::Always, kPrPrimalColumn},
    {"PrFixedCost", TableCondition::Always, kPrFixedCost},
    {"PrErrorMessage", TableCondition::Always, kPrErrorMessage},
    {"PrSetting", TableCondition::Always, kPrSetting},
    {"PrGlobalStreamLookup", TableCondition::Always, kPrGlobalStreamLookup},
    {"PrHydrogenStream", TableCondition::Always, kPrHydrogenStream},
    {"PrGasStream", TableCondition::Always, kPrGasStream},
    {"PrHydrogenQuality", TableCondition::Always, kPrHydrogenQuality},
    {"PrGeneralRecursion", TableCondition::Always, kPrGeneralRecursion},
    {"PrReceive", TableCondition::Always, kPrReceive},
    {"PrShip", TableCondition::Always, kPrShip},
    {"PrRWStream", TableCondition::Always, kPrRWStream},
    {"PrRWBlend", TableCondition::Always, kPrRWBlend},
    {"PrRWUnit", TableCondition::Always, kPrRWUnit},
    {"PrRWVTW", TableCondition::Always, kPrRWVTW},
    {"PrRWBlendQuantity", TableCondition::Always, kPrRWBlendQuantity},
    {"PrRWBlendRecipe", TableCondition::Always, kPrRWBlendRecipe},
    {"PrRWUnitMaterial", TableCondition::Always, kPrRWUnitMaterial},
    {"PrRWUnitCapacity", TableCondition::Always, kPrRWUnitCapacity},
    {"PrRWUnitUtility", TableCondition::Always, kPrRWUnitUtility},
    {"PrGroupInventoryQuantity", TableCondition::Always, kPrGroupInventoryQuantity},
    {"PrReportRow", TableCondition::Always, kPrReportRow},
    {"PrUpdatedPGuess", TableCondition::Always, kPrUpdatedPGuess},
    {"PrUpdatedPDist", TableCondition::Always, kPrUpdatedPDist},
    {"PrUpdatedQuality", TableCondition::Always, kPrUpdatedQuality},
    {"PrLink", TableCondition::Always, kPrLink},
    {"PrUtilityLink", TableCondition::Always, kPrUtilityLink},
    {"PrTrancolBasis", TableCondition::Nimbo, kPrTrancolBasis},
    {"PrTrancolNonBasis", TableCondition::Nimbo, kPrTrancolNonBasis},
    {"PrRangeRHS", TableCondition::RangeExport, kPrRangeRHS},
    {"PrRangeCost", TableCondition::RangeExport, kPrRangeCost},
    {"PrKpi", TableCondition::Always, kPrKpi},
    {"PrKpiAnchor", TableCondition::Always, kPrKpiAnchor},
    {"PrKpiValue", TableCondition::Always, kPrKpiValue},
    {"PrCrdBlend", TableCondition::Always, kPrCrdBlend},
    {"PrUtilityBalance", TableCondition::Always, kPrUtilityBalance},
    {"PrVornMsg", TableCondition::Always, kPrVornMsg},
    {"PrCaseSet", TableCondition::Always, kPrCaseSet},
    {"PrMSSolutions", TableCondition::MultiStart, kPrMSSolutions},
    {"PrOpenInventoryQuality", TableCondition::Always, kPrOpenInventoryQuality},
    {"LGLINKS", TableCondition::LgLinks, kLGLINKS},
};

// ---- Tables of their own writers
constexpr ResultField kPrSolutionID[] = {{"SolutionID", L}};
constexpr ResultField kPrSolution[] = {
    {"SolutionID", L}, {"SystemVersion", T, 20}, {"DateTime", DT}, {"Description", T, 50}, {"ModelID", L},
    {"CompanyName", T, 50}, {"UserName", T, 255}, {"MachineName", T, 255},
};
constexpr ResultField kPrDatabaseVersion[] = {
    {"Version", T, 20}, {"Build", T, 10}, {"CompatibleWith", T, 50}, {"Note", T, 100}, {"DateCreated", DT},
};
constexpr ResultField kPrSettingDefault[] = {
    {"SettingTypeID", L}, {"TextValue", T, 255}, {"IntegerValue", L}, {"DoubleValue", D}, {"DateValue", DT},
};
constexpr ResultField kPrSettingType[] = {{"SettingTypeID", L}, {"Keyword", T, 50}, {"DataTypeID", S}};
constexpr ResultField kPrPenaltyType[] = {
    {"PenaltyTypeID", S}, {"Description", T, 50}, {"Tag1", T, 50}, {"Tag2", T, 50},
};
#define ENUM_FIELDS(table, id) constexpr ResultField k##table[] = {{id, S}, {"Description", T, 50}};
ENUM_FIELDS(PrDBVersion, "DatabaseVersion")
ENUM_FIELDS(PrVWBasis, "VWBasisID")
ENUM_FIELDS(PrBlendType, "BlendTypeID")
ENUM_FIELDS(PrDataType, "DataTypeID")
ENUM_FIELDS(PrRangeType, "RangeTypeID")
ENUM_FIELDS(PrQualityOrigin, "OriginID")
ENUM_FIELDS(PrModelType, "ModelTypeID")
ENUM_FIELDS(PrPRowType, "PRowTypeID")
ENUM_FIELDS(PrSolutionStatus, "StatusID")
ENUM_FIELDS(PrRecursionType, "RecursionTypeID")
ENUM_FIELDS(PrInteractionType, "InteractionTypeID")
ENUM_FIELDS(PrUnitType, "UnitTypeID")
ENUM_FIELDS(PrRFGEquation, "RFGEquationID")
ENUM_FIELDS(PrRFGArea, "RFGAreaID")
ENUM_FIELDS(PrRFGSeason, "RFGSeasonID")
ENUM_FIELDS(PrRFGPhase, "RFGPhaseID")
ENUM_FIELDS(PrRFGBlendType, "RFGBlendTypeID")
ENUM_FIELDS(PrRFGQualityType, "RFGQualityID")
ENUM_FIELDS(PrEconomicSummaryType, "EconomicSummaryTypeID")
#undef ENUM_FIELDS

// The list of the model's spreadsheet tables, and the matrix tables of the nonlinear mode.
constexpr ResultField kPrSpreadsheetTables[] = {
    {"SolutionID", L}, {"ModelID", L}, {"TableName", T, 8}, {"Workbook", T, 254}, {"Sheet", T, 254}, {"Enabled", S},
};
constexpr ResultField kPrMpsRows[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"SequenceIDRow", L}, {"Row", T, 9}, {"Type", T, 1},
};
constexpr ResultField kPrMpsCols[] = {
    {"SolutionID", L},    {"CaseID", L},  {"NodeID", L},  {"SequenceIDCol", L},
    {"SequenceIDRow", L}, {"Col", T, 9},  {"Row", T, 9},  {"Value", D},
};
constexpr ResultField kPrMpsRhs[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"SequenceIDRow", L}, {"Row", T, 9}, {"Value", D},
};
constexpr ResultField kPrMpsRange[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"SequenceIDRow", L}, {"Row", T, 9}, {"Value", D},
};
constexpr ResultField kPrMpsBound[] = {
    {"SolutionID", L}, {"CaseID", L}, {"NodeID", L}, {"SequenceIDCol", L},
    {"Col", T, 9},     {"Type", T, 2}, {"Lower", D},  {"Upper", D},
};

#define OWN(table) {#table, TableCondition::Always, k##table}
constexpr ResultTable kOwnTables[] = {
    OWN(PrSolutionID), OWN(PrSolution), OWN(PrDatabaseVersion), OWN(PrDBVersion), OWN(PrVWBasis),
    OWN(PrBlendType), OWN(PrDataType), OWN(PrRangeType), OWN(PrQualityOrigin), OWN(PrModelType),
    OWN(PrPRowType), OWN(PrSolutionStatus), OWN(PrRecursionType), OWN(PrPenaltyType), OWN(PrInteractionType),
    OWN(PrUnitType), OWN(PrRFGEquation), OWN(PrRFGArea), OWN(PrRFGSeason), OWN(PrRFGPhase),
    OWN(PrRFGBlendType), OWN(PrRFGQualityType), OWN(PrEconomicSummaryType), OWN(PrSettingType),
    OWN(PrSettingDefault), OWN(PrSpreadsheetTables), OWN(PrMpsRows), OWN(PrMpsCols), OWN(PrMpsRhs),
    OWN(PrMpsRange), OWN(PrMpsBound),
};
#undef OWN

// ---- Key columns of the Access key index, in index order
struct KeyColumns {
  const char* table;
  std::array<const char*, 7> columns;  // unused places stay null
};

constexpr KeyColumns kKeyColumns[] = {
    {"PrSolution", {"SolutionID"}},
    {"PrSpreadsheetTables", {"SolutionID", "TableName", "Workbook", "Sheet"}},
    {"PrCase", {"SolutionID", "CaseID"}},
    {"PrMode", {"SolutionID", "CaseID", "ModeID"}},
    {"PrMarket", {"SolutionID", "CaseID", "MarketID"}},
    {"PrNode", {"SolutionID", "NodeID"}},
    {"PrDepot", {"SolutionID", "DepotID"}},
    {"PrModel", {"SolutionID", "ModelID"}},
    {"PrStream", {"SolutionID", "CaseID", "NodeID", "StreamID"}},
    {"PrGroup", {"SolutionID", "CaseID", "NodeID", "GroupID"}},
    {"PrGroupUnit", {"SolutionID", "CaseID", "ModelID", "GroupUnitID"}},
    {"PrUtility", {"SolutionID", "CaseID", "ModelID", "UtilityID"}},
    {"PrCapacity", {"SolutionID", "CaseID", "ModelID", "CapacityID"}},
    {"PrUnit", {"SolutionID", "CaseID", "ModelID", "UnitID"}},
    {"PrBlenderCapacity", {"SolutionID", "CaseID", "ModelID", "BlenderCapacityID"}},
    {"PrBlenderCapacityMember", {"SolutionID", "CaseID", "ModelID", "BlenderCapacityID", "BlendID"}},
    {"PrPeriod", {"SolutionID", "CaseID", "PeriodID"}},
    {"PrPurchase", {"SolutionID", "CaseID", "NodeID", "StreamID", "PeriodID"}},
    {"PrGroupSale", {"SolutionID", "CaseID", "NodeID", "GroupID", "PeriodID"}},
    {"PrGroupPurchase", {"SolutionID", "CaseID", "NodeID", "GroupID", "PeriodID"}},
    {"PrGroupInventory", {"SolutionID", "CaseID", "NodeID", "GroupID", "PeriodID"}},
    {"PrGroupQuality", {"SolutionID", "CaseID", "NodeID", "GroupID", "QualityID", "PeriodID"}},
    {"PrSale", {"SolutionID", "CaseID", "NodeID", "StreamID", "PeriodID"}},
    {"PrInventory", {"SolutionID", "CaseID", "NodeID", "StreamID", "PeriodID"}},
    {"PrUtilitySale", {"SolutionID", "CaseID", "NodeID", "UtilityID", "PeriodID"}},
    {"PrUtilityPurchase", {"SolutionID", "CaseID", "NodeID", "UtilityID", "PeriodID"}},
    {"PrGroupMember", {"SolutionID", "CaseID", "GroupNodeID", "GroupID"}},
    {"PrGroupUnitMember", {"SolutionID", "CaseID", "ModelID", "GroupUnitID", "UnitID"}},
    {"PrQuality", {"SolutionID", "CaseID", "ModelID", "QualityID"}},
    {"PrBlend", {"SolutionID", "CaseID", "NodeID", "BlendID"}},
    {"PrCapacityLimit", {"SolutionID", "CaseID", "ModelID", "CapacityID"}},
    {"PrBlenderCapacityLimit", {"SolutionID", "CaseID", "ModelID", "BlenderCapacityID", "PeriodID"}},
    {"PrPumpCapacityLimit", {"SolutionID", "CaseID", "ModelID", "StreamID", "PeriodID"}},
    {"PrAlternateStream", {"SolutionID", "CaseID", "NodeID", "StreamID"}},
    {"PrAlternateUtility", {"SolutionID", "CaseID", "ModelID", "UtilityID"}},
    {"PrBlendQuality", {"SolutionID", "CaseID", "NodeID", "BlendID", "QualityID", "PeriodID"}},
    {"PrStreamQuality", {"SolutionID", "CaseID", "NodeID", "StreamID", "QualityID", "PeriodID"}},
    {"PrSusceptibility", {"SolutionID", "CaseID", "NodeID", "BlendID", "QualityID", "UtilityID", "PeriodID"}},
    {"PrBonusInteraction", {"SolutionID", "CaseID", "NodeID", "BlendID", "StreamID", "QualityID", "PeriodID"}},
    {"PrBlendQuantity", {"SolutionID", "CaseID", "NodeID", "BlendID", "PeriodID"}},
    {"PrBlendRecipe", {"SolutionID", "CaseID", "NodeID", "BlendID", "PeriodID"}},
    {"PrUnitOperationMaterial", {"SolutionID", "CaseID", "ModelID", "UnitID", "StreamID", "PeriodID"}},
    {"PrUnitOperationCapacity", {"SolutionID", "CaseID", "ModelID", "UnitID", "CapacityID", "PeriodID"}},
    {"PrUnitOperationUtility", {"SolutionID", "CaseID", "ModelID", "UnitID", "UtilityID", "PeriodID"}},
    {"PrGroupUnitMaterial", {"SolutionID", "CaseID", "ModelID", "GroupUnitID", "StreamID", "PeriodID"}},
    {"PrGroupUnitCapacity", {"SolutionID", "CaseID", "ModelID", "GroupUnitID", "CapacityID", "PeriodID"}},
    {"PrGroupUnitUtility", {"SolutionID", "CaseID", "ModelID", "GroupUnitID", "UtilityID", "PeriodID"}},
    {"PrPRow", {"SolutionID", "CaseID", "ModelID", "UnitID", "PRowID", "PeriodID"}},
    {"PrVTW", {"SolutionID", "CaseID", "NodeID", "StreamID", "PeriodID"}},
    {"PrRecursionLog", {"SolutionID", "CaseID", "SequenceID"}},
    {"PrRecursionLogModel", {"SolutionID", "CaseID", "ModelID", "SequenceID"}},
    {"PrUOMType", {"SolutionID", "CaseID", "ModelID", "UOMTypeID"}},
    {"PrUnitofMeasure", {"SolutionID", "CaseID", "ModelID", "StreamID", "VWBasisID"}},
    {"PrEconomicSummary", {"SolutionID", "CaseID", "ModelID", "EconomicSummaryTypeID", "PeriodID"}},
    {"PrPenalty", {"SolutionID", "CaseID", "ModelID", "PenaltyTypeID", "PeriodID"}},
    {"PrBound", {"SolutionID", "CaseID", "ModelID", "SequenceID", "PeriodID"}},
    {"PrMaterialBalance", {"SolutionID", "CaseID", "ModelID", "StreamID", "PeriodID"}},
    {"PrPrimalRow", {"SolutionID", "CaseID", "SequenceID"}},
    {"PrPrimalColumn", {"SolutionID", "CaseID", "SequenceID"}},
    {"PrErrorMessage", {"SolutionID", "CaseID", "ModelID", "SequenceID"}},
    {"PrSetting", {"SolutionID", "CaseID", "SettingTypeID"}},
    {"PrTrancolBasis", {"SolutionID", "CaseID", "SequenceID"}},
    {"PrTrancolNonBasis", {"SolutionID", "CaseID", "SequenceID", "ColumnID"}},
    {"PrRangeRHS", {"SolutionID", "CaseID", "SequenceID"}},
    {"PrRangeCost", {"SolutionID", "CaseID", "SequenceID"}},
};

}  // namespace

std::span<const ResultTable> GetDefinitionPassTables() { return kPassTables; }

std::span<const ResultTable> GetOwnWriterTables() { return kOwnTables; }

const ResultTable* FindResultTable(std::string_view name) {
  for (auto list : {GetDefinitionPassTables(), GetOwnWriterTables()})
    for (const ResultTable& table : list)
      if (name == table.name) return &table;
  return nullptr;
}

bool IsTableDefined(TableCondition condition, const CModelSettings& settings) {
  const bool nimbo = settings.m_UseNimboOn.GetValue() != 0;
  switch (condition) {
    case TableCondition::Always:
    case TableCondition::RangeExport:
      return true;
    case TableCondition::Nimbo:
      return nimbo;
    case TableCondition::MultiStart:
      return nimbo && settings.m_Zelun_GO_ProveGlobalOptimalityOn.GetValue() != 0 &&
             settings.m_Zelun_MS_On.GetValue() != 0;
    case TableCondition::LgLinks:
      return nimbo && settings.m_UseOldOutputDatabaseFormatOn.GetValue() == 0;
  }
  return false;
}

void AppendPrTableKeyColumns(std::string_view table, std::vector<std::string>& columns) {
  for (const KeyColumns& keys : kKeyColumns) {
    if (table != keys.table) continue;
    for (const char* column : keys.columns)
      if (column != nullptr) columns.emplace_back(column);
    return;
  }
}

namespace {

std::string QuoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::string ColumnType(const ResultField& field, DdlDialect dialect) {
  const bool pg = dialect == DdlDialect::PostgreSql;
  switch (field.kind) {
    case FieldKind::Long:
      return "INTEGER";
    case FieldKind::Short:
      return "SMALLINT";
    case FieldKind::Double:
      return pg ? "DOUBLE PRECISION" : "DOUBLE";
    case FieldKind::Date:
      return pg ? "TIMESTAMP" : "DATETIME";
    case FieldKind::Text:
      return "VARCHAR(" + std::to_string(field.size) + ")" + (pg ? "" : " COLLATE NOCASE");
    case FieldKind::Memo:
      return "TEXT";
  }
  return "TEXT";
}

void AppendTableDdl(const ResultTable& table, DdlDialect dialect, std::string& out) {
  out += "CREATE TABLE IF NOT EXISTS " + QuoteIdentifier(table.name) + " (";
  bool first = true;
  for (const ResultField& field : table.fields) {
    out += first ? "" : ", ";
    first = false;
    out += QuoteIdentifier(field.name) + " " + ColumnType(field, dialect);
  }
  out += ");\n";
  std::vector<std::string> keys;
  AppendPrTableKeyColumns(table.name, keys);
  if (keys.empty()) return;
  out += "CREATE INDEX IF NOT EXISTS " + QuoteIdentifier(std::string(table.name) + "_Key") + " ON " +
         QuoteIdentifier(table.name) + " (";
  for (std::size_t i = 0; i < keys.size(); ++i) out += (i ? ", " : "") + QuoteIdentifier(keys[i]);
  out += ");\n";
}

}  // namespace

std::string BuildResultTablesDdl(DdlDialect dialect) {
  std::string out;
  for (auto list : {GetOwnWriterTables(), GetDefinitionPassTables()})
    for (const ResultTable& table : list) AppendTableDdl(table, dialect, out);
  // The runs written into the database, one row each (the runner adds them).
  out += "CREATE TABLE IF NOT EXISTS \"OstrelRuns\" (\"RunKey\" VARCHAR(400) PRIMARY KEY, \"Host\" VARCHAR(255));\n";
  return out;
}
