#pragma once
// The texts of the legacy saved queries over the LG* and RW* tables, in
// creation order; the last ("SUM_LGDAYDEM") is saved for a global model only.

#include <span>

#include "writers/queries/report_queries.h"

std::span<const SavedQueryText> GetLegacyQueries();
