// Quality definitions and units of measure of a model.

#include "results/objects/db_quality.h"
#include "writers/result_row.h"

bool CDbQuality::WritePrQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  return ResultRow(m_pDbData, "PrQuality")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Long("QualityID", m_nID)
      .Text("Tag", m_strName)
      .Text("Description", m_strDescription, 20)
      .DoubleIfSet("LowerLimit", m_dLowerLimit)
      .DoubleIfSet("UpperLimit", m_dUpperLimit)
      .Short("ReportOrder", m_nReportOrder)
      .Text("ReportTag", m_strReportTag)
      .Text("DomainTag", m_strDomainTag)
      .Short("VWBasisID", m_nVWBasisID)
      .Update();
}

bool CDbUOM::WritePrUOMType(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  return ResultRow(m_pDbData, "PrUOMType")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Short("UOMTypeID", m_nID)
      .Text("Description", m_strName)
      .Double("STDCONV", m_dSTDCONV)
      .Update();
}
