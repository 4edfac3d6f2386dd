#include "writers/matrix/mps_file.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

int CompareNames(const std::string& a, const std::string& b) { return CompareKeys(a, b); }

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Rows and right-hand sides of these names are the solver's own and stay out of the tables.
bool IsLeftOutRowName(const std::string& name) { return !name.empty() && name[0] == 'Q' && name.size() > 9; }

bool IsSoftBound(const std::string& name) { return StartsWith(name, "SOFTBND"); }

// The single-precision value of a double; out of range gives an infinity
// (the plain conversion would be undefined there).
double RoundToSingle(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (value > kMax) return std::numeric_limits<float>::infinity();
  if (value < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<double>(static_cast<float>(value));
}

enum class Section { None, XLinear, Sets, Rhs, Ranges, Bounds, Initial, Nonlinear };

Section SectionOf(std::string_view line) {
  static constexpr std::pair<const char*, Section> kSections[] = {
      {"XLINEAR", Section::XLinear}, {"SETS", Section::Sets},       {"RHS", Section::Rhs},
      {"RANGES", Section::Ranges},   {"BOUNDS", Section::Bounds},   {"INITIAL", Section::Initial},
      {"NONLINEAR", Section::Nonlinear},
  };
  for (const auto& [text, section] : kSections)
    if (StartsWith(line, text)) return section;
  return Section::None;
}

std::string_view From(std::string_view line, std::size_t offset) {
  return offset < line.size() ? line.substr(offset) : std::string_view();
}

bool ReadTextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// The current value of a multiplier column: its INITIAL value, else the
// value of its fixed bound among the bounds of "Q" columns; null when neither exists.
const double* MultiplierValue(const CNLPFile& local, const std::string& name) {
  const CNLPCol probeCol(name, 0.0);
  if (const CNLPCol* col = local.m_paInitial.Find(&probeCol)) return &col->m_dValue;
  const CMpsBound probeBound(name, 0.0, kMpsBoundFixed);
  if (const CMpsBound* bound = local.m_paBounds.Find(&probeBound)) return &bound->m_dValue;
  return nullptr;
}

class CMatrixReader {
 public:
  CMatrixReader(CMpsFile& output, CNLPFile& local) : m_output(output), m_local(local) {}

  void ReadLine(const std::string& line) {
    if (line.empty() || line[0] != ' ') {
      m_section = SectionOf(line);
      return;
    }
    switch (m_section) {
      case Section::XLinear: ReadXLinear(line); break;
      case Section::Rhs: ReadRowValue(line, m_output.m_paRhs, true); break;
      case Section::Ranges: ReadRowValue(line, m_output.m_paRanges, false); break;
      case Section::Bounds: ReadBound(line); break;
      case Section::Initial: ReadInitial(line); break;
      case Section::None:
      case Section::Sets:
      case Section::Nonlinear: break;
    }
  }

 private:
  void ReadXLinear(std::string_view line) {
    const char type = line.size() > 1 ? line[1] : ' ';
    const std::string_view rest = From(line, 2);
    std::size_t pos = 0;
    std::string row, coefficient, column, multiplier1, multiplier2;
    GetMpsToken(rest, &row, &pos);
    GetMpsToken(rest, &coefficient, &pos);
    if (GetMpsToken(rest, &column, &pos) && GetMpsToken(rest, &multiplier1, &pos))
      GetMpsToken(rest, &multiplier2, &pos);

    if (row != m_current->m_strName) {
      m_current = new CNLPRow(row, type);
      m_local.m_paNlpRows.Add(m_current);
    }
    auto value = std::make_unique<CNLPColVal>(column, RoundToSingle(std::atof(coefficient.c_str())));
    if (!multiplier1.empty()) {
      value->m_strMultiplier1 = multiplier1;
      if (!multiplier2.empty()) value->m_strMultiplier2 = multiplier2;
    }
    m_current->m_paColVals.Add(std::move(value));
  }

  void ReadRowValue(std::string_view line, CMpsRowValArray& target, bool filter) {
    std::size_t pos = 0;
    std::string set, row, value;
    GetMpsToken(line, &set, &pos);
    GetMpsToken(line, &row, &pos);
    GetMpsToken(line, &value, &pos);
    if (filter && IsLeftOutRowName(row)) return;
    target.Add(std::make_unique<CMpsRowVal>(row, std::atof(value.c_str()), 0));
  }

  void ReadBound(std::string_view line) {
    std::size_t pos = 0;
    std::string type, set, column, value;
    GetMpsToken(line, &type, &pos);
    GetMpsToken(line, &set, &pos);
    GetMpsToken(line, &column, &pos);
    GetMpsToken(line, &value, &pos);
    const int code = MpsBoundTypeCode(type);
    if (code >= 0) m_nBoundType = code;
    auto bound = std::make_unique<CMpsBound>(column, std::atof(value.c_str()), m_nBoundType);
    (StartsWith(column, "Q") ? m_local.m_paBounds : m_output.m_paBounds).Add(std::move(bound));
  }

  void ReadInitial(std::string_view line) {
    const std::string_view rest = From(line, 3);
    std::size_t pos = 0;
    std::string name, value;
    GetMpsToken(rest, &name, &pos);
    GetMpsToken(rest, &value, &pos);
    m_local.m_paInitial.Add(std::make_unique<CNLPCol>(name, std::atof(value.c_str())));
  }

  CMpsFile& m_output;
  CNLPFile& m_local;
  Section m_section = Section::None;
  // Lines whose row name matches no row yet (an empty name at the start) go to the placeholder and are dropped.
  CNLPRow m_placeholder{std::string(), ' '};
  CNLPRow* m_current = &m_placeholder;
  int m_nBoundType = kMpsBoundUnknown;
};

// One output column per distinct column name of the rows, in name order.
void BuildColumns(const CNLPFile& local, CMpsFile& output) {
  std::vector<const std::string*> names;
  for (const CNLPRow* row : local.m_paNlpRows) {
    if (IsSoftBound(row->m_strName)) continue;
    for (const CNLPColVal* value : row->m_paColVals) names.push_back(&value->m_strColName);
  }
  std::sort(names.begin(), names.end(), [](const std::string* a, const std::string* b) { return *a < *b; });
  const std::string* last = nullptr;
  for (const std::string* name : names) {
    if (last != nullptr && *last == *name) continue;
    output.m_paCols.Add(std::make_unique<CMpsCol>(*name, output.m_paCols.GetSize()));
    last = name;
  }
  output.m_paCols.Sort(&CMpsCol::CompareElements);
}

// The output column of name; one that is missing is inserted at its place in name order.
CMpsCol* FindOrAddColumn(CMpsFile& output, const std::string& name) {
  const CMpsCol probe(name, 0);
  if (CMpsCol* column = output.m_paCols.Find(&probe)) return column;
  auto& columns = output.m_paCols;
  const auto at = std::lower_bound(columns.begin(), columns.end(), name,
                                   [](const CMpsCol* c, const std::string& n) { return c->m_strName < n; });
  const int index = static_cast<int>(at - columns.begin());
  CMpsCol* column = new CMpsCol(name, columns.GetSize());
  columns.InsertAt(index, column);
  return column;
}

void BuildRows(const CNLPFile& local, CMpsFile& output) {
  for (const CNLPRow* row : local.m_paNlpRows) {
    if (IsSoftBound(row->m_strName) || IsLeftOutRowName(row->m_strName)) continue;
    // Rows are in name order, so a name met before is the last one added.
    if (output.m_paRows.IsEmpty() || output.m_paRows[output.m_paRows.GetUpperBound()]->m_strName != row->m_strName)
      output.m_paRows.Add(std::make_unique<CMpsRow>(row->m_strName, row->m_cType, output.m_paRows.GetSize()));

    for (const CNLPColVal* entry : row->m_paColVals) {
      if (IsSoftBound(entry->m_strColName)) continue;
      double value = entry->m_dCoefficient;
      for (const std::string* multiplier : {&entry->m_strMultiplier1, &entry->m_strMultiplier2}) {
        if (multiplier->empty()) continue;
        if (const double* factor = MultiplierValue(local, *multiplier)) value *= *factor;
      }
      CMpsCol* column = FindOrAddColumn(output, entry->m_strColName);
      // Rows come in name order, so an entry of this row name can only be the column's last one.
      CMpsRowValArray& values = column->m_paRowVals;
      CMpsRowVal* lastValue = values.IsEmpty() ? nullptr : values[values.GetUpperBound()];
      if (lastValue != nullptr && lastValue->m_strName == row->m_strName)
        lastValue->m_dValue += value;
      else
        values.Add(std::make_unique<CMpsRowVal>(row->m_strName, RoundToSingle(value), values.GetSize()));
    }
  }
}

}  // namespace

