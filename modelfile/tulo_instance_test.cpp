#include "modelfile/tulo_instance.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <cstring>

#include "modelfile/external_models_section.h"
#include "modelfile/model_file_writer.h"
#include "modelfile/tulo_block.h"
#include "modelfile/vorn_model_file.h"

namespace {

namespace fs = std::filesystem;

const std::string kHostLibrary = std::string(OSTREL_BINARY_DIR) + "/standins/libtulohost.so";

// The stand-in host's test-only entry points, through our own reference to it.
struct HostControl {
  void* handle = dlopen(kHostLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
  template <class F>
  F Get(const char* name) const {
    return reinterpret_cast<F>(dlsym(handle, name));
  }
  void Reset() const { Get<void (*)()>("TuloTest_Reset")(); }
  std::string Commands() const {
    auto log = Get<int32_t (*)(char*, int32_t)>("TuloTest_GetCommandLog");
    std::string text(static_cast<size_t>(log(nullptr, 0)) + 1, '\0');
    log(text.data(), static_cast<int32_t>(text.size()));
    text.resize(text.size() - 1);
    return text;
  }
  void FailCommand(const char* prefix) const { Get<void (*)(const char*)>("TuloTest_FailCommand")(prefix); }
  void RefuseCallbacks(int which) const { Get<void (*)(int32_t)>("TuloTest_RefuseCallbacks")(which); }
  std::vector<int32_t> Filters() const {
    auto get = Get<int32_t (*)(int32_t*, int32_t)>("TuloTest_GetFilterLog");
    std::vector<int32_t> masks(16);
    masks.resize(static_cast<size_t>(get(masks.data(), 16)));
    return masks;
  }
  void FireEvent(int h, int event) const { Get<void (*)(int32_t, int32_t)>("TuloTest_FireEvent")(h, event); }
};

// A registry file and engine folders in a temporary directory; the engine
// and the host start afresh for every test.
class TuloTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(m_host.handle, nullptr) << dlerror();
    ReleaseTuloInstance();
    m_host.Reset();
    m_root = fs::path(testing::TempDir()) / "tulo_test";
    fs::remove_all(m_root);
    fs::create_directories(m_root / "top" / "xeq");
    fs::create_directories(m_root / "model");
    InstallHost();
    m_savedPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    const char* registry = std::getenv("OSTREL_REGISTRY");
    m_savedRegistry = registry != nullptr ? registry : "";
    setenv("OSTREL_REGISTRY", (m_root / "registry.ini").c_str(), 1);
    WriteRegistry({});
  }
  void TearDown() override {
    ReleaseTuloInstance();
    setenv("PATH", m_savedPath.c_str(), 1);
    if (m_savedRegistry.empty())
      unsetenv("OSTREL_REGISTRY");
    else
      setenv("OSTREL_REGISTRY", m_savedRegistry.c_str(), 1);
    fs::remove_all(m_root);
  }

  // The host in the engine's folder is a link to the built library, so the
  // engine and the test share one loaded copy.
  void InstallHost() {
    if (!fs::exists(m_root / "top" / "xeq" / kTuloHostLibraryName))
      fs::create_symlink(kHostLibrary, m_root / "top" / "xeq" / kTuloHostLibraryName);
  }

  // The four registry values, less the ones named in missing.
  void WriteRegistry(const std::vector<std::string>& missing) {
    auto has = [&](const std::string& v) { return std::find(missing.begin(), missing.end(), v) == missing.end(); };
    std::ofstream ini(m_root / "registry.ini");
    ini << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\TULO\\38.0]\n";
    if (has("tulotop")) ini << "tulotop=" << (m_root / "top").string() << "\n";
    ini << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\Fennor\\38.0\\Dir]\n";
    if (has("Bin")) ini << "Bin=" << (m_root / "bin").string() << "\n";
    ini << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\Galdric\\38.0]\n";
    if (has("ExeDir")) ini << "ExeDir=" << (m_root / "exe").string() << "\n";
    ini << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\QuorvaneVorn]\n";
    if (has("Directory")) ini << "Directory=" << (m_root / "product").string() << "/\n";
  }

  std::string WriteModel(const std::string& name, const std::string& text) {
    const fs::path path = m_root / "model" / name;
    std::ofstream(path) << text;
    return path.string();
  }

  CTULOInstance& Engine() {
    CTULOInstance* engine = GetTuloInstance();
    EXPECT_NE(engine, nullptr);
    EXPECT_EQ(engine->Initialize(0, 2, true, "1e-6", ""), kTuloOk);
    return *engine;
  }

 public:
  HostControl m_host;
  fs::path m_root;

 protected:
  std::string m_savedPath;
  std::string m_savedRegistry;
};

const char* const kReactor = R"(# a reactor with an input and an output port
variable FEED 10 0 100 0 feed rate
variable TEMP 350 300 500 1
variable YIELD 0.8 0 1 0 product yield
variable PROD 8 0 100 0
equation MASS 0 FEED YIELD PROD
equation HEAT 1 TEMP FEED
port IN input FEED TEMP
port OUT output PROD
parameter PERT double 0.001
parameter MODE int 3
parameter LABEL string first run
parameter FIXEDP double 2 fixed
parameter SECOND_DERIV_METHOD string exact
)";

