#pragma once
// Owning pointer arrays: arrays of pointers to heap objects that the array
// deletes on RemoveAll, RemoveAt, SetSize and destruction while
// m_bOwnsElements is not 0, with a per-array compare function to sort and to
// search.
//
//   CAutoDestructArray<CPtrArray, CServer*> servers;   // owns, compare of CServer
//   servers.Add(std::make_unique<CServer>(...));
//   servers.Sort(servers.m_pfnCompare);
//   CServer probe("name");
//   if (CServer* found = servers.Find(&probe)) ...
//   for (CServer* server : servers) ...
//
// An element type declares its one compare function as a static member
//   static int CompareElements(const void* slotA, const void* slotB);
// with qsort semantics: each argument points at an array slot (a T**);
// SlotElement<T>() unwraps one, CompareKeys() gives -1/0/1 for a key. Element
// types are deleted through their (virtual) destructor.

#include <concepts>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/exceptions.h"
#include "platform/object.h"

// The storage kind of the arrays' first template argument; pointer arrays are
// the only kind.
class CPtrArray;

// qsort/bsearch compare callback over two array slots.
using PFNPTRARRAYCOMPARE = int (*)(const void*, const void*);

// The element a compare callback's slot argument points at (may be null).
template <class T>
const T* SlotElement(const void* slot) {
  return *static_cast<const T* const*>(slot);
}

// -1, 0 or 1 as a orders before, equal to or after b.
template <class K>
int CompareKeys(const K& a, const K& b) {
  if (a < b) return -1;
  if (b < a) return 1;
  return 0;
}

