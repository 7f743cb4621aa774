#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace voroquarn {

// Items grouped by bucket in one array, each bucket's items in the order given (a
// counting sort): two passes over the items instead of a list for every bucket.
template <class Item>
class Buckets {
public:
    // `each(add)` calls add(bucket, item) for every item, the same calls both times it
    // is called: once to count, once to place. Buckets are below `count`.
    template <class Each>
    Buckets(std::size_t count, Each&& each) : start_(count + 1, 0)
    {
        each([&](std::size_t bucket, const Item&) { ++start_[bucket + 1]; });
        for (std::size_t b = 1; b < start_.size(); ++b) {
            start_[b] += start_[b - 1];
        }
        items_.resize(start_.back());
        std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
        each([&](std::size_t bucket, const Item& item) { items_[next[bucket]++] = item; });
    }

    std::span<const Item> operator[](std::size_t bucket) const
    {
        return std::span<const Item>(items_).subspan(start_[bucket], start_[bucket + 1] - start_[bucket]);
    }

private:
    std::vector<std::uint32_t> start_;
    std::vector<Item> items_;
};

}  // namespace voroquarn
