#pragma once
// One entry of a model's Servers section, read and written only.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/xml_dom.h"

class CServer : public CObject {
 public:
  std::string m_strUser;
  std::string m_strPassword;
  std::string m_strServerVersion;
  std::string m_strMachine;
  std::string m_strSpreadSheetFile;
  std::string m_strProgram;
  std::string m_strModelFile;
  std::string m_strMacro;
  std::string m_strParameters;
  std::int32_t m_bEnabled = 1;
  std::int32_t m_nServerType = 3;

  // Fills the server from a "Server" element; children may come in any
  // order, and a missing one leaves the constructor's value. The password is
  // deciphered (a plain one reads as it is).
  void ReadXml(const plat::XmlNode& server);
  // Appends a "Server" element with its eleven children to parent, the
  // password enciphered as the model's secret settings are. Throws
  // std::runtime_error when the cipher fails.
  void WriteXml(plat::XmlNode& parent) const;

  // CompareServers: by spreadsheet file, case-sensitive.
  static int CompareElements(const void* a, const void* b);
};

int CompareServers(const void* a, const void* b);