int MpsBoundTypeCode(std::string_view type) {
  for (int code = 0; code < kMpsBoundTypeCount; ++code)
    if (type == kMpsBoundTypes[code]) return code;
  return kMpsBoundUnknown;
}

bool MpsBoundSetsLower(int code) { return code == 1 || code == 3 || code == 5 || code == 7; }
bool MpsBoundSetsUpper(int code) { return code == 2 || code == 3 || code == 6 || code == 7; }

int CMpsRow::CompareElements(const void* a, const void* b) {
  return CompareNames(SlotElement<CMpsRow>(a)->m_strName, SlotElement<CMpsRow>(b)->m_strName);
}
int CMpsRowVal::CompareElements(const void* a, const void* b) {
  return CompareNames(SlotElement<CMpsRowVal>(a)->m_strName, SlotElement<CMpsRowVal>(b)->m_strName);
}
int CMpsCol::CompareElements(const void* a, const void* b) {
  return CompareNames(SlotElement<CMpsCol>(a)->m_strName, SlotElement<CMpsCol>(b)->m_strName);
}
int CMpsBound::CompareElements(const void* a, const void* b) {
  const CMpsBound* x = SlotElement<CMpsBound>(a);
  const CMpsBound* y = SlotElement<CMpsBound>(b);
  if (const int c = CompareKeys(x->m_nType, y->m_nType)) return c;
  return CompareNames(x->m_strColName, y->m_strColName);
}
int CNLPColVal::CompareElements(const void* a, const void* b) {
  return CompareNames(SlotElement<CNLPColVal>(a)->m_strColName, SlotElement<CNLPColVal>(b)->m_strColName);
}
int CNLPRow::CompareElements(const void* a, const void* b) {
  return CompareNames(SlotElement<CNLPRow>(a)->m_strName, SlotElement<CNLPRow>(b)->m_strName);
}
int CNLPCol::CompareElements(const void* a, const void* b) {
  return CompareNames(SlotElement<CNLPCol>(a)->m_strName, SlotElement<CNLPCol>(b)->m_strName);
}

