#include "runner/ostrel_slave_app.h"

#include "runner/runner_messages.h"

COstrelSlaveApp::COstrelSlaveApp(int rank, const OstrelArgs& args) {
  m_nRank = rank;
  SetLogLevel(args.logLevel);
  m_nArg5 = args.arg5;
  m_szHost = args.host;
  m_nPort = args.port;
  m_nArg9 = args.arg9;
  m_nArg8 = args.arg8;
  m_bLogOpened = false;
  m_bFirstCase = true;
}

COstrelSlaveApp::~COstrelSlaveApp() = default;

void COstrelSlaveApp::AnswerUntilStop(CCaseData* caseInHand) {
  CCaseData record;
  InitCaseData(record);
  if (caseInHand) {
    if (caseInHand->m_nStatus >= 0) caseInHand->m_nStatus = -1;
    MPI_Send(caseInHand, 1, m_caseType, 0, kReplyTag, MPI_COMM_WORLD);
  }
  for (;;) {
    MPI_Status status;
    if (MPI_Recv(&record, 1, m_caseType, 0, MPI_ANY_TAG, MPI_COMM_WORLD, &status) != MPI_SUCCESS) return;
    if (record.m_nCaseNumber == kStopCase) {
      LogMsg(2, 144, m_nRank);
      return;
    }
    record.m_nStatus = -1;
    MPI_Send(&record, 1, m_caseType, 0, kReplyTag, MPI_COMM_WORLD);
  }
}

void COstrelSlaveApp::RunSlave(const std::string&, const std::string&, int) {
  // No case solver yet: every case is answered as failed.
  AnswerUntilStop(nullptr);
}
