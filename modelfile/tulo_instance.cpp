#include "modelfile/tulo_instance.h"

#include <dlfcn.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string_view>
#include <vector>

#include "foundation/locale_switch.h"
#include "foundation/registry.h"
#include "foundation/timing_scope.h"
#include "modelfile/tulo_api.h"
#include "modelfile/tulo_block.h"

namespace {

constexpr const char* kTuloTopKey = "SOFTWARE\\QuorvaneTech\\TULO\\38.0";
constexpr const char* kFennorKey = "SOFTWARE\\QuorvaneTech\\Fennor\\38.0\\Dir";
constexpr const char* kGaldricKey = "SOFTWARE\\QuorvaneTech\\Galdric\\38.0";
constexpr const char* kProductKey = "SOFTWARE\\QuorvaneTech\\QuorvaneVorn";

// Process-wide state of the engine (used from a worker's main thread only).
struct TuloState {
  int simulationHandle = -1;
  int solver = 0;
  int traceLevel = 0;
  int instanceCount = 0;
  bool pathPrepared = false;
  TuloApi api;
  std::unique_ptr<CTULOInstance> instance;
};

// Never destroyed: at exit the host library's own state may already be gone,
// so an engine still alive then is left to the process's end.
TuloState& State() {
  static TuloState& state = *new TuloState;
  return state;
}

bool ReadMachineString(std::string& out, const char* key, const char* value) {
  return ReadRegistryString(out, key, value, "", RegistryRoot::LocalMachine) && !out.empty();
}

std::string JoinDir(const std::string& directory, std::string_view name) {
  if (directory.empty() || directory.back() == '/' || directory.back() == '\\') return directory + std::string(name);
  return directory + "/" + std::string(name);
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

const char* const kEventNames[] = {
    "TuloEventListener::BlocksChanged",        "TuloEventListener::VariablesChanged",
    "TuloEventListener::RequestStarted",       "TuloEventListener::RequestCompleted",
    "TuloEventListener::CommandStarted",       "TuloEventListener::CommandCompleted",
    "TuloEventListener::PreSolve",             "TuloEventListener::PostSolve",
    "TuloEventListener::PreSync",              "TuloEventListener::PostSync",
    "TuloEventListener::BlockInclude",         "TuloEventListener::ParameterChanged",
    "TuloEventListener::PortsChanged",         "TuloEventListener::BlockStructureChanged",
    "TuloEventListener::BlockDofChanged",
};

// The host's messages (and the event names at trace levels above 1) are not kept.
void OnTuloMessage(const char* /*text*/) {}

void OnTuloEvent(int32_t handle, int32_t event, const uint8_t* /*eventData32*/) {
  TuloState& state = State();
  state.simulationHandle = handle;
  if (event < 0 || event > 14) return;
  if (state.traceLevel > 1) OnTuloMessage(kEventNames[event]);
  const TuloApi& api = state.api;
  if (event == 0 || event == 12 || event == 13) {
    if (api.API_UpdateSimulationStruct != nullptr) api.API_UpdateSimulationStruct(handle);
  }
  if (event == 13 && api.API_SetEventSetFilter != nullptr) {
    api.API_SetEventSetFilter(handle, 31);
    api.API_SetEventSetFilter(handle, 63);
  }
}

}  // namespace

TuloApi& GetTuloApi() { return State().api; }

bool IsTuloCommandName(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || u >= 0x80 || std::string_view("_.-$#@").find(c) != std::string_view::npos;
  });
}

bool QuoteTuloString(const std::string& text, std::string& quoted) {
  for (char c : text)
    if (c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  quoted = "\"" + text + "\"";
  return true;
}

void CTULOInstance::LibraryCloser::operator()(void* handle) const {
  if (handle != nullptr) dlclose(handle);
}

void* LoadTuloHostLibrary() {
  TuloState& state = State();
  std::string top;
  const bool haveTop = ReadMachineString(top, kTuloTopKey, "tulotop");
  const std::string xeq = haveTop ? JoinDir(top, "xeq") : std::string();
  if (!state.pathPrepared && haveTop) {
    const char* path = std::getenv("PATH");
    const std::string extended = path != nullptr && path[0] != '\0' ? xeq + ":" + path : xeq;
    setenv("PATH", extended.c_str(), 1);
    state.pathPrepared = true;
  }
  std::error_code ec;
  if (haveTop) {
    const std::string candidate = JoinDir(xeq, kTuloHostLibraryName);
    if (std::filesystem::exists(candidate, ec))
      if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
  }
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest(path);
    while (!rest.empty()) {
      const size_t colon = rest.find(':');
      const std::string dir(rest.substr(0, colon));
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
      if (dir.empty() || dir.front() != '/') continue;  // relative to the current directory
      const std::string candidate = JoinDir(dir, kTuloHostLibraryName);
      if (std::filesystem::exists(candidate, ec))
        if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    }
  }
  return dlopen(kTuloHostLibraryName, RTLD_NOW | RTLD_LOCAL);
}

