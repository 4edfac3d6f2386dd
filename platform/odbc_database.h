#pragma once
// A database reached through ODBC with a forward-reading record set, as the
// table I/O library and the results readers use them: CDatabase opens a
// connection (a DSN or a complete connect string; Access file strings are
// translated, see connection_string.h), CRecordset runs a SELECT and walks its
// records, CDBVariant holds one field value, and every failure is thrown as
// CDBException.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exceptions.h"
#include "platform/odbc_handles.h"

// A failed database operation: the driver's text, the SQL state and the
// return code of the failing call.
class CDBException : public CException {
 public:
  CDBException(std::int16_t retCode, std::string errorText, std::string state);
  // From a failed ODBC call; the text joins the diagnostics' messages.
  explicit CDBException(const plat::odbc::Error& error);

  std::int16_t m_nRetCode;
  std::string m_strError;  // the driver's message(s), one per line
  std::string m_strStateNativeOrigin;  // "State:S1000,Native:0,Origin:[driver]"

  // The error text as a report shows it.
  const std::string& GetErrorMessage() const { return m_strError; }
};

// A record set field value.
enum : std::uint32_t {
  DBVT_NULL = 0,
  DBVT_BOOL = 1,
  DBVT_UCHAR = 2,
  DBVT_SHORT = 3,
  DBVT_LONG = 4,
  DBVT_SINGLE = 5,
  DBVT_DOUBLE = 6,
  DBVT_DATE = 7,
  DBVT_STRING = 8,
  DBVT_BINARY = 9,
  DBVT_ASTRING = 10,
  DBVT_WSTRING = 11,
};

class CDBVariant {
 public:
  std::uint32_t m_dwType = DBVT_NULL;
  bool m_boolVal = false;
  unsigned char m_chVal = 0;
  std::int16_t m_iVal = 0;
  std::int32_t m_lVal = 0;
  float m_fltVal = 0.0f;
  double m_dblVal = 0.0;
  SQL_TIMESTAMP_STRUCT m_date{};   // DBVT_DATE
  std::string m_strVal;            // DBVT_STRING / ASTRING / WSTRING (Windows-1252)
  std::vector<unsigned char> m_binary;  // DBVT_BINARY

  // Keeps the text and byte buffers' capacity for the next value.
  void Clear() {
    m_dwType = DBVT_NULL;
    m_boolVal = false;
    m_chVal = 0;
    m_iVal = 0;
    m_lVal = 0;
    m_fltVal = 0.0f;
    m_dblVal = 0.0;
    m_date = SQL_TIMESTAMP_STRUCT{};
    m_strVal.clear();
    m_binary.clear();
  }
};

// What GetODBCFieldInfo reports about one field.
struct CODBCFieldInfo {
  std::string m_strName;
  std::int16_t m_nSQLType = 0;
  std::uint64_t m_nPrecision = 0;
  std::int16_t m_nScale = 0;
  std::int16_t m_nNullability = 0;
};

class CDatabase {
 public:
  enum : std::uint32_t { openExclusive = 0x1, openReadOnly = 0x2, useCursorLib = 0x4, noOdbcDialog = 0x8 };

  CDatabase() = default;
  ~CDatabase();
  CDatabase(const CDatabase&) = delete;
  CDatabase& operator=(const CDatabase&) = delete;

  // Opens a data source. The connect string may begin with "ODBC;"; a
  // non-empty dsn adds "DSN=". Returns true, or throws CDBException.
  bool Open(std::string_view dsn, bool exclusive = false, bool readOnly = false,
            std::string_view connect = "ODBC;", bool useCursorLib = true);
  bool OpenEx(std::string_view connect, std::uint32_t options = 0);
  void Close();
  bool IsOpen() const { return m_connection != nullptr; }

  // The connect string as the driver completed it, with "ODBC;" in front.
  std::string GetConnect() const;
  // The name of the database product ("SQLite", "PostgreSQL", ...).
  std::string GetDbmsName() const;
  // The identifier quote of the data source (may be a blank or empty).
  std::string GetIdentifierQuoteChar() const;

  // Runs a statement that returns no rows. Throws CDBException.
  void ExecuteSQL(std::string_view sql);

  bool BeginTrans();
  bool CommitTrans();
  bool Rollback();

  // The ODBC connection underneath, for prepared statements.
  const std::shared_ptr<plat::odbc::Connection>& Connection() const { return m_connection; }

 private:
  void RequireOpen() const;
  std::shared_ptr<plat::odbc::Connection> m_connection;
};

// A record set over one SELECT, read forward. Every field of the current
// record is read when the record is reached, so fields can be asked for in
// any order and more than once.
class CRecordset {
 public:
  enum OpenType { dynaset = 0, snapshot = 1, dynamic = 2, forwardOnly = 3 };
  enum : std::int16_t { DEFAULT_FIELD_TYPE = 0 };

  explicit CRecordset(CDatabase* database);
  ~CRecordset();
  CRecordset(const CRecordset&) = delete;
  CRecordset& operator=(const CRecordset&) = delete;

  // Runs the statement and moves to the first record. Throws CDBException.
  bool Open(OpenType openType, std::string_view sql, std::uint32_t options = 0);
  void Close();
  bool IsOpen() const { return m_statement != nullptr; }
  bool IsEOF() const { return m_eof; }
  bool IsBOF() const { return m_bof; }

  void MoveNext();
  // Only a relative move of 0 (re-read the current record) is offered.
  void Move(std::int64_t rows, std::int16_t fetchType = SQL_FETCH_RELATIVE);

  std::int16_t GetODBCFieldCount() const;
  // Throws CInvalidArgException for an index outside the fields.
  void GetODBCFieldInfo(std::int16_t index, CODBCFieldInfo& info) const;
  // Field by index or by name (exact name, else ignoring case). Throws
  // CDBException at end of file or for an unknown name.
  void GetFieldValue(std::int16_t index, CDBVariant& value, std::int16_t fieldType = DEFAULT_FIELD_TYPE) const;
  void GetFieldValue(std::string_view name, CDBVariant& value, std::int16_t fieldType = DEFAULT_FIELD_TYPE) const;
  // The field as text ("" for null).
  void GetFieldValue(std::int16_t index, std::string& value) const;
  void GetFieldValue(std::string_view name, std::string& value) const;

 private:
  void FetchRecord();
  std::int16_t FieldIndex(std::string_view name) const;

  CDatabase* m_database;
  std::unique_ptr<plat::odbc::Statement> m_statement;
  std::vector<plat::odbc::FieldValue> m_record;
  bool m_eof = true;
  bool m_bof = true;
};

// The default CDBVariant form of an ODBC value (what GetFieldValue gives):
// text, decimals and 64-bit integers as a string, bit as bool, tinyint as
// unsigned char, dates as DBVT_DATE.
void ToDbVariant(const plat::odbc::FieldValue& field, CDBVariant& out);
