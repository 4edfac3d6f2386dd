#pragma once
// The C interface of the external-model host library: 39 entry points, all
// plain C values. A "bool" result is a byte that is non-zero on success; `h`
// is a simulation handle; block, equation, variable and port numbers are the
// host's own. Every text buffer comes with its size, and the host never
// writes beyond it (texts are cut and ended with a zero byte).

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t TuloBool;

// A small variant: the value types a block parameter can have.
enum TuloVariantType {
  TULO_VT_EMPTY = 0,
  TULO_VT_I4 = 3,
  TULO_VT_R8 = 5,
  TULO_VT_BSTR = 8,
  TULO_VT_BOOL = 11,
  TULO_VT_INT = 22,
  TULO_VT_BSTR_ARRAY = 0x2008
};

typedef struct TuloVariant {
  int32_t vt;
  int32_t boolVal;      // TULO_VT_BOOL: -1 true, 0 false
  int32_t intVal;       // TULO_VT_I4, TULO_VT_INT
  double dblVal;        // TULO_VT_R8
  // TULO_VT_BSTR: text; TULO_VT_BSTR_ARRAY: count texts. Given out by the host,
  // they stay valid until the next call on the same simulation; given in,
  // the caller owns them.
  const char* text;
  const char* const* texts;
  int32_t count;
} TuloVariant;

typedef void (*TuloMessageCallback)(const char* text);
typedef void (*TuloEventCallback)(int32_t handle, int32_t event, const uint8_t* eventData32);

// Resolved and called.
typedef int32_t (*PFN_API_CreateNewSimulation)(const char* name, int32_t flags);
typedef TuloBool (*PFN_API_SetMessageCallback)(TuloMessageCallback callback);
typedef TuloBool (*PFN_API_SetEventCallback)(int32_t h, TuloEventCallback callback);
typedef TuloBool (*PFN_API_ScriptExecute)(int32_t h, const char* command);
typedef void (*PFN_API_UpdateSimulationStruct)(int32_t h);
typedef void (*PFN_API_SetEventSetFilter)(int32_t h, int32_t mask);
typedef void (*PFN_API_CloseOneSimulation)(int32_t h);
typedef int32_t (*PFN_API_GetNumberOfTULOBlocks)(int32_t h);
// info: eleven values; [1] and [2] the first and last equation numbers, [6]
// the Jacobian non-zero count, [7] the number of the first non-zero, [9] the
// port count, [10] the parameter count.
typedef TuloBool (*PFN_API_GetBlockInfo)(int32_t h, int32_t block, char* name, int32_t nameSize, int32_t* info11);
// Arrays of count elements: rows, variable number of each non-zero, flags.
typedef TuloBool (*PFN_API_GetBlockJacobianStruct)(int32_t h, int32_t block, int32_t count, int32_t* rows,
                                                    int32_t* variables, uint8_t* flags);
typedef TuloBool (*PFN_API_GetEquationInfo)(int32_t h, int32_t equation, char* name, int32_t nameSize, double* lower,
                                             double* upper, int32_t* status, uint8_t* flag1, uint8_t* flag2,
                                             uint8_t* flag3, int32_t* sense);
// The equation's non-zero positions (1-based, counted over the simulation)
// in an array the host allocates with malloc and the caller frees with free.
typedef int32_t* (*PFN_API_GetEquationNameAndIncidentNonZeroInfo)(int32_t h, int32_t equation, char* name,
                                                                   int32_t nameSize, int32_t* count, uint8_t* flag,
                                                                   const char* blockName);
typedef TuloBool (*PFN_API_GetVariableInfo)(int32_t h, int32_t variable, char* name, int32_t nameSize, double* value,
                                             int32_t* kind, char* buffer1, char* buffer2, int32_t bufferSize);
typedef TuloBool (*PFN_API_GetVariableBound)(int32_t h, int32_t variable, double* bound);
typedef TuloBool (*PFN_API_GetVariableDescription)(int32_t h, int32_t variable, char* text, int32_t textSize);
// name: the port name prefixed with the block name and a dot; direction 1
// input, 2 output.
typedef TuloBool (*PFN_API_GetBlockPortInfo)(int32_t h, int32_t block, int32_t port, char* name, int32_t nameSize,
                                              int32_t* direction, int32_t* variableCount);
// names: count buffers of nameSize characters each (count as the port info gave).
typedef TuloBool (*PFN_API_GetBlockPortVariableInfo)(int32_t h, int32_t block, int32_t port, int32_t count,
                                                      char* names, int32_t nameSize, int32_t* numbers);
typedef TuloBool (*PFN_API_GetBlockParameterAccess)(int32_t h, int32_t block, int32_t index, int32_t* access);
typedef TuloBool (*PFN_API_GetBlockParameterInfo)(int32_t h, int32_t block, int32_t index, char* name,
                                                   int32_t nameSize, TuloVariant* value, char* description,
                                                   int32_t descriptionSize, char* buffer, int32_t bufferSize);
typedef TuloBool (*PFN_API_PutBlockParameterValueByName)(int32_t h, const char* blockName, const char* parameter,
                                                          const TuloVariant* value);

// Resolved and never called by the system; the host answers them with failure.
typedef TuloBool (*PFN_API_Unused)(void);

#ifdef __cplusplus
}
#endif

// The names of the 39 entry points, in the order the engine resolves them.
#define TULO_API_ENTRY_POINTS(X)                                                                               \
  X(API_CreateNewSimulation) X(API_SetMessageCallback) X(API_SetEventCallback) X(API_ScriptExecute)           \
  X(API_UpdateSimulationStruct) X(API_SetEventSetFilter) X(API_CloseOneSimulation) X(API_GetNumberOfTULOBlocks) \
  X(API_GetBlockInfo) X(API_GetBlockJacobianStruct) X(API_GetEquationInfo)                                    \
  X(API_GetEquationNameAndIncidentNonZeroInfo) X(API_GetVariableInfo) X(API_GetVariableLowerBound)            \
  X(API_GetVariableUpperBound) X(API_GetVariableDescription) X(API_GetBlockPortInfo)                          \
  X(API_GetBlockPortVariableInfo) X(API_GetBlockParameterAccess) X(API_GetBlockParameterInfo)                 \
  X(API_PutBlockParameterValueByName) X(API_LoadUtilDef) X(API_FreeUtilDef) X(API_Solve)                      \
  X(API_GetTULOBlockName) X(API_GetNumberOfNonZerosInCurrentSimulation) X(API_GetJacobianStruct)              \
  X(API_GetVariableName) X(API_GetNumberOfBlockParameters) X(API_PutBlockParameterValue)                      \
  X(API_PutBlockParameterValues) X(API_GetSparseJacobianVector) X(API_GetResidualValues)                      \
  X(API_PutVariableValue) X(API_PutVariableSpec) X(API_GetAllVariableValues) X(API_GetVariableValue)          \
  X(API_EvaluateSensitivityCalcs) X(API_GetPortInfoByName)
