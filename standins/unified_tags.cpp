#include "standins/unified_tags.h"

namespace IUnifiedTagsManagerWrapper {

std::string& CWrapper::GetDisplayName(std::string& displayName, const std::string& fullName) const {
  displayName = m_pManager ? m_pManager->DisplayName(fullName) : fullName;
  return displayName;
}

void Destroy(CWrapper* wrapper) { delete wrapper; }

WrapperPtr CreateInstance() { return WrapperPtr(new CWrapper()); }

}  // namespace IUnifiedTagsManagerWrapper
