#include "modelfile/vorn_model_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

plat::XmlNode ParseSection(plat::XmlDocument& doc, const std::string& text) {
  EXPECT_TRUE(doc.LoadXml(text)) << doc.ParseError();
  return doc.DocumentElement();
}

// The model's own sections written into a fresh document and read back into a second model.
void RoundTrip(const CVornModelFile& from, CVornModelFile& to) {
  plat::XmlDocument doc;
  plat::XmlNode root = doc.AppendElement("VornConfiguration");
  from.WriteTablesXml(root);
  from.WriteServersXml(root);
  from.WriteWenuTablesXml(root);
  plat::XmlDocument back;
  ASSERT_TRUE(back.LoadXml(doc.IndentedXml())) << back.ParseError();
  for (const plat::XmlNode& section : back.DocumentElement().ChildElements()) {
    if (section.Name() == "Tables") to.ReadTablesXml(section);
    if (section.Name() == "Servers") to.ReadServersXml(section);
    if (section.Name() == "WenuTables") to.ReadWenuTablesXml(section);
  }
}

TEST(VornModelFileTest, ConstructsEmptyWithItsDefaults) {
  CVornModelFile model;
  EXPECT_TRUE(model.m_bCanSave);
  EXPECT_TRUE(model.m_bEncryptOnSave);
  EXPECT_TRUE(model.m_bOwnsExternalModels);
  EXPECT_FALSE(model.m_bPlainXmlOnSave);
  EXPECT_FALSE(model.m_bSkipWrite);
  EXPECT_FALSE(model.m_bSilent);
  EXPECT_EQ(model.m_nBackupKeepPercent, 90);
  EXPECT_EQ(model.m_pExternalModelOwner, nullptr);
  EXPECT_TRUE(model.m_tables.IsEmpty());
  EXPECT_EQ(model.m_userEquationGroups.m_bOwnsElements, 0);
  EXPECT_EQ(model.m_userEquationVariables.m_bOwnsElements, 0);
  EXPECT_NE(model.m_tables.m_pfnCompare, nullptr);
  EXPECT_NE(model.m_formulas.m_pfnCompare, nullptr);
  EXPECT_EQ(model.m_bReportWriterGroups, 0);
  EXPECT_TRUE(model.m_pvtwData.IsEmpty());
}

