#pragma once
// The one record rank zero and the workers exchange: a case request, a stop
// record, or a case coming back (CCaseData, shared with the case solver).

#include <mpi.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "standins/case_solver_api.h"

inline constexpr std::int32_t kStopCase = -1;         // m_nCaseNumber of the stop record
inline constexpr std::int32_t kUserStop = -999;       // status and case of a user-stop answer
inline constexpr std::int32_t kCaseFailed = -1;       // status of a case that failed on its worker
// Status of a case answered by a worker that could not start.
inline constexpr std::int32_t kWorkerNotStarted = -2;
inline constexpr int kReplyTag = 999;                 // tag of every record sent to rank zero
inline constexpr int kOutcomeTag = 998;               // tag of the outcome that follows each of them
inline constexpr std::size_t kTransferredBytes = 1008;  // bytes 0..1007 travel; the rest keeps the receiver's
inline constexpr std::size_t kTransferredNameChars = kTransferredBytes - offsetof(CCaseData, m_szStrevFileName);

// What rank zero's account needs of a returned case besides the record,
// which keeps the layout the case solver shares: it follows every record a
// worker sends to rank zero (kOutcomeTag, sizeof bytes as MPI_BYTE).
struct CCaseOutcome {
  static constexpr std::int32_t kNoSolveStatus = -1;
  static constexpr std::size_t kTextSize = 1000;
  std::int32_t m_nSolveStatus = kNoSolveStatus;  // the solution's status word, kNoSolveStatus when none was read
  std::int32_t m_bReplacedEarlierRows = 0;       // the case's output replaced an earlier row set of the case
  char m_szCause[kTextSize] = {};                // why the case failed, or why the worker could not start
  char m_szDatabase[kTextSize] = {};             // the results database the case went to, when written
};

// Copies text into a field of the outcome, cut to what fits.
template <std::size_t N>
void SetOutcomeText(char (&field)[N], std::string_view text) {
  const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  for (std::size_t i = 0; i < n; ++i) field[i] = text[i];
  field[n] = '\0';
}

// Zero-filled, then status 0, case -1, the three list values -1 and an empty name.
void InitCaseData(CCaseData& data);

// Turns the record into the stop record (status unchanged).
void SetStopRecord(CCaseData& data);

// Copies the name, cut to what fits the field.
void SetStrevFileName(CCaseData& data, std::string_view name);

// Terminates a received name where the transferred bytes end, whatever arrived.
void TerminateStrevFileName(CCaseData& data);

// The record's datatype: 2 MPI_INT at 0 and 1000 MPI_CHAR at 8, committed.
MPI_Datatype CreateCaseDataType();

// A worker's answer to rank zero: the record (kReplyTag), then its outcome (kOutcomeTag).
void SendReply(const CCaseData& record, const CCaseOutcome& outcome, MPI_Datatype caseType);

// Rank zero: the outcome that follows the record worker w sent, its texts terminated.
void ReceiveOutcome(int w, CCaseOutcome& outcome);