CTULOInstance::CTULOInstance() {
  State().simulationHandle = -1;
  ++State().instanceCount;
  Initialize(0, 2, false, "1e-6", "");
}

CTULOInstance::~CTULOInstance() {
  DeleteBlocks();
  TuloState& state = State();
  if (state.simulationHandle != -1) {
    ExecuteCommand("blocks none");
    ExecuteCommand("unload library \"pelmexp\"");
    ExecuteCommand("unload library \"strevadap\"");
    ExecuteCommand("unload library \"morladap\"");
    if (state.api.API_CloseOneSimulation != nullptr) state.api.API_CloseOneSimulation(state.simulationHandle);
  }
  m_blocks.RemoveAll();
  m_variables.RemoveAll();
  if (m_hHostLibrary) {
    // The entry points go with the library; no stale pointer or handle outlives it.
    state.api = TuloApi{};
    state.simulationHandle = -1;
    m_hHostLibrary.reset();
  }
}

std::string CTULOInstance::SolverCommand(int solver) {
  switch (static_cast<unsigned>(solver)) {
    case 0: return "solver quill";
    case 1: return "solver sevrin";
    case 3: return "solver decomp_quill";
    case 4: return "solver decomp_sevrin";
    case 5: return "solver decomp_sparse";
    default: return "solver sparse";
  }
}

bool CTULOInstance::ExecuteCommand(const std::string& command) {
  CLocaleSwitch locale(LC_NUMERIC, "C");
  const TuloState& state = State();
  if (state.api.API_ScriptExecute == nullptr) return false;
  return state.api.API_ScriptExecute(state.simulationHandle, command.c_str()) != 0;
}

int CTULOInstance::ExtendPath() {
  std::string top;
  if (!ReadMachineString(top, kTuloTopKey, "tulotop")) return kTuloNoTopFolder;
  std::string bin;
  if (!ReadMachineString(bin, kFennorKey, "Bin")) return kTuloNoBinFolder;
  std::string exeDir;
  if (!ReadMachineString(exeDir, kGaldricKey, "ExeDir")) return kTuloNoExeFolder;
  const char* path = std::getenv("PATH");
  if (path == nullptr || path[0] == '\0') return kTuloNoPath;
  const std::string extended = JoinDir(top, "xeq") + ":" + bin + ":" + exeDir + ":" + Trim(path);
  setenv("PATH", extended.c_str(), 1);
  return kTuloOk;
}

void CTULOInstance::ResolveApi() {
  TuloApi& api = State().api;
  void* library = m_hHostLibrary.get();
#define TULO_RESOLVE(name) \
  api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, #name));
  TULO_API_ENTRY_POINTS(TULO_RESOLVE)
#undef TULO_RESOLVE
}

