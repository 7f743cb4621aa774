#include "app/ProgramIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <future>
#include <utility>
#include <vector>

namespace voroquarn {

namespace {

using Images = std::vector<QImage>;

// The icons carried as resources, every one of them read.
Images readIcons()
{
    Images images;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files)) {
        QImage image(icons.filePath(name));
        if (!image.isNull()) {
            images.push_back(std::move(image));
        }
    }
    return images;
}

// Icons read in a thread of their own. Qt's own engine reads every file as it is added,
// some milliseconds before the first window can be made; this one is made at once and
// waits for the images only when a window asks for them, as it is shown, by when the
// thread has long read them.
class ReadAheadIconEngine final : public QIconEngine {
public:
    explicit ReadAheadIconEngine(std::shared_future<Images> images) : images_(std::move(images)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    // The image of that size, or the nearest larger one (else the largest) scaled to it.
    QPixmap pixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        const QImage* best = nullptr;
        for (const QImage& image : images_.get()) {
            const bool fits = image.width() >= size.width() && image.height() >= size.height();
            const bool bestFits = best != nullptr && best->width() >= size.width() && best->height() >= size.height();
            if (best == nullptr || (fits && (!bestFits || image.width() < best->width())) ||
                (!fits && !bestFits && image.width() > best->width())) {
                best = &image;
            }
        }
        if (best == nullptr) {
            return {};
        }
        if (best->size() == size) {
            return QPixmap::fromImage(*best);
        }
        return QPixmap::fromImage(best->scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return pixmap(size, mode, state).size();
    }

    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        QList<QSize> sizes;
        for (const QImage& image : images_.get()) {
            sizes.append(image.size());
        }
        return sizes;
    }

    QIconEngine* clone() const override { return new ReadAheadIconEngine(images_); }
    QString key() const override { return QStringLiteral("ReadAheadIconEngine"); }

private:
    std::shared_future<Images> images_;
};

}  // namespace

void setProgramIcon()
{
    std::shared_future<Images> images = std::async(std::launch::async, readIcons).share();
    QGuiApplication::setWindowIcon(QIcon(new ReadAheadIconEngine(std::move(images))));
}

}  // namespace voroquarn
