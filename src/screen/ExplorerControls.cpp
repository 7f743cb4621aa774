#include "screen/ExplorerControls.h"

#include <QEnterEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "diagram/Diagram.h"
#include "diagram/RegionMeasures.h"
#include "output/Messages.h"
#include "output/SiteFileText.h"
#include "screen/ExplorerWindow.h"
#include "screen/UnsavedSites.h"

namespace voroquarn {

namespace {

// How far from a site's centre the pointer may be to take it, in the picture's pixels.
constexpr double REACH = 8;
// How far the pointer may move between press and release for a click.
constexpr double CLICK_SLACK = 4;
// A step of the wheel, in eighths of a degree.
constexpr int WHEEL_STEP = 120;
// What a step of the wheel zooms by.
constexpr double ZOOM_STEP = 1.25;
// How long the first hint stands in the status line.
constexpr int HINT_MS = 8000;
// How long the window stays, once it said where the edits were kept.
constexpr int KEEPING_MS = 1500;
// The most characters a weight may be typed with.
constexpr int LONGEST_WEIGHT = 32;

bool isKey(const QKeyEvent& key, int code, Qt::KeyboardModifiers modifiers)
{
    constexpr Qt::KeyboardModifiers COUNTED =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier;
    return key.key() == code && (key.modifiers() & COUNTED) == modifiers;
}

bool isQuit(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Escape || isKey(key, Qt::Key_Q, {}) || isKey(key, Qt::Key_Q, Qt::ControlModifier) ||
           isKey(key, Qt::Key_W, Qt::ControlModifier);
}

// The shortest text that reads back as the weight.
QString shortest(float w)
{
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), w).ptr;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(end - text.data()));
}

QString areaText(double area)
{
    return (area >= 0.01 || area == 0 ? QString::number(area, 'f', 2) : QString::number(area, 'g', 3)) +
           QStringLiteral(" px²");
}

}  // namespace

ExplorerControls::ExplorerControls(ExplorerWindow& window, ExploredSites& sites, const ExplorerLook& look,
                                   UnsavedEdits unsaved)
    : window_(window),
      sites_(sites),
      look_(look),
      saving_(window, look,
              [this](const QString& line, const std::vector<Site>* saved) {
                  if (saved != nullptr) {
                      sites_.noteSaved(*saved);
                  }
                  window_.say(line);
              }),
      unsaved_(std::move(unsaved))
{
    if (unsaved_.offered.size() < static_cast<std::size_t>(ExploredSites::FEWEST_SITES)) {
        unsaved_.offered.clear();
    }
    hint_ = unsaved_.offered.empty()
                ? QStringLiteral("F1: keys")
                : QStringLiteral("F1: keys · Ctrl+R brings back the %1 sites left unsaved").arg(unsaved_.offered.size());
    QTimer::singleShot(HINT_MS, this, [this] {
        hint_.clear();
        followPointer();
    });
    window_.installEventFilter(this);
    changed();
}

bool ExplorerControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        return key(static_cast<const QKeyEvent&>(*event));
    case QEvent::KeyRelease:
        if (const auto& released = static_cast<const QKeyEvent&>(*event);
            released.key() == Qt::Key_Space && !released.isAutoRepeat()) {
            spaceHeld_ = false;
            followPointer();
        }
        return false;
    case QEvent::MouseButtonPress:
        press(static_cast<const QMouseEvent&>(*event));
        return true;
    case QEvent::MouseButtonDblClick:
        if (const auto k = siteAtPointer(); k && !closing_) {
            drag_.reset();
            sites_.endMove();
            openEntry(*k);
        }
        return true;
    case QEvent::MouseMove:
        move(static_cast<const QMouseEvent&>(*event).position());
        return true;
    case QEvent::MouseButtonRelease:
        release(static_cast<const QMouseEvent&>(*event));
        return true;
    case QEvent::Wheel:
        wheel(static_cast<const QWheelEvent&>(*event));
        return true;
    case QEvent::Enter:
        move(static_cast<const QEnterEvent&>(*event).position());
        return false;
    case QEvent::Leave:
        pointer_.reset();
        followPointer();
        return false;
    case QEvent::Resize:
        area_.reset();
        QTimer::singleShot(0, this, [this] { followPointer(); });
        return false;
    case QEvent::Close:
        if (!mayClose()) {
            event->ignore();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool ExplorerControls::key(const QKeyEvent& key)
{
    if (closing_) {
        if (isQuit(key)) {
            window_.close();  // at once, the edits being kept
        }
        return true;
    }
    if (entry_) {
        return entryKey(key);
    }
    const bool shifted = (key.modifiers() & Qt::ShiftModifier) != 0;
    if (key.key() == Qt::Key_Escape && window_.helpShown()) {
        window_.setHelpShown(false);
    } else if (isQuit(key)) {
        window_.close();
    } else if (key.key() == Qt::Key_Space) {
        spaceHeld_ = true;
        followPointer();
    } else if (key.key() == Qt::Key_F1 || key.key() == Qt::Key_Question) {
        window_.setHelpShown(!window_.helpShown());
    } else if (isKey(key, Qt::Key_F11, {})) {
        window_.toggleFullScreen();
    } else if (isKey(key, Qt::Key_Home, {})) {
        view_.reset();
        changed();
    } else if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        if (const auto k = siteToWeigh()) {
            openEntry(*k);
        }
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
    } else if (isKey(key, Qt::Key_S, Qt::ControlModifier)) {
        save(ExplorerSaving::Kind::Png);
    } else if (isKey(key, Qt::Key_E, Qt::ControlModifier)) {
        save(ExplorerSaving::Kind::Svg);
    } else if (isKey(key, Qt::Key_R, Qt::ControlModifier)) {
        bringBackUnsaved();
    } else if (key.key() == Qt::Key_Delete && !shifted) {
        remove(siteAtPointer());
    } else if (key.key() == Qt::Key_Plus || key.key() == Qt::Key_Equal || key.key() == Qt::Key_Minus) {
        if (const auto k = siteToWeigh()) {
            weigh(*k, key.key() != Qt::Key_Minus);
        }
    } else {
        return false;
    }
    return true;
}

