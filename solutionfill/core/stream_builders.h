#pragma once
// The stream level of a model after the fill has made its streams: the
// report-writer units of the REPORT table, the recursed-pool streams, the
// volume-to-weight (VTW) values of every stream and period, the row
// marginals on a volume basis, the VTW of blends and alternates, and the
// gas streams. Each operation is the body of the builder of the same name.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"

struct CTableMapDimensions;
class CDbCase;
class CDbModel;
class CDbNode;
class CDbPeriod;
class CDbPrimalNode;
class CDbVTW;
class CVornDbExportData;
class CVornModelFile;

namespace fill {

// A row of the REPORT table: its name, text and whether any value cell holds a value.
struct CReportRow {
  std::string m_strName;
  std::string m_strText;
  bool m_bHasValue = false;
};

// One report-writer unit per real period for each REPORT row without values
// (mask rows skipped); returns the number of rows that made units.
int AddRwUnitsFromRows(const std::vector<CReportRow>& rows, CDbCase& dbCase, const std::string& nodeName,
                       bool isGlobal, bool isLocalModel, bool multiPeriod, CVornDbExportData* owner);

// The values of "PVTW.DAT" as the VTW builder uses them: the value of stream
// j in period i is at j * period count + i.
struct CPvtwTable {
  std::vector<std::string> m_astrStreamNames;  // trailing blanks removed
  std::vector<std::string> m_astrPeriodCodes;
  std::vector<double> m_adValues;
  // The value, or 1e30 when the file holds none at that place.
  double Value(std::size_t stream, std::size_t period) const;
};

// The VTW objects of the model's streams. pvtw is null when "PVTW.DAT" was
// not read; readPvtw is asked only where the rules read the file.
struct CVtwInputs {
  const CTableMapDimensions* m_pDimensions = nullptr;
  const CPvtwTable* m_pPvtw = nullptr;
  bool m_bMultiPeriod = false;      // the passed model's type is 1 or 3
  bool m_bUseNimbo = false;         // the main model's UseNimboOn
  double m_dModelVtw = 0.0;         // the passed model's VTW setting
};
void BuildVtwObjects(const CVtwInputs& inputs, CDbModel& model, CDbCase& dbCase, CDbPeriod* period, bool isGlobal,
                     CVornDbExportData* owner);

// The VTW of (streamId, modelId) in a VTW array sorted by node, then stream; null when absent.
CDbVTW* FindVtw(const CAutoDestructArray<CPtrArray, CDbVTW*>& vtws, std::int32_t streamId, std::int32_t modelId);

// Sign reversal and volume-basis conversion of the row marginals of the
// model's primal node.
struct CMarginalInputs {
  bool m_bMainMultiPeriod = false;   // the main model's type is 1 or 3
  bool m_bPassedMultiPeriod = false;
  bool m_bSignReverse = false;       // the main model's SignReverseSectionOn is 1
  bool m_bConvertToVolume = false;   // VOLBASIS 0 with VolumeConversionSectionOn
  double m_dMainVtw = 0.0;
  const std::vector<std::string>* m_pUnitRows = nullptr;  // row names of UNITS, null when not read
};
void AdjustRowMarginalsOf(const CMarginalInputs& inputs, CDbPrimalNode& primalNode, CDbCase& dbCase,
                          CDbPeriod* period, CDbModel& model);

// Streams for the recursed pools (rows "RBAL"/"RVBL" of the first real period).
void BuildRecursedPoolsOf(CDbModel& model, CDbPrimalNode* primalNode, CDbCase& dbCase, CVornDbExportData* owner);
void SetBlendVtwOf(CDbModel& model, CDbPrimalNode* primalNode, CDbCase& dbCase, bool mainMultiPeriod);
void CopyAlternateVtwOf(CDbModel& model, CDbCase& dbCase);
// The gas streams of the GASES rows; gasFactor (GVTW / VTW) applies to the
// streams whose SPG value is not fixed when useNimbo is set.
void BuildGasStreamsOf(const std::vector<std::string>& gasRows, CDbCase& dbCase, CDbModel& model, bool useNimbo,
                       double gasFactor);

}  // namespace fill
