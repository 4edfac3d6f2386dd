#pragma once
// The results-database side of one case: the database version record and the
// 21 enumeration tables of the result schema, the case's result tree
// (CDbSolution), the time stamps of the fill and of the write, and the key
// indexes of new Access result tables.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/ole_date_time.h"

class CDbCase;
class CDbSolution;
class CVornDbExportData;
class CVornModelFile;
class IUnifiedTagsManager;

// One row of "PrDatabaseVersion".
class CDbDatabaseVersionRecord : public CObject {
 public:
  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CDbDatabaseVersionRecord>(a)->m_strVersion,
                       SlotElement<CDbDatabaseVersionRecord>(b)->m_strVersion);
  }

  std::string m_strVersion;
  std::string m_strBuild;
  std::string m_strCompatibleWith;
  std::string m_strNote;
  plat::OleDateTime m_dtDateCreated;
};

class CDbDatabaseVersion : public CObject {
 public:
  explicit CDbDatabaseVersion(CVornDbExportData* owner) : m_pDbData(owner) {}

  // Drops and redefines the table; rows only into a table this open created.
  bool WriteTable();

  CAutoDestructArray<CPtrArray, CDbDatabaseVersionRecord*> m_paRecords;
  std::string m_strTableName = "PrDatabaseVersion";
  std::string m_strKeyColumn = "Version";
  CVornDbExportData* m_pDbData;
};

// One row of an enumeration table ("Keyword" and "DataTypeID" in "PrSettingType").
class CDbEnumRecord : public CObject {
 public:
  CDbEnumRecord(std::int32_t id, std::string description) : m_nID(id), m_strDescription(std::move(description)) {}
  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CDbEnumRecord>(a)->m_nID, SlotElement<CDbEnumRecord>(b)->m_nID);
  }

  std::int32_t m_nID;
  std::string m_strDescription;
  std::int32_t m_nDataTypeID = 0;  // "PrSettingType" only
};

// One row of "PrPenaltyType".
class CDbPenaltyRecord : public CDbEnumRecord {
 public:
  CDbPenaltyRecord(std::int32_t id, std::string description, std::string tag1, std::string tag2)
      : CDbEnumRecord(id, std::move(description)), m_strTag1(std::move(tag1)), m_strTag2(std::move(tag2)) {}
  static int CompareElements(const void* a, const void* b) { return CDbEnumRecord::CompareElements(a, b); }

  std::string m_strTag1;
  std::string m_strTag2;
};

class CDbEnumTable : public CObject {
 public:
  CDbEnumTable(std::int32_t id, std::string table, std::string idColumn, CVornDbExportData* owner)
      : m_nTableID(id), m_strTableName(std::move(table)), m_strIDColumn(std::move(idColumn)), m_pDbData(owner) {}
  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CDbEnumTable>(a)->m_nTableID, SlotElement<CDbEnumTable>(b)->m_nTableID);
  }

  // Drops, redefines and fills the table; false at the first failing table call.
  bool WriteTable();

  std::int32_t m_nTableID;
  std::string m_strTableName;
  std::string m_strIDColumn;
  CAutoDestructArray<CPtrArray, CDbEnumRecord*> m_paRecords;
  CAutoDestructArray<CPtrArray, CDbPenaltyRecord*> m_paPenaltyRecords;
  CVornDbExportData* m_pDbData;
};

class CDbManager : public CObject {
 public:
  // Builds the solution, the version record and the enumeration tables
  // (PrSettingType from model's settings list, which may be null: no rows).
  CDbManager(CVornModelFile* model, CVornDbExportData* exportContext);
  ~CDbManager() override;
  CDbManager(const CDbManager&) = delete;
  CDbManager& operator=(const CDbManager&) = delete;

  // The version, enumeration and setting-default tables (first case of an
  // Access database only; their results are ignored), then the result tree.
  bool WriteSolution(bool firstCase);
  // "PrSettingDefault" from the process-wide default settings.
  bool WriteSettingDefaults();

  // Appends the key columns of the table (exact name) in index order.
  static void GetPrTableKeyColumns(const std::string& table, std::vector<std::string>& columns);
  // Lets the table API give new Access tables their key index and the fill
  // make the report-writer objects; the export context installs them when it
  // is made, so they hold whether or not a manager is ever built.
  static void InstallTableServices();
  // The key index of a table of model's Access database (CreateIndexes on);
  // false only when the database engine failed.
  bool CreateTableIndex(CVornModelFile* model, const std::string& table);

  CDbSolution* GetSolution() const { return m_pSolution.get(); }

  // ---- Filling the result objects of a case (db_manager_fill.cpp).
  // The case (the given one, else the export context's current case) with
  // its dummy node, market and mode, solution state, notes, case-set row and
  // periods, the primal values and the transfers, then every other result
  // object through the solution fill. False only when the solution file
  // cannot be read.
  bool FillSolution(CVornModelFile* model, bool useGivenCase, std::int32_t givenCaseId,
                    const std::string& givenCaseName);
  bool FillSolution(CVornModelFile* model) { return FillSolution(model, false, 1, std::string()); }
  // The solver's solution file of the case into the solution's primal values.
  bool ReadSolutionFile(CVornModelFile* model, CDbCase* dbCase, const std::vector<std::string>& localModelNames);

  CVornModelFile* m_pModel;  // not owned
  // The product's unified-tags manager, when a host attached one (not owned): the solution reader then
  // names rows and columns through it. Nothing in this system makes one.
  const IUnifiedTagsManager* m_pUnifiedTags = nullptr;
  CAutoDestructArray<CPtrArray, CDbEnumTable*> m_paEnumTables;
  CDbDatabaseVersion m_version;
  plat::OleDateTime m_dtWriteStart;
  plat::OleDateTime m_dtWriteEnd;
  plat::OleDateTime m_dtFillStart;
  plat::OleDateTime m_dtFillEnd;
  std::unique_ptr<CDbSolution> m_pSolution;
  CVornDbExportData* m_pDbData;  // not owned
};