int CTULOInstance::Initialize(int traceLevel, int solver, bool inputOutputMap, const std::string& perturbationSize,
                              const std::string& modelDir) {
  TuloState& state = State();
  state.traceLevel = traceLevel;
  state.solver = solver;
  m_nInputOutputMap = inputOutputMap ? 1 : 0;
  m_strPerturbationSize = perturbationSize;

  if (state.simulationHandle == -1) {
    if (const int result = ExtendPath(); result != kTuloOk) return result;
    if (!m_hHostLibrary) {
      m_hHostLibrary.reset(LoadTuloHostLibrary());
      if (!m_hHostLibrary) return kTuloNoHostLibrary;
      ResolveApi();
    }
    try {
      std::string folder;
      if (!ReadMachineString(folder, kProductKey, "Directory")) return kTuloNoProductFolder;
      m_strUtilitiesFile = JoinDir(folder, "quorvaneutilitiesV71.qudf");
    } catch (const std::exception&) {
      return kTuloRegistryException;
    }
    const TuloApi& api = state.api;
    if (api.API_CreateNewSimulation == nullptr || api.API_SetMessageCallback == nullptr ||
        api.API_SetEventCallback == nullptr)
      return kTuloNoHostLibrary;
    state.simulationHandle = api.API_CreateNewSimulation(m_pszSimulationName, 0);
    if (!api.API_SetMessageCallback(OnTuloMessage)) return kTuloMessageCallbackRefused;
    if (!api.API_SetEventCallback(state.simulationHandle, OnTuloEvent)) return kTuloEventCallbackRefused;
    for (const char* library : {"pelmexp", "strevadap", "morladap"})
      if (!ExecuteCommand(std::string("load library \"") + library + "\"")) return kTuloCommandFailed;
  }
  if (!ExecuteCommand(SolverCommand(solver))) return kTuloCommandFailed;
  std::string quotedDir;
  if (solver == 0 && !modelDir.empty() && QuoteTuloString(modelDir, quotedDir))
    ExecuteCommand("quill.workingdir = " + quotedDir);
  return kTuloOk;
}