TEST_F(TuloTest, InitializeReportsEachMissingPiece) {
  struct Case {
    const char* label;
    std::vector<std::string> missingValues;
    std::function<void(TuloTest&)> prepare;
    int code;
  };
  const Case cases[] = {
      {"success", {}, nullptr, kTuloOk},
      {"no top folder", {"tulotop"}, nullptr, kTuloNoTopFolder},
      {"no Bin", {"Bin"}, nullptr, kTuloNoBinFolder},
      {"no ExeDir", {"ExeDir"}, nullptr, kTuloNoExeFolder},
      {"no product folder", {"Directory"}, nullptr, kTuloNoProductFolder},
      {"no PATH", {}, [](TuloTest&) { unsetenv("PATH"); }, kTuloNoPath},
      {"no host library", {}, [](TuloTest& t) { fs::remove(t.m_root / "top" / "xeq" / kTuloHostLibraryName); },
       kTuloNoHostLibrary},
      {"message callback refused", {}, [](TuloTest& t) { t.m_host.RefuseCallbacks(1); }, kTuloMessageCallbackRefused},
      {"event callback refused", {}, [](TuloTest& t) { t.m_host.RefuseCallbacks(2); }, kTuloEventCallbackRefused},
      {"library command fails", {}, [](TuloTest& t) { t.m_host.FailCommand("load library \"morladap\""); },
       kTuloCommandFailed},
      {"solver command fails", {}, [](TuloTest& t) { t.m_host.FailCommand("solver"); }, kTuloCommandFailed},
  };
  for (const Case& c : cases) {
    ReleaseTuloInstance();
    m_host.Reset();
    setenv("PATH", m_savedPath.c_str(), 1);
    InstallHost();
    // The engine is created while it cannot start, so the call below is its first full start-up.
    WriteRegistry({"tulotop"});
    CTULOInstance* engine = GetTuloInstance();
    ASSERT_NE(engine, nullptr) << c.label;
    ASSERT_FALSE(IsTuloInitialized());
    WriteRegistry(c.missingValues);
    if (c.prepare) c.prepare(*this);
    EXPECT_EQ(engine->Initialize(0, 1, false, "1e-5", ""), c.code) << c.label;
    EXPECT_EQ(IsTuloInitialized(), c.code == kTuloOk || c.code == kTuloCommandFailed ||
                                       c.code == kTuloMessageCallbackRefused || c.code == kTuloEventCallbackRefused)
        << c.label;
  }
}

TEST_F(TuloTest, PathGrowsOnEveryFailedAttemptToFindTheHost) {
  fs::remove(m_root / "top" / "xeq" / kTuloHostLibraryName);
  CTULOInstance* engine = GetTuloInstance();
  const std::string before = std::getenv("PATH");
  EXPECT_EQ(engine->Initialize(0, 2, false, "1e-6", ""), kTuloNoHostLibrary);
  const std::string after = std::getenv("PATH");
  EXPECT_EQ(after.substr(after.size() - before.size()), before);
  EXPECT_NE(after.find((m_root / "bin").string() + ":" + (m_root / "exe").string() + ":"), std::string::npos);
  EXPECT_GT(after.size(), before.size());
}

TEST_F(TuloTest, CommandsOfStartUpSolverSelectionAndRelease) {
  CTULOInstance* engine = GetTuloInstance();
  ASSERT_EQ(engine->Initialize(0, 0, false, "1e-6", "/models/m"), kTuloOk);
  ASSERT_EQ(engine->Initialize(1, 7, true, "2e-6", ""), kTuloOk);  // a running engine only changes solver and switches
  EXPECT_EQ(engine->m_nInputOutputMap, 1);
  EXPECT_EQ(engine->m_strPerturbationSize, "2e-6");
  EXPECT_EQ(engine->m_strUtilitiesFile, (m_root / "product").string() + "/quorvaneutilitiesV71.qudf");
  ASSERT_EQ(engine->Initialize(0, 0, false, "1e-6", ""), kTuloOk);  // solver 0 without a directory
  ReleaseTuloInstance();
  EXPECT_EQ(m_host.Commands(),
            "load library \"pelmexp\"\nload library \"strevadap\"\nload library \"morladap\"\nsolver sparse\n"
            "solver quill\nquill.workingdir = \"/models/m\"\nsolver sparse\nsolver quill\n"
            "blocks none\nunload library \"pelmexp\"\nunload library \"strevadap\"\nunload library \"morladap\"\n");
  EXPECT_FALSE(IsTuloInitialized());

  const std::pair<int, const char*> solvers[] = {{0, "solver quill"},          {1, "solver sevrin"},
                                                 {2, "solver sparse"},         {3, "solver decomp_quill"},
                                                 {4, "solver decomp_sevrin"},  {5, "solver decomp_sparse"},
                                                 {6, "solver sparse"},         {-1, "solver sparse"}};
  for (const auto& [number, text] : solvers) EXPECT_EQ(CTULOInstance::SolverCommand(number), text) << number;
}

