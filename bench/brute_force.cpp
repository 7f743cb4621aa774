// The reference for many sites: the plain way to draw a weighted Voronoi diagram, every
// pixel testing every site. Labels each pixel centre with the site of least distance
// over weight (squared distances times inverse squared weights, no square root), makes
// a pixel white where its label differs from its right or lower neighbour's, and
// writes the picture as a 1-bit PNG with libpng's defaults. One thread.
//
//   brute_force SITES WIDTHxHEIGHT OUT.png
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: brute_force SITES WIDTHxHEIGHT OUT.png\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<double> inverse;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double x = 0;
        double y = 0;
        double w = 0;
        if (line.empty() || line[0] == '#' || !(fields >> x >> y >> w)) {
            continue;
        }
        xs.push_back(x);
        ys.push_back(y);
        inverse.push_back(1 / (w * w));
    }
    int width = 0;
    int height = 0;
    if (xs.empty() || std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || width < 1 || height < 1) {
        std::fprintf(stderr, "brute_force: no sites or a bad size\n");
        return 2;
    }

    const std::size_t n = xs.size();
    std::vector<std::uint32_t> label(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t best = 0;
            double least = 1e300;
            for (std::size_t k = 0; k < n; ++k) {
                const double dx = x - xs[k];
                const double dy = y - ys[k];
                const double r = (dx * dx + dy * dy) * inverse[k];
                if (r < least) {
                    least = r;
                    best = static_cast<std::uint32_t>(k);
                }
            }
            label[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = best;
        }
    }

    FILE* out = std::fopen(argv[3], "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (out == nullptr || png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "brute_force: cannot write %s\n", argv[3]);
        return 1;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 1, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>((width + 7) / 8));
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), png_byte{0});
        const std::uint32_t* line = &label[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)];
        for (int x = 0; x < width; ++x) {
            const bool changes = (x + 1 < width && line[x + 1] != line[x]) ||
                                 (y + 1 < height && line[static_cast<std::size_t>(x) + static_cast<std::size_t>(width)] != line[x]);
            if (changes) {
                row[static_cast<std::size_t>(x / 8)] = static_cast<png_byte>(row[static_cast<std::size_t>(x / 8)] | (0x80U >> (x % 8)));
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0 ? 0 : 1;
}
