// Fuzz entry of the case list reader: any bytes, read as the case list and
// scheduled on a few workers as rank zero does (each reply retired through
// the name the record carries), hand out every case read exactly once and
// leave no case behind while workers stand idle. Built as every fuzz entry
// is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runner/case_data.h"
#include "runner/case_schedule.h"
#include "tools/model_generator/testing/generated_seeds.h"

namespace {

struct Worker {
  int group = -1;
  int caseNumber = -1;
  CCaseData record{};
};

// Hands worker w its next case; false when there is none for it.
bool Dispatch(CCaseSchedule& schedule, int w, Worker& worker, std::set<int>& dispatched) {
  const int caseNumber = schedule.GetNextCase(w, worker.group);
  if (caseNumber < 0) return false;
  if (worker.group < 0 || !dispatched.insert(caseNumber).second) __builtin_trap();
  InitCaseData(worker.record);
  schedule.SetCaseData(worker.record, caseNumber, worker.group);
  if (worker.record.m_nCaseNumber != caseNumber) __builtin_trap();
  worker.caseNumber = caseNumber;
  return true;
}

}  // namespace

// The first byte gives the worker count (1 to 4) and the order in which
// busy workers answer; the rest is the case list.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::istringstream list(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  CCaseSchedule schedule;
  schedule.ReadCaseList(list, [](int, const std::string& text) {
    if (text.empty()) __builtin_trap();
  });
  if (static_cast<std::size_t>(schedule.m_nCaseCount) != schedule.m_aListed.size()) __builtin_trap();
  const std::set<int> listed(schedule.m_aListed.begin(), schedule.m_aListed.end());
  if (listed.size() != schedule.m_aListed.size() || (!listed.empty() && *listed.begin() < 0)) __builtin_trap();

  std::vector<Worker> workers(1 + (data[0] & 3));
  std::set<int> dispatched;
  for (std::size_t w = 0; w < workers.size(); ++w) Dispatch(schedule, static_cast<int>(w) + 1, workers[w], dispatched);
  const bool lastFirst = (data[0] & 4) != 0;
  for (std::size_t done = 0;; ++done) {
    if (done > listed.size()) __builtin_trap();  // more replies than cases
    int busy = -1;
    for (std::size_t i = 0; i < workers.size(); ++i)
      if (workers[i].caseNumber >= 0 && (busy < 0 || lastFirst)) busy = static_cast<int>(i);
    if (busy < 0) break;
    Worker& worker = workers[static_cast<std::size_t>(busy)];
    TerminateStrevFileName(worker.record);
    const int group = schedule.RetireCase(busy + 1, worker.caseNumber, worker.record.m_szStrevFileName);
    if (group < 0) __builtin_trap();  // the reply's name must find its group
    worker.caseNumber = -1;
    worker.group = group;
    Dispatch(schedule, busy + 1, worker, dispatched);
  }
  // Every worker is idle: every case read must have been handed out.
  if (dispatched != listed || schedule.CountUndispatched() != 0) __builtin_trap();
  return 0;
}

// The generated run's case list (the same for every model kind), for one worker and for four.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  return model_gen_testing::ForEachGeneratedRun([&](const model_gen_testing::GeneratedRun& run) {
    if (run.label != "standard") return true;
    const std::filesystem::path list = run.directory / "cases.txt";
    return model_gen_testing::CopySeed(list, directory, run.label + "_one_worker.txt", std::string(1, '\0')) &&
           model_gen_testing::CopySeed(list, directory, run.label + "_four_workers.txt", std::string(1, '\7'));
  });
}
