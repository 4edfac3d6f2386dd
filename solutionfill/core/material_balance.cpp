// The alternates of a model (streams, utilities, alternate crudes and their
// relabelling) and its material and utility balances with the
// out-of-balance warnings.

#include "solutionfill/core/material_balance.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "platform/string_table.h"
#include "results/objects/db_case.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/core/table_map_dimensions.h"
#include "standins/tresk.h"

namespace {

constexpr std::uint32_t kTreskStreamOffMultiPeriod = 2513;     // stream, slack, period tag
constexpr std::uint32_t kTreskStreamOffMultiPeriodAt = 2514;   // stream, slack, period tag, target
constexpr std::uint32_t kTreskStreamOff = 2515;                // stream, slack
constexpr std::uint32_t kTreskStreamOffAt = 2516;              // stream, slack, target
constexpr std::uint32_t kTreskUtilityOffMultiPeriod = 2518;    // utility, slack, period tag
constexpr std::uint32_t kTreskUtilityOffMultiPeriodAt = 2519;  // utility, slack, period tag, target
constexpr std::uint32_t kTreskUtilityOff = 2520;               // utility, slack
constexpr std::uint32_t kTreskUtilityOffAt = 187;              // utility, slack, target

const plat::StringTableRegistrar kBalanceTexts(
    plat::StringTable::Shared,
    {
        {kTreskStreamOffMultiPeriod, "Stream %s is out of balance by %.6g in period %s"},
        {kTreskStreamOffMultiPeriodAt, "Stream %s is out of balance by %.6g in period %s at %s"},
        {kTreskStreamOff, "Stream %s is out of balance by %.6g"},
        {kTreskStreamOffAt, "Stream %s is out of balance by %.6g at %s"},
        {kTreskUtilityOffMultiPeriod, "Utility %s is out of balance by %.6g in period %s"},
        {kTreskUtilityOffMultiPeriodAt, "Utility %s is out of balance by %.6g in period %s at %s"},
        {kTreskUtilityOff, "Utility %s is out of balance by %.6g"},
        {kTreskUtilityOffAt, "Utility %s is out of balance by %.6g at %s"},
    });

constexpr std::size_t kWarningBuffer = 100;
constexpr double kBalanceTolerance = 1e-4;

using fill::FindModelStream;
using fill::ForEachRealPeriod;

CDbPeriod* FindCasePeriod(const CDbCase& dbCase, const std::string& name) {
  for (CDbPeriod* period : dbCase.m_paPeriods)
    if (period && period->m_strName == name) return period;
  return nullptr;
}

CDbInt& IndexEntry(CAutoDestructArray<CPtrArray, CDbInt*>& index, std::int32_t value) {
  for (CDbInt* entry : index)
    if (entry && entry->m_nID == value) return *entry;
  auto entry = std::make_unique<CDbInt>(value);
  CDbInt& made = *entry;
  index.Add(std::move(entry));
  return made;
}

void AddAlternate(CAutoDestructArray<CPtrArray, CDbAlternate*>& list, CAutoDestructArray<CPtrArray, CDbInt*>& index,
                  const CDbObject& alternate, const CDbObject& base, std::int32_t modelId, CVornDbExportData* owner) {
  auto record = std::make_unique<CDbAlternate>(alternate.m_strName);
  record->m_nID = alternate.m_nID;
  record->m_nAlternateNodeID = modelId;
  record->m_nAlternateStreamID = base.m_nID;
  record->m_strAlternateTag = base.m_strName;
  record->m_pDbData = owner;
  list.Add(std::move(record));
  IndexEntry(index, base.m_nID).m_lstValues.push_back(alternate.m_nID);
}

CDbStream& MakeMissingAlternate(CDbModel& model, const std::string& name, CDbCase& dbCase) {
  CVornDbExportData* owner = model.m_pDbData;
  CDbStream& made = fill::AddDummyStream(model, name, "MissingAlternateTag", owner);
  made.m_strShortTag = name;
  ForEachRealPeriod(dbCase, [&](CDbPeriod& period) {
    auto vtw = std::make_unique<CDbVTW>(made.m_nID, model.m_nID, owner);
    vtw->m_dValue = 1.0;
    period.m_paVTWs.Add(std::move(vtw));
  });
  return made;
}

constexpr std::int32_t kCrudeBit = 8;

CDbTransaction* FindPurchase(const CDbPeriod& period, std::int32_t streamId, std::int32_t modelId) {
  for (CDbTransaction* purchase : period.m_paPurchases)
    if (purchase && purchase->m_nID == streamId && purchase->m_nNodeID == modelId) return purchase;
  return nullptr;
}

}  // namespace

