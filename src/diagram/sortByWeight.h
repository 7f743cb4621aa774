#pragma once

#include <cassert>
#include <cstdint>
#include <iterator>
#include <type_traits>

namespace voroquarn {

// The heap sort the drawing run orders its sites with: entries 0 to count-1, ascending by
// weight; the x and y at the same index move with their weight, so every (weight, x, y)
// triple stays together. Values are only compared and moved, never converted. Entries
// from count on are untouched. Not stable: ties are broken by the fixed rules of the two
// phases below, which decide the order of equal weights and so the order of their pairs.
//
// The heap is a max-heap over 1-based positions; position p is array index p - 1.
template <class Count, class Weights, class Xs, class Ys>
void sortByWeight(Count count, Weights& weights, Xs& xs, Ys& ys)
{
    assert(count <= 0 || static_cast<std::size_t>(count) <= std::size(weights));
    assert(count <= 0 || static_cast<std::size_t>(count) <= std::size(xs));
    assert(count <= 0 || static_cast<std::size_t>(count) <= std::size(ys));

    // Heap positions, wide enough for any count.
    using Position = std::int64_t;
    struct Entry {
        std::remove_reference_t<decltype(weights[0])> weight;
        std::remove_reference_t<decltype(xs[0])> x;
        std::remove_reference_t<decltype(ys[0])> y;
    };
    const auto weight = [&](Position p) { return weights[static_cast<std::size_t>(p - 1)]; };
    const auto take = [&](Position p) {
        const auto at = static_cast<std::size_t>(p - 1);
        return Entry{weights[at], xs[at], ys[at]};
    };
    const auto put = [&](Position p, const Entry& e) {
        const auto at = static_cast<std::size_t>(p - 1);
        weights[at] = e.weight;
        xs[at] = e.x;
        ys[at] = e.y;
    };
    const auto move = [&](Position to, Position from) { put(to, take(from)); };

    // Sifts t down from position j within a heap of n positions and stores it where it
    // comes to rest. Between equal children the left one is taken, or the right one
    // when rightOnTies; sifting stops at a child that is not larger than t.
    const auto siftDown = [&](const Entry& t, Position j, Position n, bool rightOnTies) {
        while (2 * j <= n) {
            Position k = 2 * j;
            if (k + 1 <= n && (rightOnTies ? weight(k) <= weight(k + 1) : weight(k) < weight(k + 1))) {
                k = k + 1;
            }
            if (weight(k) <= t.weight) {
                break;
            }
            move(j, k);
            j = k;
        }
        put(j, t);
    };

    // Build: sift every inner node down, preferring the left child on ties.
    for (Count i = count / 2; i >= 1; --i) {
        siftDown(take(i), i, count, false);
    }

    // Extract: move the maximum behind the shrinking heap and sift the displaced entry
    // down, preferring the right child on ties.
    for (Count m = static_cast<Count>(count - 1); m >= 1; --m) {
        const Entry t = take(m + 1);
        move(m + 1, 1);
        siftDown(t, 1, m, true);
    }
}

}  // namespace voroquarn
