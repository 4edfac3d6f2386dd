#include "tableio/io_table_description.h"

void CIoTableDescription::Copy(const CIoTableDescription& other) {
  if (this == &other) return;
  m_strSource = other.m_strSource;
  m_strTable = other.m_strTable;
  m_strDataSourceName = other.m_strDataSourceName;
  m_strUser = other.m_strUser;
  m_strPassword = other.m_strPassword;
  m_strExtra = other.m_strExtra;
  m_date = other.m_date;
  m_nOptions = other.m_nOptions;
  m_nTableType = other.m_nTableType;
  m_nExtra = other.m_nExtra;
  m_pDatabase = other.m_pDatabase;
  if (m_pConnection != other.m_pConnection) m_pConnection = other.m_pConnection;
}

void CIoTableDescription::Serialize(plat::Archive& archive) {
  std::string* texts[] = {&m_strSource, &m_strTable, &m_strDataSourceName, &m_strUser,
                          &m_strPassword, &m_strExtra[0], &m_strExtra[1], &m_strExtra[2]};
  std::int32_t* ints[] = {&m_nOptions[0], &m_nOptions[1], &m_nOptions[2],
                          &m_nTableType,  &m_nExtra[0],   &m_nExtra[1]};
  if (archive.IsStoring()) {
    for (std::string* text : texts) archive << *text;
    archive << m_date;
    for (std::int32_t* value : ints) archive << *value;
  } else {
    for (std::string* text : texts) archive >> *text;
    archive >> m_date;
    for (std::int32_t* value : ints) archive >> *value;
  }
}

std::unique_ptr<CIoTableDescription> CreateTableDescription() {
  return std::make_unique<CIoTableDescription>();
}