namespace fill {

std::string FormatTypedText(const std::string& format, const std::vector<CFormatArg>& args, std::size_t bufferSize) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    std::size_t j = i + 1;
    while (j < format.size() && std::string("-+ #0").find(format[j]) != std::string::npos) ++j;
    std::size_t digits = 0;
    while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) && digits < 3) ++j, ++digits;
    if (j < format.size() && format[j] == '.') {
      ++j;
      digits = 0;
      while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) && digits < 3) ++j, ++digits;
    }
    std::string spec = format.substr(i, j - i);
    while (j < format.size() && format[j] == 'l') ++j;  // "%lf" and "%f" are the same for printf
    if (j >= format.size()) {
      out += format.substr(i);
      break;
    }
    const char conversion = format[j];
    const bool wantsText = conversion == 's';
    const bool wantsNumber = std::string("fFeEgG").find(conversion) != std::string::npos;
    const CFormatArg* arg = next < args.size() ? &args[next] : nullptr;
    char buffer[512];
    if (wantsText && arg && std::holds_alternative<std::string>(*arg)) {
      std::snprintf(buffer, sizeof buffer, (spec + 's').c_str(), std::get<std::string>(*arg).c_str());
      out += buffer;
      ++next;
    } else if (wantsNumber && arg && std::holds_alternative<double>(*arg)) {
      std::snprintf(buffer, sizeof buffer, (spec + conversion).c_str(), std::get<double>(*arg));
      out += buffer;
      ++next;
    } else {
      out += format.substr(i, j + 1 - i);
      if (arg && (wantsText || wantsNumber)) ++next;  // keep the later arguments in their places
    }
    i = j + 1;
  }
  if (bufferSize > 0 && out.size() > bufferSize - 1) out.resize(bufferSize - 1);
  return out;
}

void BuildAlternatesOf(CDbModel& model, const CAlternatePairs& streamPairs, const CAlternatePairs& utilityPairs,
                       CDbCase& dbCase) {
  CVornDbExportData* owner = model.m_pDbData;
  model.m_paStreams.Sort(&CDbObject::CompareDbObjectName);
  for (const auto& [alternateName, baseName] : streamPairs) {
    const CDbStream* base = FindModelStream(model, baseName);
    if (!base) continue;
    CDbStream* alternate = FindModelStream(model, alternateName);
    if (!alternate) alternate = &MakeMissingAlternate(model, alternateName, dbCase);
    if ((alternate->m_nStreamFlags & kCrudeBit) && (base->m_nStreamFlags & kCrudeBit)) {
      CDbAltCrude* crude = nullptr;
      for (CDbAltCrude* candidate : model.m_paAltCrudes)
        if (candidate && candidate->m_strName == baseName) crude = candidate;
      if (!crude) {
        auto made = std::make_unique<CDbAltCrude>(baseName);
        made->m_nID = base->m_nID;
        made->m_pDbData = owner;
        crude = made.get();
        model.m_paAltCrudes.Add(std::move(made));
      }
      bool present = false;
      for (const CDbStream* stream : crude->m_paStreams) present = present || (stream && stream->m_strName == alternateName);
      if (present) continue;
      auto copy = std::make_unique<CDbStream>(alternate->m_nID, crude->m_pDbData);
      copy->Copy(*alternate);
      crude->m_paStreams.Add(std::move(copy));
      crude->m_paStreams.Sort(&CDbObject::CompareDbObjectName);
      continue;
    }
    AddAlternate(model.m_paAlternateStreams, model.m_paAlternateLinks, *alternate, *base, model.m_nID, owner);
  }
  model.m_paAlternateStreams.Sort(&CDbObject::CompareDbObjectName);
  model.m_paAlternateLinks.Sort(&CDbInt::CompareElements);
  model.m_paAltCrudes.Sort(&CDbObject::CompareDbObjectName);

  model.m_paUtilities.Sort(&CDbObject::CompareDbObjectName);
  for (const auto& [alternateName, baseName] : utilityPairs) {
    const CDbDefinition probeA(alternateName);
    const CDbDefinition probeB(baseName);
    const CDbDefinition* alternate = model.m_paUtilities.Find(&probeA);
    const CDbDefinition* base = model.m_paUtilities.Find(&probeB);
    if (alternate && base)
      AddAlternate(model.m_paAlternateUtilities, model.m_paAlternateLinks2, *alternate, *base, model.m_nID, owner);
  }
  model.m_paAlternateUtilities.Sort(&CDbObject::CompareDbObjectName);
  model.m_paAlternateLinks2.Sort(&CDbInt::CompareElements);
}

}  // namespace fill