TEST(VornModelFileTest, ReadsTablesWithTheirSourcesAndCategories) {
  CVornModelFile model;
  model.m_strModelDir = "/nonexistent/model";
  plat::XmlDocument doc;
  model.ReadTablesXml(ParseSection(doc, R"(<Tables>
    <Table><Name>BOUNDS</Name><File>Data\Bounds.xls[Sheet1]</File><Enabled>1</Enabled><TableType>5</TableType></Table>
    <Table><Name>BOUNDS</Name><File>data\more.xls</File><Enabled>0</Enabled><TableType>9</TableType></Table>
    <Table><Name>BOUNDS</Name><File>DATA\BOUNDS.XLS[sheet1]</File><Enabled>1</Enabled><TableType>5</TableType></Table>
    <Table><Name>bounds</Name><File>b.xls</File><Enabled>1</Enabled><TableType>5</TableType></Table>
    <Table><Name>RECEIVE</Name><File>r.xls</File><Enabled>1</Enabled><TableType>1</TableType></Table>
    <Table><Name>receive</Name><File>r2.xls</File><Enabled>1</Enabled><TableType>1</TableType></Table>
    <Table><Name>SHIP</Name><File>s.xls</File><Enabled>007abc</Enabled><TableType>x</TableType></Table>
    <Other><Name>IGNORED</Name></Other>
  </Tables>)"));

  ASSERT_EQ(model.m_tables.GetSize(), 5);
  const CVornModelFileTable* bounds = model.FindTable("BOUNDS");
  ASSERT_NE(bounds, nullptr);
  EXPECT_EQ(bounds->m_nCategory, 5);
  ASSERT_EQ(bounds->m_files.GetSize(), 2);  // the third differs only in case
  EXPECT_EQ(bounds->GetFileName(0), "data\\bounds.xls[sheet1]");
  EXPECT_TRUE(bounds->IsFileEnabled(0));
  EXPECT_FALSE(bounds->IsFileEnabled(1));
  EXPECT_EQ(bounds->m_files[0]->m_fileDate.GetStatus(), plat::OleDateTime::Status::null);
  EXPECT_NE(model.FindTable("bounds"), nullptr);
  EXPECT_EQ(model.FindTable("RECEIVE")->m_nCategory, 8);
  EXPECT_EQ(model.FindTable("receive")->m_nCategory, 1);
  EXPECT_EQ(model.FindTable("SHIP")->m_nCategory, 8);
  EXPECT_TRUE(model.FindTable("SHIP")->IsFileEnabled(0));  // atoi("007abc") is 7
  EXPECT_EQ(model.FindTable("IGNORED"), nullptr);
}

TEST(VornModelFileTest, MissingTableChildrenReadAsEmptyNotAsThePreviousEntry) {
  CVornModelFile model;
  plat::XmlDocument doc;
  model.ReadTablesXml(ParseSection(doc, R"(<Tables>
    <Table><Name>A</Name><File>a.xls</File><Enabled>1</Enabled><TableType>5</TableType></Table>
    <Table><Name>B</Name><File>b.xls</File></Table>
    <Table><Name>C</Name></Table>
  </Tables>)"));
  ASSERT_EQ(model.m_tables.GetSize(), 3);
  const CVornModelFileTable* b = model.FindTable("B");
  EXPECT_EQ(b->m_nCategory, 0);
  EXPECT_FALSE(b->IsFileEnabled(0));
  const CVornModelFileTable* c = model.FindTable("C");
  EXPECT_TRUE(c->m_files.IsEmpty());
}

TEST(VornModelFileTest, DatesTheSourcesThatExist) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "vmf_dates";
  std::filesystem::create_directories(dir / "Data");
  std::ofstream(dir / "Data" / "Crude.xls") << "x";
  CVornModelFile model;
  model.m_strModelDir = dir.string();
  plat::XmlDocument doc;
  model.ReadTablesXml(ParseSection(doc, R"(<Tables>
    <Table><Name>ASSAYS</Name><File>Data\Crude.xls[ASSAYS]</File><Enabled>1</Enabled><TableType>2</TableType></Table>
    <Table><Name>GONE</Name><File>missing.xls</File><Enabled>1</Enabled><TableType>2</TableType></Table>
  </Tables>)"));
  const CTableFile* found = model.FindTable("ASSAYS")->m_files[0];
  EXPECT_EQ(found->m_strName, "data\\crude.xls[assays]");
  EXPECT_TRUE(found->m_fileDate.IsValid());
  EXPECT_GT(found->m_fileDate.GetValue(), 40000.0);
  EXPECT_EQ(model.FindTable("GONE")->m_files[0]->m_fileDate.GetStatus(), plat::OleDateTime::Status::null);
  std::filesystem::remove_all(dir);
}

// Reading the Tables section touches no source file: a source's date is
// taken when it is first asked for, and kept from then on.
TEST(VornModelFileTest, LooksAtASourceOnlyWhenItsDateIsAskedFor) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "vmf_late_dates";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  CVornModelFile model;
  model.m_strModelDir = dir.string();
  plat::XmlDocument doc;
  model.ReadTablesXml(ParseSection(doc, R"(<Tables>
    <Table><Name>LATE</Name><File>Late.xls[S]</File><Enabled>1</Enabled><TableType>5</TableType></Table>
    <Table><Name>LATE</Name><File>other.xls</File><Enabled>1</Enabled><TableType>5</TableType></Table>
  </Tables>)"));
  std::ofstream(dir / "Late.xls") << "x";  // made after the read
  const CVornModelFileTable* late = model.FindTable("LATE");
  ASSERT_EQ(late->m_files.GetSize(), 2);
  EXPECT_TRUE(late->m_files[0]->m_fileDate.IsValid());
  EXPECT_EQ(late->m_files[1]->m_fileDate.GetStatus(), plat::OleDateTime::Status::null);
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(late->m_files[0]->m_fileDate.IsValid());  // as first found
  std::ofstream(dir / "other.xls") << "x";
  EXPECT_EQ(late->m_files[1]->m_fileDate.GetStatus(), plat::OleDateTime::Status::null);
}

// Many tables, some named twice and some with built-in names: each name is
// catalogued once with all its sources, and a built-in name keeps its entry.
TEST(VornModelFileTest, ManyTablesAreMergedByName) {
  std::string text = "<Tables>";
  for (int i = 0; i < 3000; ++i) {
    const std::string name = i % 3 == 2 ? "T" + std::to_string(i - 1) : "T" + std::to_string(i);
    text += "<Table><Name>" + name + "</Name><File>f" + std::to_string(i) +
            ".xls</File><Enabled>1</Enabled><TableType>5</TableType></Table>";
  }
  text += "<Table><Name>BOUNDS</Name><File>b.xls</File><Enabled>1</Enabled><TableType>9</TableType></Table>";
  text += "</Tables>";
  CVornModelFile model;
  plat::XmlDocument doc;
  model.ReadTablesXml(ParseSection(doc, text));
  ASSERT_EQ(model.m_tables.GetSize(), 2001);
  EXPECT_EQ(model.FindTable("T1")->m_files.GetSize(), 2);
  EXPECT_EQ(model.FindTable("T1")->GetFileName(1), "f2.xls");
  EXPECT_EQ(model.FindTable("T2999"), nullptr);
  EXPECT_EQ(model.FindTable("T2998")->m_files.GetSize(), 2);
  EXPECT_EQ(model.FindTable("T0")->m_files.GetSize(), 1);
  model.PostLoadSetup(true);
  EXPECT_EQ(model.FindTable("BOUNDS")->m_nCategory, 9);
  EXPECT_EQ(model.FindTable("BOUNDS")->m_files.GetSize(), 1);
  int bounds = 0;
  for (const CVornModelFileTable* table : model.m_tables) bounds += table->m_strName == "BOUNDS" ? 1 : 0;
  EXPECT_EQ(bounds, 1);
  EXPECT_NE(model.FindTable("CAPS"), nullptr);
}

TEST(VornModelFileTest, TablesServersAndWenuTablesSurviveAWriteAndARead) {
  CVornModelFile model;
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("BUY", "buy.xls[Buy]", true, 8, plat::OleDateTime()));
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("EMPTY", 5));  // no sources: not written
  model.m_tables[0]->AddFile("more.dbf", false, plat::OleDateTime());

  auto server = std::make_unique<CServer>();
  server->m_strSpreadSheetFile = "s.xls";
  server->m_nServerType = 7;
  server->m_strUser = "u\xE9";
  server->m_strPassword = "p&<w>";
  server->m_strServerVersion = "v";
  server->m_strMachine = "m";
  server->m_strProgram = "prog";
  server->m_strModelFile = "mf";
  server->m_bEnabled = 0;
  server->m_strMacro = "mac";
  server->m_strParameters = "-a \"x y\" -b \"\"";
  model.m_servers.Add(std::move(server));

  auto wenu = std::make_unique<CVornWenuTable>();
  wenu->m_strName = "W";
  wenu->m_strSpreadSheet = "w.xls";
  wenu->m_strCaseFile = "c";
  wenu->m_strProcName = "p";
  wenu->m_strHostName = "h";
  wenu->m_bEnabled = false;
  wenu->m_bUseDatabaseServer = true;
  wenu->m_bKeepDatabaseServerAround = true;
  model.m_wenuTables.Add(std::move(wenu));

  plat::XmlDocument doc;
  plat::XmlNode root = doc.AppendElement("R");
  model.WriteServersXml(root);
  EXPECT_NE(root.Xml().find("<Parameters>-a @@@x y@@@ -b @@@@@@</Parameters>"), std::string::npos) << root.Xml();
  EXPECT_NE(root.Xml().find("<ServerType>7</ServerType>"), std::string::npos);

  CVornModelFile back;
  RoundTrip(model, back);
  ASSERT_EQ(back.m_tables.GetSize(), 1);
  EXPECT_EQ(back.m_tables[0]->m_strName, "BUY");
  EXPECT_EQ(back.m_tables[0]->m_nCategory, 8);
  ASSERT_EQ(back.m_tables[0]->m_files.GetSize(), 2);
  EXPECT_EQ(back.m_tables[0]->GetFileName(0), "buy.xls[buy]");
  EXPECT_TRUE(back.m_tables[0]->IsFileEnabled(0));
  EXPECT_EQ(back.m_tables[0]->GetFileName(1), "more.dbf");
  EXPECT_FALSE(back.m_tables[0]->IsFileEnabled(1));

  ASSERT_EQ(back.m_servers.GetSize(), 1);
  const CServer& s = *back.m_servers[0];
  const CServer& o = *model.m_servers[0];
  EXPECT_EQ(std::tie(s.m_strUser, s.m_strPassword, s.m_strServerVersion, s.m_strMachine, s.m_strSpreadSheetFile,
                     s.m_strProgram, s.m_strModelFile, s.m_strMacro, s.m_strParameters, s.m_bEnabled, s.m_nServerType),
            std::tie(o.m_strUser, o.m_strPassword, o.m_strServerVersion, o.m_strMachine, o.m_strSpreadSheetFile,
                     o.m_strProgram, o.m_strModelFile, o.m_strMacro, o.m_strParameters, o.m_bEnabled, o.m_nServerType));

  ASSERT_EQ(back.m_wenuTables.GetSize(), 1);
  const CVornWenuTable& w = *back.m_wenuTables[0];
  EXPECT_EQ(std::tie(w.m_strName, w.m_strSpreadSheet, w.m_strCaseFile, w.m_strProcName, w.m_strHostName),
            std::make_tuple(std::string("W"), std::string("w.xls"), std::string("c"), std::string("p"), std::string("h")));
  EXPECT_FALSE(w.m_bEnabled);
  EXPECT_TRUE(w.m_bUseDatabaseServer);
  EXPECT_TRUE(w.m_bKeepDatabaseServerAround);
}

