#include "screen/WindowKeys.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include "output/ImageOutput.h"
#include "output/Messages.h"
#include "screen/DiagramWindow.h"
#include "screen/PictureFolder.h"
#include "screen/Session.h"

namespace voroquarn {

namespace {

bool isKey(const QKeyEvent& key, int code, Qt::KeyboardModifiers modifiers)
{
    constexpr Qt::KeyboardModifiers COUNTED = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return key.key() == code && (key.modifiers() & COUNTED) == modifiers;
}

}  // namespace

WindowKeys::WindowKeys(DiagramWindow& window, Session& session, Role role)
    : window_(window), session_(session), role_(role)
{
    if (role_ == Role::Saver) {
        saverInput_.emplace(std::chrono::steady_clock::now());
    }
    window_.installEventFilter(this);
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_) {
        return false;
    }
    if (saverInput_) {
        if (saverInput_->ends(*event, std::chrono::steady_clock::now())) {
            window_.close();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (key.key() == Qt::Key_Escape || isKey(key, Qt::Key_Q, {}) ||
        isKey(key, Qt::Key_Q, Qt::ControlModifier) || isKey(key, Qt::Key_W, Qt::ControlModifier)) {
        window_.close();
    } else if (isKey(key, Qt::Key_Space, {})) {
        session_.newDiagram();
    } else if (isKey(key, Qt::Key_S, Qt::ControlModifier)) {
        save();
    } else if (isKey(key, Qt::Key_F11, {})) {
        session_.followResizes();
        window_.toggleFullScreen();
    } else {
        return false;
    }
    return true;
}

// Saves the picture as it is shown to voroquarn-SEED.png in the picture folder, through
// a temporary file, and says where. Without a home folder of the user's own there is no
// picture folder: Qt would take the root of the file system for home.
void WindowKeys::save() const
{
    QString missing;
    const QString folder = pictureFolder(missing);
    if (folder.isEmpty()) {
        say(missing);
        return;
    }
    const std::optional<std::uint32_t> seed = session_.seed();
    const QString name = seed ? QStringLiteral("voroquarn-%1.png").arg(*seed) : QStringLiteral("voroquarn.png");
    const QString path = QDir(folder).filePath(name);
    if (const auto problem = writePngFile(window_.image(), QFile::encodeName(path).toStdString())) {
        say(*problem);
        return;
    }
    say(QStringLiteral("saved the picture to %1").arg(path));
}

}  // namespace voroquarn
