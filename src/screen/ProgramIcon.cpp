#include "screen/ProgramIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>

namespace voroquarn {

namespace {

// The window carries the icons up to this size. A window manager shows a window's icon
// at taskbar and switcher sizes; every larger one would only make the window's icon
// property, which Qt builds before the window first appears, slower to make: the 256 px
// icon alone is more than half a megabyte of it. Menus take the installed icons.
constexpr int LARGEST_WINDOW_ICON = 128;

}  // namespace

void setProgramIcon()
{
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files)) {
        const QString path = icons.filePath(name);
        const QSize size = QImageReader(path).size();
        if (size.width() <= LARGEST_WINDOW_ICON) {
            icon.addFile(path, size);
        }
    }
    QGuiApplication::setWindowIcon(icon);
}

}  // namespace voroquarn
