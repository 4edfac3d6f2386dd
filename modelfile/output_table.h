#pragma once
// The handle of one table of an Access output database, created by the table
// API and passed to each of its field and value calls.

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

// Defined by the Access database layer; each closes itself when destroyed.
class CDaoDatabase;
class CDaoTableDef;
class CDaoRecordset;
// The table API's resolved field names of one table (dbdrivers/access/output_table_api.cpp).
struct COutputTableFields;

class COutputTable : public CObject {
 public:
  explicit COutputTable(std::string name) : m_strName(std::move(name)) {}
  // Closes and frees the table definition, then the recordset.
  ~COutputTable() override;

  virtual const char* GetName() const { return m_strName.c_str(); }

  std::int32_t m_nState = 0;     // set to 0 by the table API when it creates the handle
  std::int32_t m_nIndex = -1;
  bool m_bNewTable = false;      // set and read while the table API opens the table
  std::string m_strName;
  // Owned; shared handles let this floor hold them without the database layer's headers.
  std::shared_ptr<CDaoTableDef> m_pTableDef;
  std::shared_ptr<CDaoRecordset> m_pRecordset;
  CDaoDatabase* m_pDatabase = nullptr;  // not owned
  std::int32_t m_nLgFlag = -1;   // cached yes/no answer: 1 yes, other no
  std::shared_ptr<COutputTableFields> m_pFields;  // owned by the table API

  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<COutputTable>(a)->m_strName, SlotElement<COutputTable>(b)->m_strName);
  }
};