TEST_F(TuloTest, BlockStructureEventsRefreshTheSimulationAndSetTheFilters) {
  Engine();
  m_host.FireEvent(GetTuloSimulationHandle(), 13);
  EXPECT_EQ(m_host.Filters(), (std::vector<int32_t>{31, 63}));
  m_host.FireEvent(GetTuloSimulationHandle(), 14);
  m_host.FireEvent(GetTuloSimulationHandle(), 99);
  EXPECT_EQ(m_host.Filters().size(), 2u);
}

TEST_F(TuloTest, AddsABlockWithEquationsVariablesPortsAndParameters) {
  CTULOInstance& engine = Engine();
  const std::string path = WriteModel("reactor.mdl", kReactor);
  std::string name = "R1";
  ASSERT_EQ(engine.AddBlock(name, "Refinery", "reactor.mdl", path, kTuloStrev), kTuloBlockAdded);
  CTULOBlock* block = engine.FindBlock("R1", "Refinery");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->m_nHostBlockNumber, 1);
  ASSERT_EQ(block->m_equations.GetSize(), 2);
  EXPECT_EQ(block->m_equations[0]->GetName(), "R1.MASS");
  EXPECT_EQ(block->m_equations[0]->m_strEquationType, "EQ");
  EXPECT_EQ(block->m_equations[1]->m_strEquationType, "LE");
  EXPECT_EQ(block->m_equations[0]->m_positions, (std::vector<int32_t>{0, 1, 2}));
  // FEED is in both equations and was created once.
  EXPECT_EQ(engine.m_variables.GetSize(), 4);
  EXPECT_EQ(block->m_equations[0]->m_linkedVariables[0], block->m_equations[1]->m_linkedVariables[1]);

  ASSERT_EQ(block->m_ports.GetSize(), 2);
  const CTuloPort* in = block->FindPort("IN");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->m_nDirection, kPortInput);
  ASSERT_EQ(in->m_variables.GetSize(), 2);
  const CUserDefinedEquationVariable* feed = in->FindVariable("R1.BLK.FEED");
  ASSERT_NE(feed, nullptr);
  EXPECT_EQ(feed->m_strVornName, "FEED");
  EXPECT_TRUE(feed->m_bIsIndependent);
  EXPECT_FALSE(in->FindVariable("R1.BLK.TEMP")->m_bIsIndependent);  // kind 1
  EXPECT_EQ(feed->m_strDescription, "feed rate");
  EXPECT_EQ(feed->m_dMin, 0.0);
  EXPECT_EQ(feed->m_dMax, 100.0);
  EXPECT_EQ(feed->m_dInitial, 10.0);
  EXPECT_EQ(feed->m_strBlock, "Refinery");
  EXPECT_FALSE(feed->m_bEngineFlag);
  ASSERT_EQ(block->m_internalVariables.GetSize(), 1);  // YIELD: on no port
  EXPECT_EQ(block->m_internalVariables[0]->m_strName, "R1.BLK.YIELD");

  ASSERT_EQ(block->m_parameters.GetSize(), 5);
  EXPECT_EQ(block->m_parameters[0]->m_nType, CUserDefinedParameter::kDouble);
  EXPECT_EQ(block->m_strPerturbation, "0.001");
  EXPECT_EQ(block->m_parameters[1]->m_nValue, 3);
  EXPECT_EQ(block->m_parameters[2]->m_strValue, "first run");
  EXPECT_TRUE(block->m_parameters[3]->m_bFixed);

  engine.BuildInputOutputLists(1);
  ASSERT_EQ(block->m_inputs.GetSize(), 2);
  ASSERT_EQ(block->m_outputs.GetSize(), 1);
  EXPECT_EQ(block->m_outputs[0]->m_strName, "R1.BLK.PROD");
  engine.BuildInputOutputLists(0);
  EXPECT_TRUE(block->m_inputs.IsEmpty());
}

TEST_F(TuloTest, EveryModelTypeSendsItsCommand) {
  CTULOInstance& engine = Engine();
  const std::string path = WriteModel("m.mdl", kReactor);
  const std::string rtm = WriteModel("rtm.mdl", std::string("blockname HOSTNAMED\n") + kReactor);
  struct Case {
    int type;
    const char* block;
    std::string path;
    const char* command;
  };
  const Case cases[] = {
      {kTuloPelm, "B1", path, "add block B1 as pelmexp(\"model=PATH\")"},
      {kTuloPelmNew, "B8", path, "add block B8 as pelmexp(\"model=PATH\")"},
      {kTuloStrev, "B3", path, "add block B3 as strevadap(\"model=PATH\")"},
      {kTuloOpenForm, "B4", path, "add block B4 as strevadap(\"model=PATH\")"},
      {kTuloClosedForm, "B5", path, "add block B5 as morladap(\"model=PATH\")"},
      {kTuloFlowsheet, "B2", path, "add block B2 as m"},
      {kTuloRtm, "B7", rtm, "read block as B7 from \"PATH\""},
  };
  for (const Case& c : cases) {
    std::string name = c.block;
    ASSERT_EQ(engine.AddBlock(name, "M", "x", c.path, c.type), kTuloBlockAdded) << c.type;
    std::string command = c.command;
    if (const size_t at = command.find("PATH"); at != std::string::npos) command.replace(at, 4, c.path);
    EXPECT_NE(m_host.Commands().find(command + "\nEVALUATE EQUATIONS\nEVALUATE JACOBIAN\n"), std::string::npos)
        << command;
    if (c.type == kTuloRtm) {
      EXPECT_EQ(name, "HOSTNAMED");
    }
  }
  EXPECT_NE(m_host.Commands().find("load library (\"" + path + "\")\nadd block B2 as m\n"), std::string::npos);
  std::string name = "B0";
  EXPECT_EQ(engine.AddBlock(name, "M", "x", path, 0), kTuloUnknownModelType);
  EXPECT_EQ(engine.AddBlock(name, "M", "x", path, 6), kTuloUnknownModelType);
  EXPECT_EQ(engine.m_blocks.GetSize(), 7);
  EXPECT_EQ(engine.CountModelBlocks("m"), 7);
}

