#pragma once
// Groups of definitions ("PrGroup" and its member tables) and unit groups
// ("PrGroupUnit", "PrGroupUnitMember"). Their member lists are views of
// definitions the model's lists own, never owned.

#include <cstdint>
#include <string>

#include "results/objects/db_definition.h"

class CDbCase;

class CDbGroup : public CDbObject {
 public:
  explicit CDbGroup(const std::string& name) : CDbObject(name) { m_paMembers.m_bOwnsElements = 0; }
  CDbGroup(std::int32_t id, CVornDbExportData* owner) : CDbObject(id), m_pDbData(owner) {
    m_paMembers.m_bOwnsElements = 0;
  }
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::string m_strReportTag;              // "ReportTag"
  std::string m_strDescription;            // "Description" (cut to 20 by the writer)
  std::string m_strGroupText;              // working text of the group fill
  std::string m_strDomainTag;              // "DomainTag"
  std::int32_t m_nGroupNumber = 0;         // "GroupNumber" (short)
  std::int32_t m_nWorkValue = 0;           // working value of the group fill
  std::uint8_t m_bPeriodSpanning = 0;      // a row in "PrGroupPeriodSpanning"
  std::uint8_t m_bPlantSpanning = 0;       // a row in "PrGroupPlantSpanning"
  std::uint8_t m_bPlantPeriodSpanning = 0; // a row in "PrGroupPlantPeriodSpanning"
  std::uint8_t m_bDemandMarket = 0;        // a row in "PrGroupDemandMarket"
  std::uint8_t m_bDemandPlant = 0;         // a row in "PrGroupDemandPlant"
  CDbDefinitionArray m_paMembers;          // view
  CVornDbExportData* m_pDbData = nullptr;

  // ---- The result-table writers (writers/).
  // "PrGroup", its utility members and the flag tables the group has set.
  bool WritePrGroup(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};

// A unit group: m_nID is "GroupUnitID".
class CDbGroupUnit : public CDbGroup {
 public:
  explicit CDbGroupUnit(const std::string& name) : CDbGroup(name) { m_paMemberUnits.m_bOwnsElements = 0; }
  CDbGroupUnit(std::int32_t id, CVornDbExportData* owner) : CDbGroup(id, owner) {
    m_paMemberUnits.m_bOwnsElements = 0;
  }

  CDbDefinitionArray m_paMemberUnits;  // view of the model's units; one "PrGroupUnitMember" row each

  // ---- Builders of the solution fill (solutionfill/economics/).
  std::int32_t m_nUnitCount = 0;  // units added so far
  // Adds the unit and sums its operations of every real period into the
  // group's operations; always true.
  bool AddUnit(CDbDefinition* unit, std::int32_t modelId, CDbCase* dbCase);

  // ---- Result-table writers (writers/).
  // One "PrGroupUnitMember" record per member unit.
  bool WritePrGroupUnitMember(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);

  // ---- The result-table writers (writers/).
  bool WritePrGroupUnit(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};
