// One plant of the generated model: its model tables, matrix directory and
// side files, and its part of a case's linear program, all from
// model_rules.h. Balance rows hold what comes into a stream less what goes
// out of it, so that a stream's marginal value is minus its value.

#include <algorithm>
#include <cstdio>
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

// Property bits of a stream.
constexpr std::int16_t kPurchased = 1, kSold = 2, kBlended = 4, kCrude = 8, kSubmodel = 16, kInventoried = 32;

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

class CPlantBuilder {
 public:
  CPlantBuilder(const GeneratorOptions& options, const r::CaseData& data, const PlantScope& scope, ModelContent& model,
                CLpModel& lp)
      : m_options(options), m_data(data), m_scope(scope), m_model(model), m_lp(lp), m_crudes(options.crudes) {}

  void Build() {
    Directory();
    Trade();
    Blending();
    Units();
    Capacities();
    Utilities();
    Groups();
    Qualities();
    Reporting();
    if (m_scope.periodNames) Inventories();
    SideFiles();
  }

 private:
  std::string N(const std::string& base, int period) const { return m_scope.Name(base, period); }
  int Periods() const { return m_scope.periods; }

  // A column of the period with its price per unit (negative: a cost) and its bounds, amounts a day.
  void Flow(const std::string& base, int p, double price, double hi = kLpInfinity, double lo = 0.0) {
    const PeriodBasis& b = m_scope.basis;
    m_lp.Cost(N(base, p), price * b.Cost(p)).Bounds(N(base, p), lo * b.Bound(p), hi >= kLpInfinity ? hi : hi * b.Bound(p));
  }
  // A flow's coefficient in a balance or capacity row of the period.
  void Balance(const std::string& row, const std::string& column, int p, double value) {
    m_lp.Coefficient(N(row, p), N(column, p), value * m_scope.basis.Row(p));
  }
  // A coefficient of a row whose terms are all flows of the period (a specification, a definition).
  void Term(const std::string& row, const std::string& column, int p, double value) {
    m_lp.Coefficient(N(row, p), N(column, p), value);
  }
  // A unit's use of the utilities, and its operating cost.
  void Operate(const std::string& unit, const std::string& column, int p) {
    for (const char* utility : {"FUL", "POW", "STM"})
      if (r::UtilityUse(unit, utility) != 0.0) Balance(std::string("UBAL") + utility, column, p, -r::UtilityUse(unit, utility));
    m_lp.Cost(N(column, p), -r::OperatingCost(unit) * m_scope.basis.Cost(p));
  }

  std::vector<std::string> PeriodColumns() const {
    std::vector<std::string> codes;
    for (int p = 0; p < Periods(); ++p) codes.emplace_back(1, r::PeriodCode(p));
    return codes;
  }

  std::vector<std::string> CrudeTags() const {
    std::vector<std::string> tags;
    for (int k = 0; k < m_crudes; ++k) tags.push_back(r::CrudeTag(k));
    return tags;
  }

  // ---- The matrix directory of "tables.map"
  void Directory() {
    auto& d = m_model.directory;
    const auto stream = [&d](const std::string& tag, std::int16_t bits, bool volume = true) {
      d.streams.push_back({tag, static_cast<float>(r::Vtw(tag)), bits, static_cast<std::int16_t>(volume ? 1 : 0)});
    };
    for (const std::string& tag : CrudeTags()) stream(tag, kCrude | kPurchased);
    stream("BRX", kCrude);
    stream("CMX", kCrude);
    stream("LPG", kSold | kSubmodel);
    stream("NAP", kSubmodel | kBlended);
    stream("NPX", 0);
    stream("DST", kSubmodel);
    stream("RES", kSold | kSubmodel, false);
    stream("RFT", kSubmodel | kBlended);
    stream("DHT", kSubmodel | kBlended);
    stream("LOS", kSubmodel);
    stream("BUT", kPurchased | kBlended);
    stream("FAM", kPurchased | kBlended);
    stream("PRM", kSold | kBlended | (m_scope.periodNames ? kInventoried : 0));
    stream("DSL", kSold | kBlended | (m_scope.periodNames ? kInventoried : 0));
    for (int u = 0; u < m_options.extraUnits; ++u) {
      stream(r::ExtraFeedTag(u), kPurchased | kSubmodel);
      stream(r::ExtraProductTag(u), kSold | kSubmodel);
    }
    for (const char* utility : r::kUtilities) d.utilities.push_back(utility);
    d.alternateStreams = {{"NPX", "NAP"}, {"BRX", "BRT"}};
    // The second power supplier stands in for power: it has no balance row of its own.
    d.alternateUtilities = {{"PWX", "POW"}};
    d.submodels = {"SCDU", "SRFM", "SHDT"};
    for (int u = 0; u < m_options.extraUnits; ++u) d.submodels.push_back(r::ExtraUnitName(u));
    d.volumeBasis = 1;
    d.recursionExpected = 1;
  }

