#include "foundation/ptr_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

int g_destroyed = 0;
int g_compareCalls = 0;

// Counts its destructions; ordered by key, tag tells duplicates apart.
class Counted : public CObject {
 public:
  Counted(int key, int tag = 0) : m_key(key), m_tag(tag) {}
  ~Counted() override { ++g_destroyed; }
  static int CompareElements(const void* a, const void* b) {
    ++g_compareCalls;
    return CompareKeys(SlotElement<Counted>(a)->m_key, SlotElement<Counted>(b)->m_key);
  }
  int m_key;
  int m_tag;
};

using Array = CAutoDestructArray<CPtrArray, Counted*>;

class PtrArrayTest : public ::testing::Test {
 protected:
  void SetUp() override { g_destroyed = g_compareCalls = 0; }
  static void Fill(Array& array, std::initializer_list<int> keys) {
    int tag = 0;
    for (int key : keys) array.Add(std::make_unique<Counted>(key, tag++));
  }
};

TEST_F(PtrArrayTest, RemoveAllDeletesOnlyWhenOwning) {
  Array owning;
  Fill(owning, {1, 2, 3});
  owning.Add(static_cast<Counted*>(nullptr));  // null slots are skipped
  owning.RemoveAll();
  EXPECT_EQ(g_destroyed, 3);
  EXPECT_EQ(owning.GetSize(), 0);
  Fill(owning, {4});  // still usable
  EXPECT_EQ(owning.GetSize(), 1);

  Counted a(1), b(2);
  {
    Array borrowed;
    borrowed.m_bOwnsElements = 0;
    borrowed.Add(&a);
    borrowed.Add(&b);
    borrowed.RemoveAll();
    EXPECT_EQ(borrowed.GetSize(), 0);
    borrowed.Add(&a);
  }  // destroying a non-owning array leaves its elements alive
  EXPECT_EQ(g_destroyed, 3);
}

TEST_F(PtrArrayTest, RemoveAtDeletesEveryRemovedElementWhenOwning) {
  Array array;
  Fill(array, {10, 20, 30, 40, 50});
  array.RemoveAt(1, 3);
  EXPECT_EQ(g_destroyed, 3);
  ASSERT_EQ(array.GetSize(), 2);
  EXPECT_EQ(array[0]->m_key, 10);
  EXPECT_EQ(array[1]->m_key, 50);

  EXPECT_THROW(array.RemoveAt(1, 2), CInvalidArgException);
  EXPECT_THROW(array.RemoveAt(-1), CInvalidArgException);
  EXPECT_EQ(array.GetSize(), 2);
  EXPECT_EQ(g_destroyed, 3);

  array.m_bOwnsElements = 0;
  Counted* kept = array[0];
  array.RemoveAt(0);
  EXPECT_EQ(g_destroyed, 3);
  delete kept;

  array.m_bOwnsElements = 1;
  std::unique_ptr<Counted> detached = array.DetachAt(0);
  EXPECT_EQ(detached->m_key, 50);
  EXPECT_TRUE(array.IsEmpty());
  EXPECT_EQ(g_destroyed, 4);
}

TEST_F(PtrArrayTest, SetSizeShrinkDeletesDroppedElements) {
  Array array;
  Fill(array, {1, 2, 3});
  array.SetSize(1);
  EXPECT_EQ(g_destroyed, 2);
  array.SetSize(3);
  EXPECT_EQ(array[2], nullptr);
}

TEST_F(PtrArrayTest, BadIndexThrowsInvalidArgument) {
  Array array;
  Fill(array, {1});
  EXPECT_THROW(array.GetAt(1), CInvalidArgException);
  EXPECT_THROW(array[-1], CInvalidArgException);
  EXPECT_THROW(array.SetAt(5, nullptr), CInvalidArgException);
  const Array& constArray = array;
  EXPECT_THROW(constArray[1], CInvalidArgException);
  array.InsertAt(3, nullptr);  // past the end: grows with null slots
  EXPECT_EQ(array.GetSize(), 4);
}

// An element whose destructor removes the last element of its own array.
class Shrinker : public CObject {
 public:
  explicit Shrinker(CAutoDestructArray<CPtrArray, CObject*>* owner) : m_owner(owner) {}
  ~Shrinker() override {
    ++g_destroyed;
    if (m_owner->GetSize() > 1) m_owner->RemoveAt(m_owner->GetUpperBound());
  }
  CAutoDestructArray<CPtrArray, CObject*>* m_owner;
};

