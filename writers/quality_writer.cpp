// Quality definitions and units of measure of a model.

#include "results/objects/db_quality.h"
#include "writers/result_record.h"

bool CDbQuality::WritePrQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  ResultRecord record(m_pDbData, "PrQuality");
  if (!record.Add()) return false;
  return record.Long("SolutionID", solutionId)
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
      .Commit();
}

bool CDbUOM::WritePrUOMType(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  ResultRecord record(m_pDbData, "PrUOMType");
  if (!record.Add()) return false;
  return record.Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Short("UOMTypeID", m_nID)
      .Text("Description", m_strName)
      .Double("STDCONV", m_dSTDCONV)
      .Commit();
}
