#pragma once
// The map between the extended tags of a model (names of any length) and the
// short tags of its LP row and column names, as the export configuration's
// "ExtendedTagProcessor" element gives it: lookups both ways, new
// three-letter aliases for extended tags without one, and the cutting of LP
// row and column names into their tag fields.
//
// Each alias table keeps the document's order, which must be ascending in the
// table's key (the extended tag, or the short tag for the ShortTagSorted
// tables): lookups are binary searches.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "caseset/tags/tag_alias.h"
#include "platform/object.h"

namespace plat {
class XmlNode;
}

class CExtendedTagProcessor : public CObject {
 public:
  // The number of three-letter codes, AAA to ZZZ.
  static constexpr std::int32_t kThreeLetterCodes = 26 * 26 * 26;

  CExtendedTagProcessor();
  ~CExtendedTagProcessor() override = default;

  // Reads an "ExtendedTagProcessor" element into this processor: counters and
  // strings overwrite, tables append.
  void ReadXml(const plat::XmlNode& element);
  // The aliases of a table element's "TagAlias" children, appended to table.
  static void ReadTagAliasTable(const plat::XmlNode& element, CTagAliasArray& table);
  // An alias, or null when the element lacks "ExtendedTag" or "ShortTag".
  static std::unique_ptr<CTagAlias> ReadTagAlias(const plat::XmlNode& element);

  // Short to extended; the input when no alias has it.
  std::string GetExtendedThreeCharTag(const std::string& tag) const;
  std::string GetExtendedMarketTag(const std::string& tag) const;
  std::string GetExtendedModeTag(const std::string& tag) const;
  std::string GetExtendedPeriodTag(const std::string& tag) const;
  std::string GetExtendedPlantTag(const std::string& tag) const;
  // The submodels first, then the three-character tags.
  std::string GetExtendedSubmodelTag(const std::string& tag) const;
  // Extended to short: "." stays "."; an unknown plant gives "", an unknown period the input.
  std::string GetShortPlantTag(const std::string& tag) const;
  std::string GetShortPeriodTag(const std::string& tag) const;
  // A reserved tag stays itself; otherwise the alias of "ThreeCharTags",
  // created when missing (keep: a three-character tag becomes its own short tag).
  std::string GetShortTag(const std::string& extendedTag, bool keep);
  // Makes a new alias in table from counter on and advances counter past the code used.
  std::string CreateShortTag(const std::string& extendedTag, std::int32_t& counter, CTagAliasArray& table, bool keep);

  // ---- LP row and column names
  // The name cut into its fields joined by ":", short tags replaced by their
  // extended tags when replace is set; sets the five resolved fields.
  std::string ParseColumnName(std::int32_t modelType, const std::string& name, bool replace);
  std::string ParseRowName(std::int32_t modelType, const std::string& name, bool replace);
  // The period and plant suffix of an 8- or 9-character name ("" otherwise).
  std::string ParseNameSuffix(std::int32_t modelType, const std::string& name, bool replace);
  // Body (the resolved body without the field colons), period and plant.
  void SplitColumnName(std::int32_t modelType, const std::string& name, std::string& body, std::string& period,
                       std::string& plant);
  void SplitRowName(std::int32_t modelType, const std::string& name, std::string& body, std::string& period,
                    std::string& plant);

  bool IsReservedTag(const std::string& tag) const;

  std::int32_t m_nModeTagCreationIndex = 0;
  std::int32_t m_nThreeCharTagCreationIndex = 0;
  std::int32_t m_nPlantTagCreationIndex = 0;
  std::int32_t m_nMarketTagCreationIndex = 0;
  std::int32_t m_nSubmodelTagCreationIndex = 12168;
  std::int32_t m_nCrudeCutTagCreationIndex = 0;
  std::int32_t m_nCrudeUnitTagCreationIndex = 52;
  std::int32_t m_nNonPeriodTagCreationIndex = 0;
  std::int32_t m_nTwoCharOtherTagCreationIndex = 0;

  std::string m_strResolvedLeft;
  std::string m_strResolvedMode;
  std::string m_strResolvedPlant;
  std::string m_strResolvedMarket;
  std::string m_strResolvedPeriod;
  std::string m_strAccessDatabaseFilePath;

  CTagAliasArray m_aModes;
  CTagAliasArray m_aPlants;
  CTagAliasArray m_aMarkets;
  CTagAliasArray m_aPeriods;
  CTagAliasArray m_aThreeCharTags;
  CTagAliasArray m_aSubmodels;
  CTagAliasArray m_aNonPeriods;
  CTagAliasArray m_aTwoCharOthers;
  CTagAliasArray m_aTwoCharCrdCuts;
  CTagAliasArray m_aTwoCharCrudeUnits;
  CTagAliasArray m_aShortTagSortedModes;
  CTagAliasArray m_aShortTagSortedPlants;
  CTagAliasArray m_aShortTagSortedMarkets;
  CTagAliasArray m_aShortTagSortedPeriods;
  CTagAliasArray m_aShortTagSorted3CharTags;
  CTagAliasArray m_aShortTagSortedSubmodels;
  CTagAliasArray m_aShortTagSortedNonPeriods;

  std::vector<std::string> m_lstVpoolTags;
  std::vector<std::string> m_lstReservedTags;

 private:
  // A table found by the search on its own key: the entry's other tag, or null.
  static const CTagAlias* Lookup(const CTagAliasArray& table, const std::string& tag);
  std::string Field(const std::string& name, std::size_t at, std::size_t length) const;
  std::string Tag(const std::string& name, std::size_t at, bool replace) const;
  std::string QForm(std::int32_t modelType, const std::string& name, bool replace, bool row);
  // The market, mode, period and plant fields of an LP name (lp_names.cpp).
  class LpNameFields;
};
