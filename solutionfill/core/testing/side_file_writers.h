#pragma once
// Writes the solver's side files of a solved case in their binary layouts,
// for tests and the generated model: "Recursion.fil", "PVTW.DAT" and
// "TVPROP.DAT". Reals are single or double precision as the reader of the
// model is told. Header only, so it stays out of the library.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "results/objects/solverfiles/testing/solver_bytes.h"

namespace side_file_testing {

using Bytes = solution_file_testing::Bytes;

inline bool SaveBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

// "Recursion.fil": the names in their groups (the five group ends are the
// first header words), the passes and one value per name and period code.
struct RecursionFile {
  struct Name {
    std::string primary;
    std::string secondary;
    std::vector<double> values;  // one per period code
  };
  struct Pass {
    double objective = 0.0;
    char status = 'O';
    std::int32_t iterations = 0;
    std::int32_t propertyOutOfTolerance = 0;
    std::int32_t distributionOutOfTolerance = 0;
  };
  // Names 0 to ends[0]-1 are recursed pool qualities, then PCALC'd pool
  // qualities, general recursion pairs, distribution rows, unused names and
  // susceptibilities; ends[4] is the start of the susceptibilities.
  std::int32_t ends[5] = {0, 0, 0, 0, 0};
  std::vector<Name> names;
  std::vector<Pass> passes;
  std::string periodCodes;

  std::string Bytes(bool doublePrecision) const {
    side_file_testing::Bytes out(doublePrecision);
    for (std::int32_t end : ends) out.Int(end);
    out.Int(static_cast<std::int32_t>(names.size()))
        .Int(static_cast<std::int32_t>(periodCodes.size()))
        .Int(static_cast<std::int32_t>(passes.size()));
    for (const Name& n : names) out.Field(n.primary, 12, ' ');
    for (const Name& n : names) out.Field(n.secondary, 12, ' ');
    for (const Pass& p : passes) out.Real(p.objective);
    for (const Pass& p : passes) out.m_bytes += p.status;
    for (const Pass& p : passes) out.Int(p.iterations);
    for (const Pass& p : passes) out.Int(p.propertyOutOfTolerance);
    for (const Pass& p : passes) out.Int(p.distributionOutOfTolerance);
    out.m_bytes += periodCodes;
    for (std::size_t j = 0; j < periodCodes.size(); ++j)
      for (const Name& n : names) out.Real(j < n.values.size() ? n.values[j] : 1e30);
    return out.m_bytes;
  }
};

// "PVTW.DAT": one VTW per stream and period code.
struct PvtwFile {
  struct Stream {
    std::string name;
    std::vector<double> values;  // one per period code
  };
  std::string periodCodes;
  std::vector<Stream> streams;

  std::string Bytes(bool doublePrecision) const {
    side_file_testing::Bytes out(doublePrecision);
    out.Int(static_cast<std::int32_t>(periodCodes.size())).Int(static_cast<std::int32_t>(streams.size()));
    out.m_bytes += periodCodes;
    for (const Stream& s : streams) out.Field(s.name, 4);
    for (const Stream& s : streams)
      for (std::size_t k = 0; k < periodCodes.size(); ++k) out.Real(k < s.values.size() ? s.values[k] : 1.0);
    return out.m_bytes;
  }
};

// "TVPROP.DAT": records of two blank-padded name parts and a float.
struct TvpropEntry {
  std::string first;
  std::string second;
  float value = 0.0f;
};

inline std::string TvpropBytes(const std::vector<TvpropEntry>& entries) {
  side_file_testing::Bytes out(false);
  for (const TvpropEntry& e : entries) out.Field(e.first, 8, ' ').Field(e.second, 8, ' ').Float(e.value);
  return out.m_bytes;
}

}  // namespace side_file_testing
