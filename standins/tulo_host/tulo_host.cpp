// Stand-in of the external-model host library: a tiny equation-oriented
// engine that reads model descriptions in the text format of README.md,
// accepts the command texts the system sends, answers the entry points the
// system calls, fires the events it reacts to, and has test-only entry points
// (reset, command log, injected failures) that the system never calls.

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "standins/tulo_host_api.h"

#define TULO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Variable {
  std::string name;  // "<block>.BLK.<name>"
  double value = 0.0;
  double lower = 0.0;
  double upper = 0.0;
  int32_t kind = 0;
  std::string description;
};

struct Equation {
  std::string name;
  int32_t sense = 0;
  std::vector<int32_t> nonZeros;  // 1-based non-zero numbers of the simulation
};

struct Port {
  std::string name;
  int32_t direction = 0;
  std::vector<int32_t> variables;
};

struct Parameter {
  std::string name;
  std::string description;
  int32_t vt = TULO_VT_EMPTY;
  bool boolValue = false;
  int32_t intValue = 0;
  double doubleValue = 0.0;
  std::vector<std::string> texts;
  bool fixed = false;
};

struct Block {
  std::string name;
  int32_t firstEquation = 0;
  int32_t lastEquation = -1;
  int32_t firstNonZero = 1;
  int32_t nonZeroCount = 0;
  std::vector<Port> ports;
  std::vector<Parameter> parameters;
  std::set<std::string> failures;
  bool excluded = false;
  bool Fails(const std::string& what) const { return failures.count(what) != 0; }
};

struct Simulation {
  std::string name;
  std::vector<Block> blocks;
  std::vector<Equation> equations;      // number = index + 1
  std::vector<Variable> variables;      // number = index + 1
  std::vector<int32_t> nonZeroVariable; // non-zero number - 1 -> variable number
  std::map<std::string, std::string> libraries;  // library name -> model path
  TuloEventCallback eventCallback = nullptr;
  // Texts of the last variant given out.
  std::string variantText;
  std::vector<std::string> variantTexts;
  std::vector<const char*> variantPointers;
};

struct HostState {
  std::map<int32_t, Simulation> simulations;
  int32_t nextHandle = 1;
  TuloMessageCallback messageCallback = nullptr;
  std::vector<std::string> commandLog;
  std::vector<std::string> failingPrefixes;
  std::vector<int32_t> filterLog;
  std::vector<std::string> parameterPuts;
  int32_t refusedCallbacks = 0;  // 1 message, 2 event
  int32_t updateCount = 0;
};

HostState& State() {
  static HostState state;
  return state;
}

Simulation* FindSimulation(int32_t h) {
  auto found = State().simulations.find(h);
  return found == State().simulations.end() ? nullptr : &found->second;
}

Block* FindBlockByNumber(Simulation& sim, int32_t number) {
  if (number < 1 || number > static_cast<int32_t>(sim.blocks.size())) return nullptr;
  return &sim.blocks[static_cast<size_t>(number - 1)];
}

Block* FindBlockByName(Simulation& sim, const std::string& name) {
  for (Block& block : sim.blocks)
    if (block.name == name) return &block;
  return nullptr;
}

void CopyText(const std::string& text, char* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

void Message(const std::string& text) {
  if (State().messageCallback != nullptr) State().messageCallback(text.c_str());
}

void Fire(int32_t h, int32_t event) {
  Simulation* sim = FindSimulation(h);
  if (sim == nullptr || sim->eventCallback == nullptr) return;
  uint8_t data[32] = {};
  sim->eventCallback(h, event, data);
}

std::vector<std::string> Tokens(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string token; in >> token;) out.push_back(token);
  return out;
}

std::string Join(const std::vector<std::string>& tokens, size_t from) {
  std::string out;
  for (size_t i = from; i < tokens.size(); ++i) out += (out.empty() ? "" : " ") + tokens[i];
  return out;
}

