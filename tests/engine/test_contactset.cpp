// The contact set against a plain std::set: the same positions, ascending,
// whether it keeps them as a list or as bits, across the switch both ways
// and up to the highest position there is.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <vector>

#include "contactset.h"

using vintrop::ContactSet;

namespace {
// Everything the set answers, checked against the model.
::testing::AssertionResult SameAs(const ContactSet& s, const std::set<int16_t>& model, int16_t after,
                                  const std::vector<int16_t>& found) {
    const std::vector<int16_t> want(model.begin(), model.end());
    if (s.Ascending() != want || s.Size() != model.size()) return ::testing::AssertionFailure() << "positions differ";
    for (int16_t p : {int16_t(1), int16_t(63), int16_t(64), int16_t(65), after, int16_t(32767)})
        if (s.Contains(p) != (model.count(p) != 0)) return ::testing::AssertionFailure() << "Contains " << p;
    std::vector<int16_t> above(model.upper_bound(after), model.end()), expected, got{-1};
    std::set_union(found.begin(), found.end(), above.begin(), above.end(), std::back_inserter(expected));
    const bool any = s.UnionAbove(after, found.data(), found.data() + found.size(), got);
    if (any != !above.empty() || (any && got != expected))
        return ::testing::AssertionFailure() << "union above " << after;
    return ::testing::AssertionSuccess();
}
} // namespace

TEST(ContactSet, TurnsIntoBitsPastTheListsRoomAndBackWhenFarBelow) {
    // Positions 1..63 fit one word of bits: the list turns at kListMost + 1.
    ContactSet s;
    std::set<int16_t> model;
    for (int16_t p = 1; p <= int16_t(ContactSet::kListMost + 1); ++p) {
        EXPECT_FALSE(s.UsesBits()) << p;
        s.Add(p);
        model.insert(p);
        ASSERT_TRUE(SameAs(s, model, int16_t(p / 2), {int16_t(p / 2 + 1), 40}));
    }
    EXPECT_TRUE(s.UsesBits());
    // Position 2000 takes 32 words: back to a list at 16 positions (a list
    // of an eighth of the bits' room), not before.
    s.Add(2000);
    model.insert(2000);
    for (int16_t p = 1; p <= int16_t(ContactSet::kListMost + 1); ++p) {
        s.Remove(p);
        model.erase(p);
        ASSERT_TRUE(SameAs(s, model, 20, {21, 50}));
        EXPECT_EQ(s.UsesBits(), model.size() > 16) << model.size();
    }
}

TEST(ContactSet, MatchesASetOfPositionsUpToTheLastOne) {
    // Random adds and removals over every position, then over a pile's worth.
    std::mt19937 rng(7);
    for (int high : {100, 32767}) {
        ContactSet s;
        std::set<int16_t> model;
        std::uniform_int_distribution<int> pos(1, high);
        for (int step = 0; step < 3000; ++step) {
            const auto p = static_cast<int16_t>(step % 3 == 2 ? high : pos(rng));
            if (rng() % 3 == 0) {
                s.Remove(p);
                model.erase(p);
            } else {
                s.Add(p);
                model.insert(p);
            }
            const std::vector<int16_t> found = p < high ? std::vector<int16_t>{int16_t(high)} : std::vector<int16_t>{};
            if (step % 97 == 0) {
                ASSERT_TRUE(SameAs(s, model, p, found)) << high << " " << step;
            }
        }
        for (int p = 1; p <= high; ++p) {
            s.Add(static_cast<int16_t>(p));
            model.insert(static_cast<int16_t>(p));
        }
        EXPECT_TRUE(s.UsesBits());
        ASSERT_TRUE(SameAs(s, model, int16_t(high - 1), {}));
        s.ShiftAfterRemoval(1);
        model.erase(int16_t(high));
        ASSERT_TRUE(SameAs(s, model, 0, {}));
        s.Clear();
        EXPECT_TRUE(s.Empty() && !s.UsesBits() && !s.Contains(1));
    }
}
