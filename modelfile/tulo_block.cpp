#include "modelfile/tulo_block.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "foundation/messages.h"
#include "foundation/string_utils.h"
#include "foundation/timing_scope.h"
#include "modelfile/tulo_api.h"
#include "modelfile/tulo_instance.h"

namespace {

constexpr int kNameSize = 256;
// Counts the host reports beyond these are taken for damage, not data.
constexpr std::int32_t kMaxNonZeros = 1 << 26;
constexpr std::int32_t kMaxPortVariables = 1 << 20;

struct ModelTypeName {
  int number;
  const char* text;
};
constexpr ModelTypeName kModelTypes[] = {
    {kTuloPelm, "TULO_PELM"},           {kTuloPelmNew, "TULO_PELM_NEW"}, {kTuloFlowsheet, "TULO_FLOWSHEET"},
    {kTuloStrev, "TULO_STREV"},         {kTuloOpenForm, "TULO_OPEN_FORM"}, {kTuloHybrid, "TULO_HYBRID"},
    {kTuloClosedForm, "TULO_CLOSED_FORM"}, {kTuloRtm, "TULO_RTM"},
};

std::string FormatG(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

std::string HybridName(std::string name, int modelType) {
  if (modelType == kTuloHybrid) ReplaceSubstring(name, ".BLK.", ".HYBRID.");
  return name;
}

void SortByName(CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*>& variables) {
  variables.Sort(&CUserDefinedEquationVariable::CompareElements);
}

// Removes one element from a non-owning array, by identity.
void RemovePointer(CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*>& variables,
                   const CUserDefinedEquationVariable* variable) {
  for (int i = 0; i < variables.GetSize(); ++i) {
    if (variables[i] == variable) {
      variables.RemoveAt(i);
      return;
    }
  }
}

CUserDefinedEquationVariable* FindByName(const CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*>& variables,
                                         const std::string& name) {
  CUserDefinedEquationVariable probe(name);
  return variables.Find(&probe);
}

}  // namespace

std::string TuloModelTypeText(int modelType) {
  for (const ModelTypeName& type : kModelTypes)
    if (type.number == modelType) return type.text;
  return {};
}

int TuloModelTypeFromText(const std::string& text) {
  for (const ModelTypeName& type : kModelTypes)
    if (text == type.text) return type.number;
  return -1;
}

std::int32_t TuloVariableKind(const CUserDefinedEquationVariable& variable) {
  const auto* engineVariable = dynamic_cast<const CTuloBlockVariable*>(&variable);
  return engineVariable != nullptr ? engineVariable->m_nKind : 0;
}

void ParseTuloVersion(const std::string& version, int& major, int& minor, int& build) {
  const size_t first = version.find('.');
  const size_t last = version.rfind('.');
  major = std::atoi(version.substr(0, first).c_str());
  minor = first == std::string::npos ? 0 : std::atoi(version.substr(first + 1, last - first - 1).c_str());
  build = last == std::string::npos || last == first ? 0 : std::atoi(version.substr(last + 1).c_str());
  if (first != std::string::npos && last == first) minor = std::atoi(version.substr(first + 1).c_str());
}

int CTuloDefinedEquation::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CTuloDefinedEquation>(a)->m_nIndex, SlotElement<CTuloDefinedEquation>(b)->m_nIndex);
}

// ------------------------------------------------------------------ ports

CTuloPort::CTuloPort() {
  m_variables.m_bOwnsElements = 0;
  m_variables.m_pfnCompare = &CUserDefinedEquationVariable::CompareElements;
}

CTuloPort::~CTuloPort() = default;

int CTuloPort::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CTuloPort>(a)->m_nPortNumber, SlotElement<CTuloPort>(b)->m_nPortNumber);
}

CUserDefinedEquationVariable* CTuloPort::FindVariable(const std::string& name) const {
  return FindByName(m_variables, name);
}