// Reads a model description into a new block of the simulation; false when
// the file is missing, malformed or asks the add to fail.
bool AddBlockFromFile(Simulation& sim, const std::string& blockName, const std::string& path, bool hostNamesBlock) {
  std::ifstream in(path);
  if (!in) return false;
  Block block;
  block.name = blockName;
  std::map<std::string, int32_t> variableNumbers;
  std::vector<Variable> variables;
  struct PendingEquation {
    std::string name;
    int32_t sense;
    std::vector<std::string> variables;
  };
  std::vector<PendingEquation> equations;
  struct PendingPort {
    std::string name;
    int32_t direction;
    std::vector<std::string> variables;
  };
  std::vector<PendingPort> ports;

  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> t = Tokens(line);
    if (t.empty() || t[0][0] == '#') continue;
    if (t[0] == "blockname" && t.size() == 2) {
      if (hostNamesBlock) block.name = t[1];
    } else if (t[0] == "variable" && t.size() >= 6) {
      Variable v;
      v.name = t[1];
      v.value = std::atof(t[2].c_str());
      v.lower = std::atof(t[3].c_str());
      v.upper = std::atof(t[4].c_str());
      v.kind = std::atoi(t[5].c_str());
      v.description = Join(t, 6);
      variables.push_back(v);
    } else if (t[0] == "equation" && t.size() >= 3) {
      equations.push_back({t[1], std::atoi(t[2].c_str()), std::vector<std::string>(t.begin() + 3, t.end())});
    } else if (t[0] == "port" && t.size() >= 3) {
      const int32_t direction = t[2] == "input" ? 1 : t[2] == "output" ? 2 : 0;
      ports.push_back({t[1], direction, std::vector<std::string>(t.begin() + 3, t.end())});
    } else if (t[0] == "parameter" && t.size() >= 3) {
      Parameter p;
      p.name = t[1];
      std::vector<std::string> values(t.begin() + 3, t.end());
      if (!values.empty() && values.back() == "fixed") {
        p.fixed = true;
        values.pop_back();
      }
      const std::string& type = t[2];
      const std::string first = values.empty() ? std::string() : values[0];
      if (type == "bool") p.vt = TULO_VT_BOOL, p.boolValue = first == "true" || first == "1";
      else if (type == "int") p.vt = TULO_VT_I4, p.intValue = std::atoi(first.c_str());
      else if (type == "double") p.vt = TULO_VT_R8, p.doubleValue = std::atof(first.c_str());
      else if (type == "string") p.vt = TULO_VT_BSTR, p.texts = {Join(values, 0)};
      else if (type == "stringlist") p.vt = TULO_VT_BSTR_ARRAY, p.texts = values;
      else p.vt = TULO_VT_EMPTY;
      p.description = "Parameter " + p.name;
      block.parameters.push_back(p);
    } else if (t[0] == "fail" && t.size() == 2) {
      block.failures.insert(t[1]);
    } else {
      return false;
    }
  }
  if (block.Fails("add") || FindBlockByName(sim, block.name) != nullptr) return false;

  const std::string prefix = block.name + ".BLK.";
  for (Variable& v : variables) {
    v.name = prefix + v.name;
    sim.variables.push_back(v);
    variableNumbers[v.name] = static_cast<int32_t>(sim.variables.size());
  }
  block.firstEquation = static_cast<int32_t>(sim.equations.size()) + 1;
  block.firstNonZero = static_cast<int32_t>(sim.nonZeroVariable.size()) + 1;
  for (const PendingEquation& pending : equations) {
    Equation e;
    e.name = block.name + "." + pending.name;
    e.sense = pending.sense;
    for (const std::string& name : pending.variables) {
      auto found = variableNumbers.find(prefix + name);
      if (found == variableNumbers.end()) return false;
      sim.nonZeroVariable.push_back(found->second);
      e.nonZeros.push_back(static_cast<int32_t>(sim.nonZeroVariable.size()));
    }
    sim.equations.push_back(e);
  }
  block.lastEquation = static_cast<int32_t>(sim.equations.size());
  block.nonZeroCount = static_cast<int32_t>(sim.nonZeroVariable.size()) - block.firstNonZero + 1;
  for (const PendingPort& pending : ports) {
    Port port;
    port.name = pending.name;
    port.direction = pending.direction;
    for (const std::string& name : pending.variables) {
      auto found = variableNumbers.find(prefix + name);
      if (found != variableNumbers.end()) port.variables.push_back(found->second);
    }
    block.ports.push_back(port);
  }
  sim.blocks.push_back(block);
  return true;
}