// A name or a path that the host's command syntax cannot carry never becomes
// a command: the block is refused and the host hears nothing of it.
TEST_F(TuloTest, NamesAndPathsACommandCannotCarryAreRefused) {
  CTULOInstance& engine = Engine();
  const std::string path = WriteModel("m.mdl", kReactor);
  const std::string quoted = WriteModel("q\"uote.mdl", kReactor);
  struct Case {
    std::string block, path;
    int type;
  };
  const Case cases[] = {
      {"B1 as strevadap(\"model=/etc/x\")", path, kTuloStrev},
      {"B1\ndelete block B0", path, kTuloStrev},
      {"", path, kTuloPelm},
      {"B2", quoted, kTuloStrev},
      {"B3", path + "\nblocks none", kTuloRtm},
      {"B4", m_root.string() + "/model/lib x.mdl", kTuloFlowsheet},
  };
  const std::string before = m_host.Commands();
  for (const Case& c : cases) {
    std::string name = c.block;
    EXPECT_EQ(engine.AddBlock(name, "M", "x", c.path, c.type), kTuloAddCommandFailed) << c.block;
  }
  EXPECT_EQ(m_host.Commands(), before);
  EXPECT_EQ(engine.m_blocks.GetSize(), 0);
  std::string fine = "Unit-1.A$";
  EXPECT_EQ(engine.AddBlock(fine, "M", "x", path, kTuloStrev), kTuloBlockAdded);

  // A working directory no string can carry is not sent.
  ASSERT_EQ(engine.Initialize(0, 0, false, "1e-6", "/models/\"; blocks none"), kTuloOk);
  EXPECT_EQ(m_host.Commands().find("workingdir"), std::string::npos);
}

// "." or an empty PATH entry would load a host library from the current directory.
TEST_F(TuloTest, TheHostIsNeverLoadedFromARelativePathEntry) {
  fs::remove(m_root / "top" / "xeq" / kTuloHostLibraryName);
  fs::create_directories(m_root / "cwd");
  fs::create_symlink(kHostLibrary, m_root / "cwd" / kTuloHostLibraryName);
  const fs::path previous = fs::current_path();
  fs::current_path(m_root / "cwd");
  setenv("PATH", (".::" + m_savedPath).c_str(), 1);
  void* handle = LoadTuloHostLibrary();
  fs::current_path(previous);
  EXPECT_EQ(handle, nullptr);
  if (handle != nullptr) dlclose(handle);
  setenv("PATH", ((m_root / "cwd").string() + ":" + m_savedPath).c_str(), 1);
  handle = LoadTuloHostLibrary();  // an absolute entry is searched
  EXPECT_NE(handle, nullptr);
  if (handle != nullptr) dlclose(handle);
}

TEST_F(TuloTest, HybridBlocksRenameTheirVariables) {
  CTULOInstance& engine = Engine();
  std::string name = "H";
  ASSERT_EQ(engine.AddBlock(name, "M", "h.mdl", WriteModel("h.mdl", kReactor), kTuloHybrid), kTuloBlockAdded);
  CTULOBlock* block = engine.FindBlock("H", "M");
  ASSERT_NE(block, nullptr);
  EXPECT_NE(block->FindPort("IN")->FindVariable("H.HYBRID.FEED"), nullptr);
  EXPECT_NE(block->FindVariable("H.HYBRID.YIELD"), nullptr);
}

