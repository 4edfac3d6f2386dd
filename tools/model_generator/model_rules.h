#pragma once
// The data of the generated planning model: the generator writes the model
// tables from it and states each case's linear program with it, and the LP
// solver's optimum of each case is what the case's solution files carry.
// Plants are counted from 0 (the single plant of a Standard or multi-period
// model is plant 0; plant B of the global model is 1), periods from 0,
// crudes from 0.
//
// The plant: crudes are bought and run on the crude unit SCDU, which cuts
// them into LPG, naphtha NAP, distillate DST (a pool: its sulfur follows the
// crude slate) and residue RES (by weight). The reformer SRFM turns naphtha
// into reformate RFT, LPG and loss; the hydrotreater SHDT turns distillate
// into DHT. Premium PRM is a specification blend of RFT, naphtha and bought
// butane BUT (octane at least its minimum, vapour pressure at most its
// maximum); diesel DSL a formula blend of DHT and bought FAME (FAM, by
// weight). PRM, DSL, RES and LPG are sold. Extra crudes and extra units
// (SUxx: bought feed Xxx into sold product Yxx) scale the model up.
//
// Money and amounts: a single-period model counts its period's amounts at
// prices per unit. A multi-period model counts amounts per day and costs per
// period (a price per unit times the days of the period), so that its
// balance rows' marginal values, divided by the days, are prices per unit;
// a plant run on its own (the Standard fill of a multi-period model) counts
// the period's total amounts at prices per unit instead, its balance and
// capacity rows taken per day.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace model_rules {

// ---- Tags

inline constexpr int kBaseCrudes = 2;

// Two base-36 characters of n (0 to 1295).
inline std::string Base36Pair(int n) {
  static const char* const digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  return std::string{digits[(n / 36) % 36], digits[n % 36]};
}
inline std::string CrudeTag(int k) { return k == 0 ? "ANS" : k == 1 ? "BRT" : "K" + Base36Pair(k - kBaseCrudes); }
inline std::string ExtraUnitTag(int u) { return "U" + Base36Pair(u); }
inline std::string ExtraUnitName(int u) { return "S" + ExtraUnitTag(u); }
inline std::string ExtraFeedTag(int u) { return "X" + Base36Pair(u); }
inline std::string ExtraProductTag(int u) { return "Y" + Base36Pair(u); }
inline char PlantCode(int plant) { return static_cast<char>('A' + plant); }
inline char PeriodCode(int period) { return static_cast<char>('1' + period); }

// ---- The calendar: a multi-period model's periods are the months from January 2024 on

inline constexpr int kFirstYear = 2024;
inline bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
inline int DaysInMonth(int year, int month) {  // month 1 to 12
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}
inline double PeriodDays(int period) { return DaysInMonth(kFirstYear + period / 12, period % 12 + 1); }
// The month's name (the model tables keep 8 characters of a period's text).
inline std::string PeriodTitle(int period) {
  static const char* const months[] = {"January", "February", "March",  "April",   "May",      "June",
                                       "July",    "August",   "Septembr", "October", "November", "December"};
  return months[period % 12];
}

// ---- Crudes and the crude unit

inline double CduCapacity(int plant) { return 100.0 + 25.0 * plant; }
inline double CrudePrice(int k, int period) { return 60.0 + 2.0 * (k % 7) + 1.5 * period; }
// What the market offers of a crude a day, as a share of the crude unit: ANS is the cheapest and the scarcest.
inline double CrudeAvailability(int plant, int k) { return CduCapacity(plant) * (k == 0 ? 0.7 : 0.6); }
inline double CrudeSpg(int k) { return 0.82 + 0.02 * (k % 5); }
inline double CrudeSulfur(int k) { return 0.5 + 0.25 * (k % 4); }

// The cuts of the crude unit, in this order; residue is balanced by weight.
inline constexpr const char* kCuts[] = {"LPG", "NAP", "DST", "RES"};
inline constexpr int kCutCount = 4;
// The volume share of a cut.
inline double CutYield(int cut, int k) {
  switch (cut) {
    case 0: return 0.03 + 0.005 * (k % 3);
    case 1: return 0.20 + 0.01 * (k % 4);
    case 2: return 0.35;
    default: return 1.0 - CutYield(0, k) - CutYield(1, k) - CutYield(2, k);
  }
}
inline double DstSulfurOfCrude(int k) { return 0.6 * CrudeSulfur(k); }
// The static coefficient the unit table and PGUESS carry for the pool's sulfur; the recursion file gives each
// case's recursed value, the distillate pool's sulfur of the case's crude slate.
inline constexpr double kDstSulfurGuess = 1.0;

