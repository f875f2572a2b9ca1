// The bounded LRU under the data layer's caches: the least recently used entry leaves first, the byte
// budget holds after every insert, an entry heavier than the whole budget stays as the newest one only.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kiwi/core/BoundedLru.h"

namespace {

using Lru = BoundedLru<int, std::string>;

Lru byLength(size_t budget) {
    return Lru(budget, [](const std::string& value) { return value.size(); });
}

std::vector<int> keys(const Lru& lru) {
    std::vector<int> out;
    lru.ForEach([&](int key, const std::string&) { out.push_back(key); });
    return out;
}

} // namespace

TEST(BoundedLru, EvictsTheLeastRecentlyUsedFirst) {
    Lru lru = byLength(30);
    lru.Insert(1, std::string(10, 'a'));
    lru.Insert(2, std::string(10, 'b'));
    lru.Insert(3, std::string(10, 'c'));
    EXPECT_EQ(keys(lru), (std::vector<int>{3, 2, 1}));
    ASSERT_NE(lru.Find(1), nullptr); // 1 becomes the most recent; 2 is now the oldest
    EXPECT_EQ(keys(lru), (std::vector<int>{1, 3, 2}));
    lru.Insert(4, std::string(10, 'd'));
    EXPECT_EQ(lru.Find(2), nullptr);
    EXPECT_EQ(keys(lru), (std::vector<int>{4, 1, 3}));
    // Peek does not change the order.
    ASSERT_NE(lru.Peek(3), nullptr);
    EXPECT_EQ(keys(lru), (std::vector<int>{4, 1, 3}));
    EXPECT_EQ(*lru.MostRecent(), std::string(10, 'd'));
}

TEST(BoundedLru, KeepsWithinItsByteBudget) {
    Lru lru = byLength(100);
    for (int i = 0; i < 50; ++i) {
        lru.Insert(i, std::string(size_t(7 + i % 13), 'x'));
        EXPECT_LE(lru.HeldBytes(), lru.Budget());
    }
    size_t sum = 0;
    lru.ForEach([&](int, const std::string& value) { sum += value.size(); });
    EXPECT_EQ(sum, lru.HeldBytes());
    // Replacing a key counts the new weight only.
    lru.Clear();
    lru.Insert(1, std::string(40, 'a'));
    lru.Insert(1, std::string(20, 'b'));
    EXPECT_EQ(lru.Count(), 1u);
    EXPECT_EQ(lru.HeldBytes(), 20u);
    // A smaller budget drops the oldest entries at once.
    lru.Insert(2, std::string(30, 'c'));
    lru.Insert(3, std::string(30, 'd'));
    lru.SetBudget(60);
    EXPECT_EQ(keys(lru), (std::vector<int>{3, 2}));
    EXPECT_EQ(lru.HeldBytes(), 60u);
    EXPECT_TRUE(lru.Erase(2));
    EXPECT_FALSE(lru.Erase(2));
    EXPECT_EQ(lru.HeldBytes(), 30u);
}

TEST(BoundedLru, AnEntryLargerThanTheBudgetStaysOnlyAsTheNewest) {
    Lru lru = byLength(50);
    lru.Insert(1, std::string(20, 'a'));
    lru.Insert(2, std::string(20, 'b'));
    lru.Insert(3, std::string(80, 'c')); // alone over the budget: everything older goes, it stays
    EXPECT_EQ(keys(lru), (std::vector<int>{3}));
    EXPECT_EQ(lru.HeldBytes(), 80u);
    ASSERT_NE(lru.Find(3), nullptr);
    lru.Insert(4, std::string(10, 'd')); // the heavy entry is no longer the newest: it goes
    EXPECT_EQ(keys(lru), (std::vector<int>{4}));
    EXPECT_EQ(lru.HeldBytes(), 10u);
    lru.SetBudget(5); // the newest stays even when a smaller budget is set
    EXPECT_EQ(keys(lru), (std::vector<int>{4}));
}

TEST(BoundedLru, TakeOldestHandsBackWhatItHeld) {
    BoundedLru<int, std::unique_ptr<int>> lru(2, [](const std::unique_ptr<int>&) { return size_t(1); });
    EXPECT_FALSE(lru.TakeOldest());
    lru.Insert(1, std::make_unique<int>(10));
    lru.Insert(2, std::make_unique<int>(20));
    lru.Insert(3, std::make_unique<int>(30)); // 1 is evicted by the budget of two entries
    EXPECT_EQ(lru.Find(1), nullptr);
    auto oldest = lru.TakeOldest();
    ASSERT_TRUE(oldest && *oldest);
    EXPECT_EQ(**oldest, 20);
    EXPECT_EQ(lru.Count(), 1u);
    EXPECT_EQ(lru.HeldBytes(), 1u);
    EXPECT_EQ(**lru.Find(3), 30);
}
