// The primal rows and columns of every node and period ("PrPrimalRow",
// "PrPrimalColumn"), the report rows their names match ("PrReportRow") and
// the three largest absolute marginal values of a period as KPI values.

#include <algorithm>
#include <cmath>
#include <string>

#include "caseset/vorn_db_export_data.h"
#include "results/objects/db_case.h"
#include "results/objects/db_primal.h"
#include "writers/result_row.h"

namespace {

// A wildcard mask: every position matches ("*" any character); longer names
// match the mask they begin with. Otherwise only the exact name matches.
bool MatchesReportMask(const CDbRwUnit& mask, const std::string& name) {
  const std::string& text = mask.m_strName;
  if (mask.m_bWildcard != 0 && name.size() >= text.size()) {
    bool match = true;
    for (std::size_t i = 0; i < text.size() && match; ++i) match = text[i] == '*' || text[i] == name[i];
    if (match) return true;
  }
  return text == name;
}

// The names a primal row and a primal column give the same values; only a row has the basis flag.
struct PrimalFields {
  const char* name;
  const char* slack;
  const char* low;
  const char* high;
  bool basisFlag;
};
constexpr PrimalFields kRowFields{"RowName", "Slack", "LoRHS", "HiRHS", true};
constexpr PrimalFields kColumnFields{"ColumnName", "Cost", "LoBound", "HiBound", false};

// The running maxima of absolute marginal values of one period.
struct MarginalMaxima {
  double overall = 0.0;
  double columns = 0.0;
  double rows = 0.0;
};

}  // namespace

bool CDbPeriod::WritePrReportRow(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId,
                                 const CDbPrimal& row) {
  if (m_pDbData == nullptr) return false;
  for (const CDbRwUnit* mask : m_paRwUnits) {
    if (mask == nullptr || !MatchesReportMask(*mask, row.m_strAliasName)) continue;
    if (!ResultRow(*m_pDbData, "PrReportRow")
             .AddPeriodRow(solutionId, caseId, m_nID)
             .Long("ModelID", modelId)
             .Long("SequenceID", row.m_nSequenceID)
             .Text("Description", mask->m_strDescription, 20)
             .Short("ReportOrder", mask->m_nReportOrder)
             .Update())
      return false;
  }
  return true;
}

bool CDbPrimalNode::WritePrPrimal(std::int32_t solutionId, CDbCase* dbCase) {
  if (m_pDbData == nullptr || dbCase == nullptr) return false;
  CVornDbExportData& data = *m_pDbData;
  ResultRow rows(data, "PrPrimalRow");
  if (!rows.IsOpen()) return false;
  ResultRow columns(data, "PrPrimalColumn");
  if (!columns.IsOpen()) return false;

  const std::int32_t caseId = dbCase->m_nID;
  std::int32_t nodeId = -1;
  for (const CDbNode* node : dbCase->m_paNodes)
    if (node != nullptr && node->m_strName == m_strName) {
      nodeId = node->m_nID;
      break;
    }

  for (const CDbPrimalPeriod* primalPeriod : m_paPeriods) {
    if (primalPeriod == nullptr) continue;
    const CDbPeriod probe(primalPeriod->m_strName);
    CDbPeriod* period = dbCase->m_paPeriods.Find(&probe);
    const std::int32_t periodId = period != nullptr ? period->m_nID : CDbPeriod::kDummyPeriodID;
    MarginalMaxima maxima;

    // The rows or the columns of the period; with a period, their largest marginal value is noted.
    const auto writeAll = [&](ResultRow& table, const PrimalFields& fields, const CDbPrimalArray& items,
                              double& kindMaximum) {
      for (const CDbPrimal* item : items) {
        if (item == nullptr) continue;
        if (period != nullptr) {
          const double magnitude = std::fabs(item->m_dMarginalValue);
          maxima.overall = std::max(maxima.overall, magnitude);
          kindMaximum = std::max(kindMaximum, magnitude);
        }
        table.AddPeriodRow(solutionId, caseId, periodId)
            .Long("NodeID", nodeId)
            .Long("SequenceID", item->m_nSequenceID)
            .Text(fields.name, item->m_strAliasName, 128)
            .Text("Status", item->m_strStatus)
            .Double("Activity", item->m_dActivity)
            .Double(fields.slack, item->m_dSlack)
            .DoubleIfSet(fields.low, item->m_dLoRHS)
            .DoubleIfSet(fields.high, item->m_dHiRHS)
            .Double("MarginalValue", item->m_dMarginalValue);
        if (fields.basisFlag) table.Short("VWBasisConverted", item->m_nVWBasisConverted == 1 ? 1 : 0);
        if (!table.Update()) return false;
      }
      return true;
    };
    if (!writeAll(rows, kRowFields, primalPeriod->m_paRows, maxima.rows)) return false;
    if (period != nullptr)
      for (const CDbPrimal* row : primalPeriod->m_paRows)
        if (row != nullptr && !period->WritePrReportRow(solutionId, caseId, nodeId, *row)) return false;
    if (!writeAll(columns, kColumnFields, primalPeriod->m_paColumns, maxima.columns)) return false;

    if (period == nullptr) continue;
    const std::pair<std::int32_t, double> kpis[] = {
        {m_nMargValKpiID, maxima.overall}, {m_nDJKpiID, maxima.columns}, {m_nPIKpiID, maxima.rows}};
    for (const auto& [kpiId, value] : kpis) {
      if (kpiId < 0) continue;
      CDbKpiValue record(kpiId, nodeId, m_pDbData);
      record.m_dValue = value;
      record.m_dWorkValue = 0.0;
      record.WritePrKpiValue(solutionId, caseId, periodId);
    }
  }
  return true;
}
