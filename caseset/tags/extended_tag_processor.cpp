#include "caseset/tags/extended_tag_processor.h"

#include <algorithm>
#include <unordered_set>

#include "caseset/config/export_config_text.h"
#include "caseset/vorn_db_export_data.h"
#include "platform/xml_dom.h"

namespace {

const char* const kReservedTags[] = {"ATM", "VAC", "VBL", "WBL", "SPG", "API", "VTW", "LOS", "FVT", "FIX",
                                     "MIN", "MAX", "SGP", "SUL", "BTU", "ZZZ", "...", "BNZ", "E20", "E30",
                                     "MTO", "EHO", "ETO", "TMO", "RVP", "ARO", "OLF", "T50", "T90", "OXY",
                                     "VOC", "TOX", "NOX", "EXB", "CNX", "THC", "EXT", "POT", "DISABLE"};

struct CounterElement {
  const char* name;
  std::int32_t CExtendedTagProcessor::*counter;
};
const CounterElement kCounters[] = {
    {"ModeTagCreationIndex", &CExtendedTagProcessor::m_nModeTagCreationIndex},
    {"ThreeCharTagCreationIndex", &CExtendedTagProcessor::m_nThreeCharTagCreationIndex},
    {"PlantTagCreationIndex", &CExtendedTagProcessor::m_nPlantTagCreationIndex},
    {"MarketTagCreationIndex", &CExtendedTagProcessor::m_nMarketTagCreationIndex},
    {"SubmodelTagCreationIndex", &CExtendedTagProcessor::m_nSubmodelTagCreationIndex},
    {"CrudeCutTagCreationIndex", &CExtendedTagProcessor::m_nCrudeCutTagCreationIndex},
    {"CrudeUnitTagCreationIndex", &CExtendedTagProcessor::m_nCrudeUnitTagCreationIndex},
    {"NonPeriodTagCreationIndex", &CExtendedTagProcessor::m_nNonPeriodTagCreationIndex},
    {"TwoCharOtherTagCreationIndex", &CExtendedTagProcessor::m_nTwoCharOtherTagCreationIndex},
};

struct StringElement {
  const char* name;
  std::string CExtendedTagProcessor::*text;
};
const StringElement kStrings[] = {
    {"ResolvedLeft", &CExtendedTagProcessor::m_strResolvedLeft},
    {"ResolvedMode", &CExtendedTagProcessor::m_strResolvedMode},
    {"ResolvedPlant", &CExtendedTagProcessor::m_strResolvedPlant},
    {"ResolvedMarket", &CExtendedTagProcessor::m_strResolvedMarket},
    {"ResolvedPeriod", &CExtendedTagProcessor::m_strResolvedPeriod},
    {"AccessDatabaseFilePath", &CExtendedTagProcessor::m_strAccessDatabaseFilePath},
};

struct TableElement {
  const char* name;
  CTagAliasArray CExtendedTagProcessor::*table;
  bool shortSorted;
};
const TableElement kTables[] = {
    {"Modes", &CExtendedTagProcessor::m_aModes, false},
    {"Plants", &CExtendedTagProcessor::m_aPlants, false},
    {"Markets", &CExtendedTagProcessor::m_aMarkets, false},
    {"Periods", &CExtendedTagProcessor::m_aPeriods, false},
    {"ThreeCharTags", &CExtendedTagProcessor::m_aThreeCharTags, false},
    {"Submodels", &CExtendedTagProcessor::m_aSubmodels, false},
    {"NonPeriods", &CExtendedTagProcessor::m_aNonPeriods, false},
    {"TwoCharOthers", &CExtendedTagProcessor::m_aTwoCharOthers, false},
    {"TwoCharCrdCuts", &CExtendedTagProcessor::m_aTwoCharCrdCuts, false},
    {"TwoCharCrudeUnits", &CExtendedTagProcessor::m_aTwoCharCrudeUnits, false},
    {"ShortTagSortedModes", &CExtendedTagProcessor::m_aShortTagSortedModes, true},
    {"ShortTagSortedPlants", &CExtendedTagProcessor::m_aShortTagSortedPlants, true},
    {"ShortTagSortedMarkets", &CExtendedTagProcessor::m_aShortTagSortedMarkets, true},
    {"ShortTagSortedPeriods", &CExtendedTagProcessor::m_aShortTagSortedPeriods, true},
    {"ShortTagSorted3CharTags", &CExtendedTagProcessor::m_aShortTagSorted3CharTags, true},
    {"ShortTagSortedSubmodels", &CExtendedTagProcessor::m_aShortTagSortedSubmodels, true},
    {"ShortTagSortedNonPeriods", &CExtendedTagProcessor::m_aShortTagSortedNonPeriods, true},
};

std::string ThreeLetterCode(std::int32_t c) {
  return {static_cast<char>('A' + c / 676), static_cast<char>('A' + (c % 676) / 26), static_cast<char>('A' + c % 26)};
}

}  // namespace