  // ---- Purchases and sales
  void Trade() {
    // COST and PRICE are the plant's local costs and prices in a global case.
    CTableBuilder buy("BUY", {"VOL", "WGT", "IPRICE", "GROUP", "COST"});
    for (int k = 0; k < m_crudes; ++k)
      buy.Row(r::CrudeTag(k), {{"VOL", 1}, {"GROUP", 1}, {"COST", r::CrudePrice(k, 0) + r::CrudeFreight(P)}},
              "Crude " + r::CrudeTag(k));
    buy.Row("BUT", {{"VOL", 1}, {"IPRICE", r::kInternalButanePrice}}, "Butane");
    buy.Row("FAM", {{"WGT", 1}}, "Fatty acid methyl ester");
    for (int u = 0; u < m_options.extraUnits; ++u) buy.Row(r::ExtraFeedTag(u), {{"VOL", 1}}, "Feed of " + r::ExtraUnitName(u));
    buy.Row("CRU", {}, "Crude slate");
    m_model.AddTable(buy.Build());

    // The premium's price: VPRICE, and VPRICE with the period's name for each period of its own.
    std::vector<std::string> sellColumns = {"VOL", "WGT", "MIN", "MAX", "ICOST", "GROUP", "PRICE", "VPRICE"};
    Cells premium = {{"VOL", 1}, {"GROUP", 2}, {"PRICE", r::ProductPrice("PRM", 0)}, {"VPRICE", r::ProductPrice("PRM", 0)}};
    for (int p = 0; m_scope.periodNames && p < Periods(); ++p) {
      sellColumns.push_back("VPRICE" + std::string(1, r::PeriodCode(p)));
      premium.emplace_back(sellColumns.back(), r::ProductPrice("PRM", p));
    }
    CTableBuilder sell("SELL", sellColumns);
    sell.Row("PRM", premium, "Premium gasoline");
    sell.Row("DSL", {{"VOL", 1}, {"GROUP", 3}}, "Diesel");
    sell.Row("RES", {{"WGT", 1}, {"GROUP", 3}}, "Residue");
    sell.Row("LPG", {{"VOL", 1}, {"ICOST", 0.5}}, "Liquefied petroleum gas");
    for (int u = 0; u < m_options.extraUnits; ++u) sell.Row(r::ExtraProductTag(u), {{"VOL", 1}}, "Product of " + r::ExtraUnitName(u));
    sell.Row("FUE", {{"MIN", 0}, {"MAX", r::kFuelSalesMax}}, "Fuels");
    m_model.AddTable(sell.Build());

    const bool global = m_scope.inGlobal();
    for (int p = 0; p < Periods(); ++p) {
      // In a global case the plant's purchase carries the freight and the global purchase the price and the
      // market's limit.
      const auto bought = [&](const std::string& tag, double price, double available) {
        Flow("PURC" + tag, p, global ? -r::CrudeFreight(P) : -price, global ? kLpInfinity : available);
      };
      for (int k = 0; k < m_crudes; ++k) {
        const std::string tag = r::CrudeTag(k);
        bought(tag, r::CrudePrice(k, p) + m_data.crudePriceChange[static_cast<std::size_t>(k)],
               r::CrudeAvailability(P, k));
        Balance("VBAL" + tag, "PURC" + tag, p, 1.0);
        Term("ABUYCRU", "PURC" + tag, p, 1.0);
      }
      Term("ABUYCRU", "ABUYCRU", p, -1.0);
      m_lp.RowBounds(N("ABUYCRU", p), 0.0, 0.0);
      Flow("ABUYCRU", p, 0.0, r::CduCapacity(P));
      bought("BUT", r::ButanePrice(p), kLpInfinity);
      m_lp.Bounds(N("PURCBUT", p), 0.0, r::ButaneAvailability(P) * m_scope.basis.Bound(p));
      Balance("VBALBUT", "PURCBUT", p, 1.0);
      // FAME is bought by weight into a balance by volume.
      bought("FAM", r::FamePrice(p), kLpInfinity);
      Balance("VBALFAM", "PURCFAM", p, 1.0 / r::Vtw("FAM"));
      for (int u = 0; u < m_options.extraUnits; ++u) {
        const std::string tag = r::ExtraFeedTag(u);
        bought(tag, r::ExtraFeedPrice(p), r::ExtraFeedAvailability(P, u, p));
        Balance("VBAL" + tag, "PURC" + tag, p, 1.0);
      }
      // Plant A's butane comes at the network's internal price, a charge within the network.
      if (global && P == 0) {
        Term("IPRCBUT", "IPRCBUT", p, 1.0);
        Term("IPRCBUT", "PURCBUT", p, -1.0);
        m_lp.RowBounds(N("IPRCBUT", p), 0.0, 0.0);
      }

      // A plant of a global case sells to the global model's market M, premium less its allocation cost.
      const auto sale = [&](const std::string& tag, double price, double hi = kLpInfinity, double lo = 0.0) {
        const std::string column = global ? "SEL" + tag + "M" : "SELL" + tag;
        Flow(column, p, price, hi, lo);
        Balance((tag == "RES" ? "WBAL" : "VBAL") + tag, column, p, -1.0);
        return column;
      };
      sale("PRM", r::ProductPrice("PRM", p) - (global ? r::PremiumAllocation(P) : 0.0), kLpInfinity,
           r::PremiumContract(P));
      const std::string diesel = sale("DSL", r::ProductPrice("DSL", p), r::DieselDemand(P) * m_data.dieselDemandFactor);
      const std::string residue = sale("RES", r::ProductPrice("RES", p));
      // Plant A of a global case loads only so much LPG; the rest goes by rail to plant B.
      sale("LPG", r::ProductPrice("LPG", p), global && P == 0 ? r::kLpgLoadingMax : kLpInfinity);
      for (int u = 0; u < m_options.extraUnits; ++u) sale(r::ExtraProductTag(u), r::ProductPrice(r::ExtraProductTag(u), p));
      Term("ASELFUE", diesel, p, 1.0);
      Term("ASELFUE", residue, p, 1.0);
      Term("ASELFUE", "ASELFUE", p, -1.0);
      m_lp.RowBounds(N("ASELFUE", p), 0.0, 0.0);
      Flow("ASELFUE", p, 0.0, r::kFuelSalesMax);
    }
  }

