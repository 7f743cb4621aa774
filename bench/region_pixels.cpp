// The regions of a CSV file (voroquarn --output .csv) against pixel counts: every pixel
// centre labelled with its nearest site by the tests' brute force (tests/support/
// SiteGrid.h, which knows nothing of the program's cells). Prints the largest
// difference between a region's area and its count in units of the count's own error
// (half the perimeter plus 4 pixels), how many exceed it, the largest relative
// difference among regions of at least 100 px², the sum's relative difference from
// the picture's area, and the neighbours that are not mutual.
//
//   region_pixels SITES REGIONS.csv WIDTHxHEIGHT
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "diagram/SiteArrays.h"
#include "support/SiteGrid.h"

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: region_pixels SITES REGIONS.csv WIDTHxHEIGHT\n");
        return 2;
    }
    voroquarn::SiteArrays sites;
    std::ifstream siteFile(argv[1]);
    for (std::string line; std::getline(siteFile, line);) {
        std::istringstream fields(line);
        double x = 0;
        double y = 0;
        double w = 0;
        if (!line.empty() && line[0] != '#' && fields >> x >> y >> w) {
            sites.add(x, y, static_cast<float>(w));
        }
    }
    int width = 0;
    int height = 0;
    if (std::sscanf(argv[3], "%dx%d", &width, &height) != 2) {
        return 2;
    }
    std::vector<double> area;
    std::vector<double> perimeter;
    std::vector<std::vector<int>> neighbours;  // ascending, as written
    std::ifstream table(argv[2]);
    std::string line;
    std::getline(table, line);  // the header
    while (std::getline(table, line)) {
        std::vector<std::string> field;
        std::istringstream row(line);
        for (std::string f; std::getline(row, f, ',');) {
            field.push_back(f);
        }
        field.resize(7);
        area.push_back(std::stod(field[4]));
        perimeter.push_back(std::stod(field[5]));
        std::vector<int>& mine = neighbours.emplace_back();
        std::istringstream list(field[6]);
        for (std::string n; std::getline(list, n, ';');) {
            mine.push_back(std::stoi(n) - 1);
        }
    }
    if (static_cast<std::int32_t>(area.size()) != sites.N) {
        std::fprintf(stderr, "region_pixels: %zu rows for %d sites\n", area.size(), sites.N);
        return 1;
    }
    const int side = std::max(1, static_cast<int>(std::sqrt(sites.N / 2.0)));
    const voroquarn::testing::SiteGrid grid(sites, -0.5, -0.5, width - 0.5, height - 0.5, side);
    std::vector<long> count(area.size(), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ++count[static_cast<std::size_t>(grid.nearest(x, y).first)];
        }
    }
    double worst = 0;
    double worstRelative = 0;
    long beyond = 0;
    long oneWay = 0;
    double sum = 0;
    for (std::size_t k = 0; k < area.size(); ++k) {
        const double off = std::abs(static_cast<double>(count[k]) - area[k]);
        const double bound = perimeter[k] / 2 + 4;
        worst = std::max(worst, off / bound);
        beyond += off > bound ? 1 : 0;
        if (area[k] >= 100) {
            worstRelative = std::max(worstRelative, off / area[k]);
        }
        sum += area[k];
        for (const int n : neighbours[k]) {
            const std::vector<int>& theirs = neighbours[static_cast<std::size_t>(n)];
            oneWay += std::binary_search(theirs.begin(), theirs.end(), static_cast<int>(k)) ? 0 : 1;
        }
    }
    std::printf("%d sites: largest |pixels - area| %.3f of (perimeter/2 + 4), %ld beyond it; largest relative "
                "among areas of 100 px2 or more %.3g; sum %.3g from the picture's area; %ld neighbours not mutual\n",
                sites.N, worst, beyond, worstRelative, sum / (static_cast<double>(width) * height) - 1, oneWay);
    return beyond == 0 && oneWay == 0 ? 0 : 1;
}
