// The blend-model control file and the blend-model library's calculation of
// one blend quality.

#include "solutionfill/core/kesh_control.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/solution_file.h"
#include "solutionfill/core/stream_quality_services.h"
#include "standins/blend_model_library.h"

namespace {

constexpr int kNameBufferSize = 400;
constexpr int kValueCount = 100;
constexpr int kWorkAreaSize = 1600;

// The integer of a 10-character field ("%d"); 0 when it holds no number.
std::int32_t FieldInt(const std::string& line, std::size_t pos) {
  const std::string field = sq::Mid(line, pos, 10);
  int value = 0;
  if (std::sscanf(field.c_str(), "%d", &value) != 1) return 0;
  return value;
}

// Integers of 10-character fields at 11 x i, stopping at the first field past the line's end.
std::vector<std::int32_t> LineInts(const std::string& line, int fields) {
  std::vector<std::int32_t> values;
  for (int i = 0; i < fields; ++i) {
    const std::size_t pos = 11 * static_cast<std::size_t>(i);
    if (pos >= line.size()) break;
    values.push_back(FieldInt(line, pos));
  }
  return values;
}

void AppendNames(const std::string& line, std::vector<std::string>& names) {
  for (std::size_t i = 0; i < 20; ++i) {
    const std::size_t pos = 4 * i;
    if (pos >= line.size()) break;
    std::string name = sq::Mid(line, pos, 4);
    name.erase(0, name.find_first_not_of(' ') == std::string::npos ? name.size() : name.find_first_not_of(' '));
    names.push_back(name);
  }
}

}  // namespace

void CKeshControl::Read(std::istream& in) {
  Clear();
  std::string line;
  int lineNumber = 0;
  std::vector<std::int32_t> groupValues;
  std::int32_t valueFields = 0;
  enum class Phase { Groups, FirstNames, QualityNames, Values, Done } phase = Phase::Groups;
  std::int64_t groupCount = 0;
  while (phase != Phase::Done && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++lineNumber;
    if (line.empty()) continue;
    if (lineNumber <= 3) {
      const int first = lineNumber == 1 ? 0 : (lineNumber == 2 ? 10 : 20);
      const std::vector<std::int32_t> values = LineInts(line, lineNumber == 1 ? 6 : 10);
      for (std::size_t i = 0; i < values.size(); ++i) m_anHeader[first + i] = values[i];
      if (lineNumber == 1)
        for (int i = 6; i < 10; ++i) m_anHeader[i] = 0;
      groupCount = std::max<std::int32_t>(0, m_anHeader[13]);
      continue;
    }
    if (phase == Phase::Groups && static_cast<std::int64_t>(groupValues.size()) >= 6 * groupCount)
      phase = Phase::FirstNames;
    if (phase == Phase::FirstNames && static_cast<std::int64_t>(m_astrFirstNames.size()) >= m_anHeader[11])
      phase = Phase::QualityNames;
    if (phase == Phase::QualityNames && static_cast<std::int64_t>(m_astrQualityNames.size()) >= m_anHeader[12])
      phase = Phase::Values;
    if (phase == Phase::Values && valueFields >= m_anHeader[10]) break;
    switch (phase) {
      case Phase::Groups:
        for (std::int32_t value : LineInts(line, 10))
          if (static_cast<std::int64_t>(groupValues.size()) < 6 * groupCount) groupValues.push_back(value);
        break;
      case Phase::FirstNames:
        AppendNames(line, m_astrFirstNames);
        break;
      case Phase::QualityNames:
        AppendNames(line, m_astrQualityNames);
        break;
      case Phase::Values:
        for (std::size_t i = 0; i < 8; ++i) {
          const std::size_t pos = 9 * i;
          if (pos >= line.size()) break;
          const std::string field = sq::Trim(sq::Mid(line, pos, 9));
          ++valueFields;
          if (!field.empty() && field[0] == 'E') m_astrEValues.push_back(field);
        }
        break;
      case Phase::Done:
        break;
    }
  }
  // Groups exist as far as their values were read: the count in the file is not trusted.
  const std::size_t groups = static_cast<std::size_t>(std::min<std::int64_t>(groupCount, groupValues.size()));
  m_aGroups.resize(groups);
  for (std::size_t field = 0; field < 6; ++field)
    for (std::size_t g = 0; g < groups; ++g) {
      const std::size_t index = field * groups + g;
      if (index < groupValues.size()) m_aGroups[g].m_anFields[field] = groupValues[index];
    }
}

const CKeshControl::Group* CKeshControl::FindGroup(const std::string& tag) const {
  std::int32_t first = 0;
  for (const Group& group : m_aGroups) {
    const std::int32_t last = std::min<std::int32_t>(group.LastName(), static_cast<std::int32_t>(m_astrQualityNames.size()));
    for (std::int32_t i = std::max(first, 0); i < last; ++i)
      if (m_astrQualityNames[i] == tag) return &group;
    first = group.LastName();
  }
  return nullptr;
}

bool IsNameInList(const CDbQuality& quality, const CKeshControl& control, bool groupTest) {
  const auto& names = control.m_astrQualityNames;
  const auto found = std::find(names.begin(), names.end(), quality.m_strName);
  if (found == names.end()) return false;
  if (!groupTest) return true;
  const std::int64_t position = (found - names.begin()) + 1;
  std::int64_t first = 0;
  for (const CKeshControl::Group& group : control.m_aGroups) {
    if (group.Code() < control.GroupCodeLimit() && position >= first && position <= group.LastName()) return true;
    first = static_cast<std::int64_t>(group.LastName()) + 1;
  }
  return false;
}

