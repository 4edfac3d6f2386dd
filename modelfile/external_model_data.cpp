// The external model data files: the engine's blocks of one model stored in
// an archive, in the layout of a version text.

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "foundation/string_utils.h"
#include "modelfile/tulo_block.h"
#include "modelfile/tulo_instance.h"

namespace {

// The record forms of the newest version, for the records stored inside a block.
constexpr int kNewestMajor = 1 << 20;

bool AtLeast(int major, int minor, int wantMajor, int wantMinor) {
  return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

bool HasPerturbationText(int major, int minor, int build) {
  return major > 17 || (major == 17 && minor > 1) || (major == 17 && minor == 1 && build > 5);
}

bool HasControlFlag(int major, int minor, int build) {
  if (major != 19) return major > 19;
  return minor > 9 || (minor == 9 && build >= 112) || (minor == 8 && build >= 25) || (minor == 7 && build >= 59);
}

bool HasParameters(int major, int minor) { return AtLeast(major, minor, 17, 9); }

// Versions 17.9 to 17.9.3 and the like kept no parameter count.
bool ParameterCountImplied(int major, int minor, int build) { return major == 17 && minor >= 9 && build < 4; }

void Flag(plat::Archive& ar, bool& value) {
  if (ar.IsStoring()) {
    ar.WriteUInt8(value ? 1 : 0);
  } else {
    value = ar.ReadUInt8() != 0;
  }
}

void Text(plat::Archive& ar, std::string& value) {
  if (ar.IsStoring())
    ar.WriteString(value);
  else
    value = ar.ReadString();
}

void Double(plat::Archive& ar, double& value) {
  if (ar.IsStoring())
    ar.WriteDouble(value);
  else
    value = ar.ReadDouble();
}

// A double list in the array form: a count, then the values. Loading grows
// the list value by value, so a damaged count runs into the end of the data
// instead of a huge allocation.
void DoubleList(plat::Archive& ar, std::vector<double>& values) {
  if (ar.IsStoring()) {
    ar.WriteCount(values.size());
    for (double value : values) ar.WriteDouble(value);
    return;
  }
  const std::uint64_t count = ar.ReadCount();
  values.clear();
  for (std::uint64_t i = 0; i < count; ++i) values.push_back(ar.ReadDouble());
}

void TextList(plat::Archive& ar, std::vector<std::string>& values) {
  if (ar.IsStoring()) {
    ar.WriteCount(values.size());
    for (const std::string& value : values) ar.WriteString(value);
    return;
  }
  const std::uint64_t count = ar.ReadCount();
  values.clear();
  for (std::uint64_t i = 0; i < count; ++i) values.push_back(ar.ReadString());
}

const char* DirectionText(int direction) {
  return direction == kPortInput ? "PORT_INPUT" : direction == kPortOutput ? "PORT_OUTPUT" : "PORT_UNKNOWN";
}

std::string SwitchText(int mode) {
  switch (mode) {
    case 0: return "On";
    case 1: return "Off";
    case 2: return "Switchable";
    default: return "";
  }
}

int SwitchMode(const std::string& text) {
  if (strcasecmp(text.c_str(), "On") == 0) return 0;
  if (strcasecmp(text.c_str(), "Off") == 0) return 1;
  if (strcasecmp(text.c_str(), "Switchable") == 0) return 2;
  return 3;
}

std::string Cut(const std::string& text, size_t length) { return text.size() > length ? text.substr(0, length) : text; }

}  // namespace

void ArchiveTuloVariable(plat::Archive& ar, CUserDefinedEquationVariable& variable, int major, int minor,
                         const std::string& blkReplacement) {
  Flag(ar, variable.m_bIsNew);
  Flag(ar, variable.m_bIsPeriodic);
  Text(ar, variable.m_strVariableType);
  Text(ar, variable.m_strName);
  Text(ar, variable.m_strVornName);
  if (ar.IsStoring()) {
    ar.WriteString(variable.m_strDescription);
  } else {
    ar.ReadString();  // the description of the file gives way to the host's
  }
  Double(ar, variable.m_dMin);
  Double(ar, variable.m_dMax);
  Double(ar, variable.m_dMinProcess);
  Double(ar, variable.m_dMaxProcess);
  Double(ar, variable.m_dObjFn);
  Double(ar, variable.m_dInitial);
  if (ar.IsLoading()) {
    if (!blkReplacement.empty()) ReplaceSubstring(variable.m_strName, ".BLK.", blkReplacement);
    if (variable.m_strVornName.empty()) variable.m_strVornName = variable.m_strName;
  }
  DoubleList(ar, variable.m_periodicMin);
  DoubleList(ar, variable.m_periodicMax);
  DoubleList(ar, variable.m_periodicObjFn);
  DoubleList(ar, variable.m_periodicInitial);
  Flag(ar, variable.m_bIsIndependent);
  Flag(ar, variable.m_bExpanded);
  Flag(ar, variable.m_bBlockControlVar);
  Flag(ar, variable.m_bDisplayFlag);
  if (AtLeast(major, minor, 16, 26)) {
    if (ar.IsStoring())
      ar.WriteString(SwitchText(variable.m_nSwitchMode));
    else
      variable.m_nSwitchMode = SwitchMode(ar.ReadString());
  }
}

void ArchiveTuloParameter(plat::Archive& ar, CUserDefinedParameter& parameter, int major, int minor) {
  ArchiveTuloVariable(ar, parameter, major, minor, std::string());
  if (!AtLeast(major, minor, 17, 5)) return;
  static const char* const kTypeTexts[] = {"Bool", "Integer", "Double", "String", "Stringlist"};
  if (ar.IsStoring()) {
    const bool typed = parameter.m_nType >= 0 && parameter.m_nType <= 4;
    ar.WriteString(typed ? kTypeTexts[parameter.m_nType] : "");
    switch (parameter.m_nType) {
      case CUserDefinedParameter::kBool: ar.WriteUInt8(parameter.m_bValue ? 1 : 0); break;
      case CUserDefinedParameter::kInteger: ar.WriteInt32(parameter.m_nValue); break;
      case CUserDefinedParameter::kDouble: ar.WriteDouble(parameter.m_dParameterValue); break;
      case CUserDefinedParameter::kString: ar.WriteString(parameter.m_strValue); break;
      case CUserDefinedParameter::kStringList: TextList(ar, parameter.m_listValues); break;
      default: break;
    }
    return;
  }
  const std::string type = ar.ReadString();
  if (strcasecmp(type.c_str(), "Bool") == 0) {
    parameter.m_nType = CUserDefinedParameter::kBool;
    parameter.m_bValue = ar.ReadUInt8() != 0;
  } else if (strcasecmp(type.c_str(), "Integer") == 0) {
    parameter.m_nType = CUserDefinedParameter::kInteger;
    parameter.m_nValue = ar.ReadInt32();
  } else if (strcasecmp(type.c_str(), "Double") == 0) {
    parameter.m_nType = CUserDefinedParameter::kDouble;
    parameter.m_dParameterValue = ar.ReadDouble();
  } else if (strcasecmp(type.c_str(), "String") == 0) {
    parameter.m_nType = CUserDefinedParameter::kString;
    parameter.m_strValue = ar.ReadString();
  } else if (strcasecmp(type.c_str(), "Stringlist") == 0) {
    parameter.m_nType = CUserDefinedParameter::kStringList;
    TextList(ar, parameter.m_listValues);
  }
}

void CTuloPort::Archive(plat::Archive& ar, int major, int minor, const std::string& blkReplacement) {
  Text(ar, m_strName);
  if (ar.IsStoring()) {
    ar.WriteString(DirectionText(m_nDirection));
  } else {
    const std::string direction = ar.ReadString();
    m_nDirection = direction == "PORT_INPUT" ? kPortInput : direction == "PORT_OUTPUT" ? kPortOutput : kPortUnknown;
  }
  Flag(ar, m_bExpanded);
  for (CUserDefinedEquationVariable* variable : m_variables)
    ArchiveTuloVariable(ar, *variable, major, minor, blkReplacement);
}

void CTULOBlock::Archive(const std::string& modelDir, bool quiet, plat::Archive& ar, int* major, int* minor,
                         int* build) {
  try {
    std::string typeText = TuloModelTypeText(m_nModelType);
    if (ar.IsStoring()) {
      ar.WriteString(m_strName);
      ar.WriteString(m_strPath);
      ar.WriteString(typeText);
    } else {
      m_strName = ar.ReadString();
      m_strPath = ar.ReadString();
      typeText = ar.ReadString();
      m_strFullPath = MakeAbsolutePath(modelDir, m_strPath);
      m_strPath = MakeRelativePath(modelDir, m_strFullPath);
      if (const int type = TuloModelTypeFromText(typeText); type >= 0) m_nModelType = type;
    }
    bool suppressed = m_bIsSuppressed;
    Flag(ar, suppressed);
    if (ar.IsLoading()) m_bIsSuppressed = suppressed;
    Flag(ar, m_bExpanded);
    Flag(ar, m_bInputPortsExpanded);
    Flag(ar, m_bOutputPortsExpanded);
    Flag(ar, m_bInternalVariablesExpanded);
    if (AtLeast(*major, *minor, 16, 26)) Flag(ar, m_bStoredFlag);
    bool control = m_bControlFlag;
    const bool hasControl = HasControlFlag(*major, *minor, *build);
    if (hasControl) Flag(ar, control);

    // Records inside a block are stored in their newest form and read in the file's.
    const int recordMajor = ar.IsStoring() ? kNewestMajor : *major;
    const int recordMinor = ar.IsStoring() ? 0 : *minor;
    const std::string blkReplacement = m_nModelType == kTuloHybrid ? ".HYBRID." : "";
    for (CTuloPort* port : m_ports) port->Archive(ar, recordMajor, recordMinor, blkReplacement);
    for (CUserDefinedEquationVariable* variable : m_internalVariables)
      ArchiveTuloVariable(ar, *variable, recordMajor, recordMinor, blkReplacement);

    if (HasParameters(*major, *minor)) {
      const bool implied = ParameterCountImplied(*major, *minor, *build);
      const bool pelm = m_nModelType == kTuloPelm || m_nModelType == kTuloPelmNew;
      const std::int32_t impliedCount = std::max(0, ParameterCount() - (pelm ? 2 : 1));
      if (ar.IsStoring()) {
        // Those versions stored as many records as their readers derive.
        const std::int32_t count = implied ? std::min(impliedCount, m_parameters.GetSize()) : m_parameters.GetSize();
        if (!implied) ar.WriteInt32(count);
        for (std::int32_t i = 0; i < count; ++i) ArchiveTuloParameter(ar, *m_parameters[i], recordMajor, recordMinor);
      } else {
        m_nStoredParameters = implied ? impliedCount : ar.ReadInt32();
        for (std::int32_t i = 0; i < m_nStoredParameters; ++i) {
          CUserDefinedParameter read;
          ArchiveTuloParameter(ar, read, recordMajor, recordMinor);
          for (CUserDefinedParameter* parameter : m_parameters) {
            if (parameter->m_strName != read.m_strName) continue;
            parameter->CopyValue(read);
            if (parameter->m_strName == "PERT") {
              char buffer[64];
              std::snprintf(buffer, sizeof buffer, "%g", parameter->m_dParameterValue);
              m_strPerturbation = buffer;
            }
            break;
          }
        }
      }
    }
    if (ar.IsLoading()) {
      SetSuppressed(m_bIsSuppressed);
      if (hasControl) SetControlFlag(control);
    }
  } catch (const CException& e) {
    if (!quiet) ShowErrorMessage(Cut("Vorn External Model Exception: " + std::string(e.what()), 512));
    throw;
  }
}

void CTULOInstance::Archive(const std::string& modelName, const std::string& modelDir, bool quiet, plat::Archive& ar,
                            const std::string& version) {
  int major = 0;
  int minor = 0;
  int build = 0;
  ParseTuloVersion(version, major, minor, build);
  if (ar.IsStoring()) {
    ar.WriteUInt8(m_bExpanded ? 1 : 0);
    if (AtLeast(major, minor, 16, 25)) ar.WriteInt32(m_nInputOutputMap);
    ar.WriteInt32(CountModelBlocks(modelName));
    if (HasPerturbationText(major, minor, build)) ar.WriteString(m_strPerturbationSize);
    for (CTULOBlock* block : m_blocks) {
      if (strcasecmp(block->m_strModelName.c_str(), modelName.c_str()) != 0) continue;
      ar.WriteString(block->m_strName);
      ar.WriteString(block->m_strPath);
      ar.WriteString(TuloModelTypeText(block->m_nModelType));
      block->Archive(modelDir, quiet, ar, &major, &minor, &build);
    }
    return;
  }

  try {
    m_bExpanded = ar.ReadUInt8() != 0;
    if (AtLeast(major, minor, 16, 25)) m_nInputOutputMap = ar.ReadInt32();
    const std::int32_t count = ar.ReadInt32();
    if (HasPerturbationText(major, minor, build)) m_strPerturbationSize = ar.ReadString();
    int modelType = 0;
    for (std::int32_t i = 0; i < count; ++i) {
      std::string name = ar.ReadString();
      const std::string relativePath = ar.ReadString();
      const int type = TuloModelTypeFromText(ar.ReadString());
      if (type >= 0) modelType = type;
      const std::string fullPath = MakeAbsolutePath(modelDir, relativePath);
      if (FindBlock(name, modelName) == nullptr) {
        const int result = AddBlock(name, modelName, MakeRelativePath(modelDir, fullPath), fullPath, modelType);
        if (result != kTuloBlockAdded) {
          if (!quiet) ShowErrorMessage("Error occurred while adding block for external model " + name);
          return;
        }
      }
      CTULOBlock* block = FindBlock(name, modelName);
      if (block == nullptr) continue;
      block->Archive(modelDir, quiet, ar, &major, &minor, &build);
      m_strPerturbationSize = block->m_strPerturbation;
      block->SendIncludeState(*this);
      if (!block->UpdateParameters(*this, quiet)) {
        if (!quiet) ShowErrorMessage("Error occurred while updating parameter values in TULO");
        return;
      }
    }
  } catch (const CException& e) {
    if (!quiet) ShowErrorMessage(Cut("Error occurred while reading external model data: " + std::string(e.what()), 255));
  }
}
