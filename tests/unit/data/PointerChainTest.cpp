#include "data/chain/PointerChain.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A chain of n elements whose Data points at ints 1..n, so a returned pointer
// shows which position was reached.
struct NumberedChain {
  explicit NumberedChain(int n) : chain("Test") {
    for (int i = 1; i <= n; ++i)
      values.push_back(std::make_unique<int>(i));
    for (auto &v : values)
      chain.Add(v.get());
  }
  int At(int position) {
    auto *p = static_cast<int *>(chain.GetItem(position));
    return p ? *p : 0;
  }
  // Puts the cursor at a position and returns the steps a following access takes.
  uint64_t StepsFor(int cursor, int target) {
    At(cursor);
    EXPECT_EQ(chain.CurrentIndex(), cursor);
    uint64_t before = chain.StepCount();
    EXPECT_EQ(At(target), target);
    return chain.StepCount() - before;
  }
  std::vector<std::unique_ptr<int>> values;
  TPointerChain chain;
};

TEST(PointerChain, AddMakesNewNodeLastAndCursor) {
  TPointerChain chain("Tables");
  EXPECT_EQ(chain.Count(), 0);
  EXPECT_EQ(chain.CurrentIndex(), 0);
  int a = 1, b = 2;
  EXPECT_TRUE(chain.Add(&a));
  EXPECT_TRUE(chain.Add(&b));
  EXPECT_EQ(chain.Count(), 2);
  EXPECT_EQ(chain.CurrentIndex(), 2);
  EXPECT_EQ(chain.GetItem(1), &a);
  EXPECT_EQ(chain.GetItem(2), &b);
  EXPECT_EQ(chain.Name(), "Tables");
}

TEST(PointerChain, OutOfRangeGetLeavesCursorAlone) {
  NumberedChain c(5);
  c.At(3);
  for (int position : {0, -1, -100000, 6, 1000}) {
    EXPECT_EQ(c.chain.GetItem(position), nullptr) << position;
    EXPECT_EQ(c.chain.CurrentIndex(), 3) << position;
  }
  TPointerChain empty("Empty");
  EXPECT_EQ(empty.GetItem(1), nullptr);
  EXPECT_EQ(empty.CurrentIndex(), 0);
}

TEST(PointerChain, WalkStartsFromNearestOfCursorFirstLast) {
  NumberedChain c(10);
  // Forward target: 7 - 3 = 4 >= 10 - 7 = 3, so from Last: 3 steps back.
  EXPECT_EQ(c.StepsFor(3, 7), 3u);
  // 7 - 5 = 2 < 3: forwards from the cursor.
  EXPECT_EQ(c.StepsFor(5, 7), 2u);
  // Backward target: 8 - 4 = 4 >= 4 - 1 = 3, so from First: 3 steps forward.
  EXPECT_EQ(c.StepsFor(8, 4), 3u);
  // 6 - 4 = 2 < 3: backwards from the cursor.
  EXPECT_EQ(c.StepsFor(6, 4), 2u);
  // Far jumps go through the nearer end: 1 -> 9 is one step back from Last,
  // 10 -> 2 one step on from First.
  EXPECT_EQ(c.StepsFor(1, 9), 1u);
  EXPECT_EQ(c.StepsFor(10, 2), 1u);
  EXPECT_EQ(c.StepsFor(4, 4), 0u);
}

TEST(PointerChain, SequentialReadingCostsOneStepPerAccess) {
  NumberedChain c(1000);
  c.At(1);
  uint64_t before = c.chain.StepCount();
  for (int i = 1; i <= 1000; ++i)
    ASSERT_EQ(c.At(i), i);
  // One step per access, except the last: position 1000 is Last itself.
  EXPECT_EQ(c.chain.StepCount() - before, 998u);
  before = c.chain.StepCount();
  for (int i = 1000; i >= 1; --i)
    ASSERT_EQ(c.At(i), i);
  // Backwards the same: position 1 is First itself.
  EXPECT_EQ(c.chain.StepCount() - before, 998u);
}

