#pragma once
// The solver's binary solution file as it is stored, read without trusting
// it and without cleaning a value: the solution fill and the legacy primal
// tables apply their own rules on top. Little-endian, no padding: the header
// (104 bytes in single precision, 120 in double) holds the row count, the
// row-plus-column total, a header code, an unused word, the objective value
// and a two-character header text; each record holds a sequence id, a name
// of 9 (or 61) bytes, a status code and six reals.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CSolutionFileLayout {
  bool m_bDoublePrecision = false;
  std::size_t m_nNameWidth = 9;  // 61 with UseNimboOn

  std::size_t HeaderSize() const { return m_bDoublePrecision ? 120 : 104; }
  std::size_t ValueSize() const { return m_bDoublePrecision ? 8 : 4; }
  std::size_t RecordSize() const { return 4 + m_nNameWidth + 4 + 6 * ValueSize(); }
};

// One record as stored; single-precision values are widened to double
// (exactly, so a float of the file is got back by a cast).
struct CRawSolutionRecord {
  std::int32_t m_nSequenceID = 0;
  std::string m_strName;  // up to the first zero byte, trailing white space removed
  std::int32_t m_nStatus = 0;
  double m_aValues[6] = {};
};

class CRawSolutionFile {
 public:
  // Reads the bytes of a whole file. False, with the reason in error and
  // nothing kept, when the file is shorter than its header, the row count is
  // negative, the total is below the row count, or the file is shorter than
  // the records its counts announce. A file without rows is read.
  bool Parse(const std::string& bytes, const CSolutionFileLayout& layout, std::string& error);

  std::int32_t m_nRowCount = 0;
  std::int32_t m_nColumnCount = 0;
  std::int32_t m_nHeaderCode = 0;
  double m_dObjectiveValue = 0.0;
  std::string m_strHeaderText;
  std::vector<CRawSolutionRecord> m_aRows;
  std::vector<CRawSolutionRecord> m_aColumns;
};
