#include "output/PngWriter.h"

#include <png.h>
#include <zlib.h>

#include <QIODevice>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace voroquarn {

namespace {

// zlib's default level, with run-length matching only: the pictures are long runs of
// one index, and at 1920x1080 and above this gives smaller files than the default
// matching at a third of its time (docs/performance.md has the figures).
constexpr int COMPRESSION_LEVEL = 6;
constexpr int COMPRESSION_STRATEGY = Z_RLE;

// What the callbacks learn while libpng runs. libpng reports errors by jumping back to
// encode(), so they leave their findings here and nothing is printed.
struct Session {
    QIODevice* device;
    bool deviceFailed = false;
    bool outOfMemory = false;
    std::array<char, 128> message{};  // libpng's own words for any other error
};

void writeBytes(png_structp png, png_bytep data, std::size_t length)
{
    auto* session = static_cast<Session*>(png_get_io_ptr(png));
    if (session->device->write(reinterpret_cast<const char*>(data), static_cast<qint64>(length)) !=
        static_cast<qint64>(length)) {
        session->deviceFailed = true;
        png_error(png, "write");
    }
}

// The device's owner flushes it when the whole picture is written.
void flushBytes(png_structp /*png*/) {}

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    auto* session = static_cast<Session*>(png_get_error_ptr(png));
    std::snprintf(session->message.data(), session->message.size(), "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp /*png*/, png_const_charp /*message*/) {}

png_voidp allocate(png_structp png, png_alloc_size_t size)
{
    void* memory = std::malloc(size);
    if (memory == nullptr) {
        static_cast<Session*>(png_get_mem_ptr(png))->outOfMemory = true;
    }
    return memory;
}

void release(png_structp /*png*/, png_voidp memory) { std::free(memory); }

// The bits a pixel that hold `colours` palette indices.
int bitDepthFor(int colours)
{
    if (colours <= 2) {
        return 1;
    }
    if (colours <= 4) {
        return 2;
    }
    return colours <= 16 ? 4 : 8;
}

// Packs a line of one index a byte into bitDepth bits an index, most significant first.
void pack(const uchar* indices, int width, int bitDepth, png_byte* packed)
{
    if (bitDepth == 4) {
        // The depth of a filled picture, two indices a byte: eight at a time where the
        // bytes' order allows, in 16-bit lanes of an even and an odd index each.
        int x = 0;
        if constexpr (std::endian::native == std::endian::little) {
            constexpr std::uint64_t LOW_NIBBLES = 0x000F000F000F000FULL;
            for (; x + 8 <= width; x += 8) {
                std::uint64_t lanes = 0;
                std::memcpy(&lanes, indices + x, sizeof lanes);
                lanes = (lanes & LOW_NIBBLES) << 4U | ((lanes >> 8U) & LOW_NIBBLES);
                lanes = (lanes | lanes >> 8U) & 0x0000FFFF0000FFFFULL;
                const auto four = static_cast<std::uint32_t>(lanes | lanes >> 16U);
                std::memcpy(packed + x / 2, &four, sizeof four);
            }
        }
        for (; x + 2 <= width; x += 2) {
            packed[x / 2] = static_cast<png_byte>(indices[x] << 4U | indices[x + 1]);
        }
        if (x < width) {
            packed[x / 2] = static_cast<png_byte>(indices[x] << 4U);
        }
        return;
    }
    const int perByte = 8 / bitDepth;
    for (int x = 0; x < width; x += perByte) {
        unsigned byte = 0;
        for (int k = 0; k < perByte; ++k) {
            byte = byte << static_cast<unsigned>(bitDepth) | (x + k < width ? indices[x + k] : 0U);
        }
        packed[x / perByte] = static_cast<png_byte>(byte);
    }
}

// Unpacks a line of four bits a pixel into one index a byte.
void unpackNibbles(const uchar* nibbles, int width, uchar* indices)
{
    for (int x = 0; x < width; ++x) {
        indices[x] = static_cast<uchar>((nibbles[x / 2] >> ((x & 1) != 0 ? 0U : 4U)) & 0xFU);
    }
}

// What the encoder writes: the picture's size, its lines as they are held, and the
// lines as they are written, `bitDepth` bits a pixel.
struct Lines {
    int width;
    int height;
    int bitDepth;
    // The line as written, made of the line as held in the scratch lines where the
    // depths differ.
    std::function<png_const_bytep(int y)> line;
};

// The encoding itself. libpng leaves by longjmp on any error, so nothing here may need
// destroying: only plain pointers and values. A picture of 32-bit colours (no palette)
// is written as 8-bit RGB, its unused byte left out.
bool encode(png_structp png, png_infop info, const Lines& picture, const png_color* palette, int colours)
{
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    const bool trueColour = palette == nullptr;
    const int bitDepth = picture.bitDepth;
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 bitDepth, trueColour ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (trueColour) {
        // Smooth edges repeat less than indices do: zlib's own matching, after filters.
        png_set_compression_level(png, COMPRESSION_LEVEL);
        png_write_info(png, info);
        // 0xffRRGGBB in memory: B, G, R, unused on a little-endian machine.
        if constexpr (std::endian::native == std::endian::little) {
            png_set_bgr(png);
            png_set_filler(png, 0, PNG_FILLER_AFTER);
        } else {
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
        }
    } else {
        png_set_PLTE(png, info, palette, colours);
        png_set_compression_level(png, COMPRESSION_LEVEL);
        png_set_compression_strategy(png, COMPRESSION_STRATEGY);
        // The indices are the picture's own, each in its palette: libpng need not check
        // every pixel of every line against it, which costs as much as the encoding of
        // a filled picture's lines.
        png_set_check_for_invalid_index(png, 0);
        png_write_info(png, info);
    }
    for (int y = 0; y < picture.height; ++y) {
        png_write_row(png, picture.line(y));
    }
    png_write_end(png, info);
    return true;
}

// Writes the picture with the palette of `colours` entries, or without one for a picture
// of 32-bit colours.
std::optional<PngFailure> writeWith(const Lines& picture, QIODevice& device, const png_color* palette, int colours)
{
    Session session{&device};
    png_structp png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &session, onError, onWarning,
                                                &session, allocate, release);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const bool started = info != nullptr;  // both allocated
    bool written = false;
    if (started) {
        png_set_write_fn(png, &session, writeBytes, flushBytes);
        written = encode(png, info, picture, palette, colours);
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    if (written) {
        return std::nullopt;
    }
    if (session.deviceFailed) {
        return PngFailure{PngFailure::Kind::Device, {}};
    }
    if (session.outOfMemory || !started) {
        return PngFailure{PngFailure::Kind::OutOfMemory, {}};
    }
    return PngFailure{PngFailure::Kind::Encoder, QString::fromLatin1(session.message.data())};
}

}  // namespace

std::optional<PngFailure> writePng(const IndexedLines& picture, QIODevice& device)
{
    if (picture.size.isEmpty() || (picture.depth != 1 && picture.depth != 4 && picture.depth != 8) ||
        picture.colours.size() < 1 || picture.colours.size() > PNG_MAX_PALETTE_LENGTH ||
        picture.colours.size() > (qsizetype{1} << picture.depth)) {
        return PngFailure{PngFailure::Kind::Encoder, QStringLiteral("not an indexed picture")};
    }
    std::array<png_color, PNG_MAX_PALETTE_LENGTH> palette{};
    for (qsizetype k = 0; k < picture.colours.size(); ++k) {
        const QRgb rgb = picture.colours[k];
        palette[static_cast<std::size_t>(k)] = {static_cast<png_byte>(qRed(rgb)), static_cast<png_byte>(qGreen(rgb)),
                                                static_cast<png_byte>(qBlue(rgb))};
    }
    const int colours = static_cast<int>(picture.colours.size());
    const int width = picture.size.width();
    const int bitDepth = bitDepthFor(colours);
    // Lines held at another depth than they are written go through one index a byte
    // (where they are held at four bits) and are packed here rather than by libpng's
    // packing, which goes bit by bit.
    std::vector<png_byte> indices;
    std::vector<png_byte> packed;
    if (picture.depth != bitDepth) {
        packed.resize(static_cast<std::size_t>((width * bitDepth + 7) / 8));
        if (picture.depth == 4) {
            indices.resize(static_cast<std::size_t>(width));
        }
    }
    const Lines lines{width, picture.size.height(), bitDepth, [&](int y) -> png_const_bytep {
                          const uchar* held = picture.line(y);
                          if (packed.empty()) {
                              return held;
                          }
                          if (!indices.empty()) {
                              unpackNibbles(held, width, indices.data());
                              held = indices.data();
                          }
                          pack(held, width, bitDepth, packed.data());
                          return packed.data();
                      }};
    return writeWith(lines, device, palette.data(), colours);
}

std::optional<PngFailure> writePng(const QImage& picture, QIODevice& device)
{
    if (picture.format() == QImage::Format_RGB32 && !picture.isNull()) {
        const Lines lines{picture.width(), picture.height(), 8, [&](int y) { return picture.constScanLine(y); }};
        return writeWith(lines, device, nullptr, 0);
    }
    if (picture.format() != QImage::Format_Mono && picture.format() != QImage::Format_Indexed8) {
        return PngFailure{PngFailure::Kind::Encoder, QStringLiteral("not an indexed picture")};
    }
    return writePng(IndexedLines{picture.size(), picture.format() == QImage::Format_Mono ? 1 : 8,
                                 picture.colorTable(), [&](int y) { return picture.constScanLine(y); }},
                    device);
}

}  // namespace voroquarn
