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
// Status of a case answered by a worker that could not start; one message with
// the cause (text, kStartFailureTag) follows the record.
inline constexpr std::int32_t kWorkerNotStarted = -2;
inline constexpr int kStartFailureTag = 998;
inline constexpr int kStartFailureTextSize = 1000;
inline constexpr int kReplyTag = 999;                 // tag of every record sent to rank zero
inline constexpr std::size_t kTransferredBytes = 1008;  // bytes 0..1007 travel; the rest keeps the receiver's
inline constexpr std::size_t kTransferredNameChars = kTransferredBytes - offsetof(CCaseData, m_szStrevFileName);

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
