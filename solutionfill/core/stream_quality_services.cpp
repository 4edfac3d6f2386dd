#include "solutionfill/core/stream_quality_services.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "modelfile/vorn_model_file.h"

namespace sq {

std::string Mid(const std::string& text, std::size_t pos, std::size_t count) {
  return pos < text.size() ? text.substr(pos, count) : std::string();
}

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Upper(const std::string& text) {
  std::string upper = text;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

bool IsSet(double value) {
  if (value == 1e30 || value == -1e30) return false;
  const float rounded = static_cast<float>(value);
  return rounded != 1.0e30f && rounded != -1.0e30f;
}

}  // namespace sq

namespace {

class CRecursedQualityRowNames : public CObject {
 public:
  std::vector<std::string> m_astrNames;
};

}  // namespace

std::vector<std::string>& RecursedQualityRowNames(CVornModelFile& model) {
  auto& objects = model.m_recursionData.m_objects;
  for (const auto& object : objects)
    if (auto* list = dynamic_cast<CRecursedQualityRowNames*>(object.get())) return list->m_astrNames;
  objects.push_back(std::make_unique<CRecursedQualityRowNames>());
  return static_cast<CRecursedQualityRowNames&>(*objects.back()).m_astrNames;
}
