#pragma once

#include <cstdint>
#include <span>
#include <string>

class QIODevice;

namespace voroquarn {

class Progress;
class SiteRegions;

// Writes the sites' regions as CSV into `device`, which is open for writing: a header,
// then a row for every site in the order of the sites, numbered from 1:
//     site,x,y,weight,area,perimeter,neighbours
// area (px²) and perimeter (px) of the region inside the area, exactly, and the
// numbers of the sites that share a boundary of positive length with it, ascending,
// separated by ';'. Numbers have the fewest digits that read back as the same value.
// `progress`, if any, is told how far the writing is. Returns false when the device
// refused a write; its error string says why.
bool writeRegionTable(SiteRegions& regions, QIODevice& device, Progress* progress = nullptr);

// Appends a number as the region files write it: the shortest text that reads back as
// the same value.
void appendNumber(std::string& text, double value);
void appendNumber(std::string& text, float value);
// Appends the neighbours (from 0) as the region files write them: numbered from 1,
// separated by ';'.
void appendNeighbours(std::string& text, std::span<const std::int32_t> neighbours);

}  // namespace voroquarn