void CTuloPort::ReadXml(const plat::XmlNode& port) {
  for (const plat::XmlNode& child : port.ChildElements()) {
    const std::string name = child.Name();
    if (name == "Name") {
      m_strName = child.Text();
    } else if (name == "Direction") {
      const std::string direction = child.Text();
      m_nDirection = direction == "PORT_INPUT" ? kPortInput : direction == "PORT_OUTPUT" ? kPortOutput : kPortUnknown;
    } else if (name == "Expanded") {
      m_bExpanded = child.Text() == "true";
    } else if (name == "UDEVariables") {
      for (const plat::XmlNode& variable : child.ChildElements()) {
        if (variable.Name() != "UserEquationVariable") continue;
        std::string variableName;
        variable.ChildText("Name", variableName);
        if (CUserDefinedEquationVariable* found = FindVariable(variableName)) found->ReadXml(variable);
      }
    }
  }
}

// ----------------------------------------------------------------- blocks

CTULOBlock::CTULOBlock() {
  m_internalVariables.m_bOwnsElements = 0;
  m_inputs.m_bOwnsElements = 0;
  m_outputs.m_bOwnsElements = 0;
  for (auto* list : {&m_internalVariables, &m_inputs, &m_outputs})
    list->m_pfnCompare = &CUserDefinedEquationVariable::CompareElements;
}

CTULOBlock::~CTULOBlock() = default;

int CTULOBlock::CompareElements(const void* a, const void* b) {
  const CTULOBlock* left = SlotElement<CTULOBlock>(a);
  const CTULOBlock* right = SlotElement<CTULOBlock>(b);
  const int c = CompareKeys(left->m_strName, right->m_strName);
  return c != 0 ? c : CompareKeys(left->m_strModelName, right->m_strModelName);
}

CTuloPort* CTULOBlock::FindPort(const std::string& name) const {
  for (CTuloPort* port : m_ports)
    if (port->m_strName == name) return port;
  return nullptr;
}

CUserDefinedEquationVariable* CTULOBlock::FindVariable(const std::string& name) const {
  return FindByName(m_internalVariables, name);
}

