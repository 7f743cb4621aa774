// The site file as the bench's references read it: one site a line, "x y weight",
// separated by blanks; blank lines, lines starting with '#' and lines that do not start
// with three numbers are skipped, and what follows the three numbers is ignored. The
// numbers are read with std::from_chars, which rounds as strtod does.
#pragma once

#include <charconv>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

struct SiteFile {
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<double> weights;
};

inline SiteFile readSiteFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text;
    std::vector<char> chunk(1 << 16);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    SiteFile sites;
    const char* at = text.data();
    const char* const end = at + text.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (at < end) {
        const void* newline = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
        const char* lineEnd = newline != nullptr ? static_cast<const char*>(newline) : end;
        double field[3] = {};
        int read = 0;
        if (at < lineEnd && *at != '#') {
            const char* p = at;
            for (; read < 3; ++read) {
                while (p < lineEnd && blank(*p)) {
                    ++p;
                }
                // from_chars takes no '+', which a stream does.
                if (p < lineEnd && *p == '+') {
                    ++p;
                }
                const auto [next, error] = std::from_chars(p, lineEnd, field[read]);
                if (error != std::errc{}) {
                    break;
                }
                p = next;
            }
        }
        if (read == 3) {
            sites.xs.push_back(field[0]);
            sites.ys.push_back(field[1]);
            sites.weights.push_back(field[2]);
        }
        at = lineEnd == end ? end : lineEnd + 1;
    }
    return sites;
}
