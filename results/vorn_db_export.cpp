#include "results/vorn_db_export.h"

#include <cstdio>

std::string MakeCaseFileName(const std::string& prefix, int caseNumber, const std::string& suffix) {
  if (caseNumber < 0) return prefix + suffix;
  char number[16];
  std::snprintf(number, sizeof number, "%06d", caseNumber);
  return prefix + number + suffix;
}

CVornDbExport::CVornDbExport(ILogging* logging) : m_pLogging(logging) {}

CVornDbExport::~CVornDbExport() { ReleaseModelData(); }

bool CVornDbExport::ReadDataFromXmlFile(const std::string& path, int) {
  if (m_pLogging) m_pLogging->Write("The export configuration " + path + " cannot be read by this build.\n");
  return false;
}

void CVornDbExport::ReleaseModelData() {
  if (!m_bModelDataLoaded) return;
  m_pCurrentCase = nullptr;
  m_bModelDataLoaded = false;
}
