#include "tableio/io_table_description.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/ado.h"
#include "tableio/io_options.h"

namespace {

TEST(IoTableDescription, CopySharesTheConnectionAndSkipsLoaderResults) {
  CIoTableDescription source;
  source.m_strSource = "crude.xls";
  source.m_strTable = "Sheet1";
  source.m_strPassword = "pw";
  source.m_strExtra[2] = "x";
  source.m_nTableType = 10;
  source.m_nOptions[0] = 1;
  source.m_date = plat::OleDateTime(2020, 5, 6);
  source.m_nLoaderResults[0] = 40;
  auto connection = std::make_shared<plat::AdoConnection>();
  source.m_pConnection = connection;

  CIoTableDescription target;
  target.Copy(source);
  EXPECT_EQ(target.m_strSource, "crude.xls");
  EXPECT_EQ(target.m_strTable, "Sheet1");
  EXPECT_EQ(target.m_strPassword, "pw");
  EXPECT_EQ(target.m_strExtra[2], "x");
  EXPECT_EQ(target.m_nTableType, 10);
  EXPECT_EQ(target.m_date, plat::OleDateTime(2020, 5, 6));
  EXPECT_EQ(target.m_nLoaderResults[0], -1);
  EXPECT_EQ(connection.use_count(), 3);
  target.Copy(source);
  target.Copy(target);
  EXPECT_EQ(connection.use_count(), 3);

  CIoTableDescription none;
  target.Copy(none);  // no connection: the held one is released
  EXPECT_EQ(target.m_pConnection, nullptr);
  EXPECT_EQ(connection.use_count(), 2);
}

TEST(IoTableDescription, ArchiveRoundTrip) {
  CIoTableDescription source;
  source.m_strSource = "a.dbf";
  source.m_strTable = std::string(300, 't');
  source.m_strDataSourceName = "dsn";
  source.m_strUser = "u";
  source.m_strExtra[0] = "e";
  source.m_date = plat::OleDateTime(2001, 2, 3, 4, 5, 6);
  source.m_nOptions = {1, 2, 3};
  source.m_nTableType = 7;
  source.m_nExtra = {8, 9};
  source.m_nLoaderResults[4] = 12;
  std::stringstream stream;
  {
    plat::Archive store(static_cast<std::ostream&>(stream));
    source.Serialize(store);
  }
  CIoTableDescription loaded;
  plat::Archive load(static_cast<std::istream&>(stream));
  loaded.Serialize(load);
  EXPECT_EQ(loaded.m_strSource, source.m_strSource);
  EXPECT_EQ(loaded.m_strTable, source.m_strTable);
  EXPECT_EQ(loaded.m_strDataSourceName, "dsn");
  EXPECT_EQ(loaded.m_strUser, "u");
  EXPECT_EQ(loaded.m_strExtra[0], "e");
  EXPECT_EQ(loaded.m_date, source.m_date);
  EXPECT_EQ(loaded.m_nOptions, source.m_nOptions);
  EXPECT_EQ(loaded.m_nTableType, 7);
  EXPECT_EQ(loaded.m_nExtra, source.m_nExtra);
  EXPECT_EQ(loaded.m_pDatabase, nullptr);
  EXPECT_EQ(loaded.m_pConnection, nullptr);
  EXPECT_EQ(loaded.m_nLoaderResults[4], -1);

  std::istringstream cut(stream.str().substr(0, 10));
  plat::Archive truncated(static_cast<std::istream&>(cut));
  CIoTableDescription partial;
  EXPECT_THROW(partial.Serialize(truncated), CArchiveException);
}

TEST(IoOptions, Defaults) {
  const CIOOptions options;
  EXPECT_EQ(options.GetLoginTimeout(), 15);
  EXPECT_EQ(options.BackupExtension, "");
  EXPECT_EQ(options.ShowErrorBoxes, 1);
  EXPECT_EQ(options.ShowWarningBoxes, 0);
  EXPECT_EQ(options.LogEnabled, 1);
  EXPECT_EQ(options.AllowColumnAdditions, 1);
  EXPECT_EQ(options.StarHeadingEndsColumns, 1);
  EXPECT_EQ(options.AllMatchingRows, 0);
  EXPECT_EQ(options.BackupOnSave, 0);
  EXPECT_EQ(options.SkipBinaryColumns, 1);
}

}  // namespace
