#include "runner/runner_messages.h"

#include <cstdarg>
#include <cstdio>

#include "platform/string_table.h"

namespace {

const plat::StringTableRegistrar kRunnerStrings(
    plat::StringTable::Program,
    {
        {101, "CreateStrevTree function failed."},
        {102, "SetCaseData in SendFirstRequests. Processor: %d, CaseNo: %d, StrevFileName: %s "},
        {103, "SendFirstRequests function failed."},
        {104, "RankZeroWaitLoop function failed."},
        {129, "Unable to open Case Strev Pair File: %s"},
        {131, "MPI_Send Successful.. Processor: %d CaseSent: %d "},
        {132, "Results came back from: %d "},
        {133, "Wait index undefined on : %d "},
        {135, "Processing failed on the Slave side for Case: %d on Processor: %d StrevTreeIndex = %d "},
        {136, "SetCaseData in RankZeroWaitLoop. Processor: %d, CaseNo: %d, StrevFileName: %s "},
        {137, "Stop processing on Processor: %d "},
        {140, "Start time %s "},
        {142, "Failed to create send results thread"},
        {143, "MPI Status Error Message : errno = %d msg = %s "},
        {144, "Breaking out on processor %d "},
        {146, "Solving Case %d on Processor %d"},
        {150, "GetObjectAsBYTEArray method returned -1 for Case %d on Processor %d"},
        {151, "******* Solved Case %d on Processor %d "},
        {152, "Total solution time for case %d was %0.2f seconds "},
        {153, "Slave Thread exited on Processor %d"},
        {158, "Deleted NIMBO pCallBack"},
        {171, "User stopped in VORN message received in Rank 0 from Rank: %d"},
        {178, "Exception occurred:"},
        {179, "Logfilename:"},
        {181, "At the end of RankZeroWaitLoop() Function"},
        {182, "Error code for sending to Processor: %d value = %d \n"},
        {186, "Cannot find LOADSOL solution file %s. Using file %s from Execution dialog."},
        {187, "Cannot find LOADSOL solution file %s. Using PGUESS."},
    });

}  // namespace

std::string FormatTextV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (size <= 0) return std::string();
  std::string out(static_cast<size_t>(size) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(static_cast<size_t>(size));
  return out;
}

std::string RunnerText(std::uint32_t id) { return plat::GetString(plat::StringTable::Program, id, false); }

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = FormatTextV(format, args);
  va_end(args);
  return out;
}

std::string FormatRunnerTextV(std::uint32_t id, va_list args) {
  const std::string format = RunnerText(id);
  return FormatTextV(format.c_str(), args);
}

std::string FormatRunnerText(std::uint32_t id, ...) {
  va_list args;
  va_start(args, id);
  std::string out = FormatRunnerTextV(id, args);
  va_end(args);
  return out;
}
