#include "modelfile/vorn_model_file.h"

#include "modelfile/tulo_instance.h"

CVornModelFile::CVornModelFile() {
  // The groups and variables are deleted by ReleaseUserEquations, each through its own class.
  m_userEquationGroups.m_bOwnsElements = 0;
  m_userEquationVariables.m_bOwnsElements = 0;
}

CVornModelFile::~CVornModelFile() {
  if (m_pExternalModelOwner == this && m_bOwnsExternalModels && IsTuloInitialized() && !m_bExternalModelsSkipped)
    ReleaseTuloInstance();
  ReleaseUserEquations();
  if (m_tableMapImage.IsLoaded()) m_tableMapImage.Release();
  if (m_tableFilImage.IsLoaded()) m_tableFilImage.Release();
  m_recObjects.RemoveAll();
  m_recursionData.Clear();
  ClearPvtwData(m_pvtwData);
  m_tableMapBuffers.Clear();
}
