#pragma once
// Writes solution files in the solver's layout for tests and the demo case
// set: a header with the counts, the objective and a header text, then the
// row records and the column records. Header only, so it stays out of the
// library.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "results/objects/solverfiles/testing/solver_bytes.h"

namespace solution_file_testing {

struct Record {
  std::string name;
  std::int32_t status = 2;
  double activity = 0.0;
  double slack = 0.0;  // the cost of a column
  double lo = 0.0;
  double hi = 1e30;
  double marginal = 0.0;
  double sixth = 0.0;  // a column's cost when its own is 0
  std::int32_t sequence = 0;  // 0: the record's position from 1
};

class Writer {
 public:
  Writer(bool doublePrecision, std::size_t nameWidth) : m_bDouble(doublePrecision), m_nNameWidth(nameWidth) {}

  std::vector<Record> rows;
  std::vector<Record> columns;
  std::int32_t headerCode = 7;
  double objective = 0.0;
  std::string headerText = "OK";
  // When set, written as the header's counts instead of the real ones.
  bool overrideCounts = false;
  std::int32_t rowCount = 0;
  std::int32_t total = 0;

  std::string Bytes() const {
    solution_file_testing::Bytes out(m_bDouble);
    out.Int(overrideCounts ? rowCount : static_cast<std::int32_t>(rows.size()));
    out.Int(overrideCounts ? total : static_cast<std::int32_t>(rows.size() + columns.size()));
    out.Int(headerCode).Int(0).Real(objective).Field(headerText, 2);
    out.m_bytes.resize(m_bDouble ? 120 : 104, ' ');
    std::int32_t sequence = 0;
    for (const Record& r : rows) WriteRecord(out, r, ++sequence);
    for (const Record& r : columns) WriteRecord(out, r, ++sequence);
    return out.m_bytes;
  }

  void Save(const std::string& path) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = Bytes();
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

 private:
  void WriteRecord(solution_file_testing::Bytes& out, const Record& r, std::int32_t position) const {
    out.Int(r.sequence ? r.sequence : position).Field(r.name, m_nNameWidth).Int(r.status);
    for (double v : {r.activity, r.slack, r.lo, r.hi, r.marginal, r.sixth}) out.Real(v);
  }

  bool m_bDouble;
  std::size_t m_nNameWidth;
};

// A single-precision file of two rows and a column whose header counts are
// replaced (and whose end is cut by some bytes): counts the bytes cannot back.
struct DamagedCounts {
  const char* what;
  std::int32_t rows;
  std::int32_t total;
  std::size_t cut;  // bytes removed from the end
};

inline std::vector<DamagedCounts> DamagedCountCases() {
  return {{"negative rows", -1, 5, 0},          {"total below rows", 2, 1, 0},
          {"total past the file", 2, 2000000000, 0}, {"last record cut", 2, 3, 1},
          {"maximal counts", 0x7fffffff, 0x7fffffff, 0}, {"header cut", 2, 3, 200}};
}

inline std::string DamagedFile(const DamagedCounts& c) {
  Writer writer(false, 9);
  writer.rows = {{"R1"}, {"R2"}};
  writer.columns = {{"C1"}};
  writer.overrideCounts = true;
  writer.rowCount = c.rows;
  writer.total = c.total;
  std::string bytes = writer.Bytes();
  bytes.resize(bytes.size() - c.cut);
  return bytes;
}

}  // namespace solution_file_testing
