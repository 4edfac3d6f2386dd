// The owning arrays' sort and lookup (the result build sorts once and finds
// for nearly every value it writes) and the settings block copy that restores
// a model's settings after every case.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "foundation/ptr_array.h"
#include "modelfile/model_settings.h"

namespace {

class Named : public CObject {
 public:
  explicit Named(std::string name) : m_name(std::move(name)) {}
  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<Named>(a)->m_name, SlotElement<Named>(b)->m_name);
  }
  std::string m_name;
};

void Fill(CAutoDestructArray<CPtrArray, Named*>& array, int n) {
  std::mt19937 random(7);
  for (int i = 0; i < n; ++i) array.Add(std::make_unique<Named>("S" + std::to_string(random())));
}

void BM_SortNamed(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    CAutoDestructArray<CPtrArray, Named*> array;
    Fill(array, static_cast<int>(state.range(0)));
    state.ResumeTiming();
    array.Sort(&Named::CompareElements);
    benchmark::DoNotOptimize(array.GetData());
    state.PauseTiming();
    array.RemoveAll();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SortNamed)->Range(1 << 10, 1 << 17)->Complexity(benchmark::oNLogN);

void BM_FindNamed(benchmark::State& state) {
  CAutoDestructArray<CPtrArray, Named*> array;
  Fill(array, static_cast<int>(state.range(0)));
  array.Sort(array.m_pfnCompare);
  Named probe("");
  int i = 0;
  for (auto _ : state) {
    probe.m_name = array[i]->m_name;
    benchmark::DoNotOptimize(array.Find(&probe));
    i = (i + 7919) % array.GetSize();
  }
}
BENCHMARK(BM_FindNamed)->Range(1 << 10, 1 << 17);

void BM_RestoreSettingsBlock(benchmark::State& state) {
  CModelSettings current;
  CModelSettings base;
  for (auto _ : state) {
    current.m_MAXPASS.SetValue(current.m_MAXPASS.GetValue() + 1);
    benchmark::DoNotOptimize(current.m_list.CopyFrom(&base.m_list, -1));
  }
}
BENCHMARK(BM_RestoreSettingsBlock);

void BM_BuildSettingsBlock(benchmark::State& state) {
  for (auto _ : state) {
    CModelSettings block;
    benchmark::DoNotOptimize(block.m_list.GetCount());
  }
}
BENCHMARK(BM_BuildSettingsBlock);

}  // namespace
