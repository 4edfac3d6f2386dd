#pragma once
// The engine's blend-model library as the solution fill calls it: seven
// entry points, in-process. The library itself is closed; the stand-in
// installed by default keeps no model and computes nothing (a calculation
// names no outputs), so every quality it is asked for stays not set. A host
// or a test installs its own implementation with SetBlendModelLibrary.

#include <cstdint>

class IBlendModelLibrary {
 public:
  virtual ~IBlendModelLibrary() = default;

  virtual void MultiPlantInitialize(const std::int32_t* localModelCount) = 0;
  virtual void MultiPlantAdd(const char* modelName, std::int32_t nameLength, const char* code,
                             std::int32_t codeLength) = 0;
  virtual void MultiPlantRelease() = 0;
  virtual void Initialize(const char* caseText, std::int32_t caseTextSize, void* caseBlock, void* caseHandle) = 0;
  // Fills outputNames and inputNames (NUL-terminated, names of *itemWidth
  // characters each, at most the given sizes) and sets *calcHandle.
  virtual void SetCalc(const std::int32_t* groupCode, const char* blendTag, std::int32_t blendLength,
                       const char* plant, std::int32_t plantLength, char* outputNames, std::int32_t* outputCount,
                       std::int32_t outputSize, char* inputNames, std::int32_t inputSize, std::int32_t* inputCount,
                       std::int32_t* calcHandle, void* workArea, std::int32_t* itemWidth) = 0;
  // outputValues[k] belongs to the k-th name of the output names of SetCalc.
  virtual void DoCalc(const std::int32_t* groupCode, std::int32_t* calcHandle, const std::int32_t* one,
                      const char* text, std::int32_t textSize, const char* blendTag, std::int32_t blendLength,
                      const double* inputValues, double* outputValues, void* workArea) = 0;
  virtual void Release() = 0;
};

// The library in use (never null); library null puts the stand-in back.
IBlendModelLibrary& BlendModelLibrary();
void SetBlendModelLibrary(IBlendModelLibrary* library);
