#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace voroquarn::testing {

// A window's pixels as the X server has them, row by row: 24-bit colour travels as 32
// bits a pixel, blue first, so each is 0x00RRGGBB (the layout of QImage's RGB32).
struct WindowPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Reads a window of depth 24 back from the X server with GetImage; nothing when the
// window cannot be read or has another depth.
inline std::optional<WindowPixels> readWindowPixels(xcb_connection_t* connection, xcb_window_t window)
{
    const auto freed = [](void* reply) { std::free(reply); };
    const std::unique_ptr<xcb_get_geometry_reply_t, decltype(freed)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr), freed);
    if (!geometry || geometry->depth != 24) {
        return std::nullopt;
    }
    const int width = geometry->width;
    const int height = geometry->height;
    const std::unique_ptr<xcb_get_image_reply_t, decltype(freed)> image(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                          geometry->width, geometry->height, ~0U),
                            nullptr),
        freed);
    if (!image || xcb_get_image_data_length(image.get()) != width * height * 4) {
        return std::nullopt;
    }
    WindowPixels read{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    std::memcpy(read.pixels.data(), xcb_get_image_data(image.get()), read.pixels.size() * 4);
    return read;
}

}  // namespace voroquarn::testing