  // ---- Blends: PRM by specification, DSL by formula
  void Blending() {
    m_model.AddTable(CTableBuilder("BLENDS", {"SPEC"}).Row("PRM", {{"SPEC", 1}}, "Premium gasoline")
                         .Row("DSL", {}, "Diesel").Build());
    m_model.AddTable(CTableBuilder("BLNMIX", {"PRM", "DSL"})
                         .Row("RFT", {{"PRM", 1}}, "Reformate")
                         .Row("NAP", {{"PRM", 1}}, "Naphtha")
                         .Row("BUT", {{"PRM", 1}}, "Butane")
                         .Row("DHT", {{"DSL", 1 - r::FameFraction()}}, "Hydrotreated distillate")
                         .Row("FAM", {{"DSL", r::FameFraction()}}, "FAME")
                         .Build());
    m_model.AddTable(CTableBuilder("BLNSPEC", {"PRM", "DSL"})
                         .Row("NRON", {{"PRM", r::kPremiumMinRon}}, "Research octane")
                         .Row("XSUL", {{"DSL", r::kDieselMaxSulfur}}, "Sulfur")
                         .Row("PSPG", {{"PRM", 1}, {"DSL", 1}}, "Specific gravity")
                         .Row("XRVP", {{"PRM", r::kPremiumMaxRvp}}, "Vapour pressure")
                         .Row("TYPE", {{"PRM", 1}})
                         .Build());
    m_model.AddTable(CTableBuilder("BLNTARG", {"PRM"}).Row("RFT", {{"PRM", r::kReformateTarget}}).Build());
    m_model.AddTable(CTableBuilder("BLNCAP", {"PRM", "COST"})
                         .Row("GBL", {{"PRM", 1}, {"COST", r::kBlenderCost}}, "Gasoline blender")
                         .Row("RFT", {}, "Reformate pump")
                         .Build());

    const double minRon = r::PremiumMinRon(m_options.nimbo);
    const double dieselWeight = (1 - r::FameFraction()) * r::Vtw("DHT"), fameWeight = r::FameFraction() * r::Vtw("FAM");
    for (int p = 0; p < Periods(); ++p) {
      for (const char* tag : {"RFT", "NAP", "BUT"}) {
        const std::string column = std::string("B") + tag + "PRM";
        Flow(column, p, -r::kBlenderCost);
        Balance(std::string("VBAL") + tag, column, p, -1.0);
        Balance("VBALPRM", column, p, 1.0);
        Balance("BCAPGBL", column, p, 1.0);
        Term("NRONPRM", column, p, r::Ron(tag) - minRon);
        Term("XRVPPRM", column, p, r::Rvp(tag) - r::kPremiumMaxRvp);
        Balance("TRFTPRM", column, p, (tag == std::string("RFT") ? 1.0 : 0.0) - r::kReformateTarget);
      }
      Balance("BCAPRFT", "BRFTPRM", p, 1.0);
      m_lp.RowBounds(N("BCAPRFT", p), 0.0, kLpInfinity);
      m_lp.RowBounds(N("BCAPGBL", p), 0.0, r::kBlenderCapacity);
      // The specifications, each with its penalised slack ("penalty.dat"), and the reformate target.
      Term("NRONPRM", "URONPRM", p, 1.0);
      m_lp.RowBounds(N("NRONPRM", p), 0.0, kLpInfinity);
      m_lp.RowBounds(N("XRVPPRM", p), -kLpInfinity, 0.0);
      // A day's reformate short of the target costs its penalty every day of the period.
      Term("TRFTPRM", "DPRMTGT", p, 1.0);
      m_lp.RowBounds(N("TRFTPRM", p), 0.0, kLpInfinity);
      m_lp.Cost(N("DPRMTGT", p), -r::kTargetPenalty * m_scope.basis.Days(p));
      // Diesel by formula: its sulfur, by weight, is that of its recipe.
      Flow("FBLNDSL", p, 0.0);
      Balance("VBALDHT", "FBLNDSL", p, -(1 - r::FameFraction()));
      Balance("VBALFAM", "FBLNDSL", p, -r::FameFraction());
      Balance("VBALDSL", "FBLNDSL", p, 1.0);
      Term("XSULDSL", "FBLNDSL", p,
           dieselWeight * (r::Sulfur("DHT") - r::kDieselMaxSulfur) + fameWeight * (r::Sulfur("FAM") - r::kDieselMaxSulfur));
      Term("XSULDSL", "MSULDSL", p, -1.0);
      m_lp.RowBounds(N("XSULDSL", p), -kLpInfinity, 0.0);
    }
  }

