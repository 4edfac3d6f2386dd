// The global model of the two plants: its markets, modes, depot, transfers,
// global and plant supplies, demands and plant-spanning groups, and the LP
// records of its own node and of the depot's node.

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

void BuildGlobal(const GeneratorOptions& options, int periods, ModelContent& model, CLpBuilder& lp) {
  const int crudes = options.crudes;
  const bool periodNames = periods > 1;
  // The global model's own LP names: the base name and the period code.
  const auto own = [&](const std::string& base, int period) {
    return periodNames ? base + r::PeriodCode(period) : base;
  };
  // The depot's LP names: the base name, the period code and the depot's node name.
  const auto depot = [&](const std::string& base, int period) { return own(base, period) + "D"; };
  const auto money = [&](double perDay, int period) { return r::PerPeriod(perDay, period, periodNames); };

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
  // The plants call their FAME "FAM", the global model "BIO"; plant B's diesel is "DIE" in the network.
  model.AddTable(
      CTableBuilder("LOCTAGS", {"X"}).Row("FAMA", {}, "BIO").Row("FAMB", {}, "BIO").Row("DSLB", {}, "DIE").Build());
  if (options.nimbo) {
    // The network's own specifications of the plants' blends: row kind, quality, plant; columns by blend or by its
    // network tag.
    model.AddTable(CTableBuilder("BLNSPEC", {"PRM", "DIE"})
                       .Row("XSPGA", {{"PRM", r::kNetworkPremiumMaxSpg}}, "Gravity of A's premium")
                       .Row("XSPGB", {{"DIE", r::kNetworkDieselMaxSpg}}, "Gravity of B's diesel")
                       .Build());
    // Their slacks: the blends' own gravities less the maxima, per unit of blend.
    for (int p = 0; p < periods; ++p) {
      const double premium = r::PremiumVolume(0, crudes, p), diesel = r::DieselVolume(1, crudes, p);
      LpRecord& a = lp.Row(own("XSPGPRM", p) + "A");
      a.activity = r::PremiumSpg(0, crudes, p) * premium;
      a.slack = (r::PremiumSpg(0, crudes, p) - r::kNetworkPremiumMaxSpg) * premium;
      LpRecord& b = lp.Row(own("XSPGDIE", p) + "B");
      b.activity = r::DieselSpg() * diesel;
      b.slack = (r::DieselSpg() - r::kNetworkDieselMaxSpg) * diesel;
    }
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

  CTableBuilder demand("DEMAND", {"VOL", "WGT", "ICOST", "VPRICE", "MIN", "MAX"});
  demand.Row("PRMM", {{"VOL", 1}, {"VPRICE", r::ProductPrice("PRM", 0)}}, "Premium, main market")
      .Row("DSLM", {{"VOL", 1}}, "Diesel, main market")
      .Row("RESM", {{"WGT", 1}}, "Residue, main market")
      .Row("LPGM", {{"VOL", 1}}, "LPG, main market");
  for (int u = 0; u < options.extraUnits; ++u) demand.Row(r::ExtraProductTag(u) + "M", {{"VOL", 1}}, "Extra product");
  model.AddTable(demand.Row("FUE", {{"MIN", 0}, {"MAX", 900}}, "Fuels").Build());
  model.AddTable(CTableBuilder("DEMALLOC", {"COST", "MIN", "MAX"})
                     .Row("PRMMA", {{"COST", 0.5}})
                     .Row("PRMMB", {{"COST", 0.7}})
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
  model.AddTable(CTableBuilder("DINV", {"OPEN", "MIN", "MAX", "TARG", "HCOST", "VOL", "WGT"})
                     .Row("RESD", {{"OPEN", 10}, {"MIN", 0}, {"MAX", 50}, {"TARG", 10}, {"HCOST", 0.05}, {"WGT", 1}},
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
                "Month " + std::to_string(p + 1));
    model.AddTable(table.Build());
  }

  // The transfer data: plant B's LPG takes its gravity from plant A's LPG.
  side_file_testing::Bytes transfers(false);
  transfers.Int(1).Field("QSPGLPGA", 8, ' ').Field("EWBLLPGB", 8, ' ').Field("BLPGPRMB", 8, ' ').Float(
      static_cast<float>(r::Spg("LPG")));
  model.files["TRANS.DAT"] = transfers.m_bytes;

  for (int p = 0; p < periods; ++p) {
    for (int k = 0; k < crudes; ++k) {
      double run = 0.0;
      for (int plant = 0; plant < kPlants; ++plant) run += r::CrudeRun(plant, k, crudes, p);
      lp.Column(own("PURC" + r::CrudeTag(k), p), run, -money(r::CrudePrice(k, p), p));
    }
    lp.Column(own("PURCBUT", p), r::ButaneBought(0, p) + r::ButaneBought(1, p), -money(r::ButanePrice(p), p));
    lp.Column(own("PURCBIO", p), r::FameBought(0, crudes, p) + r::FameBought(1, crudes, p), -money(r::FamePrice(p), p));
    for (int u = 0; u < options.extraUnits; ++u)
      lp.Column(own("PURC" + r::ExtraFeedTag(u), p), r::ExtraFeed(0, u, p) + r::ExtraFeed(1, u, p),
                -money(r::ExtraFeedPrice(p), p));
    lp.Column(own("TRESADP", p), r::ResidueToDepot(crudes, p), -money(r::kTransferCost, p));
    lp.Column(own("TLPGABR", p), r::LpgToPlantB(crudes, p), -money(r::kTransferCost, p));
    lp.Column(own("ASELFUE", p)).hi = 900.0;
    // Group supplies: the network's in the node ".", each plant's in its own node.
    const std::string period = periodNames ? std::string(1, r::PeriodCode(p)) : std::string();
    lp.Column("ASUPCRU." + period).hi = 400.0;
    for (int plant = 0; plant < kPlants; ++plant) lp.Column("ASUPCRU" + Plant(plant) + period).hi = 200.0;
    double premium = 0.0, ron = 0.0;
    for (int plant = 0; plant < kPlants; ++plant) {
      premium += r::PremiumVolume(plant, crudes, p);
      ron += r::PremiumRon(plant, crudes, p) * r::PremiumVolume(plant, crudes, p);
    }
    LpRecord& spec = lp.Row(own("NRONPRS", p));
    spec.activity = ron;
    spec.slack = ron - r::kPremiumMinRon * premium;
    spec.marginal = -0.5;
    lp.Balance(depot("VBALRES", p), -r::StreamValue("RES", p));
    lp.Column(depot("SELRESM", p), r::ResidueToDepot(crudes, p), money(r::ProductPrice("RES", p), p));
    lp.Column(depot("IDEFRES", p), 0.0, 0.0);
    lp.Column(depot("IEXCRES", p), p == 2 ? 1.0 : 0.0, 0.0);
  }
}

}  // namespace model_gen
