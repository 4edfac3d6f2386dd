#pragma once
// The solution file as the fill uses it: the raw records of
// results/objects/solverfiles/raw_solution_file.h with the fill's rules on
// top: the near-zero clamp of every value and at least one row.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "results/objects/solverfiles/raw_solution_file.h"

// One record as the fill takes it: the values after the near-zero clamp.
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
// raw reader refuses the file or the file has no row.
bool ParseSolutionFile(const std::string& bytes, const CSolutionFileLayout& layout, CSolutionFileContents& contents,
                       std::string& error);