inline int CompareKeys(const std::string& a, const std::string& b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

template <class T>
concept HasElementCompare = requires {
  { &T::CompareElements } -> std::convertible_to<PFNPTRARRAYCOMPARE>;
};

template <class BASE, class TYPE>
class CDestructableTypedPtrArray : public CObject {
  static_assert(std::is_same_v<BASE, CPtrArray>, "pointer arrays only");
  static_assert(std::is_pointer_v<TYPE>, "the element type is a pointer");

 public:
  using Element = std::remove_pointer_t<TYPE>;
  using iterator = typename std::vector<TYPE>::iterator;
  using const_iterator = typename std::vector<TYPE>::const_iterator;

  // Not 0: the array owns its elements and deletes them.
  int m_bOwnsElements = 1;

  CDestructableTypedPtrArray() = default;
  CDestructableTypedPtrArray(const CDestructableTypedPtrArray&) = delete;
  CDestructableTypedPtrArray& operator=(const CDestructableTypedPtrArray&) = delete;
  CDestructableTypedPtrArray(CDestructableTypedPtrArray&& other) noexcept
      : m_bOwnsElements(other.m_bOwnsElements), m_data(std::move(other.m_data)) {
    other.m_data.clear();
  }
  CDestructableTypedPtrArray& operator=(CDestructableTypedPtrArray&& other) noexcept {
    if (this != &other) {
      RemoveAll();
      m_bOwnsElements = other.m_bOwnsElements;
      m_data = std::move(other.m_data);
      other.m_data.clear();
    }
    return *this;
  }
  ~CDestructableTypedPtrArray() override { RemoveAll(); }

  // Deletes every non-null element in index order when owning (an element's
  // destructor may shrink the array), then empties the array.
  void RemoveAll() {
    if (m_bOwnsElements) {
      for (std::size_t i = 0; i < m_data.size(); ++i) {
        TYPE element = m_data[i];
        m_data[i] = nullptr;
        delete element;
      }
    }
    m_data.clear();
  }

  // Removes count slots from index on; when owning, every removed element is
  // deleted (after the slots are gone, so a destructor sees a consistent array).
  void RemoveAt(int index, int count = 1) {
    if (count < 0 || index < 0 || static_cast<std::size_t>(index) + count > m_data.size())
      throw CInvalidArgException("Array index out of range.");
    const auto first = m_data.begin() + index;
    std::vector<TYPE> removed;
    if (m_bOwnsElements) removed.assign(first, first + count);
    m_data.erase(first, first + count);
    for (TYPE element : removed) delete element;
  }

  // Takes the element at index out of an owning array without deleting it;
  // the caller owns it.
  std::unique_ptr<Element> DetachAt(int index) {
    if (!m_bOwnsElements) throw std::logic_error("DetachAt on an array that owns nothing");
    TYPE element = GetAt(index);
    m_data.erase(m_data.begin() + index);
    return std::unique_ptr<Element>(element);
  }

  int Add(TYPE element) {
    m_data.push_back(element);
    return static_cast<int>(m_data.size()) - 1;
  }
  int Add(std::unique_ptr<Element> element) {
    const int index = Add(element.get());
    element.release();
    return index;
  }

  // Inserts count copies of element before index; an index past the end grows
  // the array with null slots first.
  void InsertAt(int index, TYPE element, int count = 1) {
    if (index < 0 || count < 0) throw CInvalidArgException("Array index out of range.");
    if (static_cast<std::size_t>(index) > m_data.size()) m_data.resize(index, nullptr);
    m_data.insert(m_data.begin() + index, count, element);
  }

  // Overwrites a slot; the previous element is not deleted.
  void SetAt(int index, TYPE element) { ElementAt(index) = element; }

  // Grows the array to index + 1 null slots when needed, then sets the slot.
  void SetAtGrow(int index, TYPE element) {
    if (index < 0) throw CInvalidArgException("Array index out of range.");
    if (static_cast<std::size_t>(index) >= m_data.size()) m_data.resize(index + 1, nullptr);
    m_data[index] = element;
  }

  TYPE GetAt(int index) const { return m_data[CheckedIndex(index)]; }
  TYPE& ElementAt(int index) { return m_data[CheckedIndex(index)]; }
  TYPE operator[](int index) const { return GetAt(index); }
  TYPE& operator[](int index) { return ElementAt(index); }

  // Shrinking deletes the dropped elements when owning; growing adds null slots.
  void SetSize(int size) {
    if (size < 0) throw CInvalidArgException("Array size out of range.");
    if (static_cast<std::size_t>(size) < m_data.size())
      RemoveAt(size, static_cast<int>(m_data.size()) - size);
    else
      m_data.resize(size, nullptr);
  }

  int GetSize() const { return static_cast<int>(m_data.size()); }
  int GetCount() const { return GetSize(); }
  int GetUpperBound() const { return GetSize() - 1; }
  bool IsEmpty() const { return m_data.empty(); }
  void FreeExtra() { m_data.shrink_to_fit(); }

  TYPE* GetData() { return m_data.data(); }
  const TYPE* GetData() const { return m_data.data(); }

  iterator begin() { return m_data.begin(); }
  iterator end() { return m_data.end(); }
  const_iterator begin() const { return m_data.begin(); }
  const_iterator end() const { return m_data.end(); }

 protected:
  std::vector<TYPE> m_data;

 private:
  std::size_t CheckedIndex(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_data.size())
      throw CInvalidArgException("Array index out of range.");
    return static_cast<std::size_t>(index);
  }
};

template <class BASE, class TYPE>
class CSortableTypedPtrArray : public CDestructableTypedPtrArray<BASE, TYPE> {
  using Base = CDestructableTypedPtrArray<BASE, TYPE>;

 public:
  using Element = typename Base::Element;

  // The compare function of Sort, Find and LinearFind (see the file comment).
  PFNPTRARRAYCOMPARE m_pfnCompare = nullptr;

  CSortableTypedPtrArray() = default;
  explicit CSortableTypedPtrArray(PFNPTRARRAYCOMPARE compare) : m_pfnCompare(compare) {}