  // ---- Units: crude unit, reformer, hydrotreater and the extra units
  void Units() {
    CTableBuilder submods("SUBMODS", {"REPORT", "COMBINE", "SUL"});
    submods.Row("SCDU", {{"REPORT", 1}, {"SUL", 0}}, "Crude distillation");
    submods.Row("SRFM", {{"COMBINE", 1}}, "Catalytic reformer");
    submods.Row("SHDT", {{"COMBINE", 1}, {"SUL", 0.1}}, "Distillate hydrotreater");
    for (int u = 0; u < m_options.extraUnits; ++u) submods.Row(r::ExtraUnitName(u), {}, "Extra unit " + r::ExtraUnitTag(u));
    m_model.AddTable(submods.Build());
    // The crude unit's report unit, and the cut types and pools of its column.
    m_model.AddTable(CTableBuilder("CRDDISTL", {"CDU"}).Row("REPORT1", {{"CDU", 1}}, "Crude unit, both sections").Build());
    CTableBuilder cuts("CRDCUTS", {"TYPE"}), pools("CRDPOOLS", {"CDU"});
    for (int cut = 0; cut < r::kCutCount; ++cut) {
      cuts.Row(r::kCuts[cut], {{"TYPE", cut == 3 ? 3 : 1}});
      pools.Row(r::kCuts[cut], {{"CDU", 1}});
    }
    m_model.AddTable(cuts.Build());
    m_model.AddTable(pools.Build());

    // The crude unit: a column per crude; residue by weight.
    const std::vector<std::string> crudes = CrudeTags();
    const auto cutYield = [](int cut, int k) { return r::CutYield(cut, k) * (cut == 3 ? r::Vtw("RES") : 1.0); };
    CTableBuilder cdu("SCDU", crudes);
    for (int k = 0; k < m_crudes; ++k) cdu.Row("VBAL" + crudes[k], {{crudes[k], 1}}, "Crude " + crudes[k]);
    for (int cut = 0; cut < r::kCutCount; ++cut) {
      Cells cells;
      for (int k = 0; k < m_crudes; ++k) cells.emplace_back(crudes[k], -cutYield(cut, k));
      cdu.Row((cut == 3 ? "WBAL" : "VBAL") + std::string(r::kCuts[cut]), cells, std::string("Cut ") + r::kCuts[cut]);
    }
    for (const char* utility : {"FUL", "POW", "STM"}) {
      Cells cells;
      for (const std::string& crude : crudes) cells.emplace_back(crude, r::UtilityUse("SCDU", utility));
      cdu.Row(std::string("UBAL") + utility, cells);
    }
    Cells ones, sulfur, spg;
    for (int k = 0; k < m_crudes; ++k) {
      ones.emplace_back(crudes[k], 1);
      sulfur.emplace_back(crudes[k], r::CrudeSulfur(k));
      spg.emplace_back(crudes[k], r::CrudeSpg(k));
    }
    cdu.Row("CCAPCDU", ones, "Crude unit capacity");
    cdu.Row("PSULAVG", sulfur, "Sulfur of the crude feed");
    cdu.Row("PSPGT02", spg, "Gravity total");
    m_model.AddTable(cdu.Build());

    m_model.AddTable(CTableBuilder("SRFM", {"NAP"})
                         .Row("VBALNAP", {{"NAP", 1}}, "Naphtha feed")
                         .Row("VBALRFT", {{"NAP", -r::kReformateYield}}, "Reformate")
                         .Row("VBALLPG", {{"NAP", -r::kReformerLpgYield}}, "LPG")
                         .Row("VBALLOS", {{"NAP", -r::kReformerLoss}}, "Loss")
                         .Row("UBALFUL", {{"NAP", r::UtilityUse("SRFM", "FUL")}})
                         .Row("UBALPOW", {{"NAP", r::UtilityUse("SRFM", "POW")}})
                         .Row("CCAPRFM", {{"NAP", 1}}, "Reformer capacity")
                         .Row("ZLIMSEV", {{"NAP", 1}}, "Severity")
                         .Row("PSPGAVG", {{"NAP", r::Spg("NAP")}}, "Gravity of the feed")
                         .Row("PRONR01", {}, "Octane report")
                         .Build());
    m_model.AddTable(CTableBuilder("SHDT", {"DST"})
                         .Row("VBALDST", {{"DST", 1}}, "Distillate feed")
                         .Row("VBALDHT", {{"DST", -r::kHydrotreaterTableYield}}, "Hydrotreated distillate")
                         .Row("VBALLOS", {{"DST", -r::kHydrotreaterLoss}}, "Loss")
                         .Row("UBALPOW", {{"DST", r::UtilityUse("SHDT", "POW")}})
                         .Row("UBALSTM", {{"DST", r::UtilityUse("SHDT", "STM")}})
                         .Row("CCAPHDT", {{"DST", 1}}, "Hydrotreater capacity")
                         .Row("ZSULHDT", {{"DST", 1}}, "Feed sulfur limit")
                         .Row("PSULAVG", {{"DST", r::kDstSulfurGuess}}, "Sulfur of the feed")
                         .Row("PSULN02", {{"DST", r::kDstSulfurGuess}}, "Sulfur numerator")
                         .Row("PSULD02", {{"DST", 1}}, "Sulfur per feed")
                         .Build());
    for (int u = 0; u < m_options.extraUnits; ++u) {
      const std::string feed = r::ExtraFeedTag(u), product = r::ExtraProductTag(u);
      m_model.AddTable(CTableBuilder(r::ExtraUnitName(u), {feed})
                           .Row("VBAL" + feed, {{feed, 1}}, "Feed")
                           .Row("VBAL" + product, {{feed, -r::kExtraYield}}, "Product")
                           .Row("VBALLOS", {{feed, -(1 - r::kExtraYield)}}, "Loss")
                           .Row("UBALPOW", {{feed, r::UtilityUse(r::ExtraUnitName(u), "POW")}})
                           .Row("CCAP" + r::ExtraUnitTag(u), {{feed, 1}})
                           .Build());
    }

    for (int p = 0; p < Periods(); ++p) {
      for (int k = 0; k < m_crudes; ++k) {
        const std::string column = "SCDU" + crudes[k];
        Flow(column, p, 0.0);
        Operate("SCDU", column, p);
        Balance("VBAL" + crudes[k], column, p, -1.0);
        for (int cut = 0; cut < r::kCutCount; ++cut)
          Balance((cut == 3 ? "WBAL" : "VBAL") + std::string(r::kCuts[cut]), column, p, cutYield(cut, k));
        Balance("CCAPCDU", column, p, 1.0);
        // The hydrotreater's feed sulfur limit holds the distillate of every crude.
        Term("GSULHDT", column, p, -r::DstSulfurOfCrude(k) * r::CutYield(2, k));
      }
      Flow("SRFMNAP", p, 0.0);
      Operate("SRFM", "SRFMNAP", p);
      Balance("VBALNAP", "SRFMNAP", p, -1.0);
      Balance("VBALRFT", "SRFMNAP", p, r::kReformateYield);
      Balance("VBALLPG", "SRFMNAP", p, r::kReformerLpgYield);
      Balance("VBALLOS", "SRFMNAP", p, r::kReformerLoss);
      Balance("CCAPRFM", "SRFMNAP", p, 1.0);
      Term("ZLIMSEV", "SRFMNAP", p, 1.0);
      // The hydrotreater at the yield the solver recursed to.
      Flow("SHDTDST", p, 0.0);
      Operate("SHDT", "SHDTDST", p);
      Balance("VBALDST", "SHDTDST", p, -1.0);
      Balance("VBALDHT", "SHDTDST", p, r::kHydrotreaterYield);
      Balance("VBALLOS", "SHDTDST", p, r::kHydrotreaterLoss);
      Balance("CCAPHDT", "SHDTDST", p, 1.0);
      Term("ZSULHDT", "SHDTDST", p, 1.0);
      for (int u = 0; u < m_options.extraUnits; ++u) {
        const std::string column = r::ExtraUnitName(u) + r::ExtraFeedTag(u);
        Flow(column, p, 0.0);
        Operate(r::ExtraUnitName(u), column, p);
        Balance("VBAL" + r::ExtraFeedTag(u), column, p, -1.0);
        Balance("VBAL" + r::ExtraProductTag(u), column, p, r::kExtraYield);
        Balance("VBALLOS", column, p, 1 - r::kExtraYield);
        Balance("CCAP" + r::ExtraUnitTag(u), column, p, 1.0);
      }
    }
  }