int CDbSolution::ReadKeshControl(CVornModelFile* modelFile, CKeshControl& control) {
  control.m_aGroups.clear();
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (!modelFile || !m_pDbData || (main && main->m_settings.m_UseZelunMGOn.GetValue() != 0)) return 0;
  const std::string path = m_pDbData->BuildFilePath(modelFile->m_strModelName, "KeshControl.dat");
  if (!FileExists(path, false)) return 0;
  std::ifstream in(path);
  if (!in) {
    control.m_aGroups.clear();
    ShowFormattedError1(kIdsCannotOpenSolverFile, path);
    return 2;
  }
  control.Read(in);
  if (in.bad()) {
    control.m_aGroups.clear();
    ShowFormattedError1(kIdsCannotOpenSolverFile, path);
    return 2;
  }
  return 1;
}

double CDbSolution::KeshCalcQuality(CDbModel* model, CDbQuality* quality, CDbBlend* blend, CDbPeriod* period,
                                    const CKeshControl& control) {
  if (!model || !quality || !blend || !period) return kDbNotSet;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  std::string plant = " ";
  const std::int32_t mainType = main ? main->m_settings.m_ModelType.GetValue() : 0;
  if ((mainType == 2 || mainType == 3) && m_pDbData->m_paLocalModelFiles && m_pDbData->m_pastrLocalModelCodes) {
    const auto& files = *m_pDbData->m_paLocalModelFiles;
    const auto& codes = *m_pDbData->m_pastrLocalModelCodes;
    for (int i = 0; i < files.GetSize(); ++i) {
      if (!files.GetAt(i) || files.GetAt(i)->m_strModelName != model->m_strModelName) continue;
      std::string code = static_cast<std::size_t>(i) < codes.size() ? codes[i] : std::string();
      if (main->m_settings.m_UseExtendedTagsOn.GetValue() != 0 && m_pDbData->m_pTagProcessor)
        code = m_pDbData->m_pTagProcessor->GetShortPlantTag(code);
      if (!code.empty()) plant = code.substr(0, 1);
      break;
    }
  }
  const CKeshControl::Group* group = control.FindGroup(quality->m_strName);
  if (!group) return kDbNotSet;
  const std::int32_t code = group->Code();
  const std::string blendTag = blend->m_strName.substr(0, 3);

  IBlendModelLibrary& library = BlendModelLibrary();
  char outputNames[kNameBufferSize + 1] = {};
  char inputNames[kNameBufferSize + 1] = {};
  char work[kWorkAreaSize] = {};
  std::int32_t outputCount = 0, inputCount = 0, handle = 0, width = 0;
  library.SetCalc(&code, blendTag.c_str(), static_cast<std::int32_t>(blendTag.size()), plant.c_str(),
                  static_cast<std::int32_t>(plant.size()), outputNames, &outputCount, kNameBufferSize, inputNames,
                  kNameBufferSize, &inputCount, &handle, work, &width);
  outputNames[kNameBufferSize] = inputNames[kNameBufferSize] = '\0';
  // Names wider than 3 or more names than the value arrays hold are not the library's contract.
  if (width <= 0 || width > 3) return kDbNotSet;
  double inputs[kValueCount];
  std::fill(inputs, inputs + kValueCount, kDbNotSet);
  double outputs[kValueCount];
  std::fill(outputs, outputs + kValueCount, kDbNotSet);
  const std::string inputList(inputNames);
  CollectBlendQualityValues(model, blend, period, inputList.substr(0, static_cast<std::size_t>(kValueCount) * width),
                            width, inputs);
  const std::int32_t one = 1;
  library.DoCalc(&code, &handle, &one, " ", 2, blendTag.c_str(), static_cast<std::int32_t>(blendTag.size()), inputs,
                 outputs, work);
  const std::string outputList(outputNames);
  const int items = std::min<int>(static_cast<int>(outputList.size()) / width, kValueCount);
  const std::string tag = sq::Trim(quality->m_strName);
  for (int k = 0; k < items; ++k)
    if (sq::Trim(outputList.substr(static_cast<std::size_t>(k) * width, width)) == tag) return outputs[k];
  return kDbNotSet;
}

void CDbSolution::CollectBlendQualityValues(CDbModel* model, CDbBlend* blend, CDbPeriod* period,
                                            const std::string& names, int width, double* values) {
  if (!model || !blend || !period || width <= 0 || !values) return;
  const int items = static_cast<int>(names.size()) / width;
  for (int k = 0; k < items && k < kValueCount; ++k) {
    values[k] = kDbNotSet;
    const std::string name = sq::Trim(names.substr(static_cast<std::size_t>(k) * width, width));
    const CDbQuality probe(name);
    const CDbQuality* quality = model->m_paQualities.Find(&probe);
    if (!quality) continue;
    bool found = false;
    for (const CDbStreamQuality* each : period->m_paStreamQualities)
      if (each && each->m_nID == blend->m_nID && each->m_nNodeID == model->m_nID &&
          each->m_nQualityID == quality->m_nID) {
        values[k] = each->m_dValue;
        found = true;
        break;
      }
    if (found) continue;
    for (const CDbBlendQuality* each : period->m_paBlendQualities)
      if (each && each->m_nID == blend->m_nID && each->m_nNodeID == model->m_nID &&
          each->m_nQualityID == quality->m_nID) {
        values[k] = each->m_dBlendValue;
        break;
      }
  }
}
