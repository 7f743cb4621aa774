#pragma once

#include <QFont>
#include <QRect>
#include <QRegion>
#include <QString>

class QPainter;

namespace voroquarn {

// Lines of text on a black box at the bottom left of the window, as xscreensaver's hacks
// show their frame rate: over the picture on screen, never in it, so that a saved
// picture holds none of it.
class TextOverlay {
public:
    void setText(const QString& text) { text_ = text; }
    const QString& text() const { return text_; }

    // The box the text takes over a picture of that size, in the picture's pixels at that
    // scale (its device-pixel ratio); empty without text.
    QRect box(QSize picture, qreal scale) const;
    // Paints the box where it meets `region`, in the picture's pixels.
    void paint(QPainter& painter, const QRegion& region, QSize picture, qreal scale) const;

    // The line as it fits in the box over a picture of that width: whole where there is
    // room, else shortened in its middle.
    static QString fitted(const QString& line, int pictureWidth, qreal scale);

private:
    static QFont font(qreal scale);

    QString text_;
};

}  // namespace voroquarn