  // ---- Capacities and process limits
  void Capacities() {
    CTableBuilder caps("CAPS", {"PENALTY", "REPORT"});
    caps.Row("CCAPCDU", {{"PENALTY", r::kCduSlackPrice}}, "Crude unit");
    caps.Row("CCAPRFM", {}, "Reformer");
    caps.Row("CCAPHDT", {}, "Hydrotreater");
    for (int u = 0; u < m_options.extraUnits; ++u) caps.Row("CCAP" + r::ExtraUnitTag(u), {}, "Extra unit");
    m_model.AddTable(caps.Build());
    m_model.AddTable(CTableBuilder("PROCLIM", {"MIN", "MAX", "PENALTY", "REPORT"})
                         .Row("ZSEV", {{"MIN", r::kSeverityMin}, {"MAX", r::kSeverityTableMax}, {"PENALTY", r::kSeveritySlackPrice}},
                              "Reformer severity")
                         .Row("ZSULHDT", {{"MAX", r::kHydrotreaterSulfurMax}}, "Hydrotreater feed sulfur")
                         .Build());

    for (int p = 0; p < Periods(); ++p) {
      // The crude unit's row takes its slacks below and above the capacity, both penalised and at most a tenth
      // of the capacity.
      Balance("CCAPCDU", "uCAPCDU", p, 1.0);
      Balance("CCAPCDU", "dCAPCDU", p, -1.0);
      for (const char* slack : {"uCAPCDU", "dCAPCDU"}) Flow(slack, p, 0.0, 0.1 * r::CduCapacity(P));
      m_lp.RowBounds(N("CCAPCDU", p), 0.0, r::CduCapacity(P) * m_data.cduCapacityFactor);
      m_lp.RowBounds(N("CCAPRFM", p), 0.0, m_data.reformerCapacity > 0.0 ? m_data.reformerCapacity : r::ReformerCapacity(P));
      m_lp.RowBounds(N("CCAPHDT", p), 0.0, r::HydrotreaterCapacity(P));
      for (int u = 0; u < m_options.extraUnits; ++u)
        m_lp.RowBounds(N("CCAP" + r::ExtraUnitTag(u), p), 0.0, r::kExtraUnitCapacity);

      // Process limits: Z holds the unit's feed; the G and L rows hold (maximum - actual) and (minimum - actual)
      // times Z, so that the utilisation is the actual value. The severity is the reformer's own in every case.
      Term("ZLIMSEV", "ZLIMSEV", p, -1.0);
      m_lp.RowBounds(N("ZLIMSEV", p), 0.0, 0.0);
      Term("GLIMSEV", "ZLIMSEV", p, r::SeverityMax(P, m_scope.inGlobal()) - r::Severity(P, p));
      Term("GLIMSEV", "uLIMSEV", p, -1.0);
      m_lp.RowBounds(N("GLIMSEV", p), 0.0, kLpInfinity);
      Term("LLIMSEV", "ZLIMSEV", p, r::kSeverityMin - r::Severity(P, p));
      Term("LLIMSEV", "dLIMSEV", p, -1.0);
      m_lp.RowBounds(N("LLIMSEV", p), -kLpInfinity, 0.0);
      Term("ZSULHDT", "ZSULHDT", p, -1.0);
      m_lp.RowBounds(N("ZSULHDT", p), 0.0, 0.0);
      Term("GSULHDT", "ZSULHDT", p, r::kHydrotreaterSulfurMax);
      m_lp.RowBounds(N("GSULHDT", p), 0.0, kLpInfinity);
    }
  }

  // ---- Utilities
  void Utilities() {
    m_model.AddTable(CTableBuilder("UTILBUY", {"GROUP"})
                         .Row("FUL", {}, "Fuel")
                         .Row("POW", {{"GROUP", 4}}, "Power")
                         .Row("STM", {}, "Steam")
                         .Row("PWX", {{"GROUP", 4}}, "Power, second supplier")
                         .Build());
    m_model.AddTable(CTableBuilder("UTILSEL", {"GROUP"}).Row("STM", {}, "Steam export").Build());
    for (int p = 0; p < Periods(); ++p) {
      for (const char* utility : {"FUL", "POW", "STM"}) {
        const std::string tag = utility;
        Flow("PURC" + tag, p, -r::UtilityPrice(tag));
        Balance("UBAL" + tag, "PURC" + tag, p, 1.0);
        m_lp.RowBounds(N("UBAL" + tag, p), 0.0, 0.0);
      }
      // The second power supplier feeds the power balance.
      Flow("PURCPWX", p, -r::UtilityPrice("PWX"));
      Balance("UBALPOW", "PURCPWX", p, 1.0);
      Flow("SELLSTM", p, 0.0);
      Balance("UBALSTM", "SELLSTM", p, -1.0);
      for (const char* member : {"PURCPOW", "PURCPWX"}) Term("ABUYENR", member, p, 1.0);
      Term("ABUYENR", "ABUYENR", p, -1.0);
      m_lp.RowBounds(N("ABUYENR", p), 0.0, 0.0);
      Flow("ABUYENR", p, 0.0, r::kEnergyPurchaseMax);
      Term("ASELEXP", "SELLSTM", p, 1.0);
      Term("ASELEXP", "ASELEXP", p, -1.0);
      m_lp.RowBounds(N("ASELEXP", p), 0.0, 0.0);
      Flow("ASELEXP", p, 0.0, r::kSteamExportMax);
    }
  }

  // ---- Groups and group specifications
  void Groups() {
    std::vector<std::string> members = CrudeTags();
    for (const char* tag : {"PRM", "DSL", "RES", "POW", "PWX", "STM"}) members.push_back(tag);
    std::vector<std::string> columns = {"GROUP"};
    columns.insert(columns.end(), members.begin(), members.end());
    CTableBuilder groups("GROUPS", columns);
    Cells crude = {{"GROUP", 1}};
    for (const std::string& tag : CrudeTags()) crude.emplace_back(tag, 1);
    groups.Row("CRU", crude, "Crude slate");
    groups.Row("GSL", {{"GROUP", 2}, {"PRM", 1}}, "Gasolines");
    groups.Row("FUE", {{"GROUP", 3}, {"DSL", 1}, {"RES", 1}}, "Fuels");
    groups.Row("ENR", {{"GROUP", 4}, {"POW", 1}, {"PWX", 1}}, "Energy");
    groups.Row("EXP", {{"GROUP", 5}, {"STM", 1}}, "Energy export");
    m_model.AddTable(groups.Build());
    if (m_scope.periodNames) {
      // A blend mix spanning the periods, with a specification of its own, and a group inventory.
      CTableBuilder periodsOfMix("PBLNPER", PeriodColumns());
      Cells every;
      for (const std::string& code : PeriodColumns()) every.emplace_back(code, 1);
      m_model.AddTable(periodsOfMix.Row("PGS", every, "Gasoline over the periods").Build());
      m_model.AddTable(CTableBuilder("PBLNMIX", {"PGS"}).Row("PRM", {{"PGS", 1}}).Build());
      m_model.AddTable(CTableBuilder("PBLNSPEC", {"PGS"}).Row("NRON", {{"PGS", r::kPremiumMinRon}}).Build());
      const std::string spanning = m_scope.Name("NRONPGS", -1);
      for (int p = 0; p < Periods(); ++p)
        for (const char* tag : {"RFT", "NAP", "BUT"})
          m_lp.Coefficient(spanning, N(std::string("B") + tag + "PRM", p), r::Ron(tag) - r::kPremiumMinRon);
      m_lp.RowBounds(spanning, 0.0, kLpInfinity);
    }
    m_model.AddTable(CTableBuilder("BLNSPEX", {"GSL"}).Row("NRON", {{"GSL", r::kPremiumMinRon}}).Build());
    for (int p = 0; p < Periods(); ++p) {
      for (const char* tag : {"RFT", "NAP", "BUT"})
        Term("NRONGSL", std::string("B") + tag + "PRM", p, r::Ron(tag) - r::kPremiumMinRon);
      m_lp.RowBounds(N("NRONGSL", p), 0.0, kLpInfinity);
    }
  }

