#pragma once
// The external-model engine: the one process-wide object that loads the host
// library, creates the engine's simulation, registers the callbacks, selects
// the solver and holds the blocks of every loaded external model.

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/ptr_array.h"
#include "modelfile/user_defined_equation_variable.h"
#include "platform/archive.h"
#include "platform/object.h"

class CTULOBlock;

// The host library's file name; found in <engine top folder>/xeq, then on PATH,
// then by the loader's own search.
inline constexpr const char* kTuloHostLibraryName = "libtulohost.so";

// Initialize results.
enum TuloInitResult : int {
  kTuloOk = 0,
  kTuloCommandFailed = 1,
  kTuloNoTopFolder = 9,
  kTuloNoBinFolder = 10,
  kTuloNoPath = 12,
  kTuloNoHostLibrary = 13,
  kTuloRegistryException = 14,
  kTuloMessageCallbackRefused = 15,
  kTuloEventCallbackRefused = 16,
  kTuloNoProductFolder = 20,
  kTuloNoExeFolder = 22,
};

class CTULOInstance : public CObject {
 public:
  // Sets the members, then tries a full start-up with solver 2 and no working
  // directory (the result is not kept).
  CTULOInstance();
  // Deletes the blocks and, when the engine is up, unloads its libraries,
  // closes the simulation and frees the host library.
  ~CTULOInstance() override;
  CTULOInstance(const CTULOInstance&) = delete;
  CTULOInstance& operator=(const CTULOInstance&) = delete;

  // Starts the engine when it is down, then selects the solver (and, for
  // solver 0, the working directory). Returns 0 or a TuloInitResult code.
  int Initialize(int traceLevel, int solver, bool inputOutputMap, const std::string& perturbationSize,
                 const std::string& modelDir);
  // Sends one command text; true when the host reports success.
  bool ExecuteCommand(const std::string& command);
  static std::string SolverCommand(int solver);

  // Adds an external model as a block: blockName (in; out for a type-7 model,
  // which the host names), the model it belongs to, its path relative to the
  // model directory and in full, and its model type. Returns a
  // TuloAddBlockResult; on failure the engine keeps nothing of the block. A
  // block name or path that no command can carry is refused (1).
  int AddBlock(std::string& blockName, const std::string& modelName, const std::string& relativePath,
               const std::string& fullPath, int modelType);
  // The block of that name and model (binary search), or null.
  CTULOBlock* FindBlock(const std::string& blockName, const std::string& modelName) const;
  // The number of blocks of a model (names compared ignoring case).
  int CountModelBlocks(const std::string& modelName) const;
  // Rebuilds every block's input and output lists; always true.
  bool BuildInputOutputLists(int inputOutputMap);
  // Deletes every block in the host and in the engine; false when the host
  // refuses a delete. Nothing happens while the engine is down.
  bool DeleteBlocks();
  // Stores the blocks of a model into the archive, or loads them from it,
  // in the layout of the version text.
  void Archive(const std::string& modelName, const std::string& modelDir, bool quiet, plat::Archive& ar,
               const std::string& version);

  // The engine's blocks, sorted by block name (then model name).
  CAutoDestructArray<CPtrArray, CTULOBlock*> m_blocks;
  // Every variable of every block, sorted by name.
  CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*> m_variables;
  bool m_bExpanded = true;
  const char* m_pszSimulationName = "VornExternalModels";
  int m_nInputOutputMap = 0;
  std::string m_strPerturbationSize = "1e-6";
  std::string m_strUtilitiesFile;

 private:
  int ExtendPath();
  void ResolveApi();

  struct LibraryCloser {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, LibraryCloser> m_hHostLibrary;
};

// The process-wide engine, created on first use (null if that fails).
CTULOInstance* GetTuloInstance();
// Deletes the process-wide engine when there is one.
void ReleaseTuloInstance();
// The engine exists and its simulation is up.
bool IsTuloInitialized();
// The simulation handle; -1 while no simulation exists.
int GetTuloSimulationHandle();
int GetTuloTraceLevel();

// The host's command syntax: names stand bare, texts and paths between
// double quotes, which the host reads without escapes.
// True for a block or library name a command can carry: letters, digits,
// "_", ".", "-", "$", "#", "@" and bytes above 127; no blank, quote,
// bracket, separator or control character.
bool IsTuloCommandName(const std::string& name);
// The text between double quotes; false when it holds a double quote or a
// control character, which no host string can carry.
bool QuoteTuloString(const std::string& text, std::string& quoted);

// Loads the host library (see kTuloHostLibraryName); null when it cannot be
// loaded. Only absolute folders of PATH are searched: "." or an empty entry
// would load a library from the current directory.
void* LoadTuloHostLibrary();
