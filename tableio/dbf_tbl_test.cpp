#include "tableio/dbf_tbl.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct Field {
  std::string name;
  char type;
  int length;
};

// Builds a dBASE file byte by byte: header, descriptors, terminator, records.
class DbfBuilder {
 public:
  DbfBuilder(std::vector<Field> fields, int version = 3) : m_fields(std::move(fields)), m_version(version) {}
  // A record: the deletion flag and each field's text, padded to its length.
  DbfBuilder& Record(std::vector<std::string> values, bool deleted = false) {
    std::string record(1, deleted ? '*' : ' ');
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
      std::string value = i < values.size() ? values[i] : "";
      value.resize(static_cast<std::size_t>(m_fields[i].length), ' ');
      record += value;
    }
    m_records.push_back(record);
    return *this;
  }
  int RecordLength() const {
    int length = 1;
    for (const Field& f : m_fields) length += f.length;
    return length;
  }
  // The header's language-driver byte (0: no code page marked).
  DbfBuilder& Mark(std::uint8_t languageDriver) {
    m_mark = languageDriver;
    return *this;
  }
  // Header and record lengths may be overridden to build damaged files.
  std::string Bytes(int headerLength = -1, int recordLength = -1, int recordCount = -1) const {
    if (headerLength < 0) headerLength = 32 + 32 * static_cast<int>(m_fields.size()) + 1;
    if (recordLength < 0) recordLength = RecordLength();
    if (recordCount < 0) recordCount = static_cast<int>(m_records.size());
    std::string out(32, '\0');
    out[0] = static_cast<char>(m_version);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((recordCount >> (8 * i)) & 0xFF);
    out[8] = static_cast<char>(headerLength & 0xFF);
    out[9] = static_cast<char>(headerLength >> 8);
    out[10] = static_cast<char>(recordLength & 0xFF);
    out[11] = static_cast<char>(recordLength >> 8);
    out[29] = static_cast<char>(m_mark);
    for (const Field& f : m_fields) {
      std::string descriptor(32, '\0');
      descriptor.replace(0, std::min<std::size_t>(f.name.size(), 11), f.name.substr(0, 11));
      descriptor[11] = f.type;
      descriptor[16] = static_cast<char>(f.length);
      out += descriptor;
    }
    out += '\r';
    for (const std::string& r : m_records) out += r;
    out += '\x1a';
    return out;
  }

 private:
  std::vector<Field> m_fields;
  int m_version;
  std::uint8_t m_mark = 0;
  std::vector<std::string> m_records;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class DbfTblTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_options.ShowErrorBoxes = 0;
    m_options.ShowWarningBoxes = 0;
    m_options.LogEnabled = 1;
  }
  void TearDown() override { std::filesystem::remove(m_path); }

  std::string Write(const std::string& bytes) {
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return m_path.string();
  }
  // Opens and reads; returns the ReadAll result, or -1 when Open failed.
  int Read(const std::string& bytes, const std::string& keyFields, const std::string& keyValues,
           const std::string& extract) {
    CIoTableDescription description;
    description.m_strSource = Write(bytes);
    description.m_nTableType = kTableDbf;
    m_table = std::make_unique<CDbfTbl>(&m_log, &m_options);
    if (!m_table->Open(description)) return -1;
    const int result = m_table->ReadAll(m_rows, m_keyColumns, m_dataColumns, keyFields, keyValues, extract);
    m_table->Close(1);
    return result;
  }

  std::filesystem::path m_path =
      std::filesystem::temp_directory_path() / ("ostrel_dbf_" + std::to_string(::getpid()) + ".dbf");
  CIOOptions m_options;
  std::ostringstream m_log;
  std::unique_ptr<CDbfTbl> m_table;
  CIoRowArray m_rows;
  CColumnArray m_keyColumns;
  CColumnArray m_dataColumns;
};

const std::vector<Field> kFields = {
    {"NAME", 'C', 6}, {"QTY", 'N', 8}, {"WHEN", 'D', 8}, {"OK", 'L', 1}, {"NOTE", 'M', 10}};

