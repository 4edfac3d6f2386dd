#include "solutionfill/core/solver_side_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/testing/recording_log.h"
#include "solutionfill/core/testing/side_file_writers.h"

namespace {

using side_file_testing::Bytes;

// A recursion file: two names, the given passes, two period codes, values
// 10 * period + name.
std::string RecursionFile(bool doublePrecision, std::int32_t passes) {
  Bytes out(doublePrecision);
  out.Ints({1, 2, 3, 4, 5, 2, 2, passes});
  out.Field("POOLSUL     ", 12).Field("ABCDEFGHIJKL", 12);  // the second without a NUL
  out.Field("SEC1", 12).Field("SEC2", 12);
  for (std::int32_t k = 0; k < passes; ++k) out.Real(100.0 + k);
  for (std::int32_t k = 0; k < passes; ++k) out.m_bytes += k == 0 ? 'O' : 'F';
  for (std::int32_t list = 0; list < 3; ++list)
    for (std::int32_t k = 0; k < passes; ++k) out.Int(10 * list + k);
  out.m_bytes += "12";
  for (int period = 0; period < 2; ++period)
    for (int name = 0; name < 2; ++name) out.Real(10 * period + name);
  return out.m_bytes;
}

TEST(RecursionFile, ReadsNamesPassesAndValuesInEitherPrecision) {
  for (bool doublePrecision : {false, true}) {
    for (std::int32_t passes : {0, 2}) {
      SCOPED_TRACE(testing::Message() << "double " << doublePrecision << " passes " << passes);
      CRecursionRecord record;
      std::string error;
      ASSERT_TRUE(ParseRecursionFile(RecursionFile(doublePrecision, passes), doublePrecision, record, error)) << error;
      EXPECT_EQ(record.NameCount(), 2);
      EXPECT_EQ(record.m_anHeader[0], 1);
      EXPECT_EQ(record.m_astrPrimaryNames[0], "POOLSUL     ");  // trailing blanks kept
      EXPECT_EQ(record.m_astrPrimaryNames[1], "ABCDEFGHIJKL");
      EXPECT_EQ(record.m_astrPeriodCodes[1], "2");
      EXPECT_EQ(record.Value(1, 1), 11.0);
      EXPECT_EQ(record.Value(0, 1), 10.0);
      EXPECT_EQ(record.Value(2, 0), 1e30);
      EXPECT_EQ(doublePrecision ? record.m_afValues.size() : record.m_adValues.size(), 0u);
      ASSERT_EQ(record.m_anPassLPIterations.size(), static_cast<std::size_t>(passes));
      if (passes) {
        EXPECT_EQ(record.PassObjective(1), 101.0);
        EXPECT_EQ(record.m_astrPassStatusCodes[0], "O");
        EXPECT_EQ(record.m_anPassPropOutofTolerance[1], 11);
        EXPECT_EQ(record.m_anPassDistrOutofTolerance[0], 20);
      }
    }
  }
}

TEST(RecursionFile, RefusesAnIncompleteHeaderOrNegativeCounts) {
  CRecursionRecord record;
  std::string error;
  const std::string empty = Bytes(false).Ints({0, 0, 0, 0, 0, 0, 0, 0}).m_bytes;
  EXPECT_TRUE(ParseRecursionFile(empty, false, record, error));
  EXPECT_EQ(record.NameCount(), 0);
  EXPECT_FALSE(ParseRecursionFile(empty.substr(0, 31), false, record, error));
  EXPECT_EQ(record.NameCount(), 0);
  const std::string negative = Bytes(false).Ints({0, 0, 0, 0, 0, -1, 2, 0}).m_bytes;
  EXPECT_FALSE(ParseRecursionFile(negative, true, record, error));
  EXPECT_TRUE(record.m_astrPrimaryNames.empty());
}

// A file shorter than its counts is read as far as it goes; the counts become what the record holds.
TEST(RecursionFile, AShortFileIsReadAsFarAsItGoes) {
  const std::string whole = RecursionFile(false, 2);
  const std::size_t valuesAt = whole.size() - 4 * 4;  // two periods of two float values
  const std::size_t codesAt = valuesAt - 2;
  const struct {
    std::size_t size;
    std::int32_t names, passes, periods;
  } cases[] = {
      {whole.size() - 1, 2, 2, 1},   // the last period's values cut: that period is dropped
      {valuesAt + 3, 2, 2, 0},       // the first value cut
      {codesAt + 1, 2, 2, 0},        // a period code missing
      {32 + 24 + 12 + 5, 1, 0, 0},   // inside the second pair of names
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    CRecursionRecord record;
    std::string error, missing;
    ASSERT_TRUE(ParseRecursionFile(whole.substr(0, c.size), false, record, error, &missing));
    EXPECT_FALSE(missing.empty());
    EXPECT_EQ(record.NameCount(), c.names);
    EXPECT_EQ(record.m_astrSecondaryNames.size(), static_cast<std::size_t>(c.names));
    EXPECT_EQ(record.PassCount(), c.passes);
    EXPECT_EQ(record.m_anPassDistrOutofTolerance.size(), static_cast<std::size_t>(c.passes));
    EXPECT_EQ(record.PeriodCodeCount(), c.periods);
    EXPECT_EQ(record.m_afValues.size(), static_cast<std::size_t>(c.names * c.periods));
    EXPECT_EQ(record.Value(1, 1), 1e30);
    EXPECT_EQ(record.Value(1, 0), c.periods > 0 ? 1.0 : 1e30);
  }
  // Counts far beyond a file of a header alone allocate nothing and read nothing.
  const std::string huge = Bytes(false).Ints({0, 0, 0, 0, 0, 0x7fffffff, 0x7fffffff, 0x7fffffff}).m_bytes;
  CRecursionRecord record;
  std::string error, missing;
  EXPECT_TRUE(ParseRecursionFile(huge, true, record, error, &missing));
  EXPECT_EQ(record.NameCount(), 0);
  EXPECT_EQ(record.PassCount(), 0);
  EXPECT_NE(missing.find("names 0 of 2147483647"), std::string::npos) << missing;
}

std::string PvtwFile(bool doublePrecision) {
  Bytes out(doublePrecision);
  out.Int(3);  // period codes
  out.Int(2);  // streams
  out.m_bytes += "123";
  out.Field("AB", 4).m_bytes += "WXYZ";
  for (int i = 0; i < 6; ++i) out.Real(i);
  return out.m_bytes;
}

TEST(PvtwFile, ReadsStreamByStream) {
  for (bool doublePrecision : {false, true}) {
    const std::string bytes = PvtwFile(doublePrecision);
    EXPECT_EQ(bytes.size(), 8 + 3 + 8 + 6u * (doublePrecision ? 8 : 4));
    CPvtwRecord record;
    std::string error;
    ASSERT_TRUE(ParsePvtwFile(bytes, doublePrecision, record, error)) << error;
    EXPECT_EQ(record.m_nStreamCount, 2);
    EXPECT_EQ(record.m_nPeriodCodeCount, 3);
    EXPECT_EQ(record.m_astrStreamNames[0], "AB");
    EXPECT_EQ(record.m_astrStreamNames[1], "WXYZ");
    EXPECT_EQ(record.Value(1, 0), 3.0);  // element 3
    EXPECT_EQ(record.Value(2, 0), 1e30);
    // Short: the streams whose values are all there.
    std::string missing;
    ASSERT_TRUE(ParsePvtwFile(bytes.substr(0, bytes.size() - 1), doublePrecision, record, error, &missing));
    EXPECT_EQ(record.m_nStreamCount, 1);
    EXPECT_EQ(record.m_nPeriodCodeCount, 3);
    EXPECT_EQ(record.m_astrStreamNames.size(), 1u);
    EXPECT_EQ(record.Value(0, 2), 2.0);
    EXPECT_EQ(record.Value(1, 0), 1e30);
    EXPECT_EQ(missing, "period codes 3 of 3, streams with values 1 of 2");
    ASSERT_TRUE(ParsePvtwFile(bytes.substr(0, 10), doublePrecision, record, error, &missing));
    EXPECT_EQ(record.m_nStreamCount, 0);
    EXPECT_EQ(record.m_nPeriodCodeCount, 2);
  }
  const std::string huge = Bytes(false).Ints({0x7fffffff, 0x7fffffff}).m_bytes;
  CPvtwRecord record;
  std::string error;
  EXPECT_TRUE(ParsePvtwFile(huge, true, record, error));
  EXPECT_EQ(record.m_nStreamCount, 0);
  const std::string negative = Bytes(false).Ints({-1, 1}).m_bytes;
  EXPECT_FALSE(ParsePvtwFile(negative, true, record, error));
}

TEST(TvpropFile, MakesOneEntryPerCompleteRecord) {
  std::string bytes;
  for (const char* parts : {"AB      CD      ", "X       Y       "}) {
    bytes += parts;
    bytes += Bytes(false).Real(2.5).m_bytes;
  }
  CDbPrimalArray entries;
  EXPECT_EQ(ParseTvpropFile(bytes, entries), 2);
  EXPECT_EQ(entries[0]->m_strName, "ABCD");
  EXPECT_EQ(entries[0]->m_dActivity, 2.5);
  EXPECT_EQ(entries[1]->m_strName, "XY");
  EXPECT_EQ(ParseTvpropFile(bytes + "12345", entries), 2);  // the incomplete tail is ignored
  EXPECT_EQ(ParseTvpropFile("", entries), 0);
  EXPECT_EQ(entries.GetSize(), 4);
}

class SideFileReadTest : public testing::Test {
 protected:
  SideFileReadTest() : m_export(&m_log), m_solution(&m_export), m_case(7) {
    m_dir = std::filesystem::temp_directory_path() / ("sidefiles_" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir / "MODEL");
    m_export.m_strHomeDirectory = m_dir.string();
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    m_export.m_pModel->m_strModelName = "MODEL";
    m_export.m_pModel->m_strModelDir = (m_dir / "MODEL").string();
  }
  ~SideFileReadTest() override { std::filesystem::remove_all(m_dir); }
  void Save(const char* name, const std::string& bytes) {
    std::ofstream(m_dir / "MODEL" / name, std::ios::binary) << bytes;
  }

