#pragma once
// The export object a worker carries for its whole run: its logger, the
// current case, the solve times and the model data of the export
// configuration. This is the interim object: it cannot read the export
// configuration yet, so a run that has one fails its database output set-up.

#include <string>

#include "foundation/logging.h"
#include "platform/ole_date_time.h"

class CAssembledCase;

// prefix + the case number as "%06d" + suffix; no number for a negative case.
std::string MakeCaseFileName(const std::string& prefix, int caseNumber, const std::string& suffix);

class CVornDbExport {
 public:
  // The logger stays the caller's; the export writes through it.
  explicit CVornDbExport(ILogging* logging);
  ~CVornDbExport();
  CVornDbExport(const CVornDbExport&) = delete;
  CVornDbExport& operator=(const CVornDbExport&) = delete;

  // Reads the export configuration and case set. Not available yet: false.
  bool ReadDataFromXmlFile(const std::string& path, int flags);
  // Releases what was loaded for the run; nothing when nothing was loaded.
  void ReleaseModelData();
  bool IsModelDataLoaded() const { return m_bModelDataLoaded; }

  // The logger of the export's SQL Server driver (the worker names its file per case).
  ILogging* GetLogging() const { return m_pLogging; }

  int m_nExportKind = 0;
  const CAssembledCase* m_pCurrentCase = nullptr;
  plat::OleDateTime m_dtSolveStart;
  plat::OleDateTime m_dtSolveEnd;

 private:
  ILogging* m_pLogging;
  bool m_bModelDataLoaded = false;
};