std::string Unquote(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

// The text between the first '(' and the last ')', unquoted.
std::string Argument(const std::string& text) {
  const size_t open = text.find('(');
  const size_t close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return {};
  return Unquote(text.substr(open + 1, close - open - 1));
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

bool Execute(Simulation& sim, int32_t h, const std::string& command) {
  static const std::set<std::string> kLibraries = {"pelmexp", "strevadap", "morladap"};
  if (StartsWith(command, "load library (")) {
    const std::string path = Argument(command);
    std::ifstream probe(path);
    if (!probe) return false;
    std::string name = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    name = name.substr(0, name.find('.'));
    sim.libraries[name] = path;
    return true;
  }
  if (StartsWith(command, "load library \"") || StartsWith(command, "unload library \"")) {
    return kLibraries.count(Unquote(command.substr(command.find('"')))) != 0;
  }
  if (StartsWith(command, "solver ")) {
    static const std::set<std::string> kSolvers = {"quill", "sevrin", "sparse", "decomp_quill", "decomp_sevrin",
                                                   "decomp_sparse"};
    return kSolvers.count(command.substr(7)) != 0;
  }
  if (StartsWith(command, "quill.workingdir = ")) return true;
  if (StartsWith(command, "add block ")) {
    const std::vector<std::string> t = Tokens(command);
    if (t.size() < 5 || t[3] != "as") return false;
    const std::string& blockName = t[2];
    const std::string kind = Join(t, 4);
    std::string path;
    if (StartsWith(kind, "pelmexp(") || StartsWith(kind, "strevadap(") || StartsWith(kind, "morladap(")) {
      path = Argument(kind);
      if (!StartsWith(path, "model=")) return false;  // inline model texts are not understood here
      path = path.substr(6);
    } else {
      auto library = sim.libraries.find(kind);
      if (library == sim.libraries.end()) return false;
      path = library->second;
    }
    if (!AddBlockFromFile(sim, blockName, path, false)) return false;
    Fire(h, 0);
    return true;
  }
  if (StartsWith(command, "read block as ")) {
    const std::vector<std::string> t = Tokens(command);
    const size_t from = command.find(" from ");
    if (t.size() < 6 || from == std::string::npos) return false;
    if (!AddBlockFromFile(sim, t[3], Unquote(command.substr(from + 6)), true)) return false;
    Fire(h, 0);
    return true;
  }
  if (command == "EVALUATE EQUATIONS" || command == "EVALUATE JACOBIAN") {
    if (sim.blocks.empty()) return false;
    const std::string failure = command == "EVALUATE EQUATIONS" ? "evaluate_equations" : "evaluate_jacobian";
    return !sim.blocks.back().Fails(failure);
  }
  if (StartsWith(command, "delete block ")) {
    const std::string name = command.substr(13);
    for (auto it = sim.blocks.begin(); it != sim.blocks.end(); ++it) {
      if (it->name != name) continue;
      if (it->Fails("delete")) return false;
      // Numbers of equations, variables and non-zeros stay; only the block goes.
      sim.blocks.erase(it);
      Fire(h, 0);
      return true;
    }
    return false;
  }
  if (command == "blocks none") {
    sim.blocks.clear();
    return true;
  }
  if (StartsWith(command, "exclude blocks ") || StartsWith(command, "include blocks ")) {
    Block* block = FindBlockByName(sim, command.substr(15));
    if (block == nullptr) return false;
    block->excluded = command[0] == 'e';
    return true;
  }
  return false;
}

}  // namespace

// ------------------------------------------------------------ entry points

TULO_EXPORT int32_t API_CreateNewSimulation(const char* name, int32_t /*flags*/) {
  const int32_t h = State().nextHandle++;
  State().simulations[h].name = name != nullptr ? name : "";
  return h;
}

TULO_EXPORT TuloBool API_SetMessageCallback(TuloMessageCallback callback) {
  if (State().refusedCallbacks & 1) return 0;
  State().messageCallback = callback;
  return 1;
}

TULO_EXPORT TuloBool API_SetEventCallback(int32_t h, TuloEventCallback callback) {
  Simulation* sim = FindSimulation(h);
  if (sim == nullptr || (State().refusedCallbacks & 2)) return 0;
  sim->eventCallback = callback;
  return 1;
}

TULO_EXPORT TuloBool API_ScriptExecute(int32_t h, const char* command) {
  const std::string text = command != nullptr ? command : "";
  State().commandLog.push_back(text);
  Message("command: " + text);
  for (const std::string& prefix : State().failingPrefixes)
    if (StartsWith(text, prefix)) return 0;
  Simulation* sim = FindSimulation(h);
  return sim != nullptr && Execute(*sim, h, text) ? 1 : 0;
}

TULO_EXPORT void API_UpdateSimulationStruct(int32_t /*h*/) { ++State().updateCount; }

TULO_EXPORT void API_SetEventSetFilter(int32_t /*h*/, int32_t mask) { State().filterLog.push_back(mask); }

TULO_EXPORT void API_CloseOneSimulation(int32_t h) { State().simulations.erase(h); }

TULO_EXPORT int32_t API_GetNumberOfTULOBlocks(int32_t h) {
  Simulation* sim = FindSimulation(h);
  if (sim == nullptr) return 0;
  int32_t count = static_cast<int32_t>(sim->blocks.size());
  if (!sim->blocks.empty() && sim->blocks.back().Fails("block_count_short")) --count;
  return count;
}

TULO_EXPORT TuloBool API_GetBlockInfo(int32_t h, int32_t number, char* name, int32_t nameSize, int32_t* info) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? FindBlockByNumber(*sim, number) : nullptr;
  if (block == nullptr || block->Fails("block_info") || info == nullptr) return 0;
  CopyText(block->name, name, nameSize);
  for (int i = 0; i < 11; ++i) info[i] = 0;
  info[0] = number;
  info[1] = block->firstEquation;
  info[2] = block->lastEquation;
  info[6] = block->nonZeroCount;
  info[7] = block->firstNonZero;
  info[9] = static_cast<int32_t>(block->ports.size()) + (block->Fails("port_count_too_large") ? 1 : 0);
  info[10] = static_cast<int32_t>(block->parameters.size());
  return 1;
}

