// Fuzz entry of the nimbo variables' archive: any bytes load or are refused
// with an archive exception, and what loaded stores and loads back to the same
// bytes. Built as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "modelfile/nimbo_vars.h"
#include "platform/testing/fuzz_support.h"

namespace {

std::string Store(CNimbo_Vars& vars) {
  std::ostringstream out(std::ios::binary);
  plat::Archive ar(out);
  vars.Serialize(ar);
  ar.Flush();
  return out.str();
}

bool Load(CNimbo_Vars& vars, const std::string& bytes) {
  std::istringstream in(bytes, std::ios::binary);
  plat::Archive ar(in);
  try {
    vars.Serialize(ar);
  } catch (const CArchiveException&) {
    return false;
  }
  return true;
}

// A container with a record of every kind and texts in each length form.
void Fill(CNimbo_Vars& vars) {
  for (std::size_t i = 0; i < 7; ++i) vars.m_nCounters[i] = static_cast<std::int32_t>(i + 1);
  for (std::size_t i = 0; i < CNimbo_Vars::kListCount; ++i) vars.m_lists[i] = {"L" + std::to_string(i + 1)};
  vars.m_lists[2].push_back(std::string(300, 'w'));
  auto input = std::make_unique<CSiInputValue>();
  input->m_strText1 = "in";
  input->m_dValue = 2.5;
  input->m_bFlag2 = true;
  vars.m_valueArray1.Add(std::move(input));
  vars.m_valueArray2.Add(std::make_unique<CSiInputValue>());
  auto output = std::make_unique<CSiOutputValue>();
  output->m_strText5 = "out";
  vars.m_valueArray3.Add(std::move(output));
  vars.m_valueArray4.Add(std::make_unique<CSiOutputValue>());
  vars.m_valueArray5.Add(std::make_unique<CSiInputValue>());
  auto curve = std::make_unique<CCurve>();
  curve->m_strText2 = "curve";
  auto point = std::make_unique<CCurveValue>();
  point->m_dX = 0.5;
  curve->m_values.Add(std::move(point));
  vars.m_curves.Add(std::move(curve));
  auto kesh = std::make_unique<CKesh>();
  kesh->m_strName = "blend";
  kesh->m_names = {"a", "b"};
  vars.m_keshes.Add(std::move(kesh));
  auto usr = std::make_unique<CUsrEqn>();
  usr->m_names2 = {"v"};
  vars.m_usrEqns.Add(std::move(usr));
  vars.m_tuloEqns.Add(std::make_unique<CTuloEqn>());
  auto calc = std::make_unique<CPCalc>();
  calc->m_strText2 = "calc";
  vars.m_pCalcs.Add(std::move(calc));
  vars.m_doubles1 = {1.0, 1e30};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CNimbo_Vars vars;
  if (!Load(vars, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  const std::string stored = Store(vars);
  CNimbo_Vars again;
  if (!Load(again, stored) || Store(again) != stored) __builtin_trap();
  return 0;
}

extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  CNimbo_Vars empty;
  CNimbo_Vars filled;
  Fill(filled);
  return fuzz::WriteSeed(directory, "empty.bin", Store(empty)) && fuzz::WriteSeed(directory, "filled.bin", Store(filled));
}
