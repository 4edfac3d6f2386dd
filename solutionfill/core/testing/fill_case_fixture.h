#pragma once
// The builders' case fixture lives with the result objects. Besides it, what
// the fill's tests share: the messages the fill sends to the host's message
// callback, and primal records of a solution built by hand.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "results/objects/db_primal.h"
#include "results/objects/testing/case_fixture.h"

namespace fill_testing {

using objects_testing::kBlank;
using table_fixtures::Table;

// What the fill sent to the host's message callback, as (text, kind), since CollectMessages.
inline std::vector<std::pair<std::string, int>>& Messages() {
  static std::vector<std::pair<std::string, int>> messages;
  return messages;
}

class FillCaseFixture : public objects_testing::CaseFixture {
 protected:
  // Installs the host's message callback, which keeps every message in Messages(). Without this call the export
  // has no callback, as with a host that installs none.
  void CollectMessages() {
    Messages().clear();
    m_export.m_pfnMessageCallback = [](const char* text, int length, int kind) {
      Messages().emplace_back(std::string(text, static_cast<std::size_t>(length)), kind);
      return 1;
    };
  }
};

// The node's primal period of that name; a new one (with idIfNew) is appended when there is none.
inline CDbPrimalPeriod& PrimalPeriodOf(CDbPrimalNode& node, const std::string& name, std::int32_t idIfNew = -999) {
  for (CDbPrimalPeriod* period : node.m_paPeriods)
    if (period->m_strName == name) return *period;
  auto made = std::make_unique<CDbPrimalPeriod>(name);
  made->m_nID = idIfNew;
  CDbPrimalPeriod& period = *made;
  node.m_paPeriods.Add(std::move(made));
  return period;
}

// A primal record (an LP row or column) of that name, its values not set, added to list, which stays sorted by name.
inline CDbPrimal& AddPrimal(CDbPrimalArray& list, const std::string& name) {
  auto primal = std::make_unique<CDbPrimal>(name);
  CDbPrimal& made = *primal;
  list.Add(std::move(primal));
  list.Sort(&CDbPrimal::CompareElements);
  return made;
}

}  // namespace fill_testing
