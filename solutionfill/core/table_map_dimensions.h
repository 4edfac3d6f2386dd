#pragma once
// The head record of a model's table index as the solution fill reads it,
// taken from the matrix directory the table-map reader attached to the
// model: counts, the basis, stream, utility and submodel names, per-stream
// VTW and attributes, alternate pairs and the bounding column names. Names
// are cut at their zero and trailing blanks removed; a list the directory
// holds fewer entries of than its count is cut to what is there.
//
// The directory has one list of alternate pairs (pair list D) for streams
// and utilities alike: a pair whose base is one of the directory's utility
// codes and none of its stream codes is a utility pair, every other pair a
// stream pair; each kind keeps the order of the list.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CVornModelFile;

struct CTableMapDimensions {
  std::int32_t m_nStreamCount = 0;
  std::int32_t m_nUtilityCount = 0;
  std::int32_t m_nSubmodelCount = 0;
  std::int32_t m_nVWBasis = 0;            // 0 weight, 1 volume
  std::int32_t m_nRecursionExpected = 0;  // not 0: a missing recursion file is reported
  std::vector<std::string> m_astrStreamNames;
  std::vector<std::string> m_astrUtilityNames;
  std::vector<std::string> m_astrSubmodelNames;
  std::vector<float> m_afStreamVtw;
  std::vector<std::int16_t> m_anStreamPropertyBits;
  std::vector<std::int16_t> m_anStreamBalanceBasis;
  std::vector<std::pair<std::string, std::string>> m_aAlternateStreamPairs;   // alternate, base
  std::vector<std::pair<std::string, std::string>> m_aAlternateUtilityPairs;  // alternate, base
  std::vector<std::string> m_astrBoundingColumns;
};

// The model's record from its matrix directory (all empty before the table map is read).
CTableMapDimensions GetTableMapDimensions(CVornModelFile& model);