// ---- Reformer, hydrotreater, bought components

inline constexpr double kReformateYield = 0.85;
inline constexpr double kReformerLpgYield = 0.10;
inline constexpr double kReformerLoss = 0.05;
inline double ReformerCapacity(int plant) { return 20.0 + 4.0 * plant; }
inline constexpr double kHydrotreaterYield = 0.98;
// The hydrotreater's yield as the unit table holds it; the solver recursed it (a general recursion
// coefficient of the DHT balance in the feed column) to kHydrotreaterYield.
inline constexpr double kHydrotreaterTableYield = 0.96;
inline constexpr double kHydrotreaterLoss = 0.02;
inline double HydrotreaterCapacity(int plant) { return 60.0 + 10.0 * plant; }
inline constexpr double kHydrotreaterSulfurMax = 0.42;  // of the feed
inline double ButaneAvailability(int plant) { return 6.0 + 2.0 * plant; }
inline double ButanePrice(int period) { return 48.0 + period; }
inline double FameFraction() { return 0.1; }  // of the diesel formula, by volume
inline double FamePrice(int period) { return 700.0 + 5.0 * period; }  // a unit of weight
inline constexpr double kBlenderCapacity = 60.0;
inline constexpr double kBlenderCost = 0.2;  // a unit blended on the gasoline blender
// The reformer's severity (fixed in every case) and the limit the solver ran with ("proclim.dat" raises the
// table's maximum).
inline double Severity(int plant, int period) { return 95.0 + period + 0.5 * plant; }
inline constexpr double kSeverityTableMax = 100.0;
inline constexpr double kSeveritySolverMax = 102.0;
inline constexpr double kSeverityMin = 90.0;
// The global model's process-limit table holds plant A's severity at this maximum.
inline constexpr double kNetworkSeverityMax = 101.0;
inline double SeverityMax(int plant, bool global) { return global && plant == 0 ? kNetworkSeverityMax : kSeveritySolverMax; }

// ---- Blends

inline constexpr double kPremiumMinRon = 88.0;
// In the nonlinear (Nimbo) mode "ParametricOverrides.dat" lowers the premium's minimum octane.
inline constexpr double kOverriddenMinRon = 84.0;
inline double PremiumMinRon(bool nimbo) { return nimbo ? kOverriddenMinRon : kPremiumMinRon; }
inline constexpr double kPremiumMaxRvp = 9.0;
// The premium a plant has sold under contract: at least this much a day.
inline double PremiumContract(int plant) { return 16.0 + 3.0 * plant; }
// The reformate share the blend aims at, and what a unit short of it costs.
inline constexpr double kReformateTarget = 0.6;
inline constexpr double kTargetPenalty = 1.0;
// The global model's own specifications of the nonlinear mode: the gravity maxima of A's premium and B's diesel.
inline constexpr double kNetworkPremiumMaxSpg = 0.80;
inline constexpr double kNetworkDieselMaxSpg = 0.90;
inline constexpr double kDieselMaxSulfur = 0.0015;

// ---- Qualities of the streams (blank: the stream has none)

