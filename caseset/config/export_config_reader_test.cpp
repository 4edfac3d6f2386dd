#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "caseset/config/assembled_case.h"
#include "caseset/config/error_message.h"
#include "caseset/config/local_model.h"
#include "caseset/config/name_model.h"
#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "caseset/scenario/scenario_execution_logic.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"

namespace {

namespace fs = std::filesystem;

class ExportConfigReader : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::path(::testing::TempDir()) / ("export_config_" + std::to_string(::getpid()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    m_data.ReleaseModelData();
    fs::remove_all(m_dir);
  }

  // Writes body inside a root element and reads it.
  bool Read(const std::string& body) { return ReadText("<?xml version=\"1.0\"?><Export>" + body + "</Export>"); }
  bool ReadText(const std::string& text, bool useShortPlantTags = false) {
    const fs::path path = m_dir / "VornDbExportData.xml";
    std::ofstream(path, std::ios::binary) << text;
    return m_data.ReadDataFromXmlFile(path.string(), useShortPlantTags);
  }
  // A model file in dir/name whose ModelType setting is type.
  void WriteModel(const std::string& name, int type) {
    fs::create_directories(m_dir / name);
    CVornModelFile model;
    model.LoadFromDirectory(name, (m_dir / name).string());
    model.m_settings.m_ModelType.SetValue(type);
    ASSERT_TRUE(model.Save("18.0.0", "", false));
  }
  std::string ModelFileDir(const std::string& name) const {
    return "<ModelFileDir>" + (m_dir / name).string() + "\\</ModelFileDir>";
  }

  fs::path m_dir;
  CVornDbExportData m_data{nullptr};
};

TEST_F(ExportConfigReader, ValuesOfTheRunFollowTheTextRules) {
  ASSERT_TRUE(Read(
      "<System>Sys</System><RunID>0042</RunID><SolutionID>12abc</SolutionID><ReportPeriod>7</ReportPeriod>"
      "<HomeDirectory>C:\\Home</HomeDirectory><DataValidation>false</DataValidation><ErrorDetected/>"
      "<DeleteTables>0</DeleteTables><NeedMultipleExecutions>no</NeedMultipleExecutions>"
      "<DateRunStart>44000.5</DateRunStart><Unknown>x</Unknown><MachineName>m1</MachineName>"
      "<MachineName>m2</MachineName><SolutionID>letters</SolutionID><ReportPeriod>letters</ReportPeriod>"));
  EXPECT_TRUE(m_data.IsModelDataLoaded());
  EXPECT_EQ(m_data.m_strSystem, "Sys");
  EXPECT_EQ(m_data.m_strRunID, "0042");
  EXPECT_EQ(m_data.m_nSolutionID, 12);  // letters alone keep the value read before
  EXPECT_EQ(m_data.m_nReportPeriod, 0);  // atoi of letters
  EXPECT_EQ(m_data.m_strHomeDirectory, "C:\\Home");
  EXPECT_TRUE(m_data.m_bDataValidation);
  EXPECT_TRUE(m_data.m_bErrorDetected);
  EXPECT_FALSE(m_data.m_bDeleteTables);
  EXPECT_TRUE(m_data.m_bNeedMultipleExecutions);
  EXPECT_FALSE(m_data.m_pbDoDbSolution.has_value());
  EXPECT_EQ(m_data.m_strMachineName, "m2");
  EXPECT_DOUBLE_EQ(m_data.m_dtDateRunStart.GetValue(), 44000.5);
  EXPECT_EQ(m_data.m_dtDateRunStart.GetHour(), 12);
  EXPECT_EQ(m_data.m_pModel, nullptr);
  EXPECT_TRUE(m_data.m_paNameModels.IsEmpty());
}

TEST_F(ExportConfigReader, DocumentsThatCannotBeReadReadNothing) {
  EXPECT_FALSE(m_data.ReadDataFromXmlFile((m_dir / "missing.xml").string(), false));
  EXPECT_EQ(m_data.m_strReadErrorFile, (m_dir / "missing.xml").string());
  EXPECT_EQ(m_data.m_strReadError, "No such file or directory");
  fs::create_directories(m_dir / "folder.xml");
  EXPECT_FALSE(m_data.ReadDataFromXmlFile((m_dir / "folder.xml").string(), false));
  EXPECT_EQ(m_data.m_strReadError, "Is a directory");
  EXPECT_FALSE(ReadText(""));
  EXPECT_EQ(m_data.m_strReadError, "the file is empty");
  EXPECT_FALSE(ReadText("<Export><System>a</System>"));
  EXPECT_EQ(m_data.m_strReadError.rfind("not well-formed XML (", 0), 0u) << m_data.m_strReadError;
  EXPECT_FALSE(m_data.IsModelDataLoaded());
  EXPECT_TRUE(m_data.m_strSystem.empty());

  EXPECT_TRUE(ReadText("<AnyRoot/>"));
  EXPECT_TRUE(m_data.IsModelDataLoaded());
  EXPECT_TRUE(Read("<DoDbSolution>0</DoDbSolution>"));
  ASSERT_TRUE(m_data.m_pbDoDbSolution.has_value());
  EXPECT_FALSE(*m_data.m_pbDoDbSolution);
}

TEST_F(ExportConfigReader, AssembledCasesAreKeyedSortedAndFilled) {
  ASSERT_TRUE(Read(R"(<AssembledCases>
    <AssembledCase><Number>10</Number><ModelName>m</ModelName></AssembledCase>
    <AssembledCase><ModelName>m</ModelName><Title>no number</Title></AssembledCase>
    <AssembledCase><Number>5</Number><Title>no model</Title></AssembledCase>
    <AssembledCase><Number>2</Number><ModelName>m</ModelName><Title>second</Title></AssembledCase>
    <AssembledCase><Number>2</Number><ModelName>M</ModelName><Weight>2.5</Weight><Period>AB</Period>
      <Other>ignored</Other><Generate>0</Generate><SelValue>1</SelValue>
      <ModifiesArray><ModifyValue>9</ModifyValue><ModifyValue>3</ModifyValue><Other>7</Other></ModifiesArray>
      <ModifiesArray><ModifyValue>1</ModifyValue></ModifiesArray>
      <Errors><ErrorValue>e1</ErrorValue></Errors>
      <CaseTables>
        <CaseTable><CaseNumber>2</CaseNumber><Name>PERCASE</Name><Replace>1</Replace>
          <CrossTabLines><CrossTabLineValue>a</CrossTabLineValue></CrossTabLines></CaseTable>
        <CaseTable><CaseNumber>2</CaseNumber><Replace>1</Replace></CaseTable>
        <CaseTable><Name>BUY</Name><CaseNumber>2</CaseNumber><CrossTabLines>
          <CrossTabLineValue>U2&#9;MAX&#9;90</CrossTabLineValue><CrossTabLineValue>U1&#9;MIN&#9;5.5</CrossTabLineValue>
          <CrossTabLineValue>U1&#9;MIN&#9;-7e1</CrossTabLineValue><CrossTabLineValue>U3&#9;MAX&#9;x</CrossTabLineValue>
          <CrossTabLineValue>U4&#9;MAX&#9;1&#9;2</CrossTabLineValue><CrossTabLineValue>&#9;MAX&#9;1</CrossTabLineValue>
        </CrossTabLines></CaseTable>
      </CaseTables>
      <CaseSettings>
        <CaseSetting><Row>SolveOn</Row><Value>0</Value></CaseSetting>
        <CaseSetting><Row>Alpha</Row><Value></Value><Text>t</Text></CaseSetting>
        <CaseSetting><Row>Beta</Row><Value>x</Value>
          <TableFile><Name>a.xls</Name></TableFile><TableFile><Name>b.xls</Name><Enabled>0</Enabled></TableFile>
        </CaseSetting>
        <CaseSetting><Value>1</Value></CaseSetting>
      </CaseSettings>
    </AssembledCase>
    <AssembledCase><Number>x</Number><ModelName>m</ModelName></AssembledCase>
  </AssembledCases>)"));
  ASSERT_NE(m_data.m_paAssembledCases, nullptr);
  const CAssembledCaseArray& cases = *m_data.m_paAssembledCases;
  ASSERT_EQ(cases.GetSize(), 4);
  EXPECT_EQ(cases[0]->m_nNumber, 0);
  EXPECT_EQ(cases[1]->m_strModelName, "M");
  EXPECT_EQ(cases[2]->m_strTitle, "second");
  EXPECT_EQ(cases[3]->m_nNumber, 10);

  CAssembledCase probe(2, "M");
  const CAssembledCase* found = cases.Find(&probe);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->m_nWeight, 2);
  EXPECT_EQ(found->m_cPeriod, 'A');
  EXPECT_FALSE(found->m_bGenerate);
  EXPECT_EQ(found->m_nSelValue, 1);
  EXPECT_EQ(found->m_aModifies, (std::vector<std::int32_t>{9, 3, 1}));
  EXPECT_EQ(found->m_aErrors, (std::vector<std::string>{"e1"}));
  EXPECT_EQ(found->GetModifiesText(), "0");

  ASSERT_EQ(found->m_aCaseTables.GetSize(), 2);
  EXPECT_EQ(found->m_aCaseTables[0]->m_strName, "BUY");
  // Cross-tab lines of a row, a column and a number give the table's value entries, the last one of a cell winning.
  const CCaseTable& buy = *found->m_aCaseTables[0];
  ASSERT_EQ(buy.m_aValues.GetSize(), 2);
  EXPECT_EQ(buy.m_aValues[0]->m_strRow + ":" + buy.m_aValues[0]->m_strColumn, "U1:MIN");
  EXPECT_EQ(buy.m_aValues[0]->m_dValue, -70.0);
  EXPECT_EQ(buy.m_aValues[1]->m_strRow + ":" + buy.m_aValues[1]->m_strColumn, "U2:MAX");
  EXPECT_EQ(buy.m_aValues[1]->m_dValue, 90.0);
  CCaseTable tableProbe("PERCASE", 0);
  const CCaseTable* percase = found->m_aCaseTables.Find(&tableProbe);
  ASSERT_NE(percase, nullptr);
  EXPECT_TRUE(percase->m_bReplace);
  EXPECT_EQ(percase->m_aCrossTabLines, (std::vector<std::string>{"a"}));

  ASSERT_EQ(found->m_aCaseSettings.GetSize(), 3);
  const CCaseSetting* alpha = found->m_aCaseSettings[0];
  EXPECT_EQ(alpha->m_strRow, "Alpha");
  EXPECT_EQ(alpha->m_strText, "t");
  EXPECT_EQ(alpha->m_dValue, 1e30);
  const CCaseSetting* beta = found->m_aCaseSettings[1];
  EXPECT_EQ(beta->m_dValue, 1e30);
  ASSERT_NE(beta->m_pTableFile, nullptr);
  EXPECT_EQ(beta->m_pTableFile->m_strName, "b.xls");
  EXPECT_FALSE(beta->m_pTableFile->m_bEnabled);
  EXPECT_EQ(found->m_aCaseSettings[2]->m_dValue, 0.0);
}

TEST_F(ExportConfigReader, DuplicateCasesAreKept) {
  ASSERT_TRUE(Read("<AssembledCases><AssembledCase><Number>3</Number><ModelName>m</ModelName></AssembledCase>"
                   "<AssembledCase><Number>3</Number><ModelName>m</ModelName></AssembledCase></AssembledCases>"
                   "<AssembledCases><AssembledCase><Number>1</Number><ModelName>m</ModelName></AssembledCase>"
                   "</AssembledCases>"));
  ASSERT_EQ(m_data.m_paAssembledCases->GetSize(), 3);
  EXPECT_EQ((*m_data.m_paAssembledCases)[0]->m_nNumber, 1);
  CAssembledCase probe(3, "m");
  EXPECT_NE(m_data.m_paAssembledCases->Find(&probe), nullptr);
}

TEST_F(ExportConfigReader, PeriodsPerCasesMessagesAndCaseLists) {
  ASSERT_TRUE(Read(R"(<VornPeriods>
      <VornPeriod><Code>b</Code><Length>2.5</Length></VornPeriod>
      <VornPeriod><Code>A</Code><Recurse>1</Recurse><PVF>0.9</PVF><Text>first</Text></VornPeriod>
      <VornPeriod><Text>no code</Text></VornPeriod>
      <VornPeriod><Code>a</Code></VornPeriod>
    </VornPeriods>
    <PerCases><PerCase><Case>3</Case><Period>x</Period></PerCase><PerCase><Case>1</Case><Length>4</Length></PerCase>
      <PerCase><Period>none</Period></PerCase><PerCase><Case>3</Case><Period>y</Period></PerCase></PerCases>
    <ErrorMessages><ErrorMessage><Code>Z</Code><Tables><Table>T1</Table><Table>T2</Table></Tables></ErrorMessage>
      <ErrorMessage/><ErrorMessage><Code>A</Code><Message>m</Message></ErrorMessage></ErrorMessages>
    <SelectedCases><SelectedCase>4</SelectedCase><SelectedCase>x</SelectedCase><SelectedCase>4</SelectedCase></SelectedCases>
    <CasesToBeSolved/>)"));
  const CVornPeriodArray& periods = *m_data.m_paPeriods;
  ASSERT_EQ(periods.GetSize(), 3);
  EXPECT_EQ(periods[0]->m_strCode, "A");
  EXPECT_EQ(periods[1]->m_strCode, "a");
  EXPECT_EQ(periods[2]->m_strCode, "b");
  EXPECT_TRUE(periods[0]->m_bRecurse);
  EXPECT_EQ(periods[0]->m_dPVF, 0.9);
  EXPECT_EQ(periods[0]->m_dLength, 1.0);
  EXPECT_EQ(periods[1]->m_dPVF, 1.0);
  EXPECT_EQ(periods[2]->m_dLength, 2.5);

  const CPerCaseArray& perCases = *m_data.m_paPerCases;
  ASSERT_EQ(perCases.GetSize(), 3);
  EXPECT_EQ(perCases[0]->m_nCase, 1);
  EXPECT_EQ(perCases[0]->m_dLength, 4.0);
  EXPECT_EQ(perCases[1]->m_nCase, 3);
  EXPECT_EQ(perCases[2]->m_nCase, 3);

  const CErrorMessageArray& messages = *m_data.m_paErrorMessages;
  ASSERT_EQ(messages.GetSize(), 3);
  EXPECT_EQ(messages[0]->m_strCode, "Z");
  EXPECT_EQ(messages[0]->m_aTables, (std::vector<std::string>{"T1", "T2"}));
  EXPECT_TRUE(messages[1]->m_strCode.empty());
  EXPECT_EQ(messages[2]->m_strMessage, "m");

  EXPECT_EQ(*m_data.m_paSelectedCases, (std::vector<std::int32_t>{4, 0, 4}));
  ASSERT_NE(m_data.m_paCasesToSolve, nullptr);
  EXPECT_TRUE(m_data.m_paCasesToSolve->empty());
}

TEST_F(ExportConfigReader, AnEmptyPeriodListStillExists) {
  ASSERT_TRUE(Read("<VornPeriods/>"));
  ASSERT_NE(m_data.m_paPeriods, nullptr);
  EXPECT_TRUE(m_data.m_paPeriods->IsEmpty());
}

TEST_F(ExportConfigReader, TheMainModelLoadsFromItsDirectory) {
  WriteModel("Refinery", 0);
  ASSERT_TRUE(Read("<CalculateTableExt>x</CalculateTableExt><VornModelFile>" + ModelFileDir("Refinery") +
                   "</VornModelFile>"));
  ASSERT_NE(m_data.m_pModel, nullptr);
  EXPECT_EQ(m_data.m_pModel->m_strModelName, "Refinery");
  EXPECT_EQ(fs::path(m_data.m_pModel->m_strModelDir), m_dir / "Refinery");
  ASSERT_EQ(m_data.m_paNameModels.GetSize(), 1);
  const CNameModel* named = m_data.m_paNameModels[0];
  EXPECT_EQ(named->m_strName, "");
  EXPECT_EQ(named->m_nModelIndex, -1);
  EXPECT_EQ(named->m_strModelName, "Refinery");
  EXPECT_EQ(m_data.m_paModelFiles[0], m_data.m_pModel.get());
}

// A model file that is there but does not load ends the reading with its path
// and the cause, for the main model and for each further model.
TEST_F(ExportConfigReader, AModelFileThatDoesNotLoadFailsTheReading) {
  const struct {
    const char* text;
    const char* cause;
  } files[] = {{"", "the file is empty or cannot be read"},
               {"<VornConfiguration><Version>1", "not well-formed XML ("},
               {"garbage", "neither XML nor an enciphered model file ("}};
  for (const auto& f : files) {
    for (const bool further : {false, true}) {
      SCOPED_TRACE(std::string(f.text) + (further ? " (further model)" : ""));
      CVornDbExportData data(nullptr);
      fs::create_directories(m_dir / "Bad");
      std::ofstream(m_dir / "Bad" / "VornModel.vrnx", std::ios::binary) << f.text;
      const std::string body = further ? "<VornModelFileArray><VornModelFile>" + ModelFileDir("Bad") +
                                             "</VornModelFile></VornModelFileArray>"
                                       : "<VornModelFile>" + ModelFileDir("Bad") + "</VornModelFile>";
      const fs::path path = m_dir / "VornDbExportData.xml";
      std::ofstream(path, std::ios::binary) << "<Export>" + body + "</Export>";
      EXPECT_FALSE(data.ReadDataFromXmlFile(path.string(), false));
      EXPECT_FALSE(data.IsModelDataLoaded());
      EXPECT_EQ(fs::path(data.m_strReadErrorFile), m_dir / "Bad" / "VornModel.vrnx");
      EXPECT_EQ(data.m_strReadError.rfind(f.cause, 0), 0u) << data.m_strReadError;
    }
  }
}

TEST_F(ExportConfigReader, AModelElementWithoutModelFileDirFirstLoadsNothing) {
  ASSERT_TRUE(Read("<VornModelFile><Name>n</Name>" + ModelFileDir("Refinery") + "</VornModelFile>"));
  EXPECT_EQ(m_data.m_pModel, nullptr);
}

TEST_F(ExportConfigReader, ExportKindTwoLoadsFromTheValuesReadBefore) {
  WriteModel("Padded", 0);
  m_data.m_nExportKind = 2;
  ASSERT_TRUE(Read("<PaddedModel>Padded</PaddedModel><ModelDirectory>" + (m_dir / "Padded").string() +
                   "</ModelDirectory><VornModelFile><Name>ignored</Name></VornModelFile>"));
  ASSERT_NE(m_data.m_pModel, nullptr);
  EXPECT_EQ(m_data.m_pModel->m_strModelName, "Padded");
}

TEST_F(ExportConfigReader, AGlobalModelNamesEachPlantAfterItsLocalModel) {
  WriteModel("Global", 2);
  const std::string locals =
      "<LocalModelArray>"
      "<LocalModel><CodeString>B</CodeString><TextString>Plant B</TextString><ReportFlag>1</ReportFlag></LocalModel>"
      "<LocalModel><CodeString>A</CodeString><TextString>Plant A</TextString><ReportFlag>0</ReportFlag>"
      "<LocalModelID>4</LocalModelID></LocalModel>"
      "<LocalModel><CodeString>C</CodeString><TextString>Plant C</TextString></LocalModel>"
      "</LocalModelArray>";
  const std::string files = "<VornModelFileArray><VornModelFile>" + ModelFileDir("P1") +
                            "</VornModelFile><Other/><VornModelFile>" + ModelFileDir("P2") +
                            "</VornModelFile><VornModelFile>" + ModelFileDir("P3") + "</VornModelFile></VornModelFileArray>";
  ASSERT_TRUE(Read(locals + "<VornModelFile>" + ModelFileDir("Global") + "</VornModelFile>" + files));
  ASSERT_EQ(m_data.m_paNameModels.GetSize(), 3);
  EXPECT_EQ(m_data.m_paNameModels[0]->m_strName, "A");
  EXPECT_EQ(m_data.m_paNameModels[0]->m_nModelIndex, 1);
  EXPECT_EQ(m_data.m_paNameModels[1]->m_nModelIndex, 0);
  EXPECT_EQ(m_data.m_paNameModels[2]->m_nModelIndex, 2);
  EXPECT_EQ(m_data.m_paNameModels[0]->m_strModelName, "P2");
  EXPECT_EQ(m_data.m_paModelFiles[1]->m_strModelName, "P2");
  EXPECT_EQ(m_data.m_paLocalModels->GetAt(1)->m_nLocalModelID, 4);
  EXPECT_EQ(*m_data.m_pastrLocalModelCodes, (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(*m_data.m_plstLocalModelNames, (std::vector<std::string>{"Plant B", "Plant A", "Plant C"}));
  EXPECT_EQ(*m_data.m_plstReportedLocalModels, (std::vector<std::string>{"Plant B"}));
  EXPECT_EQ(m_data.FindModel("p3"), m_data.m_paLocalModelFiles->GetAt(2));
  EXPECT_EQ(m_data.FindModel("GLOBAL"), m_data.m_pModel.get());
  EXPECT_EQ(m_data.FindModel("none"), nullptr);
}

TEST_F(ExportConfigReader, ShortPlantTagsNameTheModelsWhenAsked) {
  WriteModel("Global", 3);
  const std::string body =
      "<ExtendedTagProcessor><Plants><TagAlias><ExtendedTag>Alpha</ExtendedTag><ShortTag>A1</ShortTag></TagAlias>"
      "<TagAlias><ExtendedTag>Beta</ExtendedTag><ShortTag>B1</ShortTag></TagAlias></Plants></ExtendedTagProcessor>"
      "<LocalModelArray><LocalModel><CodeString>Beta</CodeString></LocalModel>"
      "<LocalModel><CodeString>Alpha</CodeString></LocalModel></LocalModelArray>"
      "<VornModelFile>" + ModelFileDir("Global") + "</VornModelFile><VornModelFileArray><VornModelFile>" +
      ModelFileDir("P1") + "</VornModelFile><VornModelFile>" + ModelFileDir("P2") +
      "</VornModelFile></VornModelFileArray>";
  ASSERT_TRUE(ReadText("<Export>" + body + "</Export>", true));
  ASSERT_EQ(m_data.m_paNameModels.GetSize(), 2);
  EXPECT_EQ(m_data.m_paNameModels[0]->m_strName, "A1");
  EXPECT_EQ(m_data.m_paNameModels[0]->m_nModelIndex, 1);
  EXPECT_EQ(m_data.m_paNameModels[1]->m_strName, "B1");
}

TEST_F(ExportConfigReader, AGlobalModelWithTooFewLocalModelsFailsTheReading) {
  WriteModel("Global", 3);
  ASSERT_FALSE(Read("<VornModelFile>" + ModelFileDir("Global") + "</VornModelFile><VornModelFileArray><VornModelFile>" +
                    ModelFileDir("P1") + "</VornModelFile></VornModelFileArray>"));
  EXPECT_FALSE(m_data.IsModelDataLoaded());
  // What was read before the failure stays until the export context goes.
  EXPECT_NE(m_data.m_pModel, nullptr);
}

TEST_F(ExportConfigReader, ASingleModelGetsOneNameWhateverLocalModelsAreListed) {
  WriteModel("Single", 1);
  ASSERT_TRUE(Read("<VornModelFile>" + ModelFileDir("Single") +
                   "</VornModelFile><LocalModelArray><LocalModel><CodeString>X</CodeString></LocalModel>"
                   "</LocalModelArray>"));
  ASSERT_EQ(m_data.m_paNameModels.GetSize(), 1);
  EXPECT_EQ(m_data.m_paNameModels[0]->m_nModelIndex, -1);
}

TEST_F(ExportConfigReader, ReleaseFreesOnlyACompleteReading) {
  ASSERT_TRUE(Read("<AssembledCases><AssembledCase><Number>1</Number><ModelName>m</ModelName></AssembledCase>"
                   "</AssembledCases>"));
  m_data.m_pCurrentCase = m_data.m_paAssembledCases->GetAt(0);
  m_data.ReleaseModelData();
  EXPECT_EQ(m_data.m_paAssembledCases, nullptr);
  EXPECT_EQ(m_data.m_pCurrentCase, nullptr);
  EXPECT_FALSE(m_data.IsModelDataLoaded());

  CVornDbExportData unread(nullptr);
  unread.m_paPeriods = std::make_unique<CVornPeriodArray>();
  unread.ReleaseModelData();
  EXPECT_NE(unread.m_paPeriods, nullptr);
}

TEST(ExportConfigPaths, PathHelpers) {
  EXPECT_EQ(CVornDbExportData::GetLastPathComponent("C:\\Models\\Refinery\\"), "Refinery");
  EXPECT_EQ(CVornDbExportData::GetParentPath("C:\\Models\\Refinery\\"), "C:\\Models");
  EXPECT_EQ(CVornDbExportData::GetLastPathComponent("Refinery"), "Refinery");
  EXPECT_EQ(CVornDbExportData::GetParentPath("Refinery"), "");
  EXPECT_EQ(CVornDbExportData::GetParentPath("/run/models/M"), "/run/models");

  struct Case {
    const char* directory;
    const char* name;
    const char* extension;
    const char* path;
  };
  for (const Case& c : {Case{"/run", "tables.map", nullptr, "/run/tables.map"},
                        Case{"/run", "D:\\x\\tables.map", nullptr, "D:\\x\\tables.map"},
                        Case{"/run", "\\\\srv\\share\\t.map", nullptr, "\\\\srv\\share\\t.map"},
                        Case{"/run", "\\x", nullptr, "/run/\\x"},
                        Case{"/run/", "x", nullptr, "/run//x"},
                        Case{"/run", "penalty", "dat", "/run/penalty.dat"},
                        Case{"/run", "penalty", ".dat", "/run/penalty.dat"}})
    EXPECT_EQ(CombineFilePath(c.directory, c.name, c.extension), c.path) << c.name;

  CVornDbExportData data(nullptr);
  data.m_strHomeDirectory = "/home/run";
  EXPECT_EQ(data.BuildFilePath("M", "tables.map"), "/home/run/M/tables.map");
  EXPECT_EQ(data.GetModelFilePath("Solution_1.Fil"), "/home/run/Solution_1.Fil");  // no model yet
  data.m_pModel = std::make_unique<CVornModelFile>();
  data.m_pModel->m_strModelName = "M";
  data.m_pModel->m_strModelDir = "/models/M";
  EXPECT_EQ(data.GetModelFilePath("penalty", "dat"), "/home/run/M/penalty.dat");
  EXPECT_EQ(data.GetModelTableFilePath(data.m_pModel.get(), "M", "tables.map"), "/home/run/M/tables.map");
  data.m_nExportKind = 2;
  EXPECT_EQ(data.GetModelFilePath("penalty", "dat"), "/home/run/penalty.dat");
  EXPECT_EQ(data.GetModelTableFilePath(data.m_pModel.get(), "M", "tables.map"), "/models/M/tables.map");

  data.m_nOutputCaseNumber = 5;
  data.m_bDataValidation = true;
  data.ResetTableSource();
  EXPECT_EQ(data.m_nOutputCaseNumber, 0);
  EXPECT_FALSE(data.m_bDataValidation);
  EXPECT_EQ(MakeCaseFileName("DbExport", 7, ".log"), "DbExport000007.log");
  EXPECT_EQ(MakeCaseFileName("DbExport", -1, ".log"), "DbExport.log");
}

}  // namespace

TEST_F(ExportConfigReader, ScenarioLogicsTakeTheFormulasOfCasesListedAfterThem) {
  WriteModel("Refinery", 0);
  ASSERT_TRUE(Read("<VornModelFile>" + ModelFileDir("Refinery") + "</VornModelFile>"
                   "<ScenarioExecutionLogics><ScenarioExecutionLogic><AssembledCase>2</AssembledCase>"
                   "</ScenarioExecutionLogic></ScenarioExecutionLogics>"
                   "<AssembledCases><AssembledCase><Number>2</Number><ModelName>Refinery</ModelName>"
                   "<SelExp>OBJFN &gt; 5</SelExp></AssembledCase></AssembledCases>"));
  ASSERT_TRUE(m_data.m_paScenarioLogics);
  ASSERT_EQ(m_data.m_paScenarioLogics->GetSize(), 1);
  EXPECT_EQ((*m_data.m_paScenarioLogics)[0]->GetExpression(), "OBJFN > 5");
}