bool CTULOBlock::LoadEquations(CTULOInstance& engine) {
  const TuloApi& api = GetTuloApi();
  const int h = GetTuloSimulationHandle();
  if (api.API_GetBlockInfo == nullptr || api.API_GetBlockJacobianStruct == nullptr ||
      api.API_GetEquationInfo == nullptr || api.API_GetEquationNameAndIncidentNonZeroInfo == nullptr ||
      api.API_GetVariableInfo == nullptr || api.API_GetVariableLowerBound == nullptr ||
      api.API_GetVariableUpperBound == nullptr)
    return false;
  char name[kNameSize] = {};
  if (!api.API_GetBlockInfo(h, m_nHostBlockNumber, name, kNameSize, m_blockInfo.data())) return false;
  m_strName = name;
  const std::int32_t nonZeros = NonZeroCount();
  if (nonZeros < 0 || nonZeros > kMaxNonZeros) return false;
  std::vector<std::int32_t> rows(static_cast<size_t>(nonZeros) + 1);
  std::vector<std::int32_t> jacobianVariables(static_cast<size_t>(nonZeros) + 1);
  std::vector<std::uint8_t> flags(static_cast<size_t>(nonZeros) + 1);
  if (!api.API_GetBlockJacobianStruct(h, m_nHostBlockNumber, nonZeros, rows.data(), jacobianVariables.data(),
                                      flags.data()))
    return false;

  std::map<std::int32_t, CTuloVar> lookup;
  for (std::int32_t number = FirstEquation(); number <= LastEquation(); ++number) {
    double lower = 0.0;
    double upper = 0.0;
    std::int32_t status = 0;
    std::uint8_t flag1 = 0;
    std::uint8_t flag2 = 0;
    std::uint8_t flag3 = 0;
    std::int32_t sense = 0;
    if (!api.API_GetEquationInfo(h, number, name, kNameSize, &lower, &upper, &status, &flag1, &flag2, &flag3, &sense))
      return false;
    const char* senseText = sense == 1 || sense == 2 ? "LE" : sense == 3 || sense == 4 ? "GE" : sense == 5 ? "Free" : "EQ";

    std::int32_t count = 0;
    std::uint8_t flag = 0;
    std::unique_ptr<std::int32_t, decltype(&std::free)> positions(
        api.API_GetEquationNameAndIncidentNonZeroInfo(h, number, name, kNameSize, &count, &flag, m_strName.c_str()),
        &std::free);
    if (count < 0 || (count > 0 && !positions)) return false;

    auto equation = std::make_unique<CTuloDefinedEquation>();
    equation->SetName(name);
    equation->m_nIndex = number;
    equation->m_strEquationType = senseText;
    for (std::int32_t i = 0; i < count; ++i) {
      const std::int32_t p = positions.get()[i];
      // A position outside the block's non-zeros is damage from the host.
      const std::int64_t slot = static_cast<std::int64_t>(p) - FirstNonZero();
      if (slot < 0 || slot >= nonZeros) return false;
      const std::int32_t v = jacobianVariables[static_cast<size_t>(slot)];
      equation->m_variableNumbers.push_back(v);
      equation->m_positions.push_back(p - 1);
      CUserDefinedEquationVariable* variable = nullptr;
      if (auto found = lookup.find(v); found != lookup.end()) {
        variable = found->second.m_pVariable;
      } else {
        double value = 0.0;
        std::int32_t kind = 0;
        char buffer1[kNameSize] = {};
        char buffer2[kNameSize] = {};
        if (!api.API_GetVariableInfo(h, v, name, kNameSize, &value, &kind, buffer1, buffer2, kNameSize)) return false;
        auto created = std::make_unique<CTuloBlockVariable>();
        created->m_strName = HybridName(name, m_nModelType);
        created->m_strVornName = created->m_strName;
        created->m_nHostNumber = v;
        created->m_nSecondIndex = -1;
        created->m_bIsNew = true;
        created->m_dInitial = value;
        created->m_nKind = kind;
        double bound = 0.0;
        if (!api.API_GetVariableLowerBound(h, v, &bound)) return false;
        created->m_dMin = created->m_dMinProcess = bound;
        if (!api.API_GetVariableUpperBound(h, v, &bound)) return false;
        created->m_dMax = created->m_dMaxProcess = bound;
        created->m_strBlock = m_strModelName;
        char description[kNameSize] = {};
        if (api.API_GetVariableDescription != nullptr &&
            api.API_GetVariableDescription(h, v, description, kNameSize))
          created->m_strDescription = description;
        variable = created.get();
        engine.m_variables.Add(std::move(created));
        m_internalVariables.Add(variable);
        equation->m_variableNameList.push_back(variable->m_strName);
        lookup[v] = CTuloVar();
        lookup[v].m_nHostNumber = v;
        lookup[v].m_pVariable = variable;
      }
      equation->m_linkedVariables.Add(variable);
    }
    m_equations.Add(std::move(equation));
  }
  SortByName(engine.m_variables);
  SortByName(m_internalVariables);
  return true;
}

bool CTULOBlock::LoadPorts(CTULOInstance& engine) {
  const TuloApi& api = GetTuloApi();
  const int h = GetTuloSimulationHandle();
  if (api.API_GetBlockPortInfo == nullptr || api.API_GetBlockPortVariableInfo == nullptr) return false;
  for (std::int32_t number = 1; number <= PortCount(); ++number) {
    char name[kNameSize] = {};
    std::int32_t direction = 0;
    std::int32_t count = 0;
    if (!api.API_GetBlockPortInfo(h, m_nHostBlockNumber, number, name, kNameSize, &direction, &count)) return false;
    if (count < 0 || count > kMaxPortVariables) return false;
    auto owned = std::make_unique<CTuloPort>();
    CTuloPort* port = owned.get();
    const std::string fullName = name;
    const size_t dot = fullName.find('.');
    port->m_strName = dot == std::string::npos ? fullName : fullName.substr(dot + 1);
    port->m_nPortNumber = number;
    if (direction == kPortInput || direction == kPortOutput) port->m_nDirection = direction;
    m_ports.Add(std::move(owned));

    std::vector<char> names(static_cast<size_t>(count) * kNameSize + 1, '\0');
    std::vector<std::int32_t> numbers(static_cast<size_t>(count) + 1);
    if (!api.API_GetBlockPortVariableInfo(h, m_nHostBlockNumber, number, count, names.data(), kNameSize,
                                          numbers.data()))
      return false;
    for (std::int32_t i = 0; i < count; ++i) {
      char* entry = names.data() + static_cast<size_t>(i) * kNameSize;
      entry[kNameSize - 1] = '\0';
      const std::string variableName = HybridName(entry, m_nModelType);
      CUserDefinedEquationVariable* variable = FindByName(engine.m_variables, variableName);
      if (variable == nullptr) continue;
      const size_t lastDot = variableName.rfind('.');
      variable->m_strVornName = variableName.substr(lastDot == std::string::npos ? 0 : lastDot + 1).substr(0, 7);
      if (direction == kPortInput && TuloVariableKind(*variable) != 1) variable->m_bIsIndependent = true;
      port->m_variables.Add(variable);
      RemovePointer(m_internalVariables, variable);
      if (direction == kPortInput || direction == kPortOutput) variable->m_bEngineFlag = false;
    }
    SortByName(port->m_variables);
  }
  return true;
}