TEST_F(DbfTblTest, ReadsEachFieldType) {
  DbfBuilder dbf(kFields);
  dbf.Record({"AB", "   12.50", "20200131", "T", "memo  "});
  dbf.Record({"CD", "", "", "t", ""});
  dbf.Record({"GONE", "1", "20200101", "T", ""}, true);
  dbf.Record({"EF", "-3", "20210230", "", "x"});
  ASSERT_EQ(Read(dbf.Bytes(), "NAME", "*", "QTY,WHEN,OK,NOTE"), 1) << m_log.str();
  ASSERT_EQ(m_rows.GetSize(), 3);
  EXPECT_EQ(m_table->GetRowCount(), 4);
  EXPECT_EQ(m_table->GetColumnCount(), 5);
  EXPECT_STREQ(m_rows.GetKeyString(0, 0), "AB");
  EXPECT_EQ(m_rows.GetCellDouble(0, 0), 12.5);
  EXPECT_EQ(m_rows.DataCell(0, 1).Format(), "2020-01-31");
  EXPECT_EQ(m_rows.DataCell(0, 2).GetBit(), 1);
  EXPECT_STREQ(m_rows.GetCellString(0, 3), "memo");
  // Blank fields are null; a lower-case t is false.
  EXPECT_TRUE(m_rows.IsCellNull(1, 0));
  EXPECT_TRUE(m_rows.IsCellNull(1, 1));
  EXPECT_EQ(m_rows.DataCell(1, 1).GetDateTime().GetStatus(), plat::OleDateTime::Status::null);
  EXPECT_FALSE(m_rows.IsCellNull(1, 2));
  EXPECT_EQ(m_rows.DataCell(1, 2).GetBit(), 0);
  EXPECT_TRUE(m_rows.IsCellNull(1, 3));
  // The deleted record never appears; a date not in the calendar is invalid.
  EXPECT_STREQ(m_rows.GetKeyString(2, 0), "EF");
  EXPECT_EQ(m_rows.DataCell(2, 1).GetDateTime().GetStatus(), plat::OleDateTime::Status::invalid);
  EXPECT_TRUE(m_rows.IsCellNull(2, 2));
}

TEST_F(DbfTblTest, KeysMatchTheirTextForms) {
  DbfBuilder dbf(kFields);
  dbf.Record({"AB", "12.50", "20200131", "T"}).Record({"AB", "7", "20200201", "F"});
  struct Case {
    std::string keyFields;
    std::string keyValues;
    int rows;
  } cases[] = {
      {"QTY", "12.5*", 1},          {"QTY", "12.500000", 1},  {"QTY", "12.5", 0},
      {"WHEN", "2020-01-31", 1},    {"OK", "TRUE", 1},        {"OK", "FALSE", 1},
      {"NAME,QTY", "A?,7*", 1},     {"NAME", "ab", 0},        {"NAME,OK", "AB,*", 2},
  };
  for (const Case& c : cases) {
    m_rows.RemoveAll();
    ASSERT_EQ(Read(dbf.Bytes(), c.keyFields, c.keyValues, "NAME"), 1) << c.keyFields;
    EXPECT_EQ(m_rows.GetSize(), c.rows) << c.keyFields << " " << c.keyValues;
  }
}

TEST_F(DbfTblTest, RecordsWithBlankKeysAreSkippedWithAWarning) {
  DbfBuilder dbf(kFields);
  dbf.Record({"A", "1"}).Record({"", "2"}).Record({"B", "3"});
  ASSERT_EQ(Read(dbf.Bytes(), "NAME", "*", "QTY"), 1);
  EXPECT_EQ(m_rows.GetSize(), 2);
  EXPECT_NE(m_log.str().find("Row 2 with all empty key values skipped."), std::string::npos) << m_log.str();
}

TEST_F(DbfTblTest, HeaderDescriptorsEndAtTheHeaderLength) {
  DbfBuilder dbf({{"A", 'C', 2}, {"B", 'C', 2}, {"C", 'C', 2}});
  dbf.Record({"a1", "b1", "c1"});
  // 97 bytes: two descriptors and the terminator; the third descriptor lies beyond.
  std::string bytes = dbf.Bytes(97);
  ASSERT_EQ(Read(bytes, "A", "*", "B"), 1);
  EXPECT_EQ(m_table->GetColumnCount(), 2);
}