TEST_F(TuloTest, AFailedBlockLeavesNothingBehindAndTheNextOneGetsItsOwnData) {
  CTULOInstance& engine = Engine();
  const std::pair<const char*, int> failures[] = {
      {"block_count_short", kTuloUnknownModelType},  // first: later blocks the host kept would make up the count
      {"add", kTuloAddCommandFailed},
      {"evaluate_equations", kTuloEvaluateEquationsFailed},
      {"evaluate_jacobian", kTuloEvaluateJacobianFailed},
      {"equation_info", kTuloEquationsUnreadable},
      {"variable_info", kTuloEquationsUnreadable},
      {"jacobian_out_of_range", kTuloEquationsUnreadable},
      {"port_info", kTuloPortsUnreadable},
      {"port_count_too_large", kTuloPortsUnreadable},
      {"parameter_info", kTuloParametersUnreadable},
  };
  int blockNumber = 0;
  for (const auto& [failure, code] : failures) {
    const std::string failing = WriteModel(std::string(failure) + ".mdl", std::string("fail ") + failure + "\n" + kReactor);
    std::string name = std::string("F_") + failure;
    EXPECT_EQ(engine.AddBlock(name, "M", "f.mdl", failing, kTuloStrev), code) << failure;
    EXPECT_TRUE(engine.m_blocks.IsEmpty()) << failure;
    EXPECT_TRUE(engine.m_variables.IsEmpty()) << failure;
    if (code != kTuloAddCommandFailed) ++blockNumber;  // the host keeps the block
  }
  std::string name = "GOOD";
  ASSERT_EQ(engine.AddBlock(name, "M", "g.mdl", WriteModel("g.mdl", kReactor), kTuloStrev), kTuloBlockAdded);
  CTULOBlock* block = engine.FindBlock("GOOD", "M");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->m_nHostBlockNumber, blockNumber + 1);
  EXPECT_EQ(block->m_strName, "GOOD");
  EXPECT_NE(block->FindVariable("GOOD.BLK.YIELD"), nullptr);
  EXPECT_EQ(engine.m_variables.GetSize(), 4);
}

TEST_F(TuloTest, BlocksOfTwoModelsWithOneNameAreBothFound) {
  CTULOInstance& engine = Engine();
  const std::string path = WriteModel("r.mdl", kReactor);
  std::string first = "R";
  ASSERT_EQ(engine.AddBlock(first, "Alpha", "r.mdl", path, kTuloStrev), kTuloBlockAdded);
  // The host names blocks once per simulation: the second model's block comes from another file name.
  const std::string other = WriteModel("r2.mdl", std::string("blockname R\n") + kReactor);
  std::string second = "R";
  EXPECT_EQ(engine.AddBlock(second, "Beta", "r2.mdl", other, kTuloStrev), kTuloAddCommandFailed);
  EXPECT_NE(engine.FindBlock("R", "Alpha"), nullptr);
  EXPECT_EQ(engine.FindBlock("R", "Beta"), nullptr);
  // Found by name and model when both are in the engine, whatever their order.
  auto extra = std::make_unique<CTULOBlock>();
  extra->m_strName = "R";
  extra->m_strModelName = "Beta";
  engine.m_blocks.Add(std::move(extra));
  auto before = std::make_unique<CTULOBlock>();
  before->m_strName = "R";
  before->m_strModelName = "Aardvark";
  engine.m_blocks.Add(std::move(before));
  engine.m_blocks.Sort(&CTULOBlock::CompareElements);
  for (const char* model : {"Alpha", "Beta", "Aardvark"}) EXPECT_NE(engine.FindBlock("R", model), nullptr) << model;
  EXPECT_EQ(engine.CountModelBlocks("ALPHA"), 1);
}

TEST_F(TuloTest, ParametersAreSentUnlessFixedOrSecondDerivative) {
  CTULOInstance& engine = Engine();
  std::string name = "P";
  ASSERT_EQ(engine.AddBlock(name, "M", "p.mdl", WriteModel("p.mdl", kReactor), kTuloStrev), kTuloBlockAdded);
  CTULOBlock* block = engine.FindBlock("P", "M");
  block->m_parameters[0]->m_dParameterValue = 0.5;
  block->m_parameters[3]->m_dParameterValue = 9;  // fixed
  ASSERT_TRUE(block->UpdateParameters(engine, true));
  auto puts = m_host.Get<int32_t (*)(char*, int32_t)>("TuloTest_GetParameterPuts");
  std::string text(static_cast<size_t>(puts(nullptr, 0)) + 1, '\0');
  puts(text.data(), static_cast<int32_t>(text.size()));
  EXPECT_EQ(std::string(text.c_str()), "P.PERT=0.5\nP.MODE=3\nP.LABEL=first run\n");
  EXPECT_EQ(block->m_strPerturbation, "0.5");
  EXPECT_EQ(engine.m_strPerturbationSize, "0.5");
  EXPECT_FALSE(block->UpdateParameter(engine, 99));
}

TEST_F(TuloTest, DeleteBlocksEmptiesTheEngineAndTellsTheHost) {
  CTULOInstance& engine = Engine();
  std::string name = "D";
  ASSERT_EQ(engine.AddBlock(name, "M", "d.mdl", WriteModel("d.mdl", kReactor), kTuloStrev), kTuloBlockAdded);
  EXPECT_TRUE(engine.DeleteBlocks());
  EXPECT_TRUE(engine.m_blocks.IsEmpty());
  EXPECT_TRUE(engine.m_variables.IsEmpty());
  EXPECT_NE(m_host.Commands().find("delete block D\n"), std::string::npos);

  ReleaseTuloInstance();
  m_host.Reset();
  fs::remove(m_root / "top" / "xeq" / kTuloHostLibraryName);
  CTULOInstance* down = GetTuloInstance();
  EXPECT_FALSE(IsTuloInitialized());
  EXPECT_TRUE(down->DeleteBlocks());
}

