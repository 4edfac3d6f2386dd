#include "solutionfill/economics/parametric_overrides.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "foundation/locale_switch.h"
#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/solution_file.h"

namespace {

constexpr std::size_t kValueWidth = 15;

// The characters of line from at, at most length, none past its end.
std::string Piece(const std::string& line, std::ptrdiff_t at, std::size_t length) {
  if (at < 0 || static_cast<std::size_t>(at) >= line.size()) return std::string();
  return line.substr(static_cast<std::size_t>(at), length);
}

}  // namespace

CParametricOverrideLine SplitParametricOverrideLine(const std::string& line) {
  CParametricOverrideLine fields;
  fields.m_strRowName = Piece(line, 0, 7);
  const std::size_t found = line.size() > 8 ? line.find(' ', 8) : std::string::npos;
  // Without a blank the keys are taken as if it stood just before column 1.
  const std::ptrdiff_t blank = found == std::string::npos ? -1 : static_cast<std::ptrdiff_t>(found);
  if (blank >= 0) fields.m_strValue = Piece(line, 8, std::min<std::size_t>(found - 8, kValueWidth));
  fields.m_strPeriodKey = Piece(line, blank + 1, 1);
  fields.m_strModelKey = Piece(line, blank + 3, 1);
  fields.m_strBoundKey = Piece(line, blank + 5, 3);
  return fields;
}

void CDbSolution::ReadParametricOverrides() {
  if (!m_pDbData || !m_pDbData->m_pModel) return;
  const std::string path = m_pDbData->BuildFilePath(m_pDbData->m_pModel->m_strModelName, kParametricOverridesFileName);
  // A folder of that name holds no overrides and is no damaged file.
  std::error_code ec;
  if (!FileExists(path) || std::filesystem::is_directory(path, ec)) return;
  std::ifstream file(path, std::ios::binary);
  if (!file) return;
  std::string damage;
  try {
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
      const bool ended = !file.eof();
      if (line.compare(0, 4, "*END") == 0) break;
      if (ended) line += '\n';
      damage = ParametricOverrideLineDamage(line);
      if (damage.empty() && !ended) damage = "is cut short: it has no line end";
      if (!damage.empty()) {
        damage = "line " + std::to_string(number) + " " + damage;
        break;
      }
      // A blank line overrides nothing.
      if (line.find_first_not_of(" \t\r\n") == std::string::npos) continue;
      const CParametricOverrideLine fields = SplitParametricOverrideLine(line);
      m_astrWorkList1.push_back(fields.m_strRowName);
      m_astrWorkList2.push_back(fields.m_strValue);
      m_astrWorkList3.push_back(fields.m_strPeriodKey);
      m_astrWorkList4.push_back(fields.m_strModelKey);
      m_astrWorkList5.push_back(fields.m_strBoundKey);
    }
  } catch (const std::exception&) {
    ShowFormattedError1(kIdsCannotOpenSolverFile, path);
    return;
  }
  if (file.bad()) damage = "it cannot be read";
  if (!damage.empty()) {
    const std::string cause = "the file " + path + " is damaged: " + damage;
    NoteInputFailure(cause);
    ShowErrorMessage(cause, false);
    return;
  }
  m_bParametricOverrides = 1;
}

std::string ParametricOverrideLineDamage(const std::string& line) {
  std::size_t end = line.size();
  if (end > 0 && line[end - 1] == '\n') --end;
  if (end > 0 && line[end - 1] == '\r') --end;
  for (std::size_t i = 0; i < end; ++i)
    if ((line[i] < 0x20 || line[i] > 0x7E) && line[i] != '\t') return "holds a byte that is no character";
  if (line.find_first_not_of(" \t", 0) >= end) return std::string();
  if (end > kParametricOverrideLineLength)
    return "is longer than " + std::to_string(kParametricOverrideLineLength) + " characters";
  const std::size_t blank = line.size() > 8 ? line.find(' ', 8) : std::string::npos;
  if (blank == std::string::npos || blank >= end || blank == 8) return "has no value from column 9 up to a blank";
  if (blank - 8 > kValueWidth) return "has a value of more than " + std::to_string(kValueWidth) + " characters";
  const CParametricOverrideLine fields = SplitParametricOverrideLine(line);
  {
    const CLocaleSwitch numeric(LC_NUMERIC, "C");
    char* stop = nullptr;
    std::strtod(fields.m_strValue.c_str(), &stop);
    if (stop == fields.m_strValue.c_str() || *stop != '\0') return "has a value that is no number";
  }
  const auto key = [](const std::string& text) { return text.size() == 1 && text[0] > ' ' && text[0] <= '~'; };
  if (!key(fields.m_strPeriodKey)) return "has no period key one column after the value";
  if (!key(fields.m_strModelKey)) return "has no model key three columns after the value";
  if (fields.m_strRowName.compare(0, 4, "INVT") == 0 && fields.m_strBoundKey != "MIN" && fields.m_strBoundKey != "MAX")
    return "names an inventory row without MIN or MAX five columns after the value";
  return std::string();
}

void CDbSolution::GetParametricOverride(const std::string& rowName, const std::string& periodKey,
                                        const std::string& modelKey, double* value,
                                        const std::string& boundKey) const {
  const bool inventoryRow = rowName.compare(0, 4, "INVT") == 0;
  const std::size_t count = std::min({m_astrWorkList1.size(), m_astrWorkList2.size(), m_astrWorkList3.size(),
                                      m_astrWorkList4.size(), m_astrWorkList5.size()});
  for (std::size_t i = 0; i < count; ++i) {
    if (m_astrWorkList1[i] != rowName) continue;
    const std::string& period = m_astrWorkList3[i];
    if (period != periodKey && !(period == "*" && periodKey == ".")) continue;
    const std::string& model = m_astrWorkList4[i];
    if (model != modelKey && !(model == "*" && modelKey.empty())) continue;
    if (inventoryRow && m_astrWorkList5[i] != boundKey) continue;
    if (value) {
      const CLocaleSwitch numeric(LC_NUMERIC, "C");
      *value = std::strtod(m_astrWorkList2[i].c_str(), nullptr);
    }
    return;
  }
}
