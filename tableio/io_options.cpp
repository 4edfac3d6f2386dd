#include "tableio/io_options.h"

void CIOOptions::ResetFlags() {
  BackupOnSave = 0;
  ReplaceExisting = 0;
  m_nUnused1[0] = m_nUnused1[1] = 0;
  AppendRows = 0;
  SkipUnmatchedRows = 0;
  for (std::int32_t& value : m_nUnused2) value = 0;
  AllMatchingRows = 0;
  m_nUnused5[0] = m_nUnused5[1] = 0;
  m_nUnused7 = 0;
}