  // ---- Stream qualities, recursion guesses, weight specifications
  void Qualities() {
    CTableBuilder blnxxx("BLNXXX", {"SPG", "SUL", "RON", "RVP"});
    const auto qualities = [](const std::string& tag) {
      Cells cells = {{"SPG", r::Spg(tag)}};
      if (r::Sulfur(tag) != r::kNoQuality) cells.emplace_back("SUL", r::Sulfur(tag));
      if (r::Ron(tag) != r::kNoQuality) cells.emplace_back("RON", r::Ron(tag));
      if (r::Rvp(tag) != r::kNoQuality) cells.emplace_back("RVP", r::Rvp(tag));
      return cells;
    };
    for (int k = 0; k < m_crudes; ++k)
      blnxxx.Row(r::CrudeTag(k), {{"SPG", r::CrudeSpg(k)}, {"SUL", r::CrudeSulfur(k)}});
    for (const char* tag : {"LPG", "NAP", "NPX", "DST", "RES", "RFT", "DHT", "BUT", "FAM"}) blnxxx.Row(tag, qualities(tag));
    for (int u = 0; u < m_options.extraUnits; ++u) {
      blnxxx.Row(r::ExtraFeedTag(u), qualities(r::ExtraFeedTag(u)));
      blnxxx.Row(r::ExtraProductTag(u), qualities(r::ExtraProductTag(u)));
    }
    m_model.AddTable(blnxxx.Build());
    // The octane blending index RVI, interpolated from RON.
    m_model.AddTable(CTableBuilder("INDEX", {"P1", "P2", "P3"})
                         .Row("RVI", {{"P1", 20}, {"P2", 40}, {"P3", 70}}, "Octane blending index")
                         .Row("RON", {{"P1", 60}, {"P2", 80}, {"P3", 100}}, "Research octane number")
                         .Build());
    m_model.AddTable(CTableBuilder("PGUESS", {"SUL"}).Row("DST", {{"SUL", r::kDstSulfurGuess}}).Build());
    m_model.AddTable(CTableBuilder("WSPECS", {"X"}).Row("SUL", {{"X", 1}}, "Sulfur, weight").Build());
    m_model.AddTable(CTableBuilder("SCALE", {"SCALE", "PENALTY"})
                         .Row("RON", {{"SCALE", 1}}, "Research octane number")
                         .Row("SUL", {{"SCALE", 1}}, "Sulfur")
                         .Row("SPG", {}, "Specific gravity")
                         .Build());
    // Butane lifts the octane of the premium blend; an additive's susceptibility is paid in power.
    m_model.AddTable(CTableBuilder("PBONUS", {"RON"}).Row("BUTPRM", {{"RON", 0.5}}).Build());
    m_model.AddTable(CTableBuilder("ADDITIVE", {"POW", "SUS", "RON"}).Row("TEL", {{"POW", 0}, {"SUS", 0}, {"RON", 1}}).Build());
    m_model.AddTable(CTableBuilder("INITSUSC", {"PRM"}, false).Row("RON", {{"PRM", 0.3}}).Build());
    m_model.AddTable(CTableBuilder("CRDBLEND", {"CMX"}).Row("ANS", {{"CMX", 1}}).Row("BRT", {{"CMX", 3}}).Build());
    m_model.AddTable(CTableBuilder("GASES", {"X"}).Row("LPG", {{"X", 1}}).Build());
    m_model.AddTable(CTableBuilder("UNITS", {"STDCONV"}).Row("LPG", {{"STDCONV", 1.8}}, "MT").Build());

    // Every stream's balance row; the loss is not balanced: its row holds what the units lose.
    for (int p = 0; p < Periods(); ++p) {
      for (const auto& stream : m_model.directory.streams) {
        if (stream.code == "BRX" || stream.code == "NPX") continue;
        const std::string row = N((stream.balanceBasis > 0 ? "VBAL" : "WBAL") + stream.code, p);
        if (stream.code == "LOS")
          m_lp.Row(row);
        else
          m_lp.RowBounds(row, BalanceConstant(stream.code, p), BalanceConstant(stream.code, p));
      }
      // The distillate pool's recursion row, which the solver keeps at zero.
      m_lp.RowBounds(N("RBALDST", p), 0.0, 0.0);
    }
  }

