#include "solutionfill/core/solution_file_parser.h"

#include <cmath>
#include <utility>

#include "caseset/modeltables/model_database.h"
#include "foundation/string_utils.h"

namespace {

void CleanRecord(CRawSolutionRecord& raw, const CSolutionFileLayout& layout, CSolutionFileRecord& record) {
  record.m_nSequenceID = raw.m_nSequenceID;
  record.m_strName = std::move(raw.m_strName);
  record.m_nStatus = raw.m_nStatus;
  for (int i = 0; i < 6; ++i) {
    record.m_aValues[i] = layout.m_bDoublePrecision ? ZeroIfTiny(raw.m_aValues[i])
                                                    : ZeroIfTinyF(static_cast<float>(raw.m_aValues[i]));
  }
  record.m_bActivityAboveTolerance = layout.m_bDoublePrecision
                                         ? std::fabs(record.m_aValues[0]) > 1e-6
                                         : std::fabs(static_cast<float>(record.m_aValues[0])) > 1e-6f;
}

void CleanRecords(std::vector<CRawSolutionRecord>& raw, const CSolutionFileLayout& layout,
                  std::vector<CSolutionFileRecord>& records) {
  records.resize(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) CleanRecord(raw[i], layout, records[i]);
}

}  // namespace

bool ParseSolutionFile(const std::string& bytes, const CSolutionFileLayout& layout, CSolutionFileContents& contents,
                       std::string& error) {
  contents = CSolutionFileContents();
  CRawSolutionFile raw;
  if (!raw.Parse(bytes, layout, error)) return false;
  if (raw.m_nRowCount < 1) {
    error = "impossible record counts";
    return false;
  }
  // The solver writes its row and column names in ASCII: another byte in one means a damaged file.
  for (const auto* records : {&raw.m_aRows, &raw.m_aColumns})
    for (const CRawSolutionRecord& record : *records)
      if (!IsPrintableAscii(record.m_strName)) {
        error = "a row or column name holds bytes that are no characters";
        return false;
      }
  contents.m_nRowCount = raw.m_nRowCount;
  contents.m_nColumnCount = raw.m_nColumnCount;
  contents.m_nHeaderCode = raw.m_nHeaderCode;
  contents.m_dObjectiveValue = raw.m_dObjectiveValue;
  contents.m_strHeaderText = std::move(raw.m_strHeaderText);
  CleanRecords(raw.m_aRows, layout, contents.m_aRows);
  CleanRecords(raw.m_aColumns, layout, contents.m_aColumns);
  return true;
}
