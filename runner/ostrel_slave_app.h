#pragma once
// A worker's role: receives case records from rank zero, solves each case
// through the case-solver library and returns the record.

#include <string>

#include "runner/case_data.h"
#include "runner/ostrel_app.h"
#include "runner/ostrel_startup.h"

class COstrelSlaveApp : public COstrelApp {
 public:
  COstrelSlaveApp(int rank, const OstrelArgs& args);
  ~COstrelSlaveApp() override;

  // The worker's whole life after construction; returns when its loop ends.
  void RunSlave(const std::string& arg1, const std::string& runDir, int rank);

  // Answers every record that still comes from rank zero with status -1 until
  // the stop record, so rank zero never waits for a worker that left its loop.
  // With a record in hand (caseInHand), that one is answered first.
  void AnswerUntilStop(CCaseData* caseInHand);

  std::string m_szHost;
  int m_nPort = 11150;
  int m_nArg8 = 0;
  int m_nArg9 = 0;
  bool m_bFirstCase = true;
};