bool GetMpsToken(std::string_view line, std::string* field, std::size_t* position) {
  std::size_t pos = std::min(*position, line.size());
  while (pos < line.size() && line[pos] == ' ') ++pos;
  const std::size_t end = std::min(line.find(' ', pos), line.size());
  field->assign(line.substr(pos, end - pos));
  *position = end;
  return end < line.size();
}

void ReadMpsText(std::istream& matrix, CMpsFile& output, std::istream* nlpSolution) {
  CNLPFile local(output.m_strName);
  {
    CMatrixReader reader(output, local);
    std::string line;
    while (ReadTextLine(matrix, line)) reader.ReadLine(line);
  }
  local.m_paNlpRows.Sort(&CNLPRow::CompareElements);
  local.m_paInitial.Sort(&CNLPCol::CompareElements);
  local.m_paBounds.Sort(&CMpsBound::CompareElements);
  if (nlpSolution != nullptr) ReadNlpSolutionText(*nlpSolution, local.m_paInitial);
  BuildColumns(local, output);
  BuildRows(local, output);
}

void ReadNlpSolutionText(std::istream& solution, CNLPColArray& columns) {
  std::string line;
  for (int heading = 0; heading < 2; ++heading)
    if (!ReadTextLine(solution, line)) return;
  while (ReadTextLine(solution, line)) {
    if (line.empty() || line[0] == '*' || line[0] == '$') continue;
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    const CNLPCol probe(line.substr(0, blank), 0.0);
    CNLPCol* column = columns.Find(&probe);
    if (column == nullptr) continue;
    const std::size_t start = line.find_first_not_of(" \t", blank);
    column->m_dValue = start == std::string::npos ? 0.0 : std::atof(line.c_str() + start);
  }
}
