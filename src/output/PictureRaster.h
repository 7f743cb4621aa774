#pragma once

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <algorithm>
#include <compare>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Colour.h"
#include "diagram/labelsThatFit.h"
#include "output/IndexedLines.h"

class QPainter;

namespace voroquarn {

// The picture in memory, with the drawing operations the program uses and a record of
// what changed since the changes were last taken, so that a window can put exactly
// those pixels on screen.
//
// The picture is indexed: each pixel is the index of one of its colours. It holds one
// bit a pixel while it has at most two colours (Format_Mono), four bits while it has at
// most sixteen (as a filled picture has) and one byte a pixel beyond (Format_Indexed8);
// the colours are listed in the order they were first drawn, black and white first.
// When memory runs out the picture becomes null: drawing then does nothing, and the
// owner reports it.
class PictureRaster {
public:
    explicit PictureRaster(QSize size);

    // The picture as an image, Format_Mono or Format_Indexed8. At four bits a pixel,
    // which Qt has no format for, it is converted to one byte a pixel on demand, a copy
    // as large as the picture: for tests and small pictures; lines() reads it as it is.
    const QImage& image() const;
    // The picture as an encoder reads it, at the depth it is held in.
    IndexedLines lines() const;
    bool isNull() const { return image_.isNull() && !nibbles_.data; }
    QSize size() const { return nibbles_.data ? nibbles_.size : image_.size(); }
    QRect rect() const { return {QPoint(0, 0), size()}; }
    // Bits a pixel: 1, 4 or 8.
    int depth() const;

    // Enlarges the picture to at least `size`, keeping what is drawn; new pixels are
    // filled with `background`. Without the memory for it the picture keeps its size.
    void growTo(QSize size, Colour background);
    // Makes the picture exactly `size`, all of it `background`, with the colours of a
    // new picture.
    void clearTo(QSize size, Colour background);

    // Circles and labels are drawn this many times their size in pixels: the screen's
    // device-pixel ratio, for a picture in device pixels. 1 by default.
    void setMarkerScale(qreal scale) { markerScale_ = scale; }
    qreal markerScale() const { return markerScale_; }
    // The box, relative to the centre, that a circle of this radius and the widest
    // label of up to three digits cover together at the given marker scale.
    static QRectF markerBox(float radius, qreal scale);
    // How large a circle of this radius and the labels are at the given marker scale, as
    // the room labels need among the markers reckons them.
    static MarkSizes markSizes(float radius, qreal scale);
    // The labels' font at the given marker scale: the application's default one grown by
    // the scale, without smoothing unless `smooth`.
    static QFont labelFont(qreal scale, bool smooth = false);
    // How high the labels' digits stand at marker scale 1, in pixels; loads the font.
    static qreal digitHeight();

    void fill(Colour colour);
    // Every pixel of the rectangle, clipped to the picture, in the colour.
    void fillRect(const QRect& rect, Colour colour);
    // The pixel nearest to (x, y); nothing outside the picture.
    void setPixel(float x, float y, Colour colour);
    // Sets the pixels of row y from column left up to, not including, column right that
    // have the colour `over` to `colour`; nothing outside the picture.
    void fillWhere(int y, int left, int right, Colour over, Colour colour);
    // A one-pixel aliased outline; the drawing position moves to the centre.
    void drawCircle(float x, float y, float radius, Colour colour, float aspect);
    // Moves the drawing position as drawCircle does, without drawing.
    void moveTo(float x, float y) { position_ = QPointF(x, y); }
    QPointF position() const { return position_; }
    // Digits of an integral value in the default font, without smoothing, top-left
    // corner at the drawing position. At marker scale 1 they are set from the digits
    // drawn at build time (BuiltInDigits), exactly as the font would draw them, where
    // the application has the font they were drawn in; elsewhere the font draws them.
    void printNumber(double value, Colour colour);
    // Whether labels at this marker scale are drawn with the font, which must be loaded
    // for them.
    static bool labelsNeedFont(qreal scale);

    // The colour of the pixel at (x, y), which lies inside the picture.
    Colour colourAt(int x, int y) const;

    // Writes the colours of `area`, which lies inside the picture, as opaque 32-bit
    // colours into `target` (of a 32-bit format: RGB32 or ARGB32, premultiplied or not)
    // with the area's top-left pixel at `at`; the area must fit there.
    void copyRgb32(const QRect& area, QImage& target, QPoint at) const;

    // Fonts take milliseconds to load the first time, which the first label would wait
    // for: the font database (fontconfig's configuration and the list of fonts), then
    // the label font itself with the glyphs of the digits. These load them ahead of
    // time. loadFontDatabase may run in any thread; prepareLabelFont makes the label
    // font ready in the calling thread, where Qt keeps it for the labels drawn there,
    // unless the labels need no font.
    static void loadFontDatabase();
    static void prepareLabelFont();

