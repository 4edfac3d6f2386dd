#include "solutionfill/economics/economics_fill.h"

#include <cstdlib>
#include <fstream>
#include <memory>

#include "caseset/modeltables/table_fil_table.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "foundation/string_utils.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"

namespace econ {

namespace {
// Binary search under the list's order, then a linear pass for a list caught between an append and its sort.
template <class Array, class Key>
auto FindByKey(const Array& list, const Key& probe) {
  if (auto* found = list.Find(&probe)) return found;
  return list.LinearFind(&probe);
}
}  // namespace

CDbPrimalNode* FindPrimalNode(const CDbSolution& solution, const std::string& name) {
  const CDbPrimalNode probe(name);
  return FindByKey(solution.m_paPrimalNodes, probe);
}

CDbPrimal* FindColumn(const CDbPrimalPeriod& period, const std::string& name) {
  const CDbPrimal probe(name);
  return period.m_paColumns.Find(&probe);
}

CDbPrimal* FindRow(const CDbPrimalPeriod& period, const std::string& name) {
  const CDbPrimal probe(name);
  return period.m_paRows.Find(&probe);
}

CDbPeriod* FindCasePeriod(const CDbCase& dbCase, const std::string& name) {
  const CDbPeriod probe(name);
  return FindByKey(dbCase.m_paPeriods, probe);
}

CDbStream* FindLookupStream(const CDbStream& stream, std::int32_t modelId) {
  for (const CDbStreamLookup* lookup : stream.m_paLookups)
    if (lookup && lookup->m_nModelID == modelId) return lookup->m_pStream;
  return nullptr;
}

double PeriodDivisor(const CDbCase& dbCase, const CDbPeriod& period) {
  if (period.m_dDays != 0.0 && !::IsInfiniteValue(period.m_dDays) && fill::FirstPeriodIndex(dbCase) != 0)
    return period.m_dDays;
  return 1.0;
}

double VtwFactor(const CDbPeriod& period, std::int32_t streamId, std::int32_t nodeId) {
  const CDbVTW probe(streamId, nodeId);
  const CDbVTW* vtw = FindByKey(period.m_paVTWs, probe);
  return vtw ? vtw->m_dValue : 1.0;
}

bool UseZelun(const CVornDbExportData* exportData) {
  const CVornModelFile* main = fill::MainModel(exportData);
  return main && main->m_settings.m_UseZelunMGOn.GetValue() != 0;
}

std::int32_t MainModelType(const CVornDbExportData* exportData) {
  const CVornModelFile* main = fill::MainModel(exportData);
  return main ? fill::GetModelType(*main) : 0;
}

bool MainIsMultiPeriod(const CVornDbExportData* exportData) {
  const std::int32_t type = MainModelType(exportData);
  return type == 1 || type == 3;
}

std::int32_t RowBasis(const CTableFilTable& table, int row, int volColumn, int wgtColumn, std::int32_t volumeBasis) {
  std::int32_t basis = volumeBasis;
  float value = 0.0f;
  if (fill::GetCell(table, row, volColumn, value)) basis = 1;
  if (fill::GetCell(table, row, wgtColumn, value)) basis = 0;
  return basis;
}

CDbEcoSum* FindEcoSum(const CDbPeriod& period, std::int32_t category, std::int32_t modelId) {
  const CDbEcoSum probe(category, modelId);
  return period.m_paEcoSums.Find(&probe);
}

CDbEcoSum& EnsureEcoSum(CDbPeriod& period, std::int32_t category, std::int32_t modelId, CVornDbExportData* owner) {
  if (CDbEcoSum* entry = FindEcoSum(period, category, modelId)) return *entry;
  auto entry = std::make_unique<CDbEcoSum>(category, modelId, owner);
  CDbEcoSum& made = *entry;
  period.m_paEcoSums.Add(std::move(entry));
  period.m_paEcoSums.Sort(&CDbEcoSum::CompareElements);
  return made;
}

double PerDay(double value, double divisor) { return ::IsInfiniteValue(value) ? value : value / divisor; }

namespace {
void SetTransactionValues(CDbTransaction& t, const CDbPrimal& column, double divisor, std::int32_t basis,
                          std::int32_t reportOrder) {
  t.m_dActivity = column.m_dActivity;
  t.m_dMarginalValue = PerDay(column.m_dMarginalValue, divisor);
  t.m_dMaxValue = column.m_dHiRHS;
  t.m_dMinValue = column.m_dLoRHS;
  t.m_nVWBasisID = basis;
  t.m_nReportGroup = kDbNoReportOrder;
  t.m_nReportOrder = reportOrder;
}
}  // namespace

void SetPurchaseValues(CDbTransaction& purchase, const CDbPrimal& column, double divisor, bool undividedCost,
                       std::int32_t basis, std::int32_t reportOrder) {
  SetTransactionValues(purchase, column, divisor, basis, reportOrder);
  purchase.m_dCost = -(undividedCost ? column.m_dSlack : column.m_dSlack / divisor);
}

void SetSaleValues(CDbSale& sale, const CDbPrimal& column, double divisor, bool undividedCost, std::int32_t basis,
                   std::int32_t reportOrder) {
  SetTransactionValues(sale, column, divisor, basis, reportOrder);
  sale.m_dPrice = undividedCost ? column.m_dSlack : column.m_dSlack / divisor;
}

void SetGroupValues(CDbGroupTransaction& group, const CDbPrimal& column, double divisor) {
  group.m_dMarginalValue = PerDay(column.m_dMarginalValue, divisor);
  group.m_dMaxValue = column.m_dHiRHS;
  group.m_dMinValue = column.m_dLoRHS;
}

int ProcLimSlot(const CDbPeriod& period, std::int32_t modelId, std::int32_t unitId) {
  const auto first = period.m_mapProcLimFirstSlot.find(modelId);
  if (first == period.m_mapProcLimFirstSlot.end() || unitId < 1) return -1;
  const std::size_t slot = first->second + static_cast<std::size_t>(unitId) - 1;
  if (slot >= period.m_adProcLimMin.size() || slot >= period.m_adProcLimMax.size()) return -1;
  return static_cast<int>(slot);
}

bool CSideFileRecordReader::NextWord() {
  if (!m_pending.empty()) return true;
  // White space as the solver's reader takes it, counting the lines; a word runs to the next white space.
  const auto blank = [](int ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f'; };
  int ch = m_in.get();
  for (; ch != std::char_traits<char>::eof() && blank(ch); ch = m_in.get())
    if (ch == '\n') ++m_nLine;
  if (ch == std::char_traits<char>::eof()) return false;
  m_nWordLine = m_nLine;
  for (; ch != std::char_traits<char>::eof() && !blank(ch); ch = m_in.get()) m_pending.push_back(static_cast<char>(ch));
  if (ch == '\n') ++m_nLine;
  return true;
}

bool CSideFileRecordReader::NextName(std::string& name) {
  constexpr std::size_t kNameWidth = 9;
  if (!NextWord()) return false;
  name = m_pending.substr(0, kNameWidth);
  m_pending.erase(0, name.size());
  return true;
}

bool CSideFileRecordReader::Damaged(const char* what) {
  m_strDamage = "line " + std::to_string(m_nWordLine) + " " + what;
  return false;
}

bool CSideFileRecordReader::Next(std::string& row, std::string& column, float& value) {
  if (IsDamaged()) return false;
  if (!NextName(row)) {
    if (m_in.bad()) m_strDamage = "it cannot be read";
    return false;
  }
  // The solver writes the names in ASCII: another byte in one means a damaged file.
  if (!IsPrintableAscii(row)) return Damaged("holds a name that is no text");
  if (!NextName(column) || !NextWord()) return Damaged("ends inside its record");
  if (!IsPrintableAscii(column)) return Damaged("holds a name that is no text");
  const char* start = m_pending.c_str();
  char* end = nullptr;
  value = std::strtof(start, &end);
  if (end == start) return Damaged("holds no number where its value is due");
  m_pending.erase(0, static_cast<std::size_t>(end - start));
  return true;
}

bool FailDamagedSideFile(const CSideFileRecordReader& reader, const std::string& path) {
  // The solver ends every line of the file: a last line without its end was cut short.
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  char last = '\n';
  if (file && file.tellg() > 0 && file.seekg(-1, std::ios::end)) file.get(last);
  if (!reader.IsDamaged() && last == '\n') return false;
  const std::string cause =
      "the file " + path + " is damaged: " + (reader.IsDamaged() ? reader.GetDamage() : "its last line is cut short");
  NoteInputFailure(cause);
  ShowErrorMessage(cause, false);
  return true;
}

std::string Left(const std::string& text, std::size_t n) { return text.substr(0, n); }

std::string Chars3(const std::string& text, std::size_t k) { return k < text.size() ? text.substr(k, 3) : std::string(); }

std::string CharAt(const std::string& text, std::size_t k) {
  return k < text.size() ? std::string(1, text[k]) : std::string();
}

}  // namespace econ