TEST(PointerChain, SetItemReplacesDataOrResetsCursor) {
  NumberedChain c(4);
  int other = 42;
  c.chain.SetItem(3, &other);
  EXPECT_EQ(c.At(3), 42);
  EXPECT_EQ(*c.values[2], 3); // the old element is untouched
  c.At(4);
  c.chain.SetItem(9, &other);
  EXPECT_EQ(c.chain.CurrentIndex(), 1);
  c.At(4);
  c.chain.SetItem(0, &other);
  EXPECT_EQ(c.chain.CurrentIndex(), 1);
  for (int i : {1, 2, 4})
    EXPECT_EQ(c.At(i), i);
}

TEST(PointerChain, DeleteRulesAndCursorReset) {
  NumberedChain one(1);
  EXPECT_TRUE(one.chain.Delete(1));
  EXPECT_EQ(one.chain.Count(), 0);
  EXPECT_EQ(one.chain.CurrentIndex(), 0);
  EXPECT_FALSE(one.chain.Delete(1));
  EXPECT_EQ(one.chain.GetItem(1), nullptr);
  int x = 7;
  EXPECT_TRUE(one.chain.Add(&x)); // usable again after emptying
  EXPECT_EQ(one.chain.GetItem(1), &x);

  NumberedChain c(5);
  EXPECT_TRUE(c.chain.Delete(5)); // last position: previous node becomes Last
  EXPECT_EQ(c.chain.Count(), 4);
  EXPECT_EQ(c.chain.CurrentIndex(), 1);
  EXPECT_EQ(c.At(4), 4);
  EXPECT_EQ(c.chain.GetItem(5), nullptr);
  EXPECT_TRUE(c.chain.Delete(1)); // first position: next node becomes First
  EXPECT_EQ(c.At(1), 2);
  EXPECT_TRUE(c.chain.Delete(2)); // middle: neighbours joined
  EXPECT_EQ(c.chain.Count(), 2);
  EXPECT_EQ(c.At(1), 2);
  EXPECT_EQ(c.At(2), 4);
  c.At(2);
  EXPECT_FALSE(c.chain.Delete(3));
  EXPECT_EQ(c.chain.CurrentIndex(), 2); // beyond Count: nothing changes
  EXPECT_FALSE(c.chain.Delete(0));
  EXPECT_EQ(c.chain.CurrentIndex(), 1); // below 1: cursor reset to First
  EXPECT_FALSE(c.chain.Delete(-3));
  EXPECT_EQ(c.chain.Count(), 2);
}

TEST(PointerChain, DeletingFromTheEndWalksFromLast) {
  NumberedChain c(100);
  uint64_t before = c.chain.StepCount();
  for (int n = 100; n >= 1; --n)
    ASSERT_TRUE(c.chain.Delete(n));
  EXPECT_EQ(c.chain.StepCount(), before); // Last is always the nearest end
  EXPECT_EQ(c.chain.Count(), 0);
}

TEST(PointerChain, OwnerClearingProtocolAndDestroyLeaveDataAlive) {
  auto owned = std::make_shared<int>(5);
  std::weak_ptr<int> watch = owned;
  {
    TPointerChain chain("HyperLinks");
    for (int i = 0; i < 3; ++i)
      chain.Add(owned.get());
  }
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(*owned, 5);

  // The owner's three steps, from the last position down to 1.
  TPointerChain chain("IDbRecs");
  for (int i = 0; i < 3; ++i)
    chain.Add(new int(i));
  for (int n = chain.Count(); n >= 1; --n) {
    delete static_cast<int *>(chain.GetItem(n));
    chain.SetItem(n, nullptr);
    ASSERT_TRUE(chain.Delete(n));
  }
  EXPECT_EQ(chain.Count(), 0);
}

} // namespace
