#pragma once
// Look-ups (besides those of group_fill.h) and values the builders of purchases, sales, transfers,
// inventories, penalties and the economic summary share. Every look-up
// returns null for a missing item: a missing table row, node, period or LP
// value is an expected case for these builders, never an error.

#include <cstdint>
#include <istream>
#include <string>
#include <type_traits>

class CDbCase;
class CDbEcoSum;
class CDbGroup;
class CDbGroupTransaction;
class CDbModel;
class CDbNode;
class CDbPeriod;
class CDbPrimal;
class CDbPrimalNode;
class CDbPrimalPeriod;
class CDbSolution;
class CDbSale;
class CDbStream;
class CDbTransaction;
class CTableFilTable;
class CVornDbExportData;
class CVornModelFile;

namespace econ {

CDbPrimalNode* FindPrimalNode(const CDbSolution& solution, const std::string& name);
CDbPrimal* FindColumn(const CDbPrimalPeriod& period, const std::string& name);
CDbPrimal* FindRow(const CDbPrimalPeriod& period, const std::string& name);
CDbPeriod* FindCasePeriod(const CDbCase& dbCase, const std::string& name);
// The stream the lookups of a global stream give for a model id, or null.
CDbStream* FindLookupStream(const CDbStream& stream, std::int32_t modelId);

// Days of the period in a multi-period case, else (or when Days is 0) 1.
double PeriodDivisor(const CDbCase& dbCase, const CDbPeriod& period);
// The VTW value of (streamId, nodeId) in the period, 1 when there is none.
double VtwFactor(const CDbPeriod& period, std::int32_t streamId, std::int32_t nodeId);

// Settings of the export's main model (0 without one).
bool UseZelun(const CVornDbExportData* exportData);
std::int32_t MainModelType(const CVornDbExportData* exportData);
bool MainIsMultiPeriod(const CVornDbExportData* exportData);

// The basis flag of a table row: from volumeBasis, 1 with a VOL value, then 0 with a WGT value.
std::int32_t RowBasis(const CTableFilTable& table, int row, int volColumn, int wgtColumn, std::int32_t volumeBasis);

// The slot of unit id unitId of model modelId in the period's process-limit
// arrays, or -1 when the model has no slots there (or the unit none).
int ProcLimSlot(const CDbPeriod& period, std::int32_t modelId, std::int32_t unitId);

// The first record (item id, node id, quality id) of a list of stream or
// blend qualities, by a linear search (the lists' stored order varies); null when none.
template <class List>
auto FindQualityRecord(const List& list, std::int32_t id, std::int32_t nodeId, std::int32_t qualityId)
    -> std::remove_reference_t<decltype(*list.begin())> {
  for (auto* record : list)
    if (record && record->m_nID == id && record->m_nNodeID == nodeId && record->m_nQualityID == qualityId)
      return record;
  return nullptr;
}

// The economic-summary entry (category, modelId) of a period, or null.
CDbEcoSum* FindEcoSum(const CDbPeriod& period, std::int32_t category, std::int32_t modelId);
// As FindEcoSum; a missing entry is made with Activity 0 and the list re-sorted.
CDbEcoSum& EnsureEcoSum(CDbPeriod& period, std::int32_t category, std::int32_t modelId, CVornDbExportData* owner);

// A purchase (sale, group transaction) from its LP column: cost or price
// divided by divisor unless undividedCost, marginal value always divided.
void SetPurchaseValues(CDbTransaction& purchase, const CDbPrimal& column, double divisor, bool undividedCost,
                       std::int32_t basis, std::int32_t reportOrder);
void SetSaleValues(CDbSale& sale, const CDbPrimal& column, double divisor, bool undividedCost, std::int32_t basis,
                   std::int32_t reportOrder);
void SetGroupValues(CDbGroupTransaction& group, const CDbPrimal& column, double divisor);
// A marginal value per day; a value that is not set stays so.
double PerDay(double value, double divisor);

// The records of the solver's small text side files ("penalty.dat",
// "proclim.dat"): a row name, a column name and a number, separated by
// white space. As the solver's reader does, a name takes at most 9
// characters and a longer word gives the next field the rest.
class CSideFileRecordReader {
 public:
  explicit CSideFileRecordReader(std::istream& in) : m_in(in) {}
  // The next record; false at the end, or where the number field holds no number.
  bool Next(std::string& row, std::string& column, float& value);
  // Reading stopped inside a record (cut short, no number where one is due, a name with a byte that is no
  // ASCII character), or the file could not be read.
  bool IsDamaged() const { return !m_strDamage.empty(); }
  // What stopped the reading, with the line it stopped on; empty when nothing did.
  const std::string& GetDamage() const { return m_strDamage; }

 private:
  bool NextWord();
  bool NextName(std::string& name);
  bool Damaged(const char* what);
  std::istream& m_in;
  std::string m_pending;
  std::string m_strDamage;
  int m_nLine = 1;      // the line the reading is on
  int m_nWordLine = 1;  // the line of the last word taken
};

// A text side file whose reader stopped inside a record, or whose last line has no line end, fails the case
// that reads it, naming the file and the line; true when it did.
bool FailDamagedSideFile(const CSideFileRecordReader& reader, const std::string& path);

// The first n characters, and the three characters from position k ("" past the end).
std::string Left(const std::string& text, std::size_t n);
std::string Chars3(const std::string& text, std::size_t k);
// The character at 0-based position k as a text, "" past the end.
std::string CharAt(const std::string& text, std::size_t k);

}  // namespace econ
