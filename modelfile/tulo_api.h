#pragma once
// The host library's entry points as the engine resolved them (null when the
// library lacks one or is not loaded), for the engine and its blocks.

#include "standins/tulo_host_api.h"

struct TuloApi {
  PFN_API_CreateNewSimulation API_CreateNewSimulation = nullptr;
  PFN_API_SetMessageCallback API_SetMessageCallback = nullptr;
  PFN_API_SetEventCallback API_SetEventCallback = nullptr;
  PFN_API_ScriptExecute API_ScriptExecute = nullptr;
  PFN_API_UpdateSimulationStruct API_UpdateSimulationStruct = nullptr;
  PFN_API_SetEventSetFilter API_SetEventSetFilter = nullptr;
  PFN_API_CloseOneSimulation API_CloseOneSimulation = nullptr;
  PFN_API_GetNumberOfTULOBlocks API_GetNumberOfTULOBlocks = nullptr;
  PFN_API_GetBlockInfo API_GetBlockInfo = nullptr;
  PFN_API_GetBlockJacobianStruct API_GetBlockJacobianStruct = nullptr;
  PFN_API_GetEquationInfo API_GetEquationInfo = nullptr;
  PFN_API_GetEquationNameAndIncidentNonZeroInfo API_GetEquationNameAndIncidentNonZeroInfo = nullptr;
  PFN_API_GetVariableInfo API_GetVariableInfo = nullptr;
  PFN_API_GetVariableBound API_GetVariableLowerBound = nullptr;
  PFN_API_GetVariableBound API_GetVariableUpperBound = nullptr;
  PFN_API_GetVariableDescription API_GetVariableDescription = nullptr;
  PFN_API_GetBlockPortInfo API_GetBlockPortInfo = nullptr;
  PFN_API_GetBlockPortVariableInfo API_GetBlockPortVariableInfo = nullptr;
  PFN_API_GetBlockParameterAccess API_GetBlockParameterAccess = nullptr;
  PFN_API_GetBlockParameterInfo API_GetBlockParameterInfo = nullptr;
  PFN_API_PutBlockParameterValueByName API_PutBlockParameterValueByName = nullptr;
  PFN_API_Unused API_LoadUtilDef = nullptr;
  PFN_API_Unused API_FreeUtilDef = nullptr;
  PFN_API_Unused API_Solve = nullptr;
  PFN_API_Unused API_GetTULOBlockName = nullptr;
  PFN_API_Unused API_GetNumberOfNonZerosInCurrentSimulation = nullptr;
  PFN_API_Unused API_GetJacobianStruct = nullptr;
  PFN_API_Unused API_GetVariableName = nullptr;
  PFN_API_Unused API_GetNumberOfBlockParameters = nullptr;
  PFN_API_Unused API_PutBlockParameterValue = nullptr;
  PFN_API_Unused API_PutBlockParameterValues = nullptr;
  PFN_API_Unused API_GetSparseJacobianVector = nullptr;
  PFN_API_Unused API_GetResidualValues = nullptr;
  PFN_API_Unused API_PutVariableValue = nullptr;
  PFN_API_Unused API_PutVariableSpec = nullptr;
  PFN_API_Unused API_GetAllVariableValues = nullptr;
  PFN_API_Unused API_GetVariableValue = nullptr;
  PFN_API_Unused API_EvaluateSensitivityCalcs = nullptr;
  PFN_API_Unused API_GetPortInfoByName = nullptr;
};

// The process-wide entry points.
TuloApi& GetTuloApi();