CExtendedTagProcessor::CExtendedTagProcessor() {
  for (const TableElement& element : kTables)
    (this->*element.table).m_pfnCompare =
        element.shortSorted ? &CTagAlias::CompareShortTag : &CTagAlias::CompareExtendedTag;
  m_lstReservedTags.assign(std::begin(kReservedTags), std::end(kReservedTags));
}

void CExtendedTagProcessor::ReadXml(const plat::XmlNode& element) {
  for (const plat::XmlNode& child : element.ChildElements()) {
    const std::string name = child.Name();
    if (const auto it = std::find_if(std::begin(kCounters), std::end(kCounters),
                                     [&](const CounterElement& e) { return name == e.name; });
        it != std::end(kCounters)) {
      this->*it->counter = ConfigAtoi(child);
    } else if (const auto st = std::find_if(std::begin(kStrings), std::end(kStrings),
                                            [&](const StringElement& e) { return name == e.name; });
               st != std::end(kStrings)) {
      this->*st->text = ConfigText(child);
    } else if (const auto tb = std::find_if(std::begin(kTables), std::end(kTables),
                                            [&](const TableElement& e) { return name == e.name; });
               tb != std::end(kTables)) {
      ReadTagAliasTable(child, this->*tb->table);
    } else if (name == "VpoolTags") {
      for (const plat::XmlNode& value : child.ChildElements())
        if (value.Name() == "Value") m_lstVpoolTags.push_back(ConfigText(value));
    }
  }
}

void CExtendedTagProcessor::ReadTagAliasTable(const plat::XmlNode& element, CTagAliasArray& table) {
  for (const plat::XmlNode& child : element.ChildElements())
    if (child.Name() == "TagAlias")
      if (auto alias = ReadTagAlias(child)) table.Add(std::move(alias));
}

std::unique_ptr<CTagAlias> CExtendedTagProcessor::ReadTagAlias(const plat::XmlNode& element) {
  std::string extendedTag, shortTag;
  bool haveExtended = false, haveShort = false;
  const std::vector<plat::XmlNode> children = element.ChildElements();
  for (const plat::XmlNode& child : children) {
    const std::string name = child.Name();
    if (name == "ExtendedTag") {
      extendedTag = ConfigText(child);
      haveExtended = true;
    } else if (name == "ShortTag") {
      shortTag = ConfigText(child);
      haveShort = true;
    }
    if (haveExtended && haveShort) break;
  }
  if (!haveExtended || !haveShort) return nullptr;
  auto alias = std::make_unique<CTagAlias>(shortTag, extendedTag);
  for (const plat::XmlNode& child : children)
    if (child.Name() == "DatabaseIndex") alias->m_nDatabaseIndex = ConfigAtoi(child);
  return alias;
}

const CTagAlias* CExtendedTagProcessor::Lookup(const CTagAliasArray& table, const std::string& tag) {
  const bool shortSorted = table.m_pfnCompare == &CTagAlias::CompareShortTag;
  const CTagAlias probe(shortSorted ? tag : std::string(), shortSorted ? std::string() : tag);
  return table.Find(&probe);
}

