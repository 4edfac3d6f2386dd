#include "runner/case_data.h"

#include <algorithm>
#include <cstring>

void InitCaseData(CCaseData& data) {
  std::memset(&data, 0, sizeof data);
  data.m_nStatus = 0;
  SetStopRecord(data);
}

void SetStopRecord(CCaseData& data) {
  data.m_nCaseNumber = kStopCase;
  data.m_nLoadSolCase = -1;
  data.m_nListValue4 = -1;
  data.m_nListValue6 = -1;
  data.m_szStrevFileName[0] = '\0';
}

void SetStrevFileName(CCaseData& data, std::string_view name) {
  const size_t n = std::min(name.size(), sizeof data.m_szStrevFileName - 1);
  std::memcpy(data.m_szStrevFileName, name.data(), n);
  std::memset(data.m_szStrevFileName + n, 0, sizeof data.m_szStrevFileName - n);
}

void TerminateStrevFileName(CCaseData& data) {
  data.m_szStrevFileName[kTransferredNameChars] = '\0';
  data.m_szStrevFileName[sizeof data.m_szStrevFileName - 1] = '\0';
}

MPI_Datatype CreateCaseDataType() {
  int lengths[2] = {2, 1000};
  MPI_Aint displacements[2] = {0, 8};
  MPI_Datatype types[2] = {MPI_INT, MPI_CHAR};
  MPI_Datatype type = MPI_DATATYPE_NULL;
  MPI_Type_create_struct(2, lengths, displacements, types, &type);
  MPI_Type_commit(&type);
  return type;
}

void SendReply(const CCaseData& record, const CCaseOutcome& outcome, MPI_Datatype caseType) {
  MPI_Send(&record, 1, caseType, 0, kReplyTag, MPI_COMM_WORLD);
  MPI_Send(&outcome, static_cast<int>(sizeof outcome), MPI_BYTE, 0, kOutcomeTag, MPI_COMM_WORLD);
}

void ReceiveOutcome(int w, CCaseOutcome& outcome) {
  outcome = CCaseOutcome();
  MPI_Recv(&outcome, static_cast<int>(sizeof outcome), MPI_BYTE, w, kOutcomeTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
  outcome.m_szCause[sizeof outcome.m_szCause - 1] = '\0';
  outcome.m_szDatabase[sizeof outcome.m_szDatabase - 1] = '\0';
}
