#pragma once

#include <cassert>
#include <cstdint>
#include <iterator>
#include <type_traits>

namespace voroquarn {

// Heap sort of entries 0 to NN-1, ascending by the key array s1; the entries of s2 and s3
// at the same index move with their key, so every (s1, s2, s3) triple stays together.
// Values are only compared and moved, never converted. Entries from NN on are untouched.
// Not stable: ties are broken by the fixed rules of the two phases below.
//
// The heap is a max-heap over 1-based positions; position p is array index p - 1.
template <class Count, class Keys, class Carried1, class Carried2>
void hSort(Count NN, Keys& s1, Carried1& s2, Carried2& s3)
{
    assert(NN <= 0 || static_cast<std::size_t>(NN) <= std::size(s1));
    assert(NN <= 0 || static_cast<std::size_t>(NN) <= std::size(s2));
    assert(NN <= 0 || static_cast<std::size_t>(NN) <= std::size(s3));

    // Heap positions, wide enough for any count.
    using Position = std::int64_t;
    struct Entry {
        std::remove_reference_t<decltype(s1[0])> key;
        std::remove_reference_t<decltype(s2[0])> a;
        std::remove_reference_t<decltype(s3[0])> b;
    };
    const auto key = [&](Position p) { return s1[static_cast<std::size_t>(p - 1)]; };
    const auto take = [&](Position p) {
        const auto at = static_cast<std::size_t>(p - 1);
        return Entry{s1[at], s2[at], s3[at]};
    };
    const auto put = [&](Position p, const Entry& e) {
        const auto at = static_cast<std::size_t>(p - 1);
        s1[at] = e.key;
        s2[at] = e.a;
        s3[at] = e.b;
    };
    const auto move = [&](Position to, Position from) { put(to, take(from)); };

    // Sifts t down from position j within a heap of n positions and stores it where it
    // comes to rest. Between equal children the left one is taken, or the right one
    // when rightOnTies; sifting stops at a child that is not larger than t.
    const auto siftDown = [&](const Entry& t, Position j, Position n, bool rightOnTies) {
        while (2 * j <= n) {
            Position k = 2 * j;
            if (k + 1 <= n && (rightOnTies ? key(k) <= key(k + 1) : key(k) < key(k + 1))) {
                k = k + 1;
            }
            if (key(k) <= t.key) {
                break;
            }
            move(j, k);
            j = k;
        }
        put(j, t);
    };

    // Build: sift every inner node down, preferring the left child on ties.
    for (Count i = NN / 2; i >= 1; --i) {
        siftDown(take(i), i, NN, false);
    }

    // Extract: move the maximum behind the shrinking heap and sift the displaced entry
    // down, preferring the right child on ties.
    for (Count m = static_cast<Count>(NN - 1); m >= 1; --m) {
        const Entry t = take(m + 1);
        move(m + 1, 1);
        siftDown(t, 1, m, true);
    }
}

}  // namespace voroquarn
