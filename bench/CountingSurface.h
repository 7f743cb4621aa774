#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/DrawingSurface.h"
#include "core/WindowMetrics.h"
#include "core/nearestPixel.h"

namespace voroquarn::bench {

// A window without a window system for timing the tracing: its drawing area is a plain
// pixel buffer, keepResponsive returns at once, and it counts the yields and the pixels set.
// A listener, when given, hears of every pixel set in the drawing area and of every
// yield, and may end the drawing there.
// It reports the outer size of a window with the design frame, as the in-memory image
// does, so the sweeps run exactly as long as they do for a real window of that area.
class CountingSurface final : public DrawingSurface {
public:
    CountingSurface(int areaWidth, int areaHeight)
        : width_(areaWidth),
          height_(areaHeight),
          outer_(outerSize(areaWidth, areaHeight)),
          pixels_(static_cast<std::size_t>(areaWidth) * static_cast<std::size_t>(areaHeight), BLACK)
    {
    }

    void showWindow() override {}
    void clear() override {}
    Colour drawingColour() const override { return drawingColour_; }
    void setDrawingColour(Colour colour) override { drawingColour_ = colour; }
    float outerWidth() const override { return outer_.width; }
    float outerHeight() const override { return outer_.height; }
    void drawCircle(float, float, float, Colour, float) override {}
    void moveTo(float, float) override {}
    void drawNumber(double) override {}

    // Nearest pixel, half-way points to the right and below, as the picture surfaces do.
    void setPixel(float x, float y, Colour colour) override
    {
        ++points_;
        const double column = nearestPixel(x);
        const double row = nearestPixel(y);
        if (!(column >= 0 && column < width_ && row >= 0 && row < height_)) {
            return;
        }
        if (listener_ != nullptr) {
            listener_->pixel(static_cast<int>(column), static_cast<int>(row));
        }
        pixels_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
                static_cast<std::size_t>(column)] = colour;
    }

    void fillBackground(int, int, int, Colour) override {}
    void drawSmoothLine(std::span<const PlanePoint>, Colour) override {}

    bool keepResponsive() override
    {
        ++yields_;
        return listener_ == nullptr || listener_->yield();
    }

    class Listener {
    public:
        virtual void pixel(int column, int row) = 0;
        // False ends the drawing, as a closed window does.
        virtual bool yield() = 0;

    protected:
        ~Listener() = default;
    };
    void listen(Listener* listener) { listener_ = listener; }

    std::int64_t yields() const { return yields_; }
    std::int64_t points() const { return points_; }
    const std::vector<Colour>& pixels() const { return pixels_; }

private:
    int width_;
    int height_;
    OuterSize outer_;
    std::vector<Colour> pixels_;
    Colour drawingColour_ = BLACK;
    std::int64_t yields_ = 0;
    std::int64_t points_ = 0;
    Listener* listener_ = nullptr;
};

}  // namespace voroquarn::bench
