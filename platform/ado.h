#pragma once
// ADO over ODBC: a connection opened with an OLE DB or ODBC connection string
// (translated by connection_string.h), record sets read forward with their
// fields, a variant value, and failures thrown as ComError with a code, a
// source and a description. A connection is shared by counted reference
// (AdoConnectionPtr), as the table descriptions hold it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc_handles.h"

namespace plat {

using HRESULT = std::int32_t;
inline constexpr HRESULT kEFail = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT kDispEException = static_cast<HRESULT>(0x80020009u);
inline constexpr HRESULT kAdoErrorNoCurrentRecord = static_cast<HRESULT>(0x800A0BCDu);
inline constexpr HRESULT kAdoErrorItemNotFound = static_cast<HRESULT>(0x800A0CC1u);
inline constexpr HRESULT kAdoErrorObjectClosed = static_cast<HRESULT>(0x800A0E78u);

// A failed COM call.
class ComError : public std::exception {
 public:
  ComError(HRESULT code, std::string source, std::string description);
  HRESULT Error() const { return m_code; }
  const std::string& Source() const { return m_source; }
  const std::string& Description() const { return m_description; }
  // The system text of the code: "Unspecified error" for E_FAIL,
  // "IDispatch error #N" for codes of the dispatch range, else
  // "Unknown error 0x%0lX".
  std::string ErrorMessage() const;
  const char* what() const noexcept override { return m_description.c_str(); }

 private:
  HRESULT m_code;
  std::string m_source;
  std::string m_description;
};

// VARIANT type codes used here.
enum VarType : std::uint16_t {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_BOOL = 11,
  VT_DECIMAL = 14,
  VT_UI1 = 17,
  VT_I8 = 20,
  VT_ARRAY_UI1 = 0x2011,
};

// A VARIANT value. A decimal is held as its double; a currency as its
// value times 10000; a boolean as -1 or 0; a date as an OLE date.
struct Variant {
  std::uint16_t vt = VT_EMPTY;
  std::int64_t llVal = 0;  // VT_I2, VT_I4, VT_I8, VT_UI1, VT_BOOL, VT_CY (scaled)
  double dblVal = 0.0;     // VT_R4, VT_R8, VT_DECIMAL, VT_DATE
  std::string bstrVal;     // VT_BSTR (Windows-1252)
  std::vector<unsigned char> bytes;  // VT_ARRAY_UI1

  static Variant Null() {
    Variant v;
    v.vt = VT_NULL;
    return v;
  }
  void Clear() { *this = Variant(); }
};

// Days since 30 December 1899 (fraction: time of day) of a calendar time.
double OleDateFromTimestamp(const SQL_TIMESTAMP_STRUCT& ts);

// ADO DataTypeEnum values.
enum AdoType : std::int32_t {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBSTR = 8,
  adBoolean = 11,
  adDecimal = 14,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adUnsignedInt = 19,
  adBigInt = 20,
  adUnsignedBigInt = 21,
  adGUID = 72,
  adBinary = 128,
  adChar = 129,
  adWChar = 130,
  adNumeric = 131,
  adDBDate = 133,
  adDBTime = 134,
  adDBTimeStamp = 135,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
  adLongVarBinary = 205,
};

enum AdoState : std::int32_t { adStateClosed = 0, adStateOpen = 1 };
enum AdoMode : std::int32_t { adModeUnknown = 0, adModeRead = 1, adModeWrite = 2, adModeReadWrite = 3 };

// The ADO type of an ODBC column type.
AdoType AdoTypeOfSqlType(SQLSMALLINT sqlType);
// The variant of an ODBC value read from a column of the given ADO type.
Variant ToVariant(const odbc::FieldValue& field, AdoType type);

// One entry of a connection's Errors collection.
struct AdoError {
  std::int32_t number = 0;
  std::string source;
  std::string description;
  std::string sqlState;
};

class AdoField {
 public:
  const std::string& GetName() const { return m_name; }
  AdoType GetType() const { return m_type; }
  std::int32_t GetDefinedSize() const { return m_definedSize; }
  // The value in the current record; throws ComError when there is none.
  Variant GetValue() const;

 private:
  friend class AdoRecordset;
  friend class AdoConnection;
  std::string m_name;
  AdoType m_type = adEmpty;
  std::int32_t m_definedSize = 0;
  const class AdoRecordset* m_owner = nullptr;
  std::size_t m_index = 0;
};

class AdoRecordset {
 public:
  ~AdoRecordset();
  AdoRecordset(const AdoRecordset&) = delete;
  AdoRecordset& operator=(const AdoRecordset&) = delete;

  long GetFieldCount() const { return static_cast<long>(m_fields.size()); }
  // By index (from 0) or by name (ignoring case); throws ComError
  // (kAdoErrorItemNotFound) when there is no such field.
  const AdoField& GetItem(long index) const;
  const AdoField& GetItem(std::string_view name) const;
  bool IsEOF() const { return m_eof; }
  // Throws ComError at end of file or after Close.
  void MoveNext();
  void Close();
  AdoState GetState() const { return m_statement ? adStateOpen : adStateClosed; }

 private:
  friend class AdoConnection;
  friend class AdoField;
  AdoRecordset() = default;
  void Fetch();

  std::unique_ptr<odbc::Statement> m_statement;
  std::vector<AdoField> m_fields;
  std::vector<Variant> m_record;
  bool m_eof = true;
};

class AdoConnection {
 public:
  AdoConnection() = default;
  ~AdoConnection();
  AdoConnection(const AdoConnection&) = delete;
  AdoConnection& operator=(const AdoConnection&) = delete;

  void PutMode(AdoMode mode) { m_mode = mode; }
  AdoMode GetMode() const { return m_mode; }
  void PutConnectionTimeout(std::uint32_t seconds) { m_timeout = seconds; }

  // Opens the connection. A non-empty user or password is given to the
  // driver in place of any in the string. Throws ComError; the driver's
  // diagnostics are then in Errors().
  void Open(std::string_view connectionString, std::string_view user, std::string_view password,
            std::int32_t options = 0);
  AdoState GetState() const { return m_connection ? adStateOpen : adStateClosed; }
  // Runs a statement. A statement with a result gives an open record set
  // positioned on its first record; one without a result gives nullptr.
  // Throws ComError.
  std::unique_ptr<AdoRecordset> Execute(std::string_view sql, std::int64_t* recordsAffected = nullptr,
                                        std::int32_t options = -1);
  void BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  // Closes the connection; record sets still open keep reading until closed.
  void Close();

  const std::vector<AdoError>& Errors() const { return m_errors; }
  // The name of the database product behind the connection.
  std::string GetDbmsName() const;
  // The ODBC connection underneath (null when closed), for prepared statements.
  const std::shared_ptr<odbc::Connection>& Native() const { return m_connection; }

 private:
  [[noreturn]] void Fail(const odbc::Error& error, std::string_view what);
  void RequireOpen() const;
  // One step of a transaction on the open connection; a failure goes through Fail with what.
  void RunTransactionStep(void (odbc::Connection::*step)(), std::string_view what);

  AdoMode m_mode = adModeUnknown;
  std::uint32_t m_timeout = 15;
  std::shared_ptr<odbc::Connection> m_connection;
  std::vector<AdoError> m_errors;
};

using AdoConnectionPtr = std::shared_ptr<AdoConnection>;

}  // namespace plat
