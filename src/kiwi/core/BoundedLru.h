// The least-recently-used cache under every cache of the data layer: values keyed by Key, bounded by the
// bytes a weight function gives them. Not synchronised: its owner guards it with its own mutex.
#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <optional>
#include <unordered_map>
#include <utility>

template <typename Key, typename Value, typename Hash = std::hash<Key>> class BoundedLru {
public:
    using Weigh = std::function<size_t(const Value&)>;

    BoundedLru(size_t budget, Weigh weigh) : budget_(budget), weigh_(std::move(weigh)) {}
    BoundedLru(const BoundedLru&) = delete;
    BoundedLru& operator=(const BoundedLru&) = delete;

    // The value held for key, which becomes the most recently used; null when none is held. The pointer
    // stays valid until the entry is replaced, evicted or taken out.
    Value* Find(const Key& key) {
        // Repeated use of one entry (the same block or page again) costs one compare.
        if (!entries_.empty() && entries_.front().key == key) return &entries_.front().value;
        const auto found = index_.find(key);
        if (found == index_.end()) return nullptr;
        entries_.splice(entries_.begin(), entries_, found->second);
        return &found->second->value;
    }
    // Like Find, without changing the order.
    const Value* Peek(const Key& key) const {
        const auto found = index_.find(key);
        return found == index_.end() ? nullptr : &found->second->value;
    }
    // The most recently used value, or null.
    Value* MostRecent() { return entries_.empty() ? nullptr : &entries_.front().value; }

    // Keeps value under key as the most recently used entry (replacing one held under key), then drops the
    // least recently used entries until the budget holds. The new entry always stays, even when it alone
    // weighs more than the budget: the caller is about to use it.
    Value& Insert(const Key& key, Value value) {
        Erase(key);
        const size_t weight = weigh_(value);
        entries_.push_front(Entry{key, std::move(value), weight});
        index_.emplace(key, entries_.begin());
        held_ += weight;
        trim();
        return entries_.front().value;
    }
    // Takes the least recently used entry out (to reuse what it holds); nullopt when empty.
    std::optional<Value> TakeOldest() {
        if (entries_.empty()) return std::nullopt;
        Entry& last = entries_.back();
        std::optional<Value> value(std::move(last.value));
        held_ -= last.weight;
        index_.erase(last.key);
        entries_.pop_back();
        return value;
    }
    bool Erase(const Key& key) {
        const auto found = index_.find(key);
        if (found == index_.end()) return false;
        held_ -= found->second->weight;
        entries_.erase(found->second);
        index_.erase(found);
        return true;
    }
    void Clear() {
        entries_.clear();
        index_.clear();
        held_ = 0;
    }
    // Changes the budget and drops what no longer fits (the most recently used entry stays).
    void SetBudget(size_t budget) {
        budget_ = budget;
        trim();
    }

    size_t Budget() const { return budget_; }
    size_t HeldBytes() const { return held_; }
    size_t Count() const { return entries_.size(); }
    // Calls visit(key, value) from the most to the least recently used entry.
    template <typename Visit> void ForEach(Visit visit) const {
        for (const Entry& entry : entries_)
            visit(entry.key, entry.value);
    }

private:
    struct Entry {
        Key key;
        Value value;
        size_t weight;
    };

    void trim() {
        while (held_ > budget_ && entries_.size() > 1)
            TakeOldest();
    }

    size_t budget_;
    Weigh weigh_;
    size_t held_ = 0;
    // Most recently used first.
    std::list<Entry> entries_;
    std::unordered_map<Key, typename std::list<Entry>::iterator, Hash> index_;
};
