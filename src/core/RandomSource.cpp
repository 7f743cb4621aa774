#include "core/RandomSource.h"

#include <chrono>

namespace voroquarn {

SeededRandom::SeededRandom(std::optional<std::uint32_t> fixedSeed) : fixedSeed_(fixedSeed) {}

void SeededRandom::reseed()
{
    std::uint32_t seed = 0;
    if (fixedSeed_) {
        seed = *fixedSeed_;
    } else {
        // Fold the clock's full count into 32 bits so that both fast and slow bits matter.
        const auto ticks = static_cast<std::uint64_t>(
            std::chrono::system_clock::now().time_since_epoch().count());
        std::seed_seq seq{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32U)};
        seq.generate(&seed, &seed + 1);
    }
    seed_ = seed;
    engine_.seed(seed);
}

float SeededRandom::nextUniform()
{
    // The top 24 bits scaled by 2^-24: every value is exact in single precision and the
    // largest is 1 - 2^-24, so no rounding can reach 1.
    constexpr float scale = 1.0F / 16777216.0F;
    return static_cast<float>(engine_() >> 8U) * scale;
}

}  // namespace voroquarn
