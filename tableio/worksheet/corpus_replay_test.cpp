// Replays the committed corpus of malformed files through every worksheet
// reader: no crash, no hang, and a clean failure status where the file
// cannot be read.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "tableio/testing/dbf_fuzz_entry.h"
#include "tableio/worksheet/testing/fuzz_entries.h"

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CorpusReplay, EveryReaderSurvivesEveryFile) {
  const std::filesystem::path corpus = std::filesystem::path(OSTREL_SOURCE_DIR) / "tableio/worksheet/testdata/corpus";
  // Files whose compound structure or sheet position is broken must fail to open as BIFF5.
  const std::map<std::string, bool> biff5Opens = {
      {"biff5_good.xls", true},
      {"biff5_fat_loop.xls", false},
      {"biff5_fat_cycle.xls", false},
      {"biff5_sector_out_of_range.xls", false},
      {"biff5_directory_out_of_range.xls", false},
      {"biff5_stream_size_huge.xls", false},
      {"biff5_truncated.xls", false},
      {"biff5_boundsheet_outside.xls", false},
      {"biff5_boundsheet_not_bof.xls", false},
  };
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::vector<std::uint8_t> bytes = ReadAll(entry.path());
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    wks_fuzz::Biff2(bytes.data(), bytes.size());
    wks_fuzz::Biff3(bytes.data(), bytes.size());
    wks_fuzz::Biff4(bytes.data(), bytes.size());
    dbf_fuzz::Dbf(bytes.data(), bytes.size());
    const bool opened = wks_fuzz::Biff5(bytes.data(), bytes.size());
    const auto expected = biff5Opens.find(name);
    if (expected != biff5Opens.end()) {
      EXPECT_EQ(opened, expected->second);
    }
    ++files;
  }
  EXPECT_GT(files, 0);
}

TEST(CorpusReplay, TheDbaseReaderSurvivesEveryFile) {
  const std::filesystem::path corpus = std::filesystem::path(OSTREL_SOURCE_DIR) / "tableio/testdata/corpus_dbf";
  // Only the sound file opens; the others have a damaged header.
  const std::map<std::string, bool> opens = {
      {"good.dbf", true},           {"name_without_zero.dbf", true},  {"field_past_record.dbf", false},
      {"record_length_zero.dbf", false}, {"header_cut.dbf", false},
  };
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::vector<std::uint8_t> bytes = ReadAll(entry.path());
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const bool opened = dbf_fuzz::Dbf(bytes.data(), bytes.size());
    const auto expected = opens.find(name);
    if (expected != opens.end()) {
      EXPECT_EQ(opened, expected->second);
    }
    wks_fuzz::Biff2(bytes.data(), bytes.size());
    wks_fuzz::Biff4(bytes.data(), bytes.size());
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