TEST_F(TuloTest, SuppressionAndControlReachEveryPart) {
  CTULOInstance& engine = Engine();
  std::string name = "S";
  ASSERT_EQ(engine.AddBlock(name, "M", "s.mdl", WriteModel("s.mdl", kReactor), kTuloStrev), kTuloBlockAdded);
  CTULOBlock* block = engine.FindBlock("S", "M");
  block->SetSuppressed(true);
  for (CTuloDefinedEquation* equation : block->m_equations) EXPECT_TRUE(equation->IsSuppressed(false));
  block->SendIncludeState(engine);
  block->SetSuppressed(false);
  block->SendIncludeState(engine);
  EXPECT_NE(m_host.Commands().find("exclude blocks S\ninclude blocks S\n"), std::string::npos);
  block->SetControlFlag(true);
  EXPECT_TRUE(block->m_ports[0]->m_variables[0]->m_bBlockControlVar);
  EXPECT_TRUE(block->m_internalVariables[0]->m_bBlockControlVar);
  EXPECT_TRUE(block->m_parameters[4]->m_bBlockControlVar);
}

// The engine's blocks of model "M" stored with a version.
std::string StoreBlocks(CTULOInstance& engine, const std::string& version, const std::string& modelDir) {
  std::ostringstream out;
  plat::Archive ar(out);
  engine.Archive("M", modelDir, true, ar, version);
  ar.Flush();
  return out.str();
}

std::int32_t Int32At(const std::string& bytes, size_t offset) {
  std::int32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

TEST_F(TuloTest, DataFileFieldsFollowTheVersion) {
  CTULOInstance& engine = Engine();
  const std::string modelDir = (m_root / "model").string();
  std::string name = "R";
  ASSERT_EQ(engine.AddBlock(name, "M", "r.mdl", WriteModel("r.mdl", kReactor), kTuloStrev), kTuloBlockAdded);
  engine.m_nInputOutputMap = 1;
  engine.m_strPerturbationSize = "1e-6";

  // File record: Expanded, [map from 16.25], count, [perturbation above 17.1.5].
  const std::string v1624 = StoreBlocks(engine, "16.24.0", modelDir);
  EXPECT_EQ(v1624[0], 1);
  EXPECT_EQ(Int32At(v1624, 1), 1);  // the block count
  const std::string v1625 = StoreBlocks(engine, "16.25.0", modelDir);
  EXPECT_EQ(Int32At(v1625, 1), 1);  // the map switch
  EXPECT_EQ(Int32At(v1625, 5), 1);  // the block count
  const std::string v1715 = StoreBlocks(engine, "17.1.5", modelDir);
  const std::string v1716 = StoreBlocks(engine, "17.1.6", modelDir);
  EXPECT_EQ(v1716.size() - v1715.size(), 1u + engine.m_strPerturbationSize.size());
  EXPECT_EQ(v1716[9], static_cast<char>(engine.m_strPerturbationSize.size()));
  EXPECT_EQ(v1716.substr(10, 4), "1e-6");
  // Block record: the third flag from 16.26 (one byte per block).
  EXPECT_EQ(StoreBlocks(engine, "16.26.0", modelDir).size() - v1625.size(), 1u);

  // The control flag from 19.7.59 on, in the version's own sense.
  const size_t without = StoreBlocks(engine, "19.7.58", modelDir).size();
  for (const char* version : {"19.7.59", "19.8.25", "19.9.112", "20.0.0"})
    EXPECT_EQ(StoreBlocks(engine, version, modelDir).size(), without + 1) << version;
  for (const char* version : {"19.8.24", "19.9.111"})
    EXPECT_EQ(StoreBlocks(engine, version, modelDir).size(), without) << version;

  // Parameters from 17.9; 17.9.0 to 17.9.3 keep no count.
  const size_t v178 = StoreBlocks(engine, "17.8.0", modelDir).size();
  const size_t v1792 = StoreBlocks(engine, "17.9.2", modelDir).size();
  const size_t v1794 = StoreBlocks(engine, "17.9.4", modelDir).size();
  EXPECT_GT(v1792, v178);
  EXPECT_GT(v1794, v1792 + 4);  // the count and the one record a 17.9.2 file leaves out
  EXPECT_EQ(StoreBlocks(engine, "17.5.0", modelDir).size(), v178);  // no control flag, no parameters
}

TEST_F(TuloTest, DataFilesRestoreTheBlocksOfAModel) {
  const std::string modelDir = (m_root / "model").string();
  const std::string path = WriteModel("r.mdl", kReactor);
  // Records inside a block are stored in their newest form, which a reader of a version
  // before 16.26 would not take; no such version is ever written.
  for (const char* version : {"16.26.0", "17.5.0", "17.9.2", "19.7.58", "20.0.0"}) {
    std::string bytes;
    {
      CTULOInstance& engine = Engine();
      std::string name = "R";
      ASSERT_EQ(engine.AddBlock(name, "M", "r.mdl", path, kTuloStrev), kTuloBlockAdded);
      CTULOBlock* block = engine.FindBlock("R", "M");
      block->SetSuppressed(true);
      block->m_bInputPortsExpanded = true;
      block->m_parameters[1]->m_nValue = 42;
      block->m_internalVariables[0]->m_dObjFn = 7.5;
      block->m_internalVariables[0]->m_periodicMin = {1.0, 2.0};
      block->m_ports[0]->m_variables[0]->m_nSwitchMode = 2;
      block->SetControlFlag(true);
      bytes = StoreBlocks(engine, version, modelDir);
    }
    ReleaseTuloInstance();
    m_host.Reset();
    CTULOInstance& engine = Engine();
    std::istringstream in(bytes);
    plat::Archive ar(in);
    engine.Archive("M", modelDir, true, ar, version);
    CTULOBlock* block = engine.FindBlock("R", "M");
    ASSERT_NE(block, nullptr) << version;
    EXPECT_TRUE(block->m_bIsSuppressed) << version;
    EXPECT_TRUE(block->m_equations[0]->IsSuppressed(false)) << version;
    EXPECT_TRUE(block->m_bInputPortsExpanded) << version;
    EXPECT_EQ(block->m_internalVariables[0]->m_dObjFn, 7.5) << version;
    EXPECT_EQ(block->m_internalVariables[0]->m_periodicMin, (std::vector<double>{1.0, 2.0})) << version;
    const bool newParameters = std::string(version) >= "17.9";
    EXPECT_EQ(block->m_parameters[1]->m_nValue, newParameters ? 42 : 3) << version;
    const bool control = std::string(version) == "20.0.0";
    EXPECT_EQ(block->m_bControlFlag, control) << version;
    EXPECT_EQ(block->m_ports[0]->m_variables[0]->m_nSwitchMode, 2) << version;
    EXPECT_NE(m_host.Commands().find("exclude blocks R\n"), std::string::npos) << version;
    ReleaseTuloInstance();
    m_host.Reset();
  }
}

TEST_F(TuloTest, ADamagedDataFileKeepsTheBlocksReadSoFar) {
  const std::string modelDir = (m_root / "model").string();
  std::string bytes;
  {
    CTULOInstance& engine = Engine();
    std::string a = "A";
    std::string b = "B";
    ASSERT_EQ(engine.AddBlock(a, "M", "a.mdl", WriteModel("a.mdl", kReactor), kTuloStrev), kTuloBlockAdded);
    ASSERT_EQ(engine.AddBlock(b, "M", "b.mdl", WriteModel("b.mdl", kReactor), kTuloStrev), kTuloBlockAdded);
    bytes = StoreBlocks(engine, "20.0.0", modelDir);
  }
  ReleaseTuloInstance();
  m_host.Reset();
  CTULOInstance& engine = Engine();
  std::istringstream in(bytes.substr(0, bytes.size() - 20));
  plat::Archive ar(in);
  engine.Archive("M", modelDir, true, ar, "20.0.0");
  EXPECT_NE(engine.FindBlock("A", "M"), nullptr);
  EXPECT_EQ(engine.m_blocks.GetSize(), 2);  // B was added before its record ran short
}

const char* const kModelWithExternalModels = R"(<VornConfiguration>
	<Version>20.0.0</Version>
	<ExternalModels>
		<Expanded>true</Expanded>
		<InputOutputMap>true</InputOutputMap>
		<PerturbationSize>1e-5</PerturbationSize>
		<ExternalModel>
			<Name>R</Name>
			<Path>r.mdl</Path>
			<ModelType>TULO_STREV</ModelType>
			<IsSuppressed>true</IsSuppressed>
			<Ports><Port><Name>IN</Name><Direction>PORT_INPUT</Direction><Expanded>false</Expanded></Port></Ports>
		</ExternalModel>
		<ExternalModel><Name>X</Name><Path>x.mdl</Path><ModelType>TULO_UNKNOWN</ModelType></ExternalModel>
	</ExternalModels>
</VornConfiguration>
)";

