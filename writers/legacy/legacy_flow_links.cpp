// LGLINKS and LGULINKS: the stream and utility links of the case's flow file,
// a fixed-column text file written by the solver side.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "foundation/input_failure.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "writers/legacy/legacy_table.h"
#include "writers/legacy/legacy_tables.h"
#include "writers/schema/table_definition.h"

namespace {

constexpr const char* kKeywords[] = {"VERSION", "UNITS",      "PERIODS", "UTILITIES", "TANKS", "PROPERTIES",
                                     "PROWS",   "ENDATA",     "COMPANY", "MODEL",     "TITLE", "SHEET"};

bool StartsWith(const std::string& line, const char* word) { return line.rfind(word, 0) == 0; }

// Columns first to last (counted from 1) of the line; empty beyond its end.
std::string Field(const std::string& line, std::size_t first, std::size_t last) {
  if (line.size() < first) return "";
  return line.substr(first - 1, last - first + 1);
}

// A flow file that is there but damaged fails the case: its links would go missing from the tables.
bool FailFlowFile(const std::string& path, const std::string& what) {
  NoteInputFailure("the flow file " + path + " is damaged: " + what);
  return false;
}

// The period code of a header: the character one place after the word.
std::string HeaderPeriod(const std::string& line, const std::string& word) {
  if (line == word) return "0";
  const std::size_t at = word.size() + 1;
  return line.size() > at ? TrimRight(line.substr(at, 1)) : "";
}

}  // namespace

std::string GetFlowFileName(const CVornDbExportData& exportData) {
  if (!exportData.m_pCurrentCase) return "Result.flo";
  int number = 0;
  std::string title;
  exportData.GetCurrentCase(number, title);
  char name[32];
  std::snprintf(name, sizeof name, "Resul%03d.flo", number);
  return name;
}

bool WriteLGLINKS(CVornDbExportData& exportData, CVornModelFile& model, bool utility) {
  if (!IsAccessDatabaseWritten(model)) return true;
  const std::int32_t modelType = model.m_settings.m_ModelType.GetValue();
  if (modelType == 2 || modelType == 3 || model.m_settings.m_CreateLGLINKS.GetValue() == 0) return true;
  const std::string path = exportData.BuildFilePath(model.m_strModelName, GetFlowFileName(exportData));
  if (!FileExists(path)) return true;

  const char* tagColumn = utility ? "UTILID" : "STRMID";
  LegacyTable table(exportData, model, utility ? "LGULINKS" : "LGLINKS");
  if (!(table.DefineText("RUNID", 4) && table.DefineShort("CASE") && table.DefineText("PERIOD", 1) &&
        table.DefineText("NodeFrom", 4) && table.DefineText("NodeTo", 4) && table.DefineText(tagColumn, 3) &&
        table.DefineDouble("RateFrom") && table.DefineDouble("RateTo") && table.EndDefine()))
    return false;

  int caseNumber = 0;
  std::string title;
  exportData.GetCurrentCase(caseNumber, title);
  const std::string wanted = utility ? "UTLINKS" : "LINKS";
  const std::string other = utility ? "LINKS" : "UTLINKS";
  std::string text;
  {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) return FailFlowFile(path, "it cannot be read");
    text = bytes.str();
  }
  if (const std::string damage = TextFileDamage(text); !damage.empty()) return FailFlowFile(path, damage);
  std::istringstream file(text);
  std::string line;
  bool inside = false;
  std::string period;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '*') continue;
    bool keyword = false;
    for (const char* word : kKeywords) keyword = keyword || StartsWith(line, word);
    if (keyword) {
      inside = false;
    } else if (StartsWith(line, wanted.c_str())) {
      inside = true;
      period = HeaderPeriod(line, wanted);
    } else if (StartsWith(line, other.c_str())) {
      inside = false;
    } else if (inside) {
      const bool ok = table.Add() && table.SetText("RUNID", exportData.m_strRunID) &&
                      table.SetShort("CASE", caseNumber) && table.SetText("PERIOD", period) &&
                      table.SetText("NodeFrom", TrimRight(Field(line, 1, 4))) &&
                      table.SetText("NodeTo", TrimRight(Field(line, 7, 10))) &&
                      table.SetText(tagColumn, TrimRight(Field(line, 15, 17))) &&
                      table.SetDouble("RateFrom", std::atof(Field(line, 22, 32).c_str())) &&
                      table.SetDouble("RateTo", std::atof(Field(line, 37, 47).c_str())) && table.Update();
      if (!ok) return false;
    }
  }
  return true;
}