TULO_EXPORT TuloBool API_GetBlockJacobianStruct(int32_t h, int32_t number, int32_t count, int32_t* rows,
                                                int32_t* variables, uint8_t* flags) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? FindBlockByNumber(*sim, number) : nullptr;
  if (block == nullptr || block->Fails("jacobian") || count < block->nonZeroCount) return 0;
  for (int32_t i = 0; i < block->nonZeroCount; ++i) {
    if (rows != nullptr) rows[i] = 0;
    if (variables != nullptr) variables[i] = sim->nonZeroVariable[static_cast<size_t>(block->firstNonZero - 1 + i)];
    if (flags != nullptr) flags[i] = 0;
  }
  return 1;
}

namespace {
// The block that holds an equation, or null.
Block* BlockOfEquation(Simulation& sim, int32_t equation) {
  for (Block& block : sim.blocks)
    if (equation >= block.firstEquation && equation <= block.lastEquation) return &block;
  return nullptr;
}
Block* BlockOfVariable(Simulation& sim, int32_t variable) {
  if (variable < 1 || variable > static_cast<int32_t>(sim.variables.size())) return nullptr;
  const std::string& name = sim.variables[static_cast<size_t>(variable - 1)].name;
  for (Block& block : sim.blocks)
    if (StartsWith(name, block.name + ".BLK.")) return &block;
  return nullptr;
}
}  // namespace

