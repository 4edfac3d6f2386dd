// The global model of the two plants: its markets, modes, depot, transfers,
// global and plant supplies, demands and plant-spanning groups, and its own
// node's and the depot's part of a case's linear program.

#include <map>
#include <string>
#include <vector>

#include "solutionfill/core/testing/side_file_writers.h"
#include "tools/model_generator/generated_model.h"
#include "tools/model_generator/model_rules.h"

namespace model_gen {
namespace {

namespace r = model_rules;
using Cells = std::vector<std::pair<std::string, double>>;

constexpr int kPlants = 2;

std::string Plant(int plant) { return std::string(1, r::PlantCode(plant)); }

}  // namespace

void BuildGlobal(const GeneratorOptions& options, const r::CaseData& data, int periods, ModelContent& model,
                 CLpModel& lp) {
  const int crudes = options.crudes;
  const bool periodNames = periods > 1;
  PeriodBasis basis;
  basis.kind = periodNames ? PeriodBasis::Kind::kRates : PeriodBasis::Kind::kSingle;
  // The global model's own LP names: the base name and the period code.
  const auto own = [&](const std::string& base, int period) {
    return periodNames ? base + r::PeriodCode(period) : base;
  };
  // The depot's LP names: the base name, the period code and the depot's node name.
  const auto depot = [&](const std::string& base, int period) { return own(base, period) + "D"; };
  // A plant's LP names.
  const auto plantName = [&](int plant, const std::string& base, int period) {
    PlantScope scope;
    scope.code = Plant(plant);
    scope.periodNames = periodNames;
    return scope.Name(base, period);
  };
  // A column with its price per unit and its bounds, amounts a day.
  const auto flow = [&](const std::string& column, int p, double price, double hi) {
    lp.Cost(column, price * basis.Cost(p)).Bounds(column, 0.0, hi >= kLpInfinity ? hi : hi * basis.Bound(p));
  };

  auto& d = model.directory;
  const auto stream = [&d](const std::string& tag, std::int16_t bits, bool volume = true) {
    d.streams.push_back({tag, static_cast<float>(r::Vtw(tag == "BIO" ? "FAM" : tag)), bits,
                         static_cast<std::int16_t>(volume ? 1 : 0)});
  };
  for (int k = 0; k < crudes; ++k) stream(r::CrudeTag(k), 8 | 1);
  stream("BUT", 1);
  stream("BIO", 1);
  stream("PRM", 2);
  stream("DSL", 2);
  stream("RES", 2, false);
  stream("LPG", 2);
  for (int u = 0; u < options.extraUnits; ++u) {
    stream(r::ExtraFeedTag(u), 1);
    stream(r::ExtraProductTag(u), 2);
  }
  d.volumeBasis = 1;

  model.AddTable(CTableBuilder("MODELS", {"REPORT"}).Row("A", {{"REPORT", 1}}, "Plant A").Row("B", {{"REPORT", 1}}, "Plant B").Build());
  model.AddTable(CTableBuilder("MODES", {"X"}).Row("P", {}, "Pipeline").Row("R", {}, "Rail").Build());
  model.AddTable(CTableBuilder("MARKETS", {"X"}).Row("M", {}, "Main market").Row("N", {}, "North market").Build());
  model.AddTable(CTableBuilder("DEPOTS", {"X"}).Row("D", {}, "Coastal depot").Build());
  model.sheets.push_back({"DEPOTS", "depots.xls", {{"ROWNAMES", "TEXT"}, {"D", "Coastal depot"}}});
  // The plants call their FAME "FAM", the global model "BIO". Diesel is "DSL" everywhere: the network sells both
  // plants' diesel to its markets under that tag.
  model.AddTable(CTableBuilder("LOCTAGS", {"X"}).Row("FAMA", {}, "BIO").Row("FAMB", {}, "BIO").Build());
  if (options.nimbo) {
    // The network's own specifications of the plants' blends: row kind, quality, plant; columns by blend.
    model.AddTable(CTableBuilder("BLNSPEC", {"PRM", "DSL"})
                       .Row("XSPGA", {{"PRM", r::kNetworkPremiumMaxSpg}}, "Gravity of A's premium")
                       .Row("XSPGB", {{"DSL", r::kNetworkDieselMaxSpg}}, "Gravity of B's diesel")
                       .Build());
  }

  CTableBuilder gsupply("GSUPPLY", {"VOL", "WGT"});
  for (int k = 0; k < crudes; ++k) gsupply.Row(r::CrudeTag(k), {{"VOL", 1}}, "Crude " + r::CrudeTag(k));
  gsupply.Row("BUT", {{"VOL", 1}}, "Butane");
  gsupply.Row("BIO", {{"WGT", 1}}, "Biodiesel");
  for (int u = 0; u < options.extraUnits; ++u) gsupply.Row(r::ExtraFeedTag(u), {{"VOL", 1}}, "Extra feed");
  gsupply.Row("CRU", {}, "Crude slate of the network");
  model.AddTable(gsupply.Build());
  CTableBuilder supply("SUPPLY", {"VOL", "WGT", "IPRICE"});
  for (int plant = 0; plant < kPlants; ++plant) {
    for (int k = 0; k < crudes; ++k) supply.Row(r::CrudeTag(k) + Plant(plant), {{"VOL", 1}}, "Crude to plant " + Plant(plant));
    supply.Row("BUT" + Plant(plant), plant == 0 ? Cells{{"VOL", 1}, {"IPRICE", r::kInternalButanePrice}} : Cells{{"VOL", 1}},
               "Butane to plant " + Plant(plant));
    supply.Row("FAM" + Plant(plant), {{"WGT", 1}}, "FAME to plant " + Plant(plant));
    for (int u = 0; u < options.extraUnits; ++u)
      supply.Row(r::ExtraFeedTag(u) + Plant(plant), {{"VOL", 1}}, "Extra feed to plant " + Plant(plant));
    supply.Row("CRU" + Plant(plant), {}, "Crude slate of plant " + Plant(plant));
  }
  model.AddTable(supply.Build());

  // The premium's price: VPRICE, and VPRICE with the period's name for each period of its own.
  std::vector<std::string> demandColumns = {"VOL", "WGT", "ICOST", "VPRICE", "MIN", "MAX"};
  Cells premium = {{"VOL", 1}, {"VPRICE", r::ProductPrice("PRM", 0)}};
  for (int p = 0; periodNames && p < periods; ++p) {
    demandColumns.push_back("VPRICE" + std::string(1, r::PeriodCode(p)));
    premium.emplace_back(demandColumns.back(), r::ProductPrice("PRM", p));
  }
  CTableBuilder demand("DEMAND", demandColumns);
  demand.Row("PRMM", premium, "Premium, main market")
      .Row("DSLM", {{"VOL", 1}}, "Diesel, main market")
      .Row("RESM", {{"WGT", 1}}, "Residue, main market")
      .Row("LPGM", {{"VOL", 1}}, "LPG, main market");
  for (int u = 0; u < options.extraUnits; ++u) demand.Row(r::ExtraProductTag(u) + "M", {{"VOL", 1}}, "Extra product");
  model.AddTable(demand.Row("FUE", {{"MIN", 0}, {"MAX", r::kNetworkFuelSalesMax}}, "Fuels").Build());
  model.AddTable(CTableBuilder("DEMALLOC", {"COST", "MIN", "MAX"})
                     .Row("PRMMA", {{"COST", r::PremiumAllocation(0)}})
                     .Row("PRMMB", {{"COST", r::PremiumAllocation(1)}})
                     .Row("GAS", {{"MIN", 0}, {"MAX", 500}})
                     .Build());
  model.AddTable(CTableBuilder("MARKTGRP", {"PRMM", "DSLM"}).Row("MKG", {{"PRMM", 1}, {"DSLM", 1}}, "Main market fuels").Build());
  model.AddTable(CTableBuilder("PLANTGRP", {"PRMA", "PRMB"}).Row("PLG", {{"PRMA", 1}, {"PRMB", 1}}, "Premium of both plants").Build());
  std::vector<std::string> groupColumns = {"GROUP", "PRM", "DSL", "RES"};
  Cells crudeMembers = {{"GROUP", 3}};
  for (int k = 0; k < crudes; ++k) {
    groupColumns.push_back(r::CrudeTag(k));
    crudeMembers.emplace_back(r::CrudeTag(k), 1);
  }
  model.AddTable(CTableBuilder("GROUPS", groupColumns)
                     .Row("FUE", {{"GROUP", 1}, {"DSL", 1}, {"RES", 1}}, "Fuels")
                     .Row("GAS", {{"GROUP", 2}, {"PRM", 1}}, "Gasolines")
                     .Row("CRU", crudeMembers, "Crude slate")
                     .Build());
  model.AddTable(CTableBuilder("WSPECS", {"X"}).Row("SUL", {{"X", 1}}, "Sulfur, weight").Build());
  // Blend mixes spanning the plants, one of them over the periods too, with a group specification.
  model.AddTable(CTableBuilder("GBLNMIX", {"PRS", "PRP"})
                     .Row("PRMA", {{"PRS", 1}, {"PRP", 1}})
                     .Row("PRMB", {{"PRS", 1}, {"PRP", 1}})
                     .Build());
  CTableBuilder gblnper("GBLNPER", {"1", "2", "3"});
  model.AddTable(gblnper.Row("PRP", {{"1", 1}, {"2", 1}, {"3", 1}}).Build());
  model.AddTable(CTableBuilder("GBLNSPEC", {"PRS"}).Row("NRON", {{"PRS", r::kPremiumMinRon}}, "Octane of both plants").Build());
  model.AddTable(CTableBuilder("TRANSFER", {"VOL", "WGT"})
                     .Row("RESADP", {{"WGT", 1}}, "Residue to the depot")
                     .Row("LPGABR", {{"VOL", 1}}, "LPG from plant A to plant B")
                     .Build());
  const r::Tank& tank = r::kDepotTank;
  model.AddTable(CTableBuilder("DINV", {"OPEN", "MIN", "MAX", "TARG", "HCOST", "VOL", "WGT"})
                     .Row("RESD", {{"OPEN", tank.open}, {"MIN", tank.min}, {"MAX", tank.max}, {"TARG", tank.target},
                                   {"HCOST", tank.holding}, {"WGT", 1}},
                          "Depot residue tank")
                     .Build());
  // The plants' process limits overridden for the whole network, and KPIs per plant (suffixed) and of the network.
  model.AddTable(CTableBuilder("PROCLIM", {"MIN", "MAX"}).Row("ZSEVA", {{"MIN", 90}, {"MAX", r::kNetworkSeverityMax}}, "Severity at A").Build());
  model.AddTable(CTableBuilder("SOLNKPIS", {"YELLOW", "RED"})
                     .Row("PURCANSA", {{"YELLOW", 90}, {"RED", 100}}, "ANS bought at A")
                     .Row("TLPGABR", {{"YELLOW", 5}, {"RED", 10}}, "LPG sent to B")
                     .Build());
  model.AddTable(CTableBuilder("BOUNDS", {"FREE"}).Row("PURCANSA", {}, "ANS bought at A").Build());
  if (periodNames) {
    CTableBuilder table("PERIODS", {"LEN", "PVF", "RECURSE"});
    for (int p = 0; p < periods; ++p)
      table.Row(std::string(1, r::PeriodCode(p)), {{"LEN", r::PeriodDays(p)}, {"PVF", 1.0}, {"RECURSE", 1}},
                r::PeriodTitle(p));
    model.AddTable(table.Build());
  }

  // The transfer data: plant B's LPG takes its gravity from plant A's LPG.
  side_file_testing::Bytes transfers(false);
  transfers.Int(1).Field("QSPGLPGA", 8, ' ').Field("EWBLLPGB", 8, ' ').Field("BLPGPRMB", 8, ' ').Float(
      static_cast<float>(r::Spg("LPG")));
  model.files["TRANS.DAT"] = transfers.m_bytes;

  for (int p = 0; p < periods; ++p) {
    // The network buys what the plants take: the price and the market's limits are its own.
    const auto global = [&](const std::string& tag, const std::string& plantTag, double price, double available,
                            double balanceScale) {
      flow(own("PURC" + tag, p), p, -price, available);
      lp.Coefficient(own("VBAL" + tag, p), own("PURC" + tag, p), basis.Row(p));
      for (int plant = 0; plant < kPlants; ++plant)
        lp.Coefficient(own("VBAL" + tag, p), plantName(plant, "PURC" + plantTag, p), -basis.Row(p) * balanceScale);
      lp.RowBounds(own("VBAL" + tag, p), 0.0, 0.0);
    };
    for (int k = 0; k < crudes; ++k) {
      const std::string tag = r::CrudeTag(k);
      double available = 0.0;
      for (int plant = 0; plant < kPlants; ++plant) available += r::CrudeAvailability(plant, k);
      global(tag, tag, r::CrudePrice(k, p) + data.crudePriceChange[static_cast<std::size_t>(k)], available, 1.0);
    }
    global("BUT", "BUT", r::ButanePrice(p), kLpInfinity, 1.0);
    global("BIO", "FAM", r::FamePrice(p), kLpInfinity, 1.0);
    for (int u = 0; u < options.extraUnits; ++u) {
      double available = 0.0;
      for (int plant = 0; plant < kPlants; ++plant) available += r::ExtraFeedAvailability(plant, u, p);
      global(r::ExtraFeedTag(u), r::ExtraFeedTag(u), r::ExtraFeedPrice(p), available, 1.0);
    }
    // Transfers: residue by pipeline from plant A to the depot, LPG by rail from plant A to plant B.
    flow(own("TRESADP", p), p, -r::kTransferCost, kLpInfinity);
    lp.Coefficient(plantName(0, "WBALRES", p), own("TRESADP", p), -basis.Row(p));
    lp.Coefficient(depot("WBALRES", p), own("TRESADP", p), basis.Row(p));
    flow(own("TLPGABR", p), p, -r::kTransferCost, kLpInfinity);
    lp.Coefficient(plantName(0, "VBALLPG", p), own("TLPGABR", p), -basis.Row(p));
    lp.Coefficient(plantName(1, "VBALLPG", p), own("TLPGABR", p), basis.Row(p));
    // The network's fuels group takes the plants' diesel and residue and the depot's residue.
    for (int plant = 0; plant < kPlants; ++plant)
      for (const char* sale : {"SELDSLM", "SELRESM"}) lp.Coefficient(own("ASELFUE", p), plantName(plant, sale, p), 1.0);
    lp.Coefficient(own("ASELFUE", p), depot("SELRESM", p), 1.0);
    lp.Coefficient(own("ASELFUE", p), own("ASELFUE", p), -1.0);
    lp.RowBounds(own("ASELFUE", p), 0.0, 0.0);
    flow(own("ASELFUE", p), p, 0.0, r::kNetworkFuelSalesMax);
    // Crude supply groups: the network's in the node ".", each plant's in its own node.
    const std::string period = periodNames ? std::string(1, r::PeriodCode(p)) : std::string();
    const std::string network = "ASUPCRU." + period;
    for (int k = 0; k < crudes; ++k) lp.Coefficient(network, own("PURC" + r::CrudeTag(k), p), 1.0);
    lp.Coefficient(network, network, -1.0);
    lp.RowBounds(network, 0.0, 0.0);
    flow(network, p, 0.0, r::kNetworkCrudeMax);
    for (int plant = 0; plant < kPlants; ++plant) {
      const std::string group = "ASUPCRU" + Plant(plant) + period;
      for (int k = 0; k < crudes; ++k) lp.Coefficient(group, plantName(plant, "PURC" + r::CrudeTag(k), p), 1.0);
      lp.Coefficient(group, group, -1.0);
      lp.RowBounds(group, 0.0, 0.0);
      flow(group, p, 0.0, r::kPlantCrudeMax);
    }
    // The premium of both plants together meets the octane minimum.
    for (int plant = 0; plant < kPlants; ++plant)
      for (const char* tag : {"RFT", "NAP", "BUT"})
        lp.Coefficient(own("NRONPRS", p), plantName(plant, std::string("B") + tag + "PRM", p),
                       r::Ron(tag) - r::kPremiumMinRon);
    lp.RowBounds(own("NRONPRS", p), 0.0, kLpInfinity);
    if (options.nimbo) {
      // The network's gravity maxima of A's premium and B's diesel.
      for (const char* tag : {"RFT", "NAP", "BUT"})
        lp.Coefficient(own("XSPGPRM", p) + "A", plantName(0, std::string("B") + tag + "PRM", p),
                       r::Spg(tag) - r::kNetworkPremiumMaxSpg);
      lp.RowBounds(own("XSPGPRM", p) + "A", -kLpInfinity, 0.0);
      lp.Coefficient(own("XSPGDSL", p) + "B", plantName(1, "FBLNDSL", p), r::DieselSpg() - r::kNetworkDieselMaxSpg);
      lp.RowBounds(own("XSPGDSL", p) + "B", -kLpInfinity, 0.0);
    }
    // The depot sells the residue it takes, at the coast's premium; its tank closes at its target plus its excess
    // less its deficit.
    flow(depot("SELRESM", p), p, r::ProductPrice("RES", p) + r::kDepotResiduePremium, r::kDepotResidueMax);
    lp.Coefficient(depot("WBALRES", p), depot("SELRESM", p), -basis.Row(p));
    const double days = basis.Days(p);
    // The closing stock is held in this period and, as the next one's opening stock, in the next.
    std::map<int, double> excessCost, deficitCost;
    for (int held = p; held <= p + 1 && held < periods; ++held) {
      excessCost[held] = -0.5 * tank.holding;
      deficitCost[held] = 0.5 * tank.holding;
    }
    deficitCost[p] -= tank.penalty;
    lp.Bounds(depot("IEXCRES", p), 0.0, tank.max - tank.target).CostShares(depot("IEXCRES", p), excessCost);
    lp.Bounds(depot("IDEFRES", p), 0.0, tank.target - tank.min).CostShares(depot("IDEFRES", p), deficitCost);
    lp.Coefficient(depot("WBALRES", p), depot("IEXCRES", p), -1.0 / days);
    lp.Coefficient(depot("WBALRES", p), depot("IDEFRES", p), 1.0 / days);
    if (p + 1 < periods) {
      lp.Coefficient(depot("WBALRES", p + 1), depot("IEXCRES", p), 1.0 / basis.Days(p + 1));
      lp.Coefficient(depot("WBALRES", p + 1), depot("IDEFRES", p), -1.0 / basis.Days(p + 1));
    }
    const double draw = p == 0 ? (tank.target - tank.open) / days : 0.0;
    lp.RowBounds(depot("WBALRES", p), draw, draw);
    lp.AddObjectiveConstant(-0.5 * tank.holding * ((p == 0 ? tank.open : tank.target) + tank.target), p);
  }
}

}  // namespace model_gen
