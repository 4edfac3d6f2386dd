#include "caseset/modeltables/model_database.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "platform/exceptions.h"
#include "platform/string_table.h"

namespace {

const plat::StringTableRegistrar kModelDatabaseStrings(
    plat::StringTable::Program,
    {
        {kIdsComErrorDetails, "Error\nCode = %1\nCode meaning = %2\nSource = %3\nDescription = %4"},
    });

constexpr double kNotSet = 1e30;
constexpr float kNotSetF = 1.0e30f;
constexpr double kTiny = 1e-7;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size()) {
    out.append(text, start, at - start);
    out += to;
  }
  out.append(text, start, std::string::npos);
  text.swap(out);
}

// The system's text of the codes it knows; empty for any other.
std::string SystemMessage(plat::HRESULT code) {
  switch (static_cast<std::uint32_t>(code)) {
    case 0x80004005u: return "Unspecified error";
    case 0x80004001u: return "Not implemented";
    case 0x80004002u: return "No such interface supported";
    case 0x80004003u: return "Invalid pointer";
    case 0x8007000Eu: return "Not enough memory resources are available to complete this operation.";
    case 0x80070057u: return "The parameter is incorrect.";
    case 0x80020009u: return "Exception occurred.";
    default: return std::string();
  }
}

std::string CodeMeaning(plat::HRESULT code) {
  std::string text = SystemMessage(code);
  if (!text.empty()) {
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
    return text;
  }
  const auto value = static_cast<std::uint32_t>(code);
  const std::uint32_t facility = (value >> 16) & 0x1FFFu;
  const std::uint32_t low = value & 0xFFFFu;
  char buffer[64];
  if (facility == 4 /* FACILITY_ITF */ && low >= 0x200 && low - 0x200 != 0) {
    std::snprintf(buffer, sizeof buffer, "IDispatch error #%d", static_cast<int>(low - 0x200));
  } else {
    std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", static_cast<unsigned long>(value));
  }
  return buffer;
}

}  // namespace

bool IsModelDatabaseOpen(const CVornModelFile& model) {
  const plat::AdoConnectionPtr& connection = model.m_pModelDbConnection;
  return connection && connection->GetState() != plat::adStateClosed;
}

bool OpenModelDatabase(CVornModelFile& model, std::string& errorText) {
  errorText.clear();
  if (IsModelDatabaseOpen(model)) return true;
  CDbConnectInfo& info = model.m_dbConnectInfo;
  if (info.m_nType == kDbConnNone) return true;

  std::string relativeName;
  const auto restoreName = [&] {
    if (!relativeName.empty()) info.SetConnectionString(relativeName);
  };
  try {
    if (info.m_nType == kDbConnAccess) {
      relativeName = info.m_strName;
      info.SetConnectionString(MakeAbsolutePath(model.m_strModelDir, relativeName));
    }
    if (info.m_nType == kDbConnVornEE) {
      OpenAdoConnectionString(model.m_pModelDbConnection, info.GetStringAfterMarker(), info.m_bEnabled);
    } else {
      OpenAdoConnection(model.m_pModelDbConnection, info, false, std::string());
    }
  } catch (const plat::ComError& error) {
    restoreName();
    errorText = FormatComError(error);
    return false;
  } catch (const std::exception&) {
    restoreName();
    return false;
  }
  restoreName();
  return true;
}

bool CloseModelDatabase(CVornModelFile& model) {
  plat::AdoConnectionPtr& connection = model.m_pModelDbConnection;
  if (!connection) return true;
  if (connection->GetState() == plat::adStateOpen) {
    connection->Close();
    connection.reset();
  }
  return true;
}

std::string FormatComError(const plat::ComError& error) {
  char code[16];
  std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(static_cast<std::uint32_t>(error.Error())));
  return FormatResString4(kIdsComErrorDetails, code, CodeMeaning(error.Error()), error.Source(),
                          error.Description());
}

void AdaptSqlToDatabase(std::string& sql, const CVornModelFile& model) {
  switch (model.m_dbConnectInfo.m_nKind) {
    case kDbKindOracle:
      ReplaceAll(sql, "SUBSTRING", "SUBSTR");
      ReplaceAll(sql, " STR(", " TO_CHAR(");
      ReplaceAll(sql, "AS ", "");
      ReplaceAll(sql, "[", "");
      ReplaceAll(sql, "]", "");
      break;
    case kDbKindAccess:
      ReplaceAll(sql, "SUBSTRING", "MID");
      ReplaceAll(sql, "[\"", "[");
      ReplaceAll(sql, "\"]", "]");
      break;
    case kDbKindSqlServer:
      ReplaceAll(sql, "[\"", "[");
      ReplaceAll(sql, "\"]", "]");
      break;
    default: break;
  }
}

double ZeroIfTiny(double value) {
  if (value == kNotSet) return value;
  return std::fabs(value) <= kTiny ? 0.0 : value;
}

float ZeroIfTinyF(float value) {
  if (value == kNotSetF) return value;
  return std::fabs(value) <= static_cast<float>(kTiny) ? 0.0f : value;
}

std::string StripHashChars(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '#') out += c;
  return out;
}
