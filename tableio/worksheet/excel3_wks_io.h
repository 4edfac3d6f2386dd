#pragma once
// BIFF3 worksheets (first record id 0x0209): cell records refer to XF
// records for their format, protection and alignment.

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "tableio/worksheet/excel2_wks_io.h"

class excel3WksIO : public excel2WksIO {
 public:
  excel3WksIO(std::unique_ptr<std::istream> stream, const std::string& path);

  void ScanHeader() override;
  void SetAlignment(int row, int column, int alignment) override;
  bool SaveToBytes(std::string& bytes) override;
  int XfLayout() override;
  int ScanDimensions() override;

 protected:
  excel3WksIO() = default;

  CellValue DecodeCell(int row, int column) override;
  CellWriteForm WriteForm() const override;
  std::vector<std::uint8_t> CellRecordStart(int row, int column, int alignment) override;
  CellAttributes XfAttributes(int xfIndex) const;
  // The XF index that holds the alignment field value, adding an XF record when none does.
  int XfWithAlignment(int xfIndex, int alignmentValue);
  // The XF index of the cell, 0 when there is none.
  int CellXfIndex(const CellLookup& cell) const;

  bool IsCellRecord(std::uint16_t id) const override;
  bool IsLookupPassOver(std::uint16_t id) const override;
  bool IsLookupCell(std::uint16_t id) const override;
  bool IsIndexedCell(std::uint16_t id) const override;
  bool IsFormulaRecord(std::uint16_t id) const override;
  bool IsStringRecord(std::uint16_t id) const override;
  bool IsSaveCell(std::uint16_t id) const override;
  std::string_view StringRecordText(const RecordView& record) const override;

  // Header scan shared by the BIFF3 to BIFF5 readers: XF and FORMAT ids,
  // whether DIMENSIONS sets the counts, and the ids that end the scan.
  struct HeaderIds {
    std::uint16_t xfId = 0x0243;
    std::uint16_t formatId = 0x001E;
    bool useDimensions = false;
  };
  void ScanHeaderWith(const HeaderIds& ids);

  std::vector<RecordBytes> m_xfRecords;  // the file's XF records, then those added by writes
  int m_nFileXfs = 0;
  Position m_lastXfPos = kNoRecord;
  std::uint16_t m_xfId = 0x0243;
  int m_xfLayout = 0;
};
