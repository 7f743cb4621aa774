#pragma once

#include <cstddef>
#include <stop_token>

namespace voroquarn {

class Progress;
class WeightedDiagram;

// Builds the diagram to its end in slices of about `budget` units of work, telling
// `progress` after each what share of the area its cells cover (RunPhase::Diagram).
// Gives up, returning false, once `stop` asks it to.
bool buildDiagram(WeightedDiagram& diagram, Progress* progress, std::size_t budget = std::size_t{1} << 20U,
                  const std::stop_token& stop = {});

}  // namespace voroquarn
