#pragma once
// A test hook for the kill loops of the results database: with the
// environment variable OSTREL_KILL_CASE set to a case number, the database
// layers count the statements of that case's unit of output in the process
// whose rank (PMI_RANK) is OSTREL_KILL_RANK (any rank when unset), and the
// process kills itself (SIGKILL) just before the statement numbered
// OSTREL_KILL_AT (from 1; the unit's end after its commit counts as the last
// one). The rows of one table written one statement after another count as
// one statement: a kill between them is no other kill than before them.
// OSTREL_KILL_COUNT_FILE, when set, gets the number of counted points of the
// case when its unit ends. Without OSTREL_KILL_CASE nothing counts.

namespace plat {

// The export: the unit of output of caseNumber begins.
void BeginStatementCount(int caseNumber);
// The database layers: a statement is about to run; rows (not null) names
// the table whose rows it writes, the same for each statement of that table.
void CountStatement(const void* rows = nullptr);
// The export: the case's unit has ended (committed or rolled back).
void EndStatementCount();

}  // namespace plat
