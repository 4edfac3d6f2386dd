#pragma once
// The rules behind every number the generated planning model reports: the
// generator writes the solver side's files from them, and a test computes
// from them what a result table must hold. Plants are counted from 0 (the
// single plant of a Standard or multi-period model is plant 0; plant B of
// the global model is 1), periods from 0, crudes from 0.
//
// The plant: crudes are bought and run on the crude unit SCDU, which cuts
// them into LPG, naphtha NAP, distillate DST (a pool: its sulfur follows the
// crude slate) and residue RES. The reformer SRFM turns part of the naphtha
// into reformate RFT, LPG and loss; the hydrotreater SHDT turns distillate
// into DHT. Premium PRM is a specification blend of RFT, the rest of the
// naphtha and bought butane BUT; diesel DSL a formula blend of DHT and
// bought FAM. PRM, DSL, RES and LPG are sold. Extra crudes and extra units
// (SUxx: bought feed Xxx into sold product Yxx) scale the model up.

#include <cmath>
#include <cstddef>
#include <string>

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

// ---- Crudes and the crude unit

inline double CduCapacity(int plant) { return 100.0 + 25.0 * plant; }
inline double CduUtilisation(int period) { return 0.80 + 0.05 * period; }
// Crude k's share of the crude run: 2(k+1) / (K(K+1)), so the shares add up to 1.
inline double CrudeShare(int k, int crudes) { return 2.0 * (k + 1) / (crudes * (crudes + 1.0)); }
inline double CrudeRun(int plant, int k, int crudes, int period) {
  return CduCapacity(plant) * CduUtilisation(period) * CrudeShare(k, crudes);
}
inline double CduRun(int plant, int period) { return CduCapacity(plant) * CduUtilisation(period); }
// A purchase column's cost is minus the price; PrPurchase.Cost holds the price.
inline double CrudePrice(int k, int period) { return 60.0 + 2.0 * (k % 7) + 1.5 * period; }
inline double CrudeSpg(int k) { return 0.82 + 0.02 * (k % 5); }
inline double CrudeSulfur(int k) { return 0.5 + 0.25 * (k % 4); }

// The cuts of the crude unit, in this order.
inline constexpr const char* kCuts[] = {"LPG", "NAP", "DST", "RES"};
inline constexpr int kCutCount = 4;
inline double CutYield(int cut, int k) {
  switch (cut) {
    case 0: return 0.03 + 0.005 * (k % 3);
    case 1: return 0.20 + 0.01 * (k % 4);
    case 2: return 0.35;
    default: return 1.0 - CutYield(0, k) - CutYield(1, k) - CutYield(2, k);
  }
}
inline double CutProduction(int plant, int cut, int crudes, int period) {
  double sum = 0.0;
  for (int k = 0; k < crudes; ++k) sum += CrudeRun(plant, k, crudes, period) * CutYield(cut, k);
  return sum;
}
// The distillate pool's sulfur: its crudes' distillate sulfur weighted by what each gives.
inline double DstSulfurOfCrude(int k) { return 0.6 * CrudeSulfur(k); }
inline double DstPoolSulfur(int plant, int crudes, int period) {
  double sulfur = 0.0;
  for (int k = 0; k < crudes; ++k) sulfur += CrudeRun(plant, k, crudes, period) * CutYield(2, k) * DstSulfurOfCrude(k);
  return sulfur / CutProduction(plant, 2, crudes, period);
}
// The static coefficient the unit table and PGUESS carry for the pool's sulfur.
inline constexpr double kDstSulfurGuess = 1.0;

// ---- Reformer, hydrotreater, bought components

inline constexpr double kReformerFeedShare = 0.6;  // of the naphtha
inline constexpr double kReformateYield = 0.85;
inline constexpr double kReformerLpgYield = 0.10;
inline constexpr double kReformerLoss = 0.05;
inline constexpr double kHydrotreaterYield = 0.98;
// The hydrotreater's yield as the unit table holds it; the solver recursed it (a general recursion
// coefficient of the DHT balance in the feed column) to kHydrotreaterYield.
inline constexpr double kHydrotreaterTableYield = 0.96;
inline constexpr double kHydrotreaterLoss = 0.02;
inline double ReformerFeed(int plant, int crudes, int period) {
  return CutProduction(plant, 1, crudes, period) * kReformerFeedShare;
}
inline double NaphthaToBlend(int plant, int crudes, int period) {
  return CutProduction(plant, 1, crudes, period) - ReformerFeed(plant, crudes, period);
}
inline double Reformate(int plant, int crudes, int period) {
  return ReformerFeed(plant, crudes, period) * kReformateYield;
}
inline double HydrotreaterFeed(int plant, int crudes, int period) { return CutProduction(plant, 2, crudes, period); }
inline double Hydrotreated(int plant, int crudes, int period) {
  return HydrotreaterFeed(plant, crudes, period) * kHydrotreaterYield;
}
inline double ButaneBought(int plant, int period) { return 4.0 + 2.0 * plant + 0.5 * period; }
inline double ButanePrice(int period) { return 48.0 + period; }
inline double FameFraction() { return 0.1; }  // of the diesel formula
inline double FamePrice(int period) { return 110.0 + period; }
// The reformer's severity and the limit the solver ran with ("proclim.dat"
// raises the table's maximum).
inline double Severity(int plant, int period) { return 95.0 + period + 0.5 * plant; }
inline constexpr double kSeverityTableMax = 100.0;
inline constexpr double kSeveritySolverMax = 102.0;
// The global model's process-limit table holds plant A's severity at this maximum.
inline constexpr double kNetworkSeverityMax = 101.0;
inline double SeverityMax(int plant, bool global) { return global && plant == 0 ? kNetworkSeverityMax : kSeveritySolverMax; }
inline constexpr double kHydrotreaterSulfurMax = 1.5;

