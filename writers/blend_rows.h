#pragma once
// The row of a blend quantity and of one of its recipe's streams. The report
// writer's copies ("PrRWBlendQuantity", "PrRWBlendRecipe") have the fields of
// "PrBlendQuantity" and "PrBlendRecipe", so both are written here by table name.

#include <cstdint>

#include "results/objects/db_value_records.h"
#include "writers/result_row.h"

inline bool WriteBlendQuantityRow(const CDbBlendQuantity& quantity, const char* table, std::int32_t solutionId,
                                  std::int32_t caseId, std::int32_t periodId) {
  return ResultRow(quantity.m_pDbData, table)
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", quantity.m_nNodeID)
      .Long("BlendID", quantity.m_nID)
      .Double("VolActivity", quantity.m_dVolActivity)
      .Double("WgtActivity", quantity.m_dWgtActivity)
      .Update();
}

inline bool WriteBlendRecipeRow(const CDbBlendRecipe& recipe, const char* table, std::int32_t solutionId,
                                std::int32_t caseId, std::int32_t periodId, std::int32_t blendId) {
  return ResultRow(recipe.m_pDbData, table)
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", recipe.m_nNodeID)
      .Long("BlendID", blendId)
      .Long("StreamID", recipe.m_nID)
      .Double("VolActivity", recipe.m_dVolActivity)
      .Double("WgtActivity", recipe.m_dWgtActivity)
      .Double("VolMarginalValue", recipe.m_dVolMarginalValue)
      .Update();
}
