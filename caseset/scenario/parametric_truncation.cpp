// Parametric chains: when an infeasible step of a chain of "ParametricNode"
// siblings is followed by a step that tightens its limits further, the later
// steps and every case depending on them are marked truncated.

#include <algorithm>
#include <array>
#include <cstring>

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/scenario_execution_logic.h"
#include "caseset/scenario/solved_case_view.h"
#include "modelfile/vorn_model_file.h"

namespace {

constexpr std::array<const char*, 5> kParametricTables = {"CAPS", "SELL", "BUY", "PROCLIM", "BLNSPEC"};
constexpr const char* kParametricNode = "ParametricNode";

CAssembledCase* FindCase(const CAssembledCaseArray& cases, std::int32_t number, const CVornModelFile& model) {
  const CAssembledCase probe(number, model.m_strModelName);
  return cases.Find(&probe);
}

CAssembledCase* FindParametricCase(const CAssembledCaseArray& cases, std::int32_t number, const CVornModelFile& model) {
  CAssembledCase* found = FindCase(cases, number, model);
  return found && found->m_strSetNodeType == kParametricNode ? found : nullptr;
}

const CCaseValue* FindValue(const CCaseTable& table, const std::string& row, const std::string& column) {
  for (const CCaseValue* value : table.m_aValues)
    if (value->m_strRow == row && value->m_strColumn == column) return value;
  return nullptr;
}

}  // namespace

std::int32_t CScenarioExecutionLogic::FindNextParametricSibling(std::int32_t caseNumber,
                                                                const CVornModelFile& mainModel,
                                                                const CAssembledCaseArray& cases) {
  const CAssembledCase* current = FindParametricCase(cases, caseNumber, mainModel);
  if (!current) return -1;
  for (std::int32_t sibling : current->m_aSetSiblings)
    if (caseNumber < sibling && FindParametricCase(cases, sibling, mainModel)) return sibling;
  return -1;
}

bool CScenarioExecutionLogic::CheckParametricTruncation(const ISolvedCaseView& solution,
                                                        const CVornModelFile& mainModel,
                                                        const CAssembledCaseArray& cases) const {
  const std::int32_t n = m_nAssembledCase;
  std::int32_t status = 0;
  double objective = 0;
  // A case result without a solution state is not infeasible.
  if (!solution.HasCase(n) || !solution.GetFirstState(n, status, objective) || status != 5) return false;
  return TightensNextStep(n, mainModel, cases);
}

bool CScenarioExecutionLogic::TightensNextStep(std::int32_t n, const CVornModelFile& mainModel,
                                               const CAssembledCaseArray& cases) {
  const CAssembledCase* current = FindParametricCase(cases, n, mainModel);
  if (!current) return false;
  const std::int32_t m = FindNextParametricSibling(n, mainModel, cases);
  const CAssembledCase* next = m < 0 ? nullptr : FindCase(cases, m, mainModel);
  if (!next) return false;
  for (const CCaseTable* table : current->m_aCaseTables) {
    if (std::find(kParametricTables.begin(), kParametricTables.end(), table->m_strName) == kParametricTables.end())
      continue;
    const CCaseTable probe(table->m_strName, m);
    const CCaseTable* nextTable = next->m_aCaseTables.Find(&probe);
    if (!nextTable) continue;
    for (const CCaseValue* value : table->m_aValues) {
      const std::string& column = value->m_strColumn;
      const bool min = column.compare(0, 3, "MIN") == 0;
      const bool max = column.compare(0, 3, "MAX") == 0;
      if ((column.size() != 3 && column.size() != 4) || (!min && !max)) continue;
      const CCaseValue* nextValue = FindValue(*nextTable, value->m_strRow, column);
      if (!nextValue) continue;
      if (min && nextValue->m_dValue > value->m_dValue) return true;
      if (max && value->m_dValue > nextValue->m_dValue) return true;
    }
  }
  return false;
}

void CScenarioExecutionLogic::TruncateParametricSiblings(const CVornModelFile& mainModel, CAssembledCaseArray& cases,
                                                         const CScenarioLogicArray& logics) const {
  const CAssembledCase* current = FindCase(cases, m_nAssembledCase, mainModel);
  if (!current) return;
  for (std::int32_t sibling : current->m_aSetSiblings) {
    if (m_nAssembledCase >= sibling) continue;
    if (CAssembledCase* step = FindParametricCase(cases, sibling, mainModel)) {
      step->m_nSelValue = 1;
      PropagateTruncation(*step, mainModel, cases, logics);
    }
  }
}

void CScenarioExecutionLogic::PropagateTruncation(CAssembledCase& assembledCase, const CVornModelFile& mainModel,
                                                  CAssembledCaseArray& cases, const CScenarioLogicArray& logics) {
  if (assembledCase.m_nSelValue <= 0) return;
  const CScenarioExecutionLogic probe(assembledCase.m_strSelExp.c_str(), assembledCase.m_nNumber);
  if (!logics.Find(&probe)) return;
  for (const CScenarioExecutionLogic* logic : logics) {
    if (logic->m_nAssembledCase == assembledCase.m_nNumber || logic->m_nCase != assembledCase.m_nNumber) continue;
    CAssembledCase* dependant = FindCase(cases, logic->m_nAssembledCase, mainModel);
    // A case that already carries the mark has passed it on; this also ends cycles.
    if (!dependant || dependant->m_nSelValue > 0) continue;
    dependant->m_nSelValue = assembledCase.m_nSelValue;
    PropagateTruncation(*dependant, mainModel, cases, logics);
  }
}