TULO_EXPORT TuloBool API_GetEquationInfo(int32_t h, int32_t equation, char* name, int32_t nameSize, double* lower,
                                         double* upper, int32_t* status, uint8_t* flag1, uint8_t* flag2,
                                         uint8_t* flag3, int32_t* sense) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? BlockOfEquation(*sim, equation) : nullptr;
  if (block == nullptr || block->Fails("equation_info")) return 0;
  const Equation& e = sim->equations[static_cast<size_t>(equation - 1)];
  CopyText(e.name, name, nameSize);
  if (lower != nullptr) *lower = 0.0;
  if (upper != nullptr) *upper = 0.0;
  if (status != nullptr) *status = 0;
  if (flag1 != nullptr) *flag1 = 0;
  if (flag2 != nullptr) *flag2 = 0;
  if (flag3 != nullptr) *flag3 = 0;
  if (sense != nullptr) *sense = e.sense;
  return 1;
}

TULO_EXPORT int32_t* API_GetEquationNameAndIncidentNonZeroInfo(int32_t h, int32_t equation, char* name,
                                                               int32_t nameSize, int32_t* count, uint8_t* flag,
                                                               const char* /*blockName*/) {
  if (count != nullptr) *count = 0;
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? BlockOfEquation(*sim, equation) : nullptr;
  if (block == nullptr) return nullptr;
  const Equation& e = sim->equations[static_cast<size_t>(equation - 1)];
  CopyText(e.name, name, nameSize);
  if (flag != nullptr) *flag = 0;
  auto* positions = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * (e.nonZeros.size() + 1)));
  if (positions == nullptr) return nullptr;
  for (size_t i = 0; i < e.nonZeros.size(); ++i)
    positions[i] = e.nonZeros[i] + (block->Fails("jacobian_out_of_range") ? 100000 : 0);
  if (count != nullptr) *count = static_cast<int32_t>(e.nonZeros.size());
  return positions;
}

TULO_EXPORT TuloBool API_GetVariableInfo(int32_t h, int32_t variable, char* name, int32_t nameSize, double* value,
                                         int32_t* kind, char* buffer1, char* buffer2, int32_t bufferSize) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? BlockOfVariable(*sim, variable) : nullptr;
  if (block == nullptr || block->Fails("variable_info")) return 0;
  const Variable& v = sim->variables[static_cast<size_t>(variable - 1)];
  CopyText(v.name, name, nameSize);
  if (value != nullptr) *value = v.value;
  if (kind != nullptr) *kind = v.kind;
  CopyText("", buffer1, bufferSize);
  CopyText("", buffer2, bufferSize);
  return 1;
}

TULO_EXPORT TuloBool API_GetVariableLowerBound(int32_t h, int32_t variable, double* bound) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? BlockOfVariable(*sim, variable) : nullptr;
  if (block == nullptr || block->Fails("lower_bound") || bound == nullptr) return 0;
  *bound = sim->variables[static_cast<size_t>(variable - 1)].lower;
  return 1;
}

TULO_EXPORT TuloBool API_GetVariableUpperBound(int32_t h, int32_t variable, double* bound) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? BlockOfVariable(*sim, variable) : nullptr;
  if (block == nullptr || block->Fails("upper_bound") || bound == nullptr) return 0;
  *bound = sim->variables[static_cast<size_t>(variable - 1)].upper;
  return 1;
}

TULO_EXPORT TuloBool API_GetVariableDescription(int32_t h, int32_t variable, char* text, int32_t textSize) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? BlockOfVariable(*sim, variable) : nullptr;
  if (block == nullptr) return 0;
  const Variable& v = sim->variables[static_cast<size_t>(variable - 1)];
  if (v.description.empty()) return 0;
  CopyText(v.description, text, textSize);
  return 1;
}

