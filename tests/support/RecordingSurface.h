#pragma once

#include <functional>
#include <vector>

#include "core/DrawingSurface.h"
#include "core/RandomSource.h"

namespace voroquarn::testing {

// One call made on the surface, with its arguments.
struct Call {
    enum Kind {
        ShowWindow, Clear, GetDrawingColour, SetDrawingColour, OuterWidth, OuterHeight, DrawCircle, MoveTo, DrawNumber,
        SetPixel, FillBackground, DrawSmoothLine,
        KeepResponsive,
        Reseed, NextUniform,
    };
    Kind kind;
    float x = 0;
    float y = 0;
    float radius = 0;
    double value = 0;
    Colour colour = 0;
};

// A drawing surface that draws nothing and records every call. Its size is set by the
// test; onYield runs inside every keepResponsive, like an event handled there; the yield
// numbered openYields, and every one after it, finds the window closed.
class RecordingSurface final : public DrawingSurface {
public:
    RecordingSurface(float outerWidth, float outerHeight) : width(outerWidth), height(outerHeight) {}

    void showWindow() override { record({Call::ShowWindow}); }
    void clear() override { record({Call::Clear}); }
    Colour drawingColour() const override
    {
        calls.push_back({Call::GetDrawingColour, 0, 0, 0, 0, currentColour});
        return currentColour;
    }
    void setDrawingColour(Colour colour) override
    {
        currentColour = colour;
        record({Call::SetDrawingColour, 0, 0, 0, 0, colour});
    }
    float outerWidth() const override
    {
        calls.push_back({Call::OuterWidth});
        return width;
    }
    float outerHeight() const override
    {
        calls.push_back({Call::OuterHeight});
        return height;
    }
    void drawCircle(float x, float y, float radius, Colour colour, float /*aspect*/) override
    {
        record({Call::DrawCircle, x, y, radius, 0, colour});
    }
    void moveTo(float x, float y) override { record({Call::MoveTo, x, y}); }
    void drawNumber(double value) override { record({Call::DrawNumber, 0, 0, 0, value}); }
    void setPixel(float x, float y, Colour colour) override { record({Call::SetPixel, x, y, 0, 0, colour}); }
    // Recorded with the run's first column in x and its end in value.
    void fillBackground(int y, int left, int right, Colour colour) override
    {
        record({Call::FillBackground, static_cast<float>(left), static_cast<float>(y), 0, static_cast<double>(right), colour});
    }
    // Recorded with its first point in x and y and its last in radius and value.
    void drawSmoothLine(std::span<const PlanePoint> points, Colour colour) override
    {
        record({Call::DrawSmoothLine, static_cast<float>(points.front().x), static_cast<float>(points.front().y),
                static_cast<float>(points.back().x), points.back().y, colour});
    }
    bool keepResponsive() override
    {
        record({Call::KeepResponsive});
        ++yields;
        if (onYield) {
            onYield(yields);
        }
        return yields < openYields;
    }

    std::vector<Call> ofKind(Call::Kind kind) const
    {
        std::vector<Call> found;
        for (const Call& call : calls) {
            if (call.kind == kind) {
                found.push_back(call);
            }
        }
        return found;
    }

    float width;
    float height;
    Colour currentColour = 0;
    long yields = 0;
    long openYields = 1L << 62;
    std::function<void(long)> onYield;
    mutable std::vector<Call> calls;

private:
    void record(const Call& call) { calls.push_back(call); }
};

// Random numbers taken from a list, so that a test controls every draw. Seeding and
// draws are recorded in the surface's call list, to check their order against drawing.
class ScriptedRandom final : public RandomSource {
public:
    ScriptedRandom(std::vector<float> values, RecordingSurface& log)
        : values_(std::move(values)), log_(log)
    {
    }

    void reseed() override { log_.calls.push_back({Call::Reseed}); }
    float nextUniform() override
    {
        log_.calls.push_back({Call::NextUniform});
        return values_.at(next_++);
    }

    std::size_t drawn() const { return next_; }

private:
    std::vector<float> values_;
    std::size_t next_ = 0;
    RecordingSurface& log_;
};

}  // namespace voroquarn::testing