bool CTULOBlock::ReadParameterInfo(CTULOInstance& /*engine*/, CUserDefinedParameter& parameter, int index) {
  const TuloApi& api = GetTuloApi();
  const int h = GetTuloSimulationHandle();
  if (api.API_GetBlockParameterAccess == nullptr || api.API_GetBlockParameterInfo == nullptr) return false;
  std::int32_t access = 0;
  if (!api.API_GetBlockParameterAccess(h, m_nHostBlockNumber, index, &access)) return false;
  if (access == 0) parameter.m_bFixed = true;
  char name[kNameSize] = {};
  char description[kNameSize] = {};
  char buffer[kNameSize] = {};
  TuloVariant value{};
  if (!api.API_GetBlockParameterInfo(h, m_nHostBlockNumber, index, name, kNameSize, &value, description, kNameSize,
                                     buffer, kNameSize))
    return false;
  parameter.m_strName = name;
  parameter.m_strVornName = name;
  parameter.m_strDescription = description;
  switch (value.vt) {
    case TULO_VT_BOOL:
      parameter.m_nType = CUserDefinedParameter::kBool;
      parameter.m_bValue = value.boolVal != 0;
      break;
    case TULO_VT_I4:
    case TULO_VT_INT:
      parameter.m_nType = CUserDefinedParameter::kInteger;
      parameter.m_nValue = value.intVal;
      break;
    case TULO_VT_R8:
      parameter.m_nType = CUserDefinedParameter::kDouble;
      parameter.m_dParameterValue = value.dblVal;
      break;
    case TULO_VT_BSTR:
      parameter.m_nType = CUserDefinedParameter::kString;
      parameter.m_strValue = value.text != nullptr ? value.text : "";
      break;
    case TULO_VT_BSTR_ARRAY:
      parameter.m_nType = CUserDefinedParameter::kStringList;
      parameter.m_listValues.clear();
      for (std::int32_t i = 0; i < value.count && value.texts != nullptr; ++i)
        parameter.m_listValues.emplace_back(value.texts[i] != nullptr ? value.texts[i] : "");
      break;
    default:
      break;
  }
  return true;
}

bool CTULOBlock::LoadParameters(CTULOInstance& engine) {
  for (std::int32_t index = 0; index < ParameterCount(); ++index) {
    auto parameter = std::make_unique<CUserDefinedParameter>();
    if (!ReadParameterInfo(engine, *parameter, index)) return false;
    if (parameter->m_strName == "PERT") m_strPerturbation = FormatG(parameter->m_dParameterValue);
    m_parameters.Add(std::move(parameter));
  }
  return true;
}

void CTULOBlock::SetSuppressed(bool suppressed) {
  m_bIsSuppressed = suppressed;
  for (CTuloDefinedEquation* equation : m_equations) equation->SetSuppressed(suppressed, false);
}

