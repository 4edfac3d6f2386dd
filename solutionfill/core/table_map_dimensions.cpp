#include "solutionfill/core/table_map_dimensions.h"

#include <algorithm>

#include "caseset/modeltables/model_table_reader.h"
#include "foundation/string_utils.h"

namespace {

std::string Trimmed(const std::string& field) {
  std::string text;
  CStringFromField(field.data(), field.size(), text);
  return text;
}

std::vector<std::string> TrimmedList(const std::vector<std::string>& fields, std::int32_t count) {
  std::vector<std::string> names;
  const std::size_t n = std::min<std::size_t>(fields.size(), count > 0 ? static_cast<std::size_t>(count) : 0);
  names.reserve(n);
  for (std::size_t i = 0; i < n; ++i) names.push_back(Trimmed(fields[i]));
  return names;
}

template <class T>
std::vector<T> CutTo(const std::vector<T>& values, std::int32_t count) {
  const std::size_t n = std::min<std::size_t>(values.size(), count > 0 ? static_cast<std::size_t>(count) : 0);
  return std::vector<T>(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace

// Which directory list is which: the streams and utilities with their codes,
// the VTW factors and the two stream attributes (property bits, balance
// basis); name list G (in both layouts) the submodels; header words 1 and 2
// the basis and the recursion flag; pair list D the alternate streams and
// utilities (told apart by their base, see the header); name
// list H, the last name list, the bounding columns.
CTableMapDimensions GetTableMapDimensions(CVornModelFile& model) {
  const CMatrixDirectory& d = GetMatrixDirectory(model);
  CTableMapDimensions dims;
  dims.m_astrStreamNames = TrimmedList(d.m_aStreamCodes, d.m_nStreams);
  dims.m_astrUtilityNames = TrimmedList(d.m_aUtilityCodes, d.m_nUtilities);
  dims.m_astrSubmodelNames = TrimmedList(d.m_aNameListG, d.m_nNameListG);
  dims.m_astrBoundingColumns = TrimmedList(d.m_aNameListH, d.m_nNameListH);
  dims.m_nStreamCount = static_cast<std::int32_t>(dims.m_astrStreamNames.size());
  dims.m_nUtilityCount = static_cast<std::int32_t>(dims.m_astrUtilityNames.size());
  dims.m_nSubmodelCount = static_cast<std::int32_t>(dims.m_astrSubmodelNames.size());
  dims.m_nVWBasis = d.m_nHeaderWord1;
  dims.m_nRecursionExpected = d.m_nHeaderWord2;
  dims.m_afStreamVtw = CutTo(d.m_aStreamVtw, dims.m_nStreamCount);
  dims.m_anStreamPropertyBits = CutTo(d.m_aStreamAttribute1, dims.m_nStreamCount);
  dims.m_anStreamBalanceBasis = CutTo(d.m_aStreamAttribute2, dims.m_nStreamCount);
  // Every per-stream list has an entry per stream (missing ones blank or 0).
  dims.m_afStreamVtw.resize(static_cast<std::size_t>(dims.m_nStreamCount), 1.0e30f);
  dims.m_anStreamPropertyBits.resize(static_cast<std::size_t>(dims.m_nStreamCount), 0);
  dims.m_anStreamBalanceBasis.resize(static_cast<std::size_t>(dims.m_nStreamCount), 0);
  const auto listed = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  for (std::size_t i = 0; i < d.m_aPairListD.size() && i < static_cast<std::size_t>(std::max(d.m_nPairListD, 0)); ++i) {
    std::pair<std::string, std::string> pair(Trimmed(d.m_aPairListD[i].first), Trimmed(d.m_aPairListD[i].second));
    const bool utility = listed(dims.m_astrUtilityNames, pair.second) && !listed(dims.m_astrStreamNames, pair.second);
    (utility ? dims.m_aAlternateUtilityPairs : dims.m_aAlternateStreamPairs).push_back(std::move(pair));
  }
  return dims;
}