TULO_EXPORT TuloBool API_GetBlockPortInfo(int32_t h, int32_t number, int32_t port, char* name, int32_t nameSize,
                                          int32_t* direction, int32_t* variableCount) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? FindBlockByNumber(*sim, number) : nullptr;
  if (block == nullptr || block->Fails("port_info") || port < 1 ||
      port > static_cast<int32_t>(block->ports.size()))
    return 0;
  const Port& p = block->ports[static_cast<size_t>(port - 1)];
  CopyText(block->name + "." + p.name, name, nameSize);
  if (direction != nullptr) *direction = p.direction;
  if (variableCount != nullptr)
    *variableCount = static_cast<int32_t>(p.variables.size()) + (block->Fails("port_variables_short") ? 1 : 0);
  return 1;
}

TULO_EXPORT TuloBool API_GetBlockPortVariableInfo(int32_t h, int32_t number, int32_t port, int32_t count, char* names,
                                                  int32_t nameSize, int32_t* numbers) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? FindBlockByNumber(*sim, number) : nullptr;
  if (block == nullptr || block->Fails("port_variables") || port < 1 ||
      port > static_cast<int32_t>(block->ports.size()))
    return 0;
  const Port& p = block->ports[static_cast<size_t>(port - 1)];
  if (count < static_cast<int32_t>(p.variables.size())) return 0;
  for (size_t i = 0; i < p.variables.size(); ++i) {
    const std::string& name = sim->variables[static_cast<size_t>(p.variables[i] - 1)].name;
    if (names != nullptr) CopyText(name, names + i * static_cast<size_t>(nameSize), nameSize);
    if (numbers != nullptr) numbers[i] = p.variables[i];
  }
  return 1;
}

TULO_EXPORT TuloBool API_GetBlockParameterAccess(int32_t h, int32_t number, int32_t index, int32_t* access) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? FindBlockByNumber(*sim, number) : nullptr;
  if (block == nullptr || block->Fails("parameter_access") || index < 0 ||
      index >= static_cast<int32_t>(block->parameters.size()) || access == nullptr)
    return 0;
  *access = block->parameters[static_cast<size_t>(index)].fixed ? 0 : 1;
  return 1;
}

TULO_EXPORT TuloBool API_GetBlockParameterInfo(int32_t h, int32_t number, int32_t index, char* name, int32_t nameSize,
                                               TuloVariant* value, char* description, int32_t descriptionSize,
                                               char* buffer, int32_t bufferSize) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr ? FindBlockByNumber(*sim, number) : nullptr;
  if (block == nullptr || block->Fails("parameter_info") || index < 0 ||
      index >= static_cast<int32_t>(block->parameters.size()) || value == nullptr)
    return 0;
  const Parameter& p = block->parameters[static_cast<size_t>(index)];
  CopyText(p.name, name, nameSize);
  CopyText(p.description, description, descriptionSize);
  CopyText("", buffer, bufferSize);
  *value = TuloVariant{};
  value->vt = p.vt;
  value->boolVal = p.boolValue ? -1 : 0;
  value->intVal = p.intValue;
  value->dblVal = p.doubleValue;
  sim->variantTexts = p.texts;
  sim->variantPointers.clear();
  for (const std::string& text : sim->variantTexts) sim->variantPointers.push_back(text.c_str());
  sim->variantText = p.texts.empty() ? std::string() : p.texts[0];
  value->text = sim->variantText.c_str();
  value->texts = sim->variantPointers.data();
  value->count = static_cast<int32_t>(sim->variantPointers.size());
  return 1;
}

