#pragma once
// The unified-tags wrapper of the utility library: it turns the full name of
// an LP row or column into the display name that the product's unified-tags
// manager gives it. The manager is a handle the result manager may hold
// (CDbManager::m_pUnifiedTags); nothing in this system makes one: a host that
// has such a manager attaches it, and without one the solution reader names
// rows and columns through the extended-tag processor.
//
// One wrapper per read:
//   IUnifiedTagsManagerWrapper::WrapperPtr wrapper = IUnifiedTagsManagerWrapper::CreateInstance();
//   wrapper->SetManager(handle);
//   wrapper->GetDisplayName(displayName, fullName);
// (the wrapper is destroyed through IUnifiedTagsManagerWrapper::Destroy when the pointer goes).

#include <memory>
#include <string>

class IUnifiedTagsManager {
 public:
  virtual ~IUnifiedTagsManager() = default;
  virtual std::string DisplayName(const std::string& fullName) const = 0;
};

namespace IUnifiedTagsManagerWrapper {

class CWrapper {
 public:
  void SetManager(const IUnifiedTagsManager* manager) { m_pManager = manager; }
  // Fills displayName and returns it: the manager's name for the full name,
  // or the full name itself while no manager is set.
  std::string& GetDisplayName(std::string& displayName, const std::string& fullName) const;

 private:
  const IUnifiedTagsManager* m_pManager = nullptr;
};

void Destroy(CWrapper* wrapper);

struct WrapperDestroyer {
  void operator()(CWrapper* wrapper) const { Destroy(wrapper); }
};
using WrapperPtr = std::unique_ptr<CWrapper, WrapperDestroyer>;

WrapperPtr CreateInstance();

}  // namespace IUnifiedTagsManagerWrapper