    // Calls each(rect) for every area changed since the last call, then forgets them.
    template <class Each>
    void takeChanges(Each&& each)
    {
        for (const QRect& rect : changed_) {
            each(rect);
        }
        changed_.clear();
    }
    bool hasChanges() const { return !changed_.empty(); }
    void forgetChanges() { changed_.clear(); }

private:
    // The palette index of a colour, added to the palette when it is new; -1 when the
    // picture is null.
    int indexOf(Colour colour);
    int addColour(Colour colour);
    // A new all-black picture of one bit a pixel, black and white its colours; null
    // without the memory for it.
    static QImage freshImage(QSize size);
    // To the next depth, for one more colour than the picture's depth holds: from one
    // bit to four bits a pixel, or from four to eight. Without the memory for it the
    // picture becomes null and false is returned.
    bool widen();
    bool widenToNibbles();
    bool widenToBytes();
    // The four-bit picture at a byte a pixel; null without the memory for it.
    QImage bytesFromNibbles() const;
    void setIndex(int x, int y, int index);
    // fillWhere on a line of four bits a pixel.
    static void fillNibblesWhere(uchar* line, int from, int to, unsigned over, unsigned index);
    int colourCount() const { return nibbles_.data ? static_cast<int>(nibbles_.colours.size()) : image_.colorCount(); }
    QRgb paletteColour(int k) const { return nibbles_.data ? nibbles_.colours[k] : image_.color(k); }
    uchar* scanLine(int y);
    const uchar* constScanLine(int y) const;

    // A circle or a label as the pixels it sets, relative to the pixel corner at or
    // before its point, for one fraction of a pixel of that point: drawn once with Qt,
    // then set wherever it is drawn again. Markers and labels are drawn with an opaque
    // pen and without smoothing, so a stamp sets exactly the pixels that painting would.
    struct StampKey {
        int kind;  // 0: circle, 1: label
        double size;
        double aspect;
        double scale;
        double fractionX;
        double fractionY;
        std::u16string text;
        auto operator<=>(const StampKey&) const = default;
    };
    // Sets the stamp of `key` at `point` in the colour, on the part of the picture that
    // `bounds` (the stamp's extent at the point) covers; `bounds` is clipped to the
    // picture in double precision, so far coordinates convert to no integer. A new
    // stamp is made by paint(painter, at), which draws it at `at`.
    template <class Paint>
    void stamp(const StampKey& key, QPointF point, const QRectF& bounds, Colour colour, Paint&& paint);
    template <class Paint>
    std::vector<QPoint> makeStamp(QPointF point, const QRectF& bounds, Paint&& paint) const;

    void markChanged(const QRect& rect);
    // printNumber from the built-in digits; false where they do not serve.
    bool setBuiltInDigits(const QString& text, Colour colour);

    // The most stamps kept; beyond, they are made anew.
    static constexpr std::size_t MAX_STAMPS = 32768;
    // Changed areas are kept one by one up to this many; beyond it they are merged into
    // one bounding rectangle, which is never wrong, only slower to put on screen.
    static constexpr std::size_t MAX_CHANGED_AREAS = 1024;
    // The pen of a circle's outline, as wide as a pixel at marker scale 1.
    static int outlineWidth(qreal scale) { return std::max(1, qRound(scale)); }

    struct FreeBuffer {
        void operator()(uchar* buffer) const;
    };
    // The picture at four bits a pixel, two pixels a byte, the first in the high half
    // (as PNG packs them); lines start on 32-bit boundaries. In use while data is set,
    // with image_ null meanwhile.
    struct Nibbles {
        QSize size;
        qsizetype bytesPerLine = 0;
        std::unique_ptr<uchar, FreeBuffer> data;
        QList<QRgb> colours;
    };

    QImage image_;
    Nibbles nibbles_;
    // The four-bit picture converted for image(), and whether it is up to date.
    mutable QImage converted_;
    mutable bool convertedFresh_ = false;
    // The resolution of the picture, which the labels' size in pixels follows.
    int dotsPerMeterX_ = 0;
    int dotsPerMeterY_ = 0;
    std::map<StampKey, std::vector<QPoint>> stamps_;
    qreal markerScale_ = 1;
    // Whether labels at marker scale 1 need the font: 1 or 0, -1 before the first label.
    int labelsNeedFont_ = -1;
    QPointF position_;
    std::vector<QRect> changed_;
    // The colour last looked up and its index: runs of pixels share a colour.
    Colour lastColour_ = BLACK;
    int lastIndex_ = 0;
    // The index every pixel has, while they all have the same (a new picture is all
    // black); -1 once anything is drawn. Filling with it again writes nothing, so
    // that a large picture's untouched memory stays untouched.
    int uniformIndex_ = 0;
};

}  // namespace voroquarn
