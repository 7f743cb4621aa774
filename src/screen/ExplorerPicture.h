#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "diagram/SiteArrays.h"
#include "diagram/TiledDiagram.h"
#include "diagram/labelsThatFit.h"

namespace voroquarn {

// How the explorer draws its sites, as values.
struct ExplorerLook {
    bool fill = false;  // each region in its colour, as --fill has it
    bool markers = true;
    bool labels = true;
    MarkSizes markSizes;
};

// The explorer's picture of a diagram: the exact pieces drawn smoothly, one pixel wide,
// over black or the regions' colours, then every site's marker and, white, the weight
// labels that have room beside their markers, as the screen saver places them
// (labelsBeside): none overlaps a marker or another label. Pixel centres lie at whole
// coordinates, as the sites'.
//
// It follows the sites as they change and draws again only what a change can alter: the
// tiles of the diagram found anew (TiledDiagram), the markers and labels that moved or
// changed, the regions whose colour changed; what it draws again it draws whole, so that
// the picture stays the one a fresh start draws. Any thread may own it, one at a time.
class ExplorerPicture {
public:
    explicit ExplorerPicture(const ExplorerLook& look);

    // Makes it the picture of `placed` (in their order of placement, site k with ids[k])
    // at this size; returns the part drawn again, all of it at a new size.
    QRegion update(const SiteArrays& placed, std::span<const std::uint32_t> ids, QSize size);

    const QImage& image() const { return image_; }
    // Null when there is not the memory for the picture.
    bool isNull() const { return image_.isNull(); }

private:
    // What stands at a site: its marker and its label, for what to draw again.
    struct Mark {
        double x = 0;
        double y = 0;
        float w = 0;
        bool label = false;
        PlanePoint labelAt{};  // the label's top-left corner
        bool present = false;
        bool operator==(const Mark& other) const
        {
            return x == other.x && y == other.y && w == other.w && label == other.label &&
                   labelAt.x == other.labelAt.x && labelAt.y == other.labelAt.y && present == other.present;
        }
    };

    void newDiagram(QSize size, std::int32_t sites);
    std::vector<Mark> marksOf(const SiteArrays& placed, std::span<const std::uint32_t> ids) const;
    void colour(QRegion& changed);
    QRect markBox(const Mark& mark) const;
    void draw(const QRegion& region);
    void drawBackground(const QRect& rect);
    const QImage& markerStamp(double x, double y, QPoint& at);
    const QImage& labelStamp(float w);

    ExplorerLook look_;
    QFont font_;
    int ascent_ = 0;
    MarkSizes sizes_;  // of the markers and of the labels in font_
    std::optional<TiledDiagram> diagram_;
    std::int32_t tiledFor_ = 0;  // the number of sites the tiles' side was chosen for
    QImage image_;
    std::vector<Mark> marks_;       // by id
    std::vector<QRgb> colours_;     // by id, with the fill
    std::vector<QImage> markers_;  // a marker for each quarter of a pixel, 4 x 4
    std::map<QString, QImage> labels_;  // by their text
    std::vector<std::uint32_t> order_;     // the ids in their order of placement
};

}  // namespace voroquarn
