// The slot rules against a recorded visibility: the answers, and which slots are asked in which
// order (each question is a host call, so the sequence is part of the behaviour).
#include "core/slot_model.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "core/proxy_sync.h"

namespace huewarp {
namespace {

/// Slots in use; every question is logged as its slot number, every visit as its negation.
struct Visibility {
  std::set<int> shown;
  std::vector<int> log;
  auto Hidden() {
    return [this](int n) {
      log.push_back(n);
      return !shown.count(n);
    };
  }
};

/// from, from - 1, ..., to.
std::vector<int> Down(int from, int to) {
  std::vector<int> r;
  for (int n = from; n >= to; --n) r.push_back(n);
  return r;
}

TEST(SlotModel, AnswersAndQuestionsInOrder) {
  struct Case {
    std::set<int> shown;
    int removed, bound;
    int first, neighbour, highest;
    bool several;
    std::vector<int> first_asked, several_asked, neighbour_asked;
  } const cases[] = {
      // The lowest gap; the nearest in use below the removed slot.
      {{1, 2, 4}, 3, 5, 3, 2, 4, true, {1, 2, 3}, {1, 2}, {3, 2}},
      // None below: the lowest in use within the bound.
      {{4, 5}, 1, 5, 1, 4, 5, true, {1}, {1, 2, 3, 4, 5}, {1, 1, 2, 3, 4}},
      // Slots beyond the stored bound do not make several.
      {{1, 6, 7}, 2, 5, 2, 1, 7, false, {1, 2}, {1, 2, 3, 4, 5}, {2, 1}},
      // Only above the removed slot within the bound.
      {{3, 6}, 2, 5, 1, 3, 6, false, {1}, {1, 2, 3, 4, 5}, {2, 1, 1, 2, 3}},
      // Nothing in use: the neighbour and the highest fall back to slot 1.
      {{}, 2, 3, 1, 1, 1, false, {1}, {1, 2, 3}, {2, 1, 1, 2, 3}},
      {{1}, 1, 0, 2, 1, 1, false, {1, 2}, {}, {1}},
  };
  for (const Case &c : cases) {
    Visibility first{c.shown}, several{c.shown}, neighbour{c.shown}, highest{c.shown};
    EXPECT_EQ(FirstHiddenSlot(first.Hidden()), c.first) << c.removed;
    EXPECT_EQ(first.log, c.first_asked) << c.removed;
    EXPECT_EQ(SeveralSlotsInUse(c.bound, several.Hidden()), c.several) << c.removed;
    EXPECT_EQ(several.log, c.several_asked) << c.removed;
    EXPECT_EQ(NeighbourSlot(c.removed, c.bound, neighbour.Hidden()), c.neighbour) << c.removed;
    EXPECT_EQ(neighbour.log, c.neighbour_asked) << c.removed;
    // Asked from the top down to the answer.
    EXPECT_EQ(HighestSlotInUse(highest.Hidden()), c.highest) << c.removed;
    EXPECT_EQ(highest.log, Down(kMaxSlots, c.highest)) << c.removed;
  }
  Visibility all;
  for (int n = 1; n <= kMaxSlots; ++n) all.shown.insert(n);
  EXPECT_EQ(FirstHiddenSlot(all.Hidden()), 0);
  EXPECT_EQ(all.log.size(), std::size_t{kMaxSlots});
}

TEST(SlotModel, ForEachSlotInUseAsksEachSlotJustBeforeItsVisit) {
  Visibility v{{2, 4, 9}};
  ForEachSlotInUse(5, v.Hidden(), [&](int n) { v.log.push_back(-n); });
  EXPECT_EQ(v.log, (std::vector<int>{1, 2, -2, 3, 4, -4, 5}));
}

TEST(SlotModel, BoundsStayWithinTheSlots) {
  EXPECT_EQ(SlotBound(65535), kMaxSlots);
  EXPECT_EQ(LockedSlotCount(5, 3), 5);
  EXPECT_EQ(LockedSlotCount(3, 7), 7);
  EXPECT_EQ(LockedSlotCount(2, 150), kMaxSlots);
}

TEST(ProxySync, CopiesTheEditedSideAndTheFollowerTakesIt) {
  constexpr ProxyPair kLocked{7, 20, 222}, kFree{7, 20, 0};
  struct Case {
    ProxyPair pair;
    double last, proxy, slot;
    ProxySync sync;
  } const cases[] = {
      {kLocked, 50, 60, 50, {60, {20, 222}, 2, true}},
      {kFree, 50, 60, 50, {60, {20}, 1, true}},
      {kLocked, 50, 50, 42, {42, {7, 222}, 2, false}},
      {kFree, 50, 50, 42, {42, {7}, 1, false}},
      // Within the tolerance nothing moves, on either side.
      {kLocked, 50, 50.0009, 50.0005, {}},
      // A proxy edit wins over a differing slot.
      {kLocked, 50, 60, 42, {60, {20, 222}, 2, true}},
  };
  for (const Case &c : cases) {
    const ProxySync s = SyncOf(c.pair, c.last, c.proxy, c.slot);
    EXPECT_EQ(s.count, c.sync.count) << c.proxy << " " << c.slot;
    EXPECT_EQ(s.remember, c.sync.remember) << c.proxy << " " << c.slot;
    if (!s.count) continue;
    EXPECT_EQ(s.value, c.sync.value);
    EXPECT_EQ(s.targets, c.sync.targets);
  }
}

}  // namespace
}  // namespace huewarp
