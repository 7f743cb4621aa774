// Sorting the sites by weight with their coordinates carried along.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "diagram/sortByWeight.h"

namespace voroquarn {
namespace {

struct Arrays {
    std::vector<float> key;
    std::vector<double> a;
    std::vector<double> b;
};

Arrays sorted(Arrays in, int n)
{
    sortByWeight(static_cast<std::int16_t>(n), in.key, in.a, in.b);
    return in;
}

TEST(SortByWeight, BreaksTiesByItsTwoRules)
{
    // Equal weights come out in the order the two phases' rules decide: the build phase
    // prefers the left child on equal keys, the extract phase the right one. Each case
    // comes out in another order with either rule turned the other way round.
    struct Case {
        std::vector<float> key;
        std::vector<double> from;  // where each sorted entry stood, counted from 1
    };
    const Case cases[] = {
        {{1, 2, 2, 2}, {1, 4, 3, 2}},        // build rule turned: 1 2 4 3, extract rule: 1 3 4 2
        {{1, 2, 2, 1, 2}, {4, 1, 5, 3, 2}},  // build rule turned: 4 1 2 5 3, extract rule: 1 4 3 5 2
    };
    for (const Case& c : cases) {
        const int n = static_cast<int>(c.key.size());
        Arrays in{c.key, {}, {}};
        for (int k = 1; k <= n; ++k) {
            in.a.push_back(k);
            in.b.push_back(-k);
        }
        const Arrays out = sorted(in, n);
        EXPECT_TRUE(std::is_sorted(out.key.begin(), out.key.end()));
        EXPECT_EQ(out.a, c.from);
        for (int k = 0; k < n; ++k) {
            EXPECT_EQ(out.b[k], -out.a[k]);
        }
    }
}

TEST(SortByWeight, SortsOnlyTheFirstCountEntries)
{
    const Arrays two = sorted({{5, 3, 0}, {1, 2, 9}, {3, 4, 9}}, 2);
    EXPECT_EQ(two.key, (std::vector<float>{3, 5, 0}));
    EXPECT_EQ(two.a, (std::vector<double>{2, 1, 9}));
    EXPECT_EQ(two.b, (std::vector<double>{4, 3, 9}));

    for (int n : {0, 1}) {
        const Arrays in{{9, 1, 5}, {1, 2, 3}, {4, 5, 6}};
        const Arrays out = sorted(in, n);
        EXPECT_EQ(out.key, in.key);
        EXPECT_EQ(out.a, in.a);
    }
}

TEST(SortByWeight, SortsAnyInputAndKeepsEveryTripleIntact)
{
    std::mt19937 engine(7);
    std::uniform_real_distribution<float> weight(1, 1000);
    std::uniform_real_distribution<double> coordinate(-1e6, 1e6);
    for (int round = 0; round < 2000; ++round) {
        const int n = static_cast<int>(engine() % 12);
        Arrays in;
        for (int k = 0; k < n; ++k) {
            // Every third round draws keys from a tiny set, to exercise ties.
            const float key = round % 3 == 0 ? static_cast<float>(engine() % 3) : weight(engine);
            in.key.push_back(key);
            in.a.push_back(coordinate(engine));
            in.b.push_back(coordinate(engine));
        }
        if (round % 5 == 0) {
            std::sort(in.key.begin(), in.key.end());  // ascending already
        } else if (round % 5 == 1) {
            std::sort(in.key.begin(), in.key.end(), std::greater<>());
        }
        const Arrays out = sorted(in, n);

        std::vector<std::array<double, 3>> expected;
        std::vector<std::array<double, 3>> actual;
        for (int k = 0; k < n; ++k) {
            expected.push_back({in.key[k], in.a[k], in.b[k]});
            actual.push_back({out.key[k], out.a[k], out.b[k]});
        }
        ASSERT_TRUE(std::is_sorted(out.key.begin(), out.key.end()));
        // The same triples, each intact: as multisets the two lists agree.
        std::sort(expected.begin(), expected.end());
        std::sort(actual.begin(), actual.end());
        ASSERT_EQ(expected, actual);
    }
}

}  // namespace
}  // namespace voroquarn