  // ---- Report rows, fixed costs, bounds, KPIs, penalties
  void Reporting() {
    m_model.AddTable(CTableBuilder("REPORT", {"VAL"})
                         .Row("FIXLAB", {{"VAL", 120}}, "Labour")
                         .Row("FIXMNT", {{"VAL", 80}}, "Maintenance")
                         .Row("CCAP***", {}, "Capacity rows")
                         .Row("VBALPRM", {}, "Premium balance")
                         .Build());
    m_model.sheets.push_back({"REPORT", "report.xls",
                              {{"ROWNAMES", "TEXT", "VAL"},
                               {"FIXLAB", "Labour", "#120"},
                               {"FIXMNT", "Maintenance", "#80"},
                               {"CCAP***", "Capacity rows", ""},
                               {"VBALPRM", "Premium balance", ""}}});
    // Logistics events of the plant.
    m_model.sheets.push_back({"RECEIVE", "receive.xls",
                              {{"Code", "Date", "Time", "Amount", "Rate", "Cost"},
                               {"ANS", "@d2024-01-05", "@t06:00:00", "#500", "#50", "#61"},
                               {"BRT", "@d2024-01-12", "@t18:00:00", "#400", "#40", "#63"}}});
    m_model.sheets.push_back({"SHIP", "ship.xls",
                              {{"Code", "Date", "Amount", "Rate", "Price", "Line"},
                               {"PRM", "@d2024-01-10", "#300", "#30", "#96", "Pipeline 1"}}});
    // Report-writer groups: crudes, the conversion units and the gasoline blends each reported as one.
    CTableBuilder crudeGroup("RWGRPSTR", CrudeTags());
    Cells crudes;
    for (const std::string& tag : CrudeTags()) crudes.emplace_back(tag, 1);
    m_model.AddTable(crudeGroup.Row("GCR", crudes, "All crudes").Build());
    m_model.AddTable(CTableBuilder("RWGRPUNT", {"SRFM", "SHDT"}).Row("SCV", {{"SRFM", 1}, {"SHDT", 1}}, "Conversion").Build());
    m_model.AddTable(CTableBuilder("RWGRPBLN", {"PRM"}).Row("GSB", {{"PRM", 1}}, "Gasoline blends").Build());
    m_model.AddTable(CTableBuilder("BOUNDS", {"FREE"})
                         .Row("PURCANS", {}, "Crude ANS")
                         .Row("PURCBUT", {}, "Butane")
                         .Row("SCDUBRT", {}, "Crude BRT run")
                         .Build());
    m_model.AddTable(CTableBuilder("SOLNKPIS", {"YELLOW", "RED"})
                         .Row("NRONPRM", {{"YELLOW", 89}, {"RED", 88}}, "Premium octane")
                         .Row("ZLIMSEV", {{"YELLOW", 1}, {"RED", 0}}, "Severity limit")
                         .Row("PURCANS", {{"YELLOW", 90}, {"RED", 100}}, "ANS bought")
                         .Row("MARGVAL", {}, "Largest marginal value")
                         .Row("PI", {}, "Largest row marginal")
                         .Build());
    // The penalised slacks of the period are summed into its penalty column "Epencol", whose cost is the weight
    // of the penalties ("penalty.dat" names the slacks of the specifications).
    for (int p = 0; p < Periods(); ++p) {
      for (const auto& [column, price] : PenalisedSlacks()) Term("Epenrow", column, p, -price);
      Term("Epenrow", "Epencol", p, 1.0);
      m_lp.RowBounds(N("Epenrow", p), 0.0, 0.0);
      Flow("Epencol", p, -r::kPenaltyWeight);
    }
  }

 public:
  // The slacks summed into the penalty column, with their prices.
  static std::vector<std::pair<std::string, double>> PenalisedSlacks() {
    return {{"URONPRM", r::kOctanePenalty},     {"MSULDSL", r::kSulfurPenalty},     {"uCAPCDU", r::kCduSlackPrice},
            {"dCAPCDU", r::kCduSlackPrice},     {"uLIMSEV", r::kSeveritySlackPrice}, {"dLIMSEV", r::kSeveritySlackPrice}};
  }

 private:
  // ---- Inventories of a multi-period model
  void Inventories() {
    const r::Tank& fuels = r::kFuelTanks;
    CTableBuilder pinv("PINV", {"OPEN", "MIN", "MAX", "TARG", "PCOST", "HCOST", "VOL", "SUL"});
    for (const r::Tank& tank : r::kTanks) {
      Cells cells = {{"OPEN", tank.open}, {"MIN", tank.min}, {"MAX", tank.max}, {"TARG", tank.target}, {"HCOST", tank.holding}};
      if (tank.penalty != 0.0) cells.emplace_back("PCOST", tank.penalty);
      if (!tank.weight) cells.emplace_back("VOL", 1);
      if (tank.tag == std::string("PRM")) cells.emplace_back("SUL", 0.001);
      pinv.Row(tank.tag, cells, tank.tag == std::string("PRM") ? "Premium tank" : "Diesel tank, by weight");
    }
    pinv.Row(fuels.tag, {{"MIN", fuels.min}, {"MAX", fuels.max}, {"TARG", fuels.target}, {"PCOST", fuels.penalty},
                         {"HCOST", fuels.holding}},
             "Fuel tanks");
    m_model.AddTable(pinv.Build());

    // A tank closes each period at its target plus its excess less its deficit, these two in the stream's
    // balance units; the balance row takes what the tank gains over the period, a day's share of it. Holding
    // costs the mean of the opening and closing stock, a deficit its penalty, both per period.
    for (const r::Tank& tank : r::kTanks) {
      const std::string tag = tank.tag, excess = "IEXC" + tag, deficit = "IDEF" + tag;
      const double unit = TankUnit(tank);
      for (int p = 0; p < Periods(); ++p) {
        const double days = m_scope.basis.Days(p);
        // The closing stock is held in this period and, as the next one's opening stock, in the next.
        std::map<int, double> excessCost, deficitCost;
        for (int held = p; held <= p + 1 && held < Periods(); ++held) {
          excessCost[held] = -0.5 * tank.holding * unit;
          deficitCost[held] = 0.5 * tank.holding * unit;
        }
        deficitCost[p] -= tank.penalty * unit;
        m_lp.Bounds(N(excess, p), 0.0, (tank.max - tank.target) / unit).CostShares(N(excess, p), excessCost);
        m_lp.Bounds(N(deficit, p), 0.0, (tank.target - tank.min) / unit).CostShares(N(deficit, p), deficitCost);
        Term("VBAL" + tag, excess, p, -1.0 / days);
        Term("VBAL" + tag, deficit, p, 1.0 / days);
        if (p + 1 < Periods()) {
          m_lp.Coefficient(N("VBAL" + tag, p + 1), N(excess, p), 1.0 / m_scope.basis.Days(p + 1));
          m_lp.Coefficient(N("VBAL" + tag, p + 1), N(deficit, p), -1.0 / m_scope.basis.Days(p + 1));
        }
        m_lp.AddObjectiveConstant(-0.5 * tank.holding * ((p == 0 ? tank.open : tank.target) + tank.target), p);
      }
    }
    // The fuels group holds the diesel tank: its own bounds, and a deficit below its target.
    const r::Tank& diesel = r::kTanks[1];
    for (int p = 0; p < Periods(); ++p) {
      for (const char* row : {"NINVFUE", "XINVFUE", "IDEFFUE"}) {
        Term(row, "IEXCDSL", p, TankUnit(diesel));
        Term(row, "IDEFDSL", p, -TankUnit(diesel));
      }
      m_lp.RowBounds(N("NINVFUE", p), fuels.min - diesel.target, kLpInfinity);
      m_lp.RowBounds(N("XINVFUE", p), -kLpInfinity, fuels.max - diesel.target);
      Term("IDEFFUE", "IDEFFUE", p, 1.0);
      m_lp.RowBounds(N("IDEFFUE", p), fuels.target - diesel.target, kLpInfinity);
      m_lp.Cost(N("IDEFFUE", p), -fuels.penalty);
    }
  }