bool ExplorerControls::entryKey(const QKeyEvent& key)
{
    Entry& entry = *entry_;
    const QString typed = key.text();
    if (key.key() == Qt::Key_Escape) {
        closeEntry();
        return true;
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        setEntryWeight();
        return true;
    }
    if (key.key() == Qt::Key_Backspace) {
        entry.text = entry.fresh ? QString() : entry.text.chopped(std::min<qsizetype>(1, entry.text.size()));
    } else if (typed.size() == 1 && QStringLiteral("0123456789.+-eE").contains(typed) &&
               (entry.fresh || entry.text.size() < LONGEST_WEIGHT)) {
        entry.text = entry.fresh ? typed : entry.text + typed;
    } else {
        return true;  // nothing else while a weight is typed
    }
    entry.fresh = false;
    entryNote_ = QStringLiteral("Enter gives the site this weight, Escape leaves it");
    followPointer();
    return true;
}

void ExplorerControls::press(const QMouseEvent& mouse)
{
    pointer_ = mouse.position();
    if (closing_ || pointer_->y() >= window_.pictureSize().height()) {
        return;  // on the status line: nothing to take
    }
    if (entry_) {
        closeEntry();  // a click elsewhere leaves the weight as it was
    }
    const std::optional<std::int32_t> k = siteAtPointer();
    if (mouse.button() == Qt::MiddleButton || (mouse.button() == Qt::LeftButton && spaceHeld_)) {
        panFrom_ = *pointer_;
    } else if (mouse.button() == Qt::RightButton) {
        remove(k);
    } else if (mouse.button() == Qt::LeftButton) {
        pressedOnGround_.reset();
        if (k) {
            const auto at = static_cast<std::size_t>(*k);
            drag_ = Drag{*k, QPointF(shown_.x[at], shown_.y[at]) - *pointer_};
            select(*k);
        } else {
            pressedOnGround_ = *pointer_;
        }
    }
    followPointer();
}

void ExplorerControls::move(QPointF at)
{
    const bool moved = pointer_ != at;
    pointer_ = at;
    if (closing_) {
        return;
    }
    if (panFrom_) {
        view_.panBy(at.x() - panFrom_->x(), at.y() - panFrom_->y());
        panFrom_ = at;
        changed();
    } else if (drag_) {
        // Dragged beyond the picture, the site stays at its edge.
        const QPointF to = inside(at + drag_->offset);
        const PlanePoint site = view_.toSites({to.x(), to.y()});
        sites_.moveTo(drag_->site, site.x, site.y);
        changed();
    } else if (moved) {
        followPointer();
    }
}

void ExplorerControls::release(const QMouseEvent& mouse)
{
    pointer_ = mouse.position();
    if (panFrom_ && (mouse.button() == Qt::MiddleButton || mouse.button() == Qt::LeftButton)) {
        panFrom_.reset();
    } else if (mouse.button() == Qt::LeftButton && drag_) {
        sites_.endMove();
        drag_.reset();
    } else if (mouse.button() == Qt::LeftButton && pressedOnGround_) {
        const QPointF from = *std::exchange(pressedOnGround_, std::nullopt);
        if (std::hypot(pointer_->x() - from.x(), pointer_->y() - from.y()) <= CLICK_SLACK) {
            const QPointF place = inside(*pointer_);
            const PlanePoint site = view_.toSites({place.x(), place.y()});
            select(sites_.add(site.x, site.y));
            changed();
            return;
        }
    }
    followPointer();
}

