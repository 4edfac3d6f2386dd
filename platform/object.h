#pragma once
// The common base of class hierarchies whose objects are owned through base
// pointers (the owning arrays delete their elements through it).

class CObject {
 public:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
  virtual ~CObject() = default;
};
