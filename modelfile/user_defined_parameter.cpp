#include "modelfile/user_defined_parameter.h"

#include <cstdio>

#include "modelfile/xml_text.h"

namespace {

constexpr const char* kTypeNames[] = {"bool", "integer", "double", "string", "stringlist"};

}  // namespace

CUserDefinedParameter::~CUserDefinedParameter() = default;

void CUserDefinedParameter::WriteXml(plat::XmlNode& parent) const {
  plat::XmlNode p = parent.AppendElement("UserDefinedParameter");
  if (m_nType < kBool || m_nType > kStringList) return;
  p.AppendTextElement("ParameterType", kTypeNames[m_nType]);
  switch (m_nType) {
    case kBool: p.AppendTextElement("ParameterValue", xml_text::Bool(m_bValue)); break;
    case kInteger: p.AppendTextElement("ParameterValue", std::to_string(m_nValue)); break;
    case kDouble: p.AppendTextElement("ParameterValue", xml_text::Double(m_dParameterValue)); break;
    case kString: p.AppendTextElement("ParameterValue", m_strValue); break;
    default:
      for (const std::string& value : m_listValues) p.AppendTextElement("ParameterListValue", value);
      break;
  }
}

void CUserDefinedParameter::ReadXml(const plat::XmlNode& element) {
  CUserDefinedEquationVariable::ReadXml(element);
  for (const plat::XmlNode& child : element.ChildElements()) {
    const std::string name = child.Name();
    const std::string text = child.Text();
    if (name == "ParameterType") {
      m_nType = kNone;
      for (int type = kBool; type <= kStringList; ++type)
        if (text == kTypeNames[type]) m_nType = type;
    } else if (name == "ParameterValue") {
      switch (m_nType) {
        case kBool: m_bValue = xml_text::ParseBool(text); break;
        case kInteger: m_nValue = xml_text::ParseInt(text); break;
        case kDouble: m_dParameterValue = xml_text::ParseDouble(text); break;
        case kString: m_strValue = text; break;
        default: break;
      }
    } else if (name == "ParameterListValue" && m_nType == kStringList) {
      m_listValues.push_back(text);
    }
  }
}

std::string CUserDefinedParameter::GetValueText() const {
  switch (m_nType) {
    case kBool: return xml_text::Bool(m_bValue);
    case kInteger: return std::to_string(m_nValue);
    case kDouble: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.4g", m_dParameterValue);
      return buffer;
    }
    case kString: return m_strValue;
    case kStringList: {
      std::string text;
      for (std::size_t i = 0; i < m_listValues.size(); ++i) text += (i ? "," : "") + m_listValues[i];
      return text;
    }
    default: return std::string();
  }
}

bool CUserDefinedParameter::CopyValue(const CUserDefinedParameter& other) {
  if (m_bFixed) return true;
  switch (m_nType) {
    case kBool: m_bValue = other.m_bValue; break;
    case kInteger: m_nValue = other.m_nValue; break;
    case kDouble: m_dParameterValue = other.m_dParameterValue; break;
    case kString: m_strValue = other.m_strValue; break;
    default: break;
  }
  return true;
}
