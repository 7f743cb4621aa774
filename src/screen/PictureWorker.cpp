#include "screen/PictureWorker.h"

#include <cstring>

namespace voroquarn {

namespace {

// Copies the region of `from` into `to`, which has the same size and format.
void copyRegion(const QImage& from, QImage& to, const QRegion& region)
{
    const int bytesPerPixel = from.depth() / 8;
    for (const QRect& rect : region) {
        const auto length = static_cast<std::size_t>(rect.width() * bytesPerPixel);
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            std::memcpy(to.scanLine(y) + rect.left() * bytesPerPixel, from.constScanLine(y) + rect.left() * bytesPerPixel,
                        length);
        }
    }
}

}  // namespace

PictureWorker::PictureWorker(const ExplorerLook& look, std::function<void()> finished)
    : picture_(look), finished_(std::move(finished)), thread_([this](const std::stop_token& stop) { run(stop); })
{
}

PictureWorker::~PictureWorker()
{
    thread_.request_stop();
    thread_.join();
}

void PictureWorker::draw(const SiteArrays& placed, std::span<const std::uint32_t> ids)
{
    {
        const std::scoped_lock lock(asked_);
        sites_ = placed;
        ids_.assign(ids.begin(), ids.end());
        pending_ = true;
    }
    wake_.notify_one();
}

void PictureWorker::resize(QSize size)
{
    {
        const std::scoped_lock lock(asked_);
        size_ = size;
        pending_ = true;
    }
    wake_.notify_one();
}

void PictureWorker::takeChanges(const std::function<void(const QImage&, const QRegion&)>& show)
{
    const std::scoped_lock lock(shown_);
    show(front_, changed_);
    changed_ = QRegion();
}

void PictureWorker::run(const std::stop_token& stop)
{
    SiteArrays sites;
    std::vector<std::uint32_t> ids;
    QSize size;
    for (;;) {
        {
            std::unique_lock lock(asked_);
            if (!wake_.wait(lock, stop, [&] { return pending_; })) {
                return;
            }
            pending_ = false;
            sites = sites_;
            ids = ids_;
            size = size_;
        }
        if (size.isEmpty() || sites.N == 0) {
            finished_();  // nothing to draw, nothing to wait for
            continue;
        }
        const QRegion changed = picture_.update(sites, ids, size);
        {
            const std::scoped_lock lock(shown_);
            if (picture_.isNull()) {
                front_ = QImage();
            } else if (front_.size() != picture_.image().size()) {
                front_ = picture_.image().copy();
                changed_ = QRect(QPoint(0, 0), front_.size());
            } else {
                copyRegion(picture_.image(), front_, changed);
                changed_ += changed;
            }
        }
        finished_();
    }
}

}  // namespace voroquarn
