// The encoding limit for --output: a plain libpng encode of the same picture as a 1-bit
// palette PNG, no filtering, at a given zlib level, written with stdio. The picture is
// read first, untimed, from a 1-bit palette PNG (as the program writes them).
//
//   png_reference IN.png OUT.png [LEVEL [rle]]
//
// LEVEL is zlib's, 0 to 9, 6 by default; "rle" restricts zlib to run-length matches,
// as the program does.
//
// Prints "encode-ms X", "encode-cpu-ms Y" and "bytes Z": the time from opening the
// output to closing it, on the clock and in processor time, and the file's size.
#include <png.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

[[noreturn]] void stop(png_structp /*png*/, png_const_charp message)
{
    std::fprintf(stderr, "png_reference: %s\n", message);
    std::exit(1);
}

double processorMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: png_reference IN.png OUT.png [LEVEL [rle]]\n");
        return 2;
    }
    const int level = argc > 3 ? std::atoi(argv[3]) : 6;
    const bool runLengths = argc > 4 && std::strcmp(argv[4], "rle") == 0;

    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stop, nullptr);
    png_infop readInfo = png_create_info_struct(reader);
    png_init_io(reader, in);
    png_read_info(reader, readInfo);
    if (png_get_bit_depth(reader, readInfo) != 1 || png_get_color_type(reader, readInfo) != PNG_COLOR_TYPE_PALETTE) {
        std::fprintf(stderr, "png_reference: %s is not a 1-bit palette PNG\n", argv[1]);
        return 1;
    }
    const png_uint_32 width = png_get_image_width(reader, readInfo);
    const png_uint_32 height = png_get_image_height(reader, readInfo);
    png_colorp palette = nullptr;
    int colours = 0;
    png_get_PLTE(reader, readInfo, &palette, &colours);
    const std::vector<png_color> paletteCopy(palette, palette + colours);
    const std::size_t rowBytes = png_get_rowbytes(reader, readInfo);
    std::vector<png_byte> pixels(rowBytes * height);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] = pixels.data() + rowBytes * y;
    }
    png_read_image(reader, rows.data());
    png_destroy_read_struct(&reader, &readInfo, nullptr);
    std::fclose(in);

    const auto begin = std::chrono::steady_clock::now();
    const double cpuBegin = processorMilliseconds();
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, stop, nullptr);
    png_infop writeInfo = png_create_info_struct(writer);
    png_init_io(writer, out);
    png_set_IHDR(writer, writeInfo, width, height, 1, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(writer, writeInfo, paletteCopy.data(), colours);
    png_set_compression_level(writer, level);
    if (runLengths) {
        png_set_compression_strategy(writer, Z_RLE);
    }
    png_write_info(writer, writeInfo);
    png_write_image(writer, rows.data());
    png_write_end(writer, writeInfo);
    png_destroy_write_struct(&writer, &writeInfo);
    const long bytes = std::ftell(out);
    if (std::fclose(out) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    const double cpu = processorMilliseconds() - cpuBegin;
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();

    std::printf("encode-ms %.3f\nencode-cpu-ms %.3f\nbytes %ld\n", wall, cpu, bytes);
    return 0;
}
