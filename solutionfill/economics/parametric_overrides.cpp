#include "solutionfill/economics/parametric_overrides.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "caseset/vorn_db_export_data.h"
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

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

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
  if (!FileExists(path)) return;
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
  if (!file) return;
  try {
    char buffer[kParametricOverrideLineLength + 1];
    while (std::fgets(buffer, sizeof buffer, file.get())) {
      const std::string line(buffer);
      if (line.compare(0, 4, "*END") == 0) break;
      const CParametricOverrideLine fields = SplitParametricOverrideLine(line);
      m_astrWorkList1.push_back(fields.m_strRowName);
      m_astrWorkList2.push_back(fields.m_strValue);
      m_astrWorkList3.push_back(fields.m_strPeriodKey);
      m_astrWorkList4.push_back(fields.m_strModelKey);
      m_astrWorkList5.push_back(fields.m_strBoundKey);
    }
  } catch (const std::bad_alloc&) {
    ShowFormattedError1(kIdsCannotOpenSolverFile, path);
    return;
  }
  // A read that failed (a directory opens on Linux, then cannot be read) loads nothing.
  if (std::ferror(file.get())) return;
  m_bParametricOverrides = 1;
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