void ExplorerControls::wheel(const QWheelEvent& wheel)
{
    pointer_ = wheel.position();
    if (closing_) {
        return;
    }
    if (entry_) {
        closeEntry();
    }
    const std::optional<std::int32_t> k = siteAtPointer();
    if (!k || (wheel.modifiers() & Qt::ControlModifier) != 0) {
        wheelEighths_ = 0;
        const double factor = std::pow(ZOOM_STEP, wheel.angleDelta().y() / double{WHEEL_STEP});
        if (view_.zoomAbout({pointer_->x(), pointer_->y()}, factor)) {
            changed();
        }
        return;
    }
    wheelEighths_ += wheel.angleDelta().y();
    while (std::abs(wheelEighths_) >= WHEEL_STEP) {
        const bool heavier = wheelEighths_ > 0;
        wheelEighths_ -= heavier ? WHEEL_STEP : -WHEEL_STEP;
        weigh(*k, heavier);
    }
}

void ExplorerControls::save(ExplorerSaving::Kind kind)
{
    sites_.endMove();
    saving_.save(kind, sites_.asSites(), window_.pictureSize());
}

bool ExplorerControls::mayClose()
{
    if (closing_) {
        return true;
    }
    sites_.endMove();
    if (!sites_.unsaved()) {
        // What was brought back is saved now: it need not be offered again.
        if (broughtBack_ && !unsaved_.path.isEmpty()) {
            QFile::remove(unsaved_.path);
        }
        return true;
    }
    if (unsaved_.printedAtClose) {
        return true;
    }
    keepUnsaved();
    closing_ = true;
    closeEntry();
    QTimer::singleShot(KEEPING_MS, &window_, [this] { window_.close(); });
    return false;
}

void ExplorerControls::keepUnsaved()
{
    const std::vector<Site> sites = sites_.asSites();
    const QSize size = window_.pictureSize();
    const QString replay = QStringLiteral("voroquarn --explore, %1x%2, closed with these sites unsaved: voroquarn "
                                          "--explore --sites FILE --size %1x%2%3 takes them up again")
                               .arg(size.width())
                               .arg(size.height())
                               .arg(lookOptions(look_));
    const std::optional<QString> failed = unsaved_.path.isEmpty()
                                              ? std::optional<QString>(unsaved_.problem)
                                              : keepUnsavedSites(unsaved_.path, sites, {replay});
    if (!failed) {
        say(QStringLiteral("the sites were not saved; they are kept in %1, which the next voroquarn --explore "
                           "offers to bring back")
                .arg(unsaved_.path));
        window_.say(QStringLiteral("the sites are kept in %1").arg(unsaved_.path));
        return;
    }
    // Nothing is lost silently: where no file takes them, standard error does.
    say(QStringLiteral("the sites were not saved, and cannot be kept: %1; here they are:").arg(*failed));
    const QByteArray text = siteFileText(sites);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
    std::fflush(stderr);
    window_.say(QStringLiteral("the sites cannot be kept in a file: they went to standard error"));
}

void ExplorerControls::bringBackUnsaved()
{
    if (unsaved_.offered.empty()) {
        window_.say(QStringLiteral("no sites were left unsaved at a close"));
        return;
    }
    if (sites_.unsaved()) {
        window_.say(QStringLiteral("Ctrl+R would replace edits not saved yet: save them first (Ctrl+S)"));
        return;
    }
    SiteArrays placed;
    for (const Site& site : unsaved_.offered) {
        placed.add(site.x, site.y, site.w);
    }
    sites_.restart(std::move(placed));
    drag_.reset();
    hovered_.reset();
    selected_.reset();
    broughtBack_ = true;
    hint_.clear();
    window_.say(QStringLiteral("brought back the %1 sites left unsaved").arg(unsaved_.offered.size()));
    changed();
}

std::optional<std::int32_t> ExplorerControls::siteAtPointer() const
{
    if (!pointer_) {
        return std::nullopt;
    }
    const PlanePoint at = view_.toSites({pointer_->x(), pointer_->y()});
    return sites_.siteAt(at.x, at.y, REACH / view_.scale());
}

std::optional<std::int32_t> ExplorerControls::siteToWeigh() const
{
    if (const auto k = siteAtPointer()) {
        return k;
    }
    return indexOf(selected_);
}

std::optional<std::int32_t> ExplorerControls::indexOf(std::optional<std::uint32_t> id) const
{
    if (!id) {
        return std::nullopt;
    }
    const auto ids = sites_.ids();
    const auto found = std::find(ids.begin(), ids.end(), *id);
    return found == ids.end() ? std::nullopt : std::optional<std::int32_t>(static_cast<std::int32_t>(found - ids.begin()));
}

