#include "standins/blend_model_library.h"

namespace {

class CNoBlendModel final : public IBlendModelLibrary {
 public:
  void MultiPlantInitialize(const std::int32_t*) override {}
  void MultiPlantAdd(const char*, std::int32_t, const char*, std::int32_t) override {}
  void MultiPlantRelease() override {}
  void Initialize(const char*, std::int32_t, void*, void*) override {}
  void SetCalc(const std::int32_t*, const char*, std::int32_t, const char*, std::int32_t, char* outputNames,
               std::int32_t* outputCount, std::int32_t outputSize, char* inputNames, std::int32_t inputSize,
               std::int32_t* inputCount,
               std::int32_t* calcHandle, void*, std::int32_t* itemWidth) override {
    if (outputNames && outputSize > 0) outputNames[0] = '\0';
    if (inputNames && inputSize > 0) inputNames[0] = '\0';
    if (outputCount) *outputCount = 0;
    if (inputCount) *inputCount = 0;
    if (calcHandle) *calcHandle = 0;
    if (itemWidth) *itemWidth = 3;
  }
  void DoCalc(const std::int32_t*, std::int32_t*, const std::int32_t*, const char*, std::int32_t, const char*,
              std::int32_t, const double*, double*, void*) override {}
  void Release() override {}
};

CNoBlendModel g_noBlendModel;
IBlendModelLibrary* g_library = &g_noBlendModel;

}  // namespace

IBlendModelLibrary& BlendModelLibrary() { return *g_library; }

void SetBlendModelLibrary(IBlendModelLibrary* library) { g_library = library ? library : &g_noBlendModel; }
