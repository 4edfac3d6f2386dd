#include "caseset/scenario/scenario_execution_logic.h"

#include <gtest/gtest.h>

#include "caseset/config/assembled_case.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "platform/xml_dom.h"
#include "standins/tresk.h"

namespace {

TEST(ScenarioExecutionLogic, ReadsTheLogicsSortedAndAttachesTheirFormulas) {
  CVornDbExportData exportData(nullptr);
  exportData.m_pModel = std::make_unique<CVornModelFile>();
  exportData.m_pModel->m_strModelName = "M";
  exportData.m_paAssembledCases = std::make_unique<CAssembledCaseArray>();
  for (int number : {3, 7}) {
    auto record = std::make_unique<CAssembledCase>(number, "M");
    record->m_strSelExp = "OBJFN > " + std::to_string(number);
    exportData.m_paAssembledCases->Add(std::move(record));
  }
  exportData.m_paAssembledCases->Sort(&CAssembledCase::CompareElements);
  plat::XmlDocument document;
  ASSERT_TRUE(document.LoadXml(
      "<ScenarioExecutionLogics>"
      "<ScenarioExecutionLogic><Case>4</Case><AssembledCase>7</AssembledCase><ParentCase>2</ParentCase>"
      "<BaseCase>1</BaseCase><SelFormulaTolerance>0.5</SelFormulaTolerance>"
      "<ModifiedExpression>old</ModifiedExpression><AssembledCase>9</AssembledCase></ScenarioExecutionLogic>"
      "<ScenarioExecutionLogic><Case>1</Case></ScenarioExecutionLogic>"
      "<Other/>"
      "<ScenarioExecutionLogic><AssembledCase>3</AssembledCase></ScenarioExecutionLogic>"
      "<ScenarioExecutionLogic><AssembledCase>5</AssembledCase></ScenarioExecutionLogic>"
      "</ScenarioExecutionLogics>"));
  exportData.ReadScenarioExecutionLogics(document.DocumentElement());
  const CScenarioLogicArray& logics = *exportData.m_paScenarioLogics;
  ASSERT_EQ(logics.GetSize(), 3);
  EXPECT_EQ(logics[0]->m_nAssembledCase, 3);
  EXPECT_EQ(logics[1]->m_nAssembledCase, 5);
  EXPECT_EQ(logics[1]->GetExpression(), "");  // no assembled case 5
  const CScenarioExecutionLogic& seventh = *logics[2];
  EXPECT_EQ(seventh.m_nCase, 4);
  EXPECT_EQ(seventh.m_nParentCase, 2);
  EXPECT_EQ(seventh.m_nBaseCase, 1);
  EXPECT_EQ(seventh.m_strSelFormulaTolerance, "0.5");
  EXPECT_EQ(seventh.m_strModifiedExpression, "old");
  EXPECT_EQ(seventh.GetExpression(), "OBJFN > 7");

  // The case-set row's search: its formula (in any letter case) and number.
  const CScenarioExecutionLogic probe("objfn > 7", 7);
  EXPECT_EQ(logics.Find(&probe), &seventh);
  const CScenarioExecutionLogic other("OBJFN > 7", 3);
  EXPECT_EQ(logics.Find(&other), nullptr);

  // Without a main model or a case set the list is still sorted, so it can be searched.
  CVornDbExportData bare(nullptr);
  bare.ReadScenarioExecutionLogics(document.DocumentElement());
  ASSERT_EQ(bare.m_paScenarioLogics->GetSize(), 3);
  EXPECT_EQ((*bare.m_paScenarioLogics)[0]->m_nAssembledCase, 3);
  EXPECT_EQ((*bare.m_paScenarioLogics)[2]->m_nAssembledCase, 7);
  const CScenarioExecutionLogic empty("", 5);
  EXPECT_EQ(bare.m_paScenarioLogics->Find(&empty), (*bare.m_paScenarioLogics)[1]);
}

TEST(ScenarioExecutionLogic, IdentifierGrammar) {
  struct Case {
    const char* identifier;
    std::uint32_t message;  // 0: passes; 1: the invalid BASE text
  } cases[] = {
      {"PURC:ABC:Activity", 0},
      {"Parent:Parent:CCAP:XYZ:PI:2", 0},
      {"Base:MaterialOutOfBalance:1", 0},
      {"purc:abc:activity", 0},
      {"Base::OBJFN", 0},
      {"Nonconverged", 0},
      {"PURC:ABC:PI", 2578},
      {"CCAP:XYZ:DJ", 2578},
      {"PURC:ABC", 2584},
      {"Infeasible:1", 2583},
      {"Parent:Base:OBJFN", 1},
      {"OBJFN:Base", 2575},
      {"Activity", 2577},
      {"PURC:SELL", 2577},
      {"ABC:PURC", 2580},
      {"Infeasible:OBJFN", 2579},
      {"OBJFN:Penalties", 2576},
      {"Parent", 2584},
  };
  for (const Case& c : cases) {
    CScenarioExecutionLogic logic(("1 + " + std::string(c.identifier)).c_str(), 1);
    CExpEval::Variable variable{c.identifier, 0.0};
    std::string error;
    try {
      logic.ValidateIdentifier(&variable);
    } catch (CExpEval::ErrorCode code) {
      EXPECT_EQ(code, CExpEval::kSyntax);
      error = logic.m_strError;
    }
    EXPECT_EQ(variable.value, 1e30) << c.identifier;
    const std::string expected = c.message == 0   ? ""
                                 : c.message == 1 ? "Error: Invalid BASE identifier"
                                                  : LoadTreskString(c.message);
    EXPECT_EQ(error, expected) << c.identifier;
  }
}

TEST(ScenarioExecutionLogic, CompilesAndEvaluatesASelectionFormula) {
  CScenarioExecutionLogic logic("OBJFN > 100 && !Infeasible", 1);
  int position = -1;
  ASSERT_TRUE(logic.Compile(&position)) << logic.m_strError;
  ASSERT_EQ(logic.GetTokenCount(), 7);
  const int kinds[] = {CExpEval::kVariable, CExpEval::kRelational, CExpEval::kNumber, CExpEval::kLogical,
                       CExpEval::kNot, CExpEval::kVariable, CExpEval::kEnd};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(logic.GetToken(i).kind, kinds[i]) << i;
  EXPECT_EQ(logic.m_strModifiedExpression, "OBJFN > 100 && !Infeasible");
  logic.GetVariable(0)->value = 150;
  logic.GetVariable(1)->value = 0;
  double value = 0;
  EXPECT_EQ(logic.Evaluate(&value), CExpEval::kOk);
  EXPECT_EQ(value, 1.0);

  // Keywords ignore case, variable names keep it.
  CScenarioExecutionLogic twice("PURC:ABC:Activity > purc:abc:activity", 1);
  ASSERT_TRUE(twice.Compile(&position)) << twice.m_strError;
  EXPECT_EQ(twice.GetVariableCount(), 2);
}

TEST(ScenarioExecutionLogic, CompileFailuresSayWhereAndWhy) {
  struct Case {
    const char* formula;
    std::string error;
    int position;
  } cases[] = {
      {"", LoadTreskString(2587), 0},
      {":OBJFN > 1", LoadTreskString(2589), 0},
      {"OBJFN # Infeasible", "Error: Illegal character", 6},
      {"OBJFN > 1 && PURC:ABC > 2", LoadTreskString(2584), 13},
      {"Infeasible && OBJFN:", LoadTreskString(2574) + " OBJFN:", 21},
  };
  for (const Case& c : cases) {
    CScenarioExecutionLogic logic(c.formula, 1);
    int position = -1;
    EXPECT_FALSE(logic.Compile(&position)) << c.formula;
    EXPECT_EQ(logic.m_strError, c.error) << c.formula;
    EXPECT_EQ(position, c.position) << c.formula;
    EXPECT_FALSE(logic.IsCompiled());
  }
}

TEST(ScenarioExecutionLogic, ToleranceWidensEachComparison) {
  struct Case {
    const char* tolerance;
    const char* formula;
    const char* modified;
  } cases[] = {
      {"", "A <= 5", "A <= 5"},
      {"0.0", "A <= 5", "A <= 5"},
      {"0.5", "A <= 5 && B == 2",
       "A <=((  5 ) + 0.5 ) && ( B  <= ((  2) + 0.5 )  && B  >= ((  2) - 0.5 )  )"},
      {"1", "(X > 10) || (Y < 3)", "(X >((  10) - 1 ) ) || (Y <((  3) + 1 ) )"},
      {"1", "A >= 5", "A >=((  5) - 1 ) "},
      {"1", "A&&B>1", "A&&B>1"},
      {"1", "A != 2", "( A  >= ((  2) + 1 )  || A  <= ((  2) - 1 )  )"},
  };
  for (const Case& c : cases) {
    CScenarioExecutionLogic logic(c.formula, 1);
    logic.SetSelFormulaTolerance(c.tolerance);
    EXPECT_EQ(logic.BuildModifiedExpression(c.formula), c.modified) << c.formula;
  }

  CScenarioExecutionLogic twoComparisons("(A < B) + (C > D)", 1);
  twoComparisons.SetSelFormulaTolerance("1");
  int position = -1;
  EXPECT_FALSE(twoComparisons.Compile(&position));
  EXPECT_EQ(twoComparisons.m_strError, LoadTreskString(2588));

  CScenarioExecutionLogic compiled("OBJFN <= 5", 1);
  compiled.SetSelFormulaTolerance("2");
  ASSERT_TRUE(compiled.Compile(&position)) << compiled.m_strError;
  compiled.GetVariable(0)->value = 6.5;
  double value = 0;
  compiled.Evaluate(&value);
  EXPECT_EQ(value, 1.0);

  // Unequal holds outside the tolerance band around the right operand, and only there.
  CScenarioExecutionLogic unequal("OBJFN != 10", 1);
  unequal.SetSelFormulaTolerance("1");
  ASSERT_TRUE(unequal.Compile(&position)) << unequal.m_strError;
  for (const auto& [objective, holds] : {std::pair{12.0, 1.0}, {8.5, 1.0}, {10.5, 0.0}, {9.5, 0.0}}) {
    unequal.GetVariable(0)->value = objective;
    unequal.Evaluate(&value);
    EXPECT_EQ(value, holds) << objective;
  }
}

TEST(ScenarioExecutionLogic, BalanceParenthesesCutsUnmatchedOnes) {
  EXPECT_EQ(CScenarioExecutionLogic::BalanceParentheses("(a) + (b)"), "(a) + (b)");
  EXPECT_EQ(CScenarioExecutionLogic::BalanceParentheses("((a (b) c"), "a (b) c");
  EXPECT_EQ(CScenarioExecutionLogic::BalanceParentheses("a) b) c"), "a");
}

}  // namespace
