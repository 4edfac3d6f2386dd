// Fuzz target of the solver file parsers: any bytes, read as a solution file
// in any of its three layouts or as a recursion, PVTW or TVPROP file, must be
// parsed or refused with a reason, never read outside the data, and a parsed
// file must hold exactly what its counts give. Built as every fuzz entry is
// (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <string>

#include "solutionfill/core/solution_file_parser.h"
#include "solutionfill/core/solver_side_files.h"

namespace {

void ParseSolution(const std::string& bytes, bool doublePrecision, bool longNames) {
  CSolutionFileLayout layout;
  layout.m_bDoublePrecision = doublePrecision || longNames;
  layout.m_nNameWidth = longNames ? 61 : 9;
  CSolutionFileContents contents;
  std::string error;
  if (!ParseSolutionFile(bytes, layout, contents, error)) {
    if (error.empty()) __builtin_trap();
    return;
  }
  if (static_cast<std::int64_t>(contents.m_aRows.size()) != contents.m_nRowCount ||
      static_cast<std::int64_t>(contents.m_aColumns.size()) != contents.m_nColumnCount)
    __builtin_trap();
}

void ParseRecursion(const std::string& bytes, bool doublePrecision) {
  CRecursionRecord record;
  std::string error;
  if (!ParseRecursionFile(bytes, doublePrecision, record, error)) {
    if (error.empty() || record.NameCount() != 0) __builtin_trap();
    return;
  }
  const std::size_t values = static_cast<std::size_t>(record.NameCount()) * record.PeriodCodeCount();
  if ((doublePrecision ? record.m_adValues.size() : record.m_afValues.size()) != values) __builtin_trap();
  record.Value(record.NameCount() - 1, record.PeriodCodeCount() - 1);
}

void ParsePvtw(const std::string& bytes, bool doublePrecision) {
  CPvtwRecord record;
  std::string error;
  if (!ParsePvtwFile(bytes, doublePrecision, record, error)) {
    if (error.empty() || record.m_nStreamCount != 0) __builtin_trap();
    return;
  }
  const std::size_t values = static_cast<std::size_t>(record.m_nStreamCount) * record.m_nPeriodCodeCount;
  if ((doublePrecision ? record.m_adValues.size() : record.m_afValues.size()) != values) __builtin_trap();
}

}  // namespace

// The first byte picks the file: bits 2-3 the kind (solution, recursion,
// PVTW, TVPROP), bit 0 double precision, bit 1 long names of a solution file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool doublePrecision = (data[0] & 1) != 0;
  switch ((data[0] >> 2) & 3) {
    case 0: ParseSolution(bytes, doublePrecision, (data[0] & 2) != 0); break;
    case 1: ParseRecursion(bytes, doublePrecision); break;
    case 2: ParsePvtw(bytes, doublePrecision); break;
    default: {
      CDbPrimalArray entries;
      if (ParseTvpropFile(bytes, entries) != static_cast<std::int32_t>(bytes.size() / 20)) __builtin_trap();
    }
  }
  return 0;
}