TEST_F(PtrArrayTest, ElementDestructorMayShrinkTheArray) {
  {
    CAutoDestructArray<CPtrArray, CObject*> array;
    for (int i = 0; i < 4; ++i) array.Add(std::make_unique<Shrinker>(&array));
  }
  EXPECT_EQ(g_destroyed, 4);
}

TEST_F(PtrArrayTest, FindOnSortedArray) {
  Array array;
  Counted probe(20);
  EXPECT_EQ(array.Find(&probe), nullptr);
  EXPECT_EQ(array.LinearFind(&probe), nullptr);
  EXPECT_EQ(g_compareCalls, 0);

  Fill(array, {30, 10, 20, 50, 40, 20});
  array.Sort(array.m_pfnCompare);
  for (int i = 1; i < array.GetSize(); ++i) EXPECT_LE(array[i - 1]->m_key, array[i]->m_key);
  for (int key : {10, 20, 30, 40, 50}) {
    Counted p(key);
    ASSERT_NE(array.Find(p), nullptr) << key;
    EXPECT_EQ(array.Find(p)->m_key, key);
  }
  for (int key : {0, 15, 60}) {
    Counted p(key);
    EXPECT_EQ(array.Find(p), nullptr) << key;
  }
}

TEST_F(PtrArrayTest, LinearFindReturnsFirstDuplicateAndSortIsStable) {
  Array array;
  Fill(array, {7, 3, 7, 3, 7});
  Counted probe(7);
  EXPECT_EQ(array.LinearFind(&probe)->m_tag, 0);
  array.Sort(&Counted::CompareElements);
  std::vector<int> tags;
  for (Counted* c : array) tags.push_back(c->m_tag);
  EXPECT_EQ(tags, (std::vector<int>{1, 3, 0, 2, 4}));
}

// Adding to a sorted array in place gives the order of Add and a full stable sort, duplicates after their equals.
TEST_F(PtrArrayTest, AddSortedPutsAnElementWhereAddAndSortWould) {
  std::mt19937 random(7);
  Array inPlace;
  Array sorted;
  for (int tag = 0; tag < 300; ++tag) {
    const int key = static_cast<int>(random() % 40);
    const int at = inPlace.AddSorted(std::make_unique<Counted>(key, tag), &Counted::CompareElements);
    EXPECT_EQ(inPlace[at]->m_tag, tag);
    sorted.Add(std::make_unique<Counted>(key, tag));
    sorted.Sort(&Counted::CompareElements);
  }
  ASSERT_EQ(inPlace.GetSize(), sorted.GetSize());
  for (int i = 0; i < inPlace.GetSize(); ++i) {
    EXPECT_EQ(inPlace[i]->m_key, sorted[i]->m_key) << i;
    EXPECT_EQ(inPlace[i]->m_tag, sorted[i]->m_tag) << i;
  }
  EXPECT_EQ(inPlace.m_pfnCompare, &Counted::CompareElements);
  Counted probe(inPlace[150]->m_key);
  EXPECT_NE(inPlace.Find(&probe), nullptr);

  // Without a compare function it is Add.
  Array plain(nullptr);
  plain.AddSorted(std::make_unique<Counted>(5), nullptr);
  EXPECT_EQ(plain.AddSorted(std::make_unique<Counted>(1), nullptr), 1);
}

int InconsistentCompare(const void*, const void*) {
  static std::mt19937 random(42);
  return static_cast<int>(random() % 3) - 1;
}

TEST_F(PtrArrayTest, SortSurvivesACompareThatIsNotAnOrdering) {
  Array array;
  for (int i = 0; i < 1000; ++i) array.Add(std::make_unique<Counted>(i));
  array.Sort(&InconsistentCompare);
  std::vector<int> keys;
  for (Counted* c : array) keys.push_back(c->m_key);
  std::sort(keys.begin(), keys.end());
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(keys[i], i);
  EXPECT_EQ(array.m_pfnCompare, &InconsistentCompare);
}

TEST_F(PtrArrayTest, MoveTransfersOwnership) {
  Array source;
  Fill(source, {1, 2});
  Array target(std::move(source));
  EXPECT_EQ(source.GetSize(), 0);
  EXPECT_EQ(target.GetSize(), 2);
  Array other;
  Fill(other, {3});
  other = std::move(target);  // deletes other's own element
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(other.GetSize(), 2);
}

}  // namespace