inline constexpr double kNoQuality = 1e30;
inline double Spg(const std::string& tag) {
  if (tag == "LPG") return 0.55;
  if (tag == "NAP" || tag == "NPX") return 0.70;
  if (tag == "RFT") return 0.80;
  if (tag == "BUT") return 0.58;
  if (tag == "DST" || tag == "DHT") return 0.85;
  if (tag == "FAM") return 0.88;
  if (tag == "RES") return 0.97;
  if (tag == "PRM") return 0.74;
  if (tag == "DSL") return 0.85;
  if (!tag.empty() && tag[0] == 'X') return 0.90;
  if (!tag.empty() && tag[0] == 'Y') return 0.86;
  return 0.84;
}
inline double Sulfur(const std::string& tag) {
  if (tag == "LPG") return 0.001;
  if (tag == "NAP" || tag == "NPX") return 0.02;
  if (tag == "RFT") return 0.0005;
  if (tag == "BUT") return 0.0001;
  if (tag == "DHT") return 0.001;
  if (tag == "FAM") return 0.0005;
  if (tag == "RES") return 2.5;
  if (!tag.empty() && tag[0] == 'X') return 1.2;
  if (!tag.empty() && tag[0] == 'Y') return 0.05;
  return kNoQuality;
}
inline double Ron(const std::string& tag) {
  if (tag == "NAP" || tag == "NPX") return 65.0;
  if (tag == "RFT") return 98.0;
  if (tag == "BUT") return 93.0;
  return kNoQuality;
}
inline double Rvp(const std::string& tag) {
  if (tag == "NAP" || tag == "NPX") return 10.5;
  if (tag == "RFT") return 5.0;
  if (tag == "BUT") return 55.0;
  return kNoQuality;
}
// Weight per volume of a stream.
inline double Vtw(const std::string& tag) { return 0.159 * Spg(tag); }
inline double DieselSpg() { return (1.0 - FameFraction()) * Spg("DHT") + FameFraction() * Spg("FAM"); }

// ---- Prices, utilities, values

// A unit's price: residue's a unit of weight, the others' a unit of volume.
inline double ProductPrice(const std::string& tag, int period) {
  if (tag == "PRM") return 95.0 + period;
  if (tag == "DSL") return 90.0 + period;
  if (tag == "RES") return 290.0 + 6.0 * period;
  if (tag == "LPG") return 50.0 + period;
  return 80.0 + period;  // extra products
}
// What the market takes of diesel a day at most.
inline double DieselDemand(int plant) { return 45.0 + 11.0 * plant; }
inline constexpr const char* kUtilities[] = {"FUL", "POW", "STM", "PWX"};
inline constexpr int kUtilityCount = 4;
inline double UtilityPrice(const std::string& tag) {
  if (tag == "FUL") return 3.0;
  if (tag == "POW") return 0.07;
  if (tag == "STM") return 1.2;
  return 0.09;
}
// Utility use per unit of activity of the crude unit, reformer and hydrotreater.
inline double UtilityUse(const std::string& unit, const std::string& utility) {
  if (unit == "SCDU") return utility == "FUL" ? 0.02 : utility == "POW" ? 0.004 : utility == "STM" ? 0.01 : 0.0;
  if (unit == "SRFM") return utility == "FUL" ? 0.05 : utility == "POW" ? 0.01 : 0.0;
  if (unit == "SHDT") return utility == "POW" ? 0.006 : utility == "STM" ? 0.008 : 0.0;
  return utility == "POW" ? 0.01 : 0.0;  // extra units
}
// Operating cost per unit of activity of a unit.
inline double OperatingCost(const std::string& unit) {
  if (unit == "SCDU") return 0.6;
  if (unit == "SRFM") return 1.1;
  if (unit == "SHDT") return 0.9;
  return 0.5;
}
inline double ExtraFeedAvailability(int plant, int unit, int period) { return 5.0 + (unit % 9) + 0.5 * period + plant; }
inline constexpr double kExtraYield = 0.95;
inline constexpr double kExtraUnitCapacity = 30.0;
inline double ExtraFeedPrice(int period) { return 70.0 + period; }
inline constexpr double kEnergyPurchaseMax = 50.0;  // the energy group: power of both suppliers
inline constexpr double kSteamExportMax = 10.0;
inline constexpr double kFuelSalesMax = 400.0;  // the plant's fuels group: diesel and residue

// ---- Penalties: the weight of the penalty rows ("Epencol"), the slack prices of the tables

inline constexpr double kPenaltyWeight = 10.0;
inline constexpr double kCduSlackPrice = 5.0;       // CAPS
inline constexpr double kSeveritySlackPrice = 2.0;  // PROCLIM
inline constexpr double kOctanePenalty = 2.0;       // "penalty.dat"
inline constexpr double kSulfurPenalty = 1.5;

// ---- Inventories of a multi-period model (PINV; the fuels group FUE holds diesel)

