#pragma once
// The byte layout of the solver's solution file, parsed without trusting
// it: the counts of its header are checked against its length before any
// record is read. Little-endian, no padding: the header (104 bytes in single
// precision, 120 in double) holds the row count, the row-plus-column total,
// a header code, an unused word, the objective value and a two-character
// header text; each record holds a sequence id, a name of 9 (or 61) bytes, a
// status code and six reals.

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

// One record as read: the values after the near-zero clamp, widened to double.
struct CSolutionFileRecord {
  std::int32_t m_nSequenceID = 0;
  std::string m_strName;
  std::int32_t m_nStatus = 0;
  double m_aValues[6] = {};
  bool m_bActivityAboveTolerance = false;  // |activity| > 1e-6 (in float for single precision)
};

struct CSolutionFileContents {
  std::int32_t m_nRowCount = 0;
  std::int32_t m_nColumnCount = 0;
  std::int32_t m_nHeaderCode = 0;
  double m_dObjectiveValue = 0.0;
  std::string m_strHeaderText;
  std::vector<CSolutionFileRecord> m_aRows;
  std::vector<CSolutionFileRecord> m_aColumns;
};

// Parses the bytes of a whole file. False, with the reason in error, when the
// row count is below 1, the total is below the row count, or the file is
// shorter than the header and the records its counts announce.
bool ParseSolutionFile(const std::string& bytes, const CSolutionFileLayout& layout, CSolutionFileContents& contents,
                       std::string& error);

