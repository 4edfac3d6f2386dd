#pragma once
// Pieces the group builders share with the builders of the global objects:
// a group's membership in a period and its members, and the look-ups by
// name in a model object and a case (a model's streams by name: fill_tables.h).

#include <cstdint>
#include <string>

#include "solutionfill/core/fill_tables.h"

class CDbCase;
class CDbGroup;
class CDbGroupPeriod;
class CDbModel;
class CDbNode;
class CDbPeriod;
class CVornDbExportData;

namespace fill {

// The period's membership of (groupId, modelId), appended when missing.
CDbGroupPeriod& EnsureGroupPeriod(CDbPeriod& period, std::int32_t groupId, std::int32_t modelId);
// The period's membership of (groupId, modelId), or null.
CDbGroupPeriod* FindGroupPeriod(const CDbPeriod& period, std::int32_t groupId, std::int32_t modelId);
// Appends a member; with checkDuplicate nothing when (memberId, memberNodeId) is there already.
void AddGroupMember(CDbGroupPeriod& groupPeriod, std::int32_t memberId, std::int32_t memberNodeId,
                    std::int32_t marketId, std::int32_t periodId, CVornDbExportData* owner, bool checkDuplicate);

// The first group of that name in list order, or null.
CDbGroup* FindModelGroup(const CDbModel& model, const std::string& name);
// The case's node of that name (the node list is sorted by name), or null.
CDbNode* FindCaseNode(const CDbCase& dbCase, const std::string& name);
// The node's model object of that name, or null.
CDbModel* FindNodeModel(const CDbNode& node, const std::string& name);

}  // namespace fill
