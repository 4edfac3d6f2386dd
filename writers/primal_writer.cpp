// The primal-row writer. The writers of the primal rows and columns are not
// built yet: a node writes nothing and succeeds.

#include "results/objects/db_primal.h"

bool CDbPrimalNode::WritePrPrimal(std::int32_t, bool) { return true; }
