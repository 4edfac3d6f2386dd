#include "modelfile/model_table_key_reader.h"

namespace {
IModelTableKeyReader* g_pKeyReader = nullptr;
}  // namespace

IModelTableKeyReader* GetModelTableKeyReader() { return g_pKeyReader; }

IModelTableKeyReader* SetModelTableKeyReader(IModelTableKeyReader* reader) {
  IModelTableKeyReader* previous = g_pKeyReader;
  g_pKeyReader = reader;
  return previous;
}
