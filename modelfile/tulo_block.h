#pragma once
// One external model as a block of the external-model engine: its equations,
// variables, ports and parameters as the host reports them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "modelfile/user_defined_equation.h"
#include "modelfile/user_defined_equation_variable.h"
#include "modelfile/user_defined_parameter.h"
#include "platform/archive.h"
#include "platform/object.h"
#include "platform/xml_dom.h"

class CTULOInstance;

// Model types: the number kept in a block and the text of the model file and
// the data files. 0 and 6 have no text and cannot be added.
enum TuloModelType : int {
  kTuloPelm = 1,
  kTuloFlowsheet = 2,
  kTuloStrev = 3,
  kTuloOpenForm = 4,
  kTuloClosedForm = 5,
  kTuloRtm = 7,
  kTuloPelmNew = 8,
  kTuloHybrid = 9,
};
// The text of a model type, empty for one without text.
std::string TuloModelTypeText(int modelType);
// The number of a model type text, or -1 for an unknown text.
int TuloModelTypeFromText(const std::string& text);

// AddBlock results.
enum TuloAddBlockResult : int {
  kTuloBlockAdded = 0,
  kTuloAddCommandFailed = 1,
  kTuloEvaluateEquationsFailed = 2,
  kTuloEvaluateJacobianFailed = 3,
  kTuloEquationsUnreadable = 4,
  kTuloPortsUnreadable = 5,
  kTuloParametersUnreadable = 6,
  kTuloUnknownModelType = 7,
};

// A variable of a block as the engine creates it: a user-equation variable
// with the host's variable number and kind. m_strBlock holds the model name,
// m_bBlockControlVar the control flag, m_bEngineFlag the no-direction flag.
class CTuloBlockVariable : public CUserDefinedEquationVariable {
 public:
  std::int32_t m_nHostNumber = 0;
  std::int32_t m_nSecondIndex = -1;
  std::int32_t m_nKind = 0;
};

// The host variable number of an engine variable (0 for other variables) and its kind.
std::int32_t TuloVariableKind(const CUserDefinedEquationVariable& variable);

// A host variable and the variable that stands for it, while equations load.
class CTuloVar : public CObject {
 public:
  std::int32_t m_nHostNumber = 0;
  CUserDefinedEquationVariable* m_pVariable = nullptr;
};

// An equation of a block: a user-defined equation with the host's numbers of
// its non-zeros.
class CTuloDefinedEquation : public CUserDefinedEquation {
 public:
  CTuloDefinedEquation() { m_strEquationType = "EQ"; }
  ~CTuloDefinedEquation() override = default;

  std::vector<std::int32_t> m_variableNumbers;
  std::vector<std::int32_t> m_positions;  // Jacobian positions less one
  std::vector<std::string> m_variableNameList;

  // CompareTuloEquations: by host equation number.
  static int CompareElements(const void* a, const void* b);
};

enum TuloPortDirection : int { kPortUnknown = 0, kPortInput = 1, kPortOutput = 2 };

class CTuloPort : public CObject {
 public:
  CTuloPort();
  ~CTuloPort() override;

  // Reads or stores the port record; variables are matched by position.
  virtual void Archive(plat::Archive& ar, int major, int minor, const std::string& blkReplacement);
  void ReadXml(const plat::XmlNode& port);
  // The port's variable of that name (binary search), or null.
  CUserDefinedEquationVariable* FindVariable(const std::string& name) const;

  CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*> m_variables;  // not owning, by name
  bool m_bExpanded = true;
  std::string m_strName;
  std::int32_t m_nPortNumber = 0;
  std::int32_t m_nDirection = kPortUnknown;

  // CompareTuloPorts: by port number.
  static int CompareElements(const void* a, const void* b);
};

class CTULOBlock : public CObject {
 public:
  CTULOBlock();
  ~CTULOBlock() override;

  // Reads or stores the block record (the engine's Archive writes the name,
  // path and type texts before it when storing).
  virtual void Archive(const std::string& modelDir, bool quiet, plat::Archive& ar, int* major, int* minor, int* build);

  bool LoadEquations(CTULOInstance& engine);
  bool LoadPorts(CTULOInstance& engine);
  bool LoadParameters(CTULOInstance& engine);
  // Reads the parameter of host index index (its position in m_parameters).
  bool ReadParameterInfo(CTULOInstance& engine, CUserDefinedParameter& parameter, int index);

  CTuloPort* FindPort(const std::string& name) const;
  CUserDefinedEquationVariable* FindVariable(const std::string& name) const;

  void SetSuppressed(bool suppressed);
  void SetControlFlag(bool control);
  bool SendIncludeState(CTULOInstance& engine);
  bool UpdateParameters(CTULOInstance& engine, bool quiet);
  bool UpdateParameter(CTULOInstance& engine, int index);
  void ReadXml(const plat::XmlNode& block);

  // The first and last equation numbers, the non-zero count, the number of
  // the first non-zero, the port and parameter counts, from the block info.
  std::int32_t FirstEquation() const { return m_blockInfo[1]; }
  std::int32_t LastEquation() const { return m_blockInfo[2]; }
  std::int32_t NonZeroCount() const { return m_blockInfo[6]; }
  std::int32_t FirstNonZero() const { return m_blockInfo[7]; }
  std::int32_t PortCount() const { return m_blockInfo[9]; }
  std::int32_t ParameterCount() const { return m_blockInfo[10]; }

  CAutoDestructArray<CPtrArray, CTuloDefinedEquation*> m_equations;
  CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*> m_internalVariables;  // not owning, by name
  CAutoDestructArray<CPtrArray, CUserDefinedParameter*> m_parameters;
  CAutoDestructArray<CPtrArray, CTuloPort*> m_ports;
  bool m_bExpanded = true;
  bool m_bInputPortsExpanded = false;
  bool m_bOutputPortsExpanded = false;
  bool m_bInternalVariablesExpanded = false;
  CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*> m_inputs;   // not owning, by name
  CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*> m_outputs;  // not owning, by name
  std::string m_strName;
  std::string m_strFullPath;
  std::string m_strPath;
  std::string m_strModelName;
  std::string m_strPerturbation;
  bool m_bIsSuppressed = false;
  bool m_bControlFlag = false;
  bool m_bStoredFlag = true;
  std::int32_t m_nHostBlockNumber = 0;
  std::array<std::int32_t, 11> m_blockInfo{};
  std::int32_t m_nStoredParameters = 0;
  std::int32_t m_nModelType = 0;

  // CompareTuloBlocks: by block name, then model name.
  static int CompareElements(const void* a, const void* b);
};

// The variable and parameter records of the data files.
void ArchiveTuloVariable(plat::Archive& ar, CUserDefinedEquationVariable& variable, int major, int minor,
                         const std::string& blkReplacement);
void ArchiveTuloParameter(plat::Archive& ar, CUserDefinedParameter& parameter, int major, int minor);

// Reads "a.b.c" into three numbers (atoi of each part).
void ParseTuloVersion(const std::string& version, int& major, int& minor, int& build);