TEST_F(DbfTblTest, DamagedFilesAreRefused) {
  DbfBuilder good(kFields);
  good.Record({"AB", "1"});
  const std::string bytes = good.Bytes();
  DbfBuilder longName({{"ELEVENCHARS", 'C', 4}});
  longName.Record({"x"});
  std::string longNameBytes = longName.Bytes();
  longNameBytes[32 + 11] = 'C';  // no zero after an 11-character name
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
    bool opens;
  } cases[] = {
      {"dBASE III with memo", DbfBuilder(kFields, 0x83).Bytes(), "Unsupported DBF version", false},
      {"short header", bytes.substr(0, 20), "Invalid or damaged DBF file header", false},
      {"cut in a descriptor", bytes.substr(0, 70), "Invalid or damaged DBF file header", false},
      {"record length 0", good.Bytes(-1, 0), "Invalid or damaged DBF file header", false},
      {"field beyond the record", good.Bytes(-1, 10), "Invalid or damaged DBF file header", false},
      {"unknown type", DbfBuilder({{"PIC", 'G', 10}}).Bytes(), "unsupported data type for column  [PIC]", false},
      {"records cut short", good.Bytes(-1, -1, 5), "An error occurred while trying to read the next record", true},
  };
  for (const Case& c : cases) {
    m_log.str("");
    const int result = Read(c.bytes, "NAME", "*", "QTY");
    EXPECT_EQ(result, c.opens ? 0 : -1) << c.name;
    EXPECT_NE(m_log.str().find(c.message), std::string::npos) << c.name << ": " << m_log.str();
  }
  m_log.str("");
  ASSERT_EQ(Read(longNameBytes, "ELEVENCHARS", "*", "ELEVENCHARS"), 1) << m_log.str();
  EXPECT_EQ(m_table->GetColumnCount(), 1);
  EXPECT_STREQ(m_rows.GetKeyString(0, 0), "x");
}

TEST_F(DbfTblTest, FieldReadersCheckTheColumnIndex) {
  DbfBuilder dbf(kFields);
  dbf.Record({"AB"});
  CIoTableDescription description;
  description.m_strSource = Write(dbf.Bytes());
  CDbfTbl table(&m_log, &m_options);
  ASSERT_EQ(table.Open(description), 1);
  std::string text;
  bool isNull = false;
  EXPECT_THROW(table.GetFieldText(5, text), CInvalidArgException);
  EXPECT_THROW(table.GetFieldNumber(-1, isNull), CInvalidArgException);
  EXPECT_EQ(table.Close(1), 1);
  EXPECT_EQ(table.Close(1), 0);
}

// A comma-decimal locale for the test: an installed one, else one compiled
// into dir with localedef (found through LOCPATH). Null when neither works.
const char* CommaDecimalLocale(const std::string& dir) {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name) != nullptr) return name;
  const std::string command = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return nullptr;
  ::setenv("LOCPATH", dir.c_str(), 1);
  return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ? "de_DE.UTF-8" : nullptr;
}

TEST_F(DbfTblTest, TheNumericLocaleIsLeftAlone) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("ostrel_locale_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const char* comma = CommaDecimalLocale(dir.string());
  if (comma != nullptr) {
    EXPECT_EQ(std::atof("12.5"), 12.0);  // the locale really reads a comma
  }
  const std::string during = std::setlocale(LC_NUMERIC, nullptr);
  DbfBuilder dbf(kFields);
  dbf.Record({"AB", "12.50"});
  ASSERT_EQ(Read(dbf.Bytes(), "QTY", "12.5*", "QTY"), 1);
  ASSERT_EQ(m_rows.GetSize(), 1);
  EXPECT_EQ(m_rows.GetCellDouble(0, 0), 12.5);
  EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), during);
  std::setlocale(LC_NUMERIC, before.c_str());
  ::unsetenv("LOCPATH");
  std::filesystem::remove_all(dir);
}

TEST_F(DbfTblTest, LoaderStatuses) {
  DbfBuilder dbf(kFields);
  dbf.Record({"AB", "1"});
  CIoTableDescription description;
  description.m_strSource = Write(dbf.Bytes());
  int readOnly = -1;
  int formatCode = -1;
  int available = -1;
  EXPECT_EQ(ReadDbfTable(description, "NAME", "*", "QTY", m_keyColumns, m_dataColumns, m_rows, readOnly, formatCode,
                         available),
            0);
  EXPECT_EQ(readOnly, 1);
  EXPECT_EQ(formatCode, 0);
  EXPECT_EQ(available, 0);
  EXPECT_EQ(m_rows.GetSize(), 1);
  EXPECT_EQ(ReadDbfTable(description, "NAME", "*", "MISSING", m_keyColumns, m_dataColumns, m_rows, readOnly,
                         formatCode, available),
            2);
  description.m_strSource += ".missing";
  EXPECT_EQ(ReadDbfTable(description, "NAME", "*", "QTY", m_keyColumns, m_dataColumns, m_rows, readOnly, formatCode,
                         available),
            1);
}

