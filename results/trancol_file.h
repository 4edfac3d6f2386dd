#pragma once
// The binary Trancol sensitivity file the solver side leaves for a case:
// a status, the basis and non-basis names, then the costs, the reduced costs
// and the sensitivity matrix (little-endian int32 and float64, no padding).
// Every count and length is checked against the bytes that are there before
// anything is read or reserved for it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The statuses of the solver's sensitivity calculation.
inline constexpr std::int32_t kTrancolOk = 0;
inline constexpr std::int32_t kTrancolBadConfiguration = 9;
inline constexpr std::int32_t kTrancolStructurallySingular = 10;
inline constexpr std::int32_t kTrancolNumericallySingular = 11;  // the data follows and is used
inline constexpr std::int32_t kTrancolSingular = 111;

// A name is at most this long; a longer length marks a damaged file.
inline constexpr std::int32_t kTrancolMaxNameLength = 99;

struct CTrancolData {
  std::int32_t m_nStatus = 0;
  // One entry per name slot of the file; empty where its length was 0 or less.
  std::vector<std::optional<std::string>> m_basisNames;
  std::vector<std::optional<std::string>> m_nonBasisNames;
  // Present only with at least one basis and one non-basis slot.
  std::vector<double> m_costs;         // basis count - 1
  std::vector<double> m_reducedCosts;  // non-basis count
  std::vector<double> m_matrix;        // non-basis-major: [i * basis count + j]

  bool HasData() const { return !m_basisNames.empty() && !m_nonBasisNames.empty(); }
  // False for a failed calculation: nothing after the status was read.
  bool IsUsable() const { return m_nStatus == kTrancolOk || m_nStatus == kTrancolNumericallySingular; }
};

enum class TrancolParse { Ok, Damaged };

// Reads the file's bytes into data. Damaged when the bytes end before what
// the counts promise, a name is too long or holds a byte that is no printable
// ASCII character; data then holds what was read.
TrancolParse ParseTrancolData(std::span<const std::uint8_t> bytes, CTrancolData& data);
