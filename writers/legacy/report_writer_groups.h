#pragma once
// The report-writer groups of a model (model tables "RWGRPBLN", "RWGRPSTR"
// and "RWGRPUNT") and the report-writer copies of a model's streams, units,
// blends, blend quantities, unit rows and volume-to-weight factors, with the
// members of each group collapsed into the group.

#include <cstdint>
#include <string>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "foundation/ptr_array.h"
#include "platform/object.h"

class CDbCase;
class CDbLink;
class CDbModel;
class CVornModelFile;

// One group: its row name, the row's text and its member tags (each once,
// in column order of first appearance).
class CRwGroup : public CObject {
 public:
  explicit CRwGroup(const std::string& name) : m_strName(name) {}
  // By name, case-sensitive.
  static int CompareElements(const void* a, const void* b);

  std::string m_strName;
  std::string m_strDescription;
  std::vector<std::string> m_lstMembers;
};
class CRwGrpBln : public CRwGroup {
 public:
  using CRwGroup::CRwGroup;
};
class CRwGrpStr : public CRwGroup {
 public:
  using CRwGroup::CRwGroup;
};
class CRwGrpUnt : public CRwGroup {
 public:
  using CRwGroup::CRwGroup;
};
using CRwGrpBlnArray = CAutoDestructArray<CPtrArray, CRwGrpBln*>;
using CRwGrpStrArray = CAutoDestructArray<CPtrArray, CRwGrpStr*>;
using CRwGrpUntArray = CAutoDestructArray<CPtrArray, CRwGrpUnt*>;

// Append the groups of the main model's table (the model argument is not
// used); a table the model lacks gives no groups. Always true.
bool ReadRWGRPBLN(CVornDbExportData& exportData, CVornModelFile* model, CRwGrpBlnArray& groups);
bool ReadRWGRPSTR(CVornDbExportData& exportData, CVornModelFile* model, CRwGrpStrArray& groups);
bool ReadRWGRPUNT(CVornDbExportData& exportData, CVornModelFile* model, CRwGrpUntArray& groups);

// The report-writer objects of one model of a case; nothing for a global
// model. Sets the model's m_bReportWriterGroups. Always true.
bool FillReportWriterGroups(CVornDbExportData& exportData, CVornModelFile* model, CDbCase* dbCase,
                            CDbModel* dbModel);

// The tag of the model stream the link's node identifier names; empty when none.
std::string GetLinkStreamTag(const CDbLink* link, CDbModel* dbModel);

// The source of the identifiers of group streams; grows within a case (the fill of each case starts it afresh).
extern std::int32_t g_nNextRwID;