void CTULOBlock::SetControlFlag(bool control) {
  m_bControlFlag = control;
  for (CTuloPort* port : m_ports)
    for (CUserDefinedEquationVariable* variable : port->m_variables) variable->m_bBlockControlVar = control;
  for (CUserDefinedEquationVariable* variable : m_internalVariables) variable->m_bBlockControlVar = control;
  for (CUserDefinedParameter* parameter : m_parameters) parameter->m_bBlockControlVar = control;
}

bool CTULOBlock::SendIncludeState(CTULOInstance& engine) {
  if (IsTuloCommandName(m_strName))
    engine.ExecuteCommand((m_bIsSuppressed ? "exclude blocks " : "include blocks ") + m_strName);
  return true;
}

bool CTULOBlock::UpdateParameter(CTULOInstance& engine, int index) {
  if (index < 0 || index >= m_parameters.GetSize()) return false;
  CUserDefinedParameter& parameter = *m_parameters[index];
  if (parameter.m_bFixed) return true;
  TuloVariant value{};
  switch (parameter.m_nType) {
    case CUserDefinedParameter::kBool: value.vt = TULO_VT_BOOL; value.boolVal = parameter.m_bValue ? -1 : 0; break;
    case CUserDefinedParameter::kInteger: value.vt = TULO_VT_INT; value.intVal = parameter.m_nValue; break;
    case CUserDefinedParameter::kDouble: value.vt = TULO_VT_R8; value.dblVal = parameter.m_dParameterValue; break;
    case CUserDefinedParameter::kString: value.vt = TULO_VT_BSTR; value.text = parameter.m_strValue.c_str(); break;
    default: return true;
  }
  const TuloApi& api = GetTuloApi();
  if (strcasecmp(parameter.m_strName.c_str(), "SECOND_DERIV_METHOD") != 0) {
    if (api.API_PutBlockParameterValueByName == nullptr ||
        !api.API_PutBlockParameterValueByName(GetTuloSimulationHandle(), m_strName.c_str(),
                                              parameter.m_strName.c_str(), &value))
      return false;
  }
  if (GetTuloTraceLevel() > 0) {
    // The value as the host now holds it; its message text is not kept, as the host's are not.
    CUserDefinedParameter readBack;
    if (!ReadParameterInfo(engine, readBack, index)) return false;
  }
  if (parameter.m_strName == "PERT") {
    m_strPerturbation = FormatG(parameter.m_dParameterValue);
    engine.m_strPerturbationSize = m_strPerturbation;
  }
  return true;
}

bool CTULOBlock::UpdateParameters(CTULOInstance& engine, bool quiet) {
  try {
    for (int i = 0; i < m_parameters.GetSize(); ++i)
      if (!UpdateParameter(engine, i)) return false;
  } catch (const CException& e) {
    if (!quiet) ShowErrorMessage(std::string(e.what()).substr(0, 255));
  }
  return true;
}

void CTULOBlock::ReadXml(const plat::XmlNode& block) {
  for (const plat::XmlNode& child : block.ChildElements()) {
    const std::string name = child.Name();
    if (name == "IsSuppressed") {
      SetSuppressed(child.Text() == "true");
    } else if (name == "Expanded") {
      m_bExpanded = child.Text() == "true";
    } else if (name == "InputPortsExpanded") {
      m_bInputPortsExpanded = child.Text() == "true";
    } else if (name == "OutputPortsExpanded") {
      m_bOutputPortsExpanded = child.Text() == "true";
    } else if (name == "InternalVariablesExpanded") {
      m_bInternalVariablesExpanded = child.Text() == "true";
    } else if (name == "Ports") {
      for (const plat::XmlNode& portElement : child.ChildElements()) {
        if (portElement.Name() != "Port") continue;
        std::string portName;
        portElement.ChildText("Name", portName);
        if (CTuloPort* port = FindPort(portName)) port->ReadXml(portElement);
      }
    } else if (name == "UDEVariables") {
      CTimingScope timing("Processing UDEVariables");
      for (const plat::XmlNode& variable : child.ChildElements()) {
        if (variable.Name() != "UserEquationVariable") continue;
        std::string variableName;
        variable.ChildText("Name", variableName);
        if (CUserDefinedEquationVariable* found = FindVariable(variableName)) found->ReadXml(variable);
      }
    }
  }
}
