// The in-memory picture, the image surface and the window, on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QBuffer>
#include <QPainter>
#include <cmath>
#include <limits>

#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/RegionColours.h"
#include "diagram/SiteArrays.h"
#include "diagram/drawDiagram.h"
#include "diagram/makeSites.h"
#include "output/ImageSurface.h"
#include "output/PictureRaster.h"
#include "output/PngWriter.h"
#include "screen/DiagramWindow.h"

namespace voroquarn {
namespace {

constexpr QRgb OPAQUE_BLACK = 0xFF000000;
constexpr QRgb OPAQUE_WHITE = 0xFFFFFFFF;

int countOf(const QImage& image, QRgb colour, QRect area = {})
{
    const QRect rect = area.isNull() ? image.rect() : area;
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            count += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

bool onlyBlackAndWhite(const QImage& image)
{
    return countOf(image, OPAQUE_BLACK) + countOf(image, OPAQUE_WHITE) == image.width() * image.height();
}

TEST(PictureRaster, SetsTheNearestPixelAndClipsEverythingElse)
{
    PictureRaster raster(QSize(10, 8));
    struct Case {
        float x, y;
        int px, py;  // -1: nothing set
    };
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {0.49999997F, 0, 0, 0},  // just below half: stays (a float sum would round it up)
        {0.5F, 1.0F, 1, 1},      // half-way goes right
        {-0.5F, 2, 0, 2},
        {9.49F, 7.4F, 9, 7},
        {-0.51F, 3, -1, -1},
        {9.5F, 3, -1, -1},
        {3, 7.5F, -1, -1},
        {1e30F, -1e30F, -1, -1},
        {inf, 2, -1, -1},
        {nan, nan, -1, -1},
    };
    for (const Case& c : cases) {
        raster.fill(BLACK);
        raster.forgetChanges();
        raster.setPixel(c.x, c.y, WHITE);
        if (c.px < 0) {
            EXPECT_EQ(countOf(raster.image(), OPAQUE_WHITE), 0) << c.x << ", " << c.y;
            EXPECT_FALSE(raster.hasChanges());
        } else {
            EXPECT_EQ(raster.image().pixel(c.px, c.py), OPAQUE_WHITE) << c.x << ", " << c.y;
            EXPECT_EQ(countOf(raster.image(), OPAQUE_WHITE), 1);
            int areas = 0;
            raster.takeChanges([&](const QRect& r) {
                EXPECT_EQ(r, QRect(c.px, c.py, 1, 1));
                ++areas;
            });
            EXPECT_EQ(areas, 1);
        }
    }
}

TEST(PictureRaster, HoldsOneFourOrEightBitsAPixelAsItsColoursNeedAndConvertsTheColourLayout)
{
    PictureRaster raster(QSize(13, 5));  // lines end inside a byte
    EXPECT_EQ(raster.image().format(), QImage::Format_Mono);
    raster.setPixel(12, 4, WHITE);
    raster.growTo(QSize(20, 6), BLACK);
    EXPECT_EQ(raster.image().format(), QImage::Format_Mono);
    EXPECT_EQ(raster.image().size(), QSize(20, 6));
    EXPECT_EQ(raster.image().pixel(12, 4), OPAQUE_WHITE);
    EXPECT_EQ(countOf(raster.image(), OPAQUE_WHITE), 1);

    raster.setPixel(0, 0, 0x0000FF);  // 0x00BBGGRR: red, a third colour
    raster.setPixel(1, 0, 0xFF0000);  // blue
    EXPECT_EQ(raster.depth(), 4);
    EXPECT_EQ(raster.image().format(), QImage::Format_Indexed8);
    EXPECT_EQ(raster.image().colorCount(), 4);
    EXPECT_EQ(raster.image().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(raster.image().pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(raster.image().pixel(12, 4), OPAQUE_WHITE);
    EXPECT_EQ(countOf(raster.image(), OPAQUE_BLACK), 20 * 6 - 3);

    // Four bits a pixel grow, fill over one colour at odd and even ends, and widen to a
    // byte at a seventeenth colour, every pixel kept.
    raster.growTo(QSize(23, 7), BLACK);
    raster.fillWhere(6, 1, 22, BLACK, 0x00FF00);
    for (int k = 0; k < 13; ++k) {
        raster.setPixel(static_cast<float>(3 + k), 2, static_cast<Colour>(0x101010 * (k + 1)));
    }
    EXPECT_EQ(raster.depth(), 8);
    EXPECT_EQ(raster.image().colorCount(), 18);
    EXPECT_EQ(raster.image().pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(raster.image().pixel(12, 4), OPAQUE_WHITE);
    EXPECT_EQ(countOf(raster.image(), qRgb(0, 255, 0)), 21);
    EXPECT_EQ(raster.image().pixel(0, 6), OPAQUE_BLACK);
    EXPECT_EQ(raster.image().pixel(22, 6), OPAQUE_BLACK);
    EXPECT_EQ(raster.image().pixel(15, 2), qRgb(0xD0, 0xD0, 0xD0));
    EXPECT_EQ(countOf(raster.image(), OPAQUE_BLACK), 23 * 7 - 3 - 21 - 13);
    // At a byte a pixel the fill goes over the black ones only, the greys kept.
    raster.fillWhere(2, 0, 23, BLACK, 0x00FF00);
    EXPECT_EQ(countOf(raster.image(), qRgb(0, 255, 0)), 21 + 23 - 13);
    EXPECT_EQ(raster.image().pixel(15, 2), qRgb(0xD0, 0xD0, 0xD0));
}

TEST(PictureRaster, RecordsEveryChangeEvenBeyondItsCapacity)
{
    PictureRaster raster(QSize(100, 100));
    for (int n = 0; n < 3000; ++n) {
        raster.setPixel(static_cast<float>(n % 100), static_cast<float>(n / 100 * 3), WHITE);
    }
    QRegion changed;
    raster.takeChanges([&](const QRect& r) { changed += r; });
    for (int n = 0; n < 3000; ++n) {
        EXPECT_TRUE(changed.contains(QPoint(n % 100, n / 100 * 3)));
    }
    EXPECT_FALSE(raster.hasChanges());
}

TEST(PictureRaster, MarkersAreAliasedOutlinesAndLabels)
{
    PictureRaster raster(QSize(60, 40));
    const QImage& image = raster.image();
    // At marker scale 2, for a screen of twice the pixels, the ring is twice as large.
    for (const qreal scale : {1.0, 2.0}) {
        raster.fill(BLACK);
        raster.setMarkerScale(scale);
        raster.drawCircle(10, 10, 3, WHITE, 1);
        EXPECT_TRUE(onlyBlackAndWhite(image));
        EXPECT_EQ(image.pixel(10, 10), OPAQUE_BLACK);  // not filled
        int ring = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 60; ++x) {
                if (image.pixel(x, y) == OPAQUE_WHITE) {
                    EXPECT_NEAR(std::hypot(x - 10, y - 10), 3.0 * scale, scale) << x << ", " << y;
                    ++ring;
                }
            }
        }
        EXPECT_GE(ring, 12 * scale);
    }
    raster.setMarkerScale(1);

    // The label's top-left corner is the circle's centre: its digits lie right of and
    // below it, all inside the area reported as changed.
    raster.fill(BLACK);
    raster.forgetChanges();
    raster.printNumber(999, WHITE);
    QRect changed;
    raster.takeChanges([&](const QRect& r) { changed |= r; });
    EXPECT_TRUE(onlyBlackAndWhite(image));
    const int label = countOf(image, OPAQUE_WHITE);
    EXPECT_GT(label, 10);
    EXPECT_EQ(countOf(image, OPAQUE_WHITE, QRect(10, 10, 50, 30)), label);
    EXPECT_EQ(countOf(image, OPAQUE_WHITE, changed), label);
}

// A marker as the program painted it when its picture was held as 32-bit colours:
// QPainter straight on the whole picture.
QImage markerPaintedOnColours(QSize size, float x, float y, double weight)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen{QColor(Qt::white)};
    pen.setWidth(1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(x, y), 3.0, 3.0);
    QFont font = QGuiApplication::font();
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.drawText(QPointF(x, y) + QPointF(0, QFontMetrics(font).ascent()), QString::number(weight, 'f', 0));
    return image;
}

TEST(PictureRaster, MarkersArePixelForPixelThoseOfPaintingOnColoursAndFarOnesDrawNothing)
{
    const QSize size(64, 40);
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float x, y;
        double weight;
        bool far;  // wholly outside: nothing drawn, nothing changed
    };
    const Case cases[] = {
        {10.5F, 10.25F, 7, false},
        {20.5F, 20.5F, 123456789, false},
        {60.75F, 20, 100000, false},      // label cut off at the right
        {-2.5F, 37.5F, 999, false},       // partly outside at the left and bottom
        {30, -1.49F, 12, false},
        {0.49999997F, 0.5F, 1, false},
        {9e9F, 10, 5, true},
        {10, -9e9F, 5, true},
        {inf, 10, 5, true},               // 1e308 in a site file
        {-inf, -inf, 5, true},
        {-60, 10, 1e20, false},           // a long label from far left into the picture
        {-400, 10, 1e20, true},           // one that ends before the picture
    };
    for (const Case& c : cases) {
        PictureRaster raster(size);
        raster.drawCircle(c.x, c.y, 3, WHITE, 1);
        raster.printNumber(c.weight, WHITE);
        const QImage drawn = raster.image().convertToFormat(QImage::Format_RGB32);
        if (c.far) {
            EXPECT_EQ(countOf(drawn, OPAQUE_WHITE), 0) << c.x << ", " << c.y;
            EXPECT_FALSE(raster.hasChanges());
        } else {
            EXPECT_EQ(drawn, markerPaintedOnColours(size, c.x, c.y, c.weight)) << c.x << ", " << c.y;
            EXPECT_GT(countOf(drawn, OPAQUE_WHITE), 0);
        }
    }
}

// A surface that reports a visible area smaller than its picture, so that a marker
// reaching out of the visible area is seen rather than clipped.
class VisibleArea final : public PictureSurface {
public:
    VisibleArea(QSize visible, qreal scale) : PictureSurface(visible + QSize(80, 80)), visible_(visible)
    {
        raster().setMarkerScale(scale);
    }
    void showWindow() override {}
    void clear() override {}
    float outerWidth() const override { return static_cast<float>(visible_.width()); }
    float outerHeight() const override { return static_cast<float>(visible_.height()); }
    bool keepResponsive() override { return true; }

private:
    QSize visible_;
};

// With the margins that hold its markers, every site's circle and label lie wholly inside
// the visible area, at every marker scale and for the smallest screens.
TEST(SiteMargins, HoldEveryMarkerInsideTheVisibleArea)
{
    for (const qreal scale : {1.0, 1.5, 2.0, 3.0}) {
        const QRectF box = PictureRaster::markerBox(3, scale);
        const SiteMargins margins = marginsHolding({box.left(), box.top(), box.right(), box.bottom()}, scale);
        EXPECT_GE(margins.left, 15 * scale);
        EXPECT_GT(margins.right, margins.left);  // room for the label
        for (const QSize visible : {QSize(640, 400), QSize(150, 100)}) {
            for (std::uint32_t seed = 1; seed <= 20; ++seed) {
                VisibleArea surface(visible, scale);
                surface.setDrawingColour(WHITE);
                SeededRandom random(seed);
                random.reseed();
                SiteArrays sites;
                makeSites(surface, random, sites, margins);
                const int inside = countOf(surface.image(), OPAQUE_WHITE, QRect(QPoint(0, 0), visible));
                EXPECT_GT(inside, 0);
                EXPECT_EQ(countOf(surface.image(), OPAQUE_WHITE), inside)
                    << "scale " << scale << ", " << visible.width() << "x" << visible.height()
                    << ", seed " << seed;
            }
        }
    }
}

TEST(ImageSurface, ReportsTheOuterSizeOfAFramedWindow)
{
    ImageSurface surface(QSize(618, 508));
    EXPECT_EQ(surface.outerWidth(), 624.0F);
    EXPECT_EQ(surface.outerHeight(), 535.0F);
    EXPECT_TRUE(surface.keepResponsive());
}

TEST(ImageSurface, DrawsTheSamePictureForTheSameSeed)
{
    const auto render = [](std::uint32_t seed) {
        ImageSurface surface(QSize(300, 200));
        SeededRandom random(seed);
        EXPECT_TRUE(driveToEnd(drawDiagram(surface, random), surface));
        return surface.image();
    };
    const QImage first = render(42);
    EXPECT_EQ(first.format(), QImage::Format_Mono);
    EXPECT_EQ(first, render(42));
    EXPECT_NE(first, render(43));
    EXPECT_TRUE(onlyBlackAndWhite(first));
    EXPECT_GT(countOf(first, OPAQUE_WHITE), 100);

    // A run starts from a clear picture, whatever the surface showed before.
    ImageSurface reused(QSize(300, 200));
    for (const std::uint32_t seed : {42U, 43U}) {
        SeededRandom random(seed);
        driveToEnd(drawDiagram(reused, random), reused);
    }
    EXPECT_EQ(reused.image(), render(43));
}

// Clearing a window that has put a drawing on screen leaves only the background, even
// though the drawing's changes were taken on the way to the screen.
TEST(DiagramWindow, ClearWipesADrawingAlreadyOnScreen)
{
    DiagramWindow window(QSize(120, 80));
    window.showWindow();
    ASSERT_TRUE(window.isExposed());
    window.clear();
    window.setPixel(10, 10, WHITE);
    window.drawCircle(60, 40, 3, WHITE, 1);
    EXPECT_TRUE(window.keepResponsive());
    window.present();
    ASSERT_GT(countOf(window.image(), OPAQUE_WHITE), 0);
    window.clear();
    EXPECT_EQ(countOf(window.image(), OPAQUE_WHITE), 0);
}

TEST(ImageSurface, FillsTheRegionsAroundTheMarkersAndUnderTheBoundariesIntoAFourBitPng)
{
    // Runs of a row change only the pixels of the colour filled over, within the picture,
    // at one bit a pixel as at eight.
    PictureRaster raster(QSize(13, 3));
    raster.setPixel(4, 1, WHITE);
    raster.fillWhere(1, -5, 6, BLACK, WHITE);
    raster.fillWhere(1, 12, 99, BLACK, WHITE);
    raster.fillWhere(3, 0, 13, BLACK, WHITE);
    EXPECT_EQ(raster.image().format(), QImage::Format_Mono);
    EXPECT_EQ(countOf(raster.image(), OPAQUE_WHITE), 7);
    raster.fillWhere(1, 0, 13, WHITE, REGION_PALETTE[0]);
    raster.fillWhere(0, 3, 5, BLACK, REGION_PALETTE[1]);
    EXPECT_EQ(countOf(raster.image(), qRgb(0x3D, 0x51, 0x92)), 7);
    EXPECT_EQ(countOf(raster.image(), qRgb(0x22, 0x62, 0x04)), 2);
    EXPECT_EQ(countOf(raster.image(), OPAQUE_BLACK), 39 - 9);

    for (const std::uint32_t seed : {42U, 7U}) {
        SCOPED_TRACE(seed);
        const auto render = [&](bool fill) {
            ImageSurface surface(QSize(300, 200));
            SeededRandom random(seed);
            RunSettings settings;
            settings.fill = fill;
            EXPECT_TRUE(driveToEnd(drawDiagram(surface, random, settings), surface));
            return surface.image();
        };
        const QImage plain = render(false);
        const QImage filled = render(true);
        // What the run draws in white stays white, markers and labels included; every
        // other pixel takes one of the sites' colours.
        QList<QRgb> regionColours;
        for (const Colour colour : REGION_PALETTE) {
            regionColours << qRgb(static_cast<int>(colour & 0xFFU), static_cast<int>((colour >> 8U) & 0xFFU),
                                  static_cast<int>(colour >> 16U));
        }
        int white = 0;
        int misplaced = 0;
        QSet<QRgb> used;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                const QRgb colour = filled.pixel(x, y);
                if (plain.pixel(x, y) == OPAQUE_WHITE) {
                    ++white;
                    misplaced += colour == OPAQUE_WHITE ? 0 : 1;
                } else {
                    misplaced += regionColours.contains(colour) ? 0 : 1;
                    used << colour;
                }
            }
        }
        EXPECT_GT(white, 100);
        EXPECT_EQ(misplaced, 0);
        EXPECT_GE(used.size(), 3);
        EXPECT_LE(filled.colorCount(), 2 + MAX_SITES);