TULO_EXPORT TuloBool API_PutBlockParameterValueByName(int32_t h, const char* blockName, const char* parameter,
                                                      const TuloVariant* value) {
  Simulation* sim = FindSimulation(h);
  Block* block = sim != nullptr && blockName != nullptr ? FindBlockByName(*sim, blockName) : nullptr;
  if (block == nullptr || parameter == nullptr || value == nullptr || block->Fails("put_parameter")) return 0;
  for (Parameter& p : block->parameters) {
    if (p.name != parameter) continue;
    std::string text;
    switch (value->vt) {
      case TULO_VT_BOOL: p.boolValue = value->boolVal != 0; text = p.boolValue ? "true" : "false"; break;
      case TULO_VT_I4:
      case TULO_VT_INT: p.intValue = value->intVal; text = std::to_string(p.intValue); break;
      case TULO_VT_R8: {
        p.doubleValue = value->dblVal;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%g", p.doubleValue);
        text = buffer;
        break;
      }
      case TULO_VT_BSTR: p.texts = {value->text != nullptr ? value->text : ""}; text = p.texts[0]; break;
      default: return 0;
    }
    State().parameterPuts.push_back(block->name + "." + p.name + "=" + text);
    return 1;
  }
  return 0;
}

// Resolved by the system and never called: each answers with failure.
#define TULO_UNUSED_ENTRY(name) \
  TULO_EXPORT TuloBool name(void) { return 0; }
TULO_UNUSED_ENTRY(API_LoadUtilDef)
TULO_UNUSED_ENTRY(API_FreeUtilDef)
TULO_UNUSED_ENTRY(API_Solve)
TULO_UNUSED_ENTRY(API_GetTULOBlockName)
TULO_UNUSED_ENTRY(API_GetNumberOfNonZerosInCurrentSimulation)
TULO_UNUSED_ENTRY(API_GetJacobianStruct)
TULO_UNUSED_ENTRY(API_GetVariableName)
TULO_UNUSED_ENTRY(API_GetNumberOfBlockParameters)
TULO_UNUSED_ENTRY(API_PutBlockParameterValue)
TULO_UNUSED_ENTRY(API_PutBlockParameterValues)
TULO_UNUSED_ENTRY(API_GetSparseJacobianVector)
TULO_UNUSED_ENTRY(API_GetResidualValues)
TULO_UNUSED_ENTRY(API_PutVariableValue)
TULO_UNUSED_ENTRY(API_PutVariableSpec)
TULO_UNUSED_ENTRY(API_GetAllVariableValues)
TULO_UNUSED_ENTRY(API_GetVariableValue)
TULO_UNUSED_ENTRY(API_EvaluateSensitivityCalcs)
TULO_UNUSED_ENTRY(API_GetPortInfoByName)

// ------------------------------------------------- test-only entry points

TULO_EXPORT void TuloTest_Reset() { State() = HostState{}; }

namespace {
int32_t CopyLines(const std::vector<std::string>& lines, char* buffer, int32_t size) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  CopyText(text, buffer, size);
  return static_cast<int32_t>(text.size());
}
}  // namespace

// The commands received since the last reset, one a line; returns the full length.
TULO_EXPORT int32_t TuloTest_GetCommandLog(char* buffer, int32_t size) {
  return CopyLines(State().commandLog, buffer, size);
}

// The parameter values put since the last reset, "block.parameter=value" a line.
TULO_EXPORT int32_t TuloTest_GetParameterPuts(char* buffer, int32_t size) {
  return CopyLines(State().parameterPuts, buffer, size);
}

// Every later command that starts with prefix fails (until reset).
TULO_EXPORT void TuloTest_FailCommand(const char* prefix) { State().failingPrefixes.emplace_back(prefix); }

// 1 refuses the message callback, 2 the event callback, 3 both.
TULO_EXPORT void TuloTest_RefuseCallbacks(int32_t which) { State().refusedCallbacks = which; }

// The event filters set since the last reset; returns their count.
TULO_EXPORT int32_t TuloTest_GetFilterLog(int32_t* masks, int32_t size) {
  const auto& log = State().filterLog;
  for (size_t i = 0; i < log.size() && static_cast<int32_t>(i) < size; ++i) masks[i] = log[i];
  return static_cast<int32_t>(log.size());
}

TULO_EXPORT int32_t TuloTest_GetUpdateCount() { return State().updateCount; }

TULO_EXPORT void TuloTest_FireEvent(int32_t h, int32_t event) { Fire(h, event); }

TULO_EXPORT int32_t TuloTest_GetSimulationCount() { return static_cast<int32_t>(State().simulations.size()); }
