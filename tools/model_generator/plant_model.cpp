// One plant of the generated model: its model tables, matrix directory and
// side files, and its LP records, all from model_rules.h.

#include <algorithm>
#include <cstdio>
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
  CPlantBuilder(const GeneratorOptions& options, const PlantScope& scope, ModelContent& model, CLpBuilder& lp)
      : m_options(options), m_scope(scope), m_model(model), m_lp(lp), m_crudes(options.crudes) {}

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
  // A money coefficient of a column the global builders report.
  double Money(double perDay, int period) const {
    return r::PerPeriod(perDay, period, m_scope.inGlobal() && m_scope.periodNames);
  }
  int Periods() const { return m_scope.periods; }

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
    buy.Row("BUT", {{"VOL", 1}, {"IPRICE", 1.5}}, "Butane");
    buy.Row("FAM", {{"WGT", 1}}, "Fatty acid methyl ester");
    for (int u = 0; u < m_options.extraUnits; ++u) buy.Row(r::ExtraFeedTag(u), {{"VOL", 1}}, "Feed of " + r::ExtraUnitName(u));
    buy.Row("CRU", {}, "Crude slate");
    m_model.AddTable(buy.Build());

    CTableBuilder sell("SELL", {"VOL", "WGT", "MIN", "MAX", "ICOST", "VPRICE", "GROUP", "PRICE"});
    sell.Row("PRM", {{"VOL", 1}, {"VPRICE", r::ProductPrice("PRM", 0)}, {"GROUP", 2}, {"PRICE", r::ProductPrice("PRM", 0)}},
             "Premium gasoline");
    sell.Row("DSL", {{"VOL", 1}, {"GROUP", 3}}, "Diesel");
    sell.Row("RES", {{"WGT", 1}, {"GROUP", 3}}, "Residue");
    sell.Row("LPG", {{"VOL", 1}, {"ICOST", 0.5}}, "Liquefied petroleum gas");
    for (int u = 0; u < m_options.extraUnits; ++u) sell.Row(r::ExtraProductTag(u), {{"VOL", 1}}, "Product of " + r::ExtraUnitName(u));
    sell.Row("FUE", {{"MIN", 0}, {"MAX", 400}}, "Fuels");
    m_model.AddTable(sell.Build());

    for (int p = 0; p < Periods(); ++p) {
      for (int k = 0; k < m_crudes; ++k) {
        const std::string tag = r::CrudeTag(k);
        const double cost = m_scope.inGlobal() ? -Money(r::CrudeFreight(P), p) : -r::CrudePrice(k, p);
        LpRecord& c = m_lp.Column(N("PURC" + tag, p), r::CrudeRun(P, k, m_crudes, p), cost);
        c.hi = r::CduCapacity(P);
        c.marginal = 0.0;
      }
      m_lp.Column(N("ABUYCRU", p)).hi = r::CduCapacity(P);
      // In a global case the plant's purchase carries the freight, the global purchase the price.
      const auto price = [&](double own) { return m_scope.inGlobal() ? -Money(r::CrudeFreight(P), p) : -own; };
      m_lp.Column(N("PURCBUT", p), r::ButaneBought(P, p), price(r::ButanePrice(p)));
      m_lp.Column(N("PURCFAM", p), r::FameBought(P, m_crudes, p), price(r::FamePrice(p)));
      for (int u = 0; u < m_options.extraUnits; ++u)
        m_lp.Column(N("PURC" + r::ExtraFeedTag(u), p), r::ExtraFeed(P, u, p), price(r::ExtraFeedPrice(p)));

      // A plant of a global case sells to the global model's market M.
      const auto sale = [&](const std::string& tag, double activity) {
        m_lp.Column(N((m_scope.inGlobal() ? "SEL" + tag + "M" : "SELL" + tag), p), activity,
                    Money(r::ProductPrice(tag, p), p));
      };
      for (const char* tag : {"PRM", "DSL", "RES", "LPG"})
        sale(tag, m_scope.inGlobal() ? r::PlantSale(tag, P, m_crudes, p) : r::ProductMade(tag, P, m_crudes, p));
      for (int u = 0; u < m_options.extraUnits; ++u)
        sale(r::ExtraProductTag(u), r::ExtraFeed(P, u, p) * r::kExtraYield);
      if (m_scope.inGlobal() && P == 0)
        m_lp.Column(N("IPRCBUT", p), r::ButaneBought(P, p), -Money(r::kInternalButanePrice, p));
      LpRecord& group = m_lp.Column(N("ASELFUE", p));
      group.hi = 400;
      group.marginal = 0.0;
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
                         .Row("XRVP", {{"PRM", 9.0}}, "Vapour pressure")
                         .Row("TYPE", {{"PRM", 1}})
                         .Build());
    m_model.AddTable(CTableBuilder("BLNTARG", {"PRM"}).Row("RFT", {{"PRM", 0.6}}).Build());
    m_model.AddTable(CTableBuilder("BLNCAP", {"PRM", "COST"})
                         .Row("GBL", {{"PRM", 1}, {"COST", 0.2}}, "Gasoline blender")
                         .Row("RFT", {}, "Reformate pump")
                         .Build());

    for (int p = 0; p < Periods(); ++p) {
      const double rft = r::Reformate(P, m_crudes, p), nap = r::NaphthaToBlend(P, m_crudes, p),
                   but = r::ButaneBought(P, p), prm = rft + nap + but;
      m_lp.Column(N("BRFTPRM", p), rft, 0.0);
      m_lp.Column(N("BNAPPRM", p), nap, 0.0);
      m_lp.Column(N("BBUTPRM", p), but, 0.0);
      const double dsl = r::DieselVolume(P, m_crudes, p);
      m_lp.Column(N("FBLNDSL", p), dsl, 0.0);
      // Specification rows: the slack is the quality's distance from the specification times the amount.
      const double minRon = r::PremiumMinRon(m_options.nimbo);
      LpRecord& ron = m_lp.Row(N("NRONPRM", p));
      ron.activity = r::PremiumRon(P, m_crudes, p) * prm;
      ron.slack = (r::PremiumRon(P, m_crudes, p) - minRon) * prm;
      ron.lo = minRon * prm;
      ron.marginal = -0.8;
      const double dslWeight = dsl * ((1 - r::FameFraction()) * r::Vtw("DHT") + r::FameFraction() * r::Vtw("FAM"));
      LpRecord& sul = m_lp.Row(N("XSULDSL", p));
      sul.activity = r::DieselSulfur() * dslWeight;
      sul.slack = (r::DieselSulfur() - r::kDieselMaxSulfur) * dslWeight;
      sul.hi = r::kDieselMaxSulfur * dslWeight;
      sul.marginal = 0.0;
      LpRecord& rvp = m_lp.Row(N("XRVPPRM", p));
      rvp.activity = 8.0 * prm;
      rvp.hi = 9.0 * prm;
      LpRecord& gbl = m_lp.Row(N("BCAPGBL", p));
      gbl.activity = prm;
      gbl.hi = 2.0 * prm;
      m_lp.Row(N("BCAPRFT", p)).activity = rft;
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

    // The crude unit: a column per crude.
    const std::vector<std::string> crudes = CrudeTags();
    CTableBuilder cdu("SCDU", crudes);
    for (int k = 0; k < m_crudes; ++k) cdu.Row("VBAL" + crudes[k], {{crudes[k], 1}}, "Crude " + crudes[k]);
    for (int cut = 0; cut < r::kCutCount; ++cut) {
      Cells cells;
      for (int k = 0; k < m_crudes; ++k) cells.emplace_back(crudes[k], -r::CutYield(cut, k));
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
      for (int k = 0; k < m_crudes; ++k) m_lp.Column(N("SCDU" + crudes[k], p), r::CrudeRun(P, k, m_crudes, p), -0.6);
      m_lp.Column(N("SRFMNAP", p), r::ReformerFeed(P, m_crudes, p), -1.1).hi = 40.0;
      m_lp.Column(N("SHDTDST", p), r::HydrotreaterFeed(P, m_crudes, p), -0.9);
      for (int u = 0; u < m_options.extraUnits; ++u)
        m_lp.Column(N(r::ExtraUnitName(u) + r::ExtraFeedTag(u), p), r::ExtraFeed(P, u, p), -0.5);
    }
  }

  // ---- Capacities and process limits
  void Capacities() {
    CTableBuilder caps("CAPS", {"PENALTY", "REPORT"});
    caps.Row("CCAPCDU", {{"PENALTY", 5}}, "Crude unit");
    caps.Row("CCAPRFM", {}, "Reformer");
    caps.Row("CCAPHDT", {}, "Hydrotreater");
    for (int u = 0; u < m_options.extraUnits; ++u) caps.Row("CCAP" + r::ExtraUnitTag(u), {}, "Extra unit");
    m_model.AddTable(caps.Build());
    m_model.AddTable(CTableBuilder("PROCLIM", {"MIN", "MAX", "PENALTY", "REPORT"})
                         .Row("ZSEV", {{"MIN", 90}, {"MAX", r::kSeverityTableMax}, {"PENALTY", 2}}, "Reformer severity")
                         .Row("ZSULHDT", {{"MAX", r::kHydrotreaterSulfurMax}}, "Hydrotreater feed sulfur")
                         .Build());

    for (int p = 0; p < Periods(); ++p) {
      const auto capacity = [&](const std::string& tag, double use, double size) {
        LpRecord& row = m_lp.Row(N("CCAP" + tag, p));
        row.activity = use;
        row.lo = 0.0;
        row.hi = size;
        row.slack = size - use;
        row.marginal = 0.0;
      };
      capacity("CDU", r::CduRun(P, p), r::CduCapacity(P));
      capacity("RFM", r::ReformerFeed(P, m_crudes, p), 40.0);
      capacity("HDT", r::HydrotreaterFeed(P, m_crudes, p), 60.0);
      for (int u = 0; u < m_options.extraUnits; ++u) capacity(r::ExtraUnitTag(u), r::ExtraFeed(P, u, p), 30.0);
      m_lp.Column(N("uCAPCDU", p), 0.0, 0.0);
      m_lp.Column(N("dCAPCDU", p), 0.5, 0.0);

      // Process limits: the G row's activity and the slack above the limit make (maximum - actual)
      // times Z, so the utilisation is the actual value.
      const double feed = r::ReformerFeed(P, m_crudes, p), above = 0.2;
      m_lp.Column(N("ZLIMSEV", p), feed, 0.0);
      LpRecord& g = m_lp.Row(N("GLIMSEV", p));
      g.activity = (r::SeverityMax(P, m_scope.inGlobal()) - r::Severity(P, p)) * feed - above;
      g.marginal = -0.3;
      m_lp.Row(N("LLIMSEV", p)).activity = (90.0 - r::Severity(P, p)) * feed;
      m_lp.Column(N("uLIMSEV", p), above, 0.0);
      m_lp.Column(N("dLIMSEV", p), 0.0, 0.0);
      const double hdt = r::HydrotreaterFeed(P, m_crudes, p);
      m_lp.Column(N("ZSULHDT", p), hdt, 0.0);
      m_lp.Row(N("GSULHDT", p)).activity =
          (r::kHydrotreaterSulfurMax - r::DstPoolSulfur(P, m_crudes, p)) * hdt;
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
        double use = 0.0;
        for (int k = 0; k < m_crudes; ++k) use += r::CrudeRun(P, k, m_crudes, p) * r::UtilityUse("SCDU", utility);
        use += r::ReformerFeed(P, m_crudes, p) * r::UtilityUse("SRFM", utility);
        use += r::HydrotreaterFeed(P, m_crudes, p) * r::UtilityUse("SHDT", utility);
        for (int u = 0; u < m_options.extraUnits; ++u)
          use += r::ExtraFeed(P, u, p) * r::UtilityUse(r::ExtraUnitName(u), utility);
        const std::string tag = utility;
        m_lp.Column(N("PURC" + tag, p), use, -r::UtilityPrice(tag));
        m_lp.Balance(N("UBAL" + tag, p), -r::UtilityPrice(tag));
      }
      m_lp.Column(N("PURCPWX", p), 0.0, -r::UtilityPrice("PWX"));  // into the power balance
      m_lp.Column(N("SELLSTM", p), 0.0, 0.0);
      m_lp.Column(N("ABUYENR", p)).hi = 50.0;
      m_lp.Column(N("ASELEXP", p)).hi = 10.0;
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
      LpRecord& spanning = m_lp.Row(m_scope.Name("NRONPGS", -1));
      spanning.activity = 0.0;
      for (int p = 0; p < Periods(); ++p) spanning.slack += (r::PremiumRon(P, m_crudes, p) - r::kPremiumMinRon) * r::PremiumVolume(P, m_crudes, p);
      spanning.marginal = -0.2;
    }
    m_model.AddTable(CTableBuilder("BLNSPEX", {"GSL"}).Row("NRON", {{"GSL", r::kPremiumMinRon}}).Build());
    for (int p = 0; p < Periods(); ++p) {
      const double prm = r::PremiumVolume(P, m_crudes, p);
      LpRecord& row = m_lp.Row(N("NRONGSL", p));
      row.activity = r::PremiumRon(P, m_crudes, p) * prm;
      row.slack = (r::PremiumRon(P, m_crudes, p) - r::kPremiumMinRon) * prm;
      row.marginal = -0.4;
    }
  }

  // ---- Stream qualities, recursion guesses, weight specifications
  void Qualities() {
    CTableBuilder blnxxx("BLNXXX", {"SPG", "SUL", "RON"});
    const auto qualities = [](const std::string& tag) {
      Cells cells = {{"SPG", r::Spg(tag)}};
      if (r::Sulfur(tag) != r::kNoQuality) cells.emplace_back("SUL", r::Sulfur(tag));
      if (r::Ron(tag) != r::kNoQuality) cells.emplace_back("RON", r::Ron(tag));
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

    // Every stream's balance row: in balance, valued per period.
    for (int p = 0; p < Periods(); ++p) {
      for (const auto& stream : m_model.directory.streams) {
        if (stream.code == "BRX" || stream.code == "NPX") continue;
        m_lp.Balance(N((stream.balanceBasis > 0 ? "VBAL" : "WBAL") + stream.code, p), -r::StreamValue(stream.code, p));
      }
      LpRecord& pool = m_lp.Row(N("RBALDST", p));
      pool.activity = 0.0;
      pool.slack = 0.0;
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
    for (int p = 0; p < Periods(); ++p) {
      m_lp.Column(N("URONPRM", p), 0.25, 0.0);
      m_lp.Column(N("MSULDSL", p), 0.1, 0.0);
      m_lp.Column(N("DPRMTGT", p), 0.4, 0.0);
    }
  }

  // ---- Inventories of a multi-period model
  void Inventories() {
    m_model.AddTable(CTableBuilder("PINV", {"OPEN", "MIN", "MAX", "TARG", "PCOST", "HCOST", "VOL", "SUL"})
                         .Row("PRM", {{"OPEN", 20}, {"MIN", 5}, {"MAX", 60}, {"TARG", 20}, {"PCOST", 2}, {"HCOST", 0.1},
                                      {"VOL", 1}, {"SUL", 0.001}},
                              "Premium tank")
                         .Row("DSL", {{"OPEN", 30}, {"MIN", 10}, {"MAX", 80}, {"TARG", 30}, {"HCOST", 0.1}},
                              "Diesel tank, by weight")
                         .Row("FUE", {{"MIN", 20}, {"MAX", 150}, {"TARG", 50}, {"PCOST", 1}, {"HCOST", 0.05}}, "Fuel tanks")
                         .Build());
    for (int p = 0; p < Periods(); ++p) {
      LpRecord& low = m_lp.Row(N("NINVFUE", p));
      low.activity = 50.0;
      low.status = p == 0 ? 5 : 2;
      low.marginal = -0.05;
      m_lp.Row(N("XINVFUE", p)).activity = 50.0;
      m_lp.Column(N("IDEFFUE", p), p == 1 ? 2.5 : 0.0, 0.0);
    }
    for (int p = 0; p < Periods(); ++p)
      for (const char* tag : {"PRM", "DSL"}) {
        m_lp.Column(N(std::string("IDEF") + tag, p), p == 1 ? 1.5 : 0.0, 0.0);
        m_lp.Column(N(std::string("IEXC") + tag, p), p == 2 ? 2.0 : 0.0, 0.0);
      }
  }

  // ---- Side files of the model directory
  void SideFiles() {
    std::string codes;
    for (int p = 0; p < Periods(); ++p) codes += m_scope.periodNames ? r::PeriodCode(p) : ' ';
    side_file_testing::RecursionFile recursion;
    recursion.periodCodes = codes;
    recursion.ends[0] = 1;  // recursed pool qualities
    recursion.ends[1] = 1;  // PCALC'd pool qualities: none
    recursion.ends[2] = 3;  // two general recursion pairs
    recursion.ends[3] = 4;  // one distribution row
    recursion.ends[4] = 4;  // then the susceptibilities
    // In the nonlinear mode a recursed name carries the period and the plant code.
    const std::string suffix = m_options.nimbo ? N("", m_scope.periodNames ? 0 : -1) : std::string();
    side_file_testing::RecursionFile::Name pool{"RSULDST" + suffix, "", {}};
    side_file_testing::RecursionFile::Name general{"PSPGAVG", "SRFMNAP", {}};
    // The hydrotreater's recursed yield, which replaces the unit table's static cell.
    side_file_testing::RecursionFile::Name yield{"VBALDHT", "SHDTDST", {}};
    side_file_testing::RecursionFile::Name distribution{"DDSTDHT", "", {}};
    side_file_testing::RecursionFile::Name susceptibility{"SRONPRM", "", {}};
    for (int p = 0; p < Periods(); ++p) {
      pool.values.push_back(r::DstPoolSulfur(P, m_crudes, p));
      general.values.push_back(r::Spg("NAP") + 0.01);
      yield.values.push_back(-r::kHydrotreaterYield);
      distribution.values.push_back(r::kHydrotreaterYield);
      susceptibility.values.push_back(0.35);
    }
    recursion.names = {pool, general, yield, distribution, susceptibility};
    for (int pass = 0; pass < r::kRecursionPasses; ++pass)
      recursion.passes.push_back({r::PassObjective(pass), 'O', r::PassIterations(pass), pass < 2 ? 2 - pass : 0, 0});
    m_model.files["Recursion.fil"] = recursion.Bytes(m_options.nimbo);

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
  const PlantScope& m_scope;
  ModelContent& m_model;
  CLpBuilder& m_lp;
  const int m_crudes;
  const int P = m_scope.plant;  // the rules' plant index
};

}  // namespace

void BuildPlant(const GeneratorOptions& options, const PlantScope& scope, ModelContent& model, CLpBuilder& lp) {
  CPlantBuilder(options, scope, model, lp).Build();
}

}  // namespace model_gen