TEST_F(TuloTest, AModelWithExternalModelsLoadsSavesAndLoadsAgain) {
  WriteModel("r.mdl", kReactor);
  WriteModel("VornModel.vrnx", kModelWithExternalModels);
  const std::string parent = m_root.string();
  const fs::path before = fs::current_path();
  {
    CVornModelFile model;
    model.m_bSilent = true;
    ASSERT_TRUE(model.Load("model", parent, "", 0, true, false));
    EXPECT_EQ(fs::current_path(), before);
    CTULOInstance* engine = GetTuloInstance();
    ASSERT_EQ(engine->m_blocks.GetSize(), 1);
    CTULOBlock* block = engine->FindBlock("R", "model");
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(block->m_bIsSuppressed);
    EXPECT_FALSE(block->FindPort("IN")->m_bExpanded);
    EXPECT_EQ(block->m_inputs.GetSize(), 2);
    EXPECT_TRUE(model.m_keptSections.empty());

    ASSERT_TRUE(model.Save("20.0.0", "", false));
    EXPECT_TRUE(fs::exists(m_root / "model" / "externalmodel18.vrnb"));
    EXPECT_TRUE(fs::exists(m_root / "model" / "externalmodel.vrnb"));
    EXPECT_FALSE(fs::exists(m_root / "model" / "externalmodel18.vrnb.tmp~"));
  }
  ReleaseTuloInstance();
  m_host.Reset();
  CVornModelFile again;
  again.m_bSilent = true;
  ASSERT_TRUE(again.Load("model", parent, "", 0, true, false));
  CTULOBlock* block = GetTuloInstance()->FindBlock("R", "model");
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(block->m_bIsSuppressed);
  EXPECT_FALSE(block->FindPort("IN")->m_bExpanded);
  EXPECT_EQ(GetTuloInstance()->m_strPerturbationSize, "0.001");  // the block's PERT
}

