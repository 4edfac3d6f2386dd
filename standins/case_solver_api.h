#pragma once
// The C interface of the case-solver library, loaded by name with dlopen
// ($OSTREL_CASE_SOLVER, else libpalvane.so beside the executable), and the
// two records it shares with the runner.

#include <cstddef>
#include <cstdint>

// The case record rank zero and the workers exchange (1024 bytes, no padding).
struct CCaseData {
  std::int32_t m_nStatus;           // 0 when sent; negative in a returned record = failed
  std::int32_t m_nCaseNumber;       // -1 = stop
  std::int32_t m_nLoadSolCase;      // case whose solution is the starting point (word 3 of the case list)
  std::int32_t m_nListValue4;       // word 4
  std::int32_t m_nListValue6;       // word 6
  std::int32_t m_nLoadSolCaseUsed;  // set by the solver: the case whose solution was loaded, 0 for none
  char m_szStrevFileName[1000];     // NUL-terminated solver file name
};

static_assert(sizeof(CCaseData) == 1024);
static_assert(offsetof(CCaseData, m_nCaseNumber) == 4);
static_assert(offsetof(CCaseData, m_nLoadSolCase) == 8);
static_assert(offsetof(CCaseData, m_nListValue4) == 12);
static_assert(offsetof(CCaseData, m_nListValue6) == 16);
static_assert(offsetof(CCaseData, m_nLoadSolCaseUsed) == 20);
static_assert(offsetof(CCaseData, m_szStrevFileName) == 24);

// The result block of one solve, zero-filled by the caller and filled by SolveCase.
struct CSolveResultBlock {
  std::int32_t m_nReserved;
  std::int32_t m_nReportSize;    // bytes of the case report; negative: no report
  char m_szSolutionId[1000];     // solution identifier for the status file
  char m_szStatusFile[1000];     // status file pattern with "%d"; "" or "Empty": none
};

static_assert(sizeof(CSolveResultBlock) == 2008);

extern "C" {

using PalvaneLogCallback = void (*)(int level, const char* text);
using PalvaneStopCallback = int (*)();

// Creates a solver in *solver (null on failure). Returns 1 on success, 0 otherwise.
using PFN_CreatePalvane = int (*)(void** solver, const char* arg1, const char* runDir, int rank, int logLevel,
                                  int arg5, int arg8, PalvaneLogCallback log, PalvaneStopCallback stopRequested,
                                  int reserved);
// Solves the case of the record; fills the result block and m_nLoadSolCaseUsed
// (and, on failure, possibly the status). Returns 1 on success, 0 on failure.
using PFN_SolveCase = int (*)(void* solver, CSolveResultBlock* result, CCaseData* record, int reserved,
                              double bound, int reserved2);
// Copies the last case's report (size bytes) into buffer. Returns 1 on success.
using PFN_GetReportByteArray = int (*)(void* solver, unsigned char* buffer, int size, int flag);
// Releases the solver and sets *solver to null.
using PFN_DestroyPalvane = void (*)(void** solver);

}  // extern "C"
