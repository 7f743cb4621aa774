#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace voroquarn {

// The parts of a run that can take long, in their order.
enum class RunPhase : std::uint8_t {
    None,     // nothing long under way
    Reading,  // the site file
    Diagram,  // finding which sites share a boundary where
    Filling,  // the regions' colours
    Drawing,  // the boundaries
    Writing,  // the output file
};

// How far a long run has got: its phase and the share of it done, set by the work as it
// goes, from whichever thread does it, and read by whoever shows it. Setting it is one
// relaxed store, cheap enough for every few thousand items of a loop.
class Progress {
public:
    struct State {
        RunPhase phase;
        double share;  // 0 to 1; below 0 where the phase's end is not known
    };

    // A share below 0, or none at all (NaN), says that the phase's end is not known.
    void set(RunPhase phase, double share) noexcept
    {
        const std::uint32_t part =
            share >= 0 ? static_cast<std::uint32_t>(std::min(share, 1.0) * STEPS) : UNKNOWN;
        state_.store(static_cast<std::uint32_t>(phase) << 24U | part, std::memory_order_relaxed);
    }

    State get() const noexcept
    {
        const std::uint32_t state = state_.load(std::memory_order_relaxed);
        const std::uint32_t part = state & UNKNOWN;
        return {static_cast<RunPhase>(state >> 24U), part == UNKNOWN ? -1.0 : static_cast<double>(part) / STEPS};
    }

private:
    // Phase and share in one word, so that a reader never sees one without the other.
    static constexpr std::uint32_t UNKNOWN = 0xFFFFFF;
    static constexpr double STEPS = 1e6;

    std::atomic<std::uint32_t> state_{0};
};

// Tells `progress` of the phase and share, where there is one to tell.
inline void report(Progress* progress, RunPhase phase, double share) noexcept
{
    if (progress != nullptr) {
        progress->set(phase, share);
    }
}

// The items of a phase done, one after another, told to a Progress, if any, at every
// 4096th only: a loop of small items says how far it is at no cost worth counting.
class ItemsDone {
public:
    ItemsDone(Progress* progress, RunPhase phase, std::size_t total) noexcept
        : progress_(progress), phase_(phase), total_(static_cast<double>(total))
    {
        report(progress, phase, 0);
    }

    // One more item done.
    void operator++() noexcept
    {
        if (progress_ != nullptr && ++done_ % 4096 == 0) {
            progress_->set(phase_, static_cast<double>(done_) / total_);
        }
    }

private:
    Progress* progress_;
    RunPhase phase_;
    double total_;
    std::size_t done_ = 0;
};

}  // namespace voroquarn