TEST(VornModelFileTest, EmptyListsWriteNoSectionButTablesIsAlwaysWritten) {
  CVornModelFile model;
  plat::XmlDocument doc;
  plat::XmlNode root = doc.AppendElement("R");
  model.WriteTablesXml(root);
  model.WriteServersXml(root);
  model.WriteWenuTablesXml(root);
  EXPECT_EQ(root.Xml(), "<R><Tables/></R>");
}

TEST(VornModelFileTest, ServerAndWenuTableEntriesStartFromTheirDefaults) {
  CVornModelFile model;
  plat::XmlDocument servers;
  model.ReadServersXml(ParseSection(servers, R"(<Servers>
    <Server><Enabled>0</Enabled><ServerType>4</ServerType><Parameters>a@@@b"c</Parameters></Server>
    <Server><SpreadSheetFile>x</SpreadSheetFile></Server>
  </Servers>)"));
  ASSERT_EQ(model.m_servers.GetSize(), 2);
  EXPECT_EQ(model.m_servers[0]->m_strParameters, "a\"b\"c");
  EXPECT_EQ(model.m_servers[1]->m_bEnabled, 1);
  EXPECT_EQ(model.m_servers[1]->m_nServerType, 3);

  plat::XmlDocument wenu;
  model.ReadWenuTablesXml(ParseSection(wenu, R"(<WenuTables>
    <WenuTable><Name>A</Name><Enabled>0</Enabled><UseDatabaseServer>1</UseDatabaseServer></WenuTable>
    <WenuTable><Name>B</Name></WenuTable>
  </WenuTables>)"));
  ASSERT_EQ(model.m_wenuTables.GetSize(), 2);
  EXPECT_TRUE(model.m_wenuTables[1]->m_bEnabled);
  EXPECT_FALSE(model.m_wenuTables[1]->m_bUseDatabaseServer);
}

TEST(VornModelFileTest, KeptSectionsAndTheReportConfigurationAreWrittenBackVerbatim) {
  CVornModelFile model;
  plat::XmlDocument doc;
  ASSERT_TRUE(doc.LoadBytes("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<VornConfiguration>\n"
                            "  <ReportConfiguration><Report name=\"Caf\xE9\">x</Report></ReportConfiguration>\n"
                            "  <tables><Table a=\"1\">\n    <Name>N\xFC</Name>\n  </Table></tables>\n"
                            "</VornConfiguration>"));
  for (const plat::XmlNode& section : doc.DocumentElement().ChildElements()) {
    if (section.Name() == "ReportConfiguration") model.ReadReportConfigurationXml(section);
    else model.m_keptSections.push_back(section.Xml());
  }
  EXPECT_EQ(model.m_strReportConfiguration, "<ReportConfiguration><Report name=\"Caf\xE9\">x</Report></ReportConfiguration>");
  ASSERT_EQ(model.m_keptSections.size(), 1u);
  EXPECT_EQ(model.m_keptSections[0], "<tables><Table a=\"1\"><Name>N\xFC</Name></Table></tables>");

  model.m_keptSections.push_back("<broken>");
  plat::XmlDocument out;
  plat::XmlNode root = out.AppendElement("VornConfiguration");
  model.WriteKeptSectionsXml(root);
  EXPECT_EQ(root.Xml(), "<VornConfiguration>" + model.m_keptSections[0] + "</VornConfiguration>");
}

TEST(VornModelFileTest, TableSourcesAndTheirPaths) {
  struct Case {
    const char* source;
    const char* directory;
    const char* fullPath;
    const char* sheet;
  };
  const Case cases[] = {
      {"Data\\Crude.xls[ASSAYS]", "/m", "/m/data/crude.xls", "assays"},
      {"..\\shared\\t.dbf", "/models/m", "/models/shared/t.dbf", ""},
      {"/abs/x.xls[s]", "/m", "/abs/x.xls", "s"},
  };
  for (const Case& c : cases) {
    CTableFile file(c.source, true, plat::OleDateTime());
    EXPECT_EQ(file.GetFullPath(c.directory), c.fullPath) << c.source;
    EXPECT_EQ(file.GetSheetName(), c.sheet) << c.source;
  }

  CVornModelFileTable cut("MICROCUT", "a.xls", true, kCutTableCategory, plat::OleDateTime());
  EXPECT_FALSE(cut.IsFileUsable(0, false));
  EXPECT_TRUE(cut.IsFileUsable(0, true));
  EXPECT_THROW(cut.IsFileUsable(1, true), CInvalidArgException);
  EXPECT_THROW(cut.GetFileName(-1), CInvalidArgException);
  CVornModelFileTable none("NONE", 5);
  EXPECT_FALSE(none.IsFileUsable(3, true));
  EXPECT_EQ(none.GetFileName(3), "");
  EXPECT_EQ(none.AddFile("A.xls", true, plat::OleDateTime()), 0);
  EXPECT_EQ(none.AddFile("a.XLS", false, plat::OleDateTime()), -1);
}

}  // namespace
