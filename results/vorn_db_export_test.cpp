#include "results/vorn_db_export.h"

#include <gtest/gtest.h>

TEST(VornDbExportTest, CaseFileNames) {
  EXPECT_EQ(MakeCaseFileName("DbExport", 12, ".log"), "DbExport000012.log");
  EXPECT_EQ(MakeCaseFileName("DbExport", 0, ".log"), "DbExport000000.log");
  EXPECT_EQ(MakeCaseFileName("DbExport", 1234567, ".log"), "DbExport1234567.log");
  EXPECT_EQ(MakeCaseFileName("DbExport", -1, ".log"), "DbExport.log");
}

TEST(VornDbExportTest, InterimExportCannotReadItsConfiguration) {
  Logging logging;
  CVornDbExport exportObject(&logging);
  EXPECT_EQ(exportObject.GetLogging(), &logging);
  EXPECT_FALSE(exportObject.ReadDataFromXmlFile("/nonexistent/VornDbExportData.xml", 0));
  exportObject.ReleaseModelData();
  EXPECT_FALSE(exportObject.IsModelDataLoaded());
}
