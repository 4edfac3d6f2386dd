#pragma once
// The report-writer tables RWSTRMID, RWUNITID, RWSDSUM, RWRECIPE and RWUNITOP:
// copies of the legacy tables LGSTRMID, LGUNITID, LGSDSUM, LGRECIPE and
// LGUNTOPC of the model's Access results database, read back (rows of this
// run and case only), with the members of the report-writer groups collapsed
// into their groups.

#include <cstdint>
#include <string>

#include "caseset/vorn_db_export_data.h"
#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "writers/legacy/report_writer_groups.h"

class CVornModelFile;

// Message ids of the builders (program texts).
inline constexpr std::uint32_t kIdsLgTableNotOpened = 180;  // %1: the legacy table

// The not-set number of the records' values.
inline constexpr double kLgNotSet = 1e30;

// One row of LGSTRMID, or one group row.
class CLgStrmID : public CObject {
 public:
  // By STRMID, case-sensitive.
  static int CompareElements(const void* a, const void* b);

  std::string m_strSTRMID;
  std::string m_strDESC;
  std::string m_strUOM;
  std::string m_strALTTAG;
  int m_nROWORDER = -1000000;
  int m_nMemberCount = 0;  // member values added into a group row
  double m_dVTWSORT = 0.0;
};

// One row of LGUNITID, or one unit-group row.
class CLgUnitID : public CObject {
 public:
  explicit CLgUnitID(const std::string& unit) : m_strUNITID(unit) {}
  // By UNITID, case-sensitive.
  static int CompareElements(const void* a, const void* b);

  std::string m_strUNITID;
  std::string m_strDESC;
  int m_nROWORDER = 0;
};

// One row of LGSDSUM, or the row of a group tag in a period.
class CLgSDSum : public CObject {
 public:
  // By PERIOD, then STRMID.
  static int CompareElements(const void* a, const void* b);

  std::string m_strPERIOD;
  std::string m_strSTRMID;
  std::string m_strVWBASIS;
  std::uint8_t m_bGroupRow = 0;
  std::uint8_t m_bGroupMember = 0;
  double m_dPURCHASE = kLgNotSet;
  double m_dSUBMOD = kLgNotSet;
  double m_dBLENDING = kLgNotSet;
  double m_dSALE = kLgNotSet;
  double m_dBALANCE = kLgNotSet;
  double m_dMARVALUE = kLgNotSet;
  double m_dVTW = kLgNotSet;
  double m_dMarValueWeight = kLgNotSet;  // the BLENDING of the members that have a MARVALUE
  double m_dVtwWeight = kLgNotSet;       // the BLENDING of the members that have a VTW
};

// One row of LGRECIPE, or a record that collects group members.
class CLgRecipe : public CObject {
 public:
  CLgRecipe(const std::string& period, const std::string& product, const std::string& blendstock)
      : m_strPERIOD(period), m_strPRODUCT(product), m_strBLENDSTOCK(blendstock) {}
  // By PERIOD, then PRODUCT.
  static int CompareElements(const void* a, const void* b);

  std::string m_strPERIOD;
  std::string m_strPRODUCT;
  std::string m_strBLENDSTOCK;
  std::uint8_t m_bGrouped = 0;
  std::uint8_t m_bWeighted = 0;
  double m_dVOLRECIPE = kLgNotSet;
  double m_dWGTRECIPE = kLgNotSet;
  double m_dVOLBLEND = kLgNotSet;
  double m_dWGTBLEND = kLgNotSet;
  double m_dMARVALUE = kLgNotSet;
  double m_dVolBlendSum = 0.0;
  double m_dWgtBlendSum = 0.0;
};

// One row of LGUNTOPC, or a row of a stream group or a unit group.
class CLgUnitOp : public CObject {
 public:
  CLgUnitOp(const std::string& period, const std::string& unitop, const std::string& type, const std::string& tag)
      : m_strTAG(tag), m_strTYPE(type), m_strPERIOD(period), m_strUNITOP(unitop) {}
  // By PERIOD, then UNITOP; 0 only when TYPE and TAG are equal too.
  static int CompareElements(const void* a, const void* b);

  std::string m_strTAG;
  std::string m_strTYPE;
  std::string m_strPERIOD;
  std::string m_strUNITOP;
  double m_dRATE = kLgNotSet;
};

using CLgStrmIDArray = CAutoDestructArray<CPtrArray, CLgStrmID*>;
using CLgUnitIDArray = CAutoDestructArray<CPtrArray, CLgUnitID*>;
using CLgSDSumArray = CAutoDestructArray<CPtrArray, CLgSDSum*>;
using CLgRecipeArray = CAutoDestructArray<CPtrArray, CLgRecipe*>;
using CLgUnitOpArray = CAutoDestructArray<CPtrArray, CLgUnitOp*>;

// The five report-writer tables of a model (not of a global one). Cuts the
// run identifier to 4 characters, sets the model's report-writer-groups flag
// from the groups, and writes nothing without groups or without an Access
// database. The legacy tables are read over the model's results database
// connection when this process has it open (it also sees the rows of the case
// not committed yet); else over the model's ODBC connection, opened when it is
// not (false when that fails; it is also opened where that starts the model's
// SQL Server output) and closed at the end in every case. False at the first
// builder that fails. When no host engine ran the case's local-model output
// (m_bEngineOutputSkipped), the builders are skipped with one log line: the
// LG tables they read cannot be there.
bool WriteReportWriterTables(CVornDbExportData& exportData, CVornModelFile& model);

// The builders; each is true without work when its switch (CreateRWSTRMID,
// ...) is 0, and false after a message when its legacy table cannot be read
// or lacks a column, or at the first failing table operation.
bool WriteRWSTRMID(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpBlnArray& blendGroups,
                   const CRwGrpStrArray& streamGroups);
bool WriteRWUNITID(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpUntArray& unitGroups);
bool WriteRWSDSUM(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpBlnArray& blendGroups,
                  const CRwGrpStrArray& streamGroups);
bool WriteRWRECIPE(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpBlnArray& blendGroups,
                   const CRwGrpStrArray& streamGroups);
bool WriteRWUNITOP(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpStrArray& streamGroups,
                   const CRwGrpUntArray& unitGroups);
