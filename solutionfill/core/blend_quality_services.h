#pragma once
// What the blend-quality builders share: the rows of BLNSPEC that are no
// specifications, a blend's quantity in a period, and finding or making a
// period's blend quality.

#include <cstdint>
#include <string>

class CDbBlend;
class CDbBlendQuality;
class CDbPeriod;
class CVornDbExportData;

// Rows beginning "TYPE", "AREA", "PHASE", "SEASON" or "EQUATION".
bool IsNonSpecificationRow(const std::string& rowName);
// The blend's volume or weight quantity of node nodeId in the period; 0 when it has none.
double GetBlendQuantity(const CDbBlend& blend, std::int32_t nodeId, const CDbPeriod& period, bool volume);
CDbBlendQuality* FindBlendQuality(const CDbPeriod& period, std::int32_t blendId, std::int32_t nodeId,
                                  std::int32_t qualityId);
// A missing one is appended, the list re-sorted and its report order set to the new count.
CDbBlendQuality& EnsureBlendQuality(CDbPeriod& period, std::int32_t blendId, std::int32_t nodeId,
                                    std::int32_t qualityId, CVornDbExportData* owner);

class CDbCase;
class CDbGroup;
class CDbModel;
// The blend amount of a group in a period: its member blends' quantities (a
// member of another period times that period's days), plus the group's
// inventory quantity when the members give any.
double SumGroupBlendQuantity(const CDbGroup& group, const CDbCase& dbCase, const CDbModel& model,
                             const CDbPeriod& period, std::int32_t volume);