        // Written with four bits a pixel, decoding to the picture's colours.
        QBuffer file;
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_FALSE(writePng(filled, file));
        EXPECT_EQ(file.data().at(24), 4);  // bit depth, in the header chunk
        EXPECT_EQ(file.data().at(25), 3);  // colour type: palette
        EXPECT_EQ(QImage::fromData(file.data(), "PNG").convertToFormat(QImage::Format_RGB32),
                  filled.convertToFormat(QImage::Format_RGB32));
    }
}

// Smooth lines: antialiased across, the line's colour over each pixel's own by the share
// covered, the larger share kept where lines overlap (so that a line drawn twice, or the
// stretches of one boundary, change nothing more), and a palette of a few shades.
TEST(SmoothStroke, BlendsByCoverageKeepsTheLargerShareAndFewColours)
{
    ImageSurface surface(QSize(60, 30));
    surface.clear();
    surface.fillBackground(20, 0, 60, REGION_PALETTE[0]);
    const std::vector<PlanePoint> across = {{5, 10}, {30, 10}, {50, 10}};
    const std::vector<PlanePoint> down = {{40, 0}, {40, 29}};
    surface.drawSmoothLine(across, WHITE);
    const QImage once = surface.image();
    surface.drawSmoothLine(across, WHITE);
    EXPECT_EQ(surface.image(), once) << "a line drawn twice came out brighter";
    // 1.3 pixels wide about row 10: row 10 white, rows 9 and 11 a little, row 8 nothing.
    EXPECT_EQ(once.pixel(20, 10), OPAQUE_WHITE);
    const QRgb side = once.pixel(20, 9);
    EXPECT_EQ(once.pixel(20, 11), side);
    EXPECT_GT(qRed(side), 0);
    EXPECT_LT(qRed(side), 128);
    EXPECT_EQ(once.pixel(20, 8), OPAQUE_BLACK);
    EXPECT_EQ(once.pixel(3, 10), OPAQUE_BLACK) << "beyond the line's end";
    // Across the line along row 20 and the black: shades of each towards white.
    surface.drawSmoothLine(down, WHITE);
    const QImage both = surface.image();
    const QRgb fill = qRgb(0x3D, 0x51, 0x92);
    EXPECT_EQ(both.pixel(40, 20), OPAQUE_WHITE);
    const QRgb shaded = both.pixel(41, 20);
    EXPECT_GT(qRed(shaded), qRed(fill));
    EXPECT_GT(qBlue(shaded), qBlue(fill));
    EXPECT_EQ(both.pixel(41, 10), OPAQUE_WHITE) << "where the lines cross, the larger share";
    EXPECT_LE(both.colorCount(), 2 + 2 * SmoothStroke::STEPS);
}

}  // namespace
}  // namespace voroquarn


int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
