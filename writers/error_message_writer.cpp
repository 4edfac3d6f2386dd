// The error messages the main application put into the export configuration
// for a model.

#include "caseset/config/error_message.h"
#include "caseset/vorn_db_export_data.h"
#include "results/objects/db_model.h"
#include "writers/result_row.h"

bool CDbModel::WritePrErrorMessage(std::int32_t solutionId, std::int32_t caseId) {
  ResultRow record(m_pDbData, "PrErrorMessage");
  if (!record.IsOpen()) return false;
  if (!m_pDbData->m_paErrorMessages) return true;
  const CErrorMessageArray& messages = *m_pDbData->m_paErrorMessages;
  // The sequence number is the position in the whole list, so one model's numbers can have gaps.
  for (std::int32_t i = 0; i < messages.GetSize(); ++i) {
    const CErrorMessage* message = messages.GetAt(i);
    if (message == nullptr || message->m_strModel != m_strModelName) continue;
    if (!record.Add()
             .Long("SolutionID", solutionId)
             .Long("CaseID", caseId)
             .Long("ModelID", m_nID)
             .Long("SequenceID", i)
             .Text("MessageID", message->m_strCode, 5)
             .Text("MessageText", message->m_strMessage, 255)
             .Update())
      return false;
  }
  return true;
}
