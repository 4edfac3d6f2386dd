// The report anchor of a KPI, derived from its tag.

#include <string>
#include <string_view>

#include "results/objects/db_model_items.h"
#include "writers/result_row.h"

namespace {

struct KpiAnchor {
  std::string tag;
  std::string anchor;
};

// The part of text from pos, at most count characters; empty past the end.
std::string Part(const std::string& text, std::size_t pos, std::size_t count = std::string::npos) {
  return pos < text.size() ? text.substr(pos, count) : std::string();
}

// The tag and anchor of a KPI tag; the anchors are the report sheets' names and keys.
KpiAnchor DeriveKpiAnchor(const std::string& tag) {
  const std::string_view view(tag);
  if (view.starts_with("PURC")) return {Part(tag, 4), "Material_Purchases"};
  if (view.starts_with("SELL")) return {Part(tag, 4), "Material_Sales"};
  if (view.starts_with("CCAP")) return {Part(tag, 4), "Capacity_Utilization_Summary"};
  if (view.starts_with("S") && tag.size() >= 7) {
    std::string item = Part(tag, 1, 3);
    return {item, "Submodel_" + item};
  }
  if (view.starts_with("N") || view.starts_with("X") || view.starts_with("B")) {
    std::string item = Part(tag, 4, 3);
    return {item, "SpecBlend_" + item};
  }
  return {};
}

}  // namespace

bool CDbKpi::WritePrKpiAnchor(std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId) {
  const KpiAnchor anchor = DeriveKpiAnchor(m_strTag);
  return ResultRow(m_pDbData, "PrKpiAnchor")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("NodeID", nodeId)
      .Long("KpiID", m_nKpiID)
      .Text("Tag", anchor.tag)
      .Text("ReportTag", anchor.tag)
      .Text("Anchor", anchor.anchor)
      .Update();
}