  solution_file_testing::RecordingLog m_log;
  CVornDbExportData m_export;
  CDbSolution m_solution;
  CDbCase m_case;
  std::filesystem::path m_dir;
};

TEST_F(SideFileReadTest, ReadsTheFilesOfTheModelsDirectory) {
  CVornModelFile* model = m_export.m_pModel.get();
  std::int32_t count = -1;
  EXPECT_FALSE(m_solution.ReadRecursionFil(model, &m_case));
  EXPECT_FALSE(m_solution.ReadPvtwDat(model, &m_case));
  EXPECT_FALSE(m_solution.ReadTvpropDat(model, count));

  Save("Recursion.fil", RecursionFile(false, 1));
  Save("PVTW.DAT", PvtwFile(false));
  Save("TVPROP.DAT", "");
  EXPECT_TRUE(m_solution.ReadRecursionFil(model, &m_case));
  EXPECT_EQ(GetRecursionRecord(*model).PassCount(), 1);
  EXPECT_TRUE(m_solution.ReadPvtwDat(model, &m_case));
  EXPECT_EQ(GetPvtwRecord(*model).m_nStreamCount, 2);
  EXPECT_TRUE(m_solution.ReadTvpropDat(model, count));
  EXPECT_EQ(count, 0);

  // With UseNimboOn the same files are read as doubles: the float file is now short. What it holds is
  // used, and a warning names the file and what it lacked.
  std::vector<std::string> lines;
  static std::vector<std::string>* s_lines = nullptr;
  s_lines = &lines;
  m_export.m_pfnMessageCallback = [](const char* text, int length, int) {
    s_lines->emplace_back(text, length);
    return 1;
  };
  model->m_settings.m_UseNimboOn.SetValue(1);
  const std::size_t logged = m_log.lines.size();
  EXPECT_TRUE(m_solution.ReadPvtwDat(model, &m_case));
  EXPECT_EQ(GetPvtwRecord(*model).m_nStreamCount, 1);
  EXPECT_TRUE(m_solution.ReadRecursionFil(model, &m_case));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[1].find("PVTW.DAT"), std::string::npos);
  EXPECT_NE(lines[1].find("streams with values 1 of 2"), std::string::npos) << lines[1];
  EXPECT_NE(lines[3].find("Recursion.fil"), std::string::npos);
  EXPECT_EQ(m_log.lines.size(), logged + 2);
  m_export.m_pfnMessageCallback = nullptr;
  Save("PVTW.DAT", PvtwFile(true));
  EXPECT_TRUE(m_solution.ReadPvtwDat(model, &m_case));
  EXPECT_TRUE(GetPvtwRecord(*model).m_bDoublePrecision);
}

}  // namespace
