// The references' picture: white where a pixel's label differs from its right or lower
// neighbour's, black elsewhere, written as a 1-bit PNG with libpng's defaults.
#pragma once

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

// Returns false when the file cannot be written.
inline bool writeBoundaryPicture(const char* path, const std::vector<std::uint32_t>& label, int width, int height)
{
    FILE* out = std::fopen(path, "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (out == nullptr || png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        return false;
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
    return std::fclose(out) == 0;
}