CTULOInstance* GetTuloInstance() {
  TuloState& state = State();
  if (state.instanceCount == 0 || !state.instance) {
    try {
      state.instance = std::make_unique<CTULOInstance>();
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  return state.instance.get();
}

void ReleaseTuloInstance() {
  TuloState& state = State();
  if (state.instanceCount > 0 && state.instance) {
    state.instance.reset();
    state.instanceCount = 0;
  }
}

bool IsTuloInitialized() { return State().instance != nullptr && State().simulationHandle != -1; }

int GetTuloSimulationHandle() { return State().simulationHandle; }

int GetTuloTraceLevel() { return State().traceLevel; }

// ------------------------------------------------------------------ blocks

int CTULOInstance::AddBlock(std::string& blockName, const std::string& modelName, const std::string& relativePath,
                            const std::string& fullPath, int modelType) {
  // A name or a path that the command syntax cannot carry never reaches the host.
  std::string modelPath;
  std::string quotedPath;
  if (!IsTuloCommandName(blockName) || !QuoteTuloString("model=" + fullPath, modelPath) ||
      !QuoteTuloString(fullPath, quotedPath))
    return kTuloAddCommandFailed;
  std::string command;
  switch (modelType) {
    case kTuloPelm:
    case kTuloPelmNew:
      // Without the model-reader component the host reads the model from its path.
      command = "add block " + blockName + " as pelmexp(" + modelPath + ")";
      break;
    case kTuloFlowsheet: {
      const size_t slash = fullPath.find_last_of("/\\");
      std::string library = fullPath.substr(slash == std::string::npos ? 0 : slash + 1);
      library = library.substr(0, library.find('.'));
      if (!IsTuloCommandName(library)) return kTuloAddCommandFailed;
      if (!ExecuteCommand("load library (" + quotedPath + ")")) return kTuloAddCommandFailed;
      command = "add block " + blockName + " as " + library;
      break;
    }
    case kTuloStrev:
    case kTuloOpenForm:
    case kTuloHybrid:
      command = "add block " + blockName + " as strevadap(" + modelPath + ")";
      break;
    case kTuloClosedForm:
      command = "add block " + blockName + " as morladap(" + modelPath + ")";
      break;
    case kTuloRtm:
      command = "read block as " + blockName + " from " + quotedPath;
      break;
    default:
      return kTuloUnknownModelType;
  }
  {
    CTimingScope timing(command.c_str());
    if (!ExecuteCommand(command)) return kTuloAddCommandFailed;
  }
  const TuloApi& api = State().api;
  const int hostBlocks =
      api.API_GetNumberOfTULOBlocks != nullptr ? api.API_GetNumberOfTULOBlocks(State().simulationHandle) : 0;
  if (hostBlocks < m_blocks.GetSize() + 1) return kTuloUnknownModelType;
  {
    CTimingScope timing("Evaluate Res/Jac");
    if (!ExecuteCommand("EVALUATE EQUATIONS")) return kTuloEvaluateEquationsFailed;
    if (!ExecuteCommand("EVALUATE JACOBIAN")) return kTuloEvaluateJacobianFailed;
  }
  auto block = std::make_unique<CTULOBlock>();
  // The new block is the host's last: its number is the host's count, also
  // when the host kept a block whose loading failed before.
  block->m_nHostBlockNumber = hostBlocks;
  block->m_strPath = relativePath;
  block->m_strFullPath = fullPath;
  block->m_strModelName = modelName;
  block->m_nModelType = modelType;
  block->m_strPerturbation = m_strPerturbationSize;
  {
    CTimingScope timing("Add Eqns/Ports/Params");
    int result = kTuloBlockAdded;
    if (!block->LoadEquations(*this))
      result = kTuloEquationsUnreadable;
    else if (!block->LoadPorts(*this))
      result = kTuloPortsUnreadable;
    else if (!block->LoadParameters(*this))
      result = kTuloParametersUnreadable;
    if (result != kTuloBlockAdded) {
      // Nothing of a block that failed to load stays in the engine.
      for (CUserDefinedEquationVariable* variable : block->m_internalVariables)
        for (int i = 0; i < m_variables.GetSize(); ++i)
          if (m_variables[i] == variable) {
            m_variables.RemoveAt(i);
            break;
          }
      for (CTuloPort* port : block->m_ports)
        for (CUserDefinedEquationVariable* variable : port->m_variables)
          for (int i = 0; i < m_variables.GetSize(); ++i)
            if (m_variables[i] == variable) {
              m_variables.RemoveAt(i);
              break;
            }
      return result;
    }
  }
  if (modelType == kTuloRtm) blockName = block->m_strName;
  m_blocks.Add(std::move(block));
  m_blocks.Sort(&CTULOBlock::CompareElements);
  return kTuloBlockAdded;
}

CTULOBlock* CTULOInstance::FindBlock(const std::string& blockName, const std::string& modelName) const {
  CTULOBlock probe;
  probe.m_strName = blockName;
  probe.m_strModelName = modelName;
  return m_blocks.Find(&probe);
}

int CTULOInstance::CountModelBlocks(const std::string& modelName) const {
  int count = 0;
  for (const CTULOBlock* block : m_blocks)
    if (strcasecmp(block->m_strModelName.c_str(), modelName.c_str()) == 0) ++count;
  return count;
}

bool CTULOInstance::BuildInputOutputLists(int inputOutputMap) {
  for (CTULOBlock* block : m_blocks) {
    block->m_inputs.RemoveAll();
    block->m_outputs.RemoveAll();
    if (inputOutputMap == 0) continue;
    std::vector<CUserDefinedEquationVariable*> inputs;
    std::vector<CUserDefinedEquationVariable*> outputs;
    for (CTuloPort* port : block->m_ports) {
      const bool input = port->m_nDirection == kPortInput;
      for (CUserDefinedEquationVariable* variable : port->m_variables) {
        const int kind = TuloVariableKind(*variable);
        if ((kind == 1 && !input) || variable->m_strName == variable->m_strVornName) continue;
        if (variable->m_bIsIndependent || input)
          inputs.push_back(variable);
        else if (kind != 1)
          outputs.push_back(variable);
      }
    }
    // Each list holds a variable once, sorted by name.
    const auto fill = [](std::vector<CUserDefinedEquationVariable*>& from,
                         CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*>& to) {
      std::sort(from.begin(), from.end());
      from.erase(std::unique(from.begin(), from.end()), from.end());
      for (CUserDefinedEquationVariable* variable : from) to.Add(variable);
      to.Sort(&CUserDefinedEquationVariable::CompareElements);
    };
    fill(inputs, block->m_inputs);
    fill(outputs, block->m_outputs);
  }
  return true;
}

bool CTULOInstance::DeleteBlocks() {
  if (State().simulationHandle == -1) return true;
  for (CTULOBlock* block : m_blocks) {
    if (!IsTuloCommandName(block->m_strName) || !ExecuteCommand("delete block " + block->m_strName)) return false;
    block->m_internalVariables.RemoveAll();
    block->m_parameters.RemoveAll();
    block->m_inputs.RemoveAll();
    block->m_outputs.RemoveAll();
    block->m_equations.RemoveAll();
    block->m_ports.RemoveAll();
  }
  m_blocks.RemoveAll();
  m_variables.RemoveAll();
  return true;
}