  // What a unit of the tank's stream in its balance is in the tank's units.
  static double TankUnit(const r::Tank& tank) { return tank.weight ? r::Vtw(tank.tag) : 1.0; }

  // The fixed part of a balance row: the first period's draw from a tank that opens off its target.
  double BalanceConstant(const std::string& tag, int p) const {
    if (!m_scope.periodNames || p != 0) return 0.0;
    for (const r::Tank& tank : r::kTanks)
      if (tag == tank.tag) return (tank.target - tank.open) / TankUnit(tank) / m_scope.basis.Days(p);
    return 0.0;
  }

  // ---- Side files of the model directory
  void SideFiles() {
    std::string codes;
    for (int p = 0; p < Periods(); ++p) codes += m_scope.periodNames ? r::PeriodCode(p) : ' ';
    side_file_testing::PvtwFile pvtw;
    pvtw.periodCodes = codes;
    for (const auto& stream : m_model.directory.streams)
      pvtw.streams.push_back({stream.code, std::vector<double>(static_cast<std::size_t>(Periods()), r::Vtw(stream.code))});
    m_model.files["PVTW.DAT"] = pvtw.Bytes(m_options.nimbo);

    std::string proclim;
    for (int p = 0; p < Periods(); ++p)
      proclim += N("GLIMSEV", p) + " " + N("ZLIMSEV", p) + " " + Number(r::SeverityMax(P, m_scope.inGlobal())) + "\n";
    m_model.files["proclim.dat"] = proclim;

    // The blend-model library computes the vapour pressure: one group of one quality.
    const auto fields = [](std::initializer_list<int> values) {
      std::string line;
      for (int v : values) line += Number(v).insert(0, 10 - std::min<std::size_t>(10, Number(v).size()), ' ') + " ";
      return line + "\n";
    };
    m_model.files["KeshControl.dat"] = fields({0, 0, 5}) + fields({1, 1, 1, 1}) + fields({0}) +
                                       fields({1, 0, 1, 0, 0, 0}) + "  FN\n" + " RVP\n" + "E00000001\n";

    // Recursed coefficients the look-up finds by column and row: the crude unit's sulfur, unchanged.
    if (m_scope.periodNames) {
      std::vector<side_file_testing::TvpropEntry> entries;
      for (int p = 0; p < Periods(); ++p)
        for (int k = 0; k < m_crudes; ++k)
          entries.push_back({N("SCDU" + r::CrudeTag(k), p), N("PSULAVG", p), static_cast<float>(r::CrudeSulfur(k))});
      m_model.files["TVPROP.DAT"] = side_file_testing::TvpropBytes(entries);
    }
  }

  const GeneratorOptions& m_options;
  const r::CaseData& m_data;
  const PlantScope& m_scope;
  ModelContent& m_model;
  CLpModel& m_lp;
  const int m_crudes;
  const int P = m_scope.plant;  // the rules' plant index
};

double ActivityOf(const CLpModel& lp, const LpSolution& solution, const std::string& column) {
  const std::ptrdiff_t at = lp.FindColumn(column);
  return at < 0 ? 0.0 : solution.columnActivity[static_cast<std::size_t>(at)];
}

}  // namespace

void BuildPlant(const GeneratorOptions& options, const r::CaseData& data, const PlantScope& scope, ModelContent& model,
                CLpModel& lp) {
  CPlantBuilder(options, data, scope, model, lp).Build();
}

std::string RecursionFileOf(const GeneratorOptions& options, const PlantScope& scope, const CLpModel& lp,
                            const LpSolution& solution) {
  std::string codes;
  for (int p = 0; p < scope.periods; ++p) codes += scope.periodNames ? r::PeriodCode(p) : ' ';
  side_file_testing::RecursionFile recursion;
  recursion.periodCodes = codes;
  recursion.ends[0] = 1;  // recursed pool qualities
  recursion.ends[1] = 1;  // PCALC'd pool qualities: none
  recursion.ends[2] = 3;  // two general recursion pairs
  recursion.ends[3] = 4;  // one distribution row
  recursion.ends[4] = 4;  // then the susceptibilities
  // In the nonlinear mode a recursed name carries the period and the plant code.
  const std::string suffix = options.nimbo ? scope.Name("", scope.periodNames ? 0 : -1) : std::string();
  side_file_testing::RecursionFile::Name pool{"RSULDST" + suffix, "", {}};
  side_file_testing::RecursionFile::Name general{"PSPGAVG", "SRFMNAP", {}};
  // The hydrotreater's recursed yield, which replaces the unit table's static cell.
  side_file_testing::RecursionFile::Name yield{"VBALDHT", "SHDTDST", {}};
  side_file_testing::RecursionFile::Name distribution{"DDSTDHT", "", {}};
  side_file_testing::RecursionFile::Name susceptibility{"SRONPRM", "", {}};
  for (int p = 0; p < scope.periods; ++p) {
    // The distillate pool's sulfur: its crudes' distillate sulfur weighted by what each gives (the guess when
    // the crude unit stands).
    double distillate = 0.0, sulfur = 0.0;
    for (int k = 0; k < options.crudes; ++k) {
      const double run = ActivityOf(lp, solution, scope.Name("SCDU" + r::CrudeTag(k), p)) * r::CutYield(2, k);
      distillate += run;
      sulfur += run * r::DstSulfurOfCrude(k);
    }
    pool.values.push_back(distillate > 0.0 ? sulfur / distillate : r::kDstSulfurGuess);
    general.values.push_back(r::Spg("NAP") + 0.01);
    yield.values.push_back(-r::kHydrotreaterYield);
    distribution.values.push_back(r::kHydrotreaterYield);
    susceptibility.values.push_back(0.35);
  }
  recursion.names = {pool, general, yield, distribution, susceptibility};
  // The passes close in on the case's objective; the last one is the LP's. The LP of an infeasible case is
  // infeasible in every pass.
  const char status = solution.status == LpSolution::Status::kInfeasible ? 'I' : 'O';
  for (int pass = 0; pass < r::kRecursionPasses; ++pass)
    recursion.passes.push_back({solution.objective - 10.0 * (r::kRecursionPasses - 1 - pass), status,
                                solution.iterations / r::kRecursionPasses + 5 * pass, pass < 2 ? 2 - pass : 0, 0});
  return recursion.Bytes(options.nimbo);
}

}  // namespace model_gen
