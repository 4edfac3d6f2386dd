#include "tableio/db/db_tbl.h"

namespace {

enum : std::uint32_t {
  kIdsKeyCountDiffers = 10111,
  kIdsKeyFieldsWrong = 10112,
};

}  // namespace

std::uint32_t CDbTbl::SetReadColumns(CColumnArray& keyColumns, CColumnArray& dataColumns, const std::string& keyFields,
                                     const std::string& keyValues, const std::string& extractFields,
                                     std::vector<std::string>* optionalList) {
  if (!SetExtractColumns(extractFields)) return kExtractColumnsFailed;
  if (!keyFields.empty() && !SetKeyFields(keyFields)) return kIdsKeyFieldsWrong;
  if (!keyValues.empty() && !SetKeyValues(keyValues)) return kIdsKeyFieldsWrong;
  if (optionalList != nullptr) optionalList->insert(optionalList->end(), m_keyValues.begin(), m_keyValues.end());
  if (static_cast<std::size_t>(m_keyFields.GetSize()) != m_keyValues.size()) return kIdsKeyCountDiffers;
  CopyKeyColumns(keyColumns);
  CopyExtractColumns(dataColumns);
  return 0;
}

int CDbTbl::TransferRows(CIoRowArray& sourceRows, int /*sourceIndex*/, const std::vector<std::string>& sourceKeyValues,
                         CColumnArray& sourceColumns, const std::string& keyFields, const std::string& keyValues,
                         const std::string& resultFields, const std::string& extractFields, int& messageId) {
  auto c = WriteContext();
  return OdbcTransferRows(c, sourceRows, sourceKeyValues, sourceColumns, keyFields, keyValues, resultFields,
                          extractFields, messageId);
}

int CDbTbl::UpdateRow(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& resultColumns) {
  auto c = WriteContext();
  return OdbcUpdateRow(c, rows, keyColumns, resultColumns);
}

int CDbTbl::UpdateRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                             const std::string& resultFields, CIoCell& value, int& messageId) {
  auto c = WriteContext();
  return OdbcUpdateRowsByKeys(c, keyFields, keyValues, resultFields, value, messageId);
}

int CDbTbl::DeleteRow(CIoRowArray& rows, const std::string& keyFields) {
  auto c = WriteContext();
  return OdbcDeleteRow(c, rows, keyFields);
}

int CDbTbl::AddColumn(std::unique_ptr<CColumn> column) {
  auto c = WriteContext();
  return OdbcAddColumn(c, std::move(column));
}

int CDbTbl::CreateTable(CColumnArray& keyColumns, CColumnArray& dataColumns) {
  auto c = WriteContext();
  return OdbcCreateTable(c, keyColumns, dataColumns);
}
