#pragma once
// Test support: the assembled cases of a case set as the scenario tests make them.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "caseset/config/assembled_case.h"

namespace scenario_testing {

// Adds case number of model "M" to cases (kept in their order), a node of the given type with these
// siblings and the selection formula "OBJFN > number".
inline CAssembledCase& AddCase(CAssembledCaseArray& cases, int number, std::vector<std::int32_t> siblings,
                               const std::string& nodeType = "ParametricNode") {
  auto record = std::make_unique<CAssembledCase>(number, "M");
  record->m_strSetNodeType = nodeType;
  record->m_aSetSiblings = std::move(siblings);
  record->m_strSelExp = "OBJFN > " + std::to_string(number);
  CAssembledCase& result = *record;
  cases.Add(std::move(record));
  cases.Sort(&CAssembledCase::CompareElements);
  return result;
}

}  // namespace scenario_testing
