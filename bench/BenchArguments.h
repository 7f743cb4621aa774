#pragma once

#include <QSize>
#include <QString>
#include <cstdio>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/SiteInput.h"

namespace voroquarn::bench {

// The arguments the benchmarks share: a site file and a picture's size. On a bad one
// they say why on standard error, after the benchmark's name, and give nothing.

inline std::optional<std::vector<Site>> sitesArgument(const char* benchmark, const char* path)
{
    auto loaded = loadSites(path);
    if (const std::string* problem = std::get_if<std::string>(&loaded)) {
        std::fprintf(stderr, "%s: %s\n", benchmark, problem->c_str());
        return std::nullopt;
    }
    return std::get<std::vector<Site>>(std::move(loaded));
}

inline std::optional<QSize> sizeArgument(const char* benchmark, const char* text)
{
    int width = 0;
    int height = 0;
    if (std::sscanf(text, "%dx%d", &width, &height) != 2 || width < 1 || height < 1) {
        std::fprintf(stderr, "%s: bad size %s\n", benchmark, text);
        return std::nullopt;
    }
    return QSize(width, height);
}

}  // namespace voroquarn::bench
