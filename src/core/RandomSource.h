#pragma once

#include <cstdint>
#include <optional>
#include <random>

namespace voroquarn {

// The run's random numbers: seeded once, then uniform values in [0, 1).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // The next uniform value, strictly below 1.
    virtual float nextUniform() = 0;
};

// A Mersenne twister. reseed() seeds it from the clock, or from the fixed seed given at
// construction, so that a seed reproduces the same values on every machine. A seed from
// the clock is a 32-bit seed like any other, so that it can be given back to replay.
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(std::optional<std::uint32_t> fixedSeed = std::nullopt);

    void reseed() override;
    float nextUniform() override;

    // The seed of the last reseed(); nothing before the first.
    std::optional<std::uint32_t> seed() const { return seed_; }

private:
    std::optional<std::uint32_t> fixedSeed_;
    std::optional<std::uint32_t> seed_;
    std::mt19937 engine_;
};

}  // namespace voroquarn
