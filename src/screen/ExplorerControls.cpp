#include "screen/ExplorerControls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "screen/ExplorerWindow.h"

namespace voroquarn {

namespace {

// How far from a site's centre the pointer may be to take it, in pixels.
constexpr double REACH = 8;
// How far the pointer may move between press and release for a click.
constexpr double CLICK_SLACK = 4;
// A step of the wheel, in eighths of a degree.
constexpr int WHEEL_STEP = 120;

bool isKey(const QKeyEvent& key, int code, Qt::KeyboardModifiers modifiers)
{
    constexpr Qt::KeyboardModifiers COUNTED =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier;
    return key.key() == code && (key.modifiers() & COUNTED) == modifiers;
}

}  // namespace

ExplorerControls::ExplorerControls(ExplorerWindow& window, ExploredSites& sites, const ExplorerLook& look)
    : window_(window),
      sites_(sites),
      saving_(window, look, [&window](const QString& line, bool /*failed*/) { window.say(line); })
{
    window_.installEventFilter(this);
}

bool ExplorerControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        return key(static_cast<const QKeyEvent&>(*event));
    case QEvent::MouseButtonPress:
        press(static_cast<const QMouseEvent&>(*event));
        return true;
    case QEvent::MouseMove:
        move(static_cast<const QMouseEvent&>(*event).position());
        return true;
    case QEvent::MouseButtonRelease:
        if (static_cast<const QMouseEvent&>(*event).button() == Qt::LeftButton) {
            release(static_cast<const QMouseEvent&>(*event).position());
        }
        return true;
    case QEvent::Wheel:
        wheel(static_cast<const QWheelEvent&>(*event));
        return true;
    default:
        return false;
    }
}

bool ExplorerControls::key(const QKeyEvent& key)
{
    const bool shifted = (key.modifiers() & Qt::ShiftModifier) != 0;
    if (key.key() == Qt::Key_Escape) {
        if (window_.helpShown()) {
            window_.setHelpShown(false);
        } else {
            window_.close();
        }
    } else if (isKey(key, Qt::Key_Q, {}) || isKey(key, Qt::Key_Q, Qt::ControlModifier) ||
               isKey(key, Qt::Key_W, Qt::ControlModifier)) {
        window_.close();
    } else if (key.key() == Qt::Key_F1 || key.key() == Qt::Key_Question) {
        window_.setHelpShown(!window_.helpShown());
    } else if (isKey(key, Qt::Key_F11, {})) {
        window_.toggleFullScreen();
    } else if (isKey(key, Qt::Key_Z, Qt::ControlModifier)) {
        drag_.reset();
        if (sites_.undo()) {
            changed();
        }
    } else if (isKey(key, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier) ||
               isKey(key, Qt::Key_Y, Qt::ControlModifier)) {
        drag_.reset();
        if (sites_.redo()) {
            changed();
        }
    } else if (isKey(key, Qt::Key_S, Qt::ControlModifier) || isKey(key, Qt::Key_E, Qt::ControlModifier)) {
        sites_.endMove();
        saving_.save(key.key() == Qt::Key_S ? ExplorerSaving::Kind::Png : ExplorerSaving::Kind::Svg, sites_.asSites(),
                     window_.size());
    } else if (key.key() == Qt::Key_Delete && !shifted) {
        remove(sites_.siteAt(pointer_.x(), pointer_.y(), REACH));
    } else if (key.key() == Qt::Key_Plus || key.key() == Qt::Key_Equal || key.key() == Qt::Key_Minus) {
        if (const auto k = siteToWeigh()) {
            weigh(*k, key.key() != Qt::Key_Minus);
        }
    } else {
        return false;
    }
    return true;
}

void ExplorerControls::press(const QMouseEvent& mouse)
{
    pointer_ = mouse.position();
    const std::optional<std::int32_t> k = sites_.siteAt(pointer_.x(), pointer_.y(), REACH);
    if (mouse.button() == Qt::RightButton) {
        remove(k);
        return;
    }
    if (mouse.button() != Qt::LeftButton) {
        return;
    }
    pressedOnGround_.reset();
    if (k) {
        const auto at = static_cast<std::size_t>(*k);
        drag_ = Drag{*k, QPointF(sites_.sites().x[at], sites_.sites().y[at]) - pointer_};
    } else {
        pressedOnGround_ = pointer_;
    }
}

void ExplorerControls::move(QPointF at)
{
    pointer_ = at;
    if (!drag_) {
        return;
    }
    // Dragged beyond the window, the site stays at its edge.
    const QPointF to = inside(at + drag_->offset);
    sites_.moveTo(drag_->site, to.x(), to.y());
    changed(drag_->site);
}

void ExplorerControls::release(QPointF at)
{
    pointer_ = at;
    if (drag_) {
        sites_.endMove();
        drag_.reset();
        return;
    }
    if (pressedOnGround_) {
        const QPointF from = *std::exchange(pressedOnGround_, std::nullopt);
        if (std::hypot(at.x() - from.x(), at.y() - from.y()) <= CLICK_SLACK) {
            const QPointF place = inside(at);
            changed(sites_.add(place.x(), place.y()));
        }
    }
}

void ExplorerControls::wheel(const QWheelEvent& wheel)
{
    pointer_ = wheel.position();
    const std::optional<std::int32_t> k = sites_.siteAt(pointer_.x(), pointer_.y(), REACH);
    if (!k) {
        wheelEighths_ = 0;
        return;
    }
    wheelEighths_ += wheel.angleDelta().y();
    while (std::abs(wheelEighths_) >= WHEEL_STEP) {
        const bool heavier = wheelEighths_ > 0;
        wheelEighths_ -= heavier ? WHEEL_STEP : -WHEEL_STEP;
        weigh(*k, heavier);
    }
}

std::optional<std::int32_t> ExplorerControls::siteToWeigh() const
{
    if (const auto k = sites_.siteAt(pointer_.x(), pointer_.y(), REACH)) {
        return k;
    }
    if (last_) {
        const auto ids = sites_.ids();
        const auto found = std::find(ids.begin(), ids.end(), *last_);
        if (found != ids.end()) {
            return static_cast<std::int32_t>(found - ids.begin());
        }
    }
    return std::nullopt;
}

void ExplorerControls::weigh(std::int32_t k, bool heavier)
{
    if (sites_.scaleWeight(k, heavier)) {
        changed(k);
    } else {
        window_.say(QStringLiteral("weights stay within %1 and %2")
                        .arg(static_cast<double>(ExploredSites::LEAST_WEIGHT))
                        .arg(static_cast<double>(ExploredSites::GREATEST_WEIGHT), 0, 'f', 0));
    }
}

void ExplorerControls::remove(std::optional<std::int32_t> k)
{
    if (!k) {
        return;
    }
    drag_.reset();
    if (sites_.remove(*k)) {
        changed();
    } else {
        window_.say(QStringLiteral("a diagram keeps at least %1 sites").arg(ExploredSites::FEWEST_SITES));
    }
}

void ExplorerControls::changed(std::optional<std::int32_t> k)
{
    if (k) {
        last_ = sites_.ids()[static_cast<std::size_t>(*k)];
    }
    window_.showSites(sites_.sites(), sites_.ids());
}

QPointF ExplorerControls::inside(QPointF at) const
{
    return {std::clamp(at.x(), 0.0, static_cast<double>(window_.width() - 1)),
            std::clamp(at.y(), 0.0, static_cast<double>(window_.height() - 1))};
}

}  // namespace voroquarn
