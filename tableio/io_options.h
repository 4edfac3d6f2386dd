#pragma once
// The switches of a table back end.

#include <cstdint>
#include <string>

#include "platform/object.h"

class CIOOptions : public CObject {
 public:
  CIOOptions() { ResetFlags(); }
  ~CIOOptions() override = default;

  virtual std::int32_t GetLoginTimeout() const { return LoginTimeout; }
  // Zeroes the switches whose default is 0.
  void ResetFlags();

  // An error report is also shown in an error box.
  std::int32_t ShowErrorBoxes = 1;
  // A warning report is also shown in an information box.
  std::int32_t ShowWarningBoxes = 0;
  // Reports and notes go to the back end's log stream, when it has one.
  std::int32_t LogEnabled = 1;
  std::int32_t AllowColumnAdditions = 1;
  std::int32_t AllowRowAdditions = 1;
  // A saved worksheet keeps its old contents under the backup extension.
  std::int32_t BackupOnSave = 0;
  // Database columns of unreadable types are skipped with a warning.
  std::int32_t SkipBinaryColumns = 1;
  std::int32_t ReplaceExisting = 0;
  std::int32_t m_nUnused1[2] = {0, 0};
  std::int32_t AppendRows = 0;
  std::int32_t SkipUnmatchedRows = 0;
  std::int32_t m_nUnused2[4] = {0, 0, 0, 0};
  std::int32_t m_nUnused3 = 1;
  // In a worksheet, a column heading that begins with "*" ends the columns.
  std::int32_t StarHeadingEndsColumns = 1;
  std::int32_t m_nUnused4 = 1;
  // Row matching of a transfer takes every matching target row.
  std::int32_t AllMatchingRows = 0;
  std::int32_t m_nUnused5[2] = {0, 0};
  std::int32_t m_nUnused6[4] = {1, 1, 1, 1};
  std::int32_t m_nUnused7 = 0;
  // Seconds.
  std::int32_t LoginTimeout = 15;
  std::string BackupExtension;
  std::string m_strUnused;
};
