#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "diagram/SiteArrays.h"
#include "screen/ExplorerPicture.h"

namespace voroquarn {

// Draws the explorer's picture in a thread of its own, always of the newest sites it was
// given: sites given while it draws wait, and only the last of them is drawn next. So
// the window that gives them never waits for a drawing, and what it shows follows the
// sites as fast as the machine can draw them. Each finished picture is copied, where it
// changed, into a picture the window reads under a lock held only for such copies.
class PictureWorker {
public:
    // `finished` is called in the worker's thread whenever a picture is done, or when
    // there is none to draw.
    PictureWorker(const ExplorerLook& look, std::function<void()> finished);
    ~PictureWorker();
    PictureWorker(const PictureWorker&) = delete;
    PictureWorker& operator=(const PictureWorker&) = delete;

    // Draws these sites (placement order, with their ids) next, at the last size given.
    void draw(const SiteArrays& placed, std::span<const std::uint32_t> ids);
    // Draws the last sites given at this size next.
    void resize(QSize size);

    // Calls show(picture, changed) with the newest finished picture and the part of it
    // that changed since the last call (empty when none), under the lock.
    void takeChanges(const std::function<void(const QImage&, const QRegion&)>& show);

private:
    void run(const std::stop_token& stop);

    ExplorerPicture picture_;
    std::function<void()> finished_;

    std::mutex asked_;
    std::condition_variable_any wake_;
    SiteArrays sites_;
    std::vector<std::uint32_t> ids_;
    QSize size_;
    bool pending_ = false;

    std::mutex shown_;
    QImage front_;
    QRegion changed_;

    std::jthread thread_;  // last: it stops and is joined before the rest goes
};

}  // namespace voroquarn
