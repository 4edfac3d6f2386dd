#pragma once
// The solver's side files of a solved case: "Recursion.fil" (named values per
// period of the recursion, and a log of its passes), "PVTW.DAT" (VTW factors
// per stream and period) and "TVPROP.DAT" (a flat list of named values).
// All are binary, little-endian, without padding; the reals of the first two
// are floats unless UseZelunMGOn or UseNimboOn of the main model is on. No
// list is sized by a count the file holds: what is read is what the file has.
//
// The recursion and PVTW records live in the model definition (among its
// case data buffers) and are overwritten case by case; the TVPROP entries
// and the ROWSORG entries are lists of the whole process.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/object.h"
#include "results/objects/db_primal.h"

class CVornDbExportData;
class CVornModelFile;

// "Recursion.fil": eight header words H1..H8 (H6 the name count, H7 the
// period-code count, H8 the pass count), the primary and secondary names (12
// bytes each), the pass log (when H8 > 0: objectives, one status character,
// LP iterations and two out-of-tolerance counts per pass), the period codes
// (one byte each) and the values, period by period.
class CRecursionRecord : public CObject {
 public:
  std::int32_t NameCount() const { return m_anHeader[5]; }
  std::int32_t PeriodCodeCount() const { return m_anHeader[6]; }
  std::int32_t PassCount() const { return m_anHeader[7]; }
  // The value of name k for period code j (element j * NameCount + k); 1e30 outside the record.
  double Value(std::int32_t name, std::int32_t periodCode) const;
  double PassObjective(std::int32_t pass) const;  // pass from 0

  std::array<std::int32_t, 8> m_anHeader{};
  bool m_bDoublePrecision = false;
  std::vector<std::string> m_astrPrimaryNames;    // 12 characters at most; trailing blanks kept
  std::vector<std::string> m_astrSecondaryNames;
  std::vector<std::string> m_astrPeriodCodes;     // one character each
  std::vector<std::string> m_astrPassStatusCodes;
  std::vector<float> m_afValues;                  // only the array of the file's precision is filled
  std::vector<double> m_adValues;
  std::vector<float> m_afPassObjectives;
  std::vector<double> m_adPassObjectives;
  std::vector<std::int32_t> m_anPassLPIterations;
  std::vector<std::int32_t> m_anPassPropOutofTolerance;
  std::vector<std::int32_t> m_anPassDistrOutofTolerance;
};

// "PVTW.DAT": the period-code count K and the stream count S, K period codes
// (one byte), S stream names (four bytes) and S x K values, stream by stream.
class CPvtwRecord : public CObject {
 public:
  // The value of stream s for period code k (element s * K + k); 1e30 outside the record.
  double Value(std::int32_t stream, std::int32_t periodCode) const;

  std::int32_t m_nStreamCount = 0;
  std::int32_t m_nPeriodCodeCount = 0;
  bool m_bDoublePrecision = false;
  std::vector<double> m_adValues;
  std::vector<float> m_afValues;
  std::vector<std::string> m_astrPeriodCodes;
  std::vector<std::string> m_astrStreamNames;  // four characters at most
};

// Back to the empty record.
void ClearRecursionData(CRecursionRecord& record);
void ClearPvtwData(CPvtwRecord& record);

// The model definition's records (made empty on first use).
CRecursionRecord& GetRecursionRecord(CVornModelFile& model);
CPvtwRecord& GetPvtwRecord(CVornModelFile& model);

// The file's bytes into the record (cleared first). False, with the record
// cleared and the reason in error, when the header is incomplete or a count
// is negative. A file shorter than its counts announce is read as far as it
// goes: each list keeps its whole elements, the lists after a cut one stay
// empty, the values of a period (recursion) or stream (PVTW) count only when
// all of them are there, and the record's counts (the header words of the
// names, periods and passes; the stream and period-code counts) are set to
// what it holds. missing, when given, then says what the file lacked (empty
// for a whole file).
bool ParseRecursionFile(const std::string& bytes, bool doublePrecision, CRecursionRecord& record, std::string& error,
                        std::string* missing = nullptr);
bool ParsePvtwFile(const std::string& bytes, bool doublePrecision, CPvtwRecord& record, std::string& error,
                   std::string* missing = nullptr);
// One entry per complete 20-byte record (name parts of 8 bytes each, trimmed
// and joined; the float value as Activity) appended to entries; returns the
// number appended. A trailing incomplete record is ignored.
std::int32_t ParseTvpropFile(const std::string& bytes, CDbPrimalArray& entries);

// The process-wide entry lists (owning, compared by name).
CDbPrimalArray& TvpropEntries();
CDbPrimalArray& RowsOrgEntries();

// The paths of a case's recursion and PVTW files (export kind, SQL Server
// output and the file-name manager decide, as for the solution file).
std::string GetRecursionFilePath(CVornDbExportData& exportData, const CVornModelFile& model, std::int32_t caseNumber);
std::string GetPvtwFilePath(CVornDbExportData& exportData, const CVornModelFile& model, std::int32_t caseNumber);

// The side files' precision: double with UseZelunMGOn or UseNimboOn of the main model.
bool SideFilesUseDoublePrecision(const CVornDbExportData& exportData, const CVornModelFile& model);