  // Stores compare and sorts the slots with it. Stable, and sound for any
  // compare function, also one that is not a strict ordering.
  void Sort(PFNPTRARRAYCOMPARE compare) {
    m_pfnCompare = compare;
    if (!compare || this->m_data.size() < 2) return;
    std::vector<TYPE> scratch(this->m_data.size());
    MergeSort(this->m_data.data(), scratch.data(), this->m_data.size(), compare);
  }

  // Adds element to an array already sorted with compare where Add followed by
  // Sort(compare) would put it (after every element equal to it), with a
  // binary search instead of a sort; stores compare as Sort does. Returns its
  // index. compare must be an ordering (as Find needs).
  int AddSorted(std::unique_ptr<Element> element, PFNPTRARRAYCOMPARE compare) {
    m_pfnCompare = compare;
    if (!compare) return this->Add(std::move(element));
    TYPE added = element.get();
    std::size_t low = 0;
    std::size_t high = this->m_data.size();
    while (low < high) {
      const std::size_t mid = low + (high - low) / 2;
      if (compare(&added, &this->m_data[mid]) < 0)
        high = mid;
      else
        low = mid + 1;
    }
    this->m_data.insert(this->m_data.begin() + static_cast<std::ptrdiff_t>(low), added);
    element.release();
    return static_cast<int>(low);
  }

  // Binary search of an array sorted with m_pfnCompare; returns one element
  // equal to probe, or null. Never sorts.
  Element* Find(const Element* probe) const {
    if (!m_pfnCompare) return nullptr;
    std::size_t low = 0;
    std::size_t high = this->m_data.size();
    while (low < high) {
      const std::size_t mid = low + (high - low) / 2;
      const int c = m_pfnCompare(&probe, &this->m_data[mid]);
      if (c == 0) return this->m_data[mid];
      if (c < 0)
        high = mid;
      else
        low = mid + 1;
    }
    return nullptr;
  }
  Element* Find(const Element& probe) const { return Find(&probe); }

  // The first element in index order equal to probe, or null; needs no sorting.
  Element* LinearFind(const Element* probe) const {
    if (!m_pfnCompare) return nullptr;
    for (const TYPE& slot : this->m_data)
      if (m_pfnCompare(&probe, &slot) == 0) return slot;
    return nullptr;
  }
  Element* LinearFind(const Element& probe) const { return LinearFind(&probe); }

 private:
  // Top-down merge sort; every loop is bounded by the run lengths, so a
  // compare function that contradicts itself cannot take it out of bounds.
  static void MergeSort(TYPE* data, TYPE* scratch, std::size_t n, PFNPTRARRAYCOMPARE compare) {
    if (n < 2) return;
    const std::size_t half = n / 2;
    MergeSort(data, scratch, half, compare);
    MergeSort(data + half, scratch, n - half, compare);
    std::size_t left = 0;
    std::size_t right = half;
    std::size_t out = 0;
    while (left < half && right < n) {
      if (compare(&data[right], &data[left]) < 0)
        scratch[out++] = data[right++];
      else
        scratch[out++] = data[left++];
    }
    while (left < half) scratch[out++] = data[left++];
    while (right < n) scratch[out++] = data[right++];
    for (std::size_t i = 0; i < n; ++i) data[i] = scratch[i];
  }
};

// The array that owners construct: owning from the start, with the element
// type's compare function.
template <class BASE, class TYPE>
class CAutoDestructArray : public CSortableTypedPtrArray<BASE, TYPE> {
  using Base = CSortableTypedPtrArray<BASE, TYPE>;

 public:
  using Element = typename Base::Element;

  CAutoDestructArray() : Base(DefaultCompare()) {}
  explicit CAutoDestructArray(PFNPTRARRAYCOMPARE compare) : Base(compare) {}
  CAutoDestructArray(CAutoDestructArray&&) noexcept = default;
  CAutoDestructArray& operator=(CAutoDestructArray&&) noexcept = default;

 private:
  static PFNPTRARRAYCOMPARE DefaultCompare() {
    if constexpr (HasElementCompare<Element>)
      return &Element::CompareElements;
    else
      return nullptr;
  }
};