void ExplorerControls::weigh(std::int32_t k, bool heavier)
{
    select(k);
    if (sites_.scaleWeight(k, heavier)) {
        changed();
    } else {
        window_.say(QString::fromLatin1(ExploredSites::WEIGHT_LIMITS));
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

void ExplorerControls::select(std::int32_t k)
{
    const std::uint32_t id = sites_.ids()[static_cast<std::size_t>(k)];
    if (selected_ != id) {
        selected_ = id;
        area_.reset();
    }
}

void ExplorerControls::openEntry(std::int32_t k)
{
    select(k);
    entry_ = Entry{*selected_, shortest(sites_.sites().w[static_cast<std::size_t>(k)]), true};
    entryNote_ = QStringLiteral("type the weight: Enter gives it to the site, Escape leaves it");
    followPointer();
}

void ExplorerControls::closeEntry()
{
    entry_.reset();
    entryNote_.clear();
    window_.showEntry(std::nullopt);
    followPointer();
}

void ExplorerControls::setEntryWeight()
{
    const std::optional<std::int32_t> k = indexOf(entry_->id);
    const auto weight = typedWeight(entry_->text.toStdString());
    if (const std::string* refused = std::get_if<std::string>(&weight)) {
        entryNote_ = QString::fromStdString(*refused);  // and the entry stays for another try
        followPointer();
        return;
    }
    closeEntry();
    if (k && sites_.setWeight(*k, std::get<float>(weight))) {
        changed();
    }
}

void ExplorerControls::changed()
{
    area_.reset();
    view_.show(sites_.sites(), shown_);
    window_.showSites(shown_, sites_.ids());
    followPointer();
}

void ExplorerControls::followPointer()
{
    const std::optional<std::int32_t> dragged =
        drag_ ? std::optional<std::int32_t>(drag_->site) : std::optional<std::int32_t>();
    const std::optional<std::int32_t> under = panFrom_ ? std::nullopt : dragged ? dragged : siteAtPointer();
    hovered_ = under ? std::optional<std::uint32_t>(sites_.ids()[static_cast<std::size_t>(*under)]) : std::nullopt;
    const auto place = [&](std::optional<std::int32_t> k) {
        return k ? std::optional<PlanePoint>(
                       PlanePoint{shown_.x[static_cast<std::size_t>(*k)], shown_.y[static_cast<std::size_t>(*k)]})
                 : std::nullopt;
    };
    const std::optional<std::int32_t> selected = indexOf(selected_);
    window_.showMarks(place(under), place(selected));
    if (entry_) {
        if (const auto k = indexOf(entry_->id)) {
            window_.showEntry(WeightEntry{*place(k), entry_->text});
        }
    }
    const Qt::CursorShape cursor = drag_ || panFrom_        ? Qt::ClosedHandCursor
                                   : under || spaceHeld_ ? Qt::OpenHandCursor
                                                         : Qt::ArrowCursor;
    if (window_.cursor().shape() != cursor) {
        window_.setCursor(cursor);
    }
    // While a weight is typed, what the typing says has the line to itself.
    window_.showStatus(entry_ ? entryNote_ : hint_, entry_ ? QString() : status());
}

QString ExplorerControls::status()
{
    QStringList parts;
    if (pointer_) {
        // As many decimals as a pixel of the picture is fine in the sites' plane.
        const int decimals = std::clamp(static_cast<int>(std::ceil(std::log10(view_.scale()))), 0, 6);
        const PlanePoint at = view_.toSites({pointer_->x(), pointer_->y()});
        parts << QStringLiteral("x %1  y %2").arg(at.x, 0, 'f', decimals).arg(at.y, 0, 'f', decimals);
    }
    if (const auto k = indexOf(selected_)) {
        // The area needs the whole diagram (10 ms at 1000 sites, 100 ms at 10 000): not at
        // every step of a drag, but once the site is let go.
        if (!area_ && !drag_) {
            const QSize size = window_.pictureSize();
            area_ = measureRegionOf(sites_.sites(), *k, drawingArea(size.width(), size.height())).area;
        }
        parts << QStringLiteral("weight %1").arg(shortest(sites_.sites().w[static_cast<std::size_t>(*k)]))
              << QStringLiteral("area %1").arg(area_ ? areaText(*area_) : QStringLiteral("…"));
    }
    parts << QStringLiteral("%1 sites").arg(sites_.sites().N);
    return parts.join(QStringLiteral("   "));
}

QPointF ExplorerControls::inside(QPointF at) const
{
    const QSize size = window_.pictureSize();
    return {std::clamp(at.x(), 0.0, static_cast<double>(size.width() - 1)),
            std::clamp(at.y(), 0.0, static_cast<double>(size.height() - 1))};
}

}  // namespace voroquarn
