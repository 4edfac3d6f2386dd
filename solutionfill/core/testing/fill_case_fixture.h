#pragma once
// The builders' case fixture lives with the result objects.
#include "results/objects/testing/case_fixture.h"

namespace fill_testing {
class FillCaseFixture : public objects_testing::CaseFixture {};
using objects_testing::kBlank;
using table_fixtures::Table;
}  // namespace fill_testing
