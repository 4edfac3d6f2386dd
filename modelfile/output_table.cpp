#include "modelfile/output_table.h"

// The table definition goes first, then the recordset, as the Access layer expects.
COutputTable::~COutputTable() {
  m_pTableDef.reset();
  m_pRecordset.reset();
}