TEST_F(TuloTest, WithoutTheHostTheSectionIsKeptAndWrittenBackUnchanged) {
  fs::remove(m_root / "top" / "xeq" / kTuloHostLibraryName);
  WriteModel("VornModel.vrnx", kModelWithExternalModels);
  CVornModelFile model;
  model.m_bSilent = true;
  ASSERT_TRUE(model.Load("model", m_root.string(), "", 0, true, false));
  ASSERT_EQ(model.m_keptSections.size(), 1u);
  plat::XmlDocument original;
  ASSERT_TRUE(original.LoadXml(kModelWithExternalModels));
  EXPECT_EQ(model.m_keptSections[0], original.DocumentElement().Child("ExternalModels").Xml());
  plat::XmlDocument out;
  plat::XmlNode root = out.AppendElement("VornConfiguration");
  ASSERT_TRUE(WriteExternalModelsData(model, root, "20.0.0"));
  model.WriteKeptSectionsXml(root);
  EXPECT_EQ(root.Child("ExternalModels").Xml(), model.m_keptSections[0]);
}

TEST_F(TuloTest, SkippedExternalModelsAreKeptAndTheEngineIsLeftAlone) {
  WriteModel("r.mdl", kReactor);
  WriteModel("VornModel.vrnx", kModelWithExternalModels);
  CTULOInstance& engine = Engine();
  std::string name = "OTHER";
  ASSERT_EQ(engine.AddBlock(name, "another", "r.mdl", (m_root / "model" / "r.mdl").string(), kTuloStrev),
            kTuloBlockAdded);
  {
    CVornModelFile model;
    model.m_bSilent = true;
    ASSERT_TRUE(model.Load("model", m_root.string(), "", 0, true, true));
    ASSERT_EQ(model.m_keptSections.size(), 1u);
    EXPECT_EQ(model.m_keptSections[0].rfind("<ExternalModels>", 0), 0u);
    EXPECT_EQ(engine.m_blocks.GetSize(), 1);  // the other model's block stays
  }
  {
    CVornModelFile neverLoaded;
  }
  EXPECT_TRUE(IsTuloInitialized());
  EXPECT_NE(engine.FindBlock("OTHER", "another"), nullptr);
}

TEST_F(TuloTest, AMissingDataFileKeepsTheSection) {
  const std::string text = "<VornConfiguration><Version>20.0.0</Version><ExternalModels><Expanded>true</Expanded>"
                           "<DataType>Binary</DataType></ExternalModels></VornConfiguration>";
  WriteModel("VornModel.vrnx", text);
  CVornModelFile model;
  model.m_bSilent = true;
  ASSERT_TRUE(model.Load("model", m_root.string(), "", 0, true, false));
  EXPECT_TRUE(IsTuloInitialized());
  EXPECT_EQ(model.m_keptSections,
            std::vector<std::string>{"<ExternalModels><Expanded>true</Expanded><DataType>Binary</DataType></ExternalModels>"});
}

// The real file system, except that replacing a data file fails half-way.
class CFailingDataFileSystem : public IModelFileSystem {
 public:
  CFailingDataFileSystem() : m_real(GetModelFileSystem()) {}
  bool Write(const std::string& path, const std::string& bytes) override {
    if (path.ends_with(".vrnb")) return false;
    return m_real.Write(path, bytes);
  }
  bool WriteBeside(const std::string& target, const std::string& bytes, std::string& temporary,
                   bool holdsSecret) override {
    return m_real.WriteBeside(target, bytes, temporary, holdsSecret);
  }
  bool Copy(const std::string& from, const std::string& to) override { return m_real.Copy(from, to); }
  bool Rename(const std::string& from, const std::string& to) override { return m_real.Rename(from, to); }
  bool Remove(const std::string& path) override { return m_real.Remove(path); }
  bool Exists(const std::string& path) override { return m_real.Exists(path); }
  bool Size(const std::string& path, std::uint64_t& size) override { return m_real.Size(path, size); }

 private:
  IModelFileSystem& m_real;
};

TEST_F(TuloTest, AFailedDataFileWriteLeavesThePreviousFile) {
  WriteModel("r.mdl", kReactor);
  WriteModel("VornModel.vrnx", kModelWithExternalModels);
  CVornModelFile model;
  model.m_bSilent = true;
  ASSERT_TRUE(model.Load("model", m_root.string(), "", 0, true, false));
  WriteModel("externalmodel18.vrnb", "previous");
  CFailingDataFileSystem failing;
  SetModelFileSystem(&failing);
  plat::XmlDocument doc;
  plat::XmlNode root = doc.AppendElement("VornConfiguration");
  EXPECT_FALSE(WriteExternalModelsData(model, root, "20.0.0"));
  SetModelFileSystem(nullptr);
  std::ifstream in(m_root / "model" / "externalmodel18.vrnb");
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "previous");
  EXPECT_TRUE(root.Child("ExternalModels").IsNull());
}

}  // namespace
