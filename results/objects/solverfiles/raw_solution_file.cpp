#include "results/objects/solverfiles/raw_solution_file.h"

#include <cstring>

#include "foundation/string_utils.h"

namespace {

std::int32_t Int32At(const char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return static_cast<std::int32_t>(v);
}

float FloatAt(const char* p) {
  const std::uint32_t bits = static_cast<std::uint32_t>(Int32At(p));
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

double DoubleAt(const char* p) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(p[i]);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

double RealAt(const char* p, const CSolutionFileLayout& layout) {
  return layout.m_bDoublePrecision ? DoubleAt(p) : FloatAt(p);
}

std::string FieldAt(const char* p, std::size_t width) {
  std::string text;
  CStringFromField(p, width, text);
  return text;
}

void ReadRecord(const char* p, const CSolutionFileLayout& layout, CRawSolutionRecord& record) {
  record.m_nSequenceID = Int32At(p);
  p += 4;
  record.m_strName = FieldAt(p, layout.m_nNameWidth);
  p += layout.m_nNameWidth;
  record.m_nStatus = Int32At(p);
  p += 4;
  for (double& value : record.m_aValues) {
    value = RealAt(p, layout);
    p += layout.ValueSize();
  }
}

}  // namespace

bool CRawSolutionFile::Parse(const std::string& bytes, const CSolutionFileLayout& layout, std::string& error) {
  *this = CRawSolutionFile();
  if (bytes.size() < layout.HeaderSize()) {
    error = "the file is shorter than its header";
    return false;
  }
  const char* data = bytes.data();
  const std::int32_t rows = Int32At(data);
  const std::int32_t total = Int32At(data + 4);
  if (rows < 0 || total < rows) {
    error = "impossible record counts";
    return false;
  }
  // Both counts are at least 0 here, so the product cannot overflow 64 bits.
  const std::uint64_t needed =
      layout.HeaderSize() + static_cast<std::uint64_t>(total) * static_cast<std::uint64_t>(layout.RecordSize());
  if (needed > bytes.size()) {
    error = "the file is shorter than its record counts";
    return false;
  }
  m_nRowCount = rows;
  m_nColumnCount = total - rows;
  m_nHeaderCode = Int32At(data + 8);
  m_dObjectiveValue = RealAt(data + 16, layout);
  m_strHeaderText = FieldAt(data + (layout.m_bDoublePrecision ? 24 : 20), 2);
  m_aRows.resize(static_cast<std::size_t>(rows));
  m_aColumns.resize(static_cast<std::size_t>(total - rows));
  const char* p = data + layout.HeaderSize();
  for (CRawSolutionRecord& record : m_aRows) {
    ReadRecord(p, layout, record);
    p += layout.RecordSize();
  }
  for (CRawSolutionRecord& record : m_aColumns) {
    ReadRecord(p, layout, record);
    p += layout.RecordSize();
  }
  return true;
}