void CDbStream::Copy(const CDbStream& source) {
  m_nID = source.m_nID;
  m_strName = source.m_strName;
  m_fValue = source.m_fValue;
  m_strReportTag = source.m_strReportTag;
  m_strDescription = source.m_strDescription;
  m_nReportOrder = source.m_nReportOrder;
  m_nReportFlag = source.m_nReportFlag;
  m_bMarginalFlag = source.m_bMarginalFlag;
  m_bSpecialUnitFlag = source.m_bSpecialUnitFlag;
  m_bCrudeUnitFlag = source.m_bCrudeUnitFlag;
  m_nWorkValue = source.m_nWorkValue;
  m_nVWBasis = source.m_nVWBasis;
  m_nUOMTypeID1 = source.m_nUOMTypeID1;
  m_nUOMTypeID0 = source.m_nUOMTypeID0;
  m_nStreamFlags = source.m_nStreamFlags;
  m_nGlobalReportOrder = source.m_nGlobalReportOrder;
  m_nUserDefinedReportOrder = source.m_nUserDefinedReportOrder;
  m_fLiquidConversion = source.m_fLiquidConversion;
  m_nWorkValue1 = source.m_nWorkValue1;
  m_nWorkValue2 = source.m_nWorkValue2;
  m_bDummyFlag = source.m_bDummyFlag;
  m_bWorkFlag1 = source.m_bWorkFlag1;
  m_bWorkFlag2 = source.m_bWorkFlag2;
  m_strShortTag = source.m_strShortTag;
  m_strDomainTag = source.m_strDomainTag;
  m_bIsPurchased = source.m_bIsPurchased;
  m_bIsSold = source.m_bIsSold;
  m_fBuyIPrice = source.m_fBuyIPrice;
  m_fSellICost = source.m_fSellICost;
}

void CDbModel::BuildAlternateStreams(const CTableMapDimensions& dimensions, CDbCase* dbCase) {
  if (dbCase)
    fill::BuildAlternatesOf(*this, dimensions.m_aAlternateStreamPairs, dimensions.m_aAlternateUtilityPairs, *dbCase);
}

void CDbModel::BuildAlternateCrudes(CDbPrimalNode* primalNode, CDbCase* dbCase) {
  if (!primalNode || !dbCase) return;
  for (const CDbAltCrude* crude : m_paAltCrudes) {
    if (!crude) continue;
    std::string chosen;
    bool skipped = false;
    for (const CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
      const CDbPeriod* period = primalPeriod ? FindCasePeriod(*dbCase, primalPeriod->m_strName) : nullptr;
      if (!period) continue;
      const CDbTransaction* base = FindPurchase(*period, crude->m_nID, m_nID);
      if (!base || base->m_dActivity < 0.0) continue;
      if (base->m_dActivity > 0.0) {
        skipped = true;
        break;
      }
      for (const CDbStream* alternate : crude->m_paStreams) {
        const CDbTransaction* bought = alternate ? FindPurchase(*period, alternate->m_nID, m_nID) : nullptr;
        if (!bought || !(bought->m_dActivity > 0.0)) continue;
        if (!chosen.empty() && chosen != alternate->m_strName) {
          skipped = true;
          break;
        }
        chosen = alternate->m_strName;
      }
      if (skipped) break;
    }
    if (skipped || chosen.empty()) continue;
    for (const CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
      const CDbPeriod* period = primalPeriod ? FindCasePeriod(*dbCase, primalPeriod->m_strName) : nullptr;
      if (!period) continue;
      for (const CDbStream* alternate : crude->m_paStreams) {
        if (!alternate || alternate->m_strName != chosen) continue;
        CDbTransaction* bought = FindPurchase(*period, alternate->m_nID, m_nID);
        if (!bought || !(bought->m_dActivity > 0.0)) continue;
        if (CDbStream* stream = FindModelStream(*this, chosen)) {
          stream->m_strReportTag = crude->m_strName;
          stream->m_strDescription = chosen + ": AltCrude " + crude->m_strName;
          bought->m_strDescription = stream->m_strDescription;
        }
        break;
      }
    }
  }
}

