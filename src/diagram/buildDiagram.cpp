#include "diagram/buildDiagram.h"

#include "core/Progress.h"
#include "diagram/WeightedDiagram.h"

namespace voroquarn {

bool buildDiagram(WeightedDiagram& diagram, Progress* progress, std::size_t budget, const std::stop_token& stop)
{
    // The cells cover the area without overlap, and for sites spread alike the work goes
    // with the area they cover.
    const SiteCells& cells = diagram.cells();
    const ClipArea& area = cells.area();
    const double whole = (area.right - area.left) * (area.bottom - area.top);
    double covered = 0;
    std::size_t counted = 0;
    while (!diagram.build(budget)) {
        if (stop.stop_requested()) {
            return false;
        }
        if (progress == nullptr) {
            continue;
        }
        for (; counted < cells.leaves().size(); ++counted) {
            const ClipArea& box = cells.leaves()[counted].box;
            covered += (box.right - box.left) * (box.bottom - box.top);
        }
        progress->set(RunPhase::Diagram, covered / whole);
    }
    return true;
}

}  // namespace voroquarn