std::string CExtendedTagProcessor::GetExtendedThreeCharTag(const std::string& tag) const {
  const CTagAlias* alias = Lookup(m_aShortTagSorted3CharTags, tag);
  return alias ? alias->m_strExtendedTag : tag;
}

std::string CExtendedTagProcessor::GetExtendedMarketTag(const std::string& tag) const {
  const CTagAlias* alias = Lookup(m_aShortTagSortedMarkets, tag);
  return alias ? alias->m_strExtendedTag : tag;
}

std::string CExtendedTagProcessor::GetExtendedModeTag(const std::string& tag) const {
  const CTagAlias* alias = Lookup(m_aShortTagSortedModes, tag);
  return alias ? alias->m_strExtendedTag : tag;
}

std::string CExtendedTagProcessor::GetExtendedPeriodTag(const std::string& tag) const {
  const CTagAlias* alias = Lookup(m_aShortTagSortedPeriods, tag);
  return alias ? alias->m_strExtendedTag : tag;
}

std::string CExtendedTagProcessor::GetExtendedPlantTag(const std::string& tag) const {
  const CTagAlias* alias = Lookup(m_aShortTagSortedPlants, tag);
  return alias ? alias->m_strExtendedTag : tag;
}

std::string CExtendedTagProcessor::GetExtendedSubmodelTag(const std::string& tag) const {
  const CTagAlias* alias = Lookup(m_aShortTagSortedSubmodels, tag);
  if (!alias) alias = Lookup(m_aShortTagSorted3CharTags, tag);
  return alias ? alias->m_strExtendedTag : tag;
}

std::string CExtendedTagProcessor::GetShortPlantTag(const std::string& tag) const {
  if (tag == ".") return tag;
  const CTagAlias* alias = Lookup(m_aPlants, tag);
  return alias ? alias->m_strShortTag : std::string();
}

std::string CExtendedTagProcessor::GetShortPeriodTag(const std::string& tag) const {
  if (tag == ".") return tag;
  const CTagAlias* alias = Lookup(m_aPeriods, tag);
  return alias ? alias->m_strShortTag : tag;
}

bool CExtendedTagProcessor::IsReservedTag(const std::string& tag) const {
  return std::find(m_lstReservedTags.begin(), m_lstReservedTags.end(), tag) != m_lstReservedTags.end();
}

std::string CExtendedTagProcessor::GetShortTag(const std::string& extendedTag, bool keep) {
  if (IsReservedTag(extendedTag)) return extendedTag;
  if (const CTagAlias* alias = Lookup(m_aThreeCharTags, extendedTag)) return alias->m_strShortTag;
  return CreateShortTag(extendedTag, m_nThreeCharTagCreationIndex, m_aThreeCharTags, keep);
}

std::string CExtendedTagProcessor::CreateShortTag(const std::string& extendedTag, std::int32_t& counter,
                                                  CTagAliasArray& table, bool keep) {
  std::string shortTag;
  if (keep && extendedTag.size() == 3) {
    shortTag = extendedTag;
  } else if (counter < kThreeLetterCodes) {
    // The short tags in use, collected once rather than scanned per candidate code.
    std::unordered_set<std::string> taken;
    for (const CTagAlias* alias : table) taken.insert(alias->m_strShortTag);
    std::int32_t c = counter < 0 ? 0 : counter;
    counter = c;
    for (;;) {
      shortTag = ThreeLetterCode(c);
      if (!IsReservedTag(shortTag) && !taken.count(shortTag)) break;
      c = ++counter;
      if (c >= kThreeLetterCodes) break;  // none free: the last code tried stays
    }
  }
  ++counter;
  table.Add(std::make_unique<CTagAlias>(shortTag, extendedTag));
  table.Sort(&CTagAlias::CompareExtendedTag);
  return shortTag;
}

void CVornDbExportData::ReadExtendedTagProcessor(const plat::XmlNode& node) {
  if (!m_pTagProcessor) m_pTagProcessor = MakeErasedOwner(std::make_unique<CExtendedTagProcessor>());
  m_pTagProcessor->ReadXml(node);
}