void CDbModel::ReadVpoolMap(CVornModelFile* modelFile, std::map<std::string, std::string>& map) {
  map.clear();
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "VPOOL", modelFile, table, false) || table.m_aRowTexts.empty()) return;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    const std::string& name = table.m_aRowNames[i];
    if (static_cast<std::size_t>(i) >= table.m_aRowTexts.size()) break;
    const std::string& text = table.m_aRowTexts[i];
    if (text.size() != 3 || text == name || map.count(name) || !FindModelStream(*this, text)) continue;
    map[name] = text;
  }
}

void CDbModel::BuildMaterialBalance(CDbPrimalNode* primalNode, CDbCase* dbCase, CDbObject* target,
                                    std::int32_t volumeBasis) {
  if (!primalNode || !dbCase || !target) return;
  CVornDbExportData* owner = m_pDbData;
  const CVornModelFile* main = fill::MainModel(owner);
  std::map<std::string, std::string> pools;
  if (main) ReadVpoolMap(owner->m_pModel.get(), pools);
  for (CDbPeriod* period : dbCase->m_paPeriods)
    if (period) period->m_nSobCount = period->m_nUobCount = 0;
  const bool skipDummyPeriod = main && fill::IsMultiPeriodModel(*main);
  const bool multiPeriodCase = dbCase->m_paPeriods.GetSize() > 1;
  const bool toDepot = target != this;
  CDbDepot* depot = dynamic_cast<CDbDepot*>(target);
  const std::string targetName = target->m_strName;

  bool headerDue = true;
  auto warn = [&](std::uint32_t single, std::uint32_t singleAt, std::uint32_t multi, std::uint32_t multiAt,
                  const std::string& tag, double slack, const CDbPeriod& period) {
    if (!owner) return;
    if (headerDue) {
      const std::string header = "  *** " + LoadTreskString(kTreskMaterialBalanceHeader) + ":";
      ReportWarningLine(*owner, header);
      headerDue = false;
    }
    std::vector<fill::CFormatArg> args{tag, std::fabs(slack)};
    std::uint32_t id = targetName.empty() ? single : singleAt;
    if (multiPeriodCase) {
      id = targetName.empty() ? multi : multiAt;
      args.emplace_back(period.m_strTag);
    }
    if (!targetName.empty()) args.emplace_back(targetName);
    const std::string line = fill::FormatTypedText(LoadTreskString(id), args, kWarningBuffer);
    CallReadCallback(*owner, line.c_str(), static_cast<int>(line.size()), 1);
  };
  auto divisorOf = [&](const CDbPeriod& period) {
    return (period.m_dDays != 0.0 && fill::FirstPeriodIndex(*dbCase) != 0) ? period.m_dDays : 1.0;
  };
  auto forEachPeriod = [&](auto fn) {
    for (const CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
      if (!primalPeriod || (skipDummyPeriod && primalPeriod->m_strName == ".")) continue;
      if (CDbPeriod* period = FindCasePeriod(*dbCase, primalPeriod->m_strName)) fn(*primalPeriod, *period);
    }
  };
  auto findRow = [](const CDbPrimalPeriod& period, const std::string& name) {
    const CDbPrimal probe(name);
    return period.m_paRows.Find(&probe);
  };

  for (const CDbStream* stream : m_paStreams) {
    if (!stream || stream->m_bDummyFlag) continue;
    const CDbAlternate alternateProbe(stream->m_strName);
    if (m_paAlternateStreams.Find(&alternateProbe)) continue;
    const CDbStream* balanced = stream;
    const auto pool = pools.find(stream->m_strName);
    if (pool != pools.end())
      if (const CDbStream* mapped = FindModelStream(*this, pool->second)) balanced = mapped;
    const bool byVolume = balanced->m_nVWBasis > 0;
    forEachPeriod([&](const CDbPrimalPeriod& primalPeriod, CDbPeriod& period) {
      const CDbPrimal* row = findRow(primalPeriod, (byVolume ? "VBAL" : "WBAL") + balanced->m_strName);
      if (!row && toDepot) row = findRow(primalPeriod, (byVolume ? "WBAL" : "VBAL") + balanced->m_strName);
      if (!row) return;
      auto balance = std::make_unique<CDbMaterialBalance>(stream->m_nID, target->m_nID, owner);
      balance->m_dActivity = row->m_dActivity;
      balance->m_dSlack = row->m_dSlack;
      balance->m_dMarginalValue = econ::PerDay(row->m_dMarginalValue, divisorOf(period));
      balance->m_nVWBasisID = byVolume ? 1 : 0;
      balance->m_bVWBasisConverted = row->m_nVWBasisConverted == 1 ? 1 : 0;
      if (std::fabs(row->m_dSlack) > kBalanceTolerance && balanced->m_strName != "LOS") {
        balance->m_nOutofBalanceFlag = 1;
        ++period.m_nSobCount;
        warn(kTreskStreamOff, kTreskStreamOffAt, kTreskStreamOffMultiPeriod, kTreskStreamOffMultiPeriodAt,
             // Streams of the table map carry no second tag: name them by their tag.
             balanced->m_strShortTag.empty() ? balanced->m_strName : balanced->m_strShortTag, row->m_dSlack, period);
      }
      period.m_paMaterialBalances.Add(std::move(balance));
      if (!toDepot) return;
      const CDbVTW vtwProbe(balanced->m_nID, m_nID);
      if (const CDbVTW* vtw = period.m_paVTWs.LinearFind(&vtwProbe)) {
        auto copy = std::make_unique<CDbVTW>(balanced->m_nID, target->m_nID, owner);
        copy->m_dValue = vtw->m_dValue;
        period.m_paVTWs.Add(std::move(copy));
        period.m_paVTWs.Sort(&CDbDataObject::CompareNodeAndId);
      }
      const CDbStream depotProbe(balanced->m_strName);
      if (depot && !depot->m_paStreams.LinearFind(&depotProbe)) {
        auto copy = std::make_unique<CDbStream>(balanced->m_nID, depot->m_pDbData);
        copy->Copy(*balanced);
        depot->m_paStreams.Add(std::move(copy));
        depot->m_paStreams.Sort(&CDbObject::CompareDbObjectName);
      }
    });
  }

  headerDue = true;
  for (const CDbDefinition* utility : m_paUtilities) {
    if (!utility) continue;
    const CDbAlternate alternateProbe(utility->m_strName);
    if (m_paAlternateUtilities.Find(&alternateProbe)) continue;
    forEachPeriod([&](const CDbPrimalPeriod& primalPeriod, CDbPeriod& period) {
      const CDbPrimal* row = findRow(primalPeriod, "UBAL" + utility->m_strName);
      if (!row) return;
      auto balance = std::make_unique<CDbMaterialBalance>(utility->m_nID, target->m_nID, owner);
      balance->m_dActivity = row->m_dActivity;
      balance->m_dSlack = row->m_dSlack;
      balance->m_dMarginalValue = econ::PerDay(row->m_dMarginalValue, divisorOf(period));
      balance->m_nVWBasisID = volumeBasis;
      balance->m_bVWBasisConverted = row->m_nVWBasisConverted == 1 ? 1 : 0;
      if (std::fabs(row->m_dSlack) > kBalanceTolerance) {
        balance->m_nOutofBalanceFlag = 1;
        ++period.m_nUobCount;
        warn(kTreskUtilityOff, kTreskUtilityOffAt, kTreskUtilityOffMultiPeriod, kTreskUtilityOffMultiPeriodAt,
             utility->m_strReportTag, row->m_dSlack, period);
      }
      period.m_paUtilityBalances.Add(std::move(balance));
    });
  }
}
