// The floor under any Voronoi engine: CGAL's Delaunay triangulation of the same sites,
// with exact predicates and inexact constructions, inserted as one range (CGAL sorts
// them along a space-filling curve first). The weights are read and left unused. Prints
// the number of faces so the work is not optimised away.
//
//   cgal_delaunay SITES
#include "SiteFile.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <cstdio>
#include <vector>

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Triangulation = CGAL::Delaunay_triangulation_2<Kernel>;

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: cgal_delaunay SITES\n");
        return 2;
    }
    const SiteFile sites = readSiteFile(argv[1]);
    if (sites.xs.empty()) {
        std::fprintf(stderr, "cgal_delaunay: no sites\n");
        return 2;
    }
    std::vector<Kernel::Point_2> points;
    points.reserve(sites.xs.size());
    for (std::size_t k = 0; k < sites.xs.size(); ++k) {
        points.emplace_back(sites.xs[k], sites.ys[k]);
    }
    Triangulation triangulation;
    triangulation.insert(points.begin(), points.end());
    std::printf("%zu faces\n", triangulation.number_of_faces());
    return 0;
}
