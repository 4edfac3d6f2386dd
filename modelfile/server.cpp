#include "modelfile/server.h"

#include <cstdlib>

#include "foundation/string_utils.h"
#include "modelfile/model_settings_xml.h"

namespace {

// Double quotes of the Parameters text are stored as "@@@".
constexpr const char* kQuoteMarker = "@@@";

}  // namespace

void CServer::ReadXml(const plat::XmlNode& server) {
  for (const plat::XmlNode& child : server.ChildNodes()) {
    const std::string name = child.Name();
    if (name == "SpreadSheetFile") m_strSpreadSheetFile = child.Text();
    else if (name == "ServerType") m_nServerType = std::atoi(child.Text().c_str());
    else if (name == "User") m_strUser = child.Text();
    else if (name == "Password") {
      // Stored enciphered; a plain one reads as it is, one that no key deciphers as empty.
      DecipherSettingText(child.Text(), m_strPassword);
    }
    else if (name == "ServerVersion") m_strServerVersion = child.Text();
    else if (name == "Machine") m_strMachine = child.Text();
    else if (name == "Program") m_strProgram = child.Text();
    else if (name == "ModelFile") m_strModelFile = child.Text();
    else if (name == "Enabled") m_bEnabled = std::atoi(child.Text().c_str());
    else if (name == "Macro") m_strMacro = child.Text();
    else if (name == "Parameters") {
      m_strParameters = child.Text();
      ReplaceSubstring(m_strParameters, kQuoteMarker, "\"");
    }
  }
}

void CServer::WriteXml(plat::XmlNode& parent) const {
  plat::XmlNode server = parent.AppendElement("Server");
  std::string parameters = m_strParameters;
  ReplaceSubstring(parameters, "\"", kQuoteMarker);
  server.AppendTextElement("SpreadSheetFile", m_strSpreadSheetFile);
  server.AppendTextElement("ServerType", std::to_string(m_nServerType));
  server.AppendTextElement("User", m_strUser);
  server.AppendTextElement("Password", m_strPassword.empty() ? m_strPassword : EncipherSettingText(m_strPassword));
  server.AppendTextElement("ServerVersion", m_strServerVersion);
  server.AppendTextElement("Machine", m_strMachine);
  server.AppendTextElement("Program", m_strProgram);
  server.AppendTextElement("ModelFile", m_strModelFile);
  server.AppendTextElement("Enabled", std::to_string(m_bEnabled));
  server.AppendTextElement("Macro", m_strMacro);
  server.AppendTextElement("Parameters", parameters);
}

int CServer::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CServer>(a)->m_strSpreadSheetFile, SlotElement<CServer>(b)->m_strSpreadSheetFile);
}

int CompareServers(const void* a, const void* b) { return CServer::CompareElements(a, b); }