TEST_F(DbfTblTest, FilesWrittenByOtherProgramsReadTheSame) {
  for (const char* name : {"python_dbf.dbf", "libreoffice.dbf"}) {
    SCOPED_TRACE(name);
    CIoTableDescription description;
    description.m_strSource = std::string(OSTREL_SOURCE_DIR) + "/tableio/testdata/" + name;
    CDbfTbl table(&m_log, &m_options);
    ASSERT_EQ(table.Open(description), 1) << m_log.str();
    ASSERT_EQ(table.ReadAll(m_rows, m_keyColumns, m_dataColumns, "NAME", "*", "QTY,WHEN"), 1) << m_log.str();
    table.Close(1);
    ASSERT_EQ(m_rows.GetSize(), 3);
    const char* names[] = {"Alpha", "Beta", "Gamma"};
    const double quantities[] = {12.5, -3, 0.25};
    const char* dates[] = {"2020-01-31", nullptr, "1999-12-31"};
    for (int r = 0; r < 3; ++r) {
      EXPECT_STREQ(m_rows.GetKeyString(r, 0), names[r]);
      EXPECT_EQ(m_rows.GetCellDouble(r, 0), quantities[r]);
      if (dates[r] != nullptr) {
        EXPECT_EQ(m_rows.DataCell(r, 1).Format(), dates[r]);
      } else {
        EXPECT_TRUE(m_rows.IsCellNull(r, 1));
      }
    }
  }
}

// Character fields follow the code page the header names; an unmarked file (LibreOffice writes none) is read
// in the OEM code page. Expected texts are Windows-1252 bytes.
TEST_F(DbfTblTest, TheLanguageDriverByteDecidesTheCodePage) {
  const auto fixture = [](const char* name, int mark) {
    std::string bytes = ReadWhole(std::string(OSTREL_SOURCE_DIR) + "/tableio/testdata/" + name);
    if (mark >= 0 && bytes.size() > 29) bytes[29] = static_cast<char>(mark);
    return bytes;
  };
  const auto own = [](const std::string& name, std::uint8_t mark) {
    return DbfBuilder({{"NAME", 'C', 8}, {"QTY", 'N', 4}}).Mark(mark).Record({name, "1"}).Bytes();
  };
  struct Case {
    const char* what;
    std::string bytes;
    std::string name;
  };
  const std::vector<Case> cases = {
      {"LibreOffice, Windows-1252, marked as such", fixture("libreoffice_cp1252.dbf", 0x03), "Brent Cr\xFC" "de \xE9\x80"},
      {"LibreOffice, Windows-1252, unmarked: the OEM reading", fixture("libreoffice_cp1252.dbf", -1),
       "Brent Cr?de ?\xC7"},
      {"LibreOffice, code page 850, unmarked", fixture("libreoffice_cp850.dbf", -1), "Brent Cr\xFC" "de \xE9?"},
      {"LibreOffice, code page 850, marked as such", fixture("libreoffice_cp850.dbf", 0x02), "Brent Cr\xFC" "de \xE9?"},
      {"code page 850", own("\x9B", 0x02), "\xF8"},
      {"unmarked: code page 437", own("\x9B", 0x00), "\xA2"},
      {"a mark of no known code page: code page 437", own("\x9B", 0xFE), "\xA2"},
      {"Windows ANSI, as it is", own("\x9B\x80", 0x57), "\x9B\x80"},
      {"Windows-1251: Cyrillic has no Windows-1252 form", own("A\xC0", 0xC9), "A?"},
      {"Shift-JIS, a whole and a cut double-byte character", own("\x82\xA0x\x82", 0x7B), "?x?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_rows.RemoveAll();
    ASSERT_EQ(Read(c.bytes, "NAME", "*", "QTY"), 1) << m_log.str();
    ASSERT_GE(m_rows.GetSize(), 1);
    EXPECT_EQ(std::string(m_rows.GetKeyString(0, 0)), c.name);
  }
}

}  // namespace