// A tank's stocks, its penalty on a unit short of its target and its holding cost of a unit, each a period; in
// units of weight for a tank kept by weight.
struct Tank {
  const char* tag;
  double open, min, max, target, penalty, holding;
  bool weight;
};
inline constexpr Tank kTanks[] = {{"PRM", 20, 5, 60, 20, 2, 0.1, false}, {"DSL", 4, 1.5, 11, 4, 0, 0.7, true}};
// The fuels group holds the diesel tank.
inline constexpr Tank kFuelTanks = {"FUE", 0, 3, 20, 7, 1, 0.35, true};
// The depot's residue tank of the global model (DINV).
inline constexpr Tank kDepotTank = {"RES", 10, 0, 50, 10, 0, 0.05, true};

// ---- The global model: two plants, a depot, transfers, global purchases and sales

// The plant's own cost of a bought stream: the freight; the global purchase carries the price.
inline double CrudeFreight(int plant) { return 1.0 + 0.5 * plant; }
inline constexpr double kTransferCost = 0.8;
inline constexpr double kInternalButanePrice = 1.5;  // IPRICE of plant A's butane supply: the network's own charge
// The allocation cost of premium from a plant to the main market (DEMALLOC).
inline double PremiumAllocation(int plant) { return 0.5 + 0.2 * plant; }
// The depot takes residue by pipeline from plant A and sells it at a premium: at most this much a day.
inline constexpr double kDepotResidueMax = 4.0;
inline constexpr double kDepotResiduePremium = 4.0;
// Plant A loads at most this much LPG a day for the market; the rest goes by rail to plant B.
inline constexpr double kLpgLoadingMax = 3.5;
inline constexpr double kNetworkFuelSalesMax = 900.0;
inline constexpr double kNetworkCrudeMax = 400.0;  // the network's crude slate group
inline constexpr double kPlantCrudeMax = 200.0;

// ---- Recursion

inline constexpr int kRecursionPasses = 3;

// ---- The case set: case 1 is the base; cases 2 and 3 carry selection formulas over the base's results
// (true for 2, false for 3); cases 4 to 6 are a parametric chain that tightens the reformers' capacity, whose
// second step is infeasible; the others change a crude's price, the diesel demand or the crude unit's capacity.

inline constexpr int kParametricSteps[] = {4, 5, 6};
inline constexpr int kInfeasibleStep = 5;
// The reformer capacity a step of the chain sets.
inline double ChainReformerCapacity(int step) { return 16.0 - 5.0 * step; }

struct CaseData {
  int number = 1;
  std::string title;
  std::vector<double> crudePriceChange;  // per crude, added to the price of every period
  double reformerCapacity = 0.0;         // 0: the plants' own
  double dieselDemandFactor = 1.0;
  double cduCapacityFactor = 1.0;
};

inline std::string Amount(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.2f", value);
  return text;
}

inline std::string Percent(double share) { return std::to_string(static_cast<int>(share * 100 + 0.5)) + " %"; }

inline CaseData CaseOf(int c, int crudes) {
  CaseData data;
  data.number = c;
  data.crudePriceChange.assign(static_cast<std::size_t>(crudes), 0.0);
  const auto price = [&](int k, double change) {
    data.crudePriceChange[static_cast<std::size_t>(k)] = change;
    data.title = "Crude " + CrudeTag(k) + " " + Amount(change) + " a unit";
  };
  if (c == 1) {
    data.title = "Base case";
  } else if (c == 2) {
    price(0, 4.0);
  } else if (c == 3) {
    data.dieselDemandFactor = 0.8;
    data.title = "Diesel demand at " + Percent(data.dieselDemandFactor);
  } else if (c >= kParametricSteps[0] && c <= kParametricSteps[2]) {
    data.reformerCapacity = ChainReformerCapacity(c - kParametricSteps[0]);
    data.title = "Reformer capacity " + std::to_string(static_cast<int>(data.reformerCapacity));
  } else if (c % 4 == 3) {
    data.cduCapacityFactor = 0.95 - 0.05 * ((c / 4 + 1) % 3);
    data.title = "Crude unit at " + Percent(data.cduCapacityFactor);
  } else if (c % 4 == 1) {
    static const double kShares[] = {0.7, 0.75, 0.85, 0.9};  // below 0.7 a plant cannot meet its premium contract
    data.dieselDemandFactor = kShares[(c / 4) % 4];
    data.title = "Diesel demand at " + Percent(data.dieselDemandFactor);
  } else {
    price((c / 2) % crudes, (c % 3 == 0 ? -0.5 : 0.5) * (1 + (c / 2) % 5));
  }
  return data;
}

}  // namespace model_rules