// ---- Blends

inline double PremiumVolume(int plant, int crudes, int period) {
  return Reformate(plant, crudes, period) + NaphthaToBlend(plant, crudes, period) + ButaneBought(plant, period);
}
inline double DieselVolume(int plant, int crudes, int period) {
  return Hydrotreated(plant, crudes, period) / (1.0 - FameFraction());
}
inline double FameBought(int plant, int crudes, int period) { return DieselVolume(plant, crudes, period) * FameFraction(); }
inline constexpr double kPremiumMinRon = 88.0;
// In the nonlinear (Nimbo) mode "ParametricOverrides.dat" lowers the premium's minimum octane.
inline constexpr double kOverriddenMinRon = 84.0;
inline double PremiumMinRon(bool nimbo) { return nimbo ? kOverriddenMinRon : kPremiumMinRon; }
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
// Weight per volume of a stream.
inline double Vtw(const std::string& tag) { return 0.159 * Spg(tag); }

// Blend qualities: RON of PRM by volume, sulfur of DSL by weight.
inline double PremiumRon(int plant, int crudes, int period) {
  const double rft = Reformate(plant, crudes, period), nap = NaphthaToBlend(plant, crudes, period),
               but = ButaneBought(plant, period);
  return (rft * Ron("RFT") + nap * Ron("NAP") + but * Ron("BUT")) / (rft + nap + but);
}
// Gravities of the blends, by volume.
inline double PremiumSpg(int plant, int crudes, int period) {
  const double rft = Reformate(plant, crudes, period), nap = NaphthaToBlend(plant, crudes, period),
               but = ButaneBought(plant, period);
  return (rft * Spg("RFT") + nap * Spg("NAP") + but * Spg("BUT")) / (rft + nap + but);
}
inline double DieselSpg() { return (1.0 - FameFraction()) * Spg("DHT") + FameFraction() * Spg("FAM"); }
inline double DieselSulfur() {
  const double dht = (1.0 - FameFraction()) * Vtw("DHT"), fam = FameFraction() * Vtw("FAM");
  return (dht * Sulfur("DHT") + fam * Sulfur("FAM")) / (dht + fam);
}

// ---- Prices, utilities, values

inline double ProductPrice(const std::string& tag, int period) {
  if (tag == "PRM") return 95.0 + period;
  if (tag == "DSL") return 90.0 + period;
  if (tag == "RES") return 45.0 + period;
  if (tag == "LPG") return 50.0 + period;
  return 80.0 + period;  // extra products
}
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
inline double ExtraFeed(int plant, int unit, int period) { return 5.0 + (unit % 9) + 0.5 * period + plant; }
inline constexpr double kExtraYield = 0.95;
inline double ExtraFeedPrice(int period) { return 70.0 + period; }
// The marginal value of a stream's balance row.
inline double StreamValue(const std::string& tag, int period) { return 70.0 + (tag[0] % 10) + 0.25 * period; }

// ---- The global model: two plants, a depot, transfers, global purchases and sales

inline constexpr double kResidueToDepotShare = 0.2;  // of plant A's residue, by pipeline to the depot
inline constexpr double kLpgToPlantBShare = 0.1;     // of plant A's LPG, by rail to plant B
inline double LpgMade(int plant, int crudes, int period) {
  return CutProduction(plant, 0, crudes, period) + ReformerFeed(plant, crudes, period) * kReformerLpgYield;
}
inline double ResidueToDepot(int crudes, int period) { return CutProduction(0, 3, crudes, period) * kResidueToDepotShare; }
inline double LpgToPlantB(int crudes, int period) { return LpgMade(0, crudes, period) * kLpgToPlantBShare; }
// What a plant makes of a product.
inline double ProductMade(const std::string& tag, int plant, int crudes, int period) {
  if (tag == "PRM") return PremiumVolume(plant, crudes, period);
  if (tag == "DSL") return DieselVolume(plant, crudes, period);
  if (tag == "RES") return CutProduction(plant, 3, crudes, period);
  if (tag == "LPG") return LpgMade(plant, crudes, period);
  return 0.0;
}
// What a plant sells of a product in a global case (after the transfers).
inline double PlantSale(const std::string& tag, int plant, int crudes, int period) {
  double sale = ProductMade(tag, plant, crudes, period);
  if (tag == "RES" && plant == 0) sale -= ResidueToDepot(crudes, period);
  if (tag == "LPG") sale += plant == 0 ? -LpgToPlantB(crudes, period) : LpgToPlantB(crudes, period);
  return sale;
}
// The plant's own cost of a bought crude: the freight; the global purchase carries the price.
inline double CrudeFreight(int plant) { return 1.0 + 0.5 * plant; }
inline constexpr double kTransferCost = 0.8;
inline constexpr double kInternalButanePrice = 1.5;  // IPRICE of plant A's butane supply

// ---- Recursion and the case's solve

inline constexpr int kRecursionPasses = 3;
inline double PassObjective(int pass) { return 1000.0 + 10.0 * pass; }
inline int PassIterations(int pass) { return 40 + 5 * pass; }

// ---- Periods of a multi-period model

inline double PeriodDays(int period) { return period == 1 ? 28.0 : 31.0; }
// The global builders take a multi-period model's objective coefficients per period and report them per day.
inline double PerPeriod(double perDay, int period, bool multiPeriodGlobal) {
  return multiPeriodGlobal ? perDay * PeriodDays(period) : perDay;
}

}  // namespace model_rules
